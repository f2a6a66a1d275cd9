// The wall laid: a path whose every turn is a corner leg by leg, in whole
// and closing piles; a path with a curve goes to the walk along curves
// (wall_curve.cpp).
#include "wall.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "functions.h"
#include "pile_sections.h"
#include "wall_geometry.h"

namespace ravo {

using namespace detail;

namespace {

// Legs that come within `reach` of another, not next to it: where.
std::optional<WallPoint> touchingLegs(const std::vector<SegmentEnds>& legs, bool closed, double reach) {
    const size_t n = legs.size();
    return firstTouch(legs, reach, [&](size_t i, size_t j) {
        const size_t gap = j - i;
        return gap == 1 || (closed && gap == n - 1);  // neighbours share a vertex
    });
}

// The laid wall refused where its legs, each the axis widened by the
// pile's depth either side, run into another that is not next to it: legs
// grown to whole piles can reach past what was drawn.
WallLayout checkLaid(WallLayout& out, bool closed, const WallPlan& plan) {
    if (!(plan.depth > 0)) return std::move(out);
    std::vector<SegmentEnds> legs;
    legs.reserve(out.legs.size());
    for (const WallLeg& l : out.legs) legs.push_back({{l.x1, l.y1}, {l.x2, l.y2}});
    if (const auto at = touchingLegs(legs, closed, 2 * plan.depth)) {
        WallLayout refused;
        refused.fault = u"割り付けた矢板どうしが重なります" + placeText(at->x, at->y) + u"。";
        // An outline meant to be closed that misses its start: say so.
        refused.fault += out.openGap >= 0 ? u"線の始点と終点が " + gapText(out.openGap) + u" mm 離れていて、閉じた壁になっていません"
                                          : u"各辺は矢板の整数枚まで伸びるため、線の形を見直してください";
        return refused;
    }
    return std::move(out);
}

// The legs as drawn, vertex to vertex.
std::vector<Dir> drawnLegs(const WallPath& path) {
    const auto& v = path.vertices;
    std::vector<Dir> drawn(path.legCount());
    for (size_t i = 0; i < drawn.size(); ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % v.size()];
        drawn[i] = dirOf(static_cast<LD>(b.x) - a.x, static_cast<LD>(b.y) - a.y);
    }
    return drawn;
}

double turnAfter(const std::vector<Dir>& drawn, size_t leg) {
    const Dir& a = drawn[leg];
    const Dir& b = drawn[(leg + 1) % drawn.size()];
    return turnDegrees(a.x, a.y, b.x, b.y);
}

// A corner sharper than the section takes: its corner pile and the next
// leg's first pile would cross.
std::u16string acuteCorner(const WallPath& path, const std::vector<Dir>& drawn, double leastAngle) {
    const auto& v = path.vertices;
    for (size_t i = 0; i + (path.closed ? 0 : 1) < drawn.size() && leastAngle > 0; ++i) {
        const double interior = 180.0 - std::fabs(turnAfter(drawn, i));
        if (interior >= leastAngle) continue;
        const WallPoint& at = v[(i + 1) % v.size()];
        return sharpCornerText(at, interior, leastAngle);
    }
    return {};
}

// The pieces of a leg from offset s: the smallest n >= 1 with
// s + n·w >= length − tolerance (one past the cap where it is beyond it).
int64_t countedPieces(LD s, LD length, LD w) {
    const LD q = (length - static_cast<LD>(kWholePileTolerance) - s) / w;
    if (q > kMaxPileCount + 1.0L) return kMaxPileCount + 1;
    return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(q)));
}

// The largest n >= 0 with s + n·w <= length + tolerance (capped likewise).
int64_t fittingPieces(LD s, LD length, LD w) {
    const LD q = (length + static_cast<LD>(kWholePileTolerance) - s) / w;
    if (q > kMaxPileCount + 1.0L) return kMaxPileCount + 1;
    return std::max<int64_t>(0, static_cast<int64_t>(std::floor(q)));
}

// n whole pieces, the last the leg's end piece.
Fill wholePieces(int64_t n) { return Fill{n - 1, 0, 0, true}; }

// Where a leg laid from (px, py) along d from offset s with `span` ends, as
// LegLayer::lay adds it up.
std::pair<LD, LD> legEnd(LD px, LD py, const Dir& d, LD s, const Fill& span, LD w) {
    LD at = s;
    for (int64_t i = 0; i < span.whole; ++i) at += w;
    for (int64_t i = 0; i < span.closing; ++i) at += span.width;
    at += w;
    return {px + at * d.x, py + at * d.y};
}

// How far along d from p the line through q along e lies; none where they
// run parallel.
std::optional<LD> alongTo(LD px, LD py, const Dir& d, LD qx, LD qy, const Dir& e) {
    const LD cross = d.x * e.y - d.y * e.x;
    if (std::fabs(cross) < kTanStraight) return std::nullopt;
    return ((qx - px) * e.y - (qy - py) * e.x) / cross;
}

// The side the steel may move to: the plan's, else out of a loop; 0 on an
// open path drawn as its joint line, whose legs grow past their ends.
int32_t steelSideOf(const WallPath& path, const WallPlan& plan) {
    if (plan.steelSide != 0) return plan.steelSide > 0 ? 1 : -1;
    if (!path.closed) return 0;
    return counterClockwise(path) ? -1 : 1;
}

// Whether a leg running on past the corner where it turns by `turn` moves
// the next leg to the steel's side `side`.
bool pastCornerToSteel(double turn, int32_t side) { return (turn > 0) != (side > 0); }

std::u16string shortLegText(const WallPoint& at) {
    return u"辺が短すぎます" + placeText(at.x, at.y) + u"。矢板を面の外へ出さずに角を作れません";
}

// Lays a path whose every turn is a corner, leg by leg from its start. A
// leg that ends at a corner takes whole piles up to the next leg's drawn
// line: past it where that moves the next leg to the steel's side (or
// where either side will do), short of it where it would move it the other
// way. An open path's last leg grows past its end. A loop's last two legs
// are fitted to close at the start vertex, with closing piles; piles that
// alternate take an even count, the extra piece in one of those two legs.
WallLayout layStraight(const WallPath& path, const std::vector<Dir>& drawn, const WallPlan& plan) {
    WallLayout out;
    LegLayer legs(plan, out);
    const LD w = plan.width, c = plan.reach, least = leastClosingOf(plan);
    const auto& v = path.vertices;
    const size_t m = drawn.size();
    const int32_t side = steelSideOf(path, plan);
    auto refuse = [&](std::u16string why) {
        out.fault = std::move(why);
        out.pieces.clear();
        out.legs.clear();
        return out;
    };
    auto cannotClose = [&](const char16_t* why) { return refuse(std::u16string(u"閉合できません（") + why + u"）"); };
    LD px = v[0].x, py = v[0].y;
    const size_t counted = path.closed ? m - 2 : m;  // the loop's last two are fitted
    for (size_t i = 0; i < counted; ++i) {
        const LD s = i == 0 && !path.closed ? 0 : c;
        const bool corner = path.closed || i + 1 < m;
        const WallPoint& end = v[(i + 1) % v.size()];
        int64_t n = 0;
        if (side == 0) {
            n = countedPieces(s, drawn[i].len, w);
        } else if (!corner) {
            n = countedPieces(s, (end.x - px) * drawn[i].x + (end.y - py) * drawn[i].y, w);
        } else {
            // Straightened legs never run parallel to the next.
            const Dir& next = drawn[(i + 1) % m];
            const LD to = alongTo(px, py, drawn[i], end.x, end.y, next).value_or(drawn[i].len);
            n = pastCornerToSteel(turnAfter(drawn, i), side) ? countedPieces(s, to, w) : fittingPieces(s, to, w);
            if (n < 1) return refuse(shortLegText(end));
        }
        if (legs.tooMany(static_cast<LD>(n) + 1)) return out;
        std::tie(px, py) =
            legs.lay(i, px, py, drawn[i], s, wholePieces(n), corner, corner ? turnAfter(drawn, i) : 0);
    }
    if (!path.closed) {
        openEnds(out, path, plan);
        return checkLaid(out, false, plan);
    }
    // The second-to-last leg runs to where its axis meets the line through
    // the start vertex along the last leg, the last ends at the start vertex.
    const Dir& d = drawn[m - 2];
    const Dir& e = drawn[m - 1];
    const LD vx = v[0].x, vy = v[0].y;
    const std::optional<LD> a = alongTo(px, py, d, vx, vy, e);
    if (!a) return cannotClose(u"最後の 2 辺が平行です");
    if (!(*a >= c + w - static_cast<LD>(kWholePileTolerance))) return cannotClose(u"最後から 2 番目の辺が短すぎます");
    // The play of a leg ending at a corner, towards the steel's side only:
    // past the corner where that side is the way the leg runs on.
    auto playAt = [&](double turn) {
        const LD tight = static_cast<LD>(kWholePileTolerance);
        Play p;
        (pastCornerToSteel(turn, side) ? p.under : p.over) = tight;
        return p;
    };
    const Play play1 = playAt(turnAfter(drawn, m - 2));
    Fill f1 = fillSpan(*a - c - w, w, least, 0, play1);
    auto lastLeg = [&](const Fill& f) {
        const auto [ex, ey] = legEnd(px, py, d, c, f, w);
        return dirOf(vx - ex, vy - ey);
    };
    Dir last = lastLeg(f1);
    auto lastFits = [&](const Dir& l) {
        return l.len >= c + w - static_cast<LD>(kWholePileTolerance) && l.x * e.x + l.y * e.y > 0;
    };
    if (!lastFits(last)) return cannotClose(u"最後の辺が短すぎます");
    auto fillLast = [&](int64_t extra) {
        return fillSpan(last.len - c - w, w, least, extra, playAt(turnDegrees(last.x, last.y, drawn[0].x, drawn[0].y)));
    };
    Fill f2 = fillLast(0);
    const auto pieces = [](const Fill& f) { return f.whole + f.closing + 1; };
    if (plan.alternates && (static_cast<int64_t>(out.pieces.size()) + pieces(f1) + pieces(f2)) % 2 != 0) {
        // One piece more, in the last leg if it takes it, else in the one before.
        if (const Fill more = fillLast(1); more.ok) {
            f2 = more;
        } else if (const Fill before = fillSpan(*a - c - w, w, least, 1, play1); before.ok && lastFits(lastLeg(before))) {
            f1 = before;
            last = lastLeg(f1);
            f2 = fillLast(0);
        } else {
            return cannotClose(u"向きの交互になる偶数枚で閉じられません");
        }
    }
    if (!f1.ok || !f2.ok) return cannotClose(u"調整矢板が狭くなりすぎます");
    if (legs.tooMany(static_cast<LD>(pieces(f1) + pieces(f2)))) return out;
    std::tie(px, py) = legs.lay(m - 2, px, py, d, c, f1, true, turnAfter(drawn, m - 2));
    legs.lay(m - 1, px, py, last, c, f2, true, turnDegrees(last.x, last.y, drawn[0].x, drawn[0].y));
    return checkLaid(out, true, plan);
}

}  // namespace

Fill detail::fillSpan(LD x, LD w, LD least, int64_t extra, Play play) {
    least = std::max<LD>(least, static_cast<LD>(kLeastClosingWidth));
    const auto n0 = static_cast<int64_t>(std::floor((x + static_cast<LD>(kWholePileTolerance)) / w));
    const LD g = x - static_cast<LD>(n0) * w;
    Fill f;
    if (g < play.under || g > w - play.over) {
        // Whole piles within the play of the joints.
        f.whole = g < play.under ? n0 : n0 + 1;
        if (extra == 0) return f;
        x = static_cast<LD>(f.whole) * w;
    } else {
        f.whole = n0 + 1;  // the pieces, for now
    }
    const int64_t k = f.whole + extra;
    // j closing piles take x − (k − j)·w, each within [least, w].
    const LD need = static_cast<LD>(k) * w - x;
    f.closing = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(need / (w - least) - 1e-12L)));
    if (f.closing > k) f.closing = k;
    f.whole = k - f.closing;
    f.width = (x - static_cast<LD>(f.whole) * w) / static_cast<LD>(f.closing);
    f.ok = f.whole >= 0 && f.width >= least - 1e-9L && f.width <= w + 1e-9L;
    return f;
}

void detail::openEnds(WallLayout& out, const WallPath& path, const WallPlan& plan) {
    const auto& v = path.vertices;
    // 起点 and 終点 are corner piles too (one, where the wall is one pile).
    // An end piece that is a corner pile already, its leg or stretch one
    // pile long, is one piece: counted twice, the count line would disagree
    // with the table and the drawing.
    WallPiece &first = out.pieces.front(), &last = out.pieces.back();
    if (plan.startCorner && first.kind != PieceKind::Corner) ++out.corners;
    if (plan.endCorner && (&first != &last || !plan.startCorner) && last.kind != PieceKind::Corner) ++out.corners;
    if (plan.startCorner) first.outline = PieceOutline::StartCorner;
    if (plan.endCorner) last.outline = PieceOutline::EndCorner;
    const double gap = distance2D(v.front().x, v.front().y, v.back().x, v.back().y);
    if (gap <= plan.width) out.openGap = gap;
}

WallLayout layWall(const WallPath& path, const WallPlan& plan) {
    WallLayout out;
    const size_t legCount = path.legCount();
    if (legCount > 0 && hasCurve(path, plan.swing)) return layCurved(path, plan);
    if (legCount == 0 || (path.closed && legCount < kLeastLoopCorners)) {
        out.fault = u"割り付ける線がありません";
        return out;
    }
    const std::vector<Dir> drawn = drawnLegs(path);
    out.fault = acuteCorner(path, drawn, plan.leastAngle);
    if (!out.ok()) return out;
    return layStraight(path, drawn, plan);
}

}  // namespace ravo
