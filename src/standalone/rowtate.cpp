#include "standalone/rowtate.h"

#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/gdi.h"
#include "standalone/realviewlink.h"

#include <QPointer>
#include <cmath>

Rowtate::Rowtate()
{
    setObjectName("Rowtate");
    setCaption("Rotate 90");
    setClientSizeTwips(11595, 6960);
    QWidget* c = client();
    Picture1 = new PictureBox(c, "Picture1");
    ctl::Move(Picture1, 120, 120, 4335, 4815);
    Picture2 = new PictureBox(c, "Picture2");
    ctl::Move(Picture2, 4560, 960, 6615, 3855);
    Command1 = new ctl::CommandButton(c, "Command1", "Rotate");
    ctl::Move(Command1, 5520, 6240, 975, 375);
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Rowtate::Command1_Click);
}

void Rowtate::Form_Load()
{
    Picture1->setPicture(QImage());
    Picture1->setPicture(RealViewLink::Image1Picture());
}

void Rowtate::Command1_Click()
{
    Picture2->Cls();
    bmp_rotate(*Picture1, *Picture2, 0.785f);
}

void Rowtate::bmp_rotate(PictureBox& pic1, PictureBox& pic2, float theta)
{
    using plat::gdi::CLR_INVALID;
    using plat::gdi::COLORREF;
    const int cx1 = pic1.ScaleWidth() / 2;
    const int cy1 = pic1.ScaleHeight() / 2;
    const int cx2 = pic2.ScaleWidth() / 2;
    const int cy2 = pic2.ScaleHeight() / 2;
    const int n = (cx2 < cy2 ? cy2 : cx2) - 1;
    if (n < 0) return;
    plat::gdi::HDC hdc1 = pic1.hDC();
    plat::gdi::HDC hdc2 = pic2.hDC();
    const float halfPi = float(3.14159265359 / 2);
    QPointer<Rowtate> self(this);
    for (int A = 0; A <= n; ++A) {
        for (int B = 0; B <= n; ++B) {
            const float a = A == 0 ? halfPi : float(std::atan(double(B) / A));
            const double r = std::nearbyint(std::sqrt(double(A) * A + double(B) * B));
            const double turned = double(a + 2 * theta);
            const int X = int(std::nearbyint(r * std::cos(turned)));
            const int Y = int(std::nearbyint(r * std::sin(turned)));
            const COLORREF p0 = plat::gdi::GetPixel(hdc1, cx1 + X, cy1 + Y);
            const COLORREF p1 = plat::gdi::GetPixel(hdc1, cx1 - X, cy1 - Y);
            const COLORREF p2 = plat::gdi::GetPixel(hdc1, cx1 + Y, cy1 - X);
            const COLORREF p3 = plat::gdi::GetPixel(hdc1, cx1 - Y, cy1 + X);
            if (p0 != CLR_INVALID) plat::gdi::SetPixel(hdc2, cx2 + A, cy2 + B, p0);
            if (p1 != CLR_INVALID) plat::gdi::SetPixel(hdc2, cx2 - A, cy2 - B, p1);
            if (p2 != CLR_INVALID) plat::gdi::SetPixel(hdc2, cx2 + B, cy2 - A, p2);
            if (p3 != CLR_INVALID) plat::gdi::SetPixel(hdc2, cx2 - B, cy2 + A, p3);
        }
        plat::DoEvents();
        // Closed meanwhile: its boxes are on their way out.
        if (!self || self->isUnloaded()) return;
    }
}
