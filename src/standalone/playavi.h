#pragma once
// The picture-box movie window: Play tries the active pane's movie as video
// through the multimedia commands, then as a clip in the animation control,
// both as centred children of Picture1; each way has its own Stop.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "standalone/picturebox.h"

#include <QCheckBox>
#include <QRadioButton>

class PlayAvi : public ctl::Form<PlayAvi> {
    Q_OBJECT
  public:
    PlayAvi();

    PictureBox* Picture1;
    ctl::CommandButton* Command1; // Play
    ctl::CommandButton* Command2; // Stop (video)
    ctl::CommandButton* Command3; // Stop (animation)
    QCheckBox* Check1;            // hidden: centre
    QCheckBox* Check2;            // hidden: start at once
    QRadioButton* Option3;        // hidden
    ctl::Timer* Timer1;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    static inline const QString kTempAvi = QStringLiteral("c:\\Temp.avi");
    // Copies the first selected pane file to c:\Temp.avi through the copy
    // list; nothing calls it.
    void CopyToTempAvi();

  protected:
    void Form_Unload() override;
};
