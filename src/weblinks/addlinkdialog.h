#pragma once
// The add dialogs share one design: a name field, an address field preset
// to "http://www.", Okay and Cancel. Each passes its own family to Okay.
#include "controls/controls.h"
#include "controls/handlers.h"
#include "controls/vbform.h"
#include "weblinks/linkslots.h"

namespace weblinks {

struct AddLinkLayout {
    QString caption;
    bool toolWindow;
    bool centred;
    double width, height; // client area
    int backColor;
    int labelColor;
    QString label1, label2;
    double label1Rect[4], text1Rect[4], label2Rect[4], text2Rect[4], okayRect[4], cancelRect[4];
};

struct AddLinkControls {
    ctl::Label* Label1;
    ctl::TextBox* Text1; // the link's name
    ctl::Label* Label2;
    ctl::TextBox* Text2;          // its address
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
};

void buildAddLinkDialog(ctl::VbForm* window, const AddLinkLayout& layout, AddLinkControls& c);

// Okay: tests the name, then the address; with both good, stores the link in
// the family's first free slot, shows its item and returns true (the dialog
// unloads). A refusal shows its message and returns false.
bool AddLink(LinkFamily family, const QString& name, const QString& address);

// The name and address tests alone, with their messages.
bool NameAndAddressPass(const QString& name, const QString& address);

template <class T> class AddLinkDialog : public ctl::Form<T>, public AddLinkControls {
  public:
    virtual void Command1_Click()
    {
        if (AddLink(m_family, Text1->Text(), Text2->Text())) this->Unload();
    }
    void Command2_Click() { this->Unload(); }

  protected:
    AddLinkDialog(const char* name, const AddLinkLayout& layout, LinkFamily family)
        : m_family(family)
    {
        this->setObjectName(name);
        buildAddLinkDialog(this, layout, *this);
        ctl::onSignal(Command1, &ctl::CommandButton::Click, this, [this] { Command1_Click(); });
        ctl::onSignal(Command2, &ctl::CommandButton::Click, this, [this] { Command2_Click(); });
    }

  private:
    LinkFamily m_family;
};

} // namespace weblinks
