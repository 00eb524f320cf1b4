#include "controls/controls.h"

#include "controls/imagecontrol.h"

#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <utility>

namespace ctl {

namespace {
// Entries keep their exact text; only what is painted shows the stand-ins
// of bytes that are not UTF-8 in their escaped form.
class NameDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        if (value.userType() == QMetaType::QString)
            return plat::drives::displayName(value.toString());
        return QStyledItemDelegate::displayText(value, locale);
    }
};
} // namespace

void showNamesAsOnScreen(QAbstractItemView* view)
{
    view->setItemDelegate(new NameDelegate(view));
}

void Move(QWidget* w, double left, double top, double width, double height)
{
    w->setProperty("twLeft", left);
    w->setProperty("twTop", top);
    w->setProperty("twWidth", width);
    w->setProperty("twHeight", height);
    w->setGeometry(plat::px(left), plat::px(top), plat::px(width), plat::px(height));
}

void Move(QWidget* w, double left, double top, double width)
{
    Move(w, left, top, width, twips(w).height);
}

TwipsRect twips(const QWidget* w)
{
    TwipsRect r;
    const QVariant l = w->property("twLeft");
    if (!l.isValid()) {
        r.left = w->x() * plat::twipsPerPixel;
        r.top = w->y() * plat::twipsPerPixel;
        r.width = w->width() * plat::twipsPerPixel;
        r.height = w->height() * plat::twipsPerPixel;
        return r;
    }
    r.left = l.toDouble();
    r.top = w->property("twTop").toDouble();
    r.width = w->property("twWidth").toDouble();
    r.height = w->property("twHeight").toDouble();
    return r;
}

QFont vbFont(const QString& face, double points, bool bold)
{
    QFont f;
    double scale = 1.0;
    if (face.compare("MS Sans Serif", Qt::CaseInsensitive) == 0 ||
        face.compare("Arial", Qt::CaseInsensitive) == 0) {
        f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        if (face.compare("Arial", Qt::CaseInsensitive) == 0)
            f.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans", f.family()});
        // The windows were laid out in twips for the narrow Windows sans
        // serif; the desktop's sans serif runs about a tenth wider.
        if (!QFontInfo(f).family().contains("Arial") &&
            !QFontInfo(f).family().contains("Liberation"))
            scale = 0.9;
    } else {
        f.setFamily(face);
    }
    f.setPointSizeF(points * scale);
    f.setBold(bold);
    return f;
}

void setBackColor(QWidget* w, int vbColor)
{
    w->setProperty("vbBackColor", vbColor);
    QPalette pal = w->palette();
    const QColor c = plat::toQColor(vbColor);
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Button, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

int backColor(const QWidget* w)
{
    const QVariant v = w->property("vbBackColor");
    return v.isValid() ? v.toInt() : plat::fromQColor(w->palette().color(QPalette::Base));
}

void setForeColor(QWidget* w, int vbColor)
{
    QPalette pal = w->palette();
    const QColor c = plat::toQColor(vbColor);
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    pal.setColor(QPalette::ButtonText, c);
    w->setPalette(pal);
}

TextBox::TextBox(QWidget* parent, const char* name) : QLineEdit(parent)
{
    setObjectName(QString::fromLatin1(name));
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent, const char* name) : QPlainTextEdit(parent)
{
    setObjectName(QString::fromLatin1(name));
}

namespace {
// Drawn on the container's surface rather than being a window of its own.
bool isDrawnOnSurface(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const Image*>(w);
}
} // namespace

void keepBeneathWindowedControls(QWidget* w)
{
    QWidget* parent = w->parentWidget();
    if (!parent) return;
    // A container's children run from the bottom of its stack to the top.
    const QObjectList& stack = parent->children();
    const qsizetype own = stack.indexOf(w);
    for (qsizetype i = 0; i < own; ++i) {
        auto* sibling = qobject_cast<QWidget*>(stack.at(i));
        if (!sibling || sibling->isWindow() || isDrawnOnSurface(sibling)) continue;
        w->stackUnder(sibling); // the lowest windowed control lies above it now
        return;
    }
}

Label::Label(QWidget* parent, const char* name, const QString& caption) : QLabel(caption, parent)
{
    // A caption may be a file name or typed text: shown as its characters.
    setTextFormat(Qt::PlainText);
    setObjectName(QString::fromLatin1(name));
    keepBeneathWindowedControls(this);
}

bool Label::event(QEvent* e)
{
    if (e->type() == QEvent::Show || e->type() == QEvent::ParentChange)
        keepBeneathWindowedControls(this);
    return QLabel::event(e);
}

CommandButton::CommandButton(QWidget* parent, const char* name, const QString& caption)
    : QPushButton(caption, parent)
{
    setObjectName(QString::fromLatin1(name));
    setAutoDefault(false);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, &CommandButton::Click);
}

ListBox::ListBox(QWidget* parent, const char* name, MultiSelectMode mode) : QListWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    switch (mode) {
    case None:
        setSelectionMode(QAbstractItemView::SingleSelection);
        break;
    case Simple:
        setSelectionMode(QAbstractItemView::MultiSelection);
        break;
    case Extended:
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        break;
    }
    setUniformItemSizes(true);
    showNamesAsOnScreen(this);
}

QString ListBox::List(int i) const
{
    flushPending();
    const QListWidgetItem* it = item(i);
    return it ? it->text() : QString();
}

void ListBox::setList(int i, const QString& text)
{
    flushPending();
    if (QListWidgetItem* it = item(i)) it->setText(text);
}

void ListBox::setListIndex(int i)
{
    flushPending();
    if (i < 0 || i >= count()) {
        setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else if (selectionMode() == QAbstractItemView::SingleSelection) {
        setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
    } else {
        setCurrentRow(i, QItemSelectionModel::NoUpdate);
    }
    emit Click();
}

bool ListBox::Selected(int i) const
{
    flushPending();
    const QListWidgetItem* it = item(i);
    return it && it->isSelected();
}

void ListBox::selectAll()
{
    flushPending();
    QListWidget::selectAll();
}

void ListBox::setSelected(int i, bool on)
{
    flushPending();
    if (QListWidgetItem* it = item(i)) it->setSelected(on);
}

QString ListBox::Text() const
{
    return List(currentRow());
}

void ListBox::AddItem(const QString& text, int index)
{
    flushPending();
    if (index < 0 || index > count())
        addItem(text);
    else
        insertItem(index, text);
}

void ListBox::AddItems(const QStringList& texts)
{
    flushPending();
    if (texts.isEmpty()) return;
    addItems(texts);
    // Laid out now, so the next paint shows the rows instead of an empty
    // list waiting for its layout.
    executeDelayedItemsLayout();
}

void ListBox::FlushPending()
{
    if (m_pending.isEmpty()) return;
    AddItems(std::exchange(m_pending, {}));
}

void ListBox::RemoveItem(int index)
{
    flushPending();
    delete takeItem(index);
}

void ListBox::Clear()
{
    m_pending.clear();
    const QSignalBlocker block(this);
    clear();
}

void ListBox::resetSilently(const QStringList& entries)
{
    const QSignalBlocker block(this);
    const QSignalBlocker blockSel(selectionModel());
    setUpdatesEnabled(false);
    m_pending.clear();
    clear();
    addItems(entries);
    selectionModel()->clear();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    setUpdatesEnabled(true);
}

int shiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

int vbButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

bool changesEntryOrSelection(QAbstractItemView* view, const std::function<void()>& handle)
{
    const QPersistentModelIndex before = view->currentIndex();
    const QModelIndexList selBefore = view->selectionModel()->selectedIndexes();
    handle();
    return before != view->currentIndex() || selBefore != view->selectionModel()->selectedIndexes();
}

void focusInKeepingCurrent(QAbstractItemView* view, const std::function<void()>& handle)
{
    // Item views make row 0 current when they take the focus; a list box
    // leaves the current entry alone.
    const QPersistentModelIndex before = view->currentIndex();
    const QSignalBlocker block(view->selectionModel());
    handle();
    if (view->currentIndex() != before)
        view->selectionModel()->setCurrentIndex(before, QItemSelectionModel::NoUpdate);
}

bool leftButtonOnly(QMouseEvent* e, const std::function<void()>& handle)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return false;
    }
    handle();
    return true;
}

void ListBox::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept(); // a right press changes neither the current entry nor the selection
        return;
    }
    const bool changed = changesEntryOrSelection(this, [&] { QListWidget::mousePressEvent(e); });
    if (changed || itemAt(e->position().toPoint())) emit Click();
}

void ListBox::mouseReleaseEvent(QMouseEvent* e)
{
    leftButtonOnly(e, [&] { QListWidget::mouseReleaseEvent(e); });
    emit MouseUp(vbButton(e->button()), shiftState(e->modifiers()), e->position().x() * 15.0,
                 e->position().y() * 15.0);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (leftButtonOnly(e, [&] { QListWidget::mouseDoubleClickEvent(e); })) emit DblClick();
}

void ListBox::keyPressEvent(QKeyEvent* e)
{
    if (changesEntryOrSelection(this, [&] { QListWidget::keyPressEvent(e); })) emit Click();
}

void ListBox::focusInEvent(QFocusEvent* e)
{
    focusInKeepingCurrent(this, [&] { QListWidget::focusInEvent(e); });
}

Timer::Timer(QObject* parent, const char* name, int intervalMs, bool enabled) : QObject(parent)
{
    setObjectName(QString::fromLatin1(name));
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this]() {
        if (m_inHandler) return;
        m_inHandler = true;
        emit Timer_();
        m_inHandler = false;
    });
    if (enabled) m_timer.start();
}

void Timer::setEnabled(bool on)
{
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace ctl
