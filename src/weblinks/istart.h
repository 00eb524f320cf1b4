#pragma once
// "Internet Connect": starts the browser on a web search portal.
#include "controls/controls.h"
#include "controls/vbform.h"

class IStart : public ctl::Form<IStart> {
    Q_OBJECT
  public:
    IStart();

    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;

    // The portal's host, without scheme or path.
    static inline const QString kPortalHost = QStringLiteral("www.google.com");
    // The portal's command line: a blank, the browser in mixed case, a blank, the host.
    static QString PortalCommandLine();

    void Command1_Click();
    void Command2_Click();

  private:
    QLabel* m_picture;
};
