#pragma once
// The browser clean-up that File > Exit runs before the program ends.

namespace Module1 {

// Closes the shell's browser windows when a fresh automation object reports
// itself visible; a fresh object never does, so nothing is closed. Throws
// when the automation object cannot be created; the caller decides.
void CloseBrowserWindows();

} // namespace Module1
