#pragma once
// What assistive technology (a screen reader, over AT-SPI) sees of the text
// field: an editable, multi-line text named after its window, whose text,
// caret and selection it reads and which it edits like typing. Every answer
// is made from the part of the text asked for, so a large document costs
// nothing until a reader asks for all of it.
#include <QAccessibleWidget>

class NoteField;

class NoteFieldAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
  public:
    explicit NoteFieldAccessible(QWidget* w);
    // Makes every NoteField answer with this; once is enough.
    static void install();

    void* interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    // text
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // editable text
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

  private:
    NoteField* field() const;
    // The unit (character, word, sentence, line) around offset: [*start, *end).
    void unitAt(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;
};
