#include "standalone/picturebox.h"

#include "platform/colors.h"

#include <QPainter>

namespace {
}

PictureBox::PictureBox(QWidget* parent, const char* name)
    : QFrame(parent), m_backColor(plat::vbButtonFace), m_dc(&m_surface, this)
{
    setObjectName(QString::fromLatin1(name));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
    m_surface = QImage(1, 1, QImage::Format_RGB32);
    drawBase(m_surface);
}

void PictureBox::drawBase(QImage& onto) const
{
    onto.fill(plat::toQColor(m_backColor));
    if (!m_picture.isNull()) {
        QPainter p(&onto);
        p.drawImage(0, 0, m_picture);
    }
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    drawBase(m_surface);
    update();
}

void PictureBox::setBackColor(int vbColor)
{
    m_backColor = vbColor;
    drawBase(m_surface);
    update();
}

void PictureBox::Cls()
{
    syncSize();
    drawBase(m_surface);
    m_printY = 0;
    update();
}

void PictureBox::Print(const QString& text)
{
    syncSize();
    QPainter p(&m_surface);
    p.setFont(font());
    // Text in the colour of the background would be lost to the reader.
    QColor ink = plat::toQColor(plat::vbButtonText);
    const QColor back = plat::toQColor(m_backColor);
    if (ink == back) ink = QColor(255 - back.red(), 255 - back.green(), 255 - back.blue());
    p.setPen(ink);
    const QFontMetrics fm(font());
    p.drawText(0, m_printY + fm.ascent(), text);
    m_printY += fm.height();
    update();
}

void PictureBox::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    syncSize();
}

const QImage& PictureBox::syncSize()
{
    const QSize inner = contentsRect().size().expandedTo(QSize(1, 1));
    if (inner == m_surface.size()) return m_surface;
    QImage next(inner, QImage::Format_RGB32);
    drawBase(next);
    QPainter p(&next);
    p.drawImage(0, 0, m_surface);
    p.end();
    m_surface = next;
    return m_surface;
}

void PictureBox::paintEvent(QPaintEvent* e)
{
    QFrame::paintEvent(e);
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_surface);
}
