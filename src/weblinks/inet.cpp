#include "weblinks/inet.h"

#include "controls/handlers.h"
#include "platform/colors.h"
#include "platform/process.h"
#include "weblinks/iseek.h"
#include "weblinks/istart.h"
#include "weblinks/linkslots.h"
#include "weblinks/openinbrowser.h"
#include "weblinks/webitems.h"
#include "weblinks/webwindows.h"

Inet::Inet()
{
    setObjectName("Inet");
    setCaption(QString());
    setBackColor(plat::vbHighlightText);
    setClientSizeTwips(5280, 3795);
    setWindowState(Qt::WindowMaximized);
    QWidget* c = client();
    VScroll1 = new QScrollBar(Qt::Vertical, c);
    VScroll1->setObjectName("VScroll1");
    ctl::Move(VScroll1, 11700, 480, 255, 7815);
    Command1 = weblinks::makeButton(c, "Command1", "Go Back", 50, 7900, 950, 375);
    Command2 = weblinks::makeButton(c, "Command2", "Go Forward", 1035, 7900, 950, 375);
    for (ctl::CommandButton* b : {Command1, Command2})
        b->setFont(ctl::vbFont("Times New Roman", 8.25, true));
    setTabOrder(VScroll1, Command1);
    setTabOrder(Command1, Command2);

    ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
    ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
}

std::optional<QString> Inet::EngineAddress(const QString& request, const QString& text)
{
    return weblinks::pageFor(weblinks::WebDialog::Engine, request, text);
}

void Inet::Form_Load()
{
    using weblinks::LinkFamily;
    auto browser = weblinks::OpenBrowserObject();
    ISeek& dialog = ISeek::get();
    const QString text = dialog.Text1->Text();
    const QString request = dialog.Caption();
    std::optional<QString> address = EngineAddress(request, text);
    if (!address) {
        const int n = weblinks::slotForRequest(LinkFamily::Engine, dialog.chosenSlot, "Quorbix ",
                                               request, " Search");
        if (n > 0) address = weblinks::storedAddresses(LinkFamily::Engine).at(n - 1);
    }
    if (!address) return; // stays loaded; the dialog's Okay shows this window
    weblinks::StartBrowser(*address, plat::vbNormalFocus);
    if (!weblinks::CloseBrowserObject(browser.get())) return; // busy: stays loaded
    Unload();
    dialog.Hide();
}
