#pragma once
// File-system calls in Windows terms. Paths are Windows paths (see drives.h);
// every failure throws plat::FileError with the program's error number.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

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

// One reading of a folder: its regular files and its sub-folders, hidden
// names left out, each sorted as listFiles sorts.
struct FolderNames {
    QStringList files;
    QStringList folders;
};
// The folder's names as they are now. Always reads the folder, or, when
// asked, hands out again a reading that is still held somewhere while the
// folder keeps its identity and times, and only when those times can tell
// every later change apart: the folder's last change lay more than the file
// system's stamp step before the reading began (a few jiffies where stamps
// carry sub-second digits, 2 s where they do not or where the kind of file
// system is not known to stamp finer; never on network file systems).
// Throws as listFiles.
enum class Reread { Always, WhenChanged };
std::shared_ptr<const FolderNames> folderNames(const QString& winFolder,
                                               Reread how = Reread::Always);
// The names that match the pattern (as matchesPattern), in their order.
QStringList filterNames(const QStringList& names, const QString& pattern);

bool fileExists(const QString& winPath);   // a file (not a folder) is there
bool folderExists(const QString& winPath); // a folder is there
bool pathExists(const QString& winPath);   // anything is there, a link to nothing too
qint64 fileLength(const QString& winPath); // throws 53
// True when both paths name one file (device and inode), under any name.
bool sameFile(const QString& a, const QString& b);
// Opens a file for reading by its exact name; Qt's own classes read from it.
// Throws 53/76 when it is missing, 70 when it cannot be read, 75 for a folder
// or anything else that is not a plain file (explained: what it is). The
// kind is taken from the opened file, which never waits for a pipe's
// writer, so a name that changed since it was listed is judged as it is
// now. A link to a plain file is followed.
void openForReading(QFile& file, const QString& winPath);

// --- changes (fileops.cpp) ---

// Copies a file. The source is opened first and checked on what was
// opened: anything but a plain file (a pipe, a socket, a device, also
// behind a link) is refused with 75 and a message (FileError::message),
// nothing read or written; a link to a file is followed, as cp follows it.
// Never truncates the target before the copy is known to be complete: a
// same-file copy (device and inode) is refused with 70; the data goes to a
// temporary file in the target folder (unnamed where the file system
// allows), and only then takes the target's name: a new target only while
// the name is still free (58 otherwise), an old one by a rename over it. A
// crash or a failure at any moment leaves the old target or the complete
// copy, and no partial file. Holes of a sparse source stay holes. A link
// to nothing is a taken name and never replaced (75); a target that is no
// regular file (a pipe, a socket, a device, or a link to one) is refused
// with 75 and left as it is; a link is followed as a stock kernel follows
// one (never another user's link in a sticky folder everyone may write
// to: 75, with a message that names it). A new copy has the
// source's permission bits minus the umask, as cp gives them; a replaced
// file keeps its owner, group, permission bits and extended attributes
// (all but file capabilities, which the kernel takes off new content),
// and where a renamed temporary could not keep them (the file has other
// names, or another owner) it is written in place, as a save is.
// A replaced file keeps its inode flags too. No part is left either where
// the drive tells a write it could not keep only at fsync or close. On
// every road the copy has the source's times, where the user may set the
// file's times (its owner, or the superuser).
void copyFile(const QString& source, const QString& target);

namespace detail {
struct Folder;
}
// A folder that a run of copies goes into (a paste, Copy To), opened once:
// every file of the run is made in the folder that was opened, whatever
// becomes of its path meanwhile, and the run learns when that path no
// longer names it (the drive was unmounted, the folder moved or replaced),
// so that nothing lands where the user did not point.
class TargetFolder {
  public:
    // 76 (FolderMissing) when the folder is not there, 68 for a letter
    // with no drive, 70 for a folder on the way that may not be searched.
    explicit TargetFolder(const QString& winFolder);
    ~TargetFolder();
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;
    const QString& path() const { return m_win; }
    // 76 (FolderMissing) once the folder's path names another folder or
    // nothing.
    void check() const;
    const detail::Folder& held() const { return *m_folder; }

  private:
    QString m_win;
    std::unique_ptr<detail::Folder> m_folder;
};
// Copies source into the held folder under a single name, as copyFile
// does, once check() has found the folder still where it was (76 when it
// is not: nothing of the file is written anywhere else).
void copyFile(const QString& source, const TargetFolder& into, const QString& name);
// Renames a file or folder; never replaces: an existing target is 58. A
// new name under which the volume finds the very file or folder being
// renamed (a volume that compares names without case, given a new
// spelling) is no duplicate: the name is changed, where the volume needs
// it through a free name of its own in the same folder.
void rename(const QString& from, const QString& to);
// How a rename looks names up and moves them, by host paths (exact
// bytes): the system's, as given here. Tests put a volume that compares
// names without case in its place.
struct RenameSeam {
    // What a look-up finds under a name.
    struct Entry {
        quint64 device = 0;
        quint64 inode = 0;
        quint64 links = 0;
        unsigned mode = 0; // type and permission bits
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
    };
    virtual ~RenameSeam();
    // 0 with the entry (a last link not followed), or an errno.
    virtual int lookUp(const QByteArray& path, Entry* entry);
    // 0 or an errno. With noReplace, a name that is taken stays as it is.
    virtual int move(const QByteArray& from, const QByteArray& to, bool noReplace);
    // The names the folder lists; false where it cannot be read.
    virtual bool list(const QByteArray& folder, QList<QByteArray>* names);
};
void setRenameSeam(RenameSeam* seam);    // nullptr = the system's names
void makeFolder(const QString& winPath); // 58 when it exists, 76 for a missing parent
// One empty folder only: 75 when not empty (or read-only, with the cause
// saying so), 76 when it has gone, 75 with FileCause::LinkToFolder for a
// link, which is left as it is.
void removeFolder(const QString& winPath);
void removeFile(const QString& winPath); // permanent; only for our own temporary files

// The whole file, refused as openForReading refuses what is not a plain
// file. With a limit, a file longer than limit bytes is refused with 7
// (explained: its size) before anything is read; a failed allocation is 7 too.
QByteArray readFile(const QString& winPath, qint64 limit = -1);
// The same file a block at a time, for a reader that keeps only what it
// makes of the bytes (the editor keeps the text, never the bytes beside
// it). Opening refuses as readFile refuses; read() raises as readFile
// does, also when the file grows past the limit while it is read.
class FileReader {
  public:
    FileReader(const QString& winPath, qint64 limit = -1);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    // The size when it was opened: what to make room for.
    qint64 size() const { return m_size; }
    // Up to max bytes; 0 at the end.
    qsizetype read(char* into, qsizetype max);
    // Back to the first byte, for a second reading of the same file.
    void rewind();
    // What a failed allocation for the file's content is: 7, explained
    // with the file's size.
    [[noreturn]] void raiseOutOfMemory() const;

  private:
    QString m_host;
    qint64 m_limit;
    qint64 m_size = 0;
    qint64 m_done = 0;
    int m_fd = -1;
};
// Memory that a large read is about to fill from its start. Most of the
// time of such a read goes into the system handing the memory out (and
// clearing it), a page at a time as it is first written: the pages are
// asked for in large pages and handed out beside the writer, by helpers
// that never touch what is in them. finish() (or the end of the object)
// waits for them; the memory must stay where it is until then.
class MemoryFill {
  public:
    MemoryFill(void* start, qint64 bytes);
    ~MemoryFill() { finish(); }
    MemoryFill(const MemoryFill&) = delete;
    MemoryFill& operator=(const MemoryFill&) = delete;
    void finish();

  private:
    std::vector<std::thread> m_helpers;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_go{false};
};
// Saves a whole file: atomically through a temporary file in its folder,
// so that a failure keeps the old file; an old file keeps its owner, group,
// permission bits, exactly its extended attributes (file capabilities
// excepted: the kernel drops them when new content is written, so that a
// program's privileges never pass to what replaces it) and its inode flags. A file with other
// names (hard links), of another owner or whose attributes or flags a new file
// cannot take, or one the user may write in a folder that takes no
// temporary file, is written where it is instead, one such save of a file
// at a time (70 while another runs): its old content is first kept in a
// synced copy beside it (".name.quorbix-keep", or in the user's own data
// folder), with a synced record of it, both removed once the new content
// is synced, so that a crash at any moment leaves the old or the new
// content whole under the name, or the old one in the copy. The folder is
// opened once and every step is made in it. A link the user chose is
// written through, where copyFile follows one; a target that is no
// regular file is refused as copyFile refuses it. A volume that stores no
// modes is no failure where the file already has the mode it gives.
void writeFileAtomic(const QString& winPath, const QByteArray& d);
// Saves a file whose name the program picks (the HTML preview): a link
// there is never followed, and only a regular file of this user's is
// replaced; anything else is refused with 75 and a message, nothing
// written. The file gets the permission bits of modelWinPath (the
// document it is made from), or the usual bits minus the umask.
void writeOwnFile(const QString& winPath, const QByteArray& d, const QString& modelWinPath);
// Tells the user (a notice each) of the old contents that saves in place
// which never finished (their writer is gone) have left in kept copies, and
// where they are; only copies still as their save made them are vouched
// for.
void reportUnfinishedSaves();
// Where the file layer's notices go (a kept copy an unfinished save left):
// the file layer shows no windows, so the program hands it a sink that
// does (plat::Application: a message box). Without one they go to the
// standard error. An empty function restores that.
void setNoticeSink(std::function<void(const QString&)> sink);
// Waits for what the file layer still does off the caller's thread (the
// removal of a large kept copy once its save is done), so that a program
// ending at once does not leave that copy behind, to be told at the next
// start as a save that never finished.
void finishBackgroundWork();

// Tests inject failures through this seam: the next copyFile fails with
// the number after having written part of the temporary file.
void failNextCopyWith(int number);
// Tests only: the next sync of a written file (at "sync"), the close that
// tells it written before it takes its name ("close") or its last close
// once it has its name ("last close") fails with errnum, as a network or
// FUSE drive tells a write it could not keep.
void failNextFileEnd(const char* at, int errnum);
// Tests only: take every drive for one whose data are kept elsewhere (a
// network or FUSE drive), whose write errors may come only at fsync or
// close, or every drive for a local one (as a network drive of a kind the
// layer does not know is taken), instead of asking each drive.
enum class DriveKinds { AsTheyAre, AllKeptElsewhere, AllLocal };
void judgeDrivesAs(DriveKinds kinds);
// Tests only: called at each step of a copy or save ("checked" once a
// copy's source is open and checked and the target checked, or a save's
// target checked, "locked" once a write in place holds the file, "kept"
// once it has kept the old content, "partial" after the first data, "complete" once synced,
// "named" when a replacement's temporary file has its name, "landed" when a
// new file has the target's name (before its last close), "done" once
// a write in place has removed its kept copy and record); a test's
// child process dies there, or changes a name.
void setCopyStepHook(void (*hook)(const char* step));
// Tests only: the change and modification times (nanoseconds) a folder
// shows to the reading cache, as a file system with coarser stamps would
// give them. nullptr restores the real times.
void setFolderStampHook(void (*hook)(qint64& ctime, qint64& mtime));
// Tests only: write named temporary files, as on a file system without
// O_TMPFILE.
void setUnnamedTemporaries(bool allowed);
// Tests only: every change of a written file's permission bits answers
// errnum, as a volume that stores no modes answers (ENOSYS, EOPNOTSUPP,
// EPERM); 0 restores the system's answers.
void refuseModeChangesWith(int errnum);

} // namespace plat::fs
