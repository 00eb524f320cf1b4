#pragma once
// File-system calls in Windows terms. Paths are Windows paths (see drives.h);
// every failure throws plat::FileError with the program's error number.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace plat::fs {

// --- listing (filelist.cpp) ---

// True when name matches one of the ';'-separated wildcard patterns ('*' and
// '?' only, case-insensitive; "*.*" also matches names without a dot; an
// empty pattern matches everything).
bool matchesPattern(const QString& name, const QString& pattern);
// One wildcard pattern: '*' and '?', case-insensitive; "*.*" matches every
// name and "x.*" also a bare "x", as the file system matches them.
bool wildcardMatch(const QString& name, const QString& pattern);

// Regular files of a folder matching the pattern, hidden (dot) files left
// out, sorted case-insensitively. Throws 76 for a missing folder, 70 when it
// cannot be read, 68 for a letter with no drive.
QStringList listFiles(const QString& winFolder, const QString& pattern = QString());
// Sub-folders of a folder, hidden ones left out, sorted case-insensitively.
QStringList listFolders(const QString& winFolder);

// One reading of a folder: its regular files and its sub-folders, hidden
// names left out, each sorted as listFiles sorts.
struct FolderNames {
    QStringList files;
    QStringList folders;
};
// The folder's names as they are now. A reading that is still held somewhere
// is handed out again, without reading, while the folder keeps its identity
// and change time and that change lay well before the reading began (a
// change within the file system's timestamp granularity would not show in
// the change time); otherwise the folder is read again. Throws as listFiles.
std::shared_ptr<const FolderNames> folderNames(const QString& winFolder);
// The names that match the pattern (as matchesPattern), in their order.
QStringList filterNames(const QStringList& names, const QString& pattern);

bool fileExists(const QString& winPath);   // a file (not a folder) is there
bool folderExists(const QString& winPath); // a folder is there
bool pathExists(const QString& winPath);   // anything is there
qint64 fileLength(const QString& winPath); // throws 53

// --- changes (fileops.cpp) ---

// Copies a file. Never truncates the target before the copy is known to be
// complete: a same-file copy (device and inode) is refused with 70 before
// anything is opened; the data goes to a temporary file in the target
// folder that is renamed over the target only when complete. A failure
// leaves the old target as it was and no partial file.
void copyFile(const QString& source, const QString& target);
// Renames a file or folder; never replaces: an existing target is 58.
void rename(const QString& from, const QString& to);
void makeFolder(const QString& winPath);   // 58 when it exists, 76 for a missing parent
void removeFolder(const QString& winPath); // one empty folder only; 75 when not empty
void removeFile(const QString& winPath);   // permanent; only for our own temporary files

QByteArray readFile(const QString& winPath);                       // whole file
void writeFileAtomic(const QString& winPath, const QByteArray& d); // QSaveFile

// Tests inject failures through this seam: the next copyFile fails with
// the number after having written part of the temporary file.
void failNextCopyWith(int number);

} // namespace plat::fs
