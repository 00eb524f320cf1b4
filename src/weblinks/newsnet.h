#pragma once
// The news launcher: opens the news site that the news dialog's caption names.
#include "controls/vbform.h"

class NewsNet : public ctl::Form<NewsNet> {
    Q_OBJECT
  public:
    NewsNet();

  protected:
    void Form_Load() override;
    void Form_Unload() override;
};
