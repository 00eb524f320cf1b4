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

// The desktop's dialogs; a friend of the dialog control, whose print-to-file
// choice it notes.
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
        pd.setOption(QAbstractPrintDialog::PrintSelection, !(dlg.Flags & cdlPDNoSelection));
        // The hide-print-to-file flag has nothing to hide here: the desktop's
        // dialog has no such box, and its "Print to File (PDF)" is a printer
        // of its own, the only one on a machine without printers. It stays.
        pd.setOption(QAbstractPrintDialog::PrintToFile, true);
        const bool ok = printDialogHook() ? printDialogHook()(pd) : pd.exec() == QDialog::Accepted;
        if (!ok) return false;
        dlg.Copies = printer.copyCount();
        dlg.PrintToFile = printer.outputFormat() == QPrinter::PdfFormat;
        dlg.m_printFile = dlg.PrintToFile ? printer.outputFileName() : QString();
        dlg.PrinterName = dlg.PrintToFile ? QString() : printer.printerName();
        return true;
    }

    static std::function<bool(QPrintDialog&)>& printDialogHook()
    {
        static std::function<bool(QPrintDialog&)> hook;
        return hook;
    }
};

namespace {

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

void setPrintDialogHook(std::function<bool(QPrintDialog&)> hook)
{
    RealDialogs::printDialogHook() = std::move(hook);
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

void CommonDialog::show(bool (DialogSeam::*kind)(CommonDialog&))
{
    bool ok = false;
    {
        EventNesting nested;
        ok = (current()->*kind)(*this);
    }
    finish(ok);
}
void CommonDialog::ShowColor()
{
    show(&DialogSeam::showColor);
}
void CommonDialog::ShowOpen()
{
    show(&DialogSeam::showOpen);
}
void CommonDialog::ShowSave()
{
    show(&DialogSeam::showSave);
}
void CommonDialog::ShowPrinter()
{
    show(&DialogSeam::showPrinter);
}

} // namespace plat
