#pragma once
// A launcher is a window without controls that does all its work while it
// loads: it looks its dialog's request up, starts the browser and unloads
// itself. It is seen only when it stays loaded (nothing matched, or the
// browser's automation object was busy).
#include "controls/vbform.h"
#include "weblinks/webwindows.h"

#include <QString>
#include <optional>

namespace weblinks {

struct SiteEntry {
    const char* key;
    const char* address;
};

// The address of the first key equal to the request, compared whole and
// case-sensitively.
template <std::size_t N>
std::optional<QString> lookUp(const SiteEntry (&table)[N], const QString& request)
{
    for (const SiteEntry& e : table)
        if (request == QString::fromUtf8(e.key)) return QString::fromUtf8(e.address);
    return std::nullopt;
}

// The launchers' empty window: no caption, 4680 x 3195 twips.
inline void setUpLauncherWindow(ctl::VbForm* w, bool maximised)
{
    w->setCaption(QString());
    w->setBackColor(vbHighlightText);
    w->setClientSizeTwips(4680, 3195);
    if (maximised) w->setWindowState(Qt::WindowMaximized);
}

} // namespace weblinks
