// Shared by the fuzz targets: bytes as UTF-16 text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

inline std::u16string asText(const uint8_t* data, size_t size) {
    std::u16string t;
    for (size_t i = 0; i + 1 < size; i += 2) t.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return t;
}
