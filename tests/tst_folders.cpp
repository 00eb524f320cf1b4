// Creating, renaming and removing folders, renaming files, refreshing, and
// the panes' pop-up menus, with real folders mapped as drives.
#include "testsupport.h"

#include "fileops/foldmaker.h"
#include "fileops/namer.h"
#include "fileops/namer2.h"
#include "mainwindow/form1.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/filesys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using testsupport::RecordingMessageBoxes;
using testsupport::TempDrives;

namespace {

using testsupport::contents;

// Every entry under a host folder, folders with a trailing "/", as
// relative paths.
QStringList tree(const QString& host)
{
    QStringList out;
    QDirIterator it(host, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.append(QDir(host).relativeFilePath(p) + (QFileInfo(p).isDir() ? "/" : ""));
    }
    out.sort();
    return out;
}

void unloadDialogs()
{
    FoldMaker::UnloadIfLoaded();
    Namer::UnloadIfLoaded();
    Namer2::UnloadIfLoaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Folder times as a file system with whole-second stamps shows them when
// every change falls in the second a reading is taken in.
void stampsInTheCurrentSecond(qint64& ctime, qint64& mtime)
{
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    ctime = mtime = qint64(now.tv_sec) * 1000000000;
}

// Folder times that never move, as a mount that caches them shows them.
void frozenStamps(qint64& ctime, qint64& mtime)
{
    ctime = mtime = qint64(1000) * 1000000000;
}

// For its lifetime a read-only file system (tmpfs) lies over a folder,
// holding the named empty folders, in a mount namespace of this process
// alone. Needs the right to mount; ok() tells.
class ReadOnlyMount {
  public:
    ReadOnlyMount(const QString& hostFolder, const QStringList& folders) : m_path(hostFolder)
    {
        const QByteArray p = QFile::encodeName(hostFolder);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("quorbix-test", p.constData(), "tmpfs", 0, "size=1m") != 0) {
            m_why = QString("no mount here: %1").arg(std::strerror(errno));
            return;
        }
        m_mounted = true;
        for (const QString& f : folders)
            QDir().mkpath(hostFolder + "/" + f);
        if (::mount(nullptr, p.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            m_why = QString("no read-only remount: %1").arg(std::strerror(errno));
            return;
        }
        m_ok = true;
    }
    ~ReadOnlyMount()
    {
        if (m_mounted) ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    bool ok() const { return m_ok; }
    QString why() const { return m_why; }

  private:
    QString m_path, m_why;
    bool m_mounted = false, m_ok = false;
};

} // namespace

class TstFolders : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    QList<QMenu*> m_popups;

    Form1& f() { return Form1::get(); }
    QString host(const QString& win) { return m_drives->hostPath(win); }
    bool isDir(const QString& win) { return QFileInfo(host(win)).isDir(); }

    void show(int n, const QString& folder) { testsupport::showFolder(n, folder); }
    QStringList list(const QAbstractItemView* l) { return testsupport::entries(l); }

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
        for (int n = 1; n <= 5; ++n)
            show(n, "C:\\");
        f().Text6->setText(QString());
        f().Text7->setText(QString());
    }
    void cleanup()
    {
        unloadDialogs();
        m_boxes.reset();
        m_drives.reset();
    }

    // --- new folder ---

    void newFolderUnderPaneFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("parentText");
        QTest::newRow("drive root") << "C:\\"
                                    << "C:\\";
        QTest::newRow("folder") << "C:\\Data"
                                << "C:\\Data\\";
    }
    void newFolderUnderPaneFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, parentText);
        m_drives->mkdir("C:\\Data");
        show(1, folder);
        show(3, folder);
        f().mnuAddnew1_Click();
        FoldMaker& d = FoldMaker::get();
        QVERIFY(d.isVisible());
        QCOMPARE(d.Caption(), QString("Create Folder"));
        QCOMPARE(d.Text2->Text(), parentText);
        d.Text1->setText("New");
        d.Command1->Press();
        const QString made = Form1::JoinPath(folder, "New");
        QVERIFY(isDir(made));
        QVERIFY(!FoldMaker::IsLoaded());
        QVERIFY(m_boxes->boxes.isEmpty());
        // every pane at the parent lists it; no pane changes folder
        for (int n : {1, 3}) {
            QCOMPARE(f().Pane(n).dir->Path(), folder);
            bool listed = false;
            for (int r = 0; r < f().Pane(n).dir->ListCount(); ++r)
                listed = listed || f().Pane(n).dir->folderAt(r) == made;
            QVERIFY(listed);
        }
    }

    void newFolderRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString only = "Please enter the new folder name only  ";
        QTest::newRow("backslash") << "a\\b" << only;
        QTest::newRow("colon") << "D:x" << only;
        QTest::newRow("slash") << "a/b" << only;
        QTest::newRow("exists") << "Old"
                                << " Duplicate folder already exists. ";
        QTest::newRow("empty name") << ""
                                    << " Duplicate folder already exists. ";
        QTest::newRow("dot dot") << ".."
                                 << " Duplicate folder already exists. ";
        // The parent has gone: its path is not found (no drive mapping is
        // involved).
        QTest::newRow("missing parent") << "@missing"
                                        << " Path to this folder is not found";
        QTest::newRow("name too long") << QString(300, 'n') << " Folder name or path too long";
        QTest::newRow("read-only parent")
            << "@readonly"
            << " Write protected or access marked as restricted or name already exists";
    }
    void newFolderRefusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_drives->mkdir("C:\\Data\\Old");
        m_drives->mkdir("C:\\Data\\a");
        show(2, "C:\\Data");
        f().mnuAddnew2_Click();
        FoldMaker& d = FoldMaker::get();
        QString typed = name;
        if (name == "@missing") {
            d.Text2->setText("C:\\Data\\Gone\\");
            typed = "New";
        }
        std::optional<testsupport::PermissionsBind> bind;
        if (name == "@readonly") {
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
            QFile::setPermissions(host("C:\\Data"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            typed = "New";
        }
        const QStringList before =
            QDir(host("C:\\Data")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        d.Text1->setText(typed);
        d.Command1->Press();
        QFile::setPermissions(host("C:\\Data"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(QDir(host("C:\\Data")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir(host("C:\\Data\\a")).isEmpty());
        QVERIFY(FoldMaker::IsLoaded() && d.isVisible());
        QCOMPARE(d.Text1->Text(), typed);
    }

    void newFolderTakesThePaneChosenLast()
    {
        m_drives->mkdir("C:\\One");
        m_drives->mkdir("D:\\Two");
        show(1, "C:\\One");
        show(2, "D:\\Two");
        f().mnuAddnew1_Click();
        FoldMaker::get().Text1->setText("Kid");
        f().mnuAddnew2_Click();
        QCOMPARE(FoldMaker::get().Text1->Text(), QString("Kid"));
        FoldMaker::get().Command1->Press();
        QVERIFY(isDir("D:\\Two\\Kid"));
        QVERIFY(!isDir("C:\\One\\Kid"));
    }

    // --- remove ---

    void removeMovesEveryPaneShowingIt()
    {
        m_drives->mkdir("C:\\Data\\Old");
        m_drives->mkdir("C:\\Data\\Keep");
        show(1, "C:\\Data\\Old");
        show(2, "C:\\Data\\Keep");
        show(3, "C:\\Data\\Old");
        show(4, "D:\\");
        f().mnuRemove1_Click();
        QVERIFY(!QFileInfo::exists(host("C:\\Data\\Old")));
        QCOMPARE(f().Pane(1).dir->Path(), QString("C:\\Data"));
        QCOMPARE(f().Pane(3).dir->Path(), QString("C:\\Data"));
        QCOMPARE(f().Pane(3).file->Path(), QString("C:\\Data"));
        QCOMPARE(f().Pane(2).dir->Path(), QString("C:\\Data\\Keep"));
        QCOMPARE(f().Pane(4).dir->Path(), QString("D:\\"));
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void removeRefusesWhatIsNotOneEmptyFolder_data()
    {
        QTest::addColumn<QString>("content"); // what the folder holds
        QTest::newRow("a file") << "f.txt";
        QTest::newRow("a hidden file") << ".hidden";
        QTest::newRow("a subfolder") << "Sub/";
        QTest::newRow("drive root") << "@root";
    }
    void removeRefusesWhatIsNotOneEmptyFolder()
    {
        QFETCH(QString, content);
        const bool root = content == "@root";
        const QString folder = root ? "D:\\" : "C:\\Data\\Full";
        m_drives->write("D:\\r.txt");
        if (!root) {
            if (content.endsWith('/'))
                m_drives->mkdir(folder + "\\" + content.chopped(1));
            else
                m_drives->write(folder + "\\" + content, "kept");
        }
        show(2, folder);
        show(5, folder);
        f().mnuRemove2_Click();
        QCOMPARE(m_boxes->prompts(),
                 QStringList({"Can only delete folder after files are deleted."}));
        QCOMPARE(m_boxes->boxes[0].style, int(plat::vbInformation));
        QCOMPARE(f().Pane(2).dir->Path(), folder);
        QCOMPARE(f().Pane(5).dir->Path(), folder);
        if (root) {
            QVERIFY(QFileInfo::exists(host("D:\\r.txt")));
        } else if (!content.endsWith('/')) {
            QCOMPARE(contents(host(folder + "\\" + content)), QByteArray("kept"));
        } else {
            QVERIFY(isDir(folder + "\\Sub"));
        }
    }

    // Remove names the cause of each refusal and changes nothing.
    void removeFolderFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("link to a folder")
            << "link"
            << "This is a link to a folder, not the folder itself; it was not deleted.";
        QTest::newRow("read-only drive") << "readonly"
                                         << "Can't delete folder on read only media.";
        QTest::newRow("parent may not be written")
            << "locked"
            << " Write protected or access marked as restricted";
    }
    void removeFolderFailures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        m_drives->mkdir("C:\\P\\Empty");
        QString folder = "C:\\P\\Empty";
        if (kind == "link") {
            QVERIFY(QFile::link(host("C:\\P\\Empty"), host("C:\\P\\Link")));
            folder = "C:\\P\\Link";
        }
        std::optional<ReadOnlyMount> ro;
        if (kind == "readonly") {
            ro.emplace(host("C:\\P"), QStringList{"Empty"});
            if (!ro->ok()) QSKIP(qPrintable(ro->why()));
        }
        std::optional<testsupport::PermissionsBind> bind;
        if (kind == "locked") {
            bind.emplace();
            if (!bind->active()) QSKIP(qPrintable(bind->why()));
            QFile::setPermissions(host("C:\\P"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        show(1, folder);
        show(2, folder);
        QCOMPARE(f().Pane(1).dir->Path(), folder);
        const QStringList before = tree(host("C:\\"));
        f().mnuRemove1_Click();
        const QStringList after = tree(host("C:\\"));
        QFile::setPermissions(host("C:\\P"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        bind.reset();
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(m_boxes->boxes[0].style, int(plat::vbInformation));
        QCOMPARE(after, before);
        QCOMPARE(f().Pane(1).dir->Path(), folder);
        QCOMPARE(f().Pane(2).dir->Path(), folder);
    }

    void vanishedFolderRefreshes()
    {
        m_drives->write("C:\\Gone\\a.txt");
        show(1, "C:\\Gone");
        show(2, "C:\\Gone");
        QDir(host("C:\\Gone")).removeRecursively(); // removed by another program
        f().mnuRefresh1_Click();
        f().mnuRefresh_Click();
        f().Pane(2).dir->Refresh();
        QCOMPARE(f().FileBox->ListCount(), 0);
        QCOMPARE(f().FileBox2->ListCount(), 0);
        f().mnuRemove1_Click(); // nothing to remove, said so; no pane moves
        QCOMPARE(m_boxes->prompts(), QStringList({" Path to this folder is not found"}));
        QCOMPARE(f().Pane(1).dir->Path(), QString("C:\\Gone"));
    }

    // --- rename ---

    void renameFolderMovesLastFolderPaneToRoot()
    {
        m_drives->mkdir("D:\\Data\\Old");
        show(1, "D:\\Data\\Old");
        show(2, "D:\\Data");
        // the last folder change happened in pane 2
        QCOMPARE(f().Text6->Text(), QString("2"));
        f().mnuRename1_Click();
        Namer& d = Namer::get();
        QCOMPARE(d.Caption(), QString("New Folder Name"));
        QCOMPARE(d.Text1->Text(), QString("D:\\Data\\Old"));
        QVERIFY(!d.Text1->isEnabled());
        d.Text2->setText("New");
        d.Command1->Press();
        QVERIFY(isDir("D:\\Data\\New"));
        QVERIFY(!QFileInfo::exists(host("D:\\Data\\Old")));
        QCOMPARE(f().Pane(2).dir->Path(), QString("D:\\"));
        QCOMPARE(f().Pane(2).file->Path(), QString("D:\\"));
        QVERIFY(f().Pane(2).drive->Drive().startsWith("d:"));
        QCOMPARE(f().Pane(1).dir->Path(), QString("D:\\Data\\Old")); // keeps its path
        QVERIFY(!Namer::IsLoaded());
    }

    void renameFolderRefusals_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("drive root")
            << "C:\\"
            << "x"
            << "Cannot change name of drive root directory or no double click over folder name."
            << false;
        QTest::newRow("empty name") << "C:\\A"
                                    << ""
                                    << "Please enter new name to continue" << true;
        QTest::newRow("name taken") << "C:\\A"
                                    << "B"
                                    << " Duplicate folder already exists. " << true;
        // A new name names one entry of the same folder, never a path.
        const QString only = "Please enter the new folder name only  ";
        QTest::newRow("two levels up") << "C:\\A"
                                       << "..\\..\\up" << only << true;
        QTest::newRow("into a sibling") << "C:\\A"
                                        << "B\\A" << only << true;
        QTest::newRow("slash") << "C:\\A"
                               << "B/A" << only << true;
        QTest::newRow("other drive") << "C:\\A"
                                     << "D:A" << only << true;
        QTest::newRow("dot") << "C:\\A"
                             << "." << only << true;
        QTest::newRow("dot dot") << "C:\\A"
                                 << ".." << only << true;
        QTest::newRow("name too long")
            << "C:\\A" << QString(300, 'n') << " Folder name or path too long" << true;
        QTest::newRow("folder gone") << "C:\\A"
                                     << "@gone"
                                     << " Path to this folder is not found" << true;
    }
    void renameFolderRefusals()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(bool, staysOpen);
        m_drives->write("C:\\A\\a.txt", "in A");
        m_drives->write("C:\\B\\b.txt", "in B");
        show(1, folder);
        f().Text6->setText("1");
        f().mnuRename1_Click();
        const bool gone = name == "@gone";
        if (gone) QVERIFY(QDir().rename(host("C:\\A"), host("C:\\B\\A")));
        const QStringList before = tree(host("C:\\"));
        Namer::get().Text2->setText(gone ? "New" : name);
        Namer::get().Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(Namer::IsLoaded(), staysOpen);
        QCOMPARE(tree(host("C:\\")), before); // nothing moved, nothing made
        QCOMPARE(contents(host(gone ? "C:\\B\\A\\a.txt" : "C:\\A\\a.txt")), QByteArray("in A"));
        QCOMPARE(contents(host("C:\\B\\b.txt")), QByteArray("in B"));
        QCOMPARE(f().Pane(1).dir->Path(), folder);
    }

    void renameFile_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("oldPath");
        QTest::addColumn<QString>("newPath");
        QTest::newRow("drive root") << "C:\\"
                                    << "C:\\a.txt"
                                    << "C:\\b.txt";
        QTest::newRow("folder") << "D:\\Docs"
                                << "D:\\Docs\\a.txt"
                                << "D:\\Docs\\b.txt";
    }
    void renameFile()
    {
        QFETCH(QString, folder);
        QFETCH(QString, oldPath);
        QFETCH(QString, newPath);
        m_drives->write(oldPath, "content");
        show(3, folder);
        show(4, folder);
        f().FileBox3->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().mnuReeName3_Click();
        Namer2& d = Namer2::get();
        QCOMPARE(d.Caption(), QString("Rename File : a.txt"));
        QCOMPARE(d.Text2->Text(), oldPath);
        d.Text1->setText("b.txt");
        QTest::keyClick(d.Text1, Qt::Key_Return); // Enter presses Okay
        QCOMPARE(contents(host(newPath)), QByteArray("content"));
        QVERIFY(!QFileInfo::exists(host(oldPath)));
        QCOMPARE(list(f().FileBox4), QStringList({"b.txt"})); // every file list refreshed
        QCOMPARE(f().Pane(3).dir->Path(), folder);
        QVERIFY(!Namer2::IsLoaded());
    }

    void renameFileNeverReplaces()
    {
        m_drives->write("C:\\D\\a.txt", "A");
        m_drives->write("C:\\D\\b.txt", "B");
        m_drives->write("C:\\D\\c.txt", "C");
        show(1, "C:\\D");
        f().FileBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().mnuReeName1_Click();
        f().FileBox->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        f().mnuReeName1_Click(); // a second file while the dialog is open
        Namer2& d = Namer2::get();
        QCOMPARE(d.Caption(), QString("Rename File : a.txt c.txt"));
        QCOMPARE(d.Text2->Text(), QString("C:\\D\\c.txt"));
        d.Text1->setText("b.txt");
        d.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList({" Duplicate filename already exists. "}));
        QCOMPARE(contents(host("C:\\D\\b.txt")), QByteArray("B"));
        QCOMPARE(contents(host("C:\\D\\c.txt")), QByteArray("C"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.Caption(), QString("Rename File : a.txt c.txt"));
    }

    void renameFileRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString only = "Please enter the new file name only  ";
        QTest::newRow("into the parent") << "..\\escaped.txt" << only;
        QTest::newRow("into a subfolder") << "sub/moved.txt" << only;
        QTest::newRow("into a subfolder, backslash") << "sub\\moved.txt" << only;
        QTest::newRow("other drive") << "D:moved.txt" << only;
        QTest::newRow("dot") << "." << only;
        QTest::newRow("dot dot") << ".." << only;
        QTest::newRow("name too long") << QString(300, 'n') << " File name or path too long";
        QTest::newRow("folder gone") << "@gone"
                                     << " Path to this file is not found";
    }
    void renameFileRefusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_drives->write("C:\\D\\a.txt", "A");
        m_drives->mkdir("C:\\D\\sub");
        show(1, "C:\\D");
        f().FileBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        f().mnuReeName1_Click();
        const bool gone = name == "@gone";
        if (gone) QVERIFY(QDir().rename(host("C:\\D"), host("C:\\E")));
        const QStringList before = tree(host("C:\\"));
        Namer2& d = Namer2::get();
        d.Text1->setText(gone ? "b.txt" : name);
        d.Command1->Press();
        QCOMPARE(m_boxes->prompts(), QStringList({message}));
        QCOMPARE(tree(host("C:\\")), before);
        QCOMPARE(contents(host(gone ? "C:\\E\\a.txt" : "C:\\D\\a.txt")), QByteArray("A"));
        QVERIFY(d.isVisible());
    }

    void renameFileWithoutCurrentFile()
    {
        m_drives->write("C:\\a.txt");
        show(5, "C:\\");
        f().mnuReeName5_Click();
        QCOMPARE(m_boxes->prompts(), QStringList({"No file Selected"}));
        QVERIFY(!Namer2::IsLoaded());
    }

    // Another program adds a file to a folder two panes show, in the same
    // second as the panes' reading or while the folder's times cannot tell;
    // then the user's refreshes and the program's own renames show the
    // folder as it is. A click may keep a reading only when the times can
    // tell a later change apart, which whole-second stamps in the reading's
    // second cannot.
    void refreshesShowChangesTheStampsCannotTell_data()
    {
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<QString>("action");
        for (const bool frozen : {false, true})
            for (const char* action : {"Refresh All", "pop-up Refresh", "click", "two renames"}) {
                if (frozen && QByteArray(action) == "click") continue; // nothing can tell
                QTest::addRow("%s, %s", frozen ? "frozen times" : "same second", action)
                    << frozen << QString(action);
            }
    }
    void refreshesShowChangesTheStampsCannotTell()
    {
        QFETCH(bool, frozen);
        QFETCH(QString, action);
        m_drives->write("C:\\W\\a.txt");
        show(1, "C:\\W");
        show(2, "C:\\W");
        plat::fs::setFolderStampHook(frozen ? frozenStamps : stampsInTheCurrentSecond);
        const auto restore = qScopeGuard([] { plat::fs::setFolderStampHook(nullptr); });
        f().FileBox_Click();  // both lists take a reading under these stamps
        f().FileBox2_Click(); // and again, where a kept one would be handed out
        QCOMPARE(list(f().FileBox2), QStringList({"a.txt"}));
        m_drives->write("C:\\W\\b.txt");
        QStringList expected = {"a.txt", "b.txt"};
        if (action == "Refresh All") {
            f().mnuRefresh_Click();
        } else if (action == "pop-up Refresh") {
            f().mnuRefresh2_Click();
        } else if (action == "click") {
            f().FileBox_Click();
        } else {
            for (const auto& [from, to] : {std::pair{"a.txt", "c.txt"}, {"c.txt", "d.txt"}}) {
                f().FileBox->setCurrentRow(int(list(f().FileBox).indexOf(from)),
                                           QItemSelectionModel::NoUpdate);
                f().mnuReeName1_Click();
                Namer2::get().Text1->setText(to);
                Namer2::get().Command1->Press();
                QVERIFY(!Namer2::IsLoaded());
                QVERIFY(list(f().FileBox).contains(to));
            }
            expected = {"b.txt", "d.txt"};
        }
        QCOMPARE(list(f().FileBox2), expected);
        if (action == "Refresh All" || action == "two renames")
            QCOMPARE(list(f().FileBox), expected);
    }

    // --- pop-up menus ---

    void popupOpensOnRightReleaseOnly_data()
    {
        QTest::addColumn<bool>("fileList");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("lastFilePath");
        for (bool files : {true, false}) {
            const char* l = files ? "file list" : "folder list";
            // Entry 0 made current by the left click keeps the older path.
            QTest::addRow("%s, left", l) << files << int(Qt::LeftButton) << false << 0 << "earlier";
            QTest::addRow("%s, middle", l)
                << files << int(Qt::MiddleButton) << false << 0 << (files ? "C:\\P\\" : "earlier");
            QTest::addRow("%s, right", l)
                << files << int(Qt::RightButton) << true << 0 << (files ? "C:\\P\\" : "earlier");
        }
        QTest::addRow("file list, left on the second entry")
            << true << int(Qt::LeftButton) << false << 1 << "C:\\P\\b.txt";
    }
    void popupOpensOnRightReleaseOnly()
    {
        QFETCH(bool, fileList);
        QFETCH(int, button);
        QFETCH(bool, opens);
        QFETCH(int, row);
        QFETCH(QString, lastFilePath);
        m_drives->write("C:\\P\\a.txt");
        m_drives->write("C:\\P\\b.txt");
        m_drives->mkdir("C:\\P\\Sub");
        show(3, "C:\\P");
        show(1, "C:\\");
        f().Text7->setText("1");
        f().Text6->setText("1");
        f().FileBox3->setSelected(1, true);
        f().LastFilePath = "earlier";
        f().show();
        QAbstractItemView* target = fileList ? static_cast<QAbstractItemView*>(f().FileBox3)
                                             : static_cast<QAbstractItemView*>(f().DirBox3);
        const int dirRow = f().DirBox3->currentRow();
        const QPoint at = target->visualRect(target->model()->index(row, 0)).center();
        QTest::mouseClick(target->viewport(), Qt::MouseButton(button), {}, at);
        QCOMPARE(m_popups.size(), opens ? 1 : 0);
        if (opens) QCOMPARE(m_popups[0], fileList ? f().mnuPopup3 : f().mnuDirPop3);
        QCOMPARE(f().LastFilePath, lastFilePath);
        if (button == int(Qt::RightButton)) {
            QCOMPARE(f().Text7->Text(), QString("1"));
            QCOMPARE(f().Text6->Text(), QString("1"));
            QVERIFY(f().FileBox3->Selected(1));
            QVERIFY(!f().FileBox3->Selected(0));
            QCOMPARE(f().FileBox3->ListIndex(), -1);
            QCOMPARE(f().DirBox3->currentRow(), dirRow);
            QCOMPARE(f().Pane(3).dir->Path(), QString("C:\\P"));
        }
    }

    void popupItemsAndCaptions()
    {
        const QStringList fileItems = {"mnuCopy",    "mnuCopee",   "mnuDelete", "mnuPasteFile",
                                       "mnuRefresh", "mnuReeName", "mnuRun",    "mnuSelectAll",
                                       "mnuGraphic", "ViewHtml",   "mnuZipView"};
        const QStringList copee = {"Copy FileTo..", "Copy File To..", "Copy File To",
                                   "Copy File To..", "Copy File To.."};
        for (int n = 1; n <= 5; ++n) {
            const QList<QAction*> a = f().Pane(n).filePopup->actions();
            QCOMPARE(a.size(), 11);
            const QStringList captions = {n == 3 ? "Copy " : "Copy",
                                          copee[n - 1],
                                          "Delete",
                                          n <= 4 ? "Paste " : "Paste",
                                          "Refresh",
                                          "Rename",
                                          "Run",
                                          "Select All Files",
                                          "View Graphic (.BMP, .CUR, .GIF, .ICO, .JPG, .WMF)",
                                          "View Html",
                                          "ZipView"};
            for (int i = 0; i < 11; ++i) {
                QCOMPARE(a[i]->text(), captions[i]);
                QVERIFY(a[i]->isVisible() && a[i]->isEnabled());
            }
            QCOMPARE(a[3]->objectName(),
                     n == 1 ? QString("mnuPasteFile") : "mnuPasteFile" + QString::number(n));
            QCOMPARE(a[6]->objectName(),
                     n == 1 ? QString("mnuRun") : "mnuRun" + QString::number(n));
            QCOMPARE(a[9]->objectName(),
                     (n <= 3 ? "MnuViewHtml" : "mnuViewHtml") + QString::number(n));
            const QList<QAction*> d = f().Pane(n).dirPopup->actions();
            QCOMPARE(d.size(), 3);
            QCOMPARE(d[0]->text(), QString("Add New Folder"));
            QCOMPARE(d[1]->text(), QString(n == 1 ? "Rename" : "Rename "));
            QCOMPARE(d[2]->text(), QString(n <= 3 ? "Remove " : "Remove"));
            QCOMPARE(d[2]->objectName(), "mnuRemove" + QString::number(n));
        }
        QCOMPARE(f().mnuPopUp2->title(), QString("&Popup2"));
        QCOMPARE(f().mnuDirPop4->title(), QString("DirBox Popup4"));
    }

    void popupCommandsActOnTheirOwnPane()
    {
        m_drives->write("C:\\P1\\one.txt");
        m_drives->write("C:\\P3\\three.txt");
        m_drives->mkdir("C:\\P2\\Empty");
        show(1, "C:\\P1");
        show(3, "C:\\P3");
        show(2, "C:\\P2\\Empty");
        f().FileBox->setSelected(0, true);
        f().FileBox3->setSelected(0, true);
        f().Text7->setText("1");
        f().menuItem("mnuCopy3")->trigger(); // pane 3's, though pane 1 is active and selected
        QCOMPARE(f().List1->List(0), QString("three.txt"));
        QCOMPARE(plat::clipboard::GetText(), QString("C:\\P3"));
        f().menuItem("mnuRemove2")->trigger(); // the pane's open folder, not a highlighted row
        QVERIFY(!QFileInfo::exists(host("C:\\P2\\Empty")));
        QCOMPARE(f().Pane(2).dir->Path(), QString("C:\\P2"));
        f().menuItem("mnuAddnew5")->trigger();
        QCOMPARE(FoldMaker::get().Text2->Text(), f().Pane(5).dir->Path());
        m_drives->write("C:\\P3\\late.txt");
        f().menuItem("mnuRefresh3")->trigger();
        QCOMPARE(list(f().FileBox3), QStringList({"late.txt", "three.txt"}));
        QVERIFY(f().FileBox->Selected(0)); // only pane 3 was refreshed
    }
};

QTEST_MAIN(TstFolders)
#include "tst_folders.moc"
