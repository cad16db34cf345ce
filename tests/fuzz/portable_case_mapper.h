// A case mapper that needs no platform: Latin, Turkish, Greek and Deseret (a script whose
// letters are surrogate pairs). Simple, it keeps every length; full, it also makes the
// mappings that change one (ß to SS, İ to i and a dot, ΐ to three units, ŉ to ʼN).
#pragma once

#include <string>

#include "clipboard/ports.h"

namespace talvex::fuzzing {

class PortableCaseMapper : public CaseMapper {
  public:
    explicit PortableCaseMapper(bool full) : full_(full) {}
    std::u16string ToUpper(const std::u16string& text) override { return Map(text, true); }
    std::u16string ToLower(const std::u16string& text) override { return Map(text, false); }

  private:
    std::u16string Map(const std::u16string& text, bool upper) const {
        std::u16string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == 0xD801 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDC4F) {  // Deseret: 10400..10427 upper, 10428..1044F lower
                const char16_t low = text[++i];
                out += c;
                out += upper && low >= 0xDC28   ? static_cast<char16_t>(low - 0x28)
                       : !upper && low < 0xDC28 ? static_cast<char16_t>(low + 0x28)
                                                : low;
            } else if (full_ && upper && c == u'ß') {
                out += u"SS";
            } else if (full_ && upper && c == u'ΐ') {
                out += u"\u0399\u0308\u0301";
            } else if (full_ && upper && c == u'ŉ') {
                out += u"\u02BCN";
            } else if (full_ && !upper && c == u'İ') {
                out += u"i\u0307";
            } else {
                out += upper ? Upper(c) : Lower(c);
            }
        }
        return out;
    }

    static char16_t Upper(char16_t c) {
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
            (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2))
            return static_cast<char16_t>(c - 32);
        if (c == u'ÿ') return u'Ÿ';
        if (c == u'µ') return u'Μ';
        if (c == u'ı') return u'I';
        if (c == u'ς') return u'Σ';
        if (c == u'ά') return u'Ά';
        if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 37);  // έ ή ί
        if (c == u'ό') return u'Ό';
        if (c == u'ύ' || c == u'ώ') return static_cast<char16_t>(c - 63);
        if (c == u'ſ') return u'S';
        if (IsExtendedA(c) && LowerOfPair(c)) return static_cast<char16_t>(c - 1);
        return c;
    }
    static char16_t Lower(char16_t c) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
            (c >= 0x391 && c <= 0x3AB && c != 0x3A2))
            return static_cast<char16_t>(c + 32);
        if (c == u'Ÿ') return u'ÿ';
        if (c == u'İ') return u'i';
        if (c == u'Ά') return u'ά';
        if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
        if (c == u'Ό') return u'ό';
        if (c == u'Ύ' || c == u'Ώ') return static_cast<char16_t>(c + 63);
        if (IsExtendedA(c) && !LowerOfPair(c)) return static_cast<char16_t>(c + 1);
        return c;
    }
    // Latin Extended-A, in upper/lower pairs but for İ, ı, ĸ, ŉ and ſ.
    static bool IsExtendedA(char16_t c) {
        return c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
               c != 0x178;
    }
    // Pairs start on an even unit, but from Ĺ to Ň and from Ź on, on an odd one.
    static bool LowerOfPair(char16_t c) {
        const bool oddStart = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        return (c % 2 == 1) != oddStart;
    }

    bool full_;
};

}  // namespace talvex::fuzzing
