// Windows paths over host folders, and file-list pattern matching.
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace plat;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const FileError& e) {
        return e.number();
    }
    return 0;
}

const QString kStandIn = QString(QChar(0x29F5));

} // namespace

class TstPlatformFs : public QObject {
    Q_OBJECT

    QTemporaryDir m_c;
    QTemporaryDir m_d;
    QString m_startFolder;

    QString hostC(const QString& rel = {}) const
    {
        return rel.isEmpty() ? m_c.path() : m_c.path() + '/' + rel;
    }
    QString hostD(const QString& rel = {}) const
    {
        return rel.isEmpty() ? m_d.path() : m_d.path() + '/' + rel;
    }

  private slots:
    void initTestCase()
    {
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir().mkpath(hostC("work/deeper")));
        QVERIFY(QDir().mkpath(hostD("docs")));
    }

    void init()
    {
        drives::setTable({{'C', m_c.path(), {}}, {'D', m_d.path(), {}}});
        drives::setCurrentFolder("C:\\work");
    }

    void cleanupTestCase() { QDir::setCurrent(m_startFolder); }

    void normalize_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("dot-dot never climbs above the root") << "C:\\a\\..\\..\\b"
                                                             << "C:\\b";
        QTest::newRow("dot and trailing backslash") << "C:\\a\\.\\b\\"
                                                    << "C:\\a\\b";
        QTest::newRow("slashes and lower-case letter") << "c:/a//b/"
                                                       << "C:\\a\\b";
        QTest::newRow("root stays three characters") << "C:\\"
                                                     << "C:\\";
        QTest::newRow("current drive alone") << "C:"
                                             << "C:\\work";
        QTest::newRow("current drive, relative name") << "C:deeper"
                                                      << "C:\\work\\deeper";
        QTest::newRow("other drive alone") << "D:"
                                           << "D:\\";
        QTest::newRow("other drive, relative name") << "D:x"
                                                    << "D:\\x";
        QTest::newRow("backslash start: current drive's root") << "\\x"
                                                               << "C:\\x";
        QTest::newRow("relative to the current folder") << "x\\y"
                                                        << "C:\\work\\x\\y";
        QTest::newRow("parent of the current folder") << ".."
                                                      << "C:\\";
        QTest::newRow("empty: the current folder") << ""
                                                   << "C:\\work";
    }

    void normalize()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(drives::normalize(path), expected);
    }

    void letterWithNoDrive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("absolute") << "Q:\\x";
        QTest::newRow("letter alone") << "q:";
        QTest::newRow("relative to the letter") << "Q:x";
    }

    void letterWithNoDrive()
    {
        QFETCH(QString, path);
        QCOMPARE(errorOf([&] { drives::normalize(path); }), 68);
        QCOMPARE(errorOf([&] { drives::toHost(path); }), 68);
        QVERIFY(!fs::pathExists(path));
        QCOMPARE(errorOf([&] { fs::listFiles(path); }), 68);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("win");
        QTest::addColumn<QString>("host"); // relative to C's host folder, or "D:" prefixed

        QTest::newRow("root of C") << "C:\\"
                                   << "";
        QTest::newRow("file in a folder") << "C:\\work\\notes.txt"
                                          << "work/notes.txt";
        QTest::newRow("root of D") << "D:\\"
                                   << "D:";
        QTest::newRow("folder on D") << "D:\\docs"
                                     << "D:docs";
        QTest::newRow("host name holding a backslash")
            << QString("C:\\work\\we%1ird.txt").arg(kStandIn) << "work/we\\ird.txt";
        QTest::newRow("blank and non-ASCII names") << "C:\\my files\\caf\u00e9"
                                                   << "my files/caf\u00e9";
    }

    void roundTrip()
    {
        QFETCH(QString, win);
        QFETCH(QString, host);
        const QString hostPath =
            host.startsWith("D:") ? (host.size() > 2 ? hostD(host.mid(2)) : hostD()) : hostC(host);
        QCOMPARE(drives::toHost(win), hostPath);
        QCOMPARE(drives::toWindows(hostPath), win);
    }

    void toWindowsPicksLongestRootAndNothingOutside()
    {
        drives::setTable({{'C', m_c.path(), {}}, {'D', m_d.path(), {}}, {'E', hostC("work"), {}}});
        QCOMPARE(drives::toWindows(hostC("work/deeper")), QStringLiteral("E:\\deeper"));
        QCOMPARE(drives::toWindows(hostC("other")), QStringLiteral("C:\\other"));
        // A sibling whose name merely starts with a root's name is outside it.
        QCOMPARE(drives::toWindows(m_c.path() + "x/y"), QString());
        QCOMPARE(drives::toWindows(QStringLiteral("/")), QString());
    }

    void backslashNameIsListedAndFound()
    {
        QFile f(hostC("work/a\\b.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();

        const QString shown = QString("a%1b.txt").arg(kStandIn);
        QVERIFY(fs::listFiles("C:\\work").contains(shown));
        QVERIFY(fs::fileExists("C:\\work\\" + shown));
        // The plain backslash form is a path into a folder "a", not this file.
        QVERIFY(!fs::fileExists("C:\\work\\a\\b.txt"));
        QFile::remove(hostC("work/a\\b.txt"));
    }

    void matchesPattern_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");

        QTest::newRow("case-insensitive ending") << "INDEX.HTM"
                                                 << "*.htm" << true;
        QTest::newRow("ending is not a prefix") << "index.html"
                                                << "*.htm" << false;
        QTest::newRow("first of two") << "a.zip"
                                      << "*.zip;*.bat" << true;
        QTest::newRow("second of two") << "RUN.BAT"
                                       << "*.zip;*.bat" << true;
        QTest::newRow("neither of two") << "a.txt"
                                        << "*.zip;*.bat" << false;
        QTest::newRow("blanks around a pattern") << "a.bat"
                                                 << "*.zip; *.bat " << true;
        QTest::newRow("star-dot-star without a dot") << "README"
                                                     << "*.*" << true;
        QTest::newRow("name-dot-star without an ending") << "README"
                                                         << "readme.*" << true;
        QTest::newRow("question mark is one character") << "a1.txt"
                                                        << "a?.txt" << true;
        QTest::newRow("question mark is not zero characters") << "a.txt"
                                                              << "a?.txt" << false;
        QTest::newRow("bracket is literal") << "a[1].txt"
                                            << "a[1].txt" << true;
        QTest::newRow("bracket is not a class") << "a1.txt"
                                                << "a[1].txt" << false;
        QTest::newRow("lone bracket") << "["
                                      << "[" << true;
        QTest::newRow("comma is no separator") << "a.zip"
                                               << "*.zip,*.bat" << false;
        QTest::newRow("comma list, other part") << "a.bat"
                                                << "*.zip,*.bat" << false;
        // Stars and question marks in names are ordinary characters: the
        // pattern's wildcards must still apply to them.
        QTest::newRow("name starting with a star") << "*star.txt"
                                                   << "*.txt" << true;
        QTest::newRow("name holding a question mark") << "a?.txt"
                                                      << "*.txt" << true;
        QTest::newRow("name of stars only") << "**.txt"
                                            << "*.txt" << true;
        QTest::newRow("star name, other ending") << "*star.doc"
                                                 << "*.txt" << false;
        QTest::newRow("star in name and pattern middle") << "a*b*c.txt"
                                                         << "a*c.txt" << true;
        QTest::newRow("question mark takes a star") << "*"
                                                    << "?" << true;
        QTest::newRow("empty pattern") << "anything.at.all"
                                       << "" << true;
        QTest::newRow("blank pattern") << "x"
                                       << "  " << true;
    }

    void matchesPattern()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(fs::matchesPattern(name, pattern), matches);
        QCOMPARE(fs::filterNames({name}, pattern), matches ? QStringList{name} : QStringList{});
    }

    void listsSortWithoutRegardToCase()
    {
        QVERIFY(QDir().mkpath(hostC("sorted")));
        const QStringList names = {"b.txt",      "_x",      "B.TXT", "Zed", "a",
                                   "\u00c4rger", "\u00e4b", "[1]",   "A",   "\u00fcber",
                                   "Uber",       "~t",      "`q"};
        for (const QString& n : names) {
            QFile f(hostC("sorted/" + n));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
            const int c = QString::compare(a, b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
        QCOMPARE(fs::listFiles("C:\\sorted"), expected);
        QCOMPARE(fs::folderNames("C:\\sorted")->files, expected);
    }

    // Another program changes the folder between two readings, twice in a
    // row and with no pause: each reading shows the folder as it is then,
    // also when the reading before it was kept for a folder left quiet.
    void readingsFollowChangesFromOutside_data()
    {
        QTest::addColumn<bool>("kept");
        QTest::newRow("folder just changed") << false;
        QTest::newRow("reading kept") << true;
    }
    void readingsFollowChangesFromOutside()
    {
        QFETCH(bool, kept);
        const QString sub = kept ? "quiet" : "busy";
        QVERIFY(QDir().mkpath(hostC(sub + "/Inner")));
        QFile(hostC(sub + "/a.txt")).open(QIODevice::WriteOnly);
        const QString folder = "C:\\" + sub;
        const QByteArray host = QFile::encodeName(hostC(sub));
        std::shared_ptr<const fs::FolderNames> held =
            fs::folderNames(folder, fs::Reread::WhenChanged);
        if (kept) {
            // once the folder has been quiet for a moment, its reading is
            // handed out again without reading
            QTRY_VERIFY_WITH_TIMEOUT((held = fs::folderNames(folder, fs::Reread::WhenChanged)) ==
                                         fs::folderNames(folder, fs::Reread::WhenChanged),
                                     10000);
        }
        QCOMPARE(held->files, QStringList{"a.txt"});
        QCOMPARE(held->folders, QStringList{"Inner"});

        ::close(::open(host + "/b.txt", O_CREAT | O_WRONLY, 0600));
        held = fs::folderNames(folder, fs::Reread::WhenChanged);
        QCOMPARE(held->files, (QStringList{"a.txt", "b.txt"}));
        QCOMPARE(::rename(host + "/b.txt", host + "/c.txt"), 0);
        held = fs::folderNames(folder, fs::Reread::WhenChanged);
        QCOMPARE(held->files, (QStringList{"a.txt", "c.txt"}));
        QCOMPARE(::rename(host + "/Inner", host + "/Outer"), 0);
        held = fs::folderNames(folder, fs::Reread::WhenChanged);
        QCOMPARE(held->folders, QStringList{"Outer"});
        QCOMPARE(::unlink(host + "/a.txt"), 0);
        held = fs::folderNames(folder, fs::Reread::WhenChanged);
        QCOMPARE(held->files, QStringList{"c.txt"});
        QCOMPARE(fs::listFiles(folder), QStringList{"c.txt"});
    }
};

QTEST_GUILESS_MAIN(TstPlatformFs)
#include "tst_platform_fs.moc"
