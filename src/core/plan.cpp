#include "plan.h"

#include <algorithm>
#include <cstdio>

#include "result_writer.h"
#include "text.h"

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

// The wall's path from the points in order or the selected lines; what was
// given goes with it, for the preview to show what a refusal speaks of.
PathResult wallPath(const HostInput& in, RunMode mode, std::vector<WallSegment>& given) {
    const GaibuHeader& h = in.header;
    if (mode == RunMode::Points) {
        std::vector<WallPoint> points;
        for (int i = 1; i <= kMostPoints && h.hpGiven[i]; ++i) points.push_back({h.hp[i].x, h.hp[i].y});
        for (size_t i = 0; i + 1 < points.size(); ++i)
            given.push_back({points[i].x, points[i].y, points[i + 1].x, points[i + 1].y});
        return pathFromPoints(points);
    }
    // The selected line records; circles, texts and points play no part.
    // Each layer group has its own scale, and the host reads the result back
    // at the write group's: a selection over groups of different scales, or
    // at another scale than the write group, is refused.
    const double writeScale = groupScale(h, h.nWriteLG);
    double scale = 0;
    bool mixed = false;
    given.reserve(in.records.size());
    for (const recLine& rec : in.records) {
        if (rec.kind != kKindLine) continue;
        given.push_back({rec.X1, rec.Y1, rec.X2, rec.Y2});
        const double s = groupScale(h, rec.LG);
        if (s > 0 && scale > 0 && s != scale) mixed = true;
        if (s > 0) scale = s;
    }
    PathResult r;
    if (mixed)
        r.fault = u"縮尺の異なるレイヤグループにまたがって選択されています。同じ縮尺のレイヤグループの線だけを選択してください";
    else if (scale > 0 && writeScale > 0 && scale != writeScale)
        r.fault = u"壁の線のレイヤグループ（1/" + scaleText(scale) + u"）と書込レイヤグループ（1/" + scaleText(writeScale) +
                  u"）の縮尺が異なります。壁の線のレイヤグループを書込レイヤグループにしてください";
    else
        r = chainSegments(given);
    return r;
}

void planWall(Plan& p, const HostInput& in, const Choices& ch, const Outlines& o) {
    PathResult path = wallPath(in, ch.mode, p.given);
    if (!path.ok()) {
        p.refusal = Refusal::Input;
        p.fault = std::move(path.fault);
        return;
    }
    p.given.clear();
    p.drawn = restartPath(path.path, ch.start, ch.reversed);
    const PileSection& section = o.pileSection();
    WallPlan plan;
    plan.width = section.widthMm;
    plan.reach = o.reach;
    plan.alternates = section.alternates();
    plan.orientation = ch.orientation;
    plan.startCorner = !p.drawn.closed && ch.startCorner;
    plan.endCorner = !p.drawn.closed && ch.endCorner;
    plan.depth = o.depth;
    plan.leastAngle = o.leastCornerAngle();
    p.layout = layWall(p.drawn, plan);
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

Plan planRun(const HostInput& input, const Choices& choices, const Outlines& outlines) {
    Plan p;
    p.section = outlines.section;
    // Points in order that are only two are the two-point run itself.
    p.wall = choices.mode == RunMode::Selection ||
             (choices.mode == RunMode::Points && pointsGiven(input.header) != 2);
    if (p.wall) planWall(p, input, choices, outlines);
    else planStraightRun(p, input, choices, outlines);
    return p;
}

std::u16string countText(const Plan& plan) {
    if (plan.wall) return wallCountText(plan.layout);
    return pileCountText(plan.count(), pileSections()[plan.section].widthMm, plan.indicated);
}

QuantityTable quantities(const Plan& plan, const Choices& choices) {
    const double metres = choices.pileLength.state == LengthState::Valid ? choices.pileLength.metres : 0;
    return quantitiesFor(plan.layout.pieces, pileSections()[plan.section], metres);
}

std::string resultBytes(const Plan& plan, const HostInput& input, const Outlines& outlines, const Choices& choices,
                        const NumberFormat& fmt, const AnsiCodec& codec) {
    std::string out;
    out.reserve(plan.layout.pieces.size() * outlines.mostLinesPerPiece() * 64);  // some 64 bytes a line
    // The box of what is drawn, for the table to stand right of it.
    double right = -INFINITY, top = -INFINITY;
    const double mx = plan.wall ? 0 : plan.hp1.x, my = plan.wall ? 0 : plan.hp1.y;
    placePieces(plan, outlines, [&](double x1, double y1, double x2, double y2, PieceKind) {
        if (!plan.wall) {
            x1 = detail::addX(x1, mx), y1 = detail::addX(y1, my);
            x2 = detail::addX(x2, mx), y2 = detail::addX(y2, my);
        }
        right = std::max(right, std::max(x1, x2));
        top = std::max(top, std::max(y1, y2));
        appendLineRecord(out, x1, y1, x2, y2, fmt, codec);
    });
    if ((!choices.labels && !choices.table) || out.empty()) return out;
    const TextStyle style = currentTextStyle(input.header);
    const PileSection& section = outlines.pileSection();
    Annotations a;
    if (choices.labels) {
        // Clear of the wall: its depth from the axis and one text height.
        const bool closed = plan.wall && plan.drawn.closed;
        const bool ccw = plan.wall && counterClockwise(plan.drawn);
        addLegLabels(a, plan.layout.legs, closed, ccw, outlines.depth + style.height, section, choices.pileLength,
                     style);
    }
    if (choices.table) {
        // Right of the wall and its labels: their box's right and top.
        for (const HostText& t : a.texts) {
            const double len = distance2D(0, 0, t.dx, t.dy);
            if (!(len > 0)) continue;
            const double ux = -t.dy / len * style.height, uy = t.dx / len * style.height;  // the text's up
            for (auto [x, y] : {std::pair{t.x, t.y}, {t.x + t.dx, t.y + t.dy}, {t.x + ux, t.y + uy},
                                {t.x + t.dx + ux, t.y + t.dy + uy}})
                right = std::max(right, x), top = std::max(top, y);
        }
        addQuantityTable(a, quantities(plan, choices), choices.pileLength, right, top, style);
    }
    return out + formatAnnotations(a, style, fmt, codec);
}

}  // namespace ravo
