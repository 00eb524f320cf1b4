#include "weblinks/addlinkdialog.h"

#include "controls/dialogsupport.h"
#include "mainwindow/module3.h"
#include "platform/msgbox.h"
#include "weblinks/regmodule_links.h"
#include "weblinks/webwindows.h"

namespace weblinks {

void buildAddLinkDialog(ctl::VbForm* w, const AddLinkLayout& l, AddLinkControls& c)
{
    w->setCaption(l.caption);
    w->setBackColor(l.backColor);
    w->setClientSizeTwips(l.width, l.height);
    QWidget* p = w->client();
    auto place = [](QWidget* x, const double(&r)[4]) { ctl::Move(x, r[0], r[1], r[2], r[3]); };
    c.Label1 = new ctl::Label(p, "Label1", l.label1);
    place(c.Label1, l.label1Rect);
    c.Text1 = new ctl::TextBox(p, "Text1");
    place(c.Text1, l.text1Rect);
    c.Label2 = new ctl::Label(p, "Label2", l.label2);
    place(c.Label2, l.label2Rect);
    c.Text2 = new ctl::TextBox(p, "Text2");
    c.Text2->setText(QStringLiteral("http://www."));
    place(c.Text2, l.text2Rect);
    c.Command1 = makeButton(p, "Command1", "Okay", l.okayRect[0], l.okayRect[1], l.okayRect[2],
                            l.okayRect[3]);
    c.Command2 = makeButton(p, "Command2", "Cancel", l.cancelRect[0], l.cancelRect[1],
                            l.cancelRect[2], l.cancelRect[3]);
    for (ctl::Label* lab : {c.Label1, c.Label2})
        styleLabel(lab, 8.25, l.labelColor, l.backColor);
    w->setTabOrder(c.Text1, c.Text2);
    w->setTabOrder(c.Text2, c.Command1);
    w->setTabOrder(c.Command1, c.Command2);
    c.Text1->setFocus();
    if (l.toolWindow) makeFixedToolWindow(w);
    if (l.centred) ctl::centreOnScreen(w);
}

bool NameAndAddressPass(const QString& name, const QString& address)
{
    if (name.isEmpty()) {
        plat::MsgBox("Please create a name for this link to continue", plat::vbOKOnly);
        return false;
    }
    if (address.size() < 12) {
        plat::MsgBox("Please enter a valid web address to continue", plat::vbOKOnly);
        return false;
    }
    return true;
}

bool AddLink(LinkFamily family, const QString& typedName, const QString& typedAddress)
{
    const QString name = uptoNul(typedName);
    const QString address = uptoNul(typedAddress);
    if (!NameAndAddressPass(name, address)) return false;
    if (family == LinkFamily::None) {
        // a dialog without a family of slots: the savers keep nothing for it
        RegModule::SaveLinkCaption(family, name);
        RegModule::SaveLinkAddress(family, address);
        return false;
    }
    // The family filled up while the dialog was open: say so rather than
    // leave Okay doing nothing.
    const int n = firstFreeSlot(family);
    if (n == 0) {
        plat::MsgBox(limitMessage(family), plat::vbOKOnly);
        return false;
    }
    const bool stored =
        RegModule::SaveLinkCaption(family, name) && RegModule::SaveLinkAddress(family, address);
    // The store's reason, taken before the reads and deletes below.
    const QString why = stored ? QString() : Module3::LastFailure();

    // A link shown now but missing at the next start would be lost without a
    // word; what did get stored is taken back, and the dialog keeps the texts.
    const auto hkcu = Module3::HKEY_CURRENT_USER;
    const QString value = slotName(family, n);
    if (!stored || Module3::ReadRegValue(hkcu, kMenuKey, value) != name ||
        Module3::ReadRegValue(hkcu, kAddressKey, value) != address) {
        Module3::DeleteRegValue(hkcu, kMenuKey, value);
        Module3::DeleteRegValue(hkcu, kAddressKey, value);
        plat::MsgBox(why.isEmpty()
                         ? QStringLiteral("The link could not be saved.")
                         : QStringLiteral("The link \"%1\" could not be saved: %2.").arg(name, why),
                     plat::vbOKOnly | plat::vbExclamation);
        return false;
    }

    QAction* item = slotItem(family, n);
    item->setVisible(true);
    item->setText(name);
    return true;
}

} // namespace weblinks
