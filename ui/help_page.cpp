#include "ui/help_page.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/texts.h"

namespace talvex {

void OpenHelpPage() {
    ShellExecuteW(nullptr, L"open", texts::kHelpAddress, L"", L"", SW_SHOWNORMAL);
}

}  // namespace talvex
