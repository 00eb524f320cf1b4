#include "platform/application.h"

#include "platform/filesys.h"
#include "platform/msgbox.h"

namespace plat {

namespace {

// A handler that throws again while its message is up (a repaint behind the
// box, say) must not stack a box on a box.
bool g_reporting = false;

} // namespace

void reportEscapedError(const char* what)
{
    if (g_reporting) return;
    g_reporting = true;
    try {
        MsgBox(escapedErrorMessage(what), vbOKOnly | vbCritical);
    } catch (...) {
        // Nothing is left to tell it with; the program goes on all the same.
    }
    g_reporting = false;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    fs::setNoticeSink([](const QString& text) { MsgBox(text, vbOKOnly | vbExclamation); });
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

QString escapedErrorMessage(const char* what)
{
    QString text = QStringLiteral("The command stopped on an unexpected error");
    if (what && *what) text += QStringLiteral(": ") + QString::fromUtf8(what);
    return text + QStringLiteral(".");
}

} // namespace plat
