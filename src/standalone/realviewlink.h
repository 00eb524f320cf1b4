#pragma once
// What the rotation and scrolling windows use of the picture viewer: the
// picture of its image control and a press of its hidden button, each of
// which loads the viewer when it is not loaded. Tests put hooks in place
// of the viewer.
#include <QImage>
#include <functional>

namespace RealViewLink {

QImage Image1Picture(); // RealView.Image1.Picture; null when none is loaded
void PressCommand6();   // RealView.Command6 = True

void setHooks(std::function<QImage()> image1Picture, std::function<void()> pressCommand6);

} // namespace RealViewLink
