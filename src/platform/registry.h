#pragma once
// The settings store: a typed, case-insensitive key/value tree in the shape of
// the Windows registry, kept in one SQLite file. The windows above this layer
// talk to it through the Reg* functions below, with Windows handle and type
// numbers, and never learn where the data lives.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace plat {

// Predefined roots, as 32-bit handle values.
constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr quint32 HKEY_USERS = 0x80000003u;

// Value types.
constexpr quint32 REG_NONE = 0;
constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_EXPAND_SZ = 2;
constexpr quint32 REG_BINARY = 3;
constexpr quint32 REG_DWORD = 4;

// Result codes of the Reg* functions and of RegistryStore. The numbers are
// the Windows ones, so a logged code means what a Windows developer expects.
namespace RegResult {
constexpr long Success = 0;
constexpr long NotFound = 2;          // no such key or value
constexpr long AccessDenied = 5;      // the store's file cannot be written
constexpr long InvalidHandle = 6;     // not a root and not an open handle
constexpr long InvalidParameter = 87; // a data buffer without a size
constexpr long MoreData = 234;        // the buffer is smaller than the value
constexpr long BadDb = 1009;          // the file is damaged or not ours
constexpr long IoFailed = 1016;       // the file cannot be opened or read
} // namespace RegResult

// One store file. Every write is its own transaction; several stores (in this
// process or in other running copies) may share a file without losing each
// other's writes. A file that is missing is not created by reads.
//
// The store is private to the user: the folders it makes are 0700 and its
// file 0600 whatever the umask, and a file of ours found wider is narrowed.
// A path that names anything but a settings file (no file at all, a file
// that is no database, another program's database) is refused and left
// exactly as it is; only a damaged file of ours is moved aside, as
// "<name>.corrupt-<stamp>", and a new one started. A file made for a first
// write that failed is removed again, so no empty file is left behind.
//
// Key paths are backslash separated below a root; leading, trailing and
// doubled backslashes are ignored. Keys and value names are matched without
// regard to case; a key keeps the spelling it was first created with.
class RegistryStore {
  public:
    explicit RegistryStore(const QString& path);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    QString path() const;

    // Success if the key exists (a root with an empty path always does).
    long keyExists(quint32 root, const QString& key);
    // Creates the key and every missing key above it.
    long createKey(quint32 root, const QString& key);
    // NotFound for a missing key or value; type or data may be null.
    long queryValue(quint32 root, const QString& key, const QString& name, quint32* type,
                    QByteArray* data);
    // Creates the key if needed and replaces any value of that name, whatever its type.
    long setValue(quint32 root, const QString& key, const QString& name, quint32 type,
                  const QByteArray& data);
    // Removes the value; the key stays.
    long deleteValue(quint32 root, const QString& key, const QString& name);

    // Why the last write or delete failed, in words for the user.
    QString lastFailure() const;
    // Once: the file was refused (it is not a settings file of ours), said
    // for the user; empty when there is nothing new to tell.
    QString takeNotice();

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The process's own store.
namespace Registry {
// The file named by QUORBIX_REGISTRY, else registry.sqlite3 in the user's
// configuration folder for this application.
QString defaultPath();
// The store the Reg* functions use, opened on first use.
RegistryStore& store();
// Points the Reg* functions at another file; an empty path goes back to defaultPath().
void useFile(const QString& path);
// The process store's lastFailure() and takeNotice(). They take the lock
// themselves: a caller shows its message after the store call, with no lock
// held while a message box runs its own event loop.
QString lastFailure();
QString takeNotice();
// Tests only: every write meets a full disk (and is rolled back).
void setFailWritesForTests(bool fail);
} // namespace Registry

// Windows-style access through key handles. `key` may be a predefined root or
// a handle returned by RegOpenKey/RegCreateKey. On failure *handle is 0.
long RegOpenKey(quint32 key, const QString& subKey, quint32* handle);
long RegCreateKey(quint32 key, const QString& subKey, quint32* handle);
// With data null, only the type and the byte count (*size) are given. With
// data, *size is the caller's buffer size on entry: a larger value gives
// MoreData and the size it needs; otherwise data holds exactly the value's
// bytes and *size their count.
long RegQueryValueEx(quint32 handle, const QString& name, quint32* type, QByteArray* data,
                     quint32* size);
long RegSetValueEx(quint32 handle, const QString& name, quint32 type, const QByteArray& data);
long RegDeleteValue(quint32 handle, const QString& name);
long RegCloseKey(quint32 handle);

} // namespace plat
