#include "mainwindow/form1.h"

#include "editor/module2.h"
#include "editor/textpad.h"
#include "editor/web1.h"
#include "openbytype/suffixes.h"
#include "platform/msgbox.h"

// View Text: the active pane's file, when it has one.
// The loader tells every failure itself, so nothing is caught here that the
// user would not hear of.
void Form1::mnuOpenTextFile_Click()
{
    const int n = ActivePane();
    if (n == 0) return;
    if (Pane(n).file->FileName().isEmpty()) {
        plat::MsgBox(QStringLiteral("Please select an existing file"));
        return;
    }
    OpenTextFile(n);
}

// View Html: enabled by an HTML name in any pane, it loads the active
// pane's file into the editor and has the HTML viewer open the browser.
void Form1::mnuHtm_0_Click()
{
    bool html = false;
    for (int k = 1; k <= 5 && !html; ++k)
        html = suffixes::HasHtmlEnding(Pane(k).file->FileName());
    if (!html) return;
    const int n = ActivePane();
    if (n == 0) return;
    const QString path = FullPath(n);
    if (!Module2::LoadAndReport(path)) return;
    // An HTML page puts the editor in HTML mode, as opening one there does,
    // and the viewer opens the page itself.
    Textpad::get().CheckHtml(path);
    Web1::get().Show();
}
