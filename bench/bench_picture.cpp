// How the picture viewer copes with big pictures: a 48-megapixel JPEG and a
// 4,000 x 4,000 bitmap opened through View Graphic and painted for the first
// time, at True Size and at Magnification X10, beside QImageReader::read of
// the same file. Each measurement runs in a process of its own so that its
// peak memory is its own. Prints a table; run by hand, not by ctest.
//
//   bench_picture            prepares the files and runs every case
//   bench_picture --one CASE FILE   one measurement (used by the above)
#include "mainwindow/form1.h"
#include "pictureview/realview.h"
#include "platform/drives.h"
#include "platform/picture.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

// The process's peak resident memory (VmHWM: unlike getrusage's maximum,
// it starts afresh at exec and so does not inherit the parent's peak).
double peakRssMb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

// Counts the paints of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A photo-like picture: smooth gradients with grain, so the JPEG is of a
// photo's size rather than a flat colour's.
void writeJpeg(const QString& path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng() % 24);
            line[x] =
                qRgb((x * 255 / w + n) & 0xFF, (y * 255 / h + n) & 0xFF, ((x + y) / 40) & 0xFF);
        }
    }
    img.save(path, "JPG", 85);
}

// One measurement; prints "load_ms paint_ms peak_mb decoded_mb".
int runOne(const QString& which, const QString& hostFile)
{
    if (which == "reader") {
        QElapsedTimer t;
        t.start();
        QImageReader reader(hostFile);
        reader.setAllocationLimit(0); // no limit: the plain decode
        const QImage img = reader.read();
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf("%.1f 0 %.1f %.1f\n", ms, peakRssMb(), img.sizeInBytes() / 1048576.0);
        return img.isNull() ? 1 : 0;
    }
    const QFileInfo fi(hostFile);
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("QUORBIX_REGISTRY", (home.path() + "/registry.sqlite3").toUtf8());
    plat::drives::setTable({{QChar('C'), fi.absolutePath(), QString()}});
    plat::drives::setCurrentFolder("C:\\");
    testsupport::RecordingMessageBoxes boxes;
    testsupport::ScriptedDialogs dialogs;
    dialogs.openFiles << "C:\\" + fi.fileName(); // the Open dialog takes the file offered

    Form1& f = Form1::get();
    DriveView& p = f.Pane(1);
    p.dir->setPath("C:\\");
    p.file->setPath("C:\\");
    p.file->setPattern("*.*");
    for (int i = 0; i < p.file->ListCount(); ++i)
        if (p.file->List(i) == fi.fileName()) {
            p.file->setSelected(i, true);
            p.file->setCurrentRow(i, QItemSelectionModel::NoUpdate);
        }

    QElapsedTimer t;
    t.start();
    f.mnuBmp_Click(); // loads the picture and shows the viewer
    RealView* v = RealView::instanceIfLoaded();
    if (!v || !boxes.boxes.isEmpty()) return 1;
    const double load = t.nsecsElapsed() / 1e6;
    if (which == "x10") {
        // The state five presses of Enlarge leave (Enlarge itself stops a
        // picture this tall at True Size).
        v->Image1->setStretch(true);
        v->setCaption("Magnification X10");
        v->Image1->Move(0, 0, v->Image1->Width() * 32, v->Image1->Height() * 32);
    }
    // The first paint is the one the window system asks for once the
    // window is shown; the picture has painted once the image control has.
    PaintCounter counter;
    v->Image1->installEventFilter(&counter);
    t.restart();
    v->update();
    QElapsedTimer limit;
    limit.start();
    while (counter.paints == 0 && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double paint = t.nsecsElapsed() / 1e6;
    if (counter.paints == 0) return 1;
    std::printf("%.1f %.1f %.1f %.1f\n", load, paint, peakRssMb(),
                v->Image1->Picture().image.sizeInBytes() / 1048576.0);
    return 0;
}

struct Result {
    double load = 1e18, paint = 1e18, peak = 1e18, decoded = 0;
};

// Best of several runs (the machine is shared); memory is the lowest peak.
Result measure(const QString& self, const QString& which, const QString& file, int runs)
{
    Result best;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(self, {"--one", which, file});
        child.waitForFinished(120000);
        const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
        if (child.exitCode() != 0 || f.size() != 4) {
            std::fprintf(stderr, "%s on %s failed\n", qPrintable(which), qPrintable(file));
            continue;
        }
        best.load = std::min(best.load, f[0].toDouble());
        best.paint = std::min(best.paint, f[1].toDouble());
        best.peak = std::min(best.peak, f[2].toDouble());
        best.decoded = f[3].toDouble();
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--one") return runOne(args[2], args[3]);
    const int runs = args.size() > 1 ? args[1].toInt() : 3;

    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo.jpg");
    const QString bmp = dir.filePath("square.bmp");
    std::fprintf(stderr, "preparing an 8000 x 6000 JPEG and a 4000 x 4000 bitmap...\n");
    writeJpeg(jpeg, 8000, 6000);
    testsupport::writeBitmap(bmp, 4000, 4000, qRgb(200, 120, 40));

    std::printf("| picture | step | load + show ms | first paint ms | `QImageReader::read` ms | "
                "ratio | peak RSS MB | decoded MB | peak / decoded |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    struct Case {
        const char* name;
        QString file;
    };
    for (const Case& c : {Case{"48 MP JPEG (8000 x 6000)", jpeg}, Case{"4000 x 4000 BMP", bmp}}) {
        const Result reader = measure(app.applicationFilePath(), "reader", c.file, runs);
        for (const char* step : {"true", "x10"}) {
            const Result r = measure(app.applicationFilePath(), step, c.file, runs);
            std::printf("| %s | %s | %.0f | %.1f | %.0f | %.2f | %.0f | %.0f | %.2f |\n", c.name,
                        QByteArray(step) == "true" ? "True Size" : "X10", r.load, r.paint,
                        reader.load, r.load / reader.load, r.peak, r.decoded, r.peak / r.decoded);
        }
        std::printf("| %s | `QImageReader::read` alone | | | %.0f | | %.0f | %.0f | %.2f |\n",
                    c.name, reader.load, reader.peak, reader.decoded, reader.peak / reader.decoded);
    }
    std::printf("\nThe viewer's picture limit here: %d MB decoded (physical memory %.0f MB).\n",
                plat::pictureAllocationLimitMB(), plat::physicalMemoryBytes() / 1048576.0);
    return 0;
}
