#include "platform/commondialog.h"

#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/winpath.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMap>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QUrl>
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
        QFileDialog fd(QApplication::activeWindow());
        prepareFileDialog(fd, dlg, save);
        QString host;
        if (fileDialogHook()) {
            host = fileDialogHook()(fd);
        } else if (fd.exec() == QDialog::Accepted && !fd.selectedFiles().isEmpty()) {
            host = fd.selectedFiles().constFirst();
        }
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
    static std::function<QString(QFileDialog&)>& fileDialogHook()
    {
        static std::function<QString(QFileDialog&)> hook;
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

void setFileDialogHook(std::function<QString(QFileDialog&)> hook)
{
    RealDialogs::fileDialogHook() = std::move(hook);
}

namespace {

// The side bar names each drive by its letter. Its entries are the drives'
// host folders, which the dialog itself would name by their last part
// ("a", "/"), so the names are drawn here, from each entry's folder.
class DriveLetterDelegate : public QStyledItemDelegate {
  public:
    DriveLetterDelegate(QMap<QString, QString> letters, QObject* parent)
        : QStyledItemDelegate(parent), m_letters(std::move(letters))
    {
    }
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString letter = letterOf(index);
        if (!letter.isEmpty()) option->text = letter;
    }
    QString letterOf(const QModelIndex& index) const
    {
        // Each entry carries its address; the folder is its local file.
        for (const QVariant& v : index.model()->itemData(index))
            if (v.userType() == QMetaType::QUrl)
                return m_letters.value(QDir::cleanPath(v.toUrl().toLocalFile()));
        return {};
    }

  private:
    QMap<QString, QString> m_letters; // host folder (as Qt spells it) -> "C:"
};

// The detail list's columns as wide as what they show of ordinary files,
// and the dialog wide enough for all four beside the side bar. Qt measures
// them for "128.88 GB", "mp3Folder" and a date of two-digit year, which cuts
// "61.4 KiB", "JPEG image" and the date the list shows.
void sizeDetailColumns(QFileDialog& fd)
{
    auto* view = fd.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view) return;
    QHeaderView* header = view->header();
    if (header->count() < 4) return;
    const QFontMetrics fm(view->font());
    const int margin =
        2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) +
        fm.averageCharWidth();
    const auto widest = [&](const QStringList& texts) {
        int w = 0;
        for (const QString& t : texts)
            w = qMax(w, fm.horizontalAdvance(t));
        return w + margin;
    };
    const QLocale locale = QLocale::system();
    QStringList sizes;
    for (const double unit : {1.0, 1024.0, 1024.0 * 1024, 1024.0 * 1024 * 1024})
        sizes << locale.formattedDataSize(qint64(1023.9 * unit));
    QStringList types;
    const QMimeDatabase mime;
    for (const char* suffix :
         {"bmp", "gif", "ico", "jpg", "wmf", "txt", "log", "bat", "htm", "zip", "avi", "exe"})
        types << mime.mimeTypeForFile(QStringLiteral("a.") + QLatin1String(suffix),
                                      QMimeDatabase::MatchExtension)
                     .comment();
    types << mime.mimeTypeForName(QStringLiteral("inode/directory")).comment();
    QStringList dates;
    for (int month = 1; month <= 12; ++month)
        dates << locale.toString(QDateTime(QDate(2028, month, 28), QTime(20, 58, 58)),
                                 QLocale::ShortFormat);
    const QStringList* samples[] = {nullptr, &sizes, &types, &dates};
    int columns = 0;
    for (int c = 0; c < 4; ++c) {
        if (samples[c])
            header->resizeSection(c, qMax(header->sectionSizeHint(c), widest(*samples[c])));
        columns += header->sectionSize(c);
    }
    const int list = columns + 2 * view->frameWidth() +
                     view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    int side = 0;
    if (auto* bar = fd.findChild<QWidget*>(QStringLiteral("sidebar")))
        side = bar->sizeHint().width();
    // the splitter's handle, the layout's margins and spacing
    const auto metric = [&fd](QStyle::PixelMetric m) {
        return qMax(0, fd.style()->pixelMetric(m, nullptr, &fd));
    };
    const int wanted = list + side + 4 * metric(QStyle::PM_LayoutHorizontalSpacing) +
                       metric(QStyle::PM_LayoutLeftMargin) + metric(QStyle::PM_LayoutRightMargin);
    const QSize hint = fd.sizeHint();
    int width = qMax(hint.width(), wanted);
    if (const QScreen* screen = fd.screen())
        width = qMin(width, screen->availableGeometry().width());
    fd.resize(width, hint.height());
}

} // namespace

void prepareFileDialog(QFileDialog& fd, const CommonDialog& dlg, bool save)
{
    // Qt's own dialog: a desktop's dialog would keep its own side bar.
    fd.setOption(QFileDialog::DontUseNativeDialog);
    fd.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fd.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!dlg.DialogTitle.isEmpty()) fd.setWindowTitle(dlg.DialogTitle); // else "Open", "Save As"
    const QString filter = CommonDialog::qtFilter(dlg.Filter);
    if (!filter.isEmpty()) fd.setNameFilters(filter.split(QStringLiteral(";;")));

    QList<QUrl> side;
    QMap<QString, QString> letters;
    for (const DriveEntry& d : drives::table()) {
        const QString folder = drives::qtPath(d.hostRoot);
        if (folder.isEmpty()) continue; // a folder Qt cannot spell cannot be opened by it
        side << QUrl::fromLocalFile(folder);
        letters.insert(QDir::cleanPath(folder), QString(d.letter) + QLatin1Char(':'));
    }
    fd.setSidebarUrls(side);
    if (auto* bar = fd.findChild<QAbstractItemView*>(QStringLiteral("sidebar"))) {
        auto* names = new DriveLetterDelegate(letters, bar);
        bar->setItemDelegate(names);
        // A screen reader says the letter too, with the folder behind it.
        QAbstractItemModel* m = bar->model();
        for (int r = 0; m && r < m->rowCount(); ++r) {
            const QModelIndex i = m->index(r, 0);
            const QString letter = names->letterOf(i);
            if (!letter.isEmpty()) m->setData(i, letter, Qt::AccessibleTextRole);
        }
    }

    sizeDetailColumns(fd);

    // It opens where the caller says: on the file named, else in the
    // folder named, else in the current folder.
    try {
        const QString start = !dlg.FileName.isEmpty()  ? dlg.FileName
                              : !dlg.InitDir.isEmpty() ? dlg.InitDir
                                                       : drives::currentFolder();
        const QString win = drives::normalize(start);
        if (fs::folderExists(win)) {
            fd.setDirectory(drives::qtPath(drives::toHost(win)));
        } else {
            fd.setDirectory(drives::qtPath(drives::toHost(winpath::parent(win))));
            fd.selectFile(drives::nameToHost(winpath::fileName(win)));
        }
    } catch (const FileError&) {
    }
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
        FileTitle = winpath::fileName(FileName);
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
