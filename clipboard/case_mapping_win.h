// CaseMapper over the user's locale, with linguistic casing (LCMapStringEx).
#pragma once

#include <string>

#include "clipboard/ports.h"

namespace talvex {

// Throws ClipboardError when the system cannot map the text or would change its length.
class WindowsCaseMapper : public CaseMapper {
  public:
    std::u16string ToUpper(const std::u16string& text) override;
    std::u16string ToLower(const std::u16string& text) override;
};

}  // namespace talvex
