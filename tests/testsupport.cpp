#include "testsupport.h"

#include "controls/controls.h"
#include "mainwindow/form1.h"
#include "platform/drives.h"
#include "platform/filesys.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool readCaps(__user_cap_header_struct& head, __user_cap_data_struct (&data)[2])
{
    head = {_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &head, data) == 0;
}

bool setEffective(const QList<unsigned>& caps, bool on, QString* why)
{
    __user_cap_header_struct head;
    __user_cap_data_struct data[2];
    if (!readCaps(head, data)) {
        *why = QString("capget: %1").arg(std::strerror(errno));
        return false;
    }
    for (unsigned cap : caps) {
        const __u32 bit = 1u << (cap % 32);
        if (on)
            data[cap / 32].effective |= data[cap / 32].permitted & bit;
        else
            data[cap / 32].effective &= ~bit;
    }
    if (::syscall(SYS_capset, &head, data) != 0) {
        *why = QString("capset: %1").arg(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

WithoutCapabilities::WithoutCapabilities(std::initializer_list<unsigned> caps, const QString& what)
    : m_caps(caps)
{
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    m_dropped = setEffective(m_caps, false, &m_why);
    m_active = m_dropped;
    if (!m_active) m_why = what + " could not be dropped (" + m_why + ")";
}

WithoutCapabilities::~WithoutCapabilities()
{
    QString ignored;
    if (m_dropped) setEffective(m_caps, true, &ignored);
}

PermissionsBind::PermissionsBind()
    : WithoutCapabilities({CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER},
                          "the superuser's override of file permissions")
{
}

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

bool selectFiles(int pane, const QStringList& names, const QString& current)
{
    ctl::FileListBox* l = Form1::get().Pane(pane).file;
    auto rowOf = [l](const QString& name) {
        for (int i = 0; i < l->ListCount(); ++i)
            if (l->List(i) == name) return i;
        return -1;
    };
    for (const QString& name : names) {
        const int r = rowOf(name);
        if (r < 0) return false;
        l->setSelected(r, true);
    }
    const QString focus = current.isNull() && !names.isEmpty() ? names.last() : current;
    if (focus.isEmpty()) return true;
    const int r = rowOf(focus);
    if (r < 0) return false;
    l->setCurrentRow(r, QItemSelectionModel::NoUpdate);
    return true;
}

bool pickFile(int pane, const QString& winFolder, const QString& name)
{
    DriveView& p = Form1::get().Pane(pane);
    p.dir->setPath(winFolder);
    for (int i = 0; i < p.file->ListCount(); ++i)
        if (p.file->List(i) == name) {
            p.file->setSelected(i, true);
            p.file->setListIndex(i);
            return true;
        }
    return false;
}

bool writeBitmap(const QString& hostPath, int w, int h, QRgb color)
{
    const int row = (w * 3 + 3) & ~3;
    QByteArray head(54, '\0');
    auto put32 = [&head](int at, quint32 v) { qToLittleEndian(v, head.data() + at); };
    head[0] = 'B';
    head[1] = 'M';
    put32(2, 54 + quint32(row) * h);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    qToLittleEndian<quint16>(1, head.data() + 26);
    qToLittleEndian<quint16>(24, head.data() + 28);
    put32(34, quint32(row) * h);
    QByteArray line(row, '\0');
    for (int x = 0; x < w; ++x) { // blue, green, red
        line[3 * x] = char(qBlue(color));
        line[3 * x + 1] = char(qGreen(color));
        line[3 * x + 2] = char(qRed(color));
    }
    QFile f(hostPath);
    if (!f.open(QIODevice::WriteOnly) || f.write(head) != head.size()) return false;
    for (int y = 0; y < h; ++y)
        if (f.write(line) != line.size()) return false;
    return f.flush();
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

Child startChild(const std::function<QByteArray()>& body)
{
    Child child;
    int fds[2];
    if (::pipe(fds) != 0) return child;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return child;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray out = body();
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0) break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    child.pid = pid;
    child.output = fds[0];
    return child;
}

ChildResult finishChild(Child child, int timeoutSeconds)
{
    ChildResult result;
    if (child.pid < 0) return result;
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long left = timeoutSeconds * 1000L - ((now.tv_sec - start.tv_sec) * 1000L +
                                                    (now.tv_nsec - start.tv_nsec) / 1000000L);
        if (left <= 0) {
            result.timedOut = true;
            ::kill(child.pid, SIGKILL);
            break;
        }
        pollfd p{child.output, POLLIN, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(child.output, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the child closed its end: it has ended
        result.output.append(buf, n);
    }
    ::close(child.output);
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = !result.timedOut && WIFEXITED(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

ChildResult inChild(const std::function<QByteArray()>& body, int timeoutSeconds)
{
    return finishChild(startChild(body), timeoutSeconds);
}

LoopDrive::LoopDrive(const QString& type, int megabytes, const QStringList& mkfsOptions)
{
    if (::geteuid() != 0) {
        m_why = "a drive is mounted only as the superuser";
        return;
    }
    if (::access("/dev/loop-control", R_OK | W_OK) != 0) {
        m_why = "no loop devices here";
        return;
    }
    const QString mkfs =
        QStandardPaths::findExecutable("mkfs." + type, {"/usr/sbin", "/sbin", "/usr/bin"});
    if (mkfs.isEmpty()) {
        m_why = "mkfs." + type + " is not installed";
        return;
    }
    if (!m_dir.isValid()) {
        m_why = "no temporary folder";
        return;
    }
    // Other users of a test reach the drive too.
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    const QString image = m_dir.path() + "/drive.img";
    m_point = m_dir.path() + "/drive";
    QDir().mkpath(m_point);
    {
        QFile f(image);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(qint64(megabytes) << 20)) {
            m_why = "no room for the drive's image";
            return;
        }
    }
    const auto runs = [this](const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            m_why = program + ": " + QString::fromLocal8Bit(p.readAll()).trimmed();
            return false;
        }
        return true;
    };
    if (!runs(mkfs, QStringList(mkfsOptions) << image)) return;
    // mount(8) gives the loop device back when the drive is unmounted.
    if (!runs("mount", {"-o", "loop", image, m_point})) return;
    m_mounted = true;
}

LoopDrive::~LoopDrive()
{
    if (!m_mounted) return;
    const QByteArray point = QFile::encodeName(m_point);
    // A file still open somewhere (a child killed half-way) holds it: it
    // goes as soon as that is closed.
    if (::umount2(point.constData(), 0) != 0) ::umount2(point.constData(), MNT_DETACH);
}

qint64 LoopDrive::freeBlocks() const
{
    struct statvfs v;
    const int fd = ::open(QFile::encodeName(m_point).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return -1;
    const bool ok = ::syncfs(fd) == 0 && ::fstatvfs(fd, &v) == 0;
    ::close(fd);
    return ok ? qint64(v.f_bfree) : -1;
}

qint64 LoopDrive::blockSize() const
{
    struct statvfs v;
    return ::statvfs(QFile::encodeName(m_point).constData(), &v) == 0 ? qint64(v.f_frsize) : -1;
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
    // The file layer's notices come up as boxes in the program.
    plat::fs::setNoticeSink(
        [](const QString& text) { plat::MsgBox(text, plat::vbOKOnly | plat::vbExclamation); });
}
RecordingMessageBoxes::~RecordingMessageBoxes()
{
    plat::fs::setNoticeSink({});
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

AnsweredRealBoxes::AnsweredRealBoxes()
{
    plat::setMessageBoxSeam(nullptr);
    qApp->installEventFilter(this);
}
AnsweredRealBoxes::~AnsweredRealBoxes()
{
    qApp->removeEventFilter(this);
}

bool AnsweredRealBoxes::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QDialog*>(watched);
    if (event->type() != QEvent::Show || !box || !box->isWindow()) return false;
    auto* message = qobject_cast<QMessageBox*>(box);
    auto* input = qobject_cast<QInputDialog*>(box);
    if (!message && !input) return false;
    prompts << (message ? message->text() : input->labelText());
    over << box->parentWidget();
    // From the box's own wait, once it is up.
    QMetaObject::invokeMethod(
        this,
        [this, shown = QPointer<QDialog>(box)] {
            if (!shown) return;
            if (answer)
                answer(shown);
            else if (auto* m = qobject_cast<QMessageBox*>(shown.data()))
                m->defaultButton()->click();
            else
                shown->accept();
            if (keyboardAfterAnswer) keyboardAfterAnswer->activateWindow();
        },
        Qt::QueuedConnection);
    return false;
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

RecordingSelection::RecordingSelection()
{
    plat::clipboard::setSelectionSeam(this);
}
RecordingSelection::~RecordingSelection()
{
    plat::clipboard::setSelectionSeam(nullptr);
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

bool ScriptedDialogs::choose(plat::CommonDialog& dlg, const QString& script)
{
    if (script.isEmpty()) return false;
    if (script.startsWith('/')) return dlg.takeHostChoice(script); // as the real dialog does
    dlg.FileName = script;
    return true;
}

bool ScriptedDialogs::showOpen(plat::CommonDialog& dlg)
{
    shown << "open";
    seen << dlg;
    if (openFiles.isEmpty()) return false;
    return choose(dlg, openFiles.takeFirst());
}

bool ScriptedDialogs::showSave(plat::CommonDialog& dlg)
{
    shown << "save";
    seen << dlg;
    if (saveFiles.isEmpty()) return false;
    return choose(dlg, saveFiles.takeFirst());
}

InspectedFileDialogs::InspectedFileDialogs()
{
    plat::setDialogSeam(nullptr);
    plat::setFileDialogHook([this](QFileDialog& fd) {
        Seen s;
        s.save = fd.acceptMode() == QFileDialog::AcceptSave;
        s.sidebar = fd.sidebarUrls();
        if (auto* bar = fd.findChild<QAbstractItemView*>(QStringLiteral("sidebar"))) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(bar);
            for (int i = 0; a && i < a->childCount(); ++i)
                if (QAccessibleInterface* row = a->child(i))
                    s.sidebarNames << row->text(QAccessible::Name);
        }
        s.directory = fd.directory().absolutePath();
        s.selected = fd.selectedFiles();
        seen << s;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    });
}
InspectedFileDialogs::~InspectedFileDialogs()
{
    plat::setFileDialogHook({});
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
