#include "platform/process.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {

// Starts a program detached (its own session, reaped by no one of ours)
// with exact bytes for its path and arguments: a name only its bytes spell
// must start that file and no other.
bool spawnDetached(const QByteArray& program, const QList<QByteArray>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.constData()));
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execv(argv[0], argv.data());
            const int e = errno;
            (void)!::write(report[1], &e, sizeof e);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int e = 0;
    ssize_t n;
    while ((n = ::read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    // Nothing read: the pipe closed when the program's exec succeeded.
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

class RealProcesses : public ProcessSeam {
  public:
    bool start(const ProcessLaunch& launch) override
    {
        // Qt spells valid UTF-8 exactly; anything else goes by its bytes.
        QList<QByteArray> args;
        bool qtSpells = !drives::qtPath(launch.program).isEmpty();
        try {
            for (const QString& a : launch.arguments) {
                args.append(drives::hostBytes(a));
                qtSpells = qtSpells && !drives::qtPath(a).isEmpty();
            }
            if (!qtSpells) {
                QByteArray program = drives::hostBytes(launch.program);
                if (!program.contains('/'))
                    program = QFile::encodeName(QStandardPaths::findExecutable(launch.program));
                return !program.isEmpty() && spawnDetached(program, args);
            }
        } catch (const FileError&) {
            return false;
        }
        return QProcess::startDetached(launch.program, launch.arguments);
    }
};

ProcessSeam* realSeam()
{
    static RealProcesses real;
    return &real;
}

ProcessSeam*& current()
{
    static ProcessSeam* seam = realSeam();
    return seam;
}

bool looksLikeWindowsPath(const QString& s)
{
    return s.size() >= 3 && s.at(0).isLetter() && s.at(1) == ':' &&
           (s.at(2) == '\\' || s.at(2) == '/');
}

// A page address passes as it is; a Windows file path becomes the host path.
QString hostArgument(const QString& arg)
{
    if (looksLikeWindowsPath(arg)) {
        try {
            return drives::toHost(arg);
        } catch (const FileError&) {
        }
    }
    // No page address or file starts with "-"; the program would take it
    // for one of its options.
    if (arg.startsWith('-')) raise(5, QStringLiteral("not a page or file: ") + arg);
    return arg;
}

// Whether an address names its scheme ("http:", "mailto:", "file:"); a host
// with a port ("localhost:8080") does not.
bool hasScheme(const QString& address)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    static const QRegularExpression hostAndPort(QStringLiteral("^[^:/]+:[0-9]+(/|$)"));
    return scheme.match(address).hasMatch() && !hostAndPort.match(address).hasMatch();
}

// A browser reads an address without a scheme as a host; xdg-open takes it
// for a file name and opens nothing, so it gets the scheme a browser would
// assume. File paths stay as they are.
QString browserArgument(const QString& program, const QString& address)
{
    const QString arg = hostArgument(address);
    if (looksLikeWindowsPath(address) || QFileInfo(program).fileName() != QLatin1String("xdg-open"))
        return arg;
    return hasScheme(arg) ? arg : QStringLiteral("http://") + arg;
}

QString firstOnPath(const QStringList& names)
{
    for (const QString& n : names) {
        const QString found = QStandardPaths::findExecutable(n);
        if (!found.isEmpty()) return found;
    }
    return names.last();
}

} // namespace

void setProcessSeam(ProcessSeam* seam)
{
    current() = seam ? seam : realSeam();
}

QString hostBrowser()
{
    return firstOnPath({"x-www-browser", "xdg-open"});
}

bool knownProgramExists(const QString& winPath)
{
    auto onPath = [](const char* name) { return !QStandardPaths::findExecutable(name).isEmpty(); };
    if (winPath.compare(kBrowserProgramPath, Qt::CaseInsensitive) == 0)
        return onPath("x-www-browser") || onPath("xdg-open");
    if (winPath.compare(kMediaPlayerPath, Qt::CaseInsensitive) == 0) return onPath("xdg-open");
    return fs::fileExists(winPath);
}

ProcessLaunch resolveCommandLine(const QString& commandLine, int windowStyle)
{
    ProcessLaunch l;
    l.commandLine = commandLine;
    l.windowStyle = windowStyle;
    // Some windows put a blank before the browser path or spell it in mixed
    // case; it is the same browser.
    qsizetype lead = 0;
    while (lead < commandLine.size() && commandLine.at(lead) == ' ')
        ++lead;
    if (QStringView(commandLine).mid(lead).startsWith(kBrowserCommand, Qt::CaseInsensitive)) {
        l.program = hostBrowser();
        const QString address = commandLine.mid(lead + kBrowserCommand.size());
        if (!address.isEmpty()) l.arguments << browserArgument(l.program, address);
        return l;
    }
    if (commandLine.startsWith(kMediaPlayerPath, Qt::CaseInsensitive)) {
        l.program = firstOnPath({"xdg-open"});
        QString file = commandLine.mid(kMediaPlayerPath.size()).trimmed();
        // A name with blanks comes enclosed in double quotes: one argument.
        if (file.size() >= 2 && file.startsWith('"') && file.endsWith('"'))
            file = file.mid(1, file.size() - 2);
        if (!file.isEmpty()) l.arguments << hostArgument(file);
        return l;
    }
    // Any other command line is the path of a program of the user's.
    const QString host = drives::toHost(commandLine.trimmed());
    const QByteArray bytes = drives::hostBytes(host);
    struct stat st;
    if (::stat(bytes.constData(), &st) != 0) raise(ErrFileNotFound);
    if (!S_ISREG(st.st_mode) || ::access(bytes.constData(), X_OK) != 0)
        raise(ErrCannotRun, QStringLiteral("not a program"));
    l.program = host;
    return l;
}

double Shell(const QString& commandLine, int windowStyle)
{
    static double nextTask = 1000;
    const ProcessLaunch l = resolveCommandLine(commandLine, windowStyle);
    if (!current()->start(l)) {
        // The program was there a moment ago: the system refused to run it
        // (exec format error: a Windows program, a script without an
        // interpreter line, both common on FAT and NTFS media, which mount
        // every file executable). Only a program that is gone is "not found".
        struct stat st;
        if (l.program.startsWith('/') &&
            ::stat(drives::hostBytes(l.program).constData(), &st) == 0 && S_ISREG(st.st_mode))
            raise(ErrCannotRun, QStringLiteral("cannot be run on this system: ") + l.program);
        raise(ErrFileNotFound, QStringLiteral("could not start ") + l.program);
    }
    return ++nextTask;
}

} // namespace plat
