#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::fs {

namespace {

bool starMatch(QStringView name, QStringView pat)
{
    // Iterative '*'/'?' matcher; '[' and every other character are literal.
    int n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == '?' || pat[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++n;
            ++p;
        } else if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
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

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

enum class Kind { Files, Folders };

QStringList listFolder(const QString& winFolder, Kind kind, const QString& pattern)
{
    const QString host = drives::toHost(winFolder);
    const QByteArray hostBytes = drives::hostBytes(host);
    DIR* dir = ::opendir(hostBytes.constData());
    if (!dir) {
        const int e = errno;
        raise(e == ENOENT || e == ENOTDIR ? ErrPathNotFound : errorNumberFor(e, host));
    }
    QStringList out;
    const int dfd = ::dirfd(dir);
    while (dirent* ent = ::readdir(dir)) {
        if (ent->d_name[0] == '.') continue; // hidden, and "." / ".."
        bool isDir = false, isFile = false;
        if (ent->d_type == DT_DIR) {
            isDir = true;
        } else if (ent->d_type == DT_REG) {
            isFile = true;
        } else {
            // links and unknown types: follow the link
            struct stat st;
            if (::fstatat(dfd, ent->d_name, &st, 0) != 0) continue;
            isDir = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        const QString name = drives::windowsName(ent->d_name, qsizetype(std::strlen(ent->d_name)));
        if (kind == Kind::Folders ? isDir : (isFile && matchesPattern(name, pattern)))
            out.append(name);
    }
    ::closedir(dir);
    sortNames(out);
    return out;
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

QStringList listFiles(const QString& winFolder, const QString& pattern)
{
    return listFolder(winFolder, Kind::Files, pattern);
}

QStringList listFolders(const QString& winFolder)
{
    return listFolder(winFolder, Kind::Folders, QString());
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
    if (fd < 0) raiseErrno(errno, host);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raise(ErrPathFileAccess, QStringLiteral("not a file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raise(ErrPathFileAccess, file.errorString());
    }
}

} // namespace plat::fs
