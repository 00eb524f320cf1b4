#pragma once
// A picture box: a framed surface showing its background colour, its
// picture from the top left corner (unscaled, cut at the edges) and what was
// drawn or printed on it. The surface is what the box shows, so pixels read
// through its device context are the pixels on the screen.
#include "platform/gdi.h"
#include "platform/hwnd.h"

#include <QFrame>
#include <QImage>

class PictureBox : public QFrame {
    Q_OBJECT
  public:
    PictureBox(QWidget* parent, const char* name);

    QImage Picture() const { return m_picture; }
    void setPicture(const QImage& picture); // redraws: earlier drawing is lost
    void setBackColor(int vbColor);
    int BackColor() const { return m_backColor; }

    // The inner area in pixels.
    int ScaleWidth() { return syncSize().width(); }
    int ScaleHeight() { return syncSize().height(); }

    void Cls();                      // background and picture only; print position to 0, 0
    void Print(const QString& text); // at the print position, then to the next line
    plat::gdi::HDC hDC()
    {
        syncSize();
        return &m_dc;
    }
    plat::win::HWND hWnd() { return plat::win::handleOf(this); }
    const QImage& surface()
    {
        syncSize();
        return m_surface;
    }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void drawBase(QImage& onto) const;
    // The surface follows the box's inner size, also while the box is hidden
    // (when Qt holds back its resize events).
    const QImage& syncSize();

    QImage m_picture;
    QImage m_surface;
    int m_backColor;
    int m_printY = 0;
    plat::gdi::DeviceContext m_dc;
};
