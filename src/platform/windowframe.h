#pragma once
// What the window manager is told of a window's frame beyond the flags Qt
// turns into Motif hints.
class QWidget;

namespace plat {

// Asks for a title bar without minimise and maximise buttons, for a window
// that keeps out of the task bar (a tool window, a message box). Some window
// managers draw those two buttons on every window whatever the Motif hints
// say and take them away only from a window of the toolbar kind, so the
// window is declared one, ahead of the kinds its flags give it (a window
// manager takes the first kind it knows). Call it before the window is
// shown; it makes the native window if there is none yet.
void keepOffMinimizeAndMaximize(QWidget* window);
// True once keepOffMinimizeAndMaximize was applied to the window.
bool minimizeAndMaximizeKeptOff(const QWidget* window);

} // namespace plat
