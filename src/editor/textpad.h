#pragma once
// The editor window: one document at a time in txtNote, its path in the
// caption, a picture toolbar, and the menus of a small text editor with an
// HTML menu that previews the text in the browser.
#include "controls/vbform.h"
#include "editor/imagebutton.h"
#include "editor/module2.h"
#include "editor/notefield.h"
#include "platform/commondialog.h"

#include <QPixmap>

class Textpad : public ctl::Form<Textpad> {
    Q_OBJECT
  public:
    Textpad();

    // --- controls ---
    NoteField* txtNote;
    QWidget* picToolbar;
    ImageButton *imgFileNewButton, *imgFileOpenButton, *imgCutButton, *imgCopyButton,
        *imgPasteButton;
    // the toolbar's hidden pictures, raised (Up) and pressed (Dn)
    QPixmap imgFileNewButtonUp, imgFileNewButtonDn, imgFileOpenButtonUp, imgFileOpenButtonDn,
        imgCutButtonUp, imgCutButtonDn, imgCopyButtonUp, imgCopyButtonDn, imgPasteButtonUp,
        imgPasteButtonDn;
    plat::CommonDialog CMDialog1;

    // --- menus ---
    QMenu *mnuFile, *mnuEdit, *mnuSearch, *mnuOptions, *mnuFonts, *mnuHtmledit0;
    QAction *mnuOpen, *mnuFileNew, *mnuFileSave, *mnuFileSaveAs, *mnuFileExit;
    QAction *mnuEditCut, *mnuEditCopy, *mnuEditPaste, *mnuEditDelete, *mnuEditSelectAll,
        *mnuEditTime;
    QAction *mnuSearchFind, *mnuSearchFindNext;
    QAction* mnuOptionsToolbar;
    QList<QAction*> mnuFontName;
    QAction *mnuHtmledit1, *mnuView;

    // --- the document ---
    // The caption shows the document's path (in capitals after the loader);
    // the file itself is the real path kept here, empty while the document
    // has no file of its own.
    QString DocumentPath() const { return m_path; }
    // How the document's file is written back: its encoding and its mark.
    Module2::FileFormat DocumentFormat() const { return m_format; }
    void setDocument(const QString& caption, const QString& path, Module2::FileFormat format);
    void setDocumentFormat(Module2::FileFormat f) { m_format = f; }
    // True when a save must ask for a name: a new document, or none yet.
    bool NeedsName() const;
    // "temp.html" in the folder of the document.
    QString PreviewPath() const;

    // The HTML mode flag: the HTML menu's visibility.
    bool HtmlMenuVisible() const;
    void setHtmlMenuVisible(bool on);
    // Shows the HTML menu for a document with an HTML ending, as File > Open
    // and View Html do; never hides it.
    void CheckHtml(const QString& path);
    // True while Show Changes has the HTML viewer open: the viewer then
    // opens the preview file, at every other time the page itself.
    bool PreviewAsked() const { return m_previewAsked; }

    // --- the edits and their file ---
    enum class SaveOutcome { Saved, Dropped, Kept };
    // The save question, "Save changes to <caption>?": Yes saves (asking for
    // a name when the document has none), No lets the edits go, and Cancel,
    // offered when asked for, keeps them. The edits are also kept when the
    // Save dialog is cancelled or the save fails: the caller then stops.
    SaveOutcome AskToSave(bool offerCancel);
    enum class Choice { Chosen, Cancelled, Refused };
    // The Open or the Save dialog of CMDialog1. A file on none of the
    // program's drives is refused with a message, not taken for a cancel.
    Choice ChooseFile(bool save);

    // --- public operations ---
    void mnuFileNew_Click();
    void mnuFileSave_Click();
    // The save prompt; false when the text must stay: a cancelled Save
    // dialog or a failed save.
    bool Createfile();
    // Before the program ends: a changed document gets the close question,
    // with a Cancel. False when the text must stay (Cancel, a cancelled Save
    // dialog, a failed save), and the program goes on.
    static bool ReadyToEnd();
    void FileOpenProc();

    // --- handlers ---
    void mnuOpen_Click() { FileOpenProc(); }
    void mnuFileSaveAs_Click();
    void mnuFileExit_Click() { Unload(); }
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditDelete_Click();
    void mnuEditSelectAll_Click();
    void mnuEditTime_Click();
    void mnuSearchFind_Click();
    void mnuSearchFindNext_Click();
    void mnuOptions_Click();
    void mnuOptionsToolbar_Click();
    void mnuFontName_Click(int index);
    void mnuHtmledit1_Click();
    void mnuView_Click();
    void txtNote_Change();

    // The toolbar: one behaviour for the five buttons.
    static bool ToolbarHit(double x, double y, double width, double height);
    void ToolbarMouseDown(ImageButton* b);
    void ToolbarMouseMove(ImageButton* b, int button, double x, double y);
    void ToolbarMouseUp(ImageButton* b);
    void ToolbarClick(ImageButton* b);
    void imgFileNewButton_Click() { ToolbarClick(imgFileNewButton); }
    void imgFileOpenButton_Click() { ToolbarClick(imgFileOpenButton); }
    void imgCutButton_Click() { ToolbarClick(imgCutButton); }
    void imgCopyButton_Click() { ToolbarClick(imgCopyButton); }
    void imgPasteButton_Click() { ToolbarClick(imgPasteButton); }

  protected:
    void Form_Load() override;
    bool Form_QueryUnload() override;

  private:
    void CheckPaneHtml();
    void CheckOpenHtml();
    void buildMenus();
    void buildToolbar();
    const QPixmap& raisedPicture(ImageButton* b) const;
    const QPixmap& pressedPicture(ImageButton* b) const;

    QString m_path;
    Module2::FileFormat m_format;
    bool m_previewAsked = false;
};
