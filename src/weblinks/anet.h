#pragma once
// The auction launcher: opens the fixed auction site or the auction link
// that the auction dialog's caption names.
#include "controls/vbform.h"

class ANet : public ctl::Form<ANet> {
    Q_OBJECT
  public:
    ANet();

  protected:
    void Form_Load() override;
    void Form_Unload() override;
};
