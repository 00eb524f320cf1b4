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
    explicit FakePath(const QString& program) : m_old(qgetenv("PATH")), m_program(program)
    {
        if (!program.isEmpty()) {
            QFile f(m_dir.filePath(program));
            f.open(QIODevice::WriteOnly);
            f.write("#!/bin/sh\nexit 0\n");
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_dir.path().toUtf8());
    }
    ~FakePath() { qputenv("PATH", m_old); }
    QString browser() const { return m_dir.filePath(m_program); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_old;
    QString m_program;
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
        FakePath path("x-www-browser");
        testsupport::RecordingProcesses processes;
        plat::Shell(commandLine, plat::vbMaximizedFocus);
        QCOMPARE(processes.launches.size(), 1);
        const plat::ProcessLaunch& l = processes.launches[0];
        QCOMPARE(l.commandLine, commandLine);
        QCOMPARE(l.program, path.browser());
        QCOMPARE(l.arguments, arguments);
        QCOMPARE(l.windowStyle, int(plat::vbMaximizedFocus));
    }

    // xdg-open takes an address without a scheme for a file: it gets the
    // scheme a browser assumes; addresses with one and file paths stay.
    void openerGetsAScheme_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("argument");
        QTest::newRow("host") << "www.example.test"
                              << "http://www.example.test";
        QTest::newRow("host with port and path") << "localhost:8080/a b"
                                                 << "http://localhost:8080/a b";
        QTest::newRow("http stays") << "http://example.test/"
                                    << "http://example.test/";
        QTest::newRow("https stays") << "https://example.test/"
                                     << "https://example.test/";
        QTest::newRow("mailto stays") << "mailto:ana@example.test"
                                      << "mailto:ana@example.test";
        QTest::newRow("a file path becomes the host path") << "C:\\docs\\temp.html"
                                                           << "HOST:C:\\docs\\temp.html";
    }
    void openerGetsAScheme()
    {
        QFETCH(QString, address);
        QFETCH(QString, argument);
        if (argument.startsWith("HOST:")) argument = m_drives->hostPath(argument.mid(5));
        FakePath path("xdg-open");
        testsupport::RecordingProcesses processes;
        plat::Shell(plat::kBrowserCommand + address, plat::vbNormalFocus);
        QCOMPARE(processes.launches.size(), 1);
        QCOMPARE(processes.launches[0].program, path.browser());
        QCOMPARE(processes.launches[0].arguments, QStringList{argument});
        QCOMPARE(processes.launches[0].commandLine, plat::kBrowserCommand + address);
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
        QTest::addColumn<QString>("program"); // the user's browser program on PATH
        QTest::addColumn<bool>("browserStarts");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("argument"); // empty: nothing starts
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("messages");
        QTest::newRow("okay, browser found") << "x-www-browser" << true << "okay"
                                             << "www.google.com" << false << 0;
        QTest::newRow("okay, only xdg-open: the host as a web address")
            << "xdg-open" << true << "okay"
            << "http://www.google.com" << false << 0;
        QTest::newRow("okay, no browser: nothing happens") << "" << true << "okay"
                                                           << "" << true << 0;
        QTest::newRow("okay, browser fails to start: told, stays")
            << "x-www-browser" << false << "okay"
            << "www.google.com" << true << 1;
        QTest::newRow("okay, xdg-open fails to start: told, stays")
            << "xdg-open" << false << "okay"
            << "http://www.google.com" << true << 1;
        QTest::newRow("cancel") << "x-www-browser" << true << "cancel"
                                << "" << false << 0;
    }
    void internetConnect()
    {
        QFETCH(QString, program);
        QFETCH(bool, browserStarts);
        QFETCH(QString, button);
        QFETCH(QString, argument);
        QFETCH(bool, staysOpen);
        QFETCH(int, messages);
        FakePath path(program);
        testsupport::RecordingProcesses processes;
        processes.succeed = browserStarts;
        testsupport::RecordingMessageBoxes boxes;

        Form1::get().menuItem("mnuIStart")->trigger();
        QVERIFY(IStart::IsLoaded());
        IStart& dlg = IStart::get();
        QCOMPARE(dlg.Caption(), QString("Internet Connect"));
        QCOMPARE(dlg.Label1->Caption(), QString("               Make Internet Connection?"));
        (button == "okay" ? dlg.Command1 : dlg.Command2)->click();

        QCOMPARE(processes.launches.size(), argument.isEmpty() ? 0 : 1);
        if (!argument.isEmpty()) {
            const plat::ProcessLaunch& l = processes.launches[0];
            QCOMPARE(l.commandLine, QString(" c:\\Progra~1\\intern~1\\iexplore www.google.com"));
            QCOMPARE(l.windowStyle, int(plat::vbNormalFocus));
            QCOMPARE(l.program, path.browser());
            QCOMPARE(l.arguments, QStringList{argument});
        }
        QCOMPARE(IStart::IsLoaded(), staysOpen);
        QCOMPARE(boxes.boxes.size(), messages);
    }
};

QTEST_MAIN(TstBrowser)
#include "tst_browser.moc"
