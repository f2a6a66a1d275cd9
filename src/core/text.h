// Small UTF-16 / UTF-8 helpers. Texts are UTF-16 in memory; UTF-8 appears
// only at the edges (POSIX paths, test output).
#pragma once
#include <string>
#include <string_view>

namespace ravo {

std::u16string asciiToU16(std::string_view ascii);
// A..Z as a..z, the rest as it is.
std::u16string asciiLower(std::u16string_view text);
std::u16string utf8ToU16(std::string_view utf8);
std::string u16ToUtf8(std::u16string_view text);

inline bool isBlank(char16_t c) { return c >= 1 && c <= 32; }

// Leading and trailing characters with codes 0..32 removed.
std::u16string_view trimControl(std::u16string_view text);

// A number as the user types it into a box: blanks about it may be the
// ideographic space, and its digits, point and sign full-width ones, which
// count as their ASCII selves.
inline bool isTypedBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }
inline char16_t typedAscii(char16_t c) {
    if (c >= u'０' && c <= u'９') return static_cast<char16_t>(u'0' + (c - u'０'));
    if (c == u'．') return u'.';
    if (c == u'＋') return u'+';
    if (c == u'－' || c == u'−') return u'-';
    return c;
}

}  // namespace ravo
