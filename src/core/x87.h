// Transcendental functions evaluated by the x87 unit itself.
//
// The two builds (x86-64 Linux and i686 Windows) ship different libm
// implementations of atanl/sinl/cosl whose last bits differ. The layout
// results are compared byte for byte across builds, so both builds use the
// FPU instructions directly; their results depend only on the processor.
#pragma once

namespace ravo::x87 {

inline long double atan2(long double y, long double x) {
    long double r;
    __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
}

inline long double atan(long double q) { return atan2(q, 1.0L); }

inline long double sin(long double t) {
    long double r;
    __asm__("fsin" : "=t"(r) : "0"(t));
    return r;
}

inline long double cos(long double t) {
    long double r;
    __asm__("fcos" : "=t"(r) : "0"(t));
    return r;
}

inline long double sqrt(long double v) {
    long double r;
    __asm__("fsqrt" : "=t"(r) : "0"(v));
    return r;
}

}  // namespace ravo::x87
