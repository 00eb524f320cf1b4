#include "standalone/aviplay.h"

#include "controls/handlers.h"
#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/mci.h"
#include "platform/msgbox.h"
#include "platform/winpath.h"

namespace {

int Send(const QString& command)
{
    return plat::mci::mciSendString(command, nullptr, 0, 0);
}
} // namespace

AviPlay::AviPlay()
{
    setObjectName("AviPlay");
    setCaption("Form4");
    setBackColor(plat::vbWindowFrame);
    setClientSizeTwips(10665, 6495);
    setWindowState(Qt::WindowMaximized);

    QWidget* c = client();
    // Created in tab order.
    Command1 = new ctl::CommandButton(c, "Command1", "End");
    ctl::Move(Command1, 7725, 7560, 1200, 375);
    Command2 = new ctl::CommandButton(c, "Command2", "Pause");
    ctl::Move(Command2, 6150, 7560, 1200, 375);
    Command3 = new ctl::CommandButton(c, "Command3", "Rewind");
    ctl::Move(Command3, 3075, 7560, 1200, 375);
    Command4 = new ctl::CommandButton(c, "Command4", "Mute");
    ctl::Move(Command4, 4605, 7560, 1200, 375);
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &AviPlay::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &AviPlay::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &AviPlay::Command3_Click);
    ctl::onSignal(Command4, &ctl::CommandButton::Click, this, &AviPlay::Command4_Click);
}

void AviPlay::Form_Load()
{
    Form1& f = Form1::get();
    const int n = f.ActivePane();
    if (n == 0) return;
    const QString name = f.Pane(n).file->FileName();
    const QString path = plat::winpath::join(f.Pane(n).dir->Path(), name);
    setCaption("Quorbix Playing " + name);
    MoviePath = path;
    bool found = false;
    try {
        // A search with no attribute flags passes over hidden files.
        found = plat::fs::fileExists(path) && !name.startsWith('.');
    } catch (const plat::FileError&) {
    }
    if (!found) {
        plat::MsgBox("cant find the requested avi video " + plat::drives::displayName(path),
                     plat::vbCritical | plat::vbOKOnly);
        return;
    }
    OpenScene();
    Position(198, 60, 100, 100);
    Play(-1);
}

void AviPlay::OpenScene()
{
    const int result = Send("open " + QString('"') + MoviePath + QString('"') + " alias " + kAlias +
                            " type AVIVideo");
    if (result != 0) {
        plat::MsgBox("Error opening the file: " + plat::drives::displayName(MoviePath),
                     plat::vbOKOnly);
        return;
    }
    Send("window " + kAlias + " handle " + QString::number(hWnd()));
}

void AviPlay::Play(int)
{
    Send("play " + kAlias);
}

void AviPlay::Position(qint32 mLeft, qint32 mTop, qint32 mWidth, qint32 mHeight)
{
    Send("put " + kAlias + " destination at " + QString::number(mLeft) + " " +
         QString::number(mTop) + " " + QString::number(qint64(mWidth) * 4) + " " +
         QString::number(qint64(mHeight) * 4));
}

void AviPlay::CloseScene()
{
    Send("stop " + kAlias);
    Send("close " + kAlias);
}

void AviPlay::Command1_Click()
{
    Send("pause " + kAlias);
    Send("close " + kAlias);
    plat::DoEvents();
    Unload();
}

void AviPlay::Command2_Click()
{
    if (Command2->text() == "Resume") {
        Send("resume " + kAlias);
        Command2->setText("Pause");
    } else {
        Send("pause " + kAlias);
        Command2->setText("Resume");
    }
}

void AviPlay::Command3_Click()
{
    Send("stop " + kAlias);
    Send("play " + kAlias + " from 0 ");
}

void AviPlay::Command4_Click()
{
    if (Command4->text() == "Sound") {
        Send("set " + kAlias + " audio all on ");
        Command4->setText("Mute");
    } else {
        Send("set " + kAlias + " audio all off ");
        Command4->setText("Sound");
    }
}

void AviPlay::Form_Unload()
{
    CloseScene();
}
