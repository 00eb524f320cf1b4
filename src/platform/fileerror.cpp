#include "platform/fileerror.h"

#include "platform/drives.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace plat {

FileError::FileError(int number, const QString& detail, FileCause cause, bool onSource,
                     bool explained)
    : std::runtime_error("file error " + std::to_string(number)), m_number(number),
      m_detail(detail), m_cause(cause), m_onSource(onSource), m_explained(explained)
{
}

FileError FileError::withMessage(int number, const QString& detail, const QString& message)
{
    FileError e(number, detail);
    e.m_message = message;
    return e;
}

namespace {

// The exact bytes of a path in the drives layer's text form; empty when it
// has none.
QByteArray bytesOf(const QString& hostPath)
{
    try {
        return drives::hostBytes(hostPath);
    } catch (const FileError&) {
        return QByteArray();
    }
}

} // namespace

int errorNumberFor(int errnum, const QString& hostPath)
{
    switch (errnum) {
    case ENOENT: {
        // hostPath is in the drives layer's text form: look at the exact bytes
        QByteArray parent;
        try {
            parent = drives::hostBytes(hostPath);
        } catch (const FileError&) {
            return ErrPathNotFound;
        }
        const qsizetype slash = parent.lastIndexOf('/');
        parent = slash <= 0 ? QByteArray("/") : parent.left(slash);
        struct stat st;
        return ::stat(parent.constData(), &st) == 0 && S_ISDIR(st.st_mode) ? ErrFileNotFound
                                                                           : ErrPathNotFound;
    }
    case ENOTDIR:
        return ErrPathNotFound;
    case EEXIST:
        return ErrFileExists;
    case ENOSPC:
    case EDQUOT:
        return ErrDiskFull;
    case EIO:
        return ErrDeviceIO;
    case ENXIO:
    case ENODEV:
        return ErrDeviceUnavailable;
#ifdef ENOMEDIUM
    case ENOMEDIUM:
        return ErrDiskNotReady;
#endif
    case EACCES:
    case EPERM:
        return ErrPermissionDenied;
    case EROFS:
    case ENOTEMPTY:
    case EISDIR:
    case ETXTBSY:
        return ErrPathFileAccess;
    case ENAMETOOLONG:
        return ErrNameTooLong;
    case ELOOP:
        return ErrPathNotFound;
    default:
        return ErrPathFileAccess;
    }
}

QString errorText(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

FileCause causeFor(int errnum, const QString& hostPath)
{
    switch (errnum) {
    case ENOENT:
        return errorNumberFor(errnum, hostPath) == ErrPathNotFound ? FileCause::FolderMissing
                                                                   : FileCause::Unspecified;
    case ENOTDIR:
        return FileCause::FolderMissing;
    case EROFS:
        return FileCause::ReadOnlyFileSystem;
    case EACCES: {
        // Looking at a name needs nothing but search permission on the
        // folders above it.
        const QByteArray path = bytesOf(hostPath);
        struct stat st;
        if (!path.isEmpty() && ::lstat(path.constData(), &st) != 0 && errno == EACCES)
            return FileCause::SearchPermission;
        return FileCause::Unspecified;
    }
    default:
        return FileCause::Unspecified;
    }
}

void raiseOpenErrno(int errnum, const QString& hostPath)
{
    if (errnum == ENXIO) {
        struct stat st;
        const QByteArray bytes = bytesOf(hostPath);
        if (!bytes.isEmpty() && ::stat(bytes.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            raiseExplained(ErrPathFileAccess, notAFileText(st.st_mode));
    }
    raiseErrno(errnum, hostPath);
}

void raiseErrno(int errnum, const QString& hostPath)
{
    throw FileError(errorNumberFor(errnum, hostPath), errorText(errnum),
                    causeFor(errnum, hostPath));
}

void raiseSourceErrno(int errnum, const QString& hostPath)
{
    FileCause cause = causeFor(errnum, hostPath);
    if ((errnum == EACCES || errnum == EPERM) && cause == FileCause::Unspecified)
        cause = FileCause::ReadPermission;
    throw FileError(errorNumberFor(errnum, hostPath), errorText(errnum), cause, true);
}

void raise(int number, const QString& detail, FileCause cause)
{
    throw FileError(number, detail, cause);
}

void raiseExplained(int number, const QString& sentence)
{
    throw FileError(number, sentence, FileCause::Unspecified, false, true);
}

QString notAFileText(unsigned mode, const char* use)
{
    const char* what = "not a plain file";
    switch (mode & S_IFMT) {
    case S_IFIFO:
        what = "a named pipe";
        break;
    case S_IFSOCK:
        what = "a socket";
        break;
    case S_IFCHR:
        what = "a device";
        break;
    case S_IFBLK:
        what = "a disk device";
        break;
    case S_IFDIR:
        what = "a folder";
        break;
    default:
        break;
    }
    return QStringLiteral("it is %1, not a file that can be %2")
        .arg(QLatin1String(what), QLatin1String(use));
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024) return QStringLiteral("%1 bytes").arg(bytes);
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double v = double(bytes);
    int u = -1;
    while (v >= 1024 && u < 5) {
        v /= 1024;
        ++u;
    }
    return QStringLiteral("%1 %2").arg(v, 0, 'f', 1).arg(QLatin1String(units[u]));
}

void raiseNotCopyable(const QString& name)
{
    throw FileError::withMessage(ErrPathFileAccess, QStringLiteral("not a plain file"),
                                 name + QStringLiteral(" is not a file that can be copied"));
}

} // namespace plat
