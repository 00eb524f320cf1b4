// Names that are not plain files: a named pipe, a socket, devices. Every
// road that reads a file must refuse them at once with a message that says
// so, and write nothing: a pipe would hold the open (or the read) for good,
// a device like /dev/zero would fill the memory.
#include "testsupport.h"

#include "editor/module1.h"
#include "editor/module2.h"
#include "editor/textpad.h"
#include "fileops/standby.h"
#include "filesearch/dig.h"
#include "mainwindow/form1.h"
#include "pictureview/realview.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/listview.h"
#include "standalone/archiver.h"
#include "standalone/zipview.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testsupport;

class TstNonFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    int m_socket = -1;

    QString host(const QString& win) const { return m_drives->hostPath(win); }

    // Puts a special file of the kind under the host path, in place of
    // what is there; the reason in *why when the kind cannot be made here.
    bool makeSpecial(const QString& kind, const QString& hostPath, QString* why)
    {
        const QByteArray p = QFile::encodeName(hostPath);
        ::unlink(p.constData());
        if (kind == "named pipe") return ::mkfifo(p.constData(), 0644) == 0;
        if (kind == "socket") {
            m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            if (size_t(p.size()) >= sizeof addr.sun_path) {
                *why = "the temporary path is too long for a socket";
                return false;
            }
            std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
            return ::bind(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        }
        // A device node where we may make one (root), else a link to the
        // system's own: either way the opened file is the device.
        const bool zero = kind == "zero device";
        if (::mknod(p.constData(), S_IFCHR | 0666, zero ? makedev(1, 5) : makedev(1, 3)) == 0)
            return true;
        return ::symlink(zero ? "/dev/zero" : "/dev/null", p.constData()) == 0;
    }

    // Shows a folder in pane n and clicks the file there, as the user does.
    void pick(int n, const QString& folder, const QString& name)
    {
        QVERIFY2(testsupport::pickFile(n, folder, name),
                 qPrintable("no " + name + " in " + folder));
    }

  private slots:
    void initTestCase() { isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }

    void cleanup()
    {
        if (m_socket >= 0) ::close(m_socket);
        m_socket = -1;
        Module1::TextChanged = false;
        RealView::UnloadIfLoaded();
        ZipView::UnloadIfLoaded();
        Standby::UnloadIfLoaded();
        Dig::UnloadIfLoaded();
        Textpad::UnloadIfLoaded();
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_dialogs.reset();
        m_boxes.reset();
        m_drives.reset();
    }

    void refusedOnEveryReadRoad_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("road");
        for (const char* kind : {"named pipe", "socket", "zero device", "null device"})
            for (const char* road :
                 {"pane View Text", "pane View Html", "search View Text", "editor Open", "loader",
                  "archive listing", "Extract", "View Graphic"})
                QTest::newRow(qPrintable(QString(kind) + ", " + road)) << kind << road;
    }

    // Each road meets a name that was a plain file when it was listed and
    // is a special file when it is used.
    void refusedOnEveryReadRoad()
    {
        QFETCH(QString, kind);
        QFETCH(QString, road);
        const bool html = road == "pane View Html";
        const QString name = html ? "page.htm" : road == "View Graphic" ? "pic.bmp" : "notes.txt";
        const QString file = "D:\\work\\" + name;
        m_drives->write(file, "plain text");
        m_drives->mkdir("C:\\atemp0");
        m_drives->mkdir("C:\\atemp");
        // The editor holds a document of its own, which must stay.
        m_drives->write("C:\\kept.txt", "kept");
        QVERIFY(Module2::LoadTextFile("C:\\kept.txt"));
        if (road == "View Graphic") pick(1, "D:\\work", name);
        if (road.startsWith("pane")) {
            pick(3, "D:\\work", name);
            Form1::get().Text7->setText("3");
        }
        QString why;
        if (!makeSpecial(kind, host(file), &why)) QSKIP(qPrintable(why));

        if (road == "pane View Text") {
            Form1::get().mnuOpenTextFile_Click();
        } else if (road == "pane View Html") {
            Form1::get().mnuHtm_0_Click();
        } else if (road == "search View Text") {
            Dig::get().List1->AddItem(file);
            Dig::get().List1->setCurrentRow(0);
            Dig::get().mnuView_Click();
        } else if (road == "editor Open") {
            m_dialogs->openFiles << file;
            Textpad::get().FileOpenProc();
        } else if (road == "loader") {
            QString reason;
            QVERIFY(!Module2::LoadTextFile(file, &reason));
            plat::MsgBox(file + ": " + reason); // the loader gives its reason, to be shown
        } else if (road == "archive listing") {
            plat::ListView list(nullptr, "list");
            try {
                Archiver::ListZipEntries(file, list);
                QFAIL("the archive reader read it");
            } catch (const plat::FileError& e) {
                QCOMPARE(e.number(), int(plat::ErrPathFileAccess));
                QVERIFY(e.explained());
                plat::MsgBox(file + ": " + e.detail());
            }
            QCOMPARE(list.ItemCount(), 0);
        } else if (road == "View Graphic") {
            m_dialogs->openFiles << file;
            Form1::get().mnuBmp_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!RealView::IsLoaded());
        } else if (road == "Extract") {
            plat::drives::setCurrentFolder("D:\\work");
            ZipView& z = ZipView::get();
            z.Listview1->AddItem(name)->setSelected(true);
            z.Listview1->setCurrentItem(z.Listview1->Item(0), 0, QItemSelectionModel::NoUpdate);
            z.mnuExtract->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }

        const QString what = kind.endsWith("device") ? QString("a device") : "a " + kind;
        const QStringList prompts = m_boxes->prompts();
        QCOMPARE(prompts.size(), 1);
        QVERIFY2(prompts[0].contains(name), qPrintable(prompts[0]));
        QVERIFY2(prompts[0].contains("it is " + what + ", not a file that can be read"),
                 qPrintable(prompts[0]));
        // Nothing was written anywhere, and the editor's own text stays.
        QCOMPARE(QDir(host("C:\\atemp0")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
        QCOMPARE(QDir(host("C:\\atemp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
        QCOMPARE(
            QDir(host("D:\\work"))
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{name});
        QCOMPARE(contents(host("C:\\kept.txt")), QByteArray("kept"));
        QCOMPARE(Textpad::get().Caption(), QString("C:\\KEPT.TXT"));
        QCOMPARE(Textpad::get().txtNote->Text(), QString("kept"));
    }

    // A save or a paste whose target is a pipe, a socket or a device, or a
    // link to one, leaves the node as it is (whoever reads the pipe or uses
    // the device keeps it) and is told as a target that cannot be written.
    void targetThatIsNoFileIsKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<QString>("road");
        for (const char* kind : {"named pipe", "socket", "null device", "block device"})
            for (const bool link : {false, true})
                for (const char* road : {"save", "paste"})
                    QTest::newRow(qPrintable(
                        QString("%1%2, %3").arg(kind, link ? " behind a link" : "", road)))
                        << kind << link << road;
    }

    void targetThatIsNoFileIsKept()
    {
        QFETCH(QString, kind);
        QFETCH(bool, throughLink);
        QFETCH(QString, road);
        m_drives->write("C:\\Src\\out.txt", "pasted text");
        m_drives->mkdir("D:\\Dst");
        const QString target = host("D:\\Dst\\out.txt");
        const QString node = throughLink ? host("D:\\Dst\\node") : target;
        QString why;
        if (kind == "block device") {
            // A loop device's numbers: the node is all the test makes.
            struct stat loop;
            if (::geteuid() != 0) QSKIP("a block device is made only as the superuser");
            if (::stat("/dev/loop0", &loop) != 0) QSKIP("no loop device here");
            QCOMPARE(::mknod(QFile::encodeName(node).constData(), S_IFBLK | 0666, loop.st_rdev), 0);
        } else if (!makeSpecial(kind, node, &why)) {
            QSKIP(qPrintable(why));
        }
        if (throughLink) QVERIFY(QFile::link(node, target));
        struct stat before, linkBefore;
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &before), 0);
        QCOMPARE(::lstat(QFile::encodeName(target).constData(), &linkBefore), 0);

        QString message;
        if (road == "save") {
            Textpad::get().txtNote->setText("saved text");
            QVERIFY(!Module2::SaveTextFile("D:\\Dst\\out.txt"));
            message = "Path/File access error";
        } else {
            Form1& f = Form1::get();
            f.List1->AddItem("out.txt");
            plat::clipboard::SetText("C:\\Src");
            showFolder(2, "D:\\Dst");
            f.mnuPasteFile2_Click();
            message = "Path not accesible or write protected";
        }

        QCOMPARE(m_boxes->prompts(), QStringList{message});
        struct stat after, linkAfter;
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &after), 0);
        QCOMPARE(::lstat(QFile::encodeName(target).constData(), &linkAfter), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_rdev, before.st_rdev);
        QCOMPARE(linkAfter.st_ino, linkBefore.st_ino);
        if (throughLink) QCOMPARE(QFileInfo(target).symLinkTarget(), node);
        QStringList names{"out.txt"};
        if (throughLink) names.prepend("node");
        QCOMPARE(
            QDir(host("D:\\Dst"))
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDir::Name),
            names);
    }

    // A link to a plain file is the file.
    void linkToAFileIsRead()
    {
        m_drives->write("C:\\real.txt", "through the link");
        QVERIFY(QFile::link(host("C:\\real.txt"), host("C:\\link.txt")));
        QVERIFY(Module2::LoadTextFile("C:\\link.txt"));
        QCOMPARE(Textpad::get().txtNote->Text(), QString("through the link"));
        QFile f;
        plat::fs::openForReading(f, "C:\\link.txt");
        QCOMPARE(f.readAll(), QByteArray("through the link"));
        QVERIFY(m_boxes->boxes.isEmpty());
    }
};

QTEST_MAIN(TstNonFiles)
#include "tst_nonfiles.moc"
