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

// Marks a stretch in which events run inside a handler (DoEvents, a modal
// window or box, a common dialog). A window unloaded in such a stretch is
// deleted only once every stretch has ended, since the handlers below may
// still use it.
class EventNesting {
  public:
    EventNesting();
    ~EventNesting();
    EventNesting(const EventNesting&) = delete;
    EventNesting& operator=(const EventNesting&) = delete;
    static int depth();
    // Called each time the outermost stretch ends (depth back to 0), so
    // what waited for the stretches can go on at once, with no timer.
    static void setOutermostEndHook(void (*hook)());
};

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
