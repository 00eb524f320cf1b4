#pragma once
// The help window: a fixed, read-only help text over the whole screen.
#include "controls/controls.h"
#include "controls/vbform.h"

class Help1 : public ctl::Form<Help1> {
    Q_OBJECT
  public:
    Help1();

    ctl::MultiLineTextBox* Text1;
    QMenu* mnuExit0;
    QAction* MnuExit1;

    // The help text, lines separated by CR LF, with a CR LF after the last.
    static QString HelpText();

    void MnuExit1_Click();

  protected:
    void Form_Load() override;
};
