#include "filesearch/dig.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "editor/module2.h"
#include "editor/textpad.h"
#include "filesearch/module1_search.h"
#include "mainwindow/form1.h"
#include "openbytype/suffixes.h"
#include "platform/app.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/textprinter.h"
#include "platform/winpath.h"
#include "textview/textsuffixes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

namespace {
constexpr int kLightCyan = 0x00FFFFC0;
// Hide the print-to-file box, no Selection range.
constexpr int kPrinterFlags = plat::cdlPDHidePrintToFile | plat::cdlPDNoSelection;

// A control's own Enabled, whatever the window's: the window is laid out
// disabled, and the stop signal must not depend on that.
bool enabled(const QWidget* w)
{
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace

Dig::Dig()
{
    setObjectName("Dig");
    setCaption("Search");
    setBorderStyle(ctl::BorderStyle::FixedSingle, ctl::NoTitleButtons);
    setBackColor(plat::vbBlue);

    mnuFile = topMenu("mnuFile", "&File");
    mnuSelectall = item(mnuFile, "mnuSelectall", "&Selectall", QKeySequence("Ctrl+S"),
                        [this] { mnuSelectall_Click(); });
    mnuCopy =
        item(mnuFile, "mnuCopy", "&Copy", QKeySequence("Ctrl+C"), [this] { mnuCopy_Click(); });
    mnuExecute =
        item(mnuFile, "mnuExecute", "&Run", QKeySequence("Ctrl+E"), [this] { mnuExecute_Click(); });
    mnuPrint = item(mnuFile, "mnuPrint", "Print ", [this] { mnuPrint_Click(); });
    mnuView =
        item(mnuFile, "mnuView", "&View Text", QKeySequence("Ctrl+V"), [this] { mnuView_Click(); });
    mnuExit =
        item(mnuFile, "mnuExit", "&Exit", QKeySequence("Ctrl+X"), [this] { mnuExit_Click(); });
    mnuPopup1 = topMenu("mnuPopup1", "Popup", false);
    mnuUpCopy = item(mnuPopup1, "mnuUpCopy", "Copy", [this] { mnuUpCopy_Click(); });
    mnuUpSelectall =
        item(mnuPopup1, "mnuUpSelectall", "SelectAll", [this] { mnuUpSelectall_Click(); });
    mnuUpRun = item(mnuPopup1, "mnuUpRun", "Run", [this] { mnuUpRun_Click(); });
    mnuUpView = item(mnuPopup1, "mnuUpView", "View Text ", [this] { mnuUpView_Click(); });

    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 2895, 240, 7140, 615);
    ctl::setBackColor(Label1, plat::vbHighlightText);
    Label1->hide();
    Label2 = new ctl::Label(c, "Label2", " Please Enter Path Below ");
    ctl::Move(Label2, 360, 600, 2535, 375);
    ctl::setBackColor(Label2, plat::vbBlue);
    ctl::setForeColor(Label2, plat::vbHighlightText);
    txtvalue = new ctl::TextBox(c, "txtvalue");
    ctl::Move(txtvalue, 0, 840, 2895, 375);
    txtvalue->setText("C:\\");
    Check1 = new QCheckBox("Check to include SubDirectories", c);
    Check1->setObjectName("Check1");
    ctl::Move(Check1, 0, 1320, 2895, 255);
    ctl::setBackColor(Check1, plat::vbWhite);
    Label3 = new ctl::Label(c, "Label3", "  Please Enter FileName Below" + QString(36, ' '));
    ctl::Move(Label3, 0, 1920, 3135, 375);
    Label3->setToolTip("Wildcard or exact file name");
    ctl::setBackColor(Label3, plat::vbBlue);
    ctl::setForeColor(Label3, plat::vbHighlightText);
    textval = new ctl::TextBox(c, "textval");
    ctl::Move(textval, 0, 2160, 2895, 405);
    Command2 = new ctl::CommandButton(c, "Command2", "Start Search");
    ctl::Move(Command2, 1680, 2760, 1200, 375);
    Command3 = new ctl::CommandButton(c, "Command3", "Stop Search");
    ctl::Move(Command3, 1680, 3240, 1200, 375);
    Command3->setEnabled(false);
    Command1 = new ctl::CommandButton(c, "Command1", "Clear Results");
    ctl::Move(Command1, 1680, 3720, 1200, 375);
    List1 = new ctl::ListBox(c, "List1", ctl::ListBox::Extended);
    ctl::Move(List1, 2880, 840, 7095, 3375);
    ctl::setBackColor(List1, kLightCyan);
    List1->setAccessibleName("Search results");
    List2 = new ctl::ListBox(c, "List2");
    ctl::Move(List2, 3000, 2400, 5295, 1620);
    List2->hide();
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 1080, 120, 1335, 405);
    Text1->hide();
    Command4 = new ctl::CommandButton(c, "Command4", "Command4");
    ctl::Move(Command4, 240, 3000, 975, 495);
    Command4->hide();
    Check2 = new QCheckBox("Check2", c);
    Check2->setObjectName("Check2");
    ctl::Move(Check2, 8520, 120, 255, 195);
    Check2->hide();
    Timer1 = new ctl::Timer(this, "Timer1", 1, false);
    m_progress =
        std::make_unique<WalkProgress>(Label1, std::initializer_list<ctl::ListBox*>{List1, List2});

    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &Dig::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &Dig::Command3_Click);
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Dig::Command1_Click);
    ctl::onSignal(Command4, &ctl::CommandButton::Click, this, &Dig::Command4_Click);
    ctl::onSignal(List1, &ctl::ListBox::MouseUp, this, &Dig::List1_MouseUp);

    QWidget::setTabOrder(txtvalue, textval);
    QWidget::setTabOrder(textval, Command2);
    QWidget::setTabOrder(Command2, Command1);
    QWidget::setTabOrder(Command1, List1);
    QWidget::setTabOrder(List1, Check1);
    QWidget::setTabOrder(Check1, Command3);

    setClientSizeTwips(9135, 4500);
    setFixedSize(size());
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    // Laid out disabled: File > Search enables it before showing it.
    setEnabled(false);
}

void Dig::Form_Load()
{
    if (!enabled(List1)) List1->setEnabled(true);
}

void Dig::mnuCopy_Click()
{
    if (List1->Text().isEmpty()) return;
    Form1& f = Form1::get();
    f.List1->Clear();
    f.List2->Clear();
    // Paths and names come from one reading of the selection, with no
    // events in between: a selection changed while events run would pair
    // the paths of one set with the names of another, and a paste would
    // then write one file under another's name.
    f.ListCopy();
    QStringList names;
    for (int i = 0; i < List1->ListCount(); ++i)
        if (List1->Selected(i)) names.append(plat::winpath::fileName(List1->List(i)));
    f.List1->AddItems(names);
    plat::DoEvents();
    QStringList mirror;
    for (int i = 0; i < List2->ListCount(); ++i)
        mirror.append(List2->List(i));
    List1->Clear();
    List1->AddItems(mirror);
}

// --- the search ---

void Dig::Command2_Click()
{
    Label1->show();
    ctl::Move(txtvalue, 0, 840, 2500);
    Command3->setEnabled(true);
    if (!enabled(List1)) List1->setEnabled(true);
    if (ctl::trimBlanks(txtvalue->Text()).size() <= 2) {
        plat::MsgBox("Please enter Drive name with \":\\\" and Folder name", plat::vbOKOnly);
        return;
    }
    if (ctl::trimBlanks(textval->Text()).size() < 3) {
        plat::MsgBox("Please enter complete filename (Example(*.exe),(filename.ext)",
                     plat::vbOKOnly);
        return;
    }
    Module1::SearchPath = txtvalue->Text();
    Module1::SearchPattern = textval->Text();
    // This walk's own folder and pattern: a Start Search pressed while it
    // runs sets the program-wide ones anew for a walk of its own.
    const QString path = Module1::SearchPath;
    const QString pattern = Module1::SearchPattern;
    Walk mine;
    m_walks.push_back(&mine);
    plat::setHourglass(true);
    Label1->setCaption("Searching \r\n" + txtvalue->Text().toUpper() + "...");
    int folders = 0;
    int files = 0;
    SearchFolder(path, pattern, folders, files);
    m_progress->show();
    m_walks.pop_back();
    const Walk* outer = m_walks.empty() ? nullptr : m_walks.back();
    plat::setHourglass(outer != nullptr);
    // A walk ended by closing its window has no one left to tell.
    if (!mine.closed && !isUnloaded())
        plat::MsgBox(" " + QString::number(files) + " files found in " +
                         QString::number(folders + 1) + " directories",
                     plat::vbInformation);
    // A walk that ends inside another leaves Stop to the outer one: enabled
    // unless the user asked that one to stop too.
    Command3->setEnabled(outer && !outer->stopAsked);
}

Dig::Walk& Dig::walk()
{
    return m_walks.empty() ? m_noWalk : *m_walks.back();
}

bool Dig::stopped() const
{
    return !enabled(Command3) || (!m_walks.empty() && m_walks.back()->stopAsked) || isUnloaded();
}

void Dig::SearchFolder(QString path, const QString& pattern, int& folders, int& files)
{
    try {
        CurrentFolder = FileSystem.GetFolder(path);
    } catch (const plat::FileError&) {
        return;
    }
    // Our own copy: the current folder is replaced by each subfolder's walk.
    const plat::Folder folder = CurrentFolder;
    plat::FileEnumeration found;
    QString name =
        found.First(folder.Path(), pattern, plat::vbReadOnly | plat::vbHidden | plat::vbSystem);
    while (!name.isEmpty()) {
        if (stopped()) return;
        ++files;
        m_progress->append(plat::FileSystemObject::BuildPath(folder.Path(), name));
        name = found.Next();
        m_progress->yield();
    }
    if (Check1->isChecked()) {
        if (stopped()) return;
        m_progress->setCaption("Searching \r\n" + folder.Path() + "...");
        Walk& w = walk();
        if (w.depth > 0) ++folders;
        const QStringList subFolders = folder.SubFolders();
        for (const QString& sub : subFolders) {
            m_progress->yield();
            ++w.depth;
            SearchFolder(sub, pattern, folders, files);
            --w.depth;
        }
    }
}

void Dig::Command3_Click()
{
    // Every walk running stops: the one inside another and the outer too.
    for (Walk* w : m_walks)
        w->stopAsked = true;
    Command3->setEnabled(false);
    // One second on a clock that does not jump at midnight.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000) {
        plat::DoEvents();
        QThread::msleep(2);
    }
    Label1->hide();
}

void Dig::Command1_Click()
{
    if (List1->ListCount() > 0) {
        List1->Clear();
        List2->Clear();
    }
}

void Dig::closeEvent(QCloseEvent* event)
{
    event->ignore();
    plat::runCommand([this] { mnuExit_Click(); });
}

void Dig::mnuExit_Click()
{
    Command3->Press();
    // Every walk still running ends because of this close.
    for (Walk* w : m_walks)
        w->closed = true;
    List1->setEnabled(false);
    List1->Clear();
    List2->Clear();
    txtvalue->setText(QString());
    textval->setText(QString());
    Hide();
}

// --- the commands on the results ---

const QStringList& Dig::RunSuffixes()
{
    static const QStringList forms = {"SCR", "Scr", "scr", "Sys", "sys", "SYS",
                                      "BAT", "Bat", "bat", "exe", "EXE", "Exe",
                                      "Dll", "DLL", "dll", "Com", "com", "COM"};
    return forms;
}

const QStringList& Dig::ViewSuffixes()
{
    static const QStringList forms =
        suffixes::TextSuffixes.mid(0, suffixes::TextSuffixes.indexOf("diz") + 1);
    return forms;
}

void Dig::List1_MouseUp(int button, int, double, double)
{
    if (button == 2) PopupMenu(mnuPopup1);
}

void Dig::mnuSelectall_Click()
{
    List1->selectAll();
}

void Dig::mnuExecute_Click()
{
    const QString entry = List1->Text();
    plat::clipboard::Clear();
    plat::clipboard::SetText(entry);
    const QString ending = entry.right(3);
    for (const QString& form : RunSuffixes()) {
        if (ending != form) continue;
        try {
            plat::Shell(entry, plat::vbNormalFocus);
        } catch (const plat::FileError&) {
            // a file that is gone or is no program just does not start
        }
        return;
    }
}

void Dig::mnuPrint_Click()
{
    if (List1->ListCount() == 0) {
        plat::MsgBox("No files presently listed.", plat::vbOKOnly);
        return;
    }
    try {
        CommonDialog1.Flags = kPrinterFlags;
        CommonDialog1.CancelError = true;
        CommonDialog1.ShowPrinter();
    } catch (const plat::FileError&) {
        return; // Cancel
    }
    // The printer discards the document when a line fails.
    plat::TextPrinter printer(CommonDialog1);
    try {
        printer.setFontSize(12);
        for (int i = 0; i < List1->ListCount(); ++i)
            printer.PrintLine(List1->List(i));
        printer.PrintLine("\r\n");
        printer.PrintLine("PRINTED BY QUORBIX");
        printer.EndDoc();
    } catch (const plat::FileError& e) {
        printer.KillDoc();
        plat::MsgBox("The list could not be printed: " + e.detail(), plat::vbExclamation);
    }
}

void Dig::mnuView_Click()
{
    const QString entry = List1->Text();
    Text1->setText(entry.right(3));
    if (!suffixes::EndsInAny(entry, ViewSuffixes())) return;
    if (!Module2::LoadAndReport(entry)) return;
    Textpad::get().Show();
}
