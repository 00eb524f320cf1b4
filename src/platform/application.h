#pragma once
// The program's application object. An exception that escapes an event
// handler would otherwise end the process and take the user's unsaved work
// with it; here it becomes one message box and the program runs on.
#include <QApplication>
#include <QString>

namespace plat {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The message shown for an escaped exception; what is its own text, or
// null when it carried none.
QString escapedErrorMessage(const char* what);

} // namespace plat
