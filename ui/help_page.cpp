#include "ui/help_page.h"

#include <windows.h>

#include "ui/shell_calls.h"
#include "ui/texts.h"

namespace talvex {

void OpenHelpPage() {
    CallShellExecute(nullptr, L"open", texts::kHelpAddress, L"", L"", SW_SHOWNORMAL);
}

}  // namespace talvex
