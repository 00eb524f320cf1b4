#include "editor/textpad.h"
#include "mainwindow/form1.h"
#include "mainwindow/help1.h"
#include "mainwindow/module3.h"
#include "mainwindow/splash.h"
#include "platform/app.h"
#include "weblinks/linkslots.h"
#include "weblinks/module1_browser.h"

#include <QScopedValueRollback>

namespace {

// A slot shows only with a stored caption; a missing value, one that is not
// text and an empty text all leave it hidden with its placeholder. Every
// caption of the family is read before any item changes.
template <std::size_t N> void restoreSlots(const std::array<QAction*, N>& items, const char* family)
{
    std::array<QString, N> captions;
    for (std::size_t i = 0; i < N; ++i)
        captions[i] = Module3::ReadRegValue(Module3::HKEY_CURRENT_USER, weblinks::kMenuKey,
                                            QString::fromLatin1(family) + QString::number(i + 1));
    for (std::size_t i = 0; i < N; ++i) {
        if (!captions[i].isEmpty()) {
            items[i]->setVisible(true);
            items[i]->setText(captions[i]);
        }
    }
}

} // namespace

// Runs once, before the window is first shown. Nothing here lets events run,
// so the splash's first tick comes only after the main window is visible.
void Form1::Form_Load()
{
    Splash::get().Show();
    CommonDialog1.Filter = QStringLiteral(
        "Pictures(*.Bmp;*.Cur*;*.Gif;*.Ico;*.Jpg;*.Wmf)|*.Bmp;*.Cur;*.Gif;*.Ico;*.Jpg;*.Wmf");
    LoadAuctionLinks();
    LoadFormColor();
    LoadDirBoxColor();
    LoadFileBoxColor();
    LoadFavoriteLinks();

    restoreSlots(mnuYes, "mnuYes");
}

void Form1::LoadAuctionLinks()
{
    restoreSlots(mnuAuc, "mnuAuc");
}
void Form1::LoadFavoriteLinks()
{
    restoreSlots(mnuFav, "mnuFav");
}

// Ends at once once the editor's text is safe: no other window is asked to
// close, and nothing is saved but what the user chose to save.
void Form1::mnuExit_Click()
{
    // A second request while the editor asks (a close by the window
    // manager) waits for that answer.
    static bool asking = false;
    if (asking) return;
    {
        const QScopedValueRollback<bool> busy(asking, true);
        if (!Textpad::ReadyToEnd()) return;
    }
    try {
        Module1::CloseBrowserWindows();
    } catch (...) {
        // no browser automation here: nothing to close, and the exit goes on
    }
    plat::DoEvents();
    plat::End();
}

void Form1::mnuHelp1_Click()
{
    Help1::get().Show();
}
