// Background colours: the colour commands, the question after them, and the
// colours stored for the next start.
#include "mainwindow/color1.h"
#include "mainwindow/form1.h"
#include "mainwindow/module3.h"
#include "mainwindow/regmodule.h"
#include "mainwindow/splash.h"
#include "platform/colors.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kValueNames{RegModule::kFormColor, RegModule::kDirBoxColor,
                              RegModule::kFileBoxColor};

void unloadAll()
{
    Color1::UnloadIfLoaded();
    Splash::UnloadIfLoaded();
    Form1::UnloadIfLoaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Form1& start()
{
    unloadAll();
    Form1& f = Form1::get();
    Splash::UnloadIfLoaded(); // its ticks play no part here
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return f;
}

// The three stored values, "" where none.
QStringList storedValues()
{
    QStringList out;
    for (const QString& name : kValueNames)
        out << Module3::ReadRegValue(Module3::HKEY_CURRENT_USER, RegModule::kColorKey, name);
    return out;
}

// Form, the five folder lists, the five file lists.
QList<int> screenColors(Form1& f)
{
    QList<int> c{f.BackColor()};
    for (int n = 1; n <= 5; ++n)
        c << ctl::backColor(f.Pane(n).dir);
    for (int n = 1; n <= 5; ++n)
        c << ctl::backColor(f.Pane(n).file);
    return c;
}
QList<int> screen(int form, int dirs, int file1, int files)
{
    return {form, dirs, dirs, dirs, dirs, dirs, file1, files, files, files, files};
}
constexpr int B = plat::vbBlue, W = plat::vbWhite, SYS = plat::vbWindowBackground;
constexpr int RED = 255, GREEN = 65280, GREY = 8421504;

} // namespace

class TstColors : public QObject {
    Q_OBJECT
    testsupport::TempDrives* m_drives = nullptr;
    QTemporaryDir m_stores;
    int m_storeNo = 0;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = new testsupport::TempDrives(1);
    }
    void cleanupTestCase()
    {
        unloadAll();
        delete m_drives;
    }
    void cleanup() { unloadAll(); }

    // commands: "desktop", "folders", "files" in order, each taking the next
    // scripted colour (none left: the dialog is cancelled); answer: "okay",
    // "cancel", "close" (title bar) or "" (Color1 never shown).
    void colourCommands_data()
    {
        QTest::addColumn<QStringList>("before"); // stored values before the start
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QList<int>>("shown");     // on screen after the answer
        QTest::addColumn<QStringList>("stored");   // stored after the answer
        QTest::addColumn<QList<int>>("nextStart"); // on screen at the next start

        const QStringList none{"", "", ""};
        const QList<int> design = screen(B, B, SYS, W);
        QTest::newRow("desktop, okay")
            << none << QStringList{"desktop"} << QList<int>{RED} << "okay" << screen(RED, B, SYS, W)
            << QStringList{"255", "", ""} << screen(RED, B, SYS, W);
        QTest::newRow("files, okay: all five files")
            << none << QStringList{"files"} << QList<int>{GREEN} << "okay"
            << screen(B, B, GREEN, GREEN) << QStringList{"", "", "65280"}
            << screen(B, B, GREEN, GREEN);
        QTest::newRow("desktop then files, okay stores only files")
            << none << QStringList{"desktop", "files"} << QList<int>{RED, GREEN} << "okay"
            << screen(RED, B, GREEN, GREEN) << QStringList{"", "", "65280"}
            << screen(B, B, GREEN, GREEN);
        QTest::newRow("folders twice, okay stores the last")
            << none << QStringList{"folders", "folders"} << QList<int>{RED, GREEN} << "okay"
            << screen(B, GREEN, SYS, W) << QStringList{"", "65280", ""} << screen(B, GREEN, SYS, W);
        QTest::newRow("cancel, never stored: new colour stays for this run")
            << none << QStringList{"folders"} << QList<int>{RED} << "cancel"
            << screen(B, RED, SYS, W) << none << design;
        QTest::newRow("cancel puts back the stored folders colour")
            << QStringList{"", "8421504", ""} << QStringList{"folders"} << QList<int>{RED}
            << "cancel" << screen(B, GREY, SYS, W) << QStringList{"", "8421504", ""}
            << screen(B, GREY, SYS, W);
        QTest::newRow("cancel puts back the stored desktop colour")
            << QStringList{"0", "", ""} << QStringList{"desktop"} << QList<int>{RED} << "cancel"
            << screen(0, B, SYS, W) << QStringList{"0", "", ""} << screen(0, B, SYS, W);
        QTest::newRow("cancel with a damaged stored value leaves the screen")
            << QStringList{"", "", "white"} << QStringList{"files"} << QList<int>{RED} << "cancel"
            << screen(B, B, RED, RED) << QStringList{"", "", "white"} << design;
        QTest::newRow("title bar close: nothing stored, nothing put back")
            << QStringList{"", "0", ""} << QStringList{"folders"} << QList<int>{RED} << "close"
            << screen(B, RED, SYS, W) << QStringList{"", "0", ""} << screen(B, 0, SYS, W);
        QTest::newRow("cancelled colour dialog changes nothing")
            << QStringList{"255", "", ""} << QStringList{"desktop"} << QList<int>{} << ""
            << screen(RED, B, SYS, W) << QStringList{"255", "", ""} << screen(RED, B, SYS, W);
    }
    void colourCommands()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, commands);
        QFETCH(QList<int>, chosen);
        QFETCH(QString, answer);
        QFETCH(QList<int>, shown);
        QFETCH(QStringList, stored);
        QFETCH(QList<int>, nextStart);

        plat::Registry::useFile(m_stores.filePath(QStringLiteral("r%1.sqlite3").arg(++m_storeNo)));
        for (int i = 0; i < 3; ++i)
            if (!before[i].isEmpty())
                Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, RegModule::kColorKey,
                                       kValueNames[i], before[i]);
        Form1& f = start();
        testsupport::ScriptedDialogs dialogs;
        dialogs.colors = chosen;

        for (const QString& c : commands) {
            if (c == "desktop")
                f.mnuBackGround->trigger();
            else if (c == "folders")
                f.mnu_Folders->trigger();
            else
                f.mnu_Files->trigger();
        }
        QCOMPARE(dialogs.shown.size(), commands.size());
        for (int i = 0; i < dialogs.seen.size(); ++i) {
            QVERIFY(dialogs.seen[i].CancelError);
            QCOMPARE(dialogs.seen[i].Flags, int(plat::cdlCCRGBInit));
            if (i > 0) // the dialog opens with the colour chosen last
                QCOMPARE(dialogs.seen[i].Color, chosen[i - 1]);
        }

        QCOMPARE(Color1::IsLoaded(), !answer.isEmpty());
        if (!answer.isEmpty()) {
            Color1& ask = Color1::get();
            QVERIFY(ask.isVisible());
            const QString last = commands.last();
            const QString kind = last == "desktop"   ? "Desktop"
                                 : last == "folders" ? "Folders"
                                                     : "Files";
            QCOMPARE(ask.Caption(), "New " + kind + " Background Color");
            QCOMPARE(ask.Label1->Caption(),
                     "Keep the new " + kind.toLower() + " background color?");
            if (answer == "okay")
                ask.Command1->click();
            else if (answer == "cancel")
                ask.Command2->click();
            else
                ask.close();
            QVERIFY(!Color1::IsLoaded());
        }
        QCOMPARE(screenColors(f), shown);
        QCOMPARE(storedValues(), stored);

        Form1& next = start();
        QCOMPARE(screenColors(next), nextStart);
    }

    // A confirmed colour the store could not keep (a full disk) is told by
    // its setting's name; the colour stays on screen for this run, and the
    // one stored before is what the next start shows.
    void colourNotKeptIsTold()
    {
        plat::Registry::useFile(m_stores.filePath(QStringLiteral("r%1.sqlite3").arg(++m_storeNo)));
        QVERIFY(Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, RegModule::kColorKey,
                                       RegModule::kDirBoxColor, "8421504"));
        Form1& f = start();
        testsupport::ScriptedDialogs dialogs;
        testsupport::RecordingMessageBoxes boxes;
        dialogs.colors = {RED};
        f.mnu_Folders->trigger();
        plat::Registry::setFailWritesForTests(true);
        Color1::get().Command1->click();
        plat::Registry::setFailWritesForTests(false);
        QCOMPARE(boxes.prompts(), QStringList{"The setting \"DirBox BackColor\" was not kept: the "
                                              "disk holding the settings file is full."});
        QCOMPARE(boxes.boxes[0].style, int(plat::vbExclamation));
        QCOMPARE(screenColors(f), screen(B, RED, SYS, W));
        QCOMPARE(storedValues(), (QStringList{"", "8421504", ""}));
    }

    // The drive lists, pattern fields and buttons never change colour.
    void otherControlsKeepTheirColours()
    {
        plat::Registry::useFile(m_stores.filePath(QStringLiteral("r%1.sqlite3").arg(++m_storeNo)));
        Form1& f = start();
        auto others = [&f] {
            QList<int> c;
            for (int n = 1; n <= 5; ++n)
                for (QWidget* w : {static_cast<QWidget*>(f.Pane(n).drive),
                                   static_cast<QWidget*>(f.Pane(n).pattern),
                                   static_cast<QWidget*>(f.Pane(n).button)})
                    c << ctl::backColor(w);
            return c;
        };
        const QList<int> before = others();
        testsupport::ScriptedDialogs dialogs;
        dialogs.colors = {RED, GREEN, GREY};
        f.mnuBackGround_Click();
        f.mnu_Folders_Click();
        f.mnu_Files_Click();
        QCOMPARE(others(), before);
    }
};

QTEST_MAIN(TstColors)
#include "tst_colors.moc"
