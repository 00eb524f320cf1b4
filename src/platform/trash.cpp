#include "platform/trash.h"

#include "platform/drives.h"
#include "platform/fileerror.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>

#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace plat::trash {

namespace {

TrashSeam* g_seam = nullptr;

QByteArray parentOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The root of the volume holding a folder: the highest folder above it on
// the same device.
QByteArray volumeRoot(QByteArray folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0) return QByteArray();
    while (folder != "/") {
        const QByteArray up = parentOf(folder);
        struct stat ust;
        if (::stat(up.constData(), &ust) != 0 || ust.st_dev != st.st_dev) break;
        folder = up;
    }
    return folder;
}

// True when the name in the folder is the item (its device and inode in before).
bool sameItem(const QByteArray& dir, const QByteArray& name, const struct stat& before)
{
    struct stat st;
    return ::lstat((dir + '/' + name).constData(), &st) == 0 && st.st_dev == before.st_dev &&
           st.st_ino == before.st_ino;
}

// Tells which name an item got in a trash's "files" folder without reading
// the folder: the trash gives another name when it already holds one like
// it, and a trash that holds thousands would make every delete read them
// all. The folders are watched for arrivals, and each arrival is looked at
// by its name alone, so a delete costs the same whatever the trash holds.
class Arrivals {
  public:
    static Arrivals& get()
    {
        static Arrivals a;
        return a;
    }

    // Watches a trash's "files" folder from now on, when it is there.
    void watch(const QByteArray& filesDir)
    {
        if (m_fd < 0 || m_watched.contains(filesDir)) return;
        const int wd =
            ::inotify_add_watch(m_fd, filesDir.constData(), IN_MOVED_TO | IN_CREATE | IN_ONLYDIR);
        if (wd < 0) return; // not made yet: the trash makes it, and the next look adds it
        m_watched.insert(filesDir, wd);
        m_folderOf.insert(wd, filesDir);
    }

    // Forgets what arrived so far: arrivals from before a delete say nothing of it.
    void forget() { take(nullptr); }

    // True when one of the names that arrived since forget() is the item.
    bool holds(const struct stat& before)
    {
        bool found = false;
        take([&](const QByteArray& dir, const QByteArray& name) {
            if (!found && sameItem(dir, name, before)) found = true;
        });
        return found;
    }

  private:
    Arrivals() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

    template <typename F> void take(F&& each)
    {
        if (m_fd < 0) return;
        alignas(inotify_event) char buf[16 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) continue;
                return; // EAGAIN: nothing more has arrived
            }
            for (ssize_t at = 0; at < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
                at += ssize_t(sizeof(inotify_event) + ev->len);
                if (ev->mask & IN_IGNORED) {
                    // The folder went (an emptied trash): watch it anew when it is back.
                    m_watched.remove(m_folderOf.take(ev->wd));
                    continue;
                }
                if (ev->len == 0) continue;
                const auto dir = m_folderOf.constFind(ev->wd);
                if constexpr (!std::is_same_v<std::decay_t<F>, std::nullptr_t>)
                    if (dir != m_folderOf.constEnd()) each(*dir, QByteArray(ev->name));
            }
        }
    }

    int m_fd;
    QHash<QByteArray, int> m_watched;
    QHash<int, QByteArray> m_folderOf;
};

// The "files" folders an item from this path can go to: the user's own
// trash and the volume's ".Trash/<uid>" or ".Trash-<uid>". The volume's are
// only looked for when the item is not on the home trash's volume.
QList<QByteArray> trashFolders(const QByteArray& path, const struct stat& before)
{
    const QByteArray home = QByteArray(g_get_user_data_dir()) + "/Trash/files";
    QList<QByteArray> out{home};
    struct stat hst;
    QByteArray homeVolume = QByteArray(g_get_user_data_dir());
    if (::stat(homeVolume.constData(), &hst) == 0 && hst.st_dev == before.st_dev) return out;
    QByteArray root = volumeRoot(parentOf(path));
    if (root.isEmpty()) return out;
    if (root == "/") root.clear();
    const QByteArray uid = QByteArray::number(::getuid());
    out << root + "/.Trash/" + uid + "/files" << root + "/.Trash-" + uid + "/files";
    return out;
}

// True when the item that was at the path (its device and inode in before)
// now lies in a trash folder: by its own name, or by the name the trash
// gave it, as the watch saw it arrive.
bool landedInTrash(const QByteArray& path, const struct stat& before,
                   const QList<QByteArray>& folders)
{
    struct stat now;
    if (::lstat(path.constData(), &now) == 0 && now.st_dev == before.st_dev &&
        now.st_ino == before.st_ino)
        return false; // still where it was
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    bool found = false;
    for (const QByteArray& files : folders)
        if (!found && sameItem(files, name, before)) found = true;
    if (!found) found = Arrivals::get().holds(before);
    // A trash made by this delete is watched from the next one on.
    for (const QByteArray& files : folders)
        Arrivals::get().watch(files);
    return found;
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

bool realMoveToTrash(const QString& host, QString* err)
{
    const QByteArray path = drives::hostBytes(host);
    struct stat before;
    if (::lstat(path.constData(), &before) != 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR)
            *err = QStringLiteral("The file does not exist.");
        else if (e == EACCES)
            *err = QStringLiteral("No permission to open the file's folder (search permission).");
        else if (e == ENAMETOOLONG)
            *err = QStringLiteral("The file's name or path is too long.");
        else
            *err = errorText(e);
        return false;
    }
    // GIO's local trash: the home trash and the per-volume ".Trash-<uid>".
    // It fails at once with the reason and never deletes anything; taking
    // the local file system directly keeps any desktop daemon out of it.
    // One delete at a time watches the trash: another's arrivals must not
    // be taken away from it.
    static QMutex watching;
    QMutexLocker lock(&watching);
    const QList<QByteArray> folders = trashFolders(path, before);
    // Forgotten first: that takes in the end of the watch on a trash folder
    // removed meanwhile, which is then watched anew.
    Arrivals::get().forget();
    for (const QByteArray& files : folders)
        Arrivals::get().watch(files);
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), path.constData());
    GError* gerr = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerr);
    g_object_unref(file);
    if (!ok) {
        *err = reasonFor(gerr);
        if (gerr) g_error_free(gerr);
        return false;
    }
    if (landedInTrash(path, before, folders)) return true;
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
    const bool ok = g_seam ? g_seam->moveToTrash(host, &err) : realMoveToTrash(host, &err);
    if (!ok && errorText) *errorText = err;
    return ok;
}

} // namespace plat::trash
