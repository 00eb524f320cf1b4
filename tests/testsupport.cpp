#include "testsupport.h"

#include "controls/controls.h"
#include "mainwindow/form1.h"
#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace testsupport {

QByteArray contents(const QString& hostPath)
{
    QFile f(hostPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries(const QAbstractItemView* list)
{
    QStringList out;
    const QAbstractItemModel* m = list->model();
    for (int i = 0; i < m->rowCount(); ++i)
        out.append(m->index(i, 0).data().toString());
    return out;
}

void showFolder(int pane, const QString& winFolder)
{
    DriveView& p = Form1::get().Pane(pane);
    p.drive->Refresh();
    p.dir->setPath(winFolder);
    p.file->setPath(winFolder);
    p.file->setPattern("*.*");
}

void isolateEnvironment()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/.cache").toUtf8());
    qputenv("QUORBIX_REGISTRY", (home.path() + "/registry.sqlite3").toUtf8());
    QDir().mkpath(home.path() + "/.local/share");
    QStandardPaths::setTestModeEnabled(true);
}

TempDrives::TempDrives(int count)
{
    QList<plat::DriveEntry> table;
    for (int i = 0; i < count; ++i) {
        auto* d = new QTemporaryDir;
        m_dirs.append(d);
        table.append({QChar('C' + i), QFileInfo(d->path()).canonicalFilePath(), QString()});
    }
    plat::drives::setTable(table);
    plat::drives::setCurrentFolder("C:\\");
}

TempDrives::~TempDrives()
{
    QDir::setCurrent(QDir::tempPath());
    qDeleteAll(m_dirs);
}

QString TempDrives::host(QChar letter) const
{
    return plat::drives::find(letter)->hostRoot;
}

QString TempDrives::hostPath(const QString& winPath) const
{
    return plat::drives::toHost(winPath);
}

QString TempDrives::write(const QString& winPath, const QByteArray& content)
{
    const QString h = hostPath(winPath);
    QDir().mkpath(QFileInfo(h).absolutePath());
    QFile f(h);
    if (f.open(QIODevice::WriteOnly)) f.write(content);
    return winPath;
}

QString TempDrives::mkdir(const QString& winPath)
{
    QDir().mkpath(hostPath(winPath));
    return winPath;
}

RecordingMessageBoxes::RecordingMessageBoxes()
{
    plat::setMessageBoxSeam(this);
}
RecordingMessageBoxes::~RecordingMessageBoxes()
{
    plat::setMessageBoxSeam(nullptr);
}

int RecordingMessageBoxes::msgBox(const QString& prompt, int style, const QString& title)
{
    boxes.append({prompt, style, title});
    if (!answers.isEmpty()) return answers.takeFirst();
    switch (style & 7) {
    case plat::vbAbortRetryIgnore:
        return plat::vbAbort;
    case plat::vbYesNoCancel:
    case plat::vbYesNo:
        return plat::vbYes;
    case plat::vbRetryCancel:
        return plat::vbRetry;
    default:
        return plat::vbOK;
    }
}

QString RecordingMessageBoxes::inputBox(const QString& prompt, const QString& title,
                                        const QString& def)
{
    boxes.append({prompt, -1, title});
    if (!inputAnswers.isEmpty()) return inputAnswers.takeFirst();
    return def;
}

QStringList RecordingMessageBoxes::prompts() const
{
    QStringList out;
    for (const Box& b : boxes)
        out << b.prompt;
    return out;
}

RecordingProcesses::RecordingProcesses()
{
    plat::setProcessSeam(this);
}
RecordingProcesses::~RecordingProcesses()
{
    plat::setProcessSeam(nullptr);
}
bool RecordingProcesses::start(const plat::ProcessLaunch& launch)
{
    launches.append(launch);
    return succeed;
}

RecordingShellOpen::RecordingShellOpen()
{
    plat::setShellOpenSeam(this);
}
RecordingShellOpen::~RecordingShellOpen()
{
    plat::setShellOpenSeam(nullptr);
}
bool RecordingShellOpen::open(const QString& verb, const QString& hostPath, int showCmd)
{
    calls.append({verb, hostPath, showCmd});
    return true;
}

ScriptedDialogs::ScriptedDialogs()
{
    plat::setDialogSeam(this);
}
ScriptedDialogs::~ScriptedDialogs()
{
    plat::setDialogSeam(nullptr);
}

bool ScriptedDialogs::showColor(plat::CommonDialog& dlg)
{
    shown << "color";
    seen << dlg;
    if (colors.isEmpty()) return false;
    dlg.Color = colors.takeFirst();
    return true;
}

bool ScriptedDialogs::showOpen(plat::CommonDialog& dlg)
{
    shown << "open";
    seen << dlg;
    if (openFiles.isEmpty()) return false;
    const QString f = openFiles.takeFirst();
    if (f.isEmpty()) return false;
    dlg.FileName = f;
    return true;
}

bool ScriptedDialogs::showSave(plat::CommonDialog& dlg)
{
    shown << "save";
    seen << dlg;
    if (saveFiles.isEmpty()) return false;
    const QString f = saveFiles.takeFirst();
    if (f.isEmpty()) return false;
    dlg.FileName = f;
    return true;
}

bool ScriptedDialogs::showPrinter(plat::CommonDialog& dlg)
{
    shown << "printer";
    seen << dlg;
    if (printerAnswers <= 0) return false;
    --printerAnswers;
    return true;
}

} // namespace testsupport
