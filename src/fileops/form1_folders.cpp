// The main window's folder and rename commands and the file-list refreshes.
#include "mainwindow/form1.h"

#include "fileops/foldmaker.h"
#include "fileops/namer.h"
#include "fileops/namer2.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

void Form1::mnuRefresh_Click()
{
    for (int k = 1; k <= 5; ++k)
        Pane(k).file->Refresh();
}

void Form1::RefreshPane(int n)
{
    Pane(n).file->Refresh();
}

void Form1::RenameFilePane(int n)
{
    DriveView& p = Pane(n);
    const QString name = p.file->FileName();
    if (name.isEmpty()) {
        plat::MsgBox("No file Selected");
        return;
    }
    Namer2& d = Namer2::get();
    d.Show();
    d.setCaption(d.Caption() + " " + name,
                 plat::drives::displayText(d.Caption()) + " " + plat::drives::displayName(name));
    d.Text2->setText(plat::winpath::join(p.file->Path(), name));
}

void Form1::AddNewFolderPane(int n)
{
    FoldMaker& d = FoldMaker::get();
    d.Show();
    const QString folder = Pane(n).dir->Path();
    // The folder with its closing backslash, for the new name to follow.
    d.Text2->setText(plat::winpath::join(folder, QString()));
}

void Form1::RenameFolderPane(int n)
{
    Namer& d = Namer::get();
    d.Show();
    d.Text1->setText(Pane(n).dir->Path());
}

void Form1::RemoveFolderPane(int n)
{
    const QString folder = Pane(n).dir->Path();
    const QString parent = plat::winpath::parent(folder);
    try {
        plat::fs::removeFolder(folder);
    } catch (const plat::FileError& e) {
        // "Not empty" is the usual refusal; the others name their own cause.
        QString msg;
        if (e.cause() == plat::FileCause::LinkToFolder)
            msg = "This is a link to a folder, not the folder itself; it was not deleted.";
        else if (e.cause() == plat::FileCause::ReadOnlyFileSystem)
            msg = "Can't delete folder on read only media.";
        else if (e.number() == plat::ErrPathFileAccess)
            msg = "Can only delete folder after files are deleted.";
        else if (e.number() == plat::ErrPathNotFound || e.number() == plat::ErrFileNotFound)
            msg = " Path to this folder is not found";
        else if (e.number() == plat::ErrPermissionDenied)
            msg = " Write protected or access marked as restricted";
        else
            msg = "The folder could not be deleted: " + e.detail();
        plat::MsgBox(msg, plat::vbOKOnly | plat::vbInformation);
        return;
    }
    try {
        Pane(n).dir->setPath(parent);
    } catch (const plat::FileError&) {
    }
    Pane(n).dir->Refresh();
    for (int k = 1; k <= 5; ++k) {
        if (k == n || Pane(k).dir->Path() != folder) continue;
        try {
            Pane(k).dir->setPath(parent);
        } catch (const plat::FileError&) {
        }
    }
}
