#pragma once
// The question after a colour change: keep the new colour, or put back the
// stored one. The caption names the colour kind the buttons act on.
#include "controls/controls.h"
#include "controls/vbform.h"

class Color1 : public ctl::Form<Color1> {
    Q_OBJECT
  public:
    Color1();

    ctl::Label* Label1;
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel

    static inline const QString kDesktopCaption = QStringLiteral("New Desktop Background Color");
    static inline const QString kFoldersCaption = QStringLiteral("New Folders Background Color");
    static inline const QString kFilesCaption = QStringLiteral("New Files Background Color");

    void Command1_Click();
    void Command2_Click();
};
