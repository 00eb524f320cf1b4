#pragma once
// The five copy-to dialogs share one window and one Okay; each belongs to
// one pane and differs from the others only in a few design values.
#include "controls/controls.h"
#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "controls/vbform.h"
#include "fileops/filemessages.h"

namespace fileops {

struct CopyToDesign {
    const char* label1;
    double label1Left, label2Width, text1Width, text2Width;
    int backColor;
};

struct CopyToControls {
    ctl::Label *Label2, *Label1;
    ctl::TextBox *Text1, *Text2;
    ctl::CommandButton *Command1, *Command2;
};

CopyToControls buildCopyToDialog(ctl::VbForm& window, const CopyToDesign& design);

// Where file X goes for the typed destination T: T and X joined by a
// backslash, or, when T is a single letter once blanks are trimmed, the root
// of that drive.
QString CopyToDestination(const QString& T, const QString& X);

// Okay of the dialog of a pane: replaces the copy list with the pane's
// selection and copies it to the typed folder.
void CopyToOkay(ctl::VbForm& dialog, int pane, const QString& T);

} // namespace fileops

template <class T, int PaneNumber> class CopyToDialog : public ctl::Form<T> {
  public:
    ctl::Label *Label2, *Label1;
    ctl::TextBox *Text1, *Text2;
    ctl::CommandButton *Command1, *Command2;

    void Command1_Click() { fileops::CopyToOkay(*this, PaneNumber, Text2->Text()); }
    void Command2_Click() { this->Unload(); }
    void Text2_KeyDown(int KeyCode, int /*Shift*/)
    {
        if (KeyCode == 13) Command1->Press();
    }

  protected:
    explicit CopyToDialog(const fileops::CopyToDesign& design)
    {
        const fileops::CopyToControls c = fileops::buildCopyToDialog(*this, design);
        Label2 = c.Label2;
        Label1 = c.Label1;
        Text1 = c.Text1;
        Text2 = c.Text2;
        Command1 = c.Command1;
        Command2 = c.Command2;
        ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
        ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
        ctl::onKeyDown(Text2, [this](int k, int s) { Text2_KeyDown(k, s); });
    }
};
