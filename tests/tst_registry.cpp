#include "mainwindow/module3.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtTest>

#include <memory>

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

} // namespace

class TstRegistry : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;

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
        useStoreAt(m_dir->filePath(QStringLiteral("registry.sqlite3")));
    }

    void cleanup()
    {
        Registry::useFile(QString());
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
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("writeFirst");
        QTest::newRow("not a database, read first") << "text" << false;
        QTest::newRow("not a database, write first") << "text" << true;
        QTest::newRow("damaged page, read first") << "page" << false;
    }

    void damagedFileKeptAside()
    {
        QFETCH(QString, damage);
        QFETCH(bool, writeFirst);

        QByteArray content;
        if (damage == "text") {
            content = QByteArray("these are not the settings you are looking for\n").repeated(200);
        } else {
            for (int i = 0; i < 50; ++i)
                Module3::WriteRegValue(HKEY_CURRENT_USER, kLinks, "mnuFav" + QString::number(i),
                                       QString(300, u'x'));
            Registry::useFile(m_dir->filePath("other.sqlite3")); // let go of the file
            QFile f(m_file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
            f.close();
            QVERIFY(content.size() > 3 * 4096);
            content.replace(4096, 4096, QByteArray(4096, '\xa5'));
        }
        {
            QFile f(m_file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
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
