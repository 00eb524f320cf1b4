// The editor's text field as a text box: whole characters, scrolling by
// screen rows, the primary selection, Undo, and what assistive technology
// reads and edits.
#include "testsupport.h"

#include "controls/vbform.h"
#include "editor/notefield.h"
#include "platform/clipboard.h"

#include <QAccessible>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QWheelEvent>
#include <QtTest>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A window of the program's kind, for the pop-up seam.
struct Window : ctl::VbForm {
    void detachInstance() override {}
};

} // namespace

class TstNoteField : public QObject {
    Q_OBJECT

    QList<QMenu*> m_popups;

    // Right-clicks the field; the menu it pops up, or null.
    QMenu* rightClick(NoteField* field)
    {
        m_popups.clear();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5),
                             field->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field->viewport(), &ev);
        return m_popups.size() == 1 ? m_popups.first() : nullptr;
    }

  private slots:
    void initTestCase()
    {
        ctl::VbForm::setPopupHook([this](ctl::VbForm*, QMenu* m) { m_popups.append(m); });
    }
    void cleanupTestCase() { ctl::VbForm::setPopupHook({}); }

    // Caret keys, Backspace and Delete take a letter with its marks, an
    // emoji sequence, a flag and CR LF as one character.
    void wholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("caretAfter");
        QTest::addColumn<QString>("textAfter");
        const QString mark = QString::fromUtf8("xe\xcc\x81y"); // e and a combining acute
        const QString family = QString::fromUtf8(
            "a\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7"
            "b");
        const QString flags = QString::fromUtf8("\xf0\x9f\x87\xab\xf0\x9f\x87\xb7"
                                                "\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa");
        const QString france = flags.left(4);
        QTest::newRow("mark: right") << mark << 1 << int(Qt::Key_Right) << 3 << mark;
        QTest::newRow("mark: left") << mark << 3 << int(Qt::Key_Left) << 1 << mark;
        QTest::newRow("mark: backspace") << mark << 3 << int(Qt::Key_Backspace) << 1 << "xy";
        QTest::newRow("mark: delete") << mark << 1 << int(Qt::Key_Delete) << 1 << "xy";
        QTest::newRow("family: right") << family << 1 << int(Qt::Key_Right) << 9 << family;
        QTest::newRow("family: left") << family << 9 << int(Qt::Key_Left) << 1 << family;
        QTest::newRow("family: backspace") << family << 9 << int(Qt::Key_Backspace) << 1 << "ab";
        QTest::newRow("family: delete") << family << 1 << int(Qt::Key_Delete) << 1 << "ab";
        QTest::newRow("flags: right") << flags << 0 << int(Qt::Key_Right) << 4 << flags;
        QTest::newRow("flags: left") << flags << 8 << int(Qt::Key_Left) << 4 << flags;
        QTest::newRow("flags: backspace") << flags << 8 << int(Qt::Key_Backspace) << 4 << france;
        QTest::newRow("flags: delete") << flags << 4 << int(Qt::Key_Delete) << 4 << france;
        QTest::newRow("CR LF: right") << "a\r\nb" << 1 << int(Qt::Key_Right) << 3 << "a\r\nb";
        QTest::newRow("CR LF: left") << "a\r\nb" << 3 << int(Qt::Key_Left) << 1 << "a\r\nb";
        QTest::newRow("CR LF: backspace") << "a\r\nb" << 3 << int(Qt::Key_Backspace) << 1 << "ab";
        QTest::newRow("CR LF: delete") << "a\r\nb" << 1 << int(Qt::Key_Delete) << 1 << "ab";
        QTest::newRow("lone CR: delete")
            << "a\r\nb\rc" << 4 << int(Qt::Key_Delete) << 4 << "a\r\nbc";
        QTest::newRow("LF CR: backspace") << "a\n\rb" << 3 << int(Qt::Key_Backspace) << 2 << "a\nb";
    }
    void wholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, caretAfter);
        QFETCH(QString, textAfter);
        NoteField field(nullptr, "field");
        field.setText(text);
        field.setSelStart(caret);
        QTest::keyClick(&field, Qt::Key(key));
        QCOMPARE(field.cursorPosition(), caretAfter);
        QCOMPARE(field.SelLength(), 0);
        QCOMPARE(field.Text(), textAfter);
    }

    // The same with the text put together edit by edit, last character
    // first, so every character lies apart from its neighbours in the
    // field's storage.
    void wholeCharactersOverEdits_data() { wholeCharacters_data(); }
    void wholeCharactersOverEdits()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, caretAfter);
        QFETCH(QString, textAfter);
        NoteField field(nullptr, "field");
        for (qsizetype i = text.size(); i-- > 0;)
            field.replaceRange(0, 0, text.mid(i, 1));
        QCOMPARE(field.Text(), text);
        NoteField fresh(nullptr, "fresh");
        fresh.setText(text);
        for (qsizetype i = 0; i <= text.size(); ++i) {
            QCOMPARE(field.nextCharacter(i), fresh.nextCharacter(i));
            QCOMPARE(field.previousCharacter(i), fresh.previousCharacter(i));
        }
        for (qsizetype i = text.size(); i-- > 0;) // Text() above joined the pieces
            field.replaceRange(i, 1, text.mid(i, 1));
        field.setSelStart(caret);
        QTest::keyClick(&field, Qt::Key(key));
        QCOMPARE(field.cursorPosition(), caretAfter);
        QCOMPARE(field.Text(), textAfter);
    }

    // Lines of every length around the widths the line ends are looked
    // for at, each ending in CR LF, LF or a lone CR: the pieces are the
    // lines, as a plain walk over the text finds them.
    void piecesAreTheLines()
    {
        QString text;
        std::vector<qsizetype> starts{0};
        const QStringList ends = {"\r\n", "\n", "\r"};
        for (int length = 0; length <= 40; ++length)
            for (const QString& end : ends) {
                text += QString(length, QChar(u'a' + length % 26)) + end;
                starts.push_back(text.size());
            }
        NoteField field(nullptr, "field");
        field.setText(text);
        QCOMPARE(field.pieceCount(), qsizetype(starts.size()));
        for (qsizetype i = 0; i < field.pieceCount(); ++i)
            QCOMPARE(field.pieceStart(i), starts[size_t(i)]);
    }

    // A line longer than a piece is cut between two characters: never
    // inside a letter with its marks, a flag, an emoji sequence, a
    // surrogate pair or a CR LF, and within a few characters of the limit.
    void cutsFallBetweenCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cut"); // where the second piece begins
        const auto a = [](int n) { return QString(n, u'a'); };
        const QString france = QString::fromUtf8("\xf0\x9f\x87\xab\xf0\x9f\x87\xb7");
        QTest::newRow("a letter and its accent")
            << a(4095) + QString::fromUtf8("e\xcc\x81") + a(50) << 4095;
        QTest::newRow("a letter and two marks")
            << a(4094) + QString::fromUtf8("e\xcc\x81\xcc\xa7") + a(50) << 4094;
        QTest::newRow("a flag") << a(4094) + france + a(50) << 4094;
        QTest::newRow("an emoji and its skin tone")
            << a(4094) + QString::fromUtf8("\xf0\x9f\x91\x8b\xf0\x9f\x8f\xbd") + a(50) << 4094;
        QTest::newRow("a family joined by ZWJ")
            << a(4090) +
                   QString::fromUtf8("\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d"
                                     "\xf0\x9f\x91\xa7") +
                   a(50)
            << 4090;
        QTest::newRow("a surrogate pair")
            << a(4095) + QString::fromUtf8("\xf0\x9f\x98\x80") + a(50) << 4095;
        QTest::newRow("a Hangul syllable in letters")
            << a(4095) + QString::fromUtf8("\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8") + a(50) << 4095;
        // flags pair up from the start of their run, far before the cut
        QTest::newRow("a line of flags") << a(1) + france.repeated(1100) << 4093;
        QTest::newRow("a blank before the cut") << a(4000) + " " + a(200) << 4001;
        QTest::newRow("a blank that carries a mark")
            << a(4090) + QString::fromUtf8(" \xcc\x81") + a(100) << 4096;
        QTest::newRow("CR LF just after the limit") << a(4096) + "\r\nb" << 4098;
        QTest::newRow("CR LF at the limit") << a(4095) + "\r\nb" << 4097;
    }
    void cutsFallBetweenCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, cut);
        NoteField loaded(nullptr, "loaded");
        loaded.setText(text);
        QVERIFY(loaded.pieceCount() >= 2);
        QCOMPARE(loaded.pieceStart(1), qsizetype(cut));
        QTextBoundaryFinder whole(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype i = 1; i < loaded.pieceCount(); ++i) {
            whole.setPosition(loaded.pieceStart(i));
            QVERIFY2(whole.isAtBoundary(), qPrintable(QString::number(loaded.pieceStart(i))));
        }
        // found again after an edit, the pieces are the same
        NoteField typed(nullptr, "typed");
        typed.setText("\n");
        typed.replaceRange(0, 0, text);
        QCOMPARE(typed.pieceStart(1), qsizetype(cut));
    }

    // The primary selection is the text selected: once that is no longer
    // selected, or the text under it changes, it is no longer offered.
    void primarySelectionIsTheSelectedText_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("offered");
        QTest::newRow("an edit before it") << 0 << "";
        QTest::newRow("Delete") << 1 << "";
        QTest::newRow("another document") << 2 << "";
        QTest::newRow("the caret moved on") << 3 << "";
        QTest::newRow("one more character selected") << 4 << "hunter2 ";
    }
    void primarySelectionIsTheSelectedText()
    {
        QFETCH(int, action);
        QFETCH(QString, offered);
        testsupport::RecordingSelection primary;
        NoteField field(nullptr, "field");
        field.setText("user hunter2 password");
        field.setSelStart(5);
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(&field, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(plat::clipboard::GetSelectionText(), QString("hunter2"));
        switch (action) {
        case 0:
            field.replaceRange(0, 0, "my ");
            break;
        case 1:
            QTest::keyClick(&field, Qt::Key_Delete);
            break;
        case 2:
            field.setText("another document with text");
            break;
        case 3:
            QTest::keyClick(&field, Qt::Key_Right);
            break;
        case 4:
            QTest::keyClick(&field, Qt::Key_Right, Qt::ShiftModifier);
            break;
        }
        QCOMPARE(plat::clipboard::GetSelectionText(), offered);
    }

    // Select All and typing over it, taken back: the text comes back
    // whatever its size beside the bound, which still drops older steps.
    void undoGivesBackAReplacedText_data()
    {
        QTest::addColumn<qsizetype>("bound");
        QTest::addColumn<qsizetype>("length");
        QTest::newRow("a bound made small") << qsizetype(1000) << qsizetype(5000);
        QTest::newRow("over the bound")
            << NoteField::kUndoBound << NoteField::kUndoBound + (1 << 20);
    }
    void undoGivesBackAReplacedText()
    {
        QFETCH(qsizetype, bound);
        QFETCH(qsizetype, length);
        QString text = QString("a line of the text\r\n").repeated(length / 20 + 1);
        text.truncate(length);
        NoteField field(nullptr, "field", bound);
        field.setText(text);
        field.setSelection(0, 600);
        QTest::keyClick(&field, Qt::Key_Delete); // an older step, over the bound with the next
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&field, "xy");
        QCOMPARE(field.Text(), QString("xy"));
        QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field.Text(), QString("x"));
        QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(field.length() == length - 600 && field.Text() == QStringView(text).mid(600));
        QVERIFY(!field.Undo());
    }

    // Where the text an edit replaces cannot be kept for lack of memory,
    // the user is asked first: No keeps the text, Yes makes the edit, which
    // then cannot be undone, nor can the edits before it.
    void noMemoryForTheReplacedText()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer reserves address space of its own");
#endif
        // 73 MB: a copy of it is more than the allocator can find in room
        // it holds already (64 MB for each thread's)
        const QString text = QString("line of text\r\n").repeated(5 << 19);
        const testsupport::ChildResult child = testsupport::inChild([&] {
            testsupport::RecordingMessageBoxes boxes;
            boxes.answers = {plat::vbNo, plat::vbYes};
            NoteField field(nullptr, "field");
            field.setText(text);
            field.replaceRange(0, 0, "A"); // a step before
            field.setSelection(2, field.length());
            QStringList out;
            // From here on the process gets 8 MB more than it has, far
            // less than a copy of the selection.
            QFile statm("/proc/self/statm");
            if (!statm.open(QIODevice::ReadOnly)) return QByteArray("no statm");
            const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
            const rlim_t limit = rlim_t(pages * ::sysconf(_SC_PAGESIZE) + (8 << 20));
            const rlimit rl{limit, limit};
            if (::setrlimit(RLIMIT_AS, &rl) != 0) return QByteArray("no limit");
            QTest::keyClick(&field, Qt::Key_X); // No
            out << QString::number(field.length()) << QString::number(field.SelLength());
            QTest::keyClick(&field, Qt::Key_X); // Yes
            out << field.Text() << (field.Undo() ? "undone" : "no undo");
            for (const auto& b : boxes.boxes)
                out << b.prompt << QString::number(b.style);
            return out.join('\n').toUtf8();
        });
        QVERIFY(child.exited);
        const qsizetype n = text.size() + 1;
        const QString prompt = "There is not enough memory to keep the text being replaced, so "
                               "this change could not be undone. Make it anyway?";
        const int style = plat::vbYesNo | plat::vbExclamation | plat::vbDefaultButton2;
        QCOMPARE(QString::fromUtf8(child.output).split('\n'),
                 QStringList({QString::number(n), QString::number(n - 2), "Alx", "no undo", prompt,
                              QString::number(style), prompt, QString::number(style)}));
    }

    // A large text is cut into pieces in slices side by side; the pieces
    // are those an edit finds going through the text from its start.
    void largeTextPiecesAsFromTheStart()
    {
        QString text;
        QRandomGenerator rng(12);
        const QStringList ends = {"\r\n", "\n", "\r", "\n\r"};
        while (text.size() < (9 << 20)) {
            const int length = rng.bounded(8) == 0 ? rng.bounded(12000) : rng.bounded(90);
            text += QString(length, QChar(u'a' + rng.bounded(26)));
            text += ends[rng.bounded(int(ends.size()))];
        }
        NoteField sliced(nullptr, "sliced");
        sliced.setText(text);
        NoteField edited(nullptr, "edited");
        edited.replaceRange(0, 0, text);
        QCOMPARE(sliced.pieceCount(), edited.pieceCount());
        for (qsizetype i = 0; i < sliced.pieceCount(); ++i)
            if (sliced.pieceStart(i) != edited.pieceStart(i))
                QFAIL(qPrintable(QString("piece %1 starts at %2, not %3")
                                     .arg(i)
                                     .arg(sliced.pieceStart(i))
                                     .arg(edited.pieceStart(i))));
    }

    // A reader gets the whole text, the caret and the selection, and edits
    // like typing: the edit can be taken back.
    void accessibleText()
    {
        QWidget window;
        window.setWindowTitle("C:\\NOTES.TXT");
        NoteField* field = new NoteField(&window, "field");
        field->resize(600, 300);
        const QString text = QString::fromUtf8("one\r\ntwo thr\xc3\xa9\x65\nlast");
        field->setText(text);
        field->setSelection(5, 8); // "two", caret at its end

        QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(field);
        QVERIFY(ai);
        QCOMPARE(ai->role(), QAccessible::EditableText);
        QVERIFY(ai->state().editable);
        QVERIFY(ai->state().multiLine);
        QCOMPARE(ai->text(QAccessible::Name), QString("C:\\NOTES.TXT"));
        QAccessibleTextInterface* t = ai->textInterface();
        QVERIFY(t);
        QCOMPARE(t->characterCount(), int(text.size()));
        QCOMPARE(t->text(0, t->characterCount()), text);
        QCOMPARE(t->cursorPosition(), 8);
        QCOMPARE(t->selectionCount(), 1);
        int a = -1, b = -1;
        t->selection(0, &a, &b);
        QCOMPARE(qMakePair(a, b), qMakePair(5, 8));
        QCOMPARE(t->textAtOffset(9, QAccessible::ParagraphBoundary, &a, &b),
                 QString("two thr\u00e9e\n"));
        QCOMPARE(qMakePair(a, b), qMakePair(5, 15));
        QCOMPARE(t->textAtOffset(9, QAccessible::LineBoundary, &a, &b),
                 QString("two thr\u00e9e\n")); // the row on screen: wide enough for the line
        QCOMPARE(t->textAtOffset(1, QAccessible::WordBoundary, &a, &b), QString("one"));

        t->setSelection(0, 0, 3);
        QCOMPARE(field->SelText(), QString("one"));
        t->setCursorPosition(15);
        QCOMPARE(field->cursorPosition(), 15);
        QCOMPARE(field->SelLength(), 0);

        QAccessibleEditableTextInterface* e = ai->editableTextInterface();
        QVERIFY(e);
        e->replaceText(0, 3, "first");
        e->insertText(int(field->length()), "!");
        e->deleteText(7, 11); // "two "
        QCOMPARE(field->Text(), QString::fromUtf8("first\r\nthr\xc3\xa9\x65\nlast!"));
        QCOMPARE(t->text(0, -1), field->Text());
        while (field->Undo()) {
        }
        QCOMPARE(field->Text(), text);
    }

    // An input method composes at the caret: the text being composed is
    // shown there but is not yet in the document, the caret rectangle it is
    // given is the caret's own, and what it commits goes in as typed.
    void inputMethodAtTheCaret()
    {
        NoteField field(nullptr, "field");
        field.resize(400, 200);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        field.setText("first line\r\nsecond line\r\nthird");
        field.setSelStart(19); // "second |line"
        QWidget& w = field;
        const QRect caret = w.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QRect letter = field.characterRect(19).translated(field.viewport()->pos());
        QCOMPARE(caret.top(), letter.top());
        QVERIFY(caret.top() > 0);
        QCOMPARE(caret.left(), letter.left());
        QCOMPARE(w.inputMethodQuery(Qt::ImSurroundingText).toString(), QString("second line"));
        QCOMPARE(w.inputMethodQuery(Qt::ImCursorPosition).toInt(), 7);

        QList<QInputMethodEvent::Attribute> attributes{{QInputMethodEvent::Cursor, 2, 1}};
        QInputMethodEvent compose(QString::fromUtf8("\xc3\xa9t"), attributes);
        QApplication::sendEvent(&field, &compose);
        QCOMPARE(field.Text(), QString("first line\r\nsecond line\r\nthird"));
        QVERIFY(w.inputMethodQuery(Qt::ImCursorRectangle).toRect().left() > caret.left());
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("\xc3\xa9t\xc3\xa9 "));
        QApplication::sendEvent(&field, &commit);
        QCOMPARE(field.Text(),
                 QString::fromUtf8("first line\r\nsecond \xc3\xa9t\xc3\xa9 line\r\nthird"));
        QCOMPARE(field.cursorPosition(), 23);
        QVERIFY(field.Undo());
        QCOMPARE(field.Text(), QString("first line\r\nsecond line\r\nthird"));
    }

    // The scroll bar counts screen rows: an arrow click moves one row, also
    // inside a line that wraps over hundreds of them; paging moves the thumb
    // with the text; a jump of the thumb lands on the row it names.
    void scrollsByScreenRows()
    {
        NoteField field(nullptr, "field");
        field.resize(400, 300);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        field.setText(QString("many words in one long line ").repeated(40000)); // 1.1 MB
        QScrollBar* sb = field.verticalScrollBar();
        const int rowHeight = field.characterRect(0).height();
        QVERIFY(rowHeight > 0);
        const QPoint topLeft(4, 1);
        const qsizetype secondRow = field.positionAt(topLeft + QPoint(0, rowHeight));
        QVERIFY(secondRow > 0);
        QVERIFY(sb->maximum() > 1000);
        // a reader's line is that row too
        int a = -1, b = -1;
        QAccessible::queryAccessibleInterface(&field)->textInterface()->textAtOffset(
            3, QAccessible::LineBoundary, &a, &b);
        QCOMPARE(qMakePair(a, b), qMakePair(0, int(secondRow)));

        sb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(sb->value(), 1);
        QCOMPARE(field.positionAt(topLeft), secondRow);
        sb->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(sb->value(), 0);
        QCOMPARE(field.positionAt(topLeft), 0);

        field.setFocus();
        const int pageRows = sb->pageStep() - 1;
        QTest::keyClick(&field, Qt::Key_PageDown);
        QTest::keyClick(&field, Qt::Key_PageDown);
        QCOMPARE(sb->value(), 2 * pageRows);
        sb->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(sb->value(), 2 * pageRows - 1);

        QStringList lines;
        for (int i = 0; i < 1000; ++i)
            lines << QString("line %1").arg(i);
        field.setText(lines.join("\r\n"));
        sb->setValue(500);
        const qsizetype top = field.positionAt(topLeft);
        QCOMPARE(field.textRange(top, top + 8), QString("line 500"));
    }

    // A notch of the wheel scrolls three rows, and so does the same turn sent
    // in parts, as a touchpad or a fine wheel sends it: what a part leaves
    // over is kept for the next, and a turn the other way starts afresh.
    void wheelScrollsByTheWholeTurn_data()
    {
        QTest::addColumn<QList<int>>("deltas"); // the angle of each event
        QTest::addColumn<int>("pixels");        // the pixel delta each one carries too
        QTest::addColumn<int>("rows");          // how far the scroll bar moves
        for (int sign : {1, -1}) {
            const QByteArray way = sign > 0 ? ", up" : ", down";
            QTest::newRow("one notch" + way) << QList<int>{120 * sign} << 0 << -3 * sign;
            QTest::newRow("2 x 60" + way) << QList<int>(2, 60 * sign) << 0 << -3 * sign;
            QTest::newRow("4 x 30" + way) << QList<int>(4, 30 * sign) << 0 << -3 * sign;
            QTest::newRow("8 x 15" + way) << QList<int>(8, 15 * sign) << 0 << -3 * sign;
            QTest::newRow("120 x 1" + way) << QList<int>(120, sign) << 0 << -3 * sign;
            QTest::newRow("one notch with a pixel delta" + way)
                << QList<int>{120 * sign} << 15 * sign << -3 * sign;
            QTest::newRow("one and a half notches in thirds" + way)
                << QList<int>(3, 60 * sign) << 0 << -4 * sign;
        }
        QTest::newRow("a part up, then a notch down in parts")
            << QList<int>{30, -30, -30, -30, -30} << 0 << 3;
    }
    void wheelScrollsByTheWholeTurn()
    {
        QFETCH(QList<int>, deltas);
        QFETCH(int, pixels);
        QFETCH(int, rows);
        NoteField field(nullptr, "field");
        field.resize(400, 300);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        QStringList lines;
        for (int i = 0; i < 1000; ++i)
            lines << QString("line %1").arg(i);
        field.setText(lines.join("\r\n"));
        QScrollBar* sb = field.verticalScrollBar();
        sb->setValue(500);
        const QPointF at(10, 10);
        for (int delta : deltas) {
            QWheelEvent ev(at, field.viewport()->mapToGlobal(at), QPoint(0, pixels),
                           QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                           false);
            QApplication::sendEvent(field.viewport(), &ev);
        }
        QCOMPARE(sb->value(), 500 + rows);
    }

    // The right-click menu of a text box, each command enabled when it can act.
    void contextMenuStates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("enabled"); // Undo Cut Copy Paste Delete Select-All
        QTest::newRow("empty") << "" << 0 << 0 << false << ""
                               << "000000";
        QTest::newRow("caret only") << "abc" << 1 << 0 << false << "x"
                                    << "000101";
        QTest::newRow("a selection") << "abc" << 0 << 2 << false << ""
                                     << "011011";
        QTest::newRow("all selected") << "abc" << 0 << 3 << false << "x"
                                      << "011110";
        QTest::newRow("after an edit") << "abc" << 3 << 0 << true << ""
                                       << "100001";
    }
    void contextMenuStates()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(bool, edited);
        QFETCH(QString, clipboard);
        QFETCH(QString, enabled);
        Window form;
        NoteField* field = new NoteField(form.client(), "field");
        field->setText(text);
        if (edited) field->replaceRange(0, 1, "A");
        field->setSelStart(start);
        field->setSelLength(length);
        if (clipboard.isEmpty())
            plat::clipboard::Clear();
        else
            plat::clipboard::SetText(clipboard);
        QMenu* menu = rightClick(field);
        QVERIFY(menu);
        QStringList names;
        QString states;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            names << a->text();
            states += a->isEnabled() ? '1' : '0';
        }
        QCOMPARE(names,
                 QStringList({"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"}));
        QCOMPARE(states, enabled);
    }

    void contextMenuCommands()
    {
        Window form;
        NoteField* field = new NoteField(form.client(), "field");
        field->setText("abc");
        field->setSelStart(1);
        field->setSelLength(2);
        auto run = [&](const QString& name) {
            QMenu* menu = rightClick(field);
            QVERIFY(menu);
            for (QAction* a : menu->actions())
                if (a->text() == name) a->trigger();
        };
        run("Cu&t");
        QCOMPARE(field->Text(), QString("a"));
        QCOMPARE(plat::clipboard::GetText(), QString("bc"));
        run("&Paste");
        run("&Paste");
        QCOMPARE(field->Text(), QString("abcbc"));
        run("&Undo");
        QCOMPARE(field->Text(), QString("abc"));
        run("Select &All");
        QCOMPARE(field->SelText(), QString("abc"));
        run("&Copy");
        QCOMPARE(plat::clipboard::GetText(), QString("abc"));
        run("&Delete");
        QCOMPARE(field->Text(), QString());
    }
};

QTEST_MAIN(TstNoteField)
#include "tst_notefield.moc"
