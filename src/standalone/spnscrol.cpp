#include "standalone/spnscrol.h"

#include "controls/controls.h"
#include "controls/handlers.h"
#include "standalone/spin.h"

SpnScrol::SpnScrol()
{
    setObjectName("SpnScrol");
    setCaption("Form1");
    setBorderStyle(ctl::BorderStyle::None);
    setClientSizeTwips(510, 2430);
    VScroll1 = new VScrollBar(client(), "VScroll1");
    ctl::Move(VScroll1, 0, 0, 495, 2415);
    ctl::onSignal(VScroll1, &VScrollBar::Change, this, &SpnScrol::VScroll1_Change);
    ctl::onSignal(VScroll1, &VScrollBar::Scroll, this, &SpnScrol::VScroll1_Scroll);
}

void SpnScrol::VScroll1_Change()
{
    Spin::get().Command1->Press();
}
void SpnScrol::VScroll1_Scroll()
{
    Spin::get().Command1->Press();
}
