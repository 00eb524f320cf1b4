#include "mainwindow/module3.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;

namespace {

const QString kLinks = QStringLiteral("Software\\Quorbix\\WebLinks");
const QString kColours = QStringLiteral("Software\\Quorbix\\MainForm");

// Collects the store's notices to the user while it lives.
class WarningCatcher {
  public:
    WarningCatcher()
    {
        s_warnings.clear();
        m_previous = qInstallMessageHandler(&WarningCatcher::handle);
    }
    ~WarningCatcher() { qInstallMessageHandler(m_previous); }
    static QStringList warnings() { return s_warnings; }

  private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& msg)
    {
        if (type == QtWarningMsg) s_warnings << msg;
    }
    static inline QStringList s_warnings;
    QtMessageHandler m_previous;
};

bool rawSet(const QString& key, const QString& name, quint32 type, const QByteArray& bytes)
{
    quint32 h = 0;
    if (RegCreateKey(HKEY_CURRENT_USER, key, &h) != 0) return false;
    const long rc = RegSetValueEx(h, name, type, bytes);
    RegCloseKey(h);
    return rc == 0;
}

// The stored type and bytes, or false when there is no such value.
bool rawGet(const QString& key, const QString& name, quint32* type, QByteArray* bytes)
{
    quint32 h = 0;
    if (RegOpenKey(HKEY_CURRENT_USER, key, &h) != 0) return false;
    quint32 size = 0;
    bool ok = RegQueryValueEx(h, name, type, nullptr, &size) == 0;
    if (ok) {
        *bytes = QByteArray(qsizetype(size), ' ');
        ok = RegQueryValueEx(h, name, type, bytes, &size) == 0;
    }
    RegCloseKey(h);
    return ok;
}

bool keyExists(const QString& key)
{
    quint32 h = 0;
    const bool ok = RegOpenKey(HKEY_CURRENT_USER, key, &h) == 0;
    if (ok) RegCloseKey(h);
    return ok;
}

QByteArray bytes(const char* s, int n)
{
    return QByteArray(s, n);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

int modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

} // namespace

class TstRegistry : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;
    QString m_file;

    // A settings file of ours with a few values, let go of by the store.
    QByteArray ourFileBytes()
    {
        for (int i = 0; i < 50; ++i)
            Module3::WriteRegValue(HKEY_CURRENT_USER, kLinks, "mnuFav" + QString::number(i),
                                   QString(300, u'x'));
        Registry::useFile(m_dir->filePath("other.sqlite3")); // let go of the file
        QFile::remove(m_dir->filePath("other.sqlite3"));
        return fileBytes(m_file);
    }

    void useStoreAt(const QString& file)
    {
        m_file = file;
        Registry::useFile(file);
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
        useStoreAt(m_dir->filePath(QStringLiteral("registry.sqlite3")));
    }

    void cleanup()
    {
        Registry::setFailWritesForTests(false);
        Registry::useFile(QString());
        m_boxes.reset();
        m_dir.reset();
    }

    void textValues_data()
    {
        QTest::addColumn<int>("presetType"); // at WebLinks\mnuFav1; -1: no preset
        QTest::addColumn<QByteArray>("presetBytes");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("nothing"); // what a read of key\name gives afterwards
        QTest::addColumn<QString>("readText");
        QTest::addColumn<int>("storedType"); // at key\name afterwards; -1: no value
        QTest::addColumn<QByteArray>("storedBytes");
        QTest::addColumn<bool>("keyAfter");
        QTest::addColumn<bool>("presetKept");

        const QString form = QStringLiteral("Form BackColor");
        const QString fav1 = QStringLiteral("mnuFav1");
        const int none = -1;
        const int sz = int(REG_SZ);

        QTest::newRow("empty text") << none << QByteArray() << "write" << kColours << form << ""
                                    << false << "" << sz << QByteArray("") << true << true;
        QTest::newRow("trailing NUL") << sz << bytes("abc\0", 4) << "read" << kLinks << fav1 << ""
                                      << false << "abc" << sz << bytes("abc\0", 4) << true << true;
        QTest::newRow("NUL in the middle")
            << sz << bytes("http://a\0junk", 13) << "read" << kLinks << fav1 << "" << false
            << "http://a" << sz << bytes("http://a\0junk", 13) << true << true;
        QTest::newRow("DWORD reads as nothing")
            << int(REG_DWORD) << bytes("\x00\x00\xff\x00", 4) << "read" << kLinks << fav1 << ""
            << true << "" << int(REG_DWORD) << bytes("\x00\x00\xff\x00", 4) << true << true;
        QTest::newRow("EXPAND_SZ reads as nothing")
            << int(REG_EXPAND_SZ) << QByteArray("%HOME%") << "read" << kLinks << fav1 << "" << true
            << "" << int(REG_EXPAND_SZ) << QByteArray("%HOME%") << true << true;
        QTest::newRow("missing value") << sz << QByteArray("x") << "read" << kLinks << "mnuFav2"
                                       << "" << true << "" << none << QByteArray() << true << true;
        QTest::newRow("missing key not created")
            << none << QByteArray() << "read"
            << "Software\\Quorbix\\Menu"
            << "mnuAuc1"
            << "" << true << "" << none << QByteArray() << false << true;
        QTest::newRow("write creates the key")
            << none << QByteArray() << "write"
            << "Software\\Quorbix\\New\\Deeper" << form << "16711680" << false << "16711680" << sz
            << QByteArray("16711680") << true << true;
        QTest::newRow("16711680 is eight bytes")
            << sz << QByteArray("x") << "write" << kColours << form << "16711680" << false
            << "16711680" << sz << bytes("16711680", 8) << true << true;
        QTest::newRow("write replaces another type")
            << int(REG_DWORD) << bytes("\x01\0\0\0", 4) << "write" << kLinks << "MNUFAV1"
            << "http://x" << false << "http://x" << sz << QByteArray("http://x") << true << false;
        QTest::newRow("non-ASCII text is UTF-8")
            << none << QByteArray() << "write" << kLinks << fav1 << QString::fromUtf8("Grüße ✓")
            << false << QString::fromUtf8("Grüße ✓") << sz
            << QByteArray("Gr\xc3\xbc\xc3\x9f"
                          "e \xe2\x9c\x93")
            << true << false;
        QTest::newRow("Weblinks is WebLinks")
            << sz << QByteArray("http://q") << "read"
            << "software\\QUORBIX\\Weblinks"
            << "MNUFAV1"
            << "" << false << "http://q" << sz << QByteArray("http://q") << true << true;
        QTest::newRow("stray backslashes")
            << sz << QByteArray("http://q") << "read"
            << "\\Software\\\\Quorbix\\WebLinks\\" << fav1 << "" << false << "http://q" << sz
            << QByteArray("http://q") << true << true;
        QTest::newRow("delete through Weblinks leaves the key")
            << sz << QByteArray("http://q") << "delete"
            << "Software\\Quorbix\\Weblinks" << fav1 << "" << true << "" << none << QByteArray()
            << true << false;
        QTest::newRow("delete missing value")
            << sz << QByteArray("http://q") << "delete" << kLinks << "mnuFav2"
            << "" << true << "" << none << QByteArray() << true << true;
        QTest::newRow("delete under missing key") << none << QByteArray() << "delete"
                                                  << "Software\\Quorbix\\Gone" << fav1 << "" << true
                                                  << "" << none << QByteArray() << false << true;
    }

    void textValues()
    {
        QFETCH(int, presetType);
        QFETCH(QByteArray, presetBytes);
        QFETCH(QString, op);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, nothing);
        QFETCH(QString, readText);
        QFETCH(int, storedType);
        QFETCH(QByteArray, storedBytes);
        QFETCH(bool, keyAfter);
        QFETCH(bool, presetKept);

        const QString fav1 = QStringLiteral("mnuFav1");
        if (presetType >= 0) QVERIFY(rawSet(kLinks, fav1, quint32(presetType), presetBytes));

        const quint32 root = Module3::HKEY_CURRENT_USER;
        if (op == "write")
            Module3::WriteRegValue(root, key, name, text);
        else if (op == "delete")
            Module3::DeleteRegValue(root, key, name);

        const QString got = Module3::ReadRegValue(root, key, name);
        QCOMPARE(got.isNull(), nothing);
        if (!nothing) QCOMPARE(got, readText);

        quint32 type = 0;
        QByteArray data;
        QCOMPARE(rawGet(key, name, &type, &data), storedType >= 0);
        if (storedType >= 0) {
            QCOMPARE(int(type), storedType);
            QCOMPARE(data, storedBytes);
        }
        QCOMPARE(keyExists(key), keyAfter);
        if (op == "write") QVERIFY(keyExists(key.section(u'\\', 0, -2)));
        if (presetType < 0 && op != "write")
            QVERIFY2(!QFile::exists(m_file), "a read or delete created the store");
        if (presetKept && presetType >= 0) {
            QVERIFY(rawGet(kLinks, fav1, &type, &data));
            QCOMPARE(int(type), presetType);
            QCOMPARE(data, presetBytes);
        }
    }

    void survivesReopen()
    {
        Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "DirBox BackColor", "255");
        useStoreAt(m_file); // a new connection to the same file
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, "software\\quorbix\\mainform",
                                       "dirbox backcolor"),
                 QStringLiteral("255"));
    }

    // Two running copies write at the same moment; neither may lose a write.
    void twoStoresKeepBothWrites()
    {
        RegistryStore first(m_file);
        RegistryStore second(m_file);
        constexpr int kWrites = 100;
        auto writer = [&](RegistryStore* store, QString prefix, int* failures) {
            return QThread::create([=] {
                for (int i = 0; i < kWrites; ++i) {
                    const QByteArray data = (prefix + QString::number(i)).toUtf8();
                    if (store->setValue(HKEY_CURRENT_USER, kLinks, prefix + QString::number(i),
                                        REG_SZ, data) != 0)
                        ++*failures;
                }
            });
        };
        int failuresA = 0, failuresB = 0;
        std::unique_ptr<QThread> a(writer(&first, "a", &failuresA));
        std::unique_ptr<QThread> b(writer(&second, "b", &failuresB));
        a->start();
        b->start();
        QVERIFY(a->wait(60000));
        QVERIFY(b->wait(60000));
        QCOMPARE(failuresA, 0);
        QCOMPARE(failuresB, 0);

        RegistryStore third(m_file);
        for (RegistryStore* store : {&first, &second, &third}) {
            for (const char* prefix : {"a", "b"}) {
                for (int i = 0; i < kWrites; ++i) {
                    const QString name = prefix + QString::number(i);
                    quint32 type = 0;
                    QByteArray data;
                    QCOMPARE(store->queryValue(HKEY_CURRENT_USER, kLinks, name, &type, &data), 0L);
                    QCOMPARE(data, name.toUtf8());
                }
            }
        }
    }

    void damagedFileKeptAside_data()
    {
        QTest::addColumn<bool>("writeFirst");
        QTest::newRow("damaged page, read first") << false;
        QTest::newRow("damaged page, write first") << true;
    }

    // Only a damaged file of ours is moved aside, and a new one started.
    void damagedFileKeptAside()
    {
        QFETCH(bool, writeFirst);

        QByteArray content = ourFileBytes();
        QVERIFY(content.size() > 3 * 4096);
        content.replace(4096, 4096, QByteArray(4096, '\xa5'));
        QVERIFY(writeBytes(m_file, content));
        WarningCatcher catcher;
        useStoreAt(m_file);

        if (writeFirst)
            Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "1");
        else
            QVERIFY(Module3::ReadRegValue(HKEY_CURRENT_USER, kLinks, "mnuFav1").isNull());

        const QStringList aside = QDir(m_dir->path()).entryList({"registry.sqlite3.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(m_dir->filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QVERIFY2(catcher.warnings().join('\n').contains(aside.first()),
                 qPrintable(catcher.warnings().join('\n')));

        Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "2");
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor"),
                 QStringLiteral("2"));
        useStoreAt(m_file);
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor"),
                 QStringLiteral("2"));
        QCOMPARE(QDir(m_dir->path()).entryList({"registry.sqlite3.corrupt-*"}).size(), 1);
    }

    void foreignPathLeftAsItIs_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("writeFirst");
        QTest::addColumn<QString>("why"); // the notice's words for it
        const QString notOurs = "is not a Quorbix settings file";
        for (bool w : {false, true}) {
            const QString how = w ? ", write first" : ", read first";
            QTest::newRow(qPrintable("a text file" + how)) << "text" << w << notOurs;
            QTest::newRow(qPrintable("another program's database" + how))
                << "other" << w << notOurs;
            QTest::newRow(qPrintable("another program's damaged database" + how))
                << "other damaged" << w << notOurs;
            QTest::newRow(qPrintable("a named pipe" + how))
                << "pipe" << w
                << "is not a settings file: it is a named pipe, not a file that can be read";
        }
    }

    // A settings path that names anything but a settings file of ours is
    // refused with a message and left exactly as it was: bytes and name.
    void foreignPathLeftAsItIs()
    {
        QFETCH(QString, what);
        QFETCH(bool, writeFirst);
        QFETCH(QString, why);

        QByteArray content;
        if (what == "text") {
            content = QByteArray("these are not the settings you are looking for\n").repeated(200);
        } else if (what.startsWith("other")) {
            // A database of ours with another application's mark on it.
            content = ourFileBytes();
            content.replace(68, 4, QByteArray("\x12\x34\x56\x78", 4));
            if (what == "other damaged") content.replace(4096, 4096, QByteArray(4096, '\xa5'));
        }
        if (what == "pipe") {
            QFile::remove(m_file);
            QVERIFY(::mkfifo(QFile::encodeName(m_file).constData(), 0600) == 0);
        } else {
            QVERIFY(writeBytes(m_file, content));
        }
        const QStringList before =
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        useStoreAt(m_file);

        for (int i = 0; i < 2; ++i) {
            if (writeFirst)
                QVERIFY(
                    !Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "1"));
            QVERIFY(Module3::ReadRegValue(HKEY_CURRENT_USER, kLinks, "mnuFav1").isNull());
            QVERIFY(!Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "1"));
        }
        const QString named = "The settings file \"" + m_file + "\" " + why;
        QVERIFY2(Module3::LastFailure().startsWith("the settings file \"" + m_file + "\" " + why),
                 qPrintable(Module3::LastFailure()));
        // Told once, by the read; a write's caller tells its own failure.
        QCOMPARE(m_boxes->prompts(),
                 writeFirst ? QStringList{}
                            : QStringList{named + ". It is left as it is, and settings changes are "
                                                  "not being saved."});
        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
            before);
        if (what != "pipe") QCOMPARE(fileBytes(m_file), content);
    }

    // The store is the user's alone, whatever the umask: folders it makes
    // 0700, its file 0600; a file of ours found readable by others is made
    // private, and a write never widens it.
    void storeIsPrivate_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("oldMode"); // -1: no file yet
        QTest::newRow("new, umask 022") << 022 << -1;
        QTest::newRow("new, umask 000") << 0 << -1;
        QTest::newRow("new, umask 277") << 0277 << -1;
        QTest::newRow("old file 0644") << 022 << 0644;
    }
    void storeIsPrivate()
    {
        QFETCH(int, umask);
        QFETCH(int, oldMode);
        const QString folder = m_dir->filePath("config/Quorbix");
        const QString file = folder + "/registry.sqlite3";
        if (oldMode >= 0) {
            useStoreAt(file);
            QVERIFY(Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "1"));
            Registry::useFile(m_dir->filePath("other.sqlite3"));
            QVERIFY(::chmod(QFile::encodeName(file).constData(), mode_t(oldMode)) == 0);
        }
        const mode_t saved = ::umask(mode_t(umask));
        useStoreAt(file);
        const bool stored =
            Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "2");
        ::umask(saved);
        QVERIFY(stored);
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor"),
                 QString("2"));
        QCOMPARE(modeOf(file), 0600);
        if (oldMode < 0) {
            QCOMPARE(modeOf(m_dir->filePath("config")), 0700);
            QCOMPARE(modeOf(folder), 0700);
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"registry.sqlite3"});
    }

    // A first write that fails (the disk is full) leaves no empty file
    // behind that would pass for a settings file; the next write starts it.
    void failedCreationLeavesNothing()
    {
        Registry::setFailWritesForTests(true);
        QVERIFY(!Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "1"));
        QCOMPARE(Module3::LastFailure(), QString("the disk holding the settings file is full"));
        QVERIFY(QDir(m_dir->path()).isEmpty());
        Registry::setFailWritesForTests(false);
        QVERIFY(Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "2"));
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor"),
                 QString("2"));
        // A failed write to a file that holds settings keeps them.
        Registry::setFailWritesForTests(true);
        QVERIFY(!Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "3"));
        Registry::setFailWritesForTests(false);
        QCOMPARE(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor"),
                 QString("2"));
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void unusableStore_data()
    {
        QTest::addColumn<QString>("blocker"); // what is in the way
        QTest::newRow("folder is a file") << "file/registry.sqlite3";
        QTest::newRow("store is a folder") << "folder";
    }

    // Nothing stops the program: reads give nothing, writes change nothing,
    // and the user is told once.
    void unusableStore()
    {
        QFETCH(QString, blocker);
        {
            QFile f(m_dir->filePath("file"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));

        WarningCatcher catcher;
        useStoreAt(m_dir->filePath(blocker));
        for (int i = 0; i < 3; ++i) {
            Module3::WriteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor", "7");
            QVERIFY(Module3::ReadRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor").isNull());
            Module3::DeleteRegValue(HKEY_CURRENT_USER, kColours, "Form BackColor");
        }
        quint32 h = 0;
        QVERIFY(RegCreateKey(HKEY_CURRENT_USER, kColours, &h) != 0);
        QCOMPARE(h, 0u);
        QCOMPARE(catcher.warnings().size(), 1);

        QFile f(m_dir->filePath("file"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
        QVERIFY(QDir(m_dir->filePath("folder")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstRegistry)
#include "tst_registry.moc"
