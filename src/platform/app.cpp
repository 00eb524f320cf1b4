#include "platform/app.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace plat {

namespace {
std::function<void()>& endHandler()
{
    static std::function<void()> h;
    return h;
}
int& hourglassDepth()
{
    static int depth = 0;
    return depth;
}
} // namespace

namespace {
int& nestingDepth()
{
    static int depth = 0;
    return depth;
}
void (*outermostEndHook)() = nullptr;
} // namespace

EventNesting::EventNesting()
{
    ++nestingDepth();
}
EventNesting::~EventNesting()
{
    if (--nestingDepth() == 0 && outermostEndHook) outermostEndHook();
}
void EventNesting::setOutermostEndHook(void (*hook)())
{
    outermostEndHook = hook;
}
int EventNesting::depth()
{
    return nestingDepth();
}

void DoEvents()
{
    EventNesting nested;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void End()
{
    if (endHandler()) {
        endHandler()();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void setEndHandler(std::function<void()> handler)
{
    endHandler() = std::move(handler);
}

void setHourglass(bool on)
{
    if (on && hourglassDepth() == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglassDepth() = 1;
    } else if (!on && hourglassDepth() > 0) {
        QApplication::restoreOverrideCursor();
        hourglassDepth() = 0;
    }
}

bool hourglass()
{
    return hourglassDepth() > 0;
}

static QSize screenPixels()
{
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->size();
    return QSize(1024, 768);
}

int screenWidthTwips()
{
    return screenPixels().width() * twipsPerPixel;
}
int screenHeightTwips()
{
    return screenPixels().height() * twipsPerPixel;
}

QStringList fontNames()
{
    QStringList names = QFontDatabase::families();
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace plat
