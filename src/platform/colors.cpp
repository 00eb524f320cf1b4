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
        case 0x00:
            return pal.color(QPalette::Mid); // scroll bars
        case 0x01:
            return pal.color(QPalette::Dark); // desktop
        case 0x02:
            return pal.color(QPalette::Highlight); // active title bar
        case 0x03:
            return pal.color(QPalette::Mid); // inactive title bar
        case 0x04:
            return pal.color(QPalette::Window); // menu bar
        case 0x05:
            return pal.color(QPalette::Base); // window background
        case 0x06:
            return pal.color(QPalette::Shadow); // window frame
        case 0x07:
            return pal.color(QPalette::WindowText); // menu text
        case 0x08:
            return pal.color(QPalette::Text); // window text
        case 0x09:
            return pal.color(QPalette::HighlightedText); // title bar text
        case 0x0A:
        case 0x0B:
            return pal.color(QPalette::Window); // borders
        case 0x0C:
            return pal.color(QPalette::Dark); // application workspace
        case 0x0D:
            return pal.color(QPalette::Highlight);
        case 0x0E:
            return pal.color(QPalette::HighlightedText);
        case 0x0F:
            return pal.color(QPalette::Button);
        case 0x10:
            return pal.color(QPalette::Dark); // button shadow
        case 0x11:
            return pal.color(QPalette::Disabled, QPalette::Text); // grey text
        case 0x12:
            return pal.color(QPalette::ButtonText);
        case 0x13:
            return pal.color(QPalette::Disabled, QPalette::WindowText);
        case 0x14:
            return pal.color(QPalette::Light); // 3D highlight
        case 0x15:
            return pal.color(QPalette::Shadow); // 3D dark shadow
        case 0x16:
            return pal.color(QPalette::Midlight); // 3D light
        case 0x17:
            return pal.color(QPalette::ToolTipText);
        case 0x18:
            return pal.color(QPalette::ToolTipBase);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int fromQColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace plat
