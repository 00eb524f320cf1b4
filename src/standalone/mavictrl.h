#pragma once
// One animation control ("SysAnimate32") as a child of a given parent,
// playing a clip from a file or from a module's resource.
#include "platform/hwnd.h"
#include "platform/resources.h"

#include <QString>

namespace mAVICtrl {

extern bool ClassReady;
extern plat::win::HWND AnimationWindow;
extern plat::res::HMODULE ResourceModule;

bool ShowAnimation(plat::win::HWND hParent, const QString& file, qint32 resourceNumber, bool centre,
                   bool autoPlay, bool transparent);
void CloseAnimation();
void InitAnimateClass(quint32 classFlags);
void CenterAnimation(plat::win::HWND hParent);

} // namespace mAVICtrl
