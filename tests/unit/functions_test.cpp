#include "core/functions.h"

#include <quadmath.h>

#include <cmath>
#include <limits>

#include "core/x87.h"
#include "test_support.h"

namespace ravo {
namespace {

TEST(Round5, HalvesGoAwayFromZeroInExtendedPrecision) {
    EXPECT_EQ(round5(1.0 / 64), 0.01563);   // 0.015625 exactly: a half
    EXPECT_EQ(round5(-1.0 / 64), -0.01563);
    EXPECT_EQ(round5(0.25e-5), 0.0);
    EXPECT_FALSE(std::signbit(round5(-0.25e-5)));  // a zero result is +0
    EXPECT_EQ(round5(15.5e-5), 15e-5);      // the double lies just below the half
    EXPECT_EQ(round5(123.456789), 123.45679);
}

TEST(Round5, SafeOutsideItsRange) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(round5(1e300), 1e300);
    EXPECT_EQ(round5(-1e300), -1e300);
    EXPECT_EQ(round5(inf), inf);
    EXPECT_EQ(round5(-inf), -inf);
    EXPECT_TRUE(std::isnan(round5(std::nan(""))));
    EXPECT_EQ(round5(9.2e13), 9.2e13);  // just below 2^63 / 1e5 still rounds
}

TEST(RoundInt, HalvesAndClamps) {
    EXPECT_EQ(roundInt(2.5), 3);
    EXPECT_EQ(roundInt(-2.5), -3);
    EXPECT_EQ(roundInt(-0.5), -1);
    EXPECT_EQ(roundInt(0.49999999999999994), 0);  // largest double below 0.5
    EXPECT_EQ(roundInt(-0.0), 0);
    EXPECT_EQ(roundInt(2147483646.5), 2147483647);
    EXPECT_EQ(roundInt(2147483647.4), 2147483647);
    EXPECT_EQ(roundInt(1e300), 2147483647);
    EXPECT_EQ(roundInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(roundInt(std::numeric_limits<double>::infinity()), 2147483647);
    EXPECT_EQ(roundInt(-std::numeric_limits<double>::infinity()), -2147483647 - 1);
    EXPECT_EQ(roundInt(std::nan("")), 0);
}

TEST(VecAngle, ShortConstantsAndQuadrants) {
    const double a1 = static_cast<double>(std::atan(1.0L));
    EXPECT_EQ(vecAngle(1, 0), 0.0);
    EXPECT_EQ(vecAngle(5, -0.0), 0.0);
    EXPECT_EQ(vecAngle(1, 1), a1);
    EXPECT_EQ(vecAngle(0, 1), 1.570796326794895);
    EXPECT_EQ(vecAngle(-0.0, 1), 1.570796326794895);
    EXPECT_EQ(vecAngle(0, 0), 1.570796326794895);
    EXPECT_EQ(vecAngle(-1, 1), static_cast<double>(3.14159265358979L - a1));
    EXPECT_EQ(vecAngle(-1, 0), static_cast<double>(3.14159265358979L));
    EXPECT_EQ(vecAngle(-1, -1), static_cast<double>(3.14159265358979L + a1));
    EXPECT_EQ(vecAngle(0, -1), static_cast<double>(6.28318530717958L - 1.570796326794895));
    EXPECT_EQ(vecAngle(1, -1), static_cast<double>(6.28318530717958L - a1));
    EXPECT_NE(vecAngle(-1, 0), M_PI);  // not pi to full precision
}

TEST(Geometry, DistanceAndRotation) {
    EXPECT_EQ(distance2D(0, 0, 3, 4), 5);
    EXPECT_EQ(distance2D(0, 0, 480, 640), 800);
    // (1e308)^2 overflows a double but not the extended intermediate.
    EXPECT_EQ(distance2D(0, 0, 1e154, 0), 1e154);
    EXPECT_EQ(distance2D(-1e308, 0, 1e308, 0), std::numeric_limits<double>::infinity());
    double x, y;
    Rotation(90).apply(1, 0, x, y);
    EXPECT_GT(x, 1e-15);  // the short pi leaves cos 90 at about 1.6e-15
    EXPECT_LT(x, 2e-15);
    EXPECT_EQ(y, 1);
    // The result may land in the arguments' own variables.
    x = 1;
    y = 0;
    Rotation(180).apply(x, y, x, y);
    EXPECT_NEAR(x, -1, 1e-15);
    EXPECT_NEAR(y, 0, 1e-14);
    Rotation r(53.13010235415598);
    double ax, ay;
    r.apply(400, 0, ax, ay);
    EXPECT_NEAR(ax, 240, 1e-9);
    EXPECT_NEAR(ay, 320, 1e-9);
}

// The cosine and sine of the extended argument, rounded to doubles, against
// the C library's extended-precision functions: at the quarter turns (where
// the bare x87 instructions are off in the leading digits), at huge
// arguments (where they give up), and on a sweep of angles.
TEST(Geometry, RotationTakesTheCosineOfTheExtendedArgument) {
    double x, y;
    Rotation(90).apply(1, 0, x, y);
    EXPECT_EQ(x, 1.6192308618190374e-15);
    EXPECT_EQ(y, 1);
    auto check = [](double angle) {
        const long double t = static_cast<long double>(angle) / 180 * 3.14159265358979L;
        const Rotation r(angle);
        EXPECT_EQ(r.c, static_cast<double>(cosl(t))) << std::hexfloat << angle;
        EXPECT_EQ(r.s, static_cast<double>(sinl(t))) << std::hexfloat << angle;
    };
    for (double a : {90.0, 180.0, 270.0, 360.0, -90.0, 45.0, 135.0, 1e6, 1e20, 9.3e18, 1e300, -1e300, 1.7e308})
        check(a);
    // The angles of runs straight up, left and down: just below the quarters.
    for (auto [dx, dy] : {std::pair{0.0, 800.0}, {-800.0, 0.0}, {0.0, -800.0}})
        check(static_cast<double>(static_cast<long double>(vecAngle(dx, dy)) * 180 / 3.14159265358979323846L));
    for (int k = -4000; k <= 4000; ++k) check(k * 0.09 + k * 1e-13);
}

// The extended arguments nearest the multiples of π/2, and their neighbours,
// where the reduction needs the most bits of 2/π: the sine and cosine in
// extended precision against quad precision rounded to extended (and so to
// the double a rotation keeps).
TEST(Geometry, SineAndCosineNextToQuarterTurns) {
    int wrong = 0, wrongAsDouble = 0, checked = 0;
    auto check = [&](long double t) {
        long double s, c;
        x87::sinCos(t, s, c);
        const long double ws = static_cast<long double>(sinq(static_cast<__float128>(t)));
        const long double wc = static_cast<long double>(cosq(static_cast<__float128>(t)));
        ++checked;
        if (s != ws || c != wc) {
            if (++wrong <= 5) ADD_FAILURE() << std::hexfloat << t << ": " << s << " " << c << " want " << ws << " " << wc;
        }
        if (static_cast<double>(s) != static_cast<double>(ws) || static_cast<double>(c) != static_cast<double>(wc))
            ++wrongAsDouble;
    };
    const __float128 halfPi = strtoflt128("1.57079632679489661923132169163975144209858469968755291048747229615", nullptr);
    std::vector<long double> quarters;
    for (long long k = 1; k <= 400; ++k) quarters.push_back(static_cast<long double>(k * halfPi));
    for (long long k = 1LL << 20; k < (1LL << 62); k = k * 7 + 3)  // far out: the window slides along 2/π
        quarters.push_back(static_cast<long double>(static_cast<__float128>(k) * halfPi));
    for (long double base : quarters) {
        long double up = base, down = base;
        check(base);
        check(-base);
        for (int j = 0; j < 5; ++j) {
            up = std::nextafter(up, INFINITY);
            down = std::nextafter(down, 0.0L);
            check(up);
            check(down);
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << checked;
    EXPECT_EQ(wrongAsDouble, 0) << "of " << checked;
}

std::u16string slot(const std::u16string* s, int i) { return s[i]; }

TEST(SplitText, BlanksAndQuotes) {
    std::u16string s[4];
    for (auto& x : s) x = u"stale";
    EXPECT_EQ(splitText(s, 3, u"  10 20  30 "), 3);
    EXPECT_EQ(slot(s, 0), u"10");
    EXPECT_EQ(slot(s, 2), u"30");
    EXPECT_EQ(slot(s, 3), u"");
    EXPECT_EQ(splitText(s, 3, u""), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(slot(s, i), u"");
    EXPECT_EQ(splitText(s, 3, u"a  \"p q\" d"), 3);
    EXPECT_EQ(slot(s, 1), u"p q");
    EXPECT_EQ(slot(s, 2), u"d");
    EXPECT_EQ(splitText(s, 3, u"\"x"), 1);
    EXPECT_EQ(slot(s, 0), u"x");
    EXPECT_EQ(splitText(s, 3, u"\"\" 5"), 2);
    EXPECT_EQ(slot(s, 0), u"");
    EXPECT_EQ(slot(s, 1), u"5");
    EXPECT_EQ(splitText(s, 3, u"\"a\"\"b\"c"), 2);  // doubled quote; text after the close starts a token
    EXPECT_EQ(slot(s, 0), u"a\"b");
    EXPECT_EQ(slot(s, 1), u"c");
    EXPECT_EQ(splitText(s, 3, u"ab\"cd ef"), 2);  // a quote inside an unquoted token is ordinary
    EXPECT_EQ(slot(s, 0), u"ab\"cd");
    EXPECT_EQ(splitText(s, 3, u"a\tb\x01" u"c"), 3);  // codes 1..32 are blanks
    EXPECT_EQ(splitText(s, 3, u"a\u3000b"), 1);       // the ideographic space is not
    EXPECT_EQ(splitText(s, 3, std::u16string(u"a b\0c d", 7)), 2);  // NUL ends the text
}

TEST(SplitText, OtherDelimiter) {
    std::u16string s[5];
    EXPECT_EQ(splitText(s, 4, u"a, b,,c,", u','), 5);
    EXPECT_EQ(slot(s, 0), u"a");
    EXPECT_EQ(slot(s, 1), u"b");
    EXPECT_EQ(slot(s, 2), u"");
    EXPECT_EQ(slot(s, 3), u"c");
    EXPECT_EQ(slot(s, 4), u"");
}

TEST(SplitText, NeverWritesPastTheSlots) {
    // 128 one-character tokens into 101 slots, with guards either side.
    std::u16string line;
    for (int i = 0; i < 128; ++i) line += u"x ";
    std::u16string buf[103];
    buf[0] = u"guard";
    buf[102] = u"guard";
    EXPECT_EQ(splitText(buf + 1, 100, line), 128);
    EXPECT_EQ(buf[0], u"guard");
    EXPECT_EQ(buf[102], u"guard");
    EXPECT_EQ(buf[101], u"x");
}

TEST(IsNumeric, Grammar) {
    for (const char16_t* yes : {u"", u"12", u"-3.5", u" 7", u"1e5", u"1.", u".5", u".", u"e5", u"+1E-3"})
        EXPECT_TRUE(isNumeric(yes)) << u16ToUtf8(yes);
    for (const char16_t* no : {u"+", u"-", u" ", u"1 ", u"1,5", u"1e", u"1.2.3", u"0x1F", u"abc", u"1e+"})
        EXPECT_FALSE(isNumeric(no)) << u16ToUtf8(no);
}

TEST(Pad, IntAndFloat) {
    NumberFormat dot, comma{u','};
    EXPECT_EQ(padInt(5, 3), u"  5");
    EXPECT_EQ(padInt(-7, 3), u" -7");
    EXPECT_EQ(padInt(1234, 3), u"1234");
    EXPECT_EQ(padFloat(8, 12.34, dot), u"    12.3");
    EXPECT_EQ(padFloat(3, 12, dot), u"12.0");
    EXPECT_EQ(padFloat(8, 0.05, dot), u"     0.1");
    EXPECT_EQ(padFloat(8, -0.04, dot), u"     0.0");
    EXPECT_EQ(padFloat(8, 0.96, dot), u"     1.0");
    EXPECT_EQ(padFloat(8, -12.25, dot), u"   -12.3");
    EXPECT_EQ(padFloat(8, 1e-7, dot), u"     0.0");
    EXPECT_EQ(padFloat(8, 1.5, comma), u"     1,5");
    EXPECT_EQ(padFloat(1, 123456789012.0, dot), u"123456789012.0");
}

}  // namespace
}  // namespace ravo
