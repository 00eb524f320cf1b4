#include "weblinks/newsnet.h"

#include "platform/process.h"
#include "weblinks/launcher.h"
#include "weblinks/newsseek.h"
#include "weblinks/openinbrowser.h"

namespace {

const weblinks::SiteEntry kNewsSites[] = {
    {"ABC News", "http://abcnews.go.com"},
    {"CBS News", "http://www.cbsnews.com"},
    {"CNN", "http://www.cnn.com"},
    {"Fox News", "http://www.foxnews.com"},
    {"NBC News", "http://www.msnbc.com/news/natlnews_front.asp?0dm=-20FN"},
    {"USA Today", "http://www.usatoday.com"},
};

} // namespace

NewsNet::NewsNet()
{
    setObjectName("NewsNet");
    weblinks::setUpLauncherWindow(this, true);
}

void NewsNet::Form_Load()
{
    auto browser = weblinks::OpenBrowserObject();
    const std::optional<QString> address = weblinks::lookUp(kNewsSites, NewsSeek::get().Caption());
    if (!address) return; // stays loaded, as an empty window
    weblinks::StartBrowser(*address, plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void NewsNet::Form_Unload()
{
    NewsSeek::UnloadIfLoaded();
}
