#pragma once
// The file-rename dialog: the caller appends the file name to the caption
// and writes the file's full path into the hidden Text2; the user types the
// new name into Text1.
#include "controls/controls.h"
#include "controls/vbform.h"

class Namer2 : public ctl::Form<Namer2> {
    Q_OBJECT
  public:
    Namer2();

    ctl::Label* Label1;
    ctl::TextBox* Text1;          // the new name
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::TextBox* Text2;          // hidden: the file to rename

    void Command1_Click();
    void Command2_Click();
    void Text1_KeyDown(int KeyCode, int Shift);
};
