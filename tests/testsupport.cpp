#include "testsupport.h"

#include <QDir>
#include <QStandardPaths>

namespace testsupport {

void isolateEnvironment()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("QUORBIX_REGISTRY", (home.path() + "/registry.sqlite3").toUtf8());
    QDir().mkpath(home.path() + "/.local/share");
    QStandardPaths::setTestModeEnabled(true);
}

} // namespace testsupport
