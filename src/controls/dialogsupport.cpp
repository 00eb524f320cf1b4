#include "controls/dialogsupport.h"

#include "platform/application.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace ctl {

namespace {

class KeyDownFilter : public QObject {
  public:
    KeyDownFilter(QObject* parent, std::function<void(int, int)> h)
        : QObject(parent), m_handler(std::move(h))
    {
    }
    bool eventFilter(QObject*, QEvent* ev) override
    {
        if (ev->type() != QEvent::KeyPress) return false;
        auto* ke = static_cast<QKeyEvent*>(ev);
        int code = ke->key();
        if (code == Qt::Key_Return || code == Qt::Key_Enter)
            code = 13;
        else if (code == Qt::Key_Escape)
            code = 27;
        const Qt::KeyboardModifiers m = ke->modifiers();
        const int shift = (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                          (m & Qt::AltModifier ? 4 : 0);
        plat::runCommand([&] { m_handler(code, shift); });
        return false;
    }

  private:
    std::function<void(int, int)> m_handler;
};

} // namespace

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void onKeyDown(QLineEdit* field, std::function<void(int, int)> handler)
{
    field->installEventFilter(new KeyDownFilter(field, std::move(handler)));
}

QString trimBlanks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == u' ')
        ++b;
    while (e > b && s.at(e - 1) == u' ')
        --e;
    return s.mid(b, e - b);
}

} // namespace ctl
