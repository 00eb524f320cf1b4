#include "standalone/zipview.h"

#include "controls/handlers.h"
#include "fileops/standby.h"
#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"
#include "standalone/archiver.h"

#include <exception>

namespace {
constexpr int kGreen = 0x0000C000;
}

ZipView::ZipView()
{
    setObjectName("ZipView");
    setCaption(QString());
    setBackColor(kGreen);

    mnuFile0 = topMenu("mnuFile0", "File");
    mnuExtract = item(mnuFile0, "mnuExtract", "Extract", [this] { mnuExtract_Click(); });
    mnuExit = item(mnuFile0, "mnuExit", "Exit", nullptr);
    mnuPopup1 = topMenu("mnuPopup1", "Popup", false);
    mnuExtract1 = item(mnuPopup1, "mnuExtract1", "Extract", nullptr);
    setClientSizeTwips(11190, 6120);

    QWidget* c = client();
    Listview1 = new plat::ListView(c, "Listview1");
    ctl::Move(Listview1, 480, 480, 10455, 3375);
    ctl::onSignal(Listview1, &plat::ListView::MouseUp, this, &ZipView::Listview1_MouseUp);
    ctl::showNamesAsOnScreen(Listview1);
    Listview1->setAccessibleName("Files in the archive");
    ListView2 = new plat::ListView(c, "ListView2");
    ctl::Move(ListView2, 2400, 3840, 6255, 2175);
    ListView2->hide();

    Command1 = new ctl::CommandButton(c, "Command1", "Command1");
    ctl::Move(Command1, 120, 120, 375, 375);
    Command1->hide();
    Command2 = new ctl::CommandButton(c, "Command2", "Command2");
    ctl::Move(Command2, 480, 4200, 1215, 735);
    Command2->hide();
    Command3 = new ctl::CommandButton(c, "Command3", "Command3");
    ctl::Move(Command3, 4080, 3120, 1335, 615);
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &ZipView::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &ZipView::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &ZipView::Command3_Click);
}

void ZipView::Form_Load()
{
    Listview1->AddColumnHeader("Name");
    Listview1->AddColumnHeader("Size");
    Listview1->AddColumnHeader("Date");
    const double third = ctl::twips(Listview1).width / 3;
    for (int i = 0; i < 3; ++i)
        Listview1->setColumnWidthTwips(i, third);
}

void ZipView::Command1_Click()
{
    Form1& f = Form1::get();
    const int n = f.FirstPaneWithSelection();
    if (n == 0) return;
    const QString name = f.Pane(n).file->FileName();
    const QString folder = f.Pane(n).dir->Path();
    setCaption("Quorbix ZipView of " + name);
    Listview1->ClearItems();
    const QString path = plat::winpath::join(folder, name);
    try {
        Archiver::ListZipEntries(path, *Listview1);
    } catch (const plat::FileError& e) {
        // A name that is no file at all (a named pipe, a device) is said
        // so; the listing says nothing else of its end.
        if (e.explained())
            plat::MsgBox("Cannot list " + path + ": " + e.detail() + ".",
                         plat::vbOKOnly | plat::vbExclamation);
    } catch (const std::exception&) {
        // the rows read so far stay
    }
}

void ZipView::Listview1_MouseUp(int button, int, double, double)
{
    if (button == 2) PopupMenu(mnuPopup1);
}

void ZipView::mnuExtract_Click()
{
    QTreeWidgetItem* selected = Listview1->SelectedItem();
    if (!selected) return;
    const QString text = selected->text(0);
    if (!text.contains('/')) {
        Hide();
        for (int i = 0; i < Listview1->ItemCount(); ++i)
            if (Listview1->Item(i)->isSelected()) ListView2->AddItem(Listview1->Item(i)->text(0));
        plat::DoEvents();
        Command2->Press();
        Standby::get().Show();
        Standby::get().Text1->setText(" Unzipping Files to C:\\temp ");
        Standby::get().Command1->Press();
        plat::DoEvents();
        Standby::get().Command2->Press();
        Unload();
        return;
    }
    // The leaf is the name after the last "/"; the name's folder part says
    // nothing about where the file lies here.
    const QString leaf = text.mid(text.lastIndexOf('/') + 1).trimmed();
    if (leaf.isEmpty()) return; // a folder entry: no file to copy
    QString why;
    const CopyResult r = CopyEntry(leaf, kTarget, &why);
    if (r != CopyResult::Copied) ReportCopyFailure(leaf, kTarget, r, why);
}

void ZipView::Command2_Click()
{
    const int count = ListView2->ItemCount();
    int failedAt = -1;
    for (int i = 0; i < count; ++i) {
        const QString name = ListView2->Item(i)->text(0);
        QString why;
        const CopyResult r = CopyEntry(name, kTarget, &why);
        if (r == CopyResult::Failed) {
            failedAt = i;
            break;
        }
        if (r == CopyResult::Refused) ReportCopyFailure(name, kTarget, r, why);
    }
    if (failedAt < 0) return;
    // The rest, from the name that failed on, go to the second folder, so
    // that no selected name is left out.
    for (int i = failedAt; i < count; ++i) {
        const QString name = ListView2->Item(i)->text(0);
        QString why;
        const CopyResult r = CopyEntry(name, kFallbackTarget, &why);
        if (r != CopyResult::Copied) ReportCopyFailure(name, kFallbackTarget, r, why);
    }
}

void ZipView::Command3_Click()
{
    const int count = Listview1->ItemCount();
    for (int i = 0; i < count; ++i) {
        if (QTreeWidgetItem* sel = Listview1->SelectedItem()) {
            QString text = sel->text(0);
            if (text.contains('/')) text = text.right(10);
        }
        Listview1->Refresh();
    }
}

ZipView::CopyResult ZipView::CopyEntry(const QString& name, const QString& folder, QString* why)
{
    // Only a plain name in the current folder: an entry name with a drive,
    // a folder part or ".." would read from or write to anywhere.
    // A NUL would cut the name short on the host and name another file.
    if (name.isEmpty() || name == "." || name == ".." || name.contains('\\') ||
        name.contains('/') || name.contains(':') || name.contains(QChar(0)) ||
        name.trimmed() != name)
        return CopyResult::Refused;
    try {
        const QString source = plat::drives::normalize(name);
        try {
            // What the name is now, opened without waiting: a named pipe or
            // a device is no file of the archive, and another folder would
            // not make it one.
            QFile probe;
            plat::fs::openForReading(probe, source);
        } catch (const plat::FileError& e) {
            if (!e.explained()) throw;
            if (why) *why = e.detail();
            return CopyResult::Refused;
        }
        const QString dir = plat::drives::normalize(folder);
        const QString target = plat::winpath::freeName(dir, name, plat::fs::pathExists);
        plat::fs::copyFile(source, target);
        return CopyResult::Copied;
    } catch (const plat::FileError&) {
        return CopyResult::Failed;
    }
}

void ZipView::ReportCopyFailure(const QString& name, const QString& folder, CopyResult result,
                                const QString& why)
{
    if (result == CopyResult::Refused && !why.isEmpty())
        plat::MsgBox("Not copied: " + plat::drives::displayName(name) + ": " + why + ".",
                     plat::vbOKOnly | plat::vbExclamation);
    else if (result == CopyResult::Refused)
        plat::MsgBox("Not copied: " + plat::drives::displayName(name) +
                         " is not a plain file name.",
                     plat::vbOKOnly | plat::vbExclamation);
    else
        plat::MsgBox("Could not copy " + plat::drives::displayName(name) + " to " + folder,
                     plat::vbOKOnly | plat::vbExclamation);
}
