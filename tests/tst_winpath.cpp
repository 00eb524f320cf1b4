// Windows paths as text: joins at and below a root, the folder and name of
// a path, suffixes of names with and without dots, and the free name for a
// copy among names already taken.
#include "platform/winpath.h"

#include <QSet>
#include <QtTest>

using namespace plat;

class TstWinPath : public QObject {
    Q_OBJECT

  private slots:
    void join_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("joined");
        QTest::newRow("root") << "C:\\" << "a.txt" << "C:\\a.txt";
        QTest::newRow("folder") << "C:\\Data" << "a.txt" << "C:\\Data\\a.txt";
        QTest::newRow("deep") << "D:\\a\\b" << "c" << "D:\\a\\b\\c";
        QTest::newRow("closing backslash kept once") << "C:\\Data\\" << "a" << "C:\\Data\\a";
        QTest::newRow("no name: folder ready for one") << "C:\\Data" << "" << "C:\\Data\\";
        QTest::newRow("no name at a root") << "C:\\" << "" << "C:\\";
        QTest::newRow("no folder") << "" << "a.txt" << "a.txt";
        QTest::newRow("blank name") << "C:\\Data" << " " << "C:\\Data\\ ";
    }
    void join()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, joined);
        QCOMPARE(winpath::join(folder, name), joined);
    }

    void split_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("root");
        QTest::newRow("root") << "C:\\" << "C:\\" << "" << "" << true;
        QTest::newRow("lower-case root") << "d:\\" << "d:\\" << "" << "" << true;
        QTest::newRow("file in a root") << "C:\\a.txt" << "C:\\" << "a.txt" << ".txt" << false;
        QTest::newRow("folder in a root") << "C:\\Data" << "C:\\" << "Data" << "" << false;
        QTest::newRow("deep") << "C:\\a\\b\\c.tar.gz" << "C:\\a\\b" << "c.tar.gz" << ".gz"
                              << false;
        QTest::newRow("dotted folder, plain name")
            << "C:\\v1.2\\readme" << "C:\\v1.2" << "readme" << "" << false;
        QTest::newRow("leading dot only") << "C:\\home\\.profile" << "C:\\home" << ".profile"
                                          << "" << false;
        QTest::newRow("dot at the end") << "C:\\a." << "C:\\" << "a." << "." << false;
        QTest::newRow("bare name") << "notes.txt" << "" << "notes.txt" << ".txt" << false;
        QTest::newRow("drive without backslash") << "C:" << "" << "C:" << "" << false;
        QTest::newRow("longer than a root") << "CC:\\" << "CC:" << "" << "" << false;
    }
    void split()
    {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, name);
        QFETCH(QString, suffix);
        QFETCH(bool, root);
        QCOMPARE(winpath::parent(path), parent);
        QCOMPARE(winpath::fileName(path), name);
        QCOMPARE(winpath::suffix(path), suffix);
        QCOMPARE(winpath::isRoot(path), root);
        // Apart from a root, its parent and name make the path again.
        if (!root && !parent.isEmpty()) QCOMPARE(winpath::join(parent, name), path);
    }

    void freeName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("free");
        QTest::newRow("free at once") << "C:\\Data" << "a.txt" << QStringList{"C:\\Data\\b.txt"}
                                      << "C:\\Data\\a.txt";
        QTest::newRow("second") << "C:\\Data" << "a.txt" << QStringList{"C:\\Data\\a.txt"}
                                << "C:\\Data\\a (2).txt";
        QTest::newRow("past a gap-free run")
            << "C:\\Data" << "a.txt"
            << QStringList{"C:\\Data\\a.txt", "C:\\Data\\a (2).txt", "C:\\Data\\a (3).txt"}
            << "C:\\Data\\a (4).txt";
        QTest::newRow("first gap wins")
            << "C:\\Data" << "a.txt" << QStringList{"C:\\Data\\a.txt", "C:\\Data\\a (3).txt"}
            << "C:\\Data\\a (2).txt";
        QTest::newRow("in a root") << "C:\\" << "a.txt" << QStringList{"C:\\a.txt"}
                                   << "C:\\a (2).txt";
        QTest::newRow("last dot only") << "C:\\" << "a.tar.gz" << QStringList{"C:\\a.tar.gz"}
                                       << "C:\\a.tar (2).gz";
        QTest::newRow("no suffix") << "C:\\" << "Makefile" << QStringList{"C:\\Makefile"}
                                   << "C:\\Makefile (2)";
        QTest::newRow("leading dot is no suffix")
            << "C:\\" << ".profile" << QStringList{"C:\\.profile"} << "C:\\.profile (2)";
    }
    void freeName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QStringList, taken);
        QFETCH(QString, free);
        const QSet<QString> names(taken.begin(), taken.end());
        QCOMPARE(winpath::freeName(folder, name,
                                   [&](const QString& path) { return names.contains(path); }),
                 free);
    }
};

QTEST_MAIN(TstWinPath)
#include "tst_winpath.moc"
