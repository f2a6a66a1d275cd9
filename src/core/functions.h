// Rounding, angle, distance and rotation arithmetic, the tokenizer, the
// number test and the fixed-width number texts.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "number_text.h"

namespace ravo {

// The short constants the geometry is defined with (not pi to full precision).
inline constexpr long double kPi15 = 3.14159265358979L;
inline constexpr long double kTwoPi15 = 6.28318530717958L;
inline constexpr double kHalfPi16 = 1.570796326794895;
// pi at full extended precision, for the run angle in degrees.
inline constexpr long double kPiFull = 3.14159265358979323846264338327950288L;

void swapValues(double& a, double& b);

// x rounded to 5 decimals. Outside |x| * 1e5 < 2^63 (and for NaN) the value
// is returned unchanged: it has no digits at that place anyway.
// An extended-precision result rounded to the double it is stored as.
inline double toDouble(long double v) { return static_cast<double>(v); }

double round5(double x);

// Nearest integer, halves away from zero. Clamped to the int32 range;
// NaN gives 0.
int32_t roundInt(double x);

// Direction of (dx, dy) in radians, 0 <= a < 2 pi (with the short constants).
double vecAngle(double dx, double dy);

double distance2D(double x1, double y1, double x2, double y2);

// cos and sin of a rotation angle in degrees (with the short π), each
// rounded to a double. Computed once per angle by callers that turn many
// points.
struct Rotation {
    double c, s;
    explicit Rotation(double angleDegrees);
    // The rotation onto a direction already known as a unit vector.
    Rotation(double cosine, double sine) : c(cosine), s(sine) {}
    // In extended precision, each result rounded once (inline: the layout
    // turns every point of a run through it).
    void apply(double x, double y, double& xr, double& yr) const {
        const long double lx = x, ly = y;
        xr = static_cast<double>(lx * c - ly * s);
        yr = static_cast<double>(lx * s + ly * c);
    }
};

// Tokenizer. `slots` has n + 1 entries. Every slot is emptied, then tokens
// are stored from slot 0; tokens beyond slot n are counted but not stored.
int splitText(std::u16string* slots, int n, std::u16string_view text, char16_t delimiter = u' ');

bool isNumeric(std::u16string_view text);

std::u16string padInt(int32_t value, int width);
std::u16string padFloat(int width, double value, const NumberFormat& fmt);

}  // namespace ravo
