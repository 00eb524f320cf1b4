#pragma once
// The search-text dialog. Its caption is the search engine (or engine link)
// the launcher looks up, Text1 the search text; it is hidden, not closed,
// after a search, so the last text is offered again.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "weblinks/linkslots.h"

class ISeek : public ctl::Form<ISeek> {
    Q_OBJECT
  public:
    ISeek();

    ctl::Label* Label1;           // the prompt
    ctl::TextBox* Text1;          // the search text
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel

    // The link slot whose item wrote the request, if one did.
    weblinks::ChosenSlot chosenSlot;

    void Command1_Click();
    void Command2_Click();
    void Text1_KeyDown(int& KeyCode, int Shift);
};
