// How long a file list takes to re-read its folder, beside a plain read of
// the same folder, and how long a click in one pane takes while the other
// four panes show large folders (each click refreshes those four).
#include "mainwindow/form1.h"
#include "platform/drives.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void makeFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile f(folder + QStringLiteral("/file%1.txt").arg(i, 6, 10, QChar('0')));
        f.open(QIODevice::WriteOnly);
    }
}

// readdir + stat of every entry: what any listing has to do at least.
int plainRead(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR* d = ::opendir(path.constData());
    int n = 0;
    while (dirent* e = ::readdir(d)) {
        struct stat st;
        if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) ++n;
    }
    ::closedir(d);
    return n;
}

template <class F> double bestOf(int runs, F f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    plat::drives::setTable({{QChar('C'), root.path(), QString()}});
    plat::drives::setCurrentFolder("C:\\");

    std::printf("%-28s %12s %12s %8s\n", "folder", "refresh ms", "plain ms", "ratio");
    Form1& f = Form1::get();
    for (int count : {1000, 10000, 100000}) {
        const QString name = QStringLiteral("f%1").arg(count);
        makeFiles(root.path() + '/' + name, count);
        f.DirBox->setPath("C:\\" + name);
        const double refresh = bestOf(5, [&] { f.FileBox->Refresh(); });
        const double plain = bestOf(5, [&] { plainRead(root.path() + '/' + name); });
        std::printf("%-28s %12.2f %12.2f %8.2f\n",
                    qPrintable(QStringLiteral("%1 files").arg(count)), refresh, plain,
                    refresh / plain);
    }

    for (int n = 2; n <= 5; ++n)
        f.Pane(n).dir->setPath("C:\\f10000");
    f.DirBox->setPath("C:\\f1000");
    const double click = bestOf(5, [&] { f.FileBox_Click(); });
    std::printf("%-28s %12.2f\n", "pane click, 4 x 10000 files", click);
    return 0;
}
