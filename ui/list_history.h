// The history as the item list of List1: the list box keeps the entries, whole.
#pragma once

#include <windows.h>

#include "clipboard/ports.h"

namespace talvex {

class ListBoxHistory : public HistoryList {
public:
    explicit ListBoxHistory(HWND list = nullptr) : list_(list) {}
    void Attach(HWND list) { list_ = list; }

    void Append(const std::u16string& entry) override;
    void RemoveAll() override;
    std::size_t Count() const override;
    std::u16string At(std::size_t index) const override;

private:
    HWND list_;
};

}  // namespace talvex
