#pragma once
// The copy-to dialog of pane 1.
#include "fileops/copytodialog.h"

class Form2 : public CopyToDialog<Form2, 1> {
  public:
    Form2();
};
