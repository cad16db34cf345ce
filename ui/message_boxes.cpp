#include "ui/message_boxes.h"

#include <stdexcept>

#include "ui/texts.h"

namespace talvex {

Answer WindowMessageBoxes::Show(const std::u16string& text, MessageKind kind) {
    const wchar_t* caption =
        kind == MessageKind::CharacterCount ? texts::kCountCaption : texts::kTitle;
    const UINT buttons = kind == MessageKind::Question ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(owner_, reinterpret_cast<const wchar_t*>(text.c_str()), caption,
                                   buttons | MB_ICONINFORMATION);
    // Zero (or -1 from the dialog machinery) means no box was shown, so no one answered.
    if (answer <= 0) throw std::runtime_error("message box could not be shown");
    if (answer == IDYES) return Answer::Yes;
    return kind == MessageKind::Question ? Answer::No : Answer::Ok;
}

}  // namespace talvex
