#pragma once
// "Visit ...?" for a news station: the caption is the request the news
// launcher looks up.
#include "controls/controls.h"
#include "controls/vbform.h"

class NewsSeek : public ctl::Form<NewsSeek> {
    Q_OBJECT
  public:
    NewsSeek();

    ctl::Label* Label1;           // the question
    ctl::CommandButton* Command1; // Okay
    ctl::CommandButton* Command2; // Cancel

    void Command1_Click();
    void Command2_Click();
};
