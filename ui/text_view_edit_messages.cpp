// The edit control's messages, as other programs and the tests send them to the text view.
#include <algorithm>
#include <new>

#include "editing/text_positions.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

// A position given by another program, which may be -1 or beyond the text.
std::size_t Clamped(LPARAM value, std::size_t length) {
    const auto asInt = static_cast<INT>(value);
    if (asInt < 0) return length;
    return std::min(static_cast<std::size_t>(asInt), length);
}

// An edit control's answer to EM_SETLIMITTEXT 0 and its limit when none was set.
constexpr LRESULT kNoLimitAnswer = 0x7FFFFFFE;

}  // namespace

bool TextView::HandleEditMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    return HandleTextMessage(msg, wp, lp, result) || HandleCommandMessage(msg, result) ||
           HandleLineMessage(msg, wp, lp, result) || HandleViewMessage(msg, wp, lp, result);
}

bool TextView::HandleTextMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    const std::size_t length = editor_.Text().size();
    switch (msg) {
        case WM_GETTEXTLENGTH:
            *result = static_cast<LRESULT>(length);
            return true;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<wchar_t*>(lp);
            if (buffer == nullptr || wp == 0) return true;
            const std::size_t copied = std::min<std::size_t>(wp - 1, length);
            std::copy_n(editor_.Text().data(), copied, reinterpret_cast<char16_t*>(buffer));
            buffer[copied] = L'\0';
            *result = static_cast<LRESULT>(copied);
            return true;
        }
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char16_t*>(lp);
            try {
                SetText(text != nullptr ? std::u16string(text) : std::u16string());
                *result = TRUE;
            } catch (const std::bad_alloc&) {
                *result = FALSE;  // as an edit control out of memory: nothing changed
            }
            return true;
        }
        case EM_GETSEL: {
            const std::size_t start = editor_.SelectionStart();
            const std::size_t end = editor_.SelectionEnd();
            if (wp != 0) *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(start);
            if (lp != 0) *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(end);
            *result = start > 0xFFFF || end > 0xFFFF ? -1 : MAKELRESULT(start, end);
            return true;
        }
        case EM_SETSEL:
            if (static_cast<INT>(wp) == -1) {
                editor_.MoveCaretTo(editor_.Caret(), false);  // -1: nothing selected any more
            } else {
                editor_.Select(Clamped(static_cast<LPARAM>(wp), length), Clamped(lp, length));
            }
            viewport_.ForgetColumn();
            // As in an edit control, the view stays where it is (EM_SCROLLCARET brings the
            // caret into sight): tabbing into a long text selects it all without a jump.
            UpdateScrollBars();
            return true;
        case EM_REPLACESEL: {
            const auto* text = reinterpret_cast<const char16_t*>(lp);
            editor_.ReplaceSelection(text != nullptr ? std::u16string_view(text) : u"", wp != 0);
            AfterCommand();
            return true;
        }
        case EM_SETLIMITTEXT:
            editor_.SetLimit(wp == 0 ? TextEditor::kNoLimit : static_cast<std::size_t>(wp));
            return true;
        case EM_GETLIMITTEXT:
            *result = editor_.Limit() == TextEditor::kNoLimit
                          ? kNoLimitAnswer
                          : static_cast<LRESULT>(editor_.Limit());
            return true;
        case EM_GETMODIFY:
            *result = modified_ ? TRUE : FALSE;
            return true;
        case EM_SETMODIFY:
            modified_ = wp != 0;
            return true;
        case EM_GETHANDLE:
            *result = 0;  // the text is not kept in a local buffer another program could use
            return true;
        default:
            return false;
    }
}

bool TextView::HandleCommandMessage(UINT msg, LRESULT* result) {
    switch (msg) {
        case WM_UNDO:
        case EM_UNDO:
            *result = editor_.Undo() ? TRUE : FALSE;
            break;
        case EM_CANUNDO:
            *result = editor_.CanUndo() ? TRUE : FALSE;
            return true;
        case EM_EMPTYUNDOBUFFER:
            editor_.EmptyUndoHistory();
            return true;
        case WM_COPY:
            CopySelection();
            return true;
        case WM_CUT:
            CutSelection();
            break;
        case WM_PASTE:
            Paste();
            break;
        case WM_CLEAR:
            editor_.DeleteSelection();
            break;
        default:
            return false;
    }
    AfterCommand();
    return true;
}

bool TextView::HandleLineMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    const TextDocument& document = editor_.Document();
    const std::size_t length = document.Length();
    switch (msg) {
        case EM_GETLINECOUNT:
            *result = static_cast<LRESULT>(document.LineCount());
            return true;
        case EM_LINEINDEX: {
            const std::size_t line = static_cast<INT>(wp) < 0
                                         ? document.LineOfPosition(editor_.Caret())
                                         : static_cast<std::size_t>(wp);
            *result =
                line < document.LineCount() ? static_cast<LRESULT>(document.LineStart(line)) : -1;
            return true;
        }
        case EM_LINEFROMCHAR: {
            const std::size_t at = static_cast<INT>(wp) < 0 ? editor_.SelectionStart()
                                                            : std::min<std::size_t>(wp, length);
            *result = static_cast<LRESULT>(document.LineOfPosition(at));
            return true;
        }
        case EM_LINELENGTH: {
            if (static_cast<INT>(wp) < 0) {
                // What is left unselected on the lines the selection touches.
                const std::size_t first = document.LineOfPosition(editor_.SelectionStart());
                const std::size_t last = document.LineOfPosition(editor_.SelectionEnd());
                *result =
                    static_cast<LRESULT>(editor_.SelectionStart() - document.LineStart(first) +
                                         document.LineEnd(last) - editor_.SelectionEnd());
            } else {
                *result = static_cast<LRESULT>(document.LineLength(
                    document.LineOfPosition(std::min<std::size_t>(wp, length))));
            }
            return true;
        }
        case EM_GETLINE: {
            auto* buffer = reinterpret_cast<wchar_t*>(lp);
            if (buffer == nullptr || wp >= document.LineCount()) return true;
            const std::u16string_view line = document.LineText(wp);
            const std::size_t room = *reinterpret_cast<const WORD*>(buffer);
            const std::size_t copied = std::min(room, line.size());
            std::copy_n(line.data(), copied, reinterpret_cast<char16_t*>(buffer));
            *result = static_cast<LRESULT>(copied);
            return true;
        }
        default:
            return false;
    }
}

bool TextView::HandleViewMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
        case EM_GETFIRSTVISIBLELINE:
            *result = static_cast<LRESULT>(viewport_.FirstLine());
            return true;
        case EM_LINESCROLL:
            if (viewport_.ScrollBy(static_cast<INT>(lp), static_cast<INT>(wp))) AfterViewMoved();
            *result = TRUE;
            return true;
        case EM_SCROLL: {
            // Lines and pages only; the answer says how many lines that was.
            if (wp > SB_PAGEDOWN) return true;
            const std::size_t before = viewport_.FirstLine();
            OnScroll(ScrollBar::Vertical, wp);
            const auto moved =
                static_cast<long long>(viewport_.FirstLine()) - static_cast<long long>(before);
            *result = MAKELRESULT(static_cast<WORD>(moved), TRUE);
            return true;
        }
        case EM_SCROLLCARET:
            ScrollIntoView(editor_.Caret());
            *result = TRUE;
            return true;
        case EM_POSFROMCHAR: {
            if (wp > editor_.Text().size()) {
                *result = -1;
                return true;
            }
            const POINT at = ClientPointOf(SnapToCaretBoundary(editor_.Text(), wp));
            *result = MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
            return true;
        }
        case EM_CHARFROMPOS: {
            const std::size_t at =
                PositionAt(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            *result = MAKELRESULT(at, editor_.Document().LineOfPosition(at));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace talvex
