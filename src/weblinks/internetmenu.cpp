#include "mainwindow/form1.h"
#include "weblinks/istart.h"
#include "weblinks/webitems.h"

// The Internet menu: fixed sites, search engines and the user's link slots.
void Form1::BuildInternetMenu()
{
    QMenu* m = mnuInternet;
    // The fixed items of one dialog, in their rows' order.
    const auto addFixedItems = [this](QMenu* menu, weblinks::WebDialog dialog) {
        for (const weblinks::WebItem& row : weblinks::webItems())
            if (row.dialog == dialog && !row.caption.isEmpty())
                item(menu, row.entry.toLatin1().constData(), row.caption,
                     [this, entry = row.entry] { WebItemRequest(entry); });
    };
    item(m, "mnuIStart", "Internet Start", [this] { mnuIStart_Click(); });
    item(m, "mnuSiteSearch", "Find WebSite ", nullptr);

    QMenu* auction = subMenu(m, "mnuAuction", "Auctions");
    addFixedItems(auction, weblinks::WebDialog::Auction);
    for (int i = 0; i < 10; ++i) {
        const QByteArray nm = "mnuAuc" + QByteArray::number(i + 1);
        mnuAuc[i] = item(auction, nm.constData(), QStringLiteral("Auc%1").arg(i + 1),
                         [this, i] { AuctionSlotClick(i + 1); });
        mnuAuc[i]->setVisible(false);
    }
    item(auction, "mnuAddALink", "Add Auction Link", [this] { mnuAddALink_Click(); });
    item(auction, "mnuRemoveALink", "Remove Auction Link", [this] { mnuRemoveALink_Click(); });

    QMenu* news = subMenu(m, "mnuStation0", "News Stations");
    addFixedItems(news, weblinks::WebDialog::News);

    QMenu* engines = subMenu(m, "mnuSearchEngines", "Fast Engine Search");
    addFixedItems(engines, weblinks::WebDialog::Engine);
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
    addFixedItems(weather, weblinks::WebDialog::Weather);
}

void Form1::mnuIStart_Click()
{
    IStart::get().Show();
}
