#pragma once
// What the file layer's ways of writing share: names and messages, small
// steps on descriptors, the temporary files of a write and the user's own
// folders. Internal to the platform layer.
#include "platform/safewrite.h"

#include <QByteArray>
#include <QString>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace plat::fs::detail {

// Whether temporaries may be made without a name (setUnnamedTemporaries).
extern bool g_unnamedTemporaries;

// Every temporary file we put in a user's folder starts with this, so that
// one left by a crash is known as ours and removed at the next copy there.
inline constexpr char kTempPrefix[] = ".quorbix-copy-";
inline constexpr int kRandomLength = 12; // letters and digits after the prefix

QString joinHost(const QString& folder, const QByteArray& name);
// The name as the user knows it, for messages.
QString shownHost(const QByteArray& hostBytes);
// The name under which the system shows an open descriptor's file.
QByteArray procPath(int fd);
// The path a folder's descriptor stands at now, for messages; the path it
// was reached by where the system cannot say.
QString pathOf(int dir, const QString& fallback);
// A failure to make something in a held folder. The folder itself is
// there (we hold it): a missing name there means it has been removed.
[[noreturn]] void raiseIn(int e, const QString& host);
// Removes name from dir only while it is still the file we know (device
// and inode): another user who may write the folder can have put
// something else there since.
void unlinkIfSame(int dir, const QByteArray& name, const struct stat& ours);
bool writeAll(int fd, const char* data, qint64 size);
// 0 or an errno. A folder we may write but not read cannot be opened to be
// synced: its names then reach the disk when the system writes them back.
int syncFolder(int dir);
QByteArray randomPart();
// The longest name the folder's file system takes.
qsizetype nameMax(int dir);
// Takes away the access list a folder's default list gave a new file, so
// that its permission bits alone say who may read it.
void dropAccessList(int fd);
// A folder of the user's own under the data folder (~/.local/share/Quorbix/
// leaf), made 0700 and opened; invalid, with errno set, where it cannot be
// had or is not the user's. *host receives its path.
Fd ownFolder(const char* leaf, QString* host, bool make = true);
// Gives the file fd the permission bits `wanted`; 0 or an errno. A volume
// that stores no modes (FAT through FUSE, many network drives) refuses
// every change of them, as ENOSYS, EOPNOTSUPP or EPERM: that is no failure
// where the file already has the bits asked for, nor where the volume
// refuses even the bits the file has (it gives every file one mode) and
// those differ from `wanted` only in what the owner may do. cp goes on
// there too.
int setModeAsVolumeKeeps(int fd, mode_t wanted);
// What every mode change of setModeAsVolumeKeeps answers instead of the
// system (refuseModeChangesWith); 0 for the system's answers.
extern int g_refusedModeChanges;
// Sends what was written of fd up to `end` on to the disk without waiting,
// so that a sync after it has little left to wait for.
void startWriteBack(int fd, off_t* sent, off_t end);

// Whether the file system fd is on keeps its data elsewhere (a network
// drive) or in a program of its own (FUSE): it may take writes it cannot
// keep and say so only at fsync or close, and its folder times come from
// elsewhere or from a cache. Asked of a descriptor, never remembered by a
// folder's numbers: a drive mounted where another was is given that one's
// device and inode numbers, so what they once named says nothing of what
// stands there now. A descriptor stays on the drive it was opened on.
bool keptElsewhere(int fd);
// The last word on a written file, each 0 or an errno (or the failure a
// test asked for, failNextFileEnd). syncWritten: fsync. flushWritten: what
// a close says of the file, asked of a second descriptor, so that fd stays
// open and its lock held; each close makes the file system tell what it
// could not write, and the last close has nothing more to tell unless more
// was written since. closeWritten: closes fd.
int syncWritten(int fd);
int flushWritten(int fd);
int closeWritten(Fd& fd);

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

} // namespace plat::fs::detail
