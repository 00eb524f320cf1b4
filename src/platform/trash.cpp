#include "platform/trash.h"

#include "platform/drives.h"
#include "platform/fd.h"
#include "platform/fileerror.h"

#include <QByteArray>
#include <QList>
#include <QMutex>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <gio/gunixmounts.h>
#pragma pop_macro("signals")

namespace plat::trash {

namespace {

TrashSeam* g_seam = nullptr;

// How GIO names what it writes into a trash's "info" folder: the item's name
// in the trash, then ".trashinfo"; the record is first written to a
// temporary beside it, that name and "." with six characters. Where the
// temporary's name is too long GIO leaves the record empty and still moves
// the item, which no restore can then offer: such a name never goes to the
// trash.
constexpr int kRecordSuffix = 10; // ".trashinfo"
constexpr int kTempSuffix = 7;    // ".XXXXXX"
// The widest ".N" GIO puts into a name the trash already holds: a dot and
// the ten digits of its counter.
constexpr int kWidestNumber = 11;
// A record holds a path of at most a few thousand bytes, escaped.
constexpr qint64 kLongestRecord = 64 * 1024;

Fd openFolder(const QByteArray& path)
{
    return Fd(::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

bool sameInode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QByteArray parentOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The item to trash, held by its folder: every look at it after GIO's move
// is relative to that folder, never to its path looked up again.
struct Item {
    QByteArray path;   // as GIO spells it, which is what its record holds
    QByteArray name;   // its name in its folder
    Fd folder;         // its folder
    struct stat self;  // the item itself (a link is itself)
    struct stat where; // its folder
};

// A trash GIO may move the item into.
struct Trash {
    Trash(QByteArray folder, QByteArray top) : folder(std::move(folder)), top(std::move(top)) {}
    QByteArray folder;         // holds "info" and "files"
    QByteArray top;            // where the records' relative paths start; empty for the home trash
    Fd info;                   // its "info" folder, opened before the move when it was there
    int watch = -1;            // the watch on that folder
    QList<QByteArray> arrived; // names of records made there during the move
};

// The name GIO gives an item on its i-th try: its own name first, then with
// ".i" before its first dot (at its end when it has none).
QByteArray nameInTrash(const QByteArray& name, int i)
{
    if (i == 1) return name;
    const QByteArray number = '.' + QByteArray::number(i);
    const int dot = name.indexOf('.');
    return dot < 0 ? name + number : name.left(dot) + number + name.mid(dot);
}

// The trashes the item may go to, as GIO chooses, the one it takes first.
// The home trash ("Trash" in the user's data folder, wherever that folder
// lies) takes whatever is on the home folder's disk, told by the item's
// folder (a folder by itself): so the data folder may lie on another disk,
// which then holds only what GIO can move there. Any other disk has its
// own: ".Trash/<uid>" at its top, when ".Trash" is a sticky folder (not a
// link) where "<uid>" is the user's own folder or not there yet; otherwise
// ".Trash-<uid>". No trash at all for a disk the system keeps to itself.
std::vector<Trash> trashesFor(const Item& item)
{
    std::vector<Trash> out;
    struct stat home;
    if (::stat(g_get_home_dir(), &home) != 0) return out; // GIO refuses too
    const dev_t disk = S_ISDIR(item.self.st_mode) ? item.self.st_dev : item.where.st_dev;
    if (disk == home.st_dev) {
        out.emplace_back(QByteArray(g_get_user_data_dir()) + "/Trash", QByteArray());
        return out;
    }
    GUnixMountEntry* mount = g_unix_mount_for(item.path.constData(), nullptr);
    if (!mount) return out; // GIO finds no top folder there and refuses
    const QByteArray top = g_unix_mount_get_mount_path(mount);
    g_unix_mount_free(mount);
    const QByteArray base = top == "/" ? QByteArray() : top;
    const uid_t uid = ::geteuid();
    const QByteArray uidText = QByteArray::number(qulonglong(uid));
    struct stat shared;
    if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        const QByteArray mine = base + "/.Trash/" + uidText;
        struct stat st;
        const bool usable = ::lstat(mine.constData(), &st) == 0
                                ? S_ISDIR(st.st_mode) && st.st_uid == uid
                                : errno == ENOENT;
        if (usable) out.emplace_back(mine, top);
    }
    out.emplace_back(base + "/.Trash-" + uidText, top);
    return out;
}

// The longest name the trash's "info" folder takes, or the folder it will
// be made in.
long nameLimit(const Trash& t)
{
    long limit = t.info.valid() ? ::fpathconf(t.info.get(), _PC_NAME_MAX) : -1;
    for (QByteArray p = t.folder; limit <= 0; p = parentOf(p)) {
        limit = ::pathconf(p.constData(), _PC_NAME_MAX);
        if (p == "/") break;
    }
    return limit > 0 ? limit : 255;
}

// True when GIO can write the item's record: its name in the trash (its
// own, or the first "name.N.ext" the trash holds no record of, as GIO picks
// it) is short enough for the record's temporary. Only a long name needs a
// look at the records.
bool recordFits(const Trash& t, const QByteArray& name)
{
    const long limit = nameLimit(t);
    if (name.size() + kRecordSuffix + kTempSuffix + kWidestNumber <= limit) return true;
    QByteArray inTrash = name;
    struct stat st;
    for (int i = 1; t.info.valid() && inTrash.size() + kRecordSuffix + kTempSuffix <= limit &&
                    ::fstatat(t.info.get(), (inTrash + ".trashinfo").constData(), &st,
                              AT_SYMLINK_NOFOLLOW) == 0;)
        inTrash = nameInTrash(name, ++i);
    return inTrash.size() + kRecordSuffix + kTempSuffix <= limit;
}

// Tells which record GIO made for an item without reading a trash's folders:
// a trash that holds thousands would make every delete read them all. The
// "info" folders are watched for new records, and each one is looked at by
// its name alone, so a delete costs the same whatever the trash holds.
class Records {
  public:
    static Records& get()
    {
        static Records r;
        return r;
    }

    // Watches a folder, held open, from now on; -1 when it cannot. The
    // watch is on the very folder the descriptor holds.
    int watch(int folder)
    {
        if (m_fd < 0) return -1;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", folder);
        return ::inotify_add_watch(m_fd, path, IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
    }

    // Forgets what arrived so far: arrivals from before a delete say nothing of it.
    void forget()
    {
        take([](int, const QByteArray&) {});
    }

    // Hands each record made since forget() to each(watch, name); false
    // when some may have been lost (the queue overflowed).
    template <typename F> bool take(F&& each)
    {
        if (m_fd < 0) return false;
        bool whole = true;
        alignas(inotify_event) char buf[16 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) continue;
                return whole; // EAGAIN: nothing more has arrived
            }
            for (ssize_t at = 0; at < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
                at += ssize_t(sizeof(inotify_event) + ev->len);
                if (ev->mask & IN_Q_OVERFLOW) whole = false;
                if (ev->len == 0 || !(ev->mask & (IN_CREATE | IN_MOVED_TO))) continue;
                const QByteArray name(ev->name);
                if (name.endsWith(".trashinfo")) each(ev->wd, name);
            }
        }
    }

  private:
    Records() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    int m_fd;
};

bool isItem(int files, const QByteArray& name, const Item& item)
{
    struct stat st;
    return ::fstatat(files, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameInode(st, item.self);
}

// The item's name in the trash's "files" folder: by the records the watch
// saw made; where the records were not watched (the folder was not there
// yet) or some may have been missed, by the names GIO tries, in its order,
// as long as the trash holds a record of the name.
QByteArray findInTrash(const Trash& t, int files, const Item& item, bool whole)
{
    if (t.watch >= 0 && whole)
        for (const QByteArray& record : t.arrived) {
            const QByteArray name = record.chopped(kRecordSuffix);
            if (isItem(files, name, item)) return name;
        }
    struct stat st;
    for (int i = 1;; ++i) {
        const QByteArray name = nameInTrash(item.name, i);
        if (::fstatat(t.info.get(), (name + ".trashinfo").constData(), &st, AT_SYMLINK_NOFOLLOW) !=
            0)
            return QByteArray();
        if (isItem(files, name, item)) return name;
    }
}

// The path a record names ("Path=" in its "[Trash Info]" group), unescaped;
// empty when it names none.
QByteArray recordedPath(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    bool inGroup = false;
    for (const QByteArray& line : lines) {
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.startsWith("Path=")) {
            char* path = g_uri_unescape_string(line.constData() + 5, nullptr);
            const QByteArray out(path ? path : "");
            g_free(path);
            return out;
        }
    }
    return QByteArray();
}

// True when the item's record is whole: a regular file, not empty, whose
// path (absolute, or from the volume's top for a volume's trash) is the
// item's own, or names the item's name in the item's folder. record gets
// the record's own identity when it could be opened (st_ino 0 otherwise).
bool recordNamesItem(const Trash& t, const QByteArray& name, const Item& item, struct stat& record)
{
    record = {};
    Fd fd(::openat(t.info.get(), (name + ".trashinfo").constData(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return false;
    record = st;
    if (!S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > kLongestRecord) return false;
    QByteArray text(qsizetype(st.st_size), '\0');
    qsizetype got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd.get(), text.data() + got, size_t(text.size() - got), got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    QByteArray path = recordedPath(text.left(got));
    if (path.isEmpty()) return false;
    if (!path.startsWith('/')) {
        if (t.top.isEmpty()) return false;
        path = (t.top == "/" ? QByteArray() : t.top) + '/' + path;
    }
    if (path == item.path) return true;
    // Another spelling of the same place (a link on the way).
    if (path.mid(path.lastIndexOf('/') + 1) != item.name) return false;
    const Fd folder = openFolder(parentOf(path));
    struct stat fst;
    return folder.valid() && ::fstat(folder.get(), &fst) == 0 && sameInode(fst, item.where);
}

// Moves the item from the trash back to its own name in its folder, never
// over something that took that name meanwhile.
bool putBack(int files, const QByteArray& name, const Item& item)
{
    if (::renameat2(files, name.constData(), item.folder.get(), item.name.constData(),
                    RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL) return false;
    // A file system without the no-replace rename.
    struct stat st;
    if (::fstatat(item.folder.get(), item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ||
        errno != ENOENT)
        return false;
    return ::renameat(files, name.constData(), item.folder.get(), item.name.constData()) == 0;
}

// A host path as the windows show it.
QString shown(const QByteArray& host)
{
    const QString win = drives::toWindows(host);
    return drives::displayName(win.isEmpty() ? drives::hostString(host) : win);
}

// The device holding a path, or the folder it would be made in.
dev_t deviceOf(QByteArray path)
{
    struct stat st;
    while (::stat(path.constData(), &st) != 0) {
        if (path == "/") return 0;
        path = parentOf(path);
    }
    return st.st_dev;
}

// The reason in the program's words; GIO's own message names host paths.
QString reasonFor(const GError* e)
{
    if (e && e->domain == G_IO_ERROR) {
        switch (e->code) {
        case G_IO_ERROR_NOT_FOUND:
            return QStringLiteral("The file does not exist.");
        case G_IO_ERROR_FILENAME_TOO_LONG:
            return QStringLiteral("The name is too long for the trash.");
        case G_IO_ERROR_PERMISSION_DENIED:
            return QStringLiteral("The trash or the file's folder may not be written.");
        case G_IO_ERROR_NO_SPACE:
            return QStringLiteral("The disk holding the trash is full.");
        case G_IO_ERROR_READ_ONLY:
            return QStringLiteral("The disk is write protected.");
        case G_IO_ERROR_NOT_SUPPORTED:
            return QStringLiteral("This drive has no trash.");
        default:
            break;
        }
    }
    return e ? QString::fromUtf8(e->message) : QStringLiteral("The trash is not available.");
}

QString openFailure(int e)
{
    if (e == ENOENT || e == ENOTDIR) return QStringLiteral("The file does not exist.");
    if (e == EACCES)
        return QStringLiteral("No permission to open the file's folder (search permission).");
    if (e == ENAMETOOLONG) return QStringLiteral("The file's name or path is too long.");
    return errorText(e);
}

bool realMoveToTrash(const QString& host, QString* err)
{
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), drives::hostBytes(host).constData());
    Item item;
    {
        char* path = g_file_get_path(file);
        item.path = path;
        g_free(path);
    }
    item.name = item.path.mid(item.path.lastIndexOf('/') + 1);
    item.folder = openFolder(parentOf(item.path));
    if (!item.folder.valid() || ::fstat(item.folder.get(), &item.where) != 0 ||
        ::fstatat(item.folder.get(), item.name.constData(), &item.self, AT_SYMLINK_NOFOLLOW) != 0) {
        *err = openFailure(errno);
        g_object_unref(file);
        return false;
    }
    // GIO's local trash: the home trash and the volumes' own. It fails at
    // once with the reason and never deletes anything; taking the local
    // file system directly keeps any desktop daemon out of it. One delete
    // at a time watches the trash: another's records must not be taken
    // away from it.
    static QMutex watching;
    QMutexLocker lock(&watching);
    std::vector<Trash> trashes = trashesFor(item);
    Records::get().forget();
    for (Trash& t : trashes) {
        t.info = Fd(::open((t.folder + "/info").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (t.info.valid()) t.watch = Records::get().watch(t.info.get());
    }
    if (!trashes.empty() && !recordFits(trashes.front(), item.name)) {
        *err = QStringLiteral("The name is too long for the trash.");
        g_object_unref(file);
        return false;
    }
    GError* gerr = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerr);
    g_object_unref(file);
    if (!ok) {
        const bool otherDisk = gerr &&
                               g_error_matches(gerr, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED) &&
                               trashes.size() == 1 && trashes.front().top.isEmpty() &&
                               deviceOf(trashes.front().folder) != item.self.st_dev;
        *err = otherDisk ? QStringLiteral("The trash is on another disk, where this file cannot "
                                          "be moved.")
                         : reasonFor(gerr);
        if (gerr) g_error_free(gerr);
        return false;
    }
    const bool whole = Records::get().take([&](int watch, const QByteArray& record) {
        for (Trash& t : trashes)
            if (t.watch == watch && !t.arrived.contains(record)) t.arrived.append(record);
    });
    for (Trash& t : trashes) {
        const Fd files = openFolder(t.folder + "/files");
        if (!files.valid()) continue;
        if (!t.info.valid()) t.info = openFolder(t.folder + "/info");
        if (!t.info.valid()) continue;
        const QByteArray name = findInTrash(t, files.get(), item, whole);
        if (name.isEmpty()) continue;
        struct stat record;
        if (recordNamesItem(t, name, item, record)) return true;
        // Out of reach of any restore: back to where it was, and the
        // record that names nothing goes.
        if (!putBack(files.get(), name, item)) {
            *err = QStringLiteral("The trash could not record where the file came from, and it "
                                  "could not be put back; it is now ") +
                   shown(t.folder + "/files/" + name);
            return false;
        }
        struct stat now;
        if (record.st_ino != 0 &&
            ::fstatat(t.info.get(), (name + ".trashinfo").constData(), &now, AT_SYMLINK_NOFOLLOW) ==
                0 &&
            sameInode(now, record))
            ::unlinkat(t.info.get(), (name + ".trashinfo").constData(), 0);
        *err = QStringLiteral("The trash could not record where the file came from, so it was "
                              "put back.");
        return false;
    }
    *err = QStringLiteral("The trash reported success, but the file is in no trash folder.");
    return false;
}

} // namespace

TrashSeam::~TrashSeam() = default;

void setTrashSeam(TrashSeam* seam)
{
    g_seam = seam;
}

bool moveToTrash(const QString& winPath, QString* errorText)
{
    QString host;
    try {
        host = drives::toHost(winPath);
    } catch (const FileError& e) {
        if (errorText)
            *errorText =
                e.detail().isEmpty() ? QStringLiteral("No drive has this letter.") : e.detail();
        return false;
    }
    QString err;
    bool ok = false;
    if (g_seam) {
        ok = g_seam->moveToTrash(host, &err);
    } else {
        try {
            ok = realMoveToTrash(host, &err);
        } catch (const FileError& e) {
            err = e.detail().isEmpty() ? QStringLiteral("The file does not exist.") : e.detail();
        }
    }
    if (!ok && errorText) *errorText = err;
    return ok;
}

} // namespace plat::trash
