#pragma once
// The entries of a ZIP archive, read from its local file headers: one row
// per entry (name, uncompressed size, date), in file order, up to the first
// place that does not hold a local header. Where a local header cannot tell
// its sizes (they follow the data, or stand in a zip64 field), the central
// directory gives them and the place of the next header.
#include "platform/listview.h"

#include <QString>

namespace Archiver {

// The 30-byte local file header as it stands on file (little-endian).
struct ZipEntryHeader {
    quint32 signature = 0;
    quint16 versionNeeded = 0;
    quint16 flags = 0;
    quint16 compression = 0;
    quint16 modTime = 0;
    quint16 modDate = 0;
    quint32 crc32 = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    quint16 fileNameLength = 0;
    quint16 extraFieldLength = 0;
};
constexpr int kHeaderSize = 30;
constexpr quint32 kLocalHeaderSignature = 0x04034B50;

// Appends one row per entry to the list (clears nothing). A file that
// cannot be opened or read throws plat::FileError; the rows added before
// stay. A header cut short by the end of the file ends the listing.
void ListZipEntries(const QString& path, plat::ListView& list);

// "January 05 1998" from an MS-DOS date word; out-of-range months and days
// roll over into the neighbouring months, as a date built from its parts does.
QString DateText(quint16 dosDate);

} // namespace Archiver
