#pragma once
// How the file layer writes a file without losing the old one, and without
// trusting a name once it has checked what stands behind it: the target's
// folder is opened once, and the temporary file, its name, the rename, the
// kept copy of a write in place and every later look-up are made relative
// to that descriptor. A folder swapped for a link, a kept copy swapped for
// another file or a drive unmounted meanwhile can then never make a write
// land elsewhere. Internal to the platform layer.
#include "platform/fd.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <sys/stat.h>
#include <sys/types.h>

namespace plat::fs::detail {

using plat::Fd;

// The exact bytes of a host path in the drives layer's text form, and back.
QByteArray enc(const QString& host);
QString dec(const QByteArray& hostBytes);
// A host path's folder and name, as bytes: "/a/b" gives "/a" and "b", "/"
// gives "/" and nothing.
void splitHost(const QString& host, QByteArray* folder, QByteArray* name);

// The test hook of a copy's or a save's steps (setCopyStepHook).
void step(const char* name);

// A folder that writes go into, opened once (O_PATH, so that a folder we
// may write but not read still serves).
struct Folder {
    Fd fd;
    struct stat st {}; // its identity when it was opened
    QString host;      // the path it was opened by, for messages
    // Its drive tells write errors late (keptElsewhere), as asked of the
    // descriptor once it was opened: every file of a run of copies goes
    // to the drive this descriptor stands on, whatever is mounted later.
    bool late = false;
    quint64 mounts = 0; // the mount table's generation then (mounts::generation)
};
// 76 (FolderMissing) when the path names no folder, otherwise the number
// of what stopped the open (70 for a folder on the way we may not search).
Folder openFolder(const QString& host);
// 76 (FolderMissing) once the path the folder was opened by names another
// folder or nothing: unmounted, moved or replaced since.
void checkStillThere(const Folder& folder);

// How a name given to a write is taken.
enum class NameOf {
    // A name the user chose: a link to a file is written through, so that
    // the file receives the data and the link stays a link, as cp does.
    User,
    // A name the program picks (the HTML preview): never followed, and only
    // a regular file of this user's is replaced, so that nobody can make
    // the program write where they point it or keep a file of theirs.
    Program,
};

// What a target name stands for, checked once and held from then on.
struct Target {
    int dir = -1;       // the folder the file is in
    Fd ownDir;          // that folder when a link led there (dir is its descriptor)
    QString folderHost; // the folder's path, for messages and kept copies
    QByteArray name;    // the file's name in its folder
    QString host;       // the file's path, for messages
    bool exists = false;
    bool late = false;  // the folder's drive tells write errors late (Folder::late)
    quint64 mounts = 0; // Folder::mounts
    struct stat st {};  // of the file there, when it exists
    Fd pin;             // the file that was checked (O_PATH), when it exists
    // A replacement takes exactly the old file's extended attributes (its
    // access list among them); not for a file the program names, whose
    // access follows the document it is made of.
    bool keepAttributes = true;
};
// The file name stands for in the folder. A link to nothing is a taken name
// that is never replaced nor followed (75: it could point anywhere), and so
// is another user's link in a sticky folder everyone may write to (75, with
// a message that names it); a read-only file, a folder, and anything else
// that is not a regular file (a pipe, a socket, a device, or a link to one)
// is 75; the source itself under any name (its stat given) is 70, before
// anything is opened for writing.
Target checkTarget(const Folder& in, const QByteArray& name, NameOf kind,
                   const struct stat* source = nullptr);

// Where creating a file gives mode, the bits asked for minus the umask (or
// as the folder's default ACL has them), as cp gives them; ours to read and
// write meanwhile.
mode_t creationMode(mode_t wanted);
// Takes away again any owner bit of creationMode() that wanted lacks; a
// volume that keeps no modes leaves them (setModeAsVolumeKeeps).
void finishMode(int fd, mode_t wanted);

// Writes a target through a temporary file in its folder: fill() writes
// the data (and may throw FileError); the complete file then takes the
// target's name: a new target only while that name is still free (58 when
// something took it meanwhile), an old one replaced by a rename. At any
// moment of a crash the target holds its old state or the complete file. A
// replacement is synced before its rename, and so is a new file unless
// waitForNew is false (a copy: the source is still there). A replacement
// takes the old file's identity: owner, group, permission bits and exactly
// its extended attributes. Returns false, with nothing changed, when the
// temporary cannot be given them (another user's file, an attribute the
// temporary cannot take or lose); the caller then writes in place.
// A replacement takes the inode flags the old file's owner set as well
// (false where the temporary cannot take one, before anything is named).
// Where the drive tells write errors late (keptElsewhere), a new file is
// synced too, and no file takes its name before a close would say it was
// written; a new one told of after it has its name goes again.
// *refused receives the errno of a temporary that could not be made.
bool writeThroughTemporary(const Target& dst, mode_t mode, const std::function<void(int fd)>& fill,
                           int* refused = nullptr, bool waitForNew = true);

// Writes a file over its old content, for a file whose identity the atomic
// way cannot keep (other names, another owner) or whose folder takes no
// temporary file. Only one such write of a file runs at a time (another is
// told the file is busy). Before the old content is touched it is kept in
// a synced copy, held open, with a synced record of it for the next start;
// the room for the new content is reserved. fill() then writes the new
// content from offset 0 and returns its length. At any moment of a crash
// the file holds its old or its new content, or the copy holds the old
// one; a failure puts the old content back from the open copy and gives
// the reserved room back.
// finish(), where given, is applied once the file has its new length,
// before it is synced: times set there stay.
void writeInPlace(const Target& t, qint64 newSize, const std::function<off_t(int fd)>& fill,
                  const std::function<void(int fd)>& finish = {});

// Writes a target by the road that keeps it whole and keeps what it is:
// through a temporary file (fillTemporary), or in place (fillInPlace) where
// a rename would leave the old file's other names behind, where the
// temporary cannot take its owner or attributes, or where the folder takes
// no temporary file but the file may be written. waitForNew as for
// writeThroughTemporary; finishInPlace as writeInPlace's finish().
void writeTarget(const Target& t, qint64 newSize, mode_t mode,
                 const std::function<void(int fd)>& fillTemporary,
                 const std::function<off_t(int fd)>& fillInPlace, bool waitForNew = true,
                 const std::function<void(int fd)>& finishInPlace = {});

// Moves a file or folder to a name that must still be free; 0 or an errno.
// Also for file systems without RENAME_NOREPLACE.
int moveToFree(int fromDir, const char* from, int toDir, const char* to);
// The same within one folder.
int moveToFreeName(int dir, const char* from, const char* to);
// For file systems without RENAME_NOREPLACE: claims the new name with an
// exclusive create (a folder for a folder), then renames over our own
// placeholder. 0, or -1 with errno set.
int renameOverPlaceholder(int fromDir, const char* from, int toDir, const char* to, bool folder);
// renameat2 with RENAME_NOREPLACE; -1 with errno ENOSYS where the system
// has none.
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);

} // namespace plat::fs::detail
