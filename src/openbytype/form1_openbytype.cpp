// Opening a pane's file by its type: the double-click dispatch, Run, the
// pop-up View Graphic and ZipView, and the View Graphic command.
#include "mainwindow/form1.h"

#include "openbytype/typesuffixes.h"
#include "pictureview/realview.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/shellexec.h"
#include "platform/winpath.h"

using namespace openbytype;

namespace {

bool endsWithHtmlSuffix(const QString& name)
{
    static const QStringList forms = {"HTM", "Htm", "htm", "HTML", "Html", "html"};
    return !MatchingForm(name, forms).isEmpty();
}

int SelectedCount(const ctl::FileListBox& list)
{
    int selected = 0;
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.Selected(i)) ++selected;
    return selected;
}

// The dispatch of one pane. A program or player that cannot be started
// leaves it with the start's FileError; the callers decide what the user
// sees.
//
// The file tested is the current entry (FileName), the one View Html, View
// Graphic and the player then take, so the name tested is always the file
// opened; the selection count only gates the request. A current entry the
// user deselected (Ctrl-click) is never opened: for it nothing starts.
void Dispatch(Form1& f, int n)
{
    DriveView& p = f.Pane(n);
    const int selected = SelectedCount(*p.file);
    if (selected == 0) return;
    if (selected > 1) {
        plat::MsgBox("Please select one file at a time.");
        return;
    }

    const QString folder = p.dir->Path();
    const QString name = p.file->FileName();
    const QString path = plat::winpath::join(folder, name);
    const bool chosen = p.file->ListIndex() >= 0 && p.file->Selected(p.file->ListIndex());

    if (!MatchingForm(name, ProgramSuffixes).isEmpty()) {
        if (!chosen) return;
        plat::Shell(path, plat::vbNormalFocus);
        return;
    }
    if (!MatchingForm(name, MediaSuffixes(n)).isEmpty()) {
        if (!chosen) return;
        const bool blank = name.contains(' ');
        const bool root = plat::winpath::isRoot(folder);
        const QChar quote('"');
        QString commandLine;
        int style = plat::vbNormalFocus;
        if (blank && !root)
            commandLine = MediaPlayerPath(2) + quote + path + quote;
        else if (blank)
            commandLine = MediaPlayerPath(1) + quote + path + quote;
        else if (!root)
            commandLine = MediaPlayerPath(n == 1 ? 2 : 1) + path;
        else {
            commandLine = MediaPlayerPath(1) + path;
            if (n == 1) style = plat::vbMaximizedFocus;
        }
        plat::Shell(commandLine, style);
        return;
    }
    if (!MatchingForm(name, DispatchPictureSuffixes).isEmpty()) {
        if (chosen) f.mnuBmp_Click();
        return;
    }
    if (endsWithHtmlSuffix(name)) {
        if (chosen) f.mnuHtm_0_Click();
        return;
    }
    plat::MsgBox("Not an executable file");
}

} // namespace

void Form1::PaneDblClick(int n)
{
    try {
        Dispatch(*this, n);
    } catch (const plat::FileError& e) {
        // The file was meant to be opened: say that it was not, and why.
        DriveView& p = Pane(n);
        const QString path = JoinPath(p.dir->Path(), p.file->FileName());
        plat::MsgBox(e.number() == plat::ErrFileNotFound
                         ? "Cannot start " + path + ": the program was not found."
                         : "Cannot start " + path + ": it cannot be run on this system.",
                     plat::vbOKOnly | plat::vbExclamation);
    }
}

void Form1::RunPane(int n)
{
    PaneDblClick(n);
}

void Form1::mnuExecute0_Click()
{
    const int n = FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox(
            "Please select a executable file with a .exe,.com,.bat,or.sys extension first");
        return;
    }
    try {
        Dispatch(*this, n);
    } catch (const plat::FileError&) {
        // File > Run goes on past a start that fails.
    }
}

void Form1::GraphicPane(int n)
{
    if (!MatchingForm(Pane(n).file->FileName(), PictureSuffixes).isEmpty()) mnuBmp_Click();
}

void Form1::ZipViewPane(int n)
{
    DriveView& p = Pane(n);
    if (MatchingForm(p.file->FileName(), ArchiveSuffixes).isEmpty()) return;
    try {
        plat::ShellExecute("open", JoinPath(p.dir->Path(), p.file->FileName()), 5);
    } catch (const std::exception&) {
        // The shell's answer is not used: an archive it cannot open is
        // the shell's to tell of, and the pane stays as it was.
    }
}

void Form1::mnuBmp_Click()
{
    try {
        bool picture = false;
        for (int n = 1; n <= 5 && !picture; ++n)
            picture = !MatchingForm(Pane(n).file->FileName(), PictureSuffixes).isEmpty();
        if (!picture) return;
        if (FirstPaneWithSelection() == 0) {
            plat::MsgBox("Please select a file first");
            return;
        }
        RealView::get().Show(0);
    } catch (const std::exception&) {
        // The viewer names its own failures (a picture too large, a name
        // that is no file) as it loads; what else fails ends the command.
    }
}

void Form1::ShowPictureView()
{
    try {
        RealView::get().Show(0);
    } catch (const std::exception&) {
        // As View Graphic: the viewer names its own failures.
    }
}
