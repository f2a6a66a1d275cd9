// Number text: tokens to numbers and numbers to the general format.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace ravo {

// The regional decimal separator, read once at start-up by the platform
// layer and handed in; the core never asks the system.
struct NumberFormat {
    char16_t decimalSeparator = u'.';
};

// Raise ConvertError with the exact texts the user sees.
[[noreturn]] void raiseNotFloat(std::u16string_view token);
[[noreturn]] void raiseNotInteger(std::u16string_view token);

// Real: optional spaces, sign, digits with at most one separator, optional
// exponent, optional trailing spaces. Overflow is a conversion error.
bool tryStrToFloat(std::u16string_view token, char16_t separator, double& out);
// The same on ASCII text.
bool tryStrToFloat(std::string_view token, char separator, double& out);
double strToFloat(std::u16string_view token, const NumberFormat& fmt);

// Integer: optional leading spaces, sign, decimal digits or hexadecimal
// after "$", "x", "X", "0x", "0X". Nothing may follow.
bool tryStrToInt(std::u16string_view token, int32_t& out);
int32_t strToInt(std::u16string_view token);

// The 18-digit decimal expansion of a finite non-zero double, the common
// ground of the general format and the fixed "####0.0" pattern.
struct DecimalDigits {
    char digit[20];  // '0'..'9', digit[0] != '0'
    int count;       // significant digits held
    int exponent;    // value = 0.d1d2... x 10^exponent
    bool negative;
};
DecimalDigits expand18(double v);
// Round half away from zero so that `keep` digits remain (keep may be 0 or
// less); trailing zeros are dropped, an all-zero result gives count 0.
void roundDigits(DecimalDigits& d, int keep);

// General number format, 15 significant digits. Writes into `out` (at
// least 32 bytes) and returns the end. `sep` is an ASCII separator.
char* formatGeneral(char* out, double v, char sep);
std::u16string formatGeneral(double v, const NumberFormat& fmt);

}  // namespace ravo
