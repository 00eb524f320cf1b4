#include "platform/trash.h"

#include "platform/drives.h"
#include "platform/fileerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat::trash {

namespace {

TrashSeam* g_seam = nullptr;

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : c;
}

bool isMountRoot(const QString& folder)
{
    const QString c = canonical(folder);
    return QStorageInfo(c).rootPath() == c;
}

// True when a path returned by the trash lies in a real trash folder: the
// user's home trash, or a per-volume ".Trash-<uid>" or ".Trash/<uid>" at the
// root of a volume.
bool isInTrash(const QString& landed, const QString& dataHome)
{
    const QFileInfo lf(landed);
    if (!lf.exists() && !lf.isSymLink()) return false;
    const QFileInfo filesDir(lf.absolutePath());
    if (filesDir.fileName() != QLatin1String("files")) return false;
    const QString trashDir = filesDir.absolutePath();
    if (!dataHome.isEmpty() && canonical(trashDir) == canonical(dataHome + "/Trash")) return true;
    const QFileInfo td(trashDir);
    const QString uid = QString::number(::getuid());
    if (td.fileName() == QLatin1String(".Trash-") + uid) return isMountRoot(td.absolutePath());
    if (td.fileName() == uid) {
        const QFileInfo dotTrash(td.absolutePath());
        return dotTrash.fileName() == QLatin1String(".Trash") &&
               isMountRoot(dotTrash.absolutePath());
    }
    return false;
}

int renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
#ifdef SYS_renameat2
    const int rc = int(::syscall(SYS_renameat2, AT_FDCWD, f.constData(), AT_FDCWD, t.constData(),
                                 1u /* RENAME_NOREPLACE */));
    if (rc == 0 || (errno != EINVAL && errno != ENOSYS)) return rc;
#endif
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(f.constData(), t.constData());
}

bool realMoveToTrash(const QString& exactHost, QString* err)
{
    // Qt's trash names files as Qt spells them; a name it cannot spell
    // would name another file, so it stays where it is.
    const QString host = drives::qtPath(exactHost);
    if (host.isEmpty()) {
        if (err) *err = QStringLiteral("This name cannot be sent to the trash.");
        return false;
    }
    const QFileInfo fi(host);
    if (!fi.exists() && !fi.isSymLink()) {
        if (err) *err = QStringLiteral("The file does not exist.");
        return false;
    }

    // Without the user's data folder Qt reports success and moves the file
    // into "files" under the current folder instead of the trash.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty()) QDir().mkpath(dataHome);

    const QString cwd = QDir::currentPath();
    const bool hadFiles = QFileInfo(cwd + "/files").exists();
    const bool hadInfo = QFileInfo(cwd + "/info").exists();

    QFile file(host);
    if (!file.moveToTrash()) {
        if (err)
            *err = file.errorString().isEmpty() ? QStringLiteral("The trash is not available.")
                                                : file.errorString();
        return false;
    }
    const QString landed = file.fileName(); // Qt points the object at the item in the trash
    if (isInTrash(landed, dataHome)) return true;

    // It went somewhere that is no trash: put it back where the user left it.
    const QString lost = QFileInfo(landed).absoluteFilePath();
    if (renameNoReplace(lost, host) != 0) {
        if (err)
            *err = QStringLiteral("The trash is not available; the file was moved to %1.")
                       .arg(QDir::toNativeSeparators(lost));
        return false;
    }
    const QString trashDir = QFileInfo(QFileInfo(lost).absolutePath()).absolutePath();
    QFile::remove(trashDir + "/info/" + QFileInfo(lost).fileName() + ".trashinfo");
    if (canonical(trashDir) == canonical(cwd)) {
        if (!hadFiles) QDir(cwd).rmdir(QStringLiteral("files"));
        if (!hadInfo) QDir(cwd).rmdir(QStringLiteral("info"));
    }
    if (err) *err = QStringLiteral("The trash is not available.");
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
