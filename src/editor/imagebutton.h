#pragma once
// A picture that works as a button: it reports the mouse as a Windows
// image control does (button values 1 left, 2 right, 4 middle; positions in
// twips from its top-left corner), and a click when the press and the
// release both happened on it.
#include <QLabel>
#include <QPixmap>

class ImageButton : public QLabel {
    Q_OBJECT
  public:
    ImageButton(QWidget* parent, const char* name, const QString& toolTip);
    void setPicture(const QPixmap& picture);
    // The picture shown now.
    QPixmap Picture() const { return m_picture; }

  signals:
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void Click();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    QPixmap m_picture;
    bool m_pressedHere = false;
};
