// classifyLine on any line: a known code, a count within reason.
#include <cstdlib>

#include "core/classifier.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string line = asText(data, size);
    std::u16string slots[ravo::kTokenSlots];
    int count = -1;
    int code = ravo::classifyLine(line, slots, ravo::kTokenSlots - 1, count);
    if (count < 0 || static_cast<size_t>(count) > line.size()) std::abort();
    if (code != -1 && (code < 11 || code > 605)) std::abort();
    return 0;
}
