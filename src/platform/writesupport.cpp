#include "platform/writesupport.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace plat::fs {

namespace detail {

namespace {

void (*g_stepHook)(const char*) = nullptr;

// The failure a test asked of the next sync, close or last close of a
// written file.
QByteArray g_failAt;
int g_failWith = 0;

DriveKinds g_driveKinds = DriveKinds::AsTheyAre;

int injectedAt(const char* at)
{
    if (g_failWith == 0 || g_failAt != at) return 0;
    g_failAt.clear();
    return std::exchange(g_failWith, 0);
}

constexpr char kAccessList[] = "system.posix_acl_access";

} // namespace

bool g_unnamedTemporaries = true;

QByteArray enc(const QString& host)
{
    return drives::hostBytes(host);
}

QString dec(const QByteArray& hostBytes)
{
    return drives::hostString(hostBytes);
}

void splitHost(const QString& host, QByteArray* folder, QByteArray* name)
{
    const QByteArray bytes = enc(host);
    const qsizetype slash = bytes.lastIndexOf('/');
    *folder = slash <= 0 ? QByteArray("/") : bytes.left(slash);
    *name = bytes.mid(slash + 1);
}

void step(const char* name)
{
    if (g_stepHook) g_stepHook(name);
}

QString joinHost(const QString& folder, const QByteArray& name)
{
    return (folder.endsWith('/') ? folder : folder + '/') + dec(name);
}

// The name as the user knows it, for messages.
QString shownHost(const QByteArray& hostBytes)
{
    const QString win = drives::toWindows(hostBytes);
    return win.isEmpty() ? dec(hostBytes) : win;
}

// The name under which the system shows an open descriptor's file.
QByteArray procPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The path a folder's descriptor stands at now, for messages; the path it
// was reached by where the system cannot say.
QString pathOf(int dir, const QString& fallback)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(procPath(dir).constData(), buf, sizeof buf);
    if (n <= 0 || buf[0] != '/') return fallback;
    const QByteArray path(buf, int(n));
    if (path.endsWith(" (deleted)")) return fallback;
    return dec(path);
}

// A failure to make something in a held folder. The folder itself is
// there (we hold it): a missing name there means it has been removed.
[[noreturn]] void raiseIn(int e, const QString& host)
{
    if (e == ENOENT) raise(ErrPathNotFound, errorText(e), FileCause::FolderMissing);
    raiseErrno(e, host);
}

// Removes name from dir only while it is still the file we know (device
// and inode): another user who may write the folder can have put
// something else there since.
void unlinkIfSame(int dir, const QByteArray& name, const struct stat& ours)
{
    struct stat now;
    if (::fstatat(dir, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        now.st_dev == ours.st_dev && now.st_ino == ours.st_ino)
        ::unlinkat(dir, name.constData(), 0);
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// 0 or an errno. A folder we may write but not read cannot be opened to be
// synced: its names then reach the disk when the system writes them back.
int syncFolder(int dir)
{
    const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EPERM ? 0 : errno;
    const int e = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return e;
}

QByteArray randomPart()
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray out(kRandomLength, Qt::Uninitialized);
    for (char& c : out)
        c = chars[QRandomGenerator::global()->bounded(int(sizeof chars - 1))];
    return out;
}

// The longest name the folder's file system takes.
qsizetype nameMax(int dir)
{
    struct statfs fs;
    if (::fstatfs(dir, &fs) == 0 && fs.f_namelen > 0) return qsizetype(fs.f_namelen);
    return NAME_MAX;
}

// Takes away the access list a folder's default list gave a new file, so
// that its permission bits alone say who may read it.
void dropAccessList(int fd)
{
    ::fremovexattr(fd, kAccessList);
}

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to)
{
#ifdef SYS_renameat2
    return int(::syscall(SYS_renameat2, fromDir, from, toDir, to, 1u /* RENAME_NOREPLACE */));
#else
    errno = ENOSYS;
    return -1;
#endif
}

int renameOverPlaceholder(int fromDir, const char* from, int toDir, const char* to, bool folder)
{
    if (folder) {
        if (::mkdirat(toDir, to, 0700) != 0) return -1;
    } else {
        const int fd =
            ::openat(toDir, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) return -1;
        ::close(fd);
    }
    if (::renameat(fromDir, from, toDir, to) != 0) {
        const int e = errno;
        ::unlinkat(toDir, to, folder ? AT_REMOVEDIR : 0);
        errno = e;
        return -1;
    }
    return 0;
}

int moveToFree(int fromDir, const char* from, int toDir, const char* to)
{
    if (renameNoReplace(fromDir, from, toDir, to) == 0) return 0;
    // Unsupported flag, or a folder moved into itself; the fallbacks
    // report the latter on their own.
    if (errno != EINVAL && errno != ENOSYS) return errno;
    struct stat st;
    if (::fstatat(fromDir, from, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (S_ISDIR(st.st_mode))
        return renameOverPlaceholder(fromDir, from, toDir, to, true) == 0 ? 0 : errno;
    if (::linkat(fromDir, from, toDir, to, 0) == 0) {
        if (::unlinkat(fromDir, from, 0) == 0) return 0;
        const int e = errno;
        ::unlinkat(toDir, to, 0);
        return e;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    return renameOverPlaceholder(fromDir, from, toDir, to, false) == 0 ? 0 : errno;
}

int moveToFreeName(int dir, const char* from, const char* to)
{
    return moveToFree(dir, from, dir, to);
}

// A folder of the user's own under the data folder (~/.local/share/Quorbix/
// leaf), made 0700 and opened; invalid, with errno set, where it cannot be
// had or is not the user's. *host receives its path.
Fd ownFolder(const char* leaf, QString* host, bool make)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        errno = ENOENT;
        return Fd();
    }
    const QString folder = base + QStringLiteral("/Quorbix/") + QLatin1String(leaf);
    if (host) *host = folder;
    if (make) QDir().mkpath(folder);
    Fd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return fd;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return Fd();
    if (st.st_uid != ::geteuid()) {
        errno = EPERM;
        return Fd();
    }
    if ((st.st_mode & 07777) != 0700) ::fchmod(fd.get(), 0700);
    return fd;
}

int g_refusedModeChanges = 0;

namespace {

int changeMode(int fd, mode_t bits)
{
    if (g_refusedModeChanges) return g_refusedModeChanges;
    return ::fchmod(fd, bits) == 0 ? 0 : errno;
}

} // namespace

int setModeAsVolumeKeeps(int fd, mode_t wanted)
{
    wanted &= 07777;
    const int e = changeMode(fd, wanted);
    if (e == 0 || (e != ENOSYS && e != EOPNOTSUPP && e != EPERM)) return e;
    struct stat st;
    if (::fstat(fd, &st) != 0) return e;
    const mode_t has = st.st_mode & 07777;
    if (has == wanted) return 0;
    const int again = changeMode(fd, has);
    const bool keepsNone = again == ENOSYS || again == EOPNOTSUPP || again == EPERM;
    return keepsNone && ((has ^ wanted) & ~mode_t(S_IRWXU)) == 0 ? 0 : e;
}

// Sends what was written of fd up to `end` on to the disk without waiting,
// so that a sync after it has little left to wait for.
void startWriteBack(int fd, off_t* sent, off_t end)
{
    constexpr off_t kChunk = off_t(8) << 20;
    if (end - *sent < kChunk) return;
    ::sync_file_range(fd, *sent, end - *sent, SYNC_FILE_RANGE_WRITE);
    *sent = end;
}

bool keptElsewhere(int fd)
{
    if (g_driveKinds != DriveKinds::AsTheyAre) return g_driveKinds == DriveKinds::AllKeptElsewhere;
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x6B414653: // AFS (kAFS)
    case 0x73757245: // Coda
        return true;
    default:
        return false;
    }
}

int syncWritten(int fd)
{
    if (const int e = injectedAt("sync")) return e;
    return ::fsync(fd) == 0 ? 0 : errno;
}

int flushWritten(int fd)
{
    if (const int e = injectedAt("close")) return e;
    for (;;) {
        const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (copy < 0) return errno;
        if (::close(copy) == 0) return 0;
        // Interrupted before the file system had its say: ask again.
        if (errno != EINTR) return errno;
    }
}

int closeWritten(Fd& fd)
{
    const int injected = injectedAt("last close");
    // An interrupted close has closed the descriptor all the same; what
    // the file system had to tell, flushWritten has heard.
    const int e = ::close(fd.release()) == 0 || errno == EINTR ? 0 : errno;
    return injected ? injected : e;
}

} // namespace detail

void failNextFileEnd(const char* at, int errnum)
{
    detail::g_failAt = at;
    detail::g_failWith = errnum;
}

void judgeDrivesAs(DriveKinds kinds)
{
    detail::g_driveKinds = kinds;
}

void setCopyStepHook(void (*hook)(const char* step))
{
    detail::g_stepHook = hook;
}

void setUnnamedTemporaries(bool allowed)
{
    detail::g_unnamedTemporaries = allowed;
}

void refuseModeChangesWith(int errnum)
{
    detail::g_refusedModeChanges = errnum;
}

} // namespace plat::fs
