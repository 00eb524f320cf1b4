#include "fileops/foldmaker.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "fileops/filemessages.h"
#include "mainwindow/form1.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"

FoldMaker::FoldMaker()
{
    setObjectName("FoldMaker");
    setCaption("Create Folder");
    // A sizable frame with a close button only, kept over the main window.
    setBorderStyle(ctl::BorderStyle::SizableToolWindow, ctl::CloseButton);
    setBackColor(plat::vbWhite);
    setClientSizeTwips(5415, 2325);
    ctl::centreOnScreen(this);

    QWidget* c = client();
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 1145, 840, 1815, 315);
    Text1->setAccessibleName("New folder name");
    Label1 = new ctl::Label(c, "Label1", " New  Folder Name");
    ctl::Move(Label1, 1150, 1140, 1815, 255);
    ctl::setBackColor(Label1, 0x0000C000);
    ctl::setForeColor(Label1, plat::vb3DHighlight);
    Label1->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 1200, 1800, 900, 325);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 3300, 1800, 900, 325);
    Text2 = new ctl::TextBox(c, "Text2");
    ctl::Move(Text2, 120, 0, 1455, 375);
    Text2->hide();
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &FoldMaker::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &FoldMaker::Command2_Click);
}

void FoldMaker::Command1_Click()
{
    const QString name = Text1->Text();
    // "/" separates folders on this system as "\" does in the program's paths.
    if (name.contains('\\') || name.contains(':') || name.contains('/')) {
        plat::MsgBox("Please enter the new folder name only  ");
        return;
    }
    try {
        plat::fs::makeFolder(Text2->Text() + name);
    } catch (const plat::FileError& e) {
        // A parent we may not write to is an access error to the user, as a
        // write-protected medium is.
        int number = e.number() == plat::ErrPermissionDenied ? plat::ErrPathFileAccess : e.number();
        // A parent folder that has gone is not a drive that cannot be
        // mapped: its path is not found.
        if (e.cause() == plat::FileCause::FolderMissing) number = plat::ErrFileNotFound;
        const QString msg = fileops::messageFor(
            number, {{plat::ErrFileNotFound, " Path to this folder is not found"},
                     {plat::ErrNameTooLong, " Folder name or path too long"},
                     {plat::ErrFileExists, " Duplicate folder already exists. "},
                     {plat::ErrPathFileAccess,
                      " Write protected or access marked as restricted or name already exists"},
                     {plat::ErrPathNotFound, "Can't map path to folder or read only media"}});
        if (!msg.isEmpty()) plat::MsgBox(msg, plat::vbOKOnly | plat::vbInformation);
        return;
    }
    Form1& f = Form1::get();
    for (int k = 1; k <= 5; ++k)
        f.Pane(k).dir->Refresh();
    Unload();
}

void FoldMaker::Command2_Click()
{
    Unload();
}
