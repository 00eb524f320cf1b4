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
#include "weblinks/webitems.h"

namespace {

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

// Writes a fixed item's request into its dialog, in the row's order; the
// question, where the row has one, goes into the dialog's prompt.
template <class Dialog> Dialog& writeRequest(const weblinks::WebItem& item, const QString& question)
{
    Dialog& dlg = Dialog::get();
    if (item.order == weblinks::RequestOrder::CaptionFirst) dlg.setCaption(item.request);
    dlg.Show();
    if (item.order == weblinks::RequestOrder::ShowFirst) dlg.setCaption(item.request);
    if (!question.isEmpty()) dlg.Label1->setCaption(question);
    return dlg;
}

} // namespace

void Form1::WebItemRequest(const QString& entry)
{
    using weblinks::WebDialog;
    const weblinks::WebItem* item = weblinks::webItem(entry);
    Q_ASSERT_X(item, "Form1::WebItemRequest", "an entry point without its row");
    if (!item) return;
    QString question = item->question;
    if (question.contains(QLatin1String("{ITEM}")))
        question.replace(QLatin1String("{ITEM}"), menuItem(item->entry)->text());
    switch (item->dialog) {
    case WebDialog::Auction:
        writeRequest<ASeek>(*item, question);
        break;
    case WebDialog::News:
        writeRequest<NewsSeek>(*item, question);
        break;
    case WebDialog::Weather:
        writeRequest<WeatherSeek>(*item, question);
        break;
    case WebDialog::Engine:
        // The text of the last search stays in the field, ready for the
        // next engine.
        if (ISeek& dlg = writeRequest<ISeek>(*item, question); !question.isEmpty())
            dlg.Text1->setVisible(true);
        break;
    }
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
