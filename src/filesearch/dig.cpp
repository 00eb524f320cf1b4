#include "filesearch/dig.h"

#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/colors.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

namespace {
constexpr int kHighlightText = static_cast<int>(0x8000000Eu);
constexpr int kLightCyan = 0x00FFFFC0;
} // namespace

Dig::Dig()
{
    setObjectName("Dig");
    setCaption("Search");
    // Fixed single border and no control box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setBackColor(plat::vbBlue);

    mnuFile = topMenu("mnuFile", "&File");
    mnuCopy =
        item(mnuFile, "mnuCopy", "&Copy", QKeySequence("Ctrl+C"), [this] { mnuCopy_Click(); });

    QWidget* c = client();
    Label1 = new ctl::Label(c, "Label1");
    ctl::Move(Label1, 2895, 240, 7140, 615);
    ctl::setBackColor(Label1, kHighlightText);
    Label1->hide();
    Label2 = new ctl::Label(c, "Label2", " Please Enter Path Below ");
    ctl::Move(Label2, 360, 600, 2535, 375);
    ctl::setBackColor(Label2, plat::vbBlue);
    ctl::setForeColor(Label2, kHighlightText);
    txtvalue = new ctl::TextBox(c, "txtvalue");
    ctl::Move(txtvalue, 0, 840, 2895, 375);
    txtvalue->setText("C:\\");
    Check1 = new QCheckBox("Check to include SubDirectories", c);
    Check1->setObjectName("Check1");
    ctl::Move(Check1, 0, 1320, 2895, 255);
    ctl::setBackColor(Check1, plat::vbWhite);
    Label3 = new ctl::Label(c, "Label3", "  Please Enter FileName Below" + QString(36, ' '));
    ctl::Move(Label3, 0, 1920, 3135, 375);
    Label3->setToolTip("Wildcard or exact file name");
    ctl::setBackColor(Label3, plat::vbBlue);
    ctl::setForeColor(Label3, kHighlightText);
    textval = new ctl::TextBox(c, "textval");
    ctl::Move(textval, 0, 2160, 2895, 405);
    Command2 = new ctl::CommandButton(c, "Command2", "Start Search");
    ctl::Move(Command2, 1680, 2760, 1200, 375);
    Command3 = new ctl::CommandButton(c, "Command3", "Stop Search");
    ctl::Move(Command3, 1680, 3240, 1200, 375);
    Command3->setEnabled(false);
    Command1 = new ctl::CommandButton(c, "Command1", "Clear Results");
    ctl::Move(Command1, 1680, 3720, 1200, 375);
    List1 = new ctl::ListBox(c, "List1", ctl::ListBox::Extended);
    ctl::Move(List1, 2880, 840, 7095, 3375);
    ctl::setBackColor(List1, kLightCyan);
    List1->setAccessibleName("Search results");
    List2 = new ctl::ListBox(c, "List2");
    ctl::Move(List2, 3000, 2400, 5295, 1620);
    List2->hide();
    Text1 = new ctl::TextBox(c, "Text1");
    ctl::Move(Text1, 1080, 120, 1335, 405);
    Text1->hide();
    Command4 = new ctl::CommandButton(c, "Command4", "Command4");
    ctl::Move(Command4, 240, 3000, 975, 495);
    Command4->hide();
    Check2 = new QCheckBox("Check2", c);
    Check2->setObjectName("Check2");
    ctl::Move(Check2, 8520, 120, 255, 195);
    Check2->hide();
    Timer1 = new ctl::Timer(this, "Timer1", 1, false);

    QWidget::setTabOrder(txtvalue, textval);
    QWidget::setTabOrder(textval, Command2);
    QWidget::setTabOrder(Command2, Command1);
    QWidget::setTabOrder(Command1, List1);
    QWidget::setTabOrder(List1, Check1);
    QWidget::setTabOrder(Check1, Command3);

    setClientSizeTwips(9135, 4500);
    setFixedSize(size());
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    // Laid out disabled: File > Search enables it before showing it.
    setEnabled(false);
}

void Dig::Form_Load()
{
    if (!List1->isEnabled()) List1->setEnabled(true);
}

void Dig::mnuCopy_Click()
{
    if (List1->Text().isEmpty()) return;
    Form1& f = Form1::get();
    f.List1->Clear();
    f.List2->Clear();
    f.ListCopy();
    plat::DoEvents();
    QStringList names;
    for (int i = 0; i < List1->ListCount(); ++i) {
        const QString bare = f.ParseFileName(List1->List(i));
        List1->setList(i, bare);
        if (List1->Selected(i)) names.append(bare);
    }
    for (const QString& name : names)
        f.List1->AddItem(name);
    List1->Clear();
    for (int i = 0; i < List2->ListCount(); ++i)
        List1->AddItem(List2->List(i));
}
