#pragma once
// Window handles in Windows terms: a widget gets a small integer
// handle that can be written in decimal into a command string and turned
// back into the widget. Handles of destroyed widgets are never reused.
#include <QtGlobal>

class QWidget;

namespace plat::win {

using HWND = qint32;

// The handle of a widget (given on first use); 0 for nullptr.
HWND handleOf(QWidget* w);
// The widget of a handle; nullptr when the handle names no live widget.
QWidget* widgetOf(HWND h);

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The window's rectangle in screen coordinates; false for a dead handle.
bool GetWindowRect(HWND h, RECT* rect);
// Places a window inside its parent (or on the screen for a top-level one).
bool MoveWindow(HWND h, int x, int y, int width, int height, bool repaint);
bool DestroyWindow(HWND h);

} // namespace plat::win
