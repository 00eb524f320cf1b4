#include "platform/fileerror.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace plat {

FileError::FileError(int number, const QString& detail)
    : std::runtime_error("file error " + std::to_string(number)), m_number(number), m_detail(detail)
{
}

int errorNumberFor(int errnum, const QString& hostPath)
{
    switch (errnum) {
    case ENOENT: {
        const QString parent = QFileInfo(hostPath).absolutePath();
        return QFileInfo(parent).isDir() ? ErrFileNotFound : ErrPathNotFound;
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

} // namespace plat
