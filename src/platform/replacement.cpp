#include "platform/safewrite.h"
#include "platform/writesupport.h"

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
#include <linux/fs.h>
#include <map>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace plat::fs::detail {

namespace {

// Per folder (device and inode), its modification time after our last
// copy into it: while it is unchanged, nobody can have left anything there
// since we last swept it. Only while the mounts stay as they were
// (g_sweptMounts): a drive mounted later may show the same numbers.
std::map<std::pair<dev_t, ino_t>, timespec> g_swept;
quint64 g_sweptMounts = 0;

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
void sweepStale(int folder, const struct stat& fst, quint64 mounts)
{
    if (mounts != g_sweptMounts) {
        g_swept.clear();
        g_sweptMounts = mounts;
    }
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

// --- inode flags ---

// The flags a file's owner sets for what becomes of it (no dump, no access
// times, synchronous writes, no copy on write, compression and the like),
// which a replacement takes from the old file. Immutable and append-only
// files refuse the write before it starts; the kernel's own flags (extents,
// inline data, encryption) are not the file's owner's to give.
constexpr int kKeptFlags = FS_SECRM_FL | FS_UNRM_FL | FS_COMPR_FL | FS_SYNC_FL | FS_NODUMP_FL |
                           FS_NOATIME_FL | FS_NOCOMP_FL | FS_JOURNAL_DATA_FL | FS_NOTAIL_FL |
                           FS_NOCOW_FL | FS_DAX_FL;
// Flags that slow down the writes of the fill: they come once it is done.
constexpr int kFlagsAfterFill = FS_SYNC_FL | FS_JOURNAL_DATA_FL;

// The kept flags of the old file as it was checked; 0 where its file
// system keeps none, or where the file can be opened neither to read nor
// to write (then nothing can be learnt of it, as before).
int oldFlags(const Target& old)
{
    if (!S_ISREG(old.st.st_mode)) return 0;
    Fd file;
    for (const int access : {O_RDONLY, O_WRONLY}) {
        const int how = access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        file.reset(::open(procPath(old.pin.get()).constData(), how));
        if (!file.valid() && errno == ENOENT) { // no /proc: by its name, if still the same
            file.reset(::openat(old.dir, old.name.constData(), how | O_NOFOLLOW));
            struct stat st;
            if (file.valid() && (::fstat(file.get(), &st) != 0 || st.st_dev != old.st.st_dev ||
                                 st.st_ino != old.st.st_ino))
                return 0;
        }
        if (file.valid() || errno != EACCES) break;
    }
    int flags = 0;
    if (!file.valid() || ::ioctl(file.get(), FS_IOC_GETFLAGS, &flags) != 0) return 0;
    return flags & kKeptFlags;
}

// Gives the temporary the old file's kept flags, all but those that wait
// for the end of the fill (`filled` false) or all of them (`filled` true),
// and takes away the ones the folder gave it that the old file lacks.
// False where the temporary cannot be given them.
bool matchFlags(int fd, int wanted, bool filled)
{
    int now = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &now) != 0) return wanted == 0; // a drive without flags
    const int target = (now & ~kKeptFlags) | (filled ? wanted : wanted & ~kFlagsAfterFill);
    if (now == target) return true;
    int set = target;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &set) != 0) return false;
    // Some file systems leave a flag they cannot take without a word.
    return ::ioctl(fd, FS_IOC_GETFLAGS, &now) == 0 && (now & kKeptFlags) == (target & kKeptFlags);
}

} // namespace

bool writeThroughTemporary(const Target& dst, mode_t mode, const std::function<void(int fd)>& fill,
                           int* refused, bool waitForNew)
{
    const bool replacing = dst.exists;
    const int flags = replacing ? oldFlags(dst) : 0;
    struct stat folder;
    if (::fstat(dst.dir, &folder) != 0) raiseErrno(errno, dst.folderHost);
    // Where write errors come only at fsync or close, a new file is synced
    // before it takes its name, so that a full disk shows while the name is
    // still free.
    const bool late = dst.late;
    sweepStale(dst.dir, folder, dst.mounts);
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
            // No copy on write (and compression) can be chosen only while
            // the file is empty.
            if (!matchFlags(fd, flags, false)) return false;
        }
        fill(fd);
        if (replacing) {
            // After the owner: a change of owner drops the set-id bits.
            if (const int e = setModeAsVolumeKeeps(fd, dst.st.st_mode)) raiseErrno(e, dst.host);
        }
        if (replacing && !matchFlags(fd, flags, true)) return false;
        if (replacing || waitForNew || late) {
            // The old file goes when the rename lands: its replacement must
            // be on the disk before then, power cut or not.
            if (const int e = syncWritten(fd)) raiseErrno(e, dst.host);
        }
        // A copy to a new name on a local drive is not waited for: it takes
        // its name only when complete, so a crash of the program never
        // leaves a part, and the source is still there should the power
        // fail before the disk has it. A wait per file made a paste of many
        // small files five times slower than cp. Where a close too may say
        // what could not be written, the file takes no name before; nor
        // does a replacement anywhere: the old file goes with the rename,
        // and a drive of a kind not known to tell errors late may do so
        // all the same, which costs little beside the sync.
        if (late || replacing) {
            if (const int e = flushWritten(fd)) raiseErrno(e, dst.host);
        }
        struct stat written {};
        if (!replacing && ::fstat(fd, &written) != 0) raiseErrno(errno, dst.host);
        step("complete");
        int e = 0;
        // What the new name holds once given, where that may not be the
        // descriptor's inode number: a drive that numbers names rather
        // than files (FUSE without inode numbers of its own) gives a link's
        // new name a number of its own.
        struct stat landed {};
        if (!replacing) {
            const bool linkedByName = !unnamed;
            e = tmp.takeName(dst.name.constData());
            if (unnamed && e != 0 && e != EEXIST && e != ENOSPC && e != EDQUOT && e != EROFS &&
                e != EIO && e != ENOENT) {
                unnamed = false; // the kernel could not link it: write a named one instead
                continue;
            }
            if (e == 0 && (linkedByName || late))
                ::fstatat(dst.dir, dst.name.constData(), &landed, AT_SYMLINK_NOFOLLOW);
            if (e == 0) step("landed");
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
        if (const int lastClose = closeWritten(tmp.fd)) {
            // A new file goes again, on every road and every drive, while
            // the name still holds what it was given; the old file a
            // replacement took the place of is gone, and its replacement
            // was synced and its close heard before: it is told and left.
            if (!replacing) {
                unlinkIfSame(dst.dir, dst.name, written);
                if (landed.st_ino != 0 && landed.st_ino != written.st_ino &&
                    S_ISREG(landed.st_mode) && landed.st_size == written.st_size)
                    unlinkIfSame(dst.dir, dst.name, landed);
            }
            raiseErrno(lastClose, dst.host);
        }
        if (replacing) syncFolder(dst.dir);
        noteFolder(dst.dir);
        return true;
    }
}

} // namespace plat::fs::detail
