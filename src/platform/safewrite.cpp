#include "platform/safewrite.h"
#include "platform/writesupport.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/mounts.h"

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

// --- links the user chose ---

// Whether a stock kernel (fs.protected_symlinks = 1) would follow `link`
// (its stat) where it sits in folder dir, whatever this system is set to:
// in a sticky folder everyone may write to, anyone could have put a link
// there, so only a link of the user's own or of the folder's owner is
// followed.
bool mayFollow(int dir, const struct stat& link)
{
    struct stat folder;
    if (::fstat(dir, &folder) != 0) return false;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// A link the user chose is written through: the file it leads to receives
// the data, in its own folder, which is opened and held as the target's
// folder was. The link is read relative to the folder it is in; on return
// t names the file the link leads to and pin holds it. Each link on the
// way is followed only where mayFollow() allows it; otherwise 75, with a
// message that names the link.
void followLink(Target& t, Fd& pin)
{
    int dir = t.dir;
    Fd held;
    QByteArray name = t.name;
    QString folderHost = t.folderHost;
    for (int hops = 0; hops < 40; ++hops) {
        // t.st is the link's own, as the look-up of its name found it.
        if (!mayFollow(dir, t.st)) {
            const QString link = joinHost(folderHost, name);
            throw FileError::withMessage(
                ErrPathFileAccess, QStringLiteral("another user's link in a shared folder"),
                shownHost(enc(link)) +
                    QStringLiteral(" is a link another user made in a folder everyone may write "
                                   "to; it was not followed and nothing was written."));
        }
        // The link that was looked at, not whatever took its name since.
        char buf[PATH_MAX];
        ssize_t n = ::readlinkat(pin.get(), "", buf, sizeof buf);
        if (n < 0 && errno == ENOENT) n = ::readlinkat(dir, name.constData(), buf, sizeof buf);
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
        t.late = keptElsewhere(t.dir); // a link may lead to another drive
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
    f.late = keptElsewhere(f.fd.get());
    f.mounts = mounts::generation();
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
    t.late = in.late;
    t.mounts = in.mounts;
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
    // A pipe, a socket or a device is not replaced by a file: whoever reads
    // the pipe or uses the device would lose it.
    if (!S_ISREG(st.st_mode)) raise(ErrPathFileAccess, notAFileText(st.st_mode, "replaced"));
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
    if (::fstat(fd, &st) != 0) raiseErrno(errno, QString());
    const mode_t forced = (S_IRUSR | S_IWUSR) & ~wanted;
    if (!(st.st_mode & forced)) return;
    if (const int e = setModeAsVolumeKeeps(fd, st.st_mode & 07777 & ~forced))
        raiseErrno(e, QString());
}

void writeTarget(const Target& t, qint64 newSize, mode_t mode,
                 const std::function<void(int fd)>& fillTemporary,
                 const std::function<off_t(int fd)>& fillInPlace, bool waitForNew,
                 const std::function<void(int fd)>& finishInPlace)
{
    // Other names of the old file keep pointing at it only if it is
    // written where it is.
    if (t.exists && t.st.st_nlink > 1) return writeInPlace(t, newSize, fillInPlace, finishInPlace);
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
    writeInPlace(t, newSize, fillInPlace, finishInPlace);
}

} // namespace detail

using namespace detail;

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

} // namespace plat::fs
