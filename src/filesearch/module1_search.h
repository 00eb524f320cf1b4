#pragma once
// The search's folder and pattern as the user typed them, for the program.
#include <QString>

namespace Module1 {

extern QString SearchPath;
extern QString SearchPattern;

} // namespace Module1
