#include "standalone/mavictrl.h"

#include "platform/animation.h"
#include "standalone/mmci.h"

namespace mAVICtrl {

bool ClassReady = false;
plat::win::HWND AnimationWindow = 0;
plat::res::HMODULE ResourceModule = 0;

namespace {
constexpr quint32 kChildVisible = 0x50000000;

void FailureStep()
{
    if (ResourceModule != 0) plat::res::FreeLibrary(ResourceModule);
    if (AnimationWindow != 0) plat::win::DestroyWindow(AnimationWindow);
    ResourceModule = 0;
    AnimationWindow = 0;
}
} // namespace

bool ShowAnimation(plat::win::HWND hParent, const QString& file, qint32 resourceNumber, bool centre,
                   bool autoPlay, bool transparent)
{
    using namespace plat::win;
    if (!ClassReady) InitAnimateClass(plat::comctl::ICC_ANIMATE_CLASS);
    quint32 style = kChildVisible;
    if (autoPlay) style += ACS_AUTOPLAY;
    if (transparent) style += ACS_TRANSPARENT;
    if (AnimationWindow != 0) {
        DestroyWindow(AnimationWindow);
        AnimationWindow = 0;
    }
    qintptr opened = 0;
    if (resourceNumber == 0) {
        AnimationWindow = CreateWindowExA(0, "SysAnimate32", QString(), style, 0, 0, 0, 0, hParent,
                                          0, plat::res::programInstance(), 0);
        opened = SendMessageA(AnimationWindow, ACM_OPENA, 500, file);
    } else {
        ResourceModule = plat::res::LoadLibraryA(file);
        if (ResourceModule == 0) {
            FailureStep();
            return false;
        }
        AnimationWindow = CreateWindowExA(0, "SysAnimate32", QString(), style, 0, 0, 0, 0, hParent,
                                          0, ResourceModule, 0);
        opened = SendMessageA(AnimationWindow, ACM_OPENA, 0, qintptr(resourceNumber));
    }
    if (opened == 0 || AnimationWindow == 0) {
        FailureStep();
        return false;
    }
    if (centre) CenterAnimation(hParent);
    SendMessageA(AnimationWindow, ACM_PLAY, -1, qintptr(0));
    return true;
}

void CloseAnimation()
{
    using namespace plat::win;
    if (AnimationWindow != 0) {
        SendMessageA(AnimationWindow, ACM_STOP, 0, qintptr(0));
        SendMessageA(AnimationWindow, ACM_OPENA, 0, qintptr(0));
        DestroyWindow(AnimationWindow);
    }
    if (ResourceModule != 0) plat::res::FreeLibrary(ResourceModule);
    AnimationWindow = 0;
    ResourceModule = 0;
}

void InitAnimateClass(quint32 classFlags)
{
    ClassReady = true;
    plat::comctl::INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof(icc);
    icc.dwICC = classFlags;
    if (!plat::comctl::InitCommonControlsEx(icc)) plat::comctl::InitCommonControls();
}

void CenterAnimation(plat::win::HWND hParent)
{
    // The same centring as the video's.
    mMCI::CenterWindow(hParent, AnimationWindow);
}

} // namespace mAVICtrl
