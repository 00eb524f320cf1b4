// Host names whatever their bytes: each name beside the name it is most
// easily confused with, driven through the file list, copy and paste, View
// Text, the search, rename and delete with real files; a search of a tree
// of such names against find; a NUL in a name refused.
#include "testsupport.h"

#include "editor/module1.h"
#include "editor/module2.h"
#include "editor/textpad.h"
#include "fileops/namer2.h"
#include "fileops/standby.h"
#include "filesearch/dig.h"
#include "mainwindow/form1.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/picture.h"
#include "platform/trash.h"
#include "standalone/zipview.h"

#include <QBuffer>
#include <QCheckBox>
#include <QProcess>
#include <QStyledItemDelegate>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::RecordingMessageBoxes;
using testsupport::TempDrives;
namespace drives = plat::drives;

namespace {

void put(const QByteArray& path, const QByteArray& data)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, data.constData(), size_t(data.size())), ssize_t(data.size()));
    ::close(fd);
}

QByteArray get(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0) return "<missing>";
    QByteArray out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, n);
    ::close(fd);
    return out;
}

// The names in a host folder, as bytes, sorted.
QList<QByteArray> names(const QByteArray& folder)
{
    QList<QByteArray> out;
    DIR* d = ::opendir(folder.constData());
    if (!d) return out;
    while (dirent* e = ::readdir(d))
        if (qstrcmp(e->d_name, ".") && qstrcmp(e->d_name, "..")) out.append(e->d_name);
    ::closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

// The full host paths of the names in a host folder.
QList<QByteArray> paths(const QByteArray& folder)
{
    QList<QByteArray> out;
    for (const QByteArray& n : names(folder))
        out.append(folder + '/' + n);
    return out;
}

// Empties a host folder by bytes: Qt's own removal cannot spell every name.
void emptyTree(const QByteArray& root)
{
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat*, int, struct FTW* ftw) {
            if (ftw->level > 0) ::remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

QList<QByteArray> hostBytesOf(const QStringList& winPaths)
{
    QList<QByteArray> out;
    for (const QString& p : winPaths)
        out.append(drives::toHostBytes(p));
    std::sort(out.begin(), out.end());
    return out;
}

// The trash, as the seam sees it: the file goes away by its exact bytes.
struct ExactTrash : plat::trash::TrashSeam {
    ExactTrash() { plat::trash::setTrashSeam(this); }
    ~ExactTrash() override { plat::trash::setTrashSeam(nullptr); }
    bool moveToTrash(const QString& hostPath, QString*) override
    {
        const QByteArray b = drives::hostBytes(hostPath);
        sent.append(b);
        return ::unlink(b.constData()) == 0;
    }
    QList<QByteArray> sent;
};

} // namespace

class TstHostNames : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;

    Form1& f() { return Form1::get(); }
    QByteArray hostOf(const QString& win) { return drives::toHostBytes(win); }
    static QString join(const QString& folder, const QString& name)
    {
        return Form1::JoinPath(folder, name);
    }

    // The row of pane n's file list whose entry names the host file.
    int rowOf(int n, const QByteArray& hostFile)
    {
        ctl::FileListBox* l = f().Pane(n).file;
        for (int i = 0; i < l->ListCount(); ++i)
            if (hostOf(join(l->Path(), l->List(i))) == hostFile) return i;
        return -1;
    }
    void pick(int n, int row)
    {
        ctl::FileListBox* l = f().Pane(n).file;
        l->clearSelection();
        l->setSelected(row, true);
        l->setCurrentRow(row, QItemSelectionModel::NoUpdate);
        f().Text7->setText(QString::number(n));
    }
    void search(const QString& folder, bool subFolders)
    {
        Dig& dig = Dig::get();
        dig.txtvalue->setText(folder);
        dig.textval->setText("*.*");
        dig.Check1->setChecked(subFolders);
        dig.Command2->Press();
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        f().List1->Clear();
        f().List2->Clear();
        plat::clipboard::Clear();
    }

    void cleanup()
    {
        Module1::TextChanged = false;
        Textpad::UnloadIfLoaded();
        Namer2::UnloadIfLoaded();
        Standby::UnloadIfLoaded();
        Dig::UnloadIfLoaded();
        ZipView::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_boxes.reset();
        emptyTree(hostOf("C:\\"));
        emptyTree(hostOf("D:\\"));
        m_drives.reset();
    }

    void nameBesideItsLookAlike_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("twin"); // the name it must never merge with
        QTest::newRow("Latin-1 byte")
            << QByteArray("caf\xE9.txt") << QByteArray("caf\xEF\xBF\xBD.txt");
        QTest::newRow("literal U+FFFD")
            << QByteArray("caf\xEF\xBF\xBD.txt") << QByteArray("caf\xE9.txt");
        QTest::newRow("literal U+29F5")
            << QByteArray("x\xE2\xA7\xB5y.txt") << QByteArray("x\\y.txt");
        QTest::newRow("backslash") << QByteArray("x\\y.txt") << QByteArray("x\xE2\xA7\xB5y.txt");
        QTest::newRow("literal stand-in character")
            << QByteArray("p\xEF\x9F\xA9.txt") << QByteArray("p\xE9.txt");
        QTest::newRow("255 bytes") << QByteArray("\xE9" + QByteArray(250, 'l') + ".txt")
                                   << QByteArray("\xE8" + QByteArray(250, 'l') + ".txt");
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBFtest.txt") << QByteArray("test.txt");
        QTest::newRow("left-to-right embeddings")
            << QByteArray("\xE2\x80\xAA\xE2\x80\xAAtest\xE2\x80\xAA.txt") << QByteArray("test.txt");
        QTest::newRow("right-to-left embeddings")
            << QByteArray("\xE2\x80\xABtest\xE2\x80\xAB.txt") << QByteArray("test.txt");
        QTest::newRow("paragraph separators")
            << QByteArray("\xE2\x80\xA9test\xE2\x80\xA9.txt") << QByteArray("test.txt");
    }

    void nameBesideItsLookAlike()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, twin);
        m_drives->mkdir("C:\\src");
        m_drives->mkdir("D:\\dst");
        const QByteArray srcFolder = hostOf("C:\\src");
        const QByteArray src = srcFolder + '/';
        put(src + name, "mine");
        put(src + twin, "twin");
        if (QTest::currentTestFailed()) return;

        // Listed as two entries that name the two files and look different.
        testsupport::showFolder(1, "C:\\src");
        ctl::FileListBox* list = f().Pane(1).file;
        QCOMPARE(list->ListCount(), 2);
        QCOMPARE(hostBytesOf({join("C:\\src", list->List(0)), join("C:\\src", list->List(1))}),
                 paths(srcFolder));
        auto* look = qobject_cast<QStyledItemDelegate*>(list->itemDelegate());
        QVERIFY(look);
        QStringList shown;
        for (int i = 0; i < 2; ++i)
            shown << look->displayText(list->List(i), QLocale());
        QVERIFY(shown.at(0) != shown.at(1));
        for (const QString& s : shown)
            for (QChar c : s)
                QVERIFY2(c.unicode() < 0xF780 || c.unicode() > 0xF7FF, qPrintable(s));
        const int row = rowOf(1, src + name);
        QVERIFY(row >= 0);

        // Copy and paste take that file, and only it.
        pick(1, row);
        f().mnuCopy_Click();
        testsupport::showFolder(2, "D:\\dst");
        f().Text7->setText("2");
        f().mnuPaste0_Click();
        QCOMPARE(names(hostOf("D:\\dst")), QList<QByteArray>{name});
        QCOMPARE(get(hostOf("D:\\dst") + '/' + name), QByteArray("mine"));

        // View Text opens it.
        pick(1, row);
        f().mnuOpenTextFile_Click();
        QCOMPARE(Textpad::get().txtNote->Text(), QString("mine"));
        Module1::TextChanged = false;

        // The search lists both, each opening its own file.
        search("C:\\src", false);
        ctl::ListBox* results = Dig::get().List1;
        QCOMPARE(hostBytesOf(testsupport::entries(results)), paths(srcFolder));
        for (int i = 0; i < results->ListCount(); ++i) {
            results->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            Dig::get().mnuView_Click();
            const bool mine = hostOf(results->List(i)) == src + name;
            QCOMPARE(Textpad::get().txtNote->Text(), QString(mine ? "mine" : "twin"));
            Module1::TextChanged = false;
        }

        // Saving it writes that file, not a new one beside it.
        pick(1, row);
        f().mnuOpenTextFile_Click();
        Textpad::get().txtNote->setText("saved");
        QVERIFY(Module2::SaveTextFile(Textpad::get().DocumentPath()));
        QVERIFY(get(src + name).startsWith("saved"));
        QCOMPARE(get(src + twin), QByteArray("twin"));
        QCOMPARE(names(srcFolder).size(), 2);

        // Rename: the new name keeps the awkward bytes after its first.
        const QByteArray renamed = 'R' + name.mid(1);
        pick(1, rowOf(1, src + name));
        f().mnuReeName1_Click();
        Namer2::get().Text1->setText(drives::windowsName(renamed.constData(), renamed.size()));
        Namer2::get().Command1->Press();
        QVERIFY(get(src + renamed).startsWith("saved"));
        QCOMPARE(get(src + name), QByteArray("<missing>"));
        QCOMPARE(get(src + twin), QByteArray("twin"));

        // Delete sends that file to the trash, and only it.
        ExactTrash trash;
        pick(1, rowOf(1, src + renamed));
        f().mnuDelete0_Click();
        QCOMPARE(trash.sent, QList<QByteArray>{src + renamed});
        QCOMPARE(names(src), QList<QByteArray>{twin});
        QCOMPARE(m_boxes->boxes.size(), 1); // the search's count, nothing else
    }

    // The screen's form of a name: nothing invisible, nothing that turns
    // its neighbours around, no blank at its end goes unseen.
    void shownForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "test"
                               << "test";
        QTest::newRow("inner blank") << "a b.txt"
                                     << "a b.txt";
        QTest::newRow("only a blank") << " "
                                      << "\\u{20}";
        QTest::newRow("trailing blanks") << "a  "
                                         << "a\\u{20}\\u{20}";
        QTest::newRow("trailing no-break space") << "a\u00A0"
                                                 << "a\\u{A0}";
        QTest::newRow("leading blank") << " a"
                                       << " a";
        QTest::newRow("byte-order mark") << QString(QChar(0xFEFF)) << "\\u{FEFF}";
        QTest::newRow("left-to-right embeddings") << "\u202A\u202Atest\u202A"
                                                  << "\\u{202A}\\u{202A}test\\u{202A}";
        QTest::newRow("right-to-left embeddings") << "\u202Btest\u202B"
                                                  << "\\u{202B}test\\u{202B}";
        QTest::newRow("paragraph separators") << "\u2029test\u2029"
                                              << "\\u{2029}test\\u{2029}";
        QTest::newRow("line separator") << "a\u2028b"
                                        << "a\\u{2028}b";
        QTest::newRow("tab") << "a\tb"
                             << "a\\u{9}b";
        QTest::newRow("tag character") << QString::fromUcs4(U"a\U000E0041") << "a\\u{E0041}";
        QTest::newRow("byte that is not UTF-8 beside a mark")
            << QString("caf") + QChar(0xF7E9) + QChar(0x200F) << "caf\\xE9\\u{200F}";
        QTest::newRow("blank ending a folder of a path") << "C:\\a \\b"
                                                         << "C:\\a\\u{20}\\b";
        QTest::newRow("letters of other scripts") << "\u05D0\u05D1.txt"
                                                  << "\u05D0\u05D1.txt";
    }
    void shownForm()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QCOMPARE(drives::displayName(name), shown);
    }

    // In a message or a caption the text's own blanks and line breaks stay;
    // what no eye sees is escaped.
    void shownTextKeepsItsLayout()
    {
        QCOMPARE(drives::displayText(" Could not copy\r\n\u202Btest\u202B  "),
                 QString(" Could not copy\r\n\\u{202B}test\\u{202B}  "));
    }

    // Names that differ only in what does not show: each row looks like no
    // other, the list holds the exact name, and each action takes its file.
    void lookAlikesTellApart_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a blank") << QByteArray(" ") << "\\u{20}";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") << "\\u{FEFF}";
        QTest::newRow("left-to-right embeddings")
            << QByteArray("\xE2\x80\xAA\xE2\x80\xAAtest\xE2\x80\xAA")
            << "\\u{202A}\\u{202A}test\\u{202A}";
        QTest::newRow("right-to-left embeddings")
            << QByteArray("\xE2\x80\xABtest\xE2\x80\xAB") << "\\u{202B}test\\u{202B}";
        QTest::newRow("paragraph separators")
            << QByteArray("\xE2\x80\xA9test\xE2\x80\xA9") << "\\u{2029}test\\u{2029}";
        QTest::newRow("plain") << QByteArray("test") << "test";
    }
    void lookAlikesTellApart()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        const QList<QByteArray> all = {" ",
                                       "\xEF\xBB\xBF",
                                       "\xE2\x80\xAA\xE2\x80\xAAtest\xE2\x80\xAA",
                                       "\xE2\x80\xABtest\xE2\x80\xAB",
                                       "\xE2\x80\xA9test\xE2\x80\xA9",
                                       "test"};
        m_drives->mkdir("C:\\src");
        m_drives->mkdir("D:\\dst");
        const QByteArray src = hostOf("C:\\src") + '/';
        for (const QByteArray& n : all)
            put(src + n, n);
        if (QTest::currentTestFailed()) return;

        testsupport::showFolder(1, "C:\\src");
        ctl::FileListBox* list = f().Pane(1).file;
        QCOMPARE(list->ListCount(), int(all.size()));
        auto* look = qobject_cast<QStyledItemDelegate*>(list->itemDelegate());
        QVERIFY(look);
        QSet<QString> rows;
        for (int i = 0; i < list->ListCount(); ++i)
            rows.insert(look->displayText(list->List(i), QLocale()));
        QCOMPARE(rows.size(), int(all.size())); // no two rows alike
        const int row = rowOf(1, src + name);
        QVERIFY(row >= 0);
        QCOMPARE(list->List(row), drives::windowsName(name.constData(), name.size()));
        QCOMPARE(look->displayText(list->List(row), QLocale()), shown);
        QCOMPARE(list->model()->index(row, 0).data(Qt::AccessibleTextRole).toString(), shown);

        // Copy and paste take that file, and only it.
        pick(1, row);
        f().mnuCopy_Click();
        testsupport::showFolder(2, "D:\\dst");
        f().Text7->setText("2");
        f().mnuPaste0_Click();
        QCOMPARE(names(hostOf("D:\\dst")), QList<QByteArray>{name});
        QCOMPARE(get(hostOf("D:\\dst") + '/' + name), name);

        // The rename dialog's caption shows the name as the list does and
        // holds the exact one.
        pick(1, rowOf(1, src + name));
        f().mnuReeName1_Click();
        Namer2& rename = Namer2::get();
        QVERIFY(rename.windowTitle().endsWith(" " + shown));
        QVERIFY(rename.Caption().endsWith(" " + list->List(row)));
        QCOMPARE(hostOf(rename.Text2->Text()), src + name);
        rename.Command2->Press();

        // The editor's caption and its question show it so as well.
        QVERIFY(Module2::LoadTextFile(join("C:\\src", list->List(row))));
        Textpad& pad = Textpad::get();
        QCOMPARE(hostOf(pad.DocumentPath()), src + name);
        QCOMPARE(pad.windowTitle(), drives::displayName(pad.Caption()));
        QVERIFY(pad.windowTitle().endsWith(QString(shown).replace("test", "TEST")));
        const QString title = pad.windowTitle();
        Module1::TextChanged = true;
        m_boxes->answers << plat::vbNo;
        pad.mnuFileNew_Click();
        QCOMPARE(m_boxes->prompts().last(), "Save changes to " + title + "?");
        Module1::TextChanged = false;

        // Delete sends that file to the trash, and only it.
        ExactTrash trash;
        pick(1, rowOf(1, src + name));
        f().mnuDelete0_Click();
        QCOMPARE(trash.sent, QList<QByteArray>{src + name});
        QCOMPARE(names(src).size(), all.size() - 1);
    }

    // A tree of such names, a folder that is not UTF-8 among them: the search
    // lists what find lists, and each result opens and copies.
    void searchListsWhatFindLists()
    {
        m_drives->mkdir("C:\\tree");
        m_drives->mkdir("D:\\out");
        const QByteArray root = hostOf("C:\\tree");
        QVERIFY(::mkdir(root + "/\xFF\xFE dir", 0755) == 0);
        QVERIFY(::mkdir(root + "/\xFF\xFE dir/x\\sub", 0755) == 0);
        const QList<QByteArray> files = {"lat\xE9n1.txt",          "lat\xE8n1.txt",
                                         "caf\xEF\xBF\xBD.txt",    "a\xE2\xA7\xB5.txt",
                                         ".hid\xE9.txt",           "\xFF\xFE dir/inner\xE9.txt",
                                         "\xFF\xFE dir/plain.txt", "\xFF\xFE dir/x\\sub/b\\c.txt"};
        for (const QByteArray& rel : files)
            put(root + '/' + rel, rel.toHex());

        QProcess find;
        find.start("find", {QFile::decodeName(root), "-type", "f", "-print0"});
        QVERIFY(find.waitForFinished(10000));
        QList<QByteArray> found = find.readAllStandardOutput().split('\0');
        found.removeAll(QByteArray());
        std::sort(found.begin(), found.end());
        QCOMPARE(found.size(), files.size());

        search("C:\\tree", true);
        Dig& dig = Dig::get();
        const QStringList results = testsupport::entries(dig.List1);
        QCOMPARE(hostBytesOf(results), found);
        QCOMPARE(m_boxes->prompts(), QStringList{" 8 files found in 3 directories"});

        for (const QString& r : results) {
            QVERIFY(Module2::LoadTextFile(r));
            QCOMPARE(Textpad::get().txtNote->Text().toLatin1(),
                     hostOf(r).mid(root.size() + 1).toHex());
            Module1::TextChanged = false;
        }

        // The folder list opens the folder that is not UTF-8.
        testsupport::showFolder(1, "C:\\tree");
        ctl::DirListBox* folders = f().Pane(1).dir;
        const QString dirWin =
            drives::toWindows(root + "/\xFF\xFE dir"); // also the folder of two results
        QCOMPARE(hostOf(dirWin), root + "/\xFF\xFE dir");
        int dirRow = -1;
        for (int i = 0; i < folders->ListCount(); ++i)
            if (folders->folderAt(i) == dirWin) dirRow = i;
        QVERIFY(dirRow >= 0);
        folders->setCurrentRow(dirRow);
        QTest::keyClick(folders, Qt::Key_Return);
        QCOMPARE(f().Pane(1).file->Path(), dirWin);
        QCOMPARE(f().Pane(1).file->ListCount(), 2);
        // Its files copy from there: the folder travels as clipboard text.
        m_drives->mkdir("D:\\from dir");
        testsupport::showFolder(2, "D:\\from dir");
        pick(1, 0);
        f().Pane(1).file->setSelected(1, true);
        f().mnuCopy_Click();
        QCOMPARE(plat::clipboard::GetText(), dirWin);
        f().Text7->setText("2");
        f().mnuPaste0_Click();
        QCOMPARE(names(hostOf("D:\\from dir")), (QList<QByteArray>{"inner\xE9.txt", "plain.txt"}));

        testsupport::showFolder(2, "D:\\out");
        dig.List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        dig.mnuSelectall_Click();
        dig.mnuCopy_Click();
        f().Text7->setText("2");
        f().mnuPaste0_Click();
        const QByteArray out = hostOf("D:\\out") + '/';
        QCOMPARE(names(out).size(), files.size());
        for (const QByteArray& rel : files) {
            const QByteArray bare = rel.mid(rel.lastIndexOf('/') + 1);
            QCOMPARE(get(out + bare), rel.toHex());
        }
    }

    void pictureOpensByItsBytes()
    {
        m_drives->mkdir("C:\\pics");
        const QByteArray dir = hostOf("C:\\pics") + '/';
        auto bmp = [](int w) {
            QImage img(w, 3, QImage::Format_RGB32);
            img.fill(Qt::red);
            QByteArray b;
            QBuffer buf(&b);
            buf.open(QIODevice::WriteOnly);
            img.save(&buf, "BMP");
            return b;
        };
        put(dir + "p\xE9.bmp", bmp(5));
        put(dir + "p\xEF\xBF\xBD.bmp", bmp(9));
        for (const QString& name : plat::fs::listFiles("C:\\pics")) {
            const QString path = join("C:\\pics", name);
            const int width = hostOf(path).endsWith("p\xE9.bmp") ? 5 : 9;
            QCOMPARE(plat::LoadPicture(path).image.width(), width);
        }
    }

    void runStartsTheFileItNames()
    {
        testsupport::RecordingProcesses processes;
        m_drives->mkdir("C:\\bin");
        const QByteArray dir = hostOf("C:\\bin") + '/';
        put(dir + "setup\xE9.exe", "#!/bin/true\n");
        put(dir + "setup\xEF\xBF\xBD.exe", "#!/bin/true\n");
        ::chmod(dir + "setup\xE9.exe", 0755);
        ::chmod(dir + "setup\xEF\xBF\xBD.exe", 0755);
        search("C:\\bin", false);
        ctl::ListBox* results = Dig::get().List1;
        QCOMPARE(results->ListCount(), 2);
        for (int i = 0; i < 2; ++i) {
            results->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            Dig::get().mnuExecute_Click();
            QCOMPARE(plat::clipboard::GetText(), results->List(i));
        }
        QCOMPARE(processes.launches.size(), 2);
        QList<QByteArray> started;
        for (const plat::ProcessLaunch& l : processes.launches)
            started.append(drives::hostBytes(l.program));
        std::sort(started.begin(), started.end());
        QCOMPARE(started,
                 (QList<QByteArray>{dir + "setup\xE9.exe", dir + "setup\xEF\xBF\xBD.exe"}));
    }

    // A NUL never cuts a name short: "a\0b.txt" is no name for "a".
    void nulIsABadName()
    {
        m_drives->write("C:\\a", "unrelated");
        const QString bad = QString("C:\\a") + QChar(0) + "b.txt";
        int number = 0;
        try {
            plat::fs::copyFile(bad, "D:\\copy.txt");
        } catch (const plat::FileError& e) {
            number = e.number();
        }
        QCOMPARE(number, 76);
        QVERIFY(!plat::fs::pathExists(bad));
        // Stand-ins that spell a character held as itself name no file
        // either: "\xC3\xA9" is "é", and only "é" names it.
        m_drives->write("C:\\\u00e9", "e acute");
        QVERIFY(plat::fs::fileExists("C:\\\u00e9"));
        QVERIFY(!plat::fs::fileExists(QString("C:\\") + QChar(0xF7C3) + QChar(0xF7A9)));
        QCOMPARE(names(hostOf("D:\\")), QList<QByteArray>{});

        // Paste of such a name stops with the message for a bad path.
        f().List1->AddItem(QString("a") + QChar(0) + "b.txt");
        plat::clipboard::SetText("C:\\");
        testsupport::showFolder(2, "D:\\");
        f().Text7->setText("2");
        f().mnuPaste0_Click();
        QCOMPARE(names(hostOf("D:\\")), QList<QByteArray>{});
        QCOMPARE(m_boxes->prompts(),
                 QStringList{"Either the destination doesn't exist or the path to the folder is "
                             "misspelled or incomplete"});

        // Extract refuses an archive entry named so, at once.
        m_drives->mkdir("C:\\atemp0");
        m_drives->write("C:\\atemp0\\a", "taken");
        QCOMPARE(ZipView::CopyEntry(QString("a") + QChar(0) + "b.txt", ZipView::kTarget),
                 ZipView::CopyResult::Refused);
        QCOMPARE(names(hostOf("C:\\atemp0")), QList<QByteArray>{"a"});
    }
};

QTEST_MAIN(TstHostNames)
#include "tst_hostnames.moc"
