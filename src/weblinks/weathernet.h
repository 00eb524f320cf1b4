#pragma once
// The weather launcher: opens the weather site that the weather dialog's
// caption names.
#include "controls/vbform.h"

class WeatherNet : public ctl::Form<WeatherNet> {
    Q_OBJECT
  public:
    WeatherNet();

  protected:
    void Form_Load() override;
    void Form_Unload() override;
};
