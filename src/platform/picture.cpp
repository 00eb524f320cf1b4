#include "platform/picture.h"

#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

#include <unistd.h>

namespace plat {

namespace {

constexpr double kScreenDpi = 96; // the size a bitmap has on the screen
constexpr double kTwipsPerInch = 1440;
constexpr double kHimetricPerInch = 2540;

Picture fromPixels(QImage image)
{
    Picture p;
    p.widthTwips = image.width() * kTwipsPerInch / kScreenDpi;
    p.heightTwips = image.height() * kTwipsPerInch / kScreenDpi;
    p.widthHimetric = static_cast<int>(std::lround(image.width() * kHimetricPerInch / kScreenDpi));
    p.heightHimetric =
        static_cast<int>(std::lround(image.height() * kHimetricPerInch / kScreenDpi));
    p.image = std::move(image);
    return p;
}

bool isMetafile(const QByteArray& head)
{
    if (head.size() < 18) return false;
    const auto* d = reinterpret_cast<const uchar*>(head.constData());
    if (qFromLittleEndian<quint32>(d) == 0x9AC6CDD7u) return true; // placeable metafile
    const quint16 type = qFromLittleEndian<quint16>(d);
    const quint16 headerWords = qFromLittleEndian<quint16>(d + 2);
    return (type == 1 || type == 2) && headerWords == 9;
}

// The metafile's own size in inches, from its placeable header (0 when it
// has none).
QSizeF metafileInches(const QByteArray& head)
{
    const auto* d = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() < 22 || qFromLittleEndian<quint32>(d) != 0x9AC6CDD7u) return {};
    const qint16 left = qFromLittleEndian<qint16>(d + 6), top = qFromLittleEndian<qint16>(d + 8);
    const qint16 right = qFromLittleEndian<qint16>(d + 10),
                 bottom = qFromLittleEndian<qint16>(d + 12);
    const quint16 inch = qFromLittleEndian<quint16>(d + 14);
    if (inch == 0) return {};
    return {std::abs(right - left) / double(inch), std::abs(bottom - top) / double(inch)};
}

Picture loadMetafile(QFile& file, const QByteArray& head)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wmf2gd"));
    if (tool.isEmpty()) raise(ErrInvalidPicture, QStringLiteral("wmf2gd is not installed"));
    QTemporaryDir tmp;
    if (!tmp.isValid()) raise(ErrInvalidPicture, QStringLiteral("no temporary folder"));
    const QString png = tmp.filePath(QStringLiteral("picture.png"));
    // The tool reads a copy under a plain name: the file's own name may be
    // one that only its bytes spell.
    const QString hostPath = tmp.filePath(QStringLiteral("picture.wmf"));
    {
        QFile copy(hostPath);
        file.seek(0);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(file.readAll()) < 0)
            raise(ErrInvalidPicture, QStringLiteral("cannot read the metafile"));
    }
    QStringList args{QStringLiteral("-t"), QStringLiteral("png")};
    const QSizeF inches = metafileInches(head);
    const int w = static_cast<int>(std::lround(inches.width() * kScreenDpi));
    const int h = static_cast<int>(std::lround(inches.height() * kScreenDpi));
    if (w > 0 && h > 0)
        args << QStringLiteral("--maxwidth=%1").arg(w) << QStringLiteral("--maxheight=%1").arg(h)
             << QStringLiteral("--maxsize");
    args << QStringLiteral("-o") << png << hostPath;
    // The tool's own arguments, never a shell command line.
    QProcess proc;
    proc.start(tool, args);
    if (!proc.waitForFinished(30000) || proc.exitStatus() != QProcess::NormalExit ||
        proc.exitCode() != 0) {
        proc.kill();
        raise(ErrInvalidPicture, QStringLiteral("not a metafile"));
    }
    QImage image(png);
    if (image.isNull()) raise(ErrInvalidPicture, QStringLiteral("not a metafile"));
    Picture p = fromPixels(std::move(image));
    if (w > 0 && h > 0) {
        p.widthTwips = inches.width() * kTwipsPerInch;
        p.heightTwips = inches.height() * kTwipsPerInch;
        p.widthHimetric = static_cast<int>(std::lround(inches.width() * kHimetricPerInch));
        p.heightHimetric = static_cast<int>(std::lround(inches.height() * kHimetricPerInch));
    }
    return p;
}

} // namespace

qint64 physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return qint64(pages) * pageSize;
}

int pictureAllocationLimitMB()
{
    constexpr qint64 kAtLeastMB = 1024;
    const qint64 quarterMB = physicalMemoryBytes() / 4 / (1024 * 1024);
    return int(std::min<qint64>(std::max(quarterMB, kAtLeastMB), std::numeric_limits<int>::max()));
}

Picture LoadPicture(const QString& winPath)
{
    // Qt refuses pictures above 128 MB decoded by default, which a
    // 48-megapixel photo is; any picture that fits in memory opens.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(pictureAllocationLimitMB());
        return true;
    }();
    Q_UNUSED(limitSet);

    QFile file;
    try {
        fs::openForReading(file, winPath); // by its exact name
    } catch (const FileError& e) {
        // A name that is no file at all keeps its explanation.
        if (e.number() == ErrFileNotFound || e.number() == ErrPathNotFound || e.explained()) throw;
        raise(e.number() == ErrPathFileAccess ? int(ErrInvalidPicture) : int(ErrPermissionDenied));
    }
    const QByteArray head = file.read(64);
    if (isMetafile(head)) return loadMetafile(file, head);
    file.seek(0);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size(); // from the header, before decoding
    QImage image = reader.read();
    if (image.isNull()) {
        // A picture whose header is sound but whose pixels do not fit: the
        // reader's limit or the memory refused it. Said as such, not as "no
        // picture".
        const qint64 bytes = size.isValid() ? qint64(size.width()) * size.height() * 4 : 0;
        if (bytes > 0 && (bytes > qint64(QImageReader::allocationLimit()) * 1024 * 1024 ||
                          QImage(size, QImage::Format_ARGB32).isNull()))
            raise(ErrPictureTooLarge, QStringLiteral("the picture is too large"));
        raise(ErrInvalidPicture, reader.errorString());
    }
    return fromPixels(std::move(image));
}

void SavePicture(const Picture& picture, const QString& winPath)
{
    if (picture.isNull()) raise(ErrInvalidPropertyValue, QStringLiteral("no picture"));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    // A bitmap file has no transparency: icons and metafiles go on white.
    QImage flat(picture.image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture.image);
    }
    if (!flat.save(&buf, "BMP")) raise(ErrInvalidPicture, QStringLiteral("cannot write a bitmap"));
    fs::writeFileAtomic(winPath, bytes);
}

void SetClipboardPicture(const Picture& picture)
{
    if (picture.isNull()) raise(ErrClipboardFormat, QStringLiteral("no picture"));
    clipboard::SetImage(picture.image);
}

} // namespace plat
