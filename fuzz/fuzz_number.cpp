// Number text: conversions raise their own error or give a value that the
// grammar allows; a real that converts is finite.
#include <cmath>
#include <cstdlib>

#include "core/errors.h"
#include "core/number_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string t = asText(data, size);
    for (char16_t sep : {u'.', u','}) {
        double v;
        if (ravo::tryStrToFloat(t, sep, v) && !std::isfinite(v)) std::abort();
    }
    int32_t n;
    ravo::tryStrToInt(t, n);
    try {
        ravo::strToInt(t);
    } catch (const ravo::ConvertError&) {
    }
    return 0;
}
