#pragma once
// Shared fixtures for the tests: temporary drives, a temporary settings
// store, and recording stand-ins for every side effect the program can have.
#include "platform/clipboard.h"
#include "platform/commondialog.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/shellexec.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <initializer_list>

class QAbstractItemView;
class QDialog;
class QWidget;

namespace testsupport {

// A file's bytes, or "<missing>" when there is no file.
QByteArray contents(const QString& hostPath);
// The entries of a list box, in order.
QStringList entries(const QAbstractItemView* list);
// Puts pane n of the main window on a folder, listing all its files.
void showFolder(int pane, const QString& winFolder);
// Selects the named entries of pane n's file list and moves the focus frame
// (the current entry) to `current` without selecting it; with no `current`
// the last named entry becomes the current one. Returns false when a name
// is not listed.
bool selectFiles(int pane, const QStringList& names, const QString& current = QString());
// Opens the folder in pane n and picks the named file as a user's click
// does: selected and current, the list's Click raised (so pane n becomes
// the active pane). False when the name is not listed.
bool pickFile(int pane, const QString& winFolder, const QString& name);

// Writes a w x h 24-bit bitmap file of one colour row by row, so that a
// picture far larger than Qt would take decoded costs no memory to make.
bool writeBitmap(const QString& hostPath, int w, int h, QRgb color);

// Points HOME, the settings store, the trash and the user's data folders at
// a fresh temporary folder, so no test ever sees the user's real settings.
// Call once, before anything touches the store (initTestCase).
void isolateEnvironment();

// What a child process started by inChild() left behind.
struct ChildResult {
    bool exited = false; // ended through _exit (not killed, not timed out)
    int signal = 0;      // the signal that ended it, when it did not exit
    bool timedOut = false;
    QByteArray output; // what the body returned, when it exited
};

// A forked copy of the test process running a body: its process and the
// end of the pipe its body's return value comes through.
struct Child {
    int pid = -1;
    int output = -1;
};
// Starts body in a forked copy of the test process; the caller may work
// beside it (as another program would) before waiting with finishChild.
Child startChild(const std::function<QByteArray()>& body);
// Waits for a child, at most timeoutSeconds (then kills it).
ChildResult finishChild(Child child, int timeoutSeconds = 60);
// Runs body in a forked copy of the test process and waits for it, at most
// timeoutSeconds (then kills it). The body's return value comes back as
// output.
ChildResult inChild(const std::function<QByteArray()>& body, int timeoutSeconds = 60);

// For its lifetime, some of the superuser's privileges (capabilities such
// as CAP_CHOWN) are taken out of this thread's effective set, and put back
// at the end; `what` names them for why(). For an ordinary user it does
// nothing. Construct it with QVERIFY(guard.active()) or skip with
// guard.why().
class WithoutCapabilities {
  public:
    WithoutCapabilities(std::initializer_list<unsigned> caps, const QString& what);
    ~WithoutCapabilities();
    WithoutCapabilities(const WithoutCapabilities&) = delete;
    WithoutCapabilities& operator=(const WithoutCapabilities&) = delete;
    bool active() const { return m_active; }
    QString why() const { return m_why; } // when not active

  private:
    QList<unsigned> m_caps;
    bool m_active = false;
    bool m_dropped = false;
    QString m_why;
};

// For its lifetime, file permissions bind this thread even when the tests
// run as root: the superuser's override of permission bits (CAP_DAC_OVERRIDE,
// CAP_DAC_READ_SEARCH, CAP_FOWNER) is out of the thread's effective set.
class PermissionsBind : public WithoutCapabilities {
  public:
    PermissionsBind();
};

// A drive of a test's own: a file system of `type` ("ext4", "btrfs", ...)
// made by mkfs.<type> in an image file of `megabytes` and mounted through a
// loop device for the object's lifetime, then unmounted (its loop device
// freed with it), also when the test ends half-way. Only the superuser
// mounts: where the test does not run as root, there is no loop device or
// no mkfs for the type, usable() is false and why() says why (a QSKIP).
class LoopDrive {
  public:
    LoopDrive(const QString& type, int megabytes, const QStringList& mkfsOptions = {});
    ~LoopDrive();
    LoopDrive(const LoopDrive&) = delete;
    LoopDrive& operator=(const LoopDrive&) = delete;
    bool usable() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path() const { return m_point; } // where it is mounted
    // The drive's free blocks (statvfs f_bfree) once what it holds is
    // written back; -1 where it cannot tell.
    qint64 freeBlocks() const;
    // The size of those blocks.
    qint64 blockSize() const;

  private:
    QTemporaryDir m_dir; // the image and the mount point
    QString m_point;
    bool m_mounted = false;
    QString m_why;
};

// Temporary folders mapped as drives C: and D: (and more when asked).
class TempDrives {
  public:
    explicit TempDrives(int count = 2);
    ~TempDrives();
    QString host(QChar letter) const;               // host root of a drive
    QString hostPath(const QString& winPath) const; // host path of a Windows path
    // Writes a file (creating folders) under a Windows path; returns it.
    QString write(const QString& winPath, const QByteArray& content = "x");
    QString mkdir(const QString& winPath);

  private:
    QList<QTemporaryDir*> m_dirs;
};

// Records every message box and answers from a queue (default: the first
// button: OK, Yes, Abort or Retry).
class RecordingMessageBoxes : public plat::MessageBoxSeam {
  public:
    struct Box {
        QString prompt;
        int style;
        QString title;
    };
    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& def) override;
    QList<Box> boxes;
    QList<int> answers;          // consumed first to last
    QStringList inputAnswers;    // consumed first to last; a null QString cancels
    QStringList prompts() const; // the prompts shown, in order
    void clear() { boxes.clear(); }
};

// Lets the program's real message and input boxes come up and answers each
// one as soon as it is shown, from inside its own wait, so a test never
// blocks on a box. Keeps what each box said and the window it opened over.
class AnsweredRealBoxes : public QObject {
  public:
    AnsweredRealBoxes();
    ~AnsweredRealBoxes() override;
    // How a box is answered; by default its default button (an input box:
    // OK) is pressed.
    std::function<void(QDialog* box)> answer;
    // Once a box is answered, the keyboard goes to this window, as a window
    // manager may hand it to any window when a box closes.
    QPointer<QWidget> keyboardAfterAnswer;
    QStringList prompts;
    QList<QPointer<QWidget>> over; // the window each box opened over

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Records every program start instead of starting it.
class RecordingProcesses : public plat::ProcessSeam {
  public:
    RecordingProcesses();
    ~RecordingProcesses() override;
    bool start(const plat::ProcessLaunch& launch) override;
    QList<plat::ProcessLaunch> launches;
    bool succeed = true;
};

// Holds the primary selection in place of the system's: text() is what
// another program's middle click would paste now.
class RecordingSelection : public plat::clipboard::SelectionSeam {
  public:
    RecordingSelection();
    ~RecordingSelection() override;
    void offer(std::function<QString()> text) override { m_offered = std::move(text); }
    void withdraw() override { m_offered = {}; }
    QString text() override { return m_offered ? m_offered() : QString(); }

  private:
    std::function<QString()> m_offered;
};

// Records every shell open instead of opening.
class RecordingShellOpen : public plat::ShellOpenSeam {
  public:
    RecordingShellOpen();
    ~RecordingShellOpen() override;
    bool open(const QString& verb, const QString& hostPath, int showCmd) override;
    struct Call {
        QString verb, hostPath;
        int showCmd;
    };
    QList<Call> calls;
};

// Answers the common dialogs from scripts; a dialog with no script is
// cancelled.
class ScriptedDialogs : public plat::DialogSeam {
  public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    bool showColor(plat::CommonDialog& dlg) override;
    bool showOpen(plat::CommonDialog& dlg) override;
    bool showSave(plat::CommonDialog& dlg) override;
    bool showPrinter(plat::CommonDialog& dlg) override;
    QList<int> colors; // each colour dialog takes the next; none left: cancel
    // Windows paths; empty string: cancel; a host path (from "/") is taken
    // as the real dialog takes the user's choice, so one on no drive is
    // refused.
    QStringList openFiles;
    QStringList saveFiles;
    int printerAnswers = 0;         // how many printer dialogs to accept
    QStringList shown;              // "color", "open", "save", "printer" in order
    QList<plat::CommonDialog> seen; // the dialog's properties as each was shown

  private:
    static bool choose(plat::CommonDialog& dlg, const QString& script);
};

// The program's own Open and Save dialogs, set up as for the user, with the
// user's choice taken from a queue in place of exec.
class InspectedFileDialogs {
  public:
    struct Seen {
        bool save = false;
        QList<QUrl> sidebar;      // the side bar's entries
        QStringList sidebarNames; // what a screen reader says of each
        QString directory;        // the folder it opened in (host)
        QStringList selected;     // the file it offered (host)
    };
    InspectedFileDialogs();
    ~InspectedFileDialogs();
    QStringList answers; // host paths; empty string: cancel; none left: cancel
    QList<Seen> seen;
};

} // namespace testsupport
