#pragma once
// Folders as the search windows walk them: a folder object with its path and
// its subfolders, and an enumeration of the files of one folder that match a
// wildcard, in Windows terms (see drives.h).
#include <QString>
#include <QStringList>

namespace plat {

// A folder that was there when it was opened.
class Folder {
  public:
    Folder() = default;
    // The folder's path as the file system reports it: normalized, a
    // backslash at the end only at a drive root.
    QString Path() const { return m_path; }
    // Full paths of the subfolders, hidden ones included, sorted as the file
    // lists sort. A link to a folder is left out, so a walk can never loop
    // through a link back to a folder it is in. A folder that cannot be read
    // (or has vanished) has none.
    QStringList SubFolders() const;

  private:
    friend class FileSystemObject;
    explicit Folder(const QString& path) : m_path(path) {}
    QString m_path;
};

class FileSystemObject {
  public:
    // Throws FileError 76 when there is no such folder (or the path names a
    // file, or is empty), 68 for a letter with no drive. A relative path is
    // taken from the current folder.
    Folder GetFolder(const QString& path) const;
    // The folder's path and a name, with a backslash between them unless the
    // path already ends in one.
    static QString BuildPath(const QString& path, const QString& name);
};

// Attribute bits of a file enumeration.
enum FileAttributes { vbNormal = 0, vbReadOnly = 1, vbHidden = 2, vbSystem = 4 };

// True when a file name matches a wildcard as the file system matches it:
// '*' and '?', without regard to case; "*.*" matches every name and "x.*"
// also a bare "x". An empty pattern matches nothing.
bool wildcardMatches(const QString& name, const QString& pattern);

// The files of one folder that match a pattern, one name per call. Each
// enumeration holds its own list, taken when it starts, so enumerations
// never disturb each other and a file that vanishes afterwards still ends
// the list in order. Folders are never listed; hidden (dot) files only
// with vbHidden in the attributes.
class FileEnumeration {
  public:
    // The first matching name, empty when there is none or the folder
    // cannot be read.
    QString First(const QString& folder, const QString& pattern, int attributes);
    // The next name, empty at the end.
    QString Next();

  private:
    QStringList m_names;
    qsizetype m_next = 0;
};

} // namespace plat
