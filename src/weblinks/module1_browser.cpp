#include "weblinks/module1_browser.h"

#include "platform/browser.h"

namespace Module1 {

void CloseBrowserWindows()
{
    const std::unique_ptr<plat::BrowserAutomation> ie = plat::CreateBrowserAutomation();
    if (ie->Visible()) {
        for (plat::BrowserAutomation* window : plat::ShellWindows())
            window->Quit();
    }
}

} // namespace Module1
