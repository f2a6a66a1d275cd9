// Number text: conversions raise their own error or give a value that the
// grammar allows; a real that converts is finite; the trying forms succeed
// exactly when the raising forms do not raise, with the same value.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/errors.h"
#include "core/number_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string t = asText(data, size);
    for (char16_t sep : {u'.', u','}) {
        double v = 0, w = 0;
        const bool ok = ravo::tryStrToFloat(t, sep, v);
        if (ok && !std::isfinite(v)) std::abort();
        bool threw = false;
        try {
            w = ravo::strToFloat(t, ravo::NumberFormat{sep});
        } catch (const ravo::ConvertError&) {
            threw = true;
        }
        if (ok == threw || (ok && std::memcmp(&v, &w, sizeof v) != 0)) std::abort();
    }
    int32_t n = 0;
    const bool converted = ravo::tryStrToInt(t, n);
    bool raised = false;
    int32_t m = 0;
    try {
        m = ravo::strToInt(t);
    } catch (const ravo::ConvertError&) {
        raised = true;
    }
    if (converted == raised || (converted && n != m)) std::abort();
    return 0;
}
