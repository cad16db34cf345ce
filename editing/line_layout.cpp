#include "editing/line_layout.h"

#include <algorithm>
#include <iterator>

#include "editing/text_positions.h"

namespace talvex {
namespace {

// How far back from the ideal end a piece looks for a space to end after, and for a place
// between two characters.
constexpr std::size_t kSpaceSearch = 128;
constexpr std::size_t kBoundarySearch = 64;

int Clamped(long long pixels) { return static_cast<int>(std::min<long long>(pixels, 0x7FFFFFFF)); }

}  // namespace

void LineLayout::SetAverageCharWidth(int pixels) {
    averageCharWidth_ = std::max(1, pixels);
    Reset();
}

void LineLayout::Reset() {
    longLines_.clear();
    lineCount_ = document_.LineCount();
}

void LineLayout::OnTextChanged(const TextChange& change) {
    const std::size_t oldCount = lineCount_;
    lineCount_ = document_.LineCount();
    if (longLines_.empty()) return;
    const auto delta =
        static_cast<std::ptrdiff_t>(lineCount_) - static_cast<std::ptrdiff_t>(oldCount);

    // Lines before `first` and after `lastNew` keep their text (an edit can join or part a CR
    // and an LF on either side of it, hence the unit taken on each side).
    const std::size_t p = change.position;
    const std::size_t first = document_.LineOfPosition(p > 0 ? p - 1 : 0);
    const std::size_t lastNew =
        document_.LineOfPosition(std::min(p + change.inserted + 1, document_.Length()));
    const auto lastOld = static_cast<std::ptrdiff_t>(lastNew) - delta;
    // The one line that can keep its pieces: the change lies inside its text.
    const std::size_t edited = document_.LineOfPosition(p);
    const bool inside = delta == 0 && p >= document_.LineStart(edited) &&
                        p + change.inserted <= document_.LineEnd(edited);

    const auto gone = std::remove_if(longLines_.begin(), longLines_.end(), [&](LongLine& table) {
        if (table.line < first) return false;
        if (static_cast<std::ptrdiff_t>(table.line) > lastOld) {
            table.line = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(table.line) + delta);
            return false;
        }
        return !(inside && table.line == edited && IsLong(edited) && Patch(table, change));
    });
    longLines_.erase(gone, longLines_.end());
}

bool LineLayout::Patch(LongLine& table, const TextChange& change) {
    std::vector<Piece>& pieces = table.pieces;
    std::size_t total = 0;
    for (const Piece& piece : pieces) total += piece.length;
    if (total + change.inserted != document_.LineLength(table.line) + change.removed) return false;
    const std::size_t lineStart = document_.LineStart(table.line);
    const std::size_t offset = change.position - lineStart;
    // The first piece the change touches: the one holding `offset` (the last at the end)...
    std::size_t i = 0;
    std::size_t pieceStart = 0;
    while (i + 1 < pieces.size() && pieceStart + pieces[i].length <= offset) {
        pieceStart += pieces[i].length;
        ++i;
    }
    // ... and the last: the one holding the last unit taken away.
    std::size_t j = i;
    std::size_t pieceEnd = pieceStart + pieces[i].length;
    while (j + 1 < pieces.size() && pieceEnd < offset + change.removed) {
        ++j;
        pieceEnd += pieces[j].length;
    }
    // They become one piece, or more when it grew long; an empty one goes.
    const std::size_t length = pieceEnd + change.inserted - change.removed - pieceStart;
    std::vector<Piece> replacement;
    if (length > 2 * kPieceUnits) {
        replacement = Cut(table, lineStart + pieceStart, lineStart + pieceStart + length);
    } else if (length > 0) {
        replacement.push_back(Piece{static_cast<std::uint32_t>(length), Estimate(table, length)});
    }
    const auto at = pieces.begin() + static_cast<std::ptrdiff_t>(i);
    pieces.erase(at, pieces.begin() + static_cast<std::ptrdiff_t>(j + 1));
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i), replacement.begin(),
                  replacement.end());
    // A sliver left by a deletion joins its neighbour, so pieces stay few.
    if (replacement.size() == 1 && length < kPieceUnits / 4 && pieces.size() > 1) {
        const std::size_t keep = i + 1 < pieces.size() ? i : i - 1;
        const std::size_t joined = pieces[keep].length + pieces[keep + 1].length;
        pieces[keep] = Piece{static_cast<std::uint32_t>(joined), Estimate(table, joined)};
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(keep) + 1);
    }
    return !pieces.empty();
}

int LineLayout::Estimate(const LongLine& table, std::size_t units) const {
    return Clamped((static_cast<long long>(units) * table.estimatePer1024 + 512) / 1024);
}

std::vector<LineLayout::Piece> LineLayout::Cut(const LongLine& table, std::size_t from,
                                               std::size_t to) const {
    const std::u16string& text = document_.Text();
    std::vector<Piece> pieces;
    std::size_t start = from;
    const auto add = [&](std::size_t end) {
        pieces.push_back(
            Piece{static_cast<std::uint32_t>(end - start), Estimate(table, end - start)});
        start = end;
    };
    while (to - start > kPieceUnits + kPieceUnits / 2) {
        const std::size_t ideal = start + kPieceUnits;
        std::size_t cut = 0;
        const auto ends = [&](std::size_t q) { return IsCharacterBoundary(text, q); };
        // After a space that carries no mark, where shaping has nothing to join.
        for (std::size_t q = ideal; cut == 0 && q > ideal - kSpaceSearch; --q) {
            if ((text[q - 1] == u' ' || text[q - 1] == u'\t') && ends(q)) cut = q;
        }
        // Else between two characters.
        for (std::size_t q = ideal; cut == 0 && q > ideal - kBoundarySearch; --q) {
            if (ends(q)) cut = q;
        }
        // Else (one character longer than that) anywhere but inside a surrogate pair.
        if (cut == 0) cut = IsCaretBoundary(text, ideal) ? ideal : ideal + 1;
        add(cut);
    }
    add(to);
    return pieces;
}

LinePiece LineLayout::WholeLine(std::size_t line) {
    LinePiece piece;
    piece.start = document_.LineStart(line);
    piece.length = document_.LineLength(line);
    piece.width = piece.length > 0 ? measurer_.MeasurePiece(piece.start, piece.length) : 0;
    return piece;
}

LineLayout::LongLine& LineLayout::PiecesOf(std::size_t line) {
    const std::size_t start = document_.LineStart(line);
    const std::size_t length = document_.LineLength(line);
    const auto found = std::find_if(longLines_.begin(), longLines_.end(),
                                    [line](const LongLine& table) { return table.line == line; });
    if (found != longLines_.end()) {
        std::size_t total = 0;
        for (const Piece& piece : found->pieces) total += piece.length;
        if (total == length) {
            found->lastUse = ++uses_;
            return *found;
        }
        longLines_.erase(found);  // out of step with the text: laid out afresh below
    }
    if (longLines_.size() >= kKeptLongLines) {
        longLines_.erase(std::min_element(
            longLines_.begin(), longLines_.end(),
            [](const LongLine& a, const LongLine& b) { return a.lastUse < b.lastUse; }));
    }
    LongLine table;
    table.line = line;
    table.pieces = Cut(table, start, start + length);
    // The first piece, measured, tells how wide this line's text runs.
    Piece& first = table.pieces.front();
    Measure(first, start);
    table.estimatePer1024 = std::max(1, Clamped(static_cast<long long>(first.width) * 1024 /
                                                std::max<std::uint32_t>(1, first.length)));
    for (Piece& piece : table.pieces) {
        if (!piece.measured) piece.width = Estimate(table, piece.length);
    }
    table.lastUse = ++uses_;
    longLines_.push_back(std::move(table));
    return longLines_.back();
}

void LineLayout::Measure(Piece& piece, std::size_t start) {
    if (piece.measured) return;
    piece.width = measurer_.MeasurePiece(start, piece.length);
    piece.measured = true;
}

std::vector<LinePiece> LineLayout::PiecesBetween(std::size_t line, int left, int right) {
    if (!IsLong(line)) return {WholeLine(line)};
    std::vector<LinePiece> inSight;
    std::size_t start = document_.LineStart(line);
    long long x = 0;
    for (Piece& piece : PiecesOf(line).pieces) {
        if (x >= right) break;
        if (x + piece.width > left) Measure(piece, start);
        if (x + piece.width > left)
            inSight.push_back(LinePiece{start, piece.length, Clamped(x), piece.width});
        x += piece.width;
        start += piece.length;
    }
    return inSight;
}

LinePiece LineLayout::PieceAt(std::size_t line, std::size_t position) {
    if (!IsLong(line)) return WholeLine(line);
    std::vector<Piece>& pieces = PiecesOf(line).pieces;
    std::size_t start = document_.LineStart(line);
    long long x = 0;
    std::size_t i = 0;
    while (i + 1 < pieces.size() && start + pieces[i].length <= position) {
        x += pieces[i].width;
        start += pieces[i].length;
        ++i;
    }
    Measure(pieces[i], start);
    return LinePiece{start, pieces[i].length, Clamped(x), pieces[i].width};
}

LinePiece LineLayout::PieceAtX(std::size_t line, int x) {
    if (!IsLong(line)) return WholeLine(line);
    std::vector<Piece>& pieces = PiecesOf(line).pieces;
    std::size_t start = document_.LineStart(line);
    long long left = 0;
    for (std::size_t i = 0;; ++i) {
        const bool last = i + 1 == pieces.size();
        if (x < left + pieces[i].width || last) {
            Measure(pieces[i], start);
            if (x < left + pieces[i].width || last)
                return LinePiece{start, pieces[i].length, Clamped(left), pieces[i].width};
        }
        left += pieces[i].width;
        start += pieces[i].length;
    }
}

int LineLayout::LineWidth(std::size_t line) {
    if (!IsLong(line)) return WholeLine(line).width;
    long long width = 0;
    for (const Piece& piece : PiecesOf(line).pieces) width += piece.width;
    return Clamped(width);
}

int LineLayout::EstimatedLineWidth(std::size_t line) const {
    const auto found = std::find_if(longLines_.begin(), longLines_.end(),
                                    [line](const LongLine& table) { return table.line == line; });
    long long width = 0;
    if (found != longLines_.end()) {
        for (const Piece& piece : found->pieces) width += piece.width;
    } else {
        width = static_cast<long long>(document_.LineLength(line)) * averageCharWidth_;
    }
    return Clamped(width);
}

}  // namespace talvex
