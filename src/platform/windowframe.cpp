#include "platform/windowframe.h"

#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace plat {

namespace {

// Qt's X11 platform adds the window kinds named in this property of the
// window ahead of those of its flags (_NET_WM_WINDOW_TYPE), each time it
// applies the flags; 0x8 is its value for a toolbar.
constexpr const char* kWindowKinds = "_q_xcb_wm_window_type";
constexpr int kToolbar = 0x8;

} // namespace

void keepOffMinimizeAndMaximize(QWidget* window)
{
    window->winId();
    QWindow* native = window->windowHandle();
    if (!native || minimizeAndMaximizeKeptOff(window)) return;
    native->setProperty(kWindowKinds, kToolbar);
    // The kinds are read when the flags change: a change there and back, of
    // a flag no window manager here looks at.
    const Qt::WindowFlags flags = native->flags();
    native->setFlags(flags ^ Qt::WindowContextHelpButtonHint);
    native->setFlags(flags);
}

bool minimizeAndMaximizeKeptOff(const QWidget* window)
{
    const QWindow* native = window->windowHandle();
    return native && native->property(kWindowKinds).toInt() == kToolbar;
}

} // namespace plat
