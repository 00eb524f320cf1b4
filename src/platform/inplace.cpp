#include "platform/safewrite.h"
#include "platform/saverecords.h"
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
            if (::fstatat(where, candidate.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0) continue;
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
    void reserve(qint64 newSize, const QString& host, const struct stat& st)
    {
        if (newSize <= 0) return;
        if (plainlyNoRoom(off_t(newSize), st)) raiseErrno(ENOSPC, host);
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
        if (reserved > oldSize) {
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, oldSize,
                        reserved - oldSize);
            // Some file systems (ext4) punch nothing past a file's end; a
            // change of size to the size it has frees what lies beyond.
            ::ftruncate(fd, oldSize);
        }
        for (const auto& [from, to] : holes)
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, from, to - from);
        reserved = 0;
    }

    // Where a reservation that runs out of room part-way cannot be given
    // back whole (ext2, ext3, ext4 keep the extent tree it grew), and the
    // count of free blocks is exact, a drive that plainly lacks the room
    // says so before anything is taken.
    bool plainlyNoRoom(off_t newSize, const struct stat& st) const
    {
        struct statfs fs;
        if (::fstatfs(fd, &fs) != 0 || fs.f_type != 0xEF53) return false;
        const qint64 need = qint64(newSize) - qint64(st.st_blocks) * 512;
        // Only the superuser may take the blocks kept back for it.
        const qint64 freeBlocks = qint64(::geteuid() == 0 ? fs.f_bfree : fs.f_bavail);
        const qint64 unit = fs.f_frsize > 0 ? qint64(fs.f_frsize) : qint64(fs.f_bsize);
        return need > 0 && freeBlocks * unit < need;
    }
};

} // namespace

void writeInPlace(const Target& t, qint64 newSize, const std::function<off_t(int fd)>& fill,
                  const std::function<void(int fd)>& finish)
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
    room.reserve(newSize, t.host, st);
    KeptCopy kept;
    try {
        kept.make(fd, st, t);
    } catch (...) {
        room.giveBack();
        throw;
    }
    step("kept");
    try {
        const off_t end = fill(fd);
        if (::ftruncate(fd, end) != 0) raiseErrno(errno, t.host);
        if (finish) finish(fd);
        if (const int e = flushWritten(fd)) raiseErrno(e, t.host);
        if (::fsync(fd) != 0) raiseErrno(errno, t.host);
    } catch (...) {
        // Whatever stopped the fill (a file error, memory that ran out), the
        // old content goes back from the copy we hold; should that fail
        // too, the user learns where it is.
        int back = kept.restore(fd, st.st_size);
        if (back == 0) room.giveBack(); // a file left half-written is left as it is
        if (back == 0 && ::fsync(fd) != 0) back = errno;
        if (back == 0) {
            kept.release();
            throw;
        }
        const QString told = keptMessage(enc(t.host), kept.path);
        try {
            throw;
        } catch (const FileError& failure) {
            throw FileError(failure).setMessage(told);
        } catch (...) {
            throw FileError(ErrOutOfMemory, QStringLiteral("the save stopped")).setMessage(told);
        }
    }
    step("complete");
    kept.release();
    step("done");
}

} // namespace detail

void finishBackgroundWork()
{
    detail::g_removals.wait();
}

} // namespace plat::fs
