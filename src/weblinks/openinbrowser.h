#pragma once
// Opening a page in the external web browser: the steps every launcher runs
// in its load handler, in this order: OpenBrowserObject, the launcher's own
// lookup, StartBrowser, CloseBrowserObject.
#include "platform/browser.h"

#include <QString>
#include <memory>

namespace weblinks {

// The opening step: the automation object, or null when it cannot be created.
std::unique_ptr<plat::BrowserAutomation> OpenBrowserObject();

// The start step: "c:\progra~1\intern~1\iexplore " + address, unquoted, in
// the window style (1 normal, 3 maximised). Failures are ignored.
void StartBrowser(const QString& address, int windowStyle);

// The closing step: when the object is not busy (or there is none), tells it
// to quit and returns true: the launcher unloads. Busy: returns false, and
// the launcher stays loaded.
bool CloseBrowserObject(plat::BrowserAutomation* object);

} // namespace weblinks
