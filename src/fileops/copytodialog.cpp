#include "fileops/copytodialog.h"

#include "mainwindow/form1.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

#include <optional>

namespace fileops {

namespace {

constexpr int kRed = 0x000000FF;

// True when both Windows paths name one file, so that a refused copy onto
// itself is told apart from a folder we may not write to.
bool sameFile(const QString& a, const QString& b)
{
    try {
        if (plat::drives::normalize(a) == plat::drives::normalize(b)) return true;
        return plat::fs::sameFile(a, b);
    } catch (const plat::FileError&) {
        return false;
    }
}

} // namespace

CopyToControls buildCopyToDialog(ctl::VbForm& w, const CopyToDesign& d)
{
    w.setCaption("Copy File");
    w.setBackColor(d.backColor);
    w.setClientSizeTwips(6135, 1155);
    ctl::centreOnScreen(&w);

    QWidget* c = w.client();
    CopyToControls k;
    k.Label2 = new ctl::Label(c, "Label2", " Copy from ");
    ctl::Move(k.Label2, 0, 0, d.label2Width, 255);
    ctl::setBackColor(k.Label2, kRed);
    ctl::setForeColor(k.Label2, plat::vbHighlightText);

    k.Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(k.Text1, 0, 240, d.text1Width, 325);
    k.Text1->setAccessibleName("Copy from");

    k.Label1 = new ctl::Label(c, "Label1", QString::fromUtf8(d.label1));
    ctl::Move(k.Label1, d.label1Left, 600, 9015, 255);
    ctl::setBackColor(k.Label1, plat::vbBlue);
    ctl::setForeColor(k.Label1, plat::vbWhite);

    k.Text2 = new ctl::TextBox(c, "Text2");
    ctl::Move(k.Text2, 0, 840, d.text2Width, 325);
    k.Text2->setToolTip(" FolderName Only");
    k.Text2->setAccessibleName("Destination folder");

    k.Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(k.Command1, 4080, 840, 975, 325);
    k.Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(k.Command2, 5040, 840, 1095, 325);

    QWidget::setTabOrder(k.Text2, k.Command1);
    QWidget::setTabOrder(k.Command1, k.Command2);
    QWidget::setTabOrder(k.Command2, k.Text1);
    k.Text2->setFocus();
    return k;
}

// The folder typed: a bare letter is that drive's root.
QString CopyToFolder(const QString& T)
{
    return ctl::trimBlanks(T).size() == 1 ? T + ":\\" : T;
}

QString CopyToDestination(const QString& T, const QString& X)
{
    return plat::winpath::join(CopyToFolder(T), X);
}

void CopyToOkay(ctl::VbForm& dialog, int pane, const QString& T)
{
    if (T.isEmpty()) {
        plat::MsgBox("Please enter destination to continue");
        return;
    }
    Form1& f = Form1::get();
    // The selection becomes the copy list, as Copy makes it.
    f.CopyPane(pane);

    int failure = 0;
    QString causeText;     // when the number's message would name the wrong cause
    QStringList notCopied; // when the folder went away on the way
    const int n = f.List1->ListCount();
    // The folder is held from the first file on: every file goes into the
    // folder the copy began on, or the copy stops.
    std::optional<plat::fs::TargetFolder> into;
    for (int i = 0; i < n && i < f.List1->ListCount(); ++i) {
        const QString name = f.List1->List(i);
        const QString sourceFolder = plat::clipboard::GetText();
        if (sourceFolder.isEmpty())
            break; // without its folder a name would be looked for at a drive root
        const QString source = plat::winpath::join(sourceFolder, name);
        const QString destination = CopyToDestination(T, name);
        bool held = false; // a folder not there at the start has its message alone
        try {
            if (!into) into.emplace(CopyToFolder(T));
            held = true;
            plat::fs::copyFile(source, *into, name);
        } catch (const plat::FileError& e) {
            failure = e.number();
            causeText = copyCauseMessage(e, source, destination);
            // A copy onto itself is passed over quietly; a folder we may not
            // write to must not look like a copy that worked.
            if (failure == plat::ErrPermissionDenied && !sameFile(source, destination))
                failure = plat::ErrPathFileAccess;
            if (held && targetFolderWentAway(e))
                for (int k = i; k < f.List1->ListCount(); ++k)
                    notCopied.append(f.List1->List(k));
            break;
        }
    }

    dialog.Hide();
    if (failure && !causeText.isEmpty()) {
        plat::MsgBox(causeText);
    } else if (failure) {
        const QString msg = messageFor(
            failure,
            {{plat::ErrDeviceIO, "Device not connected or in use"},
             {plat::ErrDiskFull, "Disk is full"},
             {plat::ErrDeviceUnavailable, "Device not available"},
             {plat::ErrDiskNotReady, "Insert disk to continue"},
             {plat::ErrPathFileAccess, "Destination is write protected or read only or not found"},
             {plat::ErrPathNotFound,
              "Either the destination doesn't exist or the path to the folder is misspelled or "
              "incomplete"}});
        if (!msg.isEmpty()) plat::MsgBox(msg + notCopiedText(notCopied));
    }
    f.Pane(pane).file->Refresh();
}

} // namespace fileops
