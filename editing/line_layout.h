// Where each stretch of a line sits across the view, for a view that never wraps and lays
// out only what is in sight. Portable: the view measures text with the system's shaping
// through PieceMeasurer, and the tests with a fake.
//
// A line of ordinary length is one piece, shaped whole (so right-to-left runs and joined
// scripts come out right). A longer line is cut into pieces of about kPieceUnits, each
// shaped alone, at a space where one is near. A piece's width is exact once measured and
// estimated before: a line of ten million characters is never measured whole, so its width,
// and the view's horizontal scroll range, become exact only where the user goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editing/text_document.h"
#include "editing/text_editor.h"

namespace talvex {

class PieceMeasurer {
  public:
    virtual ~PieceMeasurer() = default;
    // The width, in pixels, of the document's text [start, start + length) shaped alone.
    virtual int MeasurePiece(std::size_t start, std::size_t length) = 0;
};

struct LinePiece {
    std::size_t start = 0;  // in the document
    std::size_t length = 0;
    int x = 0;  // its left edge, in pixels from the start of its line
    int width = 0;
};

class LineLayout {
  public:
    // Lines up to this long are one piece.
    static constexpr std::size_t kWholeLineUnits = 2048;
    // Pieces of longer lines are about this long (edits let one grow to about twice that).
    static constexpr std::size_t kPieceUnits = 1024;
    // How many long lines keep their pieces; the least recently used are laid out again.
    static constexpr std::size_t kKeptLongLines = 64;

    LineLayout(const TextDocument& document, PieceMeasurer& measurer)
        : document_(document), measurer_(measurer) {}

    // The width taken for a character nobody measured yet. Forgets all measures (the font
    // changed).
    void SetAverageCharWidth(int pixels);
    // The whole text was replaced: nothing known holds.
    void Reset();
    // Keeps what is still true after `change`, in particular the pieces and measures of a
    // long line that is edited within itself.
    void OnTextChanged(const TextChange& change);

    // The pieces of `line` that meet [left, right) in pixels from the line's start, in
    // order, each measured (so the positions of the ones after it are settled before they
    // are handed out).
    std::vector<LinePiece> PiecesBetween(std::size_t line, int left, int right);
    // The piece that holds `position`, measured: at a boundary between two pieces the one
    // that starts there, at the line's end the last one.
    LinePiece PieceAt(std::size_t line, std::size_t position);
    // The piece under `x`, measured; before the line the first piece, beyond it the last.
    LinePiece PieceAtX(std::size_t line, int x);
    // The width of `line`: a line of one piece is measured; a long one is the sum of its
    // pieces, measured or estimated.
    int LineWidth(std::size_t line);
    // The same without measuring anything new.
    int EstimatedLineWidth(std::size_t line) const;

  private:
    struct Piece {
        std::uint32_t length = 0;
        int width = 0;  // estimated until measured
        bool measured = false;
    };
    struct LongLine {
        std::size_t line = 0;
        std::vector<Piece> pieces;
        int estimatePer1024 = 0;  // pixels for 1024 units not measured yet
        std::uint64_t lastUse = 0;
    };

    bool IsLong(std::size_t line) const { return document_.LineLength(line) > kWholeLineUnits; }
    LinePiece WholeLine(std::size_t line);
    LongLine& PiecesOf(std::size_t line);
    // Pieces of about kPieceUnits for [from, to), their widths estimated.
    std::vector<Piece> Cut(const LongLine& table, std::size_t from, std::size_t to) const;
    int Estimate(const LongLine& table, std::size_t units) const;
    void Measure(Piece& piece, std::size_t start);
    // Patches the pieces of a long line for an edit inside it; false when they do not fit it.
    bool Patch(LongLine& table, const TextChange& change);

    const TextDocument& document_;
    PieceMeasurer& measurer_;
    int averageCharWidth_ = 7;
    std::vector<LongLine> longLines_;  // a few: the lines looked at last
    std::uint64_t uses_ = 0;
    std::size_t lineCount_ = 1;  // at the last change, to tell how many lines it added
};

}  // namespace talvex
