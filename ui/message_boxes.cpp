#include "ui/message_boxes.h"

#include <stdexcept>

namespace talvex {

int WindowMessageBoxes::Show(const std::u16string& text, const std::u16string& caption, int flags) {
    const int answer =
        MessageBoxW(owner_, reinterpret_cast<const wchar_t*>(text.c_str()),
                    reinterpret_cast<const wchar_t*>(caption.c_str()), static_cast<UINT>(flags));
    // Zero (or -1 from the dialog machinery) means no box was shown, so no one answered.
    if (answer <= 0) throw std::runtime_error("message box could not be shown");
    return answer;
}

}  // namespace talvex
