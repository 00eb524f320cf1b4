// The real message and input boxes, looked at before they are shown: what
// they say is shown as its characters, whatever a file name holds; a
// question without Cancel waits for its answer; the frame carries no
// minimise or maximise and is wide enough for its title; a box taken away
// with its window counts as cancelled.
#include "testsupport.h"

#include "controls/controls.h"
#include "platform/msgbox.h"
#include "platform/windowframe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>
#include <QtTest>

class TstMsgBox : public QObject {
    Q_OBJECT

    static QString richName()
    {
        return QStringLiteral("Cannot start <h2>Your files are locked</h2>"
                              "<a href=\"https://pay.example\">pay here</a>.exe");
    }

    // The label shows the text's own characters when it lays them out as a
    // plain-text label of the same font and wrapping does.
    static void verifyShownAsText(QLabel* label, const QString& text)
    {
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setFont(label->font());
        plain.setWordWrap(label->wordWrap());
        plain.setText(text);
        QCOMPARE(label->sizeHint(), plain.sizeHint());
    }

  private slots:
    void richTextIsShownAsText_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("message box") << "message box";
        QTest::newRow("input box") << "input box";
        QTest::newRow("window label") << "window label";
    }

    void richTextIsShownAsText()
    {
        QFETCH(QString, where);
        QVERIFY(Qt::mightBeRichText(richName()));
        if (where == "message box") {
            const auto box = plat::makeMessageBox(richName(), plat::vbExclamation, "Quorbix");
            QCOMPARE(box->textFormat(), Qt::PlainText);
            verifyShownAsText(box->findChild<QLabel*>("qt_msgbox_label"), richName());
        } else if (where == "input box") {
            const auto box = plat::makeInputBox(richName(), "Quorbix", "typed <b>text</b>");
            QLabel* label = nullptr;
            for (QLabel* l : box->findChildren<QLabel*>())
                if (l->text() == richName()) label = l;
            verifyShownAsText(label, richName());
            QCOMPARE(box->textValue(), QString("typed <b>text</b>"));
        } else {
            ctl::Label label(nullptr, "Label1", richName());
            verifyShownAsText(&label, richName());
        }
    }

    // Esc and the frame's close answer a box only where it has a Cancel, or
    // a single OK; a question without Cancel has neither, and its title bar
    // no close button. No box offers minimise or maximise.
    void escapeOnlyWithCancel_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("escape"); // the standard button Esc and close press; 0: none
        QTest::newRow("OK") << int(plat::vbOKOnly) << int(QMessageBox::Ok);
        QTest::newRow("OK, Cancel") << int(plat::vbOKCancel) << int(QMessageBox::Cancel);
        QTest::newRow("Abort, Retry, Ignore") << int(plat::vbAbortRetryIgnore) << 0;
        QTest::newRow("Yes, No, Cancel") << int(plat::vbYesNoCancel) << int(QMessageBox::Cancel);
        QTest::newRow("Yes, No") << int(plat::vbYesNo) << 0;
        QTest::newRow("Yes, No, No the default")
            << int(plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2) << 0;
        QTest::newRow("Retry, Cancel") << int(plat::vbRetryCancel) << int(QMessageBox::Cancel);
    }
    void escapeOnlyWithCancel()
    {
        QFETCH(int, style);
        QFETCH(int, escape);
        const auto wanted = QMessageBox::StandardButton(escape);
        for (const QString& how : {QStringLiteral("Esc"), QStringLiteral("close")}) {
            const auto box =
                plat::makeMessageBox("Save changes to C:\\A.TXT?", style, "Save Changes");
            QAbstractButton* expected = escape ? box->button(wanted) : nullptr;
            QCOMPARE(box->escapeButton(), expected);
            const Qt::WindowFlags flags = box->windowFlags();
            QCOMPARE(bool(flags & Qt::WindowCloseButtonHint), escape != 0);
            QVERIFY(flags & Qt::CustomizeWindowHint);
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QVERIFY(plat::minimizeAndMaximizeKeptOff(box.get()));
            if (how == "Esc") {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box.get(), &esc);
            } else {
                QCloseEvent close;
                QApplication::sendEvent(box.get(), &close);
                QVERIFY(!close.isAccepted()); // answered by its button, never closed unanswered
            }
            QCOMPARE(box->clickedButton(), expected);
            if (!escape) QCOMPARE(box->result(), 0); // still waiting
        }
    }

    // A box with a short text is as wide as its title needs in a title bar
    // beside a window icon and a close button.
    void boxFitsItsTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("style");
        QTest::newRow("Quorbix") << "Quorbix" << int(plat::vbAbortRetryIgnore);
        QTest::newRow("Save Changes") << "Save Changes" << int(plat::vbOKOnly);
        QTest::newRow("Create New Folder") << "Create New Folder" << int(plat::vbYesNo);
    }
    void boxFitsItsTitle()
    {
        QFETCH(QString, title);
        QFETCH(int, style);
        const auto box = plat::makeMessageBox("x", style, title);
        box->show();
        QCoreApplication::processEvents();
        QFont bold = QApplication::font("QMdiSubWindowTitleBar");
        bold.setBold(true);
        const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box.get());
        QVERIFY2(box->width() >= QFontMetrics(bold).horizontalAdvance(title) + 2 * bar,
                 qPrintable(QString::number(box->width())));
        box->hide();
    }

    // A box whose window goes while it is up goes with it, once, and counts
    // as cancelled; the next box comes up and is answered as usual.
    void boxTakenAwayWithItsWindow_data()
    {
        QTest::addColumn<bool>("input");
        QTest::newRow("message box") << false;
        QTest::newRow("input box") << true;
    }
    void boxTakenAwayWithItsWindow()
    {
        QFETCH(bool, input);
        auto* window = new QWidget;
        window->show();
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window);
        QPointer<QWidget> alive(window);
        testsupport::AnsweredRealBoxes boxes;
        boxes.answer = [&](QDialog*) { delete window; };
        if (input)
            QVERIFY(plat::InputBox("Name?", "Quorbix", "typed").isNull());
        else
            QCOMPARE(plat::MsgBox("Save?", plat::vbYesNoCancel), int(plat::vbCancel));
        QVERIFY(!alive);
        QVERIFY(boxes.over == QList<QPointer<QWidget>>{nullptr}); // over the window that went

        boxes.answer = nullptr; // OK pressed
        if (input)
            QCOMPARE(plat::InputBox("Name?", "Quorbix", "typed"), QString("typed"));
        else
            QCOMPARE(plat::MsgBox("Save?", plat::vbYesNoCancel), int(plat::vbYes));
    }
};

QTEST_MAIN(TstMsgBox)
#include "tst_msgbox.moc"
