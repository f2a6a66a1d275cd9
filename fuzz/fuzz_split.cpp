// splitText on any text and slot count: never past the slots, counts agree.
#include <cstdlib>

#include "core/functions.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int n = data[0] % 8;  // few slots, so overflowing them is common
    const char16_t delim = data[1] & 1 ? u',' : u' ';
    std::u16string text = asText(data + 2, size - 2);
    // Guard slots on both sides catch a write outside the caller's range.
    std::u16string slots[8 + 2];
    slots[0] = u"guard";
    slots[n + 2] = u"guard";
    int count = ravo::splitText(slots + 1, n, text, delim);
    if (count < 0 || slots[0] != u"guard" || slots[n + 2] != u"guard") std::abort();
    for (int k = count + 1; k <= n; ++k)
        if (!slots[k + 1].empty()) std::abort();
    return 0;
}
