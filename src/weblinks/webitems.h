#pragma once
// The Internet menu's fixed items, one row each: the menu item, its
// caption, the request its dialog carries, the question the dialog asks and
// the page the launcher opens. The menu, the item's handler and the
// launcher all read the same row, so adding a site or an engine is one row.
#include <QList>
#include <QString>

#include <optional>

namespace weblinks {

// The dialog a row's request goes into, and the launcher behind it.
enum class WebDialog { Auction, News, Weather, Engine };

// Whether the request is written before the dialog is shown or after. Both
// orders occur: a dialog that loads on the show has its caption set either
// way, but the order decides which window the show finds already titled.
enum class RequestOrder { ShowFirst, CaptionFirst };

struct WebItem {
    WebDialog dialog;
    // The name the row is called by: the menu item's name ("mnuGoogle"), or
    // the handler's for a request no menu item makes ("VisitAquaBid");
    // empty for a page only a launcher knows.
    QString entry;
    // The menu caption; empty when the row has no menu item.
    QString caption;
    // The dialog's caption, which its launcher compares with its pages.
    QString request;
    // The dialog's prompt label; "{ITEM}" stands for the menu item's caption
    // as it reads at the click. Empty: the label is left as it is.
    QString question;
    // The page; "{TEXT}" marks each place of the search text. Empty: the
    // launcher has no page for this request and stays open, empty.
    QString address;
    RequestOrder order = RequestOrder::ShowFirst;
};

// Every fixed item, the menu's items in menu order within each dialog.
const QList<WebItem>& webItems();
// The row called by entry; every handler has one (a test walks them all).
const WebItem* webItem(const QString& entry);
// The page of the row of that dialog whose request is exactly the given one
// (whole and case-sensitive, as the launchers compare), with the search
// text, percent-encoded as UTF-8, at each of its places.
std::optional<QString> pageFor(WebDialog dialog, const QString& request,
                               const QString& searchText = QString());

} // namespace weblinks
