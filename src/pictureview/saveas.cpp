#include "pictureview/saveas.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "pictureview/realview.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/picture.h"
#include "platform/winpath.h"

namespace {

constexpr int kGreen = 0x00C000; // red 0, green 192, blue 0

// A file name alone: no folder in it, so nothing is written beside or
// above the folder the user named.
bool isPlainName(const QString& name)
{
    return !name.contains('\\') && !name.contains('/') && !name.contains(':') && name != "." &&
           name != "..";
}

} // namespace

Saveas::Saveas()
{
    setObjectName("Saveas");
    setCaption("Quorbix Picture Saver");
    setBorderStyle(ctl::BorderStyle::FixedToolWindow, ctl::CloseButton);
    setBackColor(kGreen);
    setClientSizeTwips(4920, 2865);
    setFixedSize(size());

    QWidget* c = client();
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 960, 720, 2775, 375);
    Text1->setAccessibleName("Name for picture");
    Text2 = new ctl::TextBox(c, "Text2");
    ctl::Move(Text2, 960, 1440, 2775, 405);
    Text2->setAccessibleName("Copy to folder");
    Check1 = new QCheckBox(c);
    Check1->setObjectName("Check1");
    ctl::Move(Check1, 1080, 1920, 255, 195);
    ctl::setBackColor(Check1, kGreen);
    Check1->setAccessibleName("Copy to C:\\Temp");
    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 960, 2400, 875, 375);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 3240, 2400, 875, 375);
    Label3 = new ctl::Label(c, "Label3", " or Copy to C:\\Temp");
    ctl::Move(Label3, 1320, 1920, 2775, 255);
    Label1 = new ctl::Label(c, "Label1", " Name For Picture (name.bmp)");
    ctl::Move(Label1, 960, 480, 4935, 375);
    Label2 = new ctl::Label(c, "Label2", "Copy To Folder");
    ctl::Move(Label2, 1080, 1200, 2655, 255);
    for (ctl::Label* l : {Label1, Label2, Label3}) {
        ctl::setBackColor(l, kGreen);
        ctl::setForeColor(l, plat::vbHighlightText);
        l->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    }
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Check1);
    setTabOrder(Check1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Saveas::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &Saveas::Command2_Click);
    ctl::onKeyDown(Text2, [this](int key, int shift) { Text2_KeyDown(key, shift); });
}

void Saveas::Text2_KeyDown(int KeyCode, int)
{
    if (KeyCode == 13) Command1->Press();
}

void Saveas::Command2_Click()
{
    Unload();
}

bool Saveas::MayReplace(const QString& target)
{
    bool exists = false;
    try {
        // Only a file is offered for replacing; a folder of that name is
        // refused by the save or copy itself, with its reason. A link to
        // nothing is a taken name as well.
        exists = plat::fs::pathExists(target) && !plat::fs::folderExists(target);
    } catch (const plat::FileError&) {
    }
    if (!exists) return true;
    return plat::MsgBox(
               plat::drives::displayName(target) + " already exists.\r\nDo you want to replace it?",
               plat::vbYesNo | plat::vbExclamation | plat::vbDefaultButton2) == plat::vbYes;
}

bool Saveas::ReportFailure(int number, const QString& target)
{
    QString reason;
    switch (number) {
    case plat::ErrPathNotFound:
        reason = " The folder does not exist.";
        break;
    case plat::ErrPermissionDenied:
        reason = " Access was denied.";
        break;
    case plat::ErrFileNotFound:
        reason = " The picture's file was not found.";
        break;
    case plat::ErrDiskFull:
        reason = " The disk is full.";
        break;
    case plat::ErrPathFileAccess:
        reason = " The target is write protected or a folder.";
        break;
    default:
        break;
    }
    plat::MsgBox("The picture could not be saved as " + plat::drives::displayName(target) + "." +
                     reason,
                 plat::vbOKOnly | plat::vbExclamation);
    // Path not found closes the dialog; anything else leaves it open, with
    // what the user typed, to be corrected.
    if (number == plat::ErrPathNotFound) {
        Unload();
        return false;
    }
    return true;
}

const RealView* Saveas::OpenViewer()
{
    // Reading a closed viewer would load it again, Open dialog and all,
    // and leave it loaded unseen; there is simply nothing to save. A loaded
    // viewer is read as it stands, also one that holds no picture.
    if (const RealView* view = RealView::instanceIfLoaded()) return view;
    plat::MsgBox("There is no picture open to save.", plat::vbOKOnly | plat::vbExclamation);
    return nullptr;
}

void Saveas::Command1_Click()
{
    plat::DoEvents();
    const QString name = Text1->Text();
    const QString folder = Text2->Text();

    if (Check1->isChecked()) {
        if (!isPlainName(name)) {
            plat::MsgBox("Please type a file name only, without a folder.");
            return;
        }
        // Straight into C:\temp: nothing is left in the current folder,
        // which may be one the user cannot write (C:\ after a folder-road
        // save).
        const RealView* view = OpenViewer();
        if (!view) return;
        const QString target = plat::winpath::join("C:\\temp", name);
        // A viewer without a picture has nothing to write: that failure is
        // passed over, as every one but permission denied and path not
        // found, and Okay ends as after a save, having written nothing.
        if (!view->Image1->Picture().isNull()) {
            if (!MayReplace(target)) return;
            try {
                plat::SavePicture(view->Image1->Picture(), target);
            } catch (const plat::FileError& e) {
                ReportFailure(e.number(), target);
                return;
            }
        }
        plat::DoEvents();
        Unload();
        return;
    }

    if (folder.contains(';')) {
        plat::MsgBox("Semicolon (;) instead of colon (:) error probable at second position left "
                     "in folder destination path");
        return;
    }
    if (!name.contains('.')) {
        plat::MsgBox("Please include file extension .bmp after filename.");
        return;
    }
    if (!folder.contains(':')) {
        plat::MsgBox("Colon(:) missing from second position left in folder destination path");
        return;
    }
    if (!folder.contains('\\')) {
        plat::MsgBox("Left backslash(\\) missing from third position left in folder destination "
                     "path");
        return;
    }
    if (folder.indexOf('\\', 3) >= 0) {
        plat::MsgBox("Create subfolders from desktop or typographical error");
        return;
    }
    if (!isPlainName(name)) {
        plat::MsgBox("Please type a file name only, without a folder.");
        return;
    }

    const RealView* view = OpenViewer();
    if (!view) return;
    const QString source = view->CommonDialog1.FileName;

    bool exists = false;
    try {
        exists = plat::fs::folderExists(folder);
    } catch (const plat::FileError&) {
    }
    if (!exists) {
        AskCreateFolder();
        return;
    }
    const QString target = plat::winpath::join(folder, name);
    // No file chosen in the viewer: nothing to copy, and Okay goes on as
    // after a copy, as for the missing picture above.
    if (!source.isEmpty()) {
        if (!MayReplace(target)) return;
        try {
            plat::fs::copyFile(source, target);
        } catch (const plat::FileError& e) {
            ReportFailure(e.number(), target);
            return;
        }
    }
    plat::DoEvents();
    try {
        plat::drives::setCurrentFolder("C:\\");
    } catch (const plat::FileError&) {
    }
    Unload();
}

void Saveas::AskCreateFolder()
{
    const QString folder = Text2->Text();
    const int answer = plat::MsgBox("The folder " + plat::drives::displayName(folder) +
                                        " doesn't exist.\r\n Would you like to create it ?",
                                    plat::vbYesNo | plat::vbDefaultButton2, "Create New Folder");
    if (answer != plat::vbYes) {
        Unload();
        return;
    }
    try {
        plat::fs::makeFolder(folder);
    } catch (const plat::FileError& e) {
        plat::MsgBox("The folder " + plat::drives::displayName(folder) + " could not be created.",
                     plat::vbOKOnly | plat::vbExclamation);
        if (e.number() == plat::ErrPathNotFound) Unload();
        return;
    }
    plat::DoEvents();
    Command1->Press();
}
