#include "ui/list_history.h"

#include <new>

namespace talvex {

void ListBoxHistory::Append(const std::u16string& entry) {
    const LRESULT r = SendMessageW(list_, LB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>(reinterpret_cast<const wchar_t*>(entry.c_str())));
    if (r == LB_ERR || r == LB_ERRSPACE) throw std::bad_alloc();
}

void ListBoxHistory::RemoveAll() { SendMessageW(list_, LB_RESETCONTENT, 0, 0); }

std::size_t ListBoxHistory::Count() const {
    const LRESULT n = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::u16string ListBoxHistory::At(std::size_t index) const {
    const auto i = static_cast<WPARAM>(index);
    const LRESULT len = SendMessageW(list_, LB_GETTEXTLEN, i, 0);
    if (len < 0) return {};
    std::u16string text(static_cast<std::size_t>(len) + 1, u'\0');
    const LRESULT got = SendMessageW(list_, LB_GETTEXT, i,
                                     reinterpret_cast<LPARAM>(reinterpret_cast<wchar_t*>(text.data())));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
}

}  // namespace talvex
