#pragma once
// Adding a search-engine link; its add command sets the caption.
#include "weblinks/addlinkdialog.h"

class SLink : public weblinks::AddLinkDialog<SLink> {
    Q_OBJECT
  public:
    SLink();
};
