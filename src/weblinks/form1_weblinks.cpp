// The main window's side of the web links: each item writes its request
// into a dialog and shows it; the dialogs and launchers do the rest.
#include "mainwindow/form1.h"
#include "platform/msgbox.h"
#include "weblinks/alink.h"
#include "weblinks/aseek.h"
#include "weblinks/delink.h"
#include "weblinks/favlink.h"
#include "weblinks/favseek.h"
#include "weblinks/inet.h"
#include "weblinks/iseek.h"
#include "weblinks/linkslots.h"
#include "weblinks/newsseek.h"
#include "weblinks/slink.h"
#include "weblinks/weatherseek.h"

namespace {

void auctionRequest(const QString& key)
{
    ASeek::get().Show();
    ASeek::get().setCaption(key);
}

void newsRequest(const QString& key, const QString& question)
{
    NewsSeek::get().Show();
    NewsSeek::get().setCaption(key);
    NewsSeek::get().Label1->setCaption(question);
}

void newsRequestCaptionFirst(const QString& key)
{
    NewsSeek::get().setCaption(key);
    NewsSeek::get().Show();
}

void weatherRequest(const QString& key, const QString& question)
{
    WeatherSeek::get().Show();
    WeatherSeek::get().setCaption(key);
    WeatherSeek::get().Label1->setCaption(question);
}

// Shows the family's add dialog, or says that the family is full.
template <class Dialog> void addLinkCommand(weblinks::LinkFamily family)
{
    if (weblinks::firstFreeSlot(family) == 0) {
        plat::MsgBox(weblinks::limitMessage(family), plat::vbOKOnly);
        return;
    }
    Dialog::get().Show();
}

void removeLinkCommand(const QString& caption)
{
    DeLink::get().setCaption(caption);
    DeLink::get().Show();
}

} // namespace

// --- auctions ---

void Form1::mnuAuctionGuide_Click()
{
    auctionRequest("Auction Guide");
}
void Form1::mnuBentMonkey_Click()
{
    auctionRequest("Bent Monkey");
}
void Form1::mnuBid4Assets_Click()
{
    auctionRequest("Bid 4 Assets");
}
void Form1::mnuBuySellTrades_Click()
{
    auctionRequest("Buy Sell Trades");
}
void Form1::mnuEbay_Click()
{
    auctionRequest("Ebay");
}
void Form1::mnuSothebys_Click()
{
    auctionRequest("Sotheby's");
}
void Form1::mnuSportsCollective_Click()
{
    auctionRequest("Sports Collective");
}
void Form1::VisitAquaBid()
{
    auctionRequest("Aqua Bid");
}
void Form1::VisitBarrettJackson()
{
    auctionRequest("Barrett-Jackson");
}
void Form1::VisitGreatLakes()
{
    auctionRequest("Great Lakes");
}
void Form1::VisitMarketStand()
{
    auctionRequest("Market Stand");
}
void Form1::VisitQuickBid4U()
{
    auctionRequest("Quick Bid 4 U");
}

// The slot's caption is read at the click, as it is.
void Form1::AuctionSlotClick(int n)
{
    const QString name = mnuAuc.at(std::size_t(n - 1))->text();
    ASeek& dlg = ASeek::get();
    dlg.Show();
    dlg.Label1->setCaption("          Visit " + name + " Auction ?");
    dlg.setCaption("Search " + name + " Website");
    dlg.chosenSlot = {n, dlg.Caption()};
}

// --- news ---

void Form1::mnuABCNews_Click()
{
    newsRequest("ABC News", "        Visit " + menuItem("mnuABCNews")->text() + "?");
}
void Form1::mnuCNNNews_Click()
{
    newsRequest("CNN", "           Visit " + menuItem("mnuCNNNews")->text() + "?");
}
void Form1::mnuCBSNews_Click()
{
    newsRequest("CBS News", "        Visit " + menuItem("mnuCBSNews")->text() + "?");
}
void Form1::mnuFoxNews_Click()
{
    newsRequest("Fox News", "        Visit " + menuItem("mnuFoxNews")->text() + "?");
}
void Form1::mnuUSAToday_Click()
{
    newsRequest("USA Today", "        Visit USA Today?");
}
void Form1::VisitAllQuartets()
{
    newsRequestCaptionFirst("All Quartets");
}
void Form1::VisitGoodNews()
{
    newsRequestCaptionFirst("Good News 93.1");
}
void Form1::VisitGospel()
{
    newsRequestCaptionFirst("Gospel 90.3");
}
void Form1::VisitHisKidsRadio()
{
    newsRequestCaptionFirst("His Kids Radio");
}
void Form1::VisitRejoice()
{
    newsRequestCaptionFirst("Rejoice");
}

// --- weather ---

void Form1::mnuNOAA_Click()
{
    weatherRequest("National Oceanic and Atmosperic Administration",
                   "                   Visit NOAA?");
}
void Form1::mnuWeatherChannel_Click()
{
    weatherRequest("The Weather Channel", "       Visit The Weather Channel?");
}
void Form1::mnuYaho_Click()
{
    weatherRequest("Yahoo Weather", "       Visit Yahoo weather?");
}

// --- search engines ---

// The text of the last search stays in the field, ready for the next engine.
void Form1::EngineRequest(const QString& key, const QString& labelWord)
{
    ISeek& dlg = ISeek::get();
    dlg.setCaption(key);
    dlg.Show();
    dlg.Label1->setCaption("       Search " + labelWord + " For Infomation On:");
    dlg.Text1->setVisible(true);
}

void Form1::mnuAbout_Click()
{
    EngineRequest("Search About", "About");
}
void Form1::mnuAllTheWeb_Click()
{
    EngineRequest("Search All The Web", "AllTheWeb");
}
void Form1::mnuAol_Click()
{
    EngineRequest("Search AOL", "Aol");
}
void Form1::mnuAltaVista_Click()
{
    EngineRequest("Search AltaVista", "AltaVista");
}
void Form1::mnuAskJeeves_Click()
{
    EngineRequest("Search Ask Jeeves", "Ask Jeeves");
}
void Form1::mnuBigEye_Click()
{
    EngineRequest("Search Big Eye", "BigEye");
}
void Form1::mnuCnet_Click()
{
    EngineRequest("Search CNET", "CNET");
}
void Form1::mnuDmoz_Click()
{
    EngineRequest("Search Dmoz", "Dmoz");
}
void Form1::mnuEarthLink_Click()
{
    EngineRequest("Search EarthLink", "EarthLink");
}
void Form1::mnuGoogle_Click()
{
    EngineRequest("Search Google", "Google");
}
void Form1::mnuHotBot_Click()
{
    EngineRequest("Search HotBot", "HotBot");
}
void Form1::mnuInktomi_Click()
{
    EngineRequest("Search Inktomi", "InkTomi");
}
void Form1::mnuIsleuth_Click()
{
    EngineRequest("Search Internet Sleuth", "Internet Sleuth");
}
void Form1::mnuIxquick_Click()
{
    EngineRequest("Search Ixquick", "Ixquick");
}
void Form1::mnuLookSmart_Click()
{
    EngineRequest("Search LookSmart", "LookSmart");
}
void Form1::mnuLycos_Click()
{
    EngineRequest("Search Lycos", "Lycos");
}
void Form1::mnuMamma_Click()
{
    EngineRequest("Search Mamma", "Mamma");
}
void Form1::mnuMetaCrawler_Click()
{
    EngineRequest("Search MetaCrawler", "MetaCrawler");
}
void Form1::mnuMSN_Click()
{
    EngineRequest("Search MSN", "MSN");
}
void Form1::mnuTeoma_Click()
{
    EngineRequest("Search Teoma", "Teoma");
}
void Form1::mnuWiseNut_Click()
{
    EngineRequest("Search WiseNut", "WiseNut");
}
void Form1::mnuYahoo_Click()
{
    EngineRequest("Search Yahoo", "Yahoo");
}
void Form1::SearchInfoSeek()
{
    EngineRequest("Search InfoSeek", "InfoSeek");
}
void Form1::SearchIwon()
{
    EngineRequest("Search Iwon", "Iwon");
}
void Form1::SearchNorthernLight()
{
    EngineRequest("Search Northern Light", "Northern Light");
}
void Form1::SearchOverture()
{
    EngineRequest("Search Overture", "Overture");
}

void Form1::SearchSavvy()
{
    ISeek::get().setCaption("Search Savvy");
    ISeek::get().Show();
}

void Form1::ShowSearchLauncher()
{
    Inet::get().Show();
}

// An engine link needs no search text: the field is hidden.
void Form1::EngineSlotClick(int n)
{
    const QString name = mnuYes.at(std::size_t(n - 1))->text();
    ISeek& dlg = ISeek::get();
    dlg.Show();
    dlg.Label1->setCaption((n <= 8 ? "Search " : "       Search ") + name);
    dlg.setCaption("Quorbix " + name + " Search");
    dlg.chosenSlot = {n, dlg.Caption()};
    dlg.Text1->setVisible(false);
}

// --- favourites ---

void Form1::FavoriteSlotClick(int n)
{
    const QString name = mnuFav.at(std::size_t(n - 1))->text();
    FavSeek& dlg = FavSeek::get();
    dlg.Show();
    dlg.Label1->setCaption("Visit " + name + " ?");
    dlg.setCaption("Visit " + name + " Website");
    dlg.chosenSlot = {n, dlg.Caption()};
}

// --- adding and removing links ---

void Form1::mnuAddALink_Click()
{
    addLinkCommand<ALink>(weblinks::LinkFamily::Auction);
}
void Form1::mnuFav0_Click()
{
    addLinkCommand<FavLink>(weblinks::LinkFamily::Favorite);
}

void Form1::mnuAddSLink_Click()
{
    if (weblinks::firstFreeSlot(weblinks::LinkFamily::Engine) != 0)
        SLink::get().setCaption("Add Search Engine Link");
    addLinkCommand<SLink>(weblinks::LinkFamily::Engine);
}

void Form1::mnuRemoveALink_Click()
{
    removeLinkCommand(DeLink::kAuctionCaption);
}
void Form1::mnuRemoveFav_Click()
{
    removeLinkCommand(DeLink::kFavoriteCaption);
}
void Form1::mnuRemoveSLink_Click()
{
    removeLinkCommand(DeLink::kEngineCaption);
}
void Form1::RemoveChristianLink()
{
    removeLinkCommand(DeLink::kChristianCaption);
}
