#pragma once
// The editor's text field. It holds the document exactly as it was read:
// every line end stays what it was (CR LF, LF or a lone CR) and every other
// character too (NUL, no-break space), so positions count CR LF as two
// characters and a document saved unchanged keeps its bytes. Only the lines
// on screen are laid out, so a document of any size loads at the speed of
// decoding it, and a very long line is shown in wrapped pieces.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <memory>
#include <unordered_map>
#include <vector>

class QTextLayout;

class NoteField : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit NoteField(QWidget* parent, const char* name);
    ~NoteField() override;

    QString Text() const { return m_text; }
    void setText(const QString& text);
    qsizetype length() const { return m_text.size(); }

    // The selection as the original's text box has it: SelStart is where it
    // begins, SelLength how many characters it holds.
    qsizetype SelStart() const { return std::min(m_anchor, m_caret); }
    void setSelStart(qsizetype pos); // caret there, nothing selected
    qsizetype SelLength() const { return std::abs(m_caret - m_anchor); }
    void setSelLength(qsizetype n); // selects n characters from SelStart
    QString SelText() const { return m_text.mid(SelStart(), SelLength()); }
    void setSelText(const QString& text); // replaces the selection, caret after it

    QString FontName() const;
    void setFontName(const QString& family);

    // The line end Enter inserts: the document's own (the first one in it),
    // CR LF for a document without any.
    QString newLine() const { return m_newLine; }

    // Pieces the text is shown in: one per line, a long line cut into
    // pieces of at most this many characters.
    static constexpr qsizetype kMaxPiece = 4096;
    qsizetype pieceCount() const { return qsizetype(m_piece.size()); }
    qsizetype pieceStart(qsizetype i) const { return m_piece[size_t(i)]; }

  signals:
    void Change();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery q) const override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    struct Row {
        qsizetype piece = 0;
        int line = 0;
    };

    void replace(qsizetype pos, qsizetype len, const QString& with);
    qsizetype nextPieceStart(qsizetype start) const;
    void rebuildPieces();
    qsizetype pieceEnd(qsizetype i) const;   // start of the next piece (line end included)
    qsizetype contentEnd(qsizetype i) const; // without the line end
    qsizetype pieceOf(qsizetype pos) const;
    QTextLayout* layout(qsizetype i) const;
    void dropLayouts() const;
    qreal pieceHeight(qsizetype i) const;
    int lineCount(qsizetype i) const;
    qreal rowHeight(Row r) const;
    bool prevRow(Row& r) const;
    bool nextRow(Row& r) const;
    Row rowOf(qsizetype pos) const;
    qsizetype posAt(QPoint p) const;
    qsizetype posInRow(Row r, qreal x) const;
    qreal caretX() const;

    qsizetype charBefore(qsizetype pos) const; // start of the character before pos
    qsizetype charAfter(qsizetype pos) const;  // end of the character at pos
    qsizetype wordLeft(qsizetype pos) const;
    qsizetype wordRight(qsizetype pos) const;
    void moveCaret(qsizetype pos, bool keepAnchor);
    void insertTyped(const QString& text);
    void ensureCaretVisible();
    void scrollRows(int rows);
    void updateScrollBar();
    void restartBlink();

    QString m_text;
    std::vector<qsizetype> m_piece{0};
    QString m_newLine = QStringLiteral("\r\n");
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qreal m_wantedX = -1; // kept over up and down moves
    Row m_top;
    bool m_settingScroll = false;
    bool m_caretOn = true;
    bool m_dragging = false;
    QBasicTimer m_blink;
    mutable std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> m_layouts;
};
