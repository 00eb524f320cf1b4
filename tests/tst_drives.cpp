// The drive table the program makes from the mount table, and the panes'
// drive lists, while volumes are mounted and taken out.
#include "mainwindow/form1.h"
#include "testsupport.h"

#include "controls/filecontrols.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/mounts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace plat;

namespace {

// A mount table's text as /proc/self/mountinfo gives it, one line a point.
QByteArray mountInfo(const QStringList& points)
{
    QByteArray text = "21 1 0:20 / / rw,relatime - ext4 /dev/sda1 rw\n"
                      "22 21 0:21 / /proc rw,relatime - proc proc rw\n"
                      "23 21 0:22 / /mnt rw,relatime - tmpfs tmpfs rw\n";
    int id = 40;
    for (QString p : points) {
        p.replace(' ', "\\040");
        text += QByteArray::number(id++) + " 21 8:1 / " + p.toUtf8() +
                " rw,relatime - vfat /dev/sdb1 rw\n";
    }
    return text;
}

// "D=/mnt/a E=/mnt/b": the drives after C:, which is always "/".
QString lettersOf(const QList<DriveEntry>& table)
{
    QStringList out;
    for (const DriveEntry& e : table) {
        if (e.letter == 'C') {
            if (e.hostRoot != "/") out.append("C=" + e.hostRoot);
            continue;
        }
        out.append(QString(e.letter) + '=' + e.hostRoot);
    }
    return out.join(' ');
}

QStringList offered(const ctl::DriveListBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->itemText(i));
    return out;
}

void put(const QString& host, const QByteArray& data)
{
    QFile f(host);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(host));
    f.write(data);
}

// A tmpfs mounted at a folder for its lifetime (the superuser only).
class Tmpfs {
  public:
    explicit Tmpfs(const QString& point) : m_point(QFile::encodeName(point))
    {
        QDir().mkpath(point);
        m_mounted = ::mount("tmpfs", m_point.constData(), "tmpfs", 0, "size=4m") == 0;
    }
    ~Tmpfs() { unmount(); }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;
    bool mounted() const { return m_mounted; }
    void unmount()
    {
        if (m_mounted && ::umount(m_point.constData()) != 0)
            ::umount2(m_point.constData(), MNT_DETACH);
        m_mounted = false;
    }

  private:
    QByteArray m_point;
    bool m_mounted = false;
};

// A folder reading's times as a volume whose top folder keeps none shows
// them (FAT): the same for every stick.
void timesOfNoTimes(qint64& ctime, qint64& mtime)
{
    ctime = mtime = 1000000000;
}

} // namespace

class TstDrives : public QObject {
    Q_OBJECT

    QTemporaryDir* m_volumes = nullptr;
    testsupport::RecordingMessageBoxes* m_boxes = nullptr;

    QString volume(const QString& name) const { return m_volumes->path() + '/' + name; }

    // The table made from the mount table, volumes in the test's folder.
    void tableFromMounts()
    {
        qunsetenv("QUORBIX_DRIVES");
        drives::setVolumeFolders({m_volumes->path()});
        drives::reload();
    }

    Form1& freshWindow()
    {
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Form1& f = Form1::get();
        f.Show();
        return f;
    }

    QList<ctl::DriveListBox*> lists(Form1& f) const
    {
        return {f.DriveBox, f.Drive2, f.Drive3, f.Drive4, f.Drive5};
    }

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_boxes = new testsupport::RecordingMessageBoxes;
    }

    void init()
    {
        m_volumes = new QTemporaryDir;
        m_boxes->clear();
    }

    void cleanup()
    {
        Form1::UnloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        mounts::setTableSource({});
        fs::setFolderStampHook(nullptr);
        drives::setVolumeFolders({"/media", "/run/media", "/mnt"});
        qunsetenv("QUORBIX_DRIVES");
        drives::reload();
        delete m_volumes;
        m_volumes = nullptr;
    }

    void cleanupTestCase() { delete m_boxes; }

    // Each step a mount table: a drive that stays keeps its letter, a new
    // volume takes the first free letter from D:, one taken out gives its
    // letter back.
    void lettersFollowTheMountTable_data()
    {
        QTest::addColumn<QList<QStringList>>("steps"); // the volumes mounted at each step
        QTest::addColumn<QStringList>("letters");      // the table after each step
        QTest::newRow("a volume mounted while it runs takes the next letter")
            << QList<QStringList>{{"a"}, {"a", "b"}} << QStringList{"D=a", "D=a E=b"};
        QTest::newRow("a volume taken out gives its letter to the next one")
            << QList<QStringList>{{"a", "b", "c"}, {"a", "c"}, {"a", "c", "d"}}
            << QStringList{"D=a E=b F=c", "D=a F=c", "D=a E=d F=c"};
        QTest::newRow("a volume taken out and mounted again")
            << QList<QStringList>{{"a", "b"}, {"b"}, {"a", "b"}}
            << QStringList{"D=a E=b", "E=b", "D=a E=b"};
        QTest::newRow("a new volume that sorts first takes no letter of another's")
            << QList<QStringList>{{"m"}, {"a", "m"}} << QStringList{"D=m", "D=m E=a"};
        QTest::newRow("every volume out, then one in")
            << QList<QStringList>{{"a", "b"}, {}, {"b"}} << QStringList{"D=a E=b", "", "D=b"};
        QTest::newRow("two mounts on one folder are one drive")
            << QList<QStringList>{{"a", "a"}, {"a"}} << QStringList{"D=a", "D=a"};
        QTest::newRow("a name with a blank")
            << QList<QStringList>{{"My Stick"}} << QStringList{"D=My Stick"};
    }

    void lettersFollowTheMountTable()
    {
        QFETCH(QList<QStringList>, steps);
        QFETCH(QStringList, letters);
        QByteArray text;
        mounts::setTableSource([&] { return text; });
        const QString base = m_volumes->path() + '/';
        for (qsizetype i = 0; i < steps.size(); ++i) {
            QStringList points;
            for (const QString& v : steps[i])
                points.append(base + v);
            // A folder beside the volume folders, and that folder itself,
            // are no drives.
            text = mountInfo(points + QStringList{"/home/ana/elsewhere", m_volumes->path()});
            if (i == 0)
                tableFromMounts();
            else
                drives::followMounts();
            QCOMPARE(lettersOf(drives::table()).remove(base), letters[i]);
        }
        const std::optional<DriveEntry> d = drives::find('D');
        if (d) QCOMPARE(d->label, QFileInfo(d->hostRoot).fileName());
    }

    // A table that was set, by QUORBIX_DRIVES or by hand, stays as set.
    void aTableThatWasSetStays()
    {
        QByteArray text = mountInfo({volume("a")});
        mounts::setTableSource([&] { return text; });
        qputenv("QUORBIX_DRIVES", QFile::encodeName("C=" + volume("c") + ";E=" + volume("e")));
        drives::reload();
        const QString before = lettersOf(drives::table());
        text = mountInfo({volume("a"), volume("b")});
        QVERIFY(!drives::followMounts());
        QCOMPARE(lettersOf(drives::table()), before);
        qunsetenv("QUORBIX_DRIVES");
        drives::setTable({{'C', volume("c"), {}}});
        text = mountInfo({});
        QVERIFY(!drives::followMounts());
        QCOMPARE(lettersOf(drives::table()), "C=" + volume("c"));
    }

    // A drive that goes away while a pane shows it: the lists no longer
    // offer it, the pane keeps showing what it showed, and the next step
    // into it fails as for a drive with no disk (68).
    void paneOnADriveThatWentAway()
    {
        QDir().mkpath(volume("stick/sub"));
        put(volume("stick/on the stick.txt"), "x");
        QByteArray text = mountInfo({volume("stick")});
        mounts::setTableSource([&] { return text; });
        tableFromMounts();
        Form1& f = freshWindow();
        f.Drive2->setDrive("d:");
        QCOMPARE(f.DirBox2->Path(), QString("D:\\"));
        QCOMPARE(f.FileBox2->List(0), QString("on the stick.txt"));

        text = mountInfo({});
        drives::tableWatch().check(); // as the watch does when the system tells
        for (ctl::DriveListBox* l : lists(f))
            QCOMPARE(offered(l), QStringList{"c: [/]"});
        QCOMPARE(f.Drive2->Drive(), QString("d: [stick]"));
        QCOMPARE(f.DirBox2->Path(), QString("D:\\"));
        QCOMPARE(f.FileBox2->List(0), QString("on the stick.txt"));
        int number = 0;
        try {
            f.DirBox2->setPath("D:\\sub");
        } catch (const FileError& e) {
            number = e.number();
        }
        QCOMPARE(number, int(ErrDeviceUnavailable));
        QCOMPARE(f.DirBox2->Path(), QString("D:\\"));
        // Another drive is a change, as ever.
        f.Drive2->setCurrentIndex(0);
        emit f.Drive2->activated(0);
        QCOMPARE(f.DirBox2->Path().left(3), QString("C:\\"));
        QCOMPARE(m_boxes->prompts(), QStringList());

        // Back again under its letter.
        text = mountInfo({volume("stick")});
        drives::tableWatch().check();
        QCOMPARE(offered(f.Drive4), (QStringList{"c: [/]", "d: [stick]"}));
    }

    // A real volume mounted while the program runs is offered in all five
    // drive lists as soon as the system tells (and at the latest when a list
    // opens), under the next free letter; once out, it is offered no more.
    void driveListsFollowARealMount()
    {
        if (::geteuid() != 0) QSKIP("a volume is mounted only as the superuser");
        QDir().mkpath(volume("first"));
        Tmpfs first(volume("first"));
        if (!first.mounted()) QSKIP("no volume could be mounted here");
        tableFromMounts();
        Form1& f = freshWindow();
        const QStringList before{"c: [/]", "d: [first]"};
        for (ctl::DriveListBox* l : lists(f))
            QCOMPARE(offered(l), before);

        Tmpfs second(volume("second"));
        QVERIFY(second.mounted());
        // Opened before any event has come: the list looks for itself.
        f.Drive3->showPopup();
        QCOMPARE(offered(f.Drive3), (QStringList{"c: [/]", "d: [first]", "e: [second]"}));
        f.Drive3->hidePopup();
        for (ctl::DriveListBox* l : lists(f))
            QTRY_COMPARE_WITH_TIMEOUT(offered(l).size(), 3, 20000);
        QCOMPARE(offered(f.Drive5), offered(f.Drive3));

        first.unmount();
        for (ctl::DriveListBox* l : lists(f))
            QTRY_COMPARE_WITH_TIMEOUT(offered(l), (QStringList{"c: [/]", "e: [second]"}), 20000);
    }

    // Two sticks of one label, swapped under a pane, each show their own
    // files, though the second may be given the first one's numbers and its
    // top folder keeps no times.
    void sticksOfOneLabelSwapped()
    {
        if (::geteuid() != 0) QSKIP("a volume is mounted only as the superuser");
        fs::setFolderStampHook(timesOfNoTimes);
        auto stick = std::make_unique<Tmpfs>(volume("STICK"));
        if (!stick->mounted()) QSKIP("no volume could be mounted here");
        put(volume("STICK/first stick.txt"), "1");
        tableFromMounts();
        Form1& f = freshWindow();
        f.Drive4->setDrive("d:");
        QCOMPARE(f.FileBox4->List(0), QString("first stick.txt"));

        stick.reset();
        stick = std::make_unique<Tmpfs>(volume("STICK"));
        QVERIFY(stick->mounted());
        put(volume("STICK/second stick.txt"), "2");
        // A click in another pane refreshes pane 4, as the user would see it.
        ctl::FileListBox::RefreshTogether({f.FileBox4});
        QCOMPARE(f.FileBox4->ListCount(), 1);
        QCOMPARE(f.FileBox4->List(0), QString("second stick.txt"));
        f.DirBox4->RefreshIfChanged();
        QCOMPARE(f.Drive4->Drive(), QString("d: [STICK]"));
    }
};

QTEST_MAIN(TstDrives)
#include "tst_drives.moc"
