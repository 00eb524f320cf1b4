// The editor: documents and their files, editing, find, the HTML preview
// and the HTML viewer.
#include "testsupport.h"

#include "editor/frmfind.h"
#include "editor/module1.h"
#include "editor/module2.h"
#include "editor/textpad.h"
#include "editor/web1.h"
#include "mainwindow/form1.h"
#include "openbytype/suffixes.h"
#include "platform/app.h"
#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/fileerror.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QRandomGenerator>
#include <QScreen>
#include <QtTest>
#include <sys/stat.h>

using namespace testsupport;

namespace {

using Files = QMap<QString, QByteArray>; // file name -> bytes

QByteArray readHost(const QString& host)
{
    QFile f(host);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

// A browser automation object that reports itself busy.
struct BusyBrowser : plat::BrowserAutomation {
    bool Busy() const override { return true; }
};

void finishDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TstEditor : public QObject {
    Q_OBJECT

    TempDrives* m_drives = nullptr;
    RecordingMessageBoxes* m_boxes = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    RecordingProcesses* m_processes = nullptr;

    Textpad& pad() { return Textpad::get(); }
    QString host(const QString& win) { return m_drives->hostPath(win); }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = new TempDrives(2);
        m_boxes = new RecordingMessageBoxes;
        m_dialogs = new ScriptedDialogs;
        m_processes = new RecordingProcesses;
        Module1::FindText.clear();
        Module1::FindMatchCase = 0;
        Module1::FindLastPos = 0;
        Module1::FindRestart = false;
    }

    void cleanup()
    {
        Module2::SetReadBlockForTests(0);
        Module1::TextChanged = false;
        ctl::VbForm::setModalHook(nullptr);
        plat::setBrowserAutomationFactory({});
        frmFind::UnloadIfLoaded();
        Web1::UnloadIfLoaded();
        Textpad::UnloadIfLoaded();
        Form1::UnloadIfLoaded();
        finishDeletes();
        delete m_processes;
        delete m_dialogs;
        delete m_boxes;
        delete m_drives;
    }

    // --- files: what is read is written back, byte for byte ---

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("length"); // characters the editor holds
        QTest::newRow("utf-8, CR LF") << QByteArray("caf\xc3\xa9\r\nline two") << 14;
        QTest::newRow("utf-8 mark, no-break space, separators") << QByteArray("\xef\xbb\xbf"
                                                                              "a\xc2\xa0"
                                                                              "b\xe2\x80\xa9"
                                                                              "c\xe2\x80\xa8"
                                                                              "d")
                                                                << 7;
        // no text of its own after the mark; a mark of UTF-16 reads as the
        // Windows-1252 text its bytes are
        QTest::newRow("utf-8 mark alone") << QByteArray("\xef\xbb\xbf") << 0;
        QTest::newRow("utf-16 mark") << QByteArray("\xff\xfeh\0i\0", 6) << 6;
        QTest::newRow("windows-1252, all of 0x80..0x9f")
            << QByteArray("caf\xe9 \x80\x81\x82\x8d\x8f\x90\x9d\x9f\xff") << 14;
        QTest::newRow("invalid utf-8 cut at the end") << QByteArray("abc\xc3") << 4;
        QTest::newRow("LF only") << QByteArray("a\nb\n") << 4;
        QTest::newRow("CR only") << QByteArray("a\rb\r") << 4;
        QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd\n\re") << 11;
        QTest::newRow("NUL bytes") << QByteArray("a\0b\0\0c", 6) << 6;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("one long line") << QByteArray(300000, 'w') << 300000;
        // large files are decoded in slices side by side
        const QByteArray chars("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\r\n"); // 6 characters
        const int repeats = (9 << 20) / int(chars.size());
        QTest::newRow("utf-8 of 9 MB") << "\xef\xbb\xbf" + chars.repeated(repeats) << 6 * repeats;
        QTest::newRow("windows-1252 seen only at the end of 9 MB")
            << QByteArray(9 << 20, 'a') + "\xe9" << (9 << 20) + 1;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, length);
        m_drives->write("C:\\Docs\\file.txt", bytes);
        QVERIFY(Module2::LoadTextFile("C:\\Docs\\file.txt"));
        QCOMPARE(pad().txtNote->length(), qsizetype(length));
        QVERIFY(!Module1::TextChanged);
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\Docs\\file.txt")), bytes + "\r\n");
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    // A file is read in blocks (here of a few bytes); what the editor makes
    // of it must be what the whole of its bytes decode to at once, and its
    // save must give the bytes back, wherever a block happens to end.
    void loadInBlocks_data()
    {
        QTest::addColumn<int>("block");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        const QByteArray mixed("x\xc3\xa9y\xe2\x82\xacz\xf0\x9f\x98\x80w\r\n\xef\xbb\xbfv");
        QTest::newRow("empty") << 8 << QByteArray() << true;
        QTest::newRow("exactly one block") << 8 << QByteArray("abcdefgh") << true;
        QTest::newRow("two-byte character split") << 8 << QByteArray("abcdefg\xc3\xa9hij") << true;
        QTest::newRow("three-byte character split after one byte")
            << 8 << QByteArray("abcdefg\xe2\x82\xacz") << true;
        QTest::newRow("three-byte character split after two bytes")
            << 8 << QByteArray("abcdef\xe2\x82\xacz") << true;
        QTest::newRow("four-byte character split after three bytes")
            << 8 << QByteArray("abcde\xf0\x9f\x98\x80xyz") << true;
        QTest::newRow("four-byte character ending a block")
            << 8 << QByteArray("abcd\xf0\x9f\x98\x80") << true;
        QTest::newRow("BOM, then a character split")
            << 8 << QByteArray("\xef\xbb\xbfxyzw\xc3\xa9xy") << true;
        QTest::newRow("CR LF split") << 8 << QByteArray("abcdefg\r\nhijklmn\r\nz") << true;
        QTest::newRow("one byte a block") << 1 << mixed << true;
        QTest::newRow("three bytes a block") << 3 << mixed << true;
        QTest::newRow("character cut short at the end")
            << 8 << QByteArray("abcdefghabcdefg\xe2\x82") << false;
        QTest::newRow("invalid only in the last block, plain text before")
            << 8 << QByteArray("abcdefghabcdefghcaf\xe9") << false;
        QTest::newRow("invalid only in the last block, UTF-8 before")
            << 8 << QByteArray("caf\xc3\xa9 ababcdefghx\x80\x9f\xff") << false;
        QTest::newRow("continuation byte starting a block")
            << 8 << QByteArray("abcdefgh\x80xyzuvwx") << false;
        QTest::newRow("CR LF split, Windows-1252")
            << 8 << QByteArray("abcdefg\r\nhijklmn\x93z\x94") << false;
        QTest::newRow("mark in a Windows-1252 file")
            << 8 << QByteArray("\xef\xbb\xbfxyz\xe9xy") << false;
        QTest::newRow("mark over two blocks") << 2 << QByteArray("\xef\xbb\xbf\xc3\xa9z") << true;
        QTest::newRow("mark, UTF-8, then Windows-1252 blocks later")
            << 8 << QByteArray("\xef\xbb\xbf\xc3\xa9 abcdefghijklmnop\xe9") << false;
    }
    void loadInBlocks()
    {
        QFETCH(int, block);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        Module2::FileFormat whole;
        const QString expected = Module2::decodeText(bytes, &whole);
        QCOMPARE(whole.encoding == Module2::Encoding::Utf8, utf8); // the fixture is what it says
        m_drives->write("C:\\blocks.txt", bytes);
        Module2::SetReadBlockForTests(block);
        const bool loaded = Module2::LoadTextFile("C:\\blocks.txt");
        Module2::SetReadBlockForTests(0);
        QVERIFY(loaded);
        QCOMPARE(pad().txtNote->Text(), expected);
        QVERIFY(pad().DocumentFormat() == whole);
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\blocks.txt")), bytes + "\r\n");
    }

    void typedTextOutsideTheCodePageIsKept()
    {
        m_drives->write("C:\\old.txt", "caf\xe9");
        QVERIFY(Module2::LoadTextFile("C:\\old.txt"));
        pad().txtNote->setSelStart(4);
        pad().txtNote->setSelText(QString::fromUtf8(" \xe2\x82\xac \xe4\xb8\xad")); // euro, CJK
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\old.txt")),
                 QByteArray("caf\xc3\xa9 \xe2\x82\xac \xe4\xb8\xad\r\n"));
    }

    // A byte-order mark belongs to the file, not to the text: whatever is
    // typed, deleted or found at the start, the saved file and the preview
    // begin with the mark again, and a file without one gains none.
    void markStaysFirst_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("told"); // the box Find shows, if any
        const QByteArray mark("\xef\xbb\xbf");
        const QString notFound = "Cannot find \"\\u{FEFF}\""; // shown, not invisible
        auto row = [](const char* name, const QByteArray& bytes, const char* action,
                      const QByteArray& saved, const QString& told = QString()) {
            QTest::newRow(name) << bytes << QString(action) << saved << told;
        };
        const QByteArray hi = mark + "hi\r\n";
        row("mark, nothing typed", hi, "none", hi + "\r\n");
        row("mark, Ctrl+Home, type", hi, "home", mark + "Xhi\r\n\r\n");
        row("mark, click at the start, type", hi, "click", mark + "Xhi\r\n\r\n");
        row("mark, Delete at the start", hi, "delete", mark + "i\r\n\r\n");
        row("mark, Backspace at the start", hi, "backspace", hi + "\r\n");
        row("mark, Select All, type", hi, "all", mark + "X\r\n");
        row("mark, Find U+FEFF, type", hi, "find", mark + "Xhi\r\n\r\n", notFound);
        row("mark alone, type", mark, "home", mark + "X\r\n");
        // a second mark is the text's own character
        row("two marks, Find U+FEFF, type", mark + mark + "hi", "find", mark + "Xhi\r\n");
        row("two marks, Delete at the start", mark + mark + "hi", "delete", mark + "hi\r\n");
        row("mark, Windows-1252 text, type", mark + "caf\xe9", "home", mark + "Xcaf\xe9\r\n");
        row("no mark, Ctrl+Home, type", "hi\r\n", "home", "Xhi\r\n\r\n");
        row("no mark, Select All, type", "hi\r\n", "all", "X\r\n");
        row("no mark, Windows-1252 text, type", "caf\xe9", "home", "Xcaf\xe9\r\n");
    }
    void markStaysFirst()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, action);
        QFETCH(QByteArray, saved);
        QFETCH(QString, told);
        m_drives->write("C:\\Docs\\page.htm", bytes);
        QVERIFY(Module2::LoadTextFile("C:\\Docs\\page.htm"));
        NoteField* note = pad().txtNote;
        pad().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pad()));
        note->setFocus();
        QTest::keyClick(note, Qt::Key_End, Qt::ControlModifier);
        if (action == "click") {
            const QRect first = note->characterRect(0);
            QTest::mouseClick(note->viewport(), Qt::LeftButton, {},
                              QPoint(first.left(), first.center().y()));
        } else if (action != "all") {
            QTest::keyClick(note, Qt::Key_Home, Qt::ControlModifier);
        }
        if (action == "delete") QTest::keyClick(note, Qt::Key_Delete);
        if (action == "backspace") QTest::keyClick(note, Qt::Key_Backspace);
        if (action == "all") pad().mnuEditSelectAll_Click();
        if (action == "find") {
            Module1::FindText = QString(QChar(0xFEFF));
            Module1::FindRestart = true; // as a new text in the Find box asks
            Module1::FindInText();
        }
        if (action != "none" && action != "delete" && action != "backspace")
            QTest::keyClicks(note, "X");
        QCOMPARE(m_boxes->prompts(), told.isEmpty() ? QStringList{} : QStringList{told});
        pad().mnuHtmledit1_Click();
        QCOMPARE(readHost(host("C:\\Docs\\temp.html")), saved);
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\Docs\\page.htm")), saved);
    }

    void captionCapitalsAreForShowOnly()
    {
        m_drives->write("C:\\Docs\\Mixed.txt", "old");
        QVERIFY(Module2::LoadTextFile("C:\\Docs\\Mixed.txt"));
        QCOMPARE(pad().Caption(), QString("C:\\DOCS\\MIXED.TXT"));
        pad().txtNote->setText("new");
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\Docs\\Mixed.txt")), QByteArray("new\r\n"));
        QCOMPARE(QDir(host("C:\\")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"Docs"});
        QCOMPARE(QDir(host("C:\\Docs")).entryList(QDir::Files), QStringList{"Mixed.txt"});
    }

    // The editor takes a file only when three bytes for each of its bytes
    // fit in a quarter of the memory; a larger one is refused from its
    // size, before anything is read, so a huge sparse file costs no reading.
    void loadCeiling_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("sparse");
        QTest::addColumn<QString>("message"); // empty: the file opens
        // 1200 bytes of memory: a quarter holds 300 bytes, 100 of the file.
        QTest::newRow("at the ceiling") << qint64(100) << false << QString();
        QTest::newRow("one byte over")
            << qint64(101) << false
            << "Cannot open C:\\big.txt: the file is 101 bytes, more than the 100 bytes that "
               "can be held in memory here";
        QTest::newRow("10 GB sparse")
            << (qint64(10) << 30) << true
            << "Cannot open C:\\big.txt: the file is 10.0 GB, more than the 100 bytes that can "
               "be held in memory here";
    }
    void loadCeiling()
    {
        QFETCH(qint64, size);
        QFETCH(bool, sparse);
        QFETCH(QString, message);
        Module2::SetPhysicalMemoryForTests(1200);
        m_drives->write("C:\\kept.txt", "kept");
        QVERIFY(Module2::LoadTextFile("C:\\kept.txt"));
        const QString big =
            m_drives->write("C:\\big.txt", sparse ? QByteArray() : QByteArray(size, 'x'));
        if (sparse) QVERIFY(QFile::resize(host(big), size));
        const bool opened = Module2::LoadAndReport(big);
        Module2::SetPhysicalMemoryForTests(0);
        QCOMPARE(opened, message.isEmpty());
        QCOMPARE(m_boxes->prompts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(pad().Caption(), QString(opened ? "C:\\BIG.TXT" : "C:\\KEPT.TXT"));
        QCOMPARE(pad().txtNote->Text().size(), opened ? size : 4);
    }

    // Memory that runs out while a file is taken in is a message; the
    // program and the editor's document go on.
    void allocationFailureIsAMessage()
    {
        // Where every allocation is granted, the failure cannot be met.
        QFile overcommit(QStringLiteral("/proc/sys/vm/overcommit_memory"));
        if (overcommit.open(QIODevice::ReadOnly) && overcommit.readAll().trimmed() == "1")
            QSKIP("this system grants every allocation");
        m_drives->write("C:\\kept.txt", "kept");
        QVERIFY(Module2::LoadTextFile("C:\\kept.txt"));
        const QString big = m_drives->write("C:\\huge.txt", QByteArray());
        // Far more than any memory, yet no more than the file system holds.
        if (!QFile::resize(host(big), qint64(15) << 40))
            QSKIP("the file system holds no such file");
        Module2::SetPhysicalMemoryForTests(std::numeric_limits<qint64>::max());
        const bool opened = Module2::LoadAndReport(big);
        Module2::SetPhysicalMemoryForTests(0);
        QVERIFY(!opened);
        QCOMPARE(m_boxes->prompts(), QStringList{"Cannot open C:\\huge.txt: there is not enough "
                                                 "memory to read the file (15.0 TB)"});
        QCOMPARE(pad().Caption(), QString("C:\\KEPT.TXT"));
        QCOMPARE(pad().txtNote->Text(), QString("kept"));
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only file") << "readonly"
                                        << "Path/File access error";
        QTest::newRow("folder removed") << "removed"
                                        << "Path not found";
    }
    void failedSave()
    {
        QFETCH(QString, how);
        QFETCH(QString, message);
        const QString f = m_drives->write("C:\\Work\\a.txt", "kept");
        QVERIFY(Module2::LoadTextFile(f));
        pad().txtNote->setText("edited");
        QVERIFY(Module1::TextChanged);
        if (how == "readonly")
            ::chmod(QFile::encodeName(host(f)).constData(), 0444);
        else
            QDir(host("C:\\Work")).removeRecursively();
        pad().mnuFileSave_Click();
        if (how == "readonly") QCOMPARE(readHost(host(f)), QByteArray("kept"));
        QCOMPARE(m_boxes->prompts(), QStringList{message});
        QCOMPARE(m_boxes->boxes[0].style, int(plat::vbExclamation));
        QCOMPARE(m_boxes->boxes[0].title, QString("Quorbix"));
        QVERIFY(Module1::TextChanged);
        QCOMPARE(pad().txtNote->Text(), QString("edited"));
    }

    // After a failed save the text stays, whatever asked for the save.
    void failedSaveKeepsText_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("New") << "new";
        QTest::newRow("Open of a named document") << "openNamed";
        QTest::newRow("Open of a new document") << "openNew";
        QTest::newRow("closing") << "close";
    }
    void failedSaveKeepsText()
    {
        QFETCH(QString, action);
        const QString f = m_drives->write("C:\\Work\\a.txt", "kept");
        m_drives->write("C:\\other.txt", "other");
        QVERIFY(Module2::LoadTextFile(f));
        if (action == "openNew") {
            pad().mnuFileNew_Click();
            m_dialogs->saveFiles << "C:\\Gone\\b.txt"; // no such folder
        } else {
            QDir(host("C:\\Work")).removeRecursively();
        }
        pad().txtNote->setText("precious");
        m_dialogs->openFiles << "C:\\other.txt";
        const QString caption = pad().Caption();
        if (action == "new")
            pad().mnuFileNew_Click();
        else if (action.startsWith("open"))
            pad().FileOpenProc();
        else
            pad().Unload();
        QVERIFY(Textpad::IsLoaded());
        QCOMPARE(pad().txtNote->Text(), QString("precious"));
        QCOMPARE(pad().Caption(), caption);
        QVERIFY(Module1::TextChanged);
        QVERIFY(!m_dialogs->shown.contains("open"));
        QVERIFY(m_boxes->prompts().contains("Path not found"));
    }

    // Every road on which typed text could go: the bytes on disk, the text
    // and the document afterwards. C:\\a.txt holds "first", C:\\b.txt
    // "second"; the document starts as a.txt, as New or as the editor opens
    // (caption "TextPad ", no file), and is edited to "edited".
    void dataLossRoads_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("saves"); // the Save dialog's answers; "" cancels
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<Files>("files"); // C:\\ afterwards
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        const int yes = plat::vbYes, no = plat::vbNo, cancel = plat::vbCancel;
        const QStringList askA{"Save changes to C:\\A.TXT?"}, askNew{"Save changes to New?"};
        const Files untouched{{"a.txt", "first"}, {"b.txt", "second"}};
        QTest::newRow("load over edits, Yes")
            << "a.txt"
            << "load b" << QList<int>{yes} << QStringList{} << askA
            << Files{{"a.txt", "edited\r\n"}, {"b.txt", "second"}} << "second"
            << "C:\\B.TXT";
        QTest::newRow("load over edits, No")
            << "a.txt"
            << "load b" << QList<int>{no} << QStringList{} << askA << untouched << "second"
            << "C:\\B.TXT";
        QTest::newRow("load over edits, Cancel")
            << "a.txt"
            << "load b" << QList<int>{cancel} << QStringList{} << askA << untouched << "edited"
            << "C:\\A.TXT";
        QTest::newRow("load of the edited file itself, Yes")
            << "a.txt"
            << "load a" << QList<int>{yes} << QStringList{} << askA
            << Files{{"a.txt", "edited\r\n"}, {"b.txt", "second"}} << "edited\r\n"
            << "C:\\A.TXT";
        QTest::newRow("load over a new document, Yes, then Cancel")
            << "New"
            << "load b" << QList<int>{yes} << QStringList{""} << askNew << untouched << "edited"
            << "New";
        QTest::newRow("Save As, then Save")
            << "a.txt"
            << "save as, then save" << QList<int>{} << QStringList{"C:\\v2.txt"} << QStringList{}
            << Files{{"a.txt", "first"}, {"b.txt", "second"}, {"v2.txt", "later\r\n"}} << "later"
            << "C:\\v2.txt";
        QTest::newRow("New, Yes, then Cancel")
            << "New"
            << "new" << QList<int>{yes} << QStringList{""} << askNew << untouched << "edited"
            << "New";
        QTest::newRow("Open, Yes, then Cancel")
            << "TextPad"
            << "open" << QList<int>{yes} << QStringList{""}
            << QStringList{"Save changes to TextPad ?"} << untouched << "edited"
            << "TextPad ";
        // the Save dialog is the only question there, before and after
        QTest::newRow("Open of a new document, Save dialog cancelled")
            << "New"
            << "open" << QList<int>{} << QStringList{""} << QStringList{} << untouched << "second"
            << "C:\\b.txt";
        QTest::newRow("Open of a new document, Save dialog names a file")
            << "New"
            << "open" << QList<int>{} << QStringList{"C:\\kept.txt"} << QStringList{}
            << Files{{"a.txt", "first"}, {"b.txt", "second"}, {"kept.txt", "edited\r\n"}}
            << "second"
            << "C:\\b.txt";
        QTest::newRow("closing, Yes, then Cancel")
            << "New"
            << "close" << QList<int>{yes} << QStringList{""} << askNew << untouched << "edited"
            << "New";
    }
    void dataLossRoads()
    {
        QFETCH(QString, start);
        QFETCH(QString, action);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, saves);
        QFETCH(QStringList, prompts);
        QFETCH(Files, files);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        m_drives->write("C:\\a.txt", "first");
        m_drives->write("C:\\b.txt", "second");
        if (start == "a.txt")
            QVERIFY(Module2::LoadTextFile("C:\\a.txt"));
        else if (start == "New")
            pad().mnuFileNew_Click();
        pad().txtNote->setText("edited");
        m_boxes->answers = answers;
        m_dialogs->saveFiles = saves;
        m_dialogs->openFiles << "C:\\b.txt";

        if (action.startsWith("load")) {
            const QString path = action == "load a" ? "C:\\a.txt" : "C:\\b.txt";
            QString reason = "unset";
            const bool loaded = Module2::LoadTextFile(path, &reason);
            QCOMPARE(loaded, caption == path.toUpper());
            if (!loaded) QVERIFY(reason.isEmpty()); // kept by the user: nothing to report
            QCOMPARE(m_boxes->boxes[0].style, int(plat::vbYesNoCancel));
        } else if (action == "save as, then save") {
            pad().mnuFileSaveAs_Click();
            pad().txtNote->setText("later");
            pad().mnuFileSave_Click();
        } else if (action == "new") {
            pad().mnuFileNew_Click();
        } else if (action == "open") {
            pad().FileOpenProc();
        } else {
            pad().Unload();
            finishDeletes();
        }

        QVERIFY(Textpad::IsLoaded());
        QCOMPARE(m_boxes->prompts(), prompts);
        for (const RecordingMessageBoxes::Box& b : m_boxes->boxes)
            QCOMPARE(b.title, QString("Save Changes"));
        QCOMPARE(QDir(host("C:\\")).entryList(QDir::Files), files.keys());
        for (auto f = files.cbegin(); f != files.cend(); ++f)
            QCOMPARE(readHost(host("C:\\" + f.key())), f.value());
        QCOMPARE(pad().txtNote->Text(), text);
        QCOMPARE(pad().Caption(), caption);
        QCOMPARE(Module1::TextChanged, text == "edited");
    }

    // The end of the program asks the editor's question first, with a
    // Cancel: Yes saves and ends, a cancelled Save dialog and Cancel keep the
    // program and the text, No lets the edits go and ends. A close request
    // to the main window (Alt+F4, a task bar) is File > Exit.
    void exitAsksForChangedText_data()
    {
        QTest::addColumn<QString>("start"); // "a.txt" or "New"
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("how"); // "exit" or "close"
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("saves"); // the Save dialog's answers; "" cancels
        QTest::addColumn<QByteArray>("onDisk"); // C:\a.txt afterwards
        QTest::addColumn<bool>("ended");
        const int yes = plat::vbYes, no = plat::vbNo, cancel = plat::vbCancel;
        QTest::newRow("Exit, Yes") << "a.txt" << true << "exit" << QList<int>{yes} << QStringList{}
                                   << QByteArray("edited\r\n") << true;
        QTest::newRow("Exit, No") << "a.txt" << true << "exit" << QList<int>{no} << QStringList{}
                                  << QByteArray("first") << true;
        QTest::newRow("Exit, Cancel") << "a.txt" << true << "exit" << QList<int>{cancel}
                                      << QStringList{} << QByteArray("first") << false;
        QTest::newRow("Exit, Yes, then Cancel in the Save dialog")
            << "New" << true << "exit" << QList<int>{yes} << QStringList{""} << QByteArray("first")
            << false;
        QTest::newRow("Exit, nothing changed") << "a.txt" << false << "exit" << QList<int>{}
                                               << QStringList{} << QByteArray("first") << true;
        QTest::newRow("close request, Yes") << "a.txt" << true << "close" << QList<int>{yes}
                                            << QStringList{} << QByteArray("edited\r\n") << true;
        QTest::newRow("close request, Cancel") << "a.txt" << true << "close" << QList<int>{cancel}
                                               << QStringList{} << QByteArray("first") << false;
    }
    void exitAsksForChangedText()
    {
        QFETCH(QString, start);
        QFETCH(bool, edited);
        QFETCH(QString, how);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, saves);
        QFETCH(QByteArray, onDisk);
        QFETCH(bool, ended);
        const QString a = m_drives->write("C:\\a.txt", "first");
        QVERIFY(Module2::LoadTextFile(a));
        if (start == "New") pad().mnuFileNew_Click();
        if (edited) pad().txtNote->setText("edited");
        const QString caption = pad().Caption();
        m_boxes->answers = answers;
        m_dialogs->saveFiles = saves;
        Form1& main = Form1::get();
        main.Show();
        int ends = 0;
        plat::setEndHandler([&ends] { ++ends; });
        if (how == "exit")
            main.mnuExit->trigger();
        else
            main.close();
        plat::setEndHandler(nullptr);

        QCOMPARE(ends, ended ? 1 : 0);
        QCOMPARE(m_boxes->boxes.size(), edited ? 1 : 0);
        if (edited) {
            QCOMPARE(m_boxes->boxes[0].prompt, "Save changes to " + pad().windowTitle() + "?");
            QCOMPARE(m_boxes->boxes[0].style, int(plat::vbYesNoCancel));
            QCOMPARE(m_boxes->boxes[0].title, QString("Save Changes"));
        }
        QCOMPARE(QDir(host("C:\\")).entryList(QDir::Files), QStringList{"a.txt"});
        QCOMPARE(readHost(host(a)), onDisk);
        QVERIFY(main.isVisible());
        if (!ended) { // the program goes on, with the text
            QVERIFY(Textpad::IsLoaded());
            QCOMPARE(pad().txtNote->Text(), QString("edited"));
            QCOMPARE(pad().Caption(), caption);
            QVERIFY(Module1::TextChanged);
        }
    }

    // A Save dialog's choice on no drive is told, and nothing is written.
    void saveOffTheDrivesIsTold_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("Save As") << "save as";
        QTest::newRow("closing, Yes") << "close";
    }
    void saveOffTheDrivesIsTold()
    {
        QFETCH(QString, action);
        QTemporaryDir outside; // a folder of no drive
        const QString f = m_drives->write("C:\\a.txt", "first");
        QVERIFY(Module2::LoadTextFile(f));
        if (action == "close") pad().mnuFileNew_Click();
        pad().txtNote->setText("edited");
        const QString caption = pad().Caption();
        m_dialogs->saveFiles << outside.path() + "/x.txt";
        if (action == "save as") {
            pad().mnuFileSaveAs_Click();
        } else {
            pad().Unload();
            finishDeletes();
        }
        QVERIFY(Textpad::IsLoaded());
        const QString told = "The folder " + outside.path() +
                             " is not on one of the program's drives, so the file cannot be "
                             "saved there.";
        QCOMPARE(m_boxes->prompts().last(), told);
        QCOMPARE(m_boxes->boxes.last().style, int(plat::vbExclamation));
        QVERIFY(QDir(outside.path()).isEmpty());
        QCOMPARE(readHost(host(f)), QByteArray("first"));
        QCOMPARE(pad().Caption(), caption);
        QCOMPARE(pad().txtNote->Text(), QString("edited"));
        QVERIFY(Module1::TextChanged);
    }

    // Save As and Open use the program's own dialog: the drives by their
    // letters in its side bar, opened on the document, the file chosen
    // taken as a Windows path.
    void fileDialogsSpeakDrives()
    {
        const QString a = m_drives->write("C:\\Docs\\a.txt", "first");
        m_drives->write("D:\\Else\\b.txt", "second");
        QVERIFY(Module2::LoadTextFile(a));
        pad().CMDialog1.FileName = a;
        delete m_dialogs;
        m_dialogs = nullptr;
        testsupport::InspectedFileDialogs dialogs;
        const QList<QUrl> drivesBar = {QUrl::fromLocalFile(m_drives->host('C')),
                                       QUrl::fromLocalFile(m_drives->host('D'))};

        dialogs.answers << host("D:\\Else\\c.txt");
        pad().mnuFileSaveAs_Click();
        QCOMPARE(dialogs.seen.size(), 1);
        QVERIFY(dialogs.seen[0].save);
        QCOMPARE(dialogs.seen[0].sidebar, drivesBar);
        QCOMPARE(dialogs.seen[0].sidebarNames, QStringList({"C:", "D:"}));
        QCOMPARE(dialogs.seen[0].directory, host("C:\\Docs"));
        QCOMPARE(dialogs.seen[0].selected, QStringList{host("C:\\Docs\\a.txt")});
        QCOMPARE(pad().Caption(), QString("D:\\Else\\c.txt"));
        QVERIFY(readHost(host("D:\\Else\\c.txt")).startsWith("first"));

        dialogs.answers << host("D:\\Else\\b.txt");
        pad().mnuOpen_Click();
        QCOMPARE(dialogs.seen.size(), 2);
        QVERIFY(!dialogs.seen[1].save);
        QCOMPARE(dialogs.seen[1].sidebar, drivesBar);
        QCOMPARE(dialogs.seen[1].directory, host("D:\\Else"));
        QCOMPARE(pad().CMDialog1.FileName, QString("D:\\Else\\b.txt"));
        QCOMPARE(pad().txtNote->Text(), QString("second"));
    }

    void failedLoadLeavesTheDocument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing file") << "C:\\missing.txt";
        QTest::newRow("a folder") << "C:\\Sub";
        QTest::newRow("missing folder") << "C:\\Nope\\x.txt";
    }
    void failedLoadLeavesTheDocument()
    {
        QFETCH(QString, path);
        m_drives->mkdir("C:\\Sub");
        QVERIFY(!Module2::LoadTextFile(path));
        QVERIFY(!Textpad::IsLoaded()); // nothing to show: the editor was not opened

        const QString f = m_drives->write("C:\\a.txt", "first");
        QVERIFY(Module2::LoadTextFile(f));
        pad().txtNote->setText("typed");
        QString reason;
        QVERIFY(!Module2::LoadTextFile(path, &reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(pad().txtNote->Text(), QString("typed"));
        QCOMPARE(pad().Caption(), QString("C:\\A.TXT"));
        QCOMPARE(pad().DocumentPath(), f);
        QVERIFY(Module1::TextChanged);
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void saveAsNamesTheDocument()
    {
        pad().mnuFileNew_Click();
        pad().txtNote->setText("one");
        m_dialogs->saveFiles << "C:\\one.txt"
                             << "C:\\copy.txt";
        pad().mnuFileSaveAs_Click();
        QCOMPARE(pad().Caption(), QString("C:\\one.txt"));
        pad().txtNote->setText("two");
        pad().mnuFileSaveAs_Click(); // a named document takes the new name too
        QCOMPARE(pad().Caption(), QString("C:\\copy.txt"));
        QCOMPARE(pad().DocumentPath(), QString("C:\\copy.txt"));
        pad().txtNote->setText("three");
        pad().mnuFileSave_Click();
        QCOMPARE(readHost(host("C:\\one.txt")), QByteArray("one\r\n"));
        QCOMPARE(readHost(host("C:\\copy.txt")), QByteArray("three\r\n"));
    }

    // --- editing ---

    void deleteKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("after");
        QTest::newRow("before CR LF") << "ab\r\ncd" << 2 << 0 << "abcd";
        QTest::newRow("a character") << "abc" << 1 << 0 << "ac";
        QTest::newRow("at the end") << "abc" << 3 << 0 << "abc";
        QTest::newRow("empty text") << "" << 0 << 0 << "";
        QTest::newRow("selection over CR LF") << "ab\r\ncd" << 1 << 2 << "a\ncd";
        QTest::newRow("lone CR at the end") << "ab\r" << 2 << 0 << "ab";
        QTest::newRow("lone CR inside") << "a\rbc" << 1 << 0 << "abc";
        QTest::newRow("a pair of surrogates")
            << QString::fromUtf8("a\xf0\x9f\x98\x80z") << 1 << 0 << "az";
        QTest::newRow("a letter with its mark")
            << QString::fromUtf8("ae\xcc\x81z") << 1 << 0 << "az";
        QTest::newRow("an emoji sequence")
            << QString::fromUtf8("a\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"
                                 "z")
            << 1 << 0 << "az";
    }
    void deleteKey()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, after);
        pad().txtNote->setText(text);
        pad().txtNote->setSelStart(start);
        pad().txtNote->setSelLength(length);
        pad().mnuEditDelete_Click();
        QCOMPARE(pad().txtNote->Text(), after);
    }

    // Enter types the document's own line end, the first one it holds
    // (CR LF where it has none), however long its first line, also over a
    // selection; the save writes it.
    void enterTypesTheDocumentsLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("lineEnd");
        for (int length : {4095, 4096, 4097}) {
            const QByteArray first(length, 'w');
            const QByteArray n = QByteArray::number(length);
            QTest::newRow(n + ", LF") << first + "\nsecond\r\nthird" << QByteArray("\n");
            QTest::newRow(n + ", CR LF") << first + "\r\nsecond\nthird" << QByteArray("\r\n");
            QTest::newRow(n + ", none") << first << QByteArray("\r\n");
        }
        QTest::newRow("4097, lone CR") << QByteArray(4097, 'w') + "\rsecond\r\n"
                                       << QByteArray("\r");
        QTest::newRow("5 MB in one line") << QByteArray(5 << 20, 'w') << QByteArray("\r\n");
    }
    void enterTypesTheDocumentsLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, lineEnd);
        m_drives->write("C:\\long.txt", bytes);
        for (int selected : {0, 10}) {
            QVERIFY(Module2::LoadTextFile("C:\\long.txt"));
            pad().txtNote->setSelStart(20);
            pad().txtNote->setSelLength(selected);
            QTest::keyClick(pad().txtNote, Qt::Key_Return);
            pad().mnuFileSave_Click();
            QVERIFY(readHost(host("C:\\long.txt")) ==
                    bytes.left(20) + lineEnd + bytes.mid(20 + selected) + "\r\n");
            m_drives->write("C:\\long.txt", bytes);
        }
    }

    void menuShortcutsWinOverTheField()
    {
        pad().txtNote->setText("ab\r\ncd");
        pad().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pad()));
        pad().txtNote->setFocus();
        pad().txtNote->setSelStart(2);
        QTest::keyClick(pad().txtNote, Qt::Key_Delete);
        QCOMPARE(pad().txtNote->Text(), QString("abcd"));
        pad().txtNote->setSelStart(0);
        pad().txtNote->setSelLength(2);
        QTest::keyClick(pad().txtNote, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(plat::clipboard::GetText(), QString("ab"));
        QCOMPARE(pad().txtNote->Text(), QString("cd"));
        QTest::keyClick(pad().txtNote, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pad().txtNote, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pad().txtNote->Text(), QString("cdab"));
        QTest::keyClicks(pad().txtNote, "!");
        QTest::keyClick(pad().txtNote, Qt::Key_Return);
        QCOMPARE(pad().txtNote->Text(), QString("cdab!\r\n"));
        QVERIFY(Module1::TextChanged);
    }

    // The pieces a text is shown in stay what a fresh look at the text finds,
    // edit after edit, line ends split and joined included.
    void fieldKeepsItsLinesThroughEdits()
    {
        NoteField field(nullptr, "field");
        QString text = "start\r\nof it\n";
        field.setText(text);
        QRandomGenerator rng(7);
        const QStringList inserts = {"\r", "\n", "\r\n", "ab", "x\ry", QString(5000, 'L'), ""};
        for (int step = 0; step < 400; ++step) {
            const qsizetype pos = rng.bounded(int(text.size() + 1));
            const qsizetype len = rng.bounded(int(std::min<qsizetype>(text.size() - pos, 6) + 1));
            const QString with = inserts[rng.bounded(int(inserts.size()))];
            field.setSelStart(pos);
            field.setSelLength(len);
            field.setSelText(with);
            text.replace(pos, len, with);
            NoteField fresh(nullptr, "fresh");
            fresh.setText(text);
            QCOMPARE(field.Text(), text);
            QCOMPARE(field.pieceCount(), fresh.pieceCount());
            for (qsizetype i = 0; i < fresh.pieceCount(); ++i)
                QCOMPARE(field.pieceStart(i), fresh.pieceStart(i));
        }
    }

    // Ctrl+Z takes edits back one by one (a run of typing as one step),
    // back to the text as loaded and no further.
    void undoTakesEditsBack()
    {
        NoteField field(nullptr, "field");
        const QString original = "one\r\ntwo\nthree";
        field.setText(original);
        QRandomGenerator rng(11);
        QStringList states{original};
        for (int step = 0; step < 200; ++step) {
            const QString text = field.Text();
            const qsizetype pos = rng.bounded(int(text.size() + 1));
            field.setSelStart(pos);
            field.setSelLength(rng.bounded(int(std::min<qsizetype>(text.size() - pos, 5) + 1)));
            field.setSelText(QStringList{"\r\n", "ab", "", "\n", "xyz"}[rng.bounded(5)]);
            if (field.Text() != states.last()) states << field.Text();
        }
        while (states.size() > 1) {
            QVERIFY(field.Undo());
            states.removeLast();
            QCOMPARE(field.Text(), states.last());
        }
        QVERIFY(!field.Undo());
        NoteField fresh(nullptr, "fresh");
        fresh.setText(original);
        QCOMPARE(field.pieceCount(), fresh.pieceCount());

        pad().txtNote->setText("keep");
        pad().txtNote->setSelStart(4);
        pad().txtNote->setFocus();
        QTest::keyClicks(pad().txtNote, " typed");
        pad().txtNote->setSelStart(0);
        pad().txtNote->setSelLength(4);
        QTest::keyClick(pad().txtNote, Qt::Key_Delete);
        QCOMPARE(pad().txtNote->Text(), QString(" typed"));
        QTest::keyClick(pad().txtNote, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pad().txtNote->Text(), QString("keep typed"));
        QCOMPARE(pad().txtNote->SelText(), QString("keep"));
        QTest::keyClick(pad().txtNote, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pad().txtNote->Text(), QString("keep"));
    }

    // --- find ---

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QList<int>>("found"); // selection after each press; -1 not found
        QTest::newRow("starts at the caret, then moves on")
            << "abc abc abc" << 4 << "abc" << false << false << QList<int>{4, 8, -1};
        QTest::newRow("overlapping matches")
            << "aaaa" << 0 << "aa" << false << false << QList<int>{0, 1, 2, -1};
        QTest::newRow("up skips the one before the caret, a repeat does not")
            << "aaaa" << 4 << "a" << false << true << QList<int>{2, 1, 0, -1};
        QTest::newRow("up from position 1") << "ab" << 1 << "a" << false << true << QList<int>{-1};
        QTest::newRow("case ignored") << "xx abc" << 0 << "ABC" << false << false << QList<int>{3};
        QTest::newRow("case matched") << "xx abc" << 0 << "ABC" << true << false << QList<int>{-1};
        QTest::newRow("past 40,000") << QString(40000, 'x') + "needle" << 0 << "needle" << false
                                     << false << QList<int>{40000, -1};
        QTest::newRow("CR LF counts two")
            << "a\r\nb\r\nb" << 0 << "b" << false << false << QList<int>{3, 6};
    }
    void find()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, what);
        QFETCH(bool, matchCase);
        QFETCH(bool, up);
        QFETCH(QList<int>, found);
        pad().txtNote->setText(text);
        pad().txtNote->setSelStart(caret);
        QList<int> seen;
        ctl::VbForm::setModalHook([&](ctl::VbForm* w) {
            auto* f = qobject_cast<frmFind*>(w);
            QVERIFY(f);
            QVERIFY(!f->cmdFind->isEnabled());
            f->txtFind->setText(what);
            f->chkCase->setChecked(matchCase);
            f->optDirection[up ? 0 : 1]->setChecked(true);
            for (int i = 0; i < found.size(); ++i) {
                const qsizetype boxes = m_boxes->boxes.size();
                f->cmdFind->Press();
                const bool missed = m_boxes->boxes.size() > boxes;
                seen << (missed ? -1 : int(pad().txtNote->SelStart()));
                if (!missed) QCOMPARE(pad().txtNote->SelText().size(), what.size());
            }
            f->cmdcancel->Press();
        });
        pad().mnuSearchFind_Click();
        QCOMPARE(seen, found);
        if (found.contains(-1))
            QCOMPARE(m_boxes->boxes.last().prompt, "Cannot find \"" + what + "\"");
    }

    void findNextAndTheDialogsPresets()
    {
        pad().txtNote->setText("one two one two");
        pad().txtNote->setSelStart(4);
        pad().txtNote->setSelLength(3); // "two" selected
        int shown = 0;
        ctl::VbForm::setModalHook([&](ctl::VbForm* w) {
            auto* f = qobject_cast<frmFind*>(w);
            ++shown;
            QCOMPARE(f->txtFind->Text(), QString("two"));
            QVERIFY(f->cmdFind->isEnabled());
            f->optDirection[0]->setChecked(true);
            f->cmdcancel->Press(); // stores the text without searching
        });
        pad().mnuSearchFindNext_Click(); // no find text yet: the dialog
        QCOMPARE(shown, 1);
        QCOMPARE(Module1::FindText, QString("two"));
        QCOMPARE(Module1::FindDirection, 0);
        ctl::VbForm::setModalHook([&](ctl::VbForm* w) {
            auto* f = qobject_cast<frmFind*>(w);
            QVERIFY(f->optDirection[0]->isChecked()); // Up is kept for the next dialog
            w->close();                               // the close box stores nothing
        });
        pad().txtNote->setSelStart(15);
        pad().mnuSearchFind_Click();
        Module1::FindDirection = 1;
        pad().txtNote->setSelStart(0);
        pad().mnuSearchFindNext_Click();
        QCOMPARE(pad().txtNote->SelStart(), qsizetype(4));
        pad().mnuSearchFindNext_Click();
        QCOMPARE(pad().txtNote->SelStart(), qsizetype(12));
    }

    // --- HTML ---

    void htmlEnding_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("html");
        QTest::newRow("page.Htm") << "page.Htm" << true;
        QTest::newRow("page.hTm") << "page.hTm" << false;
        QTest::newRow("xhtm") << "xhtm" << true;
        QTest::newRow("INDEX.HTML") << "INDEX.HTML" << true;
        QTest::newRow("page.hTML") << "page.hTML" << false;
        QTest::newRow("page.htmx") << "page.htmx" << false;
        QTest::newRow("htm") << "htm" << true;
    }
    void htmlEnding()
    {
        QFETCH(QString, name);
        QFETCH(bool, html);
        QCOMPARE(suffixes::HasHtmlEnding(name), html);
    }

    void showChangesPreviewsBesideTheDocument_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("preview");
        QTest::newRow("at a root") << "C:\\Index.htm"
                                   << "C:\\temp.html";
        QTest::newRow("in a folder") << "C:\\Web\\Site\\Index.htm"
                                     << "C:\\Web\\Site\\temp.html";
    }
    void showChangesPreviewsBesideTheDocument()
    {
        QFETCH(QString, document);
        QFETCH(QString, preview);
        m_drives->write(document, "<p>saved</p>");
        QVERIFY(Module2::LoadTextFile(document));
        pad().setHtmlMenuVisible(true); // as File > Open of the page leaves it
        pad().txtNote->setText("<p>edited</p>");
        pad().mnuHtmledit1_Click();
        QCOMPARE(readHost(host(preview)), QByteArray("<p>edited</p>\r\n"));
        QCOMPARE(readHost(host(document)), QByteArray("<p>saved</p>"));
        QVERIFY(Module1::TextChanged);
        QCOMPARE(m_processes->launches.size(), 1);
        const plat::ProcessLaunch& l = m_processes->launches[0];
        QCOMPARE(l.commandLine, plat::kBrowserCommand + preview);
        QCOMPARE(l.windowStyle, 1);
        QCOMPARE(l.arguments, QStringList{host(preview)});
        QVERIFY(pad().HtmlMenuVisible());
        QVERIFY(!Web1::IsLoaded());

        // View Html opens the document itself, as saved
        pad().mnuView_Click();
        QCOMPARE(m_processes->launches.size(), 2);
        QCOMPARE(m_processes->launches[1].commandLine, plat::kBrowserCommand + document);
    }

    // The viewer stays loaded while its browser is busy: Show Changes then
    // writes the preview and hides the HTML menu, but only brings the viewer
    // forward, and the menu stays hidden while the viewer stays. Once it is
    // closed, the next Show Changes opens the preview and shows the menu.
    void showChangesWithTheViewerHeldOpen()
    {
        m_drives->write("C:\\Site\\page.htm", "<p>saved</p>");
        Form1& main = Form1::get();
        main.DirBox2->setPath("C:\\Site");
        main.FileBox2->setListIndex(0);
        main.FileBox2->setSelected(0, true);
        QVERIFY(Module2::LoadTextFile("C:\\Site\\page.htm"));
        pad().setHtmlMenuVisible(true);
        plat::setBrowserAutomationFactory([] { return std::make_unique<BusyBrowser>(); });
        Web1::get().Show(); // the pane job, held open by the busy browser
        QVERIFY(Web1::IsLoaded());
        QCOMPARE(m_processes->launches.size(), 1);

        pad().txtNote->setText("<p>edited</p>");
        pad().mnuHtmledit1_Click();
        QCOMPARE(readHost(host("C:\\Site\\temp.html")), QByteArray("<p>edited</p>\r\n"));
        QCOMPARE(m_processes->launches.size(), 1); // no browser: the viewer only came forward
        QVERIFY(!pad().HtmlMenuVisible());
        Web1::get().Show();
        QVERIFY(!pad().HtmlMenuVisible()); // still hidden while the viewer stays

        plat::setBrowserAutomationFactory({});
        Web1::get().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        pad().mnuHtmledit1_Click();
        QCOMPARE(m_processes->launches.size(), 2);
        QCOMPARE(m_processes->launches[1].commandLine,
                 plat::kBrowserCommand + "C:\\Site\\temp.html");
        QVERIFY(pad().HtmlMenuVisible());
        QVERIFY(!Web1::IsLoaded());
    }

    // Show Changes writes a preview only where it is the user's own, with
    // the page's own bits; a link planted as the preview is never followed.
    void showChangesKeepsThePreviewOurs_data()
    {
        QTest::addColumn<bool>("planted");
        QTest::newRow("a private page") << false;
        QTest::newRow("a link planted as the preview") << true;
    }
    void showChangesKeepsThePreviewOurs()
    {
        QFETCH(bool, planted);
        m_drives->write("C:\\Team\\page.htm", "<p>saved</p>");
        QCOMPARE(::chmod(QFile::encodeName(host("C:\\Team\\page.htm")).constData(), 0600), 0);
        m_drives->write("D:\\victim\\.profile", "the victim's own");
        if (planted)
            QVERIFY(QFile::link(host("D:\\victim\\.profile"), host("C:\\Team\\temp.html")));
        QVERIFY(Module2::LoadTextFile("C:\\Team\\page.htm"));
        pad().setHtmlMenuVisible(true);
        pad().txtNote->setText("<p>edited</p>");

        pad().mnuHtmledit1_Click();

        QCOMPARE(readHost(host("D:\\victim\\.profile")), QByteArray("the victim's own"));
        if (planted) {
            QCOMPARE(m_boxes->prompts(),
                     QStringList({"C:\\Team\\temp.html is not a file of yours; it was left as it "
                                  "is and nothing was written."}));
            QVERIFY(QFileInfo(host("C:\\Team\\temp.html")).isSymLink());
            // and the browser is not sent to whatever the preview's name holds
            QVERIFY(m_processes->launches.isEmpty());
        } else {
            QVERIFY(m_boxes->boxes.isEmpty());
            QCOMPARE(readHost(host("C:\\Team\\temp.html")), QByteArray("<p>edited</p>\r\n"));
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(host("C:\\Team\\temp.html")).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 07777), 0600);
        }
    }

    void showChangesNeedsAnHtmlCaption()
    {
        m_drives->write("C:\\notes.txt", "x");
        QVERIFY(Module2::LoadTextFile("C:\\notes.txt"));
        pad().mnuHtmledit1_Click();
        QVERIFY(m_processes->launches.isEmpty());
        QVERIFY(!QFile::exists(host("C:\\temp.html")));
    }

    void viewHtmlOfADocumentWithoutAFile()
    {
        pad().mnuFileNew_Click();
        pad().setHtmlMenuVisible(true);
        pad().mnuView_Click();
        QVERIFY(m_processes->launches.isEmpty());
    }

    void viewerPaneJob_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("busy");
        QTest::newRow("opens the pane's file") << true << false;
        QTest::newRow("browser busy: the viewer stays") << true << true;
        QTest::newRow("no selection") << false << false;
    }
    void viewerPaneJob()
    {
        QFETCH(bool, selected);
        QFETCH(bool, busy);
        m_drives->write("C:\\Site\\page.htm", "<p>");
        Form1& main = Form1::get();
        main.DirBox2->setPath("C:\\Site");
        if (selected) {
            main.FileBox2->setListIndex(0);
            main.FileBox2->setSelected(0, true);
        }
        if (busy) plat::setBrowserAutomationFactory([] { return std::make_unique<BusyBrowser>(); });
        pad().setHtmlMenuVisible(true);
        Web1::get().Show();
        if (!selected) {
            QCOMPARE(m_boxes->prompts(), QStringList{"Please select a file first"});
            QVERIFY(m_processes->launches.isEmpty());
            QVERIFY(!Web1::IsLoaded());
            return;
        }
        QCOMPARE(m_processes->launches.size(), 1);
        QCOMPARE(m_processes->launches[0].commandLine,
                 plat::kBrowserCommand + "C:\\Site\\page.htm");
        QCOMPARE(Web1::IsLoaded(), busy);
        if (busy) {
            QVERIFY(Web1::get().isVisible());
            // a fixed window that covers the screen, its frame within it
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QCOMPARE(Web1::get().frameGeometry(), screen);
            QCOMPARE(Web1::get().minimumSize(), Web1::get().maximumSize());
            Web1::get().Show(); // only brings it forward
            QCOMPARE(m_processes->launches.size(), 1);
        }
    }

    // --- toolbar ---

    void toolbarHit_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("inside");
        QTest::newRow("x 0 is outside") << 0.0 << 10.0 << false;
        QTest::newRow("y 0 is inside") << 1.0 << 0.0 << true;
        QTest::newRow("far corner") << 375.0 << 330.0 << true;
        QTest::newRow("past the width") << 375.5 << 10.0 << false;
        QTest::newRow("past the height") << 10.0 << 330.5 << false;
        QTest::newRow("above") << 10.0 << -1.0 << false;
    }
    void toolbarHit()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(bool, inside);
        QCOMPARE(Textpad::ToolbarHit(x, y, 375, 330), inside);
        Textpad& t = pad();
        t.ToolbarMouseDown(t.imgCutButton);
        t.ToolbarMouseMove(t.imgCutButton, 1, x, y);
        QCOMPARE(t.imgCutButton->Picture().cacheKey(),
                 (inside ? t.imgCutButtonDn : t.imgCutButtonUp).cacheKey());
        t.ToolbarMouseMove(t.imgCutButton, 3, 10, 10); // left and right held: no change
        QCOMPARE(t.imgCutButton->Picture().cacheKey(),
                 (inside ? t.imgCutButtonDn : t.imgCutButtonUp).cacheKey());
        t.ToolbarMouseUp(t.imgCutButton);
        QCOMPARE(t.imgCutButton->Picture().cacheKey(), t.imgCutButtonUp.cacheKey());
    }

    // A screen reader names each picture by its tool tip.
    void toolbarPicturesAreNamed()
    {
        Textpad& t = pad();
        QStringList names;
        for (ImageButton* b : {t.imgFileNewButton, t.imgFileOpenButton, t.imgCutButton,
                               t.imgCopyButton, t.imgPasteButton})
            names << QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name);
        QCOMPARE(names, QStringList({"New File", "Open File", "Cut", "Copy", "Paste"}));
    }

    void loadHandlerSetsTheEditorUp()
    {
        Module1::FindDirection = 0;
        Textpad& t = pad();
        QVERIFY(t.isVisible());
        QVERIFY(!t.HtmlMenuVisible());
        QCOMPARE(Module1::FindDirection, 1);
        QCOMPARE(t.mnuFontName.size(), std::max<qsizetype>(1, plat::fontNames().size()));
        // Each family once, by its name, sorted: Qt lists a family that
        // several foundries make once for each ("Nimbus Sans [URW ]").
        QStringList captions;
        for (const QAction* item : t.mnuFontName)
            captions << item->text();
        QStringList sorted = captions;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(captions, sorted);
        QCOMPARE(QSet<QString>(captions.cbegin(), captions.cend()).size(), captions.size());
        int tagged = 0;
        for (const QString& listed : QFontDatabase::families()) {
            const qsizetype tag = listed.lastIndexOf(" [");
            if (tag < 0 || !listed.endsWith(']')) continue;
            ++tagged;
            QVERIFY2(!captions.contains(listed), qPrintable(listed));
            QVERIFY2(captions.contains(listed.left(tag)), qPrintable(listed));
        }
        if (tagged == 0) qInfo("no family of several foundries here to list once");
        t.mnuOptions_Click();
        QVERIFY(t.mnuOptionsToolbar->isChecked());
        t.mnuOptionsToolbar_Click();
        QVERIFY(t.picToolbar->isHidden());
        QCOMPARE(ctl::twips(t.txtNote).top, 480.0);
    }
};

QTEST_MAIN(TstEditor)
#include "tst_editor.moc"
