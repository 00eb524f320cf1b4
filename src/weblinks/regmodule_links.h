#pragma once
// Storing a new link in the first free slot of its family: its name under
// the menu key, its address under the address key. The add dialog whose
// Okay runs passes its family; LinkFamily::None stores nothing.
#include "weblinks/linkslots.h"

namespace RegModule {

// False when the store did not keep the text (Module3::LastFailure says why);
// true also when there is nothing to store.
bool SaveLinkCaption(weblinks::LinkFamily family, const QString& name);
bool SaveLinkAddress(weblinks::LinkFamily family, const QString& address);

} // namespace RegModule
