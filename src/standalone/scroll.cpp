#include "standalone/scroll.h"

#include "controls/controls.h"
#include "controls/handlers.h"
#include "standalone/realviewlink.h"

Scroll::Scroll()
{
    setObjectName("Scroll");
    setCaption("Scroll");
    setClientSizeTwips(1560, 3195);
    PicScroll = new VScrollBar(client(), "PicScroll");
    ctl::Move(PicScroll, 0, 0, 345, 3195);
    PicScroll->hide();
    ctl::onSignal(PicScroll, &VScrollBar::Change, this, &Scroll::PicScroll_Change);
    ctl::onSignal(PicScroll, &VScrollBar::Scroll, this, &Scroll::PicScroll_Scroll);
}

void Scroll::PicScroll_Change()
{
    RealViewLink::PressCommand6();
}
void Scroll::PicScroll_Scroll()
{
    RealViewLink::PressCommand6();
}
