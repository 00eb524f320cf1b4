// The real trash: a delete lands there only where a restore can bring it
// back, in the trash GIO picks, and knowing that it did never costs a
// reading of the trash, however much it holds.
#include "testsupport.h"

#include "platform/drives.h"
#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// For its lifetime a file system of its own lies over a folder, in a mount
// namespace of this process alone; the mount goes however the test ends.
// Needs the right to mount; ok() tells.
class Volume {
  public:
    Volume(const QString& at, const char* type, const char* options) : m_at(QFile::encodeName(at))
    {
        static const int shared =
            ::unshare(CLONE_NEWNS) == 0 &&
                    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                ? 0
                : errno;
        if (shared != 0) {
            m_why = QString("no mount namespace of its own (needs root): %1")
                        .arg(std::strerror(shared));
            return;
        }
        if (::mount("quorbix-volume", m_at.constData(), type, 0, options) != 0) {
            m_why = QString("no %1 mount: %2").arg(type, std::strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~Volume()
    {
        if (m_mounted) ::umount2(m_at.constData(), MNT_DETACH);
    }
    bool ok() const { return m_mounted; }
    QString why() const { return m_why; }

  private:
    QByteArray m_at;
    QString m_why;
    bool m_mounted = false;
};

// For its lifetime the user's data folder is a link to another folder, as
// when it was moved to a larger disk.
class LinkedDataFolder {
  public:
    explicit LinkedDataFolder(const QString& to)
        : m_data(qEnvironmentVariable("XDG_DATA_HOME")), m_aside(m_data + ".aside")
    {
        m_ok = QDir().rename(m_data, m_aside) && QFile::link(to, m_data);
    }
    ~LinkedDataFolder()
    {
        QFile::remove(m_data);
        QDir().rename(m_aside, m_data);
    }
    bool ok() const { return m_ok; }

  private:
    QString m_data, m_aside;
    bool m_ok = false;
};

// Fills a file system to its last byte.
void fill(const QString& folder)
{
    QFile f(folder + "/filler");
    if (!f.open(QIODevice::WriteOnly)) return;
    const QByteArray page(4096, 'f');
    while (f.write(page) == page.size() && f.flush()) {
    }
    for (const QByteArray one(1, 'f'); f.write(one) == 1 && f.flush();) {
    }
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TstTrash : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> m_drives;

    static QString trash() { return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash"; }

  private slots:
    void initTestCase() { isolateEnvironment(); }
    void init()
    {
        m_drives = std::make_unique<TempDrives>(1);
        QDir(trash()).removeRecursively();
    }
    void cleanup()
    {
        ::chmod(QFile::encodeName(trash() + "/files").constData(), 0700);
        QDir(trash()).removeRecursively();
        m_drives.reset();
    }

    void landsWhateverTheTrashHolds_data()
    {
        QTest::addColumn<int>("alreadyThere"); // files of the same name in the trash
        QTest::newRow("a name the trash does not hold") << 0;
        QTest::newRow("a name the trash holds") << 1;
        QTest::newRow("a name the trash holds three times") << 3;
    }

    // The trash's folder of files is made unreadable (searchable and
    // writable only): a check that read it would fail, one that looks at
    // names alone does not.
    void landsWhateverTheTrashHolds()
    {
        QFETCH(int, alreadyThere);
        for (int i = 0; i < alreadyThere; ++i) {
            m_drives->write("C:\\Data\\notes.txt", "week " + QByteArray::number(i));
            QString err;
            QVERIFY2(plat::trash::moveToTrash("C:\\Data\\notes.txt", &err), qPrintable(err));
        }
        QVERIFY(QDir().mkpath(trash() + "/files"));
        QVERIFY(QDir().mkpath(trash() + "/info"));
        m_drives->write("C:\\Data\\notes.txt", "today");
        QVERIFY(::chmod(QFile::encodeName(trash() + "/files").constData(), 0300) == 0);
        bool moved = false;
        QString err;
        {
            PermissionsBind bind;
            if (!bind.active()) QSKIP(qPrintable(bind.why()));
            moved = plat::trash::moveToTrash("C:\\Data\\notes.txt", &err);
        }
        QVERIFY(::chmod(QFile::encodeName(trash() + "/files").constData(), 0700) == 0);
        QVERIFY2(moved, qPrintable(err));
        QVERIFY(!QFileInfo::exists(m_drives->hostPath("C:\\Data\\notes.txt")));
        QStringList held;
        const QDir files(trash() + "/files");
        for (const QString& n : files.entryList(QDir::Files))
            held << QString::fromUtf8(contents(files.filePath(n)));
        held.sort();
        QStringList expected{"today"};
        for (int i = 0; i < alreadyThere; ++i)
            expected << "week " + QString::number(i);
        expected.sort();
        QCOMPARE(held, expected);
        QCOMPARE(QDir(trash() + "/info").entryList(QDir::Files).size(), alreadyThere + 1);
    }

    // The trash layouts people have, each delete checked by the record the
    // trash keeps on disk (what a restore reads): a file goes only where its
    // record names it, or it stays where it was and the reason says why.
    void trashLayouts_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("nameBytes");    // 0: "a.txt"
        QTest::addColumn<bool>("heldAlready"); // the trash holds a record of the name
        QTest::addColumn<QString>("landsAs");  // "own", "numbered" or "" (stays)
        QTest::addColumn<QString>("reason");

        const QString tooLong = "The name is too long for the trash.";
        // The record's temporary takes the name and 17 bytes: 238 is the
        // longest name that fits 255, 236 once GIO adds ".2".
        QTest::newRow("238 bytes") << "home" << 238 << false << "own"
                                   << "";
        QTest::newRow("239 bytes") << "home" << 239 << false << "" << tooLong;
        QTest::newRow("245 bytes") << "home" << 245 << false << "" << tooLong;
        QTest::newRow("246 bytes") << "home" << 246 << false << "" << tooLong;
        QTest::newRow("255 bytes") << "home" << 255 << false << "" << tooLong;
        QTest::newRow("236 bytes, held") << "home" << 236 << true << "numbered"
                                         << "";
        QTest::newRow("237 bytes, held") << "home" << 237 << true << "" << tooLong;
        QTest::newRow("238 bytes, held") << "home" << 238 << true << "" << tooLong;
        QTest::newRow("files folder removed, its records kept")
            << "files removed" << 0 << true << "numbered"
            << "";
        QTest::newRow("data folder a link to the file's volume")
            << "linked data folder" << 0 << false << "own"
            << "";
        QTest::newRow("data folder a link to another volume")
            << "home file, linked data folder" << 0 << false << ""
            << "The trash is on another disk, where this file cannot be moved.";
        // The record cannot be written, yet the move succeeds: the file
        // comes back.
        QTest::newRow("home disk full") << "full home" << 0 << false << ""
                                        << "The trash could not record where the file came "
                                           "from, so it was put back.";
    }

    void trashLayouts()
    {
        QFETCH(QString, layout);
        QFETCH(int, nameBytes);
        QFETCH(bool, heldAlready);
        QFETCH(QString, landsAs);
        QFETCH(QString, reason);

        const QString name = nameBytes == 0 ? "a.txt" : QString(nameBytes - 4, 'n') + ".txt";
        const QString numbered =
            nameBytes == 0 ? "a.2.txt" : QString(nameBytes - 4, 'n') + ".2.txt";
        const QString home = qEnvironmentVariable("HOME");
        QTemporaryDir volumeDir;
        std::optional<Volume> volume;
        std::optional<LinkedDataFolder> link;
        QString folder = m_drives->host('C'); // where the file lies
        QString trashFolder = trash();        // where it should go
        QString recorded;                     // its path as the record must hold it
        if (layout == "linked data folder" || layout == "home file, linked data folder") {
            // ramfs: GIO keeps no trash on tmpfs, which it counts as the system's own.
            volume.emplace(volumeDir.path(), "ramfs", "");
            if (!volume->ok()) QSKIP(qPrintable(volume->why()));
            QVERIFY(QDir().mkpath(volumeDir.path() + "/data") &&
                    QDir().mkpath(volumeDir.path() + "/docs"));
            link.emplace(volumeDir.path() + "/data");
            QVERIFY(link->ok());
            if (layout == "linked data folder") {
                folder = volumeDir.path() + "/docs";
                trashFolder = volumeDir.path() + "/.Trash-" + QString::number(::geteuid());
                recorded = "docs/" + name; // from the volume's top
            }
        } else if (layout == "full home") {
            volume.emplace(home, "tmpfs", "size=256k");
            if (!volume->ok()) QSKIP(qPrintable(volume->why()));
            QVERIFY(QDir().mkpath(trash() + "/info") && QDir().mkpath(trash() + "/files"));
            folder = home + "/docs";
            QVERIFY(QDir().mkpath(folder));
        } else if (layout == "files removed") {
            QVERIFY(QDir().mkpath(trash() + "/info"));
            QFile info(trash() + "/info/" + name + ".trashinfo");
            QVERIFY(info.open(QIODevice::WriteOnly));
            info.write("[Trash Info]\nPath=/elsewhere/" + name.toUtf8() +
                       "\nDeletionDate=2024-01-01T00:00:00\n");
        }
        if (recorded.isEmpty()) recorded = folder + "/" + name;
        plat::drives::setTable(
            {{QChar('C'), m_drives->host('C'), QString()}, {QChar('D'), folder, QString()}});
        const QString win = "D:\\" + name;
        const auto put = [&](const QByteArray& text) {
            QFile f(folder + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(text), text.size());
        };
        QString err;
        if (heldAlready && layout == "home") { // round 1
            put("round 1");
            QVERIFY2(plat::trash::moveToTrash(win, &err), qPrintable(err));
        }
        put("the one deleted");
        if (layout == "full home") fill(home);
        const QStringList infoBefore = entries(trashFolder + "/info");
        const QStringList filesBefore = entries(trashFolder + "/files");

        const bool moved = plat::trash::moveToTrash(win, &err);

        if (landsAs.isEmpty()) {
            QVERIFY(!moved);
            QCOMPARE(err, reason);
            QCOMPARE(contents(folder + "/" + name), QByteArray("the one deleted"));
            QCOMPARE(entries(trashFolder + "/info"), infoBefore);
            QCOMPARE(entries(trashFolder + "/files"), filesBefore);
            return;
        }
        QVERIFY2(moved, qPrintable(err));
        QVERIFY(!QFileInfo::exists(folder + "/" + name));
        const QString inTrash = landsAs == "own" ? name : numbered;
        QCOMPARE(contents(trashFolder + "/files/" + inTrash), QByteArray("the one deleted"));
        const QList<QByteArray> record =
            contents(trashFolder + "/info/" + inTrash + ".trashinfo").split('\n');
        QCOMPARE(record.value(0), QByteArray("[Trash Info]"));
        QVERIFY2(record.value(1).startsWith("Path="), record.value(1).constData());
        QCOMPARE(QByteArray::fromPercentEncoding(record.value(1).mid(5)), recorded.toUtf8());
        if (trashFolder != trash()) QVERIFY(!QFileInfo::exists(trash() + "/files/" + inTrash));
    }
};

QTEST_GUILESS_MAIN(TstTrash)
#include "tst_trash.moc"
