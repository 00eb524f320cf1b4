#include "editor/lineindex.h"

#include <algorithm>

void LineIndex::Part::push(qsizetype start, int rows)
{
    if (m_blocks.empty() || qsizetype(m_blocks.back().rel.size()) >= kBlock) {
        m_blocks.emplace_back();
        m_blocks.back().rel.reserve(size_t(kBlock));
        m_blocks.back().rows.reserve(size_t(kBlock));
        m_bases.push_back(start);
    }
    Block& b = m_blocks.back();
    b.rel.push_back(quint32(start - m_bases.back()));
    b.rows.push_back(rows);
    b.rowSum += rows;
}

LineIndex::LineIndex()
{
    Part p;
    p.push(0, 1);
    std::vector<Part> parts;
    parts.push_back(std::move(p));
    assign(std::move(parts));
}

void LineIndex::assign(std::vector<Part>&& parts)
{
    m_blocks.clear();
    m_bases.clear();
    size_t n = 0;
    for (const Part& p : parts)
        n += p.m_blocks.size();
    m_blocks.reserve(n);
    m_bases.reserve(n);
    for (Part& p : parts) {
        for (Block& b : p.m_blocks)
            m_blocks.push_back(std::move(b));
        m_bases.insert(m_bases.end(), p.m_bases.begin(), p.m_bases.end());
        std::vector<Block>().swap(p.m_blocks);
    }
    m_totalRows = 0;
    for (const Block& b : m_blocks)
        m_totalRows += b.rowSum;
    renumberFrom(0);
}

void LineIndex::renumberFrom(size_t b)
{
    m_first.resize(m_blocks.size());
    m_rowsBefore.resize(m_blocks.size());
    qsizetype at = b == 0 ? 0 : m_first[b - 1] + qsizetype(m_blocks[b - 1].rel.size());
    for (size_t k = b; k < m_blocks.size(); ++k) {
        m_first[k] = at;
        at += qsizetype(m_blocks[k].rel.size());
    }
    m_count = at;
    m_rowsValid = std::min(m_rowsValid, b);
}

size_t LineIndex::blockOf(qsizetype i) const
{
    return size_t(std::upper_bound(m_first.begin(), m_first.end(), i) - m_first.begin()) - 1;
}

qsizetype LineIndex::start(qsizetype i) const
{
    const size_t b = blockOf(i);
    return m_bases[b] + m_blocks[b].rel[size_t(i - m_first[b])];
}

qsizetype LineIndex::pieceOf(qsizetype pos) const
{
    const size_t b =
        size_t(std::upper_bound(m_bases.begin(), m_bases.end(), pos) - m_bases.begin()) - 1;
    const std::vector<quint32>& rel = m_blocks[b].rel;
    const qsizetype off = pos - m_bases[b];
    const auto it = off >= qsizetype(UINT32_MAX)
                        ? rel.end()
                        : std::upper_bound(rel.begin(), rel.end(), quint32(off));
    return m_first[b] + qsizetype(it - rel.begin()) - 1;
}

qsizetype LineIndex::firstFrom(qsizetype pos) const
{
    if (pos <= 0) return 0;
    const size_t b =
        size_t(std::upper_bound(m_bases.begin(), m_bases.end(), pos - 1) - m_bases.begin()) - 1;
    const std::vector<quint32>& rel = m_blocks[b].rel;
    const qsizetype off = pos - m_bases[b];
    const auto it = off >= qsizetype(UINT32_MAX)
                        ? rel.end()
                        : std::lower_bound(rel.begin(), rel.end(), quint32(off));
    return m_first[b] + qsizetype(it - rel.begin());
}

int LineIndex::rows(qsizetype i) const
{
    const size_t b = blockOf(i);
    return m_blocks[b].rows[size_t(i - m_first[b])];
}

void LineIndex::setRows(qsizetype i, int rows)
{
    if (i < 0 || i >= m_count) return;
    const size_t b = blockOf(i);
    int& r = m_blocks[b].rows[size_t(i - m_first[b])];
    if (r == rows) return;
    m_blocks[b].rowSum += rows - r;
    m_totalRows += rows - r;
    r = rows;
    m_rowsValid = std::min(m_rowsValid, b + 1);
}

void LineIndex::ensureRowsBefore(size_t b) const
{
    for (; m_rowsValid <= b && m_rowsValid < m_blocks.size(); ++m_rowsValid) {
        const size_t k = m_rowsValid;
        m_rowsBefore[k] = k == 0 ? 0 : m_rowsBefore[k - 1] + m_blocks[k - 1].rowSum;
    }
}

qint64 LineIndex::rowsBefore(qsizetype i) const
{
    if (i <= 0) return 0;
    if (i >= m_count) return m_totalRows;
    const size_t b = blockOf(i);
    ensureRowsBefore(b);
    qint64 sum = m_rowsBefore[b];
    const std::vector<int>& r = m_blocks[b].rows;
    for (qsizetype j = 0; j < i - m_first[b]; ++j)
        sum += r[size_t(j)];
    return sum;
}

qsizetype LineIndex::pieceAtRow(qint64 row, qint64* left) const
{
    if (row >= m_totalRows) {
        *left = row - m_totalRows;
        return m_count;
    }
    row = std::max<qint64>(row, 0);
    ensureRowsBefore(m_blocks.size() - 1);
    const size_t b = size_t(std::upper_bound(m_rowsBefore.begin(), m_rowsBefore.end(), row) -
                            m_rowsBefore.begin()) -
                     1;
    qint64 rest = row - m_rowsBefore[b];
    const std::vector<int>& r = m_blocks[b].rows;
    size_t j = 0;
    while (j + 1 < r.size() && rest >= r[j])
        rest -= r[j++];
    *left = rest;
    return m_first[b] + qsizetype(j);
}

void LineIndex::replace(qsizetype first, qsizetype last, const std::vector<qsizetype>& starts,
                        const std::vector<int>& rows, qsizetype delta)
{
    first = std::clamp<qsizetype>(first, 0, m_count);
    last = std::clamp<qsizetype>(last, first, m_count);
    size_t b0 = blockOf(std::min(first, m_count - 1));
    size_t b1 = blockOf(std::min(last, m_count - 1));
    // The pieces of the blocks touched, as they are to be.
    std::vector<qsizetype> s;
    std::vector<int> r;
    auto take = [&](size_t b, qsizetype from, qsizetype shift) {
        const Block& k = m_blocks[b];
        for (size_t j = size_t(from); j < k.rel.size(); ++j) {
            s.push_back(m_bases[b] + k.rel[j] + shift);
            r.push_back(k.rows[j]);
        }
    };
    for (size_t b = b0; b <= b1; ++b) {
        const Block& k = m_blocks[b];
        for (size_t j = 0; j < k.rel.size(); ++j) {
            const qsizetype i = m_first[b] + qsizetype(j);
            if (i == first) {
                s.insert(s.end(), starts.begin(), starts.end());
                r.insert(r.end(), rows.begin(), rows.end());
            }
            if (i < first) {
                s.push_back(m_bases[b] + k.rel[j]);
                r.push_back(k.rows[j]);
            } else if (i >= last) {
                s.push_back(m_bases[b] + k.rel[j] + delta);
                r.push_back(k.rows[j]);
            }
        }
    }
    if (first == m_count) {
        s.insert(s.end(), starts.begin(), starts.end());
        r.insert(r.end(), rows.begin(), rows.end());
    }
    // A block left small takes in the next, so blocks keep their size.
    if (qsizetype(s.size()) < kBlock / 2 && b1 + 1 < m_blocks.size()) take(++b1, 0, delta);
    qint64 gone = 0;
    for (size_t b = b0; b <= b1; ++b)
        gone += m_blocks[b].rowSum;
    const size_t total = s.size();
    const size_t blocks = (total + size_t(kBlock) - 1) / size_t(kBlock);
    std::vector<Block> made(blocks);
    std::vector<qsizetype> bases(blocks);
    qint64 added = 0;
    for (size_t k = 0, at = 0; k < blocks; ++k) {
        const size_t n = (total - at) / (blocks - k);
        Block& blk = made[k];
        blk.rel.reserve(n);
        blk.rows.reserve(n);
        bases[k] = s[at];
        for (size_t j = at; j < at + n; ++j) {
            blk.rel.push_back(quint32(s[j] - s[at]));
            blk.rows.push_back(r[j]);
            blk.rowSum += r[j];
        }
        added += blk.rowSum;
        at += n;
    }
    const size_t after = b1 + 1;
    m_blocks.erase(m_blocks.begin() + qsizetype(b0), m_blocks.begin() + qsizetype(after));
    m_blocks.insert(m_blocks.begin() + qsizetype(b0), std::make_move_iterator(made.begin()),
                    std::make_move_iterator(made.end()));
    m_bases.erase(m_bases.begin() + qsizetype(b0), m_bases.begin() + qsizetype(after));
    m_bases.insert(m_bases.begin() + qsizetype(b0), bases.begin(), bases.end());
    if (delta != 0)
        for (size_t b = b0 + blocks; b < m_bases.size(); ++b)
            m_bases[b] += delta;
    m_totalRows += added - gone;
    renumberFrom(b0);
}
