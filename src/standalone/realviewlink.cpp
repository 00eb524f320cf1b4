#include "standalone/realviewlink.h"

namespace RealViewLink {

namespace {
std::function<QImage()> g_picture;
std::function<void()> g_press;
} // namespace

QImage Image1Picture()
{
    return g_picture ? g_picture() : QImage();
}

void PressCommand6()
{
    if (g_press) g_press();
}

void setHooks(std::function<QImage()> image1Picture, std::function<void()> pressCommand6)
{
    g_picture = std::move(image1Picture);
    g_press = std::move(pressCommand6);
}

} // namespace RealViewLink
