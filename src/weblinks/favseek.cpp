#include "weblinks/favseek.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "weblinks/favnet.h"
#include "weblinks/launcher.h"
#include "weblinks/webwindows.h"

namespace {
constexpr int kBackColor = 0xFF8080; // red 128, green 128, blue 255
} // namespace

FavSeek::FavSeek()
{
    setObjectName("FavSeek");
    setCaption(QString());
    setBackColor(kBackColor);
    setClientSizeTwips(4680, 2250);
    QWidget* c = client();
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 840, 1560, 950, 375);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 2880, 1560, 950, 375);
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 1800, 960, 2775, 375);
    weblinks::styleLabel(Label1, 8.25, 0, kBackColor);
    setTabOrder(Command1, Command2);
    Command1->setFocus();
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

// A successful launch unloads the launcher and this dialog with it.
void FavSeek::Command1_Click()
{
    weblinks::showLauncher<FavNet>(*this, false);
}

void FavSeek::Command2_Click()
{
    Unload();
}
