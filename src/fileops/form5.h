#pragma once
// The copy-to dialog of pane 2.
#include "fileops/copytodialog.h"

class Form5 : public CopyToDialog<Form5, 2> {
  public:
    Form5();
};
