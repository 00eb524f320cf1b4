#pragma once
// The program's own run: letting pending events run, ending the process,
// the hourglass pointer, the screen and its fonts.
#include <QSize>
#include <QStringList>
#include <QtGlobal>
#include <functional>

namespace plat {

// Lets pending events run once (repaints, clicks, timers), as the long
// loops of the windows do between steps.
void DoEvents();

// Paces a run of yields, as a walk makes after every entry: due() is true
// at most once a frame (about 16 ms), when the run shows what it gathered
// since. The yields stay as frequent as before, for input; only the showing
// (and so the repainting it causes) waits for the frame.
class FrameClock {
  public:
    FrameClock();
    bool due(); // true once a frame has passed since the last true
  private:
    qint64 m_last = 0; // ms on a clock that does not jump
};
// Tests: 0 makes every yield a frame, so each step shows at once; a
// negative value restores the frame.
void setFrameMs(int ms);

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

// Names of the installed font families, each once, sorted.
QStringList fontNames();

// Pixels for twips, and back.
constexpr int twipsPerPixel = 15;
inline int px(double twips)
{
    return static_cast<int>(twips / twipsPerPixel + (twips >= 0 ? 0.5 : -0.5));
}

} // namespace plat
