#include "mainwindow/form1.h"

#include "controls/controls.h"
#include "controls/handlers.h"
#include "fileops/filemessages.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

#include <QCloseEvent>
#include <QMenuBar>

using ctl::Move;

namespace {

const char* const kNotice = "No files of this type in present directory.";

struct Rect {
    double l, t, w, h; // h < 0: unchanged
};

} // namespace

Form1::Form1()
{
    setObjectName("Form1");
    setCaption("Quorbix");
    // No control box: the title bar offers no close, minimise or maximise.
    setBorderStyle(ctl::BorderStyle::Sizable, ctl::NoTitleButtons);
    setFont(ctl::vbFont("MS Sans Serif", 8.25));
    setBackColor(plat::vbBlue);
    buildMenus();
    buildPanes();
    buildPopups();
    BuildInternetMenu();
    setClientSizeTwips(11880, 7935);
    move(0, 0);
}

void Form1::buildPanes()
{
    QWidget* c = client();
    static const char* const driveNames[] = {"DriveBox", "Drive2", "Drive3", "Drive4", "Drive5"};
    static const char* const dirNames[] = {"DirBox", "DirBox2", "DirBox3", "DirBox4", "DirBox5"};
    static const char* const fileNames[] = {"FileBox", "FileBox2", "FileBox3", "FileBox4",
                                            "FileBox5"};
    static const char* const textNames[] = {"Text1", "Text2", "Text3", "Text4", "Text5"};
    static const char* const buttonNames[] = {"Command1", "Command2", "Command3", "Command4",
                                              "Command5"};
    static const char* const patterns[] = {"*.htm", "*.txt", "*.exe", "*.zip", "*.bmp"};

    for (int i = 0; i < 5; ++i) {
        DriveView& p = m_panes[i];
        const int n = i + 1;
        p.number = n;
        p.drive = new ctl::DriveListBox(c, driveNames[i]);
        p.dir = new ctl::DirListBox(c, dirNames[i]);
        p.file = new ctl::FileListBox(c, fileNames[i]);
        p.button = new ctl::CommandButton(c, buttonNames[i], "Change Extension");
        p.pattern = new ctl::TextBox(c, textNames[i]);
        p.pattern->setText(patterns[i]);

        p.file->setToolTip("Right click for options");
        p.dir->setToolTip(n == 1 ? "Double click on a folder to show it's files in  the box below"
                                 : "Double click on a folder to show it's files in the box below");
        p.drive->setToolTip("Click right arrow to change to another drive");
        p.pattern->setToolTip("Example(*.zip,*.bat) then click Change Extension");
        p.button->setToolTip("Enter any file extension below, then click here ");

        // Five panes hold the same controls: a screen reader says which
        // pane each belongs to. The drive list would otherwise say only the
        // drive it shows.
        const QString pane = QStringLiteral(", pane %1").arg(n);
        p.drive->setAccessibleName("Drive" + pane);
        p.dir->setAccessibleName("Folders" + pane);
        p.file->setAccessibleName("Files" + pane);
        p.pattern->setAccessibleName("Pattern" + pane);
        p.button->setAccessibleName("Change Extension" + pane);

        ctl::setBackColor(p.dir, plat::vbBlue);
        ctl::setForeColor(p.dir, plat::vbWhite);
        ctl::setBackColor(p.file, n == 1 ? plat::vbWindowBackground : plat::vbWhite);
        if (n == 1) ctl::setBackColor(p.drive, plat::vbWhite);

        ctl::onSignal(p.file, &ctl::FileListBox::Click, this, [this, n]() { PaneClick(n); });
        ctl::onSignal(p.file, &ctl::FileListBox::DblClick, this, [this, n]() { PaneDblClick(n); });
        ctl::onSignal(p.file, &ctl::FileListBox::MouseUp, this,
                      [this, n](int button, int, double, double) { PaneMouseUpFiles(n, button); });
        ctl::onSignal(p.dir, &ctl::DirListBox::Change, this, [this, n]() { PaneFolderChange(n); });
        ctl::onSignal(
            p.dir, &ctl::ListBox::MouseUp, this,
            [this, n](int button, int, double, double) { PaneMouseUpFolders(n, button); });
        ctl::onSignal(p.drive, &ctl::DriveListBox::Change, this,
                      [this, n]() { PaneDriveChange(n); });
        ctl::onSignal(p.button, &ctl::CommandButton::Click, this,
                      [this, n]() { PanePatternButton(n); });
    }
    DriveBox = m_panes[0].drive;
    Drive2 = m_panes[1].drive;
    Drive3 = m_panes[2].drive;
    Drive4 = m_panes[3].drive;
    Drive5 = m_panes[4].drive;
    DirBox = m_panes[0].dir;
    DirBox2 = m_panes[1].dir;
    DirBox3 = m_panes[2].dir;
    DirBox4 = m_panes[3].dir;
    DirBox5 = m_panes[4].dir;
    FileBox = m_panes[0].file;
    FileBox2 = m_panes[1].file;
    FileBox3 = m_panes[2].file;
    FileBox4 = m_panes[3].file;
    FileBox5 = m_panes[4].file;
    Text1 = m_panes[0].pattern;
    Text2 = m_panes[1].pattern;
    Text3 = m_panes[2].pattern;
    Text4 = m_panes[3].pattern;
    Text5 = m_panes[4].pattern;
    Command1 = m_panes[0].button;
    Command2 = m_panes[1].button;
    Command3 = m_panes[2].button;
    Command4 = m_panes[3].button;
    Command5 = m_panes[4].button;

    // Design layout: all five panes.
    static const double driveLeft[] = {0, 2400, 4800, 7200, 9580};
    static const double fileLeft[] = {0, 2400, 4800, 7200, 9600};
    for (int i = 0; i < 5; ++i) {
        DriveView& p = m_panes[i];
        Move(p.drive, driveLeft[i], 640, 2405, 315);
        Move(p.dir, driveLeft[i], 960, i == 4 ? 2385 : 2405, 2115);
        Move(p.file, fileLeft[i], 3000, i == 4 ? 2385 : 2415, 3990);
        Move(p.pattern, fileLeft[i], 7200, 2405, 285);
        Move(p.button, fileLeft[i], 6960, 2405, 255);
    }

    // Hidden members that hold shared state.
    Text6 = new ctl::TextBox(c, "Text6");
    Text7 = new ctl::TextBox(c, "Text7");
    Text8 = new ctl::TextBox(c, "Text8");
    Text6->hide();
    Text7->hide();
    Text8->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    Text8->setAccessibleName("Pane notice");
    Move(Text8, 0, 7560, 3735, 285);
    Text8->hide();
    List1 = new ctl::ListBox(c, "List1");
    List2 = new ctl::ListBox(c, "List2", ctl::ListBox::Extended);
    List1->hide();
    List2->hide();
}

void Form1::buildMenus()
{
    mnuFile = topMenu("mnuFile", "&File");
    mnuCopy = item(mnuFile, "mnuCopy", "Copy", QKeySequence("Ctrl+C"), [this] { mnuCopy_Click(); });
    mnuSendFileTo = item(mnuFile, "mnuSendFileTo", "Copy File To..", QKeySequence("Ctrl+F"),
                         [this] { mnuSendFileTo_Click(); });
    mnuDelete0 = item(mnuFile, "mnuDelete0", "Delete", QKeySequence("Ctrl+D"),
                      [this] { mnuDelete0_Click(); });
    mnuPaste0 =
        item(mnuFile, "mnuPaste0", "Paste", QKeySequence("Ctrl+P"), [this] { mnuPaste0_Click(); });
    mnuExecute0 = item(mnuFile, "mnuExecute0", "Run ", QKeySequence("Ctrl+R"),
                       [this] { mnuExecute0_Click(); });
    mnuSelectAll0 = item(mnuFile, "mnuSelectAll0", "Select All", QKeySequence("Ctrl+A"),
                         [this] { mnuSelectAll0_Click(); });
    mnuSearchFor = item(mnuFile, "mnuSearchFor", "Search ", QKeySequence("Ctrl+S"),
                        [this] { mnuSearchFor_Click(); });
    mnuExit = item(mnuFile, "mnuExit", "Exit", [this] { mnuExit_Click(); });

    Mnuview1 = topMenu("Mnuview1", "View");
    mnuBmp = item(Mnuview1, "mnuBmp", "View Graphic (.BMP, .CUR, .GIF, .ICO, .JPG, .WMF)",
                  QKeySequence("Ctrl+G"), [this] { mnuBmp_Click(); });
    mnuOpenTextFile = item(Mnuview1, "mnuOpenTextFile", "View Text (.BAT,.LOG,.TXT)",
                           QKeySequence("Ctrl+T"), [this] { mnuOpenTextFile_Click(); });
    mnuHtm_0 = item(Mnuview1, "mnuHtm_0", "View Html (.HTM,.HTML)", QKeySequence("Ctrl+H"),
                    [this] { mnuHtm_0_Click(); });

    mnuDesktop0 = topMenu("mnuDesktop0", " Desktop");
    mnuColors0 = subMenu(mnuDesktop0, "mnuColors0", "Change Colors");
    mnuBackGround =
        item(mnuColors0, "mnuBackGround", "Desktop Background", [this] { mnuBackGround_Click(); });
    mnu_Folders =
        item(mnuColors0, "mnu_Folders", "Folders Background", [this] { mnu_Folders_Click(); });
    mnu_Files = item(mnuColors0, "mnu_Files", "Files Background", [this] { mnu_Files_Click(); });
    mnuDriveView = subMenu(mnuDesktop0, "mnuDriveView", "Drive View");
    mnuDeskTop1 =
        item(mnuDriveView, "mnuDeskTop1", "One Drive View", [this] { mnuDeskTop1_Click(); });
    DeskTop2 = item(mnuDriveView, "DeskTop2", "Two Drive View", [this] { DeskTop2_Click(); });
    DeskTop3 = item(mnuDriveView, "DeskTop3", "Three Drive View", [this] { DeskTop3_Click(); });
    DeskTop4 = item(mnuDriveView, "DeskTop4", "Four Drive View", [this] { DeskTop4_Click(); });
    DeskTop5 = item(mnuDriveView, "DeskTop5", "Five Drive View", [this] { DeskTop5_Click(); });
    mnuRefresh = item(mnuDesktop0, "mnuRefresh", "Refresh All", [this] { mnuRefresh_Click(); });

    mnuInternet = topMenu("mnuInternet", "&Internet");
    mnuHelp = topMenu("mnuHelp", "Help");
    mnuHelp1 = item(mnuHelp, "mnuHelp1", "Help", [this] { mnuHelp1_Click(); });
}

void Form1::buildPopups()
{
    // Hidden top-level menus: never on the menu bar; only their items show,
    // as a pane's pop-up.
    mnuPopup1 = topMenu("mnuPopup1", "&Popup", false);
    mnuPopUp2 = topMenu("mnuPopUp2", "&Popup2", false);
    mnuPopup3 = topMenu("mnuPopup3", "&Popup3", false);
    mnuPopUp4 = topMenu("mnuPopUp4", "&Popup4", false);
    mnuPopup5 = topMenu("mnuPopup5", "&Popup5", false);
    mnuDirPop1 = topMenu("mnuDirPop1", "DirBox Popup1", false);
    mnuDirPop2 = topMenu("mnuDirPop2", "DirBox Popup2", false);
    mnuDirPop3 = topMenu("mnuDirPop3", "DirBox Popup3", false);
    mnuDirPop4 = topMenu("mnuDirPop4", "DirBox Popup4", false);
    mnuDirPop5 = topMenu("mnuDirPop5", "DirBox Popup5", false);
    QMenu* filePops[] = {mnuPopup1, mnuPopUp2, mnuPopup3, mnuPopUp4, mnuPopup5};
    QMenu* dirPops[] = {mnuDirPop1, mnuDirPop2, mnuDirPop3, mnuDirPop4, mnuDirPop5};

    for (int i = 0; i < 5; ++i) {
        const int n = i + 1;
        DriveView& p = m_panes[i];
        p.filePopup = filePops[i];
        p.dirPopup = dirPops[i];
        auto name = [n](const char* stem, bool bareFirst = false) {
            const QString s = QString::fromLatin1(stem);
            return (bareFirst && n == 1) ? s : s + QString::number(n);
        };
        auto add = [this](QMenu* m, const QString& nm, const QString& caption,
                          std::function<void()> h) {
            QAction* a = m->addAction(caption);
            a->setObjectName(nm);
            ctl::onSignal(a, &QAction::triggered, this, [h = std::move(h)]() { h(); });
        };
        // Folder pop-up
        add(p.dirPopup, name("mnuAddnew"), "Add New Folder", [this, n] { AddNewFolderPane(n); });
        add(p.dirPopup, name("mnuRename"), n == 1 ? "Rename" : "Rename ",
            [this, n] { RenameFolderPane(n); });
        add(p.dirPopup, name("mnuRemove"), n <= 3 ? "Remove " : "Remove",
            [this, n] { RemoveFolderPane(n); });
        // File pop-up
        add(p.filePopup, name("mnuCopy"), n == 3 ? "Copy " : "Copy", [this, n] { CopyPane(n); });
        add(p.filePopup, name("mnuCopee"),
            n == 1   ? "Copy FileTo.."
            : n == 3 ? "Copy File To"
                     : "Copy File To..",
            [this, n] { CopyFileToPane(n); });
        add(p.filePopup, name("mnuDelete"), "Delete", [this, n] { DeletePane(n); });
        add(p.filePopup, name("mnuPasteFile", true), n <= 4 ? "Paste " : "Paste",
            [this, n] { PastePane(n); });
        add(p.filePopup, name("mnuRefresh"), "Refresh", [this, n] { RefreshPane(n); });
        add(p.filePopup, name("mnuReeName"), "Rename", [this, n] { RenameFilePane(n); });
        add(p.filePopup, name("mnuRun", true), "Run", [this, n] { RunPane(n); });
        add(p.filePopup, name("mnuSelectAll"), "Select All Files", [this, n] { SelectAllPane(n); });
        add(p.filePopup, name("mnuGraphic"), "View Graphic (.BMP, .CUR, .GIF, .ICO, .JPG, .WMF)",
            [this, n] { GraphicPane(n); });
        add(p.filePopup, name(n <= 3 ? "MnuViewHtml" : "mnuViewHtml"), "View Html",
            [this] { mnuHtm_0_Click(); });
        add(p.filePopup, name("mnuZipView"), "ZipView", [this, n] { ZipViewPane(n); });
    }
}

QAction* Form1::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}
QMenu* Form1::menuNamed(const QString& name) const
{
    return findChild<QMenu*>(name);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The window has no close box; a close by other means (Alt+F4, a task
    // bar, a window manager that draws a close button all the same) is
    // File > Exit, the editor's question included.
    event->ignore();
    plat::runCommand([this] { mnuExit_Click(); });
}

// --- shared rules ---

DriveView& Form1::Pane(int n)
{
    return m_panes[std::clamp(n, 1, 5) - 1];
}

QString Form1::JoinPath(const QString& folder, const QString& name)
{
    return plat::winpath::join(folder, name);
}

QString Form1::FullPath(int n)
{
    DriveView& p = Pane(n);
    return JoinPath(p.dir->Path(), p.file->FileName());
}

bool Form1::PaneHasSelection(int n)
{
    ctl::FileListBox* f = Pane(n).file;
    return f->ListCount() > 0 && (f->ListIndex() >= 1 || f->Selected(0));
}

int Form1::FirstPaneWithSelection()
{
    for (int n = 1; n <= 5; ++n)
        if (PaneHasSelection(n)) return n;
    return 0;
}

int Form1::ActivePane() const
{
    const QString t = Text7->Text();
    if (t.size() == 1 && t.at(0) >= '1' && t.at(0) <= '5') return t.at(0).digitValue();
    return 0;
}

// --- pane events ---

void Form1::PaneClick(int n)
{
    Text7->setText(QString::number(n));
    QList<ctl::FileListBox*> others;
    for (int k = 1; k <= 5; ++k)
        if (k != n) others.append(Pane(k).file);
    ctl::FileListBox::RefreshTogether(others);
}

void Form1::PaneFolderChange(int n)
{
    DriveView& p = Pane(n);
    Text6->setText(QString::number(n));
    try {
        p.file->setPath(p.dir->Path());
    } catch (const plat::FileError&) {
        p.file->Refresh();
    }
    for (int k = 1; k <= 5; ++k)
        if (k != n) Pane(k).dir->RefreshIfChanged();
    if (p.file->ListCount() > 0) Text8->hide();
}

void Form1::PaneDriveChange(int n)
{
    DriveView& p = Pane(n);
    try {
        p.dir->setPath(p.drive->Drive());
    } catch (const plat::FileError& e) {
        const QString msg = fileops::messageFor(
            e.number(),
            {{plat::ErrDeviceIO, "Device not connected or in use"},
             {plat::ErrDiskFull, "Disk is full"},
             {plat::ErrDeviceUnavailable, "Device not available or no disk in drive"},
             {plat::ErrPermissionDenied, "Can't copy file to the same location"},
             {plat::ErrDiskNotReady, "Insert disk to continue"},
             {plat::ErrPathNotFound,
              "Either the destination doesn't exist or the path to the folder is misspelled or "
              "incomplete"}});
        if (!msg.isEmpty()) plat::MsgBox(msg);
    }
}

void Form1::PanePatternButton(int n)
{
    DriveView& p = Pane(n);
    Text8->hide();
    p.file->setPattern(p.pattern->Text());
    if (p.file->ListCount() == 0) {
        Text8->show();
        Text8->setText(kNotice);
    }
}

void Form1::PaneMouseUpFiles(int n, int button)
{
    if (button == 2) PopupMenu(Pane(n).filePopup);
    if (Pane(n).file->ListIndex() != 0) LastFilePath = FullPath(n);
}

void Form1::PaneMouseUpFolders(int n, int button)
{
    if (button == 2) PopupMenu(Pane(n).dirPopup);
}

// --- layouts ---

void Form1::ApplyLayout(int panes)
{
    panes = std::clamp(panes, 1, 5);
    for (int k = panes + 1; k <= 5; ++k)
        for (QWidget* w : Pane(k).controls())
            w->hide();
    for (int k = 1; k <= panes; ++k)
        for (QWidget* w : Pane(k).controls())
            w->show();

    auto place = [](QWidget* w, Rect r) {
        if (r.h < 0)
            Move(w, r.l, r.t, r.w);
        else
            Move(w, r.l, r.t, r.w, r.h);
    };
    constexpr double U = -1; // height unchanged
    if (panes == 1) {
        DriveView& p = Pane(1);
        place(p.drive, {70, 350, 4500, U});
        place(p.dir, {70, 635, 4500, 7000});
        place(p.file, {4570, 355, 8000, 7480});
        place(p.button, {70, 7160, 4500, U});
        place(p.pattern, {70, 7380, 4500, U});
        return;
    }
    if (panes == 2) {
        DriveView& a = Pane(1);
        place(a.drive, {180, 370, 4530, U});
        place(a.dir, {180, 650, 4530, 3400});
        place(a.pattern, {180, 3580, 4530, U});
        place(a.button, {180, 3865, 4525, U});
        place(a.file, {4700, 350, 7040, 3790});
        DriveView& b = Pane(2);
        place(b.drive, {180, 4130, 4530, U});
        place(b.dir, {180, 4363, 4530, 3570});
        place(b.pattern, {180, 7350, 4530, U});
        place(b.button, {180, 7630, 4525, U});
        place(b.file, {4700, 4080, 7040, 3820});
        return;
    }
    static const double left3[] = {180, 4015, 7875};
    static const double left4[] = {180, 3065, 5940, 8825};
    static const double left5[] = {15, 2400, 4785, 7170, 9550};
    for (int k = 1; k <= panes; ++k) {
        DriveView& p = Pane(k);
        double left = 0, wDrive = 0, wDir = 0, wFile = 0, wButton = 0, wText = 0;
        if (panes == 3) {
            left = left3[k - 1];
            wDrive = wDir = wFile = wButton = wText = 3850;
        } else if (panes == 4) {
            left = left4[k - 1];
            wDrive = wDir = wFile = wButton = wText = 2885;
            if (k == 3) wFile = 2880;
        } else {
            left = left5[k - 1];
            if (k == 1) {
                wDrive = wDir = wFile = wText = 2400;
                wButton = 2385;
            } else {
                wDrive = wDir = wFile = wButton = wText = 2385;
                if (k == 2) wDir = 2390;
            }
        }
        place(p.drive, {left, 640, wDrive, U});
        place(p.dir, {left, 960, wDir, 2115});
        place(p.file, {left, 3000, wFile, 3990});
        place(p.button, {left, 6960, wButton, U});
        place(p.pattern, {left, 7200, wText, U});
    }
}

// --- select all ---

void Form1::SelectAllPane(int n)
{
    if (n >= 4 && !PaneHasSelection(n)) return;
    // Every entry in one range: selecting the entries one by one costs the
    // selection model time in the square of their number (minutes for a
    // folder of 100,000 files).
    Pane(n).file->selectAll();
}

void Form1::mnuSelectAll0_Click()
{
    const int n = FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox("Please select a file first");
        return;
    }
    try {
        SelectAllPane(n);
    } catch (const plat::FileError&) {
        // A list whose folder cannot be read keeps its selection as it was:
        // Select All changes nothing on disk, so there is nothing to report.
    }
}
