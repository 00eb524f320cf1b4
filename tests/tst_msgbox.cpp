// The real message and input boxes, looked at before they are shown: what
// they say is shown as its characters, whatever a file name holds.
#include "controls/controls.h"
#include "platform/msgbox.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
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
};

QTEST_MAIN(TstMsgBox)
#include "tst_msgbox.moc"
