#pragma once
// The program's own file-error numbers. Everything above the platform layer
// reasons in these numbers, as the windows' messages are keyed on them.
#include <QString>
#include <stdexcept>

namespace plat {

enum FileErrorNumber {
    ErrOutOfMemory = 7, // a file too large to hold, or an allocation that failed
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
    explicit FileError(int number, const QString& detail = {}, bool explained = false);
    int number() const { return m_number; }
    QString detail() const { return m_detail; }
    // The detail is a sentence for the user that says more than the
    // number's own text (a named pipe where a file was expected, a file too
    // large to hold); callers show it in place of that text.
    bool explained() const { return m_explained; }

  private:
    int m_number;
    QString m_detail;
    bool m_explained;
};

// Maps a host errno from an operation on hostPath to our number. ENOENT is
// told apart by looking at whether the parent folder exists.
int errorNumberFor(int errnum, const QString& hostPath);

// The host's own description of the last failure (for the editor's
// "system error text").
QString errorText(int errnum);

[[noreturn]] void raiseErrno(int errnum, const QString& hostPath);
// The same for a failed open for reading: a name that cannot be opened
// because it is a socket is refused as what it is (75, explained).
[[noreturn]] void raiseOpenErrno(int errnum, const QString& hostPath);
[[noreturn]] void raise(int number, const QString& detail = {});
// Throws a FileError whose detail is the user's explanation (see explained()).
[[noreturn]] void raiseExplained(int number, const QString& sentence);

// What a file-system entry of this mode is, for a refusal of anything that
// is not a plain file: "it is a named pipe, not a file that can be read".
// `use` is the verb ("read", "copied" reads "can be copied").
QString notAFileText(unsigned mode, const char* use = "read");
// A byte count as people read it: "512 bytes", "1.5 KB", "10.0 GB".
QString sizeText(qint64 bytes);

} // namespace plat
