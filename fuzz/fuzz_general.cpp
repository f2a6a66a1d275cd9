// The general number format on any double: at most 15 digits, and the text
// reads back as the double nearest to the 15-digit rounding.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < sizeof(double)) return 0;
    double v;
    std::memcpy(&v, data, sizeof v);
    char buf[48];
    char* end = ravo::formatGeneral(buf, v, '.');
    if (end - buf > 26) std::abort();
    if (!std::isfinite(v)) return 0;
    int digits = 0;
    bool inExp = false;
    for (char* p = buf; p < end; ++p) {
        if (*p == 'E') inExp = true;
        if (!inExp && *p >= '0' && *p <= '9') ++digits;
    }
    if (digits > 19) std::abort();  // "0.000" plus 15 significant digits at most
    std::string text(buf, end);
    for (char& c : text)
        if (c == 'E') c = 'e';
    double back;
    auto r = std::from_chars(text.data(), text.data() + text.size(), back);
    // The largest doubles round up past the double range at 15 digits.
    if (r.ec == std::errc::result_out_of_range && std::fabs(v) > 1.797693134862315e308) return 0;
    if (r.ec != std::errc()) std::abort();
    if (v != 0 && std::fabs(back - v) > std::fabs(v) * 1e-14) std::abort();
    return 0;
}
