// Cuts file bytes into lines the way the host's text files are read:
// a line ends at LF or CR LF, a lone CR is dropped, byte 0x1A ends the
// file, only the first 255 bytes of a line count and the rest of that line
// is skipped, a last line without a line end is read like any other.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace ravo {

inline constexpr size_t kMaxLineBytes = 255;

namespace detail {

// Whether n bytes from p hold neither CR nor 0x1A: eight bytes at a time, as
// a line is short and a library call for each byte sought costs more.
inline bool plainBytes(const char* p, size_t n) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kLow7 = 0x7f7f7f7f7f7f7f7full;
    // Top bit set in each byte of w that is zero.
    auto zeroBytes = [](uint64_t w) { return ~(((w & kLow7) + kLow7) | w | kLow7); };
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * 0x1A))) return false;
    }
    for (; i < n; ++i)
        if (p[i] == '\r' || p[i] == '\x1A') return false;
    return true;
}

}  // namespace detail

// True where a 0x1A ended the file.
template <class OnLine>
bool forEachLine(std::string_view data, OnLine&& onLine) {
    const char* p = data.data();
    const char* const end = p + data.size();
    char buf[kMaxLineBytes];
    while (p < end) {
        if (*p == '\x1A') return true;
        // Fast path: a line that fits, ends in LF or CR LF and holds no other
        // CR and no 0x1A is passed straight through.
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        size_t span = static_cast<size_t>(stop - p);
        if (lf && span > 0 && p[span - 1] == '\r') --span;
        if (span <= kMaxLineBytes && detail::plainBytes(p, span)) {
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
        if (eof) return true;
    }
    return false;
}

// The same lines from a file handed over in pieces: each piece's lines up to
// its last LF at once, what follows kept for the next piece, so that no line
// is cut where a piece ends.
template <class OnLine>
class PieceLines {
public:
    explicit PieceLines(OnLine onLine) : onLine_(std::move(onLine)) {}
    void piece(std::string_view p) {
        if (ended_) return;
        if (!rest_.empty()) {
            const size_t lf = p.find('\n');
            if (lf == std::string_view::npos) {
                rest_.append(p);
                return;
            }
            rest_.append(p.substr(0, lf + 1));
            ended_ = forEachLine(rest_, onLine_);
            rest_.clear();
            p.remove_prefix(lf + 1);
        }
        const size_t last = p.rfind('\n');
        if (!ended_ && last != std::string_view::npos) ended_ = forEachLine(p.substr(0, last + 1), onLine_);
        if (!ended_) rest_.assign(last == std::string_view::npos ? p : p.substr(last + 1));
    }
    // The last line, where the file does not end in LF.
    void end() {
        if (!ended_ && !rest_.empty()) forEachLine(rest_, onLine_);
        ended_ = true;
    }

private:
    OnLine onLine_;
    std::string rest_;
    bool ended_ = false;
};

}  // namespace ravo
