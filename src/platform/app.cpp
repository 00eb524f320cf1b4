#include "platform/app.h"

#include "platform/filesys.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
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

namespace {
constexpr int kFrameMs = 16;
int& frameMs()
{
    static int ms = kFrameMs;
    return ms;
}
qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}
} // namespace

FrameClock::FrameClock() : m_last(nowMs()) {}

bool FrameClock::due()
{
    const qint64 now = nowMs();
    if (now - m_last < frameMs()) return false;
    m_last = now;
    return true;
}

void setFrameMs(int ms)
{
    frameMs() = ms < 0 ? kFrameMs : ms;
}

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
    plat::fs::finishBackgroundWork();
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
    // Qt lists a family that several foundries make once per foundry, as
    // "Nimbus Sans [URW ]"; the desktop's font chooser lists the family once,
    // by its name. A name that merely ends in brackets is kept as it is.
    QStringList names;
    for (const QString& listed : QFontDatabase::families()) {
        QString name = listed;
        const qsizetype tag = listed.lastIndexOf(QLatin1String(" ["));
        if (tag > 0 && listed.endsWith(QLatin1Char(']')) &&
            QFontDatabase::hasFamily(listed.left(tag)))
            name = listed.left(tag);
        names << name;
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    return names;
}

} // namespace plat
