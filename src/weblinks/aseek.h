#pragma once
// "Go to Auction?": the caption is the request the auction launcher looks up.
#include "controls/controls.h"
#include "controls/vbform.h"

class ASeek : public ctl::Form<ASeek> {
    Q_OBJECT
  public:
    ASeek();

    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;           // the question

    void Command1_Click();
    void Command2_Click();
};
