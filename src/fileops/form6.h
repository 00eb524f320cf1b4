#pragma once
// The copy-to dialog of pane 3.
#include "fileops/copytodialog.h"

class Form6 : public CopyToDialog<Form6, 3> {
  public:
    Form6();
};
