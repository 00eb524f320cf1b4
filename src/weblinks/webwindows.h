#pragma once
// What the web dialogs and launchers share in their looks: the small fixed
// tool window, label styling and the background pictures (centring is
// ctl::centreOnScreen, shared with the other dialogs).
#include "controls/controls.h"
#include "controls/vbform.h"

#include <QPixmap>

namespace weblinks {

// No minimise or maximise button, no task-bar entry, fixed size.
void makeFixedToolWindow(ctl::VbForm* window);
// A label in bold "MS Sans Serif" on its own background.
void styleLabel(ctl::Label* label, double points, int foreColor, int backColor);
ctl::CommandButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                               double left, double top, double width, double height);
// A picture drawn from the window's top left corner, behind the controls.
void setBackgroundPicture(ctl::VbForm* window, const QPixmap& picture);
QPixmap auctionPicture(); // a gavel over a blue field
QPixmap newsPicture();    // 290 x 216: a broadcast mast

} // namespace weblinks
