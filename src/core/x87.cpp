#include "x87.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace ravo::x87 {

namespace {

// 2/π in binary, 32 bits a word, from the first bit after the point: 1,600
// bits, enough for any argument below 2^1400 (from a double angle in degrees
// the argument stays below 2^1018).
constexpr uint32_t kTwoOverPi[] = {
    0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599, 0x3c439041,
    0xfe5163ab, 0xdebbc561, 0xb7246e3a, 0x424dd2e0, 0x06492eea, 0x09d1921c,
    0xfe1deb1c, 0xb129a73e, 0xe88235f5, 0x2ebb4484, 0xe99c7026, 0xb45f7e41,
    0x3991d639, 0x835339f4, 0x9c845f8b, 0xbdf9283b, 0x1ff897ff, 0xde05980f,
    0xef2f118b, 0x5a0a6d1f, 0x6d367ecf, 0x27cb09b7, 0x4f463f66, 0x9e5fea2d,
    0x7527bac7, 0xebe5f17b, 0x3d0739f7, 0x8a5292ea, 0x6bfb5fb1, 0x1f8d5d08,
    0x56033046, 0xfc7b6bab, 0xf0cfbc20, 0x9af4361d, 0xa9e39161, 0x5ee61b08,
    0x6599855f, 0x14a06840, 0x8dffd880, 0x4d732731, 0x06061556, 0xca73a8c9,
    0x60e27bc0, 0x8c6b47c4};

// π/2 to 128 bits: π/2 = kHalfPi128 · 2^−127, little-endian 32-bit limbs.
constexpr uint32_t kHalfPi128[4] = {0x80dc1cd1u, 0xc4c6628bu, 0x2168c234u, 0xc90fdaa2u};

// mant · 2^exp2 as an extended value, exactly (mant's top bit set).
long double makeExtended(uint64_t mant, int exp2) {
    long double v = 0;
    const uint16_t se = static_cast<uint16_t>(exp2 + 63 + 16383);
    std::memcpy(&v, &mant, 8);
    std::memcpy(reinterpret_cast<char*>(&v) + 8, &se, 2);
    return v;
}

// v = mant · 2^(the result), for finite v ≥ 0.
int splitExtended(long double v, uint64_t& mant) {
    uint16_t se;
    std::memcpy(&mant, &v, 8);
    std::memcpy(&se, reinterpret_cast<const char*>(&v) + 8, 2);
    return (se & 0x7fff) - 16383 - 63;
}

// Bit i of a little-endian limb array.
inline uint32_t bitOf(const uint32_t* limbs, int i) { return (limbs[i / 32] >> (i % 32)) & 1u; }

// 32 bits of 2/π from bit `first` on (bit 1 is the first after the point);
// bits before the point and past the table are zero.
uint32_t bitsOfTwoOverPi(int first) {
    constexpr int kWords = static_cast<int>(sizeof kTwoOverPi / sizeof kTwoOverPi[0]);
    auto word = [](int k) { return k >= 0 && k < kWords ? kTwoOverPi[k] : 0u; };
    const int at = first - 1;                          // from the table's first bit
    const int q = at >= 0 ? at / 32 : -((31 - at) / 32);  // floor division
    const int r = at - 32 * q;
    return r == 0 ? word(q) : (word(q) << r) | (word(q + 1) >> (32 - r));
}

// ---- 128-bit fixed point, little-endian 32-bit limbs ----

struct U128 {
    uint32_t w[4] = {};
};

// out (na + nb limbs) = a · b, little-endian 32-bit limbs.
void mulLimbs(const uint32_t* a, int na, const uint32_t* b, int nb, uint32_t* out) {
    for (int k = 0; k < na + nb; ++k) out[k] = 0;
    for (int i = 0; i < na; ++i) {
        uint64_t carry = 0;
        for (int j = 0; j < nb; ++j) {
            const uint64_t cur = static_cast<uint64_t>(a[i]) * b[j] + out[i + j] + carry;
            out[i + j] = static_cast<uint32_t>(cur);
            carry = cur >> 32;
        }
        out[i + nb] = static_cast<uint32_t>(carry);
    }
}

// The 256-bit product of a and b.
void mul256(const U128& a, const U128& b, uint32_t out[8]) { mulLimbs(a.w, 4, b.w, 4, out); }

// Bits [from, from + 128) of a 256-bit number (bits outside it are zero).
U128 bitsFrom(const uint32_t x[8], int from) {
    auto word = [&](int k) { return k >= 0 && k < 8 ? x[k] : 0u; };
    const int q = from >= 0 ? from / 32 : -((31 - from) / 32), r = from - 32 * q;  // floor division
    U128 out;
    for (int i = 0; i < 4; ++i)
        out.w[i] = r == 0 ? word(q + i) : (word(q + i) >> r) | (word(q + i + 1) << (32 - r));
    return out;
}

// Fixed point with 127 fraction bits: values below 2.
constexpr int kFrac = 127;
U128 fixOne() {
    U128 r;
    r.w[3] = 0x80000000u;
    return r;
}
U128 mulFix(const U128& a, const U128& b) {
    uint32_t x[8];
    mul256(a, b, x);
    return bitsFrom(x, kFrac);
}
U128 divSmall(U128 a, uint32_t d) {
    uint64_t rem = 0;
    for (int k = 3; k >= 0; --k) {
        const uint64_t cur = (rem << 32) | a.w[k];
        a.w[k] = static_cast<uint32_t>(cur / d);
        rem = cur % d;
    }
    return a;
}
U128 subFix(const U128& a, const U128& b) {  // a ≥ b
    U128 r;
    int64_t borrow = 0;
    for (int k = 0; k < 4; ++k) {
        const int64_t cur = static_cast<int64_t>(a.w[k]) - b.w[k] - borrow;
        r.w[k] = static_cast<uint32_t>(cur);
        borrow = cur < 0 ? 1 : 0;
    }
    return r;
}

// x · 2^exp2, rounded to the nearest extended value, ties to even (x > 0,
// 256 bits).
long double roundToExtended(const uint32_t x[8], int exp2) {
    int lead = 255;
    while (lead >= 0 && !bitOf(x, lead)) --lead;
    if (lead < 0) return 0.0L;
    uint64_t mant = 0;
    for (int i = 0; i < 64; ++i) mant = (mant << 1) | (lead - i >= 0 ? bitOf(x, lead - i) : 0u);
    const int cut = lead - 64;  // the highest bit left off
    bool up = false;
    if (cut >= 0 && bitOf(x, cut)) {
        bool rest = false;
        for (int i = cut - 1; i >= 0 && !rest; --i) rest = bitOf(x, i) != 0;
        up = rest || (mant & 1u);
    }
    int e = lead - 63 + exp2;
    if (up && ++mant == 0) {
        mant = 0x8000000000000000ull;
        ++e;
    }
    return makeExtended(mant, e);
}

// t = r + q·π/2 with |r| ≤ π/4, r = ±R · 2^scale (R's top bit, bit 127,
// set), for finite t > 0 below 2^1400. Integer arithmetic throughout: t's
// 64-bit mantissa times 256 bits of 2/π gives the quadrant and the fraction
// (Payne and Hanek's method), the fraction's leading 128 bits times π/2 to
// 128 bits give r, exact to far below the last bit of an extended value.
// The window is that wide for the extended values nearest a multiple of π/2:
// their fraction starts some 60 bits below the point, and 192 bits left too
// few exact bits after it.
void reduce(long double t, U128& R, int& scale, bool& negative, int& q) {
    uint64_t m;
    const int e = splitExtended(t, m);  // t = m · 2^e
    // Bits of 2/π before `first` turn t·2/π into multiples of 4, which leave
    // the quadrant and the remainder alone.
    const int first = e - 1;
    constexpr int kWords = 8;                // the window: 256 bits
    constexpr int kPoint = 32 * kWords - 2;  // t·2/π is p / 2^kPoint modulo 4
    uint32_t w[kWords];                      // little-endian: w[kWords − 1] most significant
    for (int j = 0; j < kWords; ++j) w[kWords - 1 - j] = bitsOfTwoOverPi(first + 32 * j);
    uint32_t p[kWords + 2];
    const uint32_t mv[2] = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32)};
    mulLimbs(mv, 2, w, kWords, p);
    constexpr int top = kWords - 1;  // the limb holding the quadrant's two bits
    q = static_cast<int>((p[top] >> 30) & 3u);
    p[top] &= 0x3fffffffu;
    // The fraction p / 2^kPoint lies in [0, 1); above a half, take its
    // distance to 1 and the next quadrant.
    negative = false;
    if (p[top] & 0x20000000u) {
        negative = true;
        q = (q + 1) & 3;
        for (int k = 0; k < kWords; ++k) p[k] = ~p[k];  // p := 2^kPoint − p
        p[top] &= 0x3fffffffu;
        uint64_t carry = 1;
        for (int k = 0; k < kWords && carry; ++k) {
            const uint64_t cur = static_cast<uint64_t>(p[k]) + carry;
            p[k] = static_cast<uint32_t>(cur);
            carry = cur >> 32;
        }
    }
    int lead = -1;
    for (int k = kWords - 1; k >= 0 && lead < 0; --k)
        if (p[k] != 0) lead = 32 * k + 31 - __builtin_clz(p[k]);
    R = U128{};
    if (lead < 0) {
        scale = 0;
        return;
    }
    // f: the fraction's leading 128 bits; the fraction is f · 2^(lead − 127 − kPoint).
    const U128 f = bitsFrom(p, lead - 127);
    U128 halfPi;
    for (int k = 0; k < 4; ++k) halfPi.w[k] = kHalfPi128[k];
    uint32_t x[8];
    mul256(f, halfPi, x);  // r = x · 2^(lead − 127 − kPoint − 127)
    const int xLead = bitOf(x, 255) ? 255 : 254;  // both factors are normalised
    R = bitsFrom(x, xLead - 127);
    scale = lead - 127 - kPoint - 127 + xLead - 127;
}

// sin r and cos r for r = R · 2^scale (R ≠ 0, r ≤ π/4): the 128-bit series
// with exact small divisions, rounded once. The reference the quick series
// must agree with.
void seriesExact(const U128& R, int scale, long double& sr, long double& cr) {
    // u = r² in fixed point; r < 1, so scale ≤ −128 and the shift is
    // at least 129 bits.
    uint32_t x[8];
    mul256(R, R, x);
    const U128 u = bitsFrom(x, -(2 * scale + kFrac));
    // Horner's scheme on the Taylor series, with the terms past the
    // 18th below 2^−130 for |r| ≤ π/4:
    //   sin r = r · (1 − u/(2·3) · (1 − u/(4·5) · (1 − …)))
    //   cos r = 1 − u/(1·2) · (1 − u/(3·4) · (1 − …))
    U128 S = fixOne(), C = fixOne();
    for (uint32_t k = 18; k >= 1; --k) {
        S = subFix(fixOne(), divSmall(mulFix(u, S), (2 * k) * (2 * k + 1)));
        C = subFix(fixOne(), divSmall(mulFix(u, C), (2 * k - 1) * (2 * k)));
    }
    mul256(R, S, x);
    sr = roundToExtended(x, scale - kFrac);
    uint32_t cx[8] = {C.w[0], C.w[1], C.w[2], C.w[3], 0, 0, 0, 0};
    cr = roundToExtended(cx, -kFrac);

}

// ---- the quick series: 128-bit fixed point on 64-bit words ----
//
// The exact series spends its time in 36 multi-word divisions a call. The
// quick one evaluates the same Taylor series with the factorials' inverses
// as constants, one multiplication a term. Both lie within 2^−120 of the
// series' true value (a few units of the last of 127 bits). Whenever the quick
// value lies within kMargin of a halfway point between two extended values,
// the two could round apart, and the exact series decides instead (about
// one call in 2^39), so both give the same bits.

struct Q {  // (hi · 2^64 + lo) / 2^127: Q1.127, values below 2
    uint64_t hi = 0, lo = 0;
};

inline void mul64(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo) {
#ifdef __SIZEOF_INT128__
    const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
    hi = static_cast<uint64_t>(p >> 64);
    lo = static_cast<uint64_t>(p);
#else
    const uint64_t a0 = static_cast<uint32_t>(a), a1 = a >> 32;
    const uint64_t b0 = static_cast<uint32_t>(b), b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t mid = (p00 >> 32) + static_cast<uint32_t>(p01) + static_cast<uint32_t>(p10);
    lo = (mid << 32) | static_cast<uint32_t>(p00);
    hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
#endif
}

// s + a, with the carry out added to `carry`.
inline uint64_t addCarry(uint64_t s, uint64_t a, uint64_t& carry) {
    s += a;
    carry += s < a;
    return s;
}

// The 256-bit product a · b as four words, least significant first.
void mulFull(const Q& a, const Q& b, uint64_t w[4]) {
    uint64_t h00, l00, h01, l01, h10, l10, h11, l11;
    mul64(a.lo, b.lo, h00, l00);
    mul64(a.lo, b.hi, h01, l01);
    mul64(a.hi, b.lo, h10, l10);
    mul64(a.hi, b.hi, h11, l11);
    uint64_t c1 = 0, c2 = 0;
    w[0] = l00;
    w[1] = addCarry(addCarry(h00, l01, c1), l10, c1);
    w[2] = addCarry(addCarry(addCarry(h01, h10, c2), l11, c2), c1, c2);
    w[3] = h11 + c2;
}

// Bits [from, from + 128) of a 256-bit number; bits past its top are zero.
Q bitsFrom(const uint64_t w[4], int from) {
    auto word = [&](int k) { return k >= 0 && k < 4 ? w[k] : 0ull; };
    const int q = from / 64, r = from % 64;  // from ≥ 0
    auto at = [&](int k) { return r == 0 ? word(k) : (word(k) >> r) | (word(k + 1) << (64 - r)); };
    return Q{at(q + 1), at(q)};
}

Q mulQ(const Q& a, const Q& b) {  // truncated: below 2^−127 short
    static_assert(kFrac == 127);      // bits [127, 255) of the product
    uint64_t w[4];
    mulFull(a, b, w);
    return Q{(w[3] << 1) | (w[2] >> 63), (w[2] << 1) | (w[1] >> 63)};
}

Q subQ(const Q& a, const Q& b) {  // a ≥ b
    return Q{a.hi - b.hi - (a.lo < b.lo), a.lo - b.lo};
}

// floor(a / d), digit by 32-bit digit; for the constants below.
constexpr Q divQ(const Q& a, uint32_t d) {
    uint32_t w[4] = {static_cast<uint32_t>(a.hi >> 32), static_cast<uint32_t>(a.hi),
                     static_cast<uint32_t>(a.lo >> 32), static_cast<uint32_t>(a.lo)};
    uint64_t rem = 0;
    for (uint32_t& digit : w) {
        const uint64_t cur = (rem << 32) | digit;
        digit = static_cast<uint32_t>(cur / d);
        rem = cur % d;
    }
    return Q{(static_cast<uint64_t>(w[0]) << 32) | w[1], (static_cast<uint64_t>(w[2]) << 32) | w[3]};
}

// 1/(2k+1)! and 1/(2k)!, k = 0 … kTerms, each a floor of 2^127 divided by
// 1, 2, 3, … in turn (which is the floor of 2^127 divided by the product).
// The terms past kTerms stay below 2^−128 for |r| ≤ π/4.
constexpr int kTerms = 16;
struct InverseFactorials {
    Q odd[kTerms + 1], even[kTerms + 1];
};
constexpr InverseFactorials kInverseFactorials = [] {
    InverseFactorials t;
    Q f{1ull << 63, 0};
    t.even[0] = f;
    for (uint32_t n = 1; n <= 2 * kTerms + 1; ++n) {
        f = divQ(f, n);
        (n % 2 ? t.odd[(n - 1) / 2] : t.even[n / 2]) = f;
    }
    t.odd[0] = t.even[0];
    return t;
}();

// Room kept on each side of a halfway point, in units of the 128-bit
// mantissa's last bit: both series' errors together, 2^5 units at most, many
// times over.
constexpr uint64_t kMargin = 1ull << 24;

// m · 2^exp2 (m's top bit, bit 127, set), rounded to extended; false when it
// lies too near a halfway point to say.
bool roundQuick(const Q& m, int exp2, long double& out) {
    constexpr uint64_t kHalf = 1ull << 63;
    if (m.lo > kHalf - kMargin && m.lo < kHalf + kMargin) return false;
    uint64_t mant = m.hi;
    int e = exp2 + 64;
    if (m.lo > kHalf && ++mant == 0) {
        mant = 1ull << 63;
        ++e;
    }
    out = makeExtended(mant, e);
    return true;
}

inline int leadOf(uint64_t w) { return 63 - __builtin_clzll(w); }

// sin r and cos r as seriesExact gives them, or false when the exact series
// must decide.
bool seriesQuick(const U128& R32, int scale, long double& sr, long double& cr) {
    const Q R{(static_cast<uint64_t>(R32.w[3]) << 32) | R32.w[2],
              (static_cast<uint64_t>(R32.w[1]) << 32) | R32.w[0]};
    uint64_t x[4];
    mulFull(R, R, x);
    const int shift = -(2 * scale + kFrac);  // at least 129, as in seriesExact
    const Q u = shift < 256 ? bitsFrom(x, shift) : Q{};
    // Horner's scheme with positive partial sums: each term is far larger
    // than u times the next.
    const InverseFactorials& f = kInverseFactorials;
    Q S = f.odd[kTerms], C = f.even[kTerms];
    for (int k = kTerms - 1; k >= 0; --k) {
        S = subQ(f.odd[k], mulQ(u, S));
        C = subQ(f.even[k], mulQ(u, C));
    }
    // sin r = R · S · 2^(scale − 127); R · S lies in [0.9 · 2^254, 2^255).
    mulFull(R, S, x);
    const int lead = 192 + leadOf(x[3]);
    if (!roundQuick(bitsFrom(x, lead - 127), scale - kFrac + lead - 127, sr)) return false;
    // cos r = C · 2^−127, C in [0.7 · 2^127, 2^127].
    const int cLead = C.hi >> 63 ? 127 : 126;
    const Q M = cLead == 127 ? C : Q{(C.hi << 1) | (C.lo >> 63), C.lo << 1};
    return roundQuick(M, -kFrac + cLead - 127, cr);
}

}  // namespace

void sinCos(long double t, long double& s, long double& c) {
    if (!(t - t == 0)) {  // NaN or infinity
        s = c = t - t;
        return;
    }
    const bool negativeT = t < 0;
    const long double a = negativeT ? -t : t;
    // Beyond the table's reach (no double angle in degrees comes near it):
    // no value rather than a wrong one.
    if (a >= 0x1p1400L) {
        s = c = std::numeric_limits<long double>::quiet_NaN();
        return;
    }
    // Below 2^−33, sin t rounds to t and cos t to 1.
    if (a < 0x1p-33L) {
        s = t;
        c = 1.0L;
        return;
    }
    U128 R;
    int scale = 0, q = 0;
    bool negativeR = false;
    if (a <= 0.78539816339744830961L) {
        uint64_t m;
        scale = splitExtended(a, m) - 64;
        R.w[3] = static_cast<uint32_t>(m >> 32);
        R.w[2] = static_cast<uint32_t>(m);
    } else {
        reduce(a, R, scale, negativeR, q);
    }
    long double sr = 0.0L, cr = 1.0L;
    if (R.w[3] != 0 && !seriesQuick(R, scale, sr, cr)) seriesExact(R, scale, sr, cr);
    if (negativeR) sr = -sr;
    switch (q) {
    case 0: s = sr; c = cr; break;
    case 1: s = cr; c = -sr; break;
    case 2: s = -sr; c = -cr; break;
    default: s = -cr; c = sr; break;
    }
    if (negativeT) s = -s;
}

}  // namespace ravo::x87
