#include "fileops/dialogsupport.h"

#include "platform/app.h"
#include "platform/fileerror.h"
#include "platform/winpath.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace fileops {

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
        m_handler(code, shift);
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

void setClientSize(QWidget* window, double widthTwips, double heightTwips)
{
    window->resize(plat::px(widthTwips), plat::px(heightTwips));
}

void onKeyDown(QLineEdit* field, std::function<void(int, int)> handler)
{
    field->installEventFilter(new KeyDownFilter(field, std::move(handler)));
}

QString trimBlanks(const QString& s)
{
    int b = 0, e = int(s.size());
    while (b < e && s.at(b) == ' ')
        ++b;
    while (e > b && s.at(e - 1) == ' ')
        --e;
    return s.mid(b, e - b);
}

QString messageFor(int number, std::initializer_list<ErrorText> table)
{
    for (const ErrorText& t : table)
        if (t.number == number) return QString::fromUtf8(t.message);
    return QString();
}

bool isSingleName(const QString& name)
{
    if (name == u"." || name == u"..") return false;
    return !name.contains('\\') && !name.contains('/') && !name.contains(':');
}

QString copyCauseMessage(const plat::FileError& e, const QString& source,
                         const QString& destination)
{
    // The platform's own sentence, where the number alone would mislead (a
    // pipe or a device given as a file, a save behind a kept copy).
    if (!e.message().isEmpty()) return e.message();
    if (e.number() == plat::ErrNameTooLong)
        return "File name or path too long: " + (e.onSource() ? source : destination);
    if (!e.onSource()) return QString();
    switch (e.cause()) {
    case plat::FileCause::ReadPermission:
        return "Can't copy: no permission to read " + source;
    case plat::FileCause::SearchPermission:
        return "Can't copy: no permission to open the folder of " + source;
    default:
        break;
    }
    if (e.number() == plat::ErrPathNotFound)
        return "The folder to copy from is not found: " + plat::winpath::parent(source);
    if (e.number() == plat::ErrFileNotFound) return "File not found: " + source;
    return QString();
}

} // namespace fileops
