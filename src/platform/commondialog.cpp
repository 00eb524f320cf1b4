#include "platform/commondialog.h"

#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <utility>

namespace plat {

namespace {

class RealDialogs : public DialogSeam {
  public:
    bool showColor(CommonDialog& dlg) override
    {
        const QColor initial = (dlg.Flags & cdlCCRGBInit) ? toQColor(dlg.Color) : QColor(Qt::white);
        const QColor c =
            QColorDialog::getColor(initial, QApplication::activeWindow(), dlg.DialogTitle);
        if (!c.isValid()) return false;
        dlg.Color = fromQColor(c);
        return true;
    }
    bool showFile(CommonDialog& dlg, bool save)
    {
        QString dir;
        try {
            const QString start = !dlg.FileName.isEmpty()  ? dlg.FileName
                                  : !dlg.InitDir.isEmpty() ? dlg.InitDir
                                                           : drives::currentFolder();
            dir = drives::qtPath(drives::toHost(start)); // Qt's dialog spells it as Qt does
        } catch (const FileError&) {
        }
        const QString filter = CommonDialog::qtFilter(dlg.Filter);
        const QString host = save ? QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                                                 dlg.DialogTitle, dir, filter)
                                  : QFileDialog::getOpenFileName(QApplication::activeWindow(),
                                                                 dlg.DialogTitle, dir, filter);
        if (host.isEmpty()) return false;
        return dlg.takeHostChoice(host);
    }
    bool showOpen(CommonDialog& dlg) override { return showFile(dlg, false); }
    bool showSave(CommonDialog& dlg) override { return showFile(dlg, true); }
    bool showPrinter(CommonDialog& dlg) override
    {
        QPrinter printer;
        QPrintDialog pd(&printer, QApplication::activeWindow());
        if (pd.exec() != QDialog::Accepted) return false;
        dlg.Copies = printer.copyCount();
        dlg.PrinterName = printer.printerName();
        return true;
    }
};

DialogSeam* realSeam()
{
    static RealDialogs real;
    return &real;
}
DialogSeam*& current()
{
    static DialogSeam* seam = realSeam();
    return seam;
}

} // namespace

void setDialogSeam(DialogSeam* seam)
{
    current() = seam ? seam : realSeam();
}

QString CommonDialog::qtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pats = parts[i + 1];
        pats.replace(';', ' ');
        out << parts[i] + " (" + pats + ")";
    }
    return out.join(";;");
}

bool CommonDialog::takeHostChoice(const QString& hostPath)
{
    const QString win = drives::toWindows(hostPath);
    if (win.isEmpty()) {
        m_offDrives = QFileInfo(hostPath).absolutePath();
        return false;
    }
    FileName = win;
    return true;
}

void CommonDialog::finish(bool ok)
{
    const QString offDrives = std::exchange(m_offDrives, QString());
    if (ok) {
        const int cut = FileName.lastIndexOf('\\');
        FileTitle = cut >= 0 ? FileName.mid(cut + 1) : FileName;
        return;
    }
    if (!CancelError) return;
    if (!offDrives.isEmpty()) raise(ErrDeviceUnavailable, offDrives);
    raise(ErrCancel, QStringLiteral("Cancel was selected."));
}

void CommonDialog::ShowColor()
{
    bool ok = false;
    {
        EventNesting nested;
        ok = current()->showColor(*this);
    }
    finish(ok);
}
void CommonDialog::ShowOpen()
{
    bool ok = false;
    {
        EventNesting nested;
        ok = current()->showOpen(*this);
    }
    finish(ok);
}
void CommonDialog::ShowSave()
{
    bool ok = false;
    {
        EventNesting nested;
        ok = current()->showSave(*this);
    }
    finish(ok);
}
void CommonDialog::ShowPrinter()
{
    bool ok = false;
    {
        EventNesting nested;
        ok = current()->showPrinter(*this);
    }
    finish(ok);
}

} // namespace plat
