// The history as the item list of List1: the list box keeps the entries, whole, as real
// strings (what LB_GETTEXT and screen readers give back); beside an entry that cannot show
// as it is (too long for a row, or holding line breaks or control characters) it keeps the
// short text its row shows.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

#include "clipboard/ports.h"

namespace talvex {

class ListBoxHistory : public HistoryList {
  public:
    explicit ListBoxHistory(HWND list = nullptr) : list_(list) {}
    ListBoxHistory(const ListBoxHistory&) = delete;
    ListBoxHistory& operator=(const ListBoxHistory&) = delete;

    // The list box must be LBS_HASSTRINGS; its rows are drawn by DrawHistoryItem.
    void Attach(HWND list);

    // Throws std::bad_alloc when the list box cannot take the entry.
    void Append(const std::u16string& entry) override;
    void RemoveAll() override;
    std::size_t Count() const override;
    std::u16string At(std::size_t index) const override;

  private:
    HWND list_;
    // The row texts of the entries that need one, in list order. Such a row's item data
    // points at its own (the others' is zero); a deque never moves its elements on
    // push_back, so the pointers stay good until RemoveAll.
    std::deque<std::wstring> rows_;
};

}  // namespace talvex
