#include "editor/notefield.h"

#include "platform/clipboard.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int kMargin = 3;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

NoteField::NoteField(QWidget* parent, const char* name) : QAbstractScrollArea(parent)
{
    setObjectName(QString::fromLatin1(name));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBar();
}

NoteField::~NoteField() = default;

// --- the pieces the text is shown in ---

// A piece ends after a line end (CR LF, LF or a lone CR), or after
// kMaxPiece characters of a long line. What ends a piece depends only on the
// text from its start on, so after an edit the pieces are found again from
// just before the edit until they meet the old ones.
qsizetype NoteField::nextPieceStart(qsizetype start) const
{
    const qsizetype n = m_text.size();
    const char16_t* d = reinterpret_cast<const char16_t*>(m_text.constData());
    const qsizetype limit = std::min(n, start + kMaxPiece);
    // the first line end: an LF, or a CR before it
    const QStringView piece = QStringView(m_text).mid(start, limit - start);
    const qsizetype lf = piece.indexOf(u'\n');
    const qsizetype cr = piece.left(lf >= 0 ? lf : piece.size()).indexOf(u'\r');
    if (cr >= 0) {
        const qsizetype i = start + cr;
        return (i + 1 < n && d[i + 1] == u'\n') ? i + 2 : i + 1;
    }
    if (lf >= 0) return start + lf + 1;
    if (limit == n) return -1;
    qsizetype cut = limit;
    if (d[cut] == u'\n') return cut + 1;
    if (d[cut] == u'\r') return (cut + 1 < n && d[cut + 1] == u'\n') ? cut + 2 : cut + 1;
    // cut after a blank near the limit, so the cut looks like a wrap
    for (qsizetype j = cut - 1; j > cut - 256 && j > start; --j)
        if (d[j] == u' ' || d[j] == u'\t') return j + 1;
    if (QChar::isLowSurrogate(d[cut]) && QChar::isHighSurrogate(d[cut - 1])) --cut;
    return cut;
}

void NoteField::rebuildPieces()
{
    m_piece.clear();
    m_piece.reserve(size_t(m_text.size() / 40 + 1));
    m_piece.push_back(0);
    for (qsizetype s = 0; (s = nextPieceStart(s)) >= 0;)
        m_piece.push_back(s);
}

qsizetype NoteField::pieceEnd(qsizetype i) const
{
    return i + 1 < pieceCount() ? m_piece[size_t(i + 1)] : m_text.size();
}

qsizetype NoteField::contentEnd(qsizetype i) const
{
    const qsizetype start = m_piece[size_t(i)];
    qsizetype e = pieceEnd(i);
    if (e > start && m_text.at(e - 1) == u'\n') --e;
    if (e > start && m_text.at(e - 1) == u'\r') --e;
    return e;
}

qsizetype NoteField::pieceOf(qsizetype pos) const
{
    auto it = std::upper_bound(m_piece.begin(), m_piece.end(), pos);
    return qsizetype(it - m_piece.begin()) - 1;
}

bool NoteField::Undo()
{
    if (m_undo.empty()) return false;
    const Edit e = m_undo.back();
    m_undo.pop_back();
    m_undoChars -= e.removed.size();
    m_undoing = true;
    replace(e.pos, e.insertedLength, e.removed);
    m_undoing = false;
    m_anchor = e.pos;
    moveCaret(e.pos + e.removed.size(), true);
    return true;
}

void NoteField::setText(const QString& text)
{
    m_undo.clear();
    m_undoChars = 0;
    m_text = text;
    rebuildPieces();
    const qsizetype firstEnd = pieceCount() > 1 ? pieceEnd(0) : -1;
    if (firstEnd > 0) {
        const qsizetype c = contentEnd(0);
        m_newLine = m_text.mid(c, firstEnd - c);
    } else {
        m_newLine = QStringLiteral("\r\n");
    }
    m_anchor = m_caret = 0;
    m_wantedX = -1;
    m_top = {};
    dropLayouts();
    updateScrollBar();
    viewport()->update();
    emit Change();
}

void NoteField::replace(qsizetype pos, qsizetype len, const QString& with)
{
    pos = std::clamp<qsizetype>(pos, 0, m_text.size());
    len = std::clamp<qsizetype>(len, 0, m_text.size() - pos);
    if (len == 0 && with.isEmpty()) return;
    if (!m_undoing && QStringView(m_text).mid(pos, len) != with) {
        // Typing runs on from the last edit: one step takes it all back.
        if (m_typing && len == 0 && !m_undo.empty() && m_undo.back().removed.isEmpty() &&
            m_undo.back().pos + m_undo.back().insertedLength == pos) {
            m_undo.back().insertedLength += 1;
        } else {
            m_undo.push_back({pos, m_text.mid(pos, len), with.size()});
            m_undoChars += len;
        }
        // Keep the steps within bounds; the oldest go first.
        constexpr qsizetype kMaxUndoChars = 64 << 20;
        while (m_undo.size() > 1 && (m_undo.size() > 10000 || m_undoChars > kMaxUndoChars)) {
            m_undoChars -= m_undo.front().removed.size();
            m_undo.erase(m_undo.begin());
        }
    }
    const qsizetype delta = with.size() - len;
    const qsizetype oldEnd = pos + len;
    // One piece back: a CR just before the edit may join an LF the edit brings.
    qsizetype a = pieceOf(pos);
    if (a > 0) --a;
    auto tailIt = std::lower_bound(m_piece.begin(), m_piece.end(), oldEnd);
    std::vector<qsizetype> tail(tailIt, m_piece.end());
    for (qsizetype& t : tail)
        t += delta;
    m_piece.erase(m_piece.begin() + a + 1, m_piece.end());

    m_text.replace(pos, len, with);

    size_t ti = 0;
    for (qsizetype s = m_piece.back(); (s = nextPieceStart(s)) >= 0;) {
        while (ti < tail.size() && tail[ti] < s)
            ++ti;
        if (ti < tail.size() && tail[ti] == s) {
            m_piece.insert(m_piece.end(), tail.begin() + qsizetype(ti), tail.end());
            break;
        }
        m_piece.push_back(s);
    }
    if (m_top.piece >= pieceCount()) m_top = {pieceCount() - 1, 0};
    dropLayouts();
    updateScrollBar();
    viewport()->update();
    emit Change();
}

// --- selection ---

void NoteField::setSelStart(qsizetype pos)
{
    m_anchor = m_caret = std::clamp<qsizetype>(pos, 0, m_text.size());
    m_wantedX = -1;
    ensureCaretVisible();
    viewport()->update();
}

void NoteField::setSelLength(qsizetype n)
{
    const qsizetype start = SelStart();
    m_anchor = start;
    m_caret = std::clamp<qsizetype>(start + std::max<qsizetype>(n, 0), 0, m_text.size());
    m_wantedX = -1;
    ensureCaretVisible();
    viewport()->update();
}

void NoteField::setSelText(const QString& text)
{
    const qsizetype start = SelStart();
    replace(start, SelLength(), text);
    m_anchor = m_caret = start + text.size();
    m_wantedX = -1;
    ensureCaretVisible();
}

QString NoteField::FontName() const
{
    return font().family();
}

void NoteField::setFontName(const QString& family)
{
    QFont f = font();
    f.setFamily(family);
    setFont(f);
}

// --- layout of the pieces on screen ---

void NoteField::dropLayouts() const
{
    m_layouts.clear();
}

QTextLayout* NoteField::layout(qsizetype i) const
{
    auto it = m_layouts.find(i);
    if (it != m_layouts.end()) return it->second.get();
    if (m_layouts.size() > 400) m_layouts.clear();
    const qsizetype start = m_piece[size_t(i)];
    auto l = std::make_unique<QTextLayout>(m_text.mid(start, contentEnd(i) - start), font());
    QTextOption opt;
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    opt.setTabStopDistance(QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')) * 8);
    l->setTextOption(opt);
    l->setCacheEnabled(true);
    const qreal width = std::max(10, viewport()->width() - 2 * kMargin);
    qreal y = 0;
    l->beginLayout();
    for (QTextLine line = l->createLine(); line.isValid(); line = l->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    l->endLayout();
    QTextLayout* raw = l.get();
    m_layouts.emplace(i, std::move(l));
    return raw;
}

int NoteField::lineCount(qsizetype i) const
{
    return std::max(1, layout(i)->lineCount());
}

qreal NoteField::pieceHeight(qsizetype i) const
{
    QTextLayout* l = layout(i);
    if (l->lineCount() == 0) return QFontMetricsF(font()).height();
    const QTextLine last = l->lineAt(l->lineCount() - 1);
    return last.y() + last.height();
}

qreal NoteField::rowHeight(Row r) const
{
    QTextLayout* l = layout(r.piece);
    if (r.line >= l->lineCount()) return QFontMetricsF(font()).height();
    return l->lineAt(r.line).height();
}

bool NoteField::prevRow(Row& r) const
{
    if (r.line > 0) {
        --r.line;
        return true;
    }
    if (r.piece == 0) return false;
    --r.piece;
    r.line = lineCount(r.piece) - 1;
    return true;
}

bool NoteField::nextRow(Row& r) const
{
    if (r.line + 1 < lineCount(r.piece)) {
        ++r.line;
        return true;
    }
    if (r.piece + 1 >= pieceCount()) return false;
    ++r.piece;
    r.line = 0;
    return true;
}

NoteField::Row NoteField::rowOf(qsizetype pos) const
{
    const qsizetype i = pieceOf(pos);
    const qsizetype col = std::min(pos, contentEnd(i)) - m_piece[size_t(i)];
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(int(col));
    return {i, line.isValid() ? line.lineNumber() : std::max(0, l->lineCount() - 1)};
}

qsizetype NoteField::posInRow(Row r, qreal x) const
{
    QTextLayout* l = layout(r.piece);
    const qsizetype start = m_piece[size_t(r.piece)];
    if (r.line >= l->lineCount()) return start;
    const int col = l->lineAt(r.line).xToCursor(x);
    return std::min(start + col, contentEnd(r.piece));
}

qsizetype NoteField::posAt(QPoint p) const
{
    qreal y = -layout(m_top.piece)->lineAt(0).y();
    if (layout(m_top.piece)->lineCount() > m_top.line)
        y = -layout(m_top.piece)->lineAt(m_top.line).y();
    const qreal py = std::max<qreal>(p.y(), 0);
    const qreal px = p.x() - kMargin;
    for (qsizetype i = m_top.piece; i < pieceCount(); ++i) {
        const qreal h = pieceHeight(i);
        if (py < y + h || i + 1 == pieceCount()) {
            QTextLayout* l = layout(i);
            int line = 0;
            while (line + 1 < l->lineCount() && py >= y + l->lineAt(line + 1).y())
                ++line;
            return posInRow({i, line}, px);
        }
        y += h;
    }
    return m_text.size();
}

qreal NoteField::caretX() const
{
    const qsizetype i = pieceOf(m_caret);
    const qsizetype col = std::min(m_caret, contentEnd(i)) - m_piece[size_t(i)];
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(int(col));
    return line.isValid() ? line.cursorToX(int(col)) : 0;
}

// --- painting ---

void NoteField::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect clip = e->rect();
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selFormat;
    selFormat.setBackground(palette().brush(group, QPalette::Highlight));
    selFormat.setForeground(palette().brush(group, QPalette::HighlightedText));
    const qsizetype selA = SelStart(), selB = SelStart() + SelLength();
    p.setPen(palette().color(QPalette::Text));

    QTextLayout* first = layout(m_top.piece);
    qreal y = m_top.line < first->lineCount() ? -first->lineAt(m_top.line).y() : 0;
    for (qsizetype i = m_top.piece; i < pieceCount() && y < viewport()->height(); ++i) {
        QTextLayout* l = layout(i);
        const qsizetype start = m_piece[size_t(i)];
        const qsizetype end = contentEnd(i);
        QList<QTextLayout::FormatRange> sel;
        if (selB > selA && selA < std::max(end, start + 1) && selB > start) {
            QTextLayout::FormatRange r;
            r.start = int(std::max(selA, start) - start);
            r.length = int(std::min(selB, end) - start) - r.start;
            r.format = selFormat;
            if (r.length > 0) sel << r;
        }
        const QPointF at(kMargin, y);
        l->draw(&p, at, sel, clip);
        if (m_caretOn && hasFocus() && pieceOf(m_caret) == i)
            l->drawCursor(&p, at, int(std::min(m_caret, end) - start), 1);
        y += pieceHeight(i);
    }
}

void NoteField::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    dropLayouts();
    if (m_top.line >= lineCount(m_top.piece)) m_top.line = 0;
    updateScrollBar();
}

void NoteField::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        viewport()->setFont(font());
        dropLayouts();
        m_top.line = 0;
        viewport()->update();
    }
}

void NoteField::updateScrollBar()
{
    m_settingScroll = true;
    QScrollBar* sb = verticalScrollBar();
    sb->setRange(0, int(std::min<qsizetype>(pieceCount() - 1, INT_MAX)));
    const qreal lh = std::max<qreal>(1, QFontMetricsF(font()).height());
    sb->setPageStep(std::max(1, int(viewport()->height() / lh)));
    sb->setValue(int(m_top.piece));
    m_settingScroll = false;
}

void NoteField::scrollContentsBy(int, int)
{
    if (m_settingScroll) return;
    m_top = {verticalScrollBar()->value(), 0};
    viewport()->update();
}

void NoteField::scrollRows(int rows)
{
    for (; rows > 0 && nextRow(m_top); --rows) {
    }
    for (; rows < 0 && prevRow(m_top); ++rows) {
    }
    updateScrollBar();
    viewport()->update();
}

void NoteField::ensureCaretVisible()
{
    if (!isVisible() && viewport()->height() <= 0) return;
    const Row c = rowOf(m_caret);
    if (c.piece < m_top.piece || (c.piece == m_top.piece && c.line < m_top.line)) {
        m_top = c;
    } else {
        // From the top row down to the caret's row, if it is near.
        const qreal h = viewport()->height();
        qreal y = 0;
        Row r = m_top;
        bool seen = false;
        for (;;) {
            y += rowHeight(r);
            if (r.piece == c.piece && r.line == c.line) {
                seen = true;
                break;
            }
            if (y > h || !nextRow(r)) break;
        }
        if (!seen || y > h) {
            // The caret's row becomes the bottom row.
            Row top = c;
            qreal used = rowHeight(c);
            for (Row prev = c; prevRow(prev);) {
                used += rowHeight(prev);
                if (used > h) break;
                top = prev;
            }
            m_top = top;
        }
    }
    updateScrollBar();
    viewport()->update();
}

// --- editing and moving ---

qsizetype NoteField::charBefore(qsizetype pos) const
{
    if (pos <= 0) return 0;
    if (pos >= 2 && m_text.at(pos - 1) == u'\n' && m_text.at(pos - 2) == u'\r') return pos - 2;
    if (pos >= 2 && m_text.at(pos - 1).isLowSurrogate() && m_text.at(pos - 2).isHighSurrogate())
        return pos - 2;
    return pos - 1;
}

qsizetype NoteField::charAfter(qsizetype pos) const
{
    const qsizetype n = m_text.size();
    if (pos >= n) return n;
    if (pos + 1 < n && m_text.at(pos) == u'\r' && m_text.at(pos + 1) == u'\n') return pos + 2;
    if (pos + 1 < n && m_text.at(pos).isHighSurrogate() && m_text.at(pos + 1).isLowSurrogate())
        return pos + 2;
    return pos + 1;
}

qsizetype NoteField::wordLeft(qsizetype pos) const
{
    while (pos > 0 && !isWordChar(m_text.at(pos - 1)))
        pos = charBefore(pos);
    while (pos > 0 && isWordChar(m_text.at(pos - 1)))
        --pos;
    return pos;
}

qsizetype NoteField::wordRight(qsizetype pos) const
{
    const qsizetype n = m_text.size();
    while (pos < n && isWordChar(m_text.at(pos)))
        ++pos;
    while (pos < n && !isWordChar(m_text.at(pos)))
        pos = charAfter(pos);
    return pos;
}

void NoteField::moveCaret(qsizetype pos, bool keepAnchor)
{
    m_caret = std::clamp<qsizetype>(pos, 0, m_text.size());
    if (!keepAnchor) m_anchor = m_caret;
    restartBlink();
    ensureCaretVisible();
}

void NoteField::insertTyped(const QString& text)
{
    // A typed character joins the run before it; a line end starts a new step.
    m_typing = text.size() == 1 && text != "\r" && text != "\n" && !hasSelection();
    setSelText(text);
    m_typing = false;
    restartBlink();
}

void NoteField::keyPressEvent(QKeyEvent* e)
{
    if (e == QKeySequence::Copy) {
        plat::clipboard::SetText(SelText());
        return;
    }
    if (e == QKeySequence::Cut) {
        plat::clipboard::SetText(SelText());
        setSelText(QString());
        return;
    }
    if (e == QKeySequence::Paste) {
        insertTyped(plat::clipboard::GetText());
        return;
    }
    if (e == QKeySequence::Undo) {
        Undo();
        return;
    }
    if (e == QKeySequence::SelectAll) {
        m_anchor = 0;
        moveCaret(m_text.size(), true);
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool hasSel = m_anchor != m_caret;
    auto vertical = [&](int rows) {
        if (m_wantedX < 0) m_wantedX = caretX();
        const qreal x = m_wantedX;
        Row r = rowOf(m_caret);
        bool moved = false;
        for (; rows > 0 && nextRow(r); --rows)
            moved = true;
        for (; rows < 0 && prevRow(r); ++rows)
            moved = true;
        if (!moved) return;
        moveCaret(posInRow(r, x), shift);
        m_wantedX = x;
    };
    const int pageRows = std::max(
        1, int(viewport()->height() / std::max<qreal>(1, QFontMetricsF(font()).height())) - 1);
    switch (e->key()) {
    case Qt::Key_Left:
        m_wantedX = -1;
        if (hasSel && !shift)
            moveCaret(SelStart(), false);
        else
            moveCaret(ctrl ? wordLeft(m_caret) : charBefore(m_caret), shift);
        return;
    case Qt::Key_Right:
        m_wantedX = -1;
        if (hasSel && !shift)
            moveCaret(SelStart() + SelLength(), false);
        else
            moveCaret(ctrl ? wordRight(m_caret) : charAfter(m_caret), shift);
        return;
    case Qt::Key_Up:
        vertical(-1);
        return;
    case Qt::Key_Down:
        vertical(1);
        return;
    case Qt::Key_PageUp:
        scrollRows(-pageRows);
        vertical(-pageRows);
        return;
    case Qt::Key_PageDown:
        scrollRows(pageRows);
        vertical(pageRows);
        return;
    case Qt::Key_Home:
    case Qt::Key_End: {
        m_wantedX = -1;
        const bool home = e->key() == Qt::Key_Home;
        if (ctrl) {
            moveCaret(home ? 0 : m_text.size(), shift);
            return;
        }
        const Row r = rowOf(m_caret);
        QTextLayout* l = layout(r.piece);
        const qsizetype start = m_piece[size_t(r.piece)];
        qsizetype target = start;
        if (r.line < l->lineCount()) {
            const QTextLine line = l->lineAt(r.line);
            target = start + (home ? line.textStart() : line.textStart() + line.textLength());
            if (!home && r.line + 1 < l->lineCount() && target > start + line.textStart())
                target = charBefore(target); // stay on this row, before its wrap
        }
        moveCaret(std::min(target, contentEnd(r.piece)), shift);
        return;
    }
    case Qt::Key_Backspace:
        m_wantedX = -1;
        if (hasSel) {
            setSelText(QString());
        } else if (m_caret > 0) {
            const qsizetype from = ctrl ? wordLeft(m_caret) : charBefore(m_caret);
            m_anchor = from;
            setSelText(QString());
        }
        restartBlink();
        return;
    case Qt::Key_Delete:
        m_wantedX = -1;
        if (!hasSel && m_caret < m_text.size())
            m_anchor = ctrl ? wordRight(m_caret) : charAfter(m_caret);
        setSelText(QString());
        restartBlink();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_wantedX = -1;
        insertTyped(m_newLine);
        return;
    default:
        break;
    }
    const QString t = e->text();
    if (!t.isEmpty() && !ctrl) {
        bool printable = true;
        for (QChar c : t)
            if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f) printable = false;
        if (printable) {
            m_wantedX = -1;
            insertTyped(t);
            return;
        }
    }
    e->ignore();
}

void NoteField::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty()) insertTyped(e->commitString());
    e->accept();
}

QVariant NoteField::inputMethodQuery(Qt::InputMethodQuery q) const
{
    switch (q) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorPosition:
        return int(m_caret - m_piece[size_t(pieceOf(m_caret))]);
    case Qt::ImCursorRectangle: {
        const QFontMetrics fm(font());
        return QRect(int(caretX()) + kMargin, 0, 1, fm.height());
    }
    default:
        return QAbstractScrollArea::inputMethodQuery(q);
    }
}

void NoteField::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    m_wantedX = -1;
    m_dragging = true;
    moveCaret(posAt(e->position().toPoint()), e->modifiers() & Qt::ShiftModifier);
}

void NoteField::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging || !(e->buttons() & Qt::LeftButton)) return;
    const QPoint p = e->position().toPoint();
    if (p.y() < 0)
        scrollRows(-1);
    else if (p.y() > viewport()->height())
        scrollRows(1);
    moveCaret(posAt(p), true);
}

void NoteField::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void NoteField::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const qsizetype p = posAt(e->position().toPoint());
    qsizetype a = p, b = p;
    while (a > 0 && isWordChar(m_text.at(a - 1)))
        --a;
    while (b < m_text.size() && isWordChar(m_text.at(b)))
        ++b;
    m_anchor = a;
    moveCaret(b, true);
}

void NoteField::wheelEvent(QWheelEvent* e)
{
    const int steps = e->angleDelta().y() / 40;
    if (steps != 0) scrollRows(-steps);
    e->accept();
}

void NoteField::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    restartBlink();
}

void NoteField::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    m_blink.stop();
    viewport()->update();
}

void NoteField::restartBlink()
{
    m_caretOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0 && hasFocus())
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update();
}

void NoteField::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_blink.timerId()) {
        m_caretOn = !m_caretOn;
        viewport()->update();
        return;
    }
    QAbstractScrollArea::timerEvent(e);
}
