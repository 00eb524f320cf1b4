#include "mainwindow/form1.h"
#include "weblinks/istart.h"

// The Internet menu: fixed sites, search engines and the user's link slots.
void Form1::BuildInternetMenu()
{
    QMenu* m = mnuInternet;
    item(m, "mnuIStart", "Internet Start", [this] { mnuIStart_Click(); });
    item(m, "mnuSiteSearch", "Find WebSite ", nullptr);

    QMenu* auction = subMenu(m, "mnuAuction", "Auctions");
    item(auction, "mnuAuctionGuide", "Auction Guide", nullptr);
    item(auction, "mnuBentMonkey", "Bent Monkey", nullptr);
    item(auction, "mnuBid4Assets", "Bid 4 Assets", nullptr);
    item(auction, "mnuBuySellTrades", "Buy Sell Trades", nullptr);
    item(auction, "mnuEbay", "Ebay", nullptr);
    item(auction, "mnuSothebys", "Sotheby's", nullptr);
    item(auction, "mnuSportsCollective", "Sports Collective", nullptr);
    for (int i = 0; i < 10; ++i) {
        const QByteArray nm = "mnuAuc" + QByteArray::number(i + 1);
        mnuAuc[i] = item(auction, nm.constData(), QStringLiteral("Auc%1").arg(i + 1), nullptr);
        mnuAuc[i]->setVisible(false);
    }
    item(auction, "mnuAddALink", "Add Auction Link", nullptr);
    item(auction, "mnuRemoveALink", "Remove Auction Link", nullptr);

    QMenu* news = subMenu(m, "mnuStation0", "News Stations");
    item(news, "mnuABCNews", "ABC News", nullptr);
    item(news, "mnuCNNNews", "CNN", nullptr);
    item(news, "mnuCBSNews", "CBS News", nullptr);
    item(news, "mnuFoxNews", "Fox News", nullptr);
    item(news, "mnuUSAToday", "USA Today", nullptr);

    QMenu* engines = subMenu(m, "mnuSearchEngines", "Fast Engine Search");
    static const char* const engineItems[][2] = {
        {"mnuAbout", "About"},           {"mnuAllTheWeb", "All The Web"},
        {"mnuAol", "AOL"},               {"mnuAltaVista", "AltaVista"},
        {"mnuAskJeeves", "AskJeeves"},   {"mnuBigEye", "Big Eye"},
        {"mnuCnet", "CNET"},             {"mnuDmoz", "Dmoz"},
        {"mnuEarthLink", "EarthLink"},   {"mnuGoogle", "Google"},
        {"mnuHotBot", "HotBot"},         {"mnuInktomi", "Inktomi"},
        {"mnuIsleuth", "Internet Sleuth"}, {"mnuIxquick", "Ixquick"},
        {"mnuLookSmart", "LookSmart"},   {"mnuLycos", "Lycos"},
        {"mnuMamma", "Mamma"},           {"mnuMetaCrawler", "MetaCrawler"},
        {"mnuMSN", "MSN"},               {"mnuTeoma", "Teoma"},
        {"mnuWiseNut", "WiseNut"},       {"mnuYahoo", "Yahoo"},
    };
    for (const auto& e : engineItems)
        item(engines, e[0], QString::fromLatin1(e[1]), nullptr);
    for (int i = 0; i < 10; ++i) {
        const QByteArray nm = "mnuYes" + QByteArray::number(i + 1);
        mnuYes[i] = item(engines, nm.constData(), QStringLiteral("Yes%1").arg(i + 1), nullptr);
        mnuYes[i]->setVisible(false);
    }
    item(engines, "mnuAddSLink", "Add  Engine Link", nullptr);
    item(engines, "mnuRemoveSLink", "Remove Engine Link", nullptr);

    QMenu* fav = subMenu(m, "mnuFavorites", "Favorites");
    for (int i = 0; i < 20; ++i) {
        const QByteArray nm = "mnuFav" + QByteArray::number(i + 1);
        mnuFav[i] = item(fav, nm.constData(), QStringLiteral("Fav%1").arg(i + 1), nullptr);
        mnuFav[i]->setVisible(false);
    }
    item(fav, "mnuFav0", "Add Favorite Link", nullptr);
    item(fav, "mnuRemoveFav", "Remove Favorite", nullptr);

    QMenu* weather = subMenu(m, "mnuWeather0", "Weather");
    item(weather, "mnuNOAA", "NOAA", nullptr);
    item(weather, "mnuWeatherChannel", "Weather Channel", nullptr);
    item(weather, "mnuYaho", "Yahoo", nullptr);
}

void Form1::mnuIStart_Click() { IStart::get().Show(); }
