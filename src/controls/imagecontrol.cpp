#include "controls/imagecontrol.h"

#include "controls/controls.h"
#include "platform/app.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ctl {

namespace {
// Pixels for a position or length in twips, kept within what a widget takes.
int pixels(float twips)
{
    constexpr double limit = 1 << 23;
    return static_cast<int>(
        std::clamp(std::round(double(twips) / plat::twipsPerPixel), -limit, limit));
}
} // namespace

Image::Image(QWidget* parent, const char* name) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    keepBeneathWindowedControls(this);
}

bool Image::event(QEvent* e)
{
    if (e->type() == QEvent::Show || e->type() == QEvent::ParentChange)
        keepBeneathWindowedControls(this);
    return QWidget::event(e);
}

void Image::setPicture(const plat::Picture& picture)
{
    m_picture = picture;
    if (!m_stretch) {
        m_width = static_cast<float>(picture.widthTwips);
        m_height = static_cast<float>(picture.heightTwips);
        place();
    }
    update();
}

void Image::setStretch(bool on)
{
    if (m_stretch == on) return;
    m_stretch = on;
    update();
}

void Image::Move(float left, float top, float width, float height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    place();
}

void Image::place()
{
    setGeometry(pixels(m_left), pixels(m_top), std::max(0, pixels(m_width)),
                std::max(0, pixels(m_height)));
    update();
}

void Image::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull()) return;
    QPainter painter(this);
    if (!m_stretch) {
        painter.drawImage(QRectF(0, 0, m_picture.widthTwips / plat::twipsPerPixel,
                                 m_picture.heightTwips / plat::twipsPerPixel),
                          m_picture.image);
        return;
    }
    // Smooth when shrinking; enlarged pictures show their pixels, as a
    // stretched bitmap does.
    if (width() < m_picture.image.width()) painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_picture.image);
}

} // namespace ctl
