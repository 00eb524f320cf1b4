#pragma once
// Adding a favourite.
#include "weblinks/addlinkdialog.h"

class FavLink : public weblinks::AddLinkDialog<FavLink> {
    Q_OBJECT
  public:
    FavLink();
};
