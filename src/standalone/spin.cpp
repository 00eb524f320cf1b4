#include "standalone/spin.h"

#include "controls/handlers.h"
#include "platform/app.h"
#include "standalone/realviewlink.h"

Spin::Spin()
{
    setObjectName("Spin");
    setCaption("Form1");
    setBorderStyle(ctl::BorderStyle::None);
    setClientSizeTwips(8685, 6870);
    move((plat::px(plat::screenWidthTwips()) - width()) / 2,
         (plat::px(plat::screenHeightTwips()) - height()) / 2);
    setWindowState(Qt::WindowMaximized);

    QWidget* c = client();
    Picture1 = new PictureBox(c, "Picture1");
    ctl::Move(Picture1, 0, 600, 3375, 6015);
    Picture2 = new PictureBox(c, "Picture2");
    ctl::Move(Picture2, 120, 960, 3255, 2895);
    Command1 = new ctl::CommandButton(c, "Command1", "Command1");
    ctl::Move(Command1, 4320, 720, 1095, 495);
    Command2 = new ctl::CommandButton(c, "Command2", "Command2");
    ctl::Move(Command2, 4440, 1320, 975, 495);
    Command3 = new ctl::CommandButton(c, "Command3", "Command3");
    ctl::Move(Command3, 4440, 1920, 975, 375);
    txtTime[0] = new ctl::TextBox(c, "txtTime");
    ctl::Move(txtTime[0], 3720, 0, 615, 285);
    txtTime[0]->setAccessibleName("Counter"); // no label heads it
    tmrTimer[0] = new ctl::Timer(this, "tmrTimer", 2000, true);
    ctl::onSignal(tmrTimer[0], &ctl::Timer::Timer_, this, [this] { tmrTimer_Timer(0); });
}

void Spin::Form_Load()
{
    Picture1->setPicture(RealViewLink::Image1Picture());
}

void Spin::tmrTimer_Timer(int Index)
{
    counter[Index] = 0;
    counter[Index] += 1;
    txtTime[Index]->setText(" " + QString::number(counter[Index]));
}
