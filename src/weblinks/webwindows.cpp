#include "weblinks/webwindows.h"

#include <QPainter>

namespace weblinks {

void makeFixedToolWindow(ctl::VbForm* window)
{
    window->setBorderStyle(ctl::BorderStyle::FixedToolWindow, ctl::CloseButton);
    window->setFixedSize(window->size());
}

void styleLabel(ctl::Label* label, double points, int foreColor, int backColor)
{
    label->setFont(ctl::vbFont("MS Sans Serif", points, true));
    label->setAutoFillBackground(true);
    ctl::setBackColor(label, backColor);
    ctl::setForeColor(label, foreColor);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
}

ctl::CommandButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                               double left, double top, double width, double height)
{
    auto* b = new ctl::CommandButton(parent, name, caption);
    ctl::Move(b, left, top, width, height);
    return b;
}

void setBackgroundPicture(ctl::VbForm* window, const QPixmap& picture)
{
    auto* l = new QLabel(window->client());
    l->setObjectName("Picture");
    l->setPixmap(picture);
    l->setGeometry(QRect(QPoint(0, 0), picture.size()));
    l->lower();
}

QPixmap auctionPicture()
{
    QPixmap pm(406, 147);
    pm.fill(QColor(0, 0, 255));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(140, 90, 40));
    p.translate(203, 70);
    p.rotate(-30);
    p.drawRoundedRect(QRectF(-60, -14, 120, 28), 6, 6); // head
    p.drawRect(QRectF(-5, 14, 10, 70));                 // handle
    p.resetTransform();
    p.setBrush(QColor(90, 60, 30));
    p.drawRoundedRect(QRectF(150, 112, 110, 16), 4, 4); // block
    return pm;
}

QPixmap newsPicture()
{
    QPixmap pm(290, 216);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(180, 0, 0), 3));
    p.drawLine(145, 40, 115, 190);
    p.drawLine(145, 40, 175, 190);
    p.drawLine(125, 140, 165, 140);
    p.drawLine(132, 100, 158, 100);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    for (int r : {18, 32, 46})
        p.drawArc(QRectF(145 - r, 40 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
    return pm;
}

} // namespace weblinks
