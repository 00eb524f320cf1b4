// Start-up and shut-down: the settings restored at start, the splash count,
// the help window.
#include "mainwindow/form1.h"
#include "mainwindow/help1.h"
#include "mainwindow/splash.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Stored {
    QString key, name;
    quint32 type;
    QByteArray bytes;
};
using StoredList = QList<Stored>;

Stored text(const QString& key, const QString& name, const QByteArray& bytes)
{
    return {key, name, plat::REG_SZ, bytes};
}
const QString kMenu = QStringLiteral("Software\\Quorbix\\Menu");
const QString kMainForm = QStringLiteral("Software\\Quorbix\\MainForm");

void unloadAll()
{
    Splash::UnloadIfLoaded();
    Help1::UnloadIfLoaded();
    Form1::UnloadIfLoaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every visible link item of the three families, as "name=caption", and any
// hidden one that lost its placeholder.
QStringList visibleLinks(Form1& f)
{
    QStringList out;
    auto collect = [&](const auto& items, const QString& placeholder) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            QAction* a = items[i];
            if (a->isVisible())
                out << a->objectName() + "=" + a->text();
            else if (a->text() != placeholder + QString::number(i + 1))
                out << a->objectName() + " hidden as " + a->text();
        }
    };
    collect(f.mnuAuc, "Auc");
    collect(f.mnuFav, "Fav");
    collect(f.mnuYes, "Yes");
    return out;
}

// Form, the five folder lists, the five file lists.
QList<int> screenColors(Form1& f)
{
    QList<int> c{f.BackColor()};
    for (int n = 1; n <= 5; ++n)
        c << ctl::backColor(f.Pane(n).dir);
    for (int n = 1; n <= 5; ++n)
        c << ctl::backColor(f.Pane(n).file);
    return c;
}
QList<int> screen(int form, int dirs, int file1, int files)
{
    return {form, dirs, dirs, dirs, dirs, dirs, file1, files, files, files, files};
}
const QList<int> kDesign =
    screen(plat::vbBlue, plat::vbBlue, plat::vbWindowBackground, plat::vbWhite);

} // namespace

Q_DECLARE_METATYPE(StoredList)

class TstStartup : public QObject {
    Q_OBJECT
    testsupport::TempDrives* m_drives = nullptr;
    QTemporaryDir m_stores;
    int m_storeNo = 0;

    void freshStore()
    {
        plat::Registry::useFile(m_stores.filePath(QStringLiteral("r%1.sqlite3").arg(++m_storeNo)));
    }

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = new testsupport::TempDrives(1);
    }
    void cleanupTestCase()
    {
        unloadAll();
        delete m_drives;
    }
    void cleanup() { unloadAll(); }

    void restoresStoredSettings_data()
    {
        QTest::addColumn<StoredList>("stored");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QList<int>>("colors");

        QTest::newRow("nothing stored") << StoredList{} << QStringList{} << kDesign;
        QTest::newRow("only mnuAuc3 and mnuFav15")
            << StoredList{text(kMenu, "mnuAuc3", "My Auction"), text(kMenu, "mnuFav15", "News")}
            << QStringList{"mnuAuc3=My Auction", "mnuFav15=News"} << kDesign;
        QTest::newRow("names without regard to case")
            << StoredList{text("software\\quorbix\\menu", "MNUYES10", "Engine")}
            << QStringList{"mnuYes10=Engine"} << kDesign;
        QTest::newRow("caption cut at a NUL")
            << StoredList{text(kMenu, "mnuYes2", QByteArray("Goo\0gle", 7))}
            << QStringList{"mnuYes2=Goo"} << kDesign;
        QTest::newRow("empty and number-typed captions stay hidden")
            << StoredList{text(kMenu, "mnuAuc1", ""),
                          {kMenu, "mnuFav1", plat::REG_DWORD, QByteArray("\x07\0\0\0", 4)},
                          {kMenu, "mnuYes1", plat::REG_EXPAND_SZ, "Expand"}}
            << QStringList{} << kDesign;
        QTest::newRow("stored colours")
            << StoredList{text(kMainForm, "Form BackColor", "255"),
                          text(kMainForm, "DirBox BackColor", "65280"),
                          text(kMainForm, "FileBox BackColor", "16777215")}
            << QStringList{} << screen(255, 65280, plat::vbWhite, plat::vbWhite);
        QTest::newRow("a saved system colour")
            << StoredList{text(kMainForm, "FileBox BackColor", "-2147483643")} << QStringList{}
            << screen(plat::vbBlue, plat::vbBlue, plat::vbWindowBackground,
                      plat::vbWindowBackground);
        QTest::newRow("bad colours keep the design")
            << StoredList{text(kMainForm, "Form BackColor", "blue"),
                          text(kMainForm, "DirBox BackColor", "12 34"),
                          text(kMainForm, "FileBox BackColor", "99999999999")}
            << QStringList{} << kDesign;
        QTest::newRow("out-of-range colours keep the design")
            << StoredList{text(kMainForm, "Form BackColor", "16777216"),
                          text(kMainForm, "DirBox BackColor", "-1"),
                          text(kMainForm, "FileBox BackColor", "+255")}
            << QStringList{} << kDesign;
    }
    void restoresStoredSettings()
    {
        QFETCH(StoredList, stored);
        QFETCH(QStringList, links);
        QFETCH(QList<int>, colors);
        freshStore();
        for (const Stored& s : stored)
            QCOMPARE(plat::Registry::store().setValue(plat::HKEY_CURRENT_USER, s.key, s.name,
                                                      s.type, s.bytes),
                     plat::RegResult::Success);

        Form1& f = Form1::get();
        QCOMPARE(visibleLinks(f), links);
        QCOMPARE(screenColors(f), colors);
    }

    // The splash comes first; the main window is shown after the load, and
    // only then does the splash count.
    void splashFirstAndCountsAfterShow()
    {
        freshStore();
        Form1& f = Form1::get();
        QVERIFY(Splash::IsLoaded());
        QVERIFY(Splash::get().isVisible());
        QVERIFY(!f.isVisible());
        QCOMPARE(f.CommonDialog1.Filter,
                 QString("Pictures(*.Bmp;*.Cur*;*.Gif;*.Ico;*.Jpg;*.Wmf)|*.Bmp;*.Cur;*.Gif;*.Ico;"
                         "*.Jpg;*.Wmf"));
        QCOMPARE(Splash::get().txtTime[0]->text(), QString());

        QStringList shown;
        bool loadedAtLast = false;
        Splash* splash = &Splash::get();
        connect(splash->txtTime[0], &QLineEdit::textChanged, this, [&](const QString& t) {
            shown << t;
            loadedAtLast = Splash::IsLoaded();
        });
        f.Show();
        QVERIFY(f.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!Splash::IsLoaded(), 120000);
        QTest::qWait(30); // a stray tick after the unload would show here
        QStringList expected;
        for (int i = 1; i <= 150; ++i)
            expected << QStringLiteral(" %1").arg(i);
        QCOMPARE(shown, expected);
        QVERIFY(loadedAtLast); // " 150" was shown by the splash before it went
        QVERIFY(f.isVisible());
    }

    void helpWindow()
    {
        freshStore();
        Form1& f = Form1::get();
        f.mnuHelp1_Click();
        Help1* first = &Help1::get();
        QVERIFY(first->isVisible());
        QCOMPARE(first->Caption(), QString(" Quorbix Help"));
        QCOMPARE(first->size(),
                 QSize(plat::screenWidthTwips() / 15, plat::screenHeightTwips() / 15));

        const QString help = Help1::HelpText();
        QVERIFY(help.endsWith("\r\n"));
        const QStringList lines = help.chopped(2).split("\r\n");
        QCOMPARE(lines.size(), 38);
        QCOMPARE(lines[0], QString());
        QCOMPARE(lines[1].trimmed(), QString("QUORBIX HELP"));
        QCOMPARE(lines[10].trimmed(), QString("Some tips for getting started:"));
        QCOMPARE(lines[27].trimmed(),
                 QString("Web links are not removeable that come with Quorbix"));
        QCOMPARE(lines[28].trimmed(), QString("Notes:"));
        for (int i = 3; i < 38; ++i) {
            const qsizetype indent =
                lines[i].size() - QString(lines[i]).remove(QRegularExpression("^ +")).size();
            QVERIFY2(indent >= 3 && indent <= 7, qPrintable(lines[i]));
        }
        QCOMPARE(first->Text1->toPlainText(), QString(help).replace("\r\n", "\n"));
        QVERIFY(first->Text1->isReadOnly());
        QCOMPARE(first->Text1->lineWrapMode(), QPlainTextEdit::NoWrap);

        // a second Help only brings the same window forward
        first->Text1->setPlainText("changed");
        f.mnuHelp1_Click();
        QCOMPARE(&Help1::get(), first);
        QCOMPARE(first->Text1->toPlainText(), QString("changed"));

        // Exit unloads; the next Help shows the design text again
        first->MnuExit1->trigger();
        QVERIFY(!Help1::IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f.mnuHelp1->trigger();
        QVERIFY(Help1::IsLoaded());
        QCOMPARE(Help1::get().Text1->toPlainText(), QString(help).replace("\r\n", "\n"));
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
