// The list box's rows and where its view puts them: appends of any length
// keep every row in order, and the rows the view places, scrolls to, clicks
// and pages through are the rows the list holds, also after a list was
// filled while hidden; the folder list's rows carry their folders and icons.
#include "controls/controls.h"
#include "controls/filecontrols.h"

#include "testsupport.h"

#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace {

QString rowText(int i)
{
    return QStringLiteral("C:\\folder%1\\file%2.txt").arg(i / 50).arg(i);
}

QStringList rowTexts(int from, int to)
{
    QStringList out;
    out.reserve(to - from);
    for (int i = from; i < to; ++i)
        out.append(rowText(i));
    return out;
}

// Whether the view shows row i whole and finds it where it shows it.
bool placed(ctl::ListBox& list, int i)
{
    const QRect r = list.visualRect(list.model()->index(i, 0));
    return list.viewport()->rect().contains(r) && list.indexAt(r.center()).row() == i;
}

} // namespace

class TestListBox : public QObject {
    Q_OBJECT

    QWidget* m_window = nullptr;

    // A shown list ten rows or so high.
    ctl::ListBox* shownList(ctl::ListBox::MultiSelectMode mode = ctl::ListBox::None)
    {
        auto* list = new ctl::ListBox(m_window, "List1", mode);
        list->setGeometry(0, 0, 300, 200);
        list->show();
        return list;
    }

  private slots:
    void initTestCase() { testsupport::isolateEnvironment(); }
    void init()
    {
        m_window = new QWidget;
        m_window->resize(400, 400);
        m_window->show();
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    void appendsToAMillionRowsInOrder()
    {
        ctl::ListBox* shown = shownList(ctl::ListBox::Extended);
        auto* mirror = new ctl::ListBox(m_window, "List2");
        mirror->hide();
        const int total = 1000000;
        const QStringList expected = rowTexts(0, total);
        // as a walk adds them: held back, then shown a frame's worth at a time
        for (int i = 0; i < total; ++i) {
            shown->AddItemLater(expected.at(i));
            mirror->AddItemLater(expected.at(i));
            if (i % 20000 == 19999) {
                shown->FlushPending();
                mirror->FlushPending();
                QCoreApplication::processEvents();
            }
        }
        QCOMPARE(shown->ListCount(), total); // a read takes the rows held back
        QCOMPARE(testsupport::entries(shown), expected);
        QCOMPARE(testsupport::entries(mirror), expected);
        QCOMPARE(shown->List(total - 1), expected.last());

        // the last row is where the view says, and a click there takes it
        shown->scrollToBottom();
        QVERIFY(placed(*shown, total - 1));
        QTest::mouseClick(shown->viewport(), Qt::LeftButton, {},
                          shown->visualRect(shown->item(total - 1)).center());
        QCOMPARE(shown->ListIndex(), total - 1);
        QCOMPARE(shown->Text(), expected.last());

        mirror->show();
        mirror->setListIndex(total / 2);
        QVERIFY(placed(*mirror, total / 2));
        QCOMPARE(mirror->Text(), rowText(total / 2));

        // Select All in one range takes every row
        shown->selectAll();
        QCOMPARE(shown->selectionModel()->selection().size(), 1);
        QVERIFY(shown->Selected(0) && shown->Selected(total / 2) && shown->Selected(total - 1));
    }

    // Keys move the current entry by rows and pages and keep it in sight.
    void keysMoveByRowsAndPages_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("pages"); // the entry reached: pages * (page - 1) + rows
        QTest::addColumn<int>("rows");
        QTest::newRow("down") << 0 << QList<int>{Qt::Key_Down, Qt::Key_Down} << 0 << 2;
        QTest::newRow("up at the top stays") << 0 << QList<int>{Qt::Key_Up} << 0 << 0;
        QTest::newRow("page down") << 0 << QList<int>{Qt::Key_PageDown} << 1 << 0;
        QTest::newRow("two pages down")
            << 0 << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown} << 2 << 0;
        QTest::newRow("page up") << 150 << QList<int>{Qt::Key_PageUp} << -1 << 150;
        QTest::newRow("end") << 3 << QList<int>{Qt::Key_End} << 0 << 199;
        QTest::newRow("down at the end stays") << 199 << QList<int>{Qt::Key_Down} << 0 << 199;
        QTest::newRow("home") << 150 << QList<int>{Qt::Key_Home} << 0 << 0;
        QTest::newRow("sideways stays") << 40 << QList<int>{Qt::Key_Left, Qt::Key_Right} << 0 << 40;
    }
    void keysMoveByRowsAndPages()
    {
        QFETCH(int, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, pages);
        QFETCH(int, rows);
        ctl::ListBox* list = shownList();
        list->AddItems(rowTexts(0, 200));
        list->setListIndex(start);
        const int page = list->viewport()->height() / list->visualRect(list->item(0)).height();
        QVERIFY(page > 2 && page < 100);
        QSignalSpy clicks(list, &ctl::ListBox::Click);
        for (const int key : keys)
            QTest::keyClick(list, Qt::Key(key));
        const int reached = pages * (page - 1) + rows;
        QCOMPARE(list->ListIndex(), reached);
        QVERIFY(placed(*list, reached));
        QCOMPARE(list->Selected(reached), true); // a single-select list selects what it moves to
        QCOMPARE(!clicks.isEmpty(), reached != start);
    }

    // Shift+click takes the rows from the anchor to the click, scrolled or not.
    void shiftClickTakesTheRangeBetween()
    {
        ctl::ListBox* list = shownList(ctl::ListBox::Extended);
        list->AddItems(rowTexts(0, 500));
        QCoreApplication::processEvents(); // the scroll bar shows itself when it has range
        QVERIFY(list->verticalScrollBar()->isVisible());
        list->scrollTo(list->item(300), QAbstractItemView::PositionAtTop);
        QVERIFY(placed(*list, 300) && placed(*list, 305));
        const auto centre = [&](int row) { return list->visualRect(list->item(row)).center(); };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre(305));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(301));
        QCOMPARE(list->ListIndex(), 301);
        for (int i = 299; i <= 306; ++i)
            QCOMPARE(list->Selected(i), i >= 301 && i <= 305);

        // a drag upwards takes every row from the press to the row under the
        // pointer, even on that row's last line of pixels
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre(308));
        const QRect upTo = list->visualRect(list->item(303));
        QTest::mouseMove(list->viewport(), QPoint(upTo.center().x(), upTo.bottom()));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {},
                            QPoint(upTo.center().x(), upTo.bottom()));
        for (int i = 301; i <= 310; ++i)
            QCOMPARE(list->Selected(i), i >= 303 && i <= 308);
    }

    // Rows inserted or removed in the middle move the rows after them.
    void insertAndRemoveMoveTheRowsAfter()
    {
        ctl::ListBox* list = shownList();
        list->AddItems(rowTexts(0, 30));
        list->AddItem("inserted", 5);
        list->RemoveItem(10);
        list->RemoveItem(99); // no such entry: nothing happens
        QStringList expected = rowTexts(0, 30);
        expected.insert(5, "inserted");
        expected.removeAt(10);
        QCOMPARE(testsupport::entries(list), expected);
        QCOMPARE(list->indexAt(list->visualRect(list->item(5)).center()).data().toString(),
                 QStringLiteral("inserted"));
        list->Clear();
        QCOMPARE(list->ListCount(), 0);
        QVERIFY(!list->indexAt(QPoint(5, 5)).isValid());
        // below the last row there is no entry
        list->AddItems(rowTexts(0, 3));
        const QRect last = list->visualRect(list->item(2));
        QCOMPARE(list->indexAt(last.center()).row(), 2);
        QVERIFY(!list->indexAt(last.center() + QPoint(0, last.height())).isValid());
    }

    // A list filled while hidden shows, when it is shown, its current entry
    // or the row it was asked to scroll to.
    void hiddenListScrollsWhenShown()
    {
        auto hiddenList = [&] {
            auto* list = new ctl::ListBox(m_window, "List2");
            list->setGeometry(0, 0, 300, 200);
            list->hide();
            list->AddItems(rowTexts(0, 1000));
            return list;
        };
        ctl::ListBox* withCurrent = hiddenList();
        withCurrent->setListIndex(900);
        withCurrent->show();
        QVERIFY(placed(*withCurrent, 900));
        QVERIFY(withCurrent->verticalScrollBar()->maximum() > 900);

        ctl::ListBox* scrolled = hiddenList();
        scrolled->scrollTo(scrolled->item(700), QAbstractItemView::PositionAtTop);
        scrolled->show();
        QVERIFY(placed(*scrolled, 700));
        QCOMPARE(scrolled->visualRect(scrolled->item(700)).top(), 0);
    }

    // The folder list: the open folder and its ancestors show an open
    // folder, the sub-folders a closed one, each row naming its folder.
    void folderListRowsAndIcons()
    {
        testsupport::TempDrives drives(1);
        drives.mkdir("C:\\Projects\\b");
        drives.mkdir("C:\\Projects\\a");
        ctl::DirListBox list(m_window, "DirBox");
        list.setPath("C:\\Projects");
        QCOMPARE(testsupport::entries(&list),
                 (QStringList{"C:\\", "  Projects", "    a", "    b"}));
        const QStringList folders{"C:\\", "C:\\Projects", "C:\\Projects\\a", "C:\\Projects\\b"};
        const auto image = [&](const QIcon& icon) { return icon.pixmap(16).toImage(); };
        const QImage open = image(list.style()->standardIcon(QStyle::SP_DirOpenIcon));
        const QImage closed = image(list.style()->standardIcon(QStyle::SP_DirClosedIcon));
        QVERIFY(open != closed);
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(list.folderAt(row), folders.at(row));
            const QIcon icon = list.model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            QCOMPARE(image(icon), row < 2 ? open : closed);
        }
        QCOMPARE(list.ListIndex(), 1);
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
