// High contrast: when the user turns it on, the system's colours win over the skin's
// everywhere the program draws for itself (Text1, List1, the popup menu).
#pragma once

#include <optional>

namespace talvex {

bool HighContrastOn();

// Wine cannot turn high contrast on (SPI_SETHIGHCONTRAST fails there), so a test answers in
// the system's place here; nullopt gives the question back to the system.
void SetHighContrastForTesting(std::optional<bool> on);

}  // namespace talvex
