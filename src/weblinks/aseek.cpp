#include "weblinks/aseek.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "platform/colors.h"
#include "weblinks/anet.h"
#include "weblinks/launcher.h"
#include "weblinks/webwindows.h"

ASeek::ASeek()
{
    setObjectName("ASeek");
    setCaption(QString());
    setBackColor(plat::vbBlue);
    setClientSizeTwips(6090, 2205);
    QWidget* c = client();
    weblinks::setBackgroundPicture(this, weblinks::auctionPicture());
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 0, 1920, 1080, 300);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 5040, 1920, 1200, 300);
    Label1 = new ctl::Label(c, "Label1", "                  Go to Auction?");
    ctl::Move(Label1, 1080, 1950, 5175, 255);
    weblinks::styleLabel(Label1, 9.75, plat::vbHighlightText, plat::vbBlue);
    setTabOrder(Command1, Command2);
    Command1->setFocus();
    weblinks::makeFixedToolWindow(this);
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

// A successful launch unloads the launcher and this dialog with it, and the
// show then has nothing to show; that is the normal end, not a failure.
void ASeek::Command1_Click()
{
    weblinks::showLauncher<ANet>(*this, false);
}

void ASeek::Command2_Click()
{
    Unload();
}
