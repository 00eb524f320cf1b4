#include "weblinks/webitems.h"

#include "weblinks/istart.h"

#include <QUrl>

namespace weblinks {

namespace {

// Where the search text goes into an address.
const QString kText = QStringLiteral("{TEXT}");

// The look of the partner search page: eleven key%3Avalue%3B pairs.
QString lookAndFeel()
{
    return QStringLiteral("GIMP%3A003399%3BT%3A000000%3BALC%3AFF0000%3BGFNT%3A808080%3B"
                          "LC%3A003399%3BBGC%3AFFFFFF%3BAH%3Aleft%3BVLC%3A800080%3BGL%3A0%3B"
                          "S%3Ahttp%3A%2F%2Fwww.quorbix.info%3BAWFID%3A4e7a0c9d2b18f653%3B");
}

} // namespace

const QList<WebItem>& webItems()
{
    static const QString hotBot = QStringLiteral("http://www.hotbot.com");
    // Rows without an entry are pages only a launcher knows; rows without an
    // address are requests whose launcher has no page for them.
    static const QList<WebItem> table = {
        {WebDialog::Auction, "mnuAuctionGuide", "Auction Guide", "Auction Guide", "",
         "http://www.auctionguide.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuBentMonkey", "Bent Monkey", "Bent Monkey", "",
         "http://www.bentmonkey.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuBid4Assets", "Bid 4 Assets", "Bid 4 Assets", "",
         "http://www.bid4assets.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuBuySellTrades", "Buy Sell Trades", "Buy Sell Trades", "",
         "http://www.buyselltrades.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuEbay", "Ebay", "Ebay", "", "http://www.ebay.com",
         RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuSothebys", "Sotheby's", "Sotheby's", "",
         "http://search.sothebys.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "mnuSportsCollective", "Sports Collective", "Sports Collective", "",
         "http://www.sportscollective.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "VisitAquaBid", "", "Aqua Bid", "", "http://www.aquabid.com",
         RequestOrder::ShowFirst},
        {WebDialog::Auction, "VisitBarrettJackson", "", "Barrett-Jackson", "",
         "http://www.barrett-jackson.com/", RequestOrder::ShowFirst},
        {WebDialog::Auction, "VisitGreatLakes", "", "Great Lakes", "", {}, RequestOrder::ShowFirst},
        {WebDialog::Auction,
         "VisitMarketStand",
         "",
         "Market Stand",
         "",
         {},
         RequestOrder::ShowFirst},
        {WebDialog::Auction,
         "VisitQuickBid4U",
         "",
         "Quick Bid 4 U",
         "",
         {},
         RequestOrder::ShowFirst},
        {WebDialog::News, "mnuABCNews", "ABC News", "ABC News", "        Visit {ITEM}?",
         "http://abcnews.go.com", RequestOrder::ShowFirst},
        {WebDialog::News, "mnuCNNNews", "CNN", "CNN", "           Visit {ITEM}?",
         "http://www.cnn.com", RequestOrder::ShowFirst},
        {WebDialog::News, "mnuCBSNews", "CBS News", "CBS News", "        Visit {ITEM}?",
         "http://www.cbsnews.com", RequestOrder::ShowFirst},
        {WebDialog::News, "mnuFoxNews", "Fox News", "Fox News", "        Visit {ITEM}?",
         "http://www.foxnews.com", RequestOrder::ShowFirst},
        {WebDialog::News, "mnuUSAToday", "USA Today", "USA Today", "        Visit USA Today?",
         "http://www.usatoday.com", RequestOrder::ShowFirst},
        {WebDialog::News,
         "VisitAllQuartets",
         "",
         "All Quartets",
         "",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::News,
         "VisitGoodNews",
         "",
         "Good News 93.1",
         "",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::News, "VisitGospel", "", "Gospel 90.3", "", {}, RequestOrder::CaptionFirst},
        {WebDialog::News,
         "VisitHisKidsRadio",
         "",
         "His Kids Radio",
         "",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::News, "VisitRejoice", "", "Rejoice", "", {}, RequestOrder::CaptionFirst},
        {WebDialog::Weather, "mnuNOAA", "NOAA", "National Oceanic and Atmosperic Administration",
         "                   Visit NOAA?", "http://www.noaa.gov/", RequestOrder::ShowFirst},
        {WebDialog::Weather, "mnuWeatherChannel", "Weather Channel", "The Weather Channel",
         "       Visit The Weather Channel?", "http://www.weather.com", RequestOrder::ShowFirst},
        {WebDialog::Weather, "mnuYaho", "Yahoo", "Yahoo Weather", "       Visit Yahoo weather?",
         "http://weather.yahoo.com/", RequestOrder::ShowFirst},
        {WebDialog::Engine, "mnuAbout", "About", "Search About",
         "       Search About For Infomation On:",
         "http://search.about.com/fullsearch.htm?terms={TEXT}", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuAllTheWeb", "All The Web", "Search All The Web",
         "       Search AllTheWeb For Infomation On:",
         "http://www.alltheweb.com/search?{TEXT}=web&cs=utf-8&q={TEXT}&_sb_lang=en",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuAol", "AOL", "Search AOL", "       Search Aol For Infomation On:",
         "http://search.aol.com/dirsearch.adp?start=&from=topsearchbox.%2Findex.adp"
         "&query={TEXT}&x=22&y=10",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuAltaVista", "AltaVista", "Search AltaVista",
         "       Search AltaVista For Infomation On:",
         "http://www.altavista.com/web/results?q={TEXT}&submit2=Search&what=web&fmt=d",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuAskJeeves", "AskJeeves", "Search Ask Jeeves",
         "       Search Ask Jeeves For Infomation On:",
         "http://www.askjeeves.com/main/askjeeves.asp?ask={TEXT}", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuBigEye", "Big Eye", "Search Big Eye",
         "       Search BigEye For Infomation On:",
         "http://partners.mamma.com/Bigeye?lang=1&timeout=4&rpp=15&query={TEXT}"
         "&Submit=Find+It%21&qtype=0",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuCnet", "CNET", "Search CNET",
         "       Search CNET For Infomation On:",
         "http://" + IStart::kPortalHost + "/search?channel=1&q={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuDmoz", "Dmoz", "Search Dmoz",
         "       Search Dmoz For Infomation On:",
         "http://search.dmoz.org/cgi-bin/search?search={TEXT}", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuEarthLink", "EarthLink", "Search EarthLink",
         "       Search EarthLink For Infomation On:",
         "http://search.earthlink.net/search?site=earthlink-ss&q={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuGoogle", "Google", "Search Google",
         "       Search Google For Infomation On:",
         "http://www.google.com/custom?q={TEXT}&sa=Search&cof=" + lookAndFeel(),
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuHotBot", "HotBot", "Search HotBot",
         "       Search HotBot For Infomation On:",
         hotBot + "/default.asp?prov=FAST&query={TEXT}&ps=&loc=searchbox&tab=web",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuInktomi", "Inktomi", "Search Inktomi",
         "       Search InkTomi For Infomation On:",
         hotBot + "/default.asp?prov=Inktomi&query={TEXT}&ps=&loc=searchbox&tab=web",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuIsleuth", "Internet Sleuth", "Search Internet Sleuth",
         "       Search Internet Sleuth For Infomation On:",
         "http://www.isleuth.com/wbresults.htm?q={TEXT}&i=0&c=10", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuIxquick", "Ixquick", "Search Ixquick",
         "       Search Ixquick For Infomation On:",
         "http://www.ixquick.com/do/metasearch.pl?{TEXT}=web{TEXT}=web"
         "&cmd=process_search&language=english&query={TEXT}"
         "&orl=&search.x=25&search.y=11",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuLookSmart", "LookSmart", "Search LookSmart",
         "       Search LookSmart For Infomation On:",
         "http://search.looksmart.com/r_search?key={TEXT}", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuLycos", "Lycos", "Search Lycos",
         "       Search Lycos For Infomation On:",
         "http://search.lycos.com/default.asp?lpv=1&loc=searchhp&tab=web&query={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuMamma", "Mamma", "Search Mamma",
         "       Search Mamma For Infomation On:",
         "http://www.mamma.com/Mamma?query={TEXT}&qtype=0&image222.x=26&image222.y=13",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuMetaCrawler", "MetaCrawler", "Search MetaCrawler",
         "       Search MetaCrawler For Infomation On:",
         "http://www.metacrawler.com/texis/search?brand=metacrawler&q={TEXT}&redirect=&top=1"
         "&method=0&rpp=20&hpe=10&region=0&timeout=0&sort=0&theme=classic",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuMSN", "MSN", "Search MSN", "       Search MSN For Infomation On:",
         "http://search.msn.com/results.asp?RS=CHECKED&FORM=MSNH&v=1&q={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuTeoma", "Teoma", "Search Teoma",
         "       Search Teoma For Infomation On:",
         hotBot + "/default.asp?prov=Teoma&query={TEXT}&ps=&loc=searchbox&tab=web",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuWiseNut", "WiseNut", "Search WiseNut",
         "       Search WiseNut For Infomation On:",
         "http://www.wisenut.com/search/query.dll?q={TEXT}", RequestOrder::CaptionFirst},
        {WebDialog::Engine, "mnuYahoo", "Yahoo", "Search Yahoo",
         "       Search Yahoo For Infomation On:", "http://search.yahoo.com/bin/search?p={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine,
         "SearchInfoSeek",
         "",
         "Search InfoSeek",
         "       Search InfoSeek For Infomation On:",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::Engine,
         "SearchIwon",
         "",
         "Search Iwon",
         "       Search Iwon For Infomation On:",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::Engine,
         "SearchNorthernLight",
         "",
         "Search Northern Light",
         "       Search Northern Light For Infomation On:",
         {},
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "SearchOverture", "", "Search Overture",
         "       Search Overture For Infomation On:",
         "http://www.overture.com/d/search/?type=home&mkt=us&Keywords={TEXT}",
         RequestOrder::CaptionFirst},
        {WebDialog::Engine, "SearchSavvy", "", "Search Savvy", "", {}, RequestOrder::CaptionFirst},
        {WebDialog::News, "", "", "NBC News", "",
         "http://www.msnbc.com/news/natlnews_front.asp?0dm=-20FN", RequestOrder::ShowFirst},
    };
    return table;
}

const WebItem* webItem(const QString& entry)
{
    for (const WebItem& item : webItems())
        if (!entry.isEmpty() && item.entry == entry) return &item;
    return nullptr;
}

std::optional<QString> pageFor(WebDialog dialog, const QString& request, const QString& searchText)
{
    for (const WebItem& item : webItems()) {
        if (item.dialog != dialog || item.request != request || item.address.isEmpty()) continue;
        // The text goes in percent-encoded (UTF-8), so "&", "#", "+", blanks
        // and letters outside ASCII reach the engine as typed instead of
        // ending the value, starting a fragment or reading as blanks. The
        // encoded text holds no marker, and is never searched for one.
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(searchText));
        return item.address.split(kText).join(encoded);
    }
    return std::nullopt;
}

} // namespace weblinks
