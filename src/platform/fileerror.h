#pragma once
// The program's own file-error numbers. Everything above the platform layer
// reasons in these numbers, as the windows' messages are keyed on them.
#include <QString>
#include <stdexcept>

namespace plat {

enum FileErrorNumber {
    ErrFileNotFound = 53,
    ErrDeviceIO = 57,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrCancel = 32755, // a common dialog cancelled with CancelError set
};

class FileError : public std::runtime_error {
  public:
    explicit FileError(int number, const QString& detail = {}, const QString& message = {});
    int number() const { return m_number; }
    QString detail() const { return m_detail; }
    // A whole sentence for the user where the number alone would name the
    // wrong cause (a pipe or a device given as a file, a file of another
    // user where the program picks the name); empty otherwise. Windows show
    // it in place of their own text for the number.
    QString message() const { return m_message; }

  private:
    int m_number;
    QString m_detail;
    QString m_message;
};

// Maps a host errno from an operation on hostPath to our number. ENOENT is
// told apart by looking at whether the parent folder exists.
int errorNumberFor(int errnum, const QString& hostPath);

// The host's own description of the last failure (for the editor's
// "system error text").
QString errorText(int errnum);

[[noreturn]] void raiseErrno(int errnum, const QString& hostPath);
[[noreturn]] void raise(int number, const QString& detail = {});
// Refuses something that is not a plain file (a pipe, a socket, a device)
// where a file was to be copied: 75, with a message that names it.
[[noreturn]] void raiseNotCopyable(const QString& name);

} // namespace plat
