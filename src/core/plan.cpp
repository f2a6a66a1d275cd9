#include "plan.h"

#include <algorithm>
#include <cstdio>

#include "text.h"
#include "x87.h"

namespace ravo {

namespace {

using LD = long double;

// "100", "12.5": a scale's denominator as the user sets it.
std::u16string scaleText(double denominator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", denominator);
    return asciiToU16(buf);
}

int pointsGiven(const GaibuHeader& h) {
    int given = 0;
    while (given < kMostPoints && h.hpGiven[given + 1]) ++given;
    return given;
}

// The scale of a layer group's lines; 0 for a group the export has not.
double groupScale(const GaibuHeader& h, int32_t group) {
    return group >= 0 && group < kLayerGroups ? h.hs[group] : 0;
}

// A circle or an arc as chords, for the preview of what was given.
void addChords(std::vector<WallSegment>& out, const WallArcInput& a) {
    constexpr int kChords = 48;
    const LD a0 = static_cast<LD>(a.start) * kPiFull / 180;
    LD sweep = a.full ? 360 : std::fmod(static_cast<LD>(a.end) - a.start, 360.0L);
    if (sweep <= 0) sweep += 360;
    sweep *= kPiFull / 180;
    auto at = [&](int k) {
        LD s, c;
        x87::sinCos(a0 + sweep * k / kChords, s, c);
        return WallPoint{toDouble(a.cx + a.r * c), toDouble(a.cy + a.r * s)};
    };
    for (int k = 0; k < kChords; ++k) {
        const WallPoint p = at(k), q = at(k + 1);
        out.push_back({p.x, p.y, q.x, q.y});
    }
}

// The wall lines: the points in order, or the selected lines and arcs
// chained; what was given goes with them, for the preview to show what a
// refusal speaks of.
WallsResult wallPaths(const HostInput& in, RunMode mode, std::vector<WallSegment>& given) {
    const GaibuHeader& h = in.header;
    WallsResult r;
    if (mode == RunMode::Points) {
        std::vector<WallPoint> points;
        for (int i = 1; i <= kMostPoints && h.hpGiven[i]; ++i) points.push_back({h.hp[i].x, h.hp[i].y});
        for (size_t i = 0; i + 1 < points.size(); ++i)
            given.push_back({points[i].x, points[i].y, points[i + 1].x, points[i + 1].y});
        PathResult one = pathFromPoints(points);
        r.fault = std::move(one.fault);
        if (r.ok()) r.paths.push_back(std::move(one.path));
        return r;
    }
    // The selected lines, circles and arcs; texts and points play no part.
    // Each layer group has its own scale, and the host reads the result back
    // at the write group's: a selection over groups of different scales, or
    // at another scale than the write group, is refused.
    const double writeScale = groupScale(h, h.nWriteLG);
    double scale = 0;
    bool mixed = false;
    auto inGroup = [&](int32_t group) {
        const double s = groupScale(h, group);
        if (s > 0 && scale > 0 && s != scale) mixed = true;
        if (s > 0) scale = s;
    };
    std::vector<WallArcInput> arcs;
    given.reserve(in.records.size());
    for (const recLine& rec : in.records) {
        if (rec.kind == kKindLine) given.push_back({rec.X1, rec.Y1, rec.X2, rec.Y2});
        else if (rec.kind == kKindCircle) arcs.push_back({rec.X1, rec.Y1, rec.R, 0, 360, true});
        else continue;
        inGroup(rec.LG);
    }
    bool ellipse = false;
    for (const HostArc& a : in.arcs) {
        ellipse = ellipse || a.flatness != 1;
        arcs.push_back({a.x, a.y, a.r, a.start + a.tilt, a.end + a.tilt, false});
        inGroup(a.layerGroup);
    }
    if (ellipse)
        r.fault = u"楕円・楕円弧が選択されています。鋼矢板は円・円弧と線に沿って割り付けます";
    else if (mixed)
        r.fault = u"縮尺の異なるレイヤグループにまたがって選択されています。同じ縮尺のレイヤグループの線だけを選択してください";
    else if (scale > 0 && writeScale > 0 && scale != writeScale)
        r.fault = u"壁の線のレイヤグループ（1/" + scaleText(scale) + u"）と書込レイヤグループ（1/" + scaleText(writeScale) +
                  u"）の縮尺が異なります。壁の線のレイヤグループを書込レイヤグループにしてください";
    else
        r = chainWalls(given, arcs);
    if (!r.ok())
        for (const WallArcInput& a : arcs) addChords(given, a);
    return r;
}

// How far the joint line lies left of the drawn line for the face chosen:
// the face on the line, the joint line the face's reach away from it.
double faceOffset(const WallPath& path, WallFace face, const Outlines& o, int32_t orientation) {
    if (face == WallFace::JointLine) return 0;
    // A loop's inner face is the one towards its inside; an open path's,
    // its left.
    const bool innerLeft = !path.closed || counterClockwise(path);
    const bool faceLeft = (face == WallFace::Inner) == innerLeft;
    return faceLeft ? -o.faceReach(true, orientation) : o.faceReach(false, orientation);
}

void planWall(Plan& p, const HostInput& in, const Choices& ch, const Outlines& o) {
    WallsResult walls = wallPaths(in, ch.mode, p.given);
    if (!walls.ok()) {
        p.refusal = Refusal::Input;
        p.fault = std::move(walls.fault);
        return;
    }
    p.given.clear();
    const PileSection& section = o.pileSection();
    WallPlan plan;
    plan.width = section.widthMm;
    plan.reach = o.reach;
    plan.alternates = section.alternates();
    plan.orientation = ch.orientation;
    plan.depth = o.depth;
    plan.leastAngle = o.leastCornerAngle();
    plan.swing = section.swingDeg;
    plan.leastClosing = section.leastClosingMm;
    plan.outline[0] = o.outline(OutlineKind::Normal, false);
    plan.outline[1] = o.outline(OutlineKind::Normal, true);
    std::vector<WallLayout> laid;
    size_t pieces = 0;
    p.drawn.reserve(walls.paths.size());  // each wall's plan points at its drawn line
    for (size_t k = 0; k < walls.paths.size(); ++k) {
        const WallStart st = k < ch.starts.size() ? ch.starts[k] : WallStart{};
        p.drawn.push_back(startPath(walls.paths[k], plan.swing, st.start, st.reversed));
        const WallPath& drawn = p.drawn.back();
        const double offset = faceOffset(drawn, ch.face, o, ch.orientation);
        plan.faceOffset = offset;
        plan.drawn = &drawn;
        PathResult axis = offsetPath(drawn, offset, section.widthMm);
        if (!axis.ok()) {
            p.refusal = Refusal::Lay;
            p.fault = std::move(axis.fault);
            return;
        }
        // After a refused wall (the one that passes the cap among them) the
        // rest are refused with it, and need not be laid: a hatch selected
        // by mistake is many thousand walls.
        if (!laid.empty() && !laid.back().ok()) continue;
        plan.laidBefore = static_cast<int64_t>(pieces);
        plan.startCorner = !drawn.closed && ch.startCorner;
        plan.endCorner = !drawn.closed && ch.endCorner;
        // The steel keeps to the joint line's side of a drawn face; on a
        // loop's joint line, out of the loop, reaching in by its inner face.
        plan.steelSide = offset > 0 ? 1 : offset < 0 ? -1 : 0;
        plan.drawnAway = offset != 0 ? std::fabs(offset)
                         : drawn.closed ? o.faceReach(counterClockwise(drawn), ch.orientation)
                                        : 0;
        laid.push_back(layWall(axis.path, plan));
        pieces += laid.back().pieces.size();
    }
    p.layout = joinLayouts(std::move(laid), plan.depth);
    if (!p.layout.ok()) {
        p.refusal = Refusal::Lay;
        p.fault = p.layout.fault;
    }
}

void planStraightRun(Plan& p, const HostInput& in, const Choices& ch, const Outlines& o) {
    const GaibuHeader& h = in.header;
    const double x1 = h.hp[1].x, y1 = h.hp[1].y;
    const double x2 = h.hp[2].x, y2 = h.hp[2].y;
    const PileSection& section = o.pileSection();
    const double pitch = section.widthMm;
    p.hp1 = {x1, y1};
    p.origin = p.hp1;
    p.drawn = {WallPath{{{x1, y1}, {x2, y2}}, {}, false}};
    p.indicated = distance2D(x1, y1, x2, y2);
    int32_t count = 0;
    if (!pileCountFor(p.indicated, pitch, count)) {
        p.refusal = Refusal::Count;
        p.fault = pileCountMessage();
        count = 0;
    }
    // The differences are formed in extended precision and rounded to doubles.
    const double dx = static_cast<double>(static_cast<LD>(x2) - x1);
    const double dy = static_cast<double>(static_cast<LD>(y2) - y1);
    p.angle = static_cast<double>(static_cast<LD>(vecAngle(dx, dy)) * 180.0L / kPiFull);
    // U piles alternate from the chosen face; hat piles all take it.
    std::vector<WallPiece>& pieces = p.layout.pieces;
    pieces.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        WallPiece& piece = pieces[static_cast<size_t>(i)];
        piece.x = static_cast<double>(static_cast<LD>(i) * pitch);
        piece.width = pitch;
        piece.mirrored = section.alternates() ? ((i + (ch.orientation != 0 ? 1 : 0)) & 1) != 0 : ch.orientation != 0;
    }
    if (count == 0) return;
    if (ch.startCorner) pieces.front().outline = PieceOutline::StartCorner;
    if (ch.endCorner)
        pieces.back().outline = count == 1 && ch.startCorner ? PieceOutline::BothCorners : PieceOutline::EndCorner;
    // The run's one leg, in place on hp1, for its label.
    const Rotation along(p.angle);
    const double laid = static_cast<double>(count) * pitch;
    WallLeg leg;
    leg.x1 = x1, leg.y1 = y1;
    leg.x2 = x1 + along.c * laid, leg.y2 = y1 + along.s * laid;
    leg.pieces = count;
    p.layout.legs = {leg};
}

}  // namespace

std::vector<WallLeg> labelLegs(const Plan& plan, int32_t wall) {
    std::vector<WallLeg> legs;
    const auto& pieces = plan.layout.pieces;
    size_t at = 0;  // pieces run leg by leg
    for (size_t i = 0; i < plan.layout.legs.size(); ++i) {
        const WallLeg& leg = plan.layout.legs[i];
        const size_t first = at;
        at += static_cast<size_t>(leg.pieces);
        if (leg.wall != wall) continue;
        legs.push_back(leg);
        if (!leg.curved || leg.pieces == 0) continue;
        // A curved stretch is labelled at its middle pile, along it.
        const WallPiece& mid = pieces[first + static_cast<size_t>(leg.pieces) / 2];
        const Rotation along = mid.along();
        legs.back().x1 = mid.x, legs.back().y1 = mid.y;
        legs.back().x2 = mid.x + along.c * mid.width, legs.back().y2 = mid.y + along.s * mid.width;
    }
    return legs;
}

Plan planRun(const HostInput& input, const Choices& choices, const Outlines& outlines) {
    Plan p;
    p.section = outlines.section;
    // Points in order that are only two are the two-point run itself.
    p.wall = choices.mode == RunMode::Selection ||
             (choices.mode == RunMode::Points && pointsGiven(input.header) != 2);
    if (p.wall) planWall(p, input, choices, outlines);
    else planStraightRun(p, input, choices, outlines);
    p.supports = planSupports(p, choices.supports, outlines, choices.orientation);
    return p;
}

std::u16string countText(const Plan& plan) {
    std::u16string text = plan.wall ? wallCountText(plan.layout)
                                    : pileCountText(plan.count(), pileSections()[plan.section].widthMm, plan.indicated);
    // Why the supports asked for are not drawn, after what was laid.
    if (!plan.supports.why.empty()) text += u"  " + plan.supports.why;
    return text;
}

QuantityTable quantities(const Plan& plan, const Choices& choices) {
    const double metres = choices.pileLength.state == LengthState::Valid ? choices.pileLength.metres : 0;
    const PileSection& section = pileSections()[plan.section];
    QuantityTable table = quantitiesFor(plan.layout.pieces, section, metres);
    table.supports = supportRows(plan.supports, metres);
    for (const QuantityRow& r : table.supports) {
        table.supportsWeighed = table.supportsWeighed && r.lengthM > 0;
        table.supportsMass += tenthRounded(r.mass);
    }
    if (plan.drawn.size() < 2) return table;
    // Each wall's subtotal, counted and weighed as the table is.
    const auto& legs = plan.layout.legs;
    for (size_t k = 0; k < plan.drawn.size(); ++k) {
        std::vector<WallPiece> own;
        for (const WallPiece& p : plan.layout.pieces) {
            const auto leg = static_cast<size_t>(p.leg);
            if (leg < legs.size() && legs[leg].wall == static_cast<int32_t>(k)) own.push_back(p);
        }
        const QuantityTable t = quantitiesFor(own, section, metres);
        table.walls.push_back({wallLetter(static_cast<int32_t>(k)), u"", t.count, 0, t.mass});
    }
    return table;
}

}  // namespace ravo
