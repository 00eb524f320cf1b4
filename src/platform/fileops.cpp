#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QFile>

#include <QRandomGenerator>

#include <algorithm>
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
#include <system_error>
#include <unistd.h>

namespace plat::fs {

namespace {

int g_failNextCopy = 0;
void (*g_stepHook)(const char*) = nullptr;
bool g_unnamedTemporaries = true;

// Every temporary file we put in a user's folder starts with this, so that
// one left by a crash is known as ours and removed at the next copy there.
constexpr char kTempPrefix[] = ".quorbix-copy-";

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

// The file a target name stands for. A link to a file is written through,
// so that the file receives the data and the link stays a link; a link to
// nothing is a taken name that is never replaced nor followed (it could
// point anywhere). Fails with the error number for a target that must not
// be replaced (read-only file, folder) or whose folder is missing. Sets
// *exists and, for an existing target, *out.
QString checkReplaceableTarget(const QString& name, bool* exists, struct stat* out = nullptr)
{
    struct stat pst;
    if (::stat(enc(parentOf(name)).constData(), &pst) != 0) {
        // A folder that is there but may not be opened, or a path too long
        // for the system, is not a missing folder.
        const int e = errno;
        if (e != ENOENT && e != ENOTDIR) raiseErrno(e, parentOf(name));
        raise(ErrPathNotFound, errorText(e), FileCause::FolderMissing);
    }
    if (!S_ISDIR(pst.st_mode)) raise(ErrPathNotFound, {}, FileCause::FolderMissing);
    QString host = name;
    struct stat st;
    if (::lstat(enc(host).constData(), &st) != 0) {
        const int e = errno;
        if (e != ENOENT) raiseErrno(e, host);
        *exists = false;
        return host;
    }
    if (S_ISLNK(st.st_mode)) {
        if (::stat(enc(host).constData(), &st) != 0) {
            const int e = errno;
            if (e == ENOENT || e == ELOOP)
                raise(ErrPathFileAccess, QStringLiteral("target is a link to nothing"));
            raiseErrno(e, host);
        }
        char* real = ::realpath(enc(host).constData(), nullptr);
        if (!real) raiseErrno(errno, host);
        host = dec(QByteArray(real));
        std::free(real);
    }
    if (S_ISDIR(st.st_mode)) raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
    if (isReadOnly(host, st)) raise(ErrPathFileAccess, QStringLiteral("target is read-only"));
    *exists = true;
    if (out) *out = st;
    return host;
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
    QByteArray out(12, Qt::Uninitialized);
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

// Removes the temporary files a crashed copy left in a folder. A copy at
// work holds a lock on its file; one we can lock has no writer left.
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
        if (std::strncmp(ent->d_name, kTempPrefix, sizeof kTempPrefix - 1) != 0) continue;
        const int fd = ::openat(dfd, ent->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st, now;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
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
            fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (fd >= 0) {
                ::flock(fd, LOCK_EX);
                return 0;
            }
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

// Writes a target through a temporary file in its folder: fill() writes
// the data (and may throw FileError); the complete file is then given the
// target's name: a new target only while that name is still free (58 when
// something took it meanwhile), an old one replaced by a rename. At any
// moment of a crash the target holds its old state or the complete file.
// A replacement is synced before its rename, and so is a new file unless
// `waitForNew` is false (a copy: the source is still there).
void writeThroughTemporary(const QString& dst, bool replacing, mode_t mode,
                           const std::function<void(int fd)>& fill, int* refused = nullptr,
                           bool waitForNew = true)
{
    const QString folderHost = parentOf(dst);
    const QByteArray folder = enc(folderHost), target = enc(dst);
    sweepStale(folder);
    bool unnamed = g_unnamedTemporaries;
    for (;;) {
        TempFile tmp;
        if (const int e = tmp.open(folder, mode, unnamed)) {
            if (refused) *refused = e;
            raiseErrno(e, dst);
        }
        unnamed = tmp.path.isEmpty();
        fill(tmp.fd);
        if (replacing || waitForNew) {
            // The old file goes when the rename lands: its replacement must
            // be on the disk before then, power cut or not.
            if (::fsync(tmp.fd) != 0) raiseErrno(errno, dst);
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
        if (e != 0) raiseErrno(e, dst);
        if (::close(tmp.fd) != 0) {
            tmp.fd = -1;
            raiseErrno(errno, dst);
        }
        tmp.fd = -1;
        if (replacing) syncFolder(folderHost);
        noteFolder(folder);
        return;
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

void copyFile(const QString& source, const QString& target)
{
    const int injected = g_failNextCopy;
    g_failNextCopy = 0;

    const QString src = drives::toHost(source);

    struct stat sst;
    if (::stat(enc(src).constData(), &sst) != 0) raiseSourceErrno(errno, src);
    if (S_ISDIR(sst.st_mode)) raise(ErrPathFileAccess, QStringLiteral("source is a folder"));

    // The same file under any name (hard link, link, other drive letter) is
    // refused before anything is opened: a copy onto itself would truncate it.
    const QString named = drives::toHost(target);
    struct stat tst;
    if (::stat(enc(named).constData(), &tst) == 0 && tst.st_dev == sst.st_dev &&
        tst.st_ino == sst.st_ino)
        raise(ErrPermissionDenied, QStringLiteral("source and target are the same file"));
    bool replacing = false;
    const QString dst = checkReplaceableTarget(named, &replacing);

    const int in = ::open(enc(src).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) raiseSourceErrno(errno, src);
    struct InGuard {
        int fd;
        ~InGuard() { ::close(fd); }
    } inGuard{in};

    const mode_t wanted = sst.st_mode & 0777;
    int tries = 0;
    writeThroughTemporary(
        dst, replacing, creationMode(wanted),
        [&](int out) {
            auto failErrno = [&](int e, const QString& host) {
                raise(errorNumberFor(e, host), errorText(e));
            };
            // A second try (named temporary) starts the source again.
            if (tries++ > 0 && ::lseek(in, 0, SEEK_SET) < 0) failErrno(errno, src);
            // The kernel copies without a round trip through our buffers where
            // it can; across file systems that refuse it we fall back to
            // read/write. Written chunks are sent on to the disk at once, so
            // that the sync at the end has little left to wait for.
            constexpr qint64 kChunk = qint64(8) << 20;
            bool kernelCopy = !injected;
            bool first = true;
            qint64 done = 0, flushed = 0;
            QByteArray buf;
            for (;;) {
                ssize_t n;
                if (kernelCopy) {
                    n = ::copy_file_range(in, nullptr, out, nullptr, size_t(kChunk), 0);
                    if (n < 0) {
                        if (errno == EINTR) continue;
                        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                            errno == EOPNOTSUPP || errno == EBADF) {
                            kernelCopy = false; // nothing written yet by a refused call
                            continue;
                        }
                        failErrno(errno, dst);
                    }
                } else {
                    if (buf.isEmpty()) buf = QByteArray(1 << 20, Qt::Uninitialized);
                    n = ::read(in, buf.data(), size_t(buf.size()));
                    if (n < 0) {
                        if (errno == EINTR) continue;
                        failErrno(errno, src);
                    }
                    if (n > 0 && injected) {
                        // Leave part of the data in the temporary file, as a
                        // real failure half-way through would.
                        writeAll(out, buf.constData(), (n + 1) / 2);
                        raise(injected, QStringLiteral("injected failure"));
                    }
                    if (n > 0 && !writeAll(out, buf.constData(), n)) failErrno(errno, dst);
                }
                if (n == 0) break;
                done += n;
                if (replacing && done - flushed >= kChunk) {
                    ::sync_file_range(out, flushed, done - flushed, SYNC_FILE_RANGE_WRITE);
                    flushed = done;
                }
                if (first) step("partial");
                first = false;
            }
            if (injected) {
                writeAll(out, "x", 1);
                raise(injected, QStringLiteral("injected failure"));
            }
            finishMode(out, wanted);
            const struct timespec times[2] = {sst.st_atim, sst.st_mtim};
            ::futimens(out, times);
        },
        nullptr, false);
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
    if (drives::isRoot(norm))
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
    for (int k = 0; k < helpers; ++k) {
        try {
            m_helpers.emplace_back([this, from, to, k, helpers] {
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
#endif
}

void MemoryFill::finish()
{
    m_stop = true;
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

// Writes a whole file over its old content, for a file whose folder takes
// no temporary file or which has other names (hard links) that must see
// the new text. Not atomic, so it reserves the disk space before the old
// content is touched: a full disk fails with the file as it was.
void writeInPlace(const QString& host, const QByteArray& d)
{
    const int fd = ::open(enc(host).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) raiseErrno(errno, host);
    struct Guard {
        int fd;
        ~Guard()
        {
            if (fd >= 0) ::close(fd);
        }
    } guard{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) raiseErrno(errno, host);
    const off_t oldSize = st.st_size, newSize = off_t(d.size());
    if (newSize > 0 && ::fallocate(fd, 0, 0, newSize) != 0) {
        int e = errno;
        if (e == EOPNOTSUPP || e == ENOSYS) {
            // Only the part beyond the old end needs new space; filling it
            // cannot touch the old content.
            e = newSize > oldSize ? ::posix_fallocate(fd, oldSize, newSize - oldSize) : 0;
        }
        if (e != 0) {
            if (::fstat(fd, &st) == 0 && st.st_size != oldSize) ::ftruncate(fd, oldSize);
            raiseErrno(e, host);
        }
    }
    for (qint64 done = 0; done < d.size();) {
        const ssize_t n = ::pwrite(fd, d.constData() + done, size_t(d.size() - done), off_t(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseErrno(errno, host);
        }
        done += n;
    }
    if (newSize < oldSize && ::ftruncate(fd, newSize) != 0) raiseErrno(errno, host);
    if (::fsync(fd) != 0) raiseErrno(errno, host);
    guard.fd = -1;
    if (::close(fd) != 0) raiseErrno(errno, host);
}

} // namespace

void writeFileAtomic(const QString& winPath, const QByteArray& d)
{
    // Read-only targets are refused even for root; the checks also give
    // the precise numbers.
    bool exists = false;
    struct stat st;
    const QString host = checkReplaceableTarget(drives::toHost(winPath), &exists, &st);
    // Other names of the file keep pointing at it only if it is written
    // where it is.
    if (exists && st.st_nlink > 1) return writeInPlace(host, d);
    int refused = 0;
    try {
        // A new file gets the usual bits minus the umask; an old one keeps
        // its own.
        writeThroughTemporary(
            host, exists, exists ? creationMode(st.st_mode) : 0666,
            [&](int fd) {
                if (!writeAll(fd, d.constData(), d.size())) raiseErrno(errno, host);
                if (exists) ::fchmod(fd, st.st_mode & 07777);
            },
            &refused);
    } catch (const FileError&) {
        // A folder the user may not write (or with no inode left) can
        // still hold a file the user may write.
        if (!exists ||
            !(refused == EACCES || refused == EPERM || refused == ENOSPC || refused == EDQUOT))
            throw;
        writeInPlace(host, d);
    }
}

} // namespace plat::fs
