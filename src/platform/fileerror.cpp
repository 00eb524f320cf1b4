#include "platform/fileerror.h"

#include "platform/drives.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace plat {

FileError::FileError(int number, const QString& detail, const QString& message)
    : std::runtime_error("file error " + std::to_string(number)), m_number(number),
      m_detail(detail), m_message(message)
{
}

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

void raiseErrno(int errnum, const QString& hostPath)
{
    throw FileError(errorNumberFor(errnum, hostPath), errorText(errnum));
}

void raise(int number, const QString& detail)
{
    throw FileError(number, detail);
}

void raiseNotCopyable(const QString& name)
{
    throw FileError(ErrPathFileAccess, QStringLiteral("not a plain file"),
                    name + QStringLiteral(" is not a file that can be copied"));
}

} // namespace plat
