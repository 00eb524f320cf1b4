// Starting the browser: its command line, the automation object around a
// launch, the clean-up at exit and the "Internet Connect" dialog.
#include "mainwindow/form1.h"
#include "mainwindow/help1.h"
#include "mainwindow/splash.h"
#include "platform/app.h"
#include "platform/browser.h"
#include "platform/fileerror.h"
#include "platform/process.h"
#include "testsupport.h"
#include "weblinks/istart.h"
#include "weblinks/module1_browser.h"
#include "weblinks/openinbrowser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// An automation object that counts what is asked of it.
struct Calls {
    int created = 0, quit = 0, busyRead = 0, visibleRead = 0;
};
class CountingAutomation : public plat::BrowserAutomation {
  public:
    CountingAutomation(Calls& calls, bool busy) : m_calls(calls), m_busy(busy) {}
    bool Busy() const override
    {
        ++m_calls.busyRead;
        return m_busy;
    }
    bool Visible() const override
    {
        ++m_calls.visibleRead;
        return false;
    }
    void Quit() override { ++m_calls.quit; }

  private:
    Calls& m_calls;
    bool m_busy;
};

// "stand-in", "busy" or "cannot be created"
void useAutomation(const QString& kind, Calls& calls)
{
    plat::setBrowserAutomationFactory([kind, &calls]() -> std::unique_ptr<plat::BrowserAutomation> {
        if (kind == "cannot be created") plat::raise(429, "ActiveX component can't create object");
        ++calls.created;
        return std::make_unique<CountingAutomation>(calls, kind == "busy");
    });
}

// A folder on PATH holding a stand-in browser program (never run: the process
// seam records the start), or an empty one.
class FakePath {
  public:
    explicit FakePath(bool withBrowser) : m_old(qgetenv("PATH"))
    {
        if (withBrowser) {
            QFile f(m_dir.filePath("x-www-browser"));
            f.open(QIODevice::WriteOnly);
            f.write("#!/bin/sh\nexit 0\n");
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_dir.path().toUtf8());
    }
    ~FakePath() { qputenv("PATH", m_old); }
    QString browser() const { return m_dir.filePath("x-www-browser"); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

class TstBrowser : public QObject {
    Q_OBJECT
    testsupport::TempDrives* m_drives = nullptr;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = new testsupport::TempDrives(1);
        Form1::get();
        Splash::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void cleanupTestCase()
    {
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_drives;
    }
    void cleanup()
    {
        plat::setBrowserAutomationFactory(nullptr);
        IStart::UnloadIfLoaded();
        Help1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The command line is kept as the windows built it; the browser gets the
    // address as one argument, never through a shell.
    void commandLines_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("arguments");
        const QString ie = plat::kBrowserCommand;
        QTest::newRow("empty address: no page") << ie << QStringList{};
        QTest::newRow("blanks and ; stay one argument")
            << ie + "http://example.test/a b;touch x"
            << QStringList{"http://example.test/a b;touch x"};
        QTest::newRow("portal: leading blank, mixed case")
            << IStart::PortalCommandLine() << QStringList{"www.google.com"};
        QTest::newRow("a file path becomes the host path")
            << ie + "C:\\docs\\temp.html" << QStringList{"HOST:C:\\docs\\temp.html"};
    }
    void commandLines()
    {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, arguments);
        for (QString& a : arguments)
            if (a.startsWith("HOST:")) a = m_drives->hostPath(a.mid(5));
        testsupport::RecordingProcesses processes;
        plat::Shell(commandLine, plat::vbMaximizedFocus);
        QCOMPARE(processes.launches.size(), 1);
        const plat::ProcessLaunch& l = processes.launches[0];
        QCOMPARE(l.commandLine, commandLine);
        QCOMPARE(l.program, plat::hostBrowser());
        QCOMPARE(l.arguments, arguments);
        QCOMPARE(l.windowStyle, int(plat::vbMaximizedFocus));
    }

    // Opening step, start step, closing step, as each launcher runs them.
    // An address the browser would read as one of its options starts nothing.
    void optionLikeAddressStartsNothing()
    {
        testsupport::RecordingProcesses processes;
        bool refused = false;
        try {
            plat::Shell(plat::kBrowserCommand + "--new-instance=evil", plat::vbNormalFocus);
        } catch (const plat::FileError& e) {
            refused = e.number() == 5;
        }
        QVERIFY(refused);
        QVERIFY(processes.launches.isEmpty());
    }

    void launchSteps_data()
    {
        QTest::addColumn<QString>("automation");
        QTest::addColumn<bool>("browserStarts");
        QTest::addColumn<int>("quits");
        QTest::addColumn<bool>("launcherUnloads");
        QTest::newRow("stand-in") << "stand-in" << true << 1 << true;
        QTest::newRow("no automation component") << "cannot be created" << true << 0 << true;
        QTest::newRow("busy: no quit, launcher stays") << "busy" << true << 0 << false;
        QTest::newRow("browser does not start") << "stand-in" << false << 1 << true;
    }
    void launchSteps()
    {
        QFETCH(QString, automation);
        QFETCH(bool, browserStarts);
        QFETCH(int, quits);
        QFETCH(bool, launcherUnloads);
        Calls calls;
        useAutomation(automation, calls);
        testsupport::RecordingProcesses processes;
        processes.succeed = browserStarts;
        testsupport::RecordingMessageBoxes boxes;

        const QString address = "www.example.test/search?q=a b";
        auto object = weblinks::OpenBrowserObject();
        QCOMPARE(object != nullptr, automation != "cannot be created");
        weblinks::StartBrowser(address, plat::vbNormalFocus);
        const bool unload = weblinks::CloseBrowserObject(object.get());

        QCOMPARE(processes.launches.size(), 1); // the start is tried in every case
        QCOMPARE(processes.launches[0].commandLine, plat::kBrowserCommand + address);
        QCOMPARE(processes.launches[0].windowStyle, int(plat::vbNormalFocus));
        QCOMPARE(calls.quit, quits);
        QCOMPARE(unload, launcherUnloads);
        QVERIFY(boxes.boxes.isEmpty());
    }

    // File > Exit closes no browser window, tells no window it closes, and ends.
    void exitEndsAtOnce_data()
    {
        QTest::addColumn<QString>("automation");
        QTest::newRow("stand-in") << "stand-in";
        QTest::newRow("no automation component") << "cannot be created";
    }
    void exitEndsAtOnce()
    {
        QFETCH(QString, automation);
        Calls calls;
        useAutomation(automation, calls);
        Form1& f = Form1::get();
        f.mnuHelp1_Click();
        int ended = 0;
        plat::setEndHandler([&ended] { ++ended; });
        f.mnuExit->trigger();
        plat::setEndHandler(nullptr);
        QCOMPARE(ended, 1);
        QCOMPARE(calls.quit, 0);
        QVERIFY(Help1::IsLoaded()); // no unload on the way out
        if (automation == "stand-in") {
            QCOMPARE(calls.created, 1);
            QCOMPARE(calls.visibleRead, 1);
        }
        // the clean-up itself passes the failure on
        if (automation == "cannot be created")
            QVERIFY_THROWS_EXCEPTION(plat::FileError, Module1::CloseBrowserWindows());
    }

    void internetConnect_data()
    {
        QTest::addColumn<bool>("browserFound");
        QTest::addColumn<bool>("browserStarts");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("launched");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("messages");
        QTest::newRow("okay, browser found") << true << true << "okay" << true << false << 0;
        QTest::newRow("okay, no browser: nothing happens")
            << false << true << "okay" << false << true << 0;
        QTest::newRow("okay, browser fails to start: told, stays")
            << true << false << "okay" << true << true << 1;
        QTest::newRow("cancel") << true << true << "cancel" << false << false << 0;
    }
    void internetConnect()
    {
        QFETCH(bool, browserFound);
        QFETCH(bool, browserStarts);
        QFETCH(QString, button);
        QFETCH(bool, launched);
        QFETCH(bool, staysOpen);
        QFETCH(int, messages);
        FakePath path(browserFound);
        testsupport::RecordingProcesses processes;
        processes.succeed = browserStarts;
        testsupport::RecordingMessageBoxes boxes;

        Form1::get().menuItem("mnuIStart")->trigger();
        QVERIFY(IStart::IsLoaded());
        IStart& dlg = IStart::get();
        QCOMPARE(dlg.Caption(), QString("Internet Connect"));
        QCOMPARE(dlg.Label1->Caption(), QString("               Make Internet Connection?"));
        (button == "okay" ? dlg.Command1 : dlg.Command2)->click();

        QCOMPARE(processes.launches.size(), launched ? 1 : 0);
        if (launched) {
            const plat::ProcessLaunch& l = processes.launches[0];
            QCOMPARE(l.commandLine, QString(" c:\\Progra~1\\intern~1\\iexplore www.google.com"));
            QCOMPARE(l.windowStyle, int(plat::vbNormalFocus));
            QCOMPARE(l.program, path.browser());
            QCOMPARE(l.arguments, QStringList{"www.google.com"});
        }
        QCOMPARE(IStart::IsLoaded(), staysOpen);
        QCOMPARE(boxes.boxes.size(), messages);
    }
};

QTEST_MAIN(TstBrowser)
#include "tst_browser.moc"
