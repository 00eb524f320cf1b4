#pragma once
// The older deep-search window: one button asks for a folder and a file
// name and lists every match in the folder and all its subfolders.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "filesearch/walkprogress.h"
#include "platform/folderobject.h"

#include <memory>

class Form3 : public ctl::Form<Form3> {
    Q_OBJECT
  public:
    Form3();

    QLabel* picture;              // the window's background picture
    ctl::CommandButton* Command6; // Deep Search
    ctl::Label* Label1;           // progress
    ctl::ListBox* List1;          // the results: one full path per entry

    plat::FileSystemObject FileSystem;
    plat::Folder CurrentFolder;

    void Command6_Click();
    void SearchFolder(QString path, const QString& pattern, int& folders, int& files);

  private:
    int m_walks = 0; // walks running, one inside another
    std::unique_ptr<WalkProgress> m_progress;
};
