#include "editing/text_document.h"

#include <algorithm>
#include <limits>
#include <new>

namespace talvex {
namespace {

// Line starts are kept in 32 bits: half the memory of the vector for a text of short lines.
constexpr std::size_t kMaxLength = std::numeric_limits<std::uint32_t>::max();

// Stands for "no unit": before the start or after the end of the text.
constexpr int kNoUnit = -1;

// Whether a line starts between the unit `before` and the unit `at`. The start of the text
// starts one; a CR followed by an LF does not, the pair being one break.
bool StartsLine(int before, int at) {
    return before == kNoUnit || before == u'\n' || (before == u'\r' && at != u'\n');
}

// Calls found(i) for every i in [0, middle.size()] where a line starts in the text
// `before` + `middle` + `after`, i counting from the start of `middle`. Only `middle` is
// read, and a unit is looked at twice only after a break.
template <class Found>
void ForEachLineStart(int before, std::u16string_view middle, int after, Found found) {
    const std::size_t n = middle.size();
    if (StartsLine(before, n > 0 ? middle[0] : after)) found(std::size_t{0});
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = middle[i];
        if (c != u'\r' && c != u'\n') continue;
        if (StartsLine(c, i + 1 < n ? middle[i + 1] : after)) found(i + 1);
    }
}

// Beyond what 32-bit line starts can point at, the text is refused as one that does not fit
// in memory: the user is told so, and nothing changes.
void RequireStorableLength(std::size_t length) {
    if (length > kMaxLength) throw std::bad_alloc();
}

}  // namespace

TextDocument::TextDocument() : lineStarts_{0} {}

std::size_t TextDocument::LineEnd(std::size_t line) const {
    if (line + 1 >= lineStarts_.size()) return text_.size();
    const std::size_t next = lineStarts_[line + 1];
    // The unit before the next line is the end of this line's break: CR LF takes two.
    const bool crLf = text_[next - 1] == u'\n' && next >= 2 && text_[next - 2] == u'\r';
    return next - (crLf ? 2 : 1);
}

std::u16string_view TextDocument::LineText(std::size_t line) const {
    const std::size_t start = LineStart(line);
    return std::u16string_view(text_).substr(start, LineEnd(line) - start);
}

std::size_t TextDocument::LineOfPosition(std::size_t position) const {
    position = std::min(position, text_.size());
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), position);
    return static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
}

std::size_t TextDocument::LongestLine() const {
    if (!longestKnown_) {
        std::size_t best = 0;
        std::size_t bestLength = LineLength(0);
        for (std::size_t line = 1; line < lineStarts_.size(); ++line) {
            const std::size_t length = LineLength(line);
            if (length > bestLength) {
                best = line;
                bestLength = length;
            }
        }
        longestLine_ = best;
        longestKnown_ = true;
    }
    return longestLine_;
}

void TextDocument::SetText(std::u16string text) {
    RequireStorableLength(text.size());
    std::vector<std::uint32_t> starts;
    ForEachLineStart(kNoUnit, text, kNoUnit,
                     [&](std::size_t i) { starts.push_back(static_cast<std::uint32_t>(i)); });
    // Nothing below throws.
    text_ = std::move(text);
    lineStarts_ = std::move(starts);
    longestKnown_ = false;
    ++version_;
}

void TextDocument::Replace(std::size_t position, std::size_t count, std::u16string_view with) {
    const std::size_t length = text_.size();
    position = std::min(position, length);
    count = std::min(count, length - position);
    const std::size_t end = position + count;
    const std::size_t n = with.size();
    RequireStorableLength(length - count + n);

    // The units on either side of the edit stay, and decide whether a break at an edge is a
    // CR LF or a lone CR: a start at `position` or at the end of `with` may come or go.
    const int before = position > 0 ? text_[position - 1] : kNoUnit;
    const int after = end < length ? text_[end] : kNoUnit;

    // The starts in [position, end] give way to those found in [position, position + n];
    // those after `end` only move.
    const auto first = std::lower_bound(lineStarts_.begin(), lineStarts_.end(), position);
    const auto last = std::upper_bound(first, lineStarts_.end(), end);
    const std::size_t lo = static_cast<std::size_t>(first - lineStarts_.begin());
    const std::size_t hi = static_cast<std::size_t>(last - lineStarts_.begin());
    std::size_t added = 0;
    ForEachLineStart(before, with, after, [&](std::size_t) { ++added; });
    const TouchedLines touched{lo > 0 ? lo - 1 : 0, hi, lo + added};
    const std::size_t newLines = lineStarts_.size() - hi + touched.newEnd;
    if (newLines > lineStarts_.capacity())
        lineStarts_.reserve(std::max(newLines, 2 * lineStarts_.capacity()));
    const std::size_t longestLengthBefore = longestKnown_ ? LineLength(longestLine_) : 0;

    text_.replace(position, count, with);  // the last step that may throw: it has no effect then
    // `with` may have pointed into the text; from here on only the new text is read.

    MoveLineStartsAfter(touched, static_cast<std::uint32_t>(n) - static_cast<std::uint32_t>(count));
    std::size_t next = lo;
    ForEachLineStart(
        before, std::u16string_view(text_).substr(position, n), after,
        [&](std::size_t i) { lineStarts_[next++] = static_cast<std::uint32_t>(position + i); });
    ++version_;
    if (longestKnown_) FollowLongestLine(touched, longestLengthBefore);
}

void TextDocument::MoveLineStartsAfter(const TouchedLines& touched, std::uint32_t shift) {
    const std::size_t oldLines = lineStarts_.size();
    if (touched.newEnd > touched.oldEnd) {
        const std::size_t grow = touched.newEnd - touched.oldEnd;
        lineStarts_.resize(oldLines + grow);  // within the capacity Replace reserved
        for (std::size_t i = oldLines; i-- > touched.oldEnd;)
            lineStarts_[i + grow] = lineStarts_[i] + shift;
    } else if (touched.newEnd < touched.oldEnd || shift != 0) {
        const std::size_t shrink = touched.oldEnd - touched.newEnd;
        for (std::size_t i = touched.oldEnd; i < oldLines; ++i)
            lineStarts_[i - shrink] = lineStarts_[i] + shift;
        lineStarts_.resize(oldLines - shrink);
    }
}

void TextDocument::FollowLongestLine(const TouchedLines& touched, std::size_t longestLengthBefore) {
    // Only the touched lines changed length; the others keep theirs, those after moving by
    // the lines made or taken. The longest line stays known when those few lines tell enough.
    std::size_t best = touched.first;
    std::size_t bestLength = LineLength(best);
    for (std::size_t line = best + 1; line < touched.newEnd; ++line) {
        const std::size_t lineLength = LineLength(line);
        if (lineLength > bestLength) {
            best = line;
            bestLength = lineLength;
        }
    }
    const std::size_t longestBefore = longestLine_;
    if (longestBefore >= touched.first && longestBefore < touched.oldEnd) {
        // Lines before it were shorter, lines after it no longer: one as long or longer in
        // its place is the first of the longest. Shorter, another may now be.
        longestKnown_ = bestLength >= longestLengthBefore;
        longestLine_ = best;
    } else {
        const std::size_t moved = longestBefore < touched.first
                                      ? longestBefore
                                      : longestBefore + touched.newEnd - touched.oldEnd;
        const bool bestWins =
            bestLength > longestLengthBefore || (bestLength == longestLengthBefore && best < moved);
        longestLine_ = bestWins ? best : moved;
    }
}

}  // namespace talvex
