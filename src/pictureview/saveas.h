#pragma once
// The picture save-as dialog: a new file name and a target folder, into
// which the viewer's picture file is copied under the new name; or, with
// the check box ticked, the picture saved as a bitmap straight into C:\temp.
#include "controls/controls.h"
#include "controls/vbform.h"

#include <QCheckBox>

class RealView;

class Saveas : public ctl::Form<Saveas> {
    Q_OBJECT
  public:
    Saveas();

    ctl::TextBox* Text1;          // the new file name
    ctl::TextBox* Text2;          // the target folder
    QCheckBox* Check1;            // save the picture as a bitmap in C:\temp
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label3;
    ctl::Label* Label1;
    ctl::Label* Label2;

    void Command1_Click();
    void Command2_Click();
    void Text2_KeyDown(int KeyCode, int Shift);

  private:
    void AskCreateFolder();
    // The viewer with its picture, or nullptr after telling the user that
    // no picture is open; never loads the viewer.
    const RealView* OpenViewer();
    // Whether a file may be written at target: there is none, or the user
    // agrees to replace it.
    bool MayReplace(const QString& target);
    // Tells the user why the picture was not stored; returns whether the
    // dialog stays open.
    bool ReportFailure(int number, const QString& target);
};
