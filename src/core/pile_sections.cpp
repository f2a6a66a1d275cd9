#include "pile_sections.h"

#include <cstdio>

#include "text.h"

namespace ravo {

namespace {

// Effective width × height × thickness in mm, JIS A 5528 and the makers' tables.
constexpr PileSection kSections[] = {
    {u"II", u"Ⅱ型 400×100×10.5", 400, PileFamily::U},
    {u"III", u"Ⅲ型 400×125×13.0", 400, PileFamily::U},
    {u"IV", u"Ⅳ型 400×170×15.5", 400, PileFamily::U},
    {u"VL", u"ⅤL型 500×200×24.3", 500, PileFamily::U},
    {u"VIL", u"ⅥL型 500×225×27.6", 500, PileFamily::U},
    {u"IIw", u"Ⅱw型 600×130×10.3", 600, PileFamily::U},
    {u"IIIw", u"Ⅲw型 600×180×13.4", 600, PileFamily::U},
    {u"IVw", u"Ⅳw型 600×210×18.0", 600, PileFamily::U},
    {u"10H", u"10H型 900×230×10.8", 900, PileFamily::Hat},
    {u"25H", u"25H型 900×300×13.2", 900, PileFamily::Hat},
    {u"45H", u"45H型 900×368×15.0", 900, PileFamily::Hat},
    {u"50H", u"50H型 900×370×17.0", 900, PileFamily::Hat},
};

}  // namespace

std::span<const PileSection> pileSections() { return kSections; }

size_t findSection(std::u16string_view name) {
    for (size_t i = 0; i < std::size(kSections); ++i)
        if (name == kSections[i].name) return i;
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

std::u16string pileCountText(int32_t count, int32_t widthMm) {
    std::u16string text = asciiToU16(std::to_string(count)) + u"枚";
    if (count <= 0) return text;
    // Whole millimetres, so the metres come out exact.
    const long long mm = static_cast<long long>(count) * widthMm;
    char metres[32];
    std::snprintf(metres, sizeof metres, "%lld.%03lld", mm / 1000, mm % 1000);
    return text + u"  延長 " + asciiToU16(metres) + u" m";
}

}  // namespace ravo
