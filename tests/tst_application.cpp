// An exception that escapes an event handler: one message box, and the
// program goes on delivering events.
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
};

int main(int argc, char** argv)
{
    plat::Application app(argc, argv);
    TstApplication t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_application.moc"
