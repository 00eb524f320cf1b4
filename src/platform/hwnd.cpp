#include "platform/hwnd.h"

#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace plat::win {

namespace {

constexpr char kHandleProperty[] = "quorbix_hwnd";

QHash<HWND, QPointer<QWidget>>& table()
{
    static QHash<HWND, QPointer<QWidget>> t;
    return t;
}

} // namespace

HWND handleOf(QWidget* w)
{
    if (!w) return 0;
    const QVariant v = w->property(kHandleProperty);
    if (v.isValid()) return v.toInt();
    // Even numbers from 0x10000 on, as a real window manager hands out:
    // never 0 and never confused with small counts or indexes.
    static HWND next = 0x10000;
    const HWND h = next;
    next += 2;
    w->setProperty(kHandleProperty, h);
    table().insert(h, w);
    QObject::connect(w, &QObject::destroyed, [h]() { table().remove(h); });
    return h;
}

QWidget* widgetOf(HWND h)
{
    auto it = table().constFind(h);
    return it == table().constEnd() ? nullptr : it->data();
}

bool GetWindowRect(HWND h, RECT* rect)
{
    QWidget* w = widgetOf(h);
    if (!w || !rect) return false;
    const QRect r =
        w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    rect->left = r.left();
    rect->top = r.top();
    rect->right = r.left() + r.width();
    rect->bottom = r.top() + r.height();
    return true;
}

bool MoveWindow(HWND h, int x, int y, int width, int height, bool repaint)
{
    QWidget* w = widgetOf(h);
    if (!w) return false;
    w->setGeometry(x, y, qMax(0, width), qMax(0, height));
    if (repaint) w->update();
    return true;
}

bool DestroyWindow(HWND h)
{
    QWidget* w = widgetOf(h);
    if (!w) return false;
    table().remove(h);
    w->hide();
    w->deleteLater();
    return true;
}

} // namespace plat::win
