#include "platform/safewrite.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace plat::fs {

namespace detail {

namespace {

void (*g_stepHook)(const char*) = nullptr;
bool g_unnamedTemporaries = true;

// Every temporary file we put in a user's folder starts with this, so that
// one left by a crash is known as ours and removed at the next copy there.
constexpr char kTempPrefix[] = ".quorbix-copy-";
constexpr int kRandomLength = 12; // letters and digits after the prefix

constexpr char kAccessList[] = "system.posix_acl_access";

} // namespace

void Fd::reset(int fd)
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
}

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

namespace {

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

// Per folder (device and inode), its modification time after our last
// copy into it: while it is unchanged, nobody can have left anything there
// since we last swept it.
std::map<std::pair<dev_t, ino_t>, timespec> g_swept;

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void noteFolder(int dir)
{
    struct stat st;
    if (::fstat(dir, &st) == 0) g_swept[{st.st_dev, st.st_ino}] = st.st_mtim;
}

// A name of the form randomPart() gives behind our prefix, exactly. In a
// shared folder someone else's ".quorbix-copy-notes" is not ours to take.
bool isTemporaryName(const char* name)
{
    if (std::strncmp(name, kTempPrefix, sizeof kTempPrefix - 1) != 0) return false;
    const char* rest = name + sizeof kTempPrefix - 1;
    int n = 0;
    for (; rest[n]; ++n)
        if (!std::isalnum(static_cast<unsigned char>(rest[n]))) return false;
    return n == kRandomLength;
}

// Removes the temporary files a crashed copy left in a folder: only files
// of this user with a name we generate. A copy at work holds a lock on its
// file; one we can lock has no writer left.
void sweepStale(int folder)
{
    struct stat fst;
    if (::fstat(folder, &fst) != 0) return;
    const auto it = g_swept.find({fst.st_dev, fst.st_ino});
    if (it != g_swept.end() && sameTime(it->second, fst.st_mtim)) return;
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return; // a folder we may write but not read: nothing to see
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    while (dirent* ent = ::readdir(dir)) {
        if (!isTemporaryName(ent->d_name)) continue;
        const int fd =
            ::openat(folder, ent->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlinkIfSame(folder, QByteArray(ent->d_name), st);
        ::close(fd);
    }
    ::closedir(dir);
}

// A temporary file in a held folder, locked while it is written. Without a
// name (O_TMPFILE) a crash leaves nothing at all; with one, it leaves a
// file with our prefix for the next sweep.
struct TempFile {
    int dir = -1;
    Fd fd;
    QByteArray name; // empty while the file has no name
    struct stat st {};

    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { discard(); }
    void discard()
    {
        if (!name.isEmpty() && ::fstat(fd.get(), &st) == 0) unlinkIfSame(dir, name, st);
        fd.reset();
        name.clear();
    }

    // 0 or an errno. `access` is O_WRONLY or O_RDWR.
    int open(int folder, mode_t mode, bool unnamed, int access = O_WRONLY)
    {
        dir = folder;
        if (unnamed) {
            // Nothing can sweep a file without a name: it is locked only
            // once it gets one.
            const int f = ::openat(dir, ".", O_TMPFILE | access | O_CLOEXEC, mode);
            if (f >= 0) {
                fd.reset(f);
                return 0;
            }
            // Kernels and file systems without O_TMPFILE: a named file.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = kTempPrefix + randomPart();
            const int f = ::openat(dir, candidate.constData(),
                                   access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (f < 0) {
                if (errno == EEXIST) continue;
                return errno;
            }
            ::flock(f, LOCK_EX);
            // A sweep may have taken the name away before our lock.
            struct stat now;
            if (::fstat(f, &now) == 0 && now.st_nlink == 0) {
                ::close(f);
                continue;
            }
            fd.reset(f);
            name = candidate;
            return 0;
        }
        return EEXIST;
    }

    // Gives an unnamed file a temporary name of ours; 0 or an errno.
    int nameIt()
    {
        ::flock(fd.get(), LOCK_EX); // before the name shows, so that no sweep takes it
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = kTempPrefix + randomPart();
            const int e = linkUnnamed(candidate.constData());
            if (e == EEXIST) continue;
            if (e == 0) name = candidate;
            return e;
        }
        return EEXIST;
    }

    // Links the unnamed file under a name in its folder that must be free;
    // 0 or an errno.
    int linkUnnamed(const char* to) const
    {
        if (::linkat(AT_FDCWD, procPath(fd.get()).constData(), dir, to, AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != ENOENT) return errno;
        // No /proc: the kernel links the descriptor itself (may need a
        // privilege).
        if (::linkat(fd.get(), "", dir, to, AT_EMPTY_PATH) == 0) return 0;
        return errno;
    }

    // Gives the file `to` in its folder, a name that must be free; 0 or an
    // errno. The file is no longer ours to remove.
    int takeName(const char* to)
    {
        const int e = name.isEmpty() ? linkUnnamed(to) : moveToFreeName(dir, name.constData(), to);
        if (e == 0) name.clear();
        return e;
    }
};

// --- extended attributes ---

// The names of a file's extended attributes; nullopt where they cannot be
// told. list(buffer, size) is the listing call.
std::optional<std::vector<QByteArray>>
attributeNames(const std::function<ssize_t(char*, size_t)>& list)
{
    std::vector<QByteArray> out;
    ssize_t size = list(nullptr, 0);
    if (size < 0) {
        if (errno == ENOTSUP) return out; // a file system without any
        return std::nullopt;
    }
    if (size == 0) return out;
    QByteArray names(size, Qt::Uninitialized);
    size = list(names.data(), size_t(names.size()));
    if (size < 0) return std::nullopt;
    for (qsizetype at = 0; at < size;) {
        const qsizetype len = qsizetype(std::strlen(names.constData() + at));
        out.emplace_back(names.constData() + at, len);
        at += len + 1;
    }
    return out;
}

std::optional<QByteArray> attributeValue(const std::function<ssize_t(char*, size_t)>& get)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = get(nullptr, 0);
        if (n < 0) return std::nullopt;
        QByteArray value(n, Qt::Uninitialized);
        const ssize_t got = get(value.data(), size_t(value.size()));
        if (got >= 0) return value.left(got);
        if (errno != ERANGE) return std::nullopt; // ERANGE: it grew meanwhile
    }
    return std::nullopt;
}

// Gives a replacement exactly the extended attributes of the file it
// replaces, the access control list among them: the ones the folder's
// default list or the system gave the new file go, the old file's come.
// False where the new file cannot be made so (an attribute the file
// system or our privileges refuse): it would not have the old one's access.
bool matchAttributes(const Target& old, int to)
{
    // The old file as it was checked, through its descriptor; by its name
    // only on a system without /proc.
    QByteArray from = procPath(old.pin.get());
    bool follow = true;
    if (::access(from.constData(), F_OK) != 0) {
        from = enc(old.host);
        follow = false;
    }
    const char* f = from.constData();
    const auto oldNames = attributeNames(
        [&](char* b, size_t n) { return follow ? ::listxattr(f, b, n) : ::llistxattr(f, b, n); });
    const auto newNames = attributeNames([&](char* b, size_t n) { return ::flistxattr(to, b, n); });
    if (!oldNames || !newNames) return false;
    for (const QByteArray& name : *newNames) {
        if (std::find(oldNames->begin(), oldNames->end(), name) != oldNames->end()) continue;
        if (::fremovexattr(to, name.constData()) != 0 && errno != ENODATA) return false;
    }
    for (const QByteArray& name : *oldNames) {
        const auto value = attributeValue([&](char* b, size_t n) {
            return follow ? ::getxattr(f, name.constData(), b, n)
                          : ::lgetxattr(f, name.constData(), b, n);
        });
        if (!value) {
            if (errno == ENODATA) continue; // gone from the old file meanwhile
            return false;
        }
        if (::fsetxattr(to, name.constData(), value->constData(), size_t(value->size()), 0) == 0)
            continue;
        // One the system sets itself may already hold that value.
        const auto now = attributeValue(
            [&](char* b, size_t n) { return ::fgetxattr(to, name.constData(), b, n); });
        if (!now || *now != *value) return false;
    }
    return true;
}

// Takes away the access list a folder's default list gave a new file, so
// that its permission bits alone say who may read it.
void dropAccessList(int fd)
{
    ::fremovexattr(fd, kAccessList);
}

// --- links the user chose ---

// A link the user chose is written through: the file it leads to receives
// the data, in its own folder, which is opened and held as the target's
// folder was. The link is read relative to the folder it is in; on return
// t names the file the link leads to and pin holds it.
void followLink(Target& t, Fd& pin)
{
    int dir = t.dir;
    Fd held;
    QByteArray name = t.name;
    QString folderHost = t.folderHost;
    for (int hops = 0; hops < 40; ++hops) {
        char buf[PATH_MAX];
        const ssize_t n = ::readlinkat(dir, name.constData(), buf, sizeof buf);
        if (n < 0) raiseErrno(errno, t.host);
        const QByteArray to(buf, int(n));
        const qsizetype slash = to.lastIndexOf('/');
        const QByteArray folderPart =
            slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : to.left(slash));
        Fd next(::openat(to.startsWith('/') ? AT_FDCWD : dir, folderPart.constData(),
                         O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!next.valid()) {
            const int e = errno;
            if (e == ENOENT || e == ENOTDIR || e == ELOOP)
                raise(ErrPathFileAccess, QStringLiteral("target is a link to nothing"));
            raiseErrno(e, t.host);
        }
        folderHost = to.startsWith('/')  ? dec(folderPart)
                     : folderPart == "." ? folderHost
                                         : joinHost(folderHost, folderPart);
        name = to.mid(slash + 1);
        held = std::move(next);
        dir = held.get();
        if (name.isEmpty() || name == "." || name == "..")
            raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
        pin.reset(::openat(dir, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!pin.valid()) {
            const int e = errno;
            if (e == ENOENT)
                raise(ErrPathFileAccess, QStringLiteral("target is a link to nothing"));
            raiseErrno(e, t.host);
        }
        if (::fstat(pin.get(), &t.st) != 0) raiseErrno(errno, t.host);
        if (S_ISLNK(t.st.st_mode)) continue;
        t.ownDir = std::move(held);
        t.dir = t.ownDir.get();
        t.name = name;
        t.folderHost = pathOf(t.dir, folderHost);
        t.host = joinHost(t.folderHost, name);
        return;
    }
    raise(ErrPathFileAccess, QStringLiteral("target is a link to nothing")); // a loop
}

// A file the user would call read-only: no write bit at all, or one we may
// not write. Root passes every access() test, but a file marked read-only
// must still not be replaced behind the user's back.
bool isReadOnly(const Target& t)
{
    if ((t.st.st_mode & 0222) == 0) return true;
    if (::access(procPath(t.pin.get()).constData(), W_OK) == 0) return false;
    if (errno != ENOENT) return true;
    return ::faccessat(t.dir, t.name.constData(), W_OK, 0) != 0; // no /proc
}

} // namespace

Folder openFolder(const QString& host)
{
    Folder f;
    f.host = host;
    f.fd.reset(::open(enc(host).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!f.fd.valid()) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR)
            raise(ErrPathNotFound, errorText(e), FileCause::FolderMissing);
        raiseErrno(e, host);
    }
    if (::fstat(f.fd.get(), &f.st) != 0) raiseErrno(errno, host);
    return f;
}

void checkStillThere(const Folder& folder)
{
    struct stat now;
    if (::stat(enc(folder.host).constData(), &now) == 0 && now.st_dev == folder.st.st_dev &&
        now.st_ino == folder.st.st_ino)
        return;
    raise(ErrPathNotFound, QStringLiteral("the folder is no longer the one the copy began in"),
          FileCause::FolderMissing);
}

Target checkTarget(const Folder& in, const QByteArray& name, NameOf kind, const struct stat* source)
{
    Target t;
    t.dir = in.fd.get();
    t.folderHost = in.host;
    t.name = name;
    t.host = joinHost(in.host, name);
    if (name.isEmpty() || name == "." || name == "..")
        raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
    // A file is made only where its path can name it: nothing, here or in
    // any other program, could open it by its path afterwards.
    if (enc(t.host).size() >= PATH_MAX) raiseErrno(ENAMETOOLONG, t.host);
    Fd pin(::openat(t.dir, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!pin.valid()) {
        const int e = errno;
        if (e == ENOENT) return t; // a new file; a folder gone meanwhile shows when it is made
        raiseErrno(e, t.host);
    }
    struct stat& st = t.st;
    if (::fstat(pin.get(), &st) != 0) raiseErrno(errno, t.host);
    if (kind == NameOf::Program) {
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            throw FileError::withMessage(
                ErrPathFileAccess, QStringLiteral("not a file of this user"),
                shownHost(enc(t.host)) + QStringLiteral(" is not a file of yours; it was left as "
                                                        "it is and nothing was written."));
    } else if (S_ISLNK(st.st_mode)) {
        followLink(t, pin);
    }
    if (source && st.st_dev == source->st_dev && st.st_ino == source->st_ino)
        raise(ErrPermissionDenied, QStringLiteral("source and target are the same file"));
    if (S_ISDIR(st.st_mode)) raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
    t.pin = std::move(pin);
    if (isReadOnly(t)) raise(ErrPathFileAccess, QStringLiteral("target is read-only"));
    t.exists = true;
    return t;
}

mode_t creationMode(mode_t wanted)
{
    return (wanted & 0777) | S_IRUSR | S_IWUSR;
}

void finishMode(int fd, mode_t wanted)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return;
    const mode_t forced = (S_IRUSR | S_IWUSR) & ~wanted;
    if (st.st_mode & forced) ::fchmod(fd, st.st_mode & 07777 & ~forced);
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

int moveToFreeName(int dir, const char* from, const char* to)
{
    if (renameNoReplace(dir, from, dir, to) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (::linkat(dir, from, dir, to, 0) == 0) {
        ::unlinkat(dir, from, 0);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    return renameOverPlaceholder(dir, from, dir, to, false) == 0 ? 0 : errno;
}

bool writeThroughTemporary(const Target& dst, mode_t mode, const std::function<void(int fd)>& fill,
                           int* refused, bool waitForNew)
{
    const bool replacing = dst.exists;
    sweepStale(dst.dir);
    bool unnamed = g_unnamedTemporaries;
    for (;;) {
        TempFile tmp;
        if (const int e = tmp.open(dst.dir, mode, unnamed)) {
            if (refused) *refused = e;
            raiseIn(e, dst.host);
        }
        unnamed = tmp.name.isEmpty();
        const int fd = tmp.fd.get();
        if (replacing) {
            struct stat ts;
            if (::fstat(fd, &ts) != 0) raiseErrno(errno, dst.host);
            if ((ts.st_uid != dst.st.st_uid || ts.st_gid != dst.st.st_gid) &&
                ::fchown(fd, dst.st.st_uid, dst.st.st_gid) != 0)
                return false;
            // Exactly the old file's access: an access list the folder's
            // default gave the temporary would let in somebody the old
            // file kept out.
            if (dst.keepAttributes && !matchAttributes(dst, fd)) return false;
        }
        fill(fd);
        if (replacing) {
            // After the owner: a change of owner drops the set-id bits.
            if (::fchmod(fd, dst.st.st_mode & 07777) != 0) raiseErrno(errno, dst.host);
        }
        if (replacing || waitForNew) {
            // The old file goes when the rename lands: its replacement must
            // be on the disk before then, power cut or not.
            if (::fsync(fd) != 0) raiseErrno(errno, dst.host);
        }
        // A copy to a new name is not waited for: it takes its name only
        // when complete, so a crash of the program never leaves a part, and
        // the source is still there should the power fail before the disk
        // has it. A wait per file made a paste of many small files five
        // times slower than cp.
        step("complete");
        int e = 0;
        if (!replacing) {
            e = tmp.takeName(dst.name.constData());
            if (unnamed && e != 0 && e != EEXIST && e != ENOSPC && e != EDQUOT && e != EROFS &&
                e != EIO && e != ENOENT) {
                unnamed = false; // the kernel could not link it: write a named one instead
                continue;
            }
        } else {
            if (unnamed) {
                e = tmp.nameIt();
                if (e != 0 && e != ENOSPC && e != EDQUOT && e != EROFS && e != EIO && e != ENOENT) {
                    unnamed = false;
                    continue;
                }
                if (e == 0) step("named");
            }
            if (e == 0) {
                if (::renameat(dst.dir, tmp.name.constData(), dst.dir, dst.name.constData()) == 0)
                    tmp.name.clear();
                else
                    e = errno;
            }
        }
        if (e != 0) raiseIn(e, dst.host);
        if (::close(tmp.fd.release()) != 0) raiseErrno(errno, dst.host);
        if (replacing) syncFolder(dst.dir);
        noteFolder(dst.dir);
        return true;
    }
}

// --- writing in place ---

namespace {

// A folder of the user's own under the data folder (~/.local/share/Quorbix/
// leaf), made 0700 and opened; invalid, with errno set, where it cannot be
// had or is not the user's. *host receives its path.
Fd ownFolder(const char* leaf, QString* host, bool make = true)
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

QString keptMessage(const QByteArray& file, const QByteArray& kept)
{
    return QStringLiteral("A save of %1 did not finish. The file's content from before that save "
                          "is kept in %2.")
        .arg(shownHost(file), shownHost(kept));
}

QString lostKeptMessage(const QByteArray& file, const QByteArray& kept)
{
    return QStringLiteral("A save of %1 did not finish. The copy of its content from before "
                          "that save was kept in %2, but what is there now is not that copy: "
                          "it has been moved or replaced since.")
        .arg(shownHost(file), shownHost(kept));
}

std::function<void(const QString&)>& noticeSink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

// A notice is never lost for want of a window: without a sink it goes to
// the standard error.
void notice(const QString& text)
{
    if (noticeSink())
        noticeSink()(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
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

// Copies len bytes of in from offset 0 into out from offset 0; 0 or an errno.
int copyWhole(int in, int out, off_t len)
{
    loff_t inOff = 0, outOff = 0;
    off_t sent = 0;
    bool kernel = true;
    QByteArray buf;
    while (inOff < len) {
        if (kernel) {
            const ssize_t n = ::copy_file_range(
                in, &inOff, out, &outOff, size_t(qMin<off_t>(off_t(8) << 20, len - inOff)), 0);
            if (n > 0) {
                startWriteBack(out, &sent, outOff);
                continue;
            }
            if (n == 0) break;
            if (errno == EINTR) continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
                errno != EBADF)
                return errno;
            kernel = false;
        }
        if (buf.isEmpty()) buf = QByteArray(1 << 20, Qt::Uninitialized);
        const ssize_t n =
            ::pread(in, buf.data(), size_t(qMin<off_t>(buf.size(), len - inOff)), inOff);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buf.constData() + done, size_t(n - done), outOff);
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += w;
            outOff += w;
        }
        inOff += n;
        startWriteBack(out, &sent, outOff);
    }
    return 0;
}

// Work that must not hold the caller, finished before the program ends.
class Removals {
  public:
    ~Removals() { wait(); }
    void start(std::function<void()> work)
    {
        wait(); // rare: one at a time is plenty
        m_thread = std::thread(std::move(work));
    }
    void wait()
    {
        if (m_thread.joinable()) m_thread.join();
    }

  private:
    std::thread m_thread;
};
Removals g_removals;

// --- records of saves at work ---
//
// A save in place leaves a record in the user's own folder for as long as
// it runs, naming the file, its kept copy and their identities, locked by
// the save: should the program die, the next start (or the next save of the
// file) finds a record whose lock is free and tells where the old content
// is. Names are held as counted bytes, so that any name, a newline in it
// too, comes back as it went in.

constexpr char kRecordMagic[] = "Quorbix unfinished save\n";

struct RecordText {
    QByteArray file, kept;
    bool identified = false; // a record of an older program holds only the names
    dev_t fileDev = 0, keptDev = 0;
    ino_t fileIno = 0, keptIno = 0;
};

void putField(QByteArray& out, const char* key, const QByteArray& value)
{
    out += key;
    out += ' ';
    out += QByteArray::number(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

QByteArray identity(const struct stat& st)
{
    return QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino));
}

bool readIdentity(const QByteArray& text, dev_t* dev, ino_t* ino)
{
    const QList<QByteArray> parts = text.split(' ');
    if (parts.size() != 2) return false;
    bool ok1 = false, ok2 = false;
    *dev = dev_t(parts[0].toULongLong(&ok1));
    *ino = ino_t(parts[1].toULongLong(&ok2));
    return ok1 && ok2;
}

std::optional<RecordText> parseRecord(const QByteArray& bytes)
{
    RecordText r;
    if (!bytes.startsWith(kRecordMagic)) {
        // The two lines an earlier version of the program wrote.
        const QList<QByteArray> lines = bytes.split('\n');
        if (lines.size() < 2 || lines[0].isEmpty() || lines[1].isEmpty()) return std::nullopt;
        r.file = lines[0];
        r.kept = lines[1];
        return r;
    }
    qsizetype at = qsizetype(sizeof kRecordMagic - 1);
    QByteArray fileId, keptId;
    while (at < bytes.size()) {
        const qsizetype eol = bytes.indexOf('\n', at);
        if (eol < 0) return std::nullopt;
        const QByteArray head = bytes.mid(at, eol - at);
        const qsizetype blank = head.indexOf(' ');
        if (blank < 0) return std::nullopt;
        bool ok = false;
        const qsizetype len = qsizetype(head.mid(blank + 1).toLongLong(&ok));
        if (!ok || len < 0 || eol + 1 + len + 1 > bytes.size() || bytes.at(eol + 1 + len) != '\n')
            return std::nullopt;
        const QByteArray key = head.left(blank), value = bytes.mid(eol + 1, len);
        if (key == "file") r.file = value;
        if (key == "kept") r.kept = value;
        if (key == "file-id") fileId = value;
        if (key == "kept-id") keptId = value;
        at = eol + 1 + len + 1;
    }
    if (r.file.isEmpty() || r.kept.isEmpty() || !readIdentity(fileId, &r.fileDev, &r.fileIno) ||
        !readIdentity(keptId, &r.keptDev, &r.keptIno))
        return std::nullopt;
    r.identified = true;
    return r;
}

enum class Vouch { Ours, Gone, NotOurs };

// Whether the copy a record names is still the one its save made: a
// regular file of this user's with one name, of the device and inode
// recorded. Anything else at that name (another user's file, a link, a
// pipe) is not vouched for.
Vouch vouchFor(const RecordText& r)
{
    const int fd = ::open(r.kept.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Vouch::Gone : Vouch::NotOurs;
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                    st.st_nlink == 1 &&
                    (!r.identified || (st.st_dev == r.keptDev && st.st_ino == r.keptIno));
    ::close(fd);
    return ok ? Vouch::Ours : Vouch::NotOurs;
}

// Tells of the saves whose writers are gone: all of them, or those of one
// file (its path or its identity). A record whose copy is gone has nothing
// left to tell and goes; one whose copy is no longer ours is told once as
// such and goes.
void tellUnfinished(const QByteArray* file = nullptr, const struct stat* fileSt = nullptr)
{
    const Fd dir = ownFolder("unfinished", nullptr, false);
    if (!dir.valid()) return;
    const int listing = ::dup(dir.get());
    DIR* d = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!d) {
        if (listing >= 0) ::close(listing);
        return;
    }
    std::vector<QByteArray> names;
    while (dirent* ent = ::readdir(d))
        if (std::strcmp(ent->d_name, ".") != 0 && std::strcmp(ent->d_name, "..") != 0)
            names.emplace_back(ent->d_name);
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const QByteArray& name : names) {
        const Fd fd(
            ::openat(dir.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) continue;
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // A save at work, in this or another running copy, holds its record.
        if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) continue;
        QByteArray bytes(int(qMin<off_t>(st.st_size, 1 << 16)), Qt::Uninitialized);
        const ssize_t n = ::pread(fd.get(), bytes.data(), size_t(bytes.size()), 0);
        const auto r = parseRecord(bytes.left(n > 0 ? int(n) : 0));
        // A hidden record is one still being written, or written by a save
        // cut short before it named its copy.
        const bool draft = name.startsWith('.');
        if (!r) {
            // A hidden one may be a save's that has not locked it yet.
            if (!draft) ::unlinkat(dir.get(), name.constData(), 0); // nothing in it can be told
            continue;
        }
        if (file && r->file != *file &&
            !(r->identified && fileSt && r->fileDev == fileSt->st_dev &&
              r->fileIno == fileSt->st_ino))
            continue;
        if (draft) {
            // That save had not touched the file: its copy, should it have
            // got a name, is of no use, and goes while it is still the one
            // made.
            if (r->identified && vouchFor(*r) == Vouch::Ours) {
                const qsizetype slash = r->kept.lastIndexOf('/');
                const Fd folder(::open(slash > 0 ? r->kept.left(slash).constData() : "/",
                                       O_PATH | O_DIRECTORY | O_CLOEXEC));
                struct stat made {};
                made.st_dev = r->keptDev;
                made.st_ino = r->keptIno;
                if (folder.valid()) unlinkIfSame(folder.get(), r->kept.mid(slash + 1), made);
            }
            ::unlinkat(dir.get(), name.constData(), 0);
            continue;
        }
        switch (vouchFor(*r)) {
        case Vouch::Ours:
            notice(keptMessage(r->file, r->kept));
            break;
        case Vouch::Gone:
            ::unlinkat(dir.get(), name.constData(), 0);
            break;
        case Vouch::NotOurs:
            notice(lostKeptMessage(r->file, r->kept));
            ::unlinkat(dir.get(), name.constData(), 0);
            break;
        }
    }
}

// The record of one save in place, written and synced before the file is
// touched, locked for as long as the save runs. It is first written whole
// under a hidden name, before the copy it names takes that name, and given
// its own name once the copy has it: a save cut short between the two
// leaves a hidden record by which the next start finds the copy and takes
// it away again, since that save had not touched the file yet.
struct Record {
    Fd dir;
    Fd fd;
    QByteArray draft; // the hidden name, until the record has its own
    QByteArray name;
    QString folder;

    [[noreturn]] void fail(const Target& t, int e)
    {
        remove();
        throw FileError(errorNumberFor(e, folder), errorText(e))
            .setMessage(QStringLiteral("%1 was left as it was: the record of this save, "
                                       "which tells the next start where the old content "
                                       "is should the save be cut short, could not be "
                                       "written in %2 (%3).")
                            .arg(shownHost(enc(t.host)), folder, errorText(e)));
    }

    // Writes and syncs the record, hidden and locked, naming the copy by
    // the name it is about to take; written again for another name. Throws,
    // with the file untouched, where it cannot be written and synced: a
    // save cut short without one could not be told.
    void prepare(const Target& t, const struct stat& fileSt, const QByteArray& kept,
                 const struct stat& keptSt)
    {
        QByteArray text = kRecordMagic;
        putField(text, "file", enc(t.host));
        putField(text, "file-id", identity(fileSt));
        putField(text, "kept", kept);
        putField(text, "kept-id", identity(keptSt));
        putField(text, "pid", QByteArray::number(qint64(::getpid())));
        const bool made = !fd.valid();
        if (made) {
            dir = ownFolder("unfinished", &folder);
            if (!dir.valid()) fail(t, errno);
            for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
                draft = '.' + randomPart();
                fd.reset(::openat(dir.get(), draft.constData(),
                                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
                if (!fd.valid() && errno != EEXIST) {
                    draft.clear();
                    fail(t, errno);
                }
            }
            if (!fd.valid()) {
                draft.clear();
                fail(t, EEXIST);
            }
            ::flock(fd.get(), LOCK_EX);
        }
        int e = 0;
        if (::ftruncate(fd.get(), 0) != 0 || ::lseek(fd.get(), 0, SEEK_SET) != 0 ||
            !writeAll(fd.get(), text.constData(), text.size()) || ::fsync(fd.get()) != 0)
            e = errno ? errno : EIO;
        if (e == 0 && made) e = syncFolder(dir.get());
        if (e != 0) fail(t, e);
    }

    // The record takes its own name: the copy it names has that name now.
    void commit(const Target& t)
    {
        int e = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray final = randomPart();
            e = moveToFreeName(dir.get(), draft.constData(), final.constData());
            if (e == EEXIST) continue;
            if (e == 0) {
                name = final;
                draft.clear();
            }
            break;
        }
        if (e == 0 && name.isEmpty()) e = EEXIST;
        if (e == 0) e = syncFolder(dir.get());
        if (e != 0) fail(t, e);
    }

    void remove()
    {
        if (!name.isEmpty()) ::unlinkat(dir.get(), name.constData(), 0);
        if (!draft.isEmpty()) ::unlinkat(dir.get(), draft.constData(), 0);
        name.clear();
        draft.clear();
        fd.reset();
    }
};

// The old content of a file about to be written in place, kept whole in a
// synced copy until the new content is synced. The copy stays open from
// the moment it is written: a restore reads this descriptor, never a name
// that someone who may write the folder could have changed meanwhile.
struct KeptCopy {
    Fd copy;
    int dir = -1;      // the folder it is in: the file's own or keptDir
    Fd keptDir;        // the user's own folder, where the file's own takes no new file
    QByteArray name;   // its name there
    QByteArray path;   // its path, for messages and the record
    struct stat st {}; // its identity
    Record record;

    KeptCopy() = default;
    KeptCopy(const KeptCopy&) = delete;
    KeptCopy& operator=(const KeptCopy&) = delete;

    // Keeps the content of fd (size bytes) beside the file, or in a folder
    // of the user's own where the file's folder takes no new file, and
    // records it. Throws when no copy can be made or recorded: then nothing
    // may be touched.
    void make(int fd, const struct stat& fileSt, const Target& t)
    {
        int firstError = 0;
        for (int pass = 0; pass < 2; ++pass) {
            Fd own;
            QString whereHost = t.folderHost;
            if (pass == 1) {
                own = ownFolder("kept", &whereHost);
                if (!own.valid()) {
                    if (!firstError) firstError = errno;
                    break;
                }
            }
            const int where = pass == 0 ? t.dir : own.get();
            TempFile tmp;
            int e = tmp.open(where, 0600, g_unnamedTemporaries, O_RDWR);
            if (e == 0) {
                dropAccessList(tmp.fd.get()); // the old content is for our eyes only
                e = copyWhole(fd, tmp.fd.get(), fileSt.st_size);
            }
            if (e == 0 && ::fchmod(tmp.fd.get(), 0600) != 0) e = errno;
            if (e == 0 && ::fdatasync(tmp.fd.get()) != 0) e = errno;
            if (e == 0 && ::fstat(tmp.fd.get(), &st) != 0) e = errno;
            if (e == 0) e = nameKept(tmp, t, fileSt, where, whereHost);
            if (e == 0) {
                copy = std::move(tmp.fd);
                keptDir = std::move(own);
                dir = where;
                e = syncFolder(dir);
            }
            if (e == 0) {
                step("kept named");
                try {
                    record.commit(t);
                } catch (const FileError&) {
                    drop();
                    throw;
                }
                return;
            }
            if (copy.valid()) drop();
            if (!firstError) firstError = e;
        }
        record.remove();
        raise(errorNumberFor(firstError, t.host),
              QStringLiteral("no room for a copy of the old content: ") + errorText(firstError));
    }

    // Names the copy ".name.quorbix-keep" (then "-2", "-3", ...), or, where
    // that is longer than the folder's file system takes, by a digest of
    // the name; the record says which file it belongs to, and is written
    // before the copy takes each name it tries. 0 or an errno; throws where
    // the record cannot be written.
    int nameKept(TempFile& tmp, const Target& t, const struct stat& fileSt, int where,
                 const QString& whereHost)
    {
        const qsizetype longest = nameMax(where);
        const QByteArray digest =
            QCryptographicHash::hash(t.name, QCryptographicHash::Sha1).toHex().left(16);
        for (int k = 1; k < 1000; ++k) {
            const QByteArray suffix = k == 1 ? QByteArray() : '-' + QByteArray::number(k);
            QByteArray candidate = '.' + t.name + ".quorbix-keep" + suffix;
            if (candidate.size() > longest) candidate = ".quorbix-keep-" + digest + suffix;
            struct stat there;
            if (::fstatat(where, candidate.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0)
                continue;
            const QByteArray candidatePath = enc(joinHost(whereHost, candidate));
            record.prepare(t, fileSt, candidatePath, st);
            const int e = tmp.takeName(candidate.constData());
            if (e == EEXIST) continue;
            if (e == 0) {
                name = candidate;
                path = candidatePath;
            }
            return e;
        }
        return EEXIST;
    }

    // Puts the old content back into fd; 0 or an errno.
    int restore(int fd, off_t size) const
    {
        int e = copyWhole(copy.get(), fd, size);
        if (e == 0 && ::ftruncate(fd, size) != 0) e = errno;
        return e;
    }

    // The copy goes again, before anything was written.
    void drop()
    {
        if (!name.isEmpty()) unlinkIfSame(dir, name, st);
        name.clear();
        copy.reset();
    }

    // The new content is synced: the old one is no longer needed. The
    // copy's name and its record go before the save says it is done, so
    // that no later start tells a finished save as unfinished. The blocks
    // of a large copy are freed when its descriptor closes, which takes
    // about as long as writing them did: that close is left to a helper.
    void release()
    {
        if (!name.isEmpty()) unlinkIfSame(dir, name, st);
        name.clear();
        record.remove();
        if (!copy.valid()) return;
        if (st.st_size >= kLargeKept) {
            const int fd = copy.release();
            g_removals.start([fd] { ::close(fd); });
        } else {
            copy.reset();
        }
    }

    static constexpr off_t kLargeKept = off_t(64) << 20;
};

// The room a write in place reserves for its new content, and the holes
// the old content had, so that a refused save gives back what it took and
// the drive has the room it had.
struct Reservation {
    int fd;
    off_t oldSize;
    off_t reserved = 0;
    std::vector<std::pair<off_t, off_t>> holes; // of a sparse old file

    Reservation(int file, const struct stat& st) : fd(file), oldSize(st.st_size)
    {
        if (st.st_blocks * 512 >= st.st_size) return;
        for (off_t pos = 0; pos < oldSize && holes.size() < 4096;) {
            const off_t hole = ::lseek(fd, pos, SEEK_HOLE);
            if (hole < 0 || hole >= oldSize) break;
            off_t data = ::lseek(fd, hole, SEEK_DATA);
            if (data < 0 || data > oldSize) data = oldSize;
            holes.emplace_back(hole, data);
            pos = data;
        }
    }

    // The room for the new content, the holes of a sparse old file
    // included, without changing the file's size: a full disk fails here,
    // with nothing taken.
    void reserve(qint64 newSize, const QString& host)
    {
        if (newSize <= 0) return;
        reserved = off_t(newSize);
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(newSize)) == 0) return;
        const int e = errno;
        if (e == EOPNOTSUPP || e == ENOSYS) {
            reserved = 0;
            return; // a file system that cannot reserve: the writes find out
        }
        giveBack(); // a part can have been taken before the disk ran full
        raiseErrno(e, host);
    }

    void giveBack()
    {
        if (reserved > oldSize)
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, oldSize,
                        reserved - oldSize);
        for (const auto& [from, to] : holes)
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, from, to - from);
        reserved = 0;
    }
};

} // namespace

void writeInPlace(const Target& t, qint64 newSize, const std::function<off_t(int fd)>& fill)
{
    // Never through a link put there since the check, and only the file
    // that was checked.
    const Fd file(
        ::openat(t.dir, t.name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        const int e = errno;
        if (e == ELOOP) raise(ErrPathFileAccess, QStringLiteral("the file became a link"));
        raiseErrno(e, t.host);
    }
    const int fd = file.get();
    struct stat st;
    if (::fstat(fd, &st) != 0) raiseErrno(errno, t.host);
    if (!S_ISREG(st.st_mode) || st.st_dev != t.st.st_dev || st.st_ino != t.st.st_ino)
        raise(ErrPathFileAccess, QStringLiteral("the file was replaced meanwhile"));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // One writer in place at a time, across running copies of the program
    // too: two at once would leave a mix of both.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        throw FileError(ErrPermissionDenied, QStringLiteral("another save of the file is at work"))
            .setMessage(QStringLiteral("%1 was left as it is: another save of it is still at "
                                       "work. Try again once that save is done.")
                            .arg(shownHost(enc(t.host))));
    step("locked");

    // A save of this file cut short earlier left a copy the user should
    // know of before this save goes on.
    const QByteArray fileBytes = enc(t.host);
    tellUnfinished(&fileBytes, &st);
    Reservation room(fd, st);
    room.reserve(newSize, t.host);
    KeptCopy kept;
    try {
        kept.make(fd, st, t);
    } catch (const FileError&) {
        room.giveBack();
        throw;
    }
    step("kept");
    try {
        const off_t end = fill(fd);
        if (::ftruncate(fd, end) != 0) raiseErrno(errno, t.host);
        if (::fsync(fd) != 0) raiseErrno(errno, t.host);
    } catch (const FileError& failure) {
        // Put the old content back from the copy we hold; should that fail
        // too, the user learns where it is.
        int back = kept.restore(fd, st.st_size);
        if (back == 0) room.giveBack(); // a file left half-written is left as it is
        if (back == 0 && ::fsync(fd) != 0) back = errno;
        if (back == 0) {
            kept.release();
            throw;
        }
        throw FileError(failure).setMessage(keptMessage(enc(t.host), kept.path));
    }
    step("complete");
    kept.release();
    step("done");
}

void writeTarget(const Target& t, qint64 newSize, mode_t mode,
                 const std::function<void(int fd)>& fillTemporary,
                 const std::function<off_t(int fd)>& fillInPlace, bool waitForNew)
{
    // Other names of the old file keep pointing at it only if it is
    // written where it is.
    if (t.exists && t.st.st_nlink > 1) return writeInPlace(t, newSize, fillInPlace);
    int refused = 0;
    try {
        if (writeThroughTemporary(t, mode, fillTemporary, &refused, waitForNew)) return;
    } catch (const FileError&) {
        // A folder the user may not write (or with no inode left) can
        // still hold a file the user may write.
        if (!t.exists ||
            !(refused == EACCES || refused == EPERM || refused == ENOSPC || refused == EDQUOT))
            throw;
    }
    writeInPlace(t, newSize, fillInPlace);
}

} // namespace detail

using namespace detail;

void setCopyStepHook(void (*hook)(const char* step))
{
    g_stepHook = hook;
}

void setUnnamedTemporaries(bool allowed)
{
    g_unnamedTemporaries = allowed;
}

// --- folders held for a run of copies ---

TargetFolder::TargetFolder(const QString& winFolder)
    : m_win(winFolder), m_folder(std::make_unique<Folder>(openFolder(drives::toHost(winFolder))))
{
}

TargetFolder::~TargetFolder() = default;

void TargetFolder::check() const
{
    checkStillThere(*m_folder);
}

// --- whole files ---

namespace {

// Writes d from offset 0, in chunks; returns its length.
off_t writeContent(int fd, const QByteArray& d, const QString& host)
{
    constexpr qint64 kChunk = qint64(8) << 20;
    off_t sent = 0;
    for (qint64 done = 0; done < d.size();) {
        const ssize_t n =
            ::pwrite(fd, d.constData() + done, size_t(qMin(kChunk, d.size() - done)), off_t(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseErrno(errno, host);
        }
        done += n;
        startWriteBack(fd, &sent, off_t(done));
        if (done == n) step("partial");
    }
    return off_t(d.size());
}

// Saves d under t, by the road writeTarget takes. `finish` is applied to
// the written file before it is synced.
void saveWhole(const Target& t, const QByteArray& d, mode_t mode,
               const std::function<void(int fd)>& finish)
{
    writeTarget(
        t, d.size(), mode,
        [&](int fd) {
            writeContent(fd, d, t.host);
            finish(fd);
        },
        [&](int fd) {
            const off_t end = writeContent(fd, d, t.host);
            finish(fd);
            return end;
        });
}

mode_t currentUmask()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

} // namespace

void writeFileAtomic(const QString& winPath, const QByteArray& d)
{
    // Read-only targets are refused even for root; the checks also give
    // the precise numbers. A new file gets the usual bits minus the umask;
    // an old one keeps its own, its owner and its group.
    const QString host = drives::toHost(winPath);
    QByteArray folder, name;
    splitHost(host, &folder, &name);
    const Folder in = openFolder(dec(folder));
    const Target t = checkTarget(in, name, NameOf::User);
    step("checked");
    saveWhole(t, d, t.exists ? creationMode(t.st.st_mode) : 0666, [](int) {});
}

void writeOwnFile(const QString& winPath, const QByteArray& d, const QString& modelWinPath)
{
    const QString host = drives::toHost(winPath);
    QByteArray folder, name;
    splitHost(host, &folder, &name);
    const Folder in = openFolder(dec(folder));
    Target t = checkTarget(in, name, NameOf::Program);
    step("checked");
    // Who may read the document may read what is made of it, and nobody
    // else.
    mode_t bits = 0666 & ~currentUmask();
    try {
        struct stat ms;
        if (!modelWinPath.isEmpty() &&
            ::stat(enc(drives::toHost(modelWinPath)).constData(), &ms) == 0 && S_ISREG(ms.st_mode))
            bits = ms.st_mode & 0777;
    } catch (const FileError&) {
        // A model with no host name leaves the usual bits.
    }
    if (t.exists) t.st.st_mode = (t.st.st_mode & S_IFMT) | bits;
    t.keepAttributes = false;
    // Created for our eyes only until it has its bits; a file of ours with
    // other names is simply replaced.
    t.st.st_nlink = 1;
    saveWhole(t, d, S_IRUSR | S_IWUSR, [&](int fd) {
        dropAccessList(fd); // its bits alone say who may read it
        ::fchmod(fd, bits);
    });
}

void finishBackgroundWork()
{
    g_removals.wait();
}

void setNoticeSink(std::function<void(const QString&)> sink)
{
    noticeSink() = std::move(sink);
}

void reportUnfinishedSaves()
{
    tellUnfinished();
}

} // namespace plat::fs
