#pragma once
// The new-folder dialog: the caller writes the parent folder into the hidden
// Text2; the user types the new folder's name into Text1.
#include "controls/controls.h"
#include "controls/vbform.h"

class FoldMaker : public ctl::Form<FoldMaker> {
    Q_OBJECT
  public:
    FoldMaker();

    ctl::TextBox* Text1; // the new folder's name
    ctl::Label* Label1;
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::TextBox* Text2;          // hidden: the parent folder, ending in a backslash

    void Command1_Click();
    void Command2_Click();
};
