#pragma once
// The copy-to dialog of pane 5.
#include "fileops/copytodialog.h"

class Form8 : public CopyToDialog<Form8, 5> {
  public:
    Form8();
};
