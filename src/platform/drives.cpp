#include "platform/drives.h"

#include "platform/fileerror.h"
#include "platform/mounts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::drives {

namespace {

constexpr char16_t kBackslashStandIn = 0x29F5;
constexpr char16_t kByteStandIn = 0xF700; // + the byte, for bytes 0x80..0xFF

bool isReserved(char32_t c)
{
    return c == kBackslashStandIn || (c >= kByteStandIn + 0x80 && c <= kByteStandIn + 0xFF);
}

void appendStandIns(QString& out, const uchar* p, int n)
{
    for (int k = 0; k < n; ++k)
        out.append(QChar(char16_t(kByteStandIn + p[k])));
}

// Length of the valid UTF-8 sequence at p (strict: shortest form, no
// surrogates, nothing above U+10FFFF) and its character; 0 when invalid.
int utf8At(const uchar* p, const uchar* end, char32_t* out)
{
    const uchar b0 = p[0];
    int len;
    uchar lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (end - p < len) return 0;
    if (p[1] < lo || p[1] > hi) return 0;
    for (int k = 2; k < len; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    char32_t c = b0 & (0x7F >> len);
    for (int k = 1; k < len; ++k)
        c = (c << 6) | (p[k] & 0x3F);
    *out = c;
    return len;
}

// Host bytes to the platform's text form; with windows set, the host's
// backslash becomes its stand-in as well.
QString decodeHost(const char* bytes, qsizetype size, bool windows)
{
    const uchar* p = reinterpret_cast<const uchar*>(bytes);
    const uchar* end = p + size;
    bool plain = true;
    for (const uchar* q = p; q < end && plain; ++q)
        plain = *q < 0x80 && !(windows && *q == '\\');
    if (plain) return QString::fromLatin1(bytes, size);
    QString out;
    out.reserve(size);
    while (p < end) {
        if (*p < 0x80) {
            out.append(windows && *p == '\\' ? QChar(kBackslashStandIn) : QChar(char16_t(*p)));
            ++p;
            continue;
        }
        char32_t c = 0;
        const int len = utf8At(p, end, &c);
        if (len == 0) {
            appendStandIns(out, p, 1);
            p += 1;
        } else if (isReserved(c)) {
            appendStandIns(out, p, len);
            p += len;
        } else {
            if (c >= 0x10000) {
                out.append(QChar::highSurrogate(c));
                out.append(QChar::lowSurrogate(c));
            } else {
                out.append(QChar(char16_t(c)));
            }
            p += len;
        }
    }
    return out;
}

[[noreturn]] void badName(const char* why)
{
    raise(ErrPathNotFound, QStringLiteral("bad file name: ") + QLatin1String(why));
}

// One Windows name as host text, refused when no host name spells it: a
// name that holds stand-ins must read back as itself.
QString checkedNameToHost(const QString& winName)
{
    const QString host = nameToHost(winName);
    bool standIns = false;
    for (QChar c : winName)
        if (c.unicode() >= kByteStandIn + 0x80 && c.unicode() <= kByteStandIn + 0xFF)
            standIns = true;
    if (standIns) {
        const QByteArray b = hostBytes(host);
        if (decodeHost(b.constData(), b.size(), true) != winName)
            badName("stand-ins that spell a character");
    }
    return host;
}

struct State {
    bool loaded = false;
    QList<DriveEntry> entries;
    QString current; // Windows path of the current folder; empty until first asked
    // The table follows the mount table (no QUORBIX_DRIVES, no setTable),
    // as it stood at mount-table generation mountsSeen.
    bool fromMounts = false;
    quint64 mountsSeen = 0;
    quint64 generation = 0; // counts every change of the table
    QStringList volumeFolders{QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                              QStringLiteral("/mnt/")};
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

bool sameEntries(const QList<DriveEntry>& a, const QList<DriveEntry>& b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].letter != b[i].letter || a[i].hostRoot != b[i].hostRoot ||
            a[i].label != b[i].label)
            return false;
    return true;
}

// C: is "/", and each volume mounted in a volume folder is a drive. A
// drive in `before` that is still mounted keeps its letter; a volume new
// to the table takes the first letter free from D:, so a letter a volume
// taken out gave back is given again.
QList<DriveEntry> tableFromMounts(const QList<DriveEntry>& before)
{
    const State& s = state();
    QStringList points;
    for (const QString& p : mounts::pointsIn(mounts::tableText()))
        for (const QString& folder : s.volumeFolders)
            if (p.startsWith(folder) && p.size() > folder.size()) {
                points.append(p);
                break;
            }
    QList<DriveEntry> out{{QChar('C'), QStringLiteral("/"), QString()}};
    for (const DriveEntry& e : before)
        if (e.letter != 'C' && points.contains(e.hostRoot)) out.append(e);
    const auto taken = [&](char letter) {
        return std::any_of(out.begin(), out.end(),
                           [&](const DriveEntry& e) { return e.letter == QChar(letter); });
    };
    const auto known = [&](const QString& p) {
        return std::any_of(out.begin(), out.end(),
                           [&](const DriveEntry& e) { return e.hostRoot == p; });
    };
    char letter = 'D';
    for (const QString& p : points) {
        if (known(p)) continue;
        while (letter <= 'Z' && taken(letter))
            ++letter;
        if (letter > 'Z') break;
        out.append({QChar(letter), p, QFileInfo(p).fileName()});
    }
    std::sort(out.begin(), out.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.letter < b.letter; });
    return out;
}

QList<DriveEntry> tableFromEnv(const QByteArray& text)
{
    QList<DriveEntry> out;
    const QList<QByteArray> byteParts = text.split(';');
    for (const QByteArray& bytes : byteParts) {
        const QString part = hostString(bytes);
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
    s.entries = env.isEmpty() ? QList<DriveEntry>() : tableFromEnv(env);
    s.fromMounts = s.entries.isEmpty();
    if (s.fromMounts) {
        s.mountsSeen = mounts::generation(); // before the reading: a change meanwhile shows
        s.entries = tableFromMounts({});
    }
    s.loaded = true;
    ++s.generation;
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
        e.hostRoot = hostString(QFile::encodeName(cleanRoot(e.hostRoot)));
        if (e.label.isEmpty()) e.label = QFileInfo(e.hostRoot).fileName();
        s.entries.append(e);
    }
    std::sort(s.entries.begin(), s.entries.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.letter < b.letter; });
    s.loaded = true;
    s.fromMounts = false;
    s.current.clear();
    ++s.generation;
}

void reload()
{
    state().loaded = false;
    state().current.clear();
    ensureLoaded();
}

bool followMounts()
{
    ensureLoaded();
    State& s = state();
    if (!s.fromMounts) return false;
    const quint64 now = mounts::generation();
    if (now == s.mountsSeen) return false;
    s.mountsSeen = now;
    QList<DriveEntry> entries = tableFromMounts(s.entries);
    if (sameEntries(entries, s.entries)) return false;
    s.entries = std::move(entries);
    ++s.generation;
    return true;
}

quint64 tableGeneration()
{
    ensureLoaded();
    return state().generation;
}

void setVolumeFolders(const QStringList& folders)
{
    State& s = state();
    s.volumeFolders.clear();
    for (const QString& f : folders)
        s.volumeFolders.append(f.endsWith('/') ? f : f + '/');
    s.mountsSeen = ~quint64(0); // the table is made again at the next look
}

void TableWatch::check()
{
    if (followMounts()) emit changed();
}

TableWatch& tableWatch()
{
    static QPointer<TableWatch> watch;
    static QPointer<QSocketNotifier> notifier;
    if (!watch) watch = new TableWatch(QCoreApplication::instance());
    // Once there is a system's table to watch (none while the tests' seam
    // stands in for it).
    if (!notifier) {
        const int fd = mounts::openWatch();
        if (fd >= 0) {
            notifier = new QSocketNotifier(fd, QSocketNotifier::Exception, watch);
            QObject::connect(notifier, &QSocketNotifier::activated, watch, &TableWatch::check);
            QObject::connect(notifier, &QObject::destroyed, [fd] { ::close(fd); });
        }
    }
    return *watch;
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

QString hostString(const QByteArray& bytes)
{
    return decodeHost(bytes.constData(), bytes.size(), false);
}

QByteArray hostBytes(const QString& host)
{
    QByteArray out;
    out.reserve(host.size());
    const qsizetype n = host.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = host.at(i).unicode();
        if (c < 0x80) {
            if (c == 0) badName("a NUL");
            out.append(char(c));
        } else if (c >= kByteStandIn + 0x80 && c <= kByteStandIn + 0xFF) {
            out.append(char(c - kByteStandIn));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && host.at(i + 1).isLowSurrogate()) {
            const char32_t u = QChar::surrogateToUcs4(c, host.at(i + 1).unicode());
            ++i;
            out.append(char(0xF0 | (u >> 18)));
            out.append(char(0x80 | ((u >> 12) & 0x3F)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
            out.append(char(0x80 | (u & 0x3F)));
        } else if (QChar::isSurrogate(c)) {
            badName("a lone surrogate");
        } else if (c < 0x800) {
            out.append(char(0xC0 | (c >> 6)));
            out.append(char(0x80 | (c & 0x3F)));
        } else {
            out.append(char(0xE0 | (c >> 12)));
            out.append(char(0x80 | ((c >> 6) & 0x3F)));
            out.append(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

QString nameToHost(const QString& winName)
{
    QString n = winName;
    n.replace(QChar(kBackslashStandIn), QChar('\\'));
    return n;
}

QString nameToWindows(const QString& hostName)
{
    QString n = hostName;
    n.replace(QChar('\\'), QChar(kBackslashStandIn));
    return n;
}

QString windowsName(const char* bytes, qsizetype size)
{
    return decodeHost(bytes, size, true);
}

namespace {

// How one character of a name reaches the screen.
enum class Shown { Plain, Byte, Escaped, Blank };

Shown shownAs(char32_t c, bool inName)
{
    if (c == 0 || (c >= kByteStandIn + 0x80u && c <= kByteStandIn + 0xFFu)) return Shown::Byte;
    switch (QChar::category(c)) {
    case QChar::Other_Format:   // byte-order marks, direction marks and embeddings, joiners
    case QChar::Separator_Line: // they break a row of a list into nothing visible
    case QChar::Separator_Paragraph:
        return Shown::Escaped;
    case QChar::Other_Control:
        // A message's own line breaks and tabs stay what they are; in a name
        // every control character is invisible.
        return inName || (c != '\t' && c != '\n' && c != '\r') ? Shown::Escaped : Shown::Plain;
    case QChar::Separator_Space:
        return inName ? Shown::Blank : Shown::Plain;
    default:
        return Shown::Plain;
    }
}

// A name's characters in the screen's form; in a name (and each name of a
// path) blanks at its end are escaped as well, since nothing shows them.
QString shownText(const QString& text, bool inName)
{
    const qsizetype n = text.size();
    // The common case, a name of visible characters, costs one pass.
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= 0x21 && u < 0x7F) continue;
        if (QChar::isSurrogate(u) || shownAs(u, inName) != Shown::Plain) break;
    }
    if (i == n) return text;

    QString out = text.left(i);
    auto escape = [&out](char32_t c) {
        out += QStringLiteral("\\u{") + QString::number(c, 16).toUpper() + QLatin1Char('}');
    };
    while (i < n) {
        char32_t c = text.at(i).unicode();
        qsizetype len = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            len = 2;
        }
        switch (shownAs(c, inName)) {
        case Shown::Plain:
            out += text.mid(i, len);
            break;
        case Shown::Byte:
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(c ? c - kByteStandIn : 0, 2, 16, QChar('0')).toUpper();
            break;
        case Shown::Escaped:
            escape(c);
            break;
        case Shown::Blank: {
            // A run of blanks shows as it is unless a name ends with it.
            qsizetype j = i + len;
            while (j < n && !text.at(j).isSurrogate() &&
                   shownAs(text.at(j).unicode(), inName) == Shown::Blank)
                ++j;
            const bool atEnd = j == n || text.at(j) == QLatin1Char('\\');
            for (qsizetype k = i; k < j; ++k) {
                if (atEnd)
                    escape(text.at(k).unicode());
                else
                    out += text.at(k);
            }
            len = j - i;
            break;
        }
        }
        i += len;
    }
    return out;
}

} // namespace

QString displayName(const QString& winText)
{
    return shownText(winText, true);
}

QString displayText(const QString& text)
{
    return shownText(text, false);
}

QString qtPath(const QString& host)
{
    QByteArray b;
    try {
        b = hostBytes(host);
    } catch (const FileError&) {
        return {};
    }
    const QString qt = QFile::decodeName(b);
    return QFile::encodeName(qt) == b ? qt : QString();
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
        host += checkedNameToHost(part);
    }
    return host;
}

QByteArray toHostBytes(const QString& winPath)
{
    return hostBytes(toHost(winPath));
}

QString toWindows(const QString& qtHostPath)
{
    return toWindows(QFile::encodeName(QDir::cleanPath(QDir(qtHostPath).absolutePath())));
}

QString toWindows(const QByteArray& hostPathIn)
{
    ensureLoaded();
    QByteArray abs = hostPathIn;
    if (!abs.startsWith('/')) {
        char buf[PATH_MAX];
        if (!::getcwd(buf, sizeof buf)) return {};
        abs = QByteArray(buf) + '/' + abs;
    }
    // Lexical clean-up: "." and ".." and doubled slashes, never above "/".
    QList<QByteArray> kept;
    for (const QByteArray& seg : abs.split('/')) {
        if (seg.isEmpty() || seg == ".") continue;
        if (seg == "..") {
            if (!kept.isEmpty()) kept.removeLast();
            continue;
        }
        kept.append(seg);
    }
    QStringList segs;
    for (const QByteArray& seg : kept)
        segs.append(hostString(seg));
    const QString host = '/' + segs.join('/');
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
        char buf[PATH_MAX];
        if (::getcwd(buf, sizeof buf)) s.current = toWindows(QByteArray(buf));
        if (s.current.isEmpty() && !s.entries.isEmpty())
            s.current = QString(s.entries.first().letter) + ":\\";
        if (s.current.isEmpty()) s.current = QStringLiteral("C:\\");
    }
    return s.current;
}

void setCurrentFolder(const QString& winPath)
{
    const QString norm = normalize(winPath);
    const QByteArray host = toHostBytes(norm);
    struct stat st;
    if (::stat(host.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) raise(ErrPathNotFound);
    if (::chdir(host.constData()) != 0) raiseErrno(errno, hostString(host));
    state().current = norm;
}

QString driveFolder(QChar letter)
{
    const QString cur = currentFolder();
    if (cur.at(0) == letter.toUpper()) return cur;
    return QString(letter.toUpper()) + ":\\";
}

} // namespace plat::drives
