// The main window's file commands: the copy list, paste, copy to a typed
// folder, delete to the trash, and the search window's door.
#include "mainwindow/form1.h"

#include "fileops/filemessages.h"
#include "fileops/form2.h"
#include "fileops/form5.h"
#include "fileops/form6.h"
#include "fileops/form7.h"
#include "fileops/form8.h"
#include "fileops/standby.h"
#include "filesearch/dig.h"
#include "platform/app.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/trash.h"
#include "platform/winpath.h"

#include <algorithm>
#include <optional>

namespace {

template <class D> void openCopyTo(Form1& f, int n)
{
    D& dialog = D::get();
    dialog.Show();
    dialog.Text1->setText(f.FullPath(n));
}

// The wait window is shared: another command may have closed it already.
void closeStandby()
{
    if (Standby* s = Standby::instanceIfLoaded()) s->Command2->Press();
}

// Files the trash refused during one delete, each with its reason.
struct TrashRefusals {
    QStringList lines;
    int count = 0;

    void recycle(const QString& path)
    {
        QString why;
        if (plat::trash::moveToTrash(path, &why)) return;
        // A long list would not fit on the screen; the first ones name the
        // kind of trouble.
        if (++count > kShown) return;
        // A path longer than a line keeps its start and its end.
        const QString whole = plat::drives::displayName(path);
        const QString shown =
            whole.size() <= kLongest ? whole : whole.left(kLongest - 31) + "..." + whole.right(28);
        lines.append(why.isEmpty() ? shown : shown + "\n    " + why);
    }

    // The one message of a delete: the file stays where it is, never a
    // permanent delete behind the user's back.
    void report() const
    {
        if (count == 0) return;
        QString text = count == 1 ? QStringLiteral("Could not move to the Trash; this file was "
                                                   "not deleted:\n")
                                  : QStringLiteral("Could not move to the Trash; these %1 files "
                                                   "were not deleted:\n")
                                        .arg(count);
        text += lines.join('\n');
        if (count > kShown) text += QStringLiteral("\n... and %1 more").arg(count - kShown);
        plat::MsgBox(text, plat::vbOKOnly | plat::vbExclamation);
    }

    static constexpr int kShown = 10;
    static constexpr int kLongest = 90;
};

// Sources that had gone by the time their turn came. The paste goes on
// with the others and names these once at the end.
struct MissingSources {
    QStringList shown;
    int count = 0;

    void add(const QString& path)
    {
        if (++count <= kShown) shown.append(path);
    }
    void report() const
    {
        if (count == 0) return;
        QString text = count == 1
                           ? QStringLiteral("File not found, not copied: ") + shown.first()
                           : QStringLiteral("Files not found, not copied:\n") + shown.join('\n');
        if (count > kShown) text += QStringLiteral("\n... and %1 more").arg(count - kShown);
        plat::MsgBox(text);
    }

    static constexpr int kShown = 10;
};

// The message for a failed copy of a paste: the cause where the number's
// own message would name the wrong one, else the number's message.
QString pasteFailureText(const plat::FileError& e, const QString& source,
                         const QString& destination)
{
    QString msg = fileops::copyCauseMessage(e, source, destination);
    if (!msg.isEmpty()) return msg;
    msg = fileops::messageFor(
        e.number(),
        {{plat::ErrDeviceIO, "Device not connected or in use"},
         {plat::ErrDiskFull, "Disk is full"},
         {plat::ErrDeviceUnavailable, "Device not available"},
         {plat::ErrPermissionDenied, "Can't copy file to the same location or write protected"},
         {plat::ErrDiskNotReady, "Insert disk to continue"},
         {plat::ErrPathFileAccess, "Path not accesible or write protected"},
         {plat::ErrPathNotFound,
          "Either the destination doesn't exist or the path to the folder is misspelled or "
          "incomplete"}});
    // A failure must never look like a copy that worked.
    return msg.isEmpty() ? "Could not copy " + source + " to " + destination : msg;
}

QStringList itemsOf(const ctl::ListBox* list)
{
    QStringList out;
    for (int i = 0; i < list->ListCount(); ++i)
        out.append(list->List(i));
    return out;
}

// Paste of a copy list taken from the search results: each full path into
// the pane's folder under its bare name; no wait window. The list and the
// folder are taken once, as on the folder road.
void ListPaste(Form1& f, int n)
{
    const QStringList paths = itemsOf(f.List2);
    const QStringList names = itemsOf(f.List1);
    const QString folder = f.Pane(n).dir->Path();
    const qsizetype count = std::min(paths.size(), names.size());
    MissingSources missing;
    // The folder is held from the start: every file goes into the folder
    // the paste began on, or none does.
    std::optional<plat::fs::TargetFolder> into;
    for (qsizetype i = 0; i < count; ++i) {
        const QString destination = plat::winpath::join(folder, names.at(i));
        bool held = false; // a folder not there at the start has its message alone
        try {
            if (!into) into.emplace(folder);
            held = true;
            plat::fs::copyFile(paths.at(i), *into, names.at(i));
        } catch (const plat::FileError& e) {
            if (e.number() == plat::ErrFileNotFound && e.onSource()) {
                missing.add(paths.at(i));
            } else {
                // The results stay, so that the rest can be pasted again.
                missing.report();
                QString text = pasteFailureText(e, paths.at(i), destination);
                if (held && fileops::targetFolderWentAway(e))
                    text += fileops::notCopiedText(names.mid(i, count - i));
                plat::MsgBox(text);
                f.Pane(n).file->Refresh();
                return;
            }
        }
        plat::DoEvents();
    }
    missing.report();
    // Both the results and their mirror: Copy rebuilds the results from the
    // mirror, and would bring back what was pasted.
    Dig::get().List1->Clear();
    Dig::get().List2->Clear();
    f.Pane(n).file->Refresh();
}

} // namespace

QString Form1::ParseFileName(const QString& sFileIn)
{
    return plat::winpath::fileName(sFileIn);
}

// --- copy list ---

void Form1::CopyPane(int n)
{
    DriveView& p = Pane(n);
    plat::clipboard::Clear();
    List1->Clear();
    List2->Clear();
    QStringList names;
    for (int i = 0; i < p.file->ListCount(); ++i)
        if (p.file->Selected(i)) names.append(p.file->List(i));
    for (const QString& name : names)
        List1->AddItem(name);
    plat::clipboard::SetText(p.dir->Path());
}

void Form1::mnuCopy_Click()
{
    const int n = FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox("Please select a file to copy first");
        return;
    }
    CopyPane(n);
}

void Form1::ListCopy()
{
    ctl::ListBox* results = Dig::get().List1;
    for (int i = 0; i < results->ListCount(); ++i)
        if (results->Selected(i)) List2->AddItem(results->List(i));
}

// --- paste ---

void Form1::mnuPaste0_Click()
{
    const int n = ActivePane();
    if (n == 0) {
        plat::MsgBox("Click on any list of files to choose destination of file(s)");
        return;
    }
    PastePane(n);
}

void Form1::PastePane(int n)
{
    if (List2->ListCount() > 0) {
        ListPaste(*this, n);
        return;
    }
    // What a paste copies, from where and to where, is fixed when it
    // starts: it lets events run between files, and a Copy made meanwhile
    // is for the next Paste, not a change of course half-way.
    const QStringList names = itemsOf(List1);
    const QString sourceFolder = names.isEmpty() ? QString() : plat::clipboard::GetText();
    const QString targetFolder = Pane(n).dir->Path();
    // Without its folder a name would be looked for at a drive root and
    // could copy an unrelated file: nothing is copied.
    const bool usable = !sourceFolder.isEmpty();
    MissingSources missing;
    QString failure;
    // The target folder is held from the start, so that every file goes
    // into the folder the paste began on: a drive unmounted or a folder
    // swapped for another meanwhile stops the paste instead.
    std::optional<plat::fs::TargetFolder> into;
    for (qsizetype i = 0; usable && i < names.size(); ++i) {
        const QString source = JoinPath(sourceFolder, names.at(i));
        const QString destination = JoinPath(targetFolder, names.at(i));
        Standby::get().Show();
        Standby::get().Command3->Press();
        Standby::get().Label1->setCaption("  Copying to " + destination);
        plat::DoEvents();
        bool held = false; // a folder not there at the start has its message alone
        try {
            if (!into) into.emplace(targetFolder);
            held = true;
            plat::fs::copyFile(source, *into, names.at(i));
        } catch (const plat::FileError& e) {
            if (e.number() == plat::ErrFileNotFound && e.onSource()) {
                missing.add(source); // gone since the Copy: the others still come
            } else {
                // A failed copy leaves the old target and no partial file,
                // so after "Disk is full" there is nothing of the user's to
                // clean up.
                failure = pasteFailureText(e, source, destination);
                if (held && fileops::targetFolderWentAway(e))
                    failure += fileops::notCopiedText(names.mid(i));
                break;
            }
        }
        plat::DoEvents();
    }
    missing.report();
    if (!failure.isEmpty()) {
        plat::MsgBox(failure);
        Pane(n).file->Refresh();
        closeStandby();
        return;
    }
    Pane(n).file->Refresh();
    plat::DoEvents();
    closeStandby();
}

// --- copy to a typed folder ---

void Form1::CopyFileToPane(int n)
{
    switch (n) {
    case 1:
        openCopyTo<Form2>(*this, n);
        break;
    case 2:
        openCopyTo<Form5>(*this, n);
        break;
    case 3:
        openCopyTo<Form6>(*this, n);
        break;
    case 4:
        openCopyTo<Form7>(*this, n);
        break;
    case 5:
        openCopyTo<Form8>(*this, n);
        break;
    default:
        break;
    }
}

void Form1::mnuSendFileTo_Click()
{
    const int n = FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox("Please select a file to copy first");
        return;
    }
    CopyFileToPane(n);
}

// --- delete ---

void Form1::mnuDelete0_Click()
{
    const int n = FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox("Please select a file to delete first");
        return;
    }
    try {
        DeletePane(n);
    } catch (const plat::FileError&) {
        // The trash's refusals are named by DeletePane itself; what is left
        // is a list that cannot be read again (its folder gone), which
        // keeps what it showed.
    }
}

void Form1::DeletePane(int n)
{
    DriveView& p = Pane(n);
    if (p.file->FileName().isEmpty()) {
        p.file->Refresh();
        return;
    }
    Standby::get().Show();
    Standby::get().Command1->Press();

    QStringList paths;
    for (int i = 0; i < p.file->ListCount(); ++i)
        if (p.file->Selected(i)) paths.append(JoinPath(p.dir->Path(), p.file->List(i)));
    // Every file is tried; the ones the trash refused are named together
    // once the lists are fresh and the wait window is gone.
    TrashRefusals refused;
    for (const QString& path : paths)
        refused.recycle(path);

    for (int k = 1; k <= 5; ++k)
        if (k != n && Pane(k).file->Path() == p.file->Path()) Pane(k).file->Refresh();
    p.file->Refresh();
    closeStandby();
    refused.report();
}

void Form1::Recycle(const QString& filename)
{
    TrashRefusals refused;
    refused.recycle(filename);
    refused.report();
}

void Form1::Replicate(const QString& filename, const QString& Destination)
{
    // A copy that takes a free name when the destination is taken; a folder
    // as destination receives the file under its own name.
    QString target = Destination;
    try {
        if (plat::fs::folderExists(target)) target = JoinPath(target, ParseFileName(filename));
        target = plat::winpath::freeName(plat::winpath::parent(target), ParseFileName(target),
                                         plat::fs::pathExists);
        plat::fs::copyFile(filename, target);
    } catch (const plat::FileError&) {
        plat::MsgBox("Could not copy " + plat::drives::displayName(filename) + " to " +
                         plat::drives::displayName(target),
                     plat::vbOKOnly | plat::vbExclamation);
    }
}

// --- search window ---

void Form1::mnuSearchFor_Click()
{
    Dig& dig = Dig::get();
    dig.setEnabled(true);
    dig.Show();
}
