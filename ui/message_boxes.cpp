#include "ui/message_boxes.h"

#include <stdexcept>

namespace talvex {

int WindowMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                             int flags) {
    const int answer = MessageBoxW(owner_, reinterpret_cast<const wchar_t*>(text.c_str()),
                                   reinterpret_cast<const wchar_t*>(caption.c_str()),
                                   static_cast<UINT>(flags));
    if (answer == 0) throw std::runtime_error("message box could not be shown");
    return answer;
}

}  // namespace talvex
