#pragma once
// The program's own run: letting pending events run, ending the process,
// the hourglass pointer, the screen and its fonts.
#include <QSize>
#include <QStringList>
#include <functional>

namespace plat {

// Lets pending events run once (repaints, clicks, timers), as the original's
// loops do between steps.
void DoEvents();

// Ends the program at once: no window gets a close or unload notification.
// Tests replace the ending so they can see it without exiting.
void End();
void setEndHandler(std::function<void()> handler); // empty restores the real exit

void setHourglass(bool on);
bool hourglass();

// The screen in twips (15 twips to a pixel).
int screenWidthTwips();
int screenHeightTwips();

// Names of the installed fonts, sorted.
QStringList fontNames();

// Pixels for twips, and back.
constexpr int twipsPerPixel = 15;
inline int px(double twips)
{
    return static_cast<int>(twips / twipsPerPixel + (twips >= 0 ? 0.5 : -0.5));
}

} // namespace plat
