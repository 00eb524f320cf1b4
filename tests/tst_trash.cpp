// The real trash: a delete lands there, and knowing that it did never costs
// a reading of the trash, however much it holds.
#include "testsupport.h"

#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

using namespace testsupport;

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
};

QTEST_GUILESS_MAIN(TstTrash)
#include "tst_trash.moc"
