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
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace Module2 {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five bytes the code page leaves
// undefined stand for the control characters of the same number, so every
// byte reads as one character and writes back as itself.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decode1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    const uchar* s = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = s[i];
        d[i] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
    return out;
}

// False when a character has no byte in the code page.
bool encode1252(const QString& text, QByteArray* out)
{
    out->resize(text.size());
    char* d = out->data();
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

// Held while the text is read in: its bytes, then its text beside them.
constexpr qint64 kBytesHeldPerByte = 1 + 2;

QString outOfMemoryText()
{
    return QStringLiteral("there is not enough memory for the text");
}

bool readWhole(const QString& path, QByteArray* bytes, QString* reason)
{
    plat::setHourglass(true);
    try {
        *bytes = plat::fs::readFile(path, LoadCeiling());
    } catch (const plat::FileError& e) {
        plat::setHourglass(false);
        if (reason) *reason = e.explained() ? e.detail() : errorDescription(e.number(), e.detail());
        return false;
    }
    plat::setHourglass(false);
    return true;
}

// Writes the editor's text and CR LF; shows the failure. The encoding the
// file was written in comes back in *used. The preview is a file the
// program names, written beside the document with the document's own
// permission bits (`model`); a document is written as the user named it.
bool writeEditorText(const QString& path, Encoding* used, const QString* model = nullptr)
{
    Textpad& pad = Textpad::get();
    Encoding enc = pad.DocumentEncoding();
    plat::setHourglass(true);
    try {
        const QString text = pad.txtNote->Text();
        QByteArray data = encodeText(text, &enc);
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
    *used = enc;
    return true;
}

// UTF-8, keeping a BOM as the character it is. A large file is decoded in
// slices side by side: most of the time goes into first touching the
// memory of the text, which the slices share out. False in *ok at any
// invalid sequence.
QString decodeUtf8(const QByteArray& bytes, bool* ok)
{
    constexpr auto flags =
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    const qsizetype n = bytes.size();
    constexpr qsizetype kSlice = 4 << 20;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int slices = int(std::clamp<qsizetype>(n / kSlice, 1, std::min(cores, 8)));
    if (slices == 1) {
        QStringDecoder utf8(QStringConverter::Utf8, flags);
        QString text = utf8.decode(bytes);
        *ok = !utf8.hasError();
        return text;
    }
    // Slices start at a character: never before a continuation byte. No
    // slice then gives more UTF-16 units than it has bytes, so each is
    // decoded in place at its own byte offset and the gaps closed after.
    std::vector<qsizetype> cut(size_t(slices) + 1, n);
    cut[0] = 0;
    for (int k = 1; k < slices; ++k) {
        qsizetype c = std::max(cut[size_t(k) - 1], n / slices * k);
        while (c < n && (uchar(bytes[c]) & 0xC0) == 0x80)
            ++c;
        cut[size_t(k)] = c;
    }
    QString out(n, Qt::Uninitialized);
    QChar* base = out.data();
    std::vector<qsizetype> length(size_t(slices), 0);
    std::vector<char> failed(size_t(slices), 0);
    auto decodeSlice = [&](size_t k) {
        QStringDecoder utf8(QStringConverter::Utf8, flags);
        QChar* start = base + cut[k];
        QChar* end =
            utf8.appendToBuffer(start, QByteArrayView(bytes).sliced(cut[k], cut[k + 1] - cut[k]));
        length[k] = end - start;
        failed[k] = utf8.hasError();
    };
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < size_t(slices); ++k)
        helpers.emplace_back(decodeSlice, k);
    decodeSlice(0);
    for (std::thread& t : helpers)
        t.join();
    *ok = std::none_of(failed.begin(), failed.end(), [](char f) { return f != 0; });
    if (!*ok) return QString();
    qsizetype at = length[0];
    for (size_t k = 1; k < size_t(slices); ++k) {
        if (cut[k] != at) std::memmove(base + at, base + cut[k], size_t(length[k]) * sizeof(QChar));
        at += length[k];
    }
    out.truncate(at);
    return out;
}

} // namespace

QString decodeText(const QByteArray& bytes, Encoding* encoding)
{
    bool ok = false;
    QString text = decodeUtf8(bytes, &ok);
    if (ok) {
        *encoding = Encoding::Utf8;
        return text;
    }
    *encoding = Encoding::Windows1252;
    return decode1252(bytes);
}

QByteArray encodeText(const QString& text, Encoding* encoding)
{
    if (*encoding == Encoding::Windows1252) {
        QByteArray out;
        if (encode1252(text, &out)) return out;
        *encoding = Encoding::Utf8;
    }
    return text.toUtf8();
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
    QByteArray bytes;
    if (!readWhole(path, &bytes, reason)) return false;
    if (Textpad::IsLoaded() && Module1::TextChanged) {
        const Textpad::SaveOutcome outcome = Textpad::get().AskToSave(true);
        if (outcome == Textpad::SaveOutcome::Kept) {
            if (reason) reason->clear();
            return false;
        }
        // The save may have written this very file.
        if (outcome == Textpad::SaveOutcome::Saved && !readWhole(path, &bytes, reason))
            return false;
    }
    plat::setHourglass(true);
    Encoding enc = Encoding::Utf8;
    QString text;
    try {
        text = decodeText(bytes, &enc);
    } catch (const std::bad_alloc&) {
        plat::setHourglass(false);
        if (reason) *reason = outOfMemoryText();
        return false; // the editor keeps what it had
    }
    bytes = QByteArray();
    Textpad& pad = Textpad::get();
    pad.setDocument(path.toUpper(), path, enc);
    try {
        pad.txtNote->setText(text);
    } catch (const std::bad_alloc&) {
        // The field may hold part of it: it is not the file, so the field
        // is emptied and nothing claims to be the document.
        text = QString();
        pad.txtNote->setText(QString());
        pad.setDocument(QStringLiteral("New"), QString(), Encoding::Utf8);
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

bool SaveTextFile(const QString& path)
{
    if (path.isEmpty()) return true;
    Encoding used = Encoding::Utf8;
    if (!writeEditorText(path, &used)) return false;
    Textpad::get().setDocumentEncoding(used);
    Module1::TextChanged = false;
    return true;
}

bool SaveTempHtml(const QString& path, const QString& document)
{
    Encoding used = Encoding::Utf8;
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
