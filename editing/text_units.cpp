#include "editing/text_units.h"

#include <algorithm>

#include "editing/text_positions.h"

namespace talvex {
namespace {

bool IsMadeOfLines(TextUnit unit) {
    return unit == TextUnit::Line || unit == TextUnit::Paragraph || unit == TextUnit::Page;
}

bool IsWithinLines(TextUnit unit) { return unit == TextUnit::Character || unit == TextUnit::Word; }

long long FloorDivide(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

TextUnits::TextUnits(const TextDocument& document, std::size_t firstLineInSight,
                     std::size_t linesPerPage)
    : document_(document),
      text_(document.Text()),
      firstLine_(std::min(firstLineInSight, document.LineCount() - 1)),
      linesPerPage_(std::max<std::size_t>(1, linesPerPage)) {}

TextSpan TextUnits::Clamp(TextSpan span) const {
    const std::size_t start = SnapToCaretBoundary(text_, span.start);
    const std::size_t end = SnapToCaretBoundary(text_, span.end);
    return {std::min(start, end), std::max(start, end)};
}

std::size_t TextUnits::LineStartOrEnd(std::size_t line) const {
    return line < document_.LineCount() ? document_.LineStart(line) : Length();
}

long long TextUnits::PageStart(std::size_t line) const {
    const auto first = static_cast<long long>(firstLine_);
    const auto per = static_cast<long long>(linesPerPage_);
    return first + FloorDivide(static_cast<long long>(line) - first, per) * per;
}

std::size_t TextUnits::PageStartLine(std::size_t line) const {
    return static_cast<std::size_t>(std::max(0LL, PageStart(line)));
}

std::size_t TextUnits::NextBoundary(TextUnit unit, std::size_t position) const {
    position = SnapToCaretBoundary(text_, position);
    if (position >= Length()) return Length();
    switch (unit) {
        case TextUnit::Character:
            return NextCharacter(text_, position);
        case TextUnit::Word:
            return NextWordStart(text_, position);
        case TextUnit::Line:
        case TextUnit::Paragraph:
            return LineStartOrEnd(document_.LineOfPosition(position) + 1);
        case TextUnit::Page:
            // From where the page would start were there lines before the first.
            return LineStartOrEnd(
                static_cast<std::size_t>(PageStart(document_.LineOfPosition(position)) +
                                         static_cast<long long>(linesPerPage_)));
        case TextUnit::Format:
        case TextUnit::Document:
            break;
    }
    return Length();
}

std::size_t TextUnits::PreviousBoundary(TextUnit unit, std::size_t position) const {
    position = SnapToCaretBoundary(text_, position);
    if (position == 0) return 0;
    switch (unit) {
        case TextUnit::Character:
            return PreviousCharacter(text_, position);
        case TextUnit::Word:
            return PreviousWordStart(text_, position);
        case TextUnit::Line:
        case TextUnit::Paragraph: {
            const std::size_t line = document_.LineOfPosition(position);
            const std::size_t start = document_.LineStart(line);
            // At a line start (not the first), the line before.
            return start < position ? start : document_.LineStart(line - 1);
        }
        case TextUnit::Page: {
            const std::size_t first = PageStartLine(document_.LineOfPosition(position));
            const std::size_t start = document_.LineStart(first);
            return start < position ? start : document_.LineStart(PageStartLine(first - 1));
        }
        case TextUnit::Format:
        case TextUnit::Document:
            break;
    }
    return 0;
}

std::size_t TextUnits::UnitStart(TextUnit unit, std::size_t position) const {
    switch (unit) {
        case TextUnit::Character:
        case TextUnit::Word: {
            if (position == 0) return 0;
            // The boundary before, then on while the next one is still at or before the
            // position: `position` may itself be a boundary.
            std::size_t start = PreviousBoundary(unit, position);
            for (std::size_t next = NextBoundary(unit, start); next > start && next <= position;
                 next = NextBoundary(unit, start))
                start = next;
            return start;
        }
        case TextUnit::Line:
        case TextUnit::Paragraph:
            return document_.LineStart(document_.LineOfPosition(position));
        case TextUnit::Page:
            return document_.LineStart(PageStartLine(document_.LineOfPosition(position)));
        case TextUnit::Format:
        case TextUnit::Document:
            break;
    }
    return 0;
}

bool TextUnits::MayStartAt(TextUnit unit, std::size_t boundary) const {
    // Only a line, or a page, may be empty at the end: the empty last line after a break.
    return boundary < Length() || (IsMadeOfLines(unit) && UnitStart(unit, Length()) == Length());
}

TextSpan TextUnits::Enclosing(TextUnit unit, std::size_t position) const {
    position = SnapToCaretBoundary(text_, position);
    if (IsWithinLines(unit) && position == Length()) return {position, position};
    const std::size_t start = UnitStart(unit, position);
    return {start, NextBoundary(unit, start)};
}

int TextUnits::MovePosition(TextUnit unit, std::size_t& position, int count) const {
    position = SnapToCaretBoundary(text_, position);
    int moved = 0;
    for (; moved < count && position < Length(); ++moved) position = NextBoundary(unit, position);
    for (; moved > count && position > 0; --moved) position = PreviousBoundary(unit, position);
    return moved;
}

int TextUnits::Move(TextUnit unit, TextSpan& span, int count) const {
    span = Clamp(span);
    if (count == 0) return 0;
    if (span.Empty()) {
        std::size_t position = span.start;
        const int moved = MovePosition(unit, position, count);
        span = {position, position};
        return moved;
    }
    std::size_t start = UnitStart(unit, span.start);
    int moved = 0;
    for (; moved < count; ++moved) {
        const std::size_t next = NextBoundary(unit, start);
        if (next == start || !MayStartAt(unit, next)) break;
        start = next;
    }
    for (; moved > count && start > 0; --moved) start = PreviousBoundary(unit, start);
    if (moved == 0) return 0;
    span = {start, NextBoundary(unit, start)};
    return moved;
}

int TextUnits::MoveEndpoint(TextUnit unit, TextSpan& span, bool start, int count) const {
    span = Clamp(span);
    std::size_t position = start ? span.start : span.end;
    const int moved = MovePosition(unit, position, count);
    if (start) {
        span.start = position;
        span.end = std::max(span.end, position);
    } else {
        span.end = position;
        span.start = std::min(span.start, position);
    }
    return moved;
}

std::size_t FindInText(std::u16string_view text, std::size_t from, std::size_t to,
                       std::u16string_view needle, bool backward, const char16_t* fold) {
    constexpr std::size_t kNone = std::u16string_view::npos;
    to = std::min(to, text.size());
    from = std::min(from, to);
    if (needle.empty() || to - from < needle.size()) return kNone;
    if (fold == nullptr) {
        const std::u16string_view within = text.substr(from, to - from);
        const std::size_t at = backward ? within.rfind(needle) : within.find(needle);
        return at == kNone ? kNone : from + at;
    }
    const auto matches = [&](std::size_t at) {
        for (std::size_t i = 0; i < needle.size(); ++i)
            if (fold[text[at + i]] != fold[needle[i]]) return false;
        return true;
    };
    const std::size_t last = to - needle.size();
    if (!backward) {
        for (std::size_t at = from; at <= last; ++at)
            if (matches(at)) return at;
    } else {
        for (std::size_t at = last + 1; at-- > from;)
            if (matches(at)) return at;
    }
    return kNone;
}

}  // namespace talvex
