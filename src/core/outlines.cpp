#include "outlines.h"

#include <algorithm>
#include <cmath>

#include "errors.h"
#include "functions.h"
#include "classifier.h"
#include "line_cutter.h"
#include "text.h"

namespace ravo {

namespace {

double outlineNumber(const std::u16string& token, const NumberFormat& fmt) {
    // Outline numbers allow no blanks around them (a quoted " 5" is no
    // number), unlike the host file's reals.
    double v;
    if (token.empty() || token.front() == u' ' || token.back() == u' ' ||
        !tryStrToFloat(token, fmt.decimalSeparator, v))
        raiseNotFloat(token);
    return v;
}

bool sameSegment(const WallSegment& a, const WallSegment& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

}  // namespace

void loadPileShape(std::vector<WallSegment>& out, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec) {
    const std::string data = fs.readFile(path);
    std::u16string slots[kTokenSlots];
    std::u16string wide;
    forEachLine(data, [&](std::string_view bytes) {
        codec.decode(bytes, wide);
        int count = splitText(slots, kTokenSlots - 1, trimControl(wide));
        if (count <= 0) return;
        const double x1 = outlineNumber(slots[0], fmt);
        const double y1 = outlineNumber(slots[1], fmt);
        const double x2 = outlineNumber(slots[2], fmt);
        const double y2 = outlineNumber(slots[3], fmt);
        out.push_back({x1, y1, x2, y2});
    });
}

Outlines loadOutlines(size_t section, const FileSystem& fs, const NumberFormat& fmt, const AnsiCodec& codec) {
    Outlines o;
    o.section = section < pileSections().size() ? section : kDefaultSection;
    for (OutlineKind kind : {OutlineKind::Normal, OutlineKind::StartCorner, OutlineKind::EndCorner}) {
        auto& pair = o.lines[static_cast<size_t>(kind)];
        const std::u16string name = outlineFile(o.pileSection(), kind);
        try {
            loadPileShape(pair[0], fs.besideProgram(name), fs, fmt, codec);
        } catch (const IoError& e) {
            // Named as the program's folder holds it: what the user finds
            // (or misses) under the program.
            throw IoError(e.code(), name);
        }
        pair[1].reserve(pair[0].size());
        for (const WallSegment& s : pair[0]) pair[1].push_back({s.x1, -s.y1, s.x2, -s.y2});
    }
    const auto& plain = o.outline(OutlineKind::Normal, false);
    for (const WallSegment& s : o.outline(OutlineKind::EndCorner, false))
        if (std::none_of(plain.begin(), plain.end(), [&](const WallSegment& p) { return sameSegment(s, p); }))
            o.plate.push_back(s);
    for (const WallSegment& p : o.plate) o.reach = std::max({o.reach, std::fabs(p.y1), std::fabs(p.y2)});
    for (const WallSegment& s : plain) o.depth = std::max({o.depth, std::fabs(s.y1), std::fabs(s.y2)});
    for (const WallSegment& s : plain) {
        o.leftReach = std::max({o.leftReach, s.y1, s.y2});
        o.rightReach = std::max({o.rightReach, -s.y1, -s.y2});
    }
    return o;
}

std::vector<std::pair<double, double>> Outlines::startJoint(bool mirrored) const {
    std::vector<std::pair<double, double>> edge;
    for (const WallSegment& s : outline(OutlineKind::Normal, mirrored))
        if (s.x1 == 0 && s.x2 == 0) edge.emplace_back(s.y1, s.y2);
    return edge;
}

size_t Outlines::mostLinesPerPiece() const {
    size_t most = 0;
    for (const auto& pair : lines) most = std::max(most, pair[0].size());
    return most + plate.size() + 2;
}

double Outlines::faceReach(bool left, int32_t orientation) const {
    // Alternating piles turn each face to both sides; the others all face
    // the one way 反転 sets, which mirrors the two sides.
    if (pileSection().alternates()) return std::max(leftReach, rightReach);
    return (left != (orientation != 0)) ? leftReach : rightReach;
}

double Outlines::leastCornerAngle() const {
    if (!leastAngle_) {
        const PileSection& sec = pileSection();
        leastAngle_ = ravo::leastCornerAngle(outline(OutlineKind::Normal, false), plate, sec.widthMm, reach,
                                             sec.alternates());
    }
    return *leastAngle_;
}

}  // namespace ravo
