#include "weblinks/openinbrowser.h"

#include "platform/fileerror.h"
#include "platform/process.h"

namespace weblinks {

std::unique_ptr<plat::BrowserAutomation> OpenBrowserObject()
{
    try {
        return plat::CreateBrowserAutomation();
    } catch (...) {
        return nullptr;
    }
}

void StartBrowser(const QString& address, int windowStyle)
{
    try {
        plat::Shell(plat::kBrowserCommand + address, windowStyle);
    } catch (...) {
    }
}

bool CloseBrowserObject(plat::BrowserAutomation* object)
{
    if (!object) return true;
    bool busy = false;
    try {
        busy = object->Busy();
    } catch (...) {
        busy = false;
    }
    if (busy) return false;
    try {
        object->Quit();
    } catch (...) {
    }
    return true;
}

} // namespace weblinks
