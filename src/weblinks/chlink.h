#pragma once
// An add dialog that nothing opens; its Okay does nothing.
#include "weblinks/addlinkdialog.h"

class ChLink : public weblinks::AddLinkDialog<ChLink> {
    Q_OBJECT
  public:
    ChLink();

    void Command1_Click() override {}
};
