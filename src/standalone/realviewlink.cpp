#include "standalone/realviewlink.h"

#include "pictureview/realview.h"

namespace RealViewLink {

namespace {
std::function<QImage()> g_picture;
std::function<void()> g_press;
} // namespace

QImage Image1Picture()
{
    if (g_picture) return g_picture();
    return RealView::get().Image1->Picture().image;
}

void PressCommand6()
{
    if (g_press) {
        g_press();
        return;
    }
    // The button has no action: the press only loads the window.
    RealView::get().Command6->Press();
}

void setHooks(std::function<QImage()> image1Picture, std::function<void()> pressCommand6)
{
    g_picture = std::move(image1Picture);
    g_press = std::move(pressCommand6);
}

} // namespace RealViewLink
