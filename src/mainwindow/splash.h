#pragma once
// The start-up window: counts its timer's ticks and closes itself at the
// 150th while the main window is already in use.
#include "controls/controls.h"
#include "controls/vbform.h"

#include <QFrame>
#include <array>

class Splash : public ctl::Form<Splash> {
    Q_OBJECT
  public:
    Splash();

    QFrame* Frame1;
    ctl::Label *Label1, *Label2, *Label3, *Label5, *lblCompanyProduct;
    std::array<ctl::TextBox*, 1> txtTime{};
    std::array<ctl::Timer*, 1> tmrTimer{};

    void tmrTimer_Timer(int Index);

    static constexpr int kLastTick = 150;
    static constexpr int kTickMs = 16;

  protected:
    void Form_Unload() override;

  private:
    std::array<qint32, 2> m_count{}; // one count per timer index
};
