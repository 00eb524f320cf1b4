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
// FileError 53 for a missing file, 481 for a file that is no picture.
// Metafiles are drawn through libwmf's wmf2gd; without it they fail as 481.
Picture LoadPicture(const QString& winPath);

// Writes the picture as a bitmap file, atomically: a failed save leaves an
// existing file as it was. Throws FileError (380 for an empty picture).
void SavePicture(const Picture& picture, const QString& winPath);

// Replaces the clipboard's content with the picture. Throws 460 for an
// empty picture, which has no clipboard format.
void SetClipboardPicture(const Picture& picture);

} // namespace plat
