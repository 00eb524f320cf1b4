// File changes: copy, rename, folders, whole-file reads and writes, trash.
#include "testsupport.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/trash.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "testsupport.h"

#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const FileError& e) {
        return e.number();
    }
    return 0;
}

void put(const QString& host, const QByteArray& data)
{
    QFile f(host);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(host));
    f.write(data);
}

QByteArray get(const QString& host)
{
    QFile f(host);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

QStringList leftovers(const QString& hostFolder)
{
    return QDir(hostFolder).entryList({".quorbix-copy-*"}, QDir::Files | QDir::Hidden);
}

mode_t currentUmask()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

// The step of a copy at which the test's child process dies.
const char* g_killAt = "";

void killAtStep(const char* step)
{
    if (std::strcmp(step, g_killAt) == 0) ::raise(SIGKILL);
}

// A name that another program creates while a copy is being written.
QByteArray g_appearing;

void createAtComplete(const char* step)
{
    if (std::strcmp(step, "complete") != 0) return;
    QFile f(QString::fromUtf8(g_appearing));
    if (f.open(QIODevice::WriteOnly)) f.write("theirs");
}

struct RecordingTrash : trash::TrashSeam {
    QStringList sent;
    QString failOn;
    bool moveToTrash(const QString& hostPath, QString* err) override
    {
        if (hostPath == failOn) {
            *err = QStringLiteral("refused");
            return false;
        }
        sent.append(hostPath);
        return true;
    }
};

} // namespace

class TstFileOps : public QObject {
    Q_OBJECT

    QTemporaryDir* m_c = nullptr;
    QTemporaryDir* m_d = nullptr;
    QTemporaryDir m_home;
    QString m_startFolder;

    QString c(const QString& rel) const { return m_c->path() + '/' + rel; }
    QString d(const QString& rel) const { return m_d->path() + '/' + rel; }

  private slots:
    void initTestCase()
    {
        // The trash tests move files; keep them away from the user's home.
        // The desktop's trash reads these once per process.
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_DATA_HOME", (m_home.path() + "/.local/share").toUtf8());
        m_startFolder = QDir::currentPath();
    }

    void init()
    {
        m_c = new QTemporaryDir;
        m_d = new QTemporaryDir;
        drives::setTable({{'C', m_c->path(), {}}, {'D', m_d->path(), {}}});
        put(c("src.txt"), "source bytes\n");
        QDir().mkpath(d("sub"));
    }

    void cleanup()
    {
        trash::setTrashSeam(nullptr);
        fs::failNextCopyWith(0);
        fs::setCopyStepHook(nullptr);
        fs::setUnnamedTemporaries(true);
        QDir::setCurrent(m_startFolder);
        // Read-only leftovers must not stop the temporary folders' removal.
        for (QTemporaryDir* t : {m_c, m_d}) {
            QDirIterator it(t->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                ::chmod(QFile::encodeName(it.next()).constData(), 0700);
            ::chmod(QFile::encodeName(t->path()).constData(), 0700);
        }
        delete m_c;
        delete m_d;
        m_c = m_d = nullptr;
    }

    void copyErrors_data()
    {
        QTest::addColumn<QString>("prep");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("number");

        QTest::newRow("source missing") << ""
                                        << "C:\\nope.txt"
                                        << "D:\\x.txt" << 53;
        QTest::newRow("source's folder missing") << ""
                                                 << "C:\\gone\\a.txt"
                                                 << "D:\\x.txt" << 76;
        QTest::newRow("source is a folder") << ""
                                            << "D:\\sub"
                                            << "C:\\x" << 75;
        QTest::newRow("target's folder missing") << ""
                                                 << "C:\\src.txt"
                                                 << "D:\\gone\\x.txt" << 76;
        QTest::newRow("same file, same name") << ""
                                              << "C:\\src.txt"
                                              << "C:\\src.txt" << 70;
        QTest::newRow("same file, other spelling") << ""
                                                   << "C:\\src.txt"
                                                   << "c:/sub/../src.txt" << 70;
        QTest::newRow("same file through a hard link") << "hardlink"
                                                       << "C:\\src.txt"
                                                       << "D:\\hard.txt" << 70;
        QTest::newRow("same file through a symbolic link") << "symlink"
                                                           << "C:\\src.txt"
                                                           << "D:\\link.txt" << 70;
        QTest::newRow("read-only target") << "readonly"
                                          << "C:\\src.txt"
                                          << "D:\\ro.txt" << 75;
        QTest::newRow("target is a folder") << ""
                                            << "C:\\src.txt"
                                            << "D:\\sub" << 75;
        QTest::newRow("target is a link to nothing") << "dangling"
                                                     << "C:\\src.txt"
                                                     << "D:\\dangling.txt" << 75;
        QTest::newRow("target folder not writable") << "rofolder"
                                                    << "C:\\src.txt"
                                                    << "D:\\sub\\x.txt" << 70;
        QTest::newRow("letter with no drive") << ""
                                              << "C:\\src.txt"
                                              << "Q:\\x.txt" << 68;
    }

    void copyErrors()
    {
        QFETCH(QString, prep);
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, number);

        if (prep == "hardlink")
            QCOMPARE(::link(QFile::encodeName(c("src.txt")), QFile::encodeName(d("hard.txt"))), 0);
        if (prep == "symlink") QVERIFY(QFile::link(c("src.txt"), d("link.txt")));
        if (prep == "readonly") {
            put(d("ro.txt"), "old content");
            QVERIFY(QFile::setPermissions(d("ro.txt"), QFile::ReadOwner | QFile::ReadGroup));
        }
        std::optional<testsupport::PermissionsBind> bind;
        if (prep == "rofolder") {
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
            QVERIFY(QFile::setPermissions(d("sub"), QFile::ReadOwner | QFile::ExeOwner));
        }
        if (prep == "dangling") QVERIFY(QFile::link(d("nowhere.txt"), d("dangling.txt")));

        QString targetHost;
        try {
            targetHost = drives::toHost(target);
        } catch (const FileError&) {
        }
        const QByteArray sourceBefore = get(c("src.txt"));
        const QByteArray targetBefore = targetHost.isEmpty() ? QByteArray() : get(targetHost);

        QCOMPARE(errorOf([&] { fs::copyFile(source, target); }), number);

        QCOMPARE(get(c("src.txt")), sourceBefore);
        if (prep == "dangling") {
            QCOMPARE(QFileInfo(d("dangling.txt")).symLinkTarget(), d("nowhere.txt"));
            QVERIFY(!QFileInfo::exists(d("nowhere.txt")));
        }
        if (!targetHost.isEmpty()) QCOMPARE(get(targetHost), targetBefore);
        QVERIFY(QFileInfo(d("hard.txt")).exists() == (prep == "hardlink"));
        QCOMPARE(leftovers(m_c->path()), QStringList());
        QCOMPARE(leftovers(m_d->path()), QStringList());
        QCOMPARE(leftovers(d("sub")), QStringList());
    }

    void copyWritesExactBytes_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("targetMode"); // of an old target

        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        QByteArray big(300000, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char& ch : big)
            ch = char(gen.bounded(256));

        QTest::newRow("empty file") << QByteArray() << false << 0644 << "D:\\out.bin" << 0;
        QTest::newRow("every byte value") << all << false << 0644 << "D:\\out.bin" << 0;
        QTest::newRow("larger than one buffer") << big << false << 0600 << "D:\\out.bin" << 0;
        QTest::newRow("replaces a longer target")
            << QByteArray("short") << true << 0644 << "D:\\out.bin" << 0644;
        QTest::newRow("a new copy has the source's permissions")
            << QByteArray("#!/bin/sh\n") << false << 0750 << "D:\\out.bin" << 0;
        QTest::newRow("a replaced file keeps its own permissions")
            << QByteArray("#!/bin/sh\n") << true << 0750 << "D:\\out.bin" << 0660;
        QTest::newRow("into a folder") << all << false << 0644 << "D:\\sub\\out.bin" << 0;
        QTest::newRow("the umask applies, as for cp")
            << QByteArray("shared") << false << 0666 << "D:\\out.bin" << 0;
    }

    void copyWritesExactBytes()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, targetExists);
        QFETCH(int, mode);
        QFETCH(QString, target);
        QFETCH(int, targetMode);

        put(c("in.bin"), data);
        QCOMPARE(::chmod(QFile::encodeName(c("in.bin")), mode), 0);
        const QString targetHost = drives::toHost(target);
        if (targetExists) {
            put(targetHost, QByteArray(100000, 'o'));
            QCOMPARE(::chmod(QFile::encodeName(targetHost), targetMode), 0);
        }

        fs::copyFile("C:\\in.bin", target);

        QCOMPARE(get(targetHost), data);
        QCOMPARE(get(c("in.bin")), data);
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(targetHost), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), targetExists ? targetMode : int(mode & ~currentUmask()));
        QCOMPARE(leftovers(QFileInfo(targetHost).absolutePath()), QStringList());
    }

    void copyFailureKeepsOldTarget_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QByteArray>("data");

        QTest::newRow("disk full over an old target") << 61 << true << QByteArray(200000, 's');
        QTest::newRow("disk full, no old target") << 61 << false << QByteArray(200000, 's');
        QTest::newRow("device error over an old target") << 57 << true << QByteArray("s");
        QTest::newRow("disk full, empty source") << 61 << true << QByteArray();
    }

    void copyFailureKeepsOldTarget()
    {
        QFETCH(int, number);
        QFETCH(bool, targetExists);
        QFETCH(QByteArray, data);

        put(c("in.bin"), data);
        if (targetExists) put(d("out.bin"), "old target");

        fs::failNextCopyWith(number);
        QCOMPARE(errorOf([] { fs::copyFile("C:\\in.bin", "D:\\out.bin"); }), number);

        QCOMPARE(get(d("out.bin")), targetExists ? QByteArray("old target") : "<missing>");
        QCOMPARE(leftovers(m_d->path()), QStringList());
        QCOMPARE(get(c("in.bin")), data);

        // The failure was for one copy only.
        fs::copyFile("C:\\in.bin", "D:\\out.bin");
        QCOMPARE(get(d("out.bin")), data);
    }

    // A copy killed at any step leaves the old target or none, never part
    // of one; what a named temporary file leaves goes at the next copy.
    void copyKilledMidway_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<bool>("unnamed");
        QTest::addColumn<QString>("step");

        for (bool exists : {false, true})
            for (bool unnamed : {true, false})
                for (const char* step : {"partial", "complete", "named"}) {
                    if (QByteArray(step) == "named" && !(exists && unnamed)) continue;
                    QTest::addRow("%s, %s temporary, killed at %s", exists ? "replace" : "new",
                                  unnamed ? "unnamed" : "named", step)
                        << exists << unnamed << QString(step);
                }
    }

    void copyKilledMidway()
    {
        QFETCH(bool, targetExists);
        QFETCH(bool, unnamed);
        QFETCH(QString, step);

        put(c("big.bin"), QByteArray(20 << 20, 'b')); // more than one chunk
        if (targetExists) put(d("big.bin"), "old target");
        const QByteArray killAt = step.toLatin1();
        const testsupport::ChildResult child = testsupport::inChild([&] {
            g_killAt = killAt.constData();
            fs::setCopyStepHook(killAtStep);
            fs::setUnnamedTemporaries(unnamed);
            fs::copyFile("C:\\big.bin", "D:\\big.bin");
            return QByteArray("not killed");
        });
        QCOMPARE(child.signal, SIGKILL);

        QCOMPARE(get(d("big.bin")), targetExists ? QByteArray("old target") : "<missing>");
        if (unnamed && step != "named") QCOMPARE(leftovers(m_d->path()), QStringList());
        fs::copyFile("C:\\src.txt", "D:\\next.txt");
        QCOMPARE(leftovers(m_d->path()), QStringList());
        QCOMPARE(get(d("big.bin")), targetExists ? QByteArray("old target") : "<missing>");
    }

    // A new target takes its name only while it is free: a file that
    // appeared there during the copy is kept.
    void copyLeavesANameThatAppeared_data()
    {
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("unnamed temporary") << true;
        QTest::newRow("named temporary") << false;
    }

    void copyLeavesANameThatAppeared()
    {
        QFETCH(bool, unnamed);
        g_appearing = QFile::encodeName(d("x.txt"));
        fs::setUnnamedTemporaries(unnamed);
        fs::setCopyStepHook(createAtComplete);
        QCOMPARE(errorOf([] { fs::copyFile("C:\\src.txt", "D:\\x.txt"); }), int(ErrFileExists));
        QCOMPARE(get(d("x.txt")), QByteArray("theirs"));
        QCOMPARE(leftovers(m_d->path()), QStringList());
    }

    // A save writes the file where it is when its other names must see the
    // new text, or when its folder takes no temporary file although the
    // file may be written.
    void saveInPlace_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("text");

        QTest::newRow("hard links, longer text") << "links" << QByteArray(5000, 'L');
        QTest::newRow("hard links, shorter text") << "links" << QByteArray("short");
        QTest::newRow("folder takes no temporary file") << "folder" << QByteArray(5000, 'F');
        QTest::newRow("folder takes no temporary file, shorter") << "folder" << QByteArray("s");
    }

    void saveInPlace()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);

        QDir().mkpath(d("locked"));
        put(d("locked/note.txt"), QByteArray(300, 'o'));
        QVERIFY(QFile::setPermissions(
            d("locked/note.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(d("locked/note.txt")), &before), 0);
        if (kind == "links") {
            QCOMPARE(::link(QFile::encodeName(d("locked/note.txt")),
                            QFile::encodeName(c("other name.txt"))),
                     0);
            fs::writeFileAtomic("D:\\locked\\note.txt", text);
            QCOMPARE(get(c("other name.txt")), text);
        } else {
            QVERIFY(QFile::setPermissions(d("locked"), QFile::ReadOwner | QFile::ExeOwner));
            testsupport::PermissionsBind bind;
            if (!bind.active()) QSKIP(qPrintable(bind.why()));
            QCOMPARE(errorOf([&] { fs::writeFileAtomic("D:\\locked\\new.txt", "x"); }),
                     int(ErrPermissionDenied)); // the folder takes no new file
            QCOMPARE(errorOf([&] { fs::writeFileAtomic("D:\\locked\\note.txt", text); }), 0);
        }
        QCOMPARE(get(d("locked/note.txt")), text);
        struct stat after;
        QCOMPARE(::stat(QFile::encodeName(d("locked/note.txt")), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(
            QDir(d("locked")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"note.txt"});
    }

    void renameNeverReplaces_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("number");

        QTest::newRow("file onto a file") << "C:\\a.txt"
                                          << "C:\\b.txt" << 58;
        QTest::newRow("folder onto an empty folder") << "C:\\fa"
                                                     << "C:\\fb" << 58;
        QTest::newRow("file onto a folder") << "C:\\a.txt"
                                            << "C:\\fb" << 58;
        QTest::newRow("folder onto a file") << "C:\\fa"
                                            << "C:\\b.txt" << 58;
        QTest::newRow("file onto itself") << "C:\\a.txt"
                                          << "C:\\a.txt" << 58;
        QTest::newRow("source missing") << "C:\\none.txt"
                                        << "C:\\new.txt" << 53;
        QTest::newRow("source's folder missing") << "C:\\gone\\a.txt"
                                                 << "C:\\new.txt" << 76;
        QTest::newRow("target's folder missing") << "C:\\a.txt"
                                                 << "C:\\gone\\a.txt" << 76;
        QTest::newRow("folder into itself") << "C:\\fa"
                                            << "C:\\fa\\inner" << 75;
        QTest::newRow("letter with no drive") << "C:\\a.txt"
                                              << "Q:\\a.txt" << 68;
    }

    void renameNeverReplaces()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, number);

        put(c("a.txt"), "AAA");
        put(c("b.txt"), "BBB");
        QDir().mkpath(c("fa"));
        put(c("fa/keep.txt"), "in fa");
        QDir().mkpath(c("fb"));

        QCOMPARE(errorOf([&] { fs::rename(from, to); }), number);

        QCOMPARE(get(c("a.txt")), QByteArray("AAA"));
        QCOMPARE(get(c("b.txt")), QByteArray("BBB"));
        QCOMPARE(get(c("fa/keep.txt")), QByteArray("in fa"));
        QVERIFY(QFileInfo(c("fb")).isDir());
        QVERIFY(!QFileInfo::exists(c("fa/inner")));
        QVERIFY(!QFileInfo::exists(c("new.txt")));
    }

    void renameMoves_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("moved"); // the file that must now hold "AAA"

        QTest::newRow("file") << "C:\\a.txt"
                              << "C:\\b.txt"
                              << "C:\\b.txt";
        QTest::newRow("file, name differing in case") << "C:\\a.txt"
                                                      << "C:\\A.txt"
                                                      << "C:\\A.txt";
        QTest::newRow("folder") << "C:\\fa"
                                << "C:\\fz"
                                << "C:\\fz\\a.txt";
        QTest::newRow("file to another drive") << "C:\\a.txt"
                                               << "D:\\a.txt"
                                               << "D:\\a.txt";
    }

    void renameMoves()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, moved);

        put(c("a.txt"), "AAA");
        QDir().mkpath(c("fa"));
        put(c("fa/a.txt"), "AAA");

        fs::rename(from, to);

        QCOMPARE(get(drives::toHost(moved)), QByteArray("AAA"));
        QVERIFY(!QFileInfo(drives::toHost(from)).exists());
    }

    void folders_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");

        QTest::newRow("make") << "make"
                              << "C:\\Data\\New" << 0;
        QTest::newRow("make, folder exists") << "make"
                                             << "C:\\Data" << 58;
        QTest::newRow("make, empty name after the parent") << "make"
                                                           << "C:\\Data\\" << 58;
        QTest::newRow("make, file of that name") << "make"
                                                 << "C:\\Data\\f.txt" << 58;
        QTest::newRow("make at a root") << "make"
                                        << "C:\\" << 58;
        QTest::newRow("make, parent missing") << "make"
                                              << "C:\\Nope\\New" << 76;
        QTest::newRow("make below a file") << "make"
                                           << "C:\\Data\\f.txt\\New" << 76;
        QTest::newRow("make, parent read-only") << "make-ro"
                                                << "C:\\Data\\New" << 70;
        QTest::newRow("make, no drive") << "make"
                                        << "Q:\\New" << 68;
        QTest::newRow("remove empty") << "remove"
                                      << "C:\\Data\\Empty" << 0;
        QTest::newRow("remove, holds a file") << "remove"
                                              << "C:\\Data" << 75;
        QTest::newRow("remove, holds only a folder") << "remove"
                                                     << "C:\\Data\\Outer" << 75;
        QTest::newRow("remove, missing") << "remove"
                                         << "C:\\Data\\Nope" << 76;
        QTest::newRow("remove, parent missing") << "remove"
                                                << "C:\\Nope\\Nope" << 76;
        QTest::newRow("remove a file") << "remove"
                                       << "C:\\Data\\f.txt" << 76;
        QTest::newRow("remove an empty drive root") << "remove"
                                                    << "E:\\" << 75;
        QTest::newRow("remove an empty drive root, no backslash") << "remove"
                                                                  << "E:" << 75;
    }

    void folders()
    {
        QFETCH(QString, op);
        QFETCH(QString, path);
        QFETCH(int, number);

        QDir().mkpath(c("Data/Empty"));
        QDir().mkpath(c("Data/Outer/Inner"));
        put(c("Data/f.txt"), "keep");
        QDir().mkpath(c("EmptyRoot"));
        drives::setTable(
            {{'C', m_c->path(), {}}, {'D', m_d->path(), {}}, {'E', c("EmptyRoot"), {}}});
        std::optional<testsupport::PermissionsBind> bind;
        if (op == "make-ro") {
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
            QVERIFY(QFile::setPermissions(c("Data"), QFile::ReadOwner | QFile::ExeOwner));
        }

        if (op.startsWith("make"))
            QCOMPARE(errorOf([&] { fs::makeFolder(path); }), number);
        else
            QCOMPARE(errorOf([&] { fs::removeFolder(path); }), number);

        if (number == 0) QCOMPARE(fs::folderExists(path), op == "make");
        QCOMPARE(get(c("Data/f.txt")), QByteArray("keep"));
        QVERIFY(QFileInfo(c("Data/Outer/Inner")).isDir());
        QVERIFY(QFileInfo(c("EmptyRoot")).isDir());
    }

    void readAndWrite_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");

        QTest::newRow("read") << "read"
                              << "C:\\src.txt" << 0;
        QTest::newRow("read a folder") << "read"
                                       << "D:\\sub" << 75;
        QTest::newRow("read, missing") << "read"
                                       << "C:\\nope.txt" << 53;
        QTest::newRow("read, folder missing") << "read"
                                              << "C:\\gone\\x.txt" << 76;
        QTest::newRow("write new") << "write"
                                   << "D:\\new.txt" << 0;
        QTest::newRow("write over old") << "write"
                                        << "C:\\src.txt" << 0;
        QTest::newRow("write over read-only") << "write"
                                              << "D:\\ro.txt" << 75;
        QTest::newRow("write onto a folder") << "write"
                                             << "D:\\sub" << 75;
        QTest::newRow("write, folder missing") << "write"
                                               << "D:\\gone\\x.txt" << 76;
        QTest::newRow("remove file") << "remove"
                                     << "C:\\src.txt" << 0;
        QTest::newRow("remove file, missing") << "remove"
                                              << "C:\\nope.txt" << 53;
        QTest::newRow("remove file, a folder") << "remove"
                                               << "D:\\sub" << 75;
    }

    void readAndWrite()
    {
        QFETCH(QString, op);
        QFETCH(QString, path);
        QFETCH(int, number);

        put(d("ro.txt"), "old content");
        QVERIFY(QFile::setPermissions(d("ro.txt"), QFile::ReadOwner));
        const QString host = drives::toHost(path);
        const QByteArray before = get(host);
        const QByteArray text("line one\r\nline two \xe9\n");

        QByteArray read;
        const int got = errorOf([&] {
            if (op == "read")
                read = fs::readFile(path);
            else if (op == "write")
                fs::writeFileAtomic(path, text);
            else
                fs::removeFile(path);
        });
        QCOMPARE(got, number);

        if (op == "read" && number == 0)
            QCOMPARE(read, before);
        else if (op == "write" && number == 0)
            QCOMPARE(get(host), text);
        else if (op == "remove" && number == 0)
            QVERIFY(!QFileInfo::exists(host));
        else
            QCOMPARE(get(host), before);
        QCOMPARE(get(d("ro.txt")), QByteArray("old content"));
        QVERIFY(QFileInfo(d("sub")).isDir());
    }

    void trashLandsInTrash_data()
    {
        QTest::addColumn<bool>("dataFolderExists");
        QTest::addColumn<bool>("folder");

        QTest::newRow("file") << true << false;
        QTest::newRow("folder") << true << true;
        QTest::newRow("file, data folder missing") << false << false;
        QTest::newRow("folder, data folder missing") << false << true;
    }

    void trashLandsInTrash()
    {
        QFETCH(bool, dataFolderExists);
        QFETCH(bool, folder);

        const QString dataHome = m_home.path() + "/.local/share";
        QDir(dataHome).removeRecursively();
        if (dataFolderExists) QVERIFY(QDir().mkpath(dataHome));
        QVERIFY(QDir::setCurrent(m_d->path()));

        const QString name = folder ? "old folder" : "old notes.txt";
        if (folder) {
            QDir().mkpath(c(name));
            put(c(name + "/inside.txt"), "inside");
        } else {
            put(c(name), "notes");
        }

        QString err;
        QVERIFY2(trash::moveToTrash("C:\\" + name, &err), qPrintable(err));

        QVERIFY(!QFileInfo::exists(c(name)));
        const QString trashed = dataHome + "/Trash/files/" + name;
        if (folder)
            QCOMPARE(get(trashed + "/inside.txt"), QByteArray("inside"));
        else
            QCOMPARE(get(trashed), QByteArray("notes"));
        const QByteArray info = get(dataHome + "/Trash/info/" + name + ".trashinfo");
        QVERIFY2(info.startsWith("[Trash Info]"), info.constData());
        QCOMPARE(QDir(m_d->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"sub"});
    }

    void trashRefusalKeepsFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("noTrash");

        QTest::newRow("no trash can be made") << "C:\\keep.txt" << true;
        QTest::newRow("missing file") << "C:\\nope.txt" << false;
        QTest::newRow("letter with no drive") << "Q:\\keep.txt" << false;
    }

    void trashRefusalKeepsFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, noTrash);

        const QString dataHome = m_home.path() + "/.local/share";
        QDir(dataHome).removeRecursively();
        QVERIFY(QDir().mkpath(dataHome));
        // A trash folder that is a plain file can never hold anything.
        if (noTrash) put(dataHome + "/Trash", "x");
        QVERIFY(QDir::setCurrent(m_d->path()));
        put(c("keep.txt"), "precious");

        QString err;
        QVERIFY(!trash::moveToTrash(path, &err));

        QVERIFY(!err.isEmpty());
        QCOMPARE(get(c("keep.txt")), QByteArray("precious"));
        QCOMPARE(QDir(m_d->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"sub"});
        QFile::remove(dataHome + "/Trash");
    }

    void trashSeamSeesEachPath()
    {
        RecordingTrash rec;
        rec.failOn = c("b.txt");
        trash::setTrashSeam(&rec);
        put(c("a.txt"), "a");

        QString err;
        QVERIFY(trash::moveToTrash("C:\\a.txt", &err));
        QVERIFY(!trash::moveToTrash("C:\\b.txt", &err));
        QCOMPARE(err, QStringLiteral("refused"));
        QVERIFY(trash::moveToTrash("D:\\sub", &err));

        QCOMPARE(rec.sent, (QStringList{c("a.txt"), d("sub")}));
        QCOMPARE(get(c("a.txt")), QByteArray("a")); // the seam, not the disk
    }
};

QTEST_GUILESS_MAIN(TstFileOps)
#include "tst_fileops.moc"
