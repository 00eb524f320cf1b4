// The search window and the deep-search window: the walk over temporary
// drives, Stop, Clear and Exit, and the commands on the results (copy list,
// Run, Print to a PDF file, View Text, the pop-up menu).
#include "testsupport.h"

#include "editor/module1.h"
#include "editor/textpad.h"
#include "filesearch/dig.h"
#include "filesearch/form3.h"
#include "filesearch/module1_search.h"
#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/clipboard.h"
#include "platform/commondialog.h"
#include "platform/folderobject.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

using testsupport::RecordingMessageBoxes;
using testsupport::RecordingProcesses;
using testsupport::TempDrives;

namespace {

using testsupport::entries;

// Runs a step each time the list gains an entry (n counts the entries
// added so far), inside the walk's own yield, as a user's click between two
// steps would.
class OnEntry : public QObject {
  public:
    OnEntry(ctl::ListBox* list, std::function<void(int n)> step) : m_step(std::move(step))
    {
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, [this] {
            const int n = ++m_added;
            QTimer::singleShot(0, this, [this, n] { m_step(n); });
        });
    }

  private:
    std::function<void(int)> m_step;
    int m_added = 0;
};

// A control's own Enabled; the search window is laid out disabled.
bool enabled(const QWidget* w)
{
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TstFileSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    QList<QMenu*> m_popups;

    Dig& dig() { return Dig::get(); }

    void search(const QString& folder, const QString& pattern, bool subFolders)
    {
        dig().txtvalue->setText(folder);
        dig().textval->setText(pattern);
        dig().Check1->setChecked(subFolders);
        dig().Command2->Press();
    }

    // C:\T with files, a hidden file, a folder named like a match and a
    // subtree two deep; one file at the root of C:.
    void writeTree()
    {
        for (const char* p :
             {"C:\\root.doc", "C:\\T\\a.txt", "C:\\T\\B.TXT", "C:\\T\\.hidden.txt",
              "C:\\T\\notes.doc", "C:\\T\\sub1\\d.txt", "C:\\T\\sub1\\deep\\e.txt",
              "C:\\T\\sub2\\f.txt", "C:\\T\\sub2\\a.txt", "C:\\T\\c.txt\\inner.doc"})
            m_drives->write(p);
    }

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        ctl::VbForm::setPopupHook([this](ctl::VbForm*, QMenu* m) { m_popups.append(m); });
    }
    void cleanupTestCase() { ctl::VbForm::setPopupHook({}); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_popups.clear();
        plat::clipboard::Clear();
        // Every yield of a walk shows its entry, so a step can follow each.
        plat::setFrameMs(0);
    }

    void cleanup()
    {
        Dig::UnloadIfLoaded();
        Form3::UnloadIfLoaded();
        Textpad::UnloadIfLoaded();
        Form1::UnloadIfLoaded();
        Module1::TextChanged = false;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_boxes.reset();
        m_drives.reset();
        plat::setFrameMs(-1);
    }

    // --- the walk ---

    void searchLists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("label");

        QTest::newRow("wildcard, this folder only")
            << "C:\\T"
            << "*.txt" << false << QStringList{"C:\\T\\.hidden.txt", "C:\\T\\a.txt", "C:\\T\\B.TXT"}
            << " 3 files found in 1 directories"
            << "Searching \r\nC:\\T...";
        QTest::newRow("wildcard, with subfolders, depth first")
            << "C:\\T"
            << "*.txt" << true << QStringList{"C:\\T\\.hidden.txt",
                                              "C:\\T\\a.txt",
                                              "C:\\T\\B.TXT",
                                              "C:\\T\\sub1\\d.txt",
                                              "C:\\T\\sub1\\deep\\e.txt",
                                              "C:\\T\\sub2\\a.txt",
                                              "C:\\T\\sub2\\f.txt"}
            << " 7 files found in 5 directories"
            << "Searching \r\nC:\\T\\sub2...";
        QTest::newRow("exact name, with subfolders")
            << "C:\\T"
            << "a.txt" << true << QStringList{"C:\\T\\a.txt", "C:\\T\\sub2\\a.txt"}
            << " 2 files found in 5 directories"
            << "Searching \r\nC:\\T\\sub2...";
        QTest::newRow("question marks, any case")
            << "C:\\T"
            << "?.TXT" << false << QStringList{"C:\\T\\a.txt", "C:\\T\\B.TXT"}
            << " 2 files found in 1 directories"
            << "Searching \r\nC:\\T...";
        QTest::newRow("drive root")
            << "C:\\"
            << "*.doc" << true
            << QStringList{"C:\\root.doc", "C:\\T\\notes.doc", "C:\\T\\c.txt\\inner.doc"}
            << " 3 files found in 6 directories"
            << "Searching \r\nC:\\T\\sub2...";
        QTest::newRow("folder typed in small letters")
            << "C:\\T\\sub1"
            << "*.*" << false << QStringList{"C:\\T\\sub1\\d.txt"}
            << " 1 files found in 1 directories"
            << "Searching \r\nC:\\T\\SUB1...";
        QTest::newRow("no such folder")
            << "C:\\Nope"
            << "*.*" << true << QStringList{} << " 0 files found in 1 directories"
            << "Searching \r\nC:\\NOPE...";
        QTest::newRow("leading blanks: checked trimmed, walked as typed")
            << "   C:\\T"
            << "*.txt" << true << QStringList{} << " 0 files found in 1 directories"
            << "Searching \r\n   C:\\T...";
        QTest::newRow("a tab around the folder is no blank")
            << "\tC:"
            << "*.*" << false << QStringList{} << " 0 files found in 1 directories"
            << "Searching \r\n\tC:...";
        QTest::newRow("a tab around the name is no blank")
            << "C:\\T"
            << "\tab" << false << QStringList{} << " 0 files found in 1 directories"
            << "Searching \r\nC:\\T...";
        QTest::newRow("a path in the name matches nothing")
            << "C:\\T"
            << "sub1\\*.txt" << true << QStringList{} << " 0 files found in 5 directories"
            << "Searching \r\nC:\\T\\sub2...";
    }
    void searchLists()
    {
        QFETCH(QString, folder);
        QFETCH(QString, pattern);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, found);
        QFETCH(QString, message);
        QFETCH(QString, label);
        writeTree();
        bool hourglassDuringWalk = false;
        OnEntry watch(dig().List1, [&](int) { hourglassDuringWalk = plat::hourglass(); });
        search(folder, pattern, subFolders);
        QCOMPARE(entries(dig().List1), found);
        QCOMPARE(entries(dig().List2), found);
        QCOMPARE(m_boxes->prompts(), QStringList{message});
        QCOMPARE(m_boxes->boxes.first().style, int(plat::vbInformation));
        QCOMPARE(dig().Label1->Caption(), label);
        QVERIFY(!dig().Label1->isHidden());
        QVERIFY(!enabled(dig().Command3));
        QVERIFY(!plat::hourglass());
        if (!found.isEmpty()) QVERIFY(hourglassDuringWalk);
        QCOMPARE(Module1::SearchPath, folder);
        QCOMPARE(Module1::SearchPattern, pattern);
    }

    void countsGoPast32767()
    {
        plat::setFrameMs(-1); // rows in batches, as on the screen
        const QString folder = m_drives->hostPath(m_drives->mkdir("C:\\Many"));
        for (int i = 0; i < 40000; ++i) {
            const QByteArray name = QFile::encodeName(folder + QString("/%1.txt").arg(i));
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        search("C:\\Many", "*.txt", false);
        QCOMPARE(m_boxes->prompts(), QStringList{" 40000 files found in 1 directories"});
        QCOMPARE(dig().List1->ListCount(), 40000);
        QCOMPARE(dig().List2->ListCount(), 40000);
        QCOMPARE(dig().List1->List(39999), QString("C:\\Many\\9999.txt")); // in name order
    }

    // Start Search stays usable during a walk: a second press runs a whole
    // walk of its own, with another folder and pattern, and the first then
    // goes on where it was, with its own pattern, counts and stop signal.
    // Stop pressed in the inner walk stops both.
    void nestedSearchResumesTheOuterWalk_data()
    {
        QTest::addColumn<bool>("stopInner");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("messages"); // the inner walk's first
        QTest::newRow("inner walk runs to its end")
            << false
            << QStringList({"C:\\T\\.hidden.txt", "C:\\T\\a.txt", "C:\\T\\notes.doc",
                            "C:\\T\\c.txt\\inner.doc", "C:\\T\\B.TXT", "C:\\T\\sub1\\d.txt",
                            "C:\\T\\sub1\\deep\\e.txt", "C:\\T\\sub2\\a.txt", "C:\\T\\sub2\\f.txt"})
            << QStringList({" 2 files found in 5 directories", " 7 files found in 5 directories"});
        QTest::newRow("Stop in the inner walk")
            << true << QStringList({"C:\\T\\.hidden.txt", "C:\\T\\a.txt", "C:\\T\\notes.doc"})
            << QStringList({" 1 files found in 1 directories", " 2 files found in 1 directories"});
    }
    void nestedSearchResumesTheOuterWalk()
    {
        QFETCH(bool, stopInner);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, messages);
        writeTree();
        bool startUsable = false;
        bool outerKeepsStop = false;
        OnEntry watch(dig().List1, [&](int n) {
            if (n == 2) { // the outer walk has listed two files
                startUsable = enabled(dig().Command2);
                search("C:\\T", "*.doc", true);
            } else if (n == 3 && stopInner) {
                dig().Command3->Press();
            } else if (n == 5) { // the outer walk again, after the inner one ended
                outerKeepsStop = enabled(dig().Command3) && plat::hourglass();
            }
        });
        search("C:\\T", "*.txt", true);
        QVERIFY(startUsable);
        QCOMPARE(entries(dig().List1), listed);
        QCOMPARE(entries(dig().List2), listed);
        QCOMPARE(m_boxes->prompts(), messages);
        QCOMPARE(outerKeepsStop, !stopInner);
        QVERIFY(enabled(dig().Command2));
        QVERIFY(!enabled(dig().Command3));
        QVERIFY(!plat::hourglass());
    }

    // A keyboard user starts a search with Space: when it ends the focus is
    // still on Start Search, so a second Space searches again and never
    // clears the results by surprise.
    void startSearchKeepsTheFocus()
    {
        writeTree();
        Dig& d = dig();
        d.setEnabled(true);
        d.Show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.txtvalue->setText("C:\\T\\sub2");
        d.textval->setText("*.txt");
        d.Command2->setFocus();
        QTest::keyClick(d.Command2, Qt::Key_Space);
        QCOMPARE(m_boxes->prompts(), QStringList{" 2 files found in 1 directories"});
        QCOMPARE(QApplication::focusWidget(), d.Command2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(d.List1->ListCount(), 4); // searched again, nothing cleared
    }

    void refusedInput_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("message");
        const QString folderMsg = "Please enter Drive name with \":\\\" and Folder name";
        const QString nameMsg = "Please enter complete filename (Example(*.exe),(filename.ext)";
        QTest::newRow("C:") << "C:"
                            << "*.*" << folderMsg;
        QTest::newRow("C: in blanks") << "  C:  "
                                      << "*.*" << folderMsg;
        QTest::newRow("empty folder") << ""
                                      << "*.*" << folderMsg;
        QTest::newRow("*") << "C:\\"
                           << "*" << nameMsg;
        QTest::newRow("ab in blanks") << "C:\\"
                                      << "  ab  " << nameMsg;
        QTest::newRow("empty name") << "C:\\"
                                    << "" << nameMsg;
    }
    void refusedInput()
    {
        QFETCH(QString, folder);
        QFETCH(QString, pattern);
        QFETCH(QString, message);
        m_drives->write("C:\\ab");
        search(folder, pattern, true);
        QCOMPARE(m_boxes->prompts(), QStringList{message});
        QCOMPARE(m_boxes->boxes.first().style, int(plat::vbOKOnly));
        QCOMPARE(dig().List1->ListCount(), 0);
        // the failed check leaves Stop enabled and the progress label up
        QVERIFY(enabled(dig().Command3));
        QVERIFY(!dig().Label1->isHidden());
        QCOMPARE(ctl::twips(dig().txtvalue).width, 2500.0);
    }

    void secondSearchAppendsWithItsOwnCounts()
    {
        writeTree();
        search("C:\\T\\sub1", "*.txt", true);
        search("C:\\T\\sub2", "*.txt", false);
        QCOMPARE(entries(dig().List1),
                 QStringList({"C:\\T\\sub1\\d.txt", "C:\\T\\sub1\\deep\\e.txt",
                              "C:\\T\\sub2\\a.txt", "C:\\T\\sub2\\f.txt"}));
        QCOMPARE(m_boxes->prompts(), QStringList({" 2 files found in 2 directories",
                                                  " 2 files found in 1 directories"}));
        search("C:\\Nope", "*.txt", true);
        QCOMPARE(m_boxes->prompts().last(), QString(" 0 files found in 1 directories"));
    }

    void stopDuringTheWalk()
    {
        for (int i = 0; i < 3; ++i)
            m_drives->write(QString("C:\\S\\one\\%1.txt").arg(i));
        for (int i = 0; i < 10; ++i)
            m_drives->write(QString("C:\\S\\two\\%1.txt").arg(i));
        OnEntry watch(dig().List1, [this](int n) {
            if (n == 5) dig().Command3->Press();
        });
        search("C:\\S", "*.txt", true);
        QCOMPARE(entries(dig().List1),
                 QStringList({"C:\\S\\one\\0.txt", "C:\\S\\one\\1.txt", "C:\\S\\one\\2.txt",
                              "C:\\S\\two\\0.txt", "C:\\S\\two\\1.txt"}));
        // "one" was walked to its end, "two" was cut short
        QCOMPARE(m_boxes->prompts(), QStringList{" 5 files found in 2 directories"});
        QVERIFY(dig().Label1->isHidden());
        QVERIFY(!enabled(dig().Command3));
        QVERIFY(!plat::hourglass());
    }

    void stopWaitsOneSecondAndKeepsTheWindowsResponsive()
    {
        // A zero timer fires on every pass of the event loop: passes during
        // the wait show that the windows keep answering.
        int passes = 0;
        QTimer t;
        connect(&t, &QTimer::timeout, this, [&] { ++passes; });
        t.start(0);
        QElapsedTimer clock;
        clock.start();
        dig().Label1->show();
        dig().Command3_Click();
        QVERIFY(clock.elapsed() >= 1000);
        QVERIFY(clock.elapsed() < 10000); // a bound for a hang, not a race
        QVERIFY(passes >= 10);
        QVERIFY(dig().Label1->isHidden());
    }

    void untickingTheBoxStopsTheDescent()
    {
        for (const char* p : {"C:\\U\\s1\\s.txt", "C:\\U\\s1\\deep\\d.txt", "C:\\U\\s2\\u.txt",
                              "C:\\U\\s2\\deep2\\x.txt"})
            m_drives->write(p);
        OnEntry watch(dig().List1, [this](int n) {
            if (n == 1) dig().Check1->setChecked(false);
        });
        search("C:\\U", "*.txt", true);
        QCOMPARE(entries(dig().List1), QStringList({"C:\\U\\s1\\s.txt", "C:\\U\\s2\\u.txt"}));
        QCOMPARE(m_boxes->prompts(), QStringList{" 2 files found in 1 directories"});
    }

    void walkSurvivesLoopsAndVanishingFolders()
    {
        m_drives->write("C:\\L\\a.txt");
        m_drives->write("C:\\L\\gone\\b.txt");
        m_drives->write("C:\\L\\gone\\c.txt");
        m_drives->write("C:\\L\\last\\d.txt");
        QVERIFY(QFile::link(m_drives->hostPath("C:\\L"), m_drives->hostPath("C:\\L\\loop")));
        QVERIFY(
            QFile::link(m_drives->hostPath("C:\\L\\a.txt"), m_drives->hostPath("C:\\L\\z.txt")));
        const QString gone = m_drives->hostPath("C:\\L\\gone");
        OnEntry watch(dig().List1, [&](int n) {
            if (n == 3) QDir(gone).removeRecursively(); // after gone\b.txt
        });
        search("C:\\L", "*.txt", true);
        // the link to a file is a file; the link back to the folder is not walked
        QCOMPARE(entries(dig().List1),
                 QStringList({"C:\\L\\a.txt", "C:\\L\\z.txt", "C:\\L\\gone\\b.txt",
                              "C:\\L\\gone\\c.txt", "C:\\L\\last\\d.txt"}));
        QCOMPARE(m_boxes->prompts(), QStringList{" 5 files found in 3 directories"});
    }

    void clearResults()
    {
        for (int i = 0; i < 4; ++i)
            m_drives->write(QString("C:\\K\\%1.txt").arg(i));
        dig().Command1->Press(); // an empty list is left alone
        OnEntry watch(dig().List1, [this](int n) {
            if (n == 2) dig().Command1->Press();
        });
        search("C:\\K", "*.txt", false);
        // the walk goes on appending to the emptied lists
        QCOMPARE(entries(dig().List1), QStringList({"C:\\K\\2.txt", "C:\\K\\3.txt"}));
        QCOMPARE(entries(dig().List2), QStringList({"C:\\K\\2.txt", "C:\\K\\3.txt"}));
        QCOMPARE(m_boxes->prompts(), QStringList{" 4 files found in 1 directories"});
    }

    void exitThenSearchAgain()
    {
        writeTree();
        Form1::get().mnuSearchFor_Click();
        search("C:\\T", "*.txt", true);
        QVERIFY(dig().List1->ListCount() > 0);
        dig().mnuExit->trigger();
        QVERIFY(!dig().isVisible());
        QVERIFY(Dig::IsLoaded());
        QVERIFY(dig().Label1->isHidden());
        QCOMPARE(dig().List1->ListCount(), 0);
        QCOMPARE(dig().List2->ListCount(), 0);
        QVERIFY(!enabled(dig().List1));

        Form1::get().mnuSearchFor_Click();
        QVERIFY(dig().isVisible());
        QCOMPARE(dig().txtvalue->Text(), QString());
        QCOMPARE(dig().textval->Text(), QString());
        QVERIFY(dig().Check1->isChecked());
        QVERIFY(!enabled(dig().List1));
        search("C:\\T\\sub2", "f.txt", false);
        QVERIFY(enabled(dig().List1));
        QCOMPARE(entries(dig().List1), QStringList{"C:\\T\\sub2\\f.txt"});
    }

    // A walk that ends because its window was closed tells no one: no
    // count comes up over a window that is gone. The next walk in the
    // window shown again ends with its count as usual.
    void closingTheWindowEndsTheWalkSilently_data()
    {
        QTest::addColumn<bool>("deep");   // the deep-search window, closed by its frame
        QTest::addColumn<bool>("nested"); // closed during a walk started inside another
        // The search window has no close button; one that a window manager
        // draws all the same is its File > Exit.
        QTest::addColumn<bool>("frame");
        QTest::newRow("search window, Exit") << false << false << false;
        QTest::newRow("search window, Exit in a walk inside another") << false << true << false;
        QTest::newRow("search window, closed by its frame") << false << false << true;
        QTest::newRow("deep search, window closed") << true << false << false;
    }
    void closingTheWindowEndsTheWalkSilently()
    {
        QFETCH(bool, deep);
        QFETCH(bool, nested);
        QFETCH(bool, frame);
        writeTree();
        if (deep) {
            Form1::get().ShowDeepSearch();
            Form3& w = Form3::get();
            m_boxes->inputAnswers = QStringList{"C:\\T", "*.txt", "C:\\T\\sub2", "*.txt"};
            OnEntry watch(w.List1, [&](int n) {
                if (n == 2) w.close();
            });
            w.Command6->Press();
            QVERIFY(!Form3::IsLoaded());
            QCOMPARE(m_boxes->boxes.size(), 2); // the two questions, no count
            Form3& again = Form3::get();
            again.Command6->Press();
            QCOMPARE(m_boxes->prompts().last(), QString(" 2 files found in 1 directories"));
            return;
        }
        Form1::get().mnuSearchFor_Click();
        OnEntry watch(dig().List1, [&](int n) {
            if (n == 2 && nested) search("C:\\T\\sub1", "*.txt", true);
            if (n != (nested ? 3 : 2)) return;
            if (frame)
                dig().close();
            else
                dig().mnuExit->trigger();
        });
        search("C:\\T", "*.txt", true);
        QVERIFY(Dig::IsLoaded()); // hidden, as Exit leaves it
        QVERIFY(!dig().isVisible());
        QVERIFY(!enabled(dig().List1));
        QCOMPARE(dig().List1->ListCount(), 0);
        QCOMPARE(m_boxes->prompts(), QStringList{});
        QVERIFY(!enabled(dig().Command3));
        QVERIFY(!plat::hourglass());

        Form1::get().mnuSearchFor_Click();
        search("C:\\T\\sub2", "*.txt", false);
        QCOMPARE(m_boxes->prompts(), QStringList{" 2 files found in 1 directories"});
    }

    // --- the commands on the results ---

    void copyThenPasteIntoAPane()
    {
        m_drives->write("C:\\A\\x.txt", "x from A");
        m_drives->write("C:\\B\\y.doc", "y from B");
        m_drives->write("C:\\B\\z.txt", "not selected");
        m_drives->mkdir("D:\\P");
        Form1& f = Form1::get();
        search("C:\\A", "*.*", false);
        search("C:\\B", "*.*", false);
        QCOMPARE(entries(dig().List1),
                 QStringList({"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\B\\z.txt"}));
        dig().List1->setSelected(0, true);
        dig().List1->setSelected(1, true);
        dig().List1->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        plat::clipboard::SetText("C:\\Elsewhere");
        dig().mnuCopy->trigger();
        QCOMPARE(entries(f.List1), QStringList({"x.txt", "y.doc"}));
        QCOMPARE(entries(f.List2), QStringList({"C:\\A\\x.txt", "C:\\B\\y.doc"}));
        QCOMPARE(entries(dig().List1),
                 QStringList({"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\B\\z.txt"}));
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\Elsewhere"));

        DriveView& pane = f.Pane(2);
        pane.dir->setPath("D:\\P");
        pane.file->setPath("D:\\P");
        f.mnuPasteFile2_Click();
        QVERIFY(QFile::exists(m_drives->hostPath("D:\\P\\x.txt")));
        QFile y(m_drives->hostPath("D:\\P\\y.doc"));
        QVERIFY(y.open(QIODevice::ReadOnly));
        QCOMPARE(y.readAll(), QByteArray("y from B"));
        QVERIFY(!QFile::exists(m_drives->hostPath("D:\\P\\z.txt")));
        QCOMPARE(dig().List1->ListCount(), 0);
        QCOMPARE(dig().List2->ListCount(), 0);

        // a later Copy rebuilds the results from the mirror: only what was
        // found since the paste
        search("C:\\A", "*.*", false);
        dig().List1->setCurrentRow(0);
        dig().mnuCopy->trigger();
        QCOMPARE(entries(dig().List1), QStringList{"C:\\A\\x.txt"});
        QCOMPARE(entries(f.List2), QStringList{"C:\\A\\x.txt"});
        Form1::UnloadIfLoaded();
    }

    void copyTakesPathsAndNamesFromOneSelection()
    {
        Form1& f = Form1::get();
        for (const char* p : {"C:\\A\\e.txt", "C:\\B\\with blank.txt"}) {
            dig().List1->AddItem(p);
            dig().List2->AddItem(p);
        }
        dig().List1->setCurrentRow(0); // selects e.txt
        bool changed = false;
        // the user picks the other file while Copy lets events run
        QTimer::singleShot(0, this, [&] {
            dig().List1->setSelected(0, false);
            dig().List1->setSelected(1, true);
            changed = true;
        });
        dig().mnuCopy->trigger();
        QVERIFY(changed);
        QCOMPARE(entries(f.List2), QStringList{"C:\\A\\e.txt"});
        QCOMPARE(entries(f.List1), QStringList{"e.txt"});
        Form1::UnloadIfLoaded();
    }

    void run_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("starts");
        QTest::newRow("EXE") << "C:\\tools\\setup.EXE" << true;
        QTest::newRow("Bat") << "C:\\tools\\start.Bat" << true;
        QTest::newRow("scr") << "C:\\tools\\saver.scr" << true;
        QTest::newRow("blanks in the path") << "C:\\my tools\\run me.exe" << true;
        QTest::newRow("eXe") << "C:\\tools\\setup.eXe" << false;
        QTest::newRow("txt") << "C:\\a\\readme.txt" << false;
        QTest::newRow("gone") << "C:\\tools\\gone.exe" << false;
        QTest::newRow("not a program") << "C:\\tools\\data.dll" << false;
    }
    void run()
    {
        QFETCH(QString, entry);
        QFETCH(bool, starts);
        if (!entry.contains("gone")) {
            m_drives->write(entry);
            if (!entry.endsWith("dll"))
                QFile::setPermissions(m_drives->hostPath(entry),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        RecordingProcesses processes;
        plat::clipboard::SetText("C:\\PendingCopy");
        dig().List1->AddItem("C:\\other.exe");
        dig().List1->AddItem(entry);
        dig().List1->setCurrentRow(1);
        dig().mnuExecute->trigger();
        QCOMPARE(plat::clipboard::GetText(), entry);
        QCOMPARE(processes.launches.size(), starts ? 1 : 0);
        if (starts) {
            QCOMPARE(processes.launches[0].commandLine, entry);
            QCOMPARE(processes.launches[0].windowStyle, int(plat::vbNormalFocus));
            QCOMPARE(processes.launches[0].program, m_drives->hostPath(entry));
            QVERIFY(processes.launches[0].arguments.isEmpty());
        }
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void runWithoutCurrentEntryEmptiesTheClipboard()
    {
        RecordingProcesses processes;
        plat::clipboard::SetText("C:\\PendingCopy");
        dig().List1->AddItem("C:\\x.exe");
        dig().mnuExecute_Click();
        QCOMPARE(plat::clipboard::GetText(), QString());
        QVERIFY(processes.launches.isEmpty());
    }

    void print_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("printed");
        const QString file = "C:\\out\\list.pdf";
        QTest::newRow("three results") << 3 << true << file << QStringList{} << true;
        QTest::newRow("several pages") << 150 << true << file << QStringList{} << true;
        QTest::newRow("empty list")
            << 0 << true << file << QStringList{"No files presently listed."} << false;
        QTest::newRow("cancelled") << 3 << false << file << QStringList{} << false;
        QTest::newRow("file cannot be written")
            << 3 << true << "C:\\no\\such\\list.pdf"
            << QStringList{"The list could not be printed: the printer cannot print"} << false;
    }
    // Through the desktop's printer dialog, the user choosing to print to a
    // PDF file (on a machine without printers, the only choice it has).
    void print()
    {
        QFETCH(int, count);
        QFETCH(bool, accept);
        QFETCH(QString, file);
        QFETCH(QStringList, messages);
        QFETCH(bool, printed);
        if (printed && QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is needed to read the printout");
        m_drives->mkdir("C:\\out");
        const QString pdf = m_drives->hostPath(file);
        struct Shown {
            bool selectionRange, printToFile;
        };
        QList<Shown> shown;
        plat::setPrintDialogHook([&](QPrintDialog& dialog) {
            shown.append({dialog.testOption(QAbstractPrintDialog::PrintSelection),
                          dialog.testOption(QAbstractPrintDialog::PrintToFile)});
            if (!accept) return false;
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(pdf);
            return true;
        });
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << QString("C:\\results\\file%1.txt").arg(i, 3, 10, QChar('0'));
        dig().List1->AddItems(lines);
        if (count > 1) dig().List1->setSelected(1, true); // the selection plays no part
        dig().mnuPrint->trigger();
        plat::setPrintDialogHook({});
        QCOMPARE(m_boxes->prompts(), messages);
        QCOMPARE(shown.size(), count ? 1 : 0);
        if (count) {
            QVERIFY(!shown[0].selectionRange);
            QVERIFY(shown[0].printToFile);
        }
        QCOMPARE(QFile::exists(pdf), printed);
        if (!printed) return;
        const QString text = pdfText(pdf);
        QStringList got;
        for (const QString& l : text.split('\n')) {
            // the PDF reader gives "fi" back as a ligature
            const QString t = l.normalized(QString::NormalizationForm_KC).trimmed().remove('\f');
            if (!t.isEmpty()) got << t;
        }
        QCOMPARE(got, lines + QStringList{"PRINTED BY QUORBIX"});
        QCOMPARE(text.count('\f') > 1, count > 100);
    }

    void viewText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");
        for (const char* n :
             {"notes.TXT", "page.htm", "web.config", "file.diz", "a.Txt", "fonts.ttf", "setup.inf"})
            QTest::newRow(n) << QString(n) << true;
        for (const char* n : {"page.html", "page.HTML", "a.tXt", "news.ago", "picture.bmp"})
            QTest::newRow(n) << QString(n) << false;
    }
    void viewText()
    {
        QFETCH(QString, name);
        QFETCH(bool, opens);
        const QString path = "C:\\a\\" + name;
        m_drives->write(path, "text of " + name.toUtf8());
        search("C:\\a", "*.*", false);
        dig().List1->setCurrentRow(0);
        dig().mnuView->trigger();
        QCOMPARE(dig().Text1->Text(), name.right(3));
        QCOMPARE(Textpad::IsLoaded(), opens);
        if (opens) {
            QVERIFY(Textpad::get().isVisible());
            QCOMPARE(Textpad::get().DocumentPath(), path);
            QCOMPARE(Textpad::get().Caption(), path.toUpper());
            QCOMPARE(Textpad::get().txtNote->Text(), "text of " + name);
            QVERIFY(!Module1::TextChanged);
        }
        QCOMPARE(m_boxes->prompts().size(), 1); // the search's own message
    }

    void viewTextOfAVanishedFileTellsTheUser()
    {
        dig().List1->AddItem("C:\\a\\gone.txt");
        dig().List1->setCurrentRow(0);
        dig().mnuView_Click();
        QCOMPARE(m_boxes->prompts().size(), 1);
        QVERIFY(m_boxes->prompts()[0].startsWith("Cannot open C:\\a\\gone.txt"));
        QVERIFY(!Textpad::IsLoaded() || !Textpad::get().isVisible());
    }

    void viewTextWithoutCurrentEntryDoesNothing()
    {
        dig().List1->AddItem("C:\\a\\x.txt");
        dig().mnuView_Click();
        QCOMPARE(dig().Text1->Text(), QString());
        QVERIFY(!Textpad::IsLoaded());
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void selectAllAndThePopUp()
    {
        Dig& d = dig();
        d.mnuSelectall_Click(); // empty: nothing to do
        for (const char* p : {"C:\\1.txt", "C:\\2.txt", "C:\\3.txt"})
            d.List1->AddItem(p);
        d.mnuUpSelectall->trigger();
        QVERIFY(d.List1->Selected(0) && d.List1->Selected(1) && d.List1->Selected(2));

        d.setEnabled(true);
        d.Show();
        const QPoint at = d.List1->visualItemRect(d.List1->item(1)).center();
        QTest::mouseRelease(d.List1->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(m_popups.isEmpty());
        QTest::mouseRelease(d.List1->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(m_popups, QList<QMenu*>{d.mnuPopup1});
        QStringList captions;
        for (QAction* a : d.mnuPopup1->actions())
            captions << a->text();
        QCOMPARE(captions, QStringList({"Copy", "SelectAll", "Run", "View Text "}));
    }

    // --- the deep-search window ---

    void deepSearch_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("message");
        QTest::newRow("default answers: the whole drive")
            << QStringList{}
            << QStringList{"C:\\top.txt", "C:\\x\\one.txt", "C:\\x\\two.doc", "C:\\y\\three.txt"}
            << " 4 files found in 3 directories";
        QTest::newRow("two subfolders count three")
            << QStringList{"C:\\", "*.txt"}
            << QStringList{"C:\\top.txt", "C:\\x\\one.txt", "C:\\y\\three.txt"}
            << " 3 files found in 3 directories";
        QTest::newRow("one folder")
            << QStringList{"C:\\x", "*.*"} << QStringList{"C:\\x\\one.txt", "C:\\x\\two.doc"}
            << " 2 files found in 1 directories";
        QTest::newRow("no such folder")
            << QStringList{"C:\\nope", "*.*"} << QStringList{} << " 0 files found in 1 directories";
        QTest::newRow("empty folder answer")
            << QStringList{"", "*.*"} << QStringList{} << " 0 files found in 1 directories";
        QTest::newRow("empty name lists nothing")
            << QStringList{"C:\\", ""} << QStringList{} << " 0 files found in 3 directories";
    }
    void deepSearch()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, found);
        QFETCH(QString, message);
        for (const char* p :
             {"C:\\top.txt", "C:\\x\\one.txt", "C:\\x\\two.doc", "C:\\y\\three.txt"})
            m_drives->write(p);
        m_boxes->inputAnswers = answers;
        Form1::get().ShowDeepSearch();
        Form3& w = Form3::get();
        QVERIFY(w.isVisible());
        w.Command6->Press();
        QCOMPARE(entries(w.List1), found);
        QCOMPARE(m_boxes->boxes.size(), 3);
        QCOMPARE(m_boxes->boxes[0].prompt, QString("Please enter the directory to search"));
        QCOMPARE(m_boxes->boxes[0].title, QString("File Deep Search"));
        QCOMPARE(m_boxes->boxes[1].prompt, QString("Please enter the file name to search"));
        QCOMPARE(m_boxes->boxes[1].title, QString("File Deep Search "));
        QCOMPARE(m_boxes->boxes[2].prompt, message);
        QCOMPARE(m_boxes->boxes[2].style, int(plat::vbInformation));
        QVERIFY(!plat::hourglass());
        Form1::UnloadIfLoaded();
    }

    void deepSearchPressedAgainClearsThenSearches()
    {
        m_drives->write("C:\\x\\one.txt");
        Form3& w = Form3::get();
        w.Command6->Press();
        QCOMPARE(entries(w.List1), QStringList{"C:\\x\\one.txt"});
        m_boxes->clear();
        w.Command6->Press();
        QCOMPARE(w.List1->ListCount(), 0);
        QVERIFY(m_boxes->boxes.isEmpty());
        w.Command6->Press();
        QCOMPARE(entries(w.List1), QStringList{"C:\\x\\one.txt"});
    }

    // "Deep Search" stays usable during a walk: once the walk has listed
    // something a press empties the list and the walk goes on appending;
    // before its first match a press asks again and runs a walk of its own
    // inside the first, which then ends with its own counts.
    void deepSearchDuringAWalk_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("beforeFirstMatch");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("messages"); // in order
        QTest::newRow("after a match")
            << "*.txt" << false
            << QStringList({"C:\\T\\B.TXT", "C:\\T\\sub1\\d.txt", "C:\\T\\sub1\\deep\\e.txt",
                            "C:\\T\\sub2\\a.txt", "C:\\T\\sub2\\f.txt"})
            << QStringList({" 7 files found in 5 directories"});
        QTest::newRow("before the first match")
            << "e.txt" << true
            << QStringList({"C:\\T\\sub2\\a.txt", "C:\\T\\sub2\\f.txt", "C:\\T\\sub1\\deep\\e.txt"})
            << QStringList({" 2 files found in 1 directories", " 1 files found in 5 directories"});
    }
    void deepSearchDuringAWalk()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, beforeFirstMatch);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, messages);
        writeTree();
        Form3& w = Form3::get();
        m_boxes->inputAnswers = QStringList{"C:\\T", pattern, "C:\\T\\sub2", "*.txt"};
        bool usable = false;
        auto press = [&] {
            usable = enabled(w.Command6);
            w.Command6->Press();
        };
        OnEntry watch(w.List1, [&](int n) {
            if (n == 2 && !beforeFirstMatch) press();
        });
        // the walk's first yield comes before any match in this case
        if (beforeFirstMatch) QTimer::singleShot(0, this, press);
        w.Command6->Press();
        QVERIFY(usable);
        QCOMPARE(entries(w.List1), listed);
        QStringList questions, ends;
        for (const RecordingMessageBoxes::Box& b : m_boxes->boxes)
            (b.style == -1 ? questions : ends).append(b.prompt); // -1: an input box
        QCOMPARE(questions.size(), beforeFirstMatch ? 4 : 2);
        QCOMPARE(ends, messages);
        QVERIFY(!plat::hourglass());
    }

    void deepSearchCancelledSearchesNothing_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("questions");
        QTest::newRow("first question") << QStringList{QString()} << 1;
        QTest::newRow("second question") << QStringList{"C:\\", QString()} << 2;
    }
    void deepSearchCancelledSearchesNothing()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, questions);
        m_drives->write("C:\\x\\one.txt");
        m_boxes->inputAnswers = answers;
        Form3::get().Command6->Press();
        QCOMPARE(m_boxes->boxes.size(), questions);
        QCOMPARE(Form3::get().List1->ListCount(), 0);
    }

    // --- the platform's folder object ---

    void wildcards_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star dot star, no dot") << "README"
                                               << "*.*" << true;
        QTest::newRow("name.* without ending") << "README"
                                               << "README.*" << true;
        QTest::newRow("case") << "Setup.EXE"
                              << "*.exe" << true;
        QTest::newRow("exact") << "a;b.txt"
                               << "a;b.txt" << true;
        QTest::newRow("semicolon is no list") << "b.txt"
                                              << "a.txt;b.txt" << false;
        QTest::newRow("question mark is one character") << "ab.txt"
                                                        << "?.txt" << false;
        QTest::newRow("brackets are plain") << "[a].txt"
                                            << "[a].txt" << true;
        QTest::newRow("blank is a character") << "a.txt"
                                              << " a.txt" << false;
        QTest::newRow("name starting with a star") << "*star.txt"
                                                   << "*.txt" << true;
        QTest::newRow("name holding a question mark") << "a?.txt"
                                                      << "*.t?t" << true;
        QTest::newRow("star name, other ending") << "*star.doc"
                                                 << "*.txt" << false;
        QTest::newRow("empty pattern") << "a.txt"
                                       << "" << false;
    }
    void wildcards()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(plat::wildcardMatches(name, pattern), matches);
    }
};

QTEST_MAIN(TstFileSearch)
#include "tst_filesearch.moc"
