// Text measured as a proportional font would measure it, for the layout's and the viewport's
// tests: a W is wide, an i narrow, the rest between.
#pragma once

#include <cstddef>
#include <string_view>

#include "editing/viewport.h"

namespace talvex::testing {

inline int WidthOf(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) width += c == u'W' ? 11 : c == u'i' ? 3 : 6;
    return width;
}

class MeasurerFake : public TextMeasurer {
  public:
    explicit MeasurerFake(const TextDocument& document) : document_(document) {}
    int MeasurePiece(std::size_t start, std::size_t length) override {
        ++measured;
        return WidthOf(Text().substr(start, length));
    }
    int CaretX(const LinePiece& piece, std::size_t position) override {
        return WidthOf(Text().substr(piece.start, position - piece.start));
    }
    std::size_t PositionAtX(const LinePiece& piece, int x) override {
        int left = 0;
        for (std::size_t i = piece.start; i < piece.start + piece.length; ++i) {
            const int width = WidthOf(Text().substr(i, 1));
            if (x < left + width / 2) return i;
            left += width;
        }
        return piece.start + piece.length;
    }

    int measured = 0;  // pieces measured so far

  private:
    std::u16string_view Text() const { return document_.Text(); }
    const TextDocument& document_;
};

}  // namespace talvex::testing
