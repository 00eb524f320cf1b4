#include "platform/mci.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/media.h"

#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

namespace plat::mci {

namespace {

std::function<void(const QString&, int)>& commandLog()
{
    static std::function<void(const QString&, int)> log;
    return log;
}

// One open device: the player and where its video window lives.
struct Device {
    std::unique_ptr<media::Player> player;
    QPointer<QWidget> video;
};

std::map<QString, Device>& devices() // keyed by the alias in lower case
{
    static std::map<QString, Device> d;
    return d;
}

// Splits a command into words; a word in double quotes may hold blanks.
int tokenize(const QString& command, QStringList* words)
{
    int i = 0;
    const int n = command.size();
    while (i < n) {
        while (i < n && command.at(i).isSpace())
            ++i;
        if (i >= n) break;
        if (command.at(i) == '"') {
            const int end = command.indexOf('"', i + 1);
            if (end < 0) return MCIERR_NO_CLOSING_QUOTE;
            words->append(command.mid(i + 1, end - i - 1));
            i = end + 1;
        } else {
            int j = i;
            while (j < n && !command.at(j).isSpace())
                ++j;
            words->append(command.mid(i, j - i));
            i = j;
        }
    }
    return 0;
}

bool toInt(const QString& s, int* out)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    if (ok) *out = v;
    return ok;
}

bool is(const QString& word, const char* keyword)
{
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

void placeVideo(Device& d, QWidget* parent, const QRect& rect)
{
    QWidget* v = d.video;
    if (!v) return;
    v->setParent(parent);
    v->setGeometry(rect);
    v->show();
}

int doOpen(const QStringList& w)
{
    if (w.size() < 2) return MCIERR_MISSING_PARAMETER;
    const QString element = w.at(1);
    QString alias = element;
    win::HWND parent = 0;
    bool child = false;
    for (int i = 2; i < w.size(); ++i) {
        const QString& k = w.at(i);
        if (is(k, "type") || is(k, "alias") || is(k, "parent") || is(k, "style")) {
            if (i + 1 >= w.size()) return MCIERR_MISSING_PARAMETER;
            const QString v = w.at(++i);
            if (is(k, "type")) {
                if (!is(v, "avivideo") && !is(v, "mpegvideo")) return MCIERR_INVALID_DEVICE_NAME;
            } else if (is(k, "alias")) {
                alias = v;
            } else if (is(k, "parent")) {
                if (!toInt(v, &parent)) return MCIERR_BAD_INTEGER;
            } else {
                child = is(v, "child");
                if (!child && !is(v, "popup") && !is(v, "overlapped"))
                    return MCIERR_UNRECOGNIZED_KEYWORD;
            }
        } else if (is(k, "shareable") || is(k, "wait")) {
            // accepted and without effect here
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    if (devices().count(alias.toLower())) return MCIERR_DUPLICATE_ALIAS;

    QString host;
    try {
        host = drives::qtPath(drives::toHost(element)); // the player opens it through Qt
    } catch (const FileError&) {
        return MCIERR_FILE_NOT_FOUND;
    }
    if (!QFileInfo(host).isFile()) return MCIERR_FILE_NOT_FOUND;
    QWidget* parentWidget = nullptr;
    if (parent != 0) {
        parentWidget = win::widgetOf(parent);
        if (!parentWidget) return MCIERR_NO_WINDOW;
    }

    Device d;
    d.player = media::createPlayer();
    d.video = d.player->videoWidget();
    if (!d.player->open(host)) return MCIERR_INVALID_FILE;
    // A child video window starts at the parent's top left in the movie's
    // own size; otherwise the device's window stays hidden until it is
    // given a window or played.
    if (parentWidget && child)
        placeVideo(d, parentWidget, QRect(QPoint(0, 0), d.player->frameSize()));
    else if (d.video)
        d.video->resize(d.player->frameSize());
    devices().emplace(alias.toLower(), std::move(d));
    return 0;
}

int run(const QString& command, QString* replyText)
{
    QStringList w;
    if (int e = tokenize(command, &w)) return e;
    if (w.isEmpty()) return MCIERR_UNRECOGNIZED_COMMAND;
    const QString verb = w.at(0).toLower();
    if (verb == "open") return doOpen(w);
    static const QStringList known = {"close", "play", "pause",  "resume", "stop",
                                      "seek",  "put",  "window", "set",    "status"};
    if (!known.contains(verb)) return MCIERR_UNRECOGNIZED_COMMAND;
    if (w.size() < 2) return MCIERR_MISSING_PARAMETER;

    if (verb == "close" && is(w.at(1), "all")) {
        closeAll();
        return 0;
    }
    auto it = devices().find(w.at(1).toLower());
    if (it == devices().end()) return MCIERR_INVALID_DEVICE_NAME;
    Device& d = it->second;
    const QStringList rest = w.mid(2);

    if (verb == "close") {
        delete d.video.data();
        devices().erase(it);
        return 0;
    }
    if (verb == "play") {
        bool loop = false;
        for (int i = 0; i < rest.size(); ++i) {
            if (is(rest.at(i), "from") || is(rest.at(i), "to")) {
                int pos = 0;
                if (i + 1 >= rest.size()) return MCIERR_MISSING_PARAMETER;
                if (!toInt(rest.at(++i), &pos)) return MCIERR_BAD_INTEGER;
                if (pos < 0) return MCIERR_OUTOFRANGE;
                if (is(rest.at(i - 1), "from")) d.player->seek(pos);
            } else if (is(rest.at(i), "repeat")) {
                loop = true;
            } else if (!is(rest.at(i), "wait") && !is(rest.at(i), "fullscreen")) {
                return MCIERR_UNRECOGNIZED_KEYWORD;
            }
        }
        if (d.video && !d.video->parentWidget()) d.video->show(); // the device's own window
        d.player->play(loop);
        return 0;
    }
    if (verb == "pause" || verb == "stop") {
        if (!rest.isEmpty() && !is(rest.at(0), "wait")) return MCIERR_UNRECOGNIZED_KEYWORD;
        d.player->pause();
        return 0;
    }
    if (verb == "resume") {
        if (!rest.isEmpty() && !is(rest.at(0), "wait")) return MCIERR_UNRECOGNIZED_KEYWORD;
        d.player->play(false);
        return 0;
    }
    if (verb == "seek") {
        int pos = 0;
        if (rest.size() == 2 && is(rest.at(0), "to") && is(rest.at(1), "start"))
            pos = 0;
        else if (rest.size() != 2 || !is(rest.at(0), "to") || !toInt(rest.at(1), &pos))
            return MCIERR_MISSING_PARAMETER;
        d.player->seek(pos);
        return 0;
    }
    if (verb == "put") {
        if (rest.size() != 6 || !is(rest.at(0), "destination") || !is(rest.at(1), "at"))
            return rest.size() < 6 ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
        int v[4];
        for (int i = 0; i < 4; ++i)
            if (!toInt(rest.at(2 + i), &v[i])) return MCIERR_BAD_INTEGER;
        if (d.video) d.video->setGeometry(v[0], v[1], qMax(0, v[2]), qMax(0, v[3]));
        return 0;
    }
    if (verb == "window") {
        if (rest.size() != 2 || !is(rest.at(0), "handle")) return MCIERR_MISSING_PARAMETER;
        int h = 0;
        if (!toInt(rest.at(1), &h)) return MCIERR_BAD_INTEGER;
        QWidget* target = win::widgetOf(h);
        if (!target) return MCIERR_NO_WINDOW;
        if (d.video) placeVideo(d, target, d.video->geometry());
        return 0;
    }
    if (verb == "set") {
        // set <alias> audio all|left|right on|off
        if (rest.size() == 3 && is(rest.at(0), "audio") &&
            (is(rest.at(1), "all") || is(rest.at(1), "left") || is(rest.at(1), "right")) &&
            (is(rest.at(2), "on") || is(rest.at(2), "off"))) {
            d.player->setMuted(is(rest.at(2), "off"));
            return 0;
        }
        return MCIERR_UNRECOGNIZED_KEYWORD;
    }
    // status
    if (rest.size() == 2 && is(rest.at(0), "window") && is(rest.at(1), "handle")) {
        *replyText = QString::number(win::handleOf(d.video));
        return 0;
    }
    if (rest.size() == 1 && is(rest.at(0), "mode")) {
        *replyText = d.player->isPlaying() ? QStringLiteral("playing") : QStringLiteral("paused");
        return 0;
    }
    return MCIERR_UNSUPPORTED_FUNCTION;
}

} // namespace

int mciSendString(const QString& command, QString* reply, int replyLength, win::HWND)
{
    QString text;
    int result = run(command, &text);
    if (reply) {
        if (result == 0 && replyLength > 0 && text.size() > replyLength - 1) {
            result = MCIERR_PARAM_OVERFLOW;
            text.clear();
        }
        *reply = result == 0 ? text : QString();
    }
    if (commandLog()) commandLog()(command, result);
    return result;
}

void setCommandLog(std::function<void(const QString&, int)> log)
{
    commandLog() = std::move(log);
}

void closeAll()
{
    for (auto it = devices().begin(); it != devices().end(); ++it)
        delete it->second.video.data();
    devices().clear();
}

} // namespace plat::mci
