#include "editor/notefieldaccess.h"

#include "editor/notefield.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

QAccessibleInterface* noteFieldFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("NoteField") && object && object->isWidgetType())
        return new NoteFieldAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

NoteFieldAccessible::NoteFieldAccessible(QWidget* w)
    : QAccessibleWidget(w, QAccessible::EditableText)
{
}

void NoteFieldAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(noteFieldFactory);
        return true;
    }();
    (void)installed;
}

NoteField* NoteFieldAccessible::field() const
{
    return static_cast<NoteField*>(widget());
}

void* NoteFieldAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State NoteFieldAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString NoteFieldAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        const QString own = widget()->accessibleName();
        return own.isEmpty() ? widget()->window()->windowTitle().trimmed() : own;
    }
    return QAccessibleWidget::text(t);
}

// --- text ---

void NoteFieldAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || field()->SelLength() == 0) return;
    *startOffset = int(field()->SelStart());
    *endOffset = int(field()->SelStart() + field()->SelLength());
}

int NoteFieldAccessible::selectionCount() const
{
    return field()->SelLength() > 0 ? 1 : 0;
}

void NoteFieldAccessible::addSelection(int startOffset, int endOffset)
{
    // one selection only: a new one replaces it
    setSelection(0, startOffset, endOffset);
}

void NoteFieldAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0) return;
    const qsizetype caret = field()->cursorPosition();
    field()->setSelection(caret, caret);
}

void NoteFieldAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0) return;
    field()->setSelection(startOffset, endOffset);
}

int NoteFieldAccessible::cursorPosition() const
{
    return int(field()->cursorPosition());
}

void NoteFieldAccessible::setCursorPosition(int position)
{
    field()->setSelection(position, position);
}

QString NoteFieldAccessible::text(int startOffset, int endOffset) const
{
    const qsizetype n = field()->length();
    const qsizetype a = std::clamp<qsizetype>(startOffset, 0, n);
    const qsizetype b = endOffset < 0 ? n : std::clamp<qsizetype>(endOffset, a, n);
    return field()->textRange(a, b);
}

void NoteFieldAccessible::unitAt(int offset, QAccessible::TextBoundaryType type, int* start,
                                 int* end) const
{
    const NoteField* f = field();
    const qsizetype n = f->length();
    const qsizetype at = std::clamp<qsizetype>(offset, 0, n);
    switch (type) {
    case QAccessible::NoBoundary:
        *start = 0;
        *end = int(n);
        return;
    case QAccessible::LineBoundary: {
        // a row on screen, as a reader follows the text
        qsizetype a = 0, b = 0;
        f->rowRange(at, &a, &b);
        *start = int(a);
        *end = int(b);
        return;
    }
    case QAccessible::ParagraphBoundary:
        *start = int(f->lineStart(at));
        *end = int(f->lineEnd(at));
        return;
    case QAccessible::CharBoundary: {
        if (at >= n) {
            *start = *end = int(n);
            return;
        }
        const qsizetype e = f->nextCharacter(at);
        *start = int(f->previousCharacter(e));
        *end = int(e);
        return;
    }
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary:
        break;
    }
    // words and sentences never cross a line: look within it
    const qsizetype from = f->lineStart(at);
    const qsizetype to = f->lineEnd(at);
    const QString line = f->textRange(from, to);
    QTextBoundaryFinder finder(type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                 : QTextBoundaryFinder::Sentence,
                               line);
    finder.setPosition(at - from);
    qsizetype a = finder.isAtBoundary() ? at - from : finder.toPreviousBoundary();
    finder.setPosition(at - from);
    qsizetype b = finder.toNextBoundary();
    if (a < 0) a = 0;
    if (b < 0) b = line.size();
    *start = int(from + a);
    *end = int(from + b);
}

QString NoteFieldAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                              int* startOffset, int* endOffset) const
{
    int s = 0, e = 0;
    unitAt(offset, type, &s, &e);
    if (s <= 0 || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    unitAt(s - 1, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString NoteFieldAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                             int* startOffset, int* endOffset) const
{
    int s = 0, e = 0;
    unitAt(offset, type, &s, &e);
    if (e >= characterCount() || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    unitAt(e, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString NoteFieldAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                          int* startOffset, int* endOffset) const
{
    unitAt(offset, type, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

int NoteFieldAccessible::characterCount() const
{
    return int(std::min<qsizetype>(field()->length(), INT_MAX));
}

QRect NoteFieldAccessible::characterRect(int offset) const
{
    const QRect r = field()->characterRect(offset);
    if (r.isEmpty()) return QRect();
    return QRect(field()->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int NoteFieldAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint p = field()->viewport()->mapFromGlobal(point);
    if (!field()->viewport()->rect().contains(p)) return -1;
    return int(field()->positionAt(p));
}

void NoteFieldAccessible::scrollToSubstring(int startIndex, int)
{
    field()->showPosition(startIndex);
}

QString NoteFieldAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // one font and colour for the whole text
    (void)offset;
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

// --- editable text ---

void NoteFieldAccessible::deleteText(int startOffset, int endOffset)
{
    if (endOffset <= startOffset) return;
    field()->replaceRange(startOffset, endOffset - startOffset, QString());
}

void NoteFieldAccessible::insertText(int offset, const QString& text)
{
    field()->replaceRange(offset, 0, text);
}

void NoteFieldAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    field()->replaceRange(startOffset, std::max(0, endOffset - startOffset), text);
}
