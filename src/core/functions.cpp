#include "functions.h"

#include <cmath>
#include <limits>

#include "text.h"
#include "x87.h"

namespace ravo {

void swapValues(double& a, double& b) {
    double t = a;
    a = b;
    b = t;
}

double round5(double x) {
    long double s = x >= 0 ? static_cast<long double>(x) * 100000.0L + 0.5L
                           : static_cast<long double>(x) * 100000.0L - 0.5L;
    // Converting a value outside int64 to an integer is undefined; such
    // values (and NaN, which fails both tests) pass through unchanged.
    if (!(s > -9223372036854775808.0L && s < 9223372036854775808.0L)) return x;
    int64_t t = static_cast<int64_t>(s);
    return static_cast<double>(static_cast<long double>(t) / 100000.0L);
}

int32_t roundInt(double x) {
    if (std::isnan(x)) return 0;
    long double s = x >= 0 ? static_cast<long double>(x) + 0.5L : static_cast<long double>(x) - 0.5L;
    if (s >= 2147483648.0L) return std::numeric_limits<int32_t>::max();
    if (s <= -2147483649.0L) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(s);
}

double vecAngle(double dx, double dy) {
    double a;
    if (dx == 0) {
        a = kHalfPi16;
    } else {
        long double q = std::fabs(static_cast<long double>(dy)) / std::fabs(static_cast<long double>(dx));
        a = static_cast<double>(x87::atan(q));
    }
    // -0 compares equal to 0, so it never counts as negative here.
    if (dx < 0 && dy >= 0) a = static_cast<double>(kPi15 - a);
    else if (dx < 0 && dy < 0) a = static_cast<double>(kPi15 + a);
    else if (dx >= 0 && dy < 0) a = static_cast<double>(kTwoPi15 - a);
    return a;
}

double distance2D(double x1, double y1, double x2, double y2) {
    long double dx = static_cast<long double>(x2) - x1;
    long double dy = static_cast<long double>(y2) - y1;
    return static_cast<double>(x87::sqrt(dx * dx + dy * dy));
}

Rotation::Rotation(double angleDegrees) {
    long double t = static_cast<long double>(angleDegrees) / 180.0L * kPi15;
    long double sl, cl;
    x87::sinCos(t, sl, cl);
    c = static_cast<double>(cl);
    s = static_cast<double>(sl);
}

int splitText(std::u16string* slots, int n, std::u16string_view text, char16_t delimiter) {
    for (int k = 0; k <= n; ++k) slots[k].clear();
    // The first NUL ends the text.
    size_t len = text.find(u'\0');
    if (len != std::u16string_view::npos) text = text.substr(0, len);
    len = text.size();

    int count = 0;
    auto store = [&](std::u16string_view tok) {
        if (count <= n) slots[count].assign(tok);
        ++count;
    };
    auto storeQuoted = [&](size_t& i) {
        // i is just after the opening quote
        std::u16string* dst = count <= n ? &slots[count] : nullptr;
        while (i < len) {
            if (text[i] == u'"') {
                if (i + 1 < len && text[i + 1] == u'"') {
                    if (dst) dst->push_back(u'"');
                    i += 2;
                    continue;
                }
                ++i;  // closing quote
                break;
            }
            if (dst) dst->push_back(text[i]);
            ++i;
        }
        ++count;
    };

    size_t i = 0;
    while (i < len && isBlank(text[i])) ++i;
    while (i < len) {
        if (text[i] == u'"') {
            ++i;
            storeQuoted(i);
        } else {
            size_t b = i;
            while (i < len && !isBlank(text[i]) && text[i] != delimiter) ++i;
            store(text.substr(b, i - b));
        }
        while (i < len && isBlank(text[i])) ++i;
        if (i < len && text[i] == delimiter) {
            if (i == len - 1) store(std::u16string_view());
            ++i;
            while (i < len && isBlank(text[i])) ++i;
        }
    }
    return count;
}

bool isNumeric(std::u16string_view t) {
    size_t nul = t.find(u'\0');
    if (nul != std::u16string_view::npos) t = t.substr(0, nul);
    if (t.empty()) return true;
    size_t i = 0, n = t.size();
    while (i < n && t[i] == u' ') ++i;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) ++i;
    if (i == n) return false;
    auto digit = [&](size_t k) { return t[k] >= u'0' && t[k] <= u'9'; };
    while (i < n && digit(i)) ++i;
    if (i < n && t[i] == u'.') {
        ++i;
        while (i < n && digit(i)) ++i;
    }
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) ++i;
        size_t b = i;
        while (i < n && digit(i)) ++i;
        if (i == b) return false;
    }
    return i == n;
}

namespace {

std::u16string padLeft(std::u16string s, int width) {
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), u' ');
    return s;
}

}  // namespace

std::u16string padInt(int32_t value, int width) {
    return padLeft(asciiToU16(std::to_string(value)), width);
}

std::u16string padFloat(int width, double value, const NumberFormat& fmt) {
    // "####0.0": one decimal, rounded half away from zero on the 18-digit
    // expansion, at least one integer digit.
    std::u16string s;
    if (std::isnan(value)) return padLeft(u"NAN", width);
    if (std::isinf(value)) return padLeft(value < 0 ? u"-INF" : u"INF", width);
    if (value == 0) return padLeft(std::u16string(u"0") + fmt.decimalSeparator + u'0', width);
    DecimalDigits d = expand18(value);
    roundDigits(d, d.exponent + 1);
    if (d.count == 0) return padLeft(std::u16string(u"0") + fmt.decimalSeparator + u'0', width);
    if (d.negative) s.push_back(u'-');
    auto digitAt = [&](int pos) -> char16_t {  // pos 0 = first significant digit
        return pos >= 0 && pos < d.count ? static_cast<char16_t>(d.digit[pos]) : u'0';
    };
    if (d.exponent <= 0) {
        s.push_back(u'0');
    } else {
        for (int i = 0; i < d.exponent; ++i) s.push_back(digitAt(i));
    }
    s.push_back(fmt.decimalSeparator);
    s.push_back(digitAt(d.exponent));
    return padLeft(std::move(s), width);
}

}  // namespace ravo
