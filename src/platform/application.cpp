#include "platform/application.h"

#include "platform/filesys.h"
#include "platform/msgbox.h"

#include <exception>

namespace plat {

namespace {

// A handler that throws again while its message is up (a repaint behind the
// box, say) must not stack a box on a box.
bool g_reporting = false;

void report(const char* what)
{
    if (g_reporting) return;
    g_reporting = true;
    MsgBox(escapedErrorMessage(what), vbOKOnly | vbCritical);
    g_reporting = false;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    fs::setNoticeSink([](const QString& text) { MsgBox(text, vbOKOnly | vbExclamation); });
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report(e.what());
    } catch (...) {
        // Whatever was thrown, the command it interrupted is over; the
        // program itself can go on.
        report(nullptr);
    }
    return false;
}

QString escapedErrorMessage(const char* what)
{
    QString text = QStringLiteral("The command stopped on an unexpected error");
    if (what && *what) text += QStringLiteral(": ") + QString::fromUtf8(what);
    return text + QStringLiteral(".");
}

} // namespace plat
