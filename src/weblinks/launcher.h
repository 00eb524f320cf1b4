#pragma once
// A launcher is a window without controls that does all its work while it
// loads: it looks its dialog's request up, starts the browser and unloads
// itself. It is seen only when it stays loaded (nothing matched, or the
// browser's automation object was busy).
#include "controls/vbform.h"
#include "platform/colors.h"
#include "weblinks/webwindows.h"

#include "platform/app.h"

#include <QString>

namespace weblinks {

// Shows a request dialog's launcher, which does its work while it loads.
// When it has launched it has unloaded itself, and the dialog with it; one
// that stays loaded (no page, or the browser busy) is left in view, and a
// dialog that hides behind it (hideBehind) does so once the launcher's
// window has had its events.
template <class Launcher> void showLauncher(ctl::VbForm& dialog, bool hideBehind)
{
    Launcher::get().Show();
    if (!hideBehind || !Launcher::IsLoaded()) return;
    plat::DoEvents();
    dialog.Hide();
}

// The launchers' empty window: no caption, 4680 x 3195 twips.
inline void setUpLauncherWindow(ctl::VbForm* w, bool maximised)
{
    w->setCaption(QString());
    w->setBackColor(plat::vbHighlightText);
    w->setClientSizeTwips(4680, 3195);
    if (maximised) w->setWindowState(Qt::WindowMaximized);
}

} // namespace weblinks
