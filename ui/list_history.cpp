#include "ui/list_history.h"

#include <new>
#include <utility>

#include "ui/history_drawing.h"

namespace talvex {

void ListBoxHistory::Attach(HWND list) {
    list_ = list;
    rows_.clear();
}

void ListBoxHistory::Append(const std::u16string& entry) {
    const auto* text = reinterpret_cast<const wchar_t*>(entry.c_str());
    std::wstring row = HistoryRowText(text, entry.size());
    // Most entries are short plain lines that show as they are: the row reads those from
    // the list box, and only the others keep a row text of their own.
    const bool showsAsIs =
        row.size() == entry.size() && row.compare(0, row.size(), text, entry.size()) == 0;
    if (!showsAsIs) rows_.push_back(std::move(row));
    const LRESULT index = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        if (!showsAsIs) rows_.pop_back();
        throw std::bad_alloc();
    }
    if (!showsAsIs)
        SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&rows_.back()));
}

void ListBoxHistory::RemoveAll() {
    // The list first: it must not point at row texts any more when they go.
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    rows_.clear();
}

std::size_t ListBoxHistory::Count() const {
    const LRESULT n = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::u16string ListBoxHistory::At(std::size_t index) const {
    const auto i = static_cast<WPARAM>(index);
    const LRESULT len = SendMessageW(list_, LB_GETTEXTLEN, i, 0);
    if (len <= 0) return {};
    // One copy, straight from the list box into the string handed back (room for its NUL).
    std::u16string text(static_cast<std::size_t>(len) + 1, u'\0');
    const LRESULT got = SendMessageW(
        list_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(reinterpret_cast<wchar_t*>(text.data())));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
}

}  // namespace talvex
