// The text view's pieces of text shaped by Uniscribe (ScriptString): measured, drawn with
// the selection, and hit-tested, with the last few analyses kept, so a paint shapes only what
// is in sight and the next paint reuses it. A piece Uniscribe refuses is handled by plain GDI.
#pragma once

#include <windows.h>
#include <usp10.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editing/line_layout.h"
#include "editing/text_document.h"
#include "editing/viewport.h"
#include "platform/unique_handle.h"

namespace talvex {

class TextShaper : public TextMeasurer {
  public:
    explicit TextShaper(const TextDocument& document) : document_(document) {}
    ~TextShaper() override { Forget(); }
    TextShaper(const TextShaper&) = delete;
    TextShaper& operator=(const TextShaper&) = delete;

    // The device context pieces are shaped on and drawn into, with the view's font selected.
    // Uniscribe draws into the context it analysed on, so this is the view's back buffer.
    void SetDc(HDC dc) {
        Forget();
        dc_ = dc;
    }
    // The font or the context changed: nothing measured holds.
    void Forget();

    int MeasurePiece(std::size_t start, std::size_t length) override;
    // Where the caret standing at `position` (within the piece, ends included) sits, in
    // pixels from the piece's left edge.
    int CaretX(const LinePiece& piece, std::size_t position) override;
    // The position within the piece whose caret place is nearest to `x` (pixels from the
    // piece's left edge).
    std::size_t PositionAtX(const LinePiece& piece, int x) override;
    // Draws the piece with its left edge at (x, y), clipped to `clip`; [selectionStart,
    // selectionEnd) of the document is shown selected where it meets the piece.
    void Draw(const LinePiece& piece, int x, int y, const RECT& clip, std::size_t selectionStart,
              std::size_t selectionEnd);

  private:
    // Frees an analysis through the Uniscribe that made it.
    struct AnalysisDeleter {
        void operator()(SCRIPT_STRING_ANALYSIS analysis) const;
    };
    using UniqueAnalysis = UniqueHandle<SCRIPT_STRING_ANALYSIS, AnalysisDeleter>;

    struct Shaped {
        std::size_t start = 0;
        std::size_t length = 0;
        std::uint64_t version = 0;
        UniqueAnalysis analysis;  // none: Uniscribe refused it, GDI draws it
        int width = 0;
        std::uint64_t lastUse = 0;
    };
    static constexpr std::size_t kKept = 96;

    Shaped& Shape(std::size_t start, std::size_t length);
    const wchar_t* Chars(std::size_t start) const;

    const TextDocument& document_;
    HDC dc_ = nullptr;
    std::vector<Shaped> kept_;
    std::uint64_t uses_ = 0;
};

}  // namespace talvex
