// Copy list, paste, copy-to dialogs, delete to the trash and the wait
// window, with real files in temporary folders mapped as drives.
#include "testsupport.h"

#include "fileops/copytodialog.h"
#include "fileops/form2.h"
#include "fileops/form5.h"
#include "fileops/form6.h"
#include "fileops/form7.h"
#include "fileops/form8.h"
#include "fileops/standby.h"
#include "filesearch/dig.h"
#include "mainwindow/form1.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/filesys.h"
#include "platform/trash.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <sys/stat.h>

using testsupport::RecordingMessageBoxes;
using testsupport::TempDrives;

namespace {

struct RecordingTrash : plat::trash::TrashSeam {
    RecordingTrash() { plat::trash::setTrashSeam(this); }
    ~RecordingTrash() override { plat::trash::setTrashSeam(nullptr); }
    bool moveToTrash(const QString& hostPath, QString* err) override
    {
        if (hostPath.endsWith(failName)) {
            *err = QStringLiteral("refused");
            return false;
        }
        sent.append(hostPath);
        return QFile::remove(hostPath); // stands for the move into the trash
    }
    QStringList sent;
    QString failName = QStringLiteral("\x01none");
};

using testsupport::contents;

// At the first file's step `g_swapStep`, the target folder is moved to
// g_movedTo and an empty folder takes its place, as another program (or
// another user of a shared drive) would do while a paste runs.
QByteArray g_swapFolder, g_movedTo;
const char* g_swapStep = "complete";

void swapFolderAtStep(const char* step)
{
    if (std::strcmp(step, g_swapStep) != 0 || g_swapFolder.isEmpty()) return;
    if (::rename(g_swapFolder.constData(), g_movedTo.constData()) == 0)
        ::mkdir(g_swapFolder.constData(), 0755);
    g_swapFolder.clear();
}

// Every file under a host folder, hidden ones included, as relative paths.
QStringList tree(const QString& host)
{
    QStringList out;
    QDirIterator it(host, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(host).relativeFilePath(it.next()));
    out.sort();
    return out;
}

// The user's trash, as the desktop's trash finds it.
QString userTrash()
{
    return QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + "/Trash";
}

void unloadDialogs()
{
    Form2::UnloadIfLoaded();
    Form5::UnloadIfLoaded();
    Form6::UnloadIfLoaded();
    Form7::UnloadIfLoaded();
    Form8::UnloadIfLoaded();
    Standby::UnloadIfLoaded();
    Dig::UnloadIfLoaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TstCopyPaste : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;

    Form1& f() { return Form1::get(); }
    QString host(const QString& win) { return m_drives->hostPath(win); }

    // Points pane n at a folder, as a user's double click would.
    void show(int n, const QString& folder) { testsupport::showFolder(n, folder); }
    void select(int n, const QList<int>& rows)
    {
        ctl::FileListBox* l = f().Pane(n).file;
        for (int r : rows)
            l->setSelected(r, true);
        if (!rows.isEmpty()) l->setCurrentRow(rows.last(), QItemSelectionModel::NoUpdate);
    }
    QStringList list(const QAbstractItemView* l) { return testsupport::entries(l); }
    // Search results with every row selected, taken by the search window's
    // Copy: the copy list of full paths a paste then takes.
    void copyResults(const QStringList& paths)
    {
        Dig& dig = Dig::get();
        for (const QString& p : paths) {
            dig.List1->AddItem(p);
            dig.List2->AddItem(p);
        }
        for (int r = 0; r < paths.size(); ++r)
            dig.List1->setSelected(r, true);
        dig.List1->setCurrentRow(int(paths.size()) - 1, QItemSelectionModel::NoUpdate);
        dig.mnuCopy_Click();
    }
    // The copy list and the paste by the road a table names: pane 1's Copy
    // then pane 2's Paste, the search window's Copy of the paths then pane
    // 2's Paste, or Copy To of pane 1's selection with the folder typed.
    void copyByRoad(const QString& road, const QStringList& paths)
    {
        if (road == "results")
            copyResults(paths);
        else if (road == "pane")
            f().mnuCopy1_Click();
    }
    void pasteByRoad(const QString& road, const QString& folder)
    {
        if (road != "copy-to") return f().mnuPasteFile2_Click();
        f().mnuCopee1_Click();
        Form2& d = Form2::get();
        d.Text2->setText(folder);
        d.Command1->Press();
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        for (int n = 1; n <= 5; ++n)
            show(n, "C:\\");
        f().List1->Clear();
        f().List2->Clear();
        f().Text7->setText(QString());
        plat::clipboard::Clear();
    }

    void cleanup()
    {
        plat::fs::failNextCopyWith(0); // a failure a test set up and never reached
        plat::fs::setCopyStepHook(nullptr);
        unloadDialogs();
        m_boxes.reset();
        m_drives.reset();
    }

    // --- copy list ---

    void copyTakesSelectionInListOrder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("drive root") << "C:\\";
        QTest::newRow("folder") << "C:\\Data";
    }
    void copyTakesSelectionInListOrder()
    {
        QFETCH(QString, folder);
        for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
            m_drives->write(Form1::JoinPath(folder, n));
        // panes 1 and 2 show an empty folder; pane 3 holds the selection
        m_drives->mkdir("C:\\Empty");
        show(1, "C:\\Empty");
        show(2, "C:\\Empty");
        show(3, folder);
        f().List2->AddItem("C:\\old\\result.txt");
        select(3, {4, 1, 2});
        f().mnuCopy->trigger();
        QCOMPARE(list(f().List1), QStringList({"b.txt", "c.txt", "e.txt"}));
        QCOMPARE(f().List2->ListCount(), 0);
        QCOMPARE(plat::clipboard::GetText(), folder);
    }

    void copyWithoutSelectionAnywhere()
    {
        f().List1->AddItem("keep.txt");
        plat::clipboard::SetText("C:\\Keep");
        f().mnuCopy_Click();
        QCOMPARE(m_boxes->prompts(), QStringList({"Please select a file to copy first"}));
        QCOMPARE(list(f().List1), QStringList({"keep.txt"}));
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\Keep"));
    }

    // --- paste ---

    void pasteIntoTwoPanes()
    {
        m_drives->write("C:\\Src\\a.txt", "alpha");
        m_drives->write("C:\\Src\\b.txt", "beta");
        m_drives->write("C:\\Src\\c.txt", "gamma");
        m_drives->write("D:\\Dst\\b.txt", "old b"); // replaced without a question
        m_drives->mkdir("D:\\Other");
        show(1, "C:\\Src");
        show(2, "D:\\Dst");
        show(4, "D:\\Other");
        select(1, {0, 1, 2});
        f().mnuCopy1_Click();

        // Watch the wait bar while the paste lets events run.
        QStringList seen;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (Standby* s = Standby::instanceIfLoaded())
                if (s->isVisible() && !s->Label1->Caption().isEmpty() &&
                    !seen.contains(s->Label1->Caption()))
                    seen.append(s->Label1->Caption());
        });
        watch.start(0); // runs at every round of events, however short
        f().PaneClick(2);
        f().mnuPaste0->trigger();
        f().mnuPasteFile4_Click();
        watch.stop();

        for (const QString& dst : {QString("D:\\Dst"), QString("D:\\Other")}) {
            QCOMPARE(contents(host(dst + "\\a.txt")), QByteArray("alpha"));
            QCOMPARE(contents(host(dst + "\\b.txt")), QByteArray("beta"));
            QCOMPARE(contents(host(dst + "\\c.txt")), QByteArray("gamma"));
        }
        QCOMPARE(seen.mid(0, 3),
                 QStringList({"  Copying to D:\\Dst\\a.txt", "  Copying to D:\\Dst\\b.txt",
                              "  Copying to D:\\Dst\\c.txt"}));
        QCOMPARE(list(f().FileBox2), QStringList({"a.txt", "b.txt", "c.txt"}));
        QCOMPARE(list(f().FileBox4), QStringList({"a.txt", "b.txt", "c.txt"}));
        QVERIFY(!Standby::IsLoaded());
        QVERIFY(m_boxes->boxes.isEmpty());
        QCOMPARE(list(f().List1), QStringList({"a.txt", "b.txt", "c.txt"})); // kept
    }

    void pasteIntoRootFromRoot()
    {
        m_drives->write("C:\\a.txt", "root a");
        show(1, "C:\\");
        show(2, "D:\\");
        select(1, {0});
        f().mnuCopy1_Click();
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\"));
        f().mnuPasteFile2_Click();
        QCOMPARE(contents(host("D:\\a.txt")), QByteArray("root a"));
    }

    void pasteFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("arrived"); // in D:\Dst afterwards
        const QStringList old{"a.txt"};
        QTest::newRow("into its own folder")
            << "same"
            << "Can't copy file to the same location or write protected" << QStringList{};
        QTest::newRow("read-only target") << "readonly"
                                          << "Path not accesible or write protected" << old;
        QTest::newRow("destination folder gone")
            << "missing"
            << "Either the destination doesn't exist or the path to the folder is misspelled or "
               "incomplete"
            << QStringList{};
        QTest::newRow("disk full") << "full"
                                   << "Disk is full" << old;
        // A source that went after the Copy is named; the others still come.
        QTest::newRow("source gone")
            << "gone"
            << "File not found, not copied: C:\\Src\\b.txt" << QStringList{"a.txt", "c.txt"};
        // The messages name the cause the system gave, not the destination.
        QTest::newRow("source folder gone")
            << "srcgone"
            << "The folder to copy from is not found: C:\\Src" << old;
        QTest::newRow("source unreadable")
            << "unreadable"
            << "Can't copy: no permission to read C:\\Src\\a.txt" << old;
        QTest::newRow("source folder unsearchable")
            << "unsearchable"
            << "Can't copy: no permission to open the folder of C:\\Src\\a.txt" << old;
        QTest::newRow("destination path too long")
            << "toolong"
            << "File name or path too long: @deep\\a.txt" << QStringList{};
    }
    void pasteFailures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QStringList, arrived);
        m_drives->write("C:\\Src\\a.txt", "new a");
        m_drives->write("C:\\Src\\b.txt", "new b");
        m_drives->write("C:\\Src\\c.txt", "new c");
        m_drives->write("D:\\Dst\\a.txt", "old a");
        QString dst = kind == "same" ? "C:\\Src" : "D:\\Dst";
        if (kind == "toolong") {
            // A folder whose host path leaves no room for "/a.txt" (4096 bytes
            // with the end, one more than the system takes).
            const int room = 4096 - int(host("D:\\").toUtf8().size()) - 6;
            dst = "D:";
            for (int left = room; left > 0;) {
                const int part = std::min(left - 1, 200);
                dst += "\\" + QString(part, 'd');
                left -= part + 1;
            }
            QVERIFY(QDir().mkpath(host(dst)));
            message.replace("@deep", dst);
        }
        show(1, "C:\\Src");
        show(2, dst);
        QCOMPARE(f().Pane(2).dir->Path(), dst);
        select(1, {0, 1, 2});
        f().mnuCopy1_Click();
        if (kind == "readonly")
            QFile::setPermissions(host("D:\\Dst\\a.txt"), QFileDevice::ReadOwner);
        if (kind == "missing") QDir(host("D:\\Dst")).removeRecursively();
        if (kind == "full") plat::fs::failNextCopyWith(61);
        if (kind == "gone") QFile::remove(host("C:\\Src\\b.txt"));
        if (kind == "srcgone") QVERIFY(QDir().rename(host("C:\\Src"), host("C:\\Moved")));
        std::optional<testsupport::PermissionsBind> bind;
        if (kind == "unreadable" || kind == "unsearchable") {
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
        }
        if (kind == "unreadable") QFile::setPermissions(host("C:\\Src\\a.txt"), {});
        if (kind == "unsearchable")
            QFile::setPermissions(host("C:\\Src"),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        f().mnuPasteFile2_Click();

        bind.reset();
        QFile::setPermissions(host("C:\\Src"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
        QFile::setPermissions(host("C:\\Src\\a.txt"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        const QString src = kind == "srcgone" ? "C:\\Moved" : "C:\\Src";
        QCOMPARE(contents(host(src + "\\a.txt")), QByteArray("new a"));
        QCOMPARE(contents(host(src + "\\c.txt")), QByteArray("new c"));
        if (kind != "same" && kind != "missing") {
            QCOMPARE(tree(host(dst)), arrived); // no partial, nothing after the failure
            if (arrived.contains("a.txt"))
                QCOMPARE(contents(host(dst + "\\a.txt")),
                         kind == "gone" ? QByteArray("new a") : QByteArray("old a"));
        }
        if (kind == "missing") QVERIFY(!QFileInfo::exists(host("D:\\Dst")));
        if (kind != "same") QCOMPARE(list(f().Pane(2).file), arrived);
        QVERIFY(!Standby::IsLoaded());
    }

    // A listed file that became a named pipe before its paste stops the
    // paste at once with a message that says what it is, whichever road
    // reaches it; nothing is written.
    void pasteRefusesAPipe_data()
    {
        QTest::addColumn<QString>("road");
        QTest::newRow("paste into a pane") << "pane";
        QTest::newRow("paste of search results") << "results";
        QTest::newRow("copy to a typed folder") << "copy-to";
    }
    void pasteRefusesAPipe()
    {
        QFETCH(QString, road);
        m_drives->write("C:\\Src\\a.txt", "a");
        m_drives->write("C:\\Src\\b.txt", "b");
        m_drives->mkdir("D:\\Dst");
        show(1, "C:\\Src");
        show(2, "D:\\Dst");
        select(1, {0, 1});
        copyByRoad(road, {"C:\\Src\\a.txt", "C:\\Src\\b.txt"});
        const QByteArray pipe = QFile::encodeName(host("C:\\Src\\a.txt"));
        QVERIFY(QFile::remove(host("C:\\Src\\a.txt")));
        QCOMPARE(::mkfifo(pipe.constData(), 0644), 0);

        pasteByRoad(road, "D:\\Dst");

        QCOMPARE(m_boxes->prompts(),
                 QStringList({"C:\\Src\\a.txt is not a file that can be copied"}));
        QCOMPARE(tree(host("D:\\Dst")), QStringList());
        QVERIFY(!Standby::IsLoaded());
    }

    // A paste whose folder is moved away and replaced while it runs stops
    // with the message for a folder that does not exist and names the
    // files not pasted: nothing lands in the folder that took the name.
    void pasteStopsWhenItsFolderGoesAway_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("message");
        const QString gone =
            "Either the destination doesn't exist or the path to the folder is misspelled or "
            "incomplete\n\nNot copied:\nb.txt\nc.txt";
        QTest::newRow("paste into a pane") << "pane" << gone;
        QTest::newRow("paste of search results") << "results" << gone;
        QTest::newRow("copy to a typed folder") << "copy-to" << gone;
    }
    void pasteStopsWhenItsFolderGoesAway()
    {
        QFETCH(QString, road);
        QFETCH(QString, message);
        for (const char* n : {"a.txt", "b.txt", "c.txt"})
            m_drives->write(QString("C:\\Src\\") + n, n);
        m_drives->mkdir("D:\\Dst");
        show(1, "C:\\Src");
        show(2, "D:\\Dst");
        select(1, {0, 1, 2});
        copyByRoad(road, {"C:\\Src\\a.txt", "C:\\Src\\b.txt", "C:\\Src\\c.txt"});
        g_swapFolder = QFile::encodeName(host("D:\\Dst"));
        g_movedTo = QFile::encodeName(host("D:\\Was"));
        plat::fs::setCopyStepHook(swapFolderAtStep);

        pasteByRoad(road, "D:\\Dst");

        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(tree(host("D:\\Dst")), QStringList());
        QCOMPARE(tree(host("D:\\Was")), QStringList({"a.txt"}));
        QVERIFY(!Standby::IsLoaded());
    }

    void pasteWithEmptyCopyList()
    {
        show(2, "D:\\");
        m_drives->write("D:\\later.txt"); // written behind the pane's back
        f().mnuPasteFile2_Click();
        QVERIFY(!Standby::IsLoaded());
        QCOMPARE(list(f().FileBox2), QStringList({"later.txt"}));
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void pasteWithClipboardWithoutText()
    {
        // A file of the same name at the drive root must not be taken.
        m_drives->write("C:\\a.txt", "unrelated");
        m_drives->write("C:\\Src\\a.txt", "wanted");
        show(1, "C:\\Src");
        show(2, "D:\\");
        select(1, {0});
        f().mnuCopy1_Click();
        plat::clipboard::SetImage(QImage(4, 4, QImage::Format_RGB32)); // a picture, no text
        plat::clipboard::Clear();
        f().mnuPasteFile2_Click();
        QVERIFY(!QFileInfo::exists(host("D:\\a.txt")));
        QVERIFY(m_boxes->boxes.isEmpty());
        QVERIFY(!Standby::IsLoaded());
    }

    void pasteBeforeAnyListWasClicked()
    {
        f().List1->AddItem("a.txt");
        plat::clipboard::SetText("C:\\");
        f().mnuPaste0_Click();
        QCOMPARE(m_boxes->prompts(),
                 QStringList({"Click on any list of files to choose destination of file(s)"}));
    }

    void copyDuringPasteIsForTheNextPaste()
    {
        for (const char* n : {"a.txt", "b.txt", "c.txt"})
            m_drives->write(QString("C:\\Src\\") + n, QByteArray("src ") + n);
        m_drives->write("C:\\Other\\x.txt", "other x");
        m_drives->write("C:\\Other\\y.txt", "other y");
        m_drives->mkdir("D:\\Dst");
        m_drives->mkdir("D:\\Next");
        show(1, "C:\\Src");
        show(2, "D:\\Dst");
        show(3, "C:\\Other");
        show(4, "D:\\Next");
        select(1, {0, 1, 2});
        f().mnuCopy1_Click();
        // A Copy of another folder's files made while the paste waits
        // before its first file: a real Copy, new names and a new folder.
        QStringList arrivedBefore{"<not run>"};
        QTimer::singleShot(0, this, [&] {
            arrivedBefore = tree(host("D:\\Dst"));
            select(3, {0, 1});
            f().mnuCopy3_Click();
        });
        f().mnuPasteFile2_Click();
        QCOMPARE(arrivedBefore, QStringList{}); // the Copy came during the paste
        QCOMPARE(tree(host("D:\\Dst")), QStringList({"a.txt", "b.txt", "c.txt"}));
        QCOMPARE(contents(host("D:\\Dst\\c.txt")), QByteArray("src c.txt"));
        QVERIFY(m_boxes->boxes.isEmpty());
        // The next paste takes the Copy made meanwhile.
        f().mnuPasteFile4_Click();
        QCOMPARE(tree(host("D:\\Next")), QStringList({"x.txt", "y.txt"}));
        QCOMPARE(contents(host("D:\\Next\\y.txt")), QByteArray("other y"));
    }

    void searchResultPasteFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("arrived");
        QTest::addColumn<bool>("resultsKept");
        QTest::newRow("disk full at the second file")
            << "full"
            << "Disk is full" << QStringList{"x.txt"} << true;
        QTest::newRow("a result gone")
            << "gone"
            << "File not found, not copied: C:\\B\\y.doc" << QStringList{"x.txt", "z.txt"} << false;
    }
    void searchResultPasteFailures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QStringList, arrived);
        QFETCH(bool, resultsKept);
        m_drives->write("C:\\A\\x.txt", "x");
        m_drives->write("C:\\B\\y.doc", "y");
        m_drives->write("C:\\B\\z.txt", "z");
        m_drives->mkdir("D:\\P");
        copyResults({"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\B\\z.txt"});
        Dig& dig = Dig::get();
        QCOMPARE(f().List2->ListCount(), 3);
        show(3, "D:\\P");
        if (kind == "gone") QFile::remove(host("C:\\B\\y.doc"));
        // The disk fills once the first file is in (the paste lets events
        // run after each file).
        if (kind == "full") QTimer::singleShot(0, this, [] { plat::fs::failNextCopyWith(61); });
        f().mnuPasteFile3_Click();
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(tree(host("D:\\P")), arrived);
        QCOMPARE(list(f().FileBox3), arrived);
        QCOMPARE(dig.List1->ListCount(), resultsKept ? 3 : 0);
    }

    void searchResultsRoad()
    {
        m_drives->write("C:\\A\\x.txt", "x from A");
        m_drives->write("C:\\B\\y.doc", "y from B");
        m_drives->write("C:\\B\\z.txt", "not selected");
        m_drives->mkdir("D:\\P3");
        m_drives->mkdir("D:\\P4");
        Dig& dig = Dig::get();
        for (const char* p : {"C:\\A\\x.txt", "C:\\B\\z.txt", "C:\\B\\y.doc"}) {
            dig.List1->AddItem(p);
            dig.List2->AddItem(p);
        }
        dig.List1->setSelected(0, true);
        dig.List1->setSelected(2, true);
        dig.List1->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        plat::clipboard::SetText("C:\\Elsewhere");
        dig.mnuCopy_Click();
        QCOMPARE(list(f().List1), QStringList({"x.txt", "y.doc"}));
        QCOMPARE(list(f().List2), QStringList({"C:\\A\\x.txt", "C:\\B\\y.doc"}));
        QCOMPARE(list(dig.List1), QStringList({"C:\\A\\x.txt", "C:\\B\\z.txt", "C:\\B\\y.doc"}));
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\Elsewhere"));

        show(3, "D:\\P3");
        show(4, "D:\\P4");
        f().mnuPasteFile3_Click();
        QCOMPARE(tree(host("D:\\P3")), QStringList({"x.txt", "y.doc"}));
        QCOMPARE(contents(host("D:\\P3\\y.doc")), QByteArray("y from B"));
        // the results and their mirror alike
        QCOMPARE(dig.List1->ListCount(), 0);
        QCOMPARE(dig.List2->ListCount(), 0);
        QCOMPARE(list(f().FileBox3), QStringList({"x.txt", "y.doc"}));
        f().mnuPasteFile4_Click(); // the same copy list, into another pane
        QCOMPARE(tree(host("D:\\P4")), QStringList({"x.txt", "y.doc"}));
        QVERIFY(!Standby::IsLoaded());

        // a Copy in a pane empties the full paths again
        show(1, "C:\\A");
        select(1, {0});
        f().mnuCopy1_Click();
        QCOMPARE(f().List2->ListCount(), 0);
    }

    // --- copy-to dialogs ---

    void destinationRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("destination");
        QTest::newRow("letter") << "D"
                                << "D:\\X";
        QTest::newRow("letter colon") << "D:"
                                      << "D:\\X";
        QTest::newRow("root") << "D:\\"
                              << "D:\\X";
        QTest::newRow("folder") << "D:\\Backup"
                                << "D:\\Backup\\X";
        QTest::newRow("folder backslash") << "D:\\Backup\\"
                                          << "D:\\Backup\\X";
        QTest::newRow("relative") << "Backup"
                                  << "Backup\\X";
        QTest::newRow("blank letter") << " D"
                                      << " D:\\X";
        QTest::newRow("blanks") << "   "
                                << "   \\X";
    }
    void destinationRule()
    {
        QFETCH(QString, typed);
        QFETCH(QString, destination);
        QCOMPARE(fileops::CopyToDestination(typed, "X"), destination);
    }

    void copyToTypedFolder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // host-relative to D:, empty: nothing
        QTest::addColumn<QString>("message");
        const QString missing =
            "Either the destination doesn't exist or the path to the folder is misspelled or "
            "incomplete";
        QTest::newRow("drive letter") << "D"
                                      << "x.txt"
                                      << "";
        QTest::newRow("folder") << "D:\\Backup\\"
                                << "Backup/x.txt"
                                << "";
        QTest::newRow("non-ASCII folder") << "D:\\Säkerhet ✓"
                                          << "Säkerhet ✓/x.txt"
                                          << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "Please enter destination to continue";
        QTest::newRow("blanks") << "   "
                                << "" << missing;
        QTest::newRow("blank before letter") << " D"
                                             << "" << missing;
        QTest::newRow("missing folder") << "D:\\Nowhere"
                                        << "" << missing;
        QTest::newRow("a file, not a folder") << "D:\\plain.txt"
                                              << "" << missing;
        // Too long is not missing: the folder may well be there.
        const QString longFolder = "D:\\" + QString(300, 'n');
        QTest::newRow("folder name too long")
            << longFolder << ""
            << "File name or path too long: " + longFolder + "\\x.txt";
        QTest::newRow("letter without a drive") << "Q"
                                                << ""
                                                << "Device not available";
        QTest::newRow("read-only target")
            << "D:\\Locked"
            << ""
            << "Destination is write protected or read only or not found";
        QTest::newRow("same folder") << "C:\\Src"
                                     << ""
                                     << "";
        QTest::newRow("dot dot from the root") << "D:\\.."
                                               << "x.txt"
                                               << "";
    }
    void copyToTypedFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, message);
        m_drives->write("C:\\Src\\x.txt", "payload");
        m_drives->mkdir("D:\\Backup");
        m_drives->mkdir("D:\\Säkerhet ✓");
        m_drives->write("D:\\plain.txt", "plain");
        m_drives->write("D:\\Locked\\x.txt", "locked");
        QFile::setPermissions(host("D:\\Locked\\x.txt"), QFileDevice::ReadOwner);
        const QStringList before = tree(m_drives->host('D'));
        show(2, "C:\\Src");
        select(2, {0});

        f().mnuSendFileTo->trigger();
        Form5& d = Form5::get();
        QVERIFY(d.isVisible());
        QCOMPARE(d.Text1->Text(), QString("C:\\Src\\x.txt"));
        d.Text2->setText(typed);
        d.Command1->Press();

        QCOMPARE(m_boxes->prompts(), message.isEmpty() ? QStringList() : QStringList({message}));
        QStringList after = tree(m_drives->host('D'));
        QStringList expected = before;
        if (!written.isEmpty()) {
            expected.append(written);
            expected.sort();
            QCOMPARE(contents(m_drives->host('D') + "/" + written), QByteArray("payload"));
        }
        QCOMPARE(after, expected);
        QCOMPARE(tree(m_drives->host('C')), QStringList({"Src/x.txt"}));
        QCOMPARE(contents(host("C:\\Src\\x.txt")), QByteArray("payload"));
        QCOMPARE(contents(host("D:\\Locked\\x.txt")), QByteArray("locked"));
        if (typed.isEmpty()) {
            QVERIFY(d.isVisible());
            QCOMPARE(f().List1->ListCount(), 0); // the copy list is untouched
        } else {
            QVERIFY(!d.isVisible());
            QCOMPARE(list(f().List1), QStringList({"x.txt"}));
            QCOMPARE(plat::clipboard::GetText(), QString("C:\\Src"));
        }
    }

    void copyToStopsAtFirstFailure()
    {
        m_drives->write("C:\\Src\\a.txt", "a");
        m_drives->write("C:\\Src\\b.txt", "b");
        m_drives->write("C:\\Src\\c.txt", "c");
        m_drives->write("D:\\Out\\b.txt", "old b");
        QFile::setPermissions(host("D:\\Out\\b.txt"), QFileDevice::ReadOwner);
        show(3, "C:\\Src");
        select(3, {0, 1, 2});
        f().mnuCopee3_Click();
        Form6& d = Form6::get();
        d.Text2->setText("D:\\Out");
        QTest::keyClick(d.Text2, Qt::Key_Return, Qt::ShiftModifier); // Enter presses Okay
        QCOMPARE(m_boxes->prompts(),
                 QStringList({"Destination is write protected or read only or not found"}));
        QCOMPARE(tree(host("D:\\Out")), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(contents(host("D:\\Out\\b.txt")), QByteArray("old b"));
        QCOMPARE(list(f().List1), QStringList({"a.txt", "b.txt", "c.txt"}));
        QVERIFY(!d.isVisible());
        // reopened: the last destination is still there; Escape does nothing
        f().mnuCopee3_Click();
        QCOMPARE(d.Text2->Text(), QString("D:\\Out"));
        QTest::keyClick(d.Text2, Qt::Key_Escape);
        QVERIFY(d.isVisible());
        d.Command2->Press(); // Cancel unloads
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f().mnuCopee3_Click();
        QCOMPARE(Form6::get().Text2->Text(), QString());
    }

    void copyToOpensThePanesOwnDialog()
    {
        m_drives->write("C:\\P\\f.txt");
        show(4, "C:\\P");
        select(4, {0});
        f().mnuSendFileTo_Click();
        QVERIFY(Form7::IsLoaded());
        QCOMPARE(Form7::get().Text1->Text(), QString("C:\\P\\f.txt"));
        QVERIFY(!Form2::IsLoaded() && !Form5::IsLoaded() && !Form6::IsLoaded());
        // a pop-up opening without a current file shows the folder
        show(5, "C:\\P");
        f().mnuCopee5_Click();
        QCOMPARE(Form8::get().Text1->Text(), QString("C:\\P\\"));
        QCOMPARE(Form8::get().Caption(), QString("Copy File"));
        QCOMPARE(Form2::get().Label1->Caption(),
                 QString("      Send a copy of file to Path  (Example C:\\Temp)"));
    }

    // --- delete ---

    void deleteSendsSelectionToTrash()
    {
        RecordingTrash trash;
        for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt"})
            m_drives->write(QString("C:\\Data\\") + n);
        m_drives->write("C:\\Other\\o.txt");
        show(1, "C:\\Data");
        show(2, "C:\\Data");
        show(3, "C:\\Other");
        select(3, {0}); // a pane showing another folder keeps its selection
        select(1, {3, 0, 2});
        f().mnuDelete1_Click();
        QCOMPARE(trash.sent, QStringList({host("C:\\Data\\a.txt"), host("C:\\Data\\c.txt"),
                                          host("C:\\Data\\d.txt")}));
        QCOMPARE(list(f().FileBox), QStringList({"b.txt"}));
        QCOMPARE(list(f().FileBox2), QStringList({"b.txt"}));
        QVERIFY(f().FileBox3->Selected(0));
        QVERIFY(!Standby::IsLoaded());
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void deleteOfFileThatCannotBeTrashed()
    {
        RecordingTrash trash;
        trash.failName = "b.txt";
        for (const char* n : {"a.txt", "b.txt", "c.txt"})
            m_drives->write(QString("C:\\Data\\") + n);
        show(3, "C:\\Data");
        select(3, {0, 1, 2});
        f().mnuDelete0_Click();
        QCOMPARE(trash.sent, QStringList({host("C:\\Data\\a.txt"), host("C:\\Data\\c.txt")}));
        QVERIFY(QFileInfo::exists(host("C:\\Data\\b.txt")));
        QCOMPARE(m_boxes->boxes.size(), 1);
        QVERIFY(m_boxes->boxes[0].prompt.contains("C:\\Data\\b.txt"));
        QCOMPARE(list(f().FileBox3), QStringList({"b.txt"}));
    }

    void deleteIntoTheRealTrash()
    {
        m_drives->write("C:\\Data\\gone.txt", "keep me somewhere");
        show(1, "C:\\Data");
        select(1, {0});
        f().mnuDelete0_Click();
        const QString trash = userTrash();
        const QString trashed = trash + "/files/gone.txt";
        QVERIFY(!QFileInfo::exists(host("C:\\Data\\gone.txt")));
        QCOMPARE(contents(trashed), QByteArray("keep me somewhere"));
        QVERIFY(QFileInfo::exists(trash + "/info/gone.txt.trashinfo"));
        QFile::remove(trashed);
    }

    // The real trash, made to refuse: each delete ends at once with one
    // message naming what stayed, and every refused file is where it was.
    void deleteWhatTheTrashRefuses_data()
    {
        QTest::addColumn<QString>("trashState");
        QTest::addColumn<QStringList>("refused");

        const QString longName = QString(246, 'n') + ".txt"; // 250 bytes
        QTest::newRow("read-only info") << "info" << QStringList{"a.txt", "b.txt", longName};
        QTest::newRow("read-only trash") << "trash" << QStringList{"a.txt", "b.txt", longName};
        QTest::newRow("250-byte name") << "" << QStringList{longName};
    }

    void deleteWhatTheTrashRefuses()
    {
        QFETCH(QString, trashState);
        QFETCH(QStringList, refused);

        const QString trash = userTrash();
        QDir(trash).removeRecursively();
        QVERIFY(QDir().mkpath(trash + "/files"));
        QVERIFY(QDir().mkpath(trash + "/info"));
        if (trashState == "info")
            QVERIFY(QFile::setPermissions(trash + "/info", QFile::ReadOwner | QFile::ExeOwner));
        if (trashState == "trash") {
            QDir(trash).removeRecursively();
            QVERIFY(QDir().mkpath(trash));
            QVERIFY(QFile::setPermissions(trash, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QString longName = QString(246, 'n') + ".txt";
        for (const QString& n : {QString("a.txt"), longName, QString("b.txt")})
            m_drives->write("C:\\Data\\" + n, n.toUtf8());
        show(1, "C:\\Data");
        select(1, {0, 1, 2});

        {
            testsupport::PermissionsBind bind;
            if (!bind.active()) QSKIP(qPrintable(bind.why()));
            f().mnuDelete1_Click();
        }
        QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(trash + "/info",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!Standby::IsLoaded());
        QCOMPARE(list(f().FileBox), refused);
        QCOMPARE(m_boxes->boxes.size(), 1); // one message, no more
        const QByteArray box = m_boxes->boxes[0].prompt.toUtf8();
        QVERIFY2(box.startsWith("Could not move to the Trash;"), box.constData());
        for (const QString& n : {QString("a.txt"), longName, QString("b.txt")}) {
            const bool stays = refused.contains(n);
            // A long path is shown by its start and its end.
            QCOMPARE(box.contains(("C:\\Data\\" + n).left(59).toUtf8()), stays);
            QCOMPARE(contents(host("C:\\Data\\" + n)), stays ? n.toUtf8() : "<missing>");
        }
        QDir(trash).removeRecursively();
    }

    // A folder the user may list but not open (no search permission):
    // its files are there, so the message must not say they are not.
    void deleteInAFolderWithoutSearchPermission()
    {
        m_drives->write("C:\\Data\\a.txt", "kept");
        show(1, "C:\\Data");
        select(1, {0});
        {
            testsupport::PermissionsBind bind;
            if (!bind.active()) QSKIP(qPrintable(bind.why()));
            QFile::setPermissions(host("C:\\Data"),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            f().mnuDelete1_Click();
            QFile::setPermissions(host("C:\\Data"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        }
        QCOMPARE(m_boxes->prompts(),
                 QStringList({"Could not move to the Trash; this file was not deleted:\n"
                              "C:\\Data\\a.txt\n"
                              "    No permission to open the file's folder (search permission)."}));
        QCOMPARE(contents(host("C:\\Data\\a.txt")), QByteArray("kept"));
        QVERIFY(!Standby::IsLoaded());
    }

    void deleteWithoutCurrentFileOrSelection()
    {
        RecordingTrash trash;
        m_drives->write("C:\\Data\\a.txt");
        show(1, "C:\\Data");
        f().mnuDelete1_Click(); // no current entry: only a refresh
        QVERIFY(!Standby::IsLoaded());
        f().FileBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().FileBox->setSelected(0, false);
        f().mnuDelete1_Click(); // a current entry but nothing selected
        QVERIFY(trash.sent.isEmpty());
        QVERIFY(!Standby::IsLoaded());
        f().mnuDelete0_Click();
        QCOMPARE(m_boxes->prompts(), QStringList({"Please select a file to delete first"}));
    }

    // --- wait window ---

    void waitWindowTypesAndWaits()
    {
        Standby& s = Standby::get();
        QCOMPARE(s.Text1->Text(), QString("Deleting ..."));
        QCOMPARE(s.Caption(), QString("Form9"));
        s.Label1->setCaption("previous");
        QSignalSpy ticks(s.Timer1, &ctl::Timer::Timer_);
        QElapsedTimer t;
        t.start();
        s.Command1->Press();
        QCOMPARE(ticks.count(), 12); // one tick per character typed
        QVERIFY(t.elapsed() >= 12 * 9);
        QCOMPARE(s.Label1->Caption(), QString("Deleting ..."));
        s.Command3->Press();
        QCOMPARE(ticks.count(), 24); // and one per character waited
        QCOMPARE(s.Label1->Caption(), QString());
        s.Text1->setText(QString());
        s.Command1->Press();
        s.Command3->Press();
        QCOMPARE(ticks.count(), 24); // an empty text neither types nor waits
        s.Text1->setText("kept");
        s.Command2->Press();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Standby::get().Text1->Text(), QString("Deleting ..."));
        QCOMPARE(Standby::get().Label1->Caption(), QString());
    }

    void waitDoesNotSpinTheProcessor()
    {
        Standby& s = Standby::get();
        s.Text1->setText(QString(40, 'x')); // 40 ticks, about 0.4 s
        const std::clock_t cpu0 = std::clock();
        QElapsedTimer wall;
        wall.start();
        s.Command3->Press();
        const double cpuMs = double(std::clock() - cpu0) * 1000.0 / CLOCKS_PER_SEC;
        QVERIFY(wall.elapsed() >= 40 * 9);
        QVERIFY2(cpuMs < wall.elapsed() * 0.3,
                 qPrintable(QString("cpu %1 ms in %2 ms").arg(cpuMs).arg(wall.elapsed())));
    }

    void closeDuringWaitEndsTheWait()
    {
        Standby& s = Standby::get();
        s.Text1->setText(QString(500, 'x')); // five seconds, unless closed
        QSignalSpy ticks(s.Timer1, &ctl::Timer::Timer_);
        // Closed by the first events the type-out lets run.
        QTimer::singleShot(0, this, [] { Standby::get().Command2->Press(); });
        s.Command1->Press();
        QVERIFY(ticks.count() <= 1);
        QVERIFY(!Standby::IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void searchOpensTheSearchWindow()
    {
        QVERIFY(!Dig::IsLoaded());
        f().mnuSearchFor->trigger();
        QVERIFY(Dig::get().isVisible());
        QVERIFY(Dig::get().isEnabled());
        QCOMPARE(Dig::get().Caption(), QString("Search"));
    }
};

QTEST_MAIN(TstCopyPaste)
#include "tst_copypaste.moc"
