// The Internet menu's sites, search engines and the user's own links: the
// requests the items write, the addresses the launchers start, adding and
// removing links and their survival across a restart.
#include "mainwindow/form1.h"
#include "mainwindow/module3.h"
#include "mainwindow/splash.h"
#include "platform/browser.h"
#include "platform/fileerror.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "testsupport.h"
#include "weblinks/alink.h"
#include "weblinks/anet.h"
#include "weblinks/aseek.h"
#include "weblinks/chlink.h"
#include "weblinks/delink.h"
#include "weblinks/favlink.h"
#include "weblinks/favnet.h"
#include "weblinks/favseek.h"
#include "weblinks/inet.h"
#include "weblinks/iseek.h"
#include "weblinks/newsnet.h"
#include "weblinks/newsseek.h"
#include "weblinks/rlink.h"
#include "weblinks/slink.h"
#include "weblinks/weathernet.h"
#include "weblinks/weatherseek.h"
#include "weblinks/webitems.h"

#include <QtTest>

namespace {

const QString kMenu = QStringLiteral("Software\\Quorbix\\Menu");
const QString kLinks = QStringLiteral("Software\\Quorbix\\WebLinks");
const auto HKCU = Module3::HKEY_CURRENT_USER;

QString stored(const QString& key, const QString& name)
{
    return Module3::ReadRegValue(HKCU, key, name);
}

void flush()
{
    // Windows unloaded while events ran inside a handler are queued for
    // deletion as soon as every such stretch has ended.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void unloadWebWindows()
{
    ASeek::UnloadIfLoaded();
    ANet::UnloadIfLoaded();
    NewsSeek::UnloadIfLoaded();
    NewsNet::UnloadIfLoaded();
    WeatherSeek::UnloadIfLoaded();
    WeatherNet::UnloadIfLoaded();
    ISeek::UnloadIfLoaded();
    Inet::UnloadIfLoaded();
    FavSeek::UnloadIfLoaded();
    FavNet::UnloadIfLoaded();
    ALink::UnloadIfLoaded();
    FavLink::UnloadIfLoaded();
    SLink::UnloadIfLoaded();
    RLink::UnloadIfLoaded();
    ChLink::UnloadIfLoaded();
    DeLink::UnloadIfLoaded();
    flush();
}

// Unloads the main window and loads it again: its load handler restores the
// link slots from the store.
Form1& restart()
{
    unloadWebWindows();
    Form1::UnloadIfLoaded();
    flush();
    Form1& f = Form1::get();
    Splash::UnloadIfLoaded();
    flush();
    return f;
}

// "mnuAuc", "mnuFav", "mnuYes"
QAction* slot(const QString& family, int n)
{
    return Form1::get().menuItem(family + QString::number(n));
}
int slotCount(const QString& family)
{
    return family == "mnuFav" ? 20 : 10;
}

// A link as a previous run left it: both values stored, the item restored.
void putLink(const QString& family, int n, const QString& name, const QString& address)
{
    const QString value = family + QString::number(n);
    Module3::WriteRegValue(HKCU, kMenu, value, name);
    Module3::WriteRegValue(HKCU, kLinks, value, address);
    slot(family, n)->setVisible(true);
    slot(family, n)->setText(name);
}

// The slots of a family that hold a link, as "n=caption".
QStringList shownLinks(const QString& family)
{
    QStringList out;
    for (int n = 1; n <= slotCount(family); ++n)
        if (slot(family, n)->isVisible()) out << QString::number(n) + "=" + slot(family, n)->text();
    return out;
}

// An automation object that reports busy, or one that cannot be created.
class BusyAutomation : public plat::BrowserAutomation {
  public:
    bool Busy() const override { return true; }
};
void useAutomation(const QString& kind)
{
    if (kind == "stand-in") {
        plat::setBrowserAutomationFactory(nullptr);
        return;
    }
    plat::setBrowserAutomationFactory([kind]() -> std::unique_ptr<plat::BrowserAutomation> {
        if (kind == "cannot be created") plat::raise(429, "ActiveX component can't create object");
        return std::make_unique<BusyAutomation>();
    });
}

// The look-and-feel value of the partner search page.
const QString kLookAndFeel = QStringLiteral(
    "GIMP%3A003399%3BT%3A000000%3BALC%3AFF0000%3BGFNT%3A808080%3BLC%3A003399%3BBGC%3AFFFFFF%3B"
    "AH%3Aleft%3BVLC%3A800080%3BGL%3A0%3BS%3Ahttp%3A%2F%2Fwww.quorbix.info%3BAWFID%3A"
    "4e7a0c9d2b18f653%3B");

} // namespace

class TstWeblinks : public QObject {
    Q_OBJECT
    testsupport::TempDrives* m_drives = nullptr;

  private slots:
    void initTestCase()
    {
        testsupport::isolateEnvironment();
        m_drives = new testsupport::TempDrives(1);
        restart();
    }
    void cleanupTestCase()
    {
        unloadWebWindows();
        Form1::UnloadIfLoaded();
        flush();
        delete m_drives;
    }
    // Every test starts from an empty store and free slots.
    void init()
    {
        for (const QString family : {"mnuAuc", "mnuFav", "mnuYes"})
            for (int n = 1; n <= slotCount(family); ++n) {
                Module3::DeleteRegValue(HKCU, kMenu, family + QString::number(n));
                Module3::DeleteRegValue(HKCU, kLinks, family + QString::number(n));
            }
        restart();
    }
    void cleanup()
    {
        plat::setBrowserAutomationFactory(nullptr);
        unloadWebWindows();
    }

    // Each site item writes its request; Okay starts the browser maximised on
    // the site's address and closes launcher and dialog.
    void sites_data()
    {
        QTest::addColumn<QString>("request"); // a menu item, or a procedure nothing invokes
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("address");
        QTest::newRow("Ebay") << "mnuEbay"
                              << "Ebay"
                              << "                  Go to Auction?"
                              << "http://www.ebay.com";
        QTest::newRow("Sotheby's") << "mnuSothebys"
                                   << "Sotheby's"
                                   << "                  Go to Auction?"
                                   << "http://search.sothebys.com/";
        QTest::newRow("Sports Collective") << "mnuSportsCollective"
                                           << "Sports Collective"
                                           << "                  Go to Auction?"
                                           << "http://www.sportscollective.com/";
        QTest::newRow("Aqua Bid, from a procedure") << "VisitAquaBid"
                                                    << "Aqua Bid"
                                                    << "                  Go to Auction?"
                                                    << "http://www.aquabid.com";
        QTest::newRow("Barrett-Jackson, from a procedure") << "VisitBarrettJackson"
                                                           << "Barrett-Jackson"
                                                           << "                  Go to Auction?"
                                                           << "http://www.barrett-jackson.com/";
        QTest::newRow("ABC News") << "mnuABCNews"
                                  << "ABC News"
                                  << "        Visit ABC News?"
                                  << "http://abcnews.go.com";
        QTest::newRow("CNN") << "mnuCNNNews"
                             << "CNN"
                             << "           Visit CNN?"
                             << "http://www.cnn.com";
        QTest::newRow("USA Today") << "mnuUSAToday"
                                   << "USA Today"
                                   << "        Visit USA Today?"
                                   << "http://www.usatoday.com";
        QTest::newRow("NOAA") << "mnuNOAA"
                              << "National Oceanic and Atmosperic Administration"
                              << "                   Visit NOAA?"
                              << "http://www.noaa.gov/";
        QTest::newRow("Weather Channel") << "mnuWeatherChannel"
                                         << "The Weather Channel"
                                         << "       Visit The Weather Channel?"
                                         << "http://www.weather.com";
        QTest::newRow("Yahoo weather") << "mnuYaho"
                                       << "Yahoo Weather"
                                       << "       Visit Yahoo weather?"
                                       << "http://weather.yahoo.com/";
        // only procedures that nothing invokes send these; no site has them
        QTest::newRow("Great Lakes: no site") << "VisitGreatLakes"
                                              << "Great Lakes"
                                              << "                  Go to Auction?"
                                              << "";
        QTest::newRow("Rejoice: no site") << "VisitRejoice"
                                          << "Rejoice"
                                          << ""
                                          << "";
    }
    void sites()
    {
        QFETCH(QString, request);
        QFETCH(QString, caption);
        QFETCH(QString, question);
        QFETCH(QString, address);
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        Form1& f = Form1::get();
        const QHash<QString, void (Form1::*)()> procedures{
            {"VisitAquaBid", &Form1::VisitAquaBid},
            {"VisitBarrettJackson", &Form1::VisitBarrettJackson},
            {"VisitGreatLakes", &Form1::VisitGreatLakes},
            {"VisitRejoice", &Form1::VisitRejoice}};
        if (procedures.contains(request))
            (f.*procedures[request])();
        else
            f.menuItem(request)->trigger();

        // the one dialog the request went to, and its launcher
        ctl::VbForm* dialog = nullptr;
        ctl::Label* label = nullptr;
        ctl::CommandButton* okay = nullptr;
        std::function<bool()> launcherLoaded, dialogLoaded;
        if (ASeek::IsLoaded()) {
            dialog = &ASeek::get();
            label = ASeek::get().Label1;
            okay = ASeek::get().Command1;
            launcherLoaded = &ANet::IsLoaded;
            dialogLoaded = &ASeek::IsLoaded;
        } else if (NewsSeek::IsLoaded()) {
            dialog = &NewsSeek::get();
            label = NewsSeek::get().Label1;
            okay = NewsSeek::get().Command1;
            launcherLoaded = &NewsNet::IsLoaded;
            dialogLoaded = &NewsSeek::IsLoaded;
        } else {
            QVERIFY(WeatherSeek::IsLoaded());
            dialog = &WeatherSeek::get();
            label = WeatherSeek::get().Label1;
            okay = WeatherSeek::get().Command1;
            launcherLoaded = &WeatherNet::IsLoaded;
            dialogLoaded = &WeatherSeek::IsLoaded;
        }
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->Caption(), caption);
        QCOMPARE(label->Caption(), question);

        okay->click();
        flush();
        if (address.isEmpty()) {
            QVERIFY(processes.launches.isEmpty());
            QVERIFY(launcherLoaded()); // an empty window, shown
            QVERIFY(dialogLoaded());
        } else {
            QCOMPARE(processes.launches.size(), 1);
            QCOMPARE(processes.launches[0].commandLine, plat::kBrowserCommand + address);
            QCOMPARE(processes.launches[0].arguments, QStringList{address});
            QCOMPARE(processes.launches[0].windowStyle, int(plat::vbMaximizedFocus));
            QVERIFY(!launcherLoaded());
            QVERIFY(!dialogLoaded());
        }
        QVERIFY(boxes.boxes.isEmpty());
    }

    // The weather launcher lets events run while it loads; a Cancel waiting
    // there closes the dialog under its own Okay, which must not touch it
    // again. Nothing starts, and closing the empty launcher leaves nothing.
    void weatherCancelWhileLaunching()
    {
        testsupport::RecordingProcesses processes;
        Form1::get().mnuNOAA_Click();
        WeatherSeek* dlg = &WeatherSeek::get();
        const QPointer<WeatherSeek> asked(dlg);
        QMetaObject::invokeMethod(
            dlg->Command2, [dlg] { dlg->Command2->click(); }, Qt::QueuedConnection);
        dlg->Command1->click();
        flush();
        QVERIFY(!asked);
        QVERIFY(processes.launches.isEmpty());
        QVERIFY(WeatherNet::IsLoaded());
        WeatherNet::get().close();
        flush();
        QVERIFY(!WeatherNet::IsLoaded());
        QVERIFY(!WeatherSeek::IsLoaded());
    }

    // Search text goes into the engine's address percent-encoded (UTF-8) at
    // every place, query keys included, so the engine gets what was typed;
    // the rest of the address stays as it is, and the browser gets the whole
    // address as one argument.
    void engines_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("address");
        QTest::newRow("Google, two words")
            << "mnuGoogle"
            << "red fox"
            << "Search Google"
            << "       Search Google For Infomation On:"
            << "http://www.google.com/custom?q=red%20fox&sa=Search&cof=" + kLookAndFeel;
        QTest::newRow("Google: C# keeps the look-and-feel value")
            << "mnuGoogle"
            << "C#"
            << "Search Google"
            << "       Search Google For Infomation On:"
            << "http://www.google.com/custom?q=C%23&sa=Search&cof=" + kLookAndFeel;
        QTest::newRow("All The Web: AT&T twice, as a key too; label word differs")
            << "mnuAllTheWeb"
            << "AT&T"
            << "Search All The Web"
            << "       Search AllTheWeb For Infomation On:"
            << "http://www.alltheweb.com/search?AT%26T=web&cs=utf-8&q=AT%26T&_sb_lang=en";
        QTest::newRow("Ixquick: C++ three times")
            << "mnuIxquick"
            << "C++"
            << "Search Ixquick"
            << "       Search Ixquick For Infomation On:"
            << "http://www.ixquick.com/do/metasearch.pl?C%2B%2B=webC%2B%2B=web&cmd=process_search"
               "&language=english&query=C%2B%2B&orl=&search.x=25&search.y=11";
        QTest::newRow("Yahoo: letters outside ASCII as UTF-8")
            << "mnuYahoo" << QString::fromUtf8("naïve 東京") << "Search Yahoo"
            << "       Search Yahoo For Infomation On:"
            << "http://search.yahoo.com/bin/search?p=na%C3%AFve%20%E6%9D%B1%E4%BA%AC";
        QTest::newRow("Yahoo: quotes, ; & $ # % ? are text")
            << "mnuYahoo" << QString::fromUtf8("a \"b\" ;rm -rf x & echo $HOME #%?é")
            << "Search Yahoo"
            << "       Search Yahoo For Infomation On:"
            << "http://search.yahoo.com/bin/search?p=a%20%22b%22%20%3Brm%20-rf%20x%20%26%20echo"
               "%20%24HOME%20%23%25%3F%C3%A9";
        QTest::newRow("a leading - stays inside the query")
            << "mnuAskJeeves"
            << "-rf"
            << "Search Ask Jeeves"
            << "       Search Ask Jeeves For Infomation On:"
            << "http://www.askjeeves.com/main/askjeeves.asp?ask=-rf";
        QTest::newRow("only blanks pass")
            << "mnuAskJeeves"
            << "   "
            << "Search Ask Jeeves"
            << "       Search Ask Jeeves For Infomation On:"
            << "http://www.askjeeves.com/main/askjeeves.asp?ask=%20%20%20";
        QTest::newRow("marker-like text is not expanded")
            << "mnuDmoz"
            << "{TEXT}"
            << "Search Dmoz"
            << "       Search Dmoz For Infomation On:"
            << "http://search.dmoz.org/cgi-bin/search?search=%7BTEXT%7D";
        QTest::newRow("CNET on the portal's host") << "mnuCnet"
                                                   << "t"
                                                   << "Search CNET"
                                                   << "       Search CNET For Infomation On:"
                                                   << "http://www.google.com/search?channel=1&q=t";
        QTest::newRow("Inktomi on HotBot; label word differs")
            << "mnuInktomi"
            << "t"
            << "Search Inktomi"
            << "       Search InkTomi For Infomation On:"
            << "http://www.hotbot.com/default.asp?prov=Inktomi&query=t&ps=&loc=searchbox&tab=web";
    }
    void engines()
    {
        QFETCH(QString, item);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(QString, prompt);
        QFETCH(QString, address);
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().menuItem(item)->trigger();
        ISeek& dlg = ISeek::get();
        QCOMPARE(dlg.Caption(), caption);
        QCOMPARE(dlg.Label1->Caption(), prompt);
        QVERIFY(!dlg.Text1->isHidden());
        dlg.Text1->setText(text);
        dlg.Command1->click();
        flush();

        QCOMPARE(processes.launches.size(), 1);
        const plat::ProcessLaunch& l = processes.launches[0];
        QCOMPARE(l.commandLine, plat::kBrowserCommand + address);
        QCOMPARE(l.program, plat::hostBrowser());
        QCOMPARE(l.arguments, QStringList{address});
        QCOMPARE(l.windowStyle, int(plat::vbNormalFocus));
        QVERIFY(boxes.boxes.isEmpty());
        // hidden, not closed: the text is offered again to the next engine
        QVERIFY(!Inet::IsLoaded());
        QVERIFY(ISeek::IsLoaded());
        QVERIFY(!dlg.isVisible());
        Form1::get().menuItem("mnuLycos")->trigger();
        QCOMPARE(ISeek::get().Text1->Text(), text);
        QVERIFY(ISeek::get().isVisible());
    }

    void googleLookAndFeelLength()
    {
        const auto a = Inet::EngineAddress("Search Google", "x");
        QVERIFY(a.has_value());
        QVERIFY(a->endsWith("&sa=Search&cof=" + kLookAndFeel));
        QCOMPARE(kLookAndFeel.size(), 188);
        QVERIFY(!Inet::EngineAddress("Search InfoSeek", "x").has_value());
        QVERIFY(!Inet::EngineAddress("search google", "x").has_value());
    }

    // Empty text is refused by Okay and by Enter alike; Cancel empties it.
    void emptySearchText_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Okay") << false;
        QTest::newRow("Enter in the field") << true;
    }
    void emptySearchText()
    {
        QFETCH(bool, byEnter);
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().menuItem("mnuGoogle")->trigger();
        ISeek& dlg = ISeek::get();
        dlg.activateWindow();
        auto press = [&] {
            if (byEnter)
                QTest::keyClick(dlg.Text1, Qt::Key_Return);
            else
                dlg.Command1->click();
            flush();
        };
        press();
        QCOMPARE(boxes.prompts(), QStringList{"Please Enter Search Text To Continue"});
        QVERIFY(processes.launches.isEmpty());
        QVERIFY(dlg.isVisible());
        QVERIFY(!Inet::IsLoaded());

        dlg.Text1->setText("kites");
        press();
        QCOMPARE(processes.launches.size(), 1);
        QVERIFY(processes.launches[0].commandLine.endsWith("/custom?q=kites&sa=Search&cof=" +
                                                           kLookAndFeel));

        // Cancel unloads; the next request finds an empty, visible field
        ISeek::get().Command2->click();
        flush();
        QVERIFY(!ISeek::IsLoaded());
        Form1::get().menuItem("mnuMSN")->trigger();
        QCOMPARE(ISeek::get().Text1->Text(), QString());
    }

    // An engine link opens its stored address in a normal window and needs no
    // search text; a fixed engine afterwards shows the field again.
    void engineSlots_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("slot 1") << 1 << "Search Kagi";
        QTest::newRow("slot 9: prompt with blanks") << 9 << "       Search Kagi";
    }
    void engineSlots()
    {
        QFETCH(int, n);
        QFETCH(QString, prompt);
        putLink("mnuYes", n, "Kagi", "https://kagi.example/search");
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        slot("mnuYes", n)->trigger();
        ISeek& dlg = ISeek::get();
        QCOMPARE(dlg.Caption(), QString("Quorbix Kagi Search"));
        QCOMPARE(dlg.Label1->Caption(), prompt);
        QVERIFY(dlg.Text1->isHidden());
        dlg.Command1->click(); // empty text, but no field: no message
        flush();
        QVERIFY(boxes.boxes.isEmpty());
        QCOMPARE(processes.launches.size(), 1);
        QCOMPARE(processes.launches[0].arguments, QStringList{"https://kagi.example/search"});
        QCOMPARE(processes.launches[0].windowStyle, int(plat::vbNormalFocus));
        Form1::get().menuItem("mnuGoogle")->trigger();
        QVERIFY(!ISeek::get().Text1->isHidden());
    }

    // Busy automation: no quit, the launcher stays as a window and further
    // Okays start nothing until it is closed. No automation at all: the
    // launch works as usual.
    void automation_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("road"); // auction, news, search, favourite
        for (const QString road : {"auction", "news", "search", "favourite"}) {
            QTest::newRow(qPrintable(road + ", busy")) << "busy" << road;
            QTest::newRow(qPrintable(road + ", no automation")) << "cannot be created" << road;
        }
    }
    void automation()
    {
        QFETCH(QString, kind);
        QFETCH(QString, road);
        useAutomation(kind);
        testsupport::RecordingProcesses processes;
        putLink("mnuFav", 1, "Home", "http://home.example/");
        Form1& f = Form1::get();
        ctl::CommandButton* okay = nullptr;
        std::function<bool()> launcherLoaded, dialogLoaded, dialogVisible;
        std::function<void()> closeLauncher;
        if (road == "auction") {
            f.mnuEbay_Click();
            okay = ASeek::get().Command1;
            launcherLoaded = &ANet::IsLoaded;
            dialogLoaded = &ASeek::IsLoaded;
            dialogVisible = [] { return ASeek::get().isVisible(); };
            closeLauncher = [] { ANet::get().close(); };
        } else if (road == "news") {
            f.mnuCBSNews_Click();
            okay = NewsSeek::get().Command1;
            launcherLoaded = &NewsNet::IsLoaded;
            dialogLoaded = &NewsSeek::IsLoaded;
            dialogVisible = [] { return NewsSeek::get().isVisible(); };
            closeLauncher = [] { NewsNet::get().close(); };
        } else if (road == "search") {
            f.mnuGoogle_Click();
            ISeek::get().Text1->setText("x");
            okay = ISeek::get().Command1;
            launcherLoaded = &Inet::IsLoaded;
            dialogLoaded = &ISeek::IsLoaded;
            dialogVisible = [] { return ISeek::get().isVisible(); };
            closeLauncher = [] { Inet::get().close(); };
        } else {
            f.mnuFav1_Click();
            okay = FavSeek::get().Command1;
            launcherLoaded = &FavNet::IsLoaded;
            dialogLoaded = &FavSeek::IsLoaded;
            dialogVisible = [] { return FavSeek::get().isVisible(); };
            closeLauncher = [] { FavNet::get().close(); };
        }
        okay->click();
        flush();
        QCOMPARE(processes.launches.size(), 1);
        if (kind != "busy") {
            QVERIFY(!launcherLoaded());
            // the search-text dialog is hidden and kept; the others close
            QCOMPARE(dialogLoaded(), road == "search");
            QVERIFY(!dialogLoaded() || !dialogVisible());
            return;
        }
        QVERIFY(launcherLoaded());
        QVERIFY(dialogLoaded());
        // the news and search dialogs hide beside a launcher that stays
        QCOMPARE(dialogVisible(), road == "auction" || road == "favourite");
        if (dialogVisible()) {
            okay->click();
            flush();
            QCOMPARE(processes.launches.size(), 1); // only brought forward
        }
        closeLauncher();
        flush();
        QVERIFY(!launcherLoaded());
        QCOMPARE(dialogLoaded(), road == "search"); // the search launcher has no unload handler
    }

    // A slot's request opens that slot's link; a name like a fixed site does
    // not clash with it.
    void slotRequests_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("links"); // "n=name=address"
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("address"); // empty: nothing starts
        QTest::newRow("auction named Ebay opens its own address")
            << "mnuAuc" << QStringList{"2=Ebay=http://my.example/ebay"} << 2
            << "http://my.example/ebay";
        QTest::newRow("auction named Auc3 in slot 5, slot 3 free: its own address")
            << "mnuAuc" << QStringList{"5=Auc3=http://five.example"} << 5 << "http://five.example";
        QTest::newRow("favourite named Fav7 in slot 12, slot 7 free: its own address")
            << "mnuFav" << QStringList{"12=Fav7=http://twelve.example"} << 12
            << "http://twelve.example";
        QTest::newRow("favourites: captions are compared exactly")
            << "mnuFav" << QStringList{"1=news=http://lower.example", "2=News=http://upper.example"}
            << 2 << "http://upper.example";
    }
    void slotRequests()
    {
        QFETCH(QString, family);
        QFETCH(QStringList, links);
        QFETCH(int, clicked);
        QFETCH(QString, address);
        for (const QString& l : links) {
            const QStringList p = l.split('=');
            putLink(family, p[0].toInt(), p[1], p.mid(2).join('='));
        }
        testsupport::RecordingProcesses processes;
        slot(family, clicked)->trigger();
        const QString name = slot(family, clicked)->text();
        if (family == "mnuAuc") {
            QCOMPARE(ASeek::get().Caption(), "Search " + name + " Website");
            QCOMPARE(ASeek::get().Label1->Caption(), "          Visit " + name + " Auction ?");
            ASeek::get().Command1->click();
        } else {
            QCOMPARE(FavSeek::get().Caption(), "Visit " + name + " Website");
            QCOMPARE(FavSeek::get().Label1->Caption(), "Visit " + name + " ?");
            FavSeek::get().Command1->click();
        }
        flush();
        QCOMPARE(processes.launches.size(), 1);
        QCOMPARE(processes.launches[0].commandLine, plat::kBrowserCommand + address);
        QCOMPARE(processes.launches[0].windowStyle, int(plat::vbMaximizedFocus));
        QVERIFY(!ASeek::IsLoaded() && !FavSeek::IsLoaded());
    }

    // Two links of one name: each item opens its own address, in every
    // family; a request no item wrote still finds the lower slot.
    void sameNameLinks_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("auctions") << "mnuAuc";
        QTest::newRow("favourites") << "mnuFav";
        QTest::newRow("engines") << "mnuYes";
    }
    void sameNameLinks()
    {
        QFETCH(QString, family);
        putLink(family, 4, "Shop", "http://four.example");
        putLink(family, 7, "Shop", "http://seven.example");
        testsupport::RecordingProcesses processes;
        auto okay = [&] {
            if (family == "mnuAuc")
                ASeek::get().Command1->click();
            else if (family == "mnuFav")
                FavSeek::get().Command1->click();
            else
                ISeek::get().Command1->click();
            flush();
        };
        for (int n : {7, 4}) {
            slot(family, n)->trigger();
            okay();
        }
        // a request written by hand into fresh dialogs: no item chose a slot
        unloadWebWindows();
        ASeek::get().setCaption("Search Shop Website");
        FavSeek::get().setCaption("Visit Shop Website");
        ISeek::get().setCaption("Quorbix Shop Search");
        ISeek::get().Text1->setText("x");
        okay();
        QStringList opened;
        for (const plat::ProcessLaunch& l : processes.launches)
            opened << l.arguments.join(' ');
        QCOMPARE(opened, (QStringList{"http://seven.example", "http://four.example",
                                      "http://four.example"}));
    }

    // Labels lie beneath buttons and fields, as on Windows: where a label
    // overlaps a control the control is on top, and a click there reaches it.
    void labelsBeneathControls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::newRow("auction dialog's Cancel") << "ASeek"
                                                 << "Command2";
        QTest::newRow("remove dialog's field") << "DeLink"
                                               << "Text1";
    }
    void labelsBeneathControls()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        ctl::VbForm* w = window == "ASeek" ? static_cast<ctl::VbForm*>(&ASeek::get())
                                           : static_cast<ctl::VbForm*>(&DeLink::get());
        w->Show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* label = w->client()->findChild<QWidget*>("Label1");
        auto* c = w->client()->findChild<QWidget*>(control);
        const QRect overlap = label->geometry() & c->geometry();
        QVERIFY(!overlap.isEmpty());
        QCOMPARE(w->client()->childAt(overlap.center()), c);

        // a real click, hit-tested by the window, at the overlap's centre
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                          w->client()->mapTo(w, overlap.center()));
        flush();
        if (window == "ASeek") QVERIFY(!ASeek::IsLoaded()); // Cancel was pressed
    }

    // The slot the user chose is emptied while the dialog asks (the link
    // removed), and a link of that name is then added again into another
    // slot: Okay opens that link, and no empty launcher window stays.
    void emptiedSlotFindsTheVisibleLinkOfItsName_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("auctions") << "mnuAuc";
        QTest::newRow("favourites") << "mnuFav";
        QTest::newRow("engines") << "mnuYes";
    }
    void emptiedSlotFindsTheVisibleLinkOfItsName()
    {
        QFETCH(QString, family);
        putLink(family, 1, "Shop", "http://one.example"); // removed earlier: never matches
        slot(family, 1)->setVisible(false);
        putLink(family, 7, "Shop", "http://seven.example");
        testsupport::RecordingProcesses processes;
        slot(family, 7)->trigger();
        slot(family, 7)->setVisible(false); // removed, its caption left
        putLink(family, 9, "Shop", "http://nine.example");
        if (family == "mnuAuc")
            ASeek::get().Command1->click();
        else if (family == "mnuFav")
            FavSeek::get().Command1->click();
        else
            ISeek::get().Command1->click();
        flush();
        QCOMPARE(processes.launches.size(), 1);
        QCOMPARE(processes.launches[0].arguments, QStringList{"http://nine.example"});
        QVERIFY(!ANet::IsLoaded() && !FavNet::IsLoaded() && !Inet::IsLoaded());
        QVERIFY(!ASeek::IsLoaded() && !FavSeek::IsLoaded());
        QVERIFY(!ISeek::IsLoaded() || !ISeek::get().isVisible());
    }

    // A link removed while its dialog is open is gone: nothing starts.
    void removedWhileAsking()
    {
        putLink("mnuFav", 3, "Gone", "http://gone.example");
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().mnuFav3_Click();
        Form1::get().mnuRemoveFav_Click();
        DeLink::get().Text1->setText("Gone");
        DeLink::get().Command1->click();
        flush();
        FavSeek::get().Command1->click();
        flush();
        QVERIFY(processes.launches.isEmpty());
        QVERIFY(FavNet::IsLoaded());
        FavNet::get().close();
        flush();
        QVERIFY(!FavSeek::IsLoaded());
    }

    // Adding takes the lowest free slot and stores name and address under the
    // slot's name in the two keys.
    void addLink_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QList<int>>("inUse");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("slotTaken");
        QTest::newRow("first auction link") << "mnuAddALink"
                                            << "mnuAuc" << QList<int>{} << "Market" << 1;
        QTest::newRow("a gap is filled first") << "mnuFav0"
                                               << "mnuFav" << QList<int>{1, 3} << "Second" << 2;
        QTest::newRow("favourite slot 20")
            << "mnuFav0"
            << "mnuFav"
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}
            << "Twentieth" << 20;
        QTest::newRow("engine link") << "mnuAddSLink"
                                     << "mnuYes" << QList<int>{1} << "Kagi" << 2;
        QTest::newRow("a single blank is a name") << "mnuAddALink"
                                                  << "mnuAuc" << QList<int>{} << " " << 1;
        QTest::newRow("a name another slot bears") << "mnuAddALink"
                                                   << "mnuAuc" << QList<int>{1} << "Link1" << 2;
    }
    void addLink()
    {
        QFETCH(QString, command);
        QFETCH(QString, family);
        QFETCH(QList<int>, inUse);
        QFETCH(QString, name);
        QFETCH(int, slotTaken);
        for (int n : inUse)
            putLink(family, n, "Link" + QString::number(n), "http://link.example/");
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().menuItem(command)->trigger();
        weblinks::AddLinkControls* dlg = nullptr;
        std::function<bool()> loaded;
        if (family == "mnuAuc") {
            dlg = &ALink::get();
            QCOMPARE(ALink::get().Caption(), QString("Quorbix Auction Add Link"));
            loaded = &ALink::IsLoaded;
        } else if (family == "mnuFav") {
            dlg = &FavLink::get();
            QCOMPARE(FavLink::get().Caption(), QString("Quorbix Favorites Add Link"));
            loaded = &FavLink::IsLoaded;
        } else {
            dlg = &SLink::get();
            QCOMPARE(SLink::get().Caption(), QString("Add Search Engine Link"));
            loaded = &SLink::IsLoaded;
        }
        QCOMPARE(dlg->Text1->Text(), QString());
        QCOMPARE(dlg->Text2->Text(), QString("http://www."));
        dlg->Text1->setText(name);
        dlg->Text2->setText("http://www.a b;c&d");
        dlg->Command1->click();
        flush();

        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(!loaded());
        const QString value = family + QString::number(slotTaken);
        QCOMPARE(stored(kMenu, value), name);
        QCOMPARE(stored(kLinks, value), QString("http://www.a b;c&d"));
        QVERIFY(slot(family, slotTaken)->isVisible());
        QCOMPARE(slot(family, slotTaken)->text(), name);
        QCOMPARE(shownLinks(family).size(), inUse.size() + 1);
        // the other families are untouched
        for (const QString other : {"mnuAuc", "mnuFav", "mnuYes"})
            if (other != family) QVERIFY(shownLinks(other).isEmpty());
    }

    // Refused adds keep the dialog open with its texts and store nothing.
    void addRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("storedName");
        QTest::newRow("empty name, empty address: the name first")
            << ""
            << ""
            << "Please create a name for this link to continue"
            << "";
        QTest::newRow("address left as preset") << "Market"
                                                << "http://www."
                                                << "Please enter a valid web address to continue"
                                                << "";
        QTest::newRow("twelve letters pass") << "Market"
                                             << "abcdefghijkl"
                                             << ""
                                             << "Market";
        QTest::newRow("eleven letters are refused")
            << "Market"
            << "abcdefghijk"
            << "Please enter a valid web address to continue"
            << "";
        // the store keeps text up to a NUL; the item shows what comes back
        QTest::newRow("name with a NUL is cut there") << QString("Mar") + QChar(0) + "ket"
                                                      << "http://www.example.org"
                                                      << ""
                                                      << "Mar";
        QTest::newRow("name that is only a NUL") << QString(QChar(0)) << "http://www.example.org"
                                                 << "Please create a name for this link to continue"
                                                 << "";
        QTest::newRow("address short before its NUL")
            << "Market" << QString("http://") + QChar(0) + "www.example.org"
            << "Please enter a valid web address to continue"
            << "";
    }
    void addRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, message);
        QFETCH(QString, storedName);
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().mnuAddALink_Click();
        ALink& dlg = ALink::get();
        dlg.Text1->setText(name);
        dlg.Text2->setText(address);
        dlg.Command1->click();
        flush();
        if (message.isEmpty()) {
            QVERIFY(boxes.boxes.isEmpty());
            QVERIFY(!ALink::IsLoaded());
            QCOMPARE(stored(kMenu, "mnuAuc1"), storedName);
            QCOMPARE(Form1::get().mnuAuc[0]->text(), storedName);
            return;
        }
        QCOMPARE(boxes.prompts(), QStringList{message});
        QVERIFY(ALink::IsLoaded());
        QCOMPARE(dlg.Text1->Text(), name);
        QCOMPARE(dlg.Text2->Text(), address);
        QVERIFY(stored(kMenu, "mnuAuc1").isNull());
        QVERIFY(stored(kLinks, "mnuAuc1").isNull());
        QVERIFY(shownLinks("mnuAuc").isEmpty());
    }

    // A full family: the command says so and opens nothing; a dialog opened
    // before the family filled up says so too, instead of doing nothing.
    void fullFamily_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("auctions") << "mnuAuc"
                                  << "You have reached the limit for extra Auction links.";
        QTest::newRow("favourites") << "mnuFav"
                                    << "You have reached the limit for extra Favorite links.";
        QTest::newRow("engines") << "mnuYes"
                                 << "You have reached the limit for extra Search Engine links.";
    }
    void fullFamily()
    {
        QFETCH(QString, family);
        QFETCH(QString, firstLine);
        const QString limit = firstLine +
                              "\r\nMore extra links may be available under another category."
                              "\r\nOr remove a link to add another one.";
        Form1& f = Form1::get();
        auto command = [&] {
            if (family == "mnuAuc")
                f.mnuAddALink_Click();
            else if (family == "mnuFav")
                f.mnuFav0_Click();
            else
                f.mnuAddSLink_Click();
        };
        auto dialogLoaded = [&] {
            return family == "mnuAuc"   ? ALink::IsLoaded()
                   : family == "mnuFav" ? FavLink::IsLoaded()
                                        : SLink::IsLoaded();
        };
        testsupport::RecordingMessageBoxes boxes;
        command(); // opened while one slot is still free
        QVERIFY(dialogLoaded());
        weblinks::AddLinkControls* dlg =
            family == "mnuAuc"   ? static_cast<weblinks::AddLinkControls*>(&ALink::get())
            : family == "mnuFav" ? static_cast<weblinks::AddLinkControls*>(&FavLink::get())
                                 : static_cast<weblinks::AddLinkControls*>(&SLink::get());
        for (int n = 1; n <= slotCount(family); ++n)
            putLink(family, n, "L" + QString::number(n), "http://l.example/");
        dlg->Text1->setText("One too many");
        dlg->Text2->setText("http://www.example.org");
        dlg->Command1->click();
        flush();
        QCOMPARE(boxes.prompts(), QStringList{limit});
        QVERIFY(dialogLoaded());
        QCOMPARE(dlg->Text1->Text(), QString("One too many"));
        dlg->Command2->click();
        flush();
        QVERIFY(!dialogLoaded());

        boxes.clear();
        command();
        QCOMPARE(boxes.prompts(), QStringList{limit});
        QCOMPARE(boxes.boxes[0].title, QString("Quorbix"));
        QVERIFY(!dialogLoaded());
        QCOMPARE(shownLinks(family).size(), slotCount(family));
    }

    // A store that cannot be written: the user is told, the slot stays free.
    void addNotStored()
    {
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().mnuFav0_Click();
        FavLink& dlg = FavLink::get();
        dlg.Text1->setText("Lost");
        dlg.Text2->setText("http://www.lost.example");
        plat::Registry::useFile("/proc/quorbix-no-such-folder/registry.sqlite3");
        dlg.Command1->click();
        plat::Registry::useFile(QString());
        flush();
        QCOMPARE(boxes.prompts(), QStringList{"The link \"Lost\" could not be saved: the folder of "
                                              "the settings file cannot be made."});
        QVERIFY(FavLink::IsLoaded());
        QVERIFY(shownLinks("mnuFav").isEmpty());
        QVERIFY(stored(kMenu, "mnuFav1").isNull());
    }

    // Cancel stores nothing; the next add starts from the design texts; a
    // family's command while its dialog is open keeps what was typed.
    void addCancelAndReopen()
    {
        Form1& f = Form1::get();
        f.mnuAddALink_Click();
        ALink::get().Text1->setText("Typed");
        f.mnuAddALink_Click();
        QCOMPARE(ALink::get().Text1->Text(), QString("Typed"));
        ALink::get().Command2->click();
        flush();
        QVERIFY(stored(kMenu, "mnuAuc1").isNull());
        f.mnuAddALink_Click();
        QCOMPARE(ALink::get().Text1->Text(), QString());
        QCOMPARE(ALink::get().Text2->Text(), QString("http://www."));
    }

    // The dialogs nothing opens store nothing.
    void unusedAddDialogs()
    {
        testsupport::RecordingMessageBoxes boxes;
        for (weblinks::AddLinkControls* dlg :
             {static_cast<weblinks::AddLinkControls*>(&RLink::get()),
              static_cast<weblinks::AddLinkControls*>(&ChLink::get())}) {
            dlg->Text1->setText("Radio");
            dlg->Text2->setText("http://www.radio.example");
            dlg->Command1->click();
        }
        flush();
        QVERIFY(RLink::IsLoaded() && ChLink::IsLoaded());
        QVERIFY(boxes.boxes.isEmpty());
        for (const QString family : {"mnuAuc", "mnuFav", "mnuYes"})
            QVERIFY(shownLinks(family).isEmpty());
    }

    // Links added through the menu come back after a restart, and open.
    void linksSurviveRestart()
    {
        Form1& f = Form1::get();
        f.mnuFav0_Click();
        FavLink::get().Text1->setText("Recipes");
        FavLink::get().Text2->setText("http://www.recipes.example/?q=a&b=c");
        FavLink::get().Command1->click();
        f.mnuAddSLink_Click();
        SLink::get().Text1->setText("Kagi");
        SLink::get().Text2->setText("https://kagi.example/");
        SLink::get().Command1->click();
        flush();

        Form1& g = restart();
        QCOMPARE(shownLinks("mnuFav"), QStringList{"1=Recipes"});
        QCOMPARE(shownLinks("mnuYes"), QStringList{"1=Kagi"});
        QVERIFY(shownLinks("mnuAuc").isEmpty());

        testsupport::RecordingProcesses processes;
        g.menuItem("mnuFav1")->trigger();
        FavSeek::get().Command1->click();
        flush();
        QCOMPARE(processes.launches.size(), 1);
        QCOMPARE(processes.launches[0].arguments,
                 QStringList{"http://www.recipes.example/?q=a&b=c"});
    }

    // Removal compares the typed name with the stored names of one family,
    // exactly; every slot of that name goes, both values and the item.
    void removeLink_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("links"); // "n=name"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QString>("message"); // empty: the dialog closes
        const QString again = "Please enter name of link as it appears to continue";
        QTest::newRow("two of one name: both go")
            << "mnuRemoveALink"
            << "mnuAuc" << QStringList{"1=Shop", "2=Art", "5=Shop"} << "Shop"
            << QStringList{"2=Art"} << "";
        QTest::newRow("favourite in slot 15")
            << "mnuRemoveFav"
            << "mnuFav" << QStringList{"15=Late"} << "Late" << QStringList{} << "";
        QTest::newRow("engine link")
            << "mnuRemoveSLink"
            << "mnuYes" << QStringList{"3=Kagi"} << "Kagi" << QStringList{} << "";
        QTest::newRow("letter case differs: nothing goes, the user is told")
            << "mnuRemoveFav"
            << "mnuFav" << QStringList{"1=Recipes"} << "recipes" << QStringList{"1=Recipes"}
            << again;
        QTest::newRow("a trailing blank differs")
            << "mnuRemoveALink"
            << "mnuAuc" << QStringList{"1=Shop"} << "Shop " << QStringList{"1=Shop"} << again;
        QTest::newRow("no such link")
            << "mnuRemoveSLink"
            << "mnuYes" << QStringList{} << "Nothing" << QStringList{} << again;
        QTest::newRow("empty name, favourites")
            << "mnuRemoveFav"
            << "mnuFav" << QStringList{"1=A"} << "" << QStringList{"1=A"} << again;
        QTest::newRow("empty name, auctions too")
            << "mnuRemoveALink"
            << "mnuAuc" << QStringList{"1=A"} << "" << QStringList{"1=A"} << again;
    }
    void removeLink()
    {
        QFETCH(QString, command);
        QFETCH(QString, family);
        QFETCH(QStringList, links);
        QFETCH(QString, typed);
        QFETCH(QStringList, remaining);
        QFETCH(QString, message);
        for (const QString& l : links)
            putLink(family, l.section('=', 0, 0).toInt(), l.section('=', 1), "http://x.example/");
        // the same name in another family is not touched
        const QString other = family == "mnuFav" ? "mnuAuc" : "mnuFav";
        if (!typed.isEmpty()) putLink(other, 1, typed, "http://other.example/");

        testsupport::RecordingMessageBoxes boxes;
        Form1::get().menuItem(command)->trigger();
        DeLink& dlg = DeLink::get();
        dlg.Text1->setText(typed);
        dlg.Command1->click();
        flush();

        QCOMPARE(shownLinks(family), remaining);
        for (int n = 1; n <= slotCount(family); ++n) {
            const QString value = family + QString::number(n);
            const bool kept =
                remaining.contains(QString::number(n) + "=" + slot(family, n)->text());
            QCOMPARE(!stored(kMenu, value).isNull(), kept);
            QCOMPARE(!stored(kLinks, value).isNull(), kept);
        }
        if (!typed.isEmpty()) QCOMPARE(shownLinks(other), QStringList{"1=" + typed});
        if (message.isEmpty()) {
            QVERIFY(boxes.boxes.isEmpty());
            QVERIFY(!DeLink::IsLoaded());
        } else {
            QCOMPARE(boxes.prompts(), QStringList{message});
            QVERIFY(DeLink::IsLoaded());
            QCOMPARE(dlg.Text1->Text(), typed);
        }
    }

    // The dialog's caption picks the family; a later command re-captions an
    // open dialog and keeps the typed name.
    void removeCaptions()
    {
        Form1& f = Form1::get();
        f.mnuRemoveSLink_Click();
        QCOMPARE(DeLink::get().Caption(), QString("Remove Search Engine Link"));
        DeLink::get().Text1->setText("Shop");
        f.mnuRemoveFav_Click();
        QCOMPARE(DeLink::get().Caption(), QString("Remove Favorite Link"));
        QCOMPARE(DeLink::get().Text1->Text(), QString("Shop"));
        f.mnuRemoveALink_Click();
        QCOMPARE(DeLink::get().Caption(), QString("Remove Auction Link"));
        putLink("mnuAuc", 2, "Shop", "http://shop.example/");
        f.RemoveChristianLink(); // works on the auctions
        DeLink::get().Command1->click();
        flush();
        QVERIFY(shownLinks("mnuAuc").isEmpty());
        QVERIFY(!DeLink::IsLoaded());

        // the freed slot is the next one taken
        putLink("mnuAuc", 1, "One", "http://one.example/");
        f.mnuAddALink_Click();
        ALink::get().Text1->setText("Two");
        ALink::get().Text2->setText("http://two.example/");
        ALink::get().Command1->click();
        flush();
        QCOMPARE(shownLinks("mnuAuc"), (QStringList{"1=One", "2=Two"}));
    }

    // Items without a handler of their own do nothing when chosen.
    // Every named entry point of a fixed item finds its row: the row's
    // request reaches its dialog, and a row with a caption is in the menu
    // under the row's name.
    void everyEntryPointHasItsRow()
    {
        const QList<QPair<QString, void (Form1::*)()>> entries{
            {"mnuAuctionGuide", &Form1::mnuAuctionGuide_Click},
            {"mnuBentMonkey", &Form1::mnuBentMonkey_Click},
            {"mnuBid4Assets", &Form1::mnuBid4Assets_Click},
            {"mnuBuySellTrades", &Form1::mnuBuySellTrades_Click},
            {"mnuEbay", &Form1::mnuEbay_Click},
            {"mnuSothebys", &Form1::mnuSothebys_Click},
            {"mnuSportsCollective", &Form1::mnuSportsCollective_Click},
            {"mnuABCNews", &Form1::mnuABCNews_Click},
            {"mnuCNNNews", &Form1::mnuCNNNews_Click},
            {"mnuCBSNews", &Form1::mnuCBSNews_Click},
            {"mnuFoxNews", &Form1::mnuFoxNews_Click},
            {"mnuUSAToday", &Form1::mnuUSAToday_Click},
            {"mnuNOAA", &Form1::mnuNOAA_Click},
            {"mnuWeatherChannel", &Form1::mnuWeatherChannel_Click},
            {"mnuYaho", &Form1::mnuYaho_Click},
            {"VisitAquaBid", &Form1::VisitAquaBid},
            {"VisitBarrettJackson", &Form1::VisitBarrettJackson},
            {"VisitGreatLakes", &Form1::VisitGreatLakes},
            {"VisitMarketStand", &Form1::VisitMarketStand},
            {"VisitQuickBid4U", &Form1::VisitQuickBid4U},
            {"VisitAllQuartets", &Form1::VisitAllQuartets},
            {"VisitGoodNews", &Form1::VisitGoodNews},
            {"VisitGospel", &Form1::VisitGospel},
            {"VisitHisKidsRadio", &Form1::VisitHisKidsRadio},
            {"VisitRejoice", &Form1::VisitRejoice},
            {"mnuAbout", &Form1::mnuAbout_Click},
            {"mnuAllTheWeb", &Form1::mnuAllTheWeb_Click},
            {"mnuAol", &Form1::mnuAol_Click},
            {"mnuAltaVista", &Form1::mnuAltaVista_Click},
            {"mnuAskJeeves", &Form1::mnuAskJeeves_Click},
            {"mnuBigEye", &Form1::mnuBigEye_Click},
            {"mnuCnet", &Form1::mnuCnet_Click},
            {"mnuDmoz", &Form1::mnuDmoz_Click},
            {"mnuEarthLink", &Form1::mnuEarthLink_Click},
            {"mnuGoogle", &Form1::mnuGoogle_Click},
            {"mnuHotBot", &Form1::mnuHotBot_Click},
            {"mnuInktomi", &Form1::mnuInktomi_Click},
            {"mnuIsleuth", &Form1::mnuIsleuth_Click},
            {"mnuIxquick", &Form1::mnuIxquick_Click},
            {"mnuLookSmart", &Form1::mnuLookSmart_Click},
            {"mnuLycos", &Form1::mnuLycos_Click},
            {"mnuMamma", &Form1::mnuMamma_Click},
            {"mnuMetaCrawler", &Form1::mnuMetaCrawler_Click},
            {"mnuMSN", &Form1::mnuMSN_Click},
            {"mnuTeoma", &Form1::mnuTeoma_Click},
            {"mnuWiseNut", &Form1::mnuWiseNut_Click},
            {"mnuYahoo", &Form1::mnuYahoo_Click},
            {"SearchInfoSeek", &Form1::SearchInfoSeek},
            {"SearchIwon", &Form1::SearchIwon},
            {"SearchNorthernLight", &Form1::SearchNorthernLight},
            {"SearchOverture", &Form1::SearchOverture},
            {"SearchSavvy", &Form1::SearchSavvy},
        };
        QStringList seen;
        for (const auto& [name, handler] : entries) {
            const weblinks::WebItem* row = weblinks::webItem(name);
            QVERIFY2(row, qPrintable(name));
            Form1& f = Form1::get();
            (f.*handler)();
            const ctl::VbForm* dialog = nullptr;
            if (ASeek::IsLoaded()) dialog = &ASeek::get();
            if (NewsSeek::IsLoaded()) dialog = &NewsSeek::get();
            if (WeatherSeek::IsLoaded()) dialog = &WeatherSeek::get();
            if (ISeek::IsLoaded()) dialog = &ISeek::get();
            QVERIFY2(dialog, qPrintable(name));
            QCOMPARE(dialog->Caption(), row->request);
            if (!row->caption.isEmpty()) QCOMPARE(f.menuItem(name)->text(), row->caption);
            unloadWebWindows();
            seen << name;
        }
        // and no row with an entry lacks its entry point
        for (const weblinks::WebItem& row : weblinks::webItems())
            if (!row.entry.isEmpty()) QVERIFY2(seen.contains(row.entry), qPrintable(row.entry));
    }

    void findWebsiteDoesNothing()
    {
        testsupport::RecordingProcesses processes;
        testsupport::RecordingMessageBoxes boxes;
        Form1::get().menuItem("mnuSiteSearch")->trigger();
        QVERIFY(processes.launches.isEmpty());
        QVERIFY(boxes.boxes.isEmpty());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &Form1::get() && w->isVisible())
                QFAIL(qPrintable("a window opened: " + w->objectName()));
    }
};

QTEST_MAIN(TstWeblinks)
#include "tst_weblinks.moc"
