// File changes: copy, rename, folders, whole-file reads and writes, trash.
#include "testsupport.h"

#include "platform/app.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/trash.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "testsupport.h"

#include <array>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <optional>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
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

// The step of a copy at which a name is swapped for a link to another file.
const char* g_swapAt = "";
QByteArray g_swapName, g_swapTo;

void swapAtStep(const char* step)
{
    if (std::strcmp(step, g_swapAt) != 0) return;
    ::unlink(g_swapName.constData());
    if (::symlink(g_swapTo.constData(), g_swapName.constData()) != 0) ::raise(SIGABRT);
}

// Users that exist only for these tests: a teammate who owns files, and a
// member of the teammate's group.
constexpr uid_t kTeammate = 4242;
constexpr gid_t kTeam = 4242;
constexpr uid_t kMember = 4343;

QByteArray enc(const QString& host)
{
    return QFile::encodeName(host);
}

bool chownTo(const QString& host, uid_t uid, gid_t gid)
{
    return ::lchown(enc(host).constData(), uid, gid) == 0;
}

// Runs body in a child process under another user id, as a second local
// user would run the program: with a home of that user's own.
testsupport::ChildResult asUser(uid_t uid, gid_t gid, const std::function<QByteArray()>& body)
{
    QTemporaryDir home;
    if (::chown(QFile::encodeName(home.path()).constData(), uid, gid) != 0) return {};
    return testsupport::inChild([&] {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
        const gid_t groups[] = {gid};
        if (::setgroups(1, groups) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            return QByteArray("could not become the other user");
        return body();
    });
}

// The number and the message of a failure, "0" for none.
QByteArray failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const FileError& e) {
        return QByteArray::number(e.number()) + '|' + e.message().toUtf8();
    }
    return "0";
}

// One move of another program at one step of a copy or a save.
const char* g_atStepName = "";
std::function<void()> g_atStep;

void runAtStep(const char* step)
{
    if (!g_atStep || std::strcmp(step, g_atStepName) != 0) return;
    const std::function<void()> move = std::move(g_atStep);
    g_atStep = nullptr;
    move();
}

void atStep(const char* step, std::function<void()> move)
{
    g_atStepName = step;
    g_atStep = std::move(move);
    fs::setCopyStepHook(runAtStep);
}

// What a writer in a child process left: its result and the notices the
// file layer gave it, a line each.
QByteArray withNotices(const std::function<QByteArray()>& write)
{
    static QStringList notices;
    notices.clear();
    fs::setNoticeSink([](const QString& text) { notices.append(text); });
    const QByteArray result = write();
    return notices.isEmpty() ? result : result + '\n' + notices.join('\n').toUtf8();
}

// Runs writer in a child process (as user `as`, with a home of its own,
// when given); when the child reaches `stepName` of its write it waits
// there while this process makes `move`, as another user or another copy
// of the program would between two steps. The child goes on once the move
// is made; one that never reaches the step simply ends.
testsupport::ChildResult writeWithMove(std::optional<std::pair<uid_t, gid_t>> as,
                                       const char* stepName,
                                       const std::function<QByteArray()>& writer,
                                       const std::function<void()>& move)
{
    QTemporaryDir home;
    if (as && ::chown(QFile::encodeName(home.path()).constData(), as->first, as->second) != 0)
        return {};
    int reached[2], go[2];
    if (::pipe(reached) != 0 || ::pipe(go) != 0) return {};
    const testsupport::Child child = testsupport::startChild([&] {
        ::close(reached[0]);
        ::close(go[1]);
        if (as) {
            qputenv("HOME", home.path().toUtf8());
            qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
            const gid_t groups[] = {as->second};
            if (::setgroups(1, groups) != 0 || ::setresgid(as->second, as->second, as->second) ||
                ::setresuid(as->first, as->first, as->first) != 0)
                return QByteArray("could not become the other user");
        }
        const int r = reached[1], g = go[0];
        atStep(stepName, [r, g] {
            char c = 'r';
            if (::write(r, &c, 1) == 1) (void)::read(g, &c, 1);
        });
        return writer();
    });
    ::close(reached[1]);
    ::close(go[0]);
    char c;
    if (::read(reached[0], &c, 1) == 1) {
        move();
        (void)!::write(go[1], "g", 1);
    }
    ::close(go[1]);
    ::close(reached[0]);
    // A writer that hangs (a pipe opened where a file was) is ended after
    // a minute rather than holding the suite for good.
    return testsupport::finishChild(child);
}

// An access control list as the system stores it in an extended attribute:
// entries of tag, permissions and id, in the order the system keeps them.
constexpr quint32 kAclUserObj = 0x01, kAclUser = 0x02, kAclGroupObj = 0x04, kAclMask = 0x10,
                  kAclOther = 0x20, kAclNoId = 0xffffffff;

QByteArray posixAcl(std::initializer_list<std::array<quint32, 3>> entries)
{
    QByteArray out;
    const auto put = [&out](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    put(2, 4); // the format's version
    for (const auto& e : entries) {
        put(e[0], 2);
        put(e[1], 2);
        put(e[2], 4);
    }
    return out;
}

QByteArray attribute(const QString& host, const char* name)
{
    char buf[256];
    const ssize_t n = ::getxattr(QFile::encodeName(host).constData(), name, buf, sizeof buf);
    return n < 0 ? QByteArray("<none>") : QByteArray(buf, int(n));
}

// The blocks a file takes on its disk.
qint64 blocksOf(const QString& host)
{
    struct stat st;
    return ::stat(QFile::encodeName(host).constData(), &st) == 0 ? qint64(st.st_blocks) : -1;
}

// A volume that compares names without regard to case, over a real folder:
// a name finds the entry of any spelling of it. With perSpelling each
// spelling of a name is numbered anew, as FUSE drives number them;
// otherwise every spelling finds the one inode, and a rename from one to
// another is nothing, as it is to the system's own rename.
struct CaseBlindVolume : fs::RenameSeam {
    bool perSpelling = false;
    int lastMoveFails = 0; // errno of a move onto newName, made to free it
    QByteArray newName;

    static QByteArray folderOf(const QByteArray& path) { return path.left(path.lastIndexOf('/')); }

    // The path of the entry the name finds, or nothing.
    static QByteArray find(const QByteArray& path)
    {
        const QString name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
        const QStringList all =
            QDir(QFile::decodeName(folderOf(path)))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& e : all)
            if (e.compare(name, Qt::CaseInsensitive) == 0)
                return folderOf(path) + '/' + QFile::encodeName(e);
        return {};
    }

    int lookUp(const QByteArray& path, Entry* entry) override
    {
        const QByteArray real = find(path);
        if (real.isEmpty()) return ENOENT;
        const int e = RenameSeam::lookUp(real, entry);
        if (perSpelling && real != path) entry->inode += 1000000;
        return e;
    }

    int move(const QByteArray& from, const QByteArray& to, bool noReplace) override
    {
        const QByteArray real = find(from);
        if (real.isEmpty()) return ENOENT;
        if (lastMoveFails && noReplace && to == newName) {
            if (lastMoveFails == EEXIST) { // another program's file takes the name
                QFile theirs(QFile::decodeName(to));
                if (!theirs.open(QIODevice::WriteOnly)) return EIO;
                theirs.write("theirs");
            }
            return lastMoveFails;
        }
        const QByteArray there = find(to);
        if (!there.isEmpty()) {
            if (noReplace) return EEXIST;
            if (there == real && !perSpelling) return 0;
        }
        return RenameSeam::move(real, to, false);
    }
};

// Runs a program to its end; its exit code, -1 where it could not run.
int runTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return -1;
    if (out) *out = p.readAllStandardOutput().trimmed();
    return p.exitCode();
}

// A small exFAT drive through FUSE, as a USB stick is mounted, on a loop
// device of an image under `folder`; unmounted and its loop device freed
// at the end, whatever the test did. Needs the superuser, FUSE and the
// exfat-fuse and exfatprogs programs; why() says what was missing.
class ExfatStick {
  public:
    explicit ExfatStick(const QString& folder) : m_path(folder + "/mnt")
    {
        const QStringList sbin{"/usr/sbin", "/sbin", "/usr/bin", "/bin"};
        const QString mkfs = QStandardPaths::findExecutable("mkfs.exfat", sbin);
        const QString fuse = QStandardPaths::findExecutable("mount.exfat-fuse", sbin);
        const QString losetup = QStandardPaths::findExecutable("losetup", sbin);
        if (::geteuid() != 0) {
            m_why = "a drive is mounted only as the superuser";
        } else if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            m_why = "no FUSE here";
        } else if (mkfs.isEmpty() || fuse.isEmpty() || losetup.isEmpty()) {
            m_why = "exfat-fuse, exfatprogs or losetup is not installed";
        } else {
            const QString image = folder + "/stick.img";
            QDir().mkpath(m_path);
            QFile img(image);
            if (!img.open(QIODevice::WriteOnly) || !img.resize(16 << 20) ||
                runTool(mkfs, {image}) != 0) {
                m_why = "no exFAT image could be made";
            } else if (runTool(losetup, {"-f", "--show", image}, &m_loop) != 0 ||
                       m_loop.isEmpty()) {
                m_why = "no free loop device";
            } else if (runTool(fuse, {QString::fromUtf8(m_loop), m_path}) != 0) {
                m_why = "the exFAT drive could not be mounted";
            } else {
                m_mounted = true;
            }
            // Freed once nothing uses it any more, the mount included.
            if (!m_loop.isEmpty()) runTool(losetup, {"-d", QString::fromUtf8(m_loop)});
        }
    }
    ~ExfatStick()
    {
        if (m_mounted && ::umount(enc(m_path).constData()) != 0)
            ::umount2(enc(m_path).constData(), MNT_DETACH);
    }
    ExfatStick(const ExfatStick&) = delete;
    ExfatStick& operator=(const ExfatStick&) = delete;
    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path() const { return m_path; }

  private:
    QString m_path;
    QByteArray m_loop;
    QString m_why;
    bool m_mounted = false;
};

// A FUSE drive of the test's own (tests/latefs.c) mounted at `point` over
// the files of `backing`: it takes every write, but a file that grows past
// `limit` bytes is refused only when it is closed, as a network or
// user-space drive with a full store refuses it; its names have inode
// numbers of their own (a link's new name is another number), and it has
// no RENAME_NOREPLACE and no unnamed files. Unmounted at the end. Needs
// the superuser and FUSE; why() says what was missing.
class LateDrive {
  public:
    LateDrive(const QString& backing, const QString& point, qint64 limit) : m_point(point)
    {
#ifdef QUORBIX_LATEFS
        if (::geteuid() != 0) {
            m_why = "a drive is mounted only as the superuser";
        } else if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            m_why = "no FUSE here";
        } else if (runTool(QStringLiteral(QUORBIX_LATEFS),
                           {backing, QString::number(limit), point}) != 0) {
            m_why = "the FUSE drive could not be mounted";
        } else {
            m_mounted = true; // it returns once mounted
        }
#else
        Q_UNUSED(backing);
        Q_UNUSED(limit);
        m_why = "built without fuse3";
#endif
    }
    ~LateDrive()
    {
        if (m_mounted && ::umount(enc(m_point).constData()) != 0)
            ::umount2(enc(m_point).constData(), MNT_DETACH);
    }
    LateDrive(const LateDrive&) = delete;
    LateDrive& operator=(const LateDrive&) = delete;
    bool mounted() const
    {
        return m_mounted;
    }
    QString why() const
    {
        return m_why;
    }

  private:
    QString m_point;
    QString m_why;
    bool m_mounted = false;
};

// The inode flags of a file or folder that its owner may set and that the
// tests look at; -1 where they cannot be read.
constexpr int kOwnersFlags =
    FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL | FS_JOURNAL_DATA_FL | FS_NOCOW_FL;

int flagsOf(const QString& host)
{
    const int fd = ::open(enc(host).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return ok ? flags & kOwnersFlags : -1;
}

// Adds flags to a file's or folder's own; errno tells why not.
bool setFlags(const QString& host, int flags)
{
    const int fd = ::open(enc(host).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int now = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &now) == 0;
    now |= flags;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &now) == 0;
    const int e = errno;
    if (fd >= 0) ::close(fd);
    errno = e;
    const int got = ok ? flagsOf(host) : -1;
    return got >= 0 && (got & flags) == (flags & kOwnersFlags);
}

bool appendTo(const QString& host, const QByteArray& data)
{
    QFile f(host);
    return f.open(QIODevice::Append) && f.write(data) == data.size();
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
        fs::failNextFileEnd("", 0);
        fs::judgeDrivesAs(fs::DriveKinds::AsTheyAre);
        fs::setCopyStepHook(nullptr);
        g_atStep = nullptr;
        fs::setNoticeSink({});
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
        QTest::addColumn<bool>("twoNames"); // the old target: written in place

        QTest::newRow("disk full over an old target")
            << 61 << true << QByteArray(200000, 's') << false;
        QTest::newRow("disk full, no old target")
            << 61 << false << QByteArray(200000, 's') << false;
        QTest::newRow("device error over an old target") << 57 << true << QByteArray("s") << false;
        QTest::newRow("disk full, empty source") << 61 << true << QByteArray() << false;
        QTest::newRow("disk full over a file with two names")
            << 61 << true << QByteArray(200000, 's') << true;
        QTest::newRow("device error over a file with two names, empty source")
            << 57 << true << QByteArray() << true;
    }

    void copyFailureKeepsOldTarget()
    {
        QFETCH(int, number);
        QFETCH(bool, targetExists);
        QFETCH(QByteArray, data);
        QFETCH(bool, twoNames);

        put(c("in.bin"), data);
        if (targetExists) put(d("out.bin"), "old target");
        if (twoNames) QCOMPARE(::link(enc(d("out.bin")), enc(c("other name.bin"))), 0);

        const qint64 blocks = blocksOf(d("out.bin"));
        fs::failNextCopyWith(number);
        QCOMPARE(errorOf([] { fs::copyFile("C:\\in.bin", "D:\\out.bin"); }), number);

        QCOMPARE(get(d("out.bin")), targetExists ? QByteArray("old target") : "<missing>");
        // The room reserved for the new content is given back.
        QCOMPARE(blocksOf(d("out.bin")), blocks);
        QCOMPARE(leftovers(m_d->path()), QStringList());
        QCOMPARE(get(c("in.bin")), data);
        // Put back, and the kept copy gone with it.
        if (twoNames) QCOMPARE(get(c("other name.bin")), QByteArray("old target"));
        QVERIFY(!QFileInfo::exists(d(".out.bin.quorbix-keep")));

        // The failure was for one copy only.
        fs::copyFile("C:\\in.bin", "D:\\out.bin");
        QCOMPARE(get(d("out.bin")), data);
        if (twoNames) QCOMPARE(get(c("other name.bin")), data);
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

    // Anything but a plain file is refused at once, however it is reached:
    // a pipe with no writer would hold the copy for good, a device would
    // fill the disk.
    void copyRefusesSpecialFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("named pipe") << "fifo" << false;
        QTest::newRow("named pipe over an old target") << "fifo" << true;
        QTest::newRow("socket") << "socket" << false;
        QTest::newRow("endless device") << "zero" << false;
        QTest::newRow("empty device") << "null" << true;
        QTest::newRow("link to a named pipe") << "fifo link" << false;
    }

    void copyRefusesSpecialFiles()
    {
        QFETCH(QString, kind);
        QFETCH(bool, targetExists);

        const QByteArray special = enc(c("special"));
        int sock = -1;
        if (kind == "fifo") QCOMPARE(::mkfifo(special.constData(), 0644), 0);
        if (kind == "fifo link") {
            QCOMPARE(::mkfifo(enc(c("pipe")).constData(), 0644), 0);
            QCOMPARE(::symlink(enc(c("pipe")).constData(), special.constData()), 0);
        }
        if (kind == "socket") {
            sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            QVERIFY(size_t(special.size()) < sizeof addr.sun_path);
            std::memcpy(addr.sun_path, special.constData(), size_t(special.size()));
            QCOMPARE(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        }
        if (kind == "zero" || kind == "null") {
            // A device node of our own where we may make one, else a link to
            // the system's.
            const dev_t dev = kind == "zero" ? makedev(1, 5) : makedev(1, 3);
            if (::mknod(special.constData(), S_IFCHR | 0666, dev) != 0)
                QCOMPARE(::symlink(kind == "zero" ? "/dev/zero" : "/dev/null", special.constData()),
                         0);
        }
        if (targetExists) put(d("out.bin"), "old target");

        // In a child, so that a copy that blocks fails the test instead of
        // holding it.
        const testsupport::ChildResult child = testsupport::inChild(
            [] { return failureOf([] { fs::copyFile("C:\\special", "D:\\out.bin"); }); }, 20);
        if (sock >= 0) ::close(sock);
        QVERIFY(child.exited);
        QCOMPARE(QString::fromUtf8(child.output),
                 QStringLiteral("75|C:\\special is not a file that can be copied"));
        QCOMPARE(get(d("out.bin")), targetExists ? QByteArray("old target") : "<missing>");
        QCOMPARE(leftovers(m_d->path()), QStringList());
    }

    // The source is checked on what was opened: a name swapped for a link
    // to another file after the checks cannot bring that file in.
    void copyReadsTheFileItChecked()
    {
        put(c("mine.txt"), "what the user copied");
        QCOMPARE(::chmod(enc(c("mine.txt")).constData(), 0644), 0);
        put(c("secret"), "private key");
        QCOMPARE(::chmod(enc(c("secret")).constData(), 0600), 0);
        g_swapAt = "checked";
        g_swapName = enc(c("mine.txt"));
        g_swapTo = enc(c("secret"));
        fs::setCopyStepHook(swapAtStep);

        fs::copyFile("C:\\mine.txt", "D:\\out.txt");

        QVERIFY(QFileInfo(c("mine.txt")).isSymLink()); // the swap did happen
        QCOMPARE(get(d("out.txt")), QByteArray("what the user copied"));
        struct stat st;
        QCOMPARE(::stat(enc(d("out.txt")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), int(0644 & ~currentUmask()));
    }

    void copyKeepsHoles_data()
    {
        QTest::addColumn<QList<qint64>>("dataAt"); // 64 KiB of data at each offset
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("targetExists");
        const qint64 mb = 1 << 20;
        QTest::newRow("hole in the middle")
            << QList<qint64>{0, 40 * mb} << 40 * mb + 65536 << false;
        QTest::newRow("hole at the end") << QList<qint64>{0} << 48 * mb << false;
        QTest::newRow("hole at the start") << QList<qint64>{47 * mb} << 48 * mb << false;
        QTest::newRow("nothing but a hole") << QList<qint64>{} << 48 * mb << false;
        QTest::newRow("over an old target") << QList<qint64>{8 * mb, 30 * mb} << 48 * mb << true;
    }

    void copyKeepsHoles()
    {
        QFETCH(QList<qint64>, dataAt);
        QFETCH(qint64, size);
        QFETCH(bool, targetExists);

        {
            QFile f(c("disk.img"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QByteArray block(65536, Qt::Uninitialized);
            for (qsizetype i = 0; i < block.size(); ++i)
                block[i] = char('a' + i % 23);
            for (qint64 at : dataAt) {
                QVERIFY(f.seek(at));
                f.write(block);
            }
            QVERIFY(f.resize(size));
        }
        struct stat sst;
        QCOMPARE(::stat(enc(c("disk.img")).constData(), &sst), 0);
        if (sst.st_blocks * 512 >= size) QSKIP("this file system keeps no holes");
        if (targetExists) put(d("disk.img"), QByteArray(1 << 20, 'o'));

        fs::copyFile("C:\\disk.img", "D:\\disk.img");

        QCOMPARE(get(d("disk.img")), get(c("disk.img")));
        struct stat tst;
        QCOMPARE(::stat(enc(d("disk.img")).constData(), &tst), 0);
        QCOMPARE(tst.st_size, sst.st_size);
        QVERIFY2(tst.st_blocks <= sst.st_blocks + 64,
                 qPrintable(QStringLiteral("%1 blocks for a source of %2")
                                .arg(tst.st_blocks)
                                .arg(sst.st_blocks)));
    }

    // A file that is replaced stays its owner's, with its group, bits and
    // attributes, whoever replaces it; where the temporary cannot be given
    // its owner, the file is written where it is.
    void replaceKeepsIdentity_data()
    {
        QTest::addColumn<QString>("road");   // "copy" or "save"
        QTest::addColumn<QString>("writer"); // "owner", "root", "member"
        QTest::addColumn<bool>("twoNames");
        for (const char* road : {"copy", "save"}) {
            QTest::addRow("%s by the owner", road) << road << "owner" << false;
            QTest::addRow("%s by the owner, file with two names", road) << road << "owner" << true;
            QTest::addRow("%s by the superuser over a teammate's file", road)
                << road << "root" << false;
            QTest::addRow("%s by a member of the teammate's group", road)
                << road << "member" << false;
        }
    }

    void replaceKeepsIdentity()
    {
        QFETCH(QString, road);
        QFETCH(QString, writer);
        QFETCH(bool, twoNames);

        const bool teammate = writer != "owner";
        if (teammate && ::geteuid() != 0) QSKIP("a second user is made only as the superuser");
        // A team folder: everybody may make files in it.
        for (const QString& folder : {m_c->path(), m_d->path()})
            QCOMPARE(::chmod(enc(folder).constData(), 0777), 0);
        put(c("new.txt"), "new content");
        QCOMPARE(::chmod(enc(c("new.txt")).constData(), 0644), 0);
        put(d("team.txt"), "old content, longer than the new one");
        QCOMPARE(::chmod(enc(d("team.txt")).constData(), 0660), 0);
        if (teammate) QVERIFY(chownTo(d("team.txt"), kTeammate, kTeam));
        if (twoNames) QCOMPARE(::link(enc(d("team.txt")), enc(d("other name.txt"))), 0);
        const bool tagged =
            ::setxattr(enc(d("team.txt")).constData(), "user.project", "atlas", 5, 0) == 0;
        struct stat before;
        QCOMPARE(::stat(enc(d("team.txt")).constData(), &before), 0);

        const auto write = [&road] {
            return failureOf([&road] {
                if (road == "copy")
                    fs::copyFile("C:\\new.txt", "D:\\team.txt");
                else
                    fs::writeFileAtomic("D:\\team.txt", "new content");
            });
        };
        if (writer == "member") {
            const testsupport::ChildResult child = asUser(kMember, kTeam, write);
            QVERIFY(child.exited);
            QCOMPARE(child.output, QByteArray("0"));
        } else {
            QCOMPARE(write(), QByteArray("0"));
        }

        QCOMPARE(get(d("team.txt")), QByteArray("new content"));
        if (twoNames) QCOMPARE(get(d("other name.txt")), QByteArray("new content"));
        struct stat after;
        QCOMPARE(::stat(enc(d("team.txt")).constData(), &after), 0);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(int(after.st_mode & 07777), 0660);
        // Written where it is exactly where a rename could not keep it.
        QCOMPARE(after.st_ino == before.st_ino, twoNames || writer == "member");
        if (tagged) {
            char value[16] = {};
            QCOMPARE(
                ::getxattr(enc(d("team.txt")).constData(), "user.project", value, sizeof value),
                ssize_t(5));
            QCOMPARE(QByteArray(value), QByteArray("atlas"));
        }
        const QStringList left =
            QDir(m_d->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(left, twoNames ? QStringList({"other name.txt", "team.txt"})
                                : QStringList({"team.txt"}));
    }

    // A save in place killed at any step leaves the old or the new content
    // whole under the name, or the old one whole in the kept copy; the
    // next start and the next save say where that copy is.
    void saveInPlaceKilled_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("name"); // what the name holds: "old", "new", "either"
        for (const char* road : {"save", "copy"}) {
            QTest::addRow("%s killed once the old content is kept", road) << road << "kept"
                                                                          << "old";
            QTest::addRow("%s killed half-way", road) << road << "partial"
                                                      << "either";
            QTest::addRow("%s killed once the new content is synced", road) << road << "complete"
                                                                            << "new";
        }
    }

    void saveInPlaceKilled()
    {
        QFETCH(QString, road);
        QFETCH(QString, step);
        QFETCH(QString, name);

        const QByteArray oldText(20 << 20, 'o'), newText((20 << 20) + 5, 'n'); // several chunks
        put(d("note.txt"), oldText);
        put(c("new.txt"), newText);
        QCOMPARE(::link(enc(d("note.txt")), enc(c("second name.txt"))), 0);
        const QByteArray killAt = step.toLatin1();
        const testsupport::ChildResult child = testsupport::inChild([&] {
            g_killAt = killAt.constData();
            fs::setCopyStepHook(killAtStep);
            if (road == "copy")
                fs::copyFile("C:\\new.txt", "D:\\note.txt");
            else
                fs::writeFileAtomic("D:\\note.txt", newText);
            return QByteArray("not killed");
        });
        QCOMPARE(child.signal, SIGKILL);

        const QByteArray now = get(d("note.txt"));
        if (name == "old") QCOMPARE(now, oldText);
        if (name == "new") QCOMPARE(now, newText);
        QCOMPARE(get(d(".note.txt.quorbix-keep")), oldText);
        QCOMPARE(get(c("second name.txt")), now); // still one file

        testsupport::RecordingMessageBoxes boxes;
        fs::reportUnfinishedSaves();
        const QString told = "A save of D:\\note.txt did not finish. The file's content from "
                             "before that save is kept in D:\\.note.txt.quorbix-keep.";
        QCOMPARE(boxes.prompts(), QStringList({told}));

        // The next save says so too, and leaves that copy to the user.
        boxes.clear();
        fs::writeFileAtomic("D:\\note.txt", "saved again");
        QCOMPARE(boxes.prompts(), QStringList({told}));
        QCOMPARE(get(c("second name.txt")), QByteArray("saved again"));
        QCOMPARE(get(d(".note.txt.quorbix-keep")), oldText);
        QCOMPARE(QDir(m_d->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({".note.txt.quorbix-keep", "note.txt"}));
    }

    // A program that ends at once, or is killed, right after a large save
    // in place said it was done (its kept copy's blocks are freed off the
    // caller's thread) leaves no kept copy to be told as a save that never
    // finished.
    void endAfterALargeSaveInPlace_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("the program ends at once") << false;
        QTest::newRow("the program is killed once the save is done") << true;
    }

    void endAfterALargeSaveInPlace()
    {
        QFETCH(bool, killed);
        const qsizetype big = qsizetype(70) << 20; // past the size freed off the thread
        put(d("big.txt"), QByteArray(big, 'o'));
        QCOMPARE(::link(enc(d("big.txt")), enc(c("second name.txt"))), 0);
        const QByteArray newText(big + 1, 'n');
        const testsupport::ChildResult child = testsupport::inChild([&] {
            plat::setEndHandler({}); // the real end: the process exits at once
            g_killAt = "done";
            if (killed) fs::setCopyStepHook(killAtStep);
            fs::writeFileAtomic("D:\\big.txt", newText);
            plat::End();
            return QByteArray("not ended");
        });
        if (killed) {
            QCOMPARE(child.signal, SIGKILL);
        } else {
            QVERIFY(child.exited);
            QVERIFY(child.output.isEmpty());
        }
        QCOMPARE(get(c("second name.txt")).size(), newText.size());
        QVERIFY(!QFileInfo::exists(d(".big.txt.quorbix-keep")));
        testsupport::RecordingMessageBoxes boxes;
        fs::reportUnfinishedSaves();
        QVERIFY(boxes.boxes.isEmpty());
    }

    // Nothing the program writes follows a link planted after its checks;
    // the preview never follows one at all.
    void plantedLinkNeverFollowed_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("number");
        QTest::newRow("preview") << "preview" << 75;
        QTest::newRow("save in place, link planted after the check") << "in place" << 75;
        QTest::newRow("save through a temporary, link planted after the check") << "temporary" << 0;
    }

    void plantedLinkNeverFollowed()
    {
        QFETCH(QString, road);
        QFETCH(int, number);

        put(c("victim.txt"), "the victim's own file");
        put(d("page.htm"), "<p>page</p>");
        put(d("note.txt"), "old");
        if (road == "preview") {
            QCOMPARE(::symlink(enc(c("victim.txt")).constData(), enc(d("temp.html")).constData()),
                     0);
        } else {
            if (road == "in place") QCOMPARE(::link(enc(d("note.txt")), enc(d("note 2.txt"))), 0);
            g_swapAt = "checked";
            g_swapName = enc(d("note.txt"));
            g_swapTo = enc(c("victim.txt"));
            fs::setCopyStepHook(swapAtStep);
        }

        const QByteArray got = failureOf([&] {
            if (road == "preview")
                fs::writeOwnFile("D:\\temp.html", "<p>edited</p>", "D:\\page.htm");
            else
                fs::writeFileAtomic("D:\\note.txt", "new");
        });

        QCOMPARE(got.split('|').first(), QByteArray::number(number));
        QCOMPARE(get(c("victim.txt")), QByteArray("the victim's own file"));
        if (road == "preview") {
            QCOMPARE(QString::fromUtf8(got.mid(3)),
                     QStringLiteral("D:\\temp.html is not a file of yours; it was left as it is "
                                    "and nothing was written."));
            QCOMPARE(QFileInfo(d("temp.html")).symLinkTarget(), c("victim.txt"));
        }
        if (road == "in place") QCOMPARE(get(d("note 2.txt")), QByteArray("old"));
        if (road == "temporary") {
            QVERIFY(!QFileInfo(d("note.txt")).isSymLink());
            QCOMPARE(get(d("note.txt")), QByteArray("new"));
        }
        QCOMPARE(leftovers(m_d->path()), QStringList());
    }

    // The preview is the user's own file with the document's bits: it
    // never takes over a file of somebody else's or reveals a private page.
    void previewIsOurs_data()
    {
        QTest::addColumn<QString>("planted"); // what temp.html is before
        QTest::addColumn<int>("documentMode");
        QTest::addColumn<bool>("written");
        QTest::newRow("no preview yet, private page") << "" << 0600 << true;
        QTest::newRow("no preview yet, group page") << "" << 0640 << true;
        QTest::newRow("our own preview, open to all") << "ours" << 0600 << true;
        QTest::newRow("another user's preview, open to all") << "theirs" << 0600 << false;
        QTest::newRow("a named pipe") << "fifo" << 0644 << false;
        QTest::newRow("a folder") << "folder" << 0644 << false;
    }

    void previewIsOurs()
    {
        QFETCH(QString, planted);
        QFETCH(int, documentMode);
        QFETCH(bool, written);

        if (planted == "theirs" && ::geteuid() != 0)
            QSKIP("a second user is made only as the superuser");
        put(d("page.htm"), "<p>page</p>");
        QCOMPARE(::chmod(enc(d("page.htm")).constData(), mode_t(documentMode)), 0);
        if (planted == "ours" || planted == "theirs") {
            put(d("temp.html"), "planted");
            QCOMPARE(::chmod(enc(d("temp.html")).constData(), 0666), 0);
        }
        if (planted == "theirs") QVERIFY(chownTo(d("temp.html"), kTeammate, kTeam));
        if (planted == "fifo") QCOMPARE(::mkfifo(enc(d("temp.html")).constData(), 0666), 0);
        if (planted == "folder") QVERIFY(QDir().mkpath(d("temp.html")));

        const QByteArray got =
            failureOf([] { fs::writeOwnFile("D:\\temp.html", "<p>edited</p>", "D:\\page.htm"); });

        struct stat st;
        QCOMPARE(::lstat(enc(d("temp.html")).constData(), &st), 0);
        if (written) {
            QCOMPARE(got, QByteArray("0"));
            QCOMPARE(get(d("temp.html")), QByteArray("<p>edited</p>"));
            QCOMPARE(int(st.st_mode & 07777), documentMode);
            QCOMPARE(st.st_uid, ::geteuid());
        } else {
            QVERIFY2(got.startsWith("75|D:\\temp.html is not a file of yours"), got.constData());
            if (planted == "theirs") {
                QCOMPARE(get(d("temp.html")), QByteArray("planted"));
                QCOMPARE(st.st_uid, kTeammate);
                QCOMPARE(int(st.st_mode & 07777), 0666);
            }
        }
        QCOMPARE(leftovers(m_d->path()), QStringList());
    }

    // In a folder everyone may write to and only owners may clear (sticky,
    // as /tmp), a link is followed only as a stock kernel follows it: one
    // of the user's own or of the folder's owner. Another user's link there
    // could lead anywhere the user may write.
    void linkInASharedFolder_data()
    {
        QTest::addColumn<QString>("owner"); // of the link the user names
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("secondHop"); // the link leads to a third user's link
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("refusedLink"); // empty: followed
        const QString first = "D:\\shared\\note.txt", second = "D:\\drop\\next.txt";
        for (const char* road : {"save", "paste"}) {
            QTest::addRow("the user's own link, %s", road)
                << "user" << 01777 << false << road << "";
            QTest::addRow("the folder owner's link, %s", road)
                << "folder owner" << 01777 << false << road << "";
            QTest::addRow("a third user's link, %s", road)
                << "third user" << 01777 << false << road << first;
            QTest::addRow("the user's own link to a third user's link, %s", road)
                << "user" << 01777 << true << road << second;
        }
        QTest::newRow("a third user's link, folder without the sticky bit, save")
            << "third user" << 0777 << false << "save"
            << "";
    }

    void linkInASharedFolder()
    {
        QFETCH(QString, owner);
        QFETCH(int, folderMode);
        QFETCH(bool, secondHop);
        QFETCH(QString, road);
        QFETCH(QString, refusedLink);
        if (::geteuid() != 0) QSKIP("other users are made only as the superuser");
        // The others may reach the shared folders, not the user's own file.
        QCOMPARE(::chmod(enc(m_d->path()).constData(), 0755), 0);
        for (const char* folder : {"shared", "drop"}) {
            QVERIFY(QDir().mkpath(d(folder)));
            QVERIFY(chownTo(d(folder), kTeammate, kTeam));
            QCOMPARE(::chmod(enc(d(folder)).constData(), mode_t(folderMode)), 0);
        }
        put(c("mine.txt"), "the user's own text");
        put(c("new.txt"), "pasted text");
        const auto linkAs = [&](const QString& by, const QString& to, const QString& at) {
            if (by == "user") return ::symlink(enc(to).constData(), enc(at).constData()) == 0;
            const uid_t uid = by == "folder owner" ? kTeammate : kMember;
            const testsupport::ChildResult made = asUser(uid, kTeam, [&] {
                return QByteArray::number(::symlink(enc(to).constData(), enc(at).constData()));
            });
            return made.exited && made.output == "0";
        };
        if (secondHop) QVERIFY(linkAs("third user", c("mine.txt"), d("drop/next.txt")));
        QVERIFY(
            linkAs(owner, secondHop ? d("drop/next.txt") : c("mine.txt"), d("shared/note.txt")));

        const QByteArray got = failureOf([&] {
            if (road == "save")
                fs::writeFileAtomic("D:\\shared\\note.txt", "saved text");
            else
                fs::copyFile("C:\\new.txt", "D:\\shared\\note.txt");
        });

        if (refusedLink.isEmpty()) {
            QCOMPARE(got, QByteArray("0"));
            QCOMPARE(get(c("mine.txt")), QByteArray(road == "save" ? "saved text" : "pasted text"));
        } else {
            QCOMPARE(QString::fromUtf8(got),
                     "75|" + refusedLink +
                         " is a link another user made in a folder everyone may write to; it "
                         "was not followed and nothing was written.");
            QCOMPARE(get(c("mine.txt")), QByteArray("the user's own text"));
        }
        QVERIFY(QFileInfo(d("shared/note.txt")).isSymLink());
        QCOMPARE(leftovers(d("shared")), QStringList());
        QCOMPARE(leftovers(m_c->path()), QStringList());
    }

    // The sweep of leftover temporaries takes only this user's files with
    // a name we generate.
    void sweepTakesOnlyOurOwn()
    {
        const QString ours = d(".quorbix-copy-Ab3dEf6hIj9k");
        const QString similar = d(".quorbix-copy-notes");
        const QString longer = d(".quorbix-copy-Ab3dEf6hIj9k.txt");
        const QString theirs = d(".quorbix-copy-Zy8xWv7uTs6r");
        for (const QString& f : {ours, similar, longer, theirs})
            put(f, "x");
        const bool other = ::geteuid() == 0 && chownTo(theirs, kTeammate, kTeam);

        fs::copyFile("C:\\src.txt", "D:\\copy.txt");

        QVERIFY(!QFileInfo::exists(ours));
        QVERIFY(QFileInfo::exists(similar));
        QVERIFY(QFileInfo::exists(longer));
        if (!other) QSKIP("a second user is made only as the superuser");
        QVERIFY(QFileInfo::exists(theirs));
    }

    // Another user who may write a shared folder moves things while A's
    // save or paste runs: nothing of A's leaves A's folders, nothing
    // outside the folder checked is touched, and the old content comes
    // back from the copy the save made, whatever stands at its name now.
    void secondUserMoves_data()
    {
        QTest::addColumn<QString>("road"); // "copy" or "save"
        QTest::addColumn<bool>("inPlace"); // the file is the teammate's: written where it is
        QTest::addColumn<QString>("move");
        QTest::addColumn<QString>("at");
        QTest::newRow("kept copy swapped for a link to A's secret, then the disk fills")
            << "copy" << true << "kept to link"
            << "kept";
        QTest::newRow("kept copy swapped for a named pipe, then the disk fills")
            << "copy" << true << "kept to pipe"
            << "kept";
        QTest::newRow("folder swapped for a link to A's folder, paste in place")
            << "copy" << true << "folder to link"
            << "partial";
        QTest::newRow("folder swapped for a link to A's folder, save in place")
            << "save" << true << "folder to link"
            << "partial";
        QTest::newRow("folder swapped for a link to A's folder, paste through a temporary")
            << "copy" << false << "folder to link"
            << "complete";
        QTest::newRow("folder swapped for a link to A's folder, save through a temporary")
            << "save" << false << "folder to link"
            << "partial";
        QTest::newRow("a link to another file of A's planted at the keep name")
            << "save" << true << "planted keep name"
            << "";
    }

    void secondUserMoves()
    {
        QFETCH(QString, road);
        QFETCH(bool, inPlace);
        QFETCH(QString, move);
        QFETCH(QString, at);
        if (::geteuid() != 0) QSKIP("a second user is made only as the superuser");
        const uid_t a = kMember, b = kTeammate;
        const auto own = [](const QString& host, uid_t uid, mode_t mode) {
            QVERIFY(chownTo(host, uid, kTeam));
            QCOMPARE(::chmod(enc(host).constData(), mode), 0);
        };
        for (const QString& top : {m_c->path(), m_d->path()})
            QCOMPARE(::chmod(enc(top).constData(), 0755), 0);
        // A's own folder, with a secret and a report of A's own.
        QVERIFY(QDir().mkpath(c("home/docs")));
        put(c("home/secret.txt"), "A's secret");
        put(c("home/docs/report.txt"), "A's own report");
        own(c("home"), a, 0755);
        own(c("home/docs"), a, 0755);
        own(c("home/secret.txt"), a, 0600);
        own(c("home/docs/report.txt"), a, 0644);
        put(c("new.txt"), "new content");
        QCOMPARE(::chmod(enc(c("new.txt")).constData(), 0644), 0);
        // The team's folder, which both may write.
        QVERIFY(QDir().mkpath(d("team/sub")));
        own(d("team"), b, 02775);
        own(d("team/sub"), b, 02775);
        const QByteArray old = "old report, longer than what replaces it";
        put(d("team/sub/report.txt"), old);
        own(d("team/sub/report.txt"), inPlace ? b : a, 0664);
        put(d("team/sub/plan.txt"), "A's plan");
        own(d("team/sub/plan.txt"), a, 0660);
        const QByteArray keep = enc(d("team/sub/.report.txt.quorbix-keep"));
        const auto asB = [&](const std::function<bool()>& body) {
            const testsupport::ChildResult r =
                asUser(b, kTeam, [&] { return body() ? QByteArray("moved") : QByteArray(); });
            QCOMPARE(r.output, QByteArray("moved"));
        };
        if (move == "planted keep name")
            asB([&] { return ::link(enc(d("team/sub/plan.txt")), keep) == 0; });

        const bool fails = move.startsWith("kept");
        const QByteArray step = at.toLatin1();
        const testsupport::ChildResult child = writeWithMove(
            std::pair{a, kTeam}, step.constData(),
            [&] {
                return withNotices([&] {
                    if (fails) fs::failNextCopyWith(61);
                    return failureOf([&] {
                        if (road == "copy")
                            fs::copyFile("C:\\new.txt", "D:\\team\\sub\\report.txt");
                        else
                            fs::writeFileAtomic("D:\\team\\sub\\report.txt", "new content");
                    });
                });
            },
            [&] {
                asB([&] {
                    if (move == "folder to link")
                        return ::rename(enc(d("team/sub")), enc(d("team/sub.was"))) == 0 &&
                               ::symlink(enc(c("home/docs")), enc(d("team/sub"))) == 0;
                    return ::rename(keep, enc(d("team/sub/.report.txt.was"))) == 0 &&
                           (move == "kept to link" ? ::symlink(enc(c("home/secret.txt")), keep)
                                                   : ::mkfifo(keep, 0666)) == 0;
                });
            });

        QVERIFY2(child.exited, "the write hung or died");
        QCOMPARE(get(c("home/secret.txt")), QByteArray("A's secret"));
        QCOMPARE(get(c("home/docs/report.txt")), QByteArray("A's own report"));
        QCOMPARE(get(c("home/docs/plan.txt")), QByteArray("<missing>"));
        if (fails) {
            // The old content is back, from the copy the save holds open.
            QCOMPARE(child.output.left(3), QByteArray("61|"));
            QCOMPARE(get(d("team/sub/report.txt")), old);
            QCOMPARE(get(d("team/sub/.report.txt.was")), old); // what B took away
        } else {
            QCOMPARE(child.output, QByteArray("0")); // no notice either
            const QString folder = move == "folder to link" ? d("team/sub.was") : d("team/sub");
            QCOMPARE(get(folder + "/report.txt"), QByteArray("new content"));
            QCOMPARE(get(folder + "/plan.txt"), QByteArray("A's plan"));
            QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
            QStringList expected{"plan.txt", "report.txt"};
            if (move == "planted keep name") expected.prepend(".report.txt.quorbix-keep");
            QCOMPARE(names, expected);
        }
        if (move == "planted keep name") {
            struct stat planted, plan;
            QCOMPARE(::lstat(keep.constData(), &planted), 0);
            QCOMPARE(::stat(enc(d("team/sub/plan.txt")).constData(), &plan), 0);
            QCOMPARE(planted.st_ino, plan.st_ino); // B's link is left to B
        }
    }

    // A replaced file has exactly the access it had: what the folder's
    // default access list would give a new file is not given to it.
    void replacedFileKeepsItsAccess_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("ownList"); // the old file has an access list of its own
        for (const char* road : {"save", "copy"}) {
            QTest::addRow("%s over a file with no access list", road) << road << false;
            QTest::addRow("%s over a file with its own access list", road) << road << true;
        }
    }

    void replacedFileKeepsItsAccess()
    {
        QFETCH(QString, road);
        QFETCH(bool, ownList);
        QVERIFY(QDir().mkpath(d("shared")));
        // Whatever is made in the folder grants the user 4545 reading and
        // writing.
        const QByteArray folderDefault = posixAcl({{kAclUserObj, 7, kAclNoId},
                                                   {kAclUser, 6, 4545},
                                                   {kAclGroupObj, 5, kAclNoId},
                                                   {kAclMask, 7, kAclNoId},
                                                   {kAclOther, 0, kAclNoId}});
        put(d("shared/note.txt"), "old");
        QCOMPARE(::chmod(enc(d("shared/note.txt")).constData(), 0640), 0);
        const QByteArray fileList = posixAcl({{kAclUserObj, 6, kAclNoId},
                                              {kAclUser, 4, 4546},
                                              {kAclGroupObj, 4, kAclNoId},
                                              {kAclMask, 4, kAclNoId},
                                              {kAclOther, 0, kAclNoId}});
        if (::setxattr(enc(d("shared")).constData(), "system.posix_acl_default",
                       folderDefault.constData(), size_t(folderDefault.size()), 0) != 0 ||
            (ownList && ::setxattr(enc(d("shared/note.txt")).constData(), "system.posix_acl_access",
                                   fileList.constData(), size_t(fileList.size()), 0) != 0))
            QSKIP("this file system keeps no access lists");
        put(c("new.txt"), "new content");
        const QByteArray before = attribute(d("shared/note.txt"), "system.posix_acl_access");

        if (road == "copy")
            fs::copyFile("C:\\new.txt", "D:\\shared\\note.txt");
        else
            fs::writeFileAtomic("D:\\shared\\note.txt", "new content");

        QCOMPARE(get(d("shared/note.txt")), QByteArray("new content"));
        QCOMPARE(attribute(d("shared/note.txt"), "system.posix_acl_access"), before);
        QCOMPARE(before == "<none>", !ownList);
        struct stat st;
        QCOMPARE(::stat(enc(d("shared/note.txt")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0640);
    }

    // A volume that stores no modes (FAT through FUSE) refuses every change
    // of them; a save or a paste over a file there goes on where the file
    // already has what was asked, or differs only in what the owner may do,
    // and fails on any other refusal, leaving the old file.
    void modeTheVolumeCannotKeep_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<int>("oldMode"); // the target's; 0: a new copy of a read-only file
        QTest::addColumn<int>("number");
        const struct {
            const char* name;
            int errnum;
            int rightNumber; // where the mode is already right
            int wrongNumber; // where a group or other bit would change
        } refusals[] = {{"ENOSYS", ENOSYS, 0, 75},
                        {"EOPNOTSUPP", EOPNOTSUPP, 0, 75},
                        {"EPERM", EPERM, 0, 70},
                        {"EIO", EIO, 57, 57}};
        for (const auto& r : refusals) {
            for (const char* road : {"save", "paste"}) {
                QTest::addRow("%s, %s, the mode already right", r.name, road)
                    << road << r.errnum << 0644 << r.rightNumber;
                QTest::addRow("%s, %s, a group bit not kept", r.name, road)
                    << road << r.errnum << 0664 << r.wrongNumber;
            }
            QTest::addRow("%s, paste of a read-only file to a new name", r.name)
                << "paste" << r.errnum << 0 << r.rightNumber;
        }
    }

    void modeTheVolumeCannotKeep()
    {
        QFETCH(QString, road);
        QFETCH(int, refusal);
        QFETCH(int, oldMode);
        QFETCH(int, number);
        const mode_t umaskWas = ::umask(022);
        put(c("new.txt"), "new content");
        QCOMPARE(::chmod(enc(c("new.txt")).constData(), oldMode ? 0644 : 0444), 0);
        if (oldMode) {
            put(d("note.txt"), "old content");
            QCOMPARE(::chmod(enc(d("note.txt")).constData(), mode_t(oldMode)), 0);
        }
        fs::refuseModeChangesWith(refusal);
        const int got = errorOf([&] {
            if (road == "save")
                fs::writeFileAtomic("D:\\note.txt", "new content");
            else
                fs::copyFile("C:\\new.txt", "D:\\note.txt");
        });
        fs::refuseModeChangesWith(0);
        ::umask(umaskWas);

        QCOMPARE(got, number);
        QCOMPARE(get(d("note.txt")), number ? QByteArray(oldMode ? "old content" : "<missing>")
                                            : QByteArray("new content"));
        struct stat st;
        if (oldMode) {
            QCOMPARE(::stat(enc(d("note.txt")).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 07777), number ? oldMode : 0644);
        }
        QCOMPARE(leftovers(m_d->path()), QStringList());
    }

    // Two saves in place of one file at once, from two running copies of
    // the program: the second is told the file is busy and touches
    // nothing, the first wins whole, and nobody is told of a save that
    // did not finish.
    void oneWriterInPlaceAtATime()
    {
        put(d("note.txt"), "old");
        QCOMPARE(::link(enc(d("note.txt")), enc(c("second name.txt"))), 0);
        const QByteArray first(4 << 20, 'a'), second(3 << 20, 'b');
        testsupport::RecordingMessageBoxes boxes;
        QByteArray secondResult;
        const testsupport::ChildResult child = writeWithMove(
            std::nullopt, "kept",
            [&] {
                return withNotices(
                    [&] { return failureOf([&] { fs::writeFileAtomic("D:\\note.txt", first); }); });
            },
            [&] {
                secondResult = failureOf([&] { fs::writeFileAtomic("D:\\note.txt", second); });
            });

        QVERIFY(child.exited);
        QCOMPARE(child.output, QByteArray("0"));
        QCOMPARE(QString::fromUtf8(secondResult),
                 QStringLiteral("70|D:\\note.txt was left as it is: another save of it is still "
                                "at work. Try again once that save is done."));
        QCOMPARE(get(d("note.txt")), first);
        QCOMPARE(get(c("second name.txt")), first);
        fs::reportUnfinishedSaves();
        QCOMPARE(boxes.prompts(), QStringList());
        QCOMPARE(QDir(m_d->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"note.txt"}));
    }

    // A save refused for a full disk leaves the drive the room it had,
    // also where the disk ran full only at the copy of the old content.
    void refusedSaveGivesTheRoomBack()
    {
        if (::geteuid() != 0) QSKIP("a small drive is mounted only as the superuser");
        const QString drive = d("small");
        QVERIFY(QDir().mkpath(drive));
        const testsupport::ChildResult child = testsupport::inChild([&] {
            // A drive of its own, seen by this process alone.
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", enc(drive).constData(), "tmpfs", 0, "size=4m") != 0)
                return QByteArray("no mount");
            drives::setTable({{'C', m_c->path(), {}}, {'D', drive, {}}});
            // The user's home on the same drive, so that the old content
            // finds no room in the user's own folder either.
            qputenv("XDG_DATA_HOME", (drive + "/home").toUtf8());
            for (const char* f : {"/home/Quorbix/kept", "/home/Quorbix/unfinished"})
                QDir().mkpath(drive + f);
            put(drive + "/note.txt", QByteArray(1536 << 10, 'o'));
            if (::link(enc(drive + "/note.txt"), enc(drive + "/second.txt")) != 0)
                return QByteArray("no link");
            const auto freeBlocks = [&] {
                struct statvfs v;
                return ::statvfs(enc(drive).constData(), &v) == 0 ? qint64(v.f_bfree) : -1;
            };
            const qint64 before = freeBlocks();
            // Room for the new content, none left for the copy of the old.
            const QByteArray result =
                failureOf([] { fs::writeFileAtomic("D:\\note.txt", QByteArray(3 << 20, 'n')); });
            const qint64 after = freeBlocks();
            return result.left(3) + ' ' + QByteArray::number(before - after) + ' ' +
                   QByteArray::number(get(drive + "/note.txt") == QByteArray(1536 << 10, 'o'));
        });
        if (child.output == "no mount") QSKIP("no drive could be mounted here");
        QCOMPARE(child.output, QByteArray("61| 0 1"));
    }

    // A drive that kept a write in the program's memory but not on the disk
    // (a network or FUSE drive) may say so only at fsync or close: a new
    // file takes no name before it is known written, one told of after it
    // has its name goes again, and a file written over keeps its old
    // content. The failure is told as the drive told it.
    void lateWriteErrorLeavesNoPart_data()
    {
        QTest::addColumn<QString>("road"); // "new", "replace", "in place"
        QTest::addColumn<bool>("unnamed");
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("errnum");
        QTest::addColumn<bool>("elsewhere"); // the drive judged one that tells errors late
        QTest::addColumn<int>("number");
        for (bool unnamed : {true, false}) {
            const char* t = unnamed ? "unnamed" : "named";
            QTest::addRow("new file, %s temporary, full at sync", t)
                << "new" << unnamed << "sync" << ENOSPC << true << 61;
            QTest::addRow("new file, %s temporary, over quota at close", t)
                << "new" << unnamed << "close" << EDQUOT << true << 61;
            QTest::addRow("new file, %s temporary, device error at the last close", t)
                << "new" << unnamed << "last close" << EIO << true << 57;
            QTest::addRow("new file, %s temporary, a local drive full at the last close", t)
                << "new" << unnamed << "last close" << ENOSPC << false << 61;
            QTest::addRow("new file, %s temporary, a local drive with a device error at the "
                          "last close",
                          t)
                << "new" << unnamed << "last close" << EIO << false << 57;
            QTest::addRow("replacement, %s temporary, full at sync", t)
                << "replace" << unnamed << "sync" << ENOSPC << true << 61;
            QTest::addRow("replacement, %s temporary, full at close", t)
                << "replace" << unnamed << "close" << ENOSPC << true << 61;
            // A drive of a kind not known to tell errors late may do so all
            // the same: the old file goes only once the close is heard.
            QTest::addRow("replacement, %s temporary, a local drive full at close", t)
                << "replace" << unnamed << "close" << ENOSPC << false << 61;
        }
        QTest::newRow("in place, full at close")
            << "in place" << true << "close" << ENOSPC << true << 61;
    }

    void lateWriteErrorLeavesNoPart()
    {
        QFETCH(QString, road);
        QFETCH(bool, unnamed);
        QFETCH(QString, at);
        QFETCH(int, errnum);
        QFETCH(bool, elsewhere);
        QFETCH(int, number);

        const QByteArray data(300000, 's');
        put(c("in.bin"), data);
        if (road != "new") put(d("out.bin"), "old target");
        if (road == "in place") QCOMPARE(::link(enc(d("out.bin")), enc(c("other name.bin"))), 0);
        fs::setUnnamedTemporaries(unnamed);
        fs::judgeDrivesAs(elsewhere ? fs::DriveKinds::AllKeptElsewhere : fs::DriveKinds::AllLocal);
        fs::failNextFileEnd(at.toLatin1().constData(), errnum);
        QCOMPARE(errorOf([] { fs::copyFile("C:\\in.bin", "D:\\out.bin"); }), number);
        fs::judgeDrivesAs(fs::DriveKinds::AsTheyAre);

        QCOMPARE(get(d("out.bin")), road == "new" ? QByteArray("<missing>") : "old target");
        if (road == "in place") QCOMPARE(get(c("other name.bin")), QByteArray("old target"));
        QCOMPARE(leftovers(m_d->path()), QStringList());
        QVERIFY(!QFileInfo::exists(d(".out.bin.quorbix-keep")));
        // The drive's word was on that one file.
        fs::copyFile("C:\\in.bin", "D:\\out.bin");
        QCOMPARE(get(d("out.bin")), data);
    }

    // A drive mounted while the program runs is judged as it is, not as the
    // drive mounted there before, though the kernel may give it that one's
    // device number and its top folder that one's inode number; and a new
    // file whose last close fails goes again on every road, also where a
    // link's new name has an inode number of its own and where the drive
    // is taken for a local one. No part under any name, an old file whole,
    // the failure told.
    void driveMountedWhileRunning_data()
    {
        QTest::addColumn<bool>("judgedLocal"); // the drive taken for a local one
        QTest::addColumn<bool>("over");        // the paste goes over a file there
        // The program dies should a new file take its name before its close
        // was heard: only a drive judged as it is says nothing too late.
        QTest::addColumn<bool>("killedOnceNamed");
        QTest::addColumn<bool>("save"); // the editor's save instead of a paste
        QTest::newRow("to a new name") << false << false << false << false;
        QTest::newRow("to a new name, killed should it have its name before its close")
            << false << false << true << false;
        QTest::newRow("over a file") << false << true << false << false;
        QTest::newRow("to a new name, the drive taken for a local one")
            << true << false << false << false;
        QTest::newRow("over a file, the drive taken for a local one")
            << true << true << false << false;
        QTest::newRow("a save to a new name, the drive taken for a local one")
            << true << false << false << true;
        QTest::newRow("a save over a file") << false << true << false << true;
    }

    void driveMountedWhileRunning()
    {
        QFETCH(bool, judgedLocal);
        QFETCH(bool, over);
        QFETCH(bool, killedOnceNamed);
        QFETCH(bool, save);
        if (::geteuid() != 0) QSKIP("a drive is mounted only as the superuser");
        QTemporaryDir dir;
        const QString point = dir.path() + "/drive";
        const QString store = dir.path() + "/store";
        QVERIFY(QDir().mkpath(point) && QDir().mkpath(store));
        drives::setTable({{'C', m_c->path(), {}}, {'D', point, {}}});
        const auto paste = [&](const QString& name) {
            return errorOf([&] {
                if (save) return fs::writeFileAtomic("D:\\" + name, get(c(name)));
                const fs::TargetFolder into("D:\\");
                fs::copyFile("C:\\" + name, into, name);
            });
        };

        // A local drive first, and a paste into it.
        if (::mount("tmpfs", enc(point).constData(), "tmpfs", 0, "size=16m") != 0)
            QSKIP("no drive could be mounted here");
        put(c("small.txt"), "small");
        const int first = paste("small.txt");
        const QByteArray landed = get(point + "/small.txt");
        QCOMPARE(::umount(enc(point).constData()), 0);
        QCOMPARE(first, 0);
        QCOMPARE(landed, QByteArray("small"));

        // In its place a drive whose store takes 1 MB and says so at a close.
        const QByteArray old = "the old content";
        if (over) put(store + "/big.dat", old);
        LateDrive late(store, point, 1 << 20);
        if (!late.mounted()) QSKIP(qPrintable(late.why()));
        put(c("big.dat"), QByteArray(6 << 20, 'b'));
        if (killedOnceNamed) {
            const testsupport::ChildResult child = testsupport::inChild([&] {
                g_killAt = "landed";
                fs::setCopyStepHook(killAtStep);
                return QByteArray::number(paste("big.dat"));
            });
            QCOMPARE(child.signal, 0);
            QCOMPARE(child.output, QByteArray::number(ErrDiskFull));
        } else {
            if (judgedLocal) fs::judgeDrivesAs(fs::DriveKinds::AllLocal);
            QCOMPARE(paste("big.dat"), int(ErrDiskFull));
            fs::judgeDrivesAs(fs::DriveKinds::AsTheyAre);
        }

        // A name taken away from a file still open is the drive's own
        // hidden name until the file is closed (FUSE's way), and goes then.
        QStringList there =
            QDir(store).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        there.removeIf([](const QString& n) { return n.startsWith(".fuse_hidden"); });
        QCOMPARE(there, over ? QStringList{"big.dat"} : QStringList());
        if (over) QCOMPARE(get(store + "/big.dat"), old);
        // What the store can keep lands there.
        QCOMPARE(paste("small.txt"), 0);
        QCOMPARE(get(store + "/small.txt"), QByteArray("small"));
    }

    // A save refused for a full disk gives back all the room it took on
    // ext4 too, which punches nothing past a file's end: the drive's free
    // blocks and the file's own are what they were.
    void refusedSaveGivesTheRoomBackOnExt4_data()
    {
        QTest::addColumn<int>("freeMb"); // what the drive has free before the save
        QTest::newRow("no room for the new content") << 1;
        QTest::newRow("room for the new content, none for a copy of the old") << 4;
    }

    void refusedSaveGivesTheRoomBackOnExt4()
    {
        QFETCH(int, freeMb);
        testsupport::LoopDrive drive("ext4", 24, {"-q", "-F", "-m", "0"});
        if (!drive.usable()) QSKIP(qPrintable(drive.why()));
        const QString root = drive.path();
        drives::setTable({{'C', m_c->path(), {}}, {'D', root, {}}});
        // The user's own folder on the drive too, so that the copy of the
        // old content finds no room there either.
        struct DataHome {
            QByteArray was = qgetenv("XDG_DATA_HOME");
            ~DataHome() { qputenv("XDG_DATA_HOME", was); }
        } dataHome;
        qputenv("XDG_DATA_HOME", (root + "/home").toUtf8());
        for (const char* f : {"/home/Quorbix/kept", "/home/Quorbix/unfinished"})
            QVERIFY(QDir().mkpath(root + f));
        const QByteArray old(6 << 20, 'o');
        put(root + "/note.txt", old);
        QCOMPARE(::link(enc(root + "/note.txt"), enc(root + "/second.txt")), 0);
        const qint64 filler = drive.freeBlocks() * drive.blockSize() - (qint64(freeMb) << 20);
        QVERIFY(filler > 0);
        put(root + "/filler.bin", QByteArray(filler, 'f'));
        const qint64 freeBefore = drive.freeBlocks();
        const qint64 blocks = blocksOf(root + "/note.txt");

        QCOMPARE(errorOf([] { fs::writeFileAtomic("D:\\note.txt", QByteArray(9 << 20, 'n')); }),
                 int(ErrDiskFull));

        QCOMPARE(drive.freeBlocks(), freeBefore);
        QCOMPARE(blocksOf(root + "/note.txt"), blocks);
        QCOMPARE(get(root + "/note.txt"), old);
        QVERIFY(!QFileInfo::exists(root + "/.note.txt.quorbix-keep"));
    }

    // A paste gives the copy the source's modification time on every road:
    // to a new name, over a file with one name (replaced), and over a file
    // with a second name or of another user (both written in place).
    void pasteKeepsTheSourceTime_data()
    {
        QTest::addColumn<QString>("old"); // the file pasted over
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("to a new name") << "none" << false;
        QTest::newRow("over a file with one name") << "one name" << false;
        QTest::newRow("over a file with a second name") << "two names" << true;
        QTest::newRow("over another user's file") << "theirs" << true;
    }

    void pasteKeepsTheSourceTime()
    {
        QFETCH(QString, old);
        QFETCH(bool, inPlace);
        if (old == "theirs" && ::geteuid() != 0)
            QSKIP("another user's file is made only as the superuser");

        const QByteArray data(300000, 'n');
        put(c("new.txt"), data);
        const timespec times[2] = {{1000000000, 123456789}, {981173106, 987654321}};
        QCOMPARE(::utimensat(AT_FDCWD, enc(c("new.txt")).constData(), times, 0), 0);
        if (old != "none") put(d("note.txt"), "old content, of another length");
        if (old == "two names") QCOMPARE(::link(enc(d("note.txt")), enc(c("second name.txt"))), 0);
        std::optional<testsupport::WithoutCapabilities> noChown;
        if (old == "theirs") {
            QCOMPARE(::chmod(enc(d("note.txt")).constData(), 0666), 0);
            QVERIFY(chownTo(d("note.txt"), kTeammate, kTeam));
            // A program that may not give files away: a replacement could
            // not keep the owner, so the file is written where it is.
            noChown.emplace(std::initializer_list<unsigned>{CAP_CHOWN},
                            "the right to give files away");
            if (!noChown->active()) QSKIP(qPrintable(noChown->why()));
        }
        struct stat before {};
        if (old != "none") QCOMPARE(::stat(enc(d("note.txt")).constData(), &before), 0);

        fs::copyFile("C:\\new.txt", "D:\\note.txt");
        noChown.reset();

        QCOMPARE(get(d("note.txt")), data);
        struct stat after;
        QCOMPARE(::stat(enc(d("note.txt")).constData(), &after), 0);
        if (old != "none") QCOMPARE(after.st_ino == before.st_ino, inPlace);
        QCOMPARE(qint64(after.st_mtim.tv_sec), qint64(times[1].tv_sec));
        QCOMPARE(qint64(after.st_mtim.tv_nsec), qint64(times[1].tv_nsec));
    }

    // A replacement keeps the inode flags the old file's owner set, exactly
    // those: no more from its folder. Where the temporary cannot take one,
    // the file is written in place, which keeps them all.
    void replacementKeepsInodeFlags_data()
    {
        QTest::addColumn<QString>("type"); // of the drive
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("flags");       // the old file's
        QTest::addColumn<int>("folderFlags"); // what the folder gives its new files
        QTest::addColumn<bool>("byOwner");    // written by its owner, not the superuser
        QTest::addColumn<bool>("inPlace");
        const int some = FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL;
        for (const char* road : {"save", "copy"}) {
            QTest::addRow("%s, ext4, no dump, no access times, synchronous", road)
                << "ext4" << road << some << 0 << false << false;
            QTest::addRow("%s, ext4, the same by the file's owner", road)
                << "ext4" << road << some << 0 << true << false;
            QTest::addRow("%s, ext4, none where the folder gives some", road)
                << "ext4" << road << 0 << int(FS_NODUMP_FL | FS_NOATIME_FL) << false << false;
            QTest::addRow("%s, ext4, data journalling, which its owner cannot set", road)
                << "ext4" << road << int(FS_JOURNAL_DATA_FL | FS_NODUMP_FL) << 0 << true << true;
            QTest::addRow("%s, btrfs, no copy on write", road)
                << "btrfs" << road << int(FS_NOCOW_FL) << 0 << false << false;
        }
    }

    void replacementKeepsInodeFlags()
    {
        QFETCH(QString, type);
        QFETCH(QString, road);
        QFETCH(int, flags);
        QFETCH(int, folderFlags);
        QFETCH(bool, byOwner);
        QFETCH(bool, inPlace);

        const bool btrfs = type == "btrfs";
        testsupport::LoopDrive drive(type, btrfs ? 128 : 16,
                                     btrfs ? QStringList{"-q", "-f"} : QStringList{"-q", "-F"});
        if (!drive.usable()) QSKIP(qPrintable(drive.why()));
        drives::setTable({{'C', m_c->path(), {}}, {'D', drive.path(), {}}});
        const QString folder = drive.path() + "/work", note = folder + "/note.txt";
        QVERIFY(QDir().mkpath(folder));
        put(drive.path() + "/new.txt", "new content");
        // Flags such as no copy on write hold only from a file's start.
        put(note, QByteArray());
        if (flags && !setFlags(note, flags))
            QSKIP(qPrintable(QStringLiteral("this drive takes no flags %1 here: %2")
                                 .arg(flags, 0, 16)
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        QVERIFY(appendTo(note, "old content"));
        QCOMPARE(flagsOf(note), flags);
        if (folderFlags) QVERIFY(setFlags(folder, folderFlags));
        if (byOwner) {
            QVERIFY(chownTo(folder, kTeammate, kTeam));
            QVERIFY(chownTo(note, kTeammate, kTeam));
        }
        struct stat before;
        QCOMPARE(::stat(enc(note).constData(), &before), 0);

        const auto write = [&road] {
            return failureOf([&road] {
                if (road == "copy")
                    fs::copyFile("D:\\new.txt", "D:\\work\\note.txt");
                else
                    fs::writeFileAtomic("D:\\work\\note.txt", "new content");
            });
        };
        if (byOwner) {
            const testsupport::ChildResult child = asUser(kTeammate, kTeam, write);
            QVERIFY(child.exited);
            QCOMPARE(child.output, QByteArray("0"));
        } else {
            QCOMPARE(write(), QByteArray("0"));
        }

        QCOMPARE(get(note), QByteArray("new content"));
        struct stat after;
        QCOMPARE(::stat(enc(note).constData(), &after), 0);
        QCOMPARE(after.st_ino == before.st_ino, inPlace);
        QCOMPARE(flagsOf(note), flags);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"note.txt"});
    }

    // The record of a save in place is trusted only as far as it can be:
    // written and synced before the file is touched, any name carried
    // whole, a kept copy vouched for only while it is the one the save
    // made, found by the next save wherever it lies.
    void unfinishedSaveRecords_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a newline in the file's name") << "newline";
        QTest::newRow("a name too long for a keep name beside it") << "long name";
        QTest::newRow("the records cannot be written") << "no records";
        QTest::newRow("the kept copy replaced after the kill") << "replaced";
        QTest::newRow("the kept copy in the user's own folder") << "own folder";
        QTest::newRow("cut short before the record had its name") << "cut before record";
        QTest::newRow("the kept copy's drive out at the next start") << "drive out";
        QTest::newRow("cut short before the record had its name, drive out")
            << "cut before record, drive out";
    }

    void unfinishedSaveRecords()
    {
        QFETCH(QString, kind);
        QString name = "note.txt";
        if (kind == "newline") name = "two\nlines.txt";
        if (kind == "long name") name = QString(246, 'n') + ".txt";
        const QString file = d("files/" + name), win = "D:\\files\\" + name;
        QVERIFY(QDir().mkpath(d("files")));
        put(file, "old content");
        QCOMPARE(::link(enc(file), enc(c("second name"))), 0);
        const QString records = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + "/Quorbix";
        QDir(records).removeRecursively();
        std::optional<testsupport::PermissionsBind> bind;
        if (kind == "own folder") {
            // A folder that takes no new file, holding a file that may be
            // written.
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
            QCOMPARE(::chmod(enc(d("files")).constData(), 0555), 0);
        }
        if (kind == "no records") {
            QVERIFY(QDir().mkpath(records));
            put(records + "/unfinished", "not a folder");
            const QByteArray got = failureOf([&] { fs::writeFileAtomic(win, "new content"); });
            QVERIFY2(got.startsWith("76|D:\\files\\note.txt was left as it was: the record of "
                                    "this save"),
                     got.constData());
            QCOMPARE(get(file), QByteArray("old content"));
            QCOMPARE(QDir(d("files")).entryList(QDir::Files | QDir::Hidden),
                     QStringList({"note.txt"}));
            return;
        }

        const testsupport::ChildResult child = testsupport::inChild([&] {
            g_killAt = kind.startsWith("cut before record") ? "kept named" : "kept";
            fs::setCopyStepHook(killAtStep);
            fs::writeFileAtomic(win, "new content");
            return QByteArray("not killed");
        });
        QCOMPARE(child.signal, SIGKILL);
        const bool driveOut = kind.endsWith("drive out");
        if (driveOut) {
            // The drive is taken out before the next start: the record waits
            // for it, tells nothing and takes nothing away meanwhile.
            QVERIFY(QDir().rename(d("files"), c("files on the stick")));
            testsupport::RecordingMessageBoxes boxes;
            fs::reportUnfinishedSaves();
            fs::reportUnfinishedSaves();
            QCOMPARE(boxes.prompts(), QStringList());
            QCOMPARE(QDir(records + "/unfinished").entryList(QDir::Files | QDir::Hidden).size(), 1);
            QVERIFY(QDir().rename(c("files on the stick"), d("files")));
        }
        if (kind.startsWith("cut before record")) {
            // The file was not touched yet: there is nothing to tell, and
            // the copy that had its name already is taken away.
            QCOMPARE(QDir(d("files")).entryList(QDir::Files | QDir::Hidden),
                     QStringList({".note.txt.quorbix-keep", "note.txt"}));
            testsupport::RecordingMessageBoxes boxes;
            fs::reportUnfinishedSaves();
            QCOMPARE(boxes.prompts(), QStringList());
            QCOMPARE(get(file), QByteArray("old content"));
            QCOMPARE(QDir(d("files")).entryList(QDir::Files | QDir::Hidden),
                     QStringList({"note.txt"}));
            QCOMPARE(QDir(records + "/unfinished").entryList(QDir::Files | QDir::Hidden),
                     QStringList());
            return;
        }
        QString kept = "D:\\files\\." + name + ".quorbix-keep";
        if (kind == "long name") {
            const QStringList beside =
                QDir(d("files")).entryList({".quorbix-keep-*"}, QDir::Files | QDir::Hidden);
            QCOMPARE(beside.size(), 1);
            QCOMPARE(beside.first().size(), 30);
            kept = "D:\\files\\" + beside.first();
        }
        if (kind == "own folder") {
            bind.reset();
            const QStringList there = QDir(records + "/kept").entryList(QDir::Files | QDir::Hidden);
            QCOMPARE(there, QStringList({".note.txt.quorbix-keep"}));
            kept = records + "/kept/.note.txt.quorbix-keep";
            QCOMPARE(get(kept), QByteArray("old content"));
        }
        if (kind == "replaced") {
            if (::geteuid() != 0) QSKIP("a second user is made only as the superuser");
            const QString there = d("files/.note.txt.quorbix-keep");
            QVERIFY(QFile::remove(there));
            put(there, "the teammate's file");
            QVERIFY(chownTo(there, kTeammate, kTeam));
        }
        const QString told =
            QStringLiteral("A save of %1 did not finish. The file's content from before that "
                           "save is kept in %2.")
                .arg(win, kept);

        testsupport::RecordingMessageBoxes boxes;
        fs::reportUnfinishedSaves();
        if (kind == "replaced") {
            QCOMPARE(boxes.prompts(),
                     QStringList({"A save of D:\\files\\note.txt did not finish. The copy of its "
                                  "content from before that save was kept in "
                                  "D:\\files\\.note.txt.quorbix-keep, but what is there now is "
                                  "not that copy: it has been moved or replaced since."}));
            boxes.clear();
            fs::reportUnfinishedSaves(); // told once
            QCOMPARE(boxes.prompts(), QStringList());
            return;
        }
        QCOMPARE(boxes.prompts(), QStringList({told}));
        // The next save of the file finds the copy too, wherever it lies.
        boxes.clear();
        if (kind == "own folder") bind.emplace();
        fs::writeFileAtomic(win, "saved again");
        bind.reset();
        QCOMPARE(boxes.prompts(), QStringList({told}));
        QCOMPARE(get(c("second name")), QByteArray("saved again"));
    }

    // Whatever stops a write in place half-way, not only a file error, the
    // old content is put back before the failure goes on, and nothing of
    // the save is left behind to be told at the next start.
    void anyFailureInPlaceRestores_data()
    {
        QTest::addColumn<QString>("thrown");
        QTest::newRow("memory ran out") << "bad_alloc";
        QTest::newRow("any other exception") << "runtime_error";
    }

    void anyFailureInPlaceRestores()
    {
        QFETCH(QString, thrown);
        put(d("note.txt"), "the old content, longer than the new");
        QCOMPARE(::link(enc(d("note.txt")), enc(c("second name"))), 0);
        static QString s_thrown;
        s_thrown = thrown;
        fs::setCopyStepHook([](const char* step) {
            if (std::strcmp(step, "partial") != 0) return;
            if (s_thrown == "bad_alloc") throw std::bad_alloc();
            throw std::runtime_error("stopped");
        });
        bool caught = false;
        try {
            fs::writeFileAtomic("D:\\note.txt", "new");
        } catch (const std::bad_alloc&) {
            caught = thrown == "bad_alloc";
        } catch (const std::runtime_error& e) {
            caught = thrown == "runtime_error" && !dynamic_cast<const FileError*>(&e);
        }
        fs::setCopyStepHook(nullptr);
        QVERIFY(caught);
        QCOMPARE(get(c("second name")), QByteArray("the old content, longer than the new"));
        QCOMPARE(QDir(m_d->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"note.txt"}));
        testsupport::RecordingMessageBoxes boxes;
        fs::reportUnfinishedSaves();
        QCOMPARE(boxes.prompts(), QStringList());
    }

    // A paste stays on the drive it began on: once its folder is no longer
    // there (the drive unmounted, the folder replaced), the files left are
    // refused and nothing lands where the folder's path leads now.
    void copiesStayInTheirFolder_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("the folder replaced by an empty one") << "replaced";
        QTest::newRow("the drive unmounted") << "unmounted";
    }

    void copiesStayInTheirFolder()
    {
        QFETCH(QString, change);
        if (change == "unmounted" && ::geteuid() != 0)
            QSKIP("a drive is mounted only as the superuser");
        for (const char* n : {"a.txt", "b.txt"})
            put(c(n), n);
        const QString folder = d("usb");
        QVERIFY(QDir().mkpath(folder));
        const testsupport::ChildResult child = testsupport::inChild([&] {
            if (change == "unmounted" &&
                (::unshare(CLONE_NEWNS) != 0 ||
                 ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                 ::mount("tmpfs", enc(folder).constData(), "tmpfs", 0, "size=4m") != 0))
                return QByteArray("no mount");
            QByteArray out;
            fs::TargetFolder into("D:\\usb");
            out += failureOf([&] { fs::copyFile("C:\\a.txt", into, "a.txt"); });
            if (change == "unmounted") {
                // The drive is held while the paste runs; an eject that
                // goes ahead anyway takes it from under the paste.
                if (::umount(enc(folder).constData()) != 0)
                    ::umount2(enc(folder).constData(), MNT_DETACH);
            } else {
                ::rename(enc(folder).constData(), enc(d("usb.was")).constData());
                QDir().mkpath(folder);
            }
            out += ' ' + failureOf([&] { fs::copyFile("C:\\b.txt", into, "b.txt"); });
            out += ' ' + QDir(folder)
                             .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                             .join(',')
                             .toUtf8();
            return out;
        });
        if (child.output == "no mount") QSKIP("no drive could be mounted here");
        QCOMPARE(child.output, QByteArray("0 76| "));
        if (change == "replaced")
            QCOMPARE(QDir(d("usb.was")).entryList(QDir::Files), QStringList({"a.txt"}));
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
        QTest::newRow("file onto another name of itself") << "C:\\a.txt"
                                                          << "C:\\h.txt" << 58;
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
        const bool hardLink = to.endsWith("h.txt");
        if (hardLink) QCOMPARE(::link(enc(c("a.txt")), enc(c("h.txt"))), 0);

        QCOMPARE(errorOf([&] { fs::rename(from, to); }), number);
        if (hardLink) QCOMPARE(get(c("h.txt")), QByteArray("AAA"));

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

    // A volume that compares names without case finds the file or folder
    // being renamed under its new spelling: that is no duplicate, whether
    // the volume numbers each spelling anew (FUSE drives) or finds one
    // inode under both, to which a rename from one to the other is
    // nothing. Another entry, or another name of the same file, still is.
    void caseOnlyRename_data()
    {
        QTest::addColumn<bool>("perSpelling");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("lastMoveFails"); // errno of the move to the new name
        QTest::addColumn<QString>("result");    // number and message, as failureOf
        QTest::addColumn<QStringList>("names"); // the folder afterwards
        QTest::addColumn<QString>("file");      // where Case.txt's content is
        const QStringList before{"Case.txt", "Dir", "a.txt", "b.txt"};
        for (const bool perSpelling : {false, true}) {
            const char* volume = perSpelling ? "a number for each spelling" : "one inode";
            QTest::addRow("%s: file", volume)
                << perSpelling << "Case.txt"
                << "CASE.txt" << 0 << "0" << QStringList{"CASE.txt", "Dir", "a.txt", "b.txt"}
                << "CASE.txt";
            QTest::addRow("%s: folder", volume)
                << perSpelling << "Dir"
                << "DIR" << 0 << "0" << QStringList{"Case.txt", "DIR", "a.txt", "b.txt"}
                << "Case.txt";
            QTest::addRow("%s: another file's spelling", volume)
                << perSpelling << "a.txt"
                << "B.TXT" << 0 << "58|" << before << "Case.txt";
            QTest::addRow("%s: the same name", volume)
                << perSpelling << "Case.txt"
                << "Case.txt" << 0 << "58|" << before << "Case.txt";
        }
        QTest::newRow("one inode: another name of the same file")
            << false << "a.txt"
            << "A.TXT" << 0 << "58|" << before << "Case.txt";
        QTest::newRow("the volume fails the move to the new name")
            << false << "Case.txt"
            << "CASE.txt" << EIO << "57|" << before << "Case.txt";
        // Another program's file of the new name then takes the old one too.
        QTest::newRow("the new name taken just before the last move")
            << false << "Case.txt"
            << "CASE.txt" << EEXIST
            << "58|C:\\vol\\Case.txt could not take its new name, nor its old one back; it is "
               "now named C:\\vol\\quorbix-rename-*."
            << QStringList{"CASE.txt", "Dir", "a.txt", "b.txt", "quorbix-rename-*"}
            << "quorbix-rename-*";
    }

    void caseOnlyRename()
    {
        QFETCH(bool, perSpelling);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, lastMoveFails);
        QFETCH(QString, result);
        QFETCH(QStringList, names);
        QFETCH(QString, file);
        QVERIFY(QDir().mkpath(c("vol/Dir")));
        put(c("vol/Case.txt"), "case");
        put(c("vol/Dir/in.txt"), "in the folder");
        put(c("vol/a.txt"), "a");
        put(c("vol/b.txt"), "b");
        const bool otherName = QByteArray(QTest::currentDataTag()).contains("another name");
        if (otherName) QCOMPARE(::link(enc(c("vol/a.txt")), enc(c("a hard link"))), 0);
        CaseBlindVolume volume;
        volume.perSpelling = perSpelling;
        volume.lastMoveFails = lastMoveFails;
        volume.newName = enc(c("vol/" + to));
        fs::setRenameSeam(&volume);

        const QByteArray got = failureOf([&] { fs::rename("C:\\vol\\" + from, "C:\\vol\\" + to); });
        fs::setRenameSeam(nullptr);

        // The name a file takes on its way is not known in advance.
        static const QRegularExpression between("quorbix-rename-[A-Za-z0-9]{12}");
        const auto blurred = [](QString text) {
            return text.replace(between, QStringLiteral("quorbix-rename-*"));
        };
        QCOMPARE(blurred(QString::fromUtf8(got)), result);
        QStringList listed = QDir(c("vol")).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        const QStringList real = listed;
        for (QString& name : listed)
            name = blurred(name);
        QCOMPARE(listed, names);
        QCOMPARE(get(c("vol/" + real.at(listed.indexOf(file)))), QByteArray("case"));
        const QString folder = names.contains("DIR") ? "DIR" : "Dir";
        QCOMPARE(get(c("vol/" + folder + "/in.txt")), QByteArray("in the folder"));
        QCOMPARE(get(c("vol/a.txt")), QByteArray("a"));
        QCOMPARE(get(c("vol/b.txt")), QByteArray("b"));
    }

    // The same on an exFAT stick through FUSE, as a USB stick is used.
    void caseOnlyRenameOnExfat_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("file") << "Case.txt"
                              << "CASE.txt" << 0 << QStringList{"CASE.txt", "Dir", "other.txt"};
        QTest::newRow("folder") << "Dir"
                                << "DIR" << 0 << QStringList{"Case.txt", "DIR", "other.txt"};
        QTest::newRow("another file's spelling")
            << "other.txt"
            << "case.TXT" << 58 << QStringList{"Case.txt", "Dir", "other.txt"};
    }

    void caseOnlyRenameOnExfat()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, number);
        QFETCH(QStringList, names);
        ExfatStick stick(d("stick"));
        if (!stick.mounted()) QSKIP(qPrintable(stick.why()));
        put(stick.path() + "/Case.txt", "case");
        put(stick.path() + "/other.txt", "other");
        QVERIFY(QDir().mkpath(stick.path() + "/Dir"));
        put(stick.path() + "/Dir/in.txt", "in the folder");
        drives::setTable({{'C', m_c->path(), {}}, {'E', stick.path(), {}}});

        QCOMPARE(errorOf([&] { fs::rename("E:\\" + from, "E:\\" + to); }), number);

        QStringList listed = QDir(stick.path())
                                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                            QDir::Name | QDir::IgnoreCase);
        QCOMPARE(listed, names);
        QCOMPARE(get(stick.path() + "/" + (names.contains("CASE.txt") ? "CASE.txt" : "Case.txt")),
                 QByteArray("case"));
        QCOMPARE(get(stick.path() + "/other.txt"), QByteArray("other"));
        QCOMPARE(get(stick.path() + "/Dir/in.txt"), QByteArray("in the folder"));
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
