// The panes on large folders: how long the window takes to show on a folder
// of 100,000 files, how long a click in one pane takes to answer while the
// other four panes show such folders (each click refreshes those four), what
// a re-read of a changed folder costs, and how much memory five panes on five
// such folders hold, each beside a plain read of the same folder.
#include "mainwindow/form1.h"
#include "platform/drives.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_root;

QByteArray hostOf(const QString& name)
{
    return QFile::encodeName(g_root + '/' + name);
}

// Files named file000000.txt ...; hard links to a few empty files, so that
// making half a million entries takes seconds, not minutes.
void makeFiles(const QString& name, int count)
{
    const QByteArray folder = hostOf(name);
    ::mkdir(folder.constData(), 0700);
    QByteArray source;
    for (int i = 0; i < count; ++i) {
        const QByteArray path =
            folder + QStringLiteral("/file%1.txt").arg(i, 6, 10, QChar('0')).toLatin1();
        if (i % 50000 == 0) {
            source = path;
            ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0600));
        } else {
            ::link(source.constData(), path.constData());
        }
    }
}

// What any listing has to do at least: readdir alone, and readdir + stat of
// every entry.
int plainReaddir(const QString& name)
{
    DIR* d = ::opendir(hostOf(name).constData());
    int n = 0;
    while (dirent* e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

int plainReaddirStat(const QString& name)
{
    DIR* d = ::opendir(hostOf(name).constData());
    int n = 0;
    while (dirent* e = ::readdir(d)) {
        struct stat st;
        if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) ++n;
    }
    ::closedir(d);
    return n;
}

// Another program adds a file to the folder (and the next change removes it).
void changeBehindOurBack(const QString& name)
{
    const QByteArray path = hostOf(name) + "/zz-other-program.txt";
    if (::access(path.constData(), F_OK) != 0)
        ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0600));
    else
        ::unlink(path.constData());
}

// Lets the window run until nothing is left to do: posted events, the
// repaint of every changed list, then a pass of the event loop.
void untilIdle()
{
    bool idle = false;
    QTimer::singleShot(0, [&] { idle = true; });
    while (!idle)
        QApplication::processEvents(QEventLoop::AllEvents);
    QApplication::processEvents(QEventLoop::AllEvents);
}

// A left click on the first row of a file list, through the list's own
// mouse handlers, as the user clicks.
void clickFirstRow(ctl::FileListBox* list)
{
    QWidget* vp = list->viewport();
    const QPointF at = list->visualRect(list->model()->index(0, 0)).center();
    const QPointF global = vp->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
}

template <class F> double bestOf(int runs, F f, std::function<void()> before = {})
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        if (before) before();
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field) + 1));
    return -1;
}

struct PaintSeen : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) seen = true;
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = root.path();
    const QStringList big = {"big1", "big2", "big3", "big4", "big5"};
    for (const QString& name : big)
        makeFiles(name, 100000);
    makeFiles("f1000", 1000);
    makeFiles("f10000", 10000);
    makeFiles("small", 20);
    plat::drives::setTable({{QChar('C'), root.path(), QString()}});
    plat::drives::setCurrentFolder("C:\\big1");

    // Start-up: load, show and first paint of the window, all five panes on
    // the start folder.
    QElapsedTimer t;
    t.start();
    Form1& f = Form1::get();
    PaintSeen painted;
    f.FileBox5->viewport()->installEventFilter(&painted);
    f.Show();
    const double shown = t.nsecsElapsed() / 1e6;
    while (!painted.seen)
        QApplication::processEvents(QEventLoop::AllEvents);
    const double firstPaint = t.nsecsElapsed() / 1e6;
    const double readdirBig = bestOf(5, [] { plainReaddir("big1"); });
    const double readdirStatBig = bestOf(5, [] { plainReaddirStat("big1"); });
    std::printf("start-up on 100,000 files: shown %.1f ms, first paint %.1f ms "
                "(readdir %.1f ms, readdir + stat %.1f ms)\n",
                shown, firstPaint, readdirBig, readdirStatBig);
    std::printf("  pane 5 lists %d files\n", f.FileBox5->ListCount());

    // Five panes on five different folders of 100,000 files.
    for (int n = 1; n <= 5; ++n)
        f.Pane(n).dir->setPath("C:\\" + big[n - 1]);
    untilIdle();
    std::printf("memory, five panes on five 100,000-file folders: %ld MB resident "
                "(peak so far %ld MB)\n",
                statusKb("VmRSS:") / 1024, statusKb("VmHWM:") / 1024);

    // A click in pane 1 while panes 2-5 show 100,000-file folders.
    f.Pane(1).dir->setPath("C:\\small");
    untilIdle();
    auto click = [&] {
        clickFirstRow(f.FileBox);
        untilIdle();
    };
    const double unchanged = bestOf(5, click);
    const double changed = bestOf(5, click, [&] {
        for (int n = 2; n <= 5; ++n)
            changeBehindOurBack(big[n - 1]);
    });
    const double readdir4 = bestOf(5, [&] {
        for (int n = 2; n <= 5; ++n)
            plainReaddir(big[n - 1]);
    });
    std::printf("click in pane 1, panes 2-5 on 100,000 files: %.1f ms; "
                "each of the four folders changed just before: %.1f ms "
                "(readdir of the four: %.1f ms)\n",
                unchanged, changed, readdir4);
    std::printf("  pane 2 lists %d files, pane 1 current entry %d\n", f.FileBox2->ListCount(),
                f.FileBox->ListIndex());
    for (int n = 2; n <= 5; ++n)
        f.Pane(n).dir->setPath("C:\\big2");
    untilIdle();
    const double sameChanged = bestOf(5, click, [&] { changeBehindOurBack("big2"); });
    std::printf("the same, panes 2-5 on one 100,000-file folder changed just before: %.1f ms "
                "(readdir of it: %.1f ms)\n",
                sameChanged, bestOf(5, [] { plainReaddir("big2"); }));

    // Re-reading one changed folder, beside a plain read of it.
    std::printf("\n%-16s %14s %12s %16s\n", "folder", "re-read ms", "readdir ms",
                "readdir+stat ms");
    const QStringList sizes = {"f1000", "f10000", "big2"};
    const QStringList labels = {"1,000 files", "10,000 files", "100,000 files"};
    f.Pane(2).dir->setPath("C:\\small");
    for (int i = 0; i < sizes.size(); ++i) {
        f.Pane(1).dir->setPath("C:\\" + sizes[i]);
        const double reread = bestOf(
            5, [&] { f.FileBox->Refresh(); }, [&] { changeBehindOurBack(sizes[i]); });
        const double rd = bestOf(5, [&] { plainReaddir(sizes[i]); });
        const double rds = bestOf(5, [&] { plainReaddirStat(sizes[i]); });
        std::printf("%-16s %14.2f %12.2f %16.2f\n", qPrintable(labels[i]), reread, rd, rds);
    }
    std::printf("\npeak resident memory of the run: %ld MB\n", statusKb("VmHWM:") / 1024);
    return 0;
}
