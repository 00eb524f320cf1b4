#include "platform/registry.h"

#include "platform/fileerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plat {

namespace {

// Marks a file as ours, so a path that names some other program's database is
// left alone instead of having our tables added to it.
constexpr int kApplicationId = 0x51425852;
// Another running copy holds the write lock only for the length of one write.
constexpr int kBusyTimeoutMs = 5000;

const char* const kSchema = "CREATE TABLE IF NOT EXISTS keys("
                            " root INTEGER NOT NULL, path TEXT NOT NULL, display TEXT NOT NULL,"
                            " PRIMARY KEY(root, path)) WITHOUT ROWID;"
                            "CREATE TABLE IF NOT EXISTS vals("
                            " root INTEGER NOT NULL, path TEXT NOT NULL, name TEXT NOT NULL,"
                            " display TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                            " PRIMARY KEY(root, path, name)) WITHOUT ROWID;";

bool isRoot(quint32 key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_USERS;
}

QStringList keyParts(const QString& key)
{
    return key.split(u'\\', Qt::SkipEmptyParts);
}

// The spelling kept for display: the parts joined by single backslashes.
QString cleanKey(const QString& key)
{
    return keyParts(key).join(u'\\');
}

QString folded(const QString& s)
{
    return s.toCaseFolded();
}

// Tests only: every write transaction meets a full disk at its commit.
bool g_failWrites = false;

// The start of every SQLite file, and where its application id sits.
constexpr char kSqliteMagic[] = "SQLite format 3";
constexpr int kHeaderSize = 100;
constexpr int kApplicationIdOffset = 68;

// The folders the store's file lives in: made private to the user, whatever
// the umask says (the links it holds may carry session addresses).
bool makePrivateFolders(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(QDir(folder).absolutePath()));
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const QByteArray part = path.left(at);
        if (::mkdir(part.constData(), 0700) == 0) {
            ::chmod(part.constData(), 0700);
            continue;
        }
        struct stat st;
        if (errno != EEXIST || ::stat(part.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
    }
    return true;
}

QString describeRc(int rc, const QString& sqliteText)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("the disk holding the settings file is full");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QStringLiteral("the settings file cannot be written");
    default:
        return sqliteText;
    }
}

bool isDamage(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

// A prepared statement that finalizes itself.
class Stmt {
  public:
    Stmt(sqlite3* db, const char* sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    bool ok() const { return m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }

    Stmt& bind(int i, qint64 v)
    {
        if (ok()) m_rc = sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Stmt& bind(int i, const QString& v)
    {
        const QByteArray utf8 = v.toUtf8();
        if (ok())
            m_rc =
                sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& bindBlob(int i, const QByteArray& v)
    {
        // A zero-length blob, not NULL: an empty text is a value.
        if (ok())
            m_rc = sqlite3_bind_blob(m_stmt, i, v.constData() ? v.constData() : "", int(v.size()),
                                     SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step()
    {
        if (!ok()) return m_rc;
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) m_rc = rc;
        return rc;
    }
    qint64 int64(int col) const { return sqlite3_column_int64(m_stmt, col); }
    QByteArray blob(int col) const
    {
        const void* p = sqlite3_column_blob(m_stmt, col);
        const int n = sqlite3_column_bytes(m_stmt, col);
        return p ? QByteArray(static_cast<const char*>(p), n) : QByteArray("", 0);
    }
    QString text(int col) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)),
                                 sqlite3_column_bytes(m_stmt, col));
    }

  private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc;
};

} // namespace

struct RegistryStore::Impl {
    enum class State { Open, Missing, Failed };

    QString path;
    sqlite3* db = nullptr;
    dev_t dev = 0;
    ino_t ino = 0;
    bool schemaReady = false;
    // A file we must not touch again in this session: someone else's
    // database, or a damaged one that could not be moved aside.
    bool unusable = false;
    bool warned = false;
    // The file was made by this store and nothing was stored in it yet: a
    // failed first write takes it away again.
    bool createdEmpty = false;
    QString lastFailure; // why the last write or delete failed, for the user
    QString notice;      // a refusal of the file the user has not been told of
    QMutex mutex;

    ~Impl() { close(); }

    void close()
    {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
        schemaReady = false;
    }

    // Refuses the file for this session, leaving it exactly as it is.
    void refuse(const QString& why)
    {
        close();
        unusable = true;
        lastFailure =
            QStringLiteral("the settings file \"%1\" %2").arg(QDir::toNativeSeparators(path), why);
        notice = QStringLiteral("The settings file \"%1\" %2. It is left as it is, and "
                                "settings changes are not being saved.")
                     .arg(QDir::toNativeSeparators(path), why);
        warnOnce(why);
    }

    // PlainDatabase: a database with no program's mark, ours only while it
    // holds no tables (checkFile tells).
    enum class Kind {
        Empty,
        Ours,
        PlainDatabase,
        OtherDatabase,
        NotADatabase,
        NotAFile,
        Unreadable
    };

    // What the file at the path is, from its first bytes, read through a
    // descriptor that never waits (a named pipe would). *mode gets its kind
    // of file. An ours that is wider than private is narrowed.
    Kind inspect(unsigned* mode = nullptr) const
    {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return Kind::Unreadable;
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            return Kind::Unreadable;
        }
        if (mode) *mode = st.st_mode;
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return Kind::NotAFile;
        }
        char head[kHeaderSize];
        qsizetype got = 0;
        while (got < kHeaderSize) {
            const ssize_t n = ::pread(fd, head + got, size_t(kHeaderSize - got), off_t(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += n;
        }
        Kind kind = Kind::NotADatabase;
        if (got == 0 && st.st_size == 0) {
            kind = Kind::Empty;
        } else if (got == kHeaderSize &&
                   std::memcmp(head, kSqliteMagic, sizeof kSqliteMagic) == 0) {
            const auto* b = reinterpret_cast<const uchar*>(head + kApplicationIdOffset);
            const quint32 id =
                quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
            kind = id == quint32(kApplicationId) ? Kind::Ours
                   : id == 0                     ? Kind::PlainDatabase
                                                 : Kind::OtherDatabase;
        }
        // Ours, and readable by others (made so before the store was
        // private): it becomes the user's alone.
        if ((kind == Kind::Ours || kind == Kind::Empty) && st.st_uid == ::geteuid() &&
            (st.st_mode & 077) != 0)
            ::fchmod(fd, st.st_mode & 0700);
        ::close(fd);
        return kind;
    }

    // Makes the file, private to the user whatever the umask; false when it
    // cannot be made (an existing one made meanwhile by another running
    // copy is fine).
    bool createFile()
    {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return errno == EEXIST;
        ::fchmod(fd, 0600);
        ::close(fd);
        createdEmpty = true;
        return true;
    }

    // After a failed first write: the file made for it holds nothing of
    // anyone's, so it goes, with its journal, rather than stay as an empty
    // file that would look like a settings file.
    void removeIfStillEmpty()
    {
        if (!createdEmpty) return;
        createdEmpty = false;
        close();
        struct stat st {};
        if (!statFile(&st) || st.st_dev != dev || st.st_ino != ino) return;
        if (inspect() == Kind::Ours) return; // another running copy stored in it meanwhile
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            ::unlink(QFile::encodeName(path + suffix).constData());
        ::unlink(QFile::encodeName(path).constData());
    }

    void warnOnce(const QString& why)
    {
        if (warned) return;
        warned = true;
        qWarning().noquote() << QStringLiteral("Quorbix: the settings file \"%1\" cannot be used "
                                               "(%2). Settings changes are not being saved.")
                                    .arg(QDir::toNativeSeparators(path), why);
    }

    QString lastError() const
    {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no database");
    }

    bool statFile(struct stat* st) const
    {
        return ::stat(QFile::encodeName(path).constData(), st) == 0;
    }

    // Moves a damaged file (and any journal belonging to it) out of the way,
    // so a new file can start without anything of the old one being lost.
    bool setAside()
    {
        close();
        // Only a damaged file of ours is moved: anything else is someone's
        // own file, and it stays exactly where and as it is.
        unsigned mode = 0;
        switch (inspect(&mode)) {
        case Kind::Ours:
            break;
        case Kind::NotAFile:
            refuse(QStringLiteral("is not a settings file: ") + notAFileText(mode));
            return false;
        default:
            refuse(QStringLiteral("is not a Quorbix settings file"));
            return false;
        }
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString target = path + QStringLiteral(".corrupt-") + stamp;
        for (int n = 1; QFileInfo::exists(target) || QFileInfo::exists(target + "-journal"); ++n)
            target = path + QStringLiteral(".corrupt-") + stamp + u'-' + QString::number(n);
        if (!QFile::rename(path, target)) {
            unusable = true;
            warnOnce(
                QStringLiteral("it is damaged and could not be moved aside; it is left as it is"));
            return false;
        }
        // A journal left behind would be played into the new file.
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            if (QFileInfo::exists(path + suffix) &&
                !QFile::rename(path + suffix, target + suffix)) {
                unusable = true;
                warnOnce(QStringLiteral("it was damaged; its journal could not be moved aside"));
                return false;
            }
        }
        qWarning().noquote() << QStringLiteral("Quorbix: the settings file \"%1\" was damaged. It "
                                               "is kept as \"%2\" and a new one is started.")
                                    .arg(QDir::toNativeSeparators(path),
                                         QDir::toNativeSeparators(target));
        return true;
    }

    enum class Check { Ok, Damaged, Foreign, Failed };

    Check checkFile()
    {
        {
            Stmt q(db, "PRAGMA quick_check");
            const int rc = q.step();
            if (isDamage(q.rc())) return Check::Damaged;
            if (rc != SQLITE_ROW) return Check::Failed;
            if (q.text(0) != QLatin1String("ok")) return Check::Damaged;
        }
        Stmt id(db, "PRAGMA application_id");
        Stmt tables(db, "SELECT count(*) FROM sqlite_master");
        if (id.step() != SQLITE_ROW || tables.step() != SQLITE_ROW)
            return isDamage(id.rc()) || isDamage(tables.rc()) ? Check::Damaged : Check::Failed;
        if (tables.int64(0) > 0 && id.int64(0) != kApplicationId) return Check::Foreign;
        return Check::Ok;
    }

    // Opens the file if it exists, or creates it when `create` is set. Follows
    // the path if the file was replaced or removed since it was opened (by
    // another running copy that set a damaged file aside, or by the user), so
    // a write never goes to a file nobody will read again.
    State open(bool create)
    {
        if (unusable) return State::Failed;
        if (path.isEmpty()) {
            warnOnce(QStringLiteral("there is no configuration folder"));
            return State::Failed;
        }
        struct stat st {};
        const bool exists = statFile(&st);
        if (db) {
            if (exists && st.st_dev == dev && st.st_ino == ino) return State::Open;
            close();
        }
        if (!exists) {
            if (!create) return State::Missing;
            if (!makePrivateFolders(QFileInfo(path).absolutePath())) {
                lastFailure = QStringLiteral("the folder of the settings file cannot be made");
                warnOnce(QStringLiteral("its folder cannot be created"));
                return State::Failed;
            }
            if (!createFile()) {
                lastFailure = describeRc(SQLITE_CANTOPEN, QString());
                warnOnce(QStringLiteral("the file cannot be created"));
                return State::Failed;
            }
        }
        // A name that was there, or that appeared before ours could be made.
        if (!createdEmpty) {
            unsigned mode = 0;
            switch (inspect(&mode)) {
            case Kind::NotAFile:
                refuse(QStringLiteral("is not a settings file: ") + notAFileText(mode));
                return State::Failed;
            case Kind::NotADatabase:
            case Kind::OtherDatabase:
                refuse(QStringLiteral("is not a Quorbix settings file"));
                return State::Failed;
            default:
                break; // an unmarked database is told apart by its tables below
            }
        }
        // The file is there now, made private above when it was not.
        const int flags = SQLITE_OPEN_READWRITE;
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
        if (rc != SQLITE_OK) {
            lastFailure = describeRc(rc, lastError());
            warnOnce(lastError());
            close();
            return State::Failed;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        if (exists) {
            switch (checkFile()) {
            case Check::Ok:
                break;
            case Check::Damaged:
                if (!setAside()) return State::Failed;
                return create ? open(true) : State::Missing;
            case Check::Foreign:
                refuse(QStringLiteral("is not a Quorbix settings file"));
                return State::Failed;
            case Check::Failed:
                lastFailure = lastError();
                warnOnce(lastError());
                close();
                return State::Failed;
            }
        }
        if (!statFile(&st)) {
            warnOnce(QStringLiteral("the file cannot be created"));
            close();
            return State::Failed;
        }
        dev = st.st_dev;
        ino = st.st_ino;
        return State::Open;
    }

    long failure(int rc, const QString& why)
    {
        lastFailure = describeRc(rc, why);
        warnOnce(why);
        if (isDamage(rc)) return RegResult::BadDb;
        rc &= 0xff;
        if (rc == SQLITE_READONLY || rc == SQLITE_PERM || rc == SQLITE_CANTOPEN)
            return RegResult::AccessDenied;
        return RegResult::IoFailed;
    }

    // A read that finds damage sets the file aside and gives nothing.
    long readFailure(int rc)
    {
        if (isDamage(rc)) {
            setAside();
            return RegResult::NotFound;
        }
        // A file without our tables yet simply holds nothing.
        if ((rc & 0xff) == SQLITE_ERROR) return RegResult::NotFound;
        return failure(rc, lastError());
    }

    long keyExists(quint32 root, const QString& key)
    {
        if (!isRoot(root)) return RegResult::InvalidHandle;
        if (keyParts(key).isEmpty()) return RegResult::Success;
        switch (open(false)) {
        case State::Missing:
            return RegResult::NotFound;
        case State::Failed:
            return RegResult::IoFailed;
        case State::Open:
            break;
        }
        Stmt q(db, "SELECT 1 FROM keys WHERE root = ?1 AND path = ?2");
        q.bind(1, root).bind(2, folded(cleanKey(key)));
        const int rc = q.step();
        if (rc == SQLITE_ROW) return RegResult::Success;
        if (rc == SQLITE_DONE) return RegResult::NotFound;
        return readFailure(q.rc());
    }

    long queryValue(quint32 root, const QString& key, const QString& name, quint32* type,
                    QByteArray* data)
    {
        if (!isRoot(root)) return RegResult::InvalidHandle;
        switch (open(false)) {
        case State::Missing:
            return RegResult::NotFound;
        case State::Failed:
            return RegResult::IoFailed;
        case State::Open:
            break;
        }
        Stmt q(db, "SELECT type, data FROM vals WHERE root = ?1 AND path = ?2 AND name = ?3");
        q.bind(1, root).bind(2, folded(cleanKey(key))).bind(3, folded(name));
        const int rc = q.step();
        if (rc == SQLITE_DONE) return RegResult::NotFound;
        if (rc != SQLITE_ROW) return readFailure(q.rc());
        if (type) *type = quint32(q.int64(0));
        if (data) *data = q.blob(1);
        return RegResult::Success;
    }

    // Inserts the key and every key above it that is missing; existing keys
    // keep their first spelling.
    int insertKeyChain(quint32 root, const QString& key)
    {
        const QStringList parts = keyParts(key);
        QString display;
        for (const QString& part : parts) {
            if (!display.isEmpty()) display += u'\\';
            display += part;
            Stmt ins(db, "INSERT OR IGNORE INTO keys(root, path, display) VALUES(?1, ?2, ?3)");
            ins.bind(1, root).bind(2, folded(display)).bind(3, display);
            if (ins.step() != SQLITE_DONE) return ins.rc();
        }
        return SQLITE_OK;
    }

    // Runs one write as its own transaction. A file found damaged on the way
    // is set aside and the write is made once more in a new file.
    template <typename Body> long write(Body body)
    {
        // A refused file keeps its reason for every later write.
        if (!unusable) lastFailure.clear();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (open(true) != State::Open) {
                if (lastFailure.isEmpty())
                    lastFailure = QStringLiteral("the settings file cannot be used");
                return RegResult::IoFailed;
            }
            int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK && !schemaReady) {
                rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
                if (rc == SQLITE_OK) {
                    const QByteArray setId =
                        "PRAGMA application_id = " + QByteArray::number(kApplicationId);
                    rc = sqlite3_exec(db, setId.constData(), nullptr, nullptr, nullptr);
                }
            }
            long result = RegResult::Success;
            if (rc == SQLITE_OK) rc = body(&result);
            if (rc == SQLITE_OK && g_failWrites) rc = SQLITE_FULL;
            if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) {
                schemaReady = true;
                createdEmpty = false;
                return result;
            }
            const QString why =
                rc == SQLITE_FULL ? QStringLiteral("database or disk is full") : lastError();
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            if (!isDamage(rc)) {
                const long failed = failure(rc, why);
                removeIfStillEmpty();
                return failed;
            }
            if (!setAside()) return RegResult::BadDb;
        }
        return RegResult::BadDb;
    }

    long createKey(quint32 root, const QString& key)
    {
        if (!isRoot(root)) return RegResult::InvalidHandle;
        if (keyExists(root, key) == RegResult::Success) return RegResult::Success;
        return write([&](long*) { return insertKeyChain(root, key); });
    }

    long setValue(quint32 root, const QString& key, const QString& name, quint32 type,
                  const QByteArray& data)
    {
        if (!isRoot(root)) return RegResult::InvalidHandle;
        return write([&](long*) {
            int rc = insertKeyChain(root, key);
            if (rc != SQLITE_OK) return rc;
            Stmt up(db, "INSERT INTO vals(root, path, name, display, type, data)"
                        " VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT(root, path, name)"
                        " DO UPDATE SET type = excluded.type, data = excluded.data");
            up.bind(1, root).bind(2, folded(cleanKey(key))).bind(3, folded(name)).bind(4, name);
            up.bind(5, qint64(type)).bindBlob(6, data);
            return up.step() == SQLITE_DONE ? SQLITE_OK : up.rc();
        });
    }

    long deleteValue(quint32 root, const QString& key, const QString& name)
    {
        if (!isRoot(root)) return RegResult::InvalidHandle;
        // Nothing to delete needs no file, and must not create one.
        quint32 type = 0;
        const long found = queryValue(root, key, name, &type, nullptr);
        if (found != RegResult::Success) return found;
        return write([&](long* result) {
            Stmt del(db, "DELETE FROM vals WHERE root = ?1 AND path = ?2 AND name = ?3");
            del.bind(1, root).bind(2, folded(cleanKey(key))).bind(3, folded(name));
            if (del.step() != SQLITE_DONE) return del.rc();
            // Another copy may have deleted it between the look and the write.
            if (sqlite3_changes(db) == 0) *result = RegResult::NotFound;
            return SQLITE_OK;
        });
    }
};

RegistryStore::RegistryStore(const QString& path) : d(std::make_unique<Impl>())
{
    d->path = path;
}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::path() const
{
    return d->path;
}

long RegistryStore::keyExists(quint32 root, const QString& key)
{
    QMutexLocker lock(&d->mutex);
    return d->keyExists(root, key);
}

long RegistryStore::createKey(quint32 root, const QString& key)
{
    QMutexLocker lock(&d->mutex);
    return d->createKey(root, key);
}

long RegistryStore::queryValue(quint32 root, const QString& key, const QString& name, quint32* type,
                               QByteArray* data)
{
    QMutexLocker lock(&d->mutex);
    return d->queryValue(root, key, name, type, data);
}

long RegistryStore::setValue(quint32 root, const QString& key, const QString& name, quint32 type,
                             const QByteArray& data)
{
    QMutexLocker lock(&d->mutex);
    return d->setValue(root, key, name, type, data);
}

long RegistryStore::deleteValue(quint32 root, const QString& key, const QString& name)
{
    QMutexLocker lock(&d->mutex);
    return d->deleteValue(root, key, name);
}

QString RegistryStore::lastFailure() const
{
    QMutexLocker lock(&d->mutex);
    return d->lastFailure;
}

QString RegistryStore::takeNotice()
{
    QMutexLocker lock(&d->mutex);
    return std::exchange(d->notice, QString());
}

// ---------------------------------------------------------------------------

namespace {

struct KeyRef {
    quint32 root = 0;
    QString path; // clean spelling, matched without regard to case by the store
};

struct Globals {
    QMutex mutex;
    std::unique_ptr<RegistryStore> store;
    QHash<quint32, KeyRef> handles;
    quint32 lastHandle = 0;
};

Globals& globals()
{
    static Globals g;
    return g;
}

// Caller holds the mutex.
bool resolve(quint32 key, KeyRef* ref)
{
    if (isRoot(key)) {
        *ref = {key, QString()};
        return true;
    }
    const auto it = globals().handles.constFind(key);
    if (it == globals().handles.constEnd()) return false;
    *ref = *it;
    return true;
}

quint32 newHandle(const KeyRef& ref)
{
    Globals& g = globals();
    do {
        g.lastHandle = g.lastHandle + 1 >= HKEY_CLASSES_ROOT ? 1 : g.lastHandle + 1;
    } while (g.handles.contains(g.lastHandle));
    g.handles.insert(g.lastHandle, ref);
    return g.lastHandle;
}

QString childPath(const KeyRef& parent, const QString& subKey)
{
    return cleanKey(parent.path + u'\\' + subKey);
}

long openOrCreate(quint32 key, const QString& subKey, quint32* handle, bool create)
{
    if (!handle) return RegResult::InvalidParameter;
    *handle = 0;
    QMutexLocker lock(&globals().mutex);
    KeyRef ref;
    if (!resolve(key, &ref)) return RegResult::InvalidHandle;
    ref.path = childPath(ref, subKey);
    RegistryStore& store = Registry::store();
    const long rc =
        create ? store.createKey(ref.root, ref.path) : store.keyExists(ref.root, ref.path);
    if (rc == RegResult::Success) *handle = newHandle(ref);
    return rc;
}

} // namespace

QString Registry::defaultPath()
{
    const QString env = qEnvironmentVariable("QUORBIX_REGISTRY");
    if (!env.isEmpty()) return env;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/registry.sqlite3");
}

RegistryStore& Registry::store()
{
    Globals& g = globals();
    if (!g.store) g.store = std::make_unique<RegistryStore>(defaultPath());
    return *g.store;
}

QString Registry::lastFailure()
{
    QMutexLocker lock(&globals().mutex);
    return store().lastFailure();
}

QString Registry::takeNotice()
{
    QMutexLocker lock(&globals().mutex);
    return store().takeNotice();
}

void Registry::setFailWritesForTests(bool fail)
{
    g_failWrites = fail;
}

void Registry::useFile(const QString& path)
{
    QMutexLocker lock(&globals().mutex);
    globals().store = std::make_unique<RegistryStore>(path.isEmpty() ? defaultPath() : path);
}

long RegOpenKey(quint32 key, const QString& subKey, quint32* handle)
{
    return openOrCreate(key, subKey, handle, false);
}

long RegCreateKey(quint32 key, const QString& subKey, quint32* handle)
{
    return openOrCreate(key, subKey, handle, true);
}

long RegQueryValueEx(quint32 handle, const QString& name, quint32* type, QByteArray* data,
                     quint32* size)
{
    if (data && !size) return RegResult::InvalidParameter;
    QMutexLocker lock(&globals().mutex);
    KeyRef ref;
    if (!resolve(handle, &ref)) return RegResult::InvalidHandle;
    quint32 storedType = REG_NONE;
    QByteArray bytes;
    const long rc = Registry::store().queryValue(ref.root, ref.path, name, &storedType, &bytes);
    if (rc != RegResult::Success) return rc;
    if (bytes.size() > qsizetype(std::numeric_limits<quint32>::max())) return RegResult::IoFailed;
    const quint32 needed = quint32(bytes.size());
    if (type) *type = storedType;
    if (data && *size < needed) {
        *size = needed;
        return RegResult::MoreData;
    }
    if (data) *data = bytes;
    if (size) *size = needed;
    return RegResult::Success;
}

long RegSetValueEx(quint32 handle, const QString& name, quint32 type, const QByteArray& data)
{
    QMutexLocker lock(&globals().mutex);
    KeyRef ref;
    if (!resolve(handle, &ref)) return RegResult::InvalidHandle;
    return Registry::store().setValue(ref.root, ref.path, name, type, data);
}

long RegDeleteValue(quint32 handle, const QString& name)
{
    QMutexLocker lock(&globals().mutex);
    KeyRef ref;
    if (!resolve(handle, &ref)) return RegResult::InvalidHandle;
    return Registry::store().deleteValue(ref.root, ref.path, name);
}

long RegCloseKey(quint32 handle)
{
    QMutexLocker lock(&globals().mutex);
    if (isRoot(handle)) return RegResult::Success;
    return globals().handles.remove(handle) ? RegResult::Success : RegResult::InvalidHandle;
}

} // namespace plat
