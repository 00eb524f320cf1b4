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
    ErrNameTooLong = 206, // a name or path longer than the file system takes
    ErrCancel = 32755,    // a common dialog cancelled with CancelError set
};

// What the system said lay behind a number, where one number stands for
// causes a user must tell apart (a permission denied on reading or on a
// folder on the way; a path error that is a read-only drive).
enum class FileCause {
    Unspecified,
    FolderMissing,      // a folder on the way is not there
    ReadPermission,     // the file is there but may not be read
    SearchPermission,   // a folder on the way may not be opened
    ReadOnlyFileSystem, // the drive is mounted read-only
    LinkToFolder,       // a link stands where the folder itself is meant
};

class FileError : public std::runtime_error {
  public:
    explicit FileError(int number, const QString& detail = {},
                       FileCause cause = FileCause::Unspecified, bool onSource = false,
                       bool explained = false);
    int number() const { return m_number; }
    QString detail() const { return m_detail; }
    FileCause cause() const { return m_cause; }
    // True when the failure was on the file being read (the source of a
    // copy), not on the one being written.
    bool onSource() const { return m_onSource; }
    // The detail is a sentence for the user that says more than the
    // number's own text (a named pipe where a file was expected, a file too
    // large to hold); callers show it in place of that text.
    bool explained() const { return m_explained; }
    // A whole sentence for the user where the number alone would name the
    // wrong cause (a pipe or a device given as a file, a file of another
    // user where the program picks the name, a save behind a kept copy);
    // empty otherwise. Windows show it in place of their own text.
    QString message() const { return m_message; }
    static FileError withMessage(int number, const QString& detail, const QString& message);
    FileError& setMessage(const QString& message)
    {
        m_message = message;
        return *this;
    }

  private:
    int m_number;
    QString m_detail;
    FileCause m_cause;
    bool m_onSource;
    bool m_explained;
    QString m_message;
};

// Maps a host errno from an operation on hostPath to our number. ENOENT is
// told apart by looking at whether the parent folder exists.
int errorNumberFor(int errnum, const QString& hostPath);

// The host's own description of the last failure (for the editor's
// "system error text").
QString errorText(int errnum);

// The cause, as far as one system call's errno and a look at hostPath tell.
FileCause causeFor(int errnum, const QString& hostPath);

[[noreturn]] void raiseErrno(int errnum, const QString& hostPath);
// As raiseErrno, for a failure on a file being read: the error says so, and
// a permission denied on a file that is there is one of reading.
[[noreturn]] void raiseSourceErrno(int errnum, const QString& hostPath);
[[noreturn]] void raise(int number, const QString& detail = {},
                        FileCause cause = FileCause::Unspecified);
// The same for a failed open for reading: a name that cannot be opened
// because it is a socket is refused as what it is (75, explained).
[[noreturn]] void raiseOpenErrno(int errnum, const QString& hostPath);
// Throws a FileError whose detail is the user's explanation (see explained()).
[[noreturn]] void raiseExplained(int number, const QString& sentence);

// What a file-system entry of this mode is, for a refusal of anything that
// is not a plain file: "it is a named pipe, not a file that can be read".
// `use` is the verb ("read", "copied" reads "can be copied").
QString notAFileText(unsigned mode, const char* use = "read");
// A byte count as people read it: "512 bytes", "1.5 KB", "10.0 GB".
QString sizeText(qint64 bytes);
// Refuses something that is not a plain file (a pipe, a socket, a device)
// where a file was to be copied: 75, with a message that names it.
[[noreturn]] void raiseNotCopyable(const QString& name);

} // namespace plat
