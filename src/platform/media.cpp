#include "platform/media.h"

#include "platform/app.h"

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

namespace plat::media {

namespace {

PlayerFactory& factory()
{
    static PlayerFactory f;
    return f;
}

class QtPlayer : public Player {
  public:
    QtPlayer() { m_player.setAudioOutput(&m_audio); }
    ~QtPlayer() override
    {
        m_player.stop();
        delete m_video.data();
    }

    bool open(const QString& hostPath) override
    {
        m_player.setVideoOutput(videoWidget());
        m_player.setSource(QUrl::fromLocalFile(hostPath));
        // The command interface opens synchronously; wait (with the
        // message loop running) until the decoder has made up its mind.
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&m_player, &QMediaPlayer::mediaStatusChanged, &loop,
                         [&loop](QMediaPlayer::MediaStatus s) {
                             if (s != QMediaPlayer::LoadingMedia) loop.quit();
                         });
        QObject::connect(&m_player, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
        if (m_player.mediaStatus() == QMediaPlayer::LoadingMedia) {
            timeout.start(10000);
            EventNesting nested;
            loop.exec();
        }
        const auto s = m_player.mediaStatus();
        return m_player.error() == QMediaPlayer::NoError &&
               (s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia ||
                s == QMediaPlayer::BufferingMedia) &&
               m_player.hasVideo();
    }

    QWidget* videoWidget() override
    {
        if (!m_video) {
            m_video = new QVideoWidget;
            m_player.setVideoOutput(m_video.data());
        }
        return m_video;
    }

    QSize frameSize() const override
    {
        const QSize s = m_player.metaData().value(QMediaMetaData::Resolution).toSize();
        return s.isValid() && !s.isEmpty() ? s : QSize(320, 240);
    }

    void play(bool loop) override
    {
        m_player.setLoops(loop ? QMediaPlayer::Infinite : 1);
        m_player.play();
    }
    void pause() override { m_player.pause(); }
    void seek(qint64 ms) override { m_player.setPosition(ms); }
    void setMuted(bool muted) override { m_audio.setMuted(muted); }
    bool isPlaying() const override
    {
        return m_player.playbackState() == QMediaPlayer::PlayingState;
    }

  private:
    QMediaPlayer m_player;
    QAudioOutput m_audio;
    QPointer<QVideoWidget> m_video;
};

// The FFmpeg backend reads AVI and the other common containers with the
// libraries Qt Multimedia already depends on; GStreamer, Qt's default here,
// would need further plug-in packages for them. Qt reads QT_MEDIA_BACKEND
// once, when the first media object is made, so the variable is set only
// around that moment: the programs the user starts from here never inherit
// it. A backend the user names wins, and stays theirs.
std::unique_ptr<Player> makeQtPlayer()
{
    static bool backendChosen = false;
    if (backendChosen || qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) {
        backendChosen = true;
        return std::make_unique<QtPlayer>();
    }
    backendChosen = true;
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    auto player = std::make_unique<QtPlayer>();
    qunsetenv("QT_MEDIA_BACKEND");
    return player;
}

} // namespace

std::unique_ptr<Player> createPlayer()
{
    if (factory()) return factory()();
    return makeQtPlayer();
}

void setPlayerFactory(PlayerFactory f)
{
    factory() = std::move(f);
}

} // namespace plat::media
