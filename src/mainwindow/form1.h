#pragma once
// The main window: five drive views, the menus through which every command
// is reached, the panes' pop-up menus and the hidden members that hold the
// state the other windows share.
#include "controls/filecontrols.h"
#include "controls/vbform.h"
#include "platform/commondialog.h"

#include <QAction>
#include <array>

// The five named handlers of a per-pane family, each a thin entry point into
// the one parameterised operation.
#define QB_PANE_FAMILY(h1, h2, h3, h4, h5, impl)                                                   \
    void h1()                                                                                      \
    {                                                                                              \
        impl(1);                                                                                   \
    }                                                                                              \
    void h2()                                                                                      \
    {                                                                                              \
        impl(2);                                                                                   \
    }                                                                                              \
    void h3()                                                                                      \
    {                                                                                              \
        impl(3);                                                                                   \
    }                                                                                              \
    void h4()                                                                                      \
    {                                                                                              \
        impl(4);                                                                                   \
    }                                                                                              \
    void h5()                                                                                      \
    {                                                                                              \
        impl(5);                                                                                   \
    }

// One pane: drive list, folder list, file list, pattern field and button,
// with its two pop-up menus.
struct DriveView {
    int number = 0;
    ctl::DriveListBox* drive = nullptr;
    ctl::DirListBox* dir = nullptr;
    ctl::FileListBox* file = nullptr;
    ctl::TextBox* pattern = nullptr;
    ctl::CommandButton* button = nullptr;
    QMenu* filePopup = nullptr;
    QMenu* dirPopup = nullptr;
    QList<QWidget*> controls() const { return {drive, dir, file, pattern, button}; }
};

class Form1 : public ctl::Form<Form1> {
    Q_OBJECT
  public:
    Form1();

    // --- controls, by their names ---
    ctl::DriveListBox *DriveBox, *Drive2, *Drive3, *Drive4, *Drive5;
    ctl::DirListBox *DirBox, *DirBox2, *DirBox3, *DirBox4, *DirBox5;
    ctl::FileListBox *FileBox, *FileBox2, *FileBox3, *FileBox4, *FileBox5;
    ctl::TextBox *Text1, *Text2, *Text3, *Text4, *Text5;
    ctl::CommandButton *Command1, *Command2, *Command3, *Command4, *Command5;
    ctl::TextBox* Text6; // the pane whose folder changed last
    ctl::TextBox* Text7; // the active pane
    ctl::TextBox* Text8; // the pane notice
    ctl::ListBox* List1; // copy list: names
    ctl::ListBox* List2; // copy list: full paths from the search results
    plat::CommonDialog CommonDialog1;

    // --- menus ---
    QMenu *mnuFile, *Mnuview1, *mnuDesktop0, *mnuInternet, *mnuHelp;
    QAction *mnuCopy, *mnuSendFileTo, *mnuDelete0, *mnuPaste0, *mnuExecute0, *mnuSelectAll0,
        *mnuSearchFor, *mnuExit;
    QAction *mnuBmp, *mnuOpenTextFile, *mnuHtm_0;
    QMenu *mnuColors0, *mnuDriveView;
    QAction *mnuBackGround, *mnu_Folders, *mnu_Files;
    QAction *mnuDeskTop1, *DeskTop2, *DeskTop3, *DeskTop4, *DeskTop5, *mnuRefresh;
    QAction* mnuHelp1;
    QMenu *mnuPopup1, *mnuPopUp2, *mnuPopup3, *mnuPopUp4, *mnuPopup5;
    QMenu *mnuDirPop1, *mnuDirPop2, *mnuDirPop3, *mnuDirPop4, *mnuDirPop5;
    // link slots (hidden at design)
    std::array<QAction*, 10> mnuAuc{};
    std::array<QAction*, 20> mnuFav{};
    std::array<QAction*, 10> mnuYes{};
    // items of the Internet menu by name (all of it lives in weblinks/)
    QAction* menuItem(const QString& name) const;
    QMenu* menuNamed(const QString& name) const;

    // --- shared rules every command uses ---
    DriveView& Pane(int n);       // n = 1..5
    QString FullPath(int n);      // folder + "\" unless at a root + FileName
    bool PaneHasSelection(int n); // ListIndex >= 1 or entry 0 selected
    int FirstPaneWithSelection(); // 1..5, 0 when none
    int ActivePane() const;       // Text7 as 1..5, 0 otherwise
    static QString JoinPath(const QString& folder, const QString& name);

    // --- pane events ---
    void PaneClick(int n);
    void PaneFolderChange(int n);
    void PaneDriveChange(int n);
    void PanePatternButton(int n);
    void PaneMouseUpFiles(int n, int button);
    void PaneMouseUpFolders(int n, int button);
    QB_PANE_FAMILY(FileBox_Click, FileBox2_Click, FileBox3_Click, FileBox4_Click, FileBox5_Click,
                   PaneClick)
    QB_PANE_FAMILY(DirBox_Change, DirBox2_Change, DirBox3_Change, DirBox4_Change, DirBox5_Change,
                   PaneFolderChange)
    QB_PANE_FAMILY(DriveBox_Change, Drive2_Change, Drive3_Change, Drive4_Change, Drive5_Change,
                   PaneDriveChange)
    QB_PANE_FAMILY(Command1_Click, Command2_Click, Command3_Click, Command4_Click, Command5_Click,
                   PanePatternButton)
    QB_PANE_FAMILY(FileBox_DblClick, FileBox2_DblClick, FileBox3_DblClick, FileBox4_DblClick,
                   FileBox5_DblClick, PaneDblClick)
    void FileBox_MouseUp(int button) { PaneMouseUpFiles(1, button); }
    void FileBox2_MouseUp(int button) { PaneMouseUpFiles(2, button); }
    void FileBox3_MouseUp(int button) { PaneMouseUpFiles(3, button); }
    void FileBox4_MouseUp(int button) { PaneMouseUpFiles(4, button); }
    void FileBox5_MouseUp(int button) { PaneMouseUpFiles(5, button); }
    void DirBox_MouseUp(int button) { PaneMouseUpFolders(1, button); }
    void DirBox2_MouseUp(int button) { PaneMouseUpFolders(2, button); }
    void DirBox3_MouseUp(int button) { PaneMouseUpFolders(3, button); }
    void DirBox4_MouseUp(int button) { PaneMouseUpFolders(4, button); }
    void DirBox5_MouseUp(int button) { PaneMouseUpFolders(5, button); }

    // --- layouts ---
    void ApplyLayout(int panes);
    void mnuDeskTop1_Click() { ApplyLayout(1); }
    void DeskTop2_Click() { ApplyLayout(2); }
    void DeskTop3_Click() { ApplyLayout(3); }
    void DeskTop4_Click() { ApplyLayout(4); }
    void DeskTop5_Click() { ApplyLayout(5); }

    // --- select all ---
    void SelectAllPane(int n);
    void mnuSelectAll0_Click();
    QB_PANE_FAMILY(mnuSelectAll1_Click, mnuSelectAll2_Click, mnuSelectAll3_Click,
                   mnuSelectAll4_Click, mnuSelectAll5_Click, SelectAllPane)

    // --- start-up, shut-down, help, colours (startup.cpp, colors.cpp) ---
    void LoadAuctionLinks();
    void LoadFavoriteLinks();
    void LoadFormColor();
    void LoadDirBoxColor();
    void LoadFileBoxColor();
    void mnuExit_Click();
    void mnuHelp1_Click();
    void mnuBackGround_Click();
    void mnu_Folders_Click();
    void mnu_Files_Click();

    // --- file operations (fileops/) ---
    // Full path of the current entry of the file list a mouse button was
    // last released over; a release with entry 0 current leaves it as it was.
    QString LastFilePath;
    QString ParseFileName(const QString& sFileIn);
    void Recycle(const QString& filename);
    void Replicate(const QString& filename, const QString& Destination);
    void ListCopy();
    void mnuRefresh_Click();
    void mnuCopy_Click();
    void mnuSendFileTo_Click();
    void mnuDelete0_Click();
    void mnuPaste0_Click();
    void mnuSearchFor_Click();
    void CopyPane(int n);
    void CopyFileToPane(int n);
    void DeletePane(int n);
    void PastePane(int n);
    void RefreshPane(int n);
    void RenameFilePane(int n);
    void AddNewFolderPane(int n);
    void RenameFolderPane(int n);
    void RemoveFolderPane(int n);
    QB_PANE_FAMILY(mnuCopy1_Click, mnuCopy2_Click, mnuCopy3_Click, mnuCopy4_Click, mnuCopy5_Click,
                   CopyPane)
    QB_PANE_FAMILY(mnuCopee1_Click, mnuCopee2_Click, mnuCopee3_Click, mnuCopee4_Click,
                   mnuCopee5_Click, CopyFileToPane)
    QB_PANE_FAMILY(mnuDelete1_Click, mnuDelete2_Click, mnuDelete3_Click, mnuDelete4_Click,
                   mnuDelete5_Click, DeletePane)
    QB_PANE_FAMILY(mnuPasteFile_Click, mnuPasteFile2_Click, mnuPasteFile3_Click,
                   mnuPasteFile4_Click, mnuPasteFile5_Click, PastePane)
    QB_PANE_FAMILY(mnuRefresh1_Click, mnuRefresh2_Click, mnuRefresh3_Click, mnuRefresh4_Click,
                   mnuRefresh5_Click, RefreshPane)
    QB_PANE_FAMILY(mnuReeName1_Click, mnuReeName2_Click, mnuReeName3_Click, mnuReeName4_Click,
                   mnuReeName5_Click, RenameFilePane)
    QB_PANE_FAMILY(mnuAddnew1_Click, mnuAddnew2_Click, mnuAddnew3_Click, mnuAddnew4_Click,
                   mnuAddnew5_Click, AddNewFolderPane)
    QB_PANE_FAMILY(mnuRename1_Click, mnuRename2_Click, mnuRename3_Click, mnuRename4_Click,
                   mnuRename5_Click, RenameFolderPane)
    QB_PANE_FAMILY(mnuRemove1_Click, mnuRemove2_Click, mnuRemove3_Click, mnuRemove4_Click,
                   mnuRemove5_Click, RemoveFolderPane)

    // --- opening by type, text and HTML views (openbytype/, textview/) ---
    void PaneDblClick(int n);
    void RunPane(int n);
    void GraphicPane(int n);
    void ZipViewPane(int n);
    void mnuExecute0_Click();
    void mnuBmp_Click();
    void mnuOpenTextFile_Click();
    void mnuHtm_0_Click();
    void OpenTextFile(int n);
    QB_PANE_FAMILY(OpenTextFile1, OpenTextFile2, OpenTextFile3, OpenTextFile4, OpenTextFile5,
                   OpenTextFile)
    // The single-file text view: nothing in the program calls it.
    void ViewSingleText(int n);
    QB_PANE_FAMILY(ViewSingleText1, ViewSingleText2, ViewSingleText3, ViewSingleText4,
                   ViewSingleText5, ViewSingleText)
    void BlankProc() {}
    QB_PANE_FAMILY(mnuRun_Click, mnuRun2_Click, mnuRun3_Click, mnuRun4_Click, mnuRun5_Click,
                   RunPane)
    QB_PANE_FAMILY(mnuGraphic1_Click, mnuGraphic2_Click, mnuGraphic3_Click, mnuGraphic4_Click,
                   mnuGraphic5_Click, GraphicPane)
    void MnuViewHtml1_Click() { mnuHtm_0_Click(); }
    void MnuViewHtml2_Click() { mnuHtm_0_Click(); }
    void MnuViewHtml3_Click() { mnuHtm_0_Click(); }
    void mnuViewHtml4_Click() { mnuHtm_0_Click(); }
    void mnuViewHtml5_Click() { mnuHtm_0_Click(); }
    QB_PANE_FAMILY(mnuZipView1_Click, mnuZipView2_Click, mnuZipView3_Click, mnuZipView4_Click,
                   mnuZipView5_Click, ZipViewPane)

    // --- Internet menu (weblinks/) ---
    void BuildInternetMenu();
    void mnuIStart_Click();
    // The fixed sites and engines: each is one row of weblinks/webitems,
    // which the menu, these entry points and the launchers all read.
    void WebItemRequest(const QString& entry);
#define QB_WEB_ITEM(name)                                                                          \
    void name##_Click()                                                                            \
    {                                                                                              \
        WebItemRequest(QStringLiteral(#name));                                                     \
    }
#define QB_WEB_CALL(name)                                                                          \
    void name()                                                                                    \
    {                                                                                              \
        WebItemRequest(QStringLiteral(#name));                                                     \
    }
    QB_WEB_ITEM(mnuAuctionGuide)
    QB_WEB_ITEM(mnuBentMonkey)
    QB_WEB_ITEM(mnuBid4Assets)
    QB_WEB_ITEM(mnuBuySellTrades)
    QB_WEB_ITEM(mnuEbay)
    QB_WEB_ITEM(mnuSothebys)
    QB_WEB_ITEM(mnuSportsCollective)
    QB_WEB_ITEM(mnuABCNews)
    QB_WEB_ITEM(mnuCNNNews)
    QB_WEB_ITEM(mnuCBSNews)
    QB_WEB_ITEM(mnuFoxNews)
    QB_WEB_ITEM(mnuUSAToday)
    QB_WEB_ITEM(mnuNOAA)
    QB_WEB_ITEM(mnuWeatherChannel)
    QB_WEB_ITEM(mnuYaho)
    QB_WEB_CALL(VisitAquaBid)
    QB_WEB_CALL(VisitBarrettJackson)
    QB_WEB_CALL(VisitGreatLakes)
    QB_WEB_CALL(VisitMarketStand)
    QB_WEB_CALL(VisitQuickBid4U)
    QB_WEB_CALL(VisitAllQuartets)
    QB_WEB_CALL(VisitGoodNews)
    QB_WEB_CALL(VisitGospel)
    QB_WEB_CALL(VisitHisKidsRadio)
    QB_WEB_CALL(VisitRejoice)
    QB_WEB_ITEM(mnuAbout)
    QB_WEB_ITEM(mnuAllTheWeb)
    QB_WEB_ITEM(mnuAol)
    QB_WEB_ITEM(mnuAltaVista)
    QB_WEB_ITEM(mnuAskJeeves)
    QB_WEB_ITEM(mnuBigEye)
    QB_WEB_ITEM(mnuCnet)
    QB_WEB_ITEM(mnuDmoz)
    QB_WEB_ITEM(mnuEarthLink)
    QB_WEB_ITEM(mnuGoogle)
    QB_WEB_ITEM(mnuHotBot)
    QB_WEB_ITEM(mnuInktomi)
    QB_WEB_ITEM(mnuIsleuth)
    QB_WEB_ITEM(mnuIxquick)
    QB_WEB_ITEM(mnuLookSmart)
    QB_WEB_ITEM(mnuLycos)
    QB_WEB_ITEM(mnuMamma)
    QB_WEB_ITEM(mnuMetaCrawler)
    QB_WEB_ITEM(mnuMSN)
    QB_WEB_ITEM(mnuTeoma)
    QB_WEB_ITEM(mnuWiseNut)
    QB_WEB_ITEM(mnuYahoo)
    QB_WEB_CALL(SearchInfoSeek)
    QB_WEB_CALL(SearchIwon)
    QB_WEB_CALL(SearchNorthernLight)
    QB_WEB_CALL(SearchOverture)
    QB_WEB_CALL(SearchSavvy)
    void ShowSearchLauncher();
    // link slots: one operation per family, thin named entry points
#define QB_SLOT_ENTRY(prefix, n, impl)                                                             \
    void prefix##n##_Click()                                                                       \
    {                                                                                              \
        impl(n);                                                                                   \
    }
#define QB_SLOT_FAMILY10(prefix, impl)                                                             \
    QB_SLOT_ENTRY(prefix, 1, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 2, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 3, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 4, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 5, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 6, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 7, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 8, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 9, impl)                                                                 \
    QB_SLOT_ENTRY(prefix, 10, impl)
    void AuctionSlotClick(int n);
    void EngineSlotClick(int n);
    void FavoriteSlotClick(int n);
    QB_SLOT_FAMILY10(mnuAuc, AuctionSlotClick)
    QB_SLOT_FAMILY10(mnuYes, EngineSlotClick)
    QB_SLOT_FAMILY10(mnuFav, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 11, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 12, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 13, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 14, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 15, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 16, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 17, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 18, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 19, FavoriteSlotClick)
    QB_SLOT_ENTRY(mnuFav, 20, FavoriteSlotClick)
    // adding and removing links
    void mnuAddALink_Click();
    void mnuFav0_Click();
    void mnuAddSLink_Click();
    void mnuRemoveALink_Click();
    void mnuRemoveFav_Click();
    void mnuRemoveSLink_Click();
    void RemoveChristianLink();

    // --- picture viewer (pictureview/) ---
    // Shows the picture viewer (loading it when needed); failures are cleared.
    void ShowPictureView();
    void ShowPictureView1()
    {
        ShowPictureView();
    }
    void ShowPictureView2()
    {
        ShowPictureView();
    }
    void ShowPictureView3()
    {
        ShowPictureView();
    }
    void ShowPictureView4()
    {
        ShowPictureView();
    }

    // --- file search (filesearch/) ---
    // Shows the deep-search window; nothing calls it.
    void ShowDeepSearch();

  protected:
    void Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildPanes();
    void buildMenus();
    void buildPopups();
    std::array<DriveView, 5> m_panes;
};
