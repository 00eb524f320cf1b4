#pragma once
// Shared fixtures for the tests: temporary drives, a temporary settings
// store, and recording stand-ins for every side effect the program can have.
#include "platform/commondialog.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/shellexec.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

class QAbstractItemView;

namespace testsupport {

// A file's bytes, or "<missing>" when there is no file.
QByteArray contents(const QString& hostPath);
// The entries of a list box, in order.
QStringList entries(const QAbstractItemView* list);
// Puts pane n of the main window on a folder, listing all its files.
void showFolder(int pane, const QString& winFolder);

// Points HOME, the settings store, the trash and the user's data folders at
// a fresh temporary folder, so no test ever sees the user's real settings.
// Call once, before anything touches the store (initTestCase).
void isolateEnvironment();

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

// Records every program start instead of starting it.
class RecordingProcesses : public plat::ProcessSeam {
  public:
    RecordingProcesses();
    ~RecordingProcesses() override;
    bool start(const plat::ProcessLaunch& launch) override;
    QList<plat::ProcessLaunch> launches;
    bool succeed = true;
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
    QList<int> colors;     // each colour dialog takes the next; none left: cancel
    QStringList openFiles; // Windows paths; empty string: cancel
    QStringList saveFiles;
    int printerAnswers = 0;         // how many printer dialogs to accept
    QStringList shown;              // "color", "open", "save", "printer" in order
    QList<plat::CommonDialog> seen; // the dialog's properties as each was shown
};

} // namespace testsupport
