#pragma once
// Pixels of a drawing surface through a device context, in the Windows
// colour layout (red in the low byte). A point outside the surface reads as
// CLR_INVALID and is not written.
#include <QtGlobal>

class QImage;
class QWidget;

namespace plat::gdi {

using COLORREF = quint32;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// A device context: the surface a window shows and the window to repaint.
class DeviceContext {
  public:
    DeviceContext(QImage* surface, QWidget* window) : m_surface(surface), m_window(window) {}
    QImage* surface() const { return m_surface; }
    QWidget* window() const { return m_window; }

  private:
    QImage* m_surface;
    QWidget* m_window;
};
using HDC = DeviceContext*;

COLORREF GetPixel(HDC dc, int x, int y);
// Returns the colour written, or CLR_INVALID when the point is outside.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

} // namespace plat::gdi
