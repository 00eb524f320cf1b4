#pragma once
// The HTML viewer: a window that does its whole work while it loads. Shown
// by the editor's Show Changes it opens the preview file in the browser;
// otherwise it opens the file of the first pane with a selection. It unloads itself, unless the
// browser reports busy, when it stays as an empty screen-sized window.
#include "controls/vbform.h"

class Web1 : public ctl::Form<Web1> {
    Q_OBJECT
  public:
    Web1();
    QMenu* MnuExit;
    QAction* MnuExit1;
    void MnuExit1_Click() { Unload(); }

  protected:
    void Form_Load() override;
};
