#pragma once
// The copy-to dialog of pane 4.
#include "fileops/copytodialog.h"

class Form7 : public CopyToDialog<Form7, 4> {
  public:
    Form7();
};
