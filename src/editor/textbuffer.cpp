#include "editor/textbuffer.h"

#include <algorithm>
#include <cstring>

namespace {

// More spans than this (a great many places edited) and the text is
// joined: each edit walks the list of spans once.
constexpr size_t kMaxSpans = 1 << 16;

} // namespace

void TextBuffer::setText(const QString& text)
{
    m_base = text;
    m_added = QString();
    m_size = text.size();
    m_spans.clear();
    m_starts.clear();
    if (m_size > 0) {
        m_spans.push_back({false, 0, m_size});
        m_starts.push_back(0);
    }
}

size_t TextBuffer::spanAt(qsizetype pos) const
{
    if (pos >= m_size) return m_spans.size();
    if (m_spans.size() == 1) return 0;
    return size_t(std::upper_bound(m_starts.begin(), m_starts.end(), pos) - m_starts.begin()) - 1;
}

QChar TextBuffer::at(qsizetype i) const
{
    if (i < 0 || i >= m_size) return QChar();
    if (m_spans.size() == 1) return data(m_spans[0])[i];
    const size_t k = spanAt(i);
    return data(m_spans[k])[i - m_starts[k]];
}

QString TextBuffer::mid(qsizetype pos, qsizetype len) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_size);
    len = std::clamp<qsizetype>(len, 0, m_size - pos);
    if (len == m_size && len > 0) return toString(); // shared, not copied
    return copy(pos, len);
}

QString TextBuffer::copy(qsizetype pos, qsizetype len) const
{
    if (len == 0) return QString();
    size_t k = spanAt(pos);
    qsizetype off = pos - m_starts[k];
    if (off + len <= m_spans[k].length) return QString(data(m_spans[k]) + off, len);
    QString out;
    out.reserve(len);
    for (; len > 0; ++k, off = 0) {
        const qsizetype take = std::min(len, m_spans[k].length - off);
        out.append(data(m_spans[k]) + off, take);
        len -= take;
    }
    return out;
}

QStringView TextBuffer::view(qsizetype from, qsizetype to, QString* scratch) const
{
    from = std::clamp<qsizetype>(from, 0, m_size);
    to = std::clamp<qsizetype>(to, from, m_size);
    if (from == to) return QStringView();
    const size_t k = spanAt(from);
    const qsizetype off = from - m_starts[k];
    if (off + (to - from) <= m_spans[k].length)
        return QStringView(data(m_spans[k]) + off, to - from);
    *scratch = copy(from, to - from);
    return *scratch;
}

void TextBuffer::restartFrom(size_t k)
{
    m_starts.resize(m_spans.size());
    qsizetype at = k == 0 ? 0 : m_starts[k - 1] + m_spans[k - 1].length;
    for (size_t j = k; j < m_spans.size(); ++j) {
        m_starts[j] = at;
        at += m_spans[j].length;
    }
}

void TextBuffer::replace(qsizetype pos, qsizetype len, QStringView with)
{
    pos = std::clamp<qsizetype>(pos, 0, m_size);
    len = std::clamp<qsizetype>(len, 0, m_size - pos);
    if (len == 0 && with.isEmpty()) return;
    // Typing on after what was typed last: its span grows.
    if (len == 0 && pos > 0) {
        const size_t k = spanAt(pos - 1);
        Span& s = m_spans[k];
        if (s.added && m_starts[k] + s.length == pos && s.from + s.length == m_added.size()) {
            m_added.append(with);
            s.length += with.size();
            m_size += with.size();
            for (size_t j = k + 1; j < m_spans.size(); ++j)
                m_starts[j] += with.size();
            return;
        }
    }
    const size_t first = spanAt(pos);
    const size_t kept = spanAt(pos + len); // holds the first character after the edit
    Span middle[3];
    int count = 0;
    if (first < m_spans.size() && pos > m_starts[first]) {
        const Span& s = m_spans[first];
        middle[count++] = {s.added, s.from, pos - m_starts[first]};
    }
    if (!with.isEmpty()) {
        middle[count++] = {true, m_added.size(), with.size()};
        m_added.append(with);
    }
    size_t end = kept; // spans [first, end) give way to the middle ones
    if (kept < m_spans.size() && pos + len > m_starts[kept]) {
        const Span& s = m_spans[kept];
        const qsizetype cut = pos + len - m_starts[kept];
        middle[count++] = {s.added, s.from + cut, s.length - cut};
        end = kept + 1;
    }
    const qsizetype replaced = qsizetype(end - first);
    if (count > replaced) {
        m_spans.insert(m_spans.begin() + qsizetype(first), size_t(count - replaced), Span{});
    } else if (count < replaced) {
        m_spans.erase(m_spans.begin() + qsizetype(first) + count, m_spans.begin() + qsizetype(end));
    }
    std::copy(middle, middle + count, m_spans.begin() + qsizetype(first));
    m_size += with.size() - len;
    restartFrom(first);
    // Many places edited, or much typed and taken away again: one string
    // again, and the memory of what went back.
    if (m_spans.size() > kMaxSpans || m_added.size() > 2 * std::max<qsizetype>(m_size, 32 << 20))
        join();
}

void TextBuffer::join() const
{
    if (m_spans.empty()) {
        m_base = QString();
        m_added = QString();
        return;
    }
    if (m_spans.size() == 1 && !m_spans[0].added && m_spans[0].from == 0 &&
        m_spans[0].length == m_base.size())
        return;
    if (m_base.isDetached()) {
        // In place: no second copy of a large text. Spans of the text as
        // loaded are in their order; those moving left go left to right,
        // those moving right right to left, so none overwrites one still
        // to move; typed spans go in last.
        const qsizetype oldSize = m_base.size();
        if (m_size > oldSize) m_base.resize(m_size);
        QChar* b = m_base.data();
        for (size_t k = 0; k < m_spans.size(); ++k) {
            const Span& s = m_spans[k];
            if (!s.added && m_starts[k] < s.from)
                std::memmove(b + m_starts[k], b + s.from, size_t(s.length) * sizeof(QChar));
        }
        for (size_t k = m_spans.size(); k-- > 0;) {
            const Span& s = m_spans[k];
            if (!s.added && m_starts[k] > s.from)
                std::memmove(b + m_starts[k], b + s.from, size_t(s.length) * sizeof(QChar));
        }
        for (size_t k = 0; k < m_spans.size(); ++k) {
            const Span& s = m_spans[k];
            if (s.added)
                std::memcpy(b + m_starts[k], m_added.constData() + s.from,
                            size_t(s.length) * sizeof(QChar));
        }
        if (m_size < oldSize) m_base.truncate(m_size);
    } else {
        QString out(m_size, Qt::Uninitialized);
        QChar* b = out.data();
        for (size_t k = 0; k < m_spans.size(); ++k)
            std::memcpy(b + m_starts[k], data(m_spans[k]),
                        size_t(m_spans[k].length) * sizeof(QChar));
        m_base = std::move(out);
    }
    m_added = QString();
    m_spans.assign(1, Span{false, 0, m_size});
    m_starts.assign(1, 0);
}

QString TextBuffer::toString() const
{
    join();
    return m_spans.empty() ? QString() : m_base;
}

// A search compares with the character before each place as well (ignoring
// case, the second half of a surrogate pair folds with its first), so each
// place is looked at with the character before it: inside a span in place,
// across spans in a short copy. The first place of a span is looked at
// from the seam.
bool TextBuffer::matchesAt(qsizetype p, QStringView needle, Qt::CaseSensitivity cs) const
{
    const qsizetype c = std::max<qsizetype>(p - 1, 0);
    const QString w = copy(c, std::min(p + needle.size(), m_size) - c);
    return w.size() == p + needle.size() - c && QStringView(w).indexOf(needle, p - c, cs) == p - c;
}

qsizetype TextBuffer::indexOf(QStringView needle, qsizetype from, Qt::CaseSensitivity cs) const
{
    // QString's rules for where a search starts, start past either end
    // included: a start from the end that leaves no room for the needle
    // finds nothing; a one-character needle counts such a start from the
    // end once more. (A longer needle there QString looks for before its
    // own text; here the search starts at 0.)
    const qsizetype m = needle.size();
    if (from < 0) from += m_size;
    if (size_t(m + from) > size_t(m_size)) return -1;
    if (m == 0) return from;
    if (from < 0) from = m == 1 ? std::max<qsizetype>(from + m_size, 0) : 0;
    for (size_t k = spanAt(from); k < m_spans.size(); ++k) {
        const qsizetype start = m_starts[k];
        const qsizetype end = start + m_spans[k].length;
        if (k > 0 && from <= start && matchesAt(start, needle, cs)) return start;
        const qsizetype a = std::max(from, k > 0 ? start + 1 : start);
        if (end - a >= m) {
            const qsizetype q =
                QStringView(data(m_spans[k]), end - start).indexOf(needle, a - start, cs);
            if (q >= 0) return start + q;
        }
        // a match that begins in this span and ends in a later one
        const qsizetype w0 = std::max(a, end - m + 1);
        if (end < m_size && w0 < end) {
            const qsizetype c0 = std::max<qsizetype>(w0 - 1, 0);
            const QString w = copy(c0, std::min(end + m - 1, m_size) - c0);
            const qsizetype q = QStringView(w).indexOf(needle, w0 - c0, cs);
            if (q >= 0) return c0 + q;
        }
    }
    return -1;
}

qsizetype TextBuffer::lastIndexOf(QStringView needle, qsizetype from, Qt::CaseSensitivity cs) const
{
    // QString's rules: a start from the end before the text finds nothing;
    // one past the end finds nothing either, unless the needle is a single
    // character, which is then looked for from the last one. (At the very
    // end QString compares that character with what follows its text, its
    // terminating NUL; here the search starts at the last character.)
    const qsizetype m = needle.size();
    if (from < 0) from += m_size;
    if (m == 1 && from >= m_size) from = m_size - 1;
    if (from < 0 || from > m_size) return -1;
    if (m == 0) return from;
    if (m > m_size) return -1;
    from = std::min(from, m_size - m);
    for (size_t k = spanAt(from) + 1; k-- > 0;) {
        const qsizetype start = m_starts[k];
        const qsizetype end = start + m_spans[k].length;
        const qsizetype lo = k > 0 ? start + 1 : start;
        // first a match that begins here and ends in a later span: it
        // begins after every match wholly inside
        const qsizetype w0 = std::max(lo, end - m + 1);
        const qsizetype w1 = std::min(from, end - 1);
        if (end < m_size && w0 <= w1) {
            const qsizetype c0 = std::max<qsizetype>(w0 - 1, 0);
            const QString w = copy(c0, std::min(end + m - 1, m_size) - c0);
            const qsizetype q = QStringView(w).lastIndexOf(needle, w1 - c0, cs);
            if (q >= w0 - c0) return c0 + q;
        }
        const qsizetype last = std::min(end - m, from);
        if (last >= lo) {
            const qsizetype q = QStringView(data(m_spans[k]), last + m - start)
                                    .lastIndexOf(needle, last - start, cs);
            if (q >= lo - start) return start + q;
        }
        if (k > 0 && start <= from && matchesAt(start, needle, cs)) return start;
    }
    return -1;
}
