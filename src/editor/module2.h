#pragma once
// Moving text between files and the editor. A file is read as UTF-8 when it
// is valid UTF-8, otherwise as Windows-1252 byte for byte, and written back
// in the encoding it was read in, so an opened and saved file keeps every
// byte (and gains the CR LF every save adds). A UTF-8 byte-order mark that
// begins the file is no part of the text: it is kept beside it and written
// first again, so nothing typed or deleted can move it from the front.
#include <QByteArray>
#include <QString>

namespace Module2 {

enum class Encoding { Utf8, Windows1252 };

// How a document's file is written: its encoding, after the byte-order mark
// (EF BB BF) when the file it was read from began with one.
struct FileFormat {
    Encoding encoding = Encoding::Utf8;
    bool mark = false;
    bool operator==(const FileFormat&) const = default;
};

// Puts a file into the editor (loading the editor when it is not loaded):
// the caption shows the path in capitals, the editor keeps the path as
// given. Edits not yet saved are never replaced unasked: the editor's save
// question comes first, and when the user keeps them (Cancel, or a save
// that did not happen) the load ends. A file that cannot be read leaves the
// editor as it was. False when the file did not become the document, with
// the reason in *reason, left empty when the user kept the edits.
bool LoadTextFile(const QString& path, QString* reason = nullptr);
// The loader as the program's commands use it: a file that cannot be read
// is told to the user; a load the user called off ends without a word.
// True when the file is now the document.
bool LoadAndReport(const QString& path);

// Writes the editor's text and a CR LF, atomically: a failure keeps the old
// file, shows the platform's text for it and keeps the document changed.
// An empty path writes nothing. Returns false when the write failed.
bool SaveTextFile(const QString& path);
// The same for the HTML preview of `document`; the change flag is never
// touched. The preview never follows a link nor replaces a file that is
// not the user's own, and gets the document's permission bits.
bool SaveTempHtml(const QString& path, const QString& document);

// The conversions of a whole file at once, for the writers and for
// comparing with the loader, which reads a file a block at a time. A mark
// that begins the bytes goes into *format, not into the text.
QString decodeText(const QByteArray& bytes, FileFormat* format);
// The mark first when *format has one. Falls back to UTF-8 (and says so in
// *format) when the text holds a character Windows-1252 cannot hold, so
// that nothing typed is lost.
QByteArray encodeText(const QString& text, FileFormat* format);

// The platform's text for a file-error number.
QString errorDescription(int number, const QString& detail = QString());

// The largest file the editor takes: three bytes a byte of the file (its
// text, two bytes a character, and the field's index of it) must fit in a
// quarter of the physical memory. A larger file is refused with its size
// before it is read. -1 (no ceiling) where the system does not tell its
// memory.
qint64 LoadCeiling();
// Tests only: the physical memory the ceiling is taken from; 0 = the real one.
void SetPhysicalMemoryForTests(qint64 bytes);
// Tests only: the size of the blocks a file is read in; 0 = the usual.
void SetReadBlockForTests(qsizetype bytes);

} // namespace Module2
