#include "platform/drives.h"

#include "platform/fileerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace plat::drives {

namespace {

constexpr QChar kBackslashStandIn(0x29F5);

struct State {
    bool loaded = false;
    QList<DriveEntry> entries;
    QString current; // Windows path of the current folder; empty until first asked
};

State& state()
{
    static State s;
    return s;
}

QString cleanRoot(QString root)
{
    root = QDir::cleanPath(QDir(root).absolutePath());
    return root;
}

QList<DriveEntry> defaultTable()
{
    QList<DriveEntry> out;
    out.append({QChar('C'), QStringLiteral("/"), QString()});
    QFile mounts(QStringLiteral("/proc/mounts"));
    QStringList points;
    if (mounts.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = mounts.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() < 2) continue;
            // /proc/mounts escapes blanks as \040
            QString mp =
                QString::fromUtf8(f[1]).replace(QStringLiteral("\\040"), QStringLiteral(" "));
            if (mp.startsWith("/media/") || mp.startsWith("/run/media/") || mp.startsWith("/mnt/"))
                points.append(mp);
        }
    }
    points.sort();
    points.removeDuplicates();
    char letter = 'D';
    for (const QString& p : points) {
        if (letter > 'Z') break;
        out.append({QChar(letter++), p, QFileInfo(p).fileName()});
    }
    return out;
}

QList<DriveEntry> tableFromEnv(const QString& text)
{
    QList<DriveEntry> out;
    const QStringList parts = text.split(';', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const int eq = part.indexOf('=');
        if (eq != 1 || !part.at(0).isLetter()) continue;
        const QString root = cleanRoot(part.mid(2));
        out.append({part.at(0).toUpper(), root, QFileInfo(root).fileName()});
    }
    std::sort(out.begin(), out.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.letter < b.letter; });
    return out;
}

void ensureLoaded()
{
    State& s = state();
    if (s.loaded) return;
    const QByteArray env = qgetenv("QUORBIX_DRIVES");
    s.entries = env.isEmpty() ? defaultTable() : tableFromEnv(QString::fromUtf8(env));
    if (s.entries.isEmpty()) s.entries = defaultTable();
    s.loaded = true;
}

bool isSeparator(QChar c)
{
    return c == '\\' || c == '/';
}

} // namespace

QList<DriveEntry> table()
{
    ensureLoaded();
    return state().entries;
}

void setTable(const QList<DriveEntry>& entries)
{
    State& s = state();
    s.entries.clear();
    for (DriveEntry e : entries) {
        e.letter = e.letter.toUpper();
        e.hostRoot = cleanRoot(e.hostRoot);
        if (e.label.isEmpty()) e.label = QFileInfo(e.hostRoot).fileName();
        s.entries.append(e);
    }
    std::sort(s.entries.begin(), s.entries.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.letter < b.letter; });
    s.loaded = true;
    s.current.clear();
}

void reload()
{
    state().loaded = false;
    state().current.clear();
    ensureLoaded();
}

std::optional<DriveEntry> find(QChar letter)
{
    ensureLoaded();
    for (const DriveEntry& e : state().entries)
        if (e.letter == letter.toUpper()) return e;
    return std::nullopt;
}

QChar driveLetterOf(const QString& winPath)
{
    if (winPath.size() >= 2 && winPath.at(1) == ':' && winPath.at(0).isLetter())
        return winPath.at(0).toUpper();
    return QChar();
}

bool isRoot(const QString& winPath)
{
    return winPath.size() == 3 && winPath.endsWith(":\\");
}

QString normalize(const QString& winPathIn)
{
    QString p = winPathIn;
    QChar letter = driveLetterOf(p);
    QStringList parts;
    if (!letter.isNull()) {
        if (!find(letter)) raise(ErrDeviceUnavailable);
        QString rest = p.mid(2);
        if (rest.isEmpty() || !isSeparator(rest.at(0))) {
            // "D:" or "D:name" is relative to that drive's own folder
            const QString base = driveFolder(letter);
            parts = base.mid(3).split('\\', Qt::SkipEmptyParts);
        }
        p = rest;
    } else {
        const QString cur = currentFolder();
        letter = cur.at(0);
        if (!p.isEmpty() && isSeparator(p.at(0))) {
            // "\x" is relative to the current drive's root
        } else {
            parts = cur.mid(3).split('\\', Qt::SkipEmptyParts);
        }
    }
    QString segment;
    auto flush = [&]() {
        if (segment.isEmpty() || segment == ".") {
        } else if (segment == "..") {
            if (!parts.isEmpty()) parts.removeLast();
        } else {
            parts.append(segment);
        }
        segment.clear();
    };
    for (QChar c : p) {
        if (isSeparator(c))
            flush();
        else
            segment.append(c);
    }
    flush();
    return QString(letter) + ":\\" + parts.join('\\');
}

QString nameToHost(const QString& winName)
{
    QString n = winName;
    n.replace(kBackslashStandIn, QChar('\\'));
    return n;
}

QString nameToWindows(const QString& hostName)
{
    QString n = hostName;
    n.replace(QChar('\\'), kBackslashStandIn);
    return n;
}

QString toHost(const QString& winPath)
{
    const QString norm = normalize(winPath);
    const auto drive = find(norm.at(0));
    if (!drive) raise(ErrDeviceUnavailable);
    QString host = drive->hostRoot;
    const QStringList parts = norm.mid(3).split('\\', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!host.endsWith('/')) host += '/';
        host += nameToHost(part);
    }
    return host;
}

QString toWindows(const QString& hostPathIn)
{
    ensureLoaded();
    const QString host = QDir::cleanPath(QDir(hostPathIn).absolutePath());
    const DriveEntry* best = nullptr;
    for (const DriveEntry& e : state().entries) {
        const bool inside =
            e.hostRoot == "/" || host == e.hostRoot || host.startsWith(e.hostRoot + '/');
        if (inside && (!best || e.hostRoot.size() > best->hostRoot.size())) best = &e;
    }
    if (!best) return {};
    QString rest = best->hostRoot == "/" ? host.mid(1) : host.mid(best->hostRoot.size() + 1);
    QStringList parts = rest.split('/', Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = nameToWindows(part);
    return QString(best->letter) + ":\\" + parts.join('\\');
}

QString currentFolder()
{
    State& s = state();
    if (s.current.isEmpty()) {
        ensureLoaded();
        s.current = toWindows(QDir::currentPath());
        if (s.current.isEmpty() && !s.entries.isEmpty())
            s.current = QString(s.entries.first().letter) + ":\\";
        if (s.current.isEmpty()) s.current = QStringLiteral("C:\\");
    }
    return s.current;
}

void setCurrentFolder(const QString& winPath)
{
    const QString norm = normalize(winPath);
    const QString host = toHost(norm);
    QFileInfo fi(host);
    if (!fi.exists()) raise(ErrPathNotFound);
    if (!fi.isDir()) raise(ErrPathNotFound);
    QDir::setCurrent(host);
    state().current = norm;
}

QString driveFolder(QChar letter)
{
    const QString cur = currentFolder();
    if (cur.at(0) == letter.toUpper()) return cur;
    return QString(letter.toUpper()) + ":\\";
}

} // namespace plat::drives
