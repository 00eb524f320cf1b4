#include "fileops/namer.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "fileops/filemessages.h"
#include "mainwindow/form1.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

Namer::Namer()
{
    setObjectName("Namer");
    setCaption("New Folder Name");
    setBorderStyle(ctl::BorderStyle::FixedToolWindow, ctl::CloseButton);
    setBackColor(plat::vbMenuText);
    setClientSizeTwips(5280, 1710);
    setFixedSize(size());
    ctl::centreOnScreen(this);

    QWidget* c = client();
    Text2 = new ctl::TextBox(c, "Text2");
    ctl::Move(Text2, 1190, 635, 1665, 325);
    Text2->setAccessibleName("New folder name");
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 2400, 120, 1740, 340);
    Text1->setEnabled(false);
    Label1 = new ctl::Label(c, "Label1", " Directory Name");
    ctl::Move(Label1, 360, 120, 495, 255);
    ctl::setBackColor(Label1, plat::vbWhite);
    Label1->hide();
    Label2 = new ctl::Label(c, "Label2", "   New Folder Name ");
    ctl::Move(Label2, 1080, 960, 1815, 255);
    ctl::setBackColor(Label2, 0x0000C000);
    ctl::setForeColor(Label2, plat::vbHighlightText);
    Label2->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 3300, 1320, 1000, 400);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 4295, 1320, 1000, 400);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command2);
    Text2->setFocus();

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Namer::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &Namer::Command2_Click);
}

void Namer::Command1_Click()
{
    const QString folder = Text1->Text();
    if (ctl::trimBlanks(folder).size() == 3) {
        plat::MsgBox(
            "Cannot change name of drive root directory or no double click over folder name.",
            plat::vbOKOnly | plat::vbCritical);
        Unload();
        return;
    }
    if (Text2->Text().isEmpty()) {
        plat::MsgBox("Please enter new name to continue");
        return;
    }
    // A path in the new name would move the folder elsewhere.
    if (!fileops::isSingleName(Text2->Text())) {
        plat::MsgBox("Please enter the new folder name only  ");
        return;
    }
    const QString target = plat::winpath::join(plat::winpath::parent(folder), Text2->Text());
    try {
        plat::fs::rename(folder, target);
    } catch (const plat::FileError& e) {
        // Nothing has changed: tell the user and leave the dialog open.
        const int number =
            e.number() == plat::ErrPermissionDenied ? plat::ErrPathFileAccess : e.number();
        QString msg = fileops::messageFor(
            number, {{plat::ErrFileNotFound, " Path to this folder is not found"},
                     {plat::ErrPathNotFound, " Path to this folder is not found"},
                     {plat::ErrFileExists, " Duplicate folder already exists. "},
                     {plat::ErrPathFileAccess,
                      " Write protected or access marked as restricted or name already exists"},
                     {plat::ErrNameTooLong, " Folder name or path too long"},
                     {plat::ErrDeviceIO, "Device not connected or in use"},
                     {plat::ErrDeviceUnavailable, "Device not available"},
                     {plat::ErrDiskNotReady, "Insert disk to continue"}});
        // The platform's own sentence, where the number alone would mislead.
        if (!e.message().isEmpty()) msg = e.message();
        if (msg.isEmpty()) msg = " The folder could not be renamed: " + e.detail();
        plat::MsgBox(msg, plat::vbOKOnly | plat::vbInformation);
        return;
    }

    const QString root = folder.left(3);
    Form1& f = Form1::get();
    const QString last = f.Text6->Text();
    for (int k = 1; k <= 5; ++k) {
        if (last != QString::number(k)) continue;
        DriveView& p = f.Pane(k);
        try {
            p.dir->setPath(root);
        } catch (const plat::FileError&) {
        }
        try {
            p.file->setPath(root);
        } catch (const plat::FileError&) {
        }
        try {
            p.drive->setDrive(root);
        } catch (const plat::FileError&) {
        }
        break;
    }
    for (int k = 1; k <= 5; ++k)
        f.Pane(k).dir->Refresh();
    Unload();
}

void Namer::Command2_Click()
{
    Unload();
}
