#include "editor/module2.h"

#include "editor/module1.h"
#include "editor/textpad.h"
#include "platform/app.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"

#include <QStringDecoder>

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

bool readWhole(const QString& path, QByteArray* bytes, QString* reason)
{
    plat::setHourglass(true);
    try {
        *bytes = plat::fs::readFile(path);
    } catch (const plat::FileError& e) {
        plat::setHourglass(false);
        if (reason) *reason = errorDescription(e.number(), e.detail());
        return false;
    }
    plat::setHourglass(false);
    return true;
}

// Writes the editor's text and CR LF; shows the failure. The encoding the
// file was written in comes back in *used.
bool writeEditorText(const QString& path, Encoding* used)
{
    Textpad& pad = Textpad::get();
    Encoding enc = pad.DocumentEncoding();
    const QString text = pad.txtNote->Text();
    plat::setHourglass(true);
    try {
        QByteArray data = encodeText(text, &enc);
        data.append("\r\n", 2);
        plat::fs::writeFileAtomic(path, data);
    } catch (const plat::FileError& e) {
        plat::setHourglass(false);
        plat::MsgBox(errorDescription(e.number(), e.detail()), plat::vbExclamation);
        return false;
    }
    plat::setHourglass(false);
    *used = enc;
    return true;
}

} // namespace

QString decodeText(const QByteArray& bytes, Encoding* encoding)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
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
    const QString text = decodeText(bytes, &enc);
    bytes = QByteArray();
    Textpad& pad = Textpad::get();
    pad.setDocument(path.toUpper(), path, enc);
    pad.txtNote->setText(text);
    Module1::TextChanged = false;
    plat::setHourglass(false);
    return true;
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

bool SaveTempHtml(const QString& path)
{
    Encoding used = Encoding::Utf8;
    return writeEditorText(path, &used);
}

bool LoadAndReport(const QString& path)
{
    QString reason;
    if (LoadTextFile(path, &reason)) return true;
    if (!reason.isEmpty()) plat::MsgBox("Cannot open " + path + ": " + reason, plat::vbExclamation);
    return false;
}

} // namespace Module2
