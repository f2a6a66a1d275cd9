// The walk along curves: a path with a curve laid stretch by stretch, a
// full circle in equal piles.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "text.h"
#include "wall_geometry.h"

namespace ravo::detail {

namespace {

// A stretch's legs for walking: a line from its start along its unit
// direction, or an arc about its centre from its start angle, either way.
struct Elem {
    bool arc = false;
    LD ax = 0, ay = 0, ux = 0, uy = 0;  // the start; a line's direction
    LD cx = 0, cy = 0, r = 0, a0 = 0, sense = 1;
    LD length = 0;
};

struct Spot {
    LD x, y;
};

Elem elemOf(const WallPath& path, size_t leg) {
    const auto& v = path.vertices;
    const WallPoint& a = v[leg];
    const WallPoint& b = v[(leg + 1) % v.size()];
    Elem e;
    e.ax = a.x, e.ay = a.y;
    if (path.arcAt(leg)) {
        const ArcGeo g = arcGeo(path, leg);
        e.arc = true;
        e.cx = g.cx, e.cy = g.cy, e.r = g.r, e.a0 = g.a0;
        e.sense = g.sweep > 0 ? 1 : -1;
        e.length = g.r * std::fabs(g.sweep);
    } else {
        const Dir d = dirOf(static_cast<LD>(b.x) - a.x, static_cast<LD>(b.y) - a.y);
        e.ux = d.x, e.uy = d.y, e.length = d.len;
    }
    return e;
}

Spot spotOn(const Elem& e, LD t) {
    if (!e.arc) return {e.ax + e.ux * t, e.ay + e.uy * t};
    LD s, c;
    x87::sinCos(e.a0 + e.sense * t / e.r, s, c);
    return {e.cx + e.r * c, e.cy + e.r * s};
}

Elem reversedElem(const Elem& e) {
    Elem r = e;
    const Spot end = spotOn(e, e.length);
    r.ax = end.x, r.ay = end.y;
    if (e.arc) r.a0 = e.a0 + e.sense * e.length / e.r, r.sense = -e.sense;
    else r.ux = -e.ux, r.uy = -e.uy;
    return r;
}

// Where along a stretch: the leg, how far along it, how far from the start.
struct Cursor {
    size_t e = 0;
    LD t = 0, s = 0;
};

// The first t in [t0, length] of e at distance d from p (where e at t0 is
// nearer than d).
std::optional<LD> rootOn(const Elem& e, Spot p, LD d, LD t0) {
    const LD eps = 1e-9L * std::max<LD>(1, e.length);
    std::optional<LD> best;
    auto take = [&](LD t) {
        if (t >= t0 - eps && t <= e.length + eps && (!best || t < *best)) best = std::clamp(t, t0, e.length);
    };
    if (!e.arc) {
        const LD qx = e.ax - p.x, qy = e.ay - p.y;
        const LD b = e.ux * qx + e.uy * qy, disc = b * b - (qx * qx + qy * qy - d * d);
        if (disc >= 0) take(-b + x87::sqrt(disc));
        return best;
    }
    const LD dx = e.cx - p.x, dy = e.cy - p.y, rho = x87::sqrt(dx * dx + dy * dy);
    if (!(rho > 0)) return best;
    const LD k = (d * d - rho * rho - e.r * e.r) / (2 * e.r * rho);
    if (k < -1 || k > 1) return best;
    const LD alpha = x87::atan2(x87::sqrt(1 - k * k), k), delta = x87::atan2(dy, dx);
    for (LD phi : {delta + alpha, delta - alpha}) {
        LD tau = std::fmod(e.sense * (phi - e.a0), kTwoPi);
        if (tau < 0) tau += kTwoPi;
        take(tau * e.r);
        take((tau - kTwoPi) * e.r);  // a root just before the start
    }
    return best;
}

// The first place further along the stretch than `from` at distance d from p.
std::optional<Cursor> ahead(const std::vector<Elem>& st, const Cursor& from, Spot p, LD d) {
    LD base = from.s - from.t;
    for (size_t e = from.e; e < st.size(); ++e) {
        if (const auto t = rootOn(st[e], p, d, e == from.e ? from.t : 0)) return Cursor{e, *t, base + *t};
        base += st[e].length;
    }
    return std::nullopt;
}

Spot spotAt(const std::vector<Elem>& st, const Cursor& c) { return spotOn(st[c.e], c.t); }

LD apart(Spot p, Spot q) { return x87::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y)); }

// The smallest radius (mm) the section follows: its piles as chords of
// the width turning at each joint by what one interlock takes.
LD leastRadius(const WallPlan& plan) {
    LD s, c;
    x87::sinCos(static_cast<LD>(plan.swing) * kPiFull / 360, s, c);
    return plan.width / (2 * s);
}

// "4.586": a radius (mm) in metres, to the millimetre above.
std::u16string radiusUpText(LD mm) { return metresFromMm(static_cast<long long>(std::ceil(toDouble(mm) - 1e-9))); }

// A curve the piles cannot follow: an arc or a circle (of this radius on
// the joint line, turning left when `left`; 0: none in particular) smaller
// than the section takes. Where the user drew a face the radii are the
// face's: the joint line lies faceOffset to the left of it, so a curve
// turning left has the face that much further out.
// `drawnRadius`: the arc's radius as drawn, where the joint line's is more
// than the face's offset from it (an arc moved on by its chords' bow).
std::u16string tooSharp(Spot at, const WallPlan& plan, LD radius = 0, bool left = true, LD drawnRadius = 0) {
    const LD off = left ? plan.faceOffset : -plan.faceOffset, least = leastRadius(plan);
    const bool face = plan.faceOffset != 0;
    std::u16string text = u"線の曲がりが急すぎます" + placeText(toDouble(at.x), toDouble(at.y));
    if (radius > 0)
        text += (face ? u"（描いた面の半径 " : u"（半径 ") +
                metresFromMm(std::llround(toDouble(face && drawnRadius > 0 ? drawnRadius : radius + off))) + u" m）";
    text += u"。この型式（継手の回転 " + degreesText(plan.swing) + u"°）が沿える" + (face ? u"面の" : u"") + u"半径は " +
            radiusUpText(least + off) + u" m 以上です";
    if (face) text += u"（継手線で " + radiusUpText(least) + u" m）";
    return text;
}

// A kink in the line (a vertex turning no more than the interlocks take, so
// no corner) that, with what the line turns about it, turns a joint further
// than they take.
std::u16string kinkText(const WallPoint& at, double jointTurn, const WallPlan& plan) {
    return u"線が折れています" + placeText(at.x, at.y) + u"（継手の回転 " + degreesText(jointTurn) + u"°、この型式は " +
           degreesText(plan.swing) + u"° まで）。折れをなくすか、はっきりした角にしてください";
}

// The ends of n chords of one length along the stretch from the joint at
// c0 (p0) to `to` (at toAt along it), the last one `to`; the length found
// by halving about `guess`. None where the stretch does not take them.
std::vector<Spot> equalChords(const std::vector<Elem>& st, const Cursor& c0, Spot p0, Spot to, LD toAt, int64_t n,
                              LD guess) {
    if (n == 1) return {to};
    // Too long when the last but one chord's end passes `to` or lies
    // nearer it than the length.
    auto walk = [&](LD d, std::vector<Spot>* ends) {
        Cursor c = c0;
        Spot p = p0;
        for (int64_t k = 0; k + 1 < n; ++k) {
            const auto j = ahead(st, c, p, d);
            if (!j || j->s > toAt) return true;
            c = *j, p = spotAt(st, c);
            if (ends) ends->push_back(p);
        }
        return apart(p, to) < d;
    };
    LD lo = guess / 2, hi = guess * 3 / 2;
    for (int i = 0; i < 200 && hi - lo > 1e-9L; ++i) {
        const LD mid = (lo + hi) / 2;
        (walk(mid, nullptr) ? hi : lo) = mid;
    }
    std::vector<Spot> ends;
    walk(lo, &ends);
    if (static_cast<int64_t>(ends.size()) + 1 != n) return {};
    ends.push_back(to);
    return ends;
}

// How a stretch ends: at a corner (its last pile the corner pile), free (an
// open path's end), or back at its start (a loop without corners).
enum class StretchEnd : uint8_t { Corner, Free, Start };

// Lays a path with a curve stretch by stretch, corner piles where it turns
// more than the interlocks take.
class CurveLayer {
public:
    // `extra`: pieces more than the fewest in the last stretch of a loop.
    CurveLayer(const WallPath& path, const WallPlan& plan, WallLayout& out, int64_t extra = 0)
        : path_(path), plan_(plan), out_(out), legs_(plan, out), w_(plan.width), c_(plan.reach), extra_(extra) {
        if (plan.drawn && plan.drawn->vertices.size() == path.vertices.size()) {
            drawn_ = *plan.drawn;
            return;
        }
        if (plan.faceOffset == 0) return;
        PathResult face = offsetPath(path, -plan.faceOffset);
        if (face.ok() && face.path.vertices.size() == path.vertices.size()) drawn_ = std::move(face.path);
    }

    void lay() {
        const size_t n = path_.vertices.size(), m = path_.legCount();
        std::vector<size_t> corners;
        for (size_t i = 0; i < n; ++i)
            if (cornerAt(path_, i, plan_.swing)) corners.push_back(i);
        for (size_t i : corners) {
            const Tangents in = tangentsOf(path_, (i + m - 1) % m), out = tangentsOf(path_, i);
            const double interior = 180.0 - std::fabs(turnDegrees(in.ix, in.iy, out.ox, out.oy));
            if (plan_.leastAngle > 0 && interior < plan_.leastAngle)
                return refuse(sharpCornerText(path_.vertices[i], interior, plan_.leastAngle));
        }
        // The stretches' first vertices: an open path's start and its
        // corners; a loop's corners (its start is one), or its start alone.
        std::vector<size_t> starts;
        if (!path_.closed) starts.push_back(0);
        starts.insert(starts.end(), corners.begin(), corners.end());
        const bool cornerless = path_.closed && corners.empty();
        if (cornerless) starts.push_back(0);
        for (size_t k = 0; k < starts.size() && out_.ok(); ++k) {
            const size_t from = starts[k];
            const size_t to = k + 1 < starts.size() ? starts[k + 1] : (path_.closed ? starts[0] + n : n - 1);
            std::vector<Elem> st;
            for (size_t leg = from; leg < to; ++leg) st.push_back(elemOf(path_, leg % m));
            const StretchEnd end = cornerless ? StretchEnd::Start
                                   : !path_.closed && k + 1 == starts.size() ? StretchEnd::Free
                                                                            : StretchEnd::Corner;
            stretch(k, st, (!path_.closed && k == 0) || cornerless ? 0 : c_, end, k + 1 == starts.size());
            if (end == StretchEnd::Corner && out_.ok()) out_.pieces[pendingCorner_].drawnTurn = drawnTurnAt(to % n);
        }
        if (!out_.ok()) return;
        // A loop too small for its piles to go round it.
        if (cornerless && out_.pieces.size() < kLeastLoopCorners)
            return refuse(tooSharp(firstJoint_, plan_, 0, counterClockwise(path_)));
        if (pendingCorner_ != SIZE_MAX) turnCorner(firstJoint_);
        checkDeflections(cornerless);
    }

private:
    void refuse(std::u16string why) {
        out_.fault = std::move(why);
        out_.pieces.clear();
        out_.legs.clear();
    }

    // The path's turn at a vertex as the user drew it, its tangents'. Where
    // a face was drawn the joint line is that line moved: the move keeps a
    // line's direction but not an arc's tangent at the moved vertex, so the
    // turn is taken on the face, the joint line moved back.
    double drawnTurnAt(size_t vertex) const {
        const WallPath& p = drawn_ ? *drawn_ : path_;
        const size_t m = p.legCount();
        const Tangents in = tangentsOf(p, (vertex + m - 1) % m), out = tangentsOf(p, vertex);
        return turnDegrees(in.ix, in.iy, out.ox, out.oy);
    }

    bool put(size_t leg, Spot a, Spot b, LD width, PieceKind kind) {
        if (legs_.tooMany(1)) return false;
        legs_.chord(leg, a.x, a.y, b.x, b.y, width, kind);
        return true;
    }

    // The corner pile placed last turns towards the next stretch's first
    // joint: its plate reaches there.
    void turnCorner(Spot next) {
        WallPiece& p = out_.pieces[pendingCorner_];
        const Rotation along = p.along();
        const LD ex = p.x + static_cast<LD>(along.c) * p.width, ey = p.y + static_cast<LD>(along.s) * p.width;
        p.turn = turnDegrees(along.c, along.s, next.x - ex, next.y - ey);
        pendingCorner_ = SIZE_MAX;
    }

    void stretch(size_t leg, const std::vector<Elem>& st, LD offset, StretchEnd end, bool lastStretch) {
        const size_t first = out_.pieces.size();
        const Spot start{st.front().ax, st.front().ay};
        LD total = 0;
        for (const Elem& e : st) total += e.length;
        const Spot last = spotOn(st.back(), st.back().length);
        Cursor at;
        Spot p = start;
        if (offset > 0) {
            const auto j = ahead(st, at, p, offset);
            if (!j) return refuse(u"角と角の間が短すぎます" + placeText(toDouble(start.x), toDouble(start.y)));
            at = *j, p = spotAt(st, at);
        }
        if (leg == 0) firstJoint_ = p;
        if (pendingCorner_ != SIZE_MAX) turnCorner(p);
        out_.length += offset;
        // Where the last whole pile before the end corner starts: a width
        // back from the corner, walking the stretch backwards.
        LD lastStart = total;
        Spot q = last;
        if (end == StretchEnd::Corner) {
            std::vector<Elem> back;
            for (size_t i = st.size(); i-- > 0;) back.push_back(reversedElem(st[i]));
            const auto b = ahead(back, Cursor{}, last, w_);
            if (!b || total - b->s < at.s - 1e-6L)
                return refuse(u"角と角の間が短すぎます" + placeText(toDouble(start.x), toDouble(start.y)));
            lastStart = total - b->s, q = spotAt(back, *b);
        }
        // The whole piles' joints, from the stretch's first.
        std::vector<std::pair<Cursor, Spot>> joints{{at, p}};
        for (;;) {
            const auto j = ahead(st, at, p, w_);
            if (!j || (end == StretchEnd::Corner && j->s > lastStart + 1e-6L)) break;
            if (legs_.tooMany(static_cast<LD>(joints.size()))) return;
            at = *j, p = spotAt(st, at);
            joints.push_back({at, p});
        }
        auto wholeTo = [&](size_t n) {
            for (size_t i = 0; i < n; ++i)
                if (!put(leg, joints[i].second, joints[i + 1].second, w_, PieceKind::Pile)) return false;
            return true;
        };
        const size_t walked = joints.size() - 1;
        if (end == StretchEnd::Free) {
            if (!wholeTo(walked)) return;
            const LD rest = apart(p, last);
            if (rest > static_cast<LD>(kWholePileTolerance) && !put(leg, p, last, w_, PieceKind::Pile)) return;
        } else {
            // The rest up to the end corner pile (or round to the start) is
            // closed by the fewest closing piles no narrower than the least,
            // one more piece where the loop needs an even count: whole piles
            // give way to them as they need.
            const Spot to = end == StretchEnd::Corner ? q : start;
            const LD toAt = end == StretchEnd::Corner ? lastStart : total;
            const Fill f = fillSpan(static_cast<LD>(walked) * w_ + apart(p, to), w_, leastClosingOf(plan_),
                                    end != StretchEnd::Free && lastStretch ? extra_ : 0);
            if (!f.ok || f.whole < 0 || (f.closing > 0 && f.whole > static_cast<int64_t>(walked)))
                return refuse(u"角と角の間が短すぎます" + placeText(toDouble(start.x), toDouble(start.y)));
            if (f.closing == 0) {
                if (!wholeTo(walked)) return;
                if (f.whole > static_cast<int64_t>(walked)) {
                    if (!put(leg, p, to, w_, PieceKind::Pile)) return;
                }
            } else {
                // Chords across a bend are shorter than the line they span:
                // where they come out narrower than the least, a whole pile
                // more gives way to a closing pile.
                const LD least = leastClosingOf(plan_);
                Fill g = f;
                std::vector<Spot> cut;
                for (;;) {
                    const auto whole = static_cast<size_t>(g.whole);
                    cut = equalChords(st, joints[whole].first, joints[whole].second, to, toAt, g.closing, g.width);
                    LD narrowest = INFINITY;
                    Spot from = joints[whole].second;
                    for (const Spot& c : cut) narrowest = std::min(narrowest, apart(from, c)), from = c;
                    if (cut.empty() || narrowest >= least - 1e-9L) break;
                    if (g.whole == 0) {
                        cut.clear();
                        break;
                    }
                    g.width = (g.width * static_cast<LD>(g.closing) + w_) / static_cast<LD>(g.closing + 1);
                    --g.whole, ++g.closing;
                }
                if (cut.empty()) return refuse(u"角と角の間が短すぎます" + placeText(toDouble(start.x), toDouble(start.y)));
                const auto whole = static_cast<size_t>(g.whole);
                if (!wholeTo(whole)) return;
                Spot from = joints[whole].second;
                for (const Spot& c : cut) {
                    if (!put(leg, from, c, apart(from, c), PieceKind::Closing)) return;
                    from = c;
                }
            }
            p = to;
            if (end == StretchEnd::Corner) {
                if (!put(leg, p, last, w_, PieceKind::Corner)) return;
                pendingCorner_ = out_.pieces.size() - 1;
                out_.pieces.back().turn = 0;
            }
        }
        WallLeg L;
        L.x1 = toDouble(start.x), L.y1 = toDouble(start.y);
        L.x2 = toDouble(last.x), L.y2 = toDouble(last.y);
        L.pieces = static_cast<int32_t>(out_.pieces.size() - first);
        for (size_t i = first; i < out_.pieces.size(); ++i) L.closing += out_.pieces[i].kind == PieceKind::Closing;
        L.curved = true;
        out_.legs.push_back(L);
    }

    // Neighbouring piles of a stretch (round the start of a loop without
    // corners) turn at their joint no more than the interlocks take.
    void checkDeflections(bool cornerless) {
        const auto& pieces = out_.pieces;
        const size_t n = pieces.size();
        for (size_t i = 0; i + (cornerless ? 0 : 1) < n; ++i) {
            const WallPiece &a = pieces[i], &b = pieces[(i + 1) % n];
            if (a.leg != b.leg) continue;
            double turn = std::fabs(b.angle - a.angle);
            if (turn > 180) turn = 360 - turn;
            if (turn > plan_.swing + 1e-6) return refuse(sharpJoint({b.x, b.y}, turn));
        }
    }

    // Why a joint at `at` turns too far: an arc about it smaller than the
    // section follows, else the kink beside it that turns the most. Both
    // its piles lie within a width of the joint, and so does what turned
    // them.
    std::u16string sharpJoint(Spot at, double turn) const {
        const auto& v = path_.vertices;
        const LD near = w_ * (1 + 1e-9L), least = leastRadius(plan_);
        auto within = [&](const WallPoint& p) { return apart(at, {p.x, p.y}) <= near; };
        for (size_t leg = 0; leg < path_.legCount(); ++leg) {
            if (!path_.arcAt(leg) || !(path_.arcs[leg].r < least * (1 - 1e-9L))) continue;
            const ArcGeo g = arcGeo(path_, leg);
            const LD off = apart(at, {g.cx, g.cy}) - g.r;
            LD t = g.sweep > 0 ? angleOf(at.x - g.cx, at.y - g.cy) - g.a0 : g.a0 - angleOf(at.x - g.cx, at.y - g.cy);
            t = std::fmod(t, kTwoPi);
            if (t < 0) t += kTwoPi;
            const bool alongside = t <= std::fabs(g.sweep) && std::fabs(off) <= near;
            if (alongside || within(v[leg]) || within(v[(leg + 1) % v.size()]))
                return tooSharp(at, plan_, g.r, g.sweep > 0, drawn_ && drawn_->arcAt(leg) ? drawn_->arcs[leg].r : 0);
        }
        std::optional<size_t> kink;
        double most = -1;
        for (size_t i = 0; i < v.size(); ++i) {
            if (!path_.closed && (i == 0 || i + 1 == v.size())) continue;
            if (!within(v[i]) || cornerAt(path_, i, plan_.swing)) continue;
            const double t = std::fabs(drawnTurnAt(i));
            if (t > most) most = t, kink = i;
        }
        // A vertex turning less than the straight tolerance is a tangent
        // join, no kink; the kink is named where it was drawn.
        if (kink && most >= kStraightTolerance) return kinkText((drawn_ ? drawn_->vertices : v)[*kink], turn, plan_);
        return tooSharp(at, plan_);
    }

    const WallPath& path_;
    const WallPlan& plan_;
    WallLayout& out_;
    LegLayer legs_;
    const LD w_, c_;
    const int64_t extra_;
    std::optional<WallPath> drawn_;    // the line the user drew, where it is not the joint line
    size_t pendingCorner_ = SIZE_MAX;  // a corner pile waiting for its plate's direction
    Spot firstJoint_{0, 0};
};

// How near to and how far from a circle's centre a pile's outline comes,
// laid as a chord of half-angle φ on the circle of radius r, running
// counter-clockwise when `ccw` (its left towards the centre).
std::pair<LD, LD> pileExtent(std::span<const WallSegment> outline, LD r, LD phi, bool ccw) {
    LD s, c;
    x87::sinCos(phi, s, c);
    const LD half = r * s, h = r * c;
    auto at = [&](double x, double y) {
        return ccw ? Spot{x - half, y - h} : Spot{half - x, -h - y};
    };
    LD nearest = INFINITY, farthest = 0;
    for (const WallSegment& sg : outline) {
        const Spot a = at(sg.x1, sg.y1), b = at(sg.x2, sg.y2);
        farthest = std::max({farthest, apart({0, 0}, a), apart({0, 0}, b)});
        // The segment's point nearest the centre.
        const LD dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        const LD t = len2 > 0 ? std::clamp<LD>(-(a.x * dx + a.y * dy) / len2, 0, 1) : 0;
        nearest = std::min(nearest, apart({0, 0}, {a.x + t * dx, a.y + t * dy}));
    }
    return {nearest, farthest};
}

// A full circle: N equal piles on the circle they fit, N the whole number
// (even for alternating piles) nearest the drawn circle's length in widths;
// where the plan knows the outline, the nearest that keeps every pile on the
// steel's side of the drawn line (out of a loop drawn as its joint line,
// reaching in by no more than the inner face), one pair more or fewer at a
// time.
WallLayout layCircle(const WallPath& path, const WallPlan& plan) {
    WallLayout out;
    LegLayer legs(plan, out);
    const LegArc& arc = path.arcs[0];
    const LD w = plan.width, fit = kTwoPi * arc.r / w;
    const LD step = plan.alternates ? 2 : 1;
    LD count = plan.alternates ? 2 * std::nearbyint(fit / 2) : std::nearbyint(fit);
    const bool steelIn = plan.steelSide != 0 && (plan.steelSide > 0) == arc.ccw;
    const LD drawn = steelIn ? arc.r + plan.drawnAway : arc.r - plan.drawnAway;
    constexpr LD kSlack = 0.5;  // mm the outline may pass the drawn line by
    std::vector<std::span<const WallSegment>> faces;
    if (plan.alternates) faces = {plan.outline[0], plan.outline[1]};
    else faces = {plan.outline[plan.orientation != 0 ? 1 : 0]};
    auto clear = [&](LD n) {
        LD s, c;
        x87::sinCos(kPiFull / n, s, c);
        for (const auto& o : faces) {
            if (o.empty()) continue;
            const auto [nearest, farthest] = pileExtent(o, w / (2 * s), kPiFull / n, arc.ccw);
            if (steelIn ? farthest > drawn + kSlack : nearest < drawn - kSlack) return false;
        }
        return true;
    };
    const auto most = static_cast<LD>(kMaxPileCount - plan.laidBefore);
    while (count >= kLeastLoopCorners && count <= most && !clear(count)) count += steelIn ? -step : step;
    if (count > most) {
        out.fault = wallPileCountMessage();
        out.pastCap = true;
        return out;
    }
    const Spot low{arc.cx, arc.cy - arc.r};
    if (count < kLeastLoopCorners || 360 / count > plan.swing + 1e-9) {
        out.fault = tooSharp(low, plan, arc.r, arc.ccw);
        return out;
    }
    const auto n = static_cast<int64_t>(count);
    LD s, c;
    x87::sinCos(kPiFull / count, s, c);
    const LD r = w / (2 * s), sense = arc.ccw ? 1 : -1;
    // The joint k is φ = 2πk/N round from the lowest point, taken between
    // −π and π: the second half mirrors the first (the sine of −φ is that
    // of φ negated, exactly), so each sine and cosine is worked out once.
    std::vector<std::pair<LD, LD>> half(static_cast<size_t>(n / 2 + 1));
    for (int64_t k = 0; k <= n / 2; ++k)
        x87::sinCos(kTwoPi * static_cast<LD>(k) / count, half[static_cast<size_t>(k)].first,
                    half[static_cast<size_t>(k)].second);
    auto joint = [&](int64_t k) {
        k %= n;
        const bool second = k > n / 2;
        const auto& [hs, hc] = half[static_cast<size_t>(second ? n - k : k)];
        const LD js = (second ? -hs : hs) * sense;
        return Spot{arc.cx + r * js, arc.cy - r * hc};
    };
    Spot p = joint(0);
    for (int64_t k = 0; k < n; ++k) {
        const Spot q = joint(k + 1);
        legs.chord(0, p.x, p.y, q.x, q.y, w, PieceKind::Pile);
        p = q;
    }
    WallLeg L;
    L.x1 = L.x2 = toDouble(joint(0).x);
    L.y1 = L.y2 = toDouble(joint(0).y);
    L.pieces = static_cast<int32_t>(n);
    L.curved = true;
    out.legs.push_back(L);
    out.circles.push_back({toDouble(r), plan.steelSide != 0 ? toDouble(drawn) : 0, !steelIn});
    return out;
}

// The chords of a curved layout, each its piece's axis, apart by the
// pile's depth either side from all but their near neighbours.
void checkLaidChords(WallLayout& out, bool closed, const WallPlan& plan) {
    if (!(plan.depth > 0) || !out.ok()) return;
    std::vector<SegmentEnds> chords;
    chords.reserve(out.pieces.size());
    for (const WallPiece& p : out.pieces) chords.push_back({{p.x, p.y}, {p.x + p.ux * p.width, p.y + p.uy * p.width}});
    const size_t n = chords.size();
    constexpr size_t kNear = 3;  // past a closing pile and a corner's plate
    std::optional<WallPoint> at = firstTouch(chords, 2 * plan.depth, [&](size_t i, size_t j) {
        const size_t gap = j - i;
        return gap <= kNear || (closed && n - gap <= kNear);
    });
    // The near neighbours come close at a corner, but never cross (a pile
    // on an arc too tight for it can reach back across the corner pile).
    for (size_t i = 0; i < n && !at; ++i)
        for (size_t gap = 2; gap <= kNear && !at && gap + 1 < n; ++gap) {
            if (!closed && i + gap >= n) break;
            const SegmentEnds &a = chords[i], &b = chords[(i + gap) % n];
            if (segmentDistance2(a.first, a.second, b.first, b.second) == 0) at = meetingPlace(a, b);
        }
    if (!at) return;
    out.fault = u"割り付けた矢板どうしが重なります" + placeText(at->x, at->y) + u"。線の形を見直してください";
    out.pieces.clear();
    out.legs.clear();
}

}  // namespace

bool hasCurve(const WallPath& path, double swing) {
    if (!path.arcs.empty()) return true;
    for (size_t i = 0; i < path.vertices.size(); ++i)
        if ((path.closed || (i > 0 && i + 1 < path.vertices.size())) && !cornerAt(path, i, swing)) return true;
    return false;
}

WallLayout layCurved(const WallPath& path, const WallPlan& plan) {
    if (path.circle()) {
        WallLayout out = layCircle(path, plan);
        checkLaidChords(out, true, plan);
        return out;
    }
    WallLayout out;
    CurveLayer(path, plan, out).lay();
    if (out.ok() && path.closed && plan.alternates && out.pieces.size() % 2 != 0) {
        // Piles that alternate meet at the start only in an even count.
        WallLayout even;
        CurveLayer(path, plan, even, 1).lay();
        if (even.ok()) out = std::move(even);
        else out.fault = u"閉合できません（向きの交互になる偶数枚で閉じられません）", out.pieces.clear(), out.legs.clear();
    }
    if (!out.ok()) return out;
    if (!path.closed) openEnds(out, path, plan);
    checkLaidChords(out, path.closed, plan);
    return out;
}


}  // namespace ravo::detail
