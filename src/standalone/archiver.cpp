#include "standalone/archiver.h"

#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>

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

// n bytes at pos, or fewer where the file ends first.
QByteArray readAt(QFile& f, quint64 pos, qint64 n)
{
    if (pos > quint64(f.size()) || !f.seek(qint64(pos))) return QByteArray();
    return readUpTo(f, n);
}

quint64 u64(const char* p)
{
    return quint64(u32(p)) | quint64(u32(p + 4)) << 32;
}

constexpr quint32 kPlaceholder32 = 0xFFFFFFFF; // "see the zip64 extra field"
constexpr quint16 kDataDescriptorFlag = 0x0008;

struct CentralSizes {
    quint64 compressed = 0;
    quint64 uncompressed = 0;
};
// The sizes the central directory gives, keyed by the offset of the entry's
// local header.
using CentralDirectory = std::map<quint64, CentralSizes>;

// Replaces the 32-bit placeholders of a central entry with the values of its
// zip64 extra field, which holds only the placeholders' values, in order.
void applyZip64Extra(const QByteArray& extra, CentralSizes& sizes, quint64& offset,
                     quint32 rawUncompressed, quint32 rawCompressed, quint32 rawOffset)
{
    qsizetype i = 0;
    while (i + 4 <= extra.size()) {
        const quint16 id = u16(extra.constData() + i);
        const quint16 len = u16(extra.constData() + i + 2);
        const qsizetype end = std::min<qsizetype>(i + 4 + len, extra.size());
        if (id == 0x0001) {
            qsizetype p = i + 4;
            auto take = [&](quint64& field) {
                if (p + 8 > end) return;
                field = u64(extra.constData() + p);
                p += 8;
            };
            if (rawUncompressed == kPlaceholder32) take(sizes.uncompressed);
            if (rawCompressed == kPlaceholder32) take(sizes.compressed);
            if (rawOffset == kPlaceholder32) take(offset);
            return;
        }
        i += 4 + len;
    }
}

// Reads the central directory through its end record (and the zip64 end
// record where there is one). Empty when the archive has none that can be
// found. Every read is bounded: the end record is looked for in the last
// 64 KiB, and each central entry costs at least its 46 fixed bytes.
CentralDirectory readCentralDirectory(QFile& f)
{
    CentralDirectory dir;
    const quint64 fileSize = quint64(f.size());
    constexpr qint64 kEndSize = 22;
    const qint64 tailSize = qint64(std::min<quint64>(fileSize, kEndSize + 0xFFFF));
    const QByteArray tail = readAt(f, fileSize - quint64(tailSize), tailSize);
    qsizetype at = -1;
    for (qsizetype i = tail.size() - kEndSize; i >= 0; --i) {
        const char* p = tail.constData() + i;
        if (u32(p) == 0x06054B50 && i + kEndSize + u16(p + 20) <= tail.size()) {
            at = i;
            break;
        }
    }
    if (at < 0) return dir;
    const quint64 endPos = fileSize - quint64(tail.size()) + quint64(at);
    const char* e = tail.constData() + at;
    quint64 entries = u16(e + 10);
    quint64 cdSize = u32(e + 12);
    quint64 cdOffset = u32(e + 16);
    quint64 cdEnd = endPos;
    bool offsetKnown = cdOffset != kPlaceholder32;

    // zip64: a 20-byte locator right before the end record names the zip64
    // end record, whose counts and offsets are 64 bits wide.
    if (endPos >= 20) {
        const QByteArray loc = readAt(f, endPos - 20, 20);
        if (loc.size() == 20 && u32(loc.constData()) == 0x07064B50) {
            const quint64 recPos = u64(loc.constData() + 8);
            const QByteArray rec =
                recPos + 56 <= endPos - 20 ? readAt(f, recPos, 56) : QByteArray();
            if (rec.size() == 56 && u32(rec.constData()) == 0x06064B50) {
                entries = u64(rec.constData() + 32);
                cdSize = u64(rec.constData() + 40);
                cdOffset = u64(rec.constData() + 48);
                cdEnd = recPos;
                offsetKnown = true;
            }
        }
    }
    if (cdSize > cdEnd) return dir;
    // Where the stated offset holds no central directory (a placeholder
    // without a zip64 record, as a forced-zip64 stream writes), the
    // directory is the one that ends where the end record begins.
    auto startsDirectory = [&](quint64 pos) {
        const QByteArray sig = readAt(f, pos, 4);
        return sig.size() == 4 && u32(sig.constData()) == 0x02014B50;
    };
    if (!offsetKnown || cdOffset + cdSize > cdEnd || !startsDirectory(cdOffset))
        cdOffset = cdEnd - cdSize;

    constexpr int kCentralSize = 46;
    quint64 pos = cdOffset;
    const quint64 stop = cdOffset + cdSize;
    for (quint64 n = 0; n < entries && pos + kCentralSize <= stop; ++n) {
        const QByteArray c = readAt(f, pos, kCentralSize);
        if (c.size() < kCentralSize || u32(c.constData()) != 0x02014B50) break;
        const char* p = c.constData();
        const quint32 rawCompressed = u32(p + 20);
        const quint32 rawUncompressed = u32(p + 24);
        const quint16 nameLength = u16(p + 28);
        const quint16 extraLength = u16(p + 30);
        const quint16 commentLength = u16(p + 32);
        const quint32 rawOffset = u32(p + 42);
        CentralSizes sizes{rawCompressed, rawUncompressed};
        quint64 offset = rawOffset;
        if (rawCompressed == kPlaceholder32 || rawUncompressed == kPlaceholder32 ||
            rawOffset == kPlaceholder32)
            applyZip64Extra(readAt(f, pos + kCentralSize + nameLength, extraLength), sizes,
                            offset, rawUncompressed, rawCompressed, rawOffset);
        dir.emplace(offset, sizes); // the first of two entries at one offset counts
        pos += kCentralSize + quint64(nameLength) + extraLength + commentLength;
    }
    return dir;
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
    // Read only when a local header cannot tell its entry's sizes.
    std::optional<CentralDirectory> central;

    quint64 headerPos = 0;
    QByteArray raw = readUpTo(f, kHeaderSize);
    // Every turn moves on by at least one header, so the walk ends at the
    // end of the file whatever the sizes claim.
    while (raw.size() == kHeaderSize) {
        const ZipEntryHeader h = parse(raw);
        if (h.signature != kLocalHeaderSignature) break;
        const QByteArray name = readUpTo(f, h.fileNameLength);
        if (name.size() < h.fileNameLength)
            break; // the name runs past the end: no whole entry here
        quint64 size = h.uncompressedSize;
        quint64 nextHeader = quint64(f.pos()) + h.compressedSize + h.extraFieldLength;
        bool nextKnown = true;

        // Sizes written after the data (bit 3), or kept in a zip64 field:
        // the central directory has them, and the next entry's offset, so
        // a data descriptor or a stored archive inside is never taken for
        // the next header.
        const bool deferred = (h.flags & kDataDescriptorFlag) != 0;
        if (deferred || h.compressedSize == kPlaceholder32 ||
            h.uncompressedSize == kPlaceholder32) {
            if (!central) central = readCentralDirectory(f);
            const auto it = central->find(headerPos);
            if (it != central->end()) {
                size = it->second.uncompressed;
                const auto following = std::next(it);
                nextKnown = following != central->end(); // the last entry
                if (nextKnown) nextHeader = following->first;
            } else if (deferred) {
                nextKnown = false; // where this entry ends is not known
            }
        }

        QTreeWidgetItem* item = list.AddItem(decodeName(name));
        plat::ListView::setSubItem(item, 1, QString::number(size));
        plat::ListView::setSubItem(item, 2, DateText(h.modDate));

        if (!nextKnown || nextHeader + kHeaderSize > quint64(fileSize))
            break; // no room for another header
        if (!f.seek(qint64(nextHeader))) plat::raise(plat::ErrDeviceIO);
        headerPos = nextHeader;
        raw = readUpTo(f, kHeaderSize);
    }
}

} // namespace Archiver
