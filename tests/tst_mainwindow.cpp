// The main window's panes: the shared rules every command relies on, the
// pane events, the layouts, Select All and the window-level shortcuts.
#include "mainwindow/form1.h"
#include "testsupport.h"

#include "controls/controls.h"
#include "platform/app.h"
#include "platform/drives.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using testsupport::TempDrives;

// A window for the lifecycle test below.
class Probe : public ctl::Form<Probe> {
  public:
    int loads = 0;

  protected:
    void Form_Load() override { ++loads; }
};

class TstMainWindow : public QObject {
    Q_OBJECT

    TempDrives* drives = nullptr;
    testsupport::RecordingMessageBoxes* boxes = nullptr;

    Form1& fresh()
    {
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Form1& f = Form1::get();
        f.Show();
        return f;
    }

    static void click(QAbstractItemView* list, int row, Qt::KeyboardModifiers mods = {},
                      Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), button, mods, r.center());
    }

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        drives = new TempDrives(2);
        drives->write("C:\\a.txt");
        drives->write("C:\\b.txt");
        drives->write("C:\\c.htm");
        drives->write("C:\\.hidden");
        drives->write("C:\\Temp\\x.txt");
        drives->mkdir("C:\\Empty");
        drives->write("D:\\d.txt");
        boxes = new testsupport::RecordingMessageBoxes;
    }
    void cleanupTestCase()
    {
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete boxes;
        delete drives;
    }
    void init()
    {
        boxes->clear();
        plat::drives::setCurrentFolder("C:\\");
    }

    void startsOnTheCurrentFolderWithDefaultPatterns()
    {
        Form1& f = fresh();
        QCOMPARE(f.Caption(), QString("Quorbix"));
        const QStringList patterns{"*.htm", "*.txt", "*.exe", "*.zip", "*.bmp"};
        for (int n = 1; n <= 5; ++n) {
            DriveView& p = f.Pane(n);
            QCOMPARE(p.dir->Path(), QString("C:\\"));
            QCOMPARE(p.pattern->Text(), patterns[n - 1]);
            // the pattern filters only once the button is pressed; hidden files never show
            QCOMPARE(p.file->ListCount(), 3);
            QCOMPARE(p.file->ListIndex(), -1);
        }
        QVERIFY(f.Text6->Text().isEmpty() && f.Text7->Text().isEmpty());
        QVERIFY(!f.Text8->isVisible());
        QStringList bar;
        for (QAction* a : f.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"&File", "View", " Desktop", "&Internet", "Help"}));
    }

    void firstPaneWithSelection_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("expected");
        // setup: per pane "e" empty list, "-" nothing, "cN" current N unselected,
        // "sN" entry N selected (and current)
        QTest::newRow("none") << "- - - - -" << 0;
        QTest::newRow("empty pane skipped") << "e s0 - - -" << 2;
        QTest::newRow("current 2 unselected counts") << "c2 - - - -" << 1;
        QTest::newRow("entry 0 current unselected does not") << "c0 - s1 - -" << 3;
        QTest::newRow("entry 0 selected counts") << "- - - - s0" << 5;
        QTest::newRow("hidden pane counts") << "- - - hidden:s1 -" << 4;
    }
    void firstPaneWithSelection()
    {
        QFETCH(QString, setup);
        QFETCH(int, expected);
        Form1& f = fresh();
        const QStringList parts = setup.split(' ');
        for (int n = 1; n <= 5; ++n) {
            QString s = parts[n - 1];
            ctl::FileListBox* list = f.Pane(n).file;
            if (s.startsWith("hidden:")) {
                f.ApplyLayout(3);
                s = s.mid(7);
            }
            if (s == "e") {
                list->setPattern("*.none");
            } else if (s.startsWith('c')) {
                list->setCurrentRow(s.mid(1).toInt(), QItemSelectionModel::NoUpdate);
            } else if (s.startsWith('s')) {
                list->setCurrentRow(s.mid(1).toInt(), QItemSelectionModel::ClearAndSelect);
            }
        }
        QCOMPARE(f.FirstPaneWithSelection(), expected);
    }

    void clickMakesPaneActiveAndClearsTheOthers()
    {
        Form1& f = fresh();
        click(f.FileBox, 0);
        click(f.FileBox, 1, Qt::ControlModifier);
        QCOMPARE(f.Text7->Text(), QString("1"));
        QCOMPARE(f.FileBox->SelCount(), 2);
        click(f.FileBox2, 2);
        QCOMPARE(f.Text7->Text(), QString("2"));
        QCOMPARE(f.FileBox->SelCount(), 0);
        QCOMPARE(f.FileBox->ListIndex(), -1);
        QCOMPARE(f.FirstPaneWithSelection(), 2);
        QCOMPARE(f.FileBox2->FileName(), QString("c.htm"));
    }

    void rightPressChangesNothing()
    {
        Form1& f = fresh();
        QList<QMenu*> popups;
        ctl::VbForm::setPopupHook([&](ctl::VbForm*, QMenu* m) { popups << m; });
        click(f.FileBox3, 1);
        click(f.FileBox3, 2, {}, Qt::RightButton);
        click(f.DirBox2, 0, {}, Qt::MiddleButton);
        ctl::VbForm::setPopupHook({});
        // taking the focus by keyboard makes no entry current
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.FileBox4->setFocus(Qt::TabFocusReason);
        QVERIFY(f.FileBox4->hasFocus());
        QCOMPARE(f.FileBox4->ListIndex(), -1);
        QCOMPARE(f.FileBox3->ListIndex(), 1);
        QCOMPARE(f.FileBox3->SelCount(), 1);
        QCOMPARE(f.Text7->Text(), QString("3"));
        QCOMPARE(popups, QList<QMenu*>{f.mnuPopup3});
    }

    void folderChangeFollowsAndSetsText6()
    {
        Form1& f = fresh();
        f.Text7->setText("1");
        f.Text8->setText("notice");
        f.Text8->show();
        f.DirBox3->setPath("C:\\Empty");
        QCOMPARE(f.Text6->Text(), QString("3"));
        QCOMPARE(f.FileBox3->Path(), QString("C:\\Empty"));
        QCOMPARE(f.FileBox3->ListCount(), 0);
        QVERIFY(f.Text8->isVisible()); // no files: the notice stays as it was
        f.DirBox3->setPath("C:\\Temp");
        QCOMPARE(f.FileBox3->List(0), QString("x.txt"));
        QVERIFY(!f.Text8->isVisible());
        QCOMPARE(f.Text7->Text(), QString("1"));
        // the other panes' folder lists show the new folder after the refresh
        drives->mkdir("C:\\Made");
        f.DirBox->setPath("C:\\Temp");
        f.DirBox->setPath("C:\\");
        bool found = false;
        for (int i = 0; i < f.DirBox2->count(); ++i)
            found |= f.DirBox2->folderAt(i) == "C:\\Made";
        QVERIFY(found);
        QDir(drives->hostPath("C:\\Made")).removeRecursively();
    }

    void driveChangeFailureKeepsTheFolder()
    {
        Form1& f = fresh();
        f.DirBox2->setPath("C:\\Temp");
        // a drive whose volume is gone
        QList<plat::DriveEntry> table = plat::drives::table();
        table.append({QChar('E'), drives->host('C') + "/no-such-volume", "gone"});
        plat::drives::setTable(table);
        plat::drives::setCurrentFolder("C:\\");
        f.Drive2->Refresh();
        f.Drive2->setCurrentIndex(2);
        f.Drive2_Change();
        QCOMPARE(boxes->prompts(), QStringList{"Device not available or no disk in drive"});
        QCOMPARE(boxes->boxes.first().title, QString("Quorbix"));
        QVERIFY(f.Drive2->Drive().startsWith("e:"));
        QCOMPARE(f.DirBox2->Path(), QString("C:\\Temp"));
        QCOMPARE(f.FileBox2->Path(), QString("C:\\Temp"));
        table.removeLast();
        plat::drives::setTable(table);
        plat::drives::setCurrentFolder("C:\\");
        f.Drive2->Refresh();
        f.Drive2->setCurrentIndex(1);
        f.Drive2_Change();
        QCOMPARE(f.DirBox2->Path(), QString("D:\\"));
        QCOMPARE(f.FileBox2->List(0), QString("d.txt"));
        QCOMPARE(f.Text6->Text(), QString("2"));
    }

    // The user picks an entry of the drive list: only another drive is a change.
    void pickingADrive_data()
    {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("text6");
        QTest::newRow("another drive") << QChar('d') << "D:\\"
                                       << "2";
        QTest::newRow("the same drive again keeps the folder") << QChar('c') << "C:\\Temp"
                                                               << "";
    }
    void pickingADrive()
    {
        QFETCH(QChar, letter);
        QFETCH(QString, folder);
        QFETCH(QString, text6);
        Form1& f = fresh();
        f.DirBox2->setPath("C:\\Temp");
        f.Text6->clear();
        int row = -1;
        for (int i = 0; i < f.Drive2->count(); ++i)
            if (f.Drive2->itemText(i).at(0) == letter) row = i;
        QVERIFY(row >= 0);
        f.Drive2->setCurrentIndex(row);
        emit f.Drive2->activated(row);
        QCOMPARE(f.DirBox2->Path(), folder);
        QCOMPARE(f.FileBox2->Path(), folder);
        QCOMPARE(f.Text6->Text(), text6);
        QVERIFY(boxes->boxes.isEmpty());
    }

    void patternButton_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("htm") << "*.htm" << QStringList{"c.htm"};
        QTest::newRow("upper") << "*.TXT" << QStringList{"a.txt", "b.txt"};
        QTest::newRow("two") << "*.htm;a.*" << QStringList{"a.txt", "c.htm"};
        QTest::newRow("comma as typed") << "*.zip,*.bat" << QStringList{};
        QTest::newRow("bracket") << "[" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{"a.txt", "b.txt", "c.htm"};
    }
    void patternButton()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        Form1& f = fresh();
        f.Text4->setText(pattern);
        f.Command4->Press();
        QCOMPARE(f.FileBox4->Pattern(), pattern);
        QStringList got;
        for (int i = 0; i < f.FileBox4->ListCount(); ++i)
            got << f.FileBox4->List(i);
        QCOMPARE(got, listed);
        QCOMPARE(f.Text8->isVisibleTo(&f), listed.isEmpty());
        if (listed.isEmpty())
            QCOMPARE(f.Text8->Text(), QString("No files of this type in present directory."));
    }

    void fullPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << "C:\\"
                              << "C:\\a.txt";
        QTest::newRow("folder") << "C:\\Temp"
                                << "C:\\Temp\\x.txt";
    }
    void fullPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        Form1& f = fresh();
        f.DirBox->setPath(folder);
        f.FileBox->setCurrentRow(0);
        QCOMPARE(f.FullPath(1), expected);
    }

    void layouts_data()
    {
        QTest::addColumn<int>("panes");
        QTest::addColumn<double>("fileLeft1");
        QTest::addColumn<double>("fileWidth1");
        QTest::newRow("one") << 1 << 4570.0 << 8000.0;
        QTest::newRow("two") << 2 << 4700.0 << 7040.0;
        QTest::newRow("three") << 3 << 180.0 << 3850.0;
        QTest::newRow("four") << 4 << 180.0 << 2885.0;
        QTest::newRow("five") << 5 << 15.0 << 2400.0;
    }
    void layouts()
    {
        QFETCH(int, panes);
        QFETCH(double, fileLeft1);
        QFETCH(double, fileWidth1);
        Form1& f = fresh();
        f.DirBox5->setPath("C:\\Temp");
        f.FileBox5->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        f.Text7->setText("5");
        f.ApplyLayout(panes);
        for (int n = 1; n <= 5; ++n)
            for (QWidget* w : f.Pane(n).controls())
                QCOMPARE(w->isVisibleTo(&f), n <= panes);
        QCOMPARE(ctl::twips(f.FileBox).left, fileLeft1);
        QCOMPARE(ctl::twips(f.FileBox).width, fileWidth1);
        QCOMPARE(ctl::twips(f.Drive3).height, 315.0);
        // hidden panes keep their state, and come back with it
        f.ApplyLayout(5);
        QCOMPARE(f.DirBox5->Path(), QString("C:\\Temp"));
        QVERIFY(f.FileBox5->Selected(0));
        QCOMPARE(f.Text7->Text(), QString("5"));
        QCOMPARE(ctl::twips(f.FileBox5).left, 9550.0);
    }

    void selectAll_data()
    {
        QTest::addColumn<int>("pane");
        QTest::addColumn<int>("current"); // -1 none
        QTest::addColumn<bool>("selectsAll");
        QTest::newRow("pane 1 nothing selected") << 1 << -1 << true;
        QTest::newRow("pane 3 current first") << 3 << 0 << true;
        QTest::newRow("pane 4 nothing") << 4 << -1 << false;
        QTest::newRow("pane 5 current first unselected") << 5 << 0 << false;
        QTest::newRow("pane 4 after a click") << 4 << 1 << true;
    }
    void selectAll()
    {
        QFETCH(int, pane);
        QFETCH(int, current);
        QFETCH(bool, selectsAll);
        Form1& f = fresh();
        ctl::FileListBox* list = f.Pane(pane).file;
        if (current >= 0)
            list->setCurrentRow(current, current == 0 ? QItemSelectionModel::NoUpdate
                                                      : QItemSelectionModel::ClearAndSelect);
        f.SelectAllPane(pane);
        QCOMPARE(list->SelCount() == list->ListCount(), selectsAll);
    }

    void fileSelectAll()
    {
        Form1& f = fresh();
        f.FileBox->setPattern("*.none");
        f.ApplyLayout(1);
        f.FileBox3->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        f.mnuSelectAll0->trigger();
        QCOMPARE(f.FileBox3->SelCount(), 3);
        QVERIFY(boxes->boxes.isEmpty());
        f.FileBox3->Refresh();
        f.mnuSelectAll0->trigger();
        QCOMPARE(boxes->prompts(), QStringList{"Please select a file first"});
    }

    void shortcutsWinOverThePatternField()
    {
        Form1& f = fresh();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.Text2->setFocus();
        QSignalSpy copy(f.mnuCopy, &QAction::triggered);
        f.FileBox2->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(f.Text2, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copy.count(), 1);
        QTest::keyClick(f.Text2, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.FileBox2->SelCount(), 3); // Select All, not the field's text
        QCOMPARE(f.Text2->selectedText(), QString());
    }

    // A window unloaded while events run inside a handler stays alive for
    // that handler, and goes once every such stretch has ended.
    void unloadDuringEventsWaitsForTheHandler()
    {
        Probe& p = Probe::get();
        QCOMPARE(p.loads, 1);
        const QPointer<Probe> alive(&p);
        {
            plat::EventNesting outer; // the handler letting events run
            // Unloaded by an event that runs inside the handler's DoEvents.
            QMetaObject::invokeMethod(
                qApp, [] { Probe::get().Unload(); }, Qt::QueuedConnection);
            plat::DoEvents();
            QVERIFY(!Probe::IsLoaded());
            {
                plat::EventNesting inner; // a message box inside the handler
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(alive); // an inner stretch ended, the outer one still runs
            p.setCaption("still usable");
        }
        // The outermost stretch has ended: the deletion is queued at once.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
        QCOMPARE(Probe::get().loads, 1); // a fresh window, loaded once
        Probe::get().Unload();
    }

    // A click in pane 1 refreshes pane 2: it shows what another program did
    // to its folder a moment before, change after change with no pause, and
    // drops its selection and current entry also when nothing changed.
    void clickShowsOutsideChangesAndDropsTheSelection_data()
    {
        QTest::addColumn<bool>("kept");
        QTest::newRow("folder just changed") << false;
        QTest::newRow("folder quiet, reading kept") << true;
    }
    void clickShowsOutsideChangesAndDropsTheSelection()
    {
        QFETCH(bool, kept);
        Form1& f = fresh();
        const QString folder = kept ? "C:\\Quiet" : "C:\\Busy";
        drives->write(folder + "\\a.txt");
        drives->write(folder + "\\b.txt");
        testsupport::showFolder(2, folder);
        if (kept) {
            // once the folder has been quiet for a moment, a click elsewhere
            // keeps the names the list shows
            QSignalSpy resets(f.FileBox2->model(), &QAbstractItemModel::modelReset);
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    f.FileBox_Click();
                    resets.clear();
                    f.FileBox_Click();
                    return resets.isEmpty();
                }(),
                10000);
        }
        f.FileBox2->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        f.FileBox2->setSelected(0, true);
        click(f.FileBox, 0);
        QCOMPARE(f.FileBox2->ListIndex(), -1);
        QCOMPARE(f.FileBox2->SelCount(), 0);
        QCOMPARE(f.FileBox->ListIndex(), 0);

        const QByteArray host = QFile::encodeName(drives->hostPath(folder));
        ::close(::open(host + "/new.txt", O_CREAT | O_WRONLY, 0600));
        click(f.FileBox, 0);
        QCOMPARE(testsupport::entries(f.FileBox2), (QStringList{"a.txt", "b.txt", "new.txt"}));
        QCOMPARE(::rename(host + "/new.txt", host + "/Other.txt"), 0);
        click(f.FileBox, 0);
        QCOMPARE(testsupport::entries(f.FileBox2), (QStringList{"a.txt", "b.txt", "Other.txt"}));
        QCOMPARE(::unlink(host + "/a.txt"), 0);
        click(f.FileBox, 0);
        QCOMPARE(testsupport::entries(f.FileBox2), (QStringList{"b.txt", "Other.txt"}));
    }

    void vanishedFolderRefreshesEmpty()
    {
        Form1& f = fresh();
        drives->write("C:\\Gone\\g.txt");
        f.DirBox->setPath("C:\\Gone");
        QCOMPARE(f.FileBox->ListCount(), 1);
        QDir(drives->hostPath("C:\\Gone")).removeRecursively();
        f.FileBox->Refresh();
        f.DirBox->Refresh();
        QCOMPARE(f.FileBox->ListCount(), 0);
        click(f.FileBox2, 0);
        QCOMPARE(f.Text7->Text(), QString("2"));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
