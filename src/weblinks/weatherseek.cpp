#include "weblinks/weatherseek.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "weblinks/launcher.h"
#include "weblinks/weathernet.h"
#include "weblinks/webwindows.h"

#include <QPointer>

WeatherSeek::WeatherSeek()
{
    setObjectName("WeatherSeek");
    setCaption(QString());
    setBackColor(plat::vbBlue);
    setFont(ctl::vbFont("MS Sans Serif", 9.75, true));
    setClientSizeTwips(5475, 2115);
    QWidget* c = client();
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 840, 1200, 1000, 325);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 3480, 1200, 1000, 325);
    for (ctl::CommandButton* b : {Command1, Command2})
        b->setFont(ctl::vbFont("MS Sans Serif", 8.25));
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 840, 600, 3615, 255);
    weblinks::styleLabel(Label1, 9.75, plat::vbHighlightText, plat::vbBlue);
    setTabOrder(Command1, Command2);
    Command1->setFocus();
    weblinks::makeFixedToolWindow(this);
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

void WeatherSeek::Command1_Click()
{
    weblinks::showLauncher<WeatherNet>(*this, true);
}

void WeatherSeek::Command2_Click()
{
    Unload();
}
