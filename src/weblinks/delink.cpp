#include "weblinks/delink.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "mainwindow/module3.h"
#include "platform/msgbox.h"
#include "weblinks/linkslots.h"
#include "weblinks/webwindows.h"

namespace {
constexpr int kBackColor = 0xFF8080; // red 128, green 128, blue 255
const QString kAddressKeyAsWritten = QStringLiteral("Software\\Quorbix\\Weblinks");
} // namespace

DeLink::DeLink()
{
    setObjectName("DeLink");
    setCaption(QString());
    setBackColor(kBackColor);
    setClientSizeTwips(5520, 2010);
    QWidget* c = client();
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 2760, 840, 2040, 405);
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 1080, 1200, 1335, 255);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 1080, 720, 1335, 250);
    Label1 = new ctl::Label(c, "Label1", "Link name to remove");
    ctl::Move(Label1, 2880, 600, 1935, 375);
    weblinks::styleLabel(Label1, 8.25, 0, kBackColor);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();
    weblinks::makeFixedToolWindow(this);
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

void DeLink::Command1_Click()
{
    using weblinks::LinkFamily;
    const auto hkcu = Module3::HKEY_CURRENT_USER;
    LinkFamily family = LinkFamily::Auction;
    if (Caption() == kEngineCaption)
        family = LinkFamily::Engine;
    else if (Caption() == kFavoriteCaption)
        family = LinkFamily::Favorite;

    // An empty name names no link; for auctions it would "remove" the free
    // slots and report nothing, so every family refuses it.
    const QString name = Text1->Text();
    if (name.isEmpty()) {
        plat::MsgBox("Please enter name of link as it appears to continue", plat::vbOKOnly);
        return;
    }

    QStringList captions;
    for (int n = 1; n <= weblinks::slotCount(family); ++n)
        captions << Module3::ReadRegValue(hkcu, weblinks::kMenuKey, weblinks::slotName(family, n));

    int removed = 0;
    bool failed = false;
    for (int n = 1; n <= weblinks::slotCount(family); ++n) {
        if (name != captions.at(n - 1)) continue;
        const QString value = weblinks::slotName(family, n);
        Module3::DeleteRegValue(hkcu, weblinks::kMenuKey, value);
        Module3::DeleteRegValue(hkcu, kAddressKeyAsWritten, value);
        // A name the store still holds would bring the link back at the next
        // start: the link stays, and the user is told.
        if (!Module3::ReadRegValue(hkcu, weblinks::kMenuKey, value).isNull()) {
            failed = true;
            continue;
        }
        weblinks::slotItem(family, n)->setVisible(false);
        ++removed;
    }

    if (failed) {
        plat::MsgBox("The link could not be removed.", plat::vbOKOnly | plat::vbExclamation);
        return;
    }
    // Closing without a word would look like a removal; the name is kept for
    // the user to correct.
    if (removed == 0) {
        plat::MsgBox("Please enter name of link as it appears to continue", plat::vbOKOnly);
        return;
    }
    Unload();
}

void DeLink::Command2_Click()
{
    Unload();
}
