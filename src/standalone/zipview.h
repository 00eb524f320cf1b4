#pragma once
// The archive-listing window: the entries of the archive of the first pane
// with a selection, and Extract, which copies files named like the selected
// entries from the current folder into a fixed folder.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "platform/listview.h"

class ZipView : public ctl::Form<ZipView> {
    Q_OBJECT
  public:
    ZipView();

    plat::ListView* Listview1;    // the entries
    plat::ListView* ListView2;    // hidden: the names to copy
    ctl::CommandButton* Command1; // hidden: list
    ctl::CommandButton* Command2; // hidden: copy
    ctl::CommandButton* Command3;
    QMenu *mnuFile0, *mnuPopup1;
    QAction *mnuExtract, *mnuExit, *mnuExtract1;

    void Command1_Click();
    void Listview1_MouseUp(int button, int shift, double x, double y);
    void mnuExtract_Click();
    void Command2_Click();
    void Command3_Click();

    static inline const QString kTarget = QStringLiteral("c:\\atemp0");
    static inline const QString kFallbackTarget = QStringLiteral("c:\\atemp");

    enum class CopyResult { Copied, Failed, Refused };
    // Copies the file of that name in the current folder into the folder,
    // never replacing a file there (a taken name gets " (2)" and so on).
    // A name that is not a plain file name is refused, and so is a source
    // that is not a plain file (a named pipe, a device), with the reason in
    // *why.
    static CopyResult CopyEntry(const QString& name, const QString& folder, QString* why = nullptr);

  protected:
    void Form_Load() override;

  private:
    static void ReportCopyFailure(const QString& name, const QString& folder, CopyResult result,
                                  const QString& why = QString());
};
