#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat::fs {

namespace {

int g_failNextCopy = 0;

// Host paths here are in the drives layer's text form; these are the exact
// bytes of the name, whatever they are.
QByteArray enc(const QString& host)
{
    return drives::hostBytes(host);
}

QString parentOf(const QString& host)
{
    const int slash = host.lastIndexOf('/');
    if (slash <= 0) return QStringLiteral("/");
    return host.left(slash);
}

// A file the user would call read-only: no write bit at all, or one we may
// not write. Root passes every access() test, but a file marked read-only
// must still not be replaced behind the user's back.
bool isReadOnly(const QString& host, const struct stat& st)
{
    if ((st.st_mode & 0222) == 0) return true;
    return ::access(enc(host).constData(), W_OK) != 0;
}

// Fails with the error number for a target that must not be replaced
// (read-only file, folder) or whose folder is missing. Returns true when
// the target exists.
bool checkReplaceableTarget(const QString& host, struct stat* out = nullptr)
{
    struct stat pst;
    if (::stat(enc(parentOf(host)).constData(), &pst) != 0 || !S_ISDIR(pst.st_mode))
        raise(ErrPathNotFound);
    struct stat st;
    if (::stat(enc(host).constData(), &st) != 0) {
        const int e = errno;
        if (e == ENOENT) return false;
        raiseErrno(e, host);
    }
    if (S_ISDIR(st.st_mode)) raise(ErrPathFileAccess, QStringLiteral("target is a folder"));
    if (isReadOnly(host, st)) raise(ErrPathFileAccess, QStringLiteral("target is read-only"));
    if (out) *out = st;
    return true;
}

// The file a target name stands for: a link is written through, so that the
// file it points to receives the copy and the link stays a link.
QString resolveTarget(const QString& host)
{
    const QByteArray b = enc(host);
    struct stat lst, st;
    if (::lstat(b.constData(), &lst) != 0 || !S_ISLNK(lst.st_mode) ||
        ::stat(b.constData(), &st) != 0)
        return host;
    char* real = ::realpath(b.constData(), nullptr);
    if (!real) return host;
    const QString out = drives::hostString(QByteArray(real));
    std::free(real);
    return out;
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

// The whole-file write for a name only its bytes spell: a complete,
// synced temporary file in the same folder renamed over the target, keeping
// an old file's permission bits.
void writeExactAtomic(const QString& host, const QByteArray& d)
{
    struct stat old;
    const bool existed = ::stat(enc(host).constData(), &old) == 0;
    QByteArray tmpl = enc(parentOf(host) + QStringLiteral("/.quorbix-save-XXXXXX"));
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) raiseErrno(errno, host);
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.constData());
        raiseErrno(e, host);
    };
    if (existed) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (!writeAll(fd, d.constData(), d.size())) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        raiseErrno(e, host);
    }
    if (::rename(tmpl.constData(), enc(host).constData()) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        raiseErrno(e, host);
    }
    syncFolder(parentOf(host));
}

} // namespace

void failNextCopyWith(int number)
{
    g_failNextCopy = number;
}

void copyFile(const QString& source, const QString& target)
{
    const int injected = g_failNextCopy;
    g_failNextCopy = 0;

    const QString src = drives::toHost(source);
    const QString dst = resolveTarget(drives::toHost(target));

    struct stat sst;
    if (::stat(enc(src).constData(), &sst) != 0) raiseErrno(errno, src);
    if (S_ISDIR(sst.st_mode)) raise(ErrPathFileAccess, QStringLiteral("source is a folder"));

    // The same file under any name (hard link, link, other drive letter) is
    // refused before anything is opened: a copy onto itself would truncate it.
    struct stat tst;
    if (::stat(enc(dst).constData(), &tst) == 0 && tst.st_dev == sst.st_dev &&
        tst.st_ino == sst.st_ino)
        raise(ErrPermissionDenied, QStringLiteral("source and target are the same file"));
    checkReplaceableTarget(dst);

    const int in = ::open(enc(src).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) raiseErrno(errno, src);

    // A new file is written in place: O_EXCL makes it ours, so a failure can
    // remove it without touching anything of the user's. An old file is
    // replaced only by renaming a complete temporary copy over it.
    QByteArray tmpl;
    int out = ::open(enc(dst).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool replacing = out < 0 && errno == EEXIST;
    if (replacing) {
        tmpl = enc(parentOf(dst) + QStringLiteral("/.quorbix-copy-XXXXXX"));
        out = ::mkstemp(tmpl.data());
    } else if (out >= 0) {
        tmpl = enc(dst);
    }
    if (out < 0) {
        const int e = errno;
        ::close(in);
        raiseErrno(e, dst);
    }

    auto fail = [&](int number, const QString& detail) {
        ::close(in);
        ::close(out);
        ::unlink(tmpl.constData());
        raise(number, detail);
    };
    auto failErrno = [&](int e, const QString& host) {
        fail(errorNumberFor(e, host), errorText(e));
    };

    // The kernel copies without a round trip through our buffers where it
    // can; across file systems that refuse it we fall back to read/write.
    bool kernelCopy = !injected;
    QByteArray buf;
    for (;;) {
        if (kernelCopy) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n > 0) continue;
            if (n == 0) break;
            if (errno == EINTR) continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                errno == EBADF) {
                kernelCopy = false; // nothing written yet by a refused call
                continue;
            }
            failErrno(errno, dst);
        }
        if (buf.isEmpty()) buf = QByteArray(1 << 20, Qt::Uninitialized);
        const ssize_t n = ::read(in, buf.data(), size_t(buf.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            failErrno(errno, src);
        }
        if (n == 0) break;
        if (injected) {
            // Leave part of the data in the temporary file, as a real
            // failure half-way through would.
            writeAll(out, buf.constData(), (n + 1) / 2);
            fail(injected, QStringLiteral("injected failure"));
        }
        if (!writeAll(out, buf.constData(), n)) failErrno(errno, dst);
    }
    if (injected) {
        writeAll(out, "x", 1);
        fail(injected, QStringLiteral("injected failure"));
    }

    ::fchmod(out, sst.st_mode & 07777 & ~(S_ISUID | S_ISGID));
    const struct timespec times[2] = {sst.st_atim, sst.st_mtim};
    ::futimens(out, times);
    // Only a copy that replaces an old file must reach the disk before the
    // rename: otherwise a crash could leave neither the old nor the new
    // data. A new file has nothing to lose, and skipping the sync keeps
    // pasting many files as fast as cp.
    if (replacing && ::fsync(out) != 0) failErrno(errno, dst);
    ::close(in);
    if (::close(out) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        raiseErrno(e, dst);
    }
    if (!replacing) return;
    if (::rename(tmpl.constData(), enc(dst).constData()) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        raiseErrno(e, dst);
    }
    syncFolder(parentOf(dst));
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
    if (::rmdir(enc(host).constData()) != 0) {
        const int e = errno;
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            raise(ErrPathNotFound, errorText(e));
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

QByteArray readFile(const QString& winPath)
{
    const QString host = drives::toHost(winPath);
    const int fd = ::open(enc(host).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raiseErrno(errno, host);
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        raise(ErrPathFileAccess, QStringLiteral("not a file"));
    }
    QByteArray data;
    if (st.st_size > 0) data.reserve(qsizetype(st.st_size)); // one allocation for a big file
    QByteArray buf(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), size_t(buf.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            raiseErrno(e, host);
        }
        if (n == 0) break;
        data.append(buf.constData(), n);
    }
    ::close(fd);
    return data;
}

void writeFileAtomic(const QString& winPath, const QByteArray& d)
{
    const QString exact = resolveTarget(drives::toHost(winPath));
    // QSaveFile would replace a read-only file when run as root; the checks
    // also give the precise numbers QSaveFile cannot.
    checkReplaceableTarget(exact);
    const QString host = drives::qtPath(exact);
    if (host.isEmpty()) {
        writeExactAtomic(exact, d); // a name Qt's file classes cannot spell
        return;
    }

    QSaveFile file(host);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int e = errno ? errno : EACCES;
        raiseErrno(e, host);
    }
    errno = 0;
    const bool written = file.write(d) == d.size();
    int e = errno;
    if (!written) {
        file.cancelWriting();
        file.commit();
        raiseErrno(e ? e : EIO, host);
    }
    errno = 0;
    if (!file.commit()) {
        e = errno;
        raiseErrno(e ? e : EIO, host);
    }
}

} // namespace plat::fs
