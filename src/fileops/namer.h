#pragma once
// The folder-rename dialog: the caller writes the folder's full path into
// Text1; the user types the new name into Text2.
#include "controls/controls.h"
#include "controls/vbform.h"

class Namer : public ctl::Form<Namer> {
    Q_OBJECT
  public:
    Namer();

    ctl::TextBox* Text2; // the new name
    ctl::TextBox* Text1; // shown, not editable: the folder to rename
    ctl::Label* Label1;  // hidden
    ctl::Label* Label2;
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel

    void Command1_Click();
    void Command2_Click();
};
