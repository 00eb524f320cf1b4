#pragma once
// "Go to Auction?": the caption is the request the auction launcher looks up.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "weblinks/linkslots.h"

class ASeek : public ctl::Form<ASeek> {
    Q_OBJECT
  public:
    ASeek();

    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;           // the question

    // The link slot whose item wrote the request, if one did.
    weblinks::ChosenSlot chosenSlot;

    void Command1_Click();
    void Command2_Click();
};
