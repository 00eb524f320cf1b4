#pragma once
// The search window: a folder and a file name to look for, the result list
// of full paths with its hidden mirror, and the commands on the results.
// The file copy list reads and empties the result list.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "filesearch/walkprogress.h"
#include "platform/commondialog.h"
#include "platform/folderobject.h"

#include <memory>
#include <vector>

class QCheckBox;

class Dig : public ctl::Form<Dig> {
    Q_OBJECT
  public:
    Dig();

    ctl::Label* Label1; // progress; hidden
    ctl::Label* Label2;
    ctl::TextBox* txtvalue; // the folder to search
    QCheckBox* Check1;      // include subfolders
    ctl::Label* Label3;
    ctl::TextBox* textval;        // the file-name pattern
    ctl::CommandButton* Command2; // Start Search
    ctl::CommandButton* Command3; // Stop Search; enabled while a search may go on
    ctl::CommandButton* Command1; // Clear Results
    ctl::ListBox* List1;          // the results: one full path per entry
    ctl::ListBox* List2;          // hidden mirror of List1
    ctl::TextBox* Text1;          // hidden
    ctl::CommandButton* Command4; // hidden
    QCheckBox* Check2;            // hidden
    ctl::Timer* Timer1;
    plat::CommonDialog CommonDialog1;

    QMenu* mnuFile;
    QAction *mnuSelectall, *mnuCopy, *mnuExecute, *mnuPrint, *mnuView, *mnuExit;
    QMenu* mnuPopup1;
    QAction *mnuUpCopy, *mnuUpSelectall, *mnuUpRun, *mnuUpView;

    plat::FileSystemObject FileSystem;
    plat::Folder CurrentFolder;

    void Command2_Click(); // Start Search
    void Command3_Click(); // Stop Search
    void Command1_Click(); // Clear Results
    void Command4_Click() { Unload(); }
    void List1_MouseUp(int button, int shift, double x, double y);

    void mnuSelectall_Click();
    void mnuCopy_Click();
    void mnuExecute_Click();
    void mnuPrint_Click();
    void mnuView_Click();
    void mnuExit_Click();
    void mnuUpCopy_Click() { mnuCopy_Click(); }
    void mnuUpSelectall_Click() { mnuSelectall_Click(); }
    void mnuUpRun_Click() { mnuExecute_Click(); }
    void mnuUpView_Click() { mnuView_Click(); }

    // Walks one folder and, while the subfolder box is ticked, its subtree;
    // the counters are shared by the whole walk.
    void SearchFolder(QString path, const QString& pattern, int& folders, int& files);

    // The endings Run starts as programs, and the text-like endings View
    // Text opens, in the order they are tested.
    static const QStringList& RunSuffixes();
    static const QStringList& ViewSuffixes();

  protected:
    void Form_Load() override;
    // The window has no close button; a close that comes all the same (a
    // window manager that draws one, Alt+F4) is File > Exit.
    void closeEvent(QCloseEvent* event) override;

  private:
    // One Start Search's walk. A press during a walk runs a whole walk of
    // its own inside it; each keeps its own record, so the outer one resumes
    // with its own depth and stop signal once the inner one has ended.
    struct Walk {
        bool stopAsked = false; // Stop was pressed while this walk ran
        bool closed = false;    // Exit closed the window while this walk ran
        int depth = 0;          // folders between the start folder and the one walked
    };
    bool stopped() const;
    Walk& walk();
    std::vector<Walk*> m_walks; // the walks running, the innermost last
    Walk m_noWalk;              // for a walk called on its own
    std::unique_ptr<WalkProgress> m_progress;
};
