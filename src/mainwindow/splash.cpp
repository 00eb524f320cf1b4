#include "mainwindow/splash.h"

#include "controls/handlers.h"
#include "platform/app.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

ctl::Label* bar(QWidget* parent, const char* name, double l, double t, double w, double h,
                int color, const QString& caption = QString())
{
    auto* lbl = new ctl::Label(parent, name, caption);
    ctl::Move(lbl, l, t, w, h);
    lbl->setAutoFillBackground(true);
    ctl::setBackColor(lbl, color);
    return lbl;
}

} // namespace

Splash::Splash()
{
    setObjectName("Splash");
    setCaption(QString());
    // A fixed dialog frame without control box or caption, which Windows
    // draws without a title bar, kept out of the task bar.
    setBorderStyle(ctl::BorderStyle::None, ctl::NoTitleButtons, false);
    setClientSizeTwips(11400, 11910);
    // Maximised also where no window manager honours the state.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    Frame1 = new QFrame(client());
    Frame1->setObjectName("Frame1");
    ctl::Move(Frame1, -120, -120, 14000, 12960);
    Frame1->setAutoFillBackground(true);
    ctl::setBackColor(Frame1, 8421631);

    Label2 = bar(Frame1, "Label2", 4080, 2880, 4455, 255, 12632256,
                 "FOR TOP END SEARCH ENGINE PERFORMANCE");
    Label2->setFont(ctl::vbFont("MS Sans Serif", 8.25, true));
    Label5 = bar(Frame1, "Label5", 4200, 3120, 4215, 135, 65280);
    Label1 = bar(Frame1, "Label1", 3240, 4080, 6855, 615, 12632256, "QUORBIX FOR WINDOWS ");
    Label1->setFont(ctl::vbFont("MS Sans Serif", 24, true));
    Label3 = bar(Frame1, "Label3", 3720, 4680, 5535, 255, 16711680);
    txtTime[0] = new ctl::TextBox(Frame1, "txtTime");
    ctl::Move(txtTime[0], 3360, 6000, 495, 285);
    txtTime[0]->setAccessibleName("Counter"); // no label heads it
    lblCompanyProduct =
        bar(Frame1, "lblCompanyProduct", 5400, 6360, 2100, 225, 16777215, " A  Halvorn Product");
    lblCompanyProduct->setFont(ctl::vbFont("Arial", 9.75, true));

    // Enabled at design: its first tick comes when the event loop first runs,
    // which is after the main window's load handler has returned. The window
    // was made with a 1 ms interval, which the system timer it ran on could
    // only deliver about every 16 ms; that pace is what gives the count its
    // length on screen, so it is kept here.
    tmrTimer[0] = new ctl::Timer(this, "tmrTimer", kTickMs, true);
    ctl::onSignal(tmrTimer[0], &ctl::Timer::Timer_, this, [this] { tmrTimer_Timer(0); });
}

void Splash::tmrTimer_Timer(int Index)
{
    m_count[Index] += 1;
    txtTime[Index]->setText(QStringLiteral(" %1").arg(m_count[Index]));
    for (int i = 0; i < 151; ++i)
        plat::DoEvents();
    if (m_count[Index] == kLastTick) Unload();
}

// The instance is deleted later; its timer must not tick in between.
void Splash::Form_Unload()
{
    tmrTimer[0]->setEnabled(false);
}
