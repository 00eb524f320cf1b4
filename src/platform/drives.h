#pragma once
// Drive letters over host folders. Above the platform layer every path is a
// Windows path ("C:\home\ana\notes.txt", a root is "C:\"); this module alone
// translates between those and host paths.
#include <QChar>
#include <QList>
#include <QString>
#include <optional>

namespace plat {

struct DriveEntry {
    QChar letter;     // upper case
    QString hostRoot; // absolute host folder, no trailing slash except "/"
    QString label;    // volume label shown in drive lists
};

namespace drives {

// The table: QUORBIX_DRIVES ("C=/tmp/a;D=/tmp/b") when set, otherwise C: is
// "/" and each mounted volume under /media, /run/media or /mnt takes the next
// letter.
QList<DriveEntry> table();
void setTable(const QList<DriveEntry>& entries); // tests replace the table
void reload();
std::optional<DriveEntry> find(QChar letter);

// Canonical Windows form of a path: drive letter upper case, backslashes,
// "." and ".." resolved (never above the drive root), no trailing backslash
// except at a root. Relative paths resolve against the current folder.
// Throws FileError 68 when the letter has no drive.
QString normalize(const QString& winPath);

// Host path for a Windows path (normalized first). Throws FileError 68 for
// a letter with no drive.
QString toHost(const QString& winPath);

// Windows path for a host path through the longest drive root holding it;
// empty when no drive holds it.
QString toWindows(const QString& hostPath);

// One name as the host stores it and as the windows show it: a host name
// holding a backslash shows it as U+29F5, so no shown path names another file.
QString nameToHost(const QString& winName);
QString nameToWindows(const QString& hostName);

// The process's current folder, as a Windows path.
QString currentFolder();
void setCurrentFolder(const QString& winPath); // ChDir; throws FileError
// The folder a drive opens on: the current folder on the current drive,
// otherwise the drive's root.
QString driveFolder(QChar letter);

bool isRoot(const QString& winPath);
QChar driveLetterOf(const QString& winPath); // null QChar for a relative path

} // namespace drives
} // namespace plat
