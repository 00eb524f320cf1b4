#include "weblinks/regmodule_links.h"

#include "mainwindow/module3.h"

namespace RegModule {

namespace {

bool saveInFirstFreeSlot(weblinks::LinkFamily family, const QString& key, const QString& text)
{
    const int n = weblinks::firstFreeSlot(family);
    if (n == 0) return true;
    return Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, key, weblinks::slotName(family, n),
                                  text);
}

} // namespace

bool SaveLinkCaption(weblinks::LinkFamily family, const QString& name)
{
    return saveInFirstFreeSlot(family, weblinks::kMenuKey, name);
}

bool SaveLinkAddress(weblinks::LinkFamily family, const QString& address)
{
    return saveInFirstFreeSlot(family, weblinks::kAddressKey, address);
}

} // namespace RegModule
