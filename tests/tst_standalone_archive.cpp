// The archive entry reader and the archive-listing window, on archives
// written byte by byte in temporary drives.
#include "testsupport.h"

#include "fileops/standby.h"
#include "mainwindow/form1.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "standalone/archiver.h"
#include "standalone/zipview.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using testsupport::RecordingMessageBoxes;
using testsupport::TempDrives;

namespace {

void le16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
void le32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

quint16 dosDate(int y, int m, int d)
{
    return quint16((y - 1980) << 9 | m << 5 | d);
}

struct Entry {
    QByteArray name;
    QByteArray data = "hello";
    quint16 method = 0; // 0 stored, 8 deflated
    quint16 date = dosDate(1998, 1, 5);
    quint16 flags = 0;
    QByteArray extra;
    qint64 compressedOverride = -1; // a size the header claims
    qint64 uncompressedOverride = -1;
};

Entry E(const QByteArray& name, const QByteArray& data = "hello", quint16 method = 0,
        quint16 date = dosDate(1998, 1, 5))
{
    Entry e;
    e.name = name;
    e.data = data;
    e.method = method;
    e.date = date;
    return e;
}

QByteArray deflate(const QByteArray& raw)
{
    // zlib's stream minus its 4-byte length prefix, 2-byte header and
    // 4-byte check value: the bare deflate data an archive holds
    const QByteArray z = qCompress(raw, 9);
    return z.mid(6, z.size() - 10);
}

QByteArray localHeader(const Entry& e, QByteArray* stored)
{
    *stored = e.method == 8 ? deflate(e.data) : e.data;
    QByteArray b;
    le32(b, 0x04034B50);
    le16(b, 20);
    le16(b, e.flags);
    le16(b, e.method);
    le16(b, 0x6000);
    le16(b, e.date);
    le32(b, 0x12345678);
    le32(b, e.compressedOverride >= 0 ? quint32(e.compressedOverride) : quint32(stored->size()));
    le32(b, e.uncompressedOverride >= 0 ? quint32(e.uncompressedOverride) : quint32(e.data.size()));
    le16(b, quint16(e.name.size()));
    le16(b, quint16(e.extra.size()));
    return b + e.name + e.extra;
}

// A whole archive: local entries, a central directory and its end record.
QByteArray zip(const QList<Entry>& entries)
{
    QByteArray out, central;
    for (const Entry& e : entries) {
        const quint32 offset = quint32(out.size());
        QByteArray stored;
        out += localHeader(e, &stored) + stored;
        QByteArray c;
        le32(c, 0x02014B50);
        le16(c, 20);
        le16(c, 20);
        le16(c, e.flags);
        le16(c, e.method);
        le16(c, 0x6000);
        le16(c, e.date);
        le32(c, 0x12345678);
        le32(c, quint32(stored.size()));
        le32(c, quint32(e.data.size()));
        le16(c, quint16(e.name.size()));
        le16(c, 0);
        le16(c, 0);
        le16(c, 0);
        le16(c, 0);
        le32(c, 0);
        le32(c, offset);
        central += c + e.name;
    }
    QByteArray end;
    le32(end, 0x06054B50);
    le16(end, 0);
    le16(end, 0);
    le16(end, quint16(entries.size()));
    le16(end, quint16(entries.size()));
    le32(end, quint32(central.size()));
    le32(end, quint32(out.size()));
    le16(end, 0);
    return out + central + end;
}

QString date(int y, int m, int d)
{
    return QLocale::system().monthName(m, QLocale::LongFormat) + ' ' +
           QString::number(d).rightJustified(2, '0') + ' ' + QString::number(y);
}

QStringList rows(const plat::ListView& list)
{
    QStringList out;
    for (int i = 0; i < list.ItemCount(); ++i)
        out.append(list.Item(i)->text(0) + '|' + list.Item(i)->text(1) + '|' +
                   list.Item(i)->text(2));
    return out;
}

using testsupport::contents;

// Writes an archive with Python's zipfile, to the named file or, for "-", to
// its standard output (a pipe: the streaming writer with data descriptors).
// Archives inside are stored, so their own headers stand in the data.
const char* const kZipfileScript = R"(
import sys, zipfile
zip64, out = sys.argv[1] == 'zip64', sys.argv[2]
with zipfile.ZipFile(sys.stdout.buffer if out == '-' else out, 'w') as z:
    for name in sys.argv[3:]:
        info = zipfile.ZipInfo(name, (2023, 12, 31, 10, 0, 0))
        info.compress_type = zipfile.ZIP_STORED if name.endswith('.zip') else zipfile.ZIP_DEFLATED
        with open(name, 'rb') as src, z.open(info, 'w', force_zip64=zip64) as dst:
            dst.write(src.read())
)";

// Runs a tool in a folder and returns what it wrote to its standard output.
QByteArray run(const QString& program, const QStringList& arguments, const QString& folder)
{
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) {
        QTest::qFail(qPrintable(program + " is missing: scripts/deps.sh installs it"), __FILE__,
                     __LINE__);
        return QByteArray();
    }
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(found, arguments);
    if (!p.waitForFinished(120000)) QTest::qFail("the tool did not finish", __FILE__, __LINE__);
    return p.readAllStandardOutput();
}

// "name|size" for each entry that unzip -l lists.
QStringList unzipListing(const QString& archive, const QString& folder)
{
    const QStringList lines = QString::fromUtf8(run("unzip", {"-l", archive}, folder)).split('\n');
    static const QRegularExpression entry(R"(^\s*(\d+)\s+\S+\s+\S+\s+(.*)$)");
    QStringList out;
    int rules = 0;
    for (const QString& line : lines) {
        if (line.startsWith("---------")) {
            ++rules;
            continue;
        }
        const QRegularExpressionMatch m = entry.match(line);
        if (rules == 1 && m.hasMatch()) out << m.captured(2) + '|' + m.captured(1);
    }
    return out;
}

} // namespace

class TstStandaloneArchive : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;

    Form1& f() { return Form1::get(); }
    QString host(const QString& win) { return m_drives->hostPath(win); }

    void show(int n, const QString& folder) { testsupport::showFolder(n, folder); }
    void selectFile(int n, const QString& name)
    {
        ctl::FileListBox* l = f().Pane(n).file;
        for (int i = 0; i < l->ListCount(); ++i)
            if (l->List(i) == name) {
                l->setSelected(i, true);
                l->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            }
    }
    void finishUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_drives = std::make_unique<TempDrives>(2);
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        for (int n = 1; n <= 5; ++n)
            show(n, "C:\\");
        f().Text7->setText(QString());
    }

    void cleanup()
    {
        ZipView::UnloadIfLoaded();
        Standby::UnloadIfLoaded();
        finishUnloads();
        ctl::VbForm::setPopupHook(nullptr);
        m_boxes.reset();
        m_drives.reset();
    }

    // --- the entry reader ---

    void readerListsHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");

        const Entry a = E("a.txt", "alpha", 0, dosDate(1998, 1, 5));
        const Entry b = E("docs/readme.txt", QByteArray(300, 'r'), 8, dosDate(2023, 12, 31));
        const Entry folder = E("docs/", "", 0, dosDate(2001, 7, 9));
        const QString rowA = "a.txt|5|" + date(1998, 1, 5);
        const QString rowB = "docs/readme.txt|300|" + date(2023, 12, 31);

        QTest::newRow("three entries, stored, deflated and a folder")
            << zip({a, b, folder}) << QStringList{rowA, rowB, "docs/|0|" + date(2001, 7, 9)};
        QTest::newRow("no entries") << zip({}) << QStringList{};
        QTest::newRow("not an archive")
            << QByteArray("This is a plain text file, not an archive at all.") << QStringList{};
        QTest::newRow("shorter than a header") << QByteArray("PK\x03\x04") << QStringList{};

        const QByteArray whole = zip({a, b});
        QByteArray ignored;
        const int secondHeader = int(localHeader(a, &ignored).size() + 5);
        QTest::newRow("cut inside the second header")
            << whole.left(secondHeader + 12) << QStringList{rowA};
        QTest::newRow("cut inside the second name")
            << whole.left(secondHeader + 30 + 4) << QStringList{rowA};
        QTest::newRow("cut inside the first entry's data")
            << whole.left(secondHeader - 2) << QStringList{rowA};

        Entry bogus = a;
        bogus.compressedOverride = 0xFFFFFFF0u;
        bogus.uncompressedOverride = 0xFFFFFFF0u;
        QTest::newRow("sizes far past the end")
            << zip({bogus, b}) << QStringList{"a.txt|4294967280|" + date(1998, 1, 5)};

        // Sizes after the data: the central directory gives them and the
        // next header's place; without it the listing ends at that entry.
        Entry described = a;
        described.flags = 8;
        described.compressedOverride = 0;
        described.uncompressedOverride = 0;
        QTest::newRow("sizes after the data") << zip({described, b}) << QStringList{rowA, rowB};
        const QByteArray describedWhole = zip({described, b});
        QTest::newRow("sizes after the data, no central directory")
            << describedWhole.left(describedWhole.indexOf("PK\x01\x02"))
            << QStringList{"a.txt|0|" + date(1998, 1, 5)};

        const Entry inner = E("inner.zip", zip({a, b}), 0, dosDate(1998, 1, 5));
        QTest::newRow("stored archive inside")
            << zip({inner, a})
            << QStringList{"inner.zip|" + QString::number(inner.data.size()) + '|' +
                               date(1998, 1, 5),
                           rowA};

        Entry withExtra = a;
        withExtra.extra = QByteArray(9, '\x01');
        QTest::newRow("extra field skipped") << zip({withExtra, b}) << QStringList{rowA, rowB};

        const Entry latin = E("caf\xE9.txt", "x", 0, dosDate(1998, 1, 5));
        const Entry utf8 = E("caf\xC3\xA9-2.txt", "x", 0, dosDate(1998, 1, 5));
        QTest::newRow("names in the code page")
            << zip({latin, utf8})
            << QStringList{QString::fromUtf8("café.txt|1|") + date(1998, 1, 5),
                           QString::fromUtf8("café-2.txt|1|") + date(1998, 1, 5)};

        const Entry climbing = E("../../evil.txt", "x", 0, dosDate(1998, 1, 5));
        QTest::newRow("climbing name listed as stored")
            << zip({climbing}) << QStringList{"../../evil.txt|1|" + date(1998, 1, 5)};

        const Entry unnamed = E("", "x", 0, dosDate(1998, 1, 5));
        QTest::newRow("empty name")
            << zip({unnamed, a}) << QStringList{"|1|" + date(1998, 1, 5), rowA};

        const Entry month13 = E("m.txt", "x", 0, quint16((1999 - 1980) << 9 | 13 << 5 | 1));
        const Entry day0 = E("d.txt", "x", 0, quint16((1999 - 1980) << 9 | 3 << 5 | 0));
        QTest::newRow("dates out of range roll over")
            << zip({month13, day0, a})
            << QStringList{"m.txt|1|" + date(2000, 1, 1), "d.txt|1|" + date(1999, 2, 28), rowA};
    }

    void readerListsHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        m_drives->write("C:\\t.zip", bytes);
        plat::ListView list(nullptr, "list");
        list.AddColumnHeader("Name");
        list.AddColumnHeader("Size");
        list.AddColumnHeader("Date");
        Archiver::ListZipEntries("C:\\t.zip", list);
        QCOMPARE(rows(list), expected);
    }

    // Archives the real tools write, to a file and to a pipe, forced to
    // zip64 or not, list what unzip -l lists.
    void readerMatchesUnzip_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("toPipe"); // the archive is the tool's standard output

        const QStringList files{"a.txt", "docs", "empty.txt", "inner.zip"};
        const QStringList plainFiles{"a.txt", "docs/readme.txt", "empty.txt", "inner.zip"};
        QTest::newRow("zip") << "zip" << QStringList{"-q", "-r", "out.zip"} + files << false;
        QTest::newRow("zip, to a pipe") << "zip" << QStringList{"-q", "-r", "-"} + files << true;
        QTest::newRow("zip stored, to a pipe: the archive inside stays data")
            << "zip" << QStringList{"-q", "-0", "-r", "-"} + files << true;
        QTest::newRow("zip -fz") << "zip" << QStringList{"-q", "-fz", "-r", "out.zip"} + files
                                 << false;
        QTest::newRow("zip -fz, to a pipe")
            << "zip" << QStringList{"-q", "-fz", "-r", "-"} + files << true;
        QTest::newRow("zipfile") << "python3"
                                 << QStringList{"-c", kZipfileScript, "plain", "out.zip"} +
                                        plainFiles
                                 << false;
        QTest::newRow("zipfile, streaming")
            << "python3" << QStringList{"-c", kZipfileScript, "plain", "-"} + plainFiles << true;
        QTest::newRow("zipfile zip64")
            << "python3" << QStringList{"-c", kZipfileScript, "zip64", "out.zip"} + plainFiles
            << false;
        QTest::newRow("zipfile zip64, streaming")
            << "python3" << QStringList{"-c", kZipfileScript, "zip64", "-"} + plainFiles << true;
    }
    void readerMatchesUnzip()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(bool, toPipe);
        m_drives->write("C:\\work\\a.txt", "alpha");
        m_drives->write("C:\\work\\docs\\readme.txt", QByteArray(3000, 'r'));
        m_drives->write("C:\\work\\empty.txt", "");
        const QString folder = host("C:\\work");
        run("zip", {"-q", "-0", "inner.zip", "a.txt", "docs/readme.txt"}, folder);
        const QByteArray out = run(program, arguments, folder);
        if (toPipe) m_drives->write("C:\\work\\out.zip", out);
        QVERIFY(QFileInfo(folder + "/out.zip").size() > 0);

        plat::ListView list(nullptr, "list");
        Archiver::ListZipEntries("C:\\work\\out.zip", list);
        QStringList listed;
        for (int i = 0; i < list.ItemCount(); ++i)
            listed << list.Item(i)->text(0) + '|' + list.Item(i)->text(1);
        const QStringList expected = unzipListing("out.zip", folder);
        QVERIFY(expected.size() >= 4);
        QCOMPARE(listed, expected);
    }

    void readerAppendsAndPassesFailuresOn()
    {
        m_drives->write("C:\\t.zip", zip({E("a.txt")}));
        plat::ListView list(nullptr, "list");
        list.AddItem("kept");
        Archiver::ListZipEntries("C:\\t.zip", list);
        QCOMPARE(list.ItemCount(), 2);
        QCOMPARE(list.Item(0)->text(0), QString("kept"));

        int number = 0;
        try {
            Archiver::ListZipEntries("C:\\missing.zip", list);
        } catch (const plat::FileError& e) {
            number = e.number();
        }
        QCOMPARE(number, 53);
        QCOMPARE(list.ItemCount(), 2);
    }

    // --- the window ---

    void windowHasThreeColumns()
    {
        ZipView& z = ZipView::get();
        QCOMPARE(z.Listview1->ColumnHeaderCount(), 3);
        QStringList names;
        for (int i = 0; i < 3; ++i) {
            names.append(z.Listview1->ColumnHeaderText(i));
            QCOMPARE(z.Listview1->ColumnWidthTwips(i), 10455.0 / 3);
        }
        QCOMPARE(names, (QStringList{"Name", "Size", "Date"}));
        QVERIFY(z.Listview1->isVisibleTo(&z));
        QVERIFY(!z.ListView2->isVisibleTo(&z));
        QVERIFY(!z.Command1->isVisibleTo(&z));
        QCOMPARE(z.Listview1->ItemCount(), 0);
        QCOMPARE(z.Caption(), QString());
    }

    void listingTakesFirstPaneWithSelection_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<int>>("panes");
        QTest::addColumn<QString>("listed");

        QTest::newRow("drive root") << "C:\\" << QList<int>{1} << "root.zip";
        QTest::newRow("panes 2 and 4, pane 2 wins")
            << "D:\\arc" << QList<int>{4, 2} << "second.zip";
    }

    void listingTakesFirstPaneWithSelection()
    {
        QFETCH(QString, folder);
        QFETCH(QList<int>, panes);
        QFETCH(QString, listed);
        m_drives->write("C:\\root.zip", zip({E("r1.txt"), E("r2.txt")}));
        m_drives->write("D:\\arc\\second.zip", zip({E("s.txt")}));
        m_drives->write("D:\\arc\\fourth.zip", zip({E("f.txt")}));
        for (int n : panes) {
            show(n, folder);
            selectFile(n, n == 4 ? "fourth.zip" : listed);
        }
        ZipView& z = ZipView::get();
        z.Listview1->AddItem("old row");
        z.Command1->Press();
        QCOMPARE(z.Caption(), "Quorbix ZipView of " + listed);
        QStringList names;
        for (int i = 0; i < z.Listview1->ItemCount(); ++i)
            names.append(z.Listview1->Item(i)->text(0));
        const QStringList expected =
            listed == "root.zip" ? QStringList{"r1.txt", "r2.txt"} : QStringList{"s.txt"};
        QCOMPARE(names, expected);
    }

    void listingWithoutSelectionOrArchive()
    {
        ZipView& z = ZipView::get();
        z.Listview1->AddItem("old row");
        z.Command1->Press();
        QCOMPARE(z.Caption(), QString());
        QCOMPARE(z.Listview1->ItemCount(), 1);

        // a file that is no archive: the old rows go, no row comes, no message
        m_drives->write("C:\\notes.zip", "just text, more than thirty bytes of it, really");
        show(1, "C:\\");
        selectFile(1, "notes.zip");
        z.Command1->Press();
        QCOMPARE(z.Caption(), QString("Quorbix ZipView of notes.zip"));
        QCOMPARE(z.Listview1->ItemCount(), 0);
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void rightButtonShowsPopup()
    {
        QStringList shown;
        ctl::VbForm::setPopupHook([&](ctl::VbForm*, QMenu* m) { shown.append(m->objectName()); });
        ZipView& z = ZipView::get();
        z.Show();
        QTest::mouseClick(z.Listview1->viewport(), Qt::LeftButton);
        QVERIFY(shown.isEmpty());
        QTest::mouseClick(z.Listview1->viewport(), Qt::RightButton);
        QCOMPARE(shown, QStringList{"mnuPopup1"});
    }

    void extract_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("target0Exists");
        QTest::addColumn<QStringList>("inTarget0");
        QTest::addColumn<QStringList>("inTarget");
        QTest::addColumn<bool>("windowStays");
        QTest::addColumn<int>("messages");

        QTest::newRow("two plain names")
            << QStringList{"a.txt", "b.txt", "c.txt"} << QList<int>{0, 2} << true
            << QStringList{"a.txt", "c.txt"} << QStringList{} << false << 0;
        QTest::newRow("first folder missing: every name to the second")
            << QStringList{"a.txt", "b.txt"} << QList<int>{0, 1} << false << QStringList{}
            << QStringList{"a.txt", "b.txt"} << false << 0;
        QTest::newRow("name with a folder part: its leaf only")
            << QStringList{"docs/readme.txt", "a.txt"} << QList<int>{0, 1} << true
            << QStringList{"readme.txt"} << QStringList{} << true << 0;
        QTest::newRow("leaf with a long ending")
            << QStringList{"docs/index.html"} << QList<int>{0} << true << QStringList{"index.html"}
            << QStringList{} << true << 0;
        QTest::newRow("leaf with two dots")
            << QStringList{"docs/read.me.txt"} << QList<int>{0} << true
            << QStringList{"read.me.txt"} << QStringList{} << true << 0;
        QTest::newRow("climbing name keeps to the folder")
            << QStringList{"../../a.txt"} << QList<int>{0} << true << QStringList{"a.txt"}
            << QStringList{} << true << 0;
        QTest::newRow("backslash name refused")
            << QStringList{"..\\a.txt", "b.txt"} << QList<int>{0, 1} << true << QStringList{"b.txt"}
            << QStringList{} << false << 1;
        QTest::newRow("missing file told") << QStringList{"docs/gone.txt"} << QList<int>{0} << true
                                           << QStringList{} << QStringList{} << true << 1;
        QTest::newRow("nothing selected") << QStringList{"a.txt"} << QList<int>{} << true
                                          << QStringList{} << QStringList{} << true << 0;
    }

    void extract()
    {
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, selected);
        QFETCH(bool, target0Exists);
        QFETCH(QStringList, inTarget0);
        QFETCH(QStringList, inTarget);
        QFETCH(bool, windowStays);
        QFETCH(int, messages);

        for (const char* name : {"a.txt", "b.txt", "c.txt", "readme.txt", "index.html",
                                 "read.me.txt", "d.me.txt", "ndex.html"})
            m_drives->write(QString("D:\\work\\") + name, name);
        m_drives->write("D:\\a.txt", "outside");
        if (target0Exists) m_drives->mkdir("C:\\atemp0");
        m_drives->mkdir("C:\\atemp");
        plat::drives::setCurrentFolder("D:\\work");

        ZipView& z = ZipView::get();
        for (const QString& e : entries)
            z.Listview1->AddItem(e);
        // the first listed is the entry the user picked
        if (!selected.isEmpty())
            z.Listview1->setCurrentItem(z.Listview1->Item(selected.first()), 0,
                                        QItemSelectionModel::NoUpdate);
        for (int i : selected)
            z.Listview1->Item(i)->setSelected(true);
        z.mnuExtract->trigger();
        finishUnloads();

        QCOMPARE(ZipView::IsLoaded(), windowStays);
        QVERIFY(!Standby::IsLoaded());
        QCOMPARE(QDir(host("C:\\atemp0")).entryList(QDir::Files), inTarget0);
        QCOMPARE(QDir(host("C:\\atemp")).entryList(QDir::Files), inTarget);
        for (const QString& name : inTarget0 + inTarget)
            QCOMPARE(contents(host("D:\\work\\" + name)), name.toUtf8());
        QCOMPARE(contents(host("D:\\a.txt")), QByteArray("outside"));
        QCOMPARE(QDir(host("C:\\")).entryList(QDir::Files), QStringList{});
        QCOMPARE(m_boxes->boxes.size(), messages);
    }

    void extractNeverReplaces_data()
    {
        QTest::addColumn<bool>("danglingLink");
        QTest::newRow("a file") << false;
        QTest::newRow("a link to nothing") << true;
    }

    void extractNeverReplaces()
    {
        QFETCH(bool, danglingLink);
        m_drives->write("D:\\work\\readme.txt", "new");
        const QString taken = host("C:\\atemp0") + "/readme.txt";
        if (danglingLink) {
            m_drives->mkdir("C:\\atemp0");
            QVERIFY(QFile::link(host("C:\\") + "/nowhere.txt", taken));
        } else {
            m_drives->write("C:\\atemp0\\readme.txt", "users own");
        }
        plat::drives::setCurrentFolder("D:\\work");
        ZipView& z = ZipView::get();
        z.Listview1->AddItem("docs/readme.txt")->setSelected(true);
        z.mnuExtract->trigger();
        if (danglingLink) {
            QCOMPARE(QFileInfo(taken).symLinkTarget(), host("C:\\") + "/nowhere.txt");
            QCOMPARE(contents(host("C:\\nowhere.txt")), QByteArray("<missing>"));
        } else {
            QCOMPARE(contents(taken), QByteArray("users own"));
        }
        QCOMPARE(contents(host("C:\\atemp0\\readme (2).txt")), QByteArray("new"));
    }

    void command3WalksWithoutSelection()
    {
        ZipView& z = ZipView::get();
        z.Command3->Press(); // empty list
        z.Listview1->AddItem("docs/a-very-long-name.txt");
        z.Listview1->AddItem("b.txt");
        z.Command3->Press();
        z.Listview1->Item(0)->setSelected(true);
        z.Command3->Press();
        QCOMPARE(z.Listview1->ItemCount(), 2);
        QVERIFY(ZipView::IsLoaded());
    }
};

QTEST_MAIN(TstStandaloneArchive)
#include "tst_standalone_archive.moc"
