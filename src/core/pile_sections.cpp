#include "pile_sections.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text.h"

namespace ravo {

namespace {

// Effective width × height × thickness in mm, the mass in kg/m of one pile,
// the turn one interlock takes and the narrowest closing pile (half the
// width: a pile cut narrower keeps too little of itself to drive and to
// hold both interlocks), JIS A 5528 and the makers' tables (data/README.md
// gives the source of each row and marks those not yet confirmed).
constexpr PileSection kSections[] = {
    {u"II", u"Ⅱ型 400×100×10.5", 400, PileFamily::U, 48.0, 5.0, 200},
    {u"III", u"Ⅲ型 400×125×13.0", 400, PileFamily::U, 60.0, 5.0, 200},
    {u"IV", u"Ⅳ型 400×170×15.5", 400, PileFamily::U, 76.1, 5.0, 200},
    {u"VL", u"ⅤL型 500×200×24.3", 500, PileFamily::U, 105.0, 5.0, 250},
    {u"VIL", u"ⅥL型 500×225×27.6", 500, PileFamily::U, 120.0, 5.0, 250},
    {u"IIw", u"Ⅱw型 600×130×10.3", 600, PileFamily::U, 61.8, 5.0, 300},
    {u"IIIw", u"Ⅲw型 600×180×13.4", 600, PileFamily::U, 81.6, 5.0, 300},
    {u"IVw", u"Ⅳw型 600×210×18.0", 600, PileFamily::U, 106.0, 5.0, 300},
    {u"10H", u"10H型 900×230×10.8", 900, PileFamily::Hat, 86.4, 3.0, 450},
    {u"25H", u"25H型 900×300×13.2", 900, PileFamily::Hat, 113.0, 3.0, 450},
    {u"45H", u"45H型 900×368×15.0", 900, PileFamily::Hat, 140.0, 3.0, 450},
    {u"50H", u"50H型 900×370×17.0", 900, PileFamily::Hat, 153.0, 3.0, 450},
};

}  // namespace

std::span<const PileSection> pileSections() { return kSections; }

size_t findSection(std::u16string_view name) {
    // A hand-edited "iiw" means IIw: the names differ in more than case.
    const std::u16string wanted = asciiLower(name);
    for (size_t i = 0; i < std::size(kSections); ++i)
        if (asciiLower(kSections[i].name) == wanted) return i;
    return kDefaultSection;
}

std::u16string outlineFile(const PileSection& section, OutlineKind kind) {
    const char16_t* file = kind == OutlineKind::Normal        ? u"pile_n.dat"
                           : kind == OutlineKind::StartCorner ? u"pile_l.dat"
                                                              : u"pile_r.dat";
    std::u16string path = u"data\\";
    if (std::u16string_view(section.name) != kSections[kDefaultSection].name) path += std::u16string(section.name) + u"\\";
    return path + file;
}

std::u16string metresFromMm(long long mm) {
    char metres[48];
    std::snprintf(metres, sizeof metres, "%s%lld.%03lld", mm < 0 ? "-" : "", std::llabs(mm) / 1000,
                  std::llabs(mm) % 1000);
    return asciiToU16(metres);
}


std::u16string wallLengthText(long long mm) { return u"延長 " + metresFromMm(mm) + u" m"; }

std::u16string pileCountText(int32_t count, int32_t widthMm, double indicatedMm) {
    std::u16string text = asciiToU16(std::to_string(count)) + u"枚";
    if (count <= 0) return text;
    const long long laid = static_cast<long long>(count) * widthMm;
    text += u"  " + wallLengthText(laid);
    // The wall grows to whole piles; where that makes it longer than what
    // the user indicated (to the millimetre), both are shown.
    if (std::isfinite(indicatedMm) && std::fabs(indicatedMm) < 1e15) {
        const long long indicated = std::llround(indicatedMm);
        if (indicated != laid) text += u"（指示 " + metresFromMm(indicated) + u" m）";
    }
    return text;
}

bool pileCountFor(double length, double pitch, int32_t& count) {
    const double q = static_cast<double>(static_cast<long double>(length) / pitch);
    if (!(q >= 0 && q <= kMaxPileCount + 1.0)) return false;  // NaN and infinity fail too
    double n = std::ceil(q);
    // A length read from decimal text is a whole number of widths only to
    // within its binary rounding (1696.1 to 4096.1 is 2400 and some 1e-12):
    // close enough to k widths counts k piles, not one more.
    const double k = std::round(q);
    if (k >= 1 && std::fabs(static_cast<long double>(length) - static_cast<long double>(k) * pitch) <= kWholePileTolerance) n = k;
    if (n > kMaxPileCount) return false;
    count = static_cast<int32_t>(n);
    return true;
}

namespace {
std::u16string overCap() {
    return u"鋼矢板の枚数が上限（" + asciiToU16(std::to_string(kMaxPileCount)) + u"枚）を超えるため割付できません。";
}
}  // namespace

std::u16string pileCountMessage() { return overCap() + u"始点と終点を確認して下さい"; }

std::u16string wallPileCountMessage() { return overCap() + u"壁の線の長さと本数を確認して下さい"; }

}  // namespace ravo
