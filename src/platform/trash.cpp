#include "platform/trash.h"

#include "platform/drives.h"
#include "platform/fileerror.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

// True when the item that was at a path (its device and inode in *before)
// now lies in the "files" folder of trash folder.
bool inTrashFolder(const QByteArray& trashDir, const QByteArray& name, const struct stat& before)
{
    const QByteArray files = trashDir + "/files";
    struct stat st;
    // The trash keeps the name unless the trash already holds one like it.
    if (::lstat((files + '/' + name).constData(), &st) == 0 && st.st_dev == before.st_dev &&
        st.st_ino == before.st_ino)
        return true;
    DIR* dir = ::opendir(files.constData());
    if (!dir) return false;
    bool found = false;
    while (dirent* ent = ::readdir(dir)) {
        if (ent->d_ino != before.st_ino) continue;
        if (::fstatat(::dirfd(dir), ent->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_dev == before.st_dev && st.st_ino == before.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// The trash folders an item from this path can go to: the user's own trash
// and the volume's ".Trash/<uid>" or ".Trash-<uid>".
bool landedInTrash(const QByteArray& path, const struct stat& before)
{
    struct stat now;
    if (::lstat(path.constData(), &now) == 0 && now.st_dev == before.st_dev &&
        now.st_ino == before.st_ino)
        return false; // still where it was
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    if (inTrashFolder(QByteArray(g_get_user_data_dir()) + "/Trash", name, before)) return true;
    QByteArray root = volumeRoot(parentOf(path));
    if (root.isEmpty()) return false;
    if (root == "/") root.clear();
    const QByteArray uid = QByteArray::number(::getuid());
    return inTrashFolder(root + "/.Trash/" + uid, name, before) ||
           inTrashFolder(root + "/.Trash-" + uid, name, before);
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
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), path.constData());
    GError* gerr = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerr);
    g_object_unref(file);
    if (!ok) {
        *err = reasonFor(gerr);
        if (gerr) g_error_free(gerr);
        return false;
    }
    if (landedInTrash(path, before)) return true;
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
