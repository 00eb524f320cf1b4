#include "editor/notefield.h"

#include "controls/vbform.h"
#include "editor/notefieldaccess.h"
#include "platform/clipboard.h"
#include "platform/msgbox.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cmath>
#include <thread>

namespace {

constexpr int kMargin = 3;
// How far around a position whole characters are looked for: a cluster
// longer than this (a letter under hundreds of marks) is taken in parts.
constexpr qsizetype kClusterWindow = 256;

// The first CR or LF in [from, to), or to. Every line of a loaded text
// goes through here, sixteen characters at a time where the processor can.
qsizetype firstLineEnd(const char16_t* d, qsizetype from, qsizetype to)
{
    qsizetype i = from;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i cr = _mm_set1_epi16(u'\r');
    for (; i + 16 <= to; i += 16) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 8));
        const __m128i m0 = _mm_or_si128(_mm_cmpeq_epi16(v0, lf), _mm_cmpeq_epi16(v0, cr));
        const __m128i m1 = _mm_or_si128(_mm_cmpeq_epi16(v1, lf), _mm_cmpeq_epi16(v1, cr));
        const int mask = _mm_movemask_epi8(_mm_packs_epi16(m0, m1)); // a bit a character
        if (mask) return i + __builtin_ctz(unsigned(mask));
    }
    for (; i + 8 <= to; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr)));
        if (mask) return i + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    for (; i < to; ++i)
        if (d[i] == u'\n' || d[i] == u'\r') return i;
    return to;
}

bool isRegionalIndicator(const char16_t* d, qsizetype i)
{
    // U+1F1E6 to U+1F1FF, the halves of a flag
    return d[i] == 0xD83C && d[i + 1] >= 0xDDE6 && d[i + 1] <= 0xDDFF;
}

// Whether a character boundary (grapheme cluster) lies at cut, looked at in
// [from, to) of the text at d; from must be a boundary itself.
bool clusterBoundary(const char16_t* d, qsizetype from, qsizetype to, qsizetype cut)
{
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar*>(d + from),
                          to - from);
    f.setPosition(cut - from);
    return f.isAtBoundary();
}

// Where a long line's piece that begins at start is cut, at most at limit
// (before the end of the text, n): between two characters as the boundary
// finder counts them, so a letter and its marks, a flag or an emoji
// sequence is never shown on two rows. Only kClusterWindow characters
// before the limit are looked at (a longer cluster is cut at the limit);
// what decides a boundary there is the two characters beside it, except
// within a run of flag halves, which pair up from the run's start (at the
// latest the piece's start, itself a boundary).
qsizetype clusterCut(const char16_t* d, qsizetype n, qsizetype start, qsizetype limit)
{
    // two ASCII characters (CR LF is a line end) always part
    if (d[limit - 1] < 0x80 && d[limit] < 0x80) return limit;
    qsizetype cut = limit;
    if (QChar::isLowSurrogate(d[cut]) && QChar::isHighSurrogate(d[cut - 1])) --cut;
    if (cut - start >= 2 && cut + 1 < n && isRegionalIndicator(d, cut - 2) &&
        isRegionalIndicator(d, cut)) {
        qsizetype before = 0;
        for (qsizetype j = cut - 2; j >= start && isRegionalIndicator(d, j); j -= 2)
            ++before;
        return before % 2 == 0 ? cut : cut - 2;
    }
    const qsizetype from = std::max(start, limit - kClusterWindow);
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar*>(d + from),
                          std::min(n, limit + 2) - from);
    f.setPosition(limit - from);
    const qsizetype at = f.isAtBoundary() ? limit - from : f.toPreviousBoundary();
    if (at <= 0) return cut; // one cluster over the whole window: cut, but not a surrogate pair
    cut = from + at;
    // a run of flag halves that reaches before the window pairs up from its start
    if (cut - start >= 2 && cut + 1 < n && isRegionalIndicator(d, cut - 2) &&
        isRegionalIndicator(d, cut)) {
        qsizetype before = 0;
        for (qsizetype j = cut - 2; j >= start && isRegionalIndicator(d, j); j -= 2)
            ++before;
        if (before % 2 != 0 && cut - 2 > start) cut -= 2;
    }
    return cut;
}

// Where the piece that begins at start ends, in a text of n characters
// in one run at d: the start of the next piece, or -1 for the last one;
// *content is its end without the line end.
qsizetype pieceAfter(const char16_t* d, qsizetype n, qsizetype start, qsizetype* content)
{
    const qsizetype limit = std::min(n, start + NoteField::kMaxPiece);
    const qsizetype i = firstLineEnd(d, start, limit);
    *content = i;
    if (i < limit) {
        if (d[i] == u'\n') return i + 1;
        return (i + 1 < n && d[i + 1] == u'\n') ? i + 2 : i + 1;
    }
    if (limit == n) return -1;
    const qsizetype cut = limit;
    if (d[cut] == u'\n') return cut + 1;
    if (d[cut] == u'\r') return (cut + 1 < n && d[cut + 1] == u'\n') ? cut + 2 : cut + 1;
    // cut after a blank near the limit, so the cut looks like a wrap; a
    // blank that a mark or a joiner follows is part of a character
    for (qsizetype j = cut - 1; j > cut - 256 && j > start; --j)
        if (d[j] == u'\t' ||
            (d[j] == u' ' && (d[j + 1] < 0x80 || clusterBoundary(d, j, std::min(n, j + 3), j + 1))))
            return *content = j + 1;
    return *content = clusterCut(d, n, start, limit);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

NoteField::NoteField(QWidget* parent, const char* name, qsizetype undoBound)
    : QAbstractScrollArea(parent), m_undoBound(undoBound)
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
    NoteFieldAccessible::install();

    m_menu = new QMenu(this);
    m_menu->setObjectName("contextMenu");
    m_undoAction = m_menu->addAction(QStringLiteral("&Undo"), this, [this] { Undo(); });
    m_menu->addSeparator();
    m_cutAction = m_menu->addAction(QStringLiteral("Cu&t"), this, [this] {
        plat::clipboard::SetText(SelText());
        setSelText(QString());
    });
    m_copyAction = m_menu->addAction(QStringLiteral("&Copy"), this,
                                     [this] { plat::clipboard::SetText(SelText()); });
    m_pasteAction = m_menu->addAction(QStringLiteral("&Paste"), this,
                                      [this] { insertTyped(plat::clipboard::GetText()); });
    m_deleteAction =
        m_menu->addAction(QStringLiteral("&Delete"), this, [this] { setSelText(QString()); });
    m_menu->addSeparator();
    m_selectAllAction = m_menu->addAction(QStringLiteral("Select &All"), this, [this] {
        m_anchor = 0;
        moveCaret(m_buf.size(), true);
        offerPrimary();
    });
    estimateAllRows();
    updateScrollBar();
}

NoteField::~NoteField()
{
    withdrawPrimary();
    if (m_dropper.joinable()) m_dropper.join();
}

// --- the pieces the text is shown in ---

// A piece ends after a line end (CR LF, LF or a lone CR), or after
// kMaxPiece characters of a long line. What ends a piece depends only on the
// text from its start on, so after an edit the pieces are found again from
// just before the edit until they meet the old ones.
qsizetype NoteField::nextPieceStart(qsizetype start) const
{
    // the piece and the line end after it, in one run of characters; the
    // window ends before the text only past where a piece can end
    const qsizetype n = m_buf.size();
    QString scratch;
    const QStringView v = m_buf.view(start, std::min(n, start + kMaxPiece + 2), &scratch);
    qsizetype content = 0;
    const qsizetype next = pieceAfter(v.utf16(), v.size(), 0, &content);
    return next < 0 ? -1 : start + next;
}

int NoteField::rowsBetween(qsizetype start, qsizetype end) const
{
    if (end > start && m_buf.at(end - 1) == u'\n') --end;
    if (end > start && m_buf.at(end - 1) == u'\r') --end;
    return rowsFor(end - start);
}

// A line start is a piece start whatever comes before it, so a large text
// is cut in slices that begin at line starts and the slices are cut into
// pieces side by side; each piece's rows are estimated on the way.
void NoteField::rebuildPieces(QString* newLine)
{
    const qsizetype n = m_buf.size();
    constexpr qsizetype kSlice = 2 << 20;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = int(std::clamp<qsizetype>(n / kSlice, 1, std::min(cores, 8)));
    std::vector<qsizetype> begin{0};
    for (int k = 1; k < wanted; ++k) {
        const qsizetype lf =
            m_buf.indexOf(u"\n", std::max(begin.back(), n / wanted * k), Qt::CaseSensitive);
        if (lf < 0 || lf + 1 >= n) break;
        if (lf + 1 > begin.back()) begin.push_back(lf + 1);
    }
    begin.push_back(n);
    const size_t slices = begin.size() - 1;
    std::vector<LineIndex::Part> parts(slices);
    QString scratch;
    const char16_t* d = m_buf.view(0, n, &scratch).utf16(); // a text just set is one run
    // Each slice works on its own copies of what it reads in its loop and
    // on a part of its own, handed over at the end: the shared ones sit on
    // the first slice's stack and in one array beside what the other slices
    // write, and every slice would keep pulling those lines from the others.
    // The first slice holds the text's first line end, when it has one:
    // the next slice begins after a line end.
    qsizetype firstEnd = -1, firstEndLength = 0;
    auto cutSlice = [&parts, &begin, &firstEnd, &firstEndLength, d, n, slices, this](size_t k) {
        const qsizetype end = begin[k + 1];
        const bool last = k + 1 == slices;
        LineIndex::Part part;
        qsizetype s = begin[k];
        qsizetype lineEnd = -1, lineEndLength = 0;
        for (;;) {
            qsizetype content = 0;
            const qsizetype next = pieceAfter(d, n, s, &content);
            part.push(s, rowsFor((next < 0 ? n : content) - s));
            if (lineEnd < 0 && next > content) {
                lineEnd = content;
                lineEndLength = next - content;
            }
            if (next < 0 || (!last && next >= end)) break;
            s = next;
        }
        parts[k] = std::move(part);
        if (k == 0) {
            firstEnd = lineEnd;
            firstEndLength = lineEndLength;
        }
    };
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < slices; ++k)
        helpers.emplace_back(cutSlice, k);
    cutSlice(0);
    for (std::thread& t : helpers)
        t.join();
    m_lines.assign(std::move(parts));
    if (newLine)
        *newLine = firstEnd >= 0 ? m_buf.mid(firstEnd, firstEndLength) : QStringLiteral("\r\n");
}

qsizetype NoteField::pieceEnd(qsizetype i) const
{
    return i + 1 < pieceCount() ? m_lines.start(i + 1) : m_buf.size();
}

qsizetype NoteField::contentEnd(qsizetype i) const
{
    const qsizetype start = m_lines.start(i);
    qsizetype e = pieceEnd(i);
    if (e > start && m_buf.at(e - 1) == u'\n') --e;
    if (e > start && m_buf.at(e - 1) == u'\r') --e;
    return e;
}

qsizetype NoteField::pieceOf(qsizetype pos) const
{
    return m_lines.pieceOf(pos);
}

// The steps are kept within bounds, the oldest going first: at most
// kMaxUndoSteps, and no more replaced text than the bound. The last step
// that holds a replaced text stays all the same, whatever its size, and so
// do the steps after it (typing over a selection is two steps, the
// replacement and the typing that goes on from it): Undo always takes
// the last edit back.
void NoteField::dropOldUndoSteps()
{
    if (qsizetype(m_undo.size()) <= kMaxUndoSteps && m_undoChars <= m_undoBound) return;
    size_t holder = m_undo.size() - 1;
    while (holder > 0 && m_undo[holder].removed.isEmpty())
        --holder;
    size_t drop = 0;
    while (drop + 1 < m_undo.size() && (qsizetype(m_undo.size() - drop) > kMaxUndoSteps ||
                                        (drop < holder && m_undoChars > m_undoBound))) {
        m_undoChars -= m_undo[drop].removed.size();
        ++drop;
    }
    m_undo.erase(m_undo.begin(), m_undo.begin() + qsizetype(drop));
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
    withdrawPrimary();
    m_undo.clear();
    m_undoChars = 0;
    const bool announce = QAccessible::isActive();
    const QString oldText = announce ? m_buf.toString() : QString();
    TextBuffer old;
    std::swap(old, m_buf);
    LineIndex oldLines;
    std::swap(oldLines, m_lines);
    m_buf.setText(text);
    dropLayouts();
    rebuildPieces(&m_newLine);
    m_anchor = m_caret = 0;
    m_wantedX = -1;
    m_top = {};
    updateScrollBar();
    viewport()->update();
    if (announce) {
        QAccessibleTextUpdateEvent ev(this, 0, oldText, text);
        QAccessible::updateAccessibility(&ev);
    }
    // Giving a large document's memory back takes as long as reading a
    // part of the new one: it is done beside.
    if (m_dropper.joinable()) m_dropper.join();
    if (old.size() > (1 << 20))
        m_dropper = std::thread([t = std::move(old), l = std::move(oldLines)]() mutable {
            t = TextBuffer();
            l = LineIndex();
        });
    announceCaret();
    emit Change();
}

bool NoteField::replace(qsizetype pos, qsizetype len, const QString& with)
{
    const qsizetype n = m_buf.size();
    pos = std::clamp<qsizetype>(pos, 0, n);
    len = std::clamp<qsizetype>(len, 0, n - pos);
    if (len == 0 && with.isEmpty()) return true;
    const bool announce = QAccessible::isActive();
    QString removed; // the whole text is shared, not copied
    bool kept = true;
    if (len > 0 && (!m_undoing || announce)) {
        try {
            removed = m_buf.mid(pos, len);
        } catch (const std::bad_alloc&) {
            kept = false;
        }
    }
    if (!kept && !m_undoing) {
        // Without the text it replaces the edit could not be taken back:
        // the user decides before it is made.
        if (plat::MsgBox(QStringLiteral("There is not enough memory to keep the text being "
                                        "replaced, so this change could not be undone. Make "
                                        "it anyway?"),
                         plat::vbYesNo | plat::vbExclamation | plat::vbDefaultButton2) !=
            plat::vbYes)
            return false;
        // the steps before it no longer fit the text
        m_undo.clear();
        m_undoChars = 0;
    }
    withdrawPrimary(); // the text under the selection changes
    if (!m_undoing && kept && (len != with.size() || removed != with)) {
        // Typing runs on from the last edit: one step takes it all back.
        if (m_typing && len == 0 && !m_undo.empty() && m_undo.back().removed.isEmpty() &&
            m_undo.back().pos + m_undo.back().insertedLength == pos) {
            m_undo.back().insertedLength += 1;
        } else {
            m_undo.push_back({pos, removed, with.size()});
            m_undoChars += len;
        }
        dropOldUndoSteps();
    }
    if (len > 0 && len == n) {
        // The whole text: taken as it is, shared, and cut into pieces as a
        // load does (an Undo of Select All and typing costs no copy).
        m_buf.setText(with);
        rebuildPieces();
        finishEdit(pos, removed, with, announce);
        return true;
    }
    const qsizetype delta = with.size() - len;
    const qsizetype oldEnd = pos + len;
    // One piece back: a CR just before the edit may join an LF the edit brings.
    qsizetype a = pieceOf(pos);
    if (a > 0) --a;
    // The pieces from oldEnd on move with the edit (piece a and those
    // before it stay).
    const qsizetype tailFrom = std::max(a + 1, m_lines.firstFrom(oldEnd));

    m_buf.replace(pos, len, with);

    // The pieces from a on are found again until one meets a moved piece.
    std::vector<qsizetype> fresh;
    qsizetype ti = tailFrom;
    qsizetype joined = pieceCount(); // where the moved pieces take over again
    const qsizetype count = pieceCount();
    qsizetype movedStart = ti < count ? m_lines.start(ti) + delta : 0;
    for (qsizetype s = m_lines.start(a); (s = nextPieceStart(s)) >= 0;) {
        while (ti < count && movedStart < s)
            if (++ti < count) movedStart = m_lines.start(ti) + delta;
        if (ti < count && movedStart == s) {
            joined = ti;
            break;
        }
        fresh.push_back(s);
    }
    // Pieces a+1 .. joined-1 give way to the fresh ones.
    std::vector<int> rows(fresh.size());
    const qsizetype textEnd = m_buf.size();
    const qsizetype after = joined < count ? m_lines.start(joined) + delta : textEnd;
    for (size_t k = 0; k < fresh.size(); ++k)
        rows[k] = rowsBetween(fresh[k], k + 1 < fresh.size() ? fresh[k + 1] : after);
    m_lines.replace(a + 1, joined, fresh, rows, delta);
    m_lines.setRows(a, estimatedRows(a));
    finishEdit(pos, removed, with, announce);
    return true;
}

void NoteField::finishEdit(qsizetype pos, const QString& removed, const QString& with,
                           bool announce)
{
    if (m_top.piece >= pieceCount()) m_top = {pieceCount() - 1, 0};
    dropLayouts();
    updateScrollBar();
    viewport()->update();
    if (announce) {
        if (!removed.isEmpty() && !with.isEmpty()) {
            QAccessibleTextUpdateEvent ev(this, int(pos), removed, with);
            QAccessible::updateAccessibility(&ev);
        } else if (!removed.isEmpty()) {
            QAccessibleTextRemoveEvent ev(this, int(pos), removed);
            QAccessible::updateAccessibility(&ev);
        } else {
            QAccessibleTextInsertEvent ev(this, int(pos), with);
            QAccessible::updateAccessibility(&ev);
        }
    }
    emit Change();
}

// --- selection ---

void NoteField::setSelStart(qsizetype pos)
{
    m_anchor = m_caret = std::clamp<qsizetype>(pos, 0, m_buf.size());
    m_wantedX = -1;
    ensureCaretVisible();
    viewport()->update();
}

void NoteField::setSelLength(qsizetype n)
{
    const qsizetype start = SelStart();
    m_anchor = start;
    m_caret = std::clamp<qsizetype>(start + std::max<qsizetype>(n, 0), 0, m_buf.size());
    m_wantedX = -1;
    ensureCaretVisible();
    viewport()->update();
}

void NoteField::setSelText(const QString& text)
{
    const qsizetype start = SelStart();
    if (!replace(start, SelLength(), text)) return; // the user kept the text
    m_anchor = m_caret = start + text.size();
    m_wantedX = -1;
    ensureCaretVisible();
}

void NoteField::setSelection(qsizetype anchor, qsizetype caret)
{
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_buf.size());
    m_caret = std::clamp<qsizetype>(caret, 0, m_buf.size());
    m_wantedX = -1;
    ensureCaretVisible();
    viewport()->update();
}

void NoteField::replaceRange(qsizetype pos, qsizetype len, const QString& with)
{
    pos = std::clamp<qsizetype>(pos, 0, m_buf.size());
    m_anchor = pos;
    m_caret = std::clamp<qsizetype>(pos + len, pos, m_buf.size());
    setSelText(with);
    restartBlink();
}

void NoteField::showPosition(qsizetype pos)
{
    ensureVisible(std::clamp<qsizetype>(pos, 0, m_buf.size()));
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
    const qsizetype start = m_lines.start(i);
    auto l = std::make_unique<QTextLayout>(m_buf.mid(start, contentEnd(i) - start), font());
    if (!m_preedit.isEmpty() && pieceOf(m_caret) == i) {
        const int at = int(std::min(m_caret, contentEnd(i)) - start);
        l->setPreeditArea(at, m_preedit);
        QList<QTextLayout::FormatRange> formats = m_preeditFormats;
        for (QTextLayout::FormatRange& f : formats)
            f.start += at;
        l->setFormats(formats);
    }
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
    setRows(i, std::max(1, l->lineCount()));
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
    const qsizetype col = std::min(pos, contentEnd(i)) - m_lines.start(i);
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(int(col));
    return {i, line.isValid() ? line.lineNumber() : std::max(0, l->lineCount() - 1)};
}

qsizetype NoteField::posInRow(Row r, qreal x) const
{
    QTextLayout* l = layout(r.piece);
    const qsizetype start = m_lines.start(r.piece);
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
    return m_buf.size();
}

qreal NoteField::caretX() const
{
    const qsizetype i = pieceOf(m_caret);
    const qsizetype col = std::min(m_caret, contentEnd(i)) - m_lines.start(i);
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(int(col));
    return line.isValid() ? line.cursorToX(int(col)) : 0;
}

bool NoteField::pieceY(qsizetype i, qreal* y) const
{
    if (i < m_top.piece) return false;
    QTextLayout* first = layout(m_top.piece);
    qreal at = m_top.line < first->lineCount() ? -first->lineAt(m_top.line).y() : 0;
    const qreal h = viewport()->height();
    for (qsizetype k = m_top.piece; k < i; ++k) {
        at += pieceHeight(k);
        if (at > h) return false;
    }
    *y = at;
    return true;
}

QRect NoteField::characterRect(qsizetype pos) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_buf.size());
    const qsizetype i = pieceOf(pos);
    qreal y = 0;
    if (!pieceY(i, &y)) return QRect();
    const qsizetype start = m_lines.start(i);
    const int col = int(std::min(pos, contentEnd(i)) - start);
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(col);
    if (!line.isValid()) {
        const QFontMetricsF fm(font());
        return QRectF(kMargin, y, fm.averageCharWidth(), fm.height()).toAlignedRect();
    }
    const qreal top = y + line.y();
    if (top + line.height() <= 0 || top >= viewport()->height()) return QRect();
    const qreal x = line.cursorToX(col);
    qreal right = x;
    if (pos < contentEnd(i)) right = line.cursorToX(int(nextCharacter(pos) - start));
    if (right <= x) right = x + QFontMetricsF(font()).averageCharWidth();
    return QRectF(QPointF(kMargin + x, top), QPointF(kMargin + right, top + line.height()))
        .toAlignedRect();
}

void NoteField::rowRange(qsizetype pos, qsizetype* start, qsizetype* end) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_buf.size());
    const qsizetype i = pieceOf(pos);
    const qsizetype first = m_lines.start(i);
    *start = first;
    *end = pieceEnd(i);
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(int(std::min(pos, contentEnd(i)) - first));
    if (!line.isValid()) return;
    *start = first + line.textStart();
    if (line.lineNumber() + 1 < l->lineCount()) *end = first + line.textStart() + line.textLength();
}

QRect NoteField::caretRect() const
{
    const qsizetype i = pieceOf(m_caret);
    qreal y = 0;
    if (!pieceY(i, &y)) return QRect(kMargin, 0, 1, QFontMetrics(font()).height());
    const qsizetype start = m_lines.start(i);
    int col = int(std::min(m_caret, contentEnd(i)) - start);
    if (!m_preedit.isEmpty()) col += m_preeditCursor;
    QTextLayout* l = layout(i);
    const QTextLine line = l->lineForTextPosition(col);
    if (!line.isValid()) return QRect(kMargin, int(y), 1, QFontMetrics(font()).height());
    return QRectF(kMargin + line.cursorToX(col), y + line.y(), 1, line.height()).toAlignedRect();
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
        const qsizetype start = m_lines.start(i);
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
        if (m_caretOn && hasFocus() && pieceOf(m_caret) == i) {
            const int col = int(std::min(m_caret, end) - start);
            l->drawCursor(&p, at, m_preedit.isEmpty() ? col : col + m_preeditCursor, 1);
        }
        y += pieceHeight(i);
    }
}

void NoteField::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    dropLayouts();
    estimateAllRows();
    if (m_top.line >= lineCount(m_top.piece)) m_top.line = 0;
    updateScrollBar();
}

void NoteField::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        viewport()->setFont(font());
        dropLayouts();
        estimateAllRows();
        m_top.line = 0;
        updateScrollBar();
        viewport()->update();
    }
}

// --- rows for the scroll bar ---

int NoteField::rowsFor(qsizetype chars) const
{
    if (chars <= m_charsPerRow) return 1;
    return int(std::ceil(chars / m_charsPerRow));
}

int NoteField::estimatedRows(qsizetype i) const
{
    return rowsFor(contentEnd(i) - m_lines.start(i));
}

void NoteField::estimateAllRows()
{
    const QFontMetricsF fm(font());
    const qreal width = std::max(10, viewport()->width() - 2 * kMargin);
    m_charsPerRow = std::max<qreal>(1, width / std::max<qreal>(1, fm.averageCharWidth()));
    m_lines.setAllRows(m_buf.size(),
                       [this](qsizetype s, qsizetype e) { return rowsBetween(s, e); });
    for (const auto& [i, l] : m_layouts)
        if (i < pieceCount()) m_lines.setRows(i, std::max(1, l->lineCount()));
}

void NoteField::setRows(qsizetype i, int rows) const
{
    m_lines.setRows(i, rows);
}

qint64 NoteField::rowsBefore(qsizetype piece) const
{
    return m_lines.rowsBefore(piece);
}

qint64 NoteField::rowCount() const
{
    return m_lines.totalRows();
}

NoteField::Row NoteField::rowAtIndex(qint64 index) const
{
    qint64 left = 0;
    const qsizetype at = m_lines.pieceAtRow(index, &left);
    Row r{std::min<qsizetype>(at, pieceCount() - 1), 0};
    if (at < pieceCount())
        r.line = int(std::min<qint64>(left, lineCount(r.piece) - 1));
    else
        r.line = lineCount(r.piece) - 1;
    return r;
}

void NoteField::updateScrollBar()
{
    m_settingScroll = true;
    QScrollBar* sb = verticalScrollBar();
    const qint64 rows = rowCount();
    sb->setRange(0, int(std::min<qint64>(std::max<qint64>(rows - 1, 0), INT_MAX)));
    const qreal lh = std::max<qreal>(1, QFontMetricsF(font()).height());
    sb->setPageStep(std::max(1, int(viewport()->height() / lh)));
    if (!sb->isSliderDown())
        sb->setValue(int(std::min<qint64>(rowsBefore(m_top.piece) + m_top.line, INT_MAX)));
    m_settingScroll = false;
}

void NoteField::scrollContentsBy(int, int dy)
{
    if (m_settingScroll) return;
    QScrollBar* sb = verticalScrollBar();
    if (std::abs(dy) <= sb->pageStep()) {
        // arrows, paging, the wheel: so many rows from where the text is
        scrollRows(-dy);
        return;
    }
    m_top = rowAtIndex(sb->value());
    viewport()->update();
    tellInputMethod();
}

void NoteField::scrollRows(int rows)
{
    for (; rows > 0 && nextRow(m_top); --rows) {
    }
    for (; rows < 0 && prevRow(m_top); ++rows) {
    }
    updateScrollBar();
    viewport()->update();
    tellInputMethod();
}

void NoteField::ensureCaretVisible()
{
    announceCaret();
    ensureVisible(m_caret);
}

void NoteField::ensureVisible(qsizetype pos)
{
    if (!isVisible() && viewport()->height() <= 0) return;
    const Row c = rowOf(pos);
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
    tellInputMethod();
}

// --- editing and moving ---

qsizetype NoteField::previousCharacter(qsizetype pos) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_buf.size());
    if (pos == 0) return 0;
    const qsizetype from = std::max<qsizetype>(0, pos - kClusterWindow);
    QString scratch;
    const QStringView v = m_buf.view(from, pos, &scratch);
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, v.data(), v.size());
    f.setPosition(pos - from);
    const qsizetype p = f.toPreviousBoundary();
    return p < 0 ? from : from + p;
}

qsizetype NoteField::nextCharacter(qsizetype pos) const
{
    const qsizetype n = m_buf.size();
    pos = std::clamp<qsizetype>(pos, 0, n);
    if (pos == n) return n;
    // Some characters before pos tell how it joins (flags come in pairs).
    const qsizetype from = std::max<qsizetype>(0, pos - 16);
    const qsizetype to = std::min(n, pos + kClusterWindow);
    QString scratch;
    const QStringView v = m_buf.view(from, to, &scratch);
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, v.data(), v.size());
    f.setPosition(pos - from);
    const qsizetype p = f.toNextBoundary();
    return p < 0 ? to : from + p;
}

qsizetype NoteField::wordLeft(qsizetype pos) const
{
    // one character at a time: a stop is always just before a word
    // character, so never inside a cluster or a CR LF
    while (pos > 0 && !isWordChar(m_buf.at(pos - 1)))
        --pos;
    while (pos > 0 && isWordChar(m_buf.at(pos - 1)))
        --pos;
    return pos;
}

qsizetype NoteField::wordRight(qsizetype pos) const
{
    const qsizetype n = m_buf.size();
    while (pos < n && isWordChar(m_buf.at(pos)))
        ++pos;
    while (pos < n && !isWordChar(m_buf.at(pos)))
        ++pos;
    return pos;
}

void NoteField::moveCaret(qsizetype pos, bool keepAnchor)
{
    m_caret = std::clamp<qsizetype>(pos, 0, m_buf.size());
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
        moveCaret(m_buf.size(), true);
        offerPrimary();
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    // A selection made with Shift and the caret keys is offered as the
    // primary selection, as one made with the mouse: once the key has
    // moved the caret (the offer before stays until then).
    struct OfferAfterwards {
        NoteField* f;
        bool shift;
        qsizetype caret;
        ~OfferAfterwards()
        {
            if (!shift) return;
            f->m_keySelecting = false;
            if (f->m_caret == caret) return;
            if (f->hasSelection())
                f->offerPrimary();
            else
                f->withdrawPrimary();
        }
    } offer{this, shift, m_caret};
    m_keySelecting = shift;
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
            moveCaret(ctrl ? wordLeft(m_caret) : previousCharacter(m_caret), shift);
        return;
    case Qt::Key_Right:
        m_wantedX = -1;
        if (hasSel && !shift)
            moveCaret(SelStart() + SelLength(), false);
        else
            moveCaret(ctrl ? wordRight(m_caret) : nextCharacter(m_caret), shift);
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
            moveCaret(home ? 0 : m_buf.size(), shift);
            return;
        }
        const Row r = rowOf(m_caret);
        QTextLayout* l = layout(r.piece);
        const qsizetype start = m_lines.start(r.piece);
        qsizetype target = start;
        if (r.line < l->lineCount()) {
            const QTextLine line = l->lineAt(r.line);
            target = start + (home ? line.textStart() : line.textStart() + line.textLength());
            if (!home && r.line + 1 < l->lineCount() && target > start + line.textStart())
                target = previousCharacter(target); // stay on this row, before its wrap
        }
        moveCaret(std::min(target, contentEnd(r.piece)), shift);
        return;
    }
    case Qt::Key_Backspace:
        m_wantedX = -1;
        if (hasSel) {
            setSelText(QString());
        } else if (m_caret > 0) {
            const qsizetype from = ctrl ? wordLeft(m_caret) : previousCharacter(m_caret);
            m_anchor = from;
            setSelText(QString());
        }
        restartBlink();
        return;
    case Qt::Key_Delete:
        m_wantedX = -1;
        if (!hasSel && m_caret < m_buf.size())
            m_anchor = ctrl ? wordRight(m_caret) : nextCharacter(m_caret);
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
    if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
        if (e->replacementLength() > 0 && !hasSelection()) {
            const qsizetype from =
                std::clamp<qsizetype>(m_caret + e->replacementStart(), 0, m_buf.size());
            m_anchor = from;
            m_caret = std::min(from + e->replacementLength(), m_buf.size());
        }
        m_preedit.clear();
        insertTyped(e->commitString());
    }
    m_preedit = e->preeditString();
    m_preeditCursor = int(m_preedit.size());
    m_preeditFormats.clear();
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            m_preeditCursor = a.start;
            m_caretOn = a.length > 0 || m_preedit.isEmpty();
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (f.isValid()) m_preeditFormats.append({a.start, a.length, f});
        }
    }
    // Only the caret's piece shows the composed text.
    m_layouts.erase(pieceOf(m_caret));
    viewport()->update();
    e->accept();
}

QVariant NoteField::inputMethodQuery(Qt::InputMethodQuery q) const
{
    // The input method sees the caret's line (a piece of at most 4096
    // characters), never the whole document.
    const qsizetype piece = pieceOf(m_caret);
    const qsizetype start = m_lines.start(piece);
    const qsizetype end = contentEnd(piece);
    switch (q) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImCursorPosition:
        return int(std::min(m_caret, end) - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, start, end) - start);
    case Qt::ImSurroundingText:
        return m_buf.mid(start, end - start);
    case Qt::ImTextBeforeCursor:
        return m_buf.mid(start, std::min(m_caret, end) - start);
    case Qt::ImTextAfterCursor:
        return m_buf.mid(std::min(m_caret, end), end - std::min(m_caret, end));
    case Qt::ImCurrentSelection: {
        const qsizetype a = std::clamp(SelStart(), start, end);
        const qsizetype b = std::clamp(SelStart() + SelLength(), start, end);
        return m_buf.mid(a, b - a);
    }
    case Qt::ImCursorRectangle:
        return caretRect().translated(viewport()->geometry().topLeft());
    case Qt::ImFont:
        return font();
    case Qt::ImMaximumTextLength:
        return QVariant(); // no limit
    default:
        return QAbstractScrollArea::inputMethodQuery(q);
    }
}

void NoteField::dragTo(QPoint p)
{
    m_dragPoint = p;
    const bool outside = p.y() < 0 || p.y() > viewport()->height();
    if (outside && !m_autoScroll.isActive()) m_autoScroll.start(50, this);
    if (!outside) m_autoScroll.stop();
    const QPoint inside(p.x(), std::clamp(p.y(), 0, std::max(0, viewport()->height() - 1)));
    moveCaret(posAt(inside), true);
}

void NoteField::mousePressEvent(QMouseEvent* e)
{
    if (!m_preedit.isEmpty()) QGuiApplication::inputMethod()->commit();
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::MiddleButton) {
        // the primary selection goes in where the middle button was pressed
        const QString text = plat::clipboard::GetSelectionText();
        if (text.isEmpty()) return;
        m_wantedX = -1;
        moveCaret(posAt(p), false);
        insertTyped(text);
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    m_wantedX = -1;
    m_dragging = true;
    moveCaret(posAt(p), e->modifiers() & Qt::ShiftModifier);
}

void NoteField::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging || !(e->buttons() & Qt::LeftButton)) return;
    dragTo(e->position().toPoint());
}

void NoteField::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (m_dragging && hasSelection()) offerPrimary();
    m_dragging = false;
    m_autoScroll.stop();
}

void NoteField::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const qsizetype p = posAt(e->position().toPoint());
    qsizetype a = p, b = p;
    while (a > 0 && isWordChar(m_buf.at(a - 1)))
        --a;
    while (b < m_buf.size() && isWordChar(m_buf.at(b)))
        ++b;
    m_anchor = a;
    moveCaret(b, true);
    if (hasSelection()) offerPrimary();
}

void NoteField::contextMenuEvent(QContextMenuEvent* e)
{
    updateMenu();
    if (auto* form = qobject_cast<ctl::VbForm*>(window())) {
        form->PopupMenu(m_menu);
    } else {
        m_menu->popup(e->globalPos());
    }
    e->accept();
}

void NoteField::updateMenu()
{
    const bool sel = hasSelection();
    m_undoAction->setEnabled(!m_undo.empty());
    m_cutAction->setEnabled(sel);
    m_copyAction->setEnabled(sel);
    m_pasteAction->setEnabled(!plat::clipboard::GetText().isEmpty());
    m_deleteAction->setEnabled(sel);
    m_selectAllAction->setEnabled(!m_buf.isEmpty() && SelLength() < m_buf.size());
}

// The selection is offered as it stands and its text is made only when
// another program asks for it; the offer ends as soon as that text is no
// longer what is selected (another selection or none, an edit, another
// document), so what a middle click elsewhere pastes is what was selected.
void NoteField::offerPrimary()
{
    m_offeredStart = SelStart();
    m_offeredLength = SelLength();
    QPointer<NoteField> self(this);
    const quint64 offer = ++m_offerCount; // known before the seam may ask for the text
    m_offer = offer;
    m_offerId = plat::clipboard::SetSelectionText(
        [self, offer] { return self && self->m_offer == offer ? self->SelText() : QString(); });
}

void NoteField::withdrawPrimary()
{
    if (m_offer == 0) return;
    m_offer = 0;
    plat::clipboard::WithdrawSelectionText(m_offerId);
    m_offerId = 0;
}

void NoteField::selectionMoved()
{
    if (m_offer != 0 && (SelStart() != m_offeredStart || SelLength() != m_offeredLength) &&
        !m_keySelecting)
        withdrawPrimary();
}

void NoteField::tellInputMethod() const
{
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImSurroundingText |
                                               Qt::ImCursorPosition | Qt::ImAnchorPosition);
}

void NoteField::announceCaret()
{
    selectionMoved();
    if (m_caret == m_announcedCaret && m_anchor == m_announcedAnchor) return;
    const bool selectionChanged = hasSelection() || m_announcedAnchor != m_announcedCaret;
    m_announcedCaret = m_caret;
    m_announcedAnchor = m_anchor;
    if (!QAccessible::isActive()) return;
    QAccessibleTextCursorEvent cursor(this, int(m_caret));
    QAccessible::updateAccessibility(&cursor);
    if (selectionChanged) {
        QAccessibleTextSelectionEvent sel(this, int(SelStart()), int(SelStart() + SelLength()));
        sel.setCursorPosition(int(m_caret));
        QAccessible::updateAccessibility(&sel);
    }
}

void NoteField::wheelEvent(QWheelEvent* e)
{
    // A notch (120) scrolls three rows. A touchpad or a fine wheel sends the
    // same turn in small parts, so what a part leaves over is kept for the
    // next one, until the turn goes the other way. The angle is taken also
    // where a pixel delta comes with it: on X11 that delta is counted in
    // the input driver's own scroll units, not in the screen's pixels.
    const int delta = e->angleDelta().y();
    if ((delta > 0 && m_wheelRest < 0) || (delta < 0 && m_wheelRest > 0)) m_wheelRest = 0;
    m_wheelRest += delta;
    const int steps = m_wheelRest / kWheelPerRow;
    m_wheelRest -= steps * kWheelPerRow;
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
    if (e->timerId() == m_autoScroll.timerId()) {
        if (!m_dragging) {
            m_autoScroll.stop();
            return;
        }
        scrollRows(m_dragPoint.y() < 0 ? -1 : 1);
        dragTo(m_dragPoint);
        return;
    }
    if (e->timerId() == m_blink.timerId()) {
        m_caretOn = !m_caretOn;
        viewport()->update();
        return;
    }
    QAbstractScrollArea::timerEvent(e);
}
