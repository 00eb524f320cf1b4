#include "standalone/vscrollbar.h"

VScrollBar::VScrollBar(QWidget* parent, const char* name) : QScrollBar(Qt::Vertical, parent)
{
    setObjectName(QString::fromLatin1(name));
    setRange(0, 32767);
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (isSliderDown())
            emit Scroll();
        else
            emit Change();
    });
    connect(this, &QScrollBar::sliderReleased, this, &VScrollBar::Change);
}
