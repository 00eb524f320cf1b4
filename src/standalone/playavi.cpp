#include "standalone/playavi.h"

#include "controls/handlers.h"
#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/winpath.h"
#include "standalone/mavictrl.h"
#include "standalone/mmci.h"

namespace {
constexpr int kBackColor = 192 | 0 << 8 | 192 << 16;
} // namespace

PlayAvi::PlayAvi()
{
    setObjectName("PlayAvi");
    setCaption("Play Avi");
    setBorderStyle(ctl::BorderStyle::FixedSingle, ctl::CloseButton);
    setBackColor(kBackColor);
    setClientSizeTwips(7995, 5925);
    setFixedSize(size());

    QWidget* c = client();
    Picture1 = new PictureBox(c, "Picture1");
    ctl::Move(Picture1, 120, 240, 7695, 4800);
    Picture1->setBackColor(plat::vbWindowFrame);
    Command1 = new ctl::CommandButton(c, "Command1", "Play");
    ctl::Move(Command1, 1200, 5160, 1000, 500);
    Command2 = new ctl::CommandButton(c, "Command2", "Stop");
    ctl::Move(Command2, 5280, 5280, 1000, 500);
    Command2->hide();
    Command3 = new ctl::CommandButton(c, "Command3", "Stop");
    ctl::Move(Command3, 5280, 5280, 1000, 500);
    Command3->hide();
    Check1 = new QCheckBox("Check1", c);
    Check1->setObjectName("Check1");
    Check1->setChecked(true);
    Check1->hide();
    Check2 = new QCheckBox("Check2", c);
    Check2->setObjectName("Check2");
    Check2->setChecked(true);
    Check2->hide();
    Option3 = new QRadioButton("Option1", c);
    Option3->setObjectName("Option3");
    Option3->hide();
    Timer1 = new ctl::Timer(this, "Timer1", 50, true);
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &PlayAvi::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &PlayAvi::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &PlayAvi::Command3_Click);

    // Opens centred on the screen.
    move((plat::px(plat::screenWidthTwips()) - width()) / 2,
         (plat::px(plat::screenHeightTwips()) - height()) / 2);
}

void PlayAvi::Command1_Click()
{
    Picture1->Cls();
    Check2->setChecked(true);
    Command1->setEnabled(false);
    Form1& f = Form1::get();
    const int n = f.ActivePane();
    if (n == 0) return;
    const QString path = plat::winpath::join(f.Pane(n).dir->Path(), f.Pane(n).file->FileName());
    Command2->show();
    if (mMCI::OpenVideo(Picture1->hWnd(), path, 0, Check1->isChecked(), Check2->isChecked()))
        return;
    Command2->hide();
    Command3->show();
    if (mAVICtrl::ShowAnimation(Picture1->hWnd(), path, 0, Check1->isChecked(), Check2->isChecked(),
                                true))
        return;
    Command3->hide();
    Picture1->Print("Unable to play this AVI");
}

void PlayAvi::Command2_Click()
{
    mMCI::CloseVideo();
    Command2->hide();
    Command1->setEnabled(true);
}

void PlayAvi::Command3_Click()
{
    mAVICtrl::CloseAnimation();
    Command3->hide();
    Command1->setEnabled(true);
}

void PlayAvi::Form_Unload()
{
    mMCI::CloseVideo();
    mAVICtrl::CloseAnimation();
}

void PlayAvi::CopyToTempAvi()
{
    Form1& f = Form1::get();
    f.List2->Clear();
    plat::clipboard::Clear();
    QString name;
    const int n = f.FirstPaneWithSelection();
    if (n != 0) {
        plat::clipboard::SetText(f.Pane(n).dir->Path());
        name = f.Pane(n).file->FileName();
    }
    f.List2->AddItem(name);
    try {
        plat::fs::copyFile(plat::winpath::join(plat::clipboard::GetText(), name), kTempAvi);
    } catch (const plat::FileError&) {
    }
}
