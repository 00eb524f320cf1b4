// An exception that escapes a command or an event handler: one message
// box, and the program goes on delivering events.
#include "controls/controls.h"
#include "controls/dialogsupport.h"
#include "controls/handlers.h"
#include "controls/vbform.h"
#include "platform/application.h"
#include "platform/fileerror.h"
#include "testsupport.h"

#include <QtTest>

#include <functional>
#include <stdexcept>

namespace {

// Throws from its event handler whatever it is told to.
class Thrower : public QObject {
  public:
    std::function<void()> toThrow;
    int delivered = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++delivered;
        if (toThrow) toThrow();
        return true;
    }
};

// A window whose every kind of handler throws while told to.
class Commands : public ctl::Form<Commands> {
  public:
    Commands()
    {
        setObjectName("Commands");
        QMenu* file = topMenu("mnuFile", "&File");
        mnuThrow = item(file, "mnuThrow", "&Throw", QKeySequence("Ctrl+T"), [this] { run(); });
        Command1 = new ctl::CommandButton(client(), "Command1", "Okay");
        ctl::onSignal(Command1, &ctl::CommandButton::Click, this, &Commands::run);
        List1 = new ctl::ListBox(client(), "List1");
        List1->AddItems({"one", "two"});
        ctl::onSignal(List1, &ctl::ListBox::Click, this, [this] { run(); });
        Timer1 = new ctl::Timer(this, "Timer1", 0, false);
        ctl::onSignal(Timer1, &ctl::Timer::Timer_, this, [this] {
            Timer1->setEnabled(false);
            run();
        });
        Text1 = new ctl::TextBox(client(), "Text1");
        ctl::onKeyDown(Text1, [this](int, int) { run(); });
    }
    void run()
    {
        if (throwing) throw plat::FileError(61);
    }
    bool throwing = true;
    QAction* mnuThrow;
    ctl::CommandButton* Command1;
    ctl::ListBox* List1;
    ctl::Timer* Timer1;
    ctl::TextBox* Text1;
};

} // namespace

class TstApplication : public QObject {
    Q_OBJECT
  private slots:
    void escapedExceptions_data()
    {
        QTest::addColumn<std::function<void()>>("toThrow");
        QTest::addColumn<QString>("message");
        QTest::newRow("a standard exception")
            << std::function<void()>([] { throw std::runtime_error("out of range"); })
            << "The command stopped on an unexpected error: out of range.";
        QTest::newRow("a file error") << std::function<void()>([] { throw plat::FileError(61); })
                                      << plat::escapedErrorMessage(plat::FileError(61).what());
        QTest::newRow("not an exception at all") << std::function<void()>([] { throw 42; })
                                                 << "The command stopped on an unexpected error.";
    }
    void escapedExceptions()
    {
        QFETCH(std::function<void()>, toThrow);
        QFETCH(QString, message);
        testsupport::RecordingMessageBoxes boxes;
        Thrower t;
        t.toThrow = toThrow;
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&t, QEvent::User);
        QCOMPARE(boxes.prompts(), QStringList{message});

        // the program runs on: the next event is delivered as usual
        t.toThrow = nullptr;
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&t, QEvent::User);
        QCOMPARE(t.delivered, 2);
        QCOMPARE(boxes.boxes.size(), 1);
    }

    // A handler that throws ends at its command: the message is shown, the
    // rest of Qt's delivery goes on (a slot connected after it still runs,
    // a typed key still reaches its field) and so does the program.
    void exceptionsEndAtTheCommand_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("menu item, chosen") << "menu";
        QTest::newRow("menu item, by its key") << "shortcut";
        QTest::newRow("button") << "button";
        QTest::newRow("list box's click") << "list";
        QTest::newRow("timer") << "timer";
        QTest::newRow("text field's key-down") << "key";
    }
    void exceptionsEndAtTheCommand()
    {
        QFETCH(QString, where);
        testsupport::RecordingMessageBoxes boxes;
        Commands& w = Commands::get();
        w.Show();
        QTRY_VERIFY(w.isActiveWindow());
        bool deliveredOn = false;
        const auto after = [&] { deliveredOn = true; };
        const std::function<void()> raise = [&] {
            if (where == "menu") {
                w.mnuThrow->trigger();
            } else if (where == "shortcut") {
                QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
            } else if (where == "button") {
                w.Command1->click();
            } else if (where == "list") {
                w.List1->setListIndex(w.List1->ListIndex() == 0 ? 1 : 0);
            } else if (where == "timer") {
                w.Timer1->setEnabled(true);
                QTRY_VERIFY(!w.Timer1->Enabled());
            } else {
                QTest::keyClick(w.Text1, Qt::Key_A);
            }
        };
        if (where == "menu" || where == "shortcut")
            connect(w.mnuThrow, &QAction::triggered, this, after);
        else if (where == "button")
            connect(w.Command1, &ctl::CommandButton::Click, this, after);
        else if (where == "list")
            connect(w.List1, &ctl::ListBox::Click, this, after);
        else if (where == "timer")
            connect(w.Timer1, &ctl::Timer::Timer_, this, after);
        else
            connect(w.Text1, &QLineEdit::textEdited, this, after);
        const QStringList told{plat::escapedErrorMessage(plat::FileError(61).what())};
        raise();
        QCOMPARE(boxes.prompts(), told);
        QVERIFY(deliveredOn);

        // the program runs on: the same command works as usual
        w.throwing = false;
        deliveredOn = false;
        raise();
        QVERIFY(deliveredOn);
        QCOMPARE(boxes.prompts(), told); // nothing more to tell
        w.Unload();
    }
};

int main(int argc, char** argv)
{
    plat::Application app(argc, argv);
    TstApplication t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_application.moc"
