#pragma once
// Pictures as the windows know them: loaded from bitmap, GIF, JPEG, icon,
// cursor and Windows metafile files, measured in twips for display and in
// hundredths of a millimetre as the picture's own size, saved as bitmap
// files, put on the clipboard.
#include <QImage>
#include <QString>

namespace plat {

// Error numbers of the picture functions.
enum PictureErrorNumber {
    ErrPictureTooLarge = 7,        // a sound picture too large to decode in memory
    ErrInvalidPropertyValue = 380, // no picture to save
    ErrClipboardFormat = 460,      // the clipboard has no format for the picture
    ErrInvalidPicture = 481,       // the file is no picture this layer can read
};

struct Picture {
    QImage image;
    double widthTwips = 0, heightTwips = 0;    // size on the screen at true size
    int widthHimetric = 0, heightHimetric = 0; // the picture's own size
    bool isNull() const { return image.isNull(); }
};

// Loads a picture file (decided by its content, not its name). Throws
// FileError 53 for a missing file, 481 for a file that is no picture, 7 for
// a picture too large to hold in memory. Pictures up to a quarter of the
// physical memory (at least 1 GB) decoded are read.
// Metafiles are drawn through libwmf's wmf2gd; without it they fail as 481.
Picture LoadPicture(const QString& winPath);

// The machine's physical memory in bytes (0 when it cannot be read).
qint64 physicalMemoryBytes();
// The most a picture may take decoded, in megabytes.
int pictureAllocationLimitMB();

// Writes the picture as a bitmap file, atomically: a failed save leaves an
// existing file as it was. Throws FileError (380 for an empty picture).
void SavePicture(const Picture& picture, const QString& winPath);

// Replaces the clipboard's content with the picture. Throws 460 for an
// empty picture, which has no clipboard format.
void SetClipboardPicture(const Picture& picture);

} // namespace plat
