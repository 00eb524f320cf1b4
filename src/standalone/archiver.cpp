#include "standalone/archiver.h"

#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>

namespace Archiver {

namespace {

quint16 u16(const char* p)
{
    return quint16(quint8(p[0]) | quint8(p[1]) << 8);
}
quint32 u32(const char* p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}

ZipEntryHeader parse(const QByteArray& b)
{
    const char* p = b.constData();
    ZipEntryHeader h;
    h.signature = u32(p);
    h.versionNeeded = u16(p + 4);
    h.flags = u16(p + 6);
    h.compression = u16(p + 8);
    h.modTime = u16(p + 10);
    h.modDate = u16(p + 12);
    h.crc32 = u32(p + 14);
    h.compressedSize = u32(p + 18);
    h.uncompressedSize = u32(p + 22);
    h.fileNameLength = u16(p + 26);
    h.extraFieldLength = u16(p + 28);
    return h;
}

// Name bytes in the system's code page: UTF-8 where they are valid UTF-8,
// otherwise Windows-1252 byte for byte.
QString decodeName(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8(bytes);
    if (!utf8.hasError()) return s;
    static const char16_t cp1252[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const quint8 b = quint8(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(cp1252[b - 0x80]) : QChar(b));
    }
    return out;
}

// Reads exactly n bytes at the current position; fewer at the end of file.
QByteArray readUpTo(QFile& f, qint64 n)
{
    QByteArray b = f.read(n);
    if (f.error() != QFileDevice::NoError) plat::raise(plat::ErrDeviceIO);
    return b;
}

} // namespace

QString DateText(quint16 dosDate)
{
    const int day = dosDate & 0x1F;
    const int month = (dosDate >> 5) & 0x0F;
    const int year = 1980 + (dosDate >> 9);
    const QDate d = QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
    return QLocale::system().monthName(d.month(), QLocale::LongFormat) + ' ' +
           QStringLiteral("%1").arg(d.day(), 2, 10, QChar('0')) + ' ' + QString::number(d.year());
}

void ListZipEntries(const QString& path, plat::ListView& list)
{
    QFile f;
    plat::fs::openForReading(f, path);
    const qint64 fileSize = f.size();

    QByteArray raw = readUpTo(f, kHeaderSize);
    // Every turn moves on by at least one header, so the walk ends at the
    // end of the file whatever the sizes claim.
    while (raw.size() == kHeaderSize) {
        const ZipEntryHeader h = parse(raw);
        if (h.signature != kLocalHeaderSignature) break;
        const QByteArray name = readUpTo(f, h.fileNameLength);
        if (name.size() < h.fileNameLength)
            break; // the name runs past the end: no whole entry here
        const quint64 next = quint64(f.pos()) + h.compressedSize + h.extraFieldLength;

        QTreeWidgetItem* item = list.AddItem(decodeName(name));
        plat::ListView::setSubItem(item, 1, QString::number(h.uncompressedSize));
        plat::ListView::setSubItem(item, 2, DateText(h.modDate));

        if (next + kHeaderSize > quint64(fileSize)) break; // no room for another header
        if (!f.seek(qint64(next))) plat::raise(plat::ErrDeviceIO);
        raw = readUpTo(f, kHeaderSize);
    }
}

} // namespace Archiver
