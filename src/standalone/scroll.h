#pragma once
// A window with one hidden vertical scroll bar that presses the picture
// viewer's hidden button.
#include "controls/vbform.h"
#include "standalone/vscrollbar.h"

class Scroll : public ctl::Form<Scroll> {
    Q_OBJECT
  public:
    Scroll();
    VScrollBar* PicScroll;
    void PicScroll_Change();
    void PicScroll_Scroll();
};
