#include "controls/controls.h"

#include "controls/imagecontrol.h"

#include "platform/app.h"
#include "platform/colors.h"
#include "platform/drives.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
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

namespace {

// The face the windows' twips geometry was laid out for: the Windows dialog
// font's widths. Liberation Sans (and Arimo) have them; the usual desktop
// sans serif (DejaVu Sans) runs about a tenth wider and is taken smaller.
struct DialogFace {
    QString family;
    double scale;
};

const DialogFace& dialogFace()
{
    static const DialogFace face = [] {
        for (const char* family : {"Liberation Sans", "Arimo", "Arial"})
            if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
                return DialogFace{QString::fromLatin1(family), 1.0};
        return DialogFace{QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(), 0.9};
    }();
    return face;
}

// Focus marks that show whatever moved the focus, as a Windows dotted focus
// rectangle does: the styles draw them only after a Tab, so a list or a
// button that took the focus by a click looked like one without it. The
// mark is drawn in black or white, whichever stands out on the background,
// so it shows on the blue folder lists as well as on white ones.
class FocusMarkStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_FrameFocusRect) {
            QColor background;
            if (const auto* fr = qstyleoption_cast<const QStyleOptionFocusRect*>(option))
                background = fr->backgroundColor;
            if (!background.isValid()) background = option->palette.color(QPalette::Button);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, false);
            painter->setPen(
                QPen(qGray(background.rgb()) < 128 ? Qt::white : Qt::black, 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
            return;
        }
        if (element == PE_PanelButtonCommand && (option->state & State_HasFocus)) {
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                QStyleOptionButton marked = *button;
                marked.state |= State_KeyboardFocusChange;
                QProxyStyle::drawPrimitive(element, &marked, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    // A focused button also carries the dotted rectangle around its caption.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || !(option->state & State_HasFocus)) return;
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*option);
        focus.rect = subElementRect(SE_PushButtonFocusRect, option, widget).adjusted(1, 1, -1, -1);
        drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }
};

} // namespace

QFont vbFont(const QString& face, double points, bool bold)
{
    QFont f;
    double scale = 1.0;
    if (face.compare("MS Sans Serif", Qt::CaseInsensitive) == 0 ||
        face.compare("Arial", Qt::CaseInsensitive) == 0) {
        f.setFamily(dialogFace().family);
        scale = dialogFace().scale;
    } else {
        f.setFamily(face);
    }
    // In pixels at 96 to the inch, the measure of the twips (15 to a pixel),
    // so captions keep their size against their controls at any font DPI.
    f.setPixelSize(qMax(1, qRound(points * scale * 96.0 / 72.0)));
    f.setBold(bold);
    return f;
}

void useProgramLook()
{
    static bool done = false;
    if (done || !qApp) return;
    done = true;
    QApplication::setFont(vbFont(QStringLiteral("MS Sans Serif"), 8.25));
    // Over the style the desktop or the user chose (-style, QT_STYLE_OVERRIDE).
    const QString chosen = QApplication::style() ? QApplication::style()->name() : QString();
    QApplication::setStyle(
        new FocusMarkStyle(chosen.isEmpty() ? nullptr : QStyleFactory::create(chosen)));
}

void paintFocusWithoutCurrent(QAbstractItemView* view)
{
    if (!view->hasFocus() || view->currentIndex().isValid()) return;
    // The place the keyboard starts from: the row at the top of the view.
    QRect mark;
    const QModelIndex top = view->indexAt(QPoint(1, 1));
    if (top.isValid())
        mark = view->visualRect(top);
    else
        mark = QRect(0, 0, 0, view->fontMetrics().height() + 2);
    mark.setLeft(0);
    mark.setWidth(view->viewport()->width());
    QPainter painter(view->viewport());
    QStyleOptionFocusRect option;
    option.initFrom(view);
    option.rect = mark;
    option.backgroundColor = view->palette().color(QPalette::Base);
    view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, view);
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
    keepLineWhole();
}

void TextBox::keepLineWhole()
{
    // The frame and margins of a text field take more height than a Windows
    // text box's border: a field laid out for a large font would cut the
    // descenders of g, j, p and q. It is never less tall than its line needs.
    setMinimumHeight(minimumSizeHint().height());
}

void TextBox::changeEvent(QEvent* e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) keepLineWhole();
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
    setObjectName(QString::fromLatin1(name));
    // Drawn from the top edge: where the control below overlaps a label, the
    // label's lower part is covered, never its text.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    viewport()->update(); // the focus mark
}

void ListBox::focusOutEvent(QFocusEvent* e)
{
    QListWidget::focusOutEvent(e);
    viewport()->update();
}

void ListBox::paintEvent(QPaintEvent* e)
{
    QListWidget::paintEvent(e);
    paintFocusWithoutCurrent(this);
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
