#pragma once
// The editor's text field. It holds the document exactly as it was read:
// every line end stays what it was (CR LF, LF or a lone CR) and every other
// character too (NUL, no-break space), so positions count CR LF as two
// characters and the text a save writes is the text as read. Only the lines
// on screen are laid out, so a document of any size loads at the speed of
// decoding it, and a very long line is shown in wrapped pieces.
//
// It behaves as the desktop's multi-line text box: caret moves and deletes
// step over whole characters (grapheme clusters), the scroll bar counts
// screen rows, input methods compose at the caret, the right-click menu
// holds the usual edit commands, a selection is offered as the primary
// selection, and assistive technology reads and edits it as editable text
// (see notefieldaccess.h).
#include "editor/lineindex.h"
#include "editor/textbuffer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

class QAction;
class QMenu;

class NoteField : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // Undo keeps at most kMaxUndoSteps steps and, beyond the last edit,
    // no more than undoBound characters of replaced text.
    static constexpr qsizetype kUndoBound = 64 << 20;
    static constexpr qsizetype kMaxUndoSteps = 10000;
    explicit NoteField(QWidget* parent, const char* name, qsizetype undoBound = kUndoBound);
    ~NoteField() override;

    QString Text() const { return m_buf.toString(); }
    void setText(const QString& text);
    qsizetype length() const { return m_buf.size(); }

    // The selection as a Windows text box has it: SelStart is where it
    // begins, SelLength how many characters it holds.
    qsizetype SelStart() const { return std::min(m_anchor, m_caret); }
    void setSelStart(qsizetype pos); // caret there, nothing selected
    qsizetype SelLength() const { return std::abs(m_caret - m_anchor); }
    void setSelLength(qsizetype n); // selects n characters from SelStart
    QString SelText() const { return m_buf.mid(SelStart(), SelLength()); }
    void setSelText(const QString& text); // replaces the selection, caret after it

    // The caret and the other end of the selection.
    qsizetype cursorPosition() const { return m_caret; }
    qsizetype anchorPosition() const { return m_anchor; }
    void setSelection(qsizetype anchor, qsizetype caret);
    QString textRange(qsizetype from, qsizetype to) const { return m_buf.mid(from, to - from); }
    // As QString::indexOf and lastIndexOf on Text(), without joining the
    // text into one string after an edit.
    qsizetype indexOf(const QString& what, qsizetype from, Qt::CaseSensitivity cs) const
    {
        return m_buf.indexOf(what, from, cs);
    }
    qsizetype lastIndexOf(const QString& what, qsizetype from, Qt::CaseSensitivity cs) const
    {
        return m_buf.lastIndexOf(what, from, cs);
    }
    // An edit as if typed: it can be taken back, and the caret ends after it.
    void replaceRange(qsizetype pos, qsizetype len, const QString& with);

    // Whole characters: the start of the one before pos and the end of the
    // one at pos. A letter with its combining marks, an emoji sequence, a
    // flag and CR LF each count as one.
    qsizetype previousCharacter(qsizetype pos) const;
    qsizetype nextCharacter(qsizetype pos) const;
    // The line (or piece of a long line) around pos: its start and the
    // start of the next, line end included.
    qsizetype lineStart(qsizetype pos) const { return m_lines.start(pieceOf(pos)); }
    qsizetype lineEnd(qsizetype pos) const { return pieceEnd(pieceOf(pos)); }
    // The screen row around pos: its first position and the first of the
    // next row (a line's last row takes its line end).
    void rowRange(qsizetype pos, qsizetype* start, qsizetype* end) const;

    // Where the character at pos is drawn, in viewport coordinates; an
    // empty rectangle when it is not on screen.
    QRect characterRect(qsizetype pos) const;
    // The position nearest to a point of the viewport.
    qsizetype positionAt(QPoint p) const { return posAt(p); }
    // Scrolls so that pos is on screen.
    void showPosition(qsizetype pos);
    // Screen rows of the whole text, as the scroll bar counts them.
    qint64 rowCount() const;

    // Takes back the last edit (Ctrl+Z), as a text box does; several in a
    // row go further back. Loading a text forgets what came before. The
    // text an edit replaces is kept whatever its size; where there is no
    // memory for it, the user is asked before the edit whether to make it
    // all the same, without a way back.
    bool Undo();

    QString FontName() const;
    void setFontName(const QString& family);

    // The line end Enter inserts: the document's own, the first one the
    // text held when it was set (kept through edits), CR LF for a text
    // without any.
    QString newLine() const { return m_newLine; }

    // Pieces the text is shown in: one per line, a long line cut into
    // pieces of at most this many characters, between two characters
    // (grapheme clusters).
    static constexpr qsizetype kMaxPiece = 4096;
    qsizetype pieceCount() const { return m_lines.count(); }
    qsizetype pieceStart(qsizetype i) const { return m_lines.start(i); }

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
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    struct Row {
        qsizetype piece = 0;
        int line = 0;
    };

    // False when the user chose to keep the text (see Undo).
    bool replace(qsizetype pos, qsizetype len, const QString& with);
    void finishEdit(qsizetype pos, const QString& removed, const QString& with, bool announce);
    void dropOldUndoSteps();
    qsizetype nextPieceStart(qsizetype start) const;
    // Cuts the whole text into pieces; *newLine: its first line end.
    void rebuildPieces(QString* newLine = nullptr);
    int rowsBetween(qsizetype start, qsizetype end) const; // estimated, line end left out
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
    bool pieceY(qsizetype i, qreal* y) const; // top of piece i on screen, if it is near
    QRect caretRect() const;

    // Rows per piece for the scroll bar: exact for the pieces laid out,
    // estimated from their length before (see lineindex.h).
    int rowsFor(qsizetype chars) const;
    int estimatedRows(qsizetype i) const;
    void estimateAllRows();
    void setRows(qsizetype i, int rows) const;
    qint64 rowsBefore(qsizetype piece) const;
    Row rowAtIndex(qint64 index) const;
    void updateMenu();
    void offerPrimary();
    void withdrawPrimary();
    void selectionMoved(); // the offer ends when the selection is another
    void announceCaret();
    void tellInputMethod() const; // the caret or the text near it changed
    void dragTo(QPoint p);

    qsizetype wordLeft(qsizetype pos) const;
    qsizetype wordRight(qsizetype pos) const;
    void moveCaret(qsizetype pos, bool keepAnchor);
    void insertTyped(const QString& text);
    void ensureCaretVisible();
    void ensureVisible(qsizetype pos);
    void scrollRows(int rows);
    void updateScrollBar();
    void restartBlink();

    struct Edit {
        qsizetype pos;
        QString removed;
        qsizetype insertedLength;
    };
    std::vector<Edit> m_undo;
    qsizetype m_undoChars = 0; // characters the undo steps hold
    qsizetype m_undoBound;
    bool m_undoing = false;
    bool m_typing = false; // the edit under way is one typed character
    bool hasSelection() const { return m_anchor != m_caret; }

    TextBuffer m_buf;
    mutable LineIndex m_lines; // the rows of a piece are known once it is laid out
    QString m_newLine = QStringLiteral("\r\n");
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qreal m_wantedX = -1; // kept over up and down moves
    Row m_top;
    bool m_settingScroll = false;
    bool m_caretOn = true;
    bool m_dragging = false;
    QBasicTimer m_blink;
    QBasicTimer m_autoScroll; // while a drag selection is held past the edge
    QPoint m_dragPoint;
    QString m_preedit; // the input method's text being composed, shown at the caret
    int m_preeditCursor = 0;
    QList<QTextLayout::FormatRange> m_preeditFormats;
    qsizetype m_announcedCaret = -1, m_announcedAnchor = -1;
    // the selection offered as the primary selection (m_offer 0: none)
    quint64 m_offer = 0, m_offerCount = 0, m_offerId = 0;
    qsizetype m_offeredStart = 0, m_offeredLength = 0;
    bool m_keySelecting = false; // a Shift key moves the selection and offers it anew
    QMenu* m_menu = nullptr;     // right-click: Undo, Cut, Copy, Paste, Delete, Select All
    QAction *m_undoAction, *m_cutAction, *m_copyAction, *m_pasteAction, *m_deleteAction,
        *m_selectAllAction;
    qreal m_charsPerRow = 80;
    // A row is this much of the wheel's angle (a notch, 120, is three rows);
    // the rest is the part of the turn under way that is not yet a row.
    static constexpr int kWheelPerRow = 40;
    int m_wheelRest = 0;
    std::thread m_dropper; // gives the memory of the document before back
    mutable std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> m_layouts;
};
