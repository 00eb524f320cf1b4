#include "platform/process.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace plat {

namespace {

class RealProcesses : public ProcessSeam {
  public:
    bool start(const ProcessLaunch& launch) override
    {
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
    QFileInfo fi(host);
    if (!fi.exists()) raise(ErrFileNotFound);
    if (!fi.isFile() || !fi.isExecutable()) raise(5, QStringLiteral("not a program"));
    l.program = host;
    return l;
}

double Shell(const QString& commandLine, int windowStyle)
{
    static double nextTask = 1000;
    const ProcessLaunch l = resolveCommandLine(commandLine, windowStyle);
    if (!current()->start(l))
        raise(ErrFileNotFound, QStringLiteral("could not start ") + l.program);
    return ++nextTask;
}

} // namespace plat
