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

// Units that belong to the character before them: cutting there would shape them alone.
bool JoinsPrevious(char16_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) ||
           (c >= 0x0591 && c <= 0x05C7) || (c >= 0x0610 && c <= 0x061A) ||
           (c >= 0x064B && c <= 0x065F) || (c >= 0x0900 && c <= 0x0DFF) ||
           (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) || IsLowSurrogateUnit(c);
}

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

    std::map<std::size_t, LongLine> kept;
    for (auto& [line, table] : longLines_) {
        if (line < first) {
            kept.emplace(line, std::move(table));
        } else if (static_cast<std::ptrdiff_t>(line) > lastOld) {
            kept.emplace(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(line) + delta),
                         std::move(table));
        } else if (inside && line == edited && IsLong(line) && Patch(table, line, change)) {
            kept.emplace(line, std::move(table));
        }
    }
    longLines_ = std::move(kept);
}

bool LineLayout::Patch(LongLine& table, std::size_t line, const TextChange& change) {
    std::size_t total = 0;
    for (std::uint32_t length : table.lengths) total += length;
    if (total + change.inserted != document_.LineLength(line) + change.removed) return false;
    const std::size_t lineStart = document_.LineStart(line);
    const std::size_t offset = change.position - lineStart;
    // The first piece the change touches: the one holding `offset` (the last at the end).
    std::size_t i = 0;
    std::size_t pieceStart = 0;
    while (i + 1 < table.lengths.size() && pieceStart + table.lengths[i] <= offset) {
        pieceStart += table.lengths[i];
        ++i;
    }
    // ... and the last: the one holding the last unit taken away.
    std::size_t j = i;
    std::size_t pieceEnd = pieceStart + table.lengths[i];
    while (j + 1 < table.lengths.size() && pieceEnd < offset + change.removed) {
        ++j;
        pieceEnd += table.lengths[j];
    }
    const std::size_t length = pieceEnd + change.inserted - change.removed - pieceStart;
    std::vector<std::uint32_t> lengths;
    if (length > 2 * kPieceUnits) {
        CutIntoPieces(lineStart + pieceStart, lineStart + pieceStart + length, lengths);
    } else if (length > 0 || table.lengths.size() == j - i + 1) {
        lengths.push_back(static_cast<std::uint32_t>(length));
    }
    const auto at = static_cast<std::ptrdiff_t>(i);
    const auto end = static_cast<std::ptrdiff_t>(j + 1);
    table.lengths.erase(table.lengths.begin() + at, table.lengths.begin() + end);
    table.widths.erase(table.widths.begin() + at, table.widths.begin() + end);
    table.measured.erase(table.measured.begin() + at, table.measured.begin() + end);
    std::vector<int> widths;
    for (std::uint32_t n : lengths) widths.push_back(Estimate(table, n));
    table.lengths.insert(table.lengths.begin() + at, lengths.begin(), lengths.end());
    table.widths.insert(table.widths.begin() + at, widths.begin(), widths.end());
    table.measured.insert(table.measured.begin() + at, lengths.size(), false);
    // A sliver left by a deletion joins its neighbour, so pieces stay few.
    if (lengths.size() == 1 && lengths[0] < kPieceUnits / 4 && table.lengths.size() > 1) {
        const std::size_t keep = i + 1 < table.lengths.size() ? i : i - 1;
        table.lengths[keep] += table.lengths[keep + 1];
        table.lengths.erase(table.lengths.begin() + static_cast<std::ptrdiff_t>(keep) + 1);
        table.widths.erase(table.widths.begin() + static_cast<std::ptrdiff_t>(keep) + 1);
        table.measured.erase(table.measured.begin() + static_cast<std::ptrdiff_t>(keep) + 1);
        Forget(table, keep);
    }
    return true;
}

void LineLayout::Forget(LongLine& table, std::size_t index) {
    table.widths[index] = Estimate(table, table.lengths[index]);
    table.measured[index] = false;
}

int LineLayout::Estimate(const LongLine& table, std::size_t units) const {
    return static_cast<int>((static_cast<long long>(units) * table.estimatePer1024 + 512) / 1024);
}

void LineLayout::CutIntoPieces(std::size_t from, std::size_t to,
                               std::vector<std::uint32_t>& lengths) const {
    const std::u16string& text = document_.Text();
    std::size_t start = from;
    while (to - start > kPieceUnits + kPieceUnits / 2) {
        const std::size_t ideal = start + kPieceUnits;
        std::size_t cut = 0;
        // After a space, where shaping has nothing to join.
        for (std::size_t q = ideal; q > ideal - kSpaceSearch; --q) {
            if (text[q - 1] == u' ' || text[q - 1] == u'\t') {
                cut = q;
                break;
            }
        }
        // Else between two characters.
        for (std::size_t q = ideal; cut == 0 && q > ideal - kBoundarySearch; --q) {
            if (IsCaretBoundary(text, q) && !JoinsPrevious(text[q]) && text[q - 1] != 0x200D)
                cut = q;
        }
        // Else (a long run of marks) anywhere but inside a surrogate pair.
        if (cut == 0) cut = IsCaretBoundary(text, ideal) ? ideal : ideal + 1;
        lengths.push_back(static_cast<std::uint32_t>(cut - start));
        start = cut;
    }
    lengths.push_back(static_cast<std::uint32_t>(to - start));
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
    if (auto found = longLines_.find(line); found != longLines_.end()) {
        std::size_t total = 0;
        for (std::uint32_t n : found->second.lengths) total += n;
        if (total == length) {
            found->second.lastUse = ++uses_;
            return found->second;
        }
        longLines_.erase(found);  // out of step with the text: laid out afresh below
    }
    if (longLines_.size() >= kKeptLongLines) {
        const auto oldest = std::min_element(
            longLines_.begin(), longLines_.end(),
            [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        longLines_.erase(oldest);
    }
    LongLine table;
    CutIntoPieces(start, start + length, table.lengths);
    // The first piece, measured, tells how wide this line's text runs.
    const int first = measurer_.MeasurePiece(start, table.lengths[0]);
    table.estimatePer1024 =
        std::max(1, static_cast<int>(static_cast<long long>(first) * 1024 /
                                     std::max<std::uint32_t>(1, table.lengths[0])));
    table.widths.reserve(table.lengths.size());
    for (std::uint32_t n : table.lengths) table.widths.push_back(Estimate(table, n));
    table.measured.assign(table.lengths.size(), false);
    table.widths[0] = first;
    table.measured[0] = true;
    table.lastUse = ++uses_;
    return longLines_.emplace(line, std::move(table)).first->second;
}

void LineLayout::Measure(LongLine& table, std::size_t index, std::size_t start) {
    if (table.measured[index]) return;
    table.widths[index] = measurer_.MeasurePiece(start, table.lengths[index]);
    table.measured[index] = true;
}

std::vector<LinePiece> LineLayout::PiecesBetween(std::size_t line, int left, int right) {
    if (!IsLong(line)) return {WholeLine(line)};
    LongLine& table = PiecesOf(line);
    std::vector<LinePiece> pieces;
    std::size_t start = document_.LineStart(line);
    long long x = 0;
    for (std::size_t i = 0; i < table.lengths.size() && x < right; ++i) {
        if (x + table.widths[i] > left) Measure(table, i, start);
        if (x + table.widths[i] > left)
            pieces.push_back(
                LinePiece{start, table.lengths[i], static_cast<int>(x), table.widths[i]});
        x += table.widths[i];
        start += table.lengths[i];
    }
    return pieces;
}

LinePiece LineLayout::PieceAt(std::size_t line, std::size_t position) {
    if (!IsLong(line)) return WholeLine(line);
    LongLine& table = PiecesOf(line);
    std::size_t start = document_.LineStart(line);
    long long x = 0;
    std::size_t i = 0;
    while (i + 1 < table.lengths.size() && start + table.lengths[i] <= position) {
        x += table.widths[i];
        start += table.lengths[i];
        ++i;
    }
    Measure(table, i, start);
    return LinePiece{start, table.lengths[i], static_cast<int>(x), table.widths[i]};
}

LinePiece LineLayout::PieceAtX(std::size_t line, int x) {
    if (!IsLong(line)) return WholeLine(line);
    LongLine& table = PiecesOf(line);
    std::size_t start = document_.LineStart(line);
    long long left = 0;
    for (std::size_t i = 0;; ++i) {
        const bool last = i + 1 == table.lengths.size();
        if (x < left + table.widths[i] || last) {
            Measure(table, i, start);
            if (x < left + table.widths[i] || last)
                return LinePiece{start, table.lengths[i], static_cast<int>(left), table.widths[i]};
        }
        left += table.widths[i];
        start += table.lengths[i];
    }
}

int LineLayout::LineWidth(std::size_t line) {
    if (!IsLong(line)) return WholeLine(line).width;
    const LongLine& table = PiecesOf(line);
    long long width = 0;
    for (int w : table.widths) width += w;
    return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
}

int LineLayout::EstimatedLineWidth(std::size_t line) const {
    if (auto found = longLines_.find(line); found != longLines_.end()) {
        long long width = 0;
        for (int w : found->second.widths) width += w;
        return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
    }
    const long long width = static_cast<long long>(document_.LineLength(line)) * averageCharWidth_;
    return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
}

}  // namespace talvex
