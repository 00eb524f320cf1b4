#include "weblinks/anet.h"

#include "platform/process.h"
#include "weblinks/aseek.h"
#include "weblinks/launcher.h"
#include "weblinks/linkslots.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/webitems.h"

ANet::ANet()
{
    setObjectName("ANet");
    weblinks::setUpLauncherWindow(this, true);
}

void ANet::Form_Load()
{
    using weblinks::LinkFamily;
    auto browser = weblinks::OpenBrowserObject();
    const ASeek& dialog = ASeek::get();
    const QString request = dialog.Caption();
    std::optional<QString> address = weblinks::pageFor(weblinks::WebDialog::Auction, request);
    if (!address) {
        const QStringList stored = weblinks::storedAddresses(LinkFamily::Auction);
        const int n = weblinks::slotForRequest(LinkFamily::Auction, dialog.chosenSlot, "Search ",
                                               request, " Website");
        if (n > 0) address = stored.at(n - 1);
    }
    if (!address) return; // stays loaded, as an empty window
    weblinks::StartBrowser(*address, plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void ANet::Form_Unload()
{
    ASeek::UnloadIfLoaded();
}
