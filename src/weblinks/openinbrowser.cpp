#include "weblinks/openinbrowser.h"

#include "platform/fileerror.h"
#include "platform/process.h"

namespace weblinks {

std::unique_ptr<plat::BrowserAutomation> OpenBrowserObject()
{
    try {
        return plat::CreateBrowserAutomation();
    } catch (...) {
        // The automation object is the browser's, not ours, and may fail in
        // any way; without one the launch still starts the browser.
        return nullptr;
    }
}

void StartBrowser(const QString& address, int windowStyle)
{
    try {
        plat::Shell(plat::kBrowserCommand + address, windowStyle);
    } catch (const plat::FileError&) {
        // Launchers never show a message: a browser that cannot be started
        // shows no page, and the launcher closes as after a start.
    }
}

bool CloseBrowserObject(plat::BrowserAutomation* object)
{
    if (!object) return true;
    bool busy = false;
    try {
        busy = object->Busy();
    } catch (...) {
        // Whatever the browser's object throws, a browser that cannot say
        // it is busy is taken as done, so the launcher can close.
        busy = false;
    }
    if (busy) return false;
    try {
        object->Quit();
    } catch (...) {
        // A browser that refuses to quit is left running; the launcher
        // closes all the same (any failure of the browser's object).
    }
    return true;
}

} // namespace weblinks
