#pragma once
// The animation control ("SysAnimate32"): a child window that plays a clip
// without sound, made with CreateWindowExA once the control classes are
// initialised, and driven by its messages. Clips are played by the movie
// player of media.h, muted.
#include "platform/hwnd.h"

#include <QString>

namespace plat::comctl {

constexpr quint32 ICC_ANIMATE_CLASS = 0x80;

struct INITCOMMONCONTROLSEX {
    quint32 dwSize = 0;
    quint32 dwICC = 0;
};

// Makes the control classes named by dwICC available; false for a record of
// the wrong size.
bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& icc);
void InitCommonControls(); // every class
bool animateClassReady();
void resetForTests(); // forgets the initialisation

} // namespace plat::comctl

namespace plat::win {

constexpr quint32 WS_CHILD = 0x40000000;
constexpr quint32 WS_VISIBLE = 0x10000000;
constexpr quint32 ACS_CENTER = 1;
constexpr quint32 ACS_TRANSPARENT = 2;
constexpr quint32 ACS_AUTOPLAY = 4;
constexpr quint32 ACM_OPENA = 1124;
constexpr quint32 ACM_PLAY = 1125;
constexpr quint32 ACM_STOP = 1126;

// Creates a window of a registered class; only "SysAnimate32" exists here,
// and only after the control classes were initialised. 0 on failure.
HWND CreateWindowExA(quint32 exStyle, const QString& className, const QString& windowName,
                     quint32 style, int x, int y, int width, int height, HWND parent, qintptr menu,
                     qintptr instance, qintptr param);

// Messages with a number as lParam (ACM_OPENA with a resource number or 0,
// ACM_PLAY, ACM_STOP) and with a text (ACM_OPENA with a file path).
qintptr SendMessageA(HWND h, quint32 msg, qintptr wParam, qintptr lParam);
qintptr SendMessageA(HWND h, quint32 msg, qintptr wParam, const QString& lParam);

} // namespace plat::win
