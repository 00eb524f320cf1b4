#include "platform/animation.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/media.h"

#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace plat::comctl {

namespace {
bool g_animateReady = false;
}

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& icc)
{
    if (icc.dwSize != sizeof(INITCOMMONCONTROLSEX)) return false;
    if (icc.dwICC & ICC_ANIMATE_CLASS) g_animateReady = true;
    return true;
}

void InitCommonControls()
{
    g_animateReady = true;
}
bool animateClassReady()
{
    return g_animateReady;
}
void resetForTests()
{
    g_animateReady = false;
}

} // namespace plat::comctl

namespace plat::win {

namespace {

class AnimateControl : public QWidget {
  public:
    AnimateControl(QWidget* parent, quint32 style) : QWidget(parent), m_style(style) {}

    qintptr open(const QString& winPath)
    {
        close();
        QString host;
        try {
            host = drives::qtPath(drives::toHost(winPath)); // the player opens it through Qt
        } catch (const FileError&) {
            return 0;
        }
        if (!QFileInfo(host).isFile()) return 0;
        auto player = media::createPlayer();
        QWidget* video = player->videoWidget();
        if (!player->open(host)) return 0;
        player->setMuted(true); // the control plays pictures only
        m_player = std::move(player);
        m_video = video;
        if (m_video) {
            m_video->setParent(this);
            m_video->show();
        }
        // Without the centre style the control takes the clip's size.
        if (!(m_style & ACS_CENTER)) resize(m_player->frameSize());
        layoutVideo();
        if (m_style & ACS_AUTOPLAY) m_player->play(true);
        return 1;
    }
    void close()
    {
        delete m_video.data();
        m_player.reset();
    }
    qintptr play(qintptr repeat)
    {
        if (!m_player) return 0;
        m_player->play(repeat != 1);
        return 1;
    }
    qintptr stop()
    {
        if (!m_player) return 0;
        m_player->pause();
        return 1;
    }

  protected:
    void resizeEvent(QResizeEvent*) override { layoutVideo(); }

  private:
    void layoutVideo()
    {
        if (!m_video || !m_player) return;
        QRect r(QPoint(0, 0), m_player->frameSize());
        r.moveCenter(rect().center());
        m_video->setGeometry((m_style & ACS_CENTER) ? r : rect());
    }

    quint32 m_style;
    std::unique_ptr<media::Player> m_player;
    QPointer<QWidget> m_video;
};

AnimateControl* control(HWND h)
{
    return dynamic_cast<AnimateControl*>(widgetOf(h));
}

} // namespace

HWND CreateWindowExA(quint32, const QString& className, const QString& windowName, quint32 style,
                     int x, int y, int width, int height, HWND parent, qintptr, qintptr, qintptr)
{
    if (className.compare("SysAnimate32", Qt::CaseInsensitive) != 0 || !comctl::animateClassReady())
        return 0;
    QWidget* parentWidget = parent ? widgetOf(parent) : nullptr;
    if ((style & WS_CHILD) && !parentWidget) return 0;
    auto* w = new AnimateControl(parentWidget, style);
    w->setWindowTitle(windowName);
    w->setGeometry(x, y, qMax(0, width), qMax(0, height));
    if (style & WS_VISIBLE) w->show();
    return handleOf(w);
}

qintptr SendMessageA(HWND h, quint32 msg, qintptr wParam, qintptr lParam)
{
    AnimateControl* c = control(h);
    if (!c) return 0;
    switch (msg) {
    case ACM_OPENA:
        if (lParam == 0) {
            c->close();
            return 1;
        }
        // A clip from a module's resources: this platform has no module
        // files with resources (see resources.h), so nothing opens.
        return 0;
    case ACM_PLAY:
        return c->play(wParam);
    case ACM_STOP:
        return c->stop();
    default:
        return 0;
    }
}

qintptr SendMessageA(HWND h, quint32 msg, qintptr, const QString& lParam)
{
    AnimateControl* c = control(h);
    if (!c || msg != ACM_OPENA) return 0;
    return c->open(lParam);
}

} // namespace plat::win
