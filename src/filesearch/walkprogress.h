#pragma once
// What a folder walk shows as it goes. The walk yields after every entry so
// that the windows stay usable; its new rows and its progress text are shown
// once a frame, not at every yield, so that its lists are laid out and drawn
// some sixty times a second however fast the disk gives names.
#include "platform/app.h"

#include <QList>
#include <QString>
#include <initializer_list>

namespace ctl {
class Label;
class ListBox;
} // namespace ctl

class WalkProgress {
  public:
    // The progress label and the lists every entry goes to, in that order.
    WalkProgress(ctl::Label* label, std::initializer_list<ctl::ListBox*> lists);

    // Appends an entry to every list; it shows at the next frame, and any
    // read of a list sees it at once.
    void append(const QString& entry);
    // The progress text, shown at the next frame.
    void setCaption(const QString& caption);
    // Lets pending events run, as after every step of the walk; shows what
    // was gathered first when a frame is due.
    void yield();
    // Shows everything gathered, as at the end of a walk.
    void show();

  private:
    ctl::Label* m_label;
    QList<ctl::ListBox*> m_lists;
    QString m_caption;
    bool m_captionPending = false;
    plat::FrameClock m_frame;
};
