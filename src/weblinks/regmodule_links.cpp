#include "weblinks/regmodule_links.h"

#include "mainwindow/module3.h"

namespace RegModule {

namespace {

void saveInFirstFreeSlot(weblinks::LinkFamily family, const QString& key, const QString& text)
{
    const int n = weblinks::firstFreeSlot(family);
    if (n == 0) return;
    Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, key, weblinks::slotName(family, n), text);
}

} // namespace

void SaveLinkCaption(weblinks::LinkFamily family, const QString& name)
{
    saveInFirstFreeSlot(family, weblinks::kMenuKey, name);
}

void SaveLinkAddress(weblinks::LinkFamily family, const QString& address)
{
    saveInFirstFreeSlot(family, weblinks::kAddressKey, address);
}

} // namespace RegModule
