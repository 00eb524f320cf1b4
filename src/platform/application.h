#pragma once
// The program's application object and the boundary where a command ends.
// An exception that escapes a command would otherwise unwind through Qt's
// signal and event code, whose state after one is undefined, or end the
// process and take the user's unsaved work with it; here it becomes one
// message box and the program runs on.
#include <QApplication>
#include <QString>

#include <exception>

namespace plat {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    // The last net, for an exception that escapes an event handler that no
    // command boundary encloses.
    bool notify(QObject* receiver, QEvent* event) override;
};

// The message shown for an escaped exception; what is its own text, or
// null when it carried none.
QString escapedErrorMessage(const char* what);

// Shows that message in one box (never a second one while the first is up).
void reportEscapedError(const char* what);

// Runs one command of the program (a menu item, a button's click, a list's
// event, a timer's tick): whatever it throws ends here, told as above.
template <class Command> void runCommand(Command&& command) noexcept
{
    try {
        command();
    } catch (const std::exception& e) {
        reportEscapedError(e.what());
    } catch (...) {
        // Whatever was thrown, the command it interrupted is over; the
        // program itself can go on.
        reportEscapedError(nullptr);
    }
}

} // namespace plat
