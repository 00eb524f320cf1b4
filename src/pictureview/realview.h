#pragma once
// The picture viewer: one maximised window showing one picture file in
// eleven zoom steps. Its state lives in its controls: the caption is the
// zoom step, Image1 holds the picture and its rectangle, and the file name
// of CommonDialog1 names the picture's file.
#include "controls/controls.h"
#include "controls/imagecontrol.h"
#include "controls/vbform.h"
#include "platform/commondialog.h"

#include <QScrollBar>
#include <QStringList>

class QLabel;

class RealView : public ctl::Form<RealView> {
    Q_OBJECT
  public:
    RealView();

    // The zoom steps, smallest first.
    static const QStringList ZoomSteps;

    QWidget* Picture1;
    ctl::CommandButton* Command1; // Enlarge, on the window itself
    ctl::CommandButton* Command2; // Reduce
    ctl::Image* Image1;
    QScrollBar* VScroll1;
    ctl::CommandButton* Command3; // Flip 180, hidden
    ctl::CommandButton* Command4; // Rotate, hidden
    ctl::CommandButton* Command5; // hidden, no action
    ctl::CommandButton* Command6; // hidden, no action: pressing it only loads the viewer
    plat::CommonDialog CommonDialog1;

    QMenu* mnuFile;
    QAction *mnuClip, *mnuEnlarge, *mnuOpen, *mnuPrint, *mnuReduce, *mnuSaveAs, *mnuExit;

    void Command1_Click();
    void Command2_Click();
    void mnuEnlarge_Click() { Command1->Press(); }
    void mnuReduce_Click() { Command2->Press(); }
    void VScroll1_Change();
    void mnuExit_Click();
    void SetScrollRange();

    void mnuClip_Click();
    void mnuOpen_Click();
    void mnuPrint_Click();
    void mnuSaveAs_Click();
    void Command3_Click();
    void Command4_Click();

  protected:
    void Form_Load() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static void ReportTooLarge(const QString& path);
    QLabel* m_background = nullptr; // the window's background picture (Rotate)
};
