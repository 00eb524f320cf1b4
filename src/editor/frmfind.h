#pragma once
// The editor's Find dialog, the one window shown modal. It talks to the
// editor only through the find state of Module1.
#include "controls/controls.h"
#include "controls/vbform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <array>

class frmFind : public ctl::Form<frmFind> {
    Q_OBJECT
  public:
    frmFind();

    ctl::Label* Label1;
    ctl::TextBox* txtFind;
    QCheckBox* chkCase;
    QGroupBox* Frame1;
    std::array<QRadioButton*, 2> optDirection{}; // 0 up, 1 down
    ctl::CommandButton* cmdFind;
    ctl::CommandButton* cmdcancel;

    void txtFind_Change();
    void chkCase_Click();
    void optDirection_Click(int index);
    void cmdFind_Click();
    void cmdcancel_Click();

  protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* e) override;
};
