#include "weblinks/newsseek.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "weblinks/launcher.h"
#include "weblinks/newsnet.h"
#include "weblinks/webwindows.h"

NewsSeek::NewsSeek()
{
    setObjectName("NewsSeek");
    setCaption(QString());
    setBackColor(plat::vbWhite);
    setClientSizeTwips(4380, 3315);
    QWidget* c = client();
    weblinks::setBackgroundPicture(this, weblinks::newsPicture());
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 960, 1320, 2775, 375);
    weblinks::styleLabel(Label1, 9.75, 0, plat::vbWhite);
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 720, 2040, 1000, 375);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 2760, 2040, 1000, 375);
    setTabOrder(Command1, Command2);
    Command1->setFocus();
    weblinks::makeFixedToolWindow(this);
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

void NewsSeek::Command1_Click()
{
    weblinks::showLauncher<NewsNet>(*this, true);
}

void NewsSeek::Command2_Click()
{
    Unload();
}
