#include "mainwindow/color1.h"

#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "mainwindow/form1.h"
#include "mainwindow/regmodule.h"
#include "platform/colors.h"

Color1::Color1()
{
    setObjectName("Color1");
    setCaption(QString());
    setBackColor(plat::vbWhite);
    setClientSizeTwips(5460, 2595);
    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 840, 1080, 3975, 375);
    Label1->setAutoFillBackground(true);
    ctl::setBackColor(Label1, plat::vbWhite);
    ctl::setForeColor(Label1, plat::vbHighlight);
    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 720, 1680, 1095, 375);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 3000, 1680, 1215, 375);
    setTabOrder(Command1, Command2);
    ctl::centreOnScreen(this);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

void Color1::Command1_Click()
{
    if (Caption() == kDesktopCaption) RegModule::SaveFormColor();
    if (Caption() == kFilesCaption) RegModule::SaveFileBoxColor();
    if (Caption() == kFoldersCaption) RegModule::SaveDirBoxColor();
    Unload();
}

void Color1::Command2_Click()
{
    // Putting back the stored colour is what the start-up loader does.
    Form1& f = Form1::get();
    if (Caption() == kFoldersCaption)
        f.LoadDirBoxColor();
    else if (Caption() == kFilesCaption)
        f.LoadFileBoxColor();
    else
        f.LoadFormColor();
    f.repaint();
    Unload();
}
