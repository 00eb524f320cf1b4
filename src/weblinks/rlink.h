#pragma once
// An add dialog that nothing opens; it has no slots of its own, so its Okay stores nothing.
#include "weblinks/addlinkdialog.h"

class RLink : public weblinks::AddLinkDialog<RLink> {
    Q_OBJECT
  public:
    RLink();
};
