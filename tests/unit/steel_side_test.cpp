// The rules a laid wall keeps on the drawings drafters have: the steel on
// the drawn side of a face (and out of a loop drawn as its joint line),
// closures that can be built, a full circle on its face, a millimetre's
// slip changing nothing. Swept over random loops and open walls, every
// section and every face, through the core's stages from an export.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <string>

#include "core/plan.h"
#include "core/text.h"
#include "test_support.h"

namespace ravo {
namespace {

std::string line(double x1, double y1, double x2, double y2) {
    char buf[160];
    std::snprintf(buf, sizeof buf, " %.6f %.6f %.6f %.6f\r\n", x1, y1, x2, y2);
    return buf;
}

std::string polyline(const std::vector<WallPoint>& v, bool closed) {
    std::string s;
    for (size_t i = 0; i + (closed ? 0 : 1) < v.size(); ++i) {
        const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
        s += line(a.x, a.y, b.x, b.y);
    }
    return s;
}

// The angle counter-clockwise from `from` to `to`, in [0, 2π).
double ccwFrom(double from, double to) { return std::fmod(std::fmod(to - from, 2 * M_PI) + 4 * M_PI, 2 * M_PI); }

// How far a point lies from the drawn path, and whether it lies inside a
// loop: the vertices' polygon, each arc's segment beyond its chord added
// or taken away.
struct Drawn {
    const WallPath& p;

    double distance(double x, double y) const {
        double best = INFINITY;
        const auto& v = p.vertices;
        for (size_t i = 0; i < p.legCount(); ++i) {
            const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
            if (!p.arcAt(i)) {
                best = std::min(best, segmentDistance(x, y, {a.x, a.y, b.x, b.y}));
                continue;
            }
            best = std::min({best, std::hypot(x - a.x, y - a.y), std::hypot(x - b.x, y - b.y)});
            const LegArc& c = p.arcs[i];
            if (p.circle() || withinArc(i, x, y)) best = std::min(best, std::fabs(std::hypot(x - c.cx, y - c.cy) - c.r));
        }
        return best;
    }
    // Whether (x, y) lies within the angle the arc of leg i sweeps.
    bool withinArc(size_t i, double x, double y) const {
        const auto& v = p.vertices;
        const LegArc& c = p.arcs[i];
        const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
        const double ta = std::atan2(a.y - c.cy, a.x - c.cx), tb = std::atan2(b.y - c.cy, b.x - c.cx);
        const double t = std::atan2(y - c.cy, x - c.cx);
        return c.ccw ? ccwFrom(ta, t) <= ccwFrom(ta, tb) : ccwFrom(t, ta) <= ccwFrom(tb, ta);
    }
    bool inside(double x, double y) const {
        const auto& v = p.vertices;
        if (p.circle()) return std::hypot(x - p.arcs[0].cx, y - p.arcs[0].cy) < p.arcs[0].r;
        bool in = false;
        for (size_t i = 0; i < v.size(); ++i) {
            const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) in = !in;
            if (!p.arcAt(i)) continue;
            const LegArc& c = p.arcs[i];
            // The arc's segment: within the circle, on the arc's side of the chord.
            const double ta = std::atan2(a.y - c.cy, a.x - c.cx), tb = std::atan2(b.y - c.cy, b.x - c.cx);
            const double mid = c.ccw ? ta + ccwFrom(ta, tb) / 2 : ta - ccwFrom(tb, ta) / 2;
            const double mx = c.cx + c.r * std::cos(mid), my = c.cy + c.r * std::sin(mid);
            const double side = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
            const bool bulgeLeft = (b.x - a.x) * (my - a.y) - (b.y - a.y) * (mx - a.x) > 0;
            if (std::hypot(x - c.cx, y - c.cy) < c.r && side != 0 && (side > 0) == bulgeLeft) in = !in;
        }
        return in;
    }
};

struct Laid {
    Plan plan;
    double wrong = 0;  // how far the steel passes the drawn line on the wrong side (mm)
    double wx = 0, wy = 0;
};

struct SteelSide : ::testing::Test {
    test::Platform pf;
    std::map<size_t, Outlines> outlines;

    const Outlines& of(size_t section) {
        auto it = outlines.find(section);
        if (it == outlines.end())
            it = outlines.emplace(section, loadOutlines(section, pf.fs, NumberFormat{}, pf.codec)).first;
        return it->second;
    }

    // The wall laid from the export, and how far its steel lies on the wrong
    // side: beyond a drawn face; for a loop drawn as its joint line, further
    // into it than the inner face; on an open path, across a leg (by the
    // perpendicular foot within it, nearer than the pile's depth twice).
    Laid lay(const std::string& entities, size_t section, WallFace face) {
        const HostInput input = readHost("hq\r\n#\r\n" + entities, NumberFormat{}, pf.codec);
        const Outlines& o = of(section);
        Choices c;
        c.mode = RunMode::Selection;
        c.section = section;
        c.face = face;
        Laid out{planRun(input, c, o)};
        if (!out.plan.laid()) return out;
        const WallPath& drawnPath = out.plan.drawn.front();
        const Drawn drawn{drawnPath};
        const bool closed = drawnPath.closed;
        const bool ccw = counterClockwise(drawnPath);
        // The joint line keeps its joints on the drawn line: a chord between
        // two of them bows into the loop by w²/8R where the line curves.
        double bow = 0;
        for (size_t i = 0; i < drawnPath.legCount(); ++i)
            if (drawnPath.arcAt(i)) {
                const double w = pileSections()[section].widthMm, r = drawnPath.arcs[i].r;
                bow = std::max(bow, r - std::sqrt(r * r - w * w / 4));
            }
        const double allowed = face == WallFace::JointLine ? o.faceReach(ccw, 0) + bow : 0;
        // The steel's side of an open path drawn as a face: the joint line's.
        const bool steelLeft = face == WallFace::Inner ? false : true;
        placePieces(out.plan, o, [&](double x1, double y1, double x2, double y2, PieceKind) {
            for (int k = 0; k <= 8; ++k) {
                const double x = x1 + (x2 - x1) * k / 8, y = y1 + (y2 - y1) * k / 8;
                if (closed) {
                    const bool in = drawn.inside(x, y);
                    const bool wrongSide = face == WallFace::Outer ? !in : in;
                    if (wrongSide && drawn.distance(x, y) - allowed > out.wrong) out.wrong = drawn.distance(x, y) - allowed, out.wx = x, out.wy = y;
                    continue;
                }
                if (face == WallFace::JointLine) continue;
                // Across the nearest leg, where its foot lies within it.
                const auto& v = drawnPath.vertices;
                size_t nearest = 0;
                for (size_t i = 1; i + 1 < v.size(); ++i)
                    if (segmentDistance(x, y, {v[i].x, v[i].y, v[i + 1].x, v[i + 1].y}) <
                        segmentDistance(x, y, {v[nearest].x, v[nearest].y, v[nearest + 1].x, v[nearest + 1].y}))
                        nearest = i;
                const WallPoint &a = v[nearest], &b = v[nearest + 1];
                const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
                const double t = ((x - a.x) * dx + (y - a.y) * dy) / (len * len);
                const double left = (dx * (y - a.y) - dy * (x - a.x)) / len;
                const double across = steelLeft ? -left : left;
                if (t > 0 && t < 1 && across > out.wrong) out.wrong = across, out.wx = x, out.wy = y;
            }
        });
        return out;
    }
};

// Every closing pile between the narrowest the section cuts and its width;
// a loop of alternating piles in an even count.
void expectBuildable(const Plan& p, const std::string& what) {
    const PileSection& s = pileSections()[p.section];
    if (p.closed() && s.alternates()) {
        EXPECT_EQ(p.layout.pieces.size() % 2, 0u) << what;
    }
    for (const WallPiece& piece : p.layout.pieces)
        if (piece.kind == PieceKind::Closing) {
            EXPECT_GE(piece.width, s.leastClosingMm - 1e-6) << what;
            EXPECT_LE(piece.width, s.widthMm + 1e-6) << what;
        }
}

// The drawings a review found wrong, each as a rule.
TEST_F(SteelSide, Examples) {
    const std::string rect = polyline({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}}, true);
    const std::string lShape =
        polyline({{0, 0}, {10000, 0}, {10000, 4200}, {5800, 4200}, {5800, 8000}, {0, 8000}}, true);
    const std::string notch = polyline(
        {{0, 0}, {10000, 0}, {10000, 6000}, {5600, 6000}, {5600, 3000}, {4400, 3000}, {4400, 6000}, {0, 6000}}, true);
    const std::string rightTurn = polyline({{0, 0}, {8000, 0}, {8000, -4000}}, false);
    // A side drawn a little out of square: the loop closes on its last two
    // legs, whose play of the joints goes to the steel's side only.
    const std::string skew = polyline({{0, 10000}, {6000, 9900}, {6000, 0}, {0, 0}}, true);
    const std::string skew2 = polyline({{0, 10000}, {6000, 10100}, {6000, 0}, {0, 0}}, true);
    const struct {
        const std::string* shape;
        const char* section;
        WallFace face;
    } cases[] = {
        {&rect, "III", WallFace::Outer},      {&rect, "IIw", WallFace::Outer},     {&rect, "25H", WallFace::Outer},
        {&lShape, "III", WallFace::Inner},    {&rightTurn, "III", WallFace::Inner}, {&notch, "III", WallFace::JointLine},
        {&notch, "III", WallFace::Inner},     {&lShape, "50H", WallFace::Outer},   {&skew, "III", WallFace::Inner},
        {&skew2, "III", WallFace::Inner},     {&skew, "III", WallFace::Outer},     {&skew2, "IIw", WallFace::Outer},
    };
    for (const auto& c : cases) {
        const Laid l = lay(*c.shape, findSection(test::U(c.section)), c.face);
        const std::string what = std::string(c.section) + " face " + std::to_string(static_cast<int>(c.face));
        ASSERT_TRUE(l.plan.laid()) << what << ": " << u16ToUtf8(l.plan.fault);
        EXPECT_LE(l.wrong, 0.5) << what;
        expectBuildable(l.plan, what);
    }

    // A closed U loop of an odd count takes one piece more, in closing piles
    // of half a width or more: a sliver and a whole pile become two.
    const Laid odd = lay(polyline({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}}, true),
                         kDefaultSection, WallFace::JointLine);
    EXPECT_EQ(u16ToUtf8(countText(odd.plan)), "90枚（コーナー6・調整4）  延長 36.400 m");
    expectBuildable(odd.plan, "the L");

    // A full circle drawn as a face keeps its steel off the face, and says
    // both radii.
    for (WallFace face : {WallFace::Inner, WallFace::Outer})
        for (double r : {10000.0, 10031.0, 10064.0, 12345.0}) {
            const Laid l = lay("ci 0 0 " + std::to_string(r) + "\r\n", kDefaultSection, face);
            ASSERT_TRUE(l.plan.laid()) << u16ToUtf8(l.plan.fault);
            EXPECT_LE(l.wrong, 0.5) << r;
            EXPECT_EQ(l.plan.layout.pieces.size() % 2, 0u);
            EXPECT_NE(u16ToUtf8(countText(l.plan)).find(face == WallFace::Inner ? "（内面 " : "（外面 "), std::string::npos);
        }
    EXPECT_EQ(u16ToUtf8(countText(lay("ci 0 0 10000\r\n", kDefaultSection, WallFace::Inner).plan)),
              "160枚  延長 64.000 m  半径 10.187 m（内面 10.000 m）");

    // A snapping slip of half a millimetre on a side is no bend.
    const Laid plain = lay(rect, kDefaultSection, WallFace::Inner);
    const Laid slipped = lay(polyline({{0, 0}, {5000, 0.5}, {10000, 0}, {10000, 6000}, {0, 6000}}, true),
                             kDefaultSection, WallFace::Inner);
    EXPECT_EQ(u16ToUtf8(countText(slipped.plan)), u16ToUtf8(countText(plain.plan)));
    EXPECT_EQ(u16ToUtf8(countText(plain.plan)), "84枚（コーナー4）  延長 34.400 m");
}

// Random loops with notches and bumps, rounded rectangles, circles and open
// walls with right-angle and oblique turns, every section, every face: the
// steel on its side, the closures buildable.
TEST_F(SteelSide, Sweep) {
    std::mt19937 random(20261210);
    auto mm = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random) * 100.0; };
    std::vector<std::string> shapes;
    for (int k = 0; k < 12; ++k) {
        // A rectangle with a notch or a bump in its top side.
        const double w = mm(60, 160), h = mm(40, 100), a = mm(15, 30), b = a + mm(12, 30), d = mm(12, 30);
        const double top = k % 2 ? h - d : h + d;
        shapes.push_back(polyline({{0, 0}, {w, 0}, {w, h}, {b, h}, {b, top}, {a, top}, {a, h}, {0, h}}, true));
    }
    for (int k = 0; k < 8; ++k) {
        // A rectangle rounded at its corners.
        const double w = mm(40, 120), h = mm(40, 100), r = mm(60, 150);
        const double x0 = -r, y0 = -r;
        shapes.push_back(line(0, y0, w, y0) + "ci " + std::to_string(w) + " 0 " + std::to_string(r) + " 270 360 1 0\r\n" +
                         line(w + r, 0, w + r, h) + "ci " + std::to_string(w) + " " + std::to_string(h) + " " +
                         std::to_string(r) + " 0 90 1 0\r\n" + line(w, h + r, 0, h + r) + "ci 0 " + std::to_string(h) + " " +
                         std::to_string(r) + " 90 180 1 0\r\n" + line(x0, h, x0, 0) + "ci 0 0 " + std::to_string(r) +
                         " 180 270 1 0\r\n");
    }
    for (int k = 0; k < 6; ++k) shapes.push_back("ci 0 0 " + std::to_string(mm(60, 300) + k * 37) + "\r\n");
    for (int k = 0; k < 10; ++k) {
        const double a = mm(30, 100), b = mm(30, 100);
        const double turn = k % 3 == 0 ? b : -b;
        shapes.push_back(k % 2 ? polyline({{0, 0}, {a, 0}, {a, turn}, {a + b, turn}}, false)
                               : polyline({{0, 0}, {a, 0}, {a + b, turn}}, false));
    }
    int laid = 0, asked = 0;
    for (size_t k = 0; k < shapes.size(); ++k)
        for (WallFace face : {WallFace::JointLine, WallFace::Inner, WallFace::Outer})
            for (size_t section = k % 3; section < pileSections().size(); section += 3) {
                const Laid l = lay(shapes[k], section, face);
                const std::string what = "shape " + std::to_string(k) + " " + u16ToUtf8(pileSections()[section].name) +
                                         " face " + std::to_string(static_cast<int>(face));
                ++asked;
                if (!l.plan.laid()) {
                    EXPECT_FALSE(l.plan.fault.empty()) << what;
                    continue;
                }
                ++laid;
                EXPECT_LE(l.wrong, 0.5) << what << " at " << l.wx << ", " << l.wy << "\n" << shapes[k];
                expectBuildable(l.plan, what);
            }
    EXPECT_GT(laid, asked * 3 / 4);
}

}  // namespace
}  // namespace ravo
