#pragma once
// Adding an auction link.
#include "weblinks/addlinkdialog.h"

class ALink : public weblinks::AddLinkDialog<ALink> {
    Q_OBJECT
  public:
    ALink();
};
