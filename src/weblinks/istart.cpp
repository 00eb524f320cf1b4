#include "weblinks/istart.h"

#include "controls/handlers.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"
#include "platform/process.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>
#include <cmath>

namespace {

// The window's background picture (427 x 285 pixels): a globe over a sky.
QPixmap backgroundPicture()
{
    QPixmap pm(427, 285);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 285);
    sky.setColorAt(0, QColor(0, 32, 96));
    sky.setColorAt(1, QColor(96, 160, 224));
    p.fillRect(pm.rect(), sky);
    const QPointF centre(213.5, 142.5);
    QRadialGradient globe(centre - QPointF(30, 30), 140);
    globe.setColorAt(0, QColor(150, 210, 255));
    globe.setColorAt(1, QColor(0, 70, 160));
    p.setBrush(globe);
    p.setPen(QPen(QColor(220, 240, 255), 1.5));
    p.drawEllipse(centre, 110, 110);
    p.setBrush(Qt::NoBrush);
    for (int w : {80, 45, 12})
        p.drawEllipse(centre, w, 110);
    for (int dy : {-70, -35, 0, 35, 70}) {
        const double half = std::sqrt(110.0 * 110.0 - dy * dy);
        p.drawLine(QPointF(centre.x() - half, centre.y() + dy),
                   QPointF(centre.x() + half, centre.y() + dy));
    }
    return pm;
}

} // namespace

IStart::IStart()
{
    setObjectName("IStart");
    setCaption("Internet Connect");
    setClientSizeTwips(5610, 3795);
    QWidget* c = client();
    m_picture = new QLabel(c);
    m_picture->setPixmap(backgroundPicture());
    m_picture->setGeometry(0, 0, 427, 285);
    m_picture->lower();

    Command1 = new ctl::CommandButton(c, "Command1", "Okay");
    ctl::Move(Command1, 0, 3480, 1095, 375);
    Command2 = new ctl::CommandButton(c, "Command2", "Cancel");
    ctl::Move(Command2, 4560, 3480, 1095, 375);
    Label1 = new ctl::Label(c, "Label1", "               Make Internet Connection?");
    ctl::Move(Label1, 1080, 3480, 3495, 375);
    Label1->setAutoFillBackground(true);
    ctl::setBackColor(Label1, plat::vbWhite);
    ctl::setForeColor(Label1, plat::vbHighlight);
    Label1->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Command1, Command2);
    Command1->setFocus();

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

QString IStart::PortalCommandLine()
{
    return QStringLiteral(" c:\\Progra~1\\intern~1\\iexplore ") + kPortalHost;
}

void IStart::Command1_Click()
{
    if (!plat::knownProgramExists(plat::kBrowserProgramPath)) return;
    // A browser that is there but will not start would end the program with an
    // unhandled error; here the user is told and the dialog stays for another try.
    try {
        plat::Shell(PortalCommandLine(), plat::vbNormalFocus);
    } catch (const plat::FileError&) {
        plat::MsgBox("The web browser could not be started.", plat::vbOKOnly | plat::vbExclamation);
        return;
    }
    plat::DoEvents();
    Unload();
}

void IStart::Command2_Click()
{
    Unload();
}
