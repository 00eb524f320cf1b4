#pragma once
// The movie player behind the multimedia commands and the animation control.
// The real one decodes through Qt Multimedia; tests install a factory that
// records what is asked of it and never plays anything.
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace plat::media {

class Player {
  public:
    virtual ~Player() = default;
    // Opens a movie (host path) and waits until it is known to be playable;
    // false for a file the player cannot play.
    virtual bool open(const QString& hostPath) = 0;
    // The widget the video is drawn into; the caller places and parents it
    // (and may destroy it: the player then draws nowhere).
    virtual QWidget* videoWidget() = 0;
    // The movie's own frame size (a stand-in size when the file tells none).
    virtual QSize frameSize() const = 0;
    virtual void play(bool loop) = 0;
    virtual void pause() = 0;
    virtual void seek(qint64 milliseconds) = 0;
    virtual void setMuted(bool muted) = 0;
    virtual bool isPlaying() const = 0;
};

using PlayerFactory = std::function<std::unique_ptr<Player>()>;

std::unique_ptr<Player> createPlayer();
// Tests replace the player; an empty factory restores the real one.
void setPlayerFactory(PlayerFactory factory);

} // namespace plat::media
