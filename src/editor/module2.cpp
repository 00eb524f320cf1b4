#include "editor/module2.h"

#include "editor/module1.h"
#include "editor/textpad.h"
#include "platform/app.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/picture.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace Module2 {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five bytes the code page leaves
// undefined stand for the control characters of the same number, so every
// byte reads as one character and writes back as itself.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void decode1252(const char* bytes, qsizetype n, QChar* into)
{
    char16_t* d = reinterpret_cast<char16_t*>(into);
    const uchar* s = reinterpret_cast<const uchar*>(bytes);
    for (qsizetype i = 0; i < n; ++i) {
        const uchar b = s[i];
        d[i] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
}

// False when a character has no byte in the code page. The text goes
// after the first `head` bytes of *out.
bool encode1252(const QString& text, qsizetype head, QByteArray* out)
{
    out->resize(head + text.size());
    char* d = out->data() + head;
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = s[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            d[i] = char(c);
            continue;
        }
        int b = -1;
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == c) {
                b = 0x80 + k;
                break;
            }
        if (b < 0) return false;
        d[i] = char(b);
    }
    return true;
}

qint64 g_physicalForTests = 0;
qsizetype g_blockForTests = 0;

// Held once a text is in: its text (two bytes a byte of the file, at
// most) and the field's line index, with room to spare.
constexpr qint64 kBytesHeldPerByte = 1 + 2;

QString outOfMemoryText()
{
    return QStringLiteral("there is not enough memory for the text");
}

// Each block gets a decoder of its own: one that took a mark at a block's
// start for a header would drop a character of the text.
constexpr auto kUtf8Flags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

// The UTF-8 byte-order mark, kept apart from the text of a file it begins.
constexpr char kMark[] = "\xEF\xBB\xBF";
constexpr qsizetype kMarkSize = 3;

bool beginsWithMark(const char* bytes, qsizetype n)
{
    return n >= kMarkSize && std::memcmp(bytes, kMark, kMarkSize) == 0;
}

// Up to n bytes, fewer only at the end of the file.
qsizetype readUpTo(plat::fs::FileReader& file, char* into, qsizetype n)
{
    qsizetype got = 0;
    while (got < n) {
        const qsizetype more = file.read(into + got, n - got);
        if (more == 0) break;
        got += more;
    }
    return got;
}

// How much of a block ends on a whole character: the rest, at most three
// bytes, starts a character that the next block completes. A byte that
// starts no character is left in, for the decoder to refuse.
qsizetype wholeCharacters(const char* s, qsizetype n)
{
    for (qsizetype i = n - 1; i >= 0 && i >= n - 4; --i) {
        const uchar b = uchar(s[i]);
        if ((b & 0xC0) == 0x80) continue;
        const qsizetype need = (b & 0xE0) == 0xC0   ? 2
                               : (b & 0xF0) == 0xE0 ? 3
                               : (b & 0xF8) == 0xF0 ? 4
                                                    : 1;
        return n - i < need ? i : n;
    }
    return n;
}

// The file's text, read a block at a time straight into the one string
// that becomes the document: the file's bytes are never all held beside
// it, which would take half as much memory again. UTF-8 when the whole
// file is valid UTF-8, otherwise Windows-1252 byte for byte; a mark that
// begins the file is taken off first, whatever the text after it is.
QString readText(plat::fs::FileReader& file, FileFormat* format)
{
    const qsizetype block = g_blockForTests > 0 ? g_blockForTests : qsizetype(4) << 20;
    // Room before the block for the start of a character the last one cut.
    // Taken before the helpers start handing the text's memory out: a
    // block this size is mapped, and a mapping waits for them.
    QByteArray buf(block + 3, Qt::Uninitialized);
    // No character takes more UTF-16 units than it has bytes: the file's
    // size is room for all of it, unless it grows while it is read.
    QString text(qsizetype(file.size()), Qt::Uninitialized);
    plat::fs::MemoryFill fill(text.data(), text.size() * qint64(sizeof(QChar)));
    qsizetype used = 0;
    auto room = [&](qsizetype more) {
        if (used + more > text.size()) {
            fill.finish(); // the text moves
            text.resize(std::max(used + more, text.size() + text.size() / 2));
        }
        return text.data() + used;
    };
    // Bytes that are no mark are the text's first.
    qsizetype carried = readUpTo(file, buf.data(), kMarkSize);
    format->mark = beginsWithMark(buf.constData(), carried);
    if (format->mark) carried = 0;
    qsizetype decoded = 0, have = 0;
    bool valid = true;
    for (;;) {
        const qsizetype n = file.read(buf.data() + carried, block);
        have = carried + n;
        const qsizetype whole = n == 0 ? have : wholeCharacters(buf.constData(), have);
        QStringDecoder utf8(QStringConverter::Utf8, kUtf8Flags);
        QChar* at = room(whole);
        QChar* end = utf8.appendToBuffer(at, QByteArrayView(buf.constData(), whole));
        if (utf8.hasError()) {
            valid = false;
            break;
        }
        used += end - at;
        decoded += whole;
        carried = have - whole;
        std::memmove(buf.data(), buf.constData() + whole, size_t(carried));
        if (n == 0) break;
    }
    if (valid) {
        format->encoding = Encoding::Utf8;
    } else {
        format->encoding = Encoding::Windows1252;
        if (used == decoded) {
            // Only ASCII so far, which reads the same in both: the text
            // goes on from the block at hand.
            decode1252(buf.constData(), have, room(have));
            used += have;
        } else {
            file.rewind();
            if (format->mark) readUpTo(file, buf.data(), kMarkSize);
            used = 0;
        }
        while (const qsizetype n = file.read(buf.data(), block)) {
            decode1252(buf.constData(), n, room(n));
            used += n;
        }
    }
    fill.finish();
    text.truncate(used);
    text.squeeze(); // a text with many multibyte characters needs far less than its room
    return text;
}

// The file's text and its format, under the hourglass; false with the
// reason when it cannot be read.
bool readWhole(const QString& path, QString* text, FileFormat* format, QString* reason)
{
    plat::setHourglass(true);
    try {
        plat::fs::FileReader file(path, LoadCeiling());
        try {
            *text = readText(file, format);
        } catch (const std::bad_alloc&) {
            file.raiseOutOfMemory();
        }
    } catch (const plat::FileError& e) {
        plat::setHourglass(false);
        if (reason) *reason = e.explained() ? e.detail() : errorDescription(e.number(), e.detail());
        return false;
    }
    plat::setHourglass(false);
    return true;
}

// Writes the editor's text and CR LF; shows the failure. The format the
// file was written in comes back in *used. The preview is a file the
// program names, written beside the document with the document's own
// permission bits (`model`); a document is written as the user named it.
bool writeEditorText(const QString& path, FileFormat* used, const QString* model = nullptr)
{
    Textpad& pad = Textpad::get();
    FileFormat format = pad.DocumentFormat();
    plat::setHourglass(true);
    try {
        const QString text = pad.txtNote->Text();
        QByteArray data = encodeText(text, &format);
        data.append("\r\n", 2);
        if (model)
            plat::fs::writeOwnFile(path, data, *model);
        else
            plat::fs::writeFileAtomic(path, data);
    } catch (const plat::FileError& e) {
        plat::setHourglass(false);
        plat::MsgBox(!e.message().isEmpty() ? e.message()
                     : e.explained()        ? e.detail()
                                            : errorDescription(e.number(), e.detail()),
                     plat::vbExclamation);
        return false;
    } catch (const std::bad_alloc&) {
        // The old file is untouched: nothing was written yet, or the
        // writer's own temporary file took the failure.
        plat::setHourglass(false);
        plat::MsgBox(errorDescription(plat::ErrOutOfMemory) + ": " + path + " was not saved",
                     plat::vbExclamation);
        return false;
    }
    plat::setHourglass(false);
    *used = format;
    return true;
}

} // namespace

QString decodeText(const QByteArray& bytes, FileFormat* format)
{
    format->mark = beginsWithMark(bytes.constData(), bytes.size());
    const QByteArrayView body = QByteArrayView(bytes).sliced(format->mark ? kMarkSize : 0);
    QStringDecoder utf8(QStringConverter::Utf8, kUtf8Flags);
    QString text = utf8.decode(body);
    if (!utf8.hasError()) {
        format->encoding = Encoding::Utf8;
        return text;
    }
    format->encoding = Encoding::Windows1252;
    text.resize(body.size());
    decode1252(body.data(), body.size(), text.data());
    return text;
}

QByteArray encodeText(const QString& text, FileFormat* format)
{
    const qsizetype head = format->mark ? kMarkSize : 0;
    QByteArray out;
    if (format->encoding != Encoding::Windows1252 || !encode1252(text, head, &out)) {
        format->encoding = Encoding::Utf8;
        QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        out.resize(head + utf8.requiredSpace(text.size()));
        const char* end = utf8.appendToBuffer(out.data() + head, text);
        out.truncate(end - out.constData());
    }
    std::memcpy(out.data(), kMark, size_t(head));
    return out;
}

QString errorDescription(int number, const QString& detail)
{
    switch (number) {
    case plat::ErrOutOfMemory:
        return QStringLiteral("Out of memory");
    case plat::ErrFileNotFound:
        return QStringLiteral("File not found");
    case plat::ErrDeviceIO:
        return QStringLiteral("Device I/O error");
    case plat::ErrFileExists:
        return QStringLiteral("File already exists");
    case plat::ErrDiskFull:
        return QStringLiteral("Disk full");
    case plat::ErrDeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case plat::ErrPermissionDenied:
        return QStringLiteral("Permission denied");
    case plat::ErrDiskNotReady:
        return QStringLiteral("Disk not ready");
    case plat::ErrPathFileAccess:
        return QStringLiteral("Path/File access error");
    case plat::ErrPathNotFound:
        return QStringLiteral("Path not found");
    default:
        return detail.isEmpty() ? QStringLiteral("Error %1").arg(number) : detail;
    }
}

bool LoadTextFile(const QString& path, QString* reason)
{
    // The file is read before the question, so that a file that cannot be
    // read costs no question.
    QString text;
    FileFormat format;
    if (!readWhole(path, &text, &format, reason)) return false;
    if (Textpad::IsLoaded() && Module1::TextChanged) {
        const Textpad::SaveOutcome outcome = Textpad::get().AskToSave(true);
        if (outcome == Textpad::SaveOutcome::Kept) {
            if (reason) reason->clear();
            return false;
        }
        // The save may have written this very file.
        if (outcome == Textpad::SaveOutcome::Saved) {
            text = QString();
            if (!readWhole(path, &text, &format, reason)) return false;
        }
    }
    plat::setHourglass(true);
    Textpad& pad = Textpad::get();
    pad.setDocument(path.toUpper(), path, format);
    try {
        pad.txtNote->setText(text);
    } catch (const std::bad_alloc&) {
        // The field may hold part of it: it is not the file, so the field
        // is emptied and nothing claims to be the document.
        text = QString();
        pad.txtNote->setText(QString());
        pad.setDocument(QStringLiteral("New"), QString(), FileFormat());
        Module1::TextChanged = false;
        plat::setHourglass(false);
        if (reason) *reason = outOfMemoryText();
        return false;
    }
    Module1::TextChanged = false;
    plat::setHourglass(false);
    return true;
}

qint64 LoadCeiling()
{
    const qint64 physical =
        g_physicalForTests > 0 ? g_physicalForTests : plat::physicalMemoryBytes();
    // Where the system does not say, only a failed allocation stops a load.
    if (physical <= 0) return -1;
    return physical / 4 / kBytesHeldPerByte;
}

void SetPhysicalMemoryForTests(qint64 bytes)
{
    g_physicalForTests = bytes;
}

void SetReadBlockForTests(qsizetype bytes)
{
    g_blockForTests = bytes;
}

bool SaveTextFile(const QString& path)
{
    if (path.isEmpty()) return true;
    FileFormat used;
    if (!writeEditorText(path, &used)) return false;
    Textpad::get().setDocumentFormat(used);
    Module1::TextChanged = false;
    return true;
}

bool SaveTempHtml(const QString& path, const QString& document)
{
    FileFormat used;
    return writeEditorText(path, &used, &document);
}

bool LoadAndReport(const QString& path)
{
    QString reason;
    if (LoadTextFile(path, &reason)) return true;
    if (!reason.isEmpty())
        plat::MsgBox("Cannot open " + plat::drives::displayName(path) + ": " + reason,
                     plat::vbExclamation);
    return false;
}

} // namespace Module2
