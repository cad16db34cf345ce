#include "ui/text_view.h"

#include <algorithm>
#include <new>

#include "editing/text_positions.h"
#include "ui/text_view_accessible.h"
#include "ui/text_view_automation.h"

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

TextView::TextView() : shaper_(editor_.Document()), layout_(editor_.Document(), shaper_) {
    editor_.SetObserver(this);
}

TextView::~TextView() {
    // While the editor and the buffers are still there.
    if (hwnd() != nullptr) DestroyWindow(hwnd());
}

bool TextView::Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds) {
    WNDCLASSEXW wc{};
    wc.style = CS_DBLCLKS;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    if (!RegisterClassOnce(instance, kClassName, wc)) return false;
    return CreateBound(0, kClassName, L"",
                       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                           WS_CLIPSIBLINGS,
                       bounds, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                       instance) != nullptr;
}

void TextView::SetText(std::u16string text) {
    // The box stops at a NUL, as an edit control does.
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
    editor_.SetText(std::move(text));
    modified_ = false;
}

LRESULT TextView::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (HandlePaint(msg, wp, [this](HDC dc, const RECT& area) { Paint(dc, area); })) return 0;
    switch (msg) {
        case WM_CREATE:
            shaper_.SetDc(bufferDc_.get());
            SetFont(nullptr, false);
            return 0;
        case WM_DESTROY:
            EndDrag();
            if (accessible_ != nullptr) {
                TextViewAccessible::Disconnect(accessible_);
                accessible_ = nullptr;
            }
            if (automation_ != nullptr) {
                TextViewAutomation::Disconnect(automation_);
                automation_ = nullptr;
            }
            return 0;
        case WM_NCDESTROY:
            shaper_.SetDc(nullptr);
            // What the buffer holds goes with the window, in the order it came.
            bufferBitmap_.reset();
            bufferFont_.reset();
            buffer_.reset();
            bufferDc_.reset();
            return DefWindowProcW(hwnd(), msg, wp, lp);
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_SETFONT:
            SetFont(reinterpret_cast<HFONT>(wp), LOWORD(lp) != 0);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything, from its buffer
        case WM_SETFOCUS:
            CreateSystemCaret();
            PlaceCaret();
            InvalidateRect(hwnd(), nullptr, FALSE);  // the selection shows while focused
            NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, CHILDID_SELF);
            if (automation_ != nullptr) automation_->OnFocus();
            return 0;
        case WM_KILLFOCUS:
            EndDrag();
            pendingHighSurrogate_ = 0;
            DestroyCaret();
            caretShown_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_GETDLGCODE:
            // Every key, Enter and Esc included: the dialog manager must not act on them here
            // (Tab is passed on by the view itself, access keys still reach the window).
            return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (OnKeyDown(wp)) return 0;
            return DefWindowProcW(hwnd(), msg, wp, lp);
        case WM_SYSKEYDOWN:
            // Alt+Backspace undoes, as in any Windows text box.
            if (wp == VK_BACK && (HIWORD(lp) & KF_ALTDOWN) != 0) {
                editor_.Undo();
                AfterCommand();
                return 0;
            }
            return DefWindowProcW(hwnd(), msg, wp, lp);
        case WM_SYSCHAR:
            if (wp == VK_BACK) return 0;  // the Alt+Backspace above, no beep
            return DefWindowProcW(hwnd(), msg, wp, lp);
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wp));
            return 0;
        case WM_UNICHAR:
            if (wp == UNICODE_NOCHAR) return TRUE;  // yes, this window takes UTF-32 characters
            TypeCodePoint(static_cast<char32_t>(wp));
            return FALSE;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnMouseDown(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))},
                        (wp & MK_SHIFT) != 0, msg == WM_LBUTTONDBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            return 0;
        case WM_LBUTTONUP:
            EndDrag();
            return 0;
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                KillTimer(hwnd(), kDragTimer);
            }
            return 0;
        case WM_TIMER:
            if (wp == kDragTimer) OnDragTimer();
            return 0;
        case WM_RBUTTONDOWN:
            if (GetFocus() != hwnd()) SetFocus(hwnd());
            return 0;
        case WM_CONTEXTMENU:
            ShowContextMenu(lp);
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wp), (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEHWHEEL:
            // Tilted right: the text moves left, as when scrolling right.
            OnWheel(-GET_WHEEL_DELTA_WPARAM(wp), true);
            return TRUE;
        case WM_VSCROLL:
            OnScroll(SB_VERT, LOWORD(wp));
            return 0;
        case WM_HSCROLL:
            OnScroll(SB_HORZ, LOWORD(wp));
            return 0;
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
            PlaceComposition();
            return DefWindowProcW(hwnd(), msg, wp, lp);  // the result comes back as WM_CHAR
        case WM_GETOBJECT:
            return OnGetObject(wp, lp);
        case WM_CLOSE:
            return 0;  // only the window itself closes; a box inside it never goes away
        case WM_ENABLE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            InvalidateRect(hwnd(), nullptr, FALSE);
            return DefWindowProcW(hwnd(), msg, wp, lp);
        default: {
            LRESULT result = 0;
            if (HandleEditMessage(msg, wp, lp, &result)) return result;
            return DefWindowProcW(hwnd(), msg, wp, lp);
        }
    }
}

bool TextView::HandleEditMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    const TextDocument& document = editor_.Document();
    const std::size_t length = document.Length();
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
            desiredX_ = -1;
            // As in an edit control, the view stays where it is (EM_SCROLLCARET brings the
            // caret into sight): tabbing into a long text selects it all without a jump.
            UpdateScrollBars();
            return true;
        case EM_REPLACESEL: {
            const auto* text = reinterpret_cast<const char16_t*>(lp);
            editor_.ReplaceSelection(text != nullptr ? std::u16string_view(text) : u"", wp != 0);
            desiredX_ = -1;
            AfterCommand();
            return true;
        }
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
        case EM_GETFIRSTVISIBLELINE:
            *result = static_cast<LRESULT>(firstLine_);
            return true;
        case EM_LINESCROLL: {
            const auto lines = static_cast<std::ptrdiff_t>(static_cast<INT>(lp));
            const auto first = static_cast<std::ptrdiff_t>(firstLine_) + lines;
            ScrollTo(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first)),
                     scrollX_ + static_cast<INT>(wp) * averageCharWidth_);
            *result = TRUE;
            return true;
        }
        case EM_SCROLL:
            OnScroll(SB_VERT, static_cast<int>(wp));
            *result = MAKELRESULT(0, TRUE);
            return true;
        case EM_SCROLLCARET:
            ScrollCaretIntoView();
            *result = TRUE;
            return true;
        case EM_POSFROMCHAR:
            if (wp > length) {
                *result = -1;
            } else {
                const POINT at = ClientPointOf(SnapToCaretBoundary(editor_.Text(), wp));
                *result = MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
            }
            return true;
        case EM_CHARFROMPOS: {
            const std::size_t at =
                PositionAt(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            *result = MAKELRESULT(at, document.LineOfPosition(at));
            return true;
        }
        case WM_UNDO:
        case EM_UNDO:
            *result = editor_.Undo() ? TRUE : FALSE;
            AfterCommand();
            return true;
        case EM_CANUNDO:
            *result = editor_.CanUndo() ? TRUE : FALSE;
            return true;
        case EM_EMPTYUNDOBUFFER:
            editor_.EmptyUndoHistory();
            return true;
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
        case WM_COPY:
            CopySelection();
            return true;
        case WM_CUT:
            CutSelection();
            return true;
        case WM_PASTE:
            Paste();
            return true;
        case WM_CLEAR:
            editor_.DeleteSelection();
            AfterCommand();
            return true;
        default:
            return false;
    }
}

void TextView::OnTextReset() {
    shaper_.Forget();
    layout_.Reset();
    firstLine_ = 0;
    scrollX_ = 0;
    desiredX_ = -1;
    if (hwnd() == nullptr) return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateScrollBars();
    PlaceCaret();
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_ != nullptr) automation_->OnTextChanged();
}

void TextView::OnTextChanged(const TextChange& change) {
    layout_.OnTextChanged(change);
    modified_ = true;
    // The line count may have dropped under the view.
    const std::size_t lines = editor_.Document().LineCount();
    if (firstLine_ >= lines) firstLine_ = lines - 1;
    if (hwnd() == nullptr) return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_ != nullptr) automation_->OnTextChanged();
}

void TextView::OnSelectionChanged() {
    if (hwnd() == nullptr) return;
    if (GetFocus() == hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
    PlaceCaret();
    NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_ != nullptr) automation_->OnSelectionChanged();
}

LRESULT TextView::OnGetObject(WPARAM wp, LPARAM lp) {
    if (static_cast<LONG>(lp) == uia::kRootObjectId) {
        // UI Automation readers; the ones that only speak MSAA ask for OBJID_CLIENT below.
        if (TextViewAutomation* provider = AutomationView::ProviderOf(*this))
            return provider->Answer(wp, lp);
        return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    }
    if (static_cast<LONG>(lp) != OBJID_CLIENT) return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    if (accessible_ == nullptr) accessible_ = TextViewAccessible::Create(*this);
    if (accessible_ == nullptr) return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    return TextViewAccessible::Answer(accessible_, wp);
}

void TextView::AfterCommand() {
    ScrollCaretIntoView();  // which brings the scroll bars up to date
}

}  // namespace talvex
