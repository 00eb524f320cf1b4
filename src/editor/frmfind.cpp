#include "editor/frmfind.h"

#include "controls/handlers.h"
#include "editor/module1.h"
#include "platform/app.h"

#include <QKeyEvent>

frmFind::frmFind()
{
    setObjectName("frmFind");
    setCaption(QStringLiteral("Find"));
    setBorderStyle(ctl::BorderStyle::FixedDialog, ctl::CloseButton);
    QWidget* c = client();
    c->setFont(ctl::vbFont(QStringLiteral("MS Sans Serif"), 8.25, true));

    Label1 = new ctl::Label(c, "Label1", QStringLiteral("Find Word:"));
    ctl::Move(Label1, 600, 120, 975, 255);
    txtFind = new ctl::TextBox(c, "txtFind");
    ctl::Move(txtFind, 480, 360, 2895, 375);
    txtFind->setToolTip(QStringLiteral("Text to Find"));
    chkCase = new QCheckBox(QStringLiteral("Match &Case"), c);
    chkCase->setObjectName("chkCase");
    ctl::Move(chkCase, 120, 720, 1335, 495);
    chkCase->setToolTip(QStringLiteral("Case Sensitivity"));
    Frame1 = new QGroupBox(QStringLiteral("Direction"), c);
    Frame1->setObjectName("Frame1");
    ctl::Move(Frame1, 1560, 720, 2052, 612);
    optDirection[0] = new QRadioButton(QStringLiteral("&Up"), Frame1);
    optDirection[0]->setObjectName("optDirection0");
    ctl::Move(optDirection[0], 240, 240, 612, 252);
    optDirection[0]->setToolTip(QStringLiteral("Search to Beginning of Document"));
    optDirection[1] = new QRadioButton(QStringLiteral("&Down"), Frame1);
    optDirection[1]->setObjectName("optDirection1");
    ctl::Move(optDirection[1], 960, 240, 852, 252);
    optDirection[1]->setToolTip(QStringLiteral("Search to End of Document"));
    optDirection[1]->setChecked(true);
    cmdFind = new ctl::CommandButton(c, "cmdFind", QStringLiteral("&Find"));
    ctl::Move(cmdFind, 3720, 120, 1092, 372);
    cmdFind->setToolTip(QStringLiteral("Start Search"));
    cmdcancel = new ctl::CommandButton(c, "cmdcancel", QStringLiteral("Cancel"));
    ctl::Move(cmdcancel, 3720, 600, 1092, 372);
    cmdcancel->setToolTip(QStringLiteral("Return to Notepad"));

    setTabOrder(txtFind, chkCase);
    setTabOrder(chkCase, optDirection[0]);
    setTabOrder(optDirection[0], optDirection[1]);
    setTabOrder(optDirection[1], cmdFind);
    setTabOrder(cmdFind, cmdcancel);

    ctl::onSignal(txtFind, &QLineEdit::textChanged, this, [this] { txtFind_Change(); });
    ctl::onSignal(chkCase, &QCheckBox::toggled, this, [this] { chkCase_Click(); });
    for (int i = 0; i < 2; ++i)
        ctl::onSignal(optDirection[size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optDirection_Click(i);
        });
    ctl::onSignal(cmdFind, &ctl::CommandButton::Click, this, [this] { cmdFind_Click(); });
    ctl::onSignal(cmdcancel, &ctl::CommandButton::Click, this, [this] { cmdcancel_Click(); });

    setClientSizeTwips(4950, 1395);
    setFixedSize(size());
}

void frmFind::Form_Load()
{
    const int left = plat::screenWidthTwips() / 2 - (width() * plat::twipsPerPixel) / 2;
    move(plat::px(left), plat::px(450));
    cmdFind->setEnabled(false);
    const int d = Module1::FindDirection == 0 ? 0 : 1;
    if (optDirection[size_t(d)]->isChecked())
        optDirection_Click(d);
    else
        optDirection[size_t(d)]->setChecked(true);
    txtFind->setFocus();
}

void frmFind::txtFind_Change()
{
    Module1::FindRestart = true;
    cmdFind->setEnabled(!txtFind->Text().isEmpty());
}

void frmFind::chkCase_Click()
{
    Module1::FindMatchCase = chkCase->isChecked() ? 1 : 0;
}

void frmFind::optDirection_Click(int index)
{
    Module1::FindDirection = index;
}

void frmFind::cmdFind_Click()
{
    Module1::FindText = txtFind->Text();
    Module1::FindInText();
}

void frmFind::cmdcancel_Click()
{
    Module1::FindText = txtFind->Text();
    Module1::FindMatchCase = chkCase->isChecked() ? 1 : 0;
    Unload();
}

// Enter presses the focused button, else Find while it is enabled; Escape
// is Cancel.
void frmFind::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        cmdcancel_Click();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<ctl::CommandButton*>(focusWidget()); b && b->isEnabled())
            b->Press();
        else if (cmdFind->isEnabled())
            cmdFind_Click();
        return;
    }
    ctl::VbForm::keyPressEvent(e);
}
