#include "editor/textpad.h"

#include "controls/controls.h"
#include "controls/handlers.h"
#include "editor/frmfind.h"
#include "editor/module1.h"
#include "editor/web1.h"
#include "mainwindow/form1.h"
#include "openbytype/suffixes.h"
#include "platform/app.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/winpath.h"
#include "weblinks/openinbrowser.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QRegularExpression>

#include <utility>

namespace {

enum class Glyph { New, Open, Cut, Copy, Paste };

// The toolbar's pictures: a bevelled face with a small drawing, the pressed
// one sunk by a pixel.
QPixmap buttonPicture(Glyph g, int width, bool pressed)
{
    QPixmap pm(width, 22);
    pm.fill(QColor(192, 192, 192));
    QPainter p(&pm);
    const QColor light = pressed ? QColor(128, 128, 128) : Qt::white;
    const QColor dark = pressed ? Qt::white : QColor(128, 128, 128);
    p.setPen(light);
    p.drawLine(0, 0, width - 1, 0);
    p.drawLine(0, 0, 0, 21);
    p.setPen(dark);
    p.drawLine(0, 21, width - 1, 21);
    p.drawLine(width - 1, 0, width - 1, 21);
    p.translate(pressed ? (width - 16) / 2 + 1 : (width - 16) / 2, pressed ? 4 : 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto page = [&](int x, int y) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 7, y), QPoint(x + 10, y + 3),
                                QPoint(x + 10, y + 12), QPoint(x, y + 12)}));
        p.drawLine(x + 7, y, x + 7, y + 3);
        p.drawLine(x + 7, y + 3, x + 10, y + 3);
    };
    switch (g) {
    case Glyph::New:
        page(3, 1);
        break;
    case Glyph::Open:
        p.setPen(Qt::black);
        p.setBrush(QColor(255, 255, 0));
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(5, 4), QPoint(6, 5), QPoint(12, 5),
                                QPoint(12, 13), QPoint(1, 13)}));
        p.setBrush(QColor(128, 128, 0));
        p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(12, 13), QPoint(1, 13)}));
        break;
    case Glyph::Cut:
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(5, 1, 9, 9);
        p.drawLine(10, 1, 6, 9);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.drawEllipse(2, 9, 4, 4);
        p.drawEllipse(9, 9, 4, 4);
        break;
    case Glyph::Copy:
        page(1, 0);
        page(5, 3);
        break;
    case Glyph::Paste:
        p.setPen(Qt::black);
        p.setBrush(QColor(128, 64, 0));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(4, 0, 4, 3);
        page(5, 4);
        break;
    }
    return pm;
}

QString generalDateNow()
{
    // short date, a blank, long time (without a time zone name)
    const QLocale loc = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = loc.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return loc.toString(now.date(), QLocale::ShortFormat) + ' ' +
           loc.toString(now.time(), timeFormat.trimmed());
}

} // namespace

Textpad::Textpad()
{
    setObjectName("Textpad");
    setCaption(QStringLiteral("TextPad "));
    setBorderStyle(ctl::BorderStyle::FixedSingle, ctl::CloseButton);

    txtNote = new NoteField(client(), "txtNote");
    ctl::Move(txtNote, 120, 480, 10695, 6135);
    ctl::onSignal(txtNote, &NoteField::Change, this, [this] { txtNote_Change(); });

    CMDialog1.CancelError = true;
    CMDialog1.DialogTitle = QStringLiteral("TextPad");

    buildToolbar();
    buildMenus();
    setClientSizeTwips(10845, 6615);
    setFixedSize(size());
    txtNote->setFocus();
}

void Textpad::buildToolbar()
{
    picToolbar = new QWidget(client());
    picToolbar->setObjectName("picToolbar");
    ctl::Move(picToolbar, 0, 0, 10845, 405);

    imgFileNewButtonUp = buttonPicture(Glyph::New, 24, false);
    imgFileNewButtonDn = buttonPicture(Glyph::New, 25, true);
    imgFileOpenButtonUp = buttonPicture(Glyph::Open, 24, false);
    imgFileOpenButtonDn = buttonPicture(Glyph::Open, 24, true);
    imgCutButtonUp = buttonPicture(Glyph::Cut, 25, false);
    imgCutButtonDn = buttonPicture(Glyph::Cut, 25, true);
    imgCopyButtonUp = buttonPicture(Glyph::Copy, 25, false);
    imgCopyButtonDn = buttonPicture(Glyph::Copy, 25, true);
    imgPasteButtonUp = buttonPicture(Glyph::Paste, 25, false);
    imgPasteButtonDn = buttonPicture(Glyph::Paste, 25, true);

    struct ButtonInfo {
        ImageButton** button;
        const char* name;
        double left, width;
        const char* tip;
        void (Textpad::*click)();
    };
    const ButtonInfo buttons[] = {
        {&imgFileNewButton, "imgFileNewButton", 0, 360, "New File",
         &Textpad::imgFileNewButton_Click},
        {&imgFileOpenButton, "imgFileOpenButton", 360, 360, "Open File",
         &Textpad::imgFileOpenButton_Click},
        {&imgCutButton, "imgCutButton", 840, 375, "Cut", &Textpad::imgCutButton_Click},
        {&imgCopyButton, "imgCopyButton", 1200, 375, "Copy", &Textpad::imgCopyButton_Click},
        {&imgPasteButton, "imgPasteButton", 1560, 375, "Paste", &Textpad::imgPasteButton_Click},
    };
    for (const ButtonInfo& s : buttons) {
        auto* b = new ImageButton(picToolbar, s.name, QString::fromLatin1(s.tip));
        *s.button = b;
        ctl::Move(b, s.left, 0, s.width, 330);
        ctl::onSignal(b, &ImageButton::MouseDown, this, [this, b] { ToolbarMouseDown(b); });
        ctl::onSignal(
            b, &ImageButton::MouseMove, this,
            [this, b](int button, int, double x, double y) { ToolbarMouseMove(b, button, x, y); });
        ctl::onSignal(b, &ImageButton::MouseUp, this, [this, b] { ToolbarMouseUp(b); });
        ctl::onSignal(b, &ImageButton::Click, this, [this, c = s.click] { (this->*c)(); });
    }
    for (ImageButton* b :
         {imgFileNewButton, imgFileOpenButton, imgCutButton, imgCopyButton, imgPasteButton})
        b->setPicture(raisedPicture(b));
}

void Textpad::buildMenus()
{
    mnuFile = topMenu("mnuFile", "&File");
    mnuOpen = item(mnuFile, "mnuOpen", "Open", [this] { mnuOpen_Click(); });
    mnuFileNew = item(mnuFile, "mnuFileNew", "&New", [this] { mnuFileNew_Click(); });
    mnuFileSave = item(mnuFile, "mnuFileSave", "&Save", [this] { mnuFileSave_Click(); });
    mnuFileSaveAs = item(mnuFile, "mnuFileSaveAs", "Save &As", [this] { mnuFileSaveAs_Click(); });
    mnuFile->addSeparator()->setObjectName("mnuFSep1");
    mnuFileExit = item(mnuFile, "mnuFileExit", "Exit", [this] { mnuFileExit_Click(); });

    mnuEdit = topMenu("mnuEdit", "&Edit");
    mnuEditCut =
        item(mnuEdit, "mnuEditCut", "Cut", QKeySequence("Ctrl+X"), [this] { mnuEditCut_Click(); });
    mnuEditCopy = item(mnuEdit, "mnuEditCopy", "&Copy", QKeySequence("Ctrl+C"),
                       [this] { mnuEditCopy_Click(); });
    mnuEditPaste = item(mnuEdit, "mnuEditPaste", "&Paste", QKeySequence("Ctrl+V"),
                        [this] { mnuEditPaste_Click(); });
    mnuEditDelete = item(mnuEdit, "mnuEditDelete", "Delete", QKeySequence(Qt::Key_Delete),
                         [this] { mnuEditDelete_Click(); });
    mnuEditSelectAll =
        item(mnuEdit, "mnuEditSelectAll", "Select All", [this] { mnuEditSelectAll_Click(); });
    mnuEditTime = item(mnuEdit, "mnuEditTime", "Time / &Date", [this] { mnuEditTime_Click(); });

    mnuSearch = topMenu("mnuSearch", "&Search");
    mnuSearchFind = item(mnuSearch, "mnuSearchFind", "&Find", [this] { mnuSearchFind_Click(); });
    mnuSearchFindNext = item(mnuSearch, "mnuSearchFindNext", "Find &Next", QKeySequence(Qt::Key_F3),
                             [this] { mnuSearchFindNext_Click(); });

    mnuOptions = topMenu("mnuOptions", "&Options");
    ctl::onSignal(mnuOptions, &QMenu::aboutToShow, this, [this] { mnuOptions_Click(); });
    mnuOptionsToolbar =
        item(mnuOptions, "mnuOptionsToolbar", "&Toolbar", [this] { mnuOptionsToolbar_Click(); });
    mnuOptionsToolbar->setCheckable(true);
    mnuFonts = subMenu(mnuOptions, "mnuFonts", "&Fonts");
    mnuFontName << item(mnuFonts, "mnuFontName", "FontName", [this] { mnuFontName_Click(0); });

    mnuHtmledit0 = topMenu("mnuHtmledit0", "HTML");
    mnuHtmledit1 =
        item(mnuHtmledit0, "mnuHtmledit1", "Show Changes", [this] { mnuHtmledit1_Click(); });
    mnuView = item(mnuHtmledit0, "mnuView", "View Html", [this] { mnuView_Click(); });
    mnuHtmledit0->menuAction()->setVisible(false);
}

// --- the document ---

void Textpad::setDocument(const QString& caption, const QString& path, Module2::FileFormat format)
{
    // A document's caption is its path, shown as the lists show names.
    if (path.isEmpty())
        setCaption(caption);
    else
        setCaption(caption, plat::drives::displayName(caption));
    m_path = path;
    m_format = format;
}

bool Textpad::NeedsName() const
{
    return Caption().left(3) == QLatin1String("New") || m_path.isEmpty();
}

QString Textpad::PreviewPath() const
{
    const QString doc = m_path.isEmpty() ? Caption() : m_path;
    return plat::winpath::join(plat::winpath::parent(doc), QStringLiteral("temp.html"));
}

bool Textpad::HtmlMenuVisible() const
{
    return mnuHtmledit0->menuAction()->isVisible();
}
void Textpad::setHtmlMenuVisible(bool on)
{
    mnuHtmledit0->menuAction()->setVisible(on);
}

// --- load and close ---

void Textpad::Form_Load()
{
    CheckPaneHtml();
    const int left = plat::screenWidthTwips() / 2 - (width() * plat::twipsPerPixel) / 2;
    const int top = plat::screenHeightTwips() / 2 - (height() * plat::twipsPerPixel) / 2;
    move(plat::px(left), plat::px(top));
    Show();
    try {
        const QString own = plat::drives::toWindows(QCoreApplication::applicationDirPath());
        if (!own.isEmpty()) plat::drives::setCurrentFolder(own);
    } catch (const plat::FileError&) {
    }
    Module1::TextChanged = false;
    Module1::FindDirection = 1;
    const QStringList fonts = plat::fontNames();
    for (int i = 0; i < fonts.size(); ++i) {
        if (i == 0) {
            mnuFontName[0]->setText(fonts[0]);
            continue;
        }
        mnuFontName << item(mnuFonts, "mnuFontName", fonts[i], [this, i] { mnuFontName_Click(i); });
    }
}

bool Textpad::Form_QueryUnload()
{
    // A cancelled Save dialog or a failed save keeps the window and its text.
    return Module1::TextChanged && AskToSave(false) == SaveOutcome::Kept;
}

// --- File ---

void Textpad::mnuFileNew_Click()
{
    Module1::NewDocument();
}
void Textpad::mnuFileSave_Click()
{
    Module1::SaveDocument();
}

Textpad::SaveOutcome Textpad::AskToSave(bool offerCancel)
{
    // The document as its title bar shows it.
    const int answer = plat::MsgBox("Save changes to " + windowTitle() + "?",
                                    offerCancel ? plat::vbYesNoCancel : plat::vbYesNo,
                                    QStringLiteral("Save Changes"));
    if (answer == plat::vbYes)
        return Module1::SaveDocument() ? SaveOutcome::Saved : SaveOutcome::Kept;
    if (answer != plat::vbNo) return SaveOutcome::Kept;
    Module1::TextChanged = false;
    return SaveOutcome::Dropped;
}

Textpad::Choice Textpad::ChooseFile(bool save)
{
    try {
        if (save)
            CMDialog1.ShowSave();
        else
            CMDialog1.ShowOpen();
        return Choice::Chosen;
    } catch (const plat::FileError& e) {
        if (e.number() != plat::ErrDeviceUnavailable) return Choice::Cancelled;
        plat::MsgBox(
            "The folder " + e.detail() + " is not on one of the program's drives, so " +
                (save ? "the file cannot be saved there." : "no file can be opened from it."),
            plat::vbExclamation);
        return Choice::Refused;
    }
}

bool Textpad::Createfile()
{
    return AskToSave(false) != SaveOutcome::Kept;
}

bool Textpad::ReadyToEnd()
{
    Textpad* pad = instanceIfLoaded();
    return !pad || !Module1::TextChanged || pad->AskToSave(true) != SaveOutcome::Kept;
}

void Textpad::mnuFileSaveAs_Click()
{
    if (ChooseFile(true) != Choice::Chosen) return;
    const QString name = CMDialog1.FileName;
    // The file just written is the document from now on; the old one stays as it was.
    if (Module2::SaveTextFile(name)) setDocument(name, name, m_format);
}

void Textpad::FileOpenProc()
{
    if (Caption() != QLatin1String("New")) {
        if (Module1::TextChanged && !Createfile()) return;
        CMDialog1.Flags = 0x201100;
        CMDialog1.Filter =
            QStringLiteral("Html Files(*.HTM;*.Html)|*.HTM;*.Html|Text Files (*.Txt)|*.Txt|") +
            QStringLiteral("All Files (*.*)|*.*");
        CMDialog1.FilterIndex = 1;
        if (ChooseFile(false) != Choice::Chosen) return;
        if (Module2::LoadAndReport(CMDialog1.FileName)) CheckOpenHtml();
        return;
    }
    CMDialog1.FileName.clear();
    if (Module1::TextChanged) {
        const Choice choice = ChooseFile(true);
        if (choice == Choice::Refused) return; // told so: the text stays
        if (choice == Choice::Chosen) {
            const QString name = CMDialog1.FileName;
            if (!Module2::SaveTextFile(name))
                return; // the text was not saved: it stays, and nothing replaces it
            setDocument(name, name, m_format);
            Module1::TextChanged = false;
        }
    }
    if (ChooseFile(false) != Choice::Chosen) return;
    const QString path = CMDialog1.FileName;
    // The Save dialog was this road's question: a Cancel there was the
    // answer, and the load asks nothing more. A load that fails leaves the
    // text, and with it its change flag, as they were.
    const bool changed = std::exchange(Module1::TextChanged, false);
    if (!Module2::LoadAndReport(path)) {
        Module1::TextChanged = changed;
        return;
    }
    CheckOpenHtml();
    setCaption(path, plat::drives::displayName(path));
}

void Textpad::txtNote_Change()
{
    Module1::TextChanged = true;
}

// --- Edit ---

void Textpad::mnuEditCut_Click()
{
    Module1::CutSelection();
}
void Textpad::mnuEditCopy_Click()
{
    Module1::CopySelection();
}
void Textpad::mnuEditPaste_Click()
{
    Module1::PasteText();
}

void Textpad::mnuEditDelete_Click()
{
    if (txtNote->SelStart() == txtNote->length()) return;
    if (txtNote->SelLength() == 0) {
        // one whole character: a CR LF line end, a letter with its marks,
        // an emoji sequence; a lone CR alone
        const qsizetype at = txtNote->SelStart();
        txtNote->setSelLength(txtNote->nextCharacter(at) - at);
    }
    txtNote->setSelText(QString());
}

void Textpad::mnuEditSelectAll_Click()
{
    txtNote->setSelStart(0);
    txtNote->setSelLength(txtNote->length());
}

void Textpad::mnuEditTime_Click()
{
    txtNote->setSelText(generalDateNow());
}

// --- Search ---

void Textpad::mnuSearchFind_Click()
{
    const QString selected = txtNote->SelText();
    frmFind& find = frmFind::get();
    find.txtFind->setText(!selected.isEmpty() ? selected : Module1::FindText);
    Module1::FindRestart = true;
    if (Module1::FindMatchCase != 0) find.chkCase->setChecked(true);
    find.Show(1);
}

void Textpad::mnuSearchFindNext_Click()
{
    if (Module1::FindText.size() < 1)
        mnuSearchFind_Click();
    else
        Module1::FindInText();
}

// --- Options ---

void Textpad::mnuOptions_Click()
{
    mnuOptionsToolbar->setChecked(!picToolbar->isHidden());
}

void Textpad::mnuOptionsToolbar_Click()
{
    picToolbar->setVisible(picToolbar->isHidden());
    mnuOptionsToolbar->setChecked(!picToolbar->isHidden());
}

void Textpad::mnuFontName_Click(int index)
{
    if (index >= 0 && index < mnuFontName.size()) txtNote->setFontName(mnuFontName[index]->text());
}

// --- HTML ---

void Textpad::CheckPaneHtml()
{
    Form1* main = Form1::instanceIfLoaded();
    if (!main) return;
    const int n = main->ActivePane();
    if (n == 0) return;
    if (suffixes::HasHtmlEnding(main->Pane(n).file->FileName())) setHtmlMenuVisible(true);
}

void Textpad::CheckOpenHtml()
{
    CheckHtml(CMDialog1.FileName);
}

void Textpad::CheckHtml(const QString& path)
{
    if (suffixes::HasHtmlEnding(path)) {
        setHtmlMenuVisible(true);
        repaint();
    }
}

void Textpad::mnuHtmledit1_Click()
{
    if (!suffixes::HasHtmlEnding(Caption())) return;
    // The viewer is asked for the preview outright, so a viewer shown by
    // anything else opens the page itself. The menu is hidden until the
    // viewer has started the browser on the preview: a viewer that stays
    // loaded only comes forward, and the menu stays hidden while it does.
    // A preview that could not be written (its message is shown) has no
    // page for the browser: the one there may be stale or not ours.
    if (!Module2::SaveTempHtml(PreviewPath(), m_path.isEmpty() ? Caption() : m_path)) return;
    m_previewAsked = true;
    setHtmlMenuVisible(false);
    Web1::get().Show();
    m_previewAsked = false;
}

void Textpad::mnuView_Click()
{
    if (NeedsName()) return; // no file of its own: there is no page to show
    // The object is made as the browser expects it, and released unasked.
    auto browser = weblinks::OpenBrowserObject();
    weblinks::StartBrowser(m_path, plat::vbNormalFocus);
}

// --- toolbar ---

bool Textpad::ToolbarHit(double x, double y, double width, double height)
{
    return x > 0 && x <= width && y >= 0 && y <= height;
}

const QPixmap& Textpad::raisedPicture(ImageButton* b) const
{
    if (b == imgFileNewButton) return imgFileNewButtonUp;
    if (b == imgFileOpenButton) return imgFileOpenButtonUp;
    if (b == imgCutButton) return imgCutButtonUp;
    if (b == imgCopyButton) return imgCopyButtonUp;
    return imgPasteButtonUp;
}

const QPixmap& Textpad::pressedPicture(ImageButton* b) const
{
    if (b == imgFileNewButton) return imgFileNewButtonDn;
    if (b == imgFileOpenButton) return imgFileOpenButtonDn;
    if (b == imgCutButton) return imgCutButtonDn;
    if (b == imgCopyButton) return imgCopyButtonDn;
    return imgPasteButtonDn;
}

void Textpad::ToolbarMouseDown(ImageButton* b)
{
    b->setPicture(pressedPicture(b));
}

void Textpad::ToolbarMouseMove(ImageButton* b, int button, double x, double y)
{
    if (button != 1) return;
    const ctl::TwipsRect r = ctl::twips(b);
    b->setPicture(ToolbarHit(x, y, r.width, r.height) ? pressedPicture(b) : raisedPicture(b));
}

void Textpad::ToolbarMouseUp(ImageButton* b)
{
    b->setPicture(raisedPicture(b));
}

void Textpad::ToolbarClick(ImageButton* b)
{
    b->repaint();
    if (b == imgFileNewButton)
        Module1::NewDocument();
    else if (b == imgFileOpenButton)
        FileOpenProc();
    else if (b == imgCutButton)
        Module1::CutSelection();
    else if (b == imgCopyButton)
        Module1::CopySelection();
    else if (b == imgPasteButton)
        Module1::PasteText();
}
