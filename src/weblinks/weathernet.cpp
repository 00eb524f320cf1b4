#include "weblinks/weathernet.h"

#include "platform/app.h"
#include "platform/process.h"
#include "weblinks/launcher.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/weatherseek.h"

namespace {

const weblinks::SiteEntry kWeatherSites[] = {
    {"National Oceanic and Atmosperic Administration", "http://www.noaa.gov/"},
    {"The Weather Channel", "http://www.weather.com"},
    {"Yahoo Weather", "http://weather.yahoo.com/"},
};

} // namespace

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
        weblinks::lookUp(kWeatherSites, WeatherSeek::get().Caption());
    if (!address) return; // stays loaded, as an empty window
    weblinks::StartBrowser(*address, plat::vbMaximizedFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}

void WeatherNet::Form_Unload()
{
    WeatherSeek::UnloadIfLoaded();
}
