// Transcendental functions evaluated by the x87 unit itself.
//
// The three builds (x86-64 Linux, i686 and x86-64 Windows) ship different libm
// implementations of atanl/sinl/cosl whose last bits differ. The layout
// results are compared byte for byte across builds, so every build uses the
// FPU instructions directly (after a reduction of its own for the sine and
// cosine); their results depend only on the processor.
#pragma once

namespace ravo::x87 {

inline long double atan2(long double y, long double x) {
    long double r;
    __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
}

inline long double atan(long double q) { return atan2(q, 1.0L); }

// The sine and the cosine of t, accurate for any finite t: reduced by π/2
// exactly first, since fsin and fcos reduce with a π that is too short
// (their results near multiples of π/2 are off in the leading digits, and
// for |t| ≥ 2^63 they return t itself).
void sinCos(long double t, long double& s, long double& c);

inline long double sqrt(long double v) {
    long double r;
    __asm__("fsqrt" : "=t"(r) : "0"(v));
    return r;
}

}  // namespace ravo::x87
