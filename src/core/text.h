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

}  // namespace ravo
