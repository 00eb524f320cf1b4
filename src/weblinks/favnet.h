#pragma once
// The favourite launcher: opens the stored address of the favourite that the
// favourite dialog's caption names.
#include "controls/vbform.h"

class FavNet : public ctl::Form<FavNet> {
    Q_OBJECT
  public:
    FavNet();

  protected:
    void Form_Load() override;
    void Form_Unload() override;
};
