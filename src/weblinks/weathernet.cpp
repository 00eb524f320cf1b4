#include "weblinks/weathernet.h"

#include "platform/app.h"
#include "platform/process.h"
#include "weblinks/launcher.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/weatherseek.h"
#include "weblinks/webitems.h"

WeatherNet::WeatherNet()
{
    setObjectName("WeatherNet");
    weblinks::setUpLauncherWindow(this, false);
}

void WeatherNet::Form_Load()
{
    auto browser = weblinks::OpenBrowserObject();
    plat::DoEvents();
    const std::optional<QString> address =
        weblinks::pageFor(weblinks::WebDialog::Weather, WeatherSeek::get().Caption());
    if (!address) return; // stays loaded, as an empty window
    weblinks::StartBrowser(*address, plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void WeatherNet::Form_Unload()
{
    WeatherSeek::UnloadIfLoaded();
}
