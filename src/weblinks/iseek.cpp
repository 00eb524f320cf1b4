#include "weblinks/iseek.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/msgbox.h"
#include "weblinks/inet.h"
#include "weblinks/launcher.h"
#include "weblinks/webwindows.h"

namespace {
constexpr int kLightBlue = 0xFFC0C0; // red 192, green 192, blue 255
constexpr int kGreen = 0x00C000;     // red 0, green 192, blue 0
} // namespace

ISeek::ISeek()
{
    setObjectName("ISeek");
    setCaption(QString());
    setBackColor(kLightBlue);
    setClientSizeTwips(5475, 1380);
    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1", "      Search for:");
    ctl::Move(Label1, 240, 360, 4335, 255);
    weblinks::styleLabel(Label1, 8.25, plat::vbBlue, kLightBlue);
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 600, 600, 4245, 255);
    Text1->setFont(ctl::vbFont("MS Sans Serif", 9.75, true));
    ctl::setForeColor(Text1, kGreen);
    ctl::setBackColor(Text1, plat::vbHighlightText);
    Command1 = weblinks::makeButton(c, "Command1", "Okay", 1080, 960, 1000, 325);
    Command2 = weblinks::makeButton(c, "Command2", "Cancel", 3240, 960, 1000, 325);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
    ctl::onKeyDown(Text1, [this](int code, int shift) { Text1_KeyDown(code, shift); });
}

void ISeek::Command1_Click()
{
    // A hidden field (an engine link) needs no search text.
    if (!Text1->isHidden() && Text1->Text().isEmpty()) {
        plat::MsgBox("Please Enter Search Text To Continue", plat::vbOKOnly);
        Text1->setFocus();
        return;
    }
    weblinks::showLauncher<Inet>(*this, true);
}

void ISeek::Command2_Click()
{
    Unload();
}

void ISeek::Text1_KeyDown(int& KeyCode, int /*Shift*/)
{
    if (KeyCode == 13) Command1_Click();
}
