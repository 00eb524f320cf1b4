#pragma once
// The text of the editor's field, kept so that an edit costs the same at
// the start of a 500 MB document as at its end.
//
// The text as loaded stays where it is (it is shared with the string it
// came from, never copied); what is typed or pasted goes to the end of a
// second string; the document is a list of spans of the two. An edit cuts
// a span or two and puts a new one between: it moves no text, and costs
// time in the number of spans only, which grows with the places edited,
// not with the length of the text. A run of typing extends its span.
//
// Reading is cheap where a span holds the whole range asked for (nearly
// always: spans are lines long at the least); a range across spans is
// copied. Searching runs over the spans in place, at QString::indexOf's
// speed, and finds a match across two spans too. The whole text is joined
// into one string only when asked for as one (a save), and that string
// then becomes the text as loaded, so the next ask costs nothing.
#include <QString>
#include <QStringView>
#include <vector>

class TextBuffer {
  public:
    TextBuffer() = default;
    explicit TextBuffer(const QString& text) { setText(text); }

    void setText(const QString& text);
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    QChar at(qsizetype i) const;
    // The characters in [pos, pos + len), clamped to the text.
    QString mid(qsizetype pos, qsizetype len) const;
    // [from, to) as one run of characters: in place where one span holds
    // it, else copied into *scratch.
    QStringView view(qsizetype from, qsizetype to, QString* scratch) const;
    // The whole text as one string; joins the spans (once).
    QString toString() const;

    // Replaces [pos, pos + len) (clamped) with `with`.
    void replace(qsizetype pos, qsizetype len, QStringView with);

    // As QString::indexOf and QString::lastIndexOf on the whole text.
    qsizetype indexOf(QStringView needle, qsizetype from, Qt::CaseSensitivity cs) const;
    qsizetype lastIndexOf(QStringView needle, qsizetype from, Qt::CaseSensitivity cs) const;

    qsizetype spanCount() const { return qsizetype(m_spans.size()); }

  private:
    struct Span {
        bool added; // in m_added, else in m_base
        qsizetype from;
        qsizetype length;
    };
    const QChar* data(const Span& s) const
    {
        return (s.added ? m_added.constData() : m_base.constData()) + s.from;
    }
    // The span holding pos (the count of spans for the end of the text).
    size_t spanAt(qsizetype pos) const;
    void restartFrom(size_t k);
    void join() const;
    // [pos, pos + len), within the text, always a copy: reading never
    // joins the spans under a caller that walks them.
    QString copy(qsizetype pos, qsizetype len) const;
    bool matchesAt(qsizetype p, QStringView needle, Qt::CaseSensitivity cs) const;

    // mutable: joining the spans into one string changes no character
    mutable QString m_base;
    mutable QString m_added;
    mutable std::vector<Span> m_spans;
    mutable std::vector<qsizetype> m_starts; // where each span begins in the text
    qsizetype m_size = 0;
};
