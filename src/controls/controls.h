#pragma once
// The plain controls the windows are built from, with the Windows controls'
// semantics: geometry in twips, a button press from code runs its click at
// once (also while hidden), list boxes whose current entry and selection are
// separate, timers that never re-enter their own handler.
#include <QAbstractListModel>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace ctl {

// Places a control in twips of its parent's client area; the exact values
// are kept, so a layout reads back what it set.
void Move(QWidget* w, double left, double top, double width, double height);
void Move(QWidget* w, double left, double top, double width); // height unchanged
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
};
TwipsRect twips(const QWidget* w);

// Paints the entries of a list of names in the screen's form of a name
// (drives::displayName): a byte that is not UTF-8 shows as "\xE9". The
// entries' text stays exact. Every list box does this.
void showNamesAsOnScreen(QAbstractItemView* view);
// The role of a row's layout blanks, which are shown as blanks.
constexpr int kIndentRole = Qt::UserRole + 1;

// The Windows fonts by name. "MS Sans Serif" (and "Arial") is the sans
// serif whose widths the windows' geometry was made for; sizes are points
// at 96 to the inch, as the twips are.
QFont vbFont(const QString& face, double points, bool bold = false);

// The program's default font (the dialog font, 8.25 points) and a style
// that marks the focus whatever moved it. Run once, by the first window.
void useProgramLook();

// A list that has the focus but no current entry shows a focus rectangle
// at its top row, so it looks different from a list without the focus.
// Every list control calls it after painting.
void paintFocusWithoutCurrent(QAbstractItemView* view);

void setBackColor(QWidget* w, int vbColor);
int backColor(const QWidget* w);
void setForeColor(QWidget* w, int vbColor);

// A mouse event's button (1 left, 2 right, 4 middle) and shift state (1 Shift,
// 2 Ctrl, 4 Alt) as MouseUp reports them.
int vbButton(Qt::MouseButton b);
int shiftState(Qt::KeyboardModifiers m);

// The list-box rules every list control keeps on its item view: whether a
// press or key the view handled changed the current entry or the selection
// (and so raises Click), and a focus-in that makes no entry current.
bool changesEntryOrSelection(QAbstractItemView* view, const std::function<void()>& handle);
void focusInKeepingCurrent(QAbstractItemView* view, const std::function<void()>& handle);
// Only the left button reaches the view's own release and double-click
// handling; the others are taken and do nothing there. True when the
// view's handling ran.
bool leftButtonOnly(QMouseEvent* e, const std::function<void()>& handle);

class TextBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent, const char* name);
    QString Text() const { return text(); }
    void setText(const QString& t) { QLineEdit::setText(t); }

  protected:
    void changeEvent(QEvent* e) override;

  private:
    void keepLineWhole();
};

class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit MultiLineTextBox(QWidget* parent, const char* name);
    QString Text() const { return toPlainText(); }
    void setText(const QString& t) { setPlainText(t); }
};

// Labels and images are drawn on their container's surface, as Windows
// draws them: beneath every windowed control (buttons, fields, lists, scroll
// bars) of the same container, whatever the order of creation, so a label
// that overlaps a button never covers it or takes its clicks. Labels and
// images keep their order among themselves. Both controls call this when
// they are made, shown or moved to another container.
void keepBeneathWindowedControls(QWidget* w);

class Label : public QLabel {
    Q_OBJECT
  public:
    explicit Label(QWidget* parent, const char* name, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& c) { setText(c); }

  protected:
    bool event(QEvent* e) override;
};

class CommandButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CommandButton(QWidget* parent, const char* name, const QString& caption);
    // Pressing from code (Value = True): the click runs now, hidden or not.
    void Press() { emit Click(); }
  signals:
    void Click();
};

// An item view whose rows all have one height, placed by arithmetic: a
// row's place follows from its number, so rows added to a list cost nothing
// in the rows already there, and a hidden list does no layout at all until
// it is shown. The view scrolls by whole rows, as a Windows list box does.
class RowsView : public QListView {
    Q_OBJECT
  public:
    explicit RowsView(QWidget* parent);
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& p) const override;
    void doItemsLayout() override;

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    // Rows, then the focus mark; taking the focus makes no entry current.
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void showEvent(QShowEvent* e) override;

  private:
    void paintRows(QPaintEvent* e);
    int rows() const;
    int rowHeight() const;
    int rowsPerPage() const;
    int rowAtY(int y) const; // -1 when no row is there
    // One row's size, taken from the last row as the delegate sizes it; the
    // widest taken since the list was emptied sets how far it scrolls
    // sideways.
    void takeRowSize(int row) const;
    // Takes what came while hidden, once shown.
    void catchUp();
    mutable int m_rowHeight = 0; // 0: not taken yet
    mutable int m_contentWidth = 0;
    bool m_geometryDue = false; // rows came while hidden
    // A scroll asked for while hidden, done when shown.
    QPersistentModelIndex m_scrollOnShow;
    ScrollHint m_scrollOnShowHint = EnsureVisible;
};

// The entries of a list box, one text per row. Inserts and removals are
// announced as such, so the view takes only the rows that changed.
class ListRows : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const QStringList& texts() const { return m_texts; }
    void insert(int at, const QStringList& texts);
    void append(QStringList&& texts); // takes the texts over
    void remove(int at);
    void setText(int at, const QString& text);
    void reset(const QStringList& texts);
    // The icon a row shows, for lists whose rows carry one.
    std::function<QIcon(int row)> icon;
    // How many leading blanks of a row only lay it out (a folder's depth);
    // the rest is the name.
    std::function<int(int row)> indent;

  private:
    QStringList m_texts;
};

// A list box: ListIndex (the current entry) is separate from the selection;
// no entry becomes current by taking the focus; a right-button press changes
// neither. Click, DblClick and MouseUp are raised as a Windows list box raises them.
class ListBox : public RowsView {
    Q_OBJECT
  public:
    enum MultiSelectMode { None = 0, Simple = 1, Extended = 2 };
    explicit ListBox(QWidget* parent, const char* name, MultiSelectMode mode = None);

    int ListCount() const
    {
        flushPending();
        return int(m_rows.texts().size());
    }
    QString List(int i) const;
    void setList(int i, const QString& text);
    int ListIndex() const
    {
        flushPending();
        return currentIndex().row();
    }
    void setListIndex(int i); // raises Click, as a Windows list box does
    bool Selected(int i) const;
    void setSelected(int i, bool on);
    // Every entry in one range (held rows first); one by one the selection
    // model would take time in the square of the entries' number.
    void selectAll() override;
    QString Text() const; // the current entry's text
    void AddItem(const QString& text, int index = -1);
    // Appends rows in one insert: the view takes them in one go.
    void AddItems(const QStringList& texts);
    void RemoveItem(int index);
    void Clear();

    // A long run of appends (a folder walk) holds its rows back and adds
    // them in one go when it shows its progress, so the list takes and
    // draws them once per batch rather than once per row. Every read or
    // change above adds the rows held back first, so to every caller the
    // list holds them already.
    void AddItemLater(const QString& text) { m_pending.append(text); }
    void FlushPending();

    // As a Qt list widget names them; item(i) is row i's index.
    int count() const { return ListCount(); }
    int currentRow() const { return ListIndex(); }
    void setCurrentRow(int row); // selects it too, unless nothing can be selected
    void setCurrentRow(int row, QItemSelectionModel::SelectionFlags command);
    QModelIndex item(int i) const;
    QRect visualItemRect(const QModelIndex& item) const { return visualRect(item); }

  signals:
    void Click();
    void DblClick();
    void MouseUp(int button, int shift, double x, double y);

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Drops entries, current entry and selection without raising anything.
    void resetSilently(const QStringList& entries);
    ListRows& rowsModel() { return m_rows; }

  private:
    // Const: a read adds the rows that callers count as there already.
    void flushPending() const
    {
        if (!m_pending.isEmpty()) const_cast<ListBox*>(this)->FlushPending();
    }
    ListRows m_rows;
    QStringList m_pending;
};

// A timer whose handler never runs inside itself: a tick that comes while
// the handler lets events run is dropped.
class Timer : public QObject {
    Q_OBJECT
  public:
    explicit Timer(QObject* parent, const char* name, int intervalMs, bool enabled);
    int Interval() const { return m_timer.interval(); }
    void setInterval(int ms) { m_timer.setInterval(ms); }
    bool Enabled() const { return m_timer.isActive(); }
    void setEnabled(bool on);
  signals:
    void Timer_();

  private:
    QTimer m_timer;
    bool m_inHandler = false;
};

} // namespace ctl
