#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "errors.h"

namespace ravo {

void raiseNotFloat(std::u16string_view token) {
    throw ConvertError(u"'" + std::u16string(token) + u"' は浮動小数点数ではありません");
}

void raiseNotInteger(std::u16string_view token) {
    throw ConvertError(u"'" + std::u16string(token) + u"' は整数ではありません");
}

namespace {

// The real-number grammar over any character type. `t` has no characters
// outside the token; blanks at either end are allowed.
template <class Ch>
bool parseReal(const Ch* t, size_t n, Ch sep, double& out) {
    size_t i = 0;
    while (i < n && t[i] == Ch(' ')) ++i;
    size_t end = n;
    while (end > i && t[end - 1] == Ch(' ')) --end;
    if (i == end) return false;

    // Validated, then copied into an ASCII buffer with "." as the separator,
    // so std::from_chars does the correctly rounded conversion.
    char stackBuf[128];
    std::string heapBuf;
    char* buf = stackBuf;
    if (end - i + 1 > sizeof stackBuf) {
        heapBuf.resize(end - i + 1);
        buf = heapBuf.data();
    }
    size_t len = 0;
    bool negative = false;
    if (t[i] == Ch('+') || t[i] == Ch('-')) {
        negative = t[i] == Ch('-');
        if (negative) buf[len++] = '-';
        ++i;
    }
    size_t mantDigits = 0;
    int leadExp = 0;  // decimal exponent implied by the mantissa's position
    bool seenNonZero = false;
    bool seenSep = false;
    for (; i < end; ++i) {
        const Ch c = t[i];
        if (c >= Ch('0') && c <= Ch('9')) {
            ++mantDigits;
            if (c != Ch('0') && !seenNonZero) seenNonZero = true;
            if (!seenSep && seenNonZero) ++leadExp;
            if (seenSep && !seenNonZero) --leadExp;
            buf[len++] = static_cast<char>(c);
        } else if (c == sep && !seenSep) {
            seenSep = true;
            buf[len++] = '.';
        } else {
            break;
        }
    }
    if (mantDigits == 0) return false;
    long expValue = 0;
    if (i < end && (t[i] == Ch('e') || t[i] == Ch('E'))) {
        buf[len++] = 'e';
        ++i;
        bool expNeg = false;
        if (i < end && (t[i] == Ch('+') || t[i] == Ch('-'))) {
            expNeg = t[i] == Ch('-');
            buf[len++] = static_cast<char>(t[i]);
            ++i;
        }
        size_t expDigits = 0;
        for (; i < end && t[i] >= Ch('0') && t[i] <= Ch('9'); ++i) {
            ++expDigits;
            buf[len++] = static_cast<char>(t[i]);
            if (expValue < 100000) expValue = expValue * 10 + (t[i] - Ch('0'));
        }
        if (expDigits == 0) return false;
        if (expNeg) expValue = -expValue;
    }
    if (i != end) return false;

    double v = 0;
    auto r = std::from_chars(buf, buf + len, v);
    if (r.ptr != buf + len) return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is an error.
        if (!seenNonZero || leadExp + expValue < 0) {
            out = negative ? -0.0 : 0.0;
            return true;
        }
        return false;
    }
    if (r.ec != std::errc()) return false;
    out = v;
    return true;
}

}  // namespace

bool tryStrToFloat(std::u16string_view t, char16_t sep, double& out) {
    return parseReal(t.data(), t.size(), sep, out);
}

bool tryStrToFloat(std::string_view t, char sep, double& out) {
    // Fast path for the common token: no blanks, "." as the separator, a
    // digit or "." after the sign (which rules out "inf" and "nan"). The
    // digits then mean the same to std::from_chars as to the grammar.
    if (sep == '.' && !t.empty() && t.front() != ' ' && t.back() != ' ') {
        const char* p = t.data();
        const char* const e = p + t.size();
        if (*p == '+') {
            ++p;
            if (p < e && *p == '-') return false;
        }
        const char* q = p < e && *p == '-' ? p + 1 : p;
        if (q < e && ((*q >= '0' && *q <= '9') || *q == '.')) {
            double v;
            auto r = std::from_chars(p, e, v);
            if (r.ec == std::errc() && r.ptr == e) {
                out = v;
                return true;
            }
        }
    }
    // Everything else, errors and underflow included, takes the full grammar.
    return parseReal(t.data(), t.size(), sep, out);
}

double strToFloat(std::u16string_view token, const NumberFormat& fmt) {
    double v;
    if (!tryStrToFloat(token, fmt.decimalSeparator, v)) raiseNotFloat(token);
    return v;
}

bool tryStrToInt(std::u16string_view t, int32_t& out) {
    size_t i = 0, n = t.size();
    while (i < n && t[i] == u' ') ++i;
    bool negative = false;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && t[i] == u'$') { base = 16; ++i; }
    else if (i < n && (t[i] == u'x' || t[i] == u'X')) { base = 16; ++i; }
    else if (i + 1 < n && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) { base = 16; i += 2; }
    if (i == n) return false;
    int64_t value = 0;
    for (; i < n; ++i) {
        char16_t c = t[i];
        int d;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else return false;
        value = value * base + d;
        if (value > int64_t{1} << 31) return false;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) return false;
    out = static_cast<int32_t>(value);
    return true;
}

int32_t strToInt(std::u16string_view token) {
    int32_t v;
    if (!tryStrToInt(token, v)) raiseNotInteger(token);
    return v;
}

namespace {

constexpr uint64_t kPow10[20] = {1ull,
                                 10ull,
                                 100ull,
                                 1000ull,
                                 10000ull,
                                 100000ull,
                                 1000000ull,
                                 10000000ull,
                                 100000000ull,
                                 1000000000ull,
                                 10000000000ull,
                                 100000000000ull,
                                 1000000000000ull,
                                 10000000000000ull,
                                 100000000000000ull,
                                 1000000000000000ull,
                                 10000000000000000ull,
                                 100000000000000000ull,
                                 1000000000000000000ull,
                                 10000000000000000000ull};

// m · p exactly, as 128 bits in two halves (the 32-bit build has no
// 128-bit integer).
struct Wide {
    uint64_t hi, lo;
};
Wide multiply(uint64_t m, uint64_t p) {
    const uint64_t ml = m & 0xFFFFFFFFu, mh = m >> 32, pl = p & 0xFFFFFFFFu, ph = p >> 32;
    const uint64_t ll = ml * pl, lh = ml * ph, hl = mh * pl, hh = mh * ph;
    const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & 0xFFFFFFFFu)};
}

// The 18 digits the general way gives, for the values a drawing holds
// (2^−11 ≤ a < 2^53, a > 0): a is m / 2^s exactly, so a · 10^k is m · 10^k
// over 2^s, rounded half to even as std::to_chars rounds the exact value.
// False where a lies outside that range.
bool expandExact(double a, DecimalDigits& d) {
    // a = m · 2^(exp2 − 53), 2^52 ≤ m < 2^53, read off its bits (a normal
    // double, as every value in the range is).
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const int exp2 = static_cast<int>((bits >> 52) & 0x7FF) - 1022;
    const int s = 53 - exp2;
    if (s < 0 || s > 63) return false;
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    // 10^(E−1) ≤ a < 10^E; a guess from the binary exponent (1233 / 4096
    // is about log10 2), then corrected.
    int E = ((exp2 - 1) * 1233 >> 12) + 1;
    for (int tries = 0; tries < 4; ++tries) {
        const int k = 18 - E;
        if (k < 0 || k > 19) return false;
        const Wide p = multiply(m, kPow10[k]);
        // q = p >> s, rounded on the remainder against half of 2^s.
        if (s == 0 ? p.hi != 0 : (p.hi >> s) != 0) {  // q above 64 bits: E is too small
            ++E;
            continue;
        }
        uint64_t q = p.lo;
        if (s > 0) {
            q = (p.hi << (64 - s)) | (p.lo >> s);
            const uint64_t rest = p.lo & ((uint64_t{1} << s) - 1), half = uint64_t{1} << (s - 1);
            if (rest > half || (rest == half && (q & 1))) ++q;
        }
        if (q >= kPow10[18]) {
            ++E;
            continue;
        }
        if (q < kPow10[17]) {
            --E;
            continue;
        }
        // Two halves of nine digits, each two digits at a time (the chains
        // of divisions run side by side).
        auto nine = [](uint32_t v, char* out) {
            static constexpr char kPairs[] =
                "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                "8081828384858687888990919293949596979899";
            for (int i = 7; i >= 1; i -= 2) {
                const uint32_t pair = v % 100;
                v /= 100;
                out[i] = kPairs[2 * pair], out[i + 1] = kPairs[2 * pair + 1];
            }
            out[0] = static_cast<char>('0' + v);
        };
        nine(static_cast<uint32_t>(q / 1000000000u), d.digit);
        nine(static_cast<uint32_t>(q % 1000000000u), d.digit + 9);
        d.count = 18;
        d.exponent = E;
        while (d.count > 0 && d.digit[d.count - 1] == '0') --d.count;
        return true;
    }
    return false;
}

}  // namespace

DecimalDigits expand18(double v) {
    DecimalDigits d{};
    d.negative = std::signbit(v);
    if (expandExact(std::fabs(v), d)) return d;
    // std::to_chars(scientific, 17) writes [-]d.ddddddddddddddddde[+-]XX[X]:
    // the digits and the exponent stand at fixed places.
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 17);
    d = DecimalDigits{};
    const char* p = buf;
    d.negative = *p == '-';
    if (d.negative) ++p;
    d.digit[0] = p[0];
    std::memcpy(d.digit + 1, p + 2, 17);
    d.count = 18;
    const char* e = p + 20;  // after "e"
    const bool expNeg = *e == '-';
    int x = 0;
    for (++e; e < r.ptr; ++e) x = x * 10 + (*e - '0');
    d.exponent = (expNeg ? -x : x) + 1;
    while (d.count > 0 && d.digit[d.count - 1] == '0') --d.count;
    return d;
}

void roundDigits(DecimalDigits& d, int keep) {
    if (keep >= d.count) return;
    if (keep < 0) { d.count = 0; return; }
    bool up = d.digit[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digit[i] == '9') d.digit[i--] = '0';
        if (i >= 0) {
            ++d.digit[i];
        } else {
            // All nines (or nothing kept): carry into a new leading digit.
            std::memmove(d.digit + 1, d.digit, static_cast<size_t>(keep));
            d.digit[0] = '1';
            ++d.count;
            ++d.exponent;
        }
    }
    while (d.count > 0 && d.digit[d.count - 1] == '0') --d.count;
}

char* formatGeneral(char* out, double v, char sep) {
    if (v == 0) { *out++ = '0'; return out; }
    if (std::isnan(v)) { std::memcpy(out, "NAN", 3); return out + 3; }
    if (std::isinf(v)) {
        if (v < 0) *out++ = '-';
        std::memcpy(out, "INF", 3);
        return out + 3;
    }
    DecimalDigits d = expand18(v);
    roundDigits(d, 15);
    if (d.negative) *out++ = '-';
    const int k = d.count, E = d.exponent;
    if (E >= -3 && E <= 15) {
        if (E <= 0) {
            *out++ = '0';
            *out++ = sep;
            for (int i = 0; i < -E; ++i) *out++ = '0';
            std::memcpy(out, d.digit, static_cast<size_t>(k));
            out += k;
        } else if (k <= E) {
            std::memcpy(out, d.digit, static_cast<size_t>(k));
            out += k;
            for (int i = k; i < E; ++i) *out++ = '0';
        } else {
            std::memcpy(out, d.digit, static_cast<size_t>(E));
            out += E;
            *out++ = sep;
            std::memcpy(out, d.digit + E, static_cast<size_t>(k - E));
            out += k - E;
        }
    } else {
        *out++ = d.digit[0];
        if (k > 1) {
            *out++ = sep;
            std::memcpy(out, d.digit + 1, static_cast<size_t>(k - 1));
            out += k - 1;
        }
        *out++ = 'E';
        int x = E - 1;
        if (x < 0) { *out++ = '-'; x = -x; }
        out = std::to_chars(out, out + 8, x).ptr;
    }
    return out;
}

std::u16string formatGeneral(double v, const NumberFormat& fmt) {
    char buf[48];
    char* end = formatGeneral(buf, v, '.');
    std::u16string s(buf, end);
    if (fmt.decimalSeparator != u'.')
        for (auto& c : s)
            if (c == u'.') c = fmt.decimalSeparator;
    return s;
}

}  // namespace ravo
