#pragma once
// The remove dialog: its caption names the family, Text1 the link to remove.
#include "controls/controls.h"
#include "controls/vbform.h"

class DeLink : public ctl::Form<DeLink> {
    Q_OBJECT
  public:
    DeLink();

    ctl::TextBox* Text1;          // the name to remove
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel
    ctl::Label* Label1;

    static inline const QString kAuctionCaption = QStringLiteral("Remove Auction Link");
    static inline const QString kFavoriteCaption = QStringLiteral("Remove Favorite Link");
    static inline const QString kEngineCaption = QStringLiteral("Remove Search Engine Link");
    static inline const QString kChristianCaption = QStringLiteral("Remove Christian Link");

    void Command1_Click();
    void Command2_Click();
};
