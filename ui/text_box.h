// Text1 seen by the clipboard commands: its text and its height.
#pragma once

#include <windows.h>

#include <cstddef>

#include "clipboard/ports.h"

namespace talvex {

class EditTextBox : public TextBox {
  public:
    // Above this many UTF-16 units a text goes into the box a slice at a time: the edit
    // control lays out every line it is given, some 1.3 s for 10 MB under Wine.
    static constexpr std::size_t kLoadAtOnceUnits = 128 * 1024;
    static constexpr std::size_t kSliceUnits = 64 * 1024;

    // `timerOwner` receives WM_TIMER `loadTimerId` while a long text loads, and passes it
    // to OnLoadTimer (the owner's window procedure is the event boundary).
    void Attach(HWND edit, HWND timerOwner, UINT_PTR loadTimerId) {
        edit_ = edit;
        timerOwner_ = timerOwner;
        loadTimerId_ = loadTimerId;
    }
    HWND hwnd() const { return edit_; }

    // The whole text, also while loading: what the box holds (with what the user typed)
    // followed by what is still to come.
    std::u16string Text() const override;
    // A short text goes in at once; a long one shows its beginning at once and the rest
    // follows on the load timer, which comes after input and paint, so the window answers.
    void SetText(const std::u16string& text) override;
    int HeightTwips() const override { return heightTwips_; }
    // Resizes the box at the window's dpi; the twips value is kept exact so that it reads
    // back as set, whatever the rounding to pixels.
    void SetHeightTwips(int twips) override;
    // Lays the box out again after a dpi change.
    void Relayout() { SetHeightTwips(heightTwips_); }

    bool Loading() const { return appended_ < pending_.size(); }
    // Appends the next slice of the text being loaded, leaving the user's selection and
    // view as they were. Throws std::bad_alloc when the box cannot take it; the load then
    // stops and Text() still gives the whole text.
    void OnLoadTimer();
    // The window goes away: no more slices.
    void StopLoading();

  private:
    void PutFirstSlice(std::size_t end);
    void AppendKeepingView(std::size_t end);
    void FinishLoading();

    HWND edit_ = nullptr;
    HWND timerOwner_ = nullptr;
    UINT_PTR loadTimerId_ = 0;
    int heightTwips_ = 2325;
    std::u16string pending_;    // the text being loaded, whole
    std::size_t appended_ = 0;  // how much of it is in the box
};

// Where a slice of at most `maxUnits` starting at `begin` ends: after its last line break
// when it has one, and never between CR and LF or inside a surrogate pair.
std::size_t SliceEnd(const std::u16string& text, std::size_t begin, std::size_t maxUnits);

}  // namespace talvex
