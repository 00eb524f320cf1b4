#pragma once
// "Visit ... ?" for a favourite: the caption is the request the favourite
// launcher looks up.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "weblinks/linkslots.h"

class FavSeek : public ctl::Form<FavSeek> {
    Q_OBJECT
  public:
    FavSeek();

    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;           // the question

    // The link slot whose item wrote the request, if one did.
    weblinks::ChosenSlot chosenSlot;

    void Command1_Click();
    void Command2_Click();
};
