#pragma once
// The viewer's picture beside a counter field that a timer sets every two
// seconds.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "standalone/picturebox.h"

#include <array>

class Spin : public ctl::Form<Spin> {
    Q_OBJECT
  public:
    Spin();

    PictureBox* Picture1;
    PictureBox* Picture2;
    ctl::CommandButton *Command1, *Command2, *Command3;
    std::array<ctl::TextBox*, 1> txtTime{};
    std::array<ctl::Timer*, 1> tmrTimer{};
    std::array<qint32, 2> counter{}; // one per timer index

    void tmrTimer_Timer(int Index);

  protected:
    void Form_Load() override;
};
