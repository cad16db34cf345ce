#include "ui/text_shaper.h"

#include <algorithm>
#include <utility>

#include "platform/system_library.h"

namespace talvex {
namespace {

// Uniscribe, from usp10 loaded the first time a text is shaped: a window that shows no text
// yet does not pay for it at start-up. Without it, plain GDI draws.
struct Uniscribe {
    decltype(&ScriptStringAnalyse) analyse = nullptr;
    decltype(&ScriptStringFree) free = nullptr;
    decltype(&ScriptString_pSize) size = nullptr;
    decltype(&ScriptStringCPtoX) cpToX = nullptr;
    decltype(&ScriptStringXtoCP) xToCp = nullptr;
    decltype(&ScriptStringOut) out = nullptr;
};

const Uniscribe* Usp() {
    static const Uniscribe functions = [] {
        Uniscribe u;
        u.analyse = SystemFunction<decltype(u.analyse)>(L"usp10.dll", "ScriptStringAnalyse");
        u.free = SystemFunction<decltype(u.free)>(L"usp10.dll", "ScriptStringFree");
        u.size = SystemFunction<decltype(u.size)>(L"usp10.dll", "ScriptString_pSize");
        u.cpToX = SystemFunction<decltype(u.cpToX)>(L"usp10.dll", "ScriptStringCPtoX");
        u.xToCp = SystemFunction<decltype(u.xToCp)>(L"usp10.dll", "ScriptStringXtoCP");
        u.out = SystemFunction<decltype(u.out)>(L"usp10.dll", "ScriptStringOut");
        return u;
    }();
    static const bool complete = functions.analyse != nullptr && functions.free != nullptr &&
                                 functions.size != nullptr && functions.cpToX != nullptr &&
                                 functions.xToCp != nullptr && functions.out != nullptr;
    return complete ? &functions : nullptr;
}

}  // namespace

void TextShaper::AnalysisDeleter::operator()(SCRIPT_STRING_ANALYSIS analysis) const {
    // An analysis exists only where Uniscribe was found.
    Usp()->free(&analysis);
}

void TextShaper::Forget() { kept_.clear(); }

const wchar_t* TextShaper::Chars(std::size_t start) const {
    return reinterpret_cast<const wchar_t*>(document_.Text().data() + start);
}

TextShaper::Shaped& TextShaper::Shape(std::size_t start, std::size_t length) {
    const std::uint64_t version = document_.Version();
    for (Shaped& shaped : kept_) {
        if (shaped.start == start && shaped.length == length && shaped.version == version) {
            shaped.lastUse = ++uses_;
            return shaped;
        }
    }
    // Analyses of an older text are no use any more; the least recently used goes when full.
    const auto stale = std::remove_if(kept_.begin(), kept_.end(), [&](const Shaped& shaped) {
        return shaped.version != version;
    });
    kept_.erase(stale, kept_.end());
    if (kept_.size() >= kKept) {
        auto oldest = std::min_element(
            kept_.begin(), kept_.end(),
            [](const Shaped& a, const Shaped& b) { return a.lastUse < b.lastUse; });
        kept_.erase(oldest);
    }

    Shaped shaped;
    shaped.start = start;
    shaped.length = length;
    shaped.version = version;
    shaped.lastUse = ++uses_;
    if (length > 0 && dc_ != nullptr) {
        SCRIPT_TABDEF tabs{};  // no stops given: one every eight average characters
        tabs.cTabStops = 0;
        const int chars = static_cast<int>(length);
        SCRIPT_STRING_ANALYSIS analysis = nullptr;
        if (Usp() != nullptr &&
            SUCCEEDED(Usp()->analyse(dc_, Chars(start), chars, chars * 3 / 2 + 16, -1,
                                     SSA_GLYPHS | SSA_FALLBACK | SSA_TAB, 0, nullptr, nullptr,
                                     nullptr, &tabs, nullptr, &analysis))) {
            shaped.analysis.reset(analysis);
        }
        if (shaped.analysis) {
            const SIZE* size = Usp()->size(shaped.analysis.get());
            shaped.width = size != nullptr ? static_cast<int>(size->cx) : 0;
        } else {
            SIZE size{};
            GetTextExtentPoint32W(dc_, Chars(start), chars, &size);
            shaped.width = static_cast<int>(size.cx);
        }
    }
    kept_.push_back(std::move(shaped));
    return kept_.back();
}

int TextShaper::MeasurePiece(std::size_t start, std::size_t length) {
    return Shape(start, length).width;
}

int TextShaper::CaretX(const LinePiece& piece, std::size_t position) {
    if (piece.length == 0) return 0;
    const std::size_t offset =
        std::clamp(position, piece.start, piece.start + piece.length) - piece.start;
    const Shaped& shaped = Shape(piece.start, piece.length);
    if (!shaped.analysis) {
        SIZE size{};
        GetTextExtentPoint32W(dc_, Chars(piece.start), static_cast<int>(offset), &size);
        return static_cast<int>(size.cx);
    }
    int x = 0;
    // The caret stands on the leading edge of the character after it, or on the trailing
    // edge of the last one (both right to left and left to right come out right).
    if (offset < piece.length) {
        Usp()->cpToX(shaped.analysis.get(), static_cast<int>(offset), FALSE, &x);
    } else {
        Usp()->cpToX(shaped.analysis.get(), static_cast<int>(offset) - 1, TRUE, &x);
    }
    return x;
}

std::size_t TextShaper::PositionAtX(const LinePiece& piece, int x) {
    if (piece.length == 0) return piece.start;
    const Shaped& shaped = Shape(piece.start, piece.length);
    int offset = 0;
    if (!shaped.analysis) {
        // Plain text, left to right: the nearest edge between two units.
        int fit = 0;
        std::vector<int> edges(piece.length);
        SIZE size{};
        GetTextExtentExPointW(dc_, Chars(piece.start), static_cast<int>(piece.length), 0, &fit,
                              edges.data(), &size);
        offset = static_cast<int>(piece.length);
        for (std::size_t i = 0; i < piece.length; ++i) {
            const int left = i == 0 ? 0 : edges[i - 1];
            if (x < (left + edges[i]) / 2) {
                offset = static_cast<int>(i);
                break;
            }
        }
    } else {
        int trailing = 0;
        if (FAILED(Usp()->xToCp(shaped.analysis.get(), x, &offset, &trailing))) return piece.start;
        // Beyond either end Uniscribe answers -1 or the length.
        if (offset < 0) {
            offset = 0;
        } else if (static_cast<std::size_t>(offset) >= piece.length) {
            offset = static_cast<int>(piece.length);
        } else {
            offset += trailing;
        }
    }
    return piece.start +
           std::min<std::size_t>(static_cast<std::size_t>(std::max(offset, 0)), piece.length);
}

void TextShaper::Draw(const LinePiece& piece, int x, int y, const RECT& clip,
                      std::size_t selectionStart, std::size_t selectionEnd) {
    if (piece.length == 0) return;
    const Shaped& shaped = Shape(piece.start, piece.length);
    // The selection as offsets within the piece; an empty range when it does not meet it.
    const std::size_t end = piece.start + piece.length;
    int from = 0;
    int to = 0;
    if (selectionStart < end && selectionEnd > piece.start) {
        from = static_cast<int>(std::max(selectionStart, piece.start) - piece.start);
        to = static_cast<int>(std::min(selectionEnd, end) - piece.start);
    }
    if (shaped.analysis) {
        Usp()->out(shaped.analysis.get(), x, y, ETO_CLIPPED, &clip, from, to, FALSE);
        return;
    }
    ExtTextOutW(dc_, x, y, ETO_CLIPPED, &clip, Chars(piece.start), static_cast<UINT>(piece.length),
                nullptr);
    if (from < to) {
        SIZE before{};
        SIZE through{};
        GetTextExtentPoint32W(dc_, Chars(piece.start), from, &before);
        GetTextExtentPoint32W(dc_, Chars(piece.start), to, &through);
        RECT band{x + before.cx, clip.top, x + through.cx, clip.bottom};
        IntersectRect(&band, &band, &clip);
        const COLORREF text = SetTextColor(dc_, GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF back = SetBkColor(dc_, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc_, x + before.cx, y, ETO_CLIPPED | ETO_OPAQUE, &band,
                    Chars(piece.start + from), static_cast<UINT>(to - from), nullptr);
        SetTextColor(dc_, text);
        SetBkColor(dc_, back);
    }
}

}  // namespace talvex
