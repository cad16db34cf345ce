#include "ui/contrast.h"

#include <windows.h>

namespace talvex {
namespace {

std::optional<bool>& TestAnswer() {
    static std::optional<bool> answer;
    return answer;
}

}  // namespace

bool HighContrastOn() {
    if (TestAnswer()) return *TestAnswer();
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void SetHighContrastForTesting(std::optional<bool> on) { TestAnswer() = on; }

}  // namespace talvex
