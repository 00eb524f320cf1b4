// How long the search window takes to walk a big tree with its window
// shown, beside find(1) on the same tree in the same run, and whether the
// event loop kept running during the walk (a 50 ms timer, as a repaint or a
// click would need).
//   bench_search [runs [files...]]
// For each number of files (50,000 unless given) a tree of that many empty
// files, two in five of them *.txt, in some 45 files a folder: a root, 10
// and 100 folders below it and, below each of those, one folder for every
// 5,000 files (50,000 files: 1,111 folders; 500,000: 10,111). Each tree is
// made in the temporary folder ($TMPDIR) and removed after its rows.
#include "filesearch/dig.h"
#include "platform/drives.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

class Boxes : public plat::MessageBoxSeam {
  public:
    QString last;
    int msgBox(const QString& prompt, int, const QString&) override
    {
        last = prompt;
        return plat::vbOK;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
};

// Returns the number of folders made.
int makeTree(const QString& root, int total)
{
    const int leaves = std::max(1, total / 5000);
    QStringList folders{root};
    for (int a = 0; a < 10; ++a) {
        folders << root + QStringLiteral("/d%1").arg(a);
        for (int b = 0; b < 10; ++b) {
            folders << root + QStringLiteral("/d%1/e%2").arg(a).arg(b);
            for (int c = 0; c < leaves; ++c)
                folders << root + QStringLiteral("/d%1/e%2/f%3").arg(a).arg(b).arg(c);
        }
    }
    for (const QString& f : folders)
        QDir().mkpath(f);
    for (int i = 0; i < total; ++i) {
        const QString& folder = folders.at(i % folders.size());
        // two in five are text files
        const char* ending = i % 5 < 2 ? "txt" : "dat";
        const QByteArray path =
            QFile::encodeName(folder + QStringLiteral("/file%1.%2").arg(i).arg(ending));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) ::close(fd);
    }
    return int(folders.size());
}

struct Walk {
    double seconds = 1e9;
    int listed = 0;
    int ticks = 0;         // 50 ms ticks seen during the walk
    int ticksWithRows = 0; // ... of which found the list showing rows
    QString message;
};

Walk walk(Dig& d, Boxes& boxes, const QString& pattern)
{
    Walk w;
    d.Command1->Press(); // Clear Results
    d.txtvalue->setText("C:\\");
    d.textval->setText(pattern);
    d.Check1->setChecked(true);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++w.ticks;
        // what the list shows, not what a read of it would gather
        if (d.List1->model()->rowCount() > 0) ++w.ticksWithRows;
    });
    tick.start(50);
    QElapsedTimer t;
    t.start();
    d.Command2->Press();
    w.seconds = t.nsecsElapsed() / 1e9;
    tick.stop();
    w.listed = d.List1->ListCount();
    w.message = boxes.last;
    return w;
}

double findSeconds(const QString& root, const QString& pattern, int* lines)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start("find", {root, "-iname", pattern});
    p.waitForFinished(-1);
    const double s = t.nsecsElapsed() / 1e9;
    *lines = int(p.readAllStandardOutput().count('\n'));
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    qputenv("QUORBIX_REGISTRY", QFile::encodeName(root.filePath("registry.sqlite3")));
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.append(std::max(1, atoi(argv[i])));
    if (sizes.isEmpty()) sizes.append(50000);

    Boxes boxes;
    plat::setMessageBoxSeam(&boxes);
    Dig& d = Dig::get();
    d.setEnabled(true);
    d.Show();
    QCoreApplication::processEvents();

    std::printf("best of %d runs, window shown\n\n", runs);
    std::printf("| %9s | %7s | %-8s | %9s | %9s | %9s | %6s | %-13s | %s\n", "files", "folders",
                "pattern", "listed", "Quorbix", "find", "ratio", "ticks w/ rows", "message");
    for (const int size : sizes) {
        const QString tree = root.filePath(QStringLiteral("tree%1").arg(size));
        const int folders = makeTree(tree, size);
        plat::drives::setTable({{QChar('C'), tree, QString()}});
        for (const char* pattern : {"*.*", "*.txt"}) {
            Walk best;
            double find = 1e9;
            int found = 0;
            for (int r = 0; r < runs; ++r) {
                const Walk w = walk(d, boxes, pattern);
                if (w.seconds < best.seconds) best = w;
                find = std::min(find, findSeconds(tree, pattern, &found));
            }
            std::printf("| %9d | %7d | %-8s | %9d | %7.3f s | %7.3f s | %6.1f | %5d / %5d | %s\n",
                        size, folders, pattern, best.listed, best.seconds, find,
                        best.seconds / find, best.ticksWithRows, best.ticks,
                        qPrintable(best.message));
            if (best.listed != found)
                std::printf("  find lists %d, the search window %d\n", found, best.listed);
            std::fflush(stdout);
        }
        d.Command1->Press(); // Clear Results before the tree goes
        QDir(tree).removeRecursively();
    }
    plat::setMessageBoxSeam(nullptr);
    return 0;
}
