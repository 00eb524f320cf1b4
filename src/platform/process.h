#pragma once
// Starting other programs. The windows pass the original's command line
// ("c:\progra~1\intern~1\iexplore " + address); this layer maps the known
// Windows programs to the user's own and never goes through a shell, so no
// file name or search text can run as a command.
#include <QString>
#include <QStringList>

namespace plat {

enum WindowStyle {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6
};

inline const QString kBrowserCommand = QStringLiteral("c:\\progra~1\\intern~1\\iexplore ");
inline const QString kMediaPlayerPath =
    QStringLiteral("C:\\Program Files\\Windows Media Player\\wmplayer.exe");

// A file that is there but that this system cannot run as a program (no
// execute bit, or a format the system refuses).
enum ProcessErrorNumber { ErrCannotRun = 5 };

struct ProcessLaunch {
    QString commandLine; // the program's own command line, as the windows built it
    int windowStyle = vbMinimizedFocus;
    QString program; // host program actually started (the drives layer's text form)
    QStringList arguments;
};

class ProcessSeam {
  public:
    virtual ~ProcessSeam() = default;
    virtual bool start(const ProcessLaunch& launch) = 0;
};
void setProcessSeam(ProcessSeam* seam); // nullptr restores the real start

// Resolves a command line to the host program and its arguments. Throws
// FileError 53 when the program is not there.
ProcessLaunch resolveCommandLine(const QString& commandLine, int windowStyle);

// Starts the program of a command line and returns a task id (non-zero).
// Throws FileError 53 for a missing program, 5 (ErrCannotRun) for a file the
// system cannot run.
double Shell(const QString& commandLine, int windowStyle = vbMinimizedFocus);

// The user's web browser (x-www-browser, else xdg-open).
QString hostBrowser();

// The browser program's own path, which the windows test for before they
// start it.
inline const QString kBrowserProgramPath =
    QStringLiteral("c:\\Program Files\\Internet Explorer\\iexplore.exe");

// Whether a program named by its Windows path is there. The fixed browser
// and media-player paths stand for the user's own programs, so they count as
// there when the user has a browser or an opener on PATH.
bool knownProgramExists(const QString& winPath);

} // namespace plat
