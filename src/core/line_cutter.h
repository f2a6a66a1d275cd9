// Cuts file bytes into lines the way the host's text files are read:
// a line ends at LF or CR LF, a lone CR is dropped, byte 0x1A ends the
// file, only the first 255 bytes of a line count and the rest of that line
// is skipped, a last line without a line end is read like any other.
#pragma once
#include <cstring>
#include <string_view>

namespace ravo {

inline constexpr size_t kMaxLineBytes = 255;

template <class OnLine>
void forEachLine(std::string_view data, OnLine&& onLine) {
    const char* p = data.data();
    const char* const end = p + data.size();
    char buf[kMaxLineBytes];
    while (p < end) {
        if (*p == '\x1A') return;
        // Fast path: a line that fits, ends in LF or CR LF and holds no other
        // CR and no 0x1A is passed straight through.
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        size_t span = static_cast<size_t>(stop - p);
        if (lf && span > 0 && p[span - 1] == '\r') --span;
        if (span <= kMaxLineBytes && !std::memchr(p, '\r', span) && !std::memchr(p, '\x1A', span)) {
            onLine(std::string_view(p, span));
            p = lf ? lf + 1 : end;
            continue;
        }
        size_t len = 0;
        bool eof = false;
        while (p < end) {
            char c = *p;
            if (c == '\x1A') { eof = true; break; }
            if (c == '\n') { ++p; break; }
            ++p;
            if (c == '\r') {
                if (p < end && *p == '\n') { ++p; break; }
                continue;  // lone CR: dropped, the line goes on
            }
            if (len < kMaxLineBytes) buf[len++] = c;
        }
        onLine(std::string_view(buf, len));
        if (eof) return;
    }
}

}  // namespace ravo
