#include "editor/web1.h"

#include "editor/textpad.h"
#include "mainwindow/form1.h"
#include "platform/app.h"
#include "platform/colors.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "weblinks/openinbrowser.h"

Web1::Web1()
{
    setObjectName("Web1");
    setCaption(QStringLiteral("Html Viewer"));
    setBorderStyle(ctl::BorderStyle::FixedSingle, ctl::CloseButton);
    setBackColor(plat::vbWindowBackground);
    MnuExit = topMenu("MnuExit", "Exit");
    MnuExit1 = item(MnuExit, "MnuExit1", "Exit", [this] { MnuExit1_Click(); });
}

void Web1::Form_Load()
{
    // Screen-sized and placed at the screen's corner, so that when it stays
    // it covers the screen wherever a window manager would put a new window.
    setFixedSize(plat::px(plat::screenWidthTwips()), plat::px(plat::screenHeightTwips()));
    move(0, 0);
    Hide();
    auto browser = weblinks::OpenBrowserObject();
    Textpad& pad = Textpad::get();
    if (pad.PreviewAsked()) {
        pad.setHtmlMenuVisible(true); // also when the browser cannot start
        weblinks::StartBrowser(pad.PreviewPath(), plat::vbNormalFocus);
        weblinks::CloseBrowserObject(browser.get());
        Unload();
        return;
    }
    Form1& main = Form1::get();
    const int n = main.FirstPaneWithSelection();
    if (n == 0) {
        plat::MsgBox(QStringLiteral("Please select a file first"));
        Unload();
        return;
    }
    weblinks::StartBrowser(main.FullPath(n), plat::vbNormalFocus);
    if (weblinks::CloseBrowserObject(browser.get())) Unload();
}
