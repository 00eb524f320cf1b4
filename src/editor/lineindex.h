#pragma once
// Where the pieces of the editor's text begin (a piece is a line, or a
// part of a long line), with the screen rows each takes, for the scroll
// bar.
//
// The pieces are kept in blocks of about a thousand, each block holding
// its pieces' starts from its own first one; an edit rewrites the block or
// two it falls in and moves the start of every later block, so it costs
// time in the number of blocks (a few thousand in 500 MB), not in the
// number of pieces. Rows are summed per block, and the rows above a piece
// are the sums of the blocks before it (made again only from the first
// block whose rows changed) plus the rows before it in its block.
#include <QtGlobal>
#include <cstdint>
#include <vector>

class LineIndex {
  public:
    static constexpr qsizetype kBlock = 1024;

    // Pieces found side by side when a text is loaded, in order of the
    // text; each is one part of the index.
    class Part {
      public:
        void push(qsizetype start, int rows);

      private:
        friend class LineIndex;
        struct Block {
            std::vector<quint32> rel; // starts from the block's first
            std::vector<int> rows;
            qint64 rowSum = 0;
        };
        std::vector<Block> m_blocks;
        std::vector<qsizetype> m_bases;
    };

    LineIndex(); // one piece at 0, one row
    void assign(std::vector<Part>&& parts);

    qsizetype count() const { return m_count; }
    qsizetype start(qsizetype i) const;
    qsizetype pieceOf(qsizetype pos) const;   // the last piece beginning at or before pos
    qsizetype firstFrom(qsizetype pos) const; // the first piece beginning at or after pos

    int rows(qsizetype i) const;
    void setRows(qsizetype i, int rows);
    qint64 totalRows() const { return m_totalRows; }
    qint64 rowsBefore(qsizetype i) const;
    // The piece holding the given row (counted from the top of the text),
    // and in *left the row within it; count() past the last row.
    qsizetype pieceAtRow(qint64 row, qint64* left) const;

    // Pieces [first, last) give way to pieces at `starts` (positions after
    // the edit) with `rows`; pieces from last on move by delta.
    void replace(qsizetype first, qsizetype last, const std::vector<qsizetype>& starts,
                 const std::vector<int>& rows, qsizetype delta);

    // Every piece's rows again, from its start and the next one's (the
    // last piece ends at textEnd).
    template <class F> void setAllRows(qsizetype textEnd, F rowsFor)
    {
        m_totalRows = 0;
        for (size_t b = 0; b < m_blocks.size(); ++b) {
            Block& k = m_blocks[b];
            const qsizetype base = m_bases[b];
            const qsizetype next = b + 1 < m_blocks.size() ? m_bases[b + 1] : textEnd;
            k.rowSum = 0;
            for (size_t j = 0; j < k.rel.size(); ++j) {
                const qsizetype s = base + k.rel[j];
                const qsizetype e = j + 1 < k.rel.size() ? base + k.rel[j + 1] : next;
                k.rowSum += k.rows[j] = rowsFor(s, e);
            }
            m_totalRows += k.rowSum;
        }
        m_rowsValid = 0;
    }

  private:
    using Block = Part::Block;
    size_t blockOf(qsizetype i) const; // the block holding piece i
    void ensureRowsBefore(size_t b) const;
    void renumberFrom(size_t b);

    std::vector<Block> m_blocks;
    std::vector<qsizetype> m_bases;           // start of each block's first piece
    std::vector<qsizetype> m_first;           // number of each block's first piece
    mutable std::vector<qint64> m_rowsBefore; // rows above each block
    mutable size_t m_rowsValid = 0;           // blocks m_rowsBefore is right for
    qsizetype m_count = 0;
    qint64 m_totalRows = 0;
};
