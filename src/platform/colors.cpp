#include "platform/colors.h"

#include <QApplication>
#include <QPalette>

namespace plat {

QColor toQColor(int vbColor)
{
    const quint32 v = static_cast<quint32>(vbColor);
    if (v & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFF) {
        case 0x05: return pal.color(QPalette::Base);
        case 0x08: return pal.color(QPalette::Text);
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x0F: return pal.color(QPalette::Button);
        case 0x12: return pal.color(QPalette::ButtonText);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int fromQColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

} // namespace plat
