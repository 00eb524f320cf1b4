#pragma once
// The search window: a folder and a file name to look for, the result list
// of full paths with its hidden mirror, and the commands on the results.
// The file copy list reads and empties the result list.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "platform/commondialog.h"

class QCheckBox;

class Dig : public ctl::Form<Dig> {
    Q_OBJECT
  public:
    Dig();

    ctl::Label* Label1; // progress; hidden
    ctl::Label* Label2;
    ctl::TextBox* txtvalue; // the folder to search
    QCheckBox* Check1;      // include subfolders
    ctl::Label* Label3;
    ctl::TextBox* textval;        // the file-name pattern
    ctl::CommandButton* Command2; // Start Search
    ctl::CommandButton* Command3; // Stop Search
    ctl::CommandButton* Command1; // Clear Results
    ctl::ListBox* List1;          // the results: one full path per entry
    ctl::ListBox* List2;          // hidden mirror of List1
    ctl::TextBox* Text1;          // hidden
    ctl::CommandButton* Command4; // hidden
    QCheckBox* Check2;            // hidden
    ctl::Timer* Timer1;
    plat::CommonDialog CommonDialog1;

    QMenu* mnuFile;
    QAction* mnuCopy;

    void mnuCopy_Click();

  protected:
    void Form_Load() override;
};
