#pragma once
// The image control: shows a picture. While stretching is off, a new picture
// gives the control the picture's own size; while it is on, the control keeps
// its rectangle and draws the picture scaled into it. Position and size are
// kept in twips as single-precision numbers, as the original keeps them.
#include "platform/picture.h"

#include <QWidget>

namespace ctl {

class Image : public QWidget {
    Q_OBJECT
  public:
    explicit Image(QWidget* parent, const char* name);

    const plat::Picture& Picture() const { return m_picture; }
    void setPicture(const plat::Picture& picture);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool on);

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void Move(float left, float top, float width, float height);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* e) override; // stays beneath the windowed controls

  private:
    void place();
    plat::Picture m_picture;
    bool m_stretch = false;
    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

} // namespace ctl
