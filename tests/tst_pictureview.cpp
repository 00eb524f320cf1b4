// The picture viewer: loading pictures, the load sequence, the zoom steps
// and scrolling, Copy to Clipboard, Open New Picture, Print (recorded, and
// once as a real PDF) and the save-as dialog's checks and copies, with
// pictures made at run time in temporary folders mapped as drives.
#include "testsupport.h"

#include "mainwindow/form1.h"
#include "pictureview/realview.h"
#include "pictureview/saveas.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/picture.h"
#include "platform/printer.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

using testsupport::RecordingMessageBoxes;
using testsupport::ScriptedDialogs;
using testsupport::TempDrives;

namespace {

struct RecordingPrinter : plat::PrinterSeam {
    RecordingPrinter() { plat::setPrinterSeam(this); }
    ~RecordingPrinter() override { plat::setPrinterSeam(nullptr); }
    bool printPage(const plat::PrintedPage& page) override
    {
        pages.append(page);
        if (!pdfPath.isEmpty()) return plat::printToPdf(page, pdfPath);
        return succeed;
    }
    QList<plat::PrintedPage> pages;
    QString pdfPath; // also write each page as this PDF file
    bool succeed = true;
};

// A one-rectangle placeable metafile, widthTwips x heightTwips at 1440 a
// inch.
QByteArray metafile(qint16 widthTwips, qint16 heightTwips)
{
    QByteArray records;
    auto word = [](QByteArray& b, quint16 v) {
        char d[2];
        qToLittleEndian(v, d);
        b.append(d, 2);
    };
    auto dword = [](QByteArray& b, quint32 v) {
        char d[4];
        qToLittleEndian(v, d);
        b.append(d, 4);
    };
    auto record = [&](quint16 func, QList<quint16> params) {
        dword(records, 3 + params.size());
        word(records, func);
        for (quint16 p : params)
            word(records, p);
    };
    record(0x020B, {0, 0});                                            // window origin
    record(0x020C, {quint16(heightTwips), quint16(widthTwips)});       // window extent
    record(0x02FC, {0, 0x00FF, 0x0000, 0});                            // solid red brush
    record(0x012D, {0});                                               // select it
    record(0x041B, {quint16(heightTwips), quint16(widthTwips), 0, 0}); // rectangle
    record(0x0000, {});                                                // end
    QByteArray header;
    word(header, 1);
    word(header, 9);
    word(header, 0x0300);
    dword(header, (18 + records.size()) / 2);
    word(header, 1);
    dword(header, 7);
    word(header, 0);
    QByteArray placeable;
    dword(placeable, 0x9AC6CDD7u);
    for (quint16 v : {quint16(0), quint16(0), quint16(0), quint16(widthTwips), quint16(heightTwips),
                      quint16(1440)})
        word(placeable, v);
    dword(placeable, 0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(placeable.constData() + 2 * i);
    word(placeable, sum);
    return placeable + header + records;
}

// A 4 x 3 red GIF (Qt reads GIF but does not write it).
const QByteArray kGif = QByteArray::fromHex("47494638396104000300f00000ff000000000021f904000000"
                                            "00002c000000000400030000020384"
                                            "8f56003b");

} // namespace

class TstPictureView : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RecordingPrinter> m_printer;

    Form1& f() { return Form1::get(); }
    QString host(const QString& win) { return m_drives->hostPath(win); }

    QString writeImage(const QString& winPath, int w, int h, const char* format = "BMP",
                       QColor color = Qt::red)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(color);
        m_drives->write(winPath, "");
        const bool ok = img.save(host(winPath), format);
        if (!ok) qWarning("could not write %s", qPrintable(winPath));
        return winPath;
    }
    QByteArray contents(const QString& winPath) { return testsupport::contents(host(winPath)); }

    // Selects a file in pane 1 and opens the viewer on it through View
    // Graphic, accepting the offered file in the Open dialog.
    RealView* openViewer(const QString& winPath)
    {
        const int cut = winPath.lastIndexOf('\\');
        DriveView& p = f().Pane(1);
        p.dir->setPath(winPath.left(cut));
        p.file->setPath(winPath.left(cut));
        p.file->setPattern("*.*");
        for (int i = 0; i < p.file->ListCount(); ++i)
            if (p.file->List(i) == winPath.mid(cut + 1)) {
                p.file->setSelected(i, true);
                p.file->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            }
        m_dialogs->openFiles << winPath;
        f().mnuBmp_Click();
        return RealView::instanceIfLoaded();
    }
    void press(RealView* v, const QString& keys)
    {
        for (QChar k : keys) {
            if (k == 'E') v->Command1->Press();
            if (k == 'R') v->Command2->Press();
            if (k == 'e') v->mnuEnlarge->trigger();
            if (k == 'r') v->mnuReduce->trigger();
        }
    }
    void unloadWindows()
    {
        Saveas::UnloadIfLoaded();
        RealView::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_printer = std::make_unique<RecordingPrinter>();
        m_drives->mkdir("C:\\Empty");
        for (int n = 1; n <= 5; ++n) {
            DriveView& p = f().Pane(n);
            p.drive->Refresh();
            p.dir->setPath("C:\\Empty");
            p.file->setPath("C:\\Empty");
        }
        plat::clipboard::SetText("C:\\CopySource");
    }

    void cleanup()
    {
        unloadWindows();
        m_printer.reset();
        m_dialogs.reset();
        m_boxes.reset();
        m_drives.reset();
    }

    // --- loading pictures ---

    void loadFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("widthPx");
        QTest::addColumn<int>("heightPx");
        QTest::newRow("bmp") << "bmp" << 40 << 30;
        QTest::newRow("jpg") << "jpg" << 40 << 30;
        QTest::newRow("gif") << "gif" << 4 << 3;
        QTest::newRow("ico") << "ico" << 32 << 32;
        QTest::newRow("cur") << "cur" << 32 << 32;
        QTest::newRow("wmf") << "wmf" << 96 << 48; // one inch by half an inch
    }
    void loadFormats()
    {
        QFETCH(QString, format);
        QFETCH(int, widthPx);
        QFETCH(int, heightPx);
        const QString path = "C:\\Pics\\picture." + format;
        if (format == "gif") {
            m_drives->write(path, kGif);
        } else if (format == "wmf") {
            if (QStandardPaths::findExecutable("wmf2gd").isEmpty())
                QSKIP("wmf2gd (libwmf-bin) is not installed");
            m_drives->write(path, metafile(1440, 720));
        } else if (format == "cur") {
            writeImage(path, widthPx, heightPx, "ICO");
            QByteArray bytes = contents(path);
            bytes[2] = 2; // a cursor's resource type
            m_drives->write(path, bytes);
        } else {
            writeImage(path, widthPx, heightPx, qPrintable(format.toUpper()));
        }
        const plat::Picture p = plat::LoadPicture(path);
        QCOMPARE(p.image.size(), QSize(widthPx, heightPx));
        QCOMPARE(p.widthTwips, widthPx * 15.0);
        QCOMPARE(p.heightTwips, heightPx * 15.0);
        QCOMPARE(p.widthHimetric, qRound(widthPx * 2540 / 96.0));
        const QRgb middle = p.image.pixel(widthPx / 2, heightPx / 2);
        QVERIFY2(qRed(middle) > 200 && qGreen(middle) < 60, qPrintable(format));
    }

    void loadFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<int>("number");
        QTest::newRow("text named bmp") << "C:\\Pics\\a.bmp" << QByteArray("not a picture") << 481;
        QTest::newRow("text named wmf") << "C:\\Pics\\a.wmf" << QByteArray("not a metafile") << 481;
        QTest::newRow("missing") << "C:\\Pics\\gone.bmp" << QByteArray() << 53;
        QTest::newRow("missing folder") << "C:\\Nowhere\\gone.bmp" << QByteArray() << 76;
    }
    void loadFailures()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(int, number);
        m_drives->mkdir("C:\\Pics");
        if (!content.isEmpty()) m_drives->write(path, content);
        try {
            plat::LoadPicture(path);
            QFAIL("loaded");
        } catch (const plat::FileError& e) {
            QCOMPARE(e.number(), number);
        }
    }

    // --- the load sequence ---

    void loadShowsPicture_data()
    {
        QTest::addColumn<int>("heightPx");
        QTest::addColumn<bool>("scrollBar");
        QTest::newRow("5010 twips") << 334 << true;
        QTest::newRow("4995 twips") << 333 << false;
    }
    void loadShowsPicture()
    {
        QFETCH(int, heightPx);
        QFETCH(bool, scrollBar);
        RealView* v = openViewer(writeImage("C:\\Pics\\tall.bmp", 20, heightPx));
        QVERIFY(v);
        QCOMPARE(v->Caption(), QString("True Size"));
        QCOMPARE(v->Image1->Left(), 0.f);
        QCOMPARE(v->Image1->Top(), 20.f);
        QCOMPARE(v->Image1->Height(), float(heightPx * 15));
        QCOMPARE(v->VScroll1->isVisibleTo(v), scrollBar);
        QCOMPARE(v->CommonDialog1.FileName, QString("C:\\Pics\\tall.bmp"));
        QVERIFY(v->CommonDialog1.CancelError);
        QVERIFY(plat::clipboard::GetText().isEmpty()); // the copy list's source is gone
        QVERIFY(m_boxes->prompts().isEmpty());

        // a second View Graphic only brings it forward
        f().mnuBmp_Click();
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(RealView::instanceIfLoaded(), v);
    }

    // View Graphic's Open dialog lists the drives by their letters, opens on
    // the pane's file, and the file chosen on another drive comes back as
    // that drive's Windows path.
    void openDialogSpeaksDrives()
    {
        writeImage("C:\\Pics\\a.bmp", 10, 10);
        writeImage("D:\\Other\\b.bmp", 12, 12);
        m_dialogs.reset(); // the program's own dialog
        testsupport::InspectedFileDialogs dialogs;
        dialogs.answers << host("D:\\Other\\b.bmp");
        DriveView& p = f().Pane(1);
        p.dir->setPath("C:\\Pics");
        p.file->setSelected(0, true);
        p.file->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().mnuBmp_Click();

        QCOMPARE(dialogs.seen.size(), 1);
        const testsupport::InspectedFileDialogs::Seen& seen = dialogs.seen.first();
        QVERIFY(!seen.save);
        QCOMPARE(seen.sidebar, QList<QUrl>({QUrl::fromLocalFile(m_drives->host('C')),
                                            QUrl::fromLocalFile(m_drives->host('D'))}));
        QCOMPARE(seen.sidebarNames, QStringList({"C:", "D:"}));
        QCOMPARE(seen.directory, host("C:\\Pics"));
        QCOMPARE(seen.selected, QStringList{host("C:\\Pics\\a.bmp")});
        RealView* v = RealView::instanceIfLoaded();
        QVERIFY(v);
        QCOMPARE(v->CommonDialog1.FileName, QString("D:\\Other\\b.bmp"));
    }

    void loadFailureClosesViewer_data()
    {
        QTest::addColumn<QString>("answer"); // the Open dialog's answer; empty cancels
        QTest::newRow("cancel") << "";
        QTest::newRow("text file") << "C:\\Pics\\notes.txt";
    }
    void loadFailureClosesViewer()
    {
        QFETCH(QString, answer);
        m_drives->write("C:\\Pics\\notes.txt", "text");
        writeImage("C:\\Pics\\a.bmp", 10, 10);
        DriveView& p = f().Pane(1);
        p.dir->setPath("C:\\Pics");
        p.file->setPath("C:\\Pics");
        p.file->setSelected(0, true);
        p.file->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        m_dialogs->openFiles << answer;
        f().mnuBmp_Click();
        QVERIFY(!RealView::IsLoaded());
        QVERIFY(m_boxes->prompts().isEmpty());
        QVERIFY(plat::clipboard::GetText().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // the next View Graphic loads it anew
        m_dialogs->openFiles << "C:\\Pics\\a.bmp";
        f().mnuBmp_Click();
        QCOMPARE(m_dialogs->shown, QStringList({"open", "open"}));
        QVERIFY(RealView::IsLoaded());
    }

    // --- zoom steps ---

    void zoom_data()
    {
        QTest::addColumn<int>("heightPx");
        QTest::addColumn<QString>("presses"); // E/R buttons, e/r menu items
        QTest::addColumn<QString>("caption");
        QTest::addColumn<float>("height");
        QTest::addColumn<int>("messages");
        QTest::newRow("4500 enlarge") << 300 << "E"
                                      << "True Size" << 4500.f << 1;
        QTest::newRow("4500 via menu") << 300 << "e"
                                       << "True Size" << 4500.f << 1;
        QTest::newRow("4500 reduce") << 300 << "R"
                                     << "Size/2" << 2250.f << 0;
        QTest::newRow("4500 reduce enlarge") << 300 << "Rr"
                                             << "Size/4" << 1125.f << 0;
        QTest::newRow("back to true size") << 300 << "RE"
                                           << "True Size" << 4500.f << 0;
        QTest::newRow("3990 once") << 266 << "E"
                                   << "Magnification X2" << 7980.f << 0;
        QTest::newRow("3990 twice") << 266 << "Ee"
                                    << "Magnification X2" << 7980.f << 1;
        QTest::newRow("105 to X10") << 7 << "EEEEE"
                                    << "Magnification X10" << 3360.f << 0;
        QTest::newRow("105 past X10") << 7 << "EEEEEE"
                                      << "Magnification X10" << 3360.f << 0;
        QTest::newRow("210 past X10") << 14 << "EEEEEE"
                                      << "Magnification X10" << 6720.f << 1;
        QTest::newRow("to Size/10") << 64 << "RRRRR"
                                    << "Size/10" << 30.f << 0;
        QTest::newRow("past Size/10") << 64 << "RRRRRR"
                                      << "Size/10" << 30.f << 0;
        QTest::newRow("alternating") << 64 << "ERERRE"
                                     << "True Size" << 960.f << 0;
    }
    void zoom()
    {
        QFETCH(int, heightPx);
        QFETCH(QString, presses);
        QFETCH(QString, caption);
        QFETCH(float, height);
        QFETCH(int, messages);
        RealView* v = openViewer(writeImage("C:\\Pics\\z.bmp", 2 * heightPx, heightPx));
        QVERIFY(v);
        press(v, presses);
        QCOMPARE(v->Caption(), caption);
        QCOMPARE(v->Image1->Height(), height);
        QCOMPARE(v->Image1->Width(), 2 * height);
        QCOMPARE(m_boxes->prompts(), QStringList(messages, "Magnification is at maximum"));
        // stretching stays off only while every press was a refused Enlarge
        QCOMPARE(v->Image1->Stretch(), messages != presses.size());
        QCOMPARE(v->Image1->size(), QSize(qRound(2 * height / 15), qRound(height / 15)));
    }

    void scrolling()
    {
        RealView* v = openViewer(writeImage("C:\\Pics\\tall.bmp", 100, 400));
        QVERIFY(v && v->VScroll1->isVisibleTo(v));
        v->VScroll1->setValue(500);
        QCOMPARE(v->Image1->Top(), -500.f);
        v->Command2->Press();
        QCOMPARE(v->Image1->Top(), 0.f);
        QCOMPARE(v->VScroll1->value(), 500);
        v->VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(v->VScroll1->value(), 525);
        QCOMPARE(v->Image1->Top(), -525.f);
    }

    // No pane has a selection: the viewer stays with its stored state.
    void viewerWithoutPicture()
    {
        RealView& v = RealView::get();
        QCOMPARE(v.Caption(), QString());
        QVERIFY(m_dialogs->shown.isEmpty());
        v.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList{"Magnification is at maximum"});
        v.Command2->Press();
        QCOMPARE(v.Caption(), QString());
        QCOMPARE(v.Image1->Height(), 20000.f);
        m_boxes->clear();
        v.mnuClip->trigger();
        QCOMPARE(m_boxes->prompts(), QStringList{"File format not recognized in Clipboard Viewer"});
        QCOMPARE(m_boxes->boxes[0].style, int(plat::vbInformation));
        QVERIFY(plat::clipboard::GetImage().isNull());
        v.mnuPrint->trigger();
        QCOMPARE(m_printer->pages.size(), 1);
        QVERIFY(m_printer->pages[0].isEmpty());
    }

    // --- commands ---

    void copyToClipboard()
    {
        RealView* v = openViewer(writeImage("C:\\Pics\\c.bmp", 12, 8));
        QVERIFY(v);
        plat::clipboard::SetText("C:\\Pending");
        v->mnuClip->trigger();
        QVERIFY(plat::clipboard::GetText().isEmpty());
        QCOMPARE(plat::clipboard::GetImage().size(), QSize(12, 8));
        QVERIFY(m_boxes->prompts().isEmpty());
    }

    void openNewPicture_data()
    {
        QTest::addColumn<QString>("answer"); // empty cancels
        QTest::addColumn<bool>("replaced");
        QTest::newRow("cancel") << "" << false;
        QTest::newRow("not a picture") << "C:\\Pics\\notes.txt" << false;
        QTest::newRow("picture") << "C:\\Pics\\new.bmp" << true;
    }
    void openNewPicture()
    {
        QFETCH(QString, answer);
        QFETCH(bool, replaced);
        m_drives->write("C:\\Pics\\notes.txt", "text");
        writeImage("C:\\Pics\\new.bmp", 30, 20, "BMP", Qt::blue);
        RealView* v = openViewer(writeImage("C:\\Pics\\old.bmp", 16, 16));
        QVERIFY(v);
        press(v, "E"); // Magnification X2: the new picture is stretched into the rectangle
        m_dialogs->openFiles << answer;
        v->mnuOpen->trigger();
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->seen[1].FileName, QString("C:\\Pics\\old.bmp")); // offered again
        QVERIFY(m_boxes->prompts().isEmpty());
        QCOMPARE(v->Caption(), QString("Magnification X2"));
        QCOMPARE(v->Image1->Picture().image.size(), replaced ? QSize(30, 20) : QSize(16, 16));
        QCOMPARE(v->Image1->Height(), 480.f);
        // the file name follows the picture shown, so Save As stores that
        // picture and never the text file
        const QString shown = replaced ? answer : QString("C:\\Pics\\old.bmp");
        QCOMPARE(v->CommonDialog1.FileName, shown);
        m_drives->mkdir("D:\\Out");
        Saveas& s = Saveas::get();
        s.Text1->setText("copy.bmp");
        s.Text2->setText("D:\\Out");
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList());
        QCOMPARE(contents("D:\\Out\\copy.bmp"), contents(shown));
    }

    void print_data()
    {
        QTest::addColumn<QString>("presses");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<float>("top");
        QTest::newRow("true size") << "" << 1 << 1 << 20.f;
        QTest::newRow("X2") << "E" << 2 << 1 << 0.f;
        QTest::newRow("X8 is eight times") << "EEEE" << 8 << 1 << 0.f; // shown at 16
        QTest::newRow("Size/4") << "RR" << 1 << 4 << 0.f;
        QTest::newRow("Size/6 unrounded") << "RRR" << 1 << 6 << 0.f;
    }
    void print()
    {
        QFETCH(QString, presses);
        QFETCH(int, times);
        QFETCH(int, divisor);
        QFETCH(float, top);
        RealView* v = openViewer(writeImage("C:\\Pics\\p.bmp", 40, 30));
        QVERIFY(v);
        press(v, presses);
        QVERIFY(m_boxes->prompts().isEmpty());
        v->mnuPrint->trigger();
        QCOMPARE(m_printer->pages.size(), 1);
        QCOMPARE(m_printer->pages[0].size(), 1);
        const plat::PrintedPicture& p = m_printer->pages[0][0];
        QCOMPARE(p.left, 0.0);
        QCOMPARE(p.top, double(top));
        // 40 x 30 pixels are 600 x 450 twips on the screen, and so on the
        // page at True Size; the factor is the one the caption names
        QCOMPARE(p.width, 600.0 * times / divisor);
        QCOMPARE(p.height, 450.0 * times / divisor);
        QCOMPARE(p.image.size(), QSize(40, 30));
    }

    void printAfterScrollAndFailure()
    {
        RealView* v = openViewer(writeImage("C:\\Pics\\tall.bmp", 100, 400));
        QVERIFY(v);
        v->VScroll1->setValue(300);
        m_printer->succeed = false;
        v->mnuPrint->trigger();
        QCOMPARE(m_printer->pages.size(), 1);
        QCOMPARE(m_printer->pages[0][0].top, -300.0);
        QCOMPARE(m_boxes->boxes.size(), 1);
        QVERIFY(m_boxes->boxes[0].prompt.startsWith("The picture could not be printed"));
    }

    // The page as a real PDF: the picture is there, at its printed size.
    void printToPdf()
    {
        QTemporaryDir out;
        m_printer->pdfPath = out.filePath("page.pdf");
        RealView* v = openViewer(writeImage("C:\\Pics\\red.bmp", 100, 50));
        QVERIFY(v);
        v->mnuPrint->trigger();
        QFile pdf(m_printer->pdfPath);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty() ||
            QStandardPaths::findExecutable("pdfimages").isEmpty())
            QSKIP("pdftoppm and pdfimages (poppler-utils) are not installed");
        // The image as placed on the page: 100 x 50 pixels drawn 75 x 37.5
        // points large are 96 pixels to the inch both ways.
        QProcess list;
        list.start("pdfimages", {"-list", m_printer->pdfPath});
        QVERIFY(list.waitForFinished(30000) && list.exitCode() == 0);
        const QStringList rows = QString::fromUtf8(list.readAllStandardOutput()).split('\n');
        QVERIFY2(rows.size() >= 3, qPrintable(rows.join('\n')));
        const QStringList cols = rows[2].simplified().split(' ');
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
        QVERIFY2(cols.size() >= 14, qPrintable(rows[2]));
        QCOMPARE(cols[3], QString("100"));
        QCOMPARE(cols[4], QString("50"));
        QCOMPARE(cols[12], QString("96"));
        QCOMPARE(cols[13], QString("96"));
        QProcess render;
        render.start("pdftoppm", {"-r", "144", "-png", "-singlefile", m_printer->pdfPath,
                                  out.filePath("page")});
        QVERIFY(render.waitForFinished(30000) && render.exitCode() == 0);
        const QImage page(out.filePath("page.png"));
        QVERIFY(!page.isNull());
        QRect red;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                if (qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80) red |= QRect(x, y, 1, 1);
            }
        // 1500 x 750 twips are 75 x 37.5 points: 150 x 75 pixels at 144 dpi,
        // in the page's top left corner (its printable area starts there)
        QVERIFY2(qAbs(red.width() - 150) <= 2 && qAbs(red.height() - 75) <= 2,
                 qPrintable(QString("%1x%2").arg(red.width()).arg(red.height())));
    }

    // --- the save-as dialog ---

    void saveAsShownTwiceKeepsText()
    {
        RealView* v = openViewer(writeImage("C:\\Pics\\s.bmp", 8, 8));
        QVERIFY(v);
        v->mnuSaveAs->trigger();
        Saveas* s = Saveas::instanceIfLoaded();
        QVERIFY(s);
        s->Text1->setText("typed.bmp");
        v->mnuSaveAs->trigger();
        QCOMPARE(Saveas::instanceIfLoaded(), s);
        QCOMPARE(s->Text1->Text(), QString("typed.bmp"));
        QCOMPARE(s->Caption(), QString("Quorbix Picture Saver"));
    }

    void saveChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("semicolon before name")
            << "cat"
            << "D;\\Pictures"
            << "Semicolon (;) instead of colon (:) error probable at second position left in "
               "folder destination path";
        QTest::newRow("no dot") << "cat"
                                << "C:\\"
                                << "Please include file extension .bmp after filename.";
        QTest::newRow("no colon")
            << "cat.bmp"
            << "D\\Pictures"
            << "Colon(:) missing from second position left in folder destination path";
        QTest::newRow("no backslash")
            << "cat.bmp"
            << "D:Pictures"
            << "Left backslash(\\) missing from third position left in folder destination path";
        QTest::newRow("trailing backslash")
            << "cat.bmp"
            << "D:\\Pictures\\"
            << "Create subfolders from desktop or typographical error";
        QTest::newRow("subfolder") << "cat.bmp"
                                   << "D:\\Pictures\\Cats"
                                   << "Create subfolders from desktop or typographical error";
        QTest::newRow("name with a folder") << "..\\cat.bmp"
                                            << "D:\\Pictures"
                                            << "Please type a file name only, without a folder.";
    }
    void saveChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        m_drives->mkdir("D:\\Pictures\\Cats");
        QVERIFY(openViewer(writeImage("C:\\Pics\\s.bmp", 8, 8)));
        Saveas& s = Saveas::get();
        s.Show();
        s.Text1->setText(name);
        s.Text2->setText(folder);
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList{message});
        QCOMPARE(Saveas::instanceIfLoaded(), &s);
        QCOMPARE(s.Text2->Text(), folder);
        QVERIFY(!QFile::exists(host("D:\\cat.bmp")));
        QVERIFY(!QFile::exists(host("D:\\Pictures\\cat.bmp")));
    }

    void saveCopies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("target");
        QTest::newRow("root") << "cat.bmp"
                              << "C:\\"
                              << "C:\\cat.bmp";
        QTest::newRow("folder") << "cat.bmp"
                                << "D:\\Pictures"
                                << "D:\\Pictures\\cat.bmp";
        QTest::newRow("other suffix, same bytes") << "cat.jpg"
                                                  << "D:\\Pictures"
                                                  << "D:\\Pictures\\cat.jpg";
        // A folder whose name is a blank is no root: the copy goes into it,
        // not beside it as "D:\ cat.bmp".
        QTest::newRow("folder named by a blank") << "cat.bmp"
                                                 << "D:\\ "
                                                 << "D:\\ \\cat.bmp";
    }
    void saveCopies()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(QString, target);
        m_drives->mkdir("D:\\Pictures");
        m_drives->mkdir("D:\\ ");
        m_drives->mkdir("C:\\Work");
        plat::drives::setCurrentFolder("C:\\Work");
        const QString source = writeImage("C:\\Pics\\s.bmp", 8, 8);
        QVERIFY(openViewer(source));
        Saveas& s = Saveas::get();
        s.Text1->setText(name);
        s.Text2->setText(folder);
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList());
        QCOMPARE(contents(target), contents(source));
        QVERIFY(!Saveas::IsLoaded());
        QCOMPARE(plat::drives::currentFolder(), QString("C:\\"));
    }

    void saveMissingFolder_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(plat::vbYes);
        QTest::newRow("no") << int(plat::vbNo);
    }
    void saveMissingFolder()
    {
        QFETCH(int, answer);
        const QString source = writeImage("C:\\Pics\\s.bmp", 8, 8);
        QVERIFY(openViewer(source));
        Saveas& s = Saveas::get();
        s.Text1->setText("cat.bmp");
        s.Text2->setText("D:\\New");
        m_boxes->answers << answer;
        s.Command1->Press();
        QCOMPARE(m_boxes->boxes.size(), 1);
        QCOMPARE(m_boxes->boxes[0].prompt,
                 QString("The folder D:\\New doesn't exist.\r\n Would you like to create it ?"));
        QCOMPARE(m_boxes->boxes[0].style, int(plat::vbYesNo | plat::vbDefaultButton2));
        QCOMPARE(m_boxes->boxes[0].title, QString("Create New Folder"));
        QVERIFY(!Saveas::IsLoaded());
        QCOMPARE(QFile::exists(host("D:\\New")), answer == plat::vbYes);
        if (answer == plat::vbYes) QCOMPARE(contents("D:\\New\\cat.bmp"), contents(source));
    }

    // An existing file is replaced only when the user says so.
    void saveReplaceAsks_data()
    {
        QTest::addColumn<bool>("folderThere"); // a folder of the target's name
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("prompt");
        const QString question = "D:\\Pictures\\cat.bmp already exists.\r\nDo you want to "
                                 "replace it?";
        QTest::newRow("keep") << false << int(plat::vbNo) << question;
        QTest::newRow("replace") << false << int(plat::vbYes) << question;
        // Nothing to replace: the copy is refused with its reason.
        QTest::newRow("folder of that name")
            << true << int(plat::vbYes)
            << "The picture could not be saved as D:\\Pictures\\cat.bmp. The target is write "
               "protected or a folder.";
    }
    void saveReplaceAsks()
    {
        QFETCH(bool, folderThere);
        QFETCH(int, answer);
        QFETCH(QString, prompt);
        if (folderThere)
            m_drives->mkdir("D:\\Pictures\\cat.bmp");
        else
            m_drives->write("D:\\Pictures\\cat.bmp", "precious");
        const QString source = writeImage("C:\\Pics\\s.bmp", 8, 8);
        QVERIFY(openViewer(source));
        Saveas& s = Saveas::get();
        s.Text1->setText("cat.bmp");
        s.Text2->setText("D:\\Pictures");
        m_boxes->answers << answer;
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList{prompt});
        if (folderThere) {
            QVERIFY(QFileInfo(host("D:\\Pictures\\cat.bmp")).isDir());
            QVERIFY(Saveas::IsLoaded());
            return;
        }
        QVERIFY(m_boxes->boxes[0].style & plat::vbDefaultButton2);
        QCOMPARE(contents("D:\\Pictures\\cat.bmp"),
                 answer == plat::vbYes ? contents(source) : QByteArray("precious"));
        QCOMPARE(Saveas::IsLoaded(), answer != plat::vbYes);
    }

    // Copying the viewed file onto itself is refused (70): the user is told,
    // the file is intact, the dialog stays open.
    void saveOntoItself()
    {
        const QString source = writeImage("D:\\Pictures\\cat.bmp", 8, 8);
        const QByteArray before = contents(source);
        QVERIFY(openViewer(source));
        Saveas& s = Saveas::get();
        s.Text1->setText("cat.bmp");
        s.Text2->setText("D:\\Pictures");
        s.Command1->Press(); // the replace question is answered Yes
        QCOMPARE(m_boxes->boxes.size(), 2);
        QCOMPARE(m_boxes->boxes[1].prompt,
                 QString("The picture could not be saved as D:\\Pictures\\cat.bmp. Access was "
                         "denied."));
        QCOMPARE(contents(source), before);
        QVERIFY(Saveas::IsLoaded());
    }

    // The check box: the picture is written as a bitmap straight into
    // C:\temp, whatever and wherever the current folder is, and nowhere else;
    // without C:\temp (76) the user is told and the dialog closes.
    void saveWithCheckBox_data()
    {
        QTest::addColumn<bool>("tempExists");
        QTest::addColumn<bool>("currentWritable");
        QTest::newRow("C:\\temp there") << true << true;
        QTest::newRow("current folder read-only") << true << false;
        QTest::newRow("no C:\\temp") << false << true;
    }
    void saveWithCheckBox()
    {
        QFETCH(bool, tempExists);
        QFETCH(bool, currentWritable);
        m_drives->mkdir("C:\\Work");
        if (tempExists) m_drives->mkdir("C:\\temp");
        const QString source = writeImage("C:\\Pics\\s.jpg", 8, 6, "JPG");
        QVERIFY(openViewer(source));
        plat::drives::setCurrentFolder("C:\\Work");
        if (!currentWritable)
            QFile::setPermissions(host("C:\\Work"), QFile::ReadOwner | QFile::ExeOwner);
        Saveas& s = Saveas::get();
        s.Text1->setText("cat"); // not checked on this road
        s.Text2->setText("D;nonsense");
        s.Check1->setChecked(true);
        s.Command1->Press();
        QFile::setPermissions(host("C:\\Work"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QStringList expected{host(source)};
        if (tempExists) {
            QCOMPARE(m_boxes->prompts(), QStringList());
            const QImage saved(host("C:\\temp\\cat"), "BMP");
            QCOMPARE(saved.size(), QSize(8, 6));
            expected << host("C:\\temp\\cat");
        } else {
            QCOMPARE(m_boxes->prompts(),
                     QStringList{"The picture could not be saved as C:\\temp\\cat. The folder "
                                 "does not exist."});
        }
        QVERIFY(!Saveas::IsLoaded());
        // nothing else written: not in the current folder, not anywhere on
        // the drives
        QStringList files;
        for (QChar d : {'C', 'D'}) {
            QDirIterator it(m_drives->host(d), QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
        }
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
    }

    void saveWithCheckBoxRefusesFolderInName()
    {
        m_drives->mkdir("C:\\Work\\Sub");
        m_drives->mkdir("C:\\temp");
        QVERIFY(openViewer(writeImage("C:\\Pics\\s.bmp", 8, 8)));
        plat::drives::setCurrentFolder("C:\\Work\\Sub");
        Saveas& s = Saveas::get();
        s.Text1->setText("..\\..\\evil.bmp");
        s.Check1->setChecked(true);
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(),
                 QStringList{"Please type a file name only, without a folder."});
        QVERIFY(!QFile::exists(host("C:\\evil.bmp")));
        QVERIFY(Saveas::IsLoaded());
    }

    // Okay once the viewer is closed, or was never opened: nothing to
    // save, and nothing loaded (no Open dialog, the clipboard untouched, no
    // hidden viewer). A viewer that is loaded but holds no picture (loaded
    // with no pane selected) is read as it stands: nothing to write, and
    // Okay ends as after a save, without a word.
    void okayWithoutPicture_data()
    {
        QTest::addColumn<QString>("viewer"); // "closed", "never opened", "empty"
        QTest::addColumn<bool>("checkBox");
        for (const char* viewer : {"closed", "never opened", "empty"})
            for (const bool checkBox : {false, true})
                QTest::addRow("%s, %s", viewer, checkBox ? "check box" : "folder road")
                    << QString(viewer) << checkBox;
    }
    void okayWithoutPicture()
    {
        QFETCH(QString, viewer);
        QFETCH(bool, checkBox);
        m_drives->mkdir("D:\\Pictures");
        m_drives->mkdir("C:\\temp");
        if (viewer == "closed") {
            RealView* v = openViewer(writeImage("C:\\Pics\\s.bmp", 8, 8));
            QVERIFY(v);
            v->mnuSaveAs->trigger();
            v->mnuExit->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else if (viewer == "empty") {
            QVERIFY(RealView::get().Image1->Picture().isNull());
        }
        const bool loaded = viewer == "empty";
        QCOMPARE(RealView::IsLoaded(), loaded);
        const int dialogs = m_dialogs->shown.size();
        plat::clipboard::SetText("C:\\CopySource");
        Saveas& s = Saveas::get();
        s.Text1->setText("cat.bmp");
        s.Text2->setText("D:\\Pictures");
        s.Check1->setChecked(checkBox);
        s.Command1->Press();
        QCOMPARE(m_boxes->prompts(),
                 loaded ? QStringList() : QStringList{"There is no picture open to save."});
        QCOMPARE(m_dialogs->shown.size(), dialogs);
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\CopySource"));
        QCOMPARE(RealView::IsLoaded(), loaded);
        QCOMPARE(Saveas::IsLoaded(), !loaded);
        QVERIFY(!QFile::exists(host("D:\\Pictures\\cat.bmp")));
        QVERIFY(!QFile::exists(host("C:\\temp\\cat.bmp")));
    }

    // A 48-megapixel photo (above Qt's own 128 MB limit decoded) opens at
    // True Size; one the reader cannot take for its size is reported, not
    // closed without a word.
    void largePicture()
    {
        const QString path = "C:\\Pics\\photo.bmp";
        m_drives->mkdir("C:\\Pics");
        QVERIFY(testsupport::writeBitmap(host(path), 8000, 6000, qRgb(0, 0, 255)));
        RealView* v = openViewer(path);
        QVERIFY(v);
        QCOMPARE(m_boxes->prompts(), QStringList());
        QCOMPARE(v->Caption(), QString("True Size"));
        QCOMPARE(v->Image1->Picture().image.size(), QSize(8000, 6000));
        QCOMPARE(v->Image1->Height(), 90000.f);
        QVERIFY(v->VScroll1->isVisibleTo(v));
        const QRgb corner = v->Image1->Picture().image.pixel(7999, 0);
        QVERIFY(qBlue(corner) > 200 && qRed(corner) < 60);
        v->mnuExit->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Too large for the reader: the user is told; nothing else opens.
        const int limit = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(64);
        v = openViewer(path);
        QImageReader::setAllocationLimit(limit);
        QVERIFY(!v);
        QVERIFY(!RealView::IsLoaded());
        QCOMPARE(m_boxes->prompts(), QStringList{path + " is too large to show."});
    }

    void enterKeys()
    {
        QVERIFY(openViewer(writeImage("C:\\Pics\\s.bmp", 8, 8)));
        Saveas& s = Saveas::get();
        s.Text1->setText("cat");
        s.Text2->setText("C:\\");
        QTest::keyClick(s.Text1, Qt::Key_Return);
        QCOMPARE(m_boxes->prompts(), QStringList());
        QTest::keyClick(s.Text2, Qt::Key_Return);
        QCOMPARE(m_boxes->prompts(),
                 QStringList{"Please include file extension .bmp after filename."});
    }
};

QTEST_MAIN(TstPictureView)
#include "tst_pictureview.moc"
