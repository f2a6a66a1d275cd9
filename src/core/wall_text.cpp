// The wall's texts: the count line and its corner and closing pieces, the
// corner pile's name, and the places, angles and gaps messages name.
#include "wall.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "pile_sections.h"
#include "text.h"
#include "wall_geometry.h"

namespace ravo {

namespace detail {

// "(1234.5, -20)": a place named in a message, to 0.001 mm.
std::u16string placeText(double x, double y) {
    auto one = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3f", v);
        std::string s = buf;
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
        if (s == "-0") s = "0";
        return asciiToU16(s);
    };
    return u"（" + one(x) + u", " + one(y) + u"）";
}

// "40.2": an angle named in a message, to 0.1°.
std::u16string degreesText(double degrees) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", degrees);
    return asciiToU16(buf);
}

std::u16string sharpCornerText(const WallPoint& at, double interior, double leastAngle) {
    return u"角が鋭すぎます" + placeText(at.x, at.y) + u"（内角 " + degreesText(interior) + u"°）。この型式の角は " +
           degreesText(leastAngle) + u"° 以上にしてください";
}

// "0.101": how far apart an open wall's ends are, to 0.001 mm.
std::u16string gapText(double mm) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", mm);
    return asciiToU16(buf);
}

}  // namespace detail

using namespace detail;

std::u16string specialPieces(const WallLayout& layout) {
    std::u16string parts;
    if (layout.corners > 0) parts += u"コーナー" + asciiToU16(std::to_string(layout.corners));
    if (layout.closings > 0) parts += (parts.empty() ? u"" : u"・") + (u"調整" + asciiToU16(std::to_string(layout.closings)));
    return parts.empty() ? parts : u"（" + parts + u"）";
}

std::u16string wallCountText(const WallLayout& layout) {
    std::u16string text = asciiToU16(std::to_string(layout.pieces.size())) + u"枚";
    if (layout.pieces.empty()) return text;
    text += specialPieces(layout);
    text += u"  " + wallLengthText(std::llround(layout.length));
    if (layout.walls > 1) text += u"（" + asciiToU16(std::to_string(layout.walls)) + u" 壁）";
    for (const WallLayout::Circle& c : layout.circles) {
        text += u"  半径 " + metresFromMm(std::llround(c.joints)) + u" m";
        if (c.face > 0) text += (c.inner ? u"（内面 " : u"（外面 ") + metresFromMm(std::llround(c.face)) + u" m）";
    }
    if (layout.openGap >= 0) text += u"  ※始点と終点が " + gapText(layout.openGap) + u" mm 離れた開いた壁です";
    return text;
}

std::u16string cornerName(double turn) {
    const double between = 180.0 - std::fabs(turn);
    if (std::fabs(between - 90.0) <= kRightAngleTolerance) return u"コーナー矢板";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", between);
    std::string s = buf;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return u"異形コーナー矢板\u3000" + asciiToU16(s) + u"°";
}

}  // namespace ravo
