#pragma once
// A borderless window with one vertical scroll bar that presses a button of
// the counter window, which loads that window (hidden) when it is not loaded.
#include "controls/vbform.h"
#include "standalone/vscrollbar.h"

class SpnScrol : public ctl::Form<SpnScrol> {
    Q_OBJECT
  public:
    SpnScrol();
    VScrollBar* VScroll1;
    void VScroll1_Change();
    void VScroll1_Scroll();
};
