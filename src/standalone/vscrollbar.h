#pragma once
// A vertical scroll bar with the two events of a Windows scroll bar: Change when the
// value has changed (a click, a key, the end of a drag) and Scroll at each
// step while the thumb is dragged. Range 0 to 32767, steps of 1.
#include <QScrollBar>

class VScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    VScrollBar(QWidget* parent, const char* name);
  signals:
    void Change();
    void Scroll();
};
