#include "editor/imagebutton.h"

#include "platform/app.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace {

// To a screen reader the picture is what it does: a button that can be
// pressed, named by its tool tip.
class ImageButtonAccessible : public QAccessibleWidget {
  public:
    explicit ImageButtonAccessible(ImageButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            emit static_cast<ImageButton*>(widget())->Click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* imageButtonFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ImageButton") && object && object->isWidgetType())
        return new ImageButtonAccessible(static_cast<ImageButton*>(object));
    return nullptr;
}

int vbButtons(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

int vbShift(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

} // namespace

ImageButton::ImageButton(QWidget* parent, const char* name, const QString& toolTip) : QLabel(parent)
{
    // Before anything asks for its description (a name set asks), which
    // is kept from then on.
    static const bool described = [] {
        QAccessible::installFactory(imageButtonFactory);
        return true;
    }();
    (void)described;
    setObjectName(QString::fromLatin1(name));
    setToolTip(toolTip);
    // a screen reader names the picture by what its tool tip says
    setAccessibleName(toolTip);
    setMouseTracking(false);
}

void ImageButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    setPixmap(picture);
}

void ImageButton::mousePressEvent(QMouseEvent* e)
{
    m_pressedHere = true;
    const QPointF p = e->position() * plat::twipsPerPixel;
    emit MouseDown(vbButtons(e->button()), vbShift(e->modifiers()), p.x(), p.y());
}

void ImageButton::mouseMoveEvent(QMouseEvent* e)
{
    const QPointF p = e->position() * plat::twipsPerPixel;
    emit MouseMove(vbButtons(e->buttons()), vbShift(e->modifiers()), p.x(), p.y());
}

void ImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    const QPointF p = e->position() * plat::twipsPerPixel;
    const bool onButton = rect().contains(e->position().toPoint());
    const bool click = m_pressedHere && onButton && e->button() == Qt::LeftButton;
    m_pressedHere = false;
    emit MouseUp(vbButtons(e->button()), vbShift(e->modifiers()), p.x(), p.y());
    if (click) emit Click();
}
