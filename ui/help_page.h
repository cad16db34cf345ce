// The program's web page, opened in the user's browser.
#pragma once

namespace talvex {

// Asks the shell to "open" the help address. The outcome is not looked at: without a
// browser nothing happens and nothing is said.
void OpenHelpPage();

}  // namespace talvex
