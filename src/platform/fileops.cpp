#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/safewrite.h"
#include "platform/winpath.h"
#include "platform/writesupport.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace plat::fs {

using namespace detail;

namespace {

int g_failNextCopy = 0;

} // namespace

void failNextCopyWith(int number)
{
    g_failNextCopy = number;
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

namespace {

// A copy's source, opened first: every check is made on what was opened,
// so that a name changed meanwhile (a link put in its place) cannot make
// us copy another file. A pipe without a writer cannot hold the open, and
// a device or a pipe is refused before anything is read.
struct Source {
    Fd fd;
    struct stat st {};
    QString host;
};

Source openSource(const QString& source)
{
    Source s;
    s.host = drives::toHost(source);
    s.fd.reset(::open(enc(s.host).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!s.fd.valid()) {
        const int e = errno;
        struct stat st;
        if (e == ENXIO && ::stat(enc(s.host).constData(), &st) == 0 && S_ISSOCK(st.st_mode))
            raiseNotCopyable(source);
        raiseSourceErrno(e, s.host);
    }
    if (::fstat(s.fd.get(), &s.st) != 0) raiseErrno(errno, s.host);
    if (S_ISDIR(s.st.st_mode)) raise(ErrPathFileAccess, QStringLiteral("source is a folder"));
    if (!S_ISREG(s.st.st_mode)) raiseNotCopyable(source);
    ::fcntl(s.fd.get(), F_SETFL, 0); // back to blocking reads: only O_NONBLOCK was set
    return s;
}

// Copies the opened source to name in the held folder.
void copyInto(const Source& s, const Folder& folder, const QByteArray& name, int injected)
{
    const int in = s.fd.get();
    const struct stat& sst = s.st;
    const Target dst = checkTarget(folder, name, NameOf::User, &sst);
    step("checked");

    const mode_t wanted = sst.st_mode & 0777;
    const struct timespec times[2] = {sst.st_atim, sst.st_mtim};
    writeTarget(
        dst, sst.st_size, creationMode(wanted),
        [&](int out) {
            copyData(in, out, sst, true, injected, dst.exists, s.host, dst.host);
            if (!dst.exists && (wanted & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
                finishMode(out, wanted);
            ::futimens(out, times);
        },
        [&](int out) { return copyData(in, out, sst, false, injected, true, s.host, dst.host); },
        false,
        // After the last change of size, which sets the time of the change.
        [&](int out) { ::futimens(out, times); });
}

int takeInjected()
{
    const int injected = g_failNextCopy;
    g_failNextCopy = 0;
    return injected;
}

} // namespace

void copyFile(const QString& source, const QString& target)
{
    const int injected = takeInjected();
    const Source s = openSource(source);
    QByteArray folder, name;
    splitHost(drives::toHost(target), &folder, &name);
    copyInto(s, openFolder(dec(folder)), name, injected);
}

void copyFile(const QString& source, const TargetFolder& into, const QString& name)
{
    const int injected = takeInjected();
    const Source s = openSource(source);
    into.check();
    // One name in the folder, never a way out of it.
    const QByteArray bytes = drives::hostBytes(drives::nameToHost(name));
    if (bytes.isEmpty() || bytes.contains('/') || name.contains('\\') || bytes == "." ||
        bytes == "..")
        raise(ErrPathNotFound, QStringLiteral("not a single name: ") + name);
    copyInto(s, into.held(), bytes, injected);
}

RenameSeam::~RenameSeam() = default;

namespace {

// A name a file or folder takes for a moment on its way to a new spelling
// of its own name. Seen in the pane should a crash leave it there, and
// never one the sweep of our temporaries would take.
constexpr char kRenamePrefix[] = "quorbix-rename-";

RenameSeam g_systemNames;
RenameSeam* g_renameSeam = nullptr;

RenameSeam& names()
{
    return g_renameSeam ? *g_renameSeam : g_systemNames;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool sameWithoutCase(const QByteArray& a, const QByteArray& b)
{
    return dec(a).compare(dec(b), Qt::CaseInsensitive) == 0;
}

bool sameFolder(const QByteArray& a, const QByteArray& b)
{
    if (a == b) return true;
    struct stat sa, sb;
    return ::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Whether the entry found under the new name d is the very file or folder
// s being renamed, found by another spelling. A file with other names is
// not: the new name may be one of them. Some volumes (FUSE drives) number
// an entry anew for each spelling of its name: there it is the entry
// being renamed only when the new name is the old one in other case, the
// folder lists no other entry that the new name could find, and what was
// found is in every respect the same.
bool isItself(const QByteArray& s, const RenameSeam::Entry& se, const QByteArray& d,
              const RenameSeam::Entry& de)
{
    if (s == d || (se.mode & S_IFMT) != (de.mode & S_IFMT)) return false;
    if (!S_ISDIR(se.mode) && se.links != 1) return false;
    if (!sameFolder(folderOf(s), folderOf(d))) return false;
    if (se.device == de.device && se.inode == de.inode) return true;
    const QByteArray oldName = nameOf(s), newName = nameOf(d);
    if (!sameWithoutCase(oldName, newName) || se.links != de.links || se.mode != de.mode ||
        se.size != de.size || se.modified != de.modified)
        return false;
    QList<QByteArray> listed;
    if (!names().list(folderOf(d), &listed)) return false;
    for (const QByteArray& name : listed)
        if (name != oldName && sameWithoutCase(name, newName)) return false;
    return listed.contains(oldName);
}

// Gives s the new spelling d of its own name. A volume that compares names
// without case usually changes it in the rename; to some systems a rename
// onto the very same file is nothing, and the entry then goes to a free
// name and from there to the new one, back to its old one should the new
// one be taken meanwhile.
void respell(const QByteArray& s, const QByteArray& d, const QString& dst)
{
    RenameSeam& n = names();
    int e = n.move(s, d, false);
    QList<QByteArray> listed;
    // A folder that cannot be read cannot say otherwise.
    if (e == 0 && (!n.list(folderOf(d), &listed) || listed.contains(nameOf(d)))) return;
    if (e != 0 && e != EEXIST && e != ENOTEMPTY) raiseErrno(e, dst);
    QByteArray between;
    for (int attempt = 0; attempt < 100; ++attempt) {
        between = folderOf(s) + '/' + kRenamePrefix + randomPart();
        e = n.move(s, between, true);
        if (e != EEXIST) break;
    }
    if (e != 0) raiseErrno(e, dst);
    e = n.move(between, d, true);
    if (e == 0) return;
    if (n.move(between, s, true) == 0) raiseErrno(e, dst);
    // On such a volume a new entry of the new name takes the old one too.
    throw FileError::withMessage(errorNumberFor(e, dst), errorText(e),
                                 shownHost(s) +
                                     QStringLiteral(" could not take its new name, nor its old one "
                                                    "back; it is now named ") +
                                     shownHost(between) + '.');
}

} // namespace

int RenameSeam::lookUp(const QByteArray& path, Entry* entry)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) return errno;
    entry->device = st.st_dev;
    entry->inode = st.st_ino;
    entry->links = st.st_nlink;
    entry->mode = st.st_mode;
    entry->size = st.st_size;
    entry->modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return 0;
}

int RenameSeam::move(const QByteArray& from, const QByteArray& to, bool noReplace)
{
    if (noReplace) return moveToFree(AT_FDCWD, from.constData(), AT_FDCWD, to.constData());
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

bool RenameSeam::list(const QByteArray& folder, QList<QByteArray>* names)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return false;
    while (const dirent* ent = ::readdir(dir))
        names->append(QByteArray(ent->d_name));
    ::closedir(dir);
    return true;
}

void setRenameSeam(RenameSeam* seam)
{
    g_renameSeam = seam;
}

void rename(const QString& from, const QString& to)
{
    const QString src = drives::toHost(from);
    const QString dst = drives::toHost(to);
    const QByteArray s = enc(src), d = enc(dst);
    RenameSeam& n = names();

    RenameSeam::Entry se, de;
    if (const int e = n.lookUp(s, &se)) raiseErrno(e, src);
    if (n.lookUp(d, &de) == 0) {
        if (!isItself(s, se, d, de)) raise(ErrFileExists, errorText(EEXIST));
        return respell(s, d, dst);
    }
    if (const int e = n.move(s, d, true)) {
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

} // namespace plat::fs
