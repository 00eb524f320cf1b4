// Opening a pane's file by its type: the double-click dispatch, File > Run,
// the pop-up Run, View Graphic and ZipView items, and View Graphic's gate,
// with real files in temporary folders mapped as drives.
#include "testsupport.h"

#include "editor/textpad.h"
#include "editor/web1.h"
#include "mainwindow/form1.h"
#include "openbytype/typesuffixes.h"
#include "pictureview/realview.h"
#include "platform/drives.h"

#include <QFile>
#include <QtTest>

#include <memory>

using testsupport::RecordingMessageBoxes;
using testsupport::RecordingProcesses;
using testsupport::RecordingShellOpen;
using testsupport::ScriptedDialogs;
using testsupport::TempDrives;

class TstOpenByType : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<RecordingProcesses> m_procs;
    std::unique_ptr<RecordingShellOpen> m_shell;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    Form1& f() { return Form1::get(); }

    void show(int n, const QString& folder) { testsupport::showFolder(n, folder); }
    // Selects the named entries of pane n; the last becomes the current one.
    void select(int n, const QStringList& names)
    {
        QVERIFY2(testsupport::selectFiles(n, names), qPrintable(names.join(',')));
    }
    // Puts a file into a folder, shows the folder in pane n and selects it.
    void pick(int n, const QString& winPath, bool executable = false)
    {
        m_drives->write(winPath);
        if (executable)
            QFile::setPermissions(m_drives->hostPath(winPath),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const int cut = winPath.lastIndexOf('\\');
        show(n, cut == 2 ? winPath.left(3) : winPath.left(cut));
        select(n, {winPath.mid(cut + 1)});
    }
    void unloadWindows()
    {
        RealView::UnloadIfLoaded();
        Web1::UnloadIfLoaded();
        Textpad::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_procs = std::make_unique<RecordingProcesses>();
        m_shell = std::make_unique<RecordingShellOpen>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_drives->mkdir("C:\\Empty");
        for (int n = 1; n <= 5; ++n)
            show(n, "C:\\Empty");
        f().Text7->setText(QString());
    }

    void cleanup()
    {
        unloadWindows();
        m_dialogs.reset();
        m_shell.reset();
        m_procs.reset();
        m_boxes.reset();
        m_drives.reset();
    }

    // --- the suffix lists: last n characters, exact case, no dot ---

    void suffixMatching_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("program upper") << "program"
                                       << "setup.EXE" << true;
        QTest::newRow("program mixed case") << "program"
                                            << "setup.eXe" << false;
        QTest::newRow("program no dot") << "program"
                                        << "setupexe" << true;
        QTest::newRow("program whole name") << "program"
                                            << "exe" << true;
        QTest::newRow("program shorter") << "program"
                                         << "xe" << false;
        QTest::newRow("picture Cur") << "picture"
                                     << "arrow.Cur" << true;
        QTest::newRow("picture no dot") << "picture"
                                        << "screenbmp" << true;
        QTest::newRow("picture JpG") << "picture"
                                     << "a.JpG" << false;
        QTest::newRow("picture jpeg") << "picture"
                                      << "a.jpeg" << false;
        QTest::newRow("picture empty") << "picture"
                                       << "" << false;
        QTest::newRow("dispatch jpeg") << "dispatch"
                                       << "a.jpeg" << true;
        QTest::newRow("dispatch Jpeg") << "dispatch"
                                       << "a.Jpeg" << true;
        QTest::newRow("archive Zip") << "archive"
                                     << "backup.Zip" << true;
        QTest::newRow("archive zIp") << "archive"
                                     << "backup.zIp" << false;
        QTest::newRow("archive Tar.gz") << "archive"
                                        << "src.Tar.gz" << true;
        QTest::newRow("archive TAR.gz") << "archive"
                                        << "src.TAR.gz" << false;
        QTest::newRow("archive tgz") << "archive"
                                     << "src.tgz" << false;
        QTest::newRow("archive gz") << "archive"
                                    << "data.gz" << false;
        QTest::newRow("archive PS.z") << "archive"
                                      << "paper.PS.z" << true;
        QTest::newRow("archive 7z") << "archive"
                                    << "old.7z" << false;
        QTest::newRow("archive guitar") << "archive"
                                        << "guitar" << true;
        QTest::newRow("archive gzip") << "archive"
                                      << "gzip" << true;
        QTest::newRow("archive Zip alone") << "archive"
                                           << "Zip" << true;
        QTest::newRow("archive rar") << "archive"
                                     << "archive.rar" << false;
    }
    void suffixMatching()
    {
        QFETCH(QString, list);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        using namespace openbytype;
        const QStringList& forms = list == "program"   ? ProgramSuffixes
                                   : list == "picture" ? PictureSuffixes
                                   : list == "archive" ? ArchiveSuffixes
                                                       : DispatchPictureSuffixes;
        QCOMPARE(!MatchingForm(name, forms).isEmpty(), matches);
    }

    // --- double-click dispatch ---

    void dispatchByType_data()
    {
        const QString one = plat::kMediaPlayerPath + " ";
        const QString two = plat::kMediaPlayerPath + "  ";
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("command"); // empty: nothing started
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<bool>("viewer");     // the viewer's Open dialog shown

        QTest::newRow("program") << 2 << "C:\\Apps\\setup.EXE"
                                 << "C:\\Apps\\setup.EXE" << 1 << "" << false;
        QTest::newRow("program at a root") << 3 << "D:\\setup.exe"
                                           << "D:\\setup.exe" << 1 << "" << false;
        QTest::newRow("program mixed case") << 2 << "C:\\Apps\\setup.eXe"
                                            << "" << 0 << "Not an executable file" << false;
        QTest::newRow("mp3 pane 2")
            << 2 << "C:\\Music\\song.mp3" << one + "C:\\Music\\song.mp3" << 1 << "" << false;
        QTest::newRow("mp3 pane 1")
            << 1 << "C:\\Music\\song.mp3" << two + "C:\\Music\\song.mp3" << 1 << "" << false;
        QTest::newRow("blank in name") << 4 << "C:\\Music\\my song.mp3"
                                       << two + "\"C:\\Music\\my song.mp3\"" << 1 << "" << false;
        QTest::newRow("blank in name at a root")
            << 1 << "C:\\my song.mp3" << one + "\"C:\\my song.mp3\"" << 1 << "" << false;
        QTest::newRow("blank in folder only")
            << 2 << "C:\\My Music\\song.mp3" << one + "C:\\My Music\\song.mp3" << 1 << "" << false;
        QTest::newRow("root pane 1 maximised")
            << 1 << "C:\\song.mp3" << one + "C:\\song.mp3" << 3 << "" << false;
        QTest::newRow("root pane 2 normal")
            << 2 << "C:\\song.mp3" << one + "C:\\song.mp3" << 1 << "" << false;
        QTest::newRow("mpeg pane 1")
            << 1 << "C:\\Music\\clip.mpeg" << two + "C:\\Music\\clip.mpeg" << 1 << "" << false;
        QTest::newRow("mpeg pane 2") << 2 << "C:\\Music\\clip.mpeg"
                                     << "" << 0 << "Not an executable file" << false;
        QTest::newRow("mpg pane 5")
            << 5 << "C:\\Music\\clip.mpg" << one + "C:\\Music\\clip.mpg" << 1 << "" << false;
        QTest::newRow("MIDI") << 2 << "C:\\Music\\tune.MIDI" << one + "C:\\Music\\tune.MIDI" << 1
                              << "" << false;
        QTest::newRow("MiDi") << 2 << "C:\\Music\\tune.MiDi"
                              << "" << 0 << "Not an executable file" << false;
        QTest::newRow("ends in au")
            << 3 << "C:\\Music\\chateau" << one + "C:\\Music\\chateau" << 1 << "" << false;
        QTest::newRow("text") << 2 << "C:\\Docs\\notes.txt"
                              << "" << 0 << "Not an executable file" << false;
        QTest::newRow("archive") << 2 << "C:\\Docs\\data.zip"
                                 << "" << 0 << "Not an executable file" << false;
        QTest::newRow("no suffix") << 2 << "C:\\Docs\\README"
                                   << "" << 0 << "Not an executable file" << false;
        QTest::newRow("jpg to View Graphic") << 2 << "C:\\Pics\\photo.jpg"
                                             << "" << 0 << "" << true;
        // View Graphic's own gate does not take jpeg: nothing at all
        QTest::newRow("jpeg to View Graphic") << 2 << "C:\\Pics\\photo.jpeg"
                                              << "" << 0 << "" << false;
    }
    void dispatchByType()
    {
        QFETCH(int, pane);
        QFETCH(QString, file);
        QFETCH(QString, command);
        QFETCH(int, style);
        QFETCH(QString, message);
        QFETCH(bool, viewer);
        pick(pane, file, /*executable=*/true);
        f().PaneClick(pane);
        f().PaneDblClick(pane);

        QCOMPARE(m_procs->launches.size(), command.isEmpty() ? 0 : 1);
        if (!command.isEmpty()) {
            QCOMPARE(m_procs->launches[0].commandLine, command);
            QCOMPARE(m_procs->launches[0].windowStyle, style);
        }
        QCOMPARE(m_boxes->prompts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_dialogs->shown, viewer ? QStringList{"open"} : QStringList());
    }

    // The player gets the file as one argument, on the host, without quotes.
    void playerGetsHostPathAsOneArgument()
    {
        pick(2, "C:\\My Music\\my song.mp3");
        f().FileBox2_DblClick();
        QCOMPARE(m_procs->launches.size(), 1);
        QCOMPARE(m_procs->launches[0].arguments,
                 QStringList{m_drives->hostPath("C:\\My Music\\my song.mp3")});
    }

    void htmlGoesToViewHtml()
    {
        pick(3, "C:\\Web\\page.html");
        f().PaneClick(3);
        f().FileBox3_DblClick();
        QVERIFY(!m_boxes->prompts().contains("Not an executable file"));
        // View Html puts the page in the editor and the viewer starts the browser on it
        QCOMPARE(m_procs->launches.size(), 1);
        QCOMPARE(m_procs->launches[0].commandLine,
                 QString("c:\\progra~1\\intern~1\\iexplore C:\\Web\\page.html"));
        QCOMPARE(m_procs->launches[0].arguments,
                 QStringList{m_drives->hostPath("C:\\Web\\page.html")});
    }

    void selectionCount_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("prompts");
        QTest::newRow("none") << QStringList() << QStringList();
        QTest::newRow("two") << QStringList{"a.exe", "b.exe"}
                             << QStringList{"Please select one file at a time."};
    }
    void selectionCount()
    {
        QFETCH(QStringList, selected);
        QFETCH(QStringList, prompts);
        m_drives->write("C:\\Apps\\a.exe");
        m_drives->write("C:\\Apps\\b.exe");
        show(2, "C:\\Apps");
        select(2, selected);
        for (auto run : {&Form1::FileBox2_DblClick, &Form1::mnuRun2_Click}) {
            m_boxes->clear();
            (f().*run)();
            QCOMPARE(m_boxes->prompts(), prompts);
        }
        // File > Run takes the pane only when it has a selection
        m_boxes->clear();
        f().mnuExecute0_Click();
        QCOMPARE(m_boxes->prompts(),
                 selected.isEmpty()
                     ? QStringList{"Please select a executable file with a .exe,.com,.bat,or.sys "
                                   "extension first"}
                     : prompts);
        QVERIFY(m_procs->launches.isEmpty());
    }

    // The name tested is the current entry, and the file opened is that
    // same file; a current entry the user deselected (Ctrl-click) opens
    // nothing, whatever is selected besides. Every road, mixed suffixes.
    void currentVersusSelected_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("opened"); // empty: nothing
        QTest::addColumn<QStringList>("prompts");
        const QStringList none;
        QTest::newRow("program current and selected") << QStringList{"b.exe"} << "b.exe"
                                                      << "C:\\Mix\\b.exe" << none;
        QTest::newRow("program deselected, a program selected") << QStringList{"a.exe"} << "b.exe"
                                                                << "" << none;
        QTest::newRow("text deselected, a page selected")
            << QStringList{"a.htm"} << "notes.txt"
            << "" << QStringList{"Not an executable file"};
        QTest::newRow("page deselected, a text selected") << QStringList{"notes.txt"} << "a.htm"
                                                          << "" << none;
        QTest::newRow("page current and selected") << QStringList{"a.htm"} << "a.htm"
                                                   << "C:\\Mix\\a.htm" << none;
        QTest::newRow("picture deselected, a program selected") << QStringList{"a.exe"} << "pic.bmp"
                                                                << "" << none;
        QTest::newRow("picture current and selected") << QStringList{"pic.bmp"} << "pic.bmp"
                                                      << "C:\\Mix\\pic.bmp" << none;
        QTest::newRow("sound current and selected") << QStringList{"song.mp3"} << "song.mp3"
                                                    << "C:\\Mix\\song.mp3" << none;
        QTest::newRow("sound deselected, a page selected") << QStringList{"a.htm"} << "song.mp3"
                                                           << "" << none;
        QTest::newRow("deselected, nothing selected") << none << "b.exe"
                                                      << "" << none;
        QTest::newRow("deselected, two selected")
            << QStringList{"a.exe", "a.htm"} << "b.exe"
            << "" << QStringList{"Please select one file at a time."};
    }
    void currentVersusSelected()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, current);
        QFETCH(QString, opened);
        QFETCH(QStringList, prompts);
        for (const char* name : {"a.exe", "b.exe", "a.htm", "notes.txt", "song.mp3"}) {
            const QString path = m_drives->write(QStringLiteral("C:\\Mix\\") + name);
            QFile::setPermissions(m_drives->hostPath(path),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QVERIFY(testsupport::writeBitmap(m_drives->hostPath("C:\\Mix\\pic.bmp"), 2, 2, 0xff0000));
        for (auto run :
             {&Form1::FileBox2_DblClick, &Form1::mnuRun2_Click, &Form1::mnuExecute0_Click}) {
            show(2, "C:\\Mix");
            f().PaneClick(2);
            QVERIFY(testsupport::selectFiles(2, selected, current));
            m_boxes->clear();
            m_procs->launches.clear();
            m_dialogs->seen.clear();
            (f().*run)();
            QCOMPARE(m_boxes->prompts(), prompts);
            // what was handed a file: a program, the player, the browser
            // View Html starts, or View Graphic's Open dialog
            QStringList given;
            for (const plat::ProcessLaunch& l : m_procs->launches)
                given.append(l.arguments.isEmpty() ? l.program : l.arguments.last());
            for (const plat::CommonDialog& d : m_dialogs->seen)
                given.append(m_drives->hostPath(d.FileName));
            QCOMPARE(given,
                     opened.isEmpty() ? QStringList() : QStringList{m_drives->hostPath(opened)});
            unloadWindows();
        }
    }

    // A start that fails: the double-click and pop-up Run say why; File > Run
    // goes on silently. Nothing is started either way.
    void failedStart_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("seamRefuses"); // the system's start refuses the file
        QTest::addColumn<QString>("reason");
        const QString cannot = ": it cannot be run on this system.";
        QTest::newRow("no execute bit")
            << "C:\\Apps\\driver.sys" << QByteArray("x") << false << false << cannot;
        // FAT and NTFS media mount every file executable; the system refuses
        // to run these (exec format error)
        QTest::newRow("Windows program")
            << "C:\\Apps\\setup.exe" << QByteArray("MZ\x90\0\3\0\0\0") << true << true << cannot;
        QTest::newRow("script without interpreter line")
            << "C:\\Apps\\go.bat" << QByteArray("echo hello\r\n") << true << true << cannot;
    }
    void failedStart()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(bool, seamRefuses);
        QFETCH(QString, reason);
        m_drives->write(file, content);
        QFile::setPermissions(m_drives->hostPath(file),
                              QFile::ReadOwner | QFile::WriteOwner |
                                  (executable ? QFile::ExeOwner : QFile::Permissions()));
        show(2, "C:\\Apps");
        select(2, {file.mid(file.lastIndexOf('\\') + 1)});
        m_procs->succeed = !seamRefuses;
        for (auto run : {&Form1::FileBox2_DblClick, &Form1::mnuRun2_Click}) {
            m_boxes->clear();
            (f().*run)();
            QCOMPARE(m_boxes->prompts(), QStringList{"Cannot start " + file + reason});
        }
        m_boxes->clear();
        f().mnuExecute0_Click();
        QCOMPARE(m_boxes->prompts(), QStringList());
        if (!seamRefuses) QVERIFY(m_procs->launches.isEmpty());
    }

    // --- File > Run: the first pane with a selection ---

    void runTakesFirstPaneWithSelection_data()
    {
        QTest::addColumn<QList<int>>("selectedPanes");
        QTest::addColumn<int>("started");
        QTest::newRow("panes 2 and 4") << QList<int>{2, 4} << 2;
        QTest::newRow("pane 3 only") << QList<int>{3} << 3;
        QTest::newRow("hidden pane 5") << QList<int>{5} << 5;
    }
    void runTakesFirstPaneWithSelection()
    {
        QFETCH(QList<int>, selectedPanes);
        QFETCH(int, started);
        f().mnuDeskTop1_Click();
        for (int n : selectedPanes)
            pick(n, QStringLiteral("C:\\P%1\\run.exe").arg(n), true);
        f().mnuExecute0_Click();
        QCOMPARE(m_procs->launches.size(), 1);
        QCOMPARE(m_procs->launches[0].commandLine, QStringLiteral("C:\\P%1\\run.exe").arg(started));
        f().DeskTop5_Click();
    }

    // A current entry after the first, with nothing selected, is taken; its
    // dispatch finds no selection and nothing happens.
    void runCurrentEntryWithoutSelection()
    {
        m_drives->write("C:\\Apps\\a.exe");
        m_drives->write("C:\\Apps\\b.exe");
        show(2, "C:\\Apps");
        f().FileBox2->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        f().FileBox2->setSelected(1, false);
        f().mnuExecute0_Click();
        QCOMPARE(m_boxes->prompts(), QStringList());
        QVERIFY(m_procs->launches.isEmpty());
    }

    // --- pop-up View Graphic: this pane's name gates, View Graphic decides ---

    void popupViewGraphic_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("viewer");
        QTest::newRow("bmp") << "a.bmp" << true;
        QTest::newRow("Gif") << "a.Gif" << true;
        QTest::newRow("CUR") << "a.CUR" << true;
        QTest::newRow("no dot") << "agif" << true;
        QTest::newRow("bMp") << "a.bMp" << false;
        QTest::newRow("jpeg") << "a.jpeg" << false;
    }
    void popupViewGraphic()
    {
        QFETCH(QString, name);
        QFETCH(bool, viewer);
        pick(4, "C:\\Pics\\" + name);
        f().mnuGraphic4_Click();
        QCOMPARE(m_dialogs->shown, viewer ? QStringList{"open"} : QStringList());
        QCOMPARE(m_boxes->prompts(), QStringList());
    }

    void popupViewGraphicWithoutCurrentEntry()
    {
        m_drives->write("C:\\Pics\\a.bmp");
        show(4, "C:\\Pics");
        f().mnuGraphic4_Click();
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // --- View Graphic: gate over all names, then the first selection ---

    void viewGraphicGate()
    {
        // no picture name anywhere: nothing, even without any selection
        m_drives->write("C:\\Docs\\a.txt");
        show(1, "C:\\Docs");
        f().mnuBmp_Click();
        QVERIFY(m_boxes->prompts().isEmpty());
        QVERIFY(m_dialogs->shown.isEmpty());

        // a picture name as current entry 0 of pane 3, unselected: the gate
        // passes, the selection test fails
        m_drives->write("C:\\Pics\\0.Gif");
        show(3, "C:\\Pics");
        f().FileBox3->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().mnuBmp_Click();
        QCOMPARE(m_boxes->prompts(), QStringList{"Please select a file first"});
        QVERIFY(m_dialogs->shown.isEmpty());

        // pane 1 selects a text file: the viewer offers pane 1's file
        m_boxes->clear();
        select(1, {"a.txt"});
        f().mnuBmp_Click();
        QVERIFY(m_boxes->prompts().isEmpty());
        QCOMPARE(m_dialogs->shown, QStringList{"open"});
        QCOMPARE(m_dialogs->seen[0].FileName, QString("C:\\Docs\\a.txt"));
    }

    void viewGraphicSkipsEmptyPane()
    {
        show(1, "C:\\Empty");
        pick(2, "D:\\Pics\\b.jpg");
        f().mnuBmp_Click();
        QCOMPARE(m_dialogs->shown, QStringList{"open"});
        QCOMPARE(m_dialogs->seen[0].FileName, QString("D:\\Pics\\b.jpg"));
        QCOMPARE(m_dialogs->seen[0].Filter,
                 QString("Pictures (*.Bmp;*.Cur;*.Gif;*.Ico;*.Jpg;*.Wmf)|*.Bmp;*.Cur;*.Gif;*.Ico;"
                         "*.Jpg;*.Wmf"));
        QVERIFY(!RealView::IsLoaded()); // cancelled: the viewer closed itself
    }

    // --- ZipView ---

    void zipView_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("opened"); // empty: nothing
        QTest::newRow("zip") << "D:\\Work\\report.zip"
                             << "D:\\Work\\report.zip";
        QTest::newRow("root") << "C:\\report.zip"
                              << "C:\\report.zip";
        QTest::newRow("SHAR.z") << "D:\\Work\\notes.SHAR.z"
                                << "D:\\Work\\notes.SHAR.z";
        QTest::newRow("zIp") << "D:\\Work\\backup.zIp"
                             << "";
        QTest::newRow("cab") << "D:\\Work\\setup.cab"
                             << "";
    }
    void zipView()
    {
        QFETCH(QString, file);
        QFETCH(QString, opened);
        pick(3, file);
        f().Text7->setText("1"); // another pane is active: pane 3's own file counts
        f().mnuZipView3_Click();
        QCOMPARE(m_shell->calls.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty()) {
            QCOMPARE(m_shell->calls[0].verb, QString("open"));
            QCOMPARE(m_shell->calls[0].hostPath, m_drives->hostPath(opened));
            QCOMPARE(m_shell->calls[0].showCmd, 5);
        }
        QVERIFY(m_boxes->prompts().isEmpty());
    }

    void zipViewOpensCurrentEntryOnly()
    {
        m_drives->write("D:\\Work\\a.zip");
        m_drives->write("D:\\Work\\b.zip");
        show(2, "D:\\Work");
        select(2, {"a.zip", "b.zip"});
        f().mnuZipView2_Click();
        QCOMPARE(m_shell->calls.size(), 1);
        QCOMPARE(m_shell->calls[0].hostPath, m_drives->hostPath("D:\\Work\\b.zip"));
    }
};

QTEST_MAIN(TstOpenByType)
#include "tst_openbytype.moc"
