// The main window's file commands: the copy list, paste, copy to a typed
// folder, delete to the trash, and the search window's door.
#include "mainwindow/form1.h"

#include "fileops/dialogsupport.h"
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
        const QString shown =
            path.size() <= kLongest ? path : path.left(kLongest - 31) + "..." + path.right(28);
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

// Paste of a copy list taken from the search results: each full path into
// the pane's folder under its bare name; no wait window and no messages.
void ListPaste(Form1& f, int n)
{
    const int count = f.List2->ListCount();
    for (int i = 0; i < count; ++i) {
        // The copy list may change while events run between files.
        if (i >= f.List2->ListCount() || i >= f.List1->ListCount()) break;
        try {
            plat::fs::copyFile(f.List2->List(i),
                               Form1::JoinPath(f.Pane(n).dir->Path(), f.List1->List(i)));
        } catch (const plat::FileError& e) {
            // A pipe or a device among the results: the user must learn why
            // the paste stopped there.
            if (!e.message().isEmpty()) plat::MsgBox(e.message());
            return;
        }
        plat::DoEvents();
    }
    // Both the results and their mirror: Copy rebuilds the results from the
    // mirror, and would bring back what was pasted.
    Dig::get().List1->Clear();
    Dig::get().List2->Clear();
    f.Pane(n).file->Refresh();
}

} // namespace

QString Form1::ParseFileName(const QString& sFileIn)
{
    return sFileIn.mid(sFileIn.lastIndexOf('\\') + 1);
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
    int failure = 0;
    QString told; // the platform's own sentence, where the number would mislead
    const int count = List1->ListCount();
    for (int i = 0; i < count; ++i) {
        // The copy list may change while events run between files.
        if (i >= List1->ListCount()) break;
        const QString sourceFolder = plat::clipboard::GetText();
        if (sourceFolder.isEmpty()) {
            // Without its folder a name would be looked for at a drive root
            // and could copy an unrelated file: end as for a missing file.
            failure = plat::ErrFileNotFound;
            break;
        }
        const QString name = List1->List(i);
        const QString source = JoinPath(sourceFolder, name);
        const QString destination = JoinPath(Pane(n).dir->Path(), name);
        Standby::get().Show();
        Standby::get().Command3->Press();
        Standby::get().Label1->setCaption("  Copying to " + destination);
        plat::DoEvents();
        try {
            plat::fs::copyFile(source, destination);
        } catch (const plat::FileError& e) {
            failure = e.number();
            told = e.message();
            break;
        }
        plat::DoEvents();
    }
    if (failure) {
        // A failed copy leaves the old target and no partial file, so after
        // "Disk is full" there is nothing of the user's to clean up.
        const QString msg = fileops::messageFor(
            failure,
            {{57, "Device not connected or in use"},
             {61, "Disk is full"},
             {68, "Device not available"},
             {70, "Can't copy file to the same location or write protected"},
             {71, "Insert disk to continue"},
             {75, "Path not accesible or write protected"},
             {76, "Either the destination doesn't exist or the path to the folder is misspelled or "
                  "incomplete"}});
        if (!told.isEmpty())
            plat::MsgBox(told);
        else if (!msg.isEmpty())
            plat::MsgBox(msg);
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
    } catch (...) {
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
        const QString name = ParseFileName(target);
        const QString folder = target.left(target.size() - name.size());
        const int dot = name.lastIndexOf('.');
        const QString stem = dot > 0 ? name.left(dot) : name;
        const QString suffix = dot > 0 ? name.mid(dot) : QString();
        for (int k = 2; plat::fs::pathExists(target); ++k)
            target = folder + stem + QStringLiteral(" (%1)").arg(k) + suffix;
        plat::fs::copyFile(filename, target);
    } catch (const plat::FileError&) {
        plat::MsgBox("Could not copy " + filename + " to " + target,
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
