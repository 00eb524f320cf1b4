#include "weblinks/favnet.h"

#include "platform/process.h"
#include "weblinks/favseek.h"
#include "weblinks/launcher.h"
#include "weblinks/linkslots.h"
#include "weblinks/openinbrowser.h"

FavNet::FavNet()
{
    setObjectName("FavNet");
    weblinks::setUpLauncherWindow(this, false);
}

void FavNet::Form_Load()
{
    using weblinks::LinkFamily;
    auto browser = weblinks::OpenBrowserObject();
    const QStringList stored = weblinks::storedAddresses(LinkFamily::Favorite);
    const FavSeek& dialog = FavSeek::get();
    const int n = weblinks::slotForRequest(LinkFamily::Favorite, dialog.chosenSlot, "Visit ",
                                           dialog.Caption(), " Website");
    if (n == 0) return; // stays loaded, as an empty window
    weblinks::StartBrowser(stored.at(n - 1), plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void FavNet::Form_Unload()
{
    FavSeek::UnloadIfLoaded();
}
