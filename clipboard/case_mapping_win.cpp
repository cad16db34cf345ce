#include "clipboard/case_mapping_win.h"

#include <windows.h>

#include <climits>
#include <string>

#include "clipboard/clipboard.h"
#include "platform/wide.h"

namespace talvex {
namespace {

std::u16string Map(const std::u16string& text, DWORD caseFlag) {
    if (text.empty()) return {};  // LCMapStringEx rejects a zero length
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        throw ClipboardError(ClipboardFailure::TooLongToMap);
    const int length = static_cast<int>(text.size());
    const std::wstring source = ToWide(text);
    // Same size as the input: a mapping that would need more room fails instead of growing.
    std::wstring mapped(text.size(), L'\0');
    const int written =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, caseFlag | LCMAP_LINGUISTIC_CASING, source.data(),
                      length, mapped.data(), length, nullptr, nullptr, 0);
    if (written == 0) throw ClipboardError(ClipboardFailure::MappingFailed);
    if (written != length) throw ClipboardError(ClipboardFailure::MappingChangedLength);
    return FromWide(mapped);
}

}  // namespace

std::u16string WindowsCaseMapper::ToUpper(const std::u16string& text) {
    return Map(text, LCMAP_UPPERCASE);
}

std::u16string WindowsCaseMapper::ToLower(const std::u16string& text) {
    return Map(text, LCMAP_LOWERCASE);
}

}  // namespace talvex
