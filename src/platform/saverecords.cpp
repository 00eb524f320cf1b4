#include "platform/saverecords.h"
#include "platform/writesupport.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace plat::fs {

namespace detail {

namespace {

std::function<void(const QString&)>& noticeSink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

// A notice is never lost for want of a window: without a sink it goes to
// the standard error.
void notice(const QString& text)
{
    if (noticeSink())
        noticeSink()(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// --- records of saves at work ---
//
// A save in place leaves a record in the user's own folder for as long as
// it runs, naming the file, its kept copy and their identities, locked by
// the save: should the program die, the next start (or the next save of the
// file) finds a record whose lock is free and tells where the old content
// is. Names are held as counted bytes, so that any name, a newline in it
// too, comes back as it went in.

constexpr char kRecordMagic[] = "Quorbix unfinished save\n";

struct RecordText {
    QByteArray file, kept;
    bool identified = false; // a record of an older program holds only the names
    dev_t fileDev = 0, keptDev = 0;
    ino_t fileIno = 0, keptIno = 0;
};

void putField(QByteArray& out, const char* key, const QByteArray& value)
{
    out += key;
    out += ' ';
    out += QByteArray::number(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

QByteArray identity(const struct stat& st)
{
    return QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino));
}

bool readIdentity(const QByteArray& text, dev_t* dev, ino_t* ino)
{
    const QList<QByteArray> parts = text.split(' ');
    if (parts.size() != 2) return false;
    bool ok1 = false, ok2 = false;
    *dev = dev_t(parts[0].toULongLong(&ok1));
    *ino = ino_t(parts[1].toULongLong(&ok2));
    return ok1 && ok2;
}

std::optional<RecordText> parseRecord(const QByteArray& bytes)
{
    RecordText r;
    if (!bytes.startsWith(kRecordMagic)) {
        // The two lines an earlier version of the program wrote.
        const QList<QByteArray> lines = bytes.split('\n');
        if (lines.size() < 2 || lines[0].isEmpty() || lines[1].isEmpty()) return std::nullopt;
        r.file = lines[0];
        r.kept = lines[1];
        return r;
    }
    qsizetype at = qsizetype(sizeof kRecordMagic - 1);
    QByteArray fileId, keptId;
    while (at < bytes.size()) {
        const qsizetype eol = bytes.indexOf('\n', at);
        if (eol < 0) return std::nullopt;
        const QByteArray head = bytes.mid(at, eol - at);
        const qsizetype blank = head.indexOf(' ');
        if (blank < 0) return std::nullopt;
        bool ok = false;
        const qsizetype len = qsizetype(head.mid(blank + 1).toLongLong(&ok));
        if (!ok || len < 0 || eol + 1 + len + 1 > bytes.size() || bytes.at(eol + 1 + len) != '\n')
            return std::nullopt;
        const QByteArray key = head.left(blank), value = bytes.mid(eol + 1, len);
        if (key == "file") r.file = value;
        if (key == "kept") r.kept = value;
        if (key == "file-id") fileId = value;
        if (key == "kept-id") keptId = value;
        at = eol + 1 + len + 1;
    }
    if (r.file.isEmpty() || r.kept.isEmpty() || !readIdentity(fileId, &r.fileDev, &r.fileIno) ||
        !readIdentity(keptId, &r.keptDev, &r.keptIno))
        return std::nullopt;
    r.identified = true;
    return r;
}

enum class Vouch { Ours, Gone, NotOurs, Away };

// Errors of a drive that is not there now (taken out, a share down, a
// FUSE drive whose program ended) rather than of a file that is gone.
bool unreachable(int e)
{
    return e == ENOTCONN || e == EIO || e == ESTALE || e == EHOSTDOWN || e == EHOSTUNREACH ||
           e == ENODEV || e == ENXIO || e == ENOMEDIUM || e == ETIMEDOUT;
}

// Whether the folder a record's copy was kept in is there, on the drive
// the copy was made on: a drive taken out can leave its mount point
// behind, empty, on another device.
bool keptFolderHere(const RecordText& r)
{
    const qsizetype slash = r.kept.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? r.kept.left(slash) : QByteArray("/");
    struct stat st;
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return !r.identified || st.st_dev == r.keptDev;
}

// Whether the copy a record names is still the one its save made: a
// regular file of this user's with one name, of the device and inode
// recorded. Anything else at that name (another user's file, a link, a
// pipe) is not vouched for. A copy whose folder is not there is away, not
// gone: its drive may come back.
Vouch vouchFor(const RecordText& r)
{
    const int fd = ::open(r.kept.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR) return keptFolderHere(r) ? Vouch::Gone : Vouch::Away;
        return unreachable(e) ? Vouch::Away : Vouch::NotOurs;
    }
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                    st.st_nlink == 1 &&
                    (!r.identified || (st.st_dev == r.keptDev && st.st_ino == r.keptIno));
    ::close(fd);
    return ok ? Vouch::Ours : Vouch::NotOurs;
}

} // namespace

QString keptMessage(const QByteArray& file, const QByteArray& kept)
{
    return QStringLiteral("A save of %1 did not finish. The file's content from before that save "
                          "is kept in %2.")
        .arg(shownHost(file), shownHost(kept));
}

QString lostKeptMessage(const QByteArray& file, const QByteArray& kept)
{
    return QStringLiteral("A save of %1 did not finish. The copy of its content from before "
                          "that save was kept in %2, but what is there now is not that copy: "
                          "it has been moved or replaced since.")
        .arg(shownHost(file), shownHost(kept));
}

// Tells of the saves whose writers are gone: all of them, or those of one
// file (its path or its identity). A record whose copy is gone has nothing
// left to tell and goes; one whose copy is no longer ours is told once as
// such and goes; one whose copy's drive is not there waits for it.
void tellUnfinished(const QByteArray* file, const struct stat* fileSt)
{
    const Fd dir = ownFolder("unfinished", nullptr, false);
    if (!dir.valid()) return;
    const int listing = ::dup(dir.get());
    DIR* d = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!d) {
        if (listing >= 0) ::close(listing);
        return;
    }
    std::vector<QByteArray> names;
    while (dirent* ent = ::readdir(d))
        if (std::strcmp(ent->d_name, ".") != 0 && std::strcmp(ent->d_name, "..") != 0)
            names.emplace_back(ent->d_name);
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const QByteArray& name : names) {
        const Fd fd(
            ::openat(dir.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) continue;
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // A save at work, in this or another running copy, holds its record.
        if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) continue;
        QByteArray bytes(int(qMin<off_t>(st.st_size, 1 << 16)), Qt::Uninitialized);
        const ssize_t n = ::pread(fd.get(), bytes.data(), size_t(bytes.size()), 0);
        const auto r = parseRecord(bytes.left(n > 0 ? int(n) : 0));
        // A hidden record is one still being written, or written by a save
        // cut short before it named its copy.
        const bool draft = name.startsWith('.');
        if (!r) {
            // A hidden one may be a save's that has not locked it yet.
            if (!draft) ::unlinkat(dir.get(), name.constData(), 0); // nothing in it can be told
            continue;
        }
        if (file && r->file != *file &&
            !(r->identified && fileSt && r->fileDev == fileSt->st_dev &&
              r->fileIno == fileSt->st_ino))
            continue;
        if (draft) {
            // That save had not touched the file: its copy, should it have
            // got a name, is of no use, and goes while it is still the one
            // made.
            const Vouch v = vouchFor(*r);
            if (v == Vouch::Away) continue; // taken away once its drive is back
            if (r->identified && v == Vouch::Ours) {
                const qsizetype slash = r->kept.lastIndexOf('/');
                const Fd folder(::open(slash > 0 ? r->kept.left(slash).constData() : "/",
                                       O_PATH | O_DIRECTORY | O_CLOEXEC));
                struct stat made {};
                made.st_dev = r->keptDev;
                made.st_ino = r->keptIno;
                if (folder.valid()) unlinkIfSame(folder.get(), r->kept.mid(slash + 1), made);
            }
            ::unlinkat(dir.get(), name.constData(), 0);
            continue;
        }
        switch (vouchFor(*r)) {
        case Vouch::Ours:
            notice(keptMessage(r->file, r->kept));
            break;
        case Vouch::Gone:
            ::unlinkat(dir.get(), name.constData(), 0);
            break;
        case Vouch::NotOurs:
            notice(lostKeptMessage(r->file, r->kept));
            ::unlinkat(dir.get(), name.constData(), 0);
            break;
        case Vouch::Away:
            break; // told at the first start that finds its drive again
        }
    }
}

void Record::fail(const Target& t, int e)
{
    remove();
    throw FileError(errorNumberFor(e, folder), errorText(e))
        .setMessage(QStringLiteral("%1 was left as it was: the record of this save, "
                                   "which tells the next start where the old content "
                                   "is should the save be cut short, could not be "
                                   "written in %2 (%3).")
                        .arg(shownHost(enc(t.host)), folder, errorText(e)));
}

// Writes and syncs the record, hidden and locked, naming the copy by
// the name it is about to take; written again for another name. Throws,
// with the file untouched, where it cannot be written and synced: a
// save cut short without one could not be told.
void Record::prepare(const Target& t, const struct stat& fileSt, const QByteArray& kept,
                     const struct stat& keptSt)
{
    QByteArray text = kRecordMagic;
    putField(text, "file", enc(t.host));
    putField(text, "file-id", identity(fileSt));
    putField(text, "kept", kept);
    putField(text, "kept-id", identity(keptSt));
    putField(text, "pid", QByteArray::number(qint64(::getpid())));
    const bool made = !fd.valid();
    if (made) {
        dir = ownFolder("unfinished", &folder);
        if (!dir.valid()) fail(t, errno);
        for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
            draft = '.' + randomPart();
            fd.reset(::openat(dir.get(), draft.constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!fd.valid() && errno != EEXIST) {
                draft.clear();
                fail(t, errno);
            }
        }
        if (!fd.valid()) {
            draft.clear();
            fail(t, EEXIST);
        }
        ::flock(fd.get(), LOCK_EX);
    }
    int e = 0;
    if (::ftruncate(fd.get(), 0) != 0 || ::lseek(fd.get(), 0, SEEK_SET) != 0 ||
        !writeAll(fd.get(), text.constData(), text.size()) || ::fsync(fd.get()) != 0)
        e = errno ? errno : EIO;
    if (e == 0 && made) e = syncFolder(dir.get());
    if (e != 0) fail(t, e);
}

// The record takes its own name: the copy it names has that name now.
void Record::commit(const Target& t)
{
    int e = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray final = randomPart();
        e = moveToFreeName(dir.get(), draft.constData(), final.constData());
        if (e == EEXIST) continue;
        if (e == 0) {
            name = final;
            draft.clear();
        }
        break;
    }
    if (e == 0 && name.isEmpty()) e = EEXIST;
    if (e == 0) e = syncFolder(dir.get());
    if (e != 0) fail(t, e);
}

void Record::remove()
{
    if (!name.isEmpty()) ::unlinkat(dir.get(), name.constData(), 0);
    if (!draft.isEmpty()) ::unlinkat(dir.get(), draft.constData(), 0);
    name.clear();
    draft.clear();
    fd.reset();
}

} // namespace detail

void setNoticeSink(std::function<void(const QString&)> sink)
{
    detail::noticeSink() = std::move(sink);
}

void reportUnfinishedSaves()
{
    detail::tellUnfinished();
}

} // namespace plat::fs
