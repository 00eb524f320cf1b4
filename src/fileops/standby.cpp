#include "fileops/standby.h"

#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
constexpr int kRed = 0x000000FF;
} // namespace

Standby::Standby()
{
    setObjectName("Standby");
    setCaption("Form9");
    // No border and no task-bar entry: a bar, not a window the user manages.
    // It never takes the keyboard: it is shown again before every file of a
    // paste while the user may go on working in the main window.
    setBorderStyle(ctl::BorderStyle::None, ctl::NoTitleButtons, false);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setBackColor(kRed);
    resize(plat::px(12000), plat::px(375));
    move(plat::px(45), plat::px(7800));

    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 0, 0, 12000, 255);
    ctl::setBackColor(Label1, kRed);
    ctl::setForeColor(Label1, plat::vbHighlightText);
    Label1->setWordWrap(false);
    Label1->setAccessibleName("Wait notice");

    Text1 = new ctl::TextBox(c, "Text1");
    Text1->setMaxLength(32766);
    Text1->setText("Deleting ...");
    Text1->hide();

    Command1 = new ctl::CommandButton(c, "Command1", "Command1");
    Command2 = new ctl::CommandButton(c, "Command2", "Command2");
    Command3 = new ctl::CommandButton(c, "Command3", "Command3");
    Command1->hide();
    Command2->hide();
    Command3->hide();
    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Standby::Command1_Click);
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, &Standby::Command2_Click);
    ctl::onSignal(Command3, &ctl::CommandButton::Click, this, &Standby::Command3_Click);

    Timer1 = new ctl::Timer(this, "Timer1", 10, true);
    ctl::onSignal(Timer1, &ctl::Timer::Timer_, this, &Standby::Timer1_Timer);
}

bool Standby::Tick()
{
    QPointer<Standby> self(this);
    Timer1->setEnabled(true);
    // Waiting for more events blocks until the timer (or anything else)
    // arrives, so the wait costs no processor time while the rest of the
    // program keeps repainting and taking input.
    plat::EventNesting nested;
    while (self && !self->isUnloaded() && self->Timer1->Enabled())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return self && !self->isUnloaded();
}

void Standby::Command1_Click()
{
    Label1->setCaption(QString());
    const int n = Text1->Text().size();
    for (int i = 0; i < n; ++i) {
        // The text is read again at each step; one that got shorter meanwhile
        // only adds nothing.
        Label1->setCaption(Label1->Caption() + Text1->Text().mid(i, 1));
        if (!Tick()) return;
    }
}

void Standby::Command3_Click()
{
    Label1->setCaption(QString());
    const int n = Text1->Text().size();
    for (int i = 0; i < n; ++i)
        if (!Tick()) return;
}

void Standby::Command2_Click()
{
    Unload();
}

void Standby::Timer1_Timer()
{
    Timer1->setEnabled(false);
}
