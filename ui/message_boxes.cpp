#include "ui/message_boxes.h"

#include <stdexcept>

#include "ui/texts.h"

namespace talvex {

namespace {

std::u16string TextOf(MessageKind kind, std::size_t count) {
    switch (kind) {
        case MessageKind::ClearQuestion:
            return texts::kClearQuestion;
        case MessageKind::CharacterCount:
            return texts::CharacterCountMessage(count);
        case MessageKind::QuitQuestion:
            return texts::kQuitQuestion;
        case MessageKind::About:
            return texts::kAbout;
        case MessageKind::CannotHide:
            return texts::kCannotHide;
    }
    throw std::invalid_argument("no such message");
}

}  // namespace

Answer WindowMessageBoxes::Show(MessageKind kind, std::size_t count) {
    const std::u16string text = TextOf(kind, count);
    const wchar_t* caption =
        kind == MessageKind::CharacterCount ? texts::kCountCaption : texts::kTitle;
    const bool question = kind == MessageKind::ClearQuestion || kind == MessageKind::QuitQuestion;
    const int answer = MessageBoxW(owner_, reinterpret_cast<const wchar_t*>(text.c_str()), caption,
                                   (question ? MB_YESNO : MB_OK) | MB_ICONINFORMATION);
    // Zero (or -1 from the dialog machinery) means no box was shown, so no one answered.
    if (answer <= 0) throw std::runtime_error("message box could not be shown");
    if (answer == IDYES) return Answer::Yes;
    return question ? Answer::No : Answer::Ok;
}

}  // namespace talvex
