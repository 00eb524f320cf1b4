#include "platform/gdi.h"

#include <QImage>
#include <QWidget>

namespace plat::gdi {

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (!dc || !dc->surface() || !dc->surface()->rect().contains(x, y)) return CLR_INVALID;
    const QRgb p = dc->surface()->pixel(x, y);
    return COLORREF(qRed(p)) | COLORREF(qGreen(p)) << 8 | COLORREF(qBlue(p)) << 16;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    if (!dc || !dc->surface() || !dc->surface()->rect().contains(x, y)) return CLR_INVALID;
    dc->surface()->setPixel(x, y, qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    if (dc->window()) dc->window()->update();
    return color & 0xFFFFFF;
}

} // namespace plat::gdi
