#include "pile_layout.h"

#include <algorithm>
#include <cmath>

#include "classifier.h"
#include "functions.h"
#include "line_cutter.h"
#include "text.h"
#include "transforms.h"

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

}  // namespace

void loadPileShape(GinStore& store, int nGin, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec) {
    const std::string data = fs.readFile(path);
    std::u16string slots[kTokenSlots];
    std::u16string wide;
    forEachLine(data, [&](std::string_view bytes) {
        codec.decode(bytes, wide);
        int count = splitText(slots, kTokenSlots - 1, trimControl(wide));
        if (count <= 0) return;
        double x1 = outlineNumber(slots[0], fmt);
        double y1 = outlineNumber(slots[1], fmt);
        double x2 = outlineNumber(slots[2], fmt);
        double y2 = outlineNumber(slots[3], fmt);
        store.addLine(nGin, x1, y1, x2, y2);
    });
}

bool pileCountFor(double length, double pitch, int32_t& count) {
    const double q = static_cast<double>(static_cast<long double>(length) / pitch);
    if (!(q >= 0 && q <= kMaxPileCount + 1.0)) return false;  // NaN and infinity fail too
    double n = std::ceil(q);
    // A length read from decimal text is a whole number of widths only to
    // within its binary rounding (1696.1 to 4096.1 is 2400 and some 1e-12):
    // close enough to k widths counts k piles, not one more.
    const double k = std::round(q);
    if (k >= 1 && std::fabs(static_cast<long double>(length) - static_cast<long double>(k) * pitch) <=
                      kWholePileTolerance)
        n = k;
    if (n > kMaxPileCount) return false;
    count = static_cast<int32_t>(n);
    return true;
}

std::u16string pileCountMessage() {
    return u"鋼矢板の枚数が上限（" + asciiToU16(std::to_string(kMaxPileCount)) +
           u"枚）を超えるため割付できません。始点と終点を確認して下さい";
}

void PileLayout::setSection(size_t index) {
    if (index >= pileSections().size()) index = kDefaultSection;
    state_.nSection = index;
    state_.dPitch = pileSections()[index].widthMm;
}

void PileLayout::preparePiles() {
    const double x1 = header_.hp[1].x, y1 = header_.hp[1].y;
    const double x2 = header_.hp[2].x, y2 = header_.hp[2].y;
    const double length = distance2D(x1, y1, x2, y2);
    state_.dLength = length;
    int32_t count = 0;
    if (!pileCountFor(length, state_.dPitch, count)) {
        messages_.showMessage(pileCountMessage());
        count = 0;
    }
    state_.nPileCount = count;
    // The differences are formed in extended precision and rounded to doubles.
    const double dx = static_cast<double>(static_cast<long double>(x2) - x1);
    const double dy = static_cast<double>(static_cast<long double>(y2) - y1);
    state_.dAngle = static_cast<double>(static_cast<long double>(vecAngle(dx, dy)) * 180.0L / kPiFull);

    prepareOutlines();
}

void PileLayout::loadOutlines() {
    const struct {
        OutlineKind kind;
        int gin, mirror;
    } sets[] = {
        {OutlineKind::Normal, gins_.nGinNormal, gins_.nGinNormalMirror},
        {OutlineKind::StartCorner, gins_.nGinStart, gins_.nGinStartMirror},
        {OutlineKind::EndCorner, gins_.nGinEnd, gins_.nGinEndMirror},
    };
    outlinesReady_ = false;
    for (const auto& s : sets) {
        loadPileShape(store_, s.gin, outlineFile(section(), s.kind), fs_, fmt_, codec_);
        copyGinOffset(store_, s.gin, s.mirror, 0, 0);
        scaleGin(store_, s.mirror, 1.0, -1.0);
    }
    // The plate: what the end corner outline draws beyond the plain pile.
    plate_.clear();
    auto same = [](const LineData& a, const LineData& b) {
        return a.X1 == b.X1 && a.Y1 == b.Y1 && a.X2 == b.X2 && a.Y2 == b.Y2;
    };
    for (int i = 0; i <= store_.lastLineIndex(gins_.nGinEnd); ++i) {
        const LineData d = store_.getLine(gins_.nGinEnd, i);
        if (d.kind != kKindLine) continue;
        bool plain = false;
        for (int j = 0; j <= store_.lastLineIndex(gins_.nGinNormal) && !plain; ++j)
            plain = same(d, store_.getLine(gins_.nGinNormal, j));
        if (!plain) plate_.push_back({d.X1, d.Y1, d.X2, d.Y2});
    }
    leastAngle_.reset();
    outlinesReady_ = true;
}

void PileLayout::prepareOutlines() {
    for (int g : {gins_.nGinResult, gins_.nGinNormal, gins_.nGinNormalMirror, gins_.nGinStart,
                  gins_.nGinStartMirror, gins_.nGinEnd, gins_.nGinEndMirror})
        store_.clearGin(g);
    try {
        loadOutlines();
    } catch (...) {
        state_.nPileCount = 0;  // the count line must not promise a run that is not there
        plate_.clear();
        throw;
    }
}

double PileLayout::outlineDepth() const {
    double depth = 0;
    for (int i = 0; i <= store_.lastLineIndex(gins_.nGinNormal); ++i) {
        const LineData d = store_.getLine(gins_.nGinNormal, i);
        if (d.kind == kKindLine) depth = std::max({depth, std::fabs(d.Y1), std::fabs(d.Y2)});
    }
    return depth;
}

double PileLayout::leastCornerAngle() {
    // Worked out when a wall first needs it, not at every start of a run.
    if (leastAngle_) return *leastAngle_;
    std::vector<WallSegment> pile, plate;
    for (int i = 0; i <= store_.lastLineIndex(gins_.nGinNormal); ++i) {
        const LineData d = store_.getLine(gins_.nGinNormal, i);
        if (d.kind == kKindLine) pile.push_back({d.X1, d.Y1, d.X2, d.Y2});
    }
    for (const PlateSegment& p : plate_) plate.push_back({p.x1, p.y1, p.x2, p.y2});
    leastAngle_ = ravo::leastCornerAngle(pile, plate, section().widthMm, cornerReach(), section().alternates());
    return *leastAngle_;
}

double PileLayout::cornerReach() const {
    double reach = 0;
    for (const PlateSegment& p : plate_) reach = std::max({reach, std::fabs(p.y1), std::fabs(p.y2)});
    return reach;
}

namespace {

// The preview tells corner and closing piles apart by colour (0x00BBGGRR);
// the result hands back coordinates only.
constexpr int32_t kCornerColour = 0xC06000;
constexpr int32_t kClosingColour = 0x0000D0;

}  // namespace

void PileLayout::emitPiece(const WallPiece& piece, bool lastOfLeg) {
    const int variants[3][2] = {
        {gins_.nGinNormal, gins_.nGinNormalMirror},
        {gins_.nGinStart, gins_.nGinStartMirror},
        {gins_.nGinEnd, gins_.nGinEndMirror},
    };
    const int gin = variants[static_cast<int>(piece.outline)][piece.mirrored ? 1 : 0];
    const Rotation rot(piece.angle);
    const long double c = rot.c, s = rot.s, px = piece.x, py = piece.y;
    const int result = gins_.nGinResult;
    auto put = [&](double x1, double y1, double x2, double y2) {
        store_.addLine(result, static_cast<double>(px + (c * x1 - s * y1)), static_cast<double>(py + (s * x1 + c * y1)),
                       static_cast<double>(px + (c * x2 - s * y2)), static_cast<double>(py + (s * x2 + c * y2)));
    };
    const int last = store_.lastLineIndex(gin);
    const int32_t colour = store_.curCL;
    if (piece.kind == PieceKind::Corner) store_.curCL = kCornerColour;
    if (piece.kind == PieceKind::Closing) {
        // A closing pile is the plain outline narrowed along the axis to its
        // width: both its interlocks stay on the axis, where its neighbours'
        // are, so the wall is closed as drawn.
        store_.curCL = kClosingColour;
        const long double k = static_cast<long double>(piece.width) / section().widthMm;
        for (int i = 0; i <= last; ++i) {
            const LineData d = store_.getLine(gin, i);
            if (d.kind == kKindLine)
                put(static_cast<double>(d.X1 * k), d.Y1, static_cast<double>(d.X2 * k), d.Y2);
        }
    } else {
        for (int i = 0; i <= last; ++i) {
            const LineData d = store_.getLine(gin, i);
            if (d.kind == kKindLine) put(d.X1, d.Y1, d.X2, d.Y2);
        }
    }
    if (piece.kind == PieceKind::Corner) {
        // The plate is drawn for a right turn (towards −y); a left turn takes
        // it mirrored, and any turn other than a right angle turns it about
        // the end interlock to lie along the next leg.
        const bool left = piece.turn > 0;
        const Rotation turn(left ? piece.turn - 90 : piece.turn + 90);
        const long double w = piece.width;
        // Piles that all face one way draw their start joint edge: where the
        // next leg's first pile stands, the plate's far edge is that edge.
        const double reach = cornerReach();
        for (const PlateSegment& p : plate_) {
            if (!section().alternates() && std::fabs(p.y1) == reach && std::fabs(p.y2) == reach) continue;
            const long double y1 = left ? -p.y1 : p.y1, y2 = left ? -p.y2 : p.y2;
            const long double x1 = p.x1 - w, x2 = p.x2 - w;
            put(static_cast<double>(w + turn.c * x1 - turn.s * y1), static_cast<double>(turn.s * x1 + turn.c * y1),
                static_cast<double>(w + turn.c * x2 - turn.s * y2), static_cast<double>(turn.s * x2 + turn.c * y2));
        }
    }
    store_.curCL = colour;
    // The leg's last joint is closed here.
    if (lastOfLeg && !section().alternates())
        for (auto [y1, y2] : startJoint(variants[0][piece.mirrored ? 1 : 0])) put(piece.width, y1, piece.width, y2);
}

void PileLayout::layWallPieces(const WallLayout& wall) {
    store_.clearGin(gins_.nGinResult);
    size_t most = 0;
    for (int g : {gins_.nGinNormal, gins_.nGinStart, gins_.nGinEnd})
        most = std::max(most, static_cast<size_t>(store_.lastLineIndex(g) + 1));
    store_.reserveLines(gins_.nGinResult, (most + plate_.size() + 2) * wall.pieces.size());
    for (size_t i = 0; i < wall.pieces.size(); ++i) {
        const bool lastOfLeg = i + 1 == wall.pieces.size() || wall.pieces[i + 1].leg != wall.pieces[i].leg;
        emitPiece(wall.pieces[i], lastOfLeg);
    }
    state_.nPileCount = static_cast<int32_t>(wall.pieces.size());
}

std::vector<std::pair<double, double>> PileLayout::startJoint(int nGinOutline) const {
    // Piles that all face one way share each joint's edge, so their outlines
    // draw only the start edge (the one on x = 0); the last pile of a run or
    // a leg takes the same edge as its end edge.
    std::vector<std::pair<double, double>> edge;
    for (int i = 0; i <= store_.lastLineIndex(nGinOutline); ++i) {
        const LineData d = store_.getLine(nGinOutline, i);
        if (d.kind == kKindLine && d.X1 == 0 && d.X2 == 0) edge.emplace_back(d.Y1, d.Y2);
    }
    return edge;
}

void PileLayout::layoutPiles(int32_t orientation) {
    const int result = gins_.nGinResult;
    store_.clearGin(result);
    const int variants[3][2] = {
        {gins_.nGinNormal, gins_.nGinNormalMirror},
        {gins_.nGinStart, gins_.nGinStartMirror},
        {gins_.nGinEnd, gins_.nGinEndMirror},
    };
    int v = orientation == 0 ? 0 : 1;
    const bool alternate = section().alternates();
    const int last = state_.nPileCount - 1;
    // One allocation for the whole run: at most the largest outline per pile
    // and both corners on top.
    size_t most = 0;
    for (const auto& pair : variants)
        for (int g : pair) most = std::max(most, static_cast<size_t>(store_.lastLineIndex(g) + 1));
    store_.reserveLines(result, most * static_cast<size_t>(state_.nPileCount) + 2 * most);
    for (int i = 0; i <= last; ++i) {
        const double offset = static_cast<double>(static_cast<long double>(i) * state_.dPitch);
        bool placed = false;
        if (i == 0 && state_.bStartCorner) {
            copyGinOffset(store_, variants[1][v], result, offset, 0);
            placed = true;
        }
        if (i == last && state_.bEndCorner) {
            copyGinOffset(store_, variants[2][v], result, offset, 0);
            placed = true;
        }
        if (!placed) copyGinOffset(store_, variants[0][v], result, offset, 0);
        if (alternate) v = 1 - v;
    }
    if (!alternate && state_.nPileCount > 0) {
        const double end = static_cast<double>(static_cast<long double>(state_.nPileCount) * state_.dPitch);
        for (auto [y1, y2] : startJoint(variants[0][v])) store_.addLine(result, end, y1, end, y2);
    }
    rotateGin(store_, result, state_.dAngle);
}

}  // namespace ravo
