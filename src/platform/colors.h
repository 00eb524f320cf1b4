#pragma once
// The program's colours are integers with red in the low byte; values from
// &H80000000 up name the system's colours, which map to the palette's roles.
#include <QColor>

namespace plat {

constexpr int vbBlue = 16711680;  // &H00FF0000&
constexpr int vbWhite = 16777215; // &H00FFFFFF&
constexpr int vbWindowBackground = static_cast<int>(0x80000005u);
constexpr int vbHighlight = static_cast<int>(0x8000000Du);
constexpr int vbButtonFace = static_cast<int>(0x8000000Fu);
constexpr int vbWindowText = static_cast<int>(0x80000008u);
constexpr int vbMenuText = static_cast<int>(0x80000007u);
constexpr int vbWindowFrame = static_cast<int>(0x80000006u);
constexpr int vbHighlightText = static_cast<int>(0x8000000Eu);
constexpr int vbButtonText = static_cast<int>(0x80000012u);
constexpr int vb3DHighlight = static_cast<int>(0x80000014u);

QColor toQColor(int vbColor);
int fromQColor(const QColor& c);

} // namespace plat
