// Throughput of the copy that paste and the copy-to dialogs use, beside
// cp(1) and beside cp(1) followed by sync(1) on what it wrote, on the same
// files in the same run, and of delete to the trash beside gio trash (into
// an empty trash, and with the names already in the trash) and a plain
// rename loop.
//   bench_paste [big-file-MB] [small-files] [trash-files] [sparse-image-GB]
#include "platform/drives.h"
#include "platform/filesys.h"
#include "platform/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace {

double seconds(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e9;
}

void writeFile(const QString& path, qint64 size)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, 'q');
    for (int i = 0; i < block.size(); i += 4096)
        block[i] = char(i / 4096);
    while (size > 0) {
        const qint64 n = qMin<qint64>(size, block.size());
        f.write(block.constData(), n);
        size -= n;
    }
}

void run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
}

void row(const char* what, double ours, double theirs, const char* them, double mb)
{
    std::printf("| %-26s | %9.3f s | %8.1f MB/s | %-11s | %9.3f s | %8.1f MB/s | %5.2f |\n", what,
                ours, mb / ours, them, theirs, mb / theirs, theirs / ours);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 bigMb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 512;
    const int smallCount = argc > 2 ? QByteArray(argv[2]).toInt() : 2000;
    const int trashCount = argc > 3 ? QByteArray(argv[3]).toInt() : 1000;
    const qint64 sparseGb = argc > 4 ? QByteArray(argv[4]).toLongLong() : 10;
    const qint64 smallSize = 16 * 1024;

    QTemporaryDir root;
    const QString base = root.path();
    qputenv("HOME", (base + "/home").toUtf8());
    qputenv("XDG_DATA_HOME", (base + "/home/.local/share").toUtf8());
    QDir().mkpath(base + "/home/.local/share");
    for (const char* d : {"src", "ours", "cp", "small", "ours-small", "cp-small", "trash1",
                          "trash2", "trash3", "renamed"})
        QDir().mkpath(base + "/" + d);
    plat::drives::setTable({{QChar('C'), base, QString()}});

    std::printf("preparing %lld MB file and %d files of %lld KB...\n", bigMb, smallCount,
                smallSize / 1024);
    writeFile(base + "/src/big.bin", bigMb << 20);
    for (int i = 0; i < smallCount; ++i)
        writeFile(base + QStringLiteral("/small/f%1.txt").arg(i), smallSize);
    run("sync", {});

    std::printf("\n| %-26s | %11s | %13s | %-11s | %11s | %13s | %5s |\n", "operation", "ours",
                "ours rate", "beside", "theirs", "their rate", "ratio");
    std::printf("|%s|\n", QByteArray(108, '-').constData());

    // cp first once, so that both read from a warm cache. Then three rounds
    // taking turns, each copy starting with nothing left to write back, so
    // neither side pays for the other's dirty pages; best of each.
    run("cp", {base + "/src/big.bin", base + "/cp/warm.bin"});
    QFile::remove(base + "/cp/warm.bin");
    double oursBig = 1e9, cpBig = 1e9, cpSyncBig = 1e9;
    const auto timeOursBig = [&] {
        QFile::remove(base + "/ours/big.bin");
        run("sync", {});
        oursBig = std::min(
            oursBig, seconds([&] { plat::fs::copyFile("C:\\src\\big.bin", "C:\\ours\\big.bin"); }));
    };
    const auto timeCpBig = [&] {
        QFile::remove(base + "/cp/big.bin");
        run("sync", {});
        cpBig = std::min(cpBig, seconds([&] {
                             run("cp", {base + "/src/big.bin", base + "/cp/big.bin"});
                         }));
    };
    for (int round = 0; round < 3; ++round) {
        if (round % 2 == 0) {
            timeOursBig();
            timeCpBig();
        } else {
            timeCpBig();
            timeOursBig();
        }
    }
    row("copy one big file", oursBig, cpBig, "cp", double(bigMb));
    // cp followed by sync(1) on what it wrote: the copy as safe on the disk
    // as a replacement of ours is.
    for (int round = 0; round < 2; ++round) {
        QFile::remove(base + "/cp/big-synced.bin");
        run("sync", {});
        cpSyncBig = std::min(cpSyncBig, seconds([&] {
                                 run("cp", {base + "/src/big.bin", base + "/cp/big-synced.bin"});
                                 run("sync", {base + "/cp/big-synced.bin"});
                             }));
    }
    row("copy one big file", oursBig, cpSyncBig, "cp + sync", double(bigMb));

    const double smallMb = double(smallCount) * smallSize / (1 << 20);
    // warm the cache for the small files too, so neither side pays for it
    {
        QStringList warm;
        for (int i = 0; i < smallCount; ++i)
            warm << base + QStringLiteral("/small/f%1.txt").arg(i);
        QDir().mkpath(base + "/warm-small");
        run("cp", warm << base + "/warm-small/");
        QDir(base + "/warm-small").removeRecursively();
    }
    // Whoever creates files first after a large delete pays for the file
    // system's inode allocation, so the two take turns, each into a fresh
    // folder. Five rounds: the ratio of each round is ours beside cp in that
    // round, and the median of those is what a busy machine still shows.
    double cpSmall = 1e9, oursSmall = 1e9, cpSyncSmall = 1e9;
    QList<double> smallRatios;
    QStringList smallSources;
    for (int i = 0; i < smallCount; ++i)
        smallSources << base + QStringLiteral("/small/f%1.txt").arg(i);
    for (int round = 0; round < 5; ++round) {
        double cpRound = 0, oursRound = 0;
        // Each into a fresh folder of its own.
        auto timeCp = [&](int turn) {
            const QString cpDir = base + QStringLiteral("/cp-small-%1-%2/").arg(round).arg(turn);
            QDir().mkpath(cpDir);
            run("sync", {});
            const double t = seconds([&] { run("cp", QStringList(smallSources) << cpDir); });
            cpRound += t;
            cpSmall = std::min(cpSmall, t);
        };
        auto timeOurs = [&](int turn) {
            const QString oursDir = QStringLiteral("ours-small-%1-%2").arg(round).arg(turn);
            QDir().mkpath(base + "/" + oursDir);
            run("sync", {});
            // As a paste copies: into the folder it holds for the whole run.
            const double t = seconds([&] {
                const plat::fs::TargetFolder into("C:\\" + oursDir);
                for (int i = 0; i < smallCount; ++i)
                    plat::fs::copyFile(QStringLiteral("C:\\small\\f%1.txt").arg(i), into,
                                       QStringLiteral("f%1.txt").arg(i));
            });
            oursRound += t;
            oursSmall = std::min(oursSmall, t);
        };
        const QString cpSyncDir = base + QStringLiteral("/cp-sync-small-%1/").arg(round);
        QDir().mkpath(cpSyncDir);
        QStringList copied;
        for (int i = 0; i < smallCount; ++i)
            copied << cpSyncDir + QStringLiteral("f%1.txt").arg(i);
        auto timeCpSync = [&] {
            run("sync", {});
            cpSyncSmall = std::min(cpSyncSmall, seconds([&] {
                                       run("cp", QStringList(smallSources) << cpSyncDir);
                                       run("sync", copied);
                                   }));
        };
        // The first copy after a sync pays for what came before it, so a
        // round takes turns both ways (cp, ours, ours, cp) and its ratio is
        // of the sums; cp + sync comes last, untouched by the others.
        timeCp(0);
        timeOurs(0);
        timeOurs(1);
        timeCp(1);
        timeCpSync();
        smallRatios.append(cpRound / oursRound);
    }
    row("copy small files", oursSmall, cpSmall, "cp (1 call)", smallMb);
    row("copy small files", oursSmall, cpSyncSmall, "cp + sync", smallMb);
    {
        QList<double> sorted = smallRatios;
        std::sort(sorted.begin(), sorted.end());
        std::printf("| %-26s | ratio to cp by round:", "copy small files");
        for (double r : smallRatios)
            std::printf(" %.2f", r);
        std::printf("; median %.2f |\n", sorted[sorted.size() / 2]);
    }

    // A sparse disk image: a little data at the start, in the middle and
    // at the end of sparseGb gigabytes of holes. Time and disk use beside cp.
    {
        const QString img = base + "/src/disk.img";
        const qint64 size = sparseGb << 30;
        {
            QFile f(img);
            f.open(QIODevice::WriteOnly);
            const QByteArray block(4 << 20, 'd');
            for (qint64 at : {qint64(0), size / 2, size - block.size()}) {
                f.seek(at);
                f.write(block);
            }
        }
        run("sync", {});
        const auto blocksOf = [](const QString& path) {
            struct stat st;
            return ::stat(QFile::encodeName(path).constData(), &st) == 0
                       ? qint64(st.st_blocks) * 512
                       : qint64(-1);
        };
        double oursSparse = 1e9, cpSparse = 1e9;
        qint64 oursDisk = 0, cpDisk = 0;
        for (int round = 0; round < 3; ++round) {
            QFile::remove(base + "/ours/disk.img");
            QFile::remove(base + "/cp/disk.img");
            run("sync", {});
            oursSparse = std::min(oursSparse, seconds([&] {
                                      plat::fs::copyFile("C:\\src\\disk.img", "C:\\ours\\disk.img");
                                  }));
            cpSparse = std::min(cpSparse, seconds([&] {
                                    run("cp", {img, base + "/cp/disk.img"});
                                }));
            oursDisk = blocksOf(base + "/ours/disk.img");
            cpDisk = blocksOf(base + "/cp/disk.img");
        }
        row("copy a sparse image", oursSparse, cpSparse, "cp", double(size >> 20));
        std::printf("| %-26s | %9.1f MB on disk | cp %9.1f MB on disk | %5.2f |\n",
                    "copy a sparse image", oursDisk / 1048576.0, cpDisk / 1048576.0,
                    cpDisk > 0 ? double(oursDisk) / double(cpDisk) : 0.0);
        QFile::remove(img);
        QFile::remove(base + "/ours/disk.img");
        QFile::remove(base + "/cp/disk.img");
    }

    // delete to the trash: a first round into an empty trash, then rounds
    // that meet names the trash already holds. Ours and gio trash each have
    // names of their own, so each meets as many like names as the other.
    // Whoever goes first pays for the growth of the trash's folders, so the
    // two take turns, and the best of the later rounds is shown.
    double bestOurs = 0, bestGio = 0;
    const auto trashRound = [&](const char* title, bool gioFirst) {
        QStringList gioArgs{"trash"};
        for (int i = 0; i < trashCount; ++i) {
            writeFile(base + QStringLiteral("/trash1/t%1.txt").arg(i), 100);
            writeFile(base + QStringLiteral("/trash2/g%1.txt").arg(i), 100);
            gioArgs << base + QStringLiteral("/trash2/g%1.txt").arg(i);
        }
        run("sync", {}); // the new files written back before either runs
        double ours = 0, gio = 0;
        const auto timeOurs = [&] {
            ours = seconds([&] {
                for (int i = 0; i < trashCount; ++i)
                    plat::trash::moveToTrash(QStringLiteral("C:\\trash1\\t%1.txt").arg(i));
            });
        };
        const auto timeGio = [&] { gio = seconds([&] { run("gio", gioArgs); }); };
        if (gioFirst) {
            timeGio();
            timeOurs();
        } else {
            timeOurs();
            timeGio();
        }
        if (title) {
            std::printf("| %-26s | %9.3f s | %8.0f files/s | gio trash   | %9.3f s | %8.0f "
                        "files/s | %5.2f |\n",
                        title, ours, trashCount / ours, gio, trashCount / gio, gio / ours);
        } else {
            bestOurs = bestOurs == 0 ? ours : std::min(bestOurs, ours);
            bestGio = bestGio == 0 ? gio : std::min(bestGio, gio);
        }
    };
    trashRound("delete to the trash", true);
    for (int round = 0; round < 3; ++round)
        trashRound(nullptr, round % 2 == 1);
    std::printf("| %-26s | %9.3f s | %8.0f files/s | gio trash   | %9.3f s | %8.0f files/s | "
                "%5.2f |\n",
                "delete, names in the trash", bestOurs, trashCount / bestOurs, bestGio,
                trashCount / bestGio, bestGio / bestOurs);
    for (int i = 0; i < trashCount; ++i)
        writeFile(base + QStringLiteral("/trash3/t%1.txt").arg(i), 100);
    const double renameLoop = seconds([&] {
        for (int i = 0; i < trashCount; ++i)
            plat::fs::rename(QStringLiteral("C:\\trash3\\t%1.txt").arg(i),
                             QStringLiteral("C:\\renamed\\t%1.txt").arg(i));
    });
    std::printf("| %-26s | %9.3f s | %8.0f files/s |\n", "plain rename loop", renameLoop,
                trashCount / renameLoop);
    const int leftInTrash1 = int(QDir(base + "/trash1").entryList(QDir::Files).size());
    std::printf("\nfiles left behind by our trash: %d (must be 0)\n", leftInTrash1);
    return 0;
}
