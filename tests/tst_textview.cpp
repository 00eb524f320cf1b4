// View Text and View Html: from a file in a pane to the editor and the
// browser.
#include "testsupport.h"

#include "editor/module1.h"
#include "editor/textpad.h"
#include "editor/web1.h"
#include "mainwindow/form1.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace testsupport;

class TstTextView : public QObject {
    Q_OBJECT

    TempDrives* m_drives = nullptr;
    RecordingMessageBoxes* m_boxes = nullptr;
    RecordingProcesses* m_processes = nullptr;

    Form1& main() { return Form1::get(); }

    // Shows a folder in pane n and clicks the file there, as the user does.
    void pick(int n, const QString& folder, const QString& name)
    {
        QVERIFY2(testsupport::pickFile(n, folder, name),
                 qPrintable("no " + name + " in " + folder));
    }

    QStringList browserCalls() const
    {
        QStringList out;
        for (const plat::ProcessLaunch& l : m_processes->launches) {
            out << l.commandLine;
            if (l.windowStyle != 1) out << "style " + QString::number(l.windowStyle);
        }
        return out;
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = new TempDrives(2);
        m_boxes = new RecordingMessageBoxes;
        m_processes = new RecordingProcesses;
    }

    void cleanup()
    {
        Module1::TextChanged = false;
        Web1::UnloadIfLoaded();
        Textpad::UnloadIfLoaded();
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_processes;
        delete m_boxes;
        delete m_drives;
    }

    void textEndings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");
        const QStringList yes = {
            "notes.txt",   "NOTES.TXT",  "Notes.Txt",  "mytxt",      "ini",       "txt",
            "xtxt",        "web.config", "WEB.CONFIG", "Web.Config", "web.Cfg",   "app.cfg",
            "APP.CFG",     "index.html", "INDEX.HTML", "Index.Html", "index.htm", "INDEX.HTM",
            "Index.Htm",   "arial.ttf",  "ARIAL.TTF",  "news.Ago",   "news.AGO",  "copying.gpl",
            "COPYING.GPL", "server.LOG", "server.log", "server.Log", "help.HTT",  "help.htt"};
        const QStringList no = {"notes.tXt", "web.conf", "web.cONFIG",  "index.hTml", "page.HtML",
                                "Arial.Ttf", "news.ago", "Copying.Gpl", "server.lOG", "notes.text",
                                "data.csv",  "a.tx",     "picture.bmp"};
        for (const QString& n : yes)
            QTest::newRow(qPrintable(n)) << n << true;
        for (const QString& n : no)
            QTest::newRow(qPrintable(n)) << n << false;
    }
    void textEndings()
    {
        QFETCH(QString, name);
        QFETCH(bool, opens);
        m_drives->write("C:\\Files\\" + name, "text of " + name.toUtf8());
        pick(3, "C:\\Files", name);
        main().mnuOpenTextFile->trigger();
        QCOMPARE(Textpad::IsLoaded(), opens);
        if (opens) {
            QCOMPARE(Textpad::get().DocumentPath(), "C:\\Files\\" + name);
            QCOMPARE(Textpad::get().txtNote->Text(), "text of " + name);
        }
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void fullPathOfThePanesFile_data()
    {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("root, pane 4") << 4 << "C:\\"
                                      << "boot.ini";
        QTest::newRow("folder, pane 5") << 5 << "C:\\Windows"
                                        << "setup.log";
        QTest::newRow("folder, pane 1") << 1 << "D:\\docs"
                                        << "readme.TXT";
    }
    void fullPathOfThePanesFile()
    {
        QFETCH(int, pane);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        const QString path = Form1::JoinPath(folder, name);
        m_drives->write(path, "x");
        pick(pane, folder, name);
        main().mnuOpenTextFile_Click();
        QCOMPARE(Textpad::get().DocumentPath(), path);
        QCOMPARE(Textpad::get().Caption(), path.toUpper());
        QVERIFY(!path.contains("\\\\"));
    }

    void viewTextNeedsAnActivePaneAndAFile()
    {
        m_drives->write("C:\\a.txt", "x");
        main().FileBox->setListIndex(0);
        main().Text7->setText(QString()); // no pane clicked yet
        main().mnuOpenTextFile_Click();
        QVERIFY(!Textpad::IsLoaded());
        QVERIFY(m_boxes->boxes.isEmpty());

        main().Text7->setText("2"); // pane 2 has no current file
        main().mnuOpenTextFile_Click();
        QCOMPARE(m_boxes->prompts(), QStringList{"Please select an existing file"});
        QCOMPARE(m_boxes->boxes[0].title, QString("Quorbix"));
        QVERIFY(!Textpad::IsLoaded());
    }

    void unreadableFileIsTold()
    {
        m_drives->write("C:\\Old\\kept.txt", "kept");
        m_drives->write("C:\\Files\\gone.txt", "soon gone");
        pick(4, "C:\\Old", "kept.txt");
        main().mnuOpenTextFile_Click();
        Textpad::get().txtNote->setText("edited");
        pick(4, "C:\\Files", "gone.txt");
        QFile::remove(m_drives->hostPath("C:\\Files\\gone.txt"));
        main().mnuOpenTextFile_Click();
        QCOMPARE(m_boxes->prompts(),
                 QStringList{"Cannot open C:\\Files\\gone.txt: File not found"});
        QCOMPARE(Textpad::get().Caption(), QString("C:\\OLD\\KEPT.TXT"));
        QCOMPARE(Textpad::get().txtNote->Text(), QString("edited"));
        QVERIFY(Module1::TextChanged);
    }

    // The single-file view counts its own pane's selection and opens the
    // file a mouse button was last released over, whatever its ending.
    void singleFileView_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<bool>("opens");
        QTest::newRow("none") << QList<int>{} << QStringList{} << false;
        QTest::newRow("one") << QList<int>{1} << QStringList{} << true;
        QTest::newRow("three") << QList<int>{0, 1, 2}
                               << QStringList{"Please select one file at a time."} << false;
    }
    void singleFileView()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, prompts);
        QFETCH(bool, opens);
        for (const char* name : {"a.dat", "b.bin", "c.xyz"})
            m_drives->write(QString("C:\\Data\\") + name, name);
        main().DirBox3->setPath("C:\\Data");
        main().LastFilePath = "C:\\Data\\b.bin";
        for (int row : selected)
            main().FileBox3->setSelected(row, true);
        main().ViewSingleText3();
        QCOMPARE(m_boxes->prompts(), prompts);
        QCOMPARE(Textpad::IsLoaded(), opens);
        if (opens) {
            QVERIFY(Textpad::get().isVisible());
            QCOMPARE(Textpad::get().txtNote->Text(), QString("b.bin"));
            QCOMPARE(Textpad::get().Caption(), QString("C:\\DATA\\B.BIN"));
        }
    }

    // --- View Html ---

    void viewHtmlGateOnAnyPaneFileFromTheActivePane()
    {
        m_drives->write("C:\\Web\\index.htm", "<p>");
        m_drives->write("C:\\Notes\\notes.txt", "plain");
        pick(3, "C:\\Notes", "notes.txt");
        pick(1, "C:\\Web", "index.htm");
        // pane 3 current and active again, without the click that would
        // take pane 1's current file away
        main().FileBox3->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        main().Text7->setText("3");
        main().mnuHtm_0->trigger();
        QCOMPARE(Textpad::get().DocumentPath(), QString("C:\\Notes\\notes.txt"));
        // the viewer opens the first pane with a selection, never a preview nobody asked for
        QCOMPARE(browserCalls(), QStringList{plat::kBrowserCommand + "C:\\Web\\index.htm"});
        QVERIFY(!Textpad::get().HtmlMenuVisible());
    }

    // View Text of a text file first leaves the editor without its HTML
    // menu; View Html of a page then still opens the page.
    void viewHtmlAfterViewTextReachesThePage()
    {
        m_drives->write("C:\\Site\\notes.txt", "plain");
        m_drives->write("C:\\Site\\page.htm", "<p>page</p>");
        pick(2, "C:\\Site", "notes.txt");
        main().mnuOpenTextFile->trigger();
        QVERIFY(!Textpad::get().HtmlMenuVisible());
        pick(2, "C:\\Site", "page.htm");
        main().mnuHtm_0->trigger();
        QCOMPARE(Textpad::get().txtNote->Text(), QString("<p>page</p>"));
        QVERIFY(Textpad::get().HtmlMenuVisible());
        QCOMPARE(browserCalls(), QStringList{plat::kBrowserCommand + "C:\\Site\\page.htm"});
        QCOMPARE(m_processes->launches[0].arguments,
                 QStringList{m_drives->hostPath("C:\\Site\\page.htm")});
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void viewHtmlNeedsAnHtmlNameSomewhere()
    {
        m_drives->write("C:\\Notes\\notes.txt", "plain");
        pick(2, "C:\\Notes", "notes.txt");
        main().mnuHtm_0_Click();
        QVERIFY(!Textpad::IsLoaded());
        QVERIFY(m_processes->launches.isEmpty());
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    // The whole road: a click in a pane, View Html, the editor with its HTML
    // menu, the browser; a text file next, then View Html from a pop-up.
    void viewHtmlRoad()
    {
        m_drives->write("D:\\Site\\index.html", "<h1>site</h1>");
        m_drives->write("C:\\Notes\\notes.txt", "plain");
        pick(2, "D:\\Site", "index.html");
        main().mnuHtm_0->trigger();
        Textpad& pad = Textpad::get();
        QVERIFY(pad.isVisible());
        QCOMPARE(pad.Caption(), QString("D:\\SITE\\INDEX.HTML"));
        QVERIFY(pad.HtmlMenuVisible());
        QCOMPARE(browserCalls(), QStringList{plat::kBrowserCommand + "D:\\Site\\index.html"});
        QCOMPARE(m_processes->launches[0].arguments,
                 QStringList{m_drives->hostPath("D:\\Site\\index.html")});
        QVERIFY(!Web1::IsLoaded());

        pad.txtNote->setSelStart(pad.txtNote->length());
        pad.txtNote->setSelText("<p>more</p>");
        pad.mnuHtmledit1->trigger(); // Show Changes
        QCOMPARE(browserCalls().last(), plat::kBrowserCommand + "D:\\Site\\temp.html");
        QFile preview(m_drives->hostPath("D:\\Site\\temp.html"));
        QVERIFY(preview.open(QIODevice::ReadOnly));
        QCOMPARE(preview.readAll(), QByteArray("<h1>site</h1><p>more</p>\r\n"));

        // the pop-up item of pane 4 acts on the active pane, pane 2; the
        // edits are asked about before the page is loaded again
        m_boxes->answers << plat::vbNo;
        main().menuItem("mnuViewHtml4")->trigger();
        QCOMPARE(m_boxes->prompts(), QStringList{"Save changes to D:\\SITE\\INDEX.HTML?"});
        QCOMPARE(pad.txtNote->Text(), QString("<h1>site</h1>"));
        QCOMPARE(browserCalls().last(), plat::kBrowserCommand + "D:\\Site\\index.html");
        QCOMPARE(browserCalls().size(), 3);
    }

    void viewTextShortcutFromThePatternField()
    {
        m_drives->write("C:\\a.txt", "shortcut");
        pick(1, "C:\\", "a.txt");
        main().Show();
        main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        main().Text1->setFocus();
        QTest::keyClick(main().Text1, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(Textpad::IsLoaded());
        QCOMPARE(Textpad::get().txtNote->Text(), QString("shortcut"));
    }
};

QTEST_MAIN(TstTextView)
#include "tst_textview.moc"
