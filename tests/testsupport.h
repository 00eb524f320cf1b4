#pragma once
// Shared fixtures for the tests: temporary drives, a temporary settings store,
// and recording stand-ins for every side effect the program can have.
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Points the settings store, the trash and the user's data folders at a
// fresh temporary folder, so no test ever sees the user's real settings.
void isolateEnvironment();

} // namespace testsupport
