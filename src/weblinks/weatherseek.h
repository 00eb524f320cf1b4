#pragma once
// "Visit ...?" for a weather site: the caption is the request the weather
// launcher looks up.
#include "controls/controls.h"
#include "controls/vbform.h"

class WeatherSeek : public ctl::Form<WeatherSeek> {
    Q_OBJECT
  public:
    WeatherSeek();

    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;           // the question

    void Command1_Click();
    void Command2_Click();
};
