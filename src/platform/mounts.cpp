#include "platform/mounts.h"

#include "platform/drives.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace plat::mounts {

namespace {

constexpr char kMountInfo[] = "/proc/self/mountinfo";

struct State {
    bool opened = false;
    int fd = -1;         // polled for changes by generation()
    QByteArray seamText; // the seam's text at the last look
    quint64 count = 0;
    std::function<QByteArray()> source;
};

State& state()
{
    static State s;
    return s;
}

QByteArray systemText()
{
    QFile f(QString::fromLatin1(kMountInfo));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A field of mountinfo with its octal escapes ("\040") undone.
QByteArray unescaped(const QByteArray& in)
{
    QByteArray raw;
    raw.reserve(in.size());
    const auto octal = [&](qsizetype k) { return in[k] >= '0' && in[k] <= '7'; };
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            raw.append(char(in.mid(i + 1, 3).toInt(nullptr, 8)));
            i += 3;
        } else {
            raw.append(in[i]);
        }
    }
    return raw;
}

} // namespace

QStringList pointsIn(const QByteArray& mountinfo)
{
    QStringList points;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // "36 35 98:0 /root /mount/point options ... - type source super"
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 5) continue;
        points.append(drives::hostString(unescaped(f[4])));
    }
    points.sort();
    points.removeDuplicates();
    return points;
}

QByteArray tableText()
{
    const State& s = state();
    return s.source ? s.source() : systemText();
}

quint64 generation()
{
    State& s = state();
    if (s.source) {
        const QByteArray text = s.source();
        if (text != s.seamText) {
            s.seamText = text;
            ++s.count;
        }
        return s.count;
    }
    if (!s.opened) {
        // From here on every change shows; what came before is the start.
        s.opened = true;
        s.fd = ::open(kMountInfo, O_RDONLY | O_CLOEXEC);
        return s.count;
    }
    if (s.fd < 0) return s.count;
    // Every change counts, also one that leaves the text as it was: a stick
    // swapped for another of the same label may be given the same mount
    // number, device number and options.
    pollfd p{s.fd, POLLPRI, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR))) ++s.count;
    return s.count;
}

int openWatch()
{
    if (state().source) return -1;
    return ::open(kMountInfo, O_RDONLY | O_CLOEXEC);
}

void setTableSource(std::function<QByteArray()> source)
{
    State& s = state();
    s.source = std::move(source);
    s.seamText = s.source ? s.source() : QByteArray();
    ++s.count; // another table altogether
}

} // namespace plat::mounts
