#include "platform/folderobject.h"
#include "platform/filesys.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/winpath.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace plat {

namespace {

enum class Kind { Files, Folders };

// One pass over a host folder. Links to files count as files; links to
// folders are never folders here. Unreadable or vanished folders list
// nothing.
QStringList scan(const QString& winFolder, Kind kind, bool withHidden)
{
    QString host;
    try {
        host = drives::toHost(winFolder);
    } catch (const FileError&) {
        return {};
    }
    DIR* dir = ::opendir(drives::hostBytes(host).constData());
    if (!dir) return {};
    const int dfd = ::dirfd(dir);
    QStringList out;
    while (const dirent* ent = ::readdir(dir)) {
        const char* n = ent->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        if (n[0] == '.' && !withHidden) continue;
        bool isDir = false, isFile = false;
        if (ent->d_type == DT_DIR) {
            isDir = true;
        } else if (ent->d_type == DT_REG) {
            isFile = true;
        } else if (ent->d_type == DT_LNK) {
            struct stat st;
            isFile = ::fstatat(dfd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
        } else if (ent->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISLNK(st.st_mode)) {
                isFile = ::fstatat(dfd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
            } else {
                isDir = S_ISDIR(st.st_mode);
                isFile = S_ISREG(st.st_mode);
            }
        }
        if (kind == Kind::Folders ? isDir : isFile)
            out.append(drives::windowsName(n, qsizetype(std::strlen(n))));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return out;
}

} // namespace

bool wildcardMatches(const QString& name, const QString& pattern)
{
    if (pattern.isEmpty() || name.isEmpty()) return false;
    return fs::wildcardMatch(name, pattern);
}

QStringList Folder::SubFolders() const
{
    QStringList out = scan(m_path, Kind::Folders, true);
    for (QString& name : out)
        name = FileSystemObject::BuildPath(m_path, name);
    return out;
}

Folder FileSystemObject::GetFolder(const QString& path) const
{
    // an empty path names no folder (not the current one)
    if (path.trimmed().isEmpty()) raise(ErrPathNotFound);
    const QString win = drives::normalize(path);
    struct stat st;
    const QByteArray host = drives::toHostBytes(win);
    if (::stat(host.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) raise(ErrPathNotFound);
    return Folder(win);
}

QString FileSystemObject::BuildPath(const QString& path, const QString& name)
{
    return winpath::join(path, name);
}

QString FileEnumeration::First(const QString& folder, const QString& pattern, int attributes)
{
    m_names.clear();
    m_next = 0;
    if (!pattern.isEmpty()) {
        const QStringList all = scan(folder, Kind::Files, attributes & vbHidden);
        for (const QString& name : all)
            if (wildcardMatches(name, pattern)) m_names.append(name);
    }
    return Next();
}

QString FileEnumeration::Next()
{
    return m_next < m_names.size() ? m_names.at(m_next++) : QString();
}

} // namespace plat
