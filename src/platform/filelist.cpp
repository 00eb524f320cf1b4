#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/mounts.h"
#include "platform/writesupport.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <string>
#include <vector>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace plat::fs {

namespace {

bool starMatch(QStringView name, QStringView pat)
{
    // Iterative '*'/'?' matcher; '[' and every other character are literal.
    // A '*' of the pattern is a wildcard before anything else: compared
    // with a '*' in a name first, it would match that one character only
    // and leave names such as "*star.txt" out of "*.txt".
    int n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pat.size() &&
                   (pat[p] == '?' || pat[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++n;
            ++p;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

// Case-insensitive order, ties in exact order. Most names are ASCII; two
// such names compare by a key in lower case, which orders them exactly as
// QString::compare(Qt::CaseInsensitive) does, at a fraction of its cost.
void sortNames(QStringList& names)
{
    struct Entry {
        QString name;
        std::string key; // empty unless ascii
        bool ascii = true;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (QString& name : names) {
        Entry e{std::move(name), {}, true};
        e.key.resize(e.name.size());
        for (qsizetype i = 0; i < e.name.size(); ++i) {
            const char16_t u = e.name.at(i).unicode();
            if (u >= 0x80) {
                e.ascii = false;
                e.key.clear();
                break;
            }
            e.key[i] = char(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
        }
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = a.ascii && b.ascii ? a.key.compare(b.key)
                                         : QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(entries[i].name);
}

// How long after a change of a folder a reading may still miss a later
// change that leaves the folder's times as they were: the coarse clock a
// file system known to stamp finely takes its stamps from, or the step of
// whole-second and two-second stamps. -1: never trust a reading, as on
// network and user-space file systems, whose folder times come from
// elsewhere or from a cache.
constexpr qint64 kCoarseStep = qint64(2) * 1000000000;

qint64 settleNanos(int dirFd)
{
    struct statfs fs;
    if (::fstatfs(dirFd, &fs) != 0 || detail::keptElsewhere(dirFd)) return -1;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4 (whole seconds with small inodes)
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x01021994: // tmpfs
    case 0x858458F6: // ramfs
    case 0xF2F52010: // F2FS
    case 0xCA451A4E: // bcachefs
    case 0x2FC12FC1: // ZFS
    case 0x794C7630: // overlay
        return qint64(50) * 1000000;
    default: // FAT, exFAT, HFS+, ReiserFS, minix and the kinds not known here
        return kCoarseStep;
    }
}

void (*g_stampHook)(qint64& ctime, qint64& mtime) = nullptr;

qint64 nanos(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A folder's change and modification times, as the tests' seam may see them.
struct Stamps {
    qint64 ctime, mtime;
};

Stamps stampsOf(const struct stat& st)
{
    Stamps s{nanos(st.st_ctim), nanos(st.st_mtim)};
    if (g_stampHook) g_stampHook(s.ctime, s.mtime);
    return s;
}

// A folder read from the host: its names and what the next reading needs to
// tell whether it may hand these out again.
struct Reading {
    FolderNames names;
    struct stat st {};         // the folder as the reading began
    qint64 settle = -1;        // see settleNanos
    bool followsLinks = false; // some entry's kind came from following a link
};

Reading readFolder(const QString& host)
{
    DIR* dir = ::opendir(drives::hostBytes(host).constData());
    if (!dir) {
        const int e = errno;
        raise(e == ENOENT || e == ENOTDIR ? ErrPathNotFound : errorNumberFor(e, host));
    }
    Reading r;
    const int dfd = ::dirfd(dir);
    if (::fstat(dfd, &r.st) == 0) r.settle = settleNanos(dfd);
    while (dirent* ent = ::readdir(dir)) {
        if (ent->d_name[0] == '.') continue; // hidden, and "." / ".."
        bool isDir = false, isFile = false;
        if (ent->d_type == DT_DIR) {
            isDir = true;
        } else if (ent->d_type == DT_REG) {
            isFile = true;
        } else {
            // links and unknown types: follow the link
            r.followsLinks = true;
            struct stat st;
            if (::fstatat(dfd, ent->d_name, &st, 0) != 0) continue;
            isDir = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        if (!isDir && !isFile) continue;
        const QString name = drives::windowsName(ent->d_name, qsizetype(std::strlen(ent->d_name)));
        (isDir ? r.names.folders : r.names.files).append(name);
    }
    ::closedir(dir);
    sortNames(r.names.files);
    sortNames(r.names.folders);
    return r;
}

} // namespace

bool matchesPattern(const QString& name, const QString& pattern)
{
    if (pattern.trimmed().isEmpty()) return true;
    const QStringList pats = pattern.split(';');
    for (QString pat : pats) {
        pat = pat.trimmed();
        if (pat.isEmpty()) continue;
        if (wildcardMatch(name, pat)) return true;
    }
    return false;
}

bool wildcardMatch(const QString& name, const QString& pattern)
{
    if (pattern == u"*.*" || pattern == u"*") return true;
    if (starMatch(name, pattern)) return true;
    // "name.*" also matches "name" without an ending, as Windows does
    return pattern.endsWith(u".*") && starMatch(name, QStringView(pattern).chopped(2));
}

QStringList filterNames(const QStringList& names, const QString& pattern)
{
    // The pattern is split once, not once per name.
    QStringList pats;
    if (!pattern.trimmed().isEmpty()) {
        for (const QString& p : pattern.split(';')) {
            const QString pat = p.trimmed();
            if (pat == u"*.*" || pat == u"*") return names;
            if (!pat.isEmpty()) pats.append(pat);
        }
        if (pats.isEmpty()) return {};
    } else {
        return names;
    }
    QStringList out;
    for (const QString& name : names)
        for (const QString& pat : pats)
            if (wildcardMatch(name, pat)) {
                out.append(name);
                break;
            }
    return out;
}

QStringList listFiles(const QString& winFolder, const QString& pattern)
{
    return filterNames(readFolder(drives::toHost(winFolder)).names.files, pattern);
}

namespace {

struct Held {
    dev_t dev;
    ino_t ino;
    qint64 ctime, mtime;
    // The mount table's generation when the reading began: a volume swapped
    // for another may show the same numbers and times (two sticks of one
    // label, whose top folders keep no times), so no reading outlives a
    // change of the mounts.
    quint64 mounts;
    std::weak_ptr<const FolderNames> names;
};

QHash<QString, Held>& held()
{
    static QHash<QString, Held> h;
    return h;
}

// The reading still held for a folder that has not changed since, if any.
std::shared_ptr<const FolderNames> keptReading(const QString& host)
{
    const QHash<QString, Held>& cache = held();
    const auto it = cache.constFind(host);
    struct stat st;
    if (it == cache.cend() || it->mounts != mounts::generation() ||
        ::stat(drives::hostBytes(host).constData(), &st) != 0)
        return {};
    const Stamps now = stampsOf(st);
    if (it->dev != st.st_dev || it->ino != st.st_ino || it->ctime != now.ctime ||
        it->mtime != now.mtime)
        return {};
    return it->names.lock();
}

// Reads a folder, and keeps the reading for later when that is safe.
std::shared_ptr<const FolderNames> readAndKeep(const QString& host)
{
    timespec began;
    ::clock_gettime(CLOCK_REALTIME, &began);
    const quint64 mountsAt = mounts::generation();
    Reading r = readFolder(host);
    auto names = std::make_shared<const FolderNames>(std::move(r.names));
    QHash<QString, Held>& cache = held();
    // Readings nobody holds any more are dropped.
    for (auto it = cache.begin(); it != cache.end();)
        it = it->names.expired() ? cache.erase(it) : std::next(it);
    cache.remove(host);
    // The kind of a linked entry may change with no change to this folder,
    // and a change within one stamp step of the reading may leave the times
    // as they were: such a reading is used once and never handed out again.
    // A change time without sub-second digits shows stamps of whole seconds,
    // whatever the kind of file system.
    const Stamps at = stampsOf(r.st);
    const qint64 step = at.ctime % 1000000000 == 0 ? std::max(r.settle, kCoarseStep) : r.settle;
    const qint64 changed = std::max(at.ctime, at.mtime);
    if (r.settle >= 0 && !r.followsLinks && changed + step < nanos(began))
        cache.insert(host, Held{r.st.st_dev, r.st.st_ino, at.ctime, at.mtime, mountsAt, names});
    return names;
}

} // namespace

std::shared_ptr<const FolderNames> folderNames(const QString& winFolder, Reread how)
{
    const QString host = drives::toHost(winFolder);
    if (how == Reread::WhenChanged)
        if (std::shared_ptr<const FolderNames> names = keptReading(host)) return names;
    return readAndKeep(host);
}

void setFolderStampHook(void (*hook)(qint64& ctime, qint64& mtime))
{
    g_stampHook = hook;
}

static bool statPath(const QString& winPath, struct stat& st, bool followLink = true)
{
    try {
        const QByteArray h = drives::toHostBytes(winPath);
        return (followLink ? ::stat(h.constData(), &st) : ::lstat(h.constData(), &st)) == 0;
    } catch (const FileError&) {
        return false;
    }
}

bool fileExists(const QString& winPath)
{
    struct stat st;
    return statPath(winPath, st) && !S_ISDIR(st.st_mode);
}

bool folderExists(const QString& winPath)
{
    struct stat st;
    return statPath(winPath, st) && S_ISDIR(st.st_mode);
}

bool pathExists(const QString& winPath)
{
    // A link to nothing takes its name too: a free name must be free.
    struct stat st;
    return statPath(winPath, st, false);
}

qint64 fileLength(const QString& winPath)
{
    const QString host = drives::toHost(winPath);
    struct stat st;
    if (::stat(drives::hostBytes(host).constData(), &st) != 0) raiseErrno(errno, host);
    return st.st_size;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return statPath(a, sa) && statPath(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void openForReading(QFile& file, const QString& winPath)
{
    const QString host = drives::toHost(winPath);
    // Non-blocking until it is known to be a file: a pipe must not hang us.
    const int fd = ::open(drives::hostBytes(host).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) raiseOpenErrno(errno, host);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        raiseErrno(e, host);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        raiseExplained(ErrPathFileAccess, notAFileText(st.st_mode));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raise(ErrPathFileAccess, file.errorString());
    }
}

} // namespace plat::fs
