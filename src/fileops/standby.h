#pragma once
// The wait window: a thin red bar that types its text one character per
// timer tick, or stays blank for as many ticks, while a file operation
// holds the user's attention. Callers drive it through its members and its
// hidden buttons.
#include "controls/controls.h"
#include "controls/vbform.h"

class Standby : public ctl::Form<Standby> {
    Q_OBJECT
  public:
    Standby();

    ctl::Label* Label1;
    ctl::TextBox* Text1; // hidden: the text to type, or whose length sets the wait
    ctl::Timer* Timer1;
    ctl::CommandButton* Command1; // hidden: type out
    ctl::CommandButton* Command2; // hidden: close
    ctl::CommandButton* Command3; // hidden: wait

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Timer1_Timer();

  private:
    // One timer period. Sleeps in the event loop until the tick arrives;
    // false when the window was closed meanwhile, which ends the caller's
    // type-out or wait.
    bool Tick();
};
