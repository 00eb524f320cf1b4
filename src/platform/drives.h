#pragma once
// Drive letters over host folders. Above the platform layer every path is a
// Windows path ("C:\home\ana\notes.txt", a root is "C:\"); this module alone
// translates between those and host paths.
#include <QChar>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

namespace plat {

struct DriveEntry {
    QChar letter;     // upper case
    QString hostRoot; // absolute host folder, no trailing slash except "/" (text form below)
    QString label;    // volume label shown in drive lists
};

namespace drives {

// The table: QUORBIX_DRIVES ("C=/tmp/a;D=/tmp/b") when set, otherwise C: is
// "/" and each volume mounted under /media, /run/media or /mnt is a drive,
// also one mounted while the program runs (followMounts): a drive keeps its
// letter while it stays mounted, a new volume takes the first free letter
// from D:, and one taken out leaves the table and gives its letter back.
QList<DriveEntry> table();
void setTable(const QList<DriveEntry>& entries); // tests replace the table, which then stays
void reload();                                   // reads the table anew, letters and all
std::optional<DriveEntry> find(QChar letter);
// Brings a table made from the mount table up to date with it; true when
// the table changed. A table that was set stays as it is.
bool followMounts();
// Counts the changes of the table, so that a list of drives knows whether
// it shows the table as it is.
quint64 tableGeneration();
// Tests: the folders in which a mounted volume is a drive (instead of
// /media, /run/media and /mnt).
void setVolumeFolders(const QStringList& folders);

// Watches the system's mount table once asked for (while an event loop
// runs): changed() comes once a volume was mounted or taken out and the
// table followed it. check() is what the watch does then, also for a
// mount table that no descriptor watches (the tests' seam).
class TableWatch : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    void check();
  signals:
    void changed();
};
TableWatch& tableWatch();

// Canonical Windows form of a path: drive letter upper case, backslashes,
// "." and ".." resolved (never above the drive root), no trailing backslash
// except at a root. Relative paths resolve against the current folder.
// Throws FileError 68 when the letter has no drive.
QString normalize(const QString& winPath);

// Host path for a Windows path (normalized first), in the platform's text
// form (below). Throws FileError 68 for a letter with no drive, 76 for a
// bad file name.
QString toHost(const QString& winPath);
QByteArray toHostBytes(const QString& winPath); // the exact bytes

// Windows path for a host path through the longest drive root holding it;
// empty when no drive holds it. The bytes form is exact; the text form
// takes a path as Qt spells it (Qt's own dialogs and folders).
QString toWindows(const QByteArray& hostPath);
QString toWindows(const QString& qtHostPath);

// Host names are bytes; every name round-trips exactly, whatever its bytes.
// The platform layer holds a host path as text in this form:
// - bytes that are valid UTF-8 are the characters they spell;
// - a byte that is not part of valid UTF-8 is the stand-in U+F700 + byte
//   (U+F780..U+F7FF, private use);
// - a real character that would read as a stand-in (U+F780..U+F7FF) or as a
//   host backslash in a Windows path (U+29F5) is held as its UTF-8 bytes,
//   each as its stand-in, so it never merges with what it stands for.
// A Windows name is that text with the host's backslash as U+29F5 (the
// backslash separates a Windows path). Text that no host name spells (a
// NUL, a lone surrogate, stand-ins that spell a character held as itself)
// is a bad file name: FileError 76, never a cut or different name.
QString hostString(const QByteArray& bytes);
QByteArray hostBytes(const QString& host); // throws 76 for a NUL or a lone surrogate
QString nameToHost(const QString& winName);
QString nameToWindows(const QString& hostName);
// The Windows name of a host name as readdir gives it.
QString windowsName(const char* bytes, qsizetype size);
// The screen's form of a name or path, so that no two names look alike:
// each stand-in as "\xHH" and a NUL as "\x00"; a character that shows as
// nothing or moves its neighbours (format and direction characters such as
// U+FEFF or U+202B, line and paragraph separators, control characters) as
// "\u{202B}"; and blanks at the end of a name (or of a name in a path) as
// "\u{20}", so " " is no blank row and "a " is not "a". Display only; the
// model keeps the exact text.
QString displayName(const QString& winText);
// The same for a text that holds names among words of its own (a message,
// a caption): blanks, tabs and line breaks stay as they are; a name whose
// end must show goes in through displayName.
QString displayText(const QString& text);
// The same host path as Qt's own file classes spell it, when they can spell
// it exactly (valid UTF-8); empty otherwise.
QString qtPath(const QString& host);

// The process's current folder, as a Windows path.
QString currentFolder();
void setCurrentFolder(const QString& winPath); // ChDir; throws FileError
// The folder a drive opens on: the current folder on the current drive,
// otherwise the drive's root.
QString driveFolder(QChar letter);

QChar driveLetterOf(const QString& winPath); // null QChar for a relative path

} // namespace drives
} // namespace plat
