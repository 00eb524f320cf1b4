#pragma once
// One video under the device alias "video", drawn in a child window of a
// given parent and optionally centred in it; or taken from a module's
// resource through a temporary file.
#include "platform/hwnd.h"

#include <QString>

namespace mMCI {

inline const QString kTempFile = QStringLiteral("c:\\tempfile.avi");

bool OpenVideo(plat::win::HWND hParent, const QString& file, qint32 resourceNumber, bool centre,
               bool play);
void CloseVideo();
void CenterWindow(plat::win::HWND hParent, plat::win::HWND hChild);
bool ExtractAvi(const QString& moduleFile, qint32 resourceNumber);

// Halves a difference of widths or heights, a half going to the even
// neighbour: 5 gives 2, 7 gives 4, -3 gives -2.
int HalfRoundedToEven(int difference);

} // namespace mMCI
