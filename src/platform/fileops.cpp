#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/winpath.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <new>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace plat::fs {

namespace {

int g_failNextCopy = 0;
void (*g_stepHook)(const char*) = nullptr;
bool g_unnamedTemporaries = true;

// Every temporary file we put in a user's folder starts with this, so that
// one left by a crash is known as ours and removed at the next copy there.
constexpr char kTempPrefix[] = ".quorbix-copy-";
constexpr int kRandomLength = 12; // letters and digits after the prefix

// Host paths here are in the drives layer's text form; these are the exact
// bytes of the name, whatever they are.
QByteArray enc(const QString& host)
{
    return drives::hostBytes(host);
}

QString dec(const QByteArray& hostBytes)
{
    return drives::hostString(hostBytes);
}

QString parentOf(const QString& host)
{
    const int slash = host.lastIndexOf('/');
    if (slash <= 0) return QStringLiteral("/");
    return host.left(slash);
}

void step(const char* name)
{
    if (g_stepHook) g_stepHook(name);
}

// A file the user would call read-only: no write bit at all, or one we may
// not write. Root passes every access() test, but a file marked read-only
// must still not be replaced behind the user's back.
bool isReadOnly(const QString& host, const struct stat& st)
{
    if ((st.st_mode & 0222) == 0) return true;
    return ::access(enc(host).constData(), W_OK) != 0;
}

// The name as the user knows it, for messages.
QString shownName(const QString& host)
{
    const QString win = drives::toWindows(enc(host));
    return win.isEmpty() ? host : win;
}

// What a target name stands for.
struct Target {
    QString host; // where the data goes
    bool exists = false;
    struct stat st {}; // of the file there, when it exists
    // A replacement takes the old file's extended attributes (its access
    // list among them); not for a file the program names, whose access
    // follows the document it is made of.
    bool keepAttributes = true;
};

// How a name given to a write is taken.
enum class NameOf {
    // A name the user chose: a link to a file is written through, so that
    // the file receives the data and the link stays a link, as cp does.
    User,
    // A name the program picks (the HTML preview): never followed, and only
    // a regular file of this user's is replaced, so that nobody can make
    // the program write where they point it or keep a file of theirs.
    Program,
};

// The file a target name stands for. A link to nothing is a taken name
// that is never replaced nor followed (it could point anywhere). Fails
// with the error number for a target that must not be replaced (read-only
// file, folder); a missing folder shows when the write begins.
// A target that is the source itself under any name (hard link, link,
// other drive letter) is refused with 70 before anything is opened: a copy
// onto itself would truncate it.
Target checkReplaceableTarget(const QString& name, NameOf kind, const struct stat* source = nullptr)
{
    Target t;
    t.host = name;
    struct stat& st = t.st;
    if (::lstat(enc(name).constData(), &st) != 0) {
        const int e = errno;
        if (e != ENOENT) raiseErrno(e, name);
        return t;
    }
    if (kind == NameOf::Program) {
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            throw FileError::withMessage(
                ErrPathFileAccess, QStringLiteral("not a file of this user"),
                shownName(name) +
                    QStringLiteral(" is not a file of yours; it was left as it is and "
                                   "nothing was written."));
    } else if (S_ISLNK(st.st_mode)) {
        if (::stat(enc(name).constData(), &st) != 0) {
            const int e = errno;
            if (e == ENOENT || e == ELOOP)
                raise(ErrPathFileAccess, QStringLiteral("target is a link to nothing"));
            raiseErrno(e, name);
        }
        char* real = ::realpath(enc(name).constData(), nullptr);
        if (!real) raiseErrno(errno, name);
        t.host = dec(QByteArray(real));
        std::free(real);
    }
    if (source && st.st_dev == source->st_dev && st.st_ino == source->st_ino)
        raise(ErrPermissionDenied, QStringLiteral("source and target are the same file"));
    if (S_ISDIR(st.st_mode)) raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
    if (isReadOnly(t.host, st)) raise(ErrPathFileAccess, QStringLiteral("target is read-only"));
    t.exists = true;
    return t;
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

void syncFolder(const QString& host)
{
    const int fd = ::open(enc(host).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int renameNoReplace(const char* from, const char* to)
{
#ifdef SYS_renameat2
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 1u /* RENAME_NOREPLACE */));
#else
    errno = ENOSYS;
    return -1;
#endif
}

// For file systems without RENAME_NOREPLACE: claim the new name with an
// exclusive create, then rename over our own placeholder. Nothing of the
// user's can be replaced, and a failed rename leaves only our placeholder
// to take away.
int renameOverPlaceholder(const char* from, const char* to, bool folder)
{
    if (folder) {
        if (::mkdir(to, 0700) != 0) return -1;
    } else {
        const int fd = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return -1;
        ::close(fd);
    }
    if (::rename(from, to) != 0) {
        const int e = errno;
        if (folder)
            ::rmdir(to);
        else
            ::unlink(to);
        errno = e;
        return -1;
    }
    return 0;
}

// Moves a file to a name that must still be free; 0 or an errno.
int moveToFreeName(const char* from, const char* to)
{
    if (renameNoReplace(from, to) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    return renameOverPlaceholder(from, to, false) == 0 ? 0 : errno;
}

QByteArray randomPart()
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray out(kRandomLength, Qt::Uninitialized);
    for (char& c : out)
        c = chars[QRandomGenerator::global()->bounded(int(sizeof chars - 1))];
    return out;
}

// Per folder (device and inode), its modification time after our last
// copy into it: while it is unchanged, nobody can have left anything there
// since we last swept it.
std::map<std::pair<dev_t, ino_t>, timespec> g_swept;

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void noteFolder(const QByteArray& folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) == 0) g_swept[{st.st_dev, st.st_ino}] = st.st_mtim;
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
void sweepStale(const QByteArray& folder)
{
    struct stat fst;
    if (::stat(folder.constData(), &fst) != 0) return;
    const auto it = g_swept.find({fst.st_dev, fst.st_ino});
    if (it != g_swept.end() && sameTime(it->second, fst.st_mtim)) return;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    const int dfd = ::dirfd(dir);
    while (dirent* ent = ::readdir(dir)) {
        if (!isTemporaryName(ent->d_name)) continue;
        const int fd = ::openat(dfd, ent->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st, now;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dfd, ent->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            ::unlinkat(dfd, ent->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// A temporary file in the target's folder, locked while it is written.
// Without a name (O_TMPFILE) a crash leaves nothing at all; with one, it
// leaves a file with our prefix for the next sweep.
struct TempFile {
    int fd = -1;
    QByteArray path; // empty while the file has no name

    ~TempFile() { discard(); }
    void discard()
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!path.isEmpty()) ::unlink(path.constData());
        path.clear();
    }

    // 0 or an errno.
    int open(const QByteArray& folder, mode_t mode, bool unnamed)
    {
        if (unnamed) {
            // Nothing can sweep a file without a name: it is locked only
            // once it gets one.
            fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (fd >= 0) return 0;
            // Kernels and file systems without O_TMPFILE: a named file.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = folder + '/' + kTempPrefix + randomPart();
            fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return errno;
            }
            ::flock(fd, LOCK_EX);
            // A sweep may have taken the name away before our lock.
            struct stat st;
            if (::fstat(fd, &st) == 0 && st.st_nlink == 0) {
                ::close(fd);
                fd = -1;
                continue;
            }
            path = name;
            return 0;
        }
        return EEXIST;
    }

    // Gives an unnamed file a temporary name of ours; 0 or an errno.
    int nameIt(const QByteArray& folder)
    {
        ::flock(fd, LOCK_EX); // before the name shows, so that no sweep takes it
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = folder + '/' + kTempPrefix + randomPart();
            const int e = linkUnnamed(name.constData());
            if (e == EEXIST) continue;
            if (e == 0) path = name;
            return e;
        }
        return EEXIST;
    }

    // Links the unnamed file under a name that must be free; 0 or an errno.
    int linkUnnamed(const char* to) const
    {
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
        if (::linkat(AT_FDCWD, proc, AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0) return 0;
        if (errno != ENOENT) return errno;
        // No /proc: the kernel links the descriptor itself (may need a
        // privilege).
        if (::linkat(fd, "", AT_FDCWD, to, AT_EMPTY_PATH) == 0) return 0;
        return errno;
    }
};

// Gives a replacement the extended attributes of the file it replaces (the
// access control list is one of them), as far as the temporary can take
// them: one the file system or our privileges refuse is left out.
void copyAttributes(const QByteArray& from, int to)
{
    ssize_t size = ::llistxattr(from.constData(), nullptr, 0);
    if (size <= 0) return;
    QByteArray names(size, Qt::Uninitialized);
    size = ::llistxattr(from.constData(), names.data(), size_t(names.size()));
    if (size <= 0) return;
    QByteArray value;
    for (qsizetype at = 0; at < size;) {
        const char* name = names.constData() + at;
        at += qsizetype(std::strlen(name)) + 1;
        const ssize_t n = ::lgetxattr(from.constData(), name, nullptr, 0);
        if (n < 0) continue;
        value.resize(n);
        const ssize_t got = ::lgetxattr(from.constData(), name, value.data(), size_t(n));
        if (got < 0) continue;
        ::fsetxattr(to, name, value.constData(), size_t(got), 0);
    }
}

// Writes a target through a temporary file in its folder: fill() writes
// the data (and may throw FileError); the complete file is then given the
// target's name: a new target only while that name is still free (58 when
// something took it meanwhile), an old one replaced by a rename. At any
// moment of a crash the target holds its old state or the complete file.
// A replacement is synced before its rename, and so is a new file unless
// `waitForNew` is false (a copy: the source is still there).
// A replacement takes the old file's identity: owner, group, permission
// bits and extended attributes. Returns false, with nothing changed, when
// the temporary cannot take the old file's owner or group (the old file is
// another user's); the caller then writes in place.
bool writeThroughTemporary(const Target& dst, mode_t mode, const std::function<void(int fd)>& fill,
                           int* refused = nullptr, bool waitForNew = true)
{
    const bool replacing = dst.exists;
    const QString folderHost = parentOf(dst.host);
    const QByteArray folder = enc(folderHost), target = enc(dst.host);
    sweepStale(folder);
    bool unnamed = g_unnamedTemporaries;
    for (;;) {
        TempFile tmp;
        if (const int e = tmp.open(folder, mode, unnamed)) {
            if (refused) *refused = e;
            raiseErrno(e, dst.host);
        }
        unnamed = tmp.path.isEmpty();
        if (replacing) {
            struct stat ts;
            if (::fstat(tmp.fd, &ts) != 0) raiseErrno(errno, dst.host);
            if ((ts.st_uid != dst.st.st_uid || ts.st_gid != dst.st.st_gid) &&
                ::fchown(tmp.fd, dst.st.st_uid, dst.st.st_gid) != 0)
                return false;
        }
        fill(tmp.fd);
        if (replacing) {
            if (dst.keepAttributes) copyAttributes(target, tmp.fd);
            // After the owner: a change of owner drops the set-id bits.
            if (::fchmod(tmp.fd, dst.st.st_mode & 07777) != 0) raiseErrno(errno, dst.host);
        }
        if (replacing || waitForNew) {
            // The old file goes when the rename lands: its replacement must
            // be on the disk before then, power cut or not.
            if (::fsync(tmp.fd) != 0) raiseErrno(errno, dst.host);
        }
        // A copy to a new name is not waited for: it takes its name only
        // when complete, so a crash of the program never leaves a part, and
        // the source is still there should the power fail before the disk
        // has it. A wait per file made a paste of many small files five
        // times slower than cp.
        step("complete");
        int e = 0;
        if (!replacing) {
            e = unnamed ? tmp.linkUnnamed(target.constData())
                        : moveToFreeName(tmp.path.constData(), target.constData());
            if (e == 0 && !unnamed) tmp.path.clear();
            if (unnamed && e != 0 && e != EEXIST && e != ENOSPC && e != EDQUOT && e != EROFS &&
                e != EIO) {
                unnamed = false; // the kernel could not link it: write a named one instead
                continue;
            }
        } else {
            if (unnamed) {
                e = tmp.nameIt(folder);
                if (e != 0 && e != ENOSPC && e != EDQUOT && e != EROFS && e != EIO) {
                    unnamed = false;
                    continue;
                }
                if (e == 0) step("named");
            }
            if (e == 0) {
                if (::rename(tmp.path.constData(), target.constData()) == 0)
                    tmp.path.clear();
                else
                    e = errno;
            }
        }
        if (e != 0) raiseErrno(e, dst.host);
        if (::close(tmp.fd) != 0) {
            tmp.fd = -1;
            raiseErrno(errno, dst.host);
        }
        tmp.fd = -1;
        if (replacing) syncFolder(folderHost);
        noteFolder(folder);
        return true;
    }
}

// Where creating a file gives mode, the bits we asked for minus the umask
// (or as the folder's default ACL has it), as cp gives them.
mode_t creationMode(mode_t wanted)
{
    return (wanted & 0777) | S_IRUSR | S_IWUSR; // ours to read and write meanwhile
}

// Brings a temporary file created with creationMode(wanted) to the bits the
// user expects: any owner bit the wanted mode lacks is taken away again.
void finishMode(int fd, mode_t wanted)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return;
    const mode_t forced = (S_IRUSR | S_IWUSR) & ~wanted;
    if (st.st_mode & forced) ::fchmod(fd, st.st_mode & 07777 & ~forced);
}

// --- writing in place ---

// Where the old content of a file written in place is kept when its own
// folder takes no new file: a folder of the user's own.
QByteArray ownKeepFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    const QString folder = base + QStringLiteral("/Quorbix/kept");
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return QFile::encodeName(folder);
}

// Records of saves in place that have not finished: one small file each,
// naming the kept copy of the old content, so that the next start can say
// where it is should the program die before it is removed.
QByteArray recordFolder(bool make)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    const QString folder = base + QStringLiteral("/Quorbix/unfinished");
    if (make) {
        QDir().mkpath(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    return QFile::encodeName(folder);
}

QString shownHost(const QByteArray& hostBytes)
{
    const QString win = drives::toWindows(hostBytes);
    return win.isEmpty() ? QString::fromLocal8Bit(hostBytes) : win;
}

QString keptMessage(const QByteArray& file, const QByteArray& kept)
{
    return QStringLiteral("A save of %1 did not finish. The file's content from before that save "
                          "is kept in %2.")
        .arg(shownHost(file), shownHost(kept));
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

// The old content of a file about to be written in place, kept whole in a
// synced copy until the new content is synced.
struct KeptCopy {
    QByteArray path;   // the copy
    QByteArray record; // our note of it, for the next start
    int recordFd = -1; // locked while the save is at work

    KeptCopy() = default;
    KeptCopy(const KeptCopy&) = delete;
    KeptCopy& operator=(const KeptCopy&) = delete;
    ~KeptCopy()
    {
        if (recordFd >= 0) ::close(recordFd);
    }

    // Keeps the content of fd (size bytes) beside file, or in a folder of
    // the user's own where the file's folder takes no new file. Throws when
    // no copy can be made: then nothing may be touched.
    void make(int fd, off_t size, const QByteArray& file)
    {
        const qsizetype slash = file.lastIndexOf('/');
        const QByteArray folder = slash <= 0 ? QByteArray("/") : file.left(slash);
        const QByteArray base = file.mid(slash + 1);
        int firstError = 0;
        for (const QByteArray& where : {folder, ownKeepFolder()}) {
            if (where.isEmpty()) continue;
            TempFile tmp;
            int e = tmp.open(where, 0600, g_unnamedTemporaries);
            if (e == 0) e = copyWhole(fd, tmp.fd, size);
            if (e == 0 && ::fchmod(tmp.fd, 0600) != 0) e = errno;
            if (e == 0 && ::fdatasync(tmp.fd) != 0) e = errno;
            for (int k = 1; e == 0 && k < 1000; ++k) {
                const QByteArray name = where + "/." + base + ".quorbix-keep" +
                                        (k == 1 ? QByteArray() : '-' + QByteArray::number(k));
                const bool unnamed = tmp.path.isEmpty();
                e = unnamed ? tmp.linkUnnamed(name.constData())
                            : moveToFreeName(tmp.path.constData(), name.constData());
                if (e == EEXIST) {
                    e = 0;
                    continue;
                }
                if (e != 0) break;
                if (!unnamed) tmp.path.clear();
                path = name;
                break;
            }
            if (!path.isEmpty()) {
                syncFolder(dec(where));
                writeRecord(file);
                return;
            }
            if (!firstError) firstError = e ? e : EEXIST;
        }
        raise(errorNumberFor(firstError, dec(file)),
              QStringLiteral("no room for a copy of the old content: ") + errorText(firstError));
    }

    void writeRecord(const QByteArray& file)
    {
        const QByteArray folder = recordFolder(true);
        if (folder.isEmpty()) return;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = folder + '/' + randomPart();
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return;
            }
            ::flock(fd, LOCK_EX);
            const QByteArray text = file + '\n' + path + '\n';
            writeAll(fd, text.constData(), text.size());
            ::fsync(fd);
            recordFd = fd;
            record = name;
            return;
        }
    }

    // The new content is synced: the old one is no longer needed. Its
    // record goes after it, so that a copy left by a crash meanwhile is
    // still told. Freeing the blocks of a large copy takes about as long
    // as writing it did; that is done off the caller's thread.
    void release()
    {
        const QByteArray p = path, r = record;
        const int fd = recordFd;
        path.clear();
        record.clear();
        recordFd = -1;
        const auto remove = [p, r, fd] {
            if (!p.isEmpty()) ::unlink(p.constData());
            if (!r.isEmpty()) ::unlink(r.constData());
            if (fd >= 0) ::close(fd);
        };
        struct stat st;
        if (!p.isEmpty() && ::stat(p.constData(), &st) == 0 && st.st_size >= kLargeKept)
            g_removals.start(remove);
        else
            remove();
    }

    static constexpr off_t kLargeKept = off_t(64) << 20;
};

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

// Tells the user of a copy an earlier, unfinished save left beside file.
void reportEarlierKept(const QByteArray& file)
{
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray kept = file.left(slash + 1) + '.' + file.mid(slash + 1) + ".quorbix-keep";
    struct stat st;
    if (::lstat(kept.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        notice(keptMessage(file, kept));
}

// Writes a file over its old content, for a file whose identity the atomic
// way cannot keep (other names, another owner) or whose folder takes no
// temporary file. Before the old content is touched it is kept in a synced
// copy, and the space for the new one is reserved; fill() then writes the
// new content from offset 0 and returns its length. At any moment of a crash the file holds its
// old or its new content, or the copy holds the old one; a failure puts the
// old content back.
void writeInPlace(const Target& t, qint64 newSize, const std::function<off_t(int fd)>& fill)
{
    const QByteArray host = enc(t.host);
    // Never through a link put there since the check, and only the file
    // that was checked.
    const int fd = ::open(host.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ELOOP) raise(ErrPathFileAccess, QStringLiteral("the file became a link"));
        raiseErrno(e, t.host);
    }
    struct Guard {
        int fd;
        ~Guard()
        {
            if (fd >= 0) ::close(fd);
        }
    } guard{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) raiseErrno(errno, t.host);
    if (!S_ISREG(st.st_mode) || st.st_dev != t.st.st_dev || st.st_ino != t.st.st_ino)
        raise(ErrPathFileAccess, QStringLiteral("the file was replaced meanwhile"));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    reportEarlierKept(host);
    // The room for the new content, the holes of a sparse old file
    // included, without changing the file's size: a full disk fails here,
    // with nothing touched.
    if (newSize > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize) != 0) {
        const int e = errno;
        if (e != EOPNOTSUPP && e != ENOSYS) raiseErrno(e, t.host);
    }
    KeptCopy kept;
    kept.make(fd, st.st_size, host);
    step("kept");
    try {
        const off_t end = fill(fd);
        if (::ftruncate(fd, end) != 0) raiseErrno(errno, t.host);
        if (::fsync(fd) != 0) raiseErrno(errno, t.host);
    } catch (const FileError& failure) {
        // Put the old content back; should that fail too, the user learns
        // where it is.
        int back = -1;
        const int in = ::open(kept.path.constData(), O_RDONLY | O_CLOEXEC);
        if (in >= 0) {
            back = copyWhole(in, fd, st.st_size);
            ::close(in);
            if (back == 0 && ::ftruncate(fd, st.st_size) != 0) back = errno;
            if (back == 0 && ::fsync(fd) != 0) back = errno;
        }
        if (back == 0) {
            kept.release();
            throw;
        }
        throw FileError(failure).setMessage(keptMessage(host, kept.path));
    }
    step("complete");
    guard.fd = -1;
    if (::close(fd) != 0) raiseErrno(errno, t.host);
    kept.release();
}

} // namespace

void failNextCopyWith(int number)
{
    g_failNextCopy = number;
}

void setCopyStepHook(void (*hook)(const char* step))
{
    g_stepHook = hook;
}

void setUnnamedTemporaries(bool allowed)
{
    g_unnamedTemporaries = allowed;
}

namespace {

// Copies the open source into out from offset 0 and returns the length
// written. Into a fresh, empty file the holes of a sparse source stay
// holes, as cp keeps them: only the source's data is read and written.
// The kernel copies without a round trip through our buffers where it can;
// across file systems that refuse it we fall back to read/write. With
// `flush`, written chunks are sent on to the disk at once, so that the sync
// at the end has little left to wait for.
off_t copyData(int in, int out, const struct stat& sst, bool fresh, int injected, bool flush,
               const QString& src, const QString& dst)
{
    auto fail = [](int e, const QString& host) { raise(errorNumberFor(e, host), errorText(e)); };
    constexpr qint64 kChunk = qint64(8) << 20;
    bool kernelCopy = !injected;
    bool first = true;
    off_t flushed = 0;
    QByteArray buf;
    // Copies from `from` up to `to` (to the end for a negative one) at the
    // same offsets; returns the offset it ended at.
    // A file that says how long it is is copied to that length, without a
    // last call to find its end; one that says nothing (as files of the
    // kernel's own file systems do) is read until it ends.
    const off_t known = sst.st_size > 0 ? sst.st_size : -1;
    auto range = [&](off_t from, off_t to) -> off_t {
        loff_t inOff = from, outOff = from;
        for (;;) {
            qint64 want = kChunk;
            if (to >= 0) {
                if (inOff >= to) break;
                want = qMin<qint64>(kChunk, to - inOff);
            }
            ssize_t n;
            if (kernelCopy) {
                n = ::copy_file_range(in, &inOff, out, &outOff, size_t(want), 0);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                        errno == EOPNOTSUPP || errno == EBADF) {
                        kernelCopy = false; // nothing written yet by a refused call
                        continue;
                    }
                    fail(errno, dst);
                }
            } else {
                if (buf.isEmpty()) buf = QByteArray(1 << 20, Qt::Uninitialized);
                n = ::pread(in, buf.data(), size_t(qMin<qint64>(want, buf.size())), inOff);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    fail(errno, src);
                }
                if (n > 0 && injected) {
                    // Leave part of the data in the temporary file, as a
                    // real failure half-way through would.
                    ::pwrite(out, buf.constData(), size_t((n + 1) / 2), outOff);
                    raise(injected, QStringLiteral("injected failure"));
                }
                for (ssize_t done = 0; done < n;) {
                    const ssize_t w =
                        ::pwrite(out, buf.constData() + done, size_t(n - done), outOff + done);
                    if (w < 0) {
                        if (errno == EINTR) continue;
                        fail(errno, dst);
                    }
                    done += w;
                }
                inOff += n;
                outOff += n;
            }
            if (n == 0) break;
            if (flush && outOff - flushed >= kChunk) {
                ::sync_file_range(out, flushed, outOff - flushed, SYNC_FILE_RANGE_WRITE);
                flushed = outOff;
            }
            if (first) step("partial");
            first = false;
        }
        return off_t(outOff);
    };

    // A file with fewer blocks than its length has holes: copy its data
    // only, and give the copy its length at the end.
    if (fresh && !injected && sst.st_size > 0 && sst.st_blocks * 512 < sst.st_size) {
        const off_t size = sst.st_size;
        off_t pos = 0;
        while (pos < size) {
            const off_t data = ::lseek(in, pos, SEEK_DATA);
            if (data < 0) {
                if (errno == ENXIO) break; // nothing but a hole up to the end
                range(pos, -1);            // no hole search here: copy the rest as it is
                pos = size;
                break;
            }
            off_t hole = ::lseek(in, data, SEEK_HOLE);
            if (hole < 0 || hole > size) hole = size;
            range(data, hole);
            pos = hole;
        }
        if (::ftruncate(out, size) != 0) fail(errno, dst);
        return size;
    }
    const off_t end = range(0, injected ? -1 : known);
    if (injected) {
        ::pwrite(out, "x", 1, end);
        raise(injected, QStringLiteral("injected failure"));
    }
    return end;
}

} // namespace

void copyFile(const QString& source, const QString& target)
{
    const int injected = g_failNextCopy;
    g_failNextCopy = 0;

    const QString src = drives::toHost(source);

    // The source is opened first and every check is made on what was
    // opened, so that a name changed meanwhile (a link put in its place)
    // cannot make us copy another file. A pipe without a writer cannot hold
    // the open, and a device or a pipe is refused before anything is read.
    const int in = ::open(enc(src).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in < 0) {
        const int e = errno;
        struct stat st;
        if (e == ENXIO && ::stat(enc(src).constData(), &st) == 0 && S_ISSOCK(st.st_mode))
            raiseNotCopyable(source);
        raiseSourceErrno(e, src);
    }
    struct InGuard {
        int fd;
        ~InGuard() { ::close(fd); }
    } inGuard{in};
    struct stat sst;
    if (::fstat(in, &sst) != 0) raiseErrno(errno, src);
    if (S_ISDIR(sst.st_mode)) raise(ErrPathFileAccess, QStringLiteral("source is a folder"));
    if (!S_ISREG(sst.st_mode)) raiseNotCopyable(source);
    ::fcntl(in, F_SETFL, 0); // back to blocking reads: only O_NONBLOCK was set

    const Target dst = checkReplaceableTarget(drives::toHost(target), NameOf::User, &sst);
    step("checked");

    const mode_t wanted = sst.st_mode & 0777;
    const struct timespec times[2] = {sst.st_atim, sst.st_mtim};
    const auto inPlace = [&] {
        writeInPlace(dst, sst.st_size, [&](int out) {
            const off_t end = copyData(in, out, sst, false, injected, true, src, dst.host);
            ::futimens(out, times);
            return end;
        });
    };
    // Other names of the old file keep pointing at it only if it is
    // written where it is.
    if (dst.exists && dst.st.st_nlink > 1) return inPlace();
    int refused = 0;
    try {
        const bool done = writeThroughTemporary(
            dst, creationMode(wanted),
            [&](int out) {
                copyData(in, out, sst, true, injected, dst.exists, src, dst.host);
                if (!dst.exists && (wanted & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
                    finishMode(out, wanted);
                ::futimens(out, times);
            },
            &refused, false);
        if (done) return;
    } catch (const FileError&) {
        // A folder the user may not write (or with no inode left) can
        // still hold a file the user may write.
        if (!dst.exists ||
            !(refused == EACCES || refused == EPERM || refused == ENOSPC || refused == EDQUOT))
            throw;
    }
    inPlace();
}

void rename(const QString& from, const QString& to)
{
    const QString src = drives::toHost(from);
    const QString dst = drives::toHost(to);
    const QByteArray s = enc(src), d = enc(dst);

    struct stat sst;
    if (::lstat(s.constData(), &sst) != 0) raiseErrno(errno, src);

    int rc = renameNoReplace(s.constData(), d.constData());
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // Unsupported flag, or a folder moved into itself; the fallback
        // reports the latter on its own.
        if (S_ISDIR(sst.st_mode)) {
            rc = renameOverPlaceholder(s.constData(), d.constData(), true);
        } else {
            rc = ::link(s.constData(), d.constData());
            if (rc == 0) {
                if (::unlink(s.constData()) != 0) {
                    const int e = errno;
                    ::unlink(d.constData());
                    raiseErrno(e, src);
                }
            } else if (errno == EPERM || errno == EOPNOTSUPP) {
                rc = renameOverPlaceholder(s.constData(), d.constData(), false);
            }
        }
    }
    if (rc != 0) {
        const int e = errno;
        if (e == ENOENT) // the source was there a moment ago: the target's folder is missing
            raise(ErrPathNotFound, errorText(e));
        raiseErrno(e, dst);
    }
}

void makeFolder(const QString& winPath)
{
    const QString host = drives::toHost(winPath);
    if (::mkdir(enc(host).constData(), 0777) != 0) raiseErrno(errno, host);
}

void removeFolder(const QString& winPath)
{
    const QString norm = drives::normalize(winPath);
    // A drive root is the folder the drive stands for; it is never removed.
    if (winpath::isRoot(norm))
        raise(ErrPathFileAccess, QStringLiteral("a drive root cannot be removed"));
    const QString host = drives::toHost(norm);
    // A pane opened through a link shows the link's path: the link is not
    // the folder, and removing it would leave the folder where it was.
    struct stat st;
    if (::lstat(enc(host).constData(), &st) == 0 && S_ISLNK(st.st_mode))
        raise(ErrPathFileAccess, QStringLiteral("a link to a folder"), FileCause::LinkToFolder);
    if (::rmdir(enc(host).constData()) != 0) {
        const int e = errno;
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            raise(ErrPathNotFound, errorText(e), FileCause::FolderMissing);
        case ENOTEMPTY:
        case EEXIST: // some file systems report a non-empty folder so
            raise(ErrPathFileAccess, errorText(e));
        default:
            raiseErrno(e, host);
        }
    }
}

void removeFile(const QString& winPath)
{
    const QString host = drives::toHost(winPath);
    if (::unlink(enc(host).constData()) != 0) raiseErrno(errno, host);
}

FileReader::FileReader(const QString& winPath, qint64 limit)
    : m_host(drives::toHost(winPath)), m_limit(limit)
{
    // Non-blocking until it is known to be a file: the open of a named pipe
    // with no writer would wait for one for good.
    m_fd = ::open(enc(m_host).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) raiseOpenErrno(errno, m_host);
    struct Guard {
        int* fd;
        ~Guard()
        {
            if (fd) ::close(*fd);
        }
    } guard{&m_fd}; // a constructor that throws runs no destructor
    struct stat st;
    if (::fstat(m_fd, &st) != 0) raiseErrno(errno, m_host);
    // A device or a pipe never ends, or ends when someone else says so.
    if (!S_ISREG(st.st_mode)) raiseExplained(ErrPathFileAccess, notAFileText(st.st_mode));
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_size = st.st_size;
    // Told from the size alone, before a byte is read: a large sparse file
    // would take minutes to read only to be refused.
    if (m_limit >= 0 && m_size > m_limit)
        raiseExplained(ErrOutOfMemory, QStringLiteral("the file is %1, more than the %2 that "
                                                      "can be held in memory here")
                                           .arg(sizeText(m_size), sizeText(m_limit)));
    guard.fd = nullptr;
}

FileReader::~FileReader()
{
    ::close(m_fd);
}

qsizetype FileReader::read(char* into, qsizetype max)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, into, size_t(max));
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseErrno(errno, m_host);
        }
        // A file that grows while it is read is held to the same limit.
        if (m_limit >= 0 && m_done + n > m_limit)
            raiseExplained(ErrOutOfMemory, QStringLiteral("the file is over %1, more than the %1 "
                                                          "that can be held in memory here")
                                               .arg(sizeText(m_limit)));
        m_done += n;
        return qsizetype(n);
    }
}

void FileReader::rewind()
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0) raiseErrno(errno, m_host);
    m_done = 0;
}

void FileReader::raiseOutOfMemory() const
{
    raiseExplained(
        ErrOutOfMemory,
        QStringLiteral("there is not enough memory to read the file (%1)").arg(sizeText(m_size)));
}

MemoryFill::MemoryFill(void* start, qint64 bytes)
{
    const qintptr page = qintptr(::sysconf(_SC_PAGESIZE));
    const qintptr from = (qintptr(start) + page - 1) / page * page;
    const qintptr to = (qintptr(start) + qintptr(bytes)) / page * page;
    constexpr qintptr kWorthIt = qintptr(8) << 20; // below this the threads cost more
    if (to - from < kWorthIt) return;
    // A system without large pages ignores the advice.
    ::madvise(reinterpret_cast<void*>(from), size_t(to - from), MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    // The writer works from the block's start: the helpers take the steps
    // in turn from there, so the pages handed out run ahead of it at the
    // pace of all of them. Handing a page out keeps whatever it holds, so a
    // page the writer got to first is left as it is. Where the system
    // cannot do this, or no thread can be had, the writer takes each page
    // itself as before.
    const int helpers = int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 2, 5)) - 1;
    // A thread's start maps its stack, which waits for every hand-out in
    // progress: the helpers wait until all of them are there, or the
    // writer would wait for the first ones' steps before it starts.
    for (int k = 0; k < helpers; ++k) {
        try {
            m_helpers.emplace_back([this, from, to, k, helpers] {
                m_go.wait(false, std::memory_order_acquire);
                constexpr qintptr kStep = qintptr(4) << 20;
                for (qintptr at = from + kStep * k;
                     at < to && !m_stop.load(std::memory_order_relaxed); at += kStep * helpers)
                    if (::madvise(reinterpret_cast<void*>(at), size_t(std::min(kStep, to - at)),
                                  MADV_POPULATE_WRITE) != 0)
                        return;
            });
        } catch (const std::system_error&) {
            break;
        }
    }
    m_go.store(true, std::memory_order_release);
    m_go.notify_all();
#endif
}

void MemoryFill::finish()
{
    m_stop = true;
    m_go.store(true, std::memory_order_release);
    m_go.notify_all();
    for (std::thread& t : m_helpers)
        t.join();
    m_helpers.clear();
}

QByteArray readFile(const QString& winPath, qint64 limit)
{
    FileReader file(winPath, limit);
    QByteArray data;
    try {
        if (file.size() > 0) data.reserve(qsizetype(file.size())); // one allocation for a big file
        QByteArray buf(1 << 16, Qt::Uninitialized);
        while (const qsizetype n = file.read(buf.data(), buf.size()))
            data.append(buf.constData(), n);
    } catch (const std::bad_alloc&) {
        file.raiseOutOfMemory();
    }
    return data;
}

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

// Saves d under t: through a temporary file, or in place where that would
// lose the old file's other names or owner, or where the folder takes no
// temporary file. `finish` is applied to the written file before it is
// synced.
void saveWhole(const Target& t, const QByteArray& d, mode_t mode,
               const std::function<void(int fd)>& finish)
{
    const auto inPlace = [&] {
        writeInPlace(t, d.size(), [&](int fd) {
            const off_t end = writeContent(fd, d, t.host);
            finish(fd);
            return end;
        });
    };
    if (t.exists && t.st.st_nlink > 1) return inPlace();
    int refused = 0;
    try {
        const bool done = writeThroughTemporary(
            t, mode,
            [&](int fd) {
                writeContent(fd, d, t.host);
                finish(fd);
            },
            &refused);
        if (done) return;
    } catch (const FileError&) {
        // A folder the user may not write (or with no inode left) can
        // still hold a file the user may write.
        if (!t.exists ||
            !(refused == EACCES || refused == EPERM || refused == ENOSPC || refused == EDQUOT))
            throw;
    }
    inPlace();
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
    const Target t = checkReplaceableTarget(drives::toHost(winPath), NameOf::User);
    step("checked");
    saveWhole(t, d, t.exists ? creationMode(t.st.st_mode) : 0666, [](int) {});
}

void writeOwnFile(const QString& winPath, const QByteArray& d, const QString& modelWinPath)
{
    Target t = checkReplaceableTarget(drives::toHost(winPath), NameOf::Program);
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
    }
    if (t.exists) t.st.st_mode = (t.st.st_mode & S_IFMT) | bits;
    t.keepAttributes = false;
    // Created for our eyes only until it has its bits; a file of ours with
    // other names is simply replaced.
    t.st.st_nlink = 1;
    saveWhole(t, d, S_IRUSR | S_IWUSR, [&](int fd) { ::fchmod(fd, bits); });
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
    const QByteArray folder = recordFolder(false);
    if (folder.isEmpty()) return;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    QList<QByteArray> names;
    while (dirent* ent = ::readdir(dir))
        if (ent->d_name[0] != '.') names.append(folder + '/' + ent->d_name);
    ::closedir(dir);
    for (const QByteArray& name : names) {
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // A save at work in another copy of the program holds its record.
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        char buf[2 * PATH_MAX + 4];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        ::close(fd);
        const QList<QByteArray> lines = QByteArray(buf, n > 0 ? int(n) : 0).split('\n');
        struct stat st;
        if (lines.size() < 2 || ::lstat(lines[1].constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            ::unlink(name.constData()); // its copy is gone: nothing left to tell
            continue;
        }
        notice(keptMessage(lines[0], lines[1]));
    }
}

} // namespace plat::fs
