// The text view's pieces of text shaped by Uniscribe (ScriptString): measured, drawn with
// the selection, and hit-tested, with the last few analyses kept, so a paint shapes only what
// is in sight and the next paint reuses it. A piece Uniscribe refuses is handled by plain GDI.
//
// Characters the view's font lacks (Chinese, Japanese, Korean in Tahoma) are drawn, as GDI
// draws them in the history list, in the first font the system links to the view's font that
// has them: such a piece is shaped as runs, one for each stretch in one font.
#pragma once

#include <windows.h>
#include <usp10.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editing/line_layout.h"
#include "editing/text_document.h"
#include "editing/viewport.h"
#include "platform/unique_handle.h"

namespace talvex {

// Gives a Uniscribe string analysis back (ScriptStringFree).
struct ScriptStringFreer {
    void operator()(SCRIPT_STRING_ANALYSIS analysis) const;
};
using UniqueScriptString = UniqueHandle<SCRIPT_STRING_ANALYSIS, ScriptStringFreer>;

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
    // The font or the context changed: nothing measured holds, and the linked fonts go.
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
    // A stretch of a piece in one font, shaped alone, left to right after the one before.
    struct Run {
        std::size_t offset = 0;  // within the piece
        std::size_t length = 0;
        int x = 0;  // from the piece's left edge
        int width = 0;
        HFONT font = nullptr;         // null: the view's own
        UniqueScriptString analysis;  // none: Uniscribe refused it, GDI draws it
    };
    struct Shaped {
        std::size_t start = 0;
        std::size_t length = 0;
        std::uint64_t version = 0;
        std::vector<Run> runs;  // in order; one for nearly every piece
        int width = 0;
        std::uint64_t lastUse = 0;
    };
    static constexpr std::size_t kKept = 96;
    static constexpr std::size_t kMostLinkedFonts = 16;

    Shaped& Shape(std::size_t start, std::size_t length);
    void ShapeRun(Run& run, std::size_t pieceStart);
    // The run that holds the character at `offset` in the piece; past the end, the last one.
    static const Run& RunAt(const Shaped& shaped, std::size_t offset);
    // Which font each unit of the piece is drawn in (see FontRun); empty when all of it is in
    // the view's own font.
    std::vector<std::uint8_t> FontsOf(std::size_t start, std::size_t length);
    void LoadLinkedFonts();
    const wchar_t* Chars(std::size_t start) const;

    const TextDocument& document_;
    HDC dc_ = nullptr;
    std::vector<Shaped> kept_;
    std::uint64_t uses_ = 0;
    // The fonts the system links to the view's font, that exist, in the system's order.
    std::array<UniqueFont, kMostLinkedFonts> linkedFonts_;
    std::uint8_t linkedFontCount_ = 0;
    bool linkedFontsLoaded_ = false;
};

}  // namespace talvex
