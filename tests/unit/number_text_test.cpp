#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace ravo {
namespace {

std::string G(double v, char sep = '.') {
    char buf[48];
    return std::string(buf, formatGeneral(buf, v, sep));
}

TEST(GeneralFormat, ExamplesAndBoundaries) {
    EXPECT_EQ(G(12.5), "12.5");
    EXPECT_EQ(G(-0.25), "-0.25");
    EXPECT_EQ(G(100), "100");
    EXPECT_EQ(G(0.001), "0.001");
    EXPECT_EQ(G(1e-4), "0.0001");
    EXPECT_EQ(G(1e-5), "1E-5");
    EXPECT_EQ(G(9e-5), "9E-5");
    EXPECT_EQ(G(1e15), "1E15");
    EXPECT_EQ(G(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(G(1.5e17), "1.5E17");
    EXPECT_EQ(G(0.0), "0");
    EXPECT_EQ(G(-0.0), "0");
    EXPECT_EQ(G(-2.5), "-2.5");
    EXPECT_EQ(G(999999999999999.0), "999999999999999");
    EXPECT_EQ(G(1e308), "1E308");
    EXPECT_EQ(G(-1e308), "-1E308");
    EXPECT_EQ(G(123456789012345678.0), "1.23456789012346E17");
    EXPECT_EQ(G(5e-324), "4.94065645841247E-324");
    EXPECT_EQ(G(1.5, ','), "1,5");
    EXPECT_EQ(G(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(G(0.1 + 0.2), "0.3");
    EXPECT_EQ(G(9999999999999995.0), "1E16");
}

// The 15 digits come from the 18-digit expansion, not from the value
// itself: 865.6067342856295 is stored just below ...2955, its 18 digits
// round up to ...295500, which is a half at 15 digits and goes up.
TEST(GeneralFormat, RoundsTheEighteenDigitExpansion) {
    const double v = 865.6067342856295;
    char exp18[40];
    *std::to_chars(exp18, exp18 + 40, v, std::chars_format::scientific, 17).ptr = 0;
    EXPECT_STREQ(exp18, "8.65606734285629500e+02");
    char direct[40];
    *std::to_chars(direct, direct + 40, v, std::chars_format::scientific, 14).ptr = 0;
    EXPECT_STREQ(direct, "8.65606734285629e+02");
    EXPECT_EQ(G(v), "865.60673428563");
    EXPECT_EQ(G(-v), "-865.60673428563");
    EXPECT_EQ(G(217.9893001615375), "217.989300161538");
}

// Sweep against an independent reference: parse the printed text back and
// compare with the 15-digit rounding of the 18-digit expansion done on a
// decimal string by other means (printf).
TEST(GeneralFormat, SweepAgreesWithPrintfReference) {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    std::uniform_int_distribution<int> ex(-8, 18);
    for (int k = 0; k < 20000; ++k) {
        double v = mant(rng) * std::pow(10.0, ex(rng));
        if (v == 0) continue;
        char e18[64];
        std::snprintf(e18, sizeof e18, "%.17e", std::fabs(v));
        // Round the digit string half up at 15 digits.
        std::string digits;
        for (const char* p = e18; *p && *p != 'e'; ++p)
            if (*p != '.') digits.push_back(*p);
        int exp10 = std::atoi(std::strchr(e18, 'e') + 1);
        bool up = digits[15] >= '5';
        digits.resize(15);
        if (up) {
            int i = 14;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i < 0) { digits.insert(digits.begin(), '1'); digits.pop_back(); ++exp10; }
            else ++digits[i];
        }
        double expected = std::strtod((digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exp10)).c_str(), nullptr);
        if (v < 0) expected = -expected;
        std::string text = G(v);
        for (char& c : text) if (c == 'E') c = 'e';
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), expected) << G(v) << " for " << e18;
    }
}

// The 18-digit expansion, worked out exactly for a drawing's values, against
// std::to_chars: random doubles over every binary exponent the exact way
// takes and past its edges, and the neighbours of every power of ten.
TEST(GeneralFormat, ExpansionAgreesWithToChars) {
    auto reference = [](double v) {
        char buf[40];
        const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 17);
        std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 17);
        while (!digits.empty() && digits.back() == '0') digits.pop_back();
        return digits + "e" + std::to_string(std::atoi(std::string(buf + 20, r.ptr).c_str()) + 1);
    };
    auto got = [](double v) {
        const DecimalDigits d = expand18(v);
        return std::string(d.digit, static_cast<size_t>(d.count)) + "e" + std::to_string(d.exponent);
    };
    std::vector<double> values;
    std::mt19937_64 rng(7);
    for (int k = 0; k < 1000000; ++k) {
        const int exp2 = static_cast<int>(rng() % 80) - 16;  // 2^−16 … 2^63
        values.push_back(std::ldexp(static_cast<double>(rng() >> 11) / 9007199254740992.0 + 0.5, exp2));
    }
    for (int e = -6; e <= 18; ++e) {
        const double p = std::pow(10.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, INFINITY), p * 1.5, p / 2})
            values.push_back(v);
    }
    for (double v : {0.5, 0.125, 1e-3, 2.5e-4, 9007199254740991.0, 9007199254740992.0, 123456789.123456789})
        values.push_back(v);
    for (double v : values) {
        ASSERT_EQ(got(v), reference(v)) << std::hexfloat << v;
        ASSERT_EQ(got(-v), reference(v)) << std::hexfloat << -v;
        ASSERT_TRUE(expand18(-v).negative);
    }
}

TEST(NumberText, RealsFollowTheGrammar) {
    NumberFormat dot{u'.'}, comma{u','};
    EXPECT_EQ(strToFloat(u"12.5", dot), 12.5);
    EXPECT_EQ(strToFloat(u"  -3.25e2  ", dot), -325);
    EXPECT_EQ(strToFloat(u"+1E-3", dot), 0.001);
    EXPECT_EQ(strToFloat(u"5.", dot), 5);
    EXPECT_EQ(strToFloat(u".5", dot), 0.5);
    EXPECT_EQ(strToFloat(u"1,5", comma), 1.5);
    EXPECT_EQ(strToFloat(u"1e-400", dot), 0);
    EXPECT_EQ(strToFloat(u"1.7976931348623157e308", dot), 1.7976931348623157e308);
    EXPECT_RAISES(strToFloat(u"1,5", dot), ConvertError, "'1,5' は浮動小数点数ではありません");
    EXPECT_RAISES(strToFloat(u"1.5", comma), ConvertError, "'1.5' は浮動小数点数ではありません");
    EXPECT_RAISES(strToFloat(u"", dot), ConvertError, "'' は浮動小数点数ではありません");
    for (const char16_t* bad : {u".", u"-", u"1e", u"1e+", u"1.2.3", u"0x10", u"1 2", u"abc", u"1e400", u"--1", u"１"})
        EXPECT_THROW(strToFloat(bad, dot), ConvertError) << u16ToUtf8(bad);
}

TEST(NumberText, IntegersDecimalAndHex) {
    EXPECT_EQ(strToInt(u"12"), 12);
    EXPECT_EQ(strToInt(u"  -7"), -7);
    EXPECT_EQ(strToInt(u"$1F"), 31);
    EXPECT_EQ(strToInt(u"xff"), 255);
    EXPECT_EQ(strToInt(u"0X10"), 16);
    EXPECT_EQ(strToInt(u"-$A"), -10);
    EXPECT_EQ(strToInt(u"2147483647"), 2147483647);
    EXPECT_EQ(strToInt(u"-2147483648"), -2147483647 - 1);
    EXPECT_RAISES(strToInt(u"2147483648"), ConvertError, "'2147483648' は整数ではありません");
    EXPECT_RAISES(strToInt(u"1.5"), ConvertError, "'1.5' は整数ではありません");
    EXPECT_RAISES(strToInt(u"$G"), ConvertError, "'$G' は整数ではありません");
    for (const char16_t* bad : {u"", u"$", u"7 ", u"0x", u"+", u"99999999999999999999"})
        EXPECT_THROW(strToInt(bad), ConvertError) << u16ToUtf8(bad);
}

}  // namespace
}  // namespace ravo

namespace ravo {
namespace {

// The ASCII conversion takes a shortcut for common tokens; it must agree
// with the UTF-16 one (the full grammar) on every token.
TEST(NumberText, AsciiShortcutAgreesWithTheGrammar) {
    std::vector<std::string> tokens = {"12.5", "-0", "+5", "+-5", "-+5", "inf", "nan", "-inf", "1e", "1e+", ".", "-.",
                                       ".5", "5.", "-.5e-3", "1e-400", "-1e-400", "1e400", "0x10", "1,5", " 7", "7 ",
                                       "", "00012", "1.7976931348623157e308", "4.9e-324", "1_000", "e5", "1E5", "--1"};
    std::mt19937 rng(3);
    const char alphabet[] = "0123456789.+-eE ,x";
    for (int i = 0; i < 20000; ++i) {
        std::string t;
        int len = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < len; ++k) t.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
        tokens.push_back(t);
    }
    for (const std::string& t : tokens) {
        for (char sep : {'.', ','}) {
            double a = -1, b = -1;
            bool okA = tryStrToFloat(std::string_view(t), sep, a);
            bool okB = tryStrToFloat(asciiToU16(t), static_cast<char16_t>(sep), b);
            ASSERT_EQ(okA, okB) << "'" << t << "' sep " << sep;
            if (okA) {
                ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << t;
            }
        }
    }
}

}  // namespace
}  // namespace ravo
