#include "controls/controls.h"

#include "controls/accessnames.h"
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
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>
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

  protected:
    // A row's layout blanks (kIndentRole) stay blanks; the name after them
    // is shown in the screen's form.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->features & QStyleOptionViewItem::HasDisplay)) return;
        const QString text = index.data(Qt::DisplayRole).toString();
        const int indent = index.data(kIndentRole).toInt();
        option->text = text.left(indent) + plat::drives::displayName(text.mid(indent));
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
        if (element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) {
            // The box is the system's, white with its mark in the window text
            // colour, whatever colour the control is given: only its surround
            // takes that.
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                QStyleOptionButton plain = *button;
                plain.palette = QApplication::palette();
                plain.palette.setCurrentColorGroup(option->palette.currentColorGroup());
                QProxyStyle::drawPrimitive(element, &plain, painter, widget);
                return;
            }
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
    // A caption may be a file name or typed text: shown as its characters.
    setTextFormat(Qt::PlainText);
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
    const bool handled = QLabel::event(e);
    if (e->type() == QEvent::Show) nameFieldsByLabels(parentWidget());
    return handled;
}

CommandButton::CommandButton(QWidget* parent, const char* name, const QString& caption)
    : QPushButton(caption, parent)
{
    setObjectName(QString::fromLatin1(name));
    // Enter presses the button that has the focus, as Space does; no button
    // is a window's default, so Enter elsewhere (in a text field) presses
    // none.
    setAutoDefault(true);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, &CommandButton::Click);
}

// --- rows of one height ---

RowsView::RowsView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int RowsView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

void RowsView::takeRowSize(int row) const
{
    const QModelIndex sample = model()->index(row, modelColumn(), rootIndex());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QSize size = itemDelegateForIndex(sample)->sizeHint(option, sample);
    if (m_rowHeight == 0) m_rowHeight = std::max(1, size.height());
    m_contentWidth = std::max(m_contentWidth, size.width());
}

int RowsView::rowHeight() const
{
    if (m_rowHeight == 0) {
        const int n = rows();
        if (n == 0) return std::max(1, fontMetrics().height());
        takeRowSize(n - 1);
    }
    return m_rowHeight;
}

int RowsView::rowsPerPage() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int RowsView::rowAtY(int y) const
{
    const int at = y + verticalOffset();
    if (at < 0) return -1;
    const int row = at / rowHeight();
    return row < rows() ? row : -1;
}

int RowsView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int RowsView::verticalOffset() const
{
    return verticalScrollBar()->value() * rowHeight();
}

QRect RowsView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != modelColumn())
        return QRect();
    const int h = rowHeight();
    return QRect(-horizontalOffset(), index.row() * h - verticalOffset(),
                 std::max(m_contentWidth, viewport()->width()), h);
}

QModelIndex RowsView::indexAt(const QPoint& p) const
{
    const int row = rowAtY(p.y());
    if (row < 0) return QModelIndex();
    const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
    return visualRect(index).contains(p) ? index : QModelIndex();
}

void RowsView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!isVisible()) {
        // The scroll bars and the viewport take their sizes when shown.
        m_scrollOnShow = index;
        m_scrollOnShowHint = hint;
        return;
    }
    catchUp();
    const QRect rect = visualRect(index);
    if (!rect.isValid()) return;
    if (hint == EnsureVisible && viewport()->rect().contains(rect)) {
        viewport()->update(rect);
        return;
    }
    const int row = index.row();
    const int page = rowsPerPage();
    const int top = verticalScrollBar()->value();
    int to = top;
    switch (hint) {
    case PositionAtTop:
        to = row;
        break;
    case PositionAtBottom:
        to = row - page + 1;
        break;
    case PositionAtCenter:
        to = row - (page - 1) / 2;
        break;
    case EnsureVisible:
        if (row < top)
            to = row;
        else if (row >= top + page)
            to = row - page + 1;
        break;
    }
    verticalScrollBar()->setValue(to);
}

QModelIndex RowsView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int n = rows();
    if (n == 0) return QModelIndex();
    const QModelIndex current = currentIndex();
    auto at = [&](int row) {
        return model()->index(std::clamp(row, 0, n - 1), modelColumn(), rootIndex());
    };
    if (!current.isValid()) return at(0);
    const int row = current.row();
    // a page keeps one row of the last page in sight
    const int page = rowHeight() >= viewport()->height() ? 1 : std::max(1, rowsPerPage() - 1);
    switch (action) {
    case MoveUp:
    case MovePrevious:
        return at(row - 1);
    case MoveDown:
    case MoveNext:
        return at(row + 1);
    case MovePageUp:
        return at(row - page);
    case MovePageDown:
        return at(row + page);
    case MoveHome:
        return at(0);
    case MoveEnd:
        return at(n - 1);
    case MoveLeft:
    case MoveRight:
        break; // one column: nothing beside
    }
    return current;
}

void RowsView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel()) return;
    QItemSelection selection;
    int first = -1;
    int last = -1;
    if (state() == DragSelectingState && (rect.width() != 1 || rect.height() != 1)) {
        // A drag takes every row the swept band touches, from the press to
        // the pointer whichever way it went.
        const int h = rowHeight();
        const int top = std::min(rect.top(), rect.bottom()) + verticalOffset();
        const int bottom = std::max(rect.top(), rect.bottom()) + verticalOffset();
        if (bottom >= 0 && top < rows() * h) {
            first = std::max(0, top / h);
            last = std::min(rows() - 1, bottom / h);
        }
    } else {
        // a click, or a range from the anchor's row to the clicked row
        const int from = rowAtY(rect.top());
        const int to = rowAtY(rect.bottom());
        if (from >= 0 && to >= 0) {
            first = std::min(from, to);
            last = std::max(from, to);
        }
    }
    if (first >= 0 && first <= last)
        selection.select(model()->index(first, modelColumn(), rootIndex()),
                         model()->index(last, modelColumn(), rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion RowsView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const QRect shown = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex()) continue;
        const QRect top = visualRect(model()->index(range.top(), modelColumn(), rootIndex()));
        const QRect bottom = visualRect(model()->index(range.bottom(), modelColumn(), rootIndex()));
        const QRect rect = QRect(top.topLeft(), bottom.bottomRight()) & shown;
        if (!rect.isEmpty()) region += rect;
    }
    return region;
}

void RowsView::doItemsLayout()
{
    // Font, style or contents changed: the row size is taken again.
    m_rowHeight = 0;
    m_contentWidth = 0;
    QAbstractItemView::doItemsLayout();
}

void RowsView::updateGeometries()
{
    if (!isVisible()) {
        m_geometryDue = true;
        return;
    }
    m_geometryDue = false;
    QScrollBar* vbar = verticalScrollBar();
    QScrollBar* hbar = horizontalScrollBar();
    const int n = rows();
    if (n == 0 || geometry().isEmpty()) {
        vbar->setRange(0, 0);
        hbar->setRange(0, 0);
    } else {
        const int h = rowHeight();
        const int page = std::min(n, rowsPerPage());
        vbar->setSingleStep(1);
        vbar->setPageStep(page);
        vbar->setRange(0, n - page);
        // The room without scroll bars decides whether the sideways bar is
        // needed, so that the two bars do not switch each other on and off.
        const QSize room = contentsRect().marginsRemoved(viewportMargins()).size();
        const bool downNeeded = qint64(n) * h > room.height();
        const bool sidewaysNeeded =
            m_contentWidth > room.width() - (downNeeded ? vbar->sizeHint().width() : 0);
        hbar->setSingleStep(h);
        hbar->setPageStep(viewport()->width());
        hbar->setRange(0, sidewaysNeeded ? std::max(0, m_contentWidth - viewport()->width()) : 0);
    }
    QAbstractItemView::updateGeometries();
}

void RowsView::scrollContentsBy(int dx, int dy)
{
    // The vertical bar counts rows.
    QAbstractItemView::scrollContentsBy(dx, dy * rowHeight());
}

void RowsView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    // Not the list view's own handling: it lays out every row again.
    QAbstractItemView::rowsInserted(parent, start, end);
    if (parent != rootIndex()) return;
    if (!isVisible()) {
        m_geometryDue = true;
        return;
    }
    takeRowSize(end);
    updateGeometries();
    // The new rows and those they pushed down, where they are on screen.
    const QRect shown = viewport()->rect();
    const int top = std::max(shown.top(), start * rowHeight() - verticalOffset());
    if (top <= shown.bottom())
        viewport()->update(QRect(shown.left(), top, shown.width(), shown.bottom() - top + 1));
}

void RowsView::catchUp()
{
    if (!m_geometryDue) return;
    if (rows() > 0) takeRowSize(rows() - 1);
    updateGeometries();
    viewport()->update();
}

void RowsView::showEvent(QShowEvent* e)
{
    QListView::showEvent(e);
    catchUp();
    if (m_scrollOnShow.isValid()) scrollTo(std::exchange(m_scrollOnShow, {}), m_scrollOnShowHint);
}

void RowsView::focusInEvent(QFocusEvent* e)
{
    focusInKeepingCurrent(this, [&] { QListView::focusInEvent(e); });
    viewport()->update(); // the focus mark
}

void RowsView::focusOutEvent(QFocusEvent* e)
{
    QListView::focusOutEvent(e);
    viewport()->update();
}

void RowsView::paintEvent(QPaintEvent* e)
{
    paintRows(e);
    // An empty list, or one with no current entry, shows the focus too.
    paintFocusWithoutCurrent(this);
}

void RowsView::paintRows(QPaintEvent* e)
{
    const int n = rows();
    if (n == 0 || !itemDelegate()) return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QStylePainter painter(viewport());
    const int h = rowHeight();
    const int voff = verticalOffset();
    const int first = std::max(0, (e->rect().top() + voff) / h);
    const int last = std::min(n - 1, (e->rect().bottom() + voff) / h);
    const QModelIndex current = currentIndex();
    const QItemSelectionModel* selections = selectionModel();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QStyle::State state = option.state;
    const bool enabled = (state & QStyle::State_Enabled) != 0;
    const bool alternate = alternatingRowColors();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        option.rect = visualRect(index);
        option.state = state;
        if (selections && selections->isSelected(index)) option.state |= QStyle::State_Selected;
        if (enabled) {
            if (!(model()->flags(index) & Qt::ItemIsEnabled)) {
                option.state &= ~QStyle::State_Enabled;
                option.palette.setCurrentColorGroup(QPalette::Disabled);
            } else {
                option.palette.setCurrentColorGroup(QPalette::Normal);
            }
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState) option.state |= QStyle::State_Editing;
        }
        if (alternate) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, (row & 1) != 0);
            const QStyle::State keep = option.state;
            option.state &= ~QStyle::State_Selected;
            painter.drawPrimitive(QStyle::PE_PanelItemViewRow, option);
            option.state = keep;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

// --- list box entries ---

int ListRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

QVariant ListRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_texts.size()) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_texts.at(index.row());
    case Qt::DecorationRole:
        return icon ? QVariant(icon(index.row())) : QVariant();
    case kIndentRole:
        return indent ? indent(index.row()) : 0;
    case Qt::AccessibleTextRole: {
        // A screen reader says the name as the list shows it, without the
        // layout blanks, so names that differ only in invisible characters
        // do not sound alike.
        const QString& text = m_texts.at(index.row());
        return plat::drives::displayName(text.mid(indent ? indent(index.row()) : 0));
    }
    default:
        return QVariant();
    }
}

void ListRows::insert(int at, const QStringList& texts)
{
    if (texts.isEmpty()) return;
    beginInsertRows(QModelIndex(), at, at + int(texts.size()) - 1);
    if (at == m_texts.size())
        m_texts.append(texts);
    else
        for (qsizetype i = 0; i < texts.size(); ++i)
            m_texts.insert(at + i, texts.at(i));
    endInsertRows();
}

void ListRows::append(QStringList&& texts)
{
    if (texts.isEmpty()) return;
    const int at = int(m_texts.size());
    beginInsertRows(QModelIndex(), at, at + int(texts.size()) - 1);
    m_texts.append(std::move(texts));
    endInsertRows();
}

void ListRows::remove(int at)
{
    beginRemoveRows(QModelIndex(), at, at);
    m_texts.removeAt(at);
    endRemoveRows();
}

void ListRows::setText(int at, const QString& text)
{
    m_texts[at] = text;
    const QModelIndex changed = index(at);
    emit dataChanged(changed, changed);
}

void ListRows::reset(const QStringList& texts)
{
    beginResetModel();
    m_texts = texts;
    endResetModel();
}

// --- list box ---

ListBox::ListBox(QWidget* parent, const char* name, MultiSelectMode mode) : RowsView(parent)
{
    setObjectName(QString::fromLatin1(name));
    setModel(&m_rows);
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
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    showNamesAsOnScreen(this);
}

QString ListBox::List(int i) const
{
    flushPending();
    return i >= 0 && i < m_rows.texts().size() ? m_rows.texts().at(i) : QString();
}

void ListBox::setList(int i, const QString& text)
{
    flushPending();
    if (i >= 0 && i < m_rows.texts().size()) m_rows.setText(i, text);
}

QModelIndex ListBox::item(int i) const
{
    flushPending();
    return m_rows.index(i);
}

void ListBox::setCurrentRow(int row)
{
    setCurrentRow(row, selectionMode() == SingleSelection ? QItemSelectionModel::ClearAndSelect
                       : selectionMode() == NoSelection   ? QItemSelectionModel::NoUpdate
                                                          : QItemSelectionModel::SelectCurrent);
}

void ListBox::setCurrentRow(int row, QItemSelectionModel::SelectionFlags command)
{
    flushPending();
    selectionModel()->setCurrentIndex(m_rows.index(row), command);
}

void ListBox::setListIndex(int i)
{
    flushPending();
    if (i < 0 || i >= m_rows.texts().size()) {
        setCurrentRow(-1, QItemSelectionModel::NoUpdate);
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
    const QModelIndex at = m_rows.index(i);
    return at.isValid() && selectionModel()->isSelected(at);
}

void ListBox::selectAll()
{
    flushPending();
    RowsView::selectAll();
}

void ListBox::setSelected(int i, bool on)
{
    flushPending();
    const QModelIndex at = m_rows.index(i);
    if (at.isValid())
        selectionModel()->select(at,
                                 on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QString ListBox::Text() const
{
    return List(ListIndex());
}

void ListBox::AddItem(const QString& text, int index)
{
    flushPending();
    const int n = int(m_rows.texts().size());
    m_rows.insert(index < 0 || index > n ? n : index, {text});
}

void ListBox::AddItems(const QStringList& texts)
{
    flushPending();
    m_rows.insert(int(m_rows.texts().size()), texts);
}

void ListBox::FlushPending()
{
    m_rows.append(std::exchange(m_pending, {}));
}

void ListBox::RemoveItem(int index)
{
    flushPending();
    if (index >= 0 && index < m_rows.texts().size()) m_rows.remove(index);
}

void ListBox::Clear()
{
    m_pending.clear();
    const QSignalBlocker block(this);
    selectionModel()->clear();
    m_rows.reset({});
}

void ListBox::resetSilently(const QStringList& entries)
{
    const QSignalBlocker block(this);
    const QSignalBlocker blockSel(selectionModel());
    setUpdatesEnabled(false);
    m_pending.clear();
    m_rows.reset(entries);
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
    const bool changed = changesEntryOrSelection(this, [&] { RowsView::mousePressEvent(e); });
    if (changed || indexAt(e->position().toPoint()).isValid()) emit Click();
}

void ListBox::mouseReleaseEvent(QMouseEvent* e)
{
    leftButtonOnly(e, [&] { RowsView::mouseReleaseEvent(e); });
    emit MouseUp(vbButton(e->button()), shiftState(e->modifiers()), e->position().x() * 15.0,
                 e->position().y() * 15.0);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (leftButtonOnly(e, [&] { RowsView::mouseDoubleClickEvent(e); })) emit DblClick();
}

void ListBox::keyPressEvent(QKeyEvent* e)
{
    if (changesEntryOrSelection(this, [&] { RowsView::keyPressEvent(e); })) emit Click();
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
