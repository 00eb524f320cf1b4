#include "mainwindow/form1.h"
#include "weblinks/istart.h"

// The Internet menu: fixed sites, search engines and the user's link slots.
void Form1::BuildInternetMenu()
{
    QMenu* m = mnuInternet;
    item(m, "mnuIStart", "Internet Start", [this] { mnuIStart_Click(); });
    item(m, "mnuSiteSearch", "Find WebSite ", nullptr);

    QMenu* auction = subMenu(m, "mnuAuction", "Auctions");
    item(auction, "mnuAuctionGuide", "Auction Guide", [this] { mnuAuctionGuide_Click(); });
    item(auction, "mnuBentMonkey", "Bent Monkey", [this] { mnuBentMonkey_Click(); });
    item(auction, "mnuBid4Assets", "Bid 4 Assets", [this] { mnuBid4Assets_Click(); });
    item(auction, "mnuBuySellTrades", "Buy Sell Trades", [this] { mnuBuySellTrades_Click(); });
    item(auction, "mnuEbay", "Ebay", [this] { mnuEbay_Click(); });
    item(auction, "mnuSothebys", "Sotheby's", [this] { mnuSothebys_Click(); });
    item(auction, "mnuSportsCollective", "Sports Collective",
         [this] { mnuSportsCollective_Click(); });
    for (int i = 0; i < 10; ++i) {
        const QByteArray nm = "mnuAuc" + QByteArray::number(i + 1);
        mnuAuc[i] = item(auction, nm.constData(), QStringLiteral("Auc%1").arg(i + 1),
                         [this, i] { AuctionSlotClick(i + 1); });
        mnuAuc[i]->setVisible(false);
    }
    item(auction, "mnuAddALink", "Add Auction Link", [this] { mnuAddALink_Click(); });
    item(auction, "mnuRemoveALink", "Remove Auction Link", [this] { mnuRemoveALink_Click(); });

    QMenu* news = subMenu(m, "mnuStation0", "News Stations");
    item(news, "mnuABCNews", "ABC News", [this] { mnuABCNews_Click(); });
    item(news, "mnuCNNNews", "CNN", [this] { mnuCNNNews_Click(); });
    item(news, "mnuCBSNews", "CBS News", [this] { mnuCBSNews_Click(); });
    item(news, "mnuFoxNews", "Fox News", [this] { mnuFoxNews_Click(); });
    item(news, "mnuUSAToday", "USA Today", [this] { mnuUSAToday_Click(); });

    QMenu* engines = subMenu(m, "mnuSearchEngines", "Fast Engine Search");
    using Handler = void (Form1::*)();
    static const struct {
        const char* name;
        const char* caption;
        Handler handler;
    } engineItems[] = {
        {"mnuAbout", "About", &Form1::mnuAbout_Click},
        {"mnuAllTheWeb", "All The Web", &Form1::mnuAllTheWeb_Click},
        {"mnuAol", "AOL", &Form1::mnuAol_Click},
        {"mnuAltaVista", "AltaVista", &Form1::mnuAltaVista_Click},
        {"mnuAskJeeves", "AskJeeves", &Form1::mnuAskJeeves_Click},
        {"mnuBigEye", "Big Eye", &Form1::mnuBigEye_Click},
        {"mnuCnet", "CNET", &Form1::mnuCnet_Click},
        {"mnuDmoz", "Dmoz", &Form1::mnuDmoz_Click},
        {"mnuEarthLink", "EarthLink", &Form1::mnuEarthLink_Click},
        {"mnuGoogle", "Google", &Form1::mnuGoogle_Click},
        {"mnuHotBot", "HotBot", &Form1::mnuHotBot_Click},
        {"mnuInktomi", "Inktomi", &Form1::mnuInktomi_Click},
        {"mnuIsleuth", "Internet Sleuth", &Form1::mnuIsleuth_Click},
        {"mnuIxquick", "Ixquick", &Form1::mnuIxquick_Click},
        {"mnuLookSmart", "LookSmart", &Form1::mnuLookSmart_Click},
        {"mnuLycos", "Lycos", &Form1::mnuLycos_Click},
        {"mnuMamma", "Mamma", &Form1::mnuMamma_Click},
        {"mnuMetaCrawler", "MetaCrawler", &Form1::mnuMetaCrawler_Click},
        {"mnuMSN", "MSN", &Form1::mnuMSN_Click},
        {"mnuTeoma", "Teoma", &Form1::mnuTeoma_Click},
        {"mnuWiseNut", "WiseNut", &Form1::mnuWiseNut_Click},
        {"mnuYahoo", "Yahoo", &Form1::mnuYahoo_Click},
    };
    for (const auto& e : engineItems)
        item(engines, e.name, QString::fromLatin1(e.caption),
             [this, h = e.handler] { (this->*h)(); });
    for (int i = 0; i < 10; ++i) {
        const QByteArray nm = "mnuYes" + QByteArray::number(i + 1);
        mnuYes[i] = item(engines, nm.constData(), QStringLiteral("Yes%1").arg(i + 1),
                         [this, i] { EngineSlotClick(i + 1); });
        mnuYes[i]->setVisible(false);
    }
    item(engines, "mnuAddSLink", "Add  Engine Link", [this] { mnuAddSLink_Click(); });
    item(engines, "mnuRemoveSLink", "Remove Engine Link", [this] { mnuRemoveSLink_Click(); });

    QMenu* fav = subMenu(m, "mnuFavorites", "Favorites");
    for (int i = 0; i < 20; ++i) {
        const QByteArray nm = "mnuFav" + QByteArray::number(i + 1);
        mnuFav[i] = item(fav, nm.constData(), QStringLiteral("Fav%1").arg(i + 1),
                         [this, i] { FavoriteSlotClick(i + 1); });
        mnuFav[i]->setVisible(false);
    }
    item(fav, "mnuFav0", "Add Favorite Link", [this] { mnuFav0_Click(); });
    item(fav, "mnuRemoveFav", "Remove Favorite", [this] { mnuRemoveFav_Click(); });

    QMenu* weather = subMenu(m, "mnuWeather0", "Weather");
    item(weather, "mnuNOAA", "NOAA", [this] { mnuNOAA_Click(); });
    item(weather, "mnuWeatherChannel", "Weather Channel", [this] { mnuWeatherChannel_Click(); });
    item(weather, "mnuYaho", "Yahoo", [this] { mnuYaho_Click(); });
}

void Form1::mnuIStart_Click()
{
    IStart::get().Show();
}
