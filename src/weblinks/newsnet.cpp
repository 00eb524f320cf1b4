#include "weblinks/newsnet.h"

#include "platform/process.h"
#include "weblinks/launcher.h"
#include "weblinks/newsseek.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/webitems.h"

NewsNet::NewsNet()
{
    setObjectName("NewsNet");
    weblinks::setUpLauncherWindow(this, true);
}

void NewsNet::Form_Load()
{
    auto browser = weblinks::OpenBrowserObject();
    const std::optional<QString> address =
        weblinks::pageFor(weblinks::WebDialog::News, NewsSeek::get().Caption());
    if (!address) return; // stays loaded, as an empty window
    weblinks::StartBrowser(*address, plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void NewsNet::Form_Unload()
{
    NewsSeek::UnloadIfLoaded();
}
