// Text1 seen by the clipboard commands: the text view's text, and the box's height, which
// the window lays out (it decides what the tools panel under the box does).
#pragma once

#include <functional>
#include <string>

#include "clipboard/ports.h"
#include "ui/text_view.h"

namespace talvex {

class ViewTextBox : public TextBox {
  public:
    // `resize` moves the box to a height in twips; the twips value is kept exact, so it reads
    // back as set, whatever the rounding to pixels.
    void Attach(TextView& view, std::function<void(int twips)> resize) {
        view_ = &view;
        resize_ = std::move(resize);
    }

    const std::u16string& Text() const override { return view_->Text(); }
    void SetText(std::u16string text) override { view_->SetText(std::move(text)); }
    int HeightTwips() const override { return heightTwips_; }
    void SetHeightTwips(int twips) override {
        heightTwips_ = twips;
        if (resize_) resize_(twips);
    }

  private:
    TextView* view_ = nullptr;
    std::function<void(int)> resize_;
    int heightTwips_ = 2325;
};

}  // namespace talvex
