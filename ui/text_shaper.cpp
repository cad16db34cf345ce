#include "ui/text_shaper.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "editing/font_runs.h"
#include "editing/utf16.h"
#include "platform/gdi_guards.h"
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
    decltype(&ScriptItemize) itemize = nullptr;
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
        u.itemize = SystemFunction<decltype(u.itemize)>(L"usp10.dll", "ScriptItemize");
        return u;
    }();
    static const bool complete = functions.analyse != nullptr && functions.free != nullptr &&
                                 functions.size != nullptr && functions.cpToX != nullptr &&
                                 functions.xToCp != nullptr && functions.out != nullptr &&
                                 functions.itemize != nullptr;
    return complete ? &functions : nullptr;
}

// For each font, the fonts GDI takes the characters it lacks from, in order: "FILE,Face" or
// "FILE,Face,scaling" each.
constexpr wchar_t kSystemLink[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink";

// The value for `face`: its entries one after the other, each ended by a NUL; empty when
// nothing is linked to it.
std::wstring LinkList(const wchar_t* face) {
    static const auto getValue =
        SystemFunction<decltype(&RegGetValueW)>(L"advapi32.dll", "RegGetValueW");
    DWORD bytes = 0;
    if (getValue == nullptr || face[0] == L'\0' ||
        getValue(HKEY_LOCAL_MACHINE, kSystemLink, face, RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                 &bytes) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring list(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(list.size() * sizeof(wchar_t));
    if (getValue(HKEY_LOCAL_MACHINE, kSystemLink, face, RRF_RT_REG_MULTI_SZ, nullptr, list.data(),
                 &bytes) != ERROR_SUCCESS) {
        return {};
    }
    return list;
}

bool CanBeLinked(wchar_t c) {
    return c >= L' ' && c != L'\x7F' && !IsSurrogateUnit(static_cast<char16_t>(c));
}

}  // namespace

void ScriptStringFreer::operator()(SCRIPT_STRING_ANALYSIS analysis) const {
    // Only Uniscribe makes an analysis, so it is loaded when one is given back.
    Usp()->free(&analysis);
}

void TextShaper::Forget() {
    kept_.clear();
    for (UniqueFont& font : linkedFonts_) font.reset();
    linkedFontCount_ = 0;
    linkedFontsLoaded_ = false;
}

const wchar_t* TextShaper::Chars(std::size_t start) const {
    return reinterpret_cast<const wchar_t*>(document_.Text().data() + start);
}

void TextShaper::LoadLinkedFonts() {
    linkedFontsLoaded_ = true;
    LOGFONTW font{};
    if (GetObjectW(GetCurrentObject(dc_, OBJ_FONT), sizeof font, &font) == 0) return;
    // GDI links from the face it gave for the font asked for; where nothing is linked to that
    // face, from the one asked for.
    wchar_t given[LF_FACESIZE] = {};
    GetTextFaceW(dc_, LF_FACESIZE, given);
    std::wstring list = LinkList(given);
    if (list.empty()) list = LinkList(font.lfFaceName);
    const wchar_t* const end = list.c_str() + list.size();
    for (const wchar_t* entry = list.c_str(); entry < end && linkedFontCount_ < kMostLinkedFonts;
         entry += wcslen(entry) + 1) {
        // The face after the file's name, without the spaces around it.
        const wchar_t* face = wcschr(entry, L',');
        if (face == nullptr) continue;  // a file alone names no face
        ++face;
        while (*face == L' ') ++face;
        std::size_t size = wcscspn(face, L",");
        while (size > 0 && face[size - 1] == L' ') --size;
        if (size == 0 || size >= LF_FACESIZE) continue;
        LOGFONTW linked = font;  // the same size and weight
        wmemcpy(linked.lfFaceName, face, size);
        linked.lfFaceName[size] = L'\0';
        linked.lfCharSet = DEFAULT_CHARSET;
        UniqueFont made(CreateFontIndirectW(&linked));
        if (!made) continue;
        // A face the system does not have comes back as some other font: no use here.
        wchar_t got[LF_FACESIZE] = {};
        {
            const SelectedObject selected(dc_, made.get());
            GetTextFaceW(dc_, LF_FACESIZE, got);
        }
        if (lstrcmpiW(got, linked.lfFaceName) == 0) {
            linkedFonts_[linkedFontCount_++] = std::move(made);
        }
    }
}

std::vector<std::uint8_t> TextShaper::FontsOf(std::size_t start, std::size_t length) {
    const wchar_t* text = Chars(start);
    const int count = static_cast<int>(length);
    std::vector<WORD> glyphs(length);
    if (GetGlyphIndicesW(dc_, text, count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR) {
        return {};
    }
    constexpr std::uint8_t kLacking = 0xFF;
    std::vector<std::uint8_t> fonts(length, 0);
    bool lacking = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (glyphs[i] == 0xFFFF && CanBeLinked(text[i])) {
            fonts[i] = kLacking;
            lacking = true;
        }
    }
    if (!lacking) return {};  // the usual case: one call, and the piece is one run
    if (!linkedFontsLoaded_) LoadLinkedFonts();
    if (linkedFontCount_ == 0) return {};

    // Only what lies at the line's own level (left to right) changes font: a run then takes
    // its place in the line in reading order. Right-to-left text keeps Uniscribe's fallback.
    std::vector<SCRIPT_ITEM> items(length + 2);
    int itemCount = 0;
    if (FAILED(
            Usp()->itemize(text, count, count + 1, nullptr, nullptr, items.data(), &itemCount))) {
        return {};
    }
    for (int i = 0; i < itemCount; ++i) {
        if (items[static_cast<std::size_t>(i)].a.s.uBidiLevel == 0) continue;
        const int from = items[static_cast<std::size_t>(i)].iCharPos;
        const int to = items[static_cast<std::size_t>(i) + 1].iCharPos;
        for (int u = from; u < to; ++u) fonts[static_cast<std::size_t>(u)] = 0;
    }

    bool linked = false;
    for (std::uint8_t number = 1; number <= linkedFontCount_; ++number) {
        if (std::find(fonts.begin(), fonts.end(), kLacking) == fonts.end()) break;
        const SelectedObject selected(dc_, linkedFonts_[number - 1u].get());
        if (GetGlyphIndicesW(dc_, text, count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
            GDI_ERROR) {
            continue;
        }
        for (std::size_t i = 0; i < length; ++i) {
            if (fonts[i] == kLacking && glyphs[i] != 0xFFFF) {
                fonts[i] = number;
                linked = true;
            }
        }
    }
    if (!linked) return {};
    std::replace(fonts.begin(), fonts.end(), kLacking, std::uint8_t{0});
    return fonts;
}

void TextShaper::ShapeRun(Run& run, std::size_t pieceStart) {
    const SelectedObject font(dc_, run.font);
    const wchar_t* chars = Chars(pieceStart + run.offset);
    const int count = static_cast<int>(run.length);
    // Tab stops every eight average characters (no stops given), counted from the piece's
    // start; a run in a linked font holds no tab.
    SCRIPT_TABDEF tabs{};
    tabs.cTabStops = 0;
    tabs.iScale = 4;  // device units
    tabs.iTabOrigin = run.x;
    SCRIPT_STRING_ANALYSIS made = nullptr;
    // A failed analysis is not ours to free, whatever it left in `made`.
    if (Usp() != nullptr &&
        SUCCEEDED(Usp()->analyse(dc_, chars, count, count * 3 / 2 + 16, -1,
                                 SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | SSA_TAB, 0, nullptr,
                                 nullptr, nullptr, &tabs, nullptr, &made))) {
        run.analysis.reset(made);
    }
    if (run.analysis) {
        const SIZE* size = Usp()->size(run.analysis.get());
        run.width = size != nullptr ? static_cast<int>(size->cx) : 0;
    } else {
        SIZE size{};
        GetTextExtentPoint32W(dc_, chars, count, &size);
        run.width = static_cast<int>(size.cx);
    }
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
    std::erase_if(kept_, [&](const Shaped& shaped) { return shaped.version != version; });
    if (kept_.size() >= kKept) {
        auto oldest = std::min_element(
            kept_.begin(), kept_.end(),
            [](const Shaped& a, const Shaped& b) { return a.lastUse < b.lastUse; });
        kept_.erase(oldest);
    }
    kept_.reserve(kept_.size() + 1);  // nothing shaped below is lost to a failing push_back

    Shaped shaped;
    shaped.start = start;
    shaped.length = length;
    shaped.version = version;
    shaped.lastUse = ++uses_;
    if (length > 0 && dc_ != nullptr) {
        const std::vector<std::uint8_t> fonts =
            Usp() != nullptr ? FontsOf(start, length) : std::vector<std::uint8_t>{};
        const std::vector<FontRun> parts =
            SplitByFont(std::u16string_view(document_.Text().data() + start, length), fonts);
        shaped.runs.resize(parts.size());
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const FontRun& part = parts[i];
            Run& run = shaped.runs[i];
            run.offset = part.offset;
            run.length = part.length;
            run.x = shaped.width;
            if (part.font != 0) run.font = linkedFonts_[part.font - 1u].get();
            ShapeRun(run, start);
            shaped.width += run.width;
        }
    }
    kept_.push_back(std::move(shaped));
    return kept_.back();
}

const TextShaper::Run& TextShaper::RunAt(const Shaped& shaped, std::size_t offset) {
    for (const Run& run : shaped.runs) {
        if (offset < run.offset + run.length) return run;
    }
    return shaped.runs.back();
}

int TextShaper::MeasurePiece(std::size_t start, std::size_t length) {
    return Shape(start, length).width;
}

int TextShaper::CaretX(const LinePiece& piece, std::size_t position) {
    if (piece.length == 0) return 0;
    const std::size_t offset =
        std::clamp(position, piece.start, piece.start + piece.length) - piece.start;
    const Shaped& shaped = Shape(piece.start, piece.length);
    if (shaped.runs.empty()) return 0;
    const Run& run = RunAt(shaped, offset);
    const std::size_t within = offset - run.offset;
    if (!run.analysis) {
        const SelectedObject font(dc_, run.font);
        SIZE size{};
        GetTextExtentPoint32W(dc_, Chars(piece.start + run.offset), static_cast<int>(within),
                              &size);
        return run.x + static_cast<int>(size.cx);
    }
    int x = 0;
    // The caret stands on the leading edge of the character after it, or on the trailing
    // edge of the last one (both right to left and left to right come out right).
    if (within < run.length) {
        Usp()->cpToX(run.analysis.get(), static_cast<int>(within), FALSE, &x);
    } else {
        Usp()->cpToX(run.analysis.get(), static_cast<int>(within) - 1, TRUE, &x);
    }
    return run.x + x;
}

std::size_t TextShaper::PositionAtX(const LinePiece& piece, int x) {
    if (piece.length == 0) return piece.start;
    const Shaped& shaped = Shape(piece.start, piece.length);
    if (shaped.runs.empty()) return piece.start;
    // The run under x: before the piece the first, beyond it the last.
    const Run* run = &shaped.runs.back();
    for (const Run& candidate : shaped.runs) {
        if (x < candidate.x + candidate.width) {
            run = &candidate;
            break;
        }
    }
    x -= run->x;
    const wchar_t* chars = Chars(piece.start + run->offset);
    int offset = 0;
    if (!run->analysis) {
        // Plain text, left to right: the nearest edge between two units.
        const SelectedObject font(dc_, run->font);
        int fit = 0;
        std::vector<int> edges(run->length);
        SIZE size{};
        GetTextExtentExPointW(dc_, chars, static_cast<int>(run->length), 0, &fit, edges.data(),
                              &size);
        offset = static_cast<int>(run->length);
        for (std::size_t i = 0; i < run->length; ++i) {
            const int left = i == 0 ? 0 : edges[i - 1];
            if (x < (left + edges[i]) / 2) {
                offset = static_cast<int>(i);
                break;
            }
        }
    } else {
        int trailing = 0;
        if (FAILED(Usp()->xToCp(run->analysis.get(), x, &offset, &trailing))) {
            return piece.start + run->offset;
        }
        // Beyond either end Uniscribe answers -1 or the length.
        if (offset < 0) {
            offset = 0;
        } else if (static_cast<std::size_t>(offset) >= run->length) {
            offset = static_cast<int>(run->length);
        } else {
            offset += trailing;
        }
    }
    return piece.start + run->offset +
           std::min<std::size_t>(static_cast<std::size_t>(std::max(offset, 0)), run->length);
}

void TextShaper::Draw(const LinePiece& piece, int x, int y, const RECT& clip,
                      std::size_t selectionStart, std::size_t selectionEnd) {
    if (piece.length == 0) return;
    const Shaped& shaped = Shape(piece.start, piece.length);
    for (const Run& run : shaped.runs) {
        const int left = x + run.x;
        const std::size_t start = piece.start + run.offset;
        const std::size_t end = start + run.length;
        // The selection as offsets within the run; an empty range when it does not meet it.
        int from = 0;
        int to = 0;
        if (selectionStart < end && selectionEnd > start) {
            from = static_cast<int>(std::max(selectionStart, start) - start);
            to = static_cast<int>(std::min(selectionEnd, end) - start);
        }
        const SelectedObject font(dc_, run.font);
        if (run.analysis) {
            Usp()->out(run.analysis.get(), left, y, ETO_CLIPPED, &clip, from, to, FALSE);
            continue;
        }
        const wchar_t* chars = Chars(start);
        ExtTextOutW(dc_, left, y, ETO_CLIPPED, &clip, chars, static_cast<UINT>(run.length),
                    nullptr);
        if (from < to) {
            SIZE before{};
            SIZE through{};
            GetTextExtentPoint32W(dc_, chars, from, &before);
            GetTextExtentPoint32W(dc_, chars, to, &through);
            RECT band{left + before.cx, clip.top, left + through.cx, clip.bottom};
            IntersectRect(&band, &band, &clip);
            const COLORREF text = SetTextColor(dc_, GetSysColor(COLOR_HIGHLIGHTTEXT));
            const COLORREF back = SetBkColor(dc_, GetSysColor(COLOR_HIGHLIGHT));
            ExtTextOutW(dc_, left + before.cx, y, ETO_CLIPPED | ETO_OPAQUE, &band, chars + from,
                        static_cast<UINT>(to - from), nullptr);
            SetTextColor(dc_, text);
            SetBkColor(dc_, back);
        }
    }
}

}  // namespace talvex
