#pragma once
// Turns the picture viewer's picture by a quarter turn, pixel by pixel, from
// one picture box into another.
#include "controls/controls.h"
#include "controls/vbform.h"
#include "standalone/picturebox.h"

class Rowtate : public ctl::Form<Rowtate> {
    Q_OBJECT
  public:
    Rowtate();

    PictureBox* Picture1; // source
    PictureBox* Picture2; // target
    ctl::CommandButton* Command1;

    void Command1_Click();
    // Writes into pic2 the square of side 2n + 1 around its centre, each
    // point taken from pic1 turned by 2 x theta about pic1's centre.
    void bmp_rotate(PictureBox& pic1, PictureBox& pic2, float theta);

  protected:
    void Form_Load() override;
};
