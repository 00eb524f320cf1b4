#include "fileops/namer2.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "fileops/filemessages.h"
#include "mainwindow/form1.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

namespace {
constexpr int kOrange = 0x000080FF;
} // namespace

Namer2::Namer2()
{
    setObjectName("Namer2");
    setCaption("Rename File :");
    setBackColor(kOrange);
    setClientSizeTwips(4875, 1725);
    ctl::centreOnScreen(this);

    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1", " New Filename");
    ctl::Move(Label1, 1200, 360, 1455, 375);
    ctl::setBackColor(Label1, kOrange);
    ctl::setForeColor(Label1, 0x0080FFFF);
    Label1->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 1200, 600, 2415, 375);
    ctl::setBackColor(Text1, 0x00C0FFFF);
    Text1->setAccessibleName("New file name");
    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 1080, 1200, 900, 325);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 2830, 1200, 900, 325);
    Text2 = new ctl::TextBox(c, "Text2");
    ctl::Move(Text2, 120, 0, 2175, 285);
    Text2->hide();
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Namer2::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &Namer2::Command2_Click);
    ctl::onKeyDown(Text1, [this](int k, int s) { Text1_KeyDown(k, s); });
}

void Namer2::Command1_Click()
{
    // A path in the new name would move the file to another folder.
    if (!fileops::isSingleName(Text1->Text())) {
        plat::MsgBox("Please enter the new file name only  ");
        return;
    }
    const QString old = Text2->Text();
    const QString target = plat::winpath::join(plat::winpath::parent(old), Text1->Text());
    try {
        plat::fs::rename(old, target);
    } catch (const plat::FileError& e) {
        // A folder we may not write to is an access error to the user.
        const int number =
            e.number() == plat::ErrPermissionDenied ? plat::ErrPathFileAccess : e.number();
        // The file's folder gone since it was listed is a path not found
        // too; every failure is shown, the dialog stays open.
        QString msg = fileops::messageFor(
            number, {{plat::ErrFileNotFound, " Path to this file is not found"},
                     {plat::ErrPathNotFound, " Path to this file is not found"},
                     {plat::ErrFileExists, " Duplicate filename already exists. "},
                     {plat::ErrPathFileAccess, " Write protected or access marked as restricted"},
                     {plat::ErrNameTooLong, " File name or path too long"},
                     {plat::ErrDeviceIO, "Device not connected or in use"},
                     {plat::ErrDeviceUnavailable, "Device not available"},
                     {plat::ErrDiskNotReady, "Insert disk to continue"}});
        // The platform's own sentence, where the number alone would mislead.
        if (!e.message().isEmpty()) msg = e.message();
        if (msg.isEmpty()) msg = " The file could not be renamed: " + e.detail();
        plat::MsgBox(msg, plat::vbOKOnly | plat::vbInformation);
        return;
    }
    Form1::get().mnuRefresh_Click();
    Unload();
}

void Namer2::Command2_Click()
{
    Unload();
}

void Namer2::Text1_KeyDown(int KeyCode, int)
{
    if (KeyCode == 13) Command1->Press();
}
