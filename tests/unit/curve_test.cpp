// Walls that follow curves, the drawn line as a face, several walls: the
// acceptance cases, through the core's stages from an export.
#include <cmath>
#include <random>
#include <string>

#include "core/plan.h"
#include "core/session.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

struct CurveCase : ::testing::Test {
    test::Platform pf;

    Plan lay(const std::string& entities, const char* section = "III", WallFace face = WallFace::JointLine) {
        input = readHost("hq\r\n#\r\n" + entities, NumberFormat{}, pf.codec);
        outlines = loadOutlines(findSection(utf8ToU16(section)), pf.fs, NumberFormat{}, pf.codec);
        Choices c;
        c.mode = RunMode::Selection;
        c.section = outlines.section;
        c.face = face;
        return planRun(input, c, outlines);
    }
    HostInput input;
    Outlines outlines;
};

std::string line(double x1, double y1, double x2, double y2) {
    char buf[128];
    std::snprintf(buf, sizeof buf, " %.6f %.6f %.6f %.6f\r\n", x1, y1, x2, y2);
    return buf;
}

std::string rectangle(double x, double y, double w, double h) {
    return line(x, y, x + w, y) + line(x + w, y, x + w, y + h) + line(x + w, y + h, x, y + h) + line(x, y + h, x, y);
}

// Every piece's start interlock (a joint) and its distance from a shape.
template <class Off>
double farthestJoint(const Plan& p, Off off) {
    double worst = 0;
    for (const WallPiece& piece : p.layout.pieces) worst = std::max(worst, off(piece.x, piece.y));
    return worst;
}

// A loop of U piles closes in an even count, each closing pile between
// half the width and the width, two at most.
bool buildableClosure(const Plan& p) {
    const PileSection& s = pileSections()[p.section];
    if (s.alternates() && p.layout.pieces.size() % 2 != 0) return false;
    for (const WallPiece& piece : p.layout.pieces)
        if (piece.kind == PieceKind::Closing && (piece.width < s.leastClosingMm - 1e-6 || piece.width > s.widthMm + 1e-6))
            return false;
    return p.layout.closings <= 3;
}

TEST_F(CurveCase, Acceptance) {
    // 1: a full circle takes 158 equal piles on the circle they fit.
    Plan p = lay("ci 0 0 10000\r\n");
    ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
    EXPECT_EQ(u16ToUtf8(countText(p)), "158枚  延長 63.200 m  半径 10.059 m");
    EXPECT_EQ(p.layout.corners + p.layout.closings, 0);
    EXPECT_LT(farthestJoint(p, [](double x, double y) { return std::fabs(std::hypot(x, y) - 10059.25); }), 0.1);
    EXPECT_NEAR(p.layout.pieces[0].x, 0, 1e-6);  // from its lowest point
    EXPECT_LT(p.layout.pieces[0].y, 0);

    // 2: the same circle as 720 lines is one curved stretch.
    std::string polygon;
    for (int k = 0; k < 720; ++k) {
        const double a = k * M_PI / 360, b = (k + 1) * M_PI / 360;
        polygon += line(10000 * std::cos(a), 10000 * std::sin(a), 10000 * std::cos(b), 10000 * std::sin(b));
    }
    p = lay(polygon);
    ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
    EXPECT_EQ(p.layout.corners, 0);
    EXPECT_TRUE(buildableClosure(p));
    EXPECT_NEAR(static_cast<double>(p.layout.length), 2 * M_PI * 10000, 0.01 * 2 * M_PI * 10000);

    // 3: a rectangle 30 × 24 m rounded by R 10 m arcs.
    const std::string rounded = line(10000, 0, 20000, 0) + "ci 20000 10000 10000 270 360 1 0\r\n" +
                                line(30000, 10000, 30000, 14000) + "ci 20000 14000 10000 0 90 1 0\r\n" +
                                line(20000, 24000, 10000, 24000) + "ci 10000 14000 10000 90 180 1 0\r\n" +
                                line(0, 14000, 0, 10000) + "ci 10000 10000 10000 180 270 1 0\r\n";
    p = lay(rounded);
    ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
    EXPECT_EQ(p.layout.corners, 0);
    EXPECT_TRUE(buildableClosure(p));
    EXPECT_LT(farthestJoint(p,
                            [](double x, double y) {
                                // The nearest of the four arcs' centres, or a straight side.
                                const double cx = std::clamp(x, 10000.0, 20000.0), cy = std::clamp(y, 10000.0, 14000.0);
                                return std::fabs(std::hypot(x - cx, y - cy) - 10000);
                            }),
              0.01);

    // 4: 25H cannot follow an arc of R 1.5 m: the smallest radius is named.
    p = lay(line(0, 0, 5000, 0) + "ci 5000 1500 1500 270 360 1 0\r\n" + line(6500, 1500, 6500, 6500), "25H");
    EXPECT_FALSE(p.laid());
    EXPECT_EQ(p.refusal, Refusal::Lay);
    EXPECT_NE(u16ToUtf8(p.fault).find("17.191 m 以上"), std::string::npos) << u16ToUtf8(p.fault);

    // 5: the drawn rectangle as the inner face: the joint line 125 outside.
    p = lay(rectangle(0, 0, 10000, 6000), "III", WallFace::Inner);
    ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
    std::vector<int32_t> legs;
    for (const WallLeg& l : p.layout.legs) legs.push_back(l.pieces);
    EXPECT_EQ(legs, (std::vector<int32_t>{26, 16, 26, 16}));
    EXPECT_EQ(p.layout.legs[0].y1, -125);
    EXPECT_EQ(p.layout.legs[0].x1, -125);
    double inside = 0, onBottom = INFINITY, onLeft = INFINITY;
    placePieces(p, outlines, [&](double x1, double y1, double x2, double y2, PieceKind) {
        for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
            inside = std::max(inside, std::min({x, 10000 - x, y, 6000 - y}));
            if (x > 0 && x < 10000) onBottom = std::min(onBottom, std::fabs(y));
            if (y > 0 && y < 6000) onLeft = std::min(onLeft, std::fabs(x));
        }
    });
    EXPECT_LE(inside, 1e-9);
    EXPECT_LT(onBottom, 1e-9);  // the first leg's inner face on the line
    EXPECT_LT(onLeft, 1e-9);    // and the last's

    // 6: two rectangles are two walls.
    p = lay(rectangle(0, 0, 10000, 6000) + rectangle(20000, 0, 10000, 6000));
    ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
    EXPECT_EQ(u16ToUtf8(countText(p)), "160枚（コーナー8）  延長 65.600 m（2 壁）");
    EXPECT_EQ(p.drawn.size(), 2u);

    // An ellipse is refused, with why.
    p = lay("ci 0 0 10000 0 180 0.5 0\r\n");
    EXPECT_EQ(p.refusal, Refusal::Input);
    EXPECT_NE(u16ToUtf8(p.fault).find("楕円"), std::string::npos);
}

// The rules every selection keeps, a case each: walls clear of each other
// by twice the depth (their piles grown to whole ones included), a refusal
// naming its cause (a kink is no radius; a face's radius is the face's), a
// circle selected twice one circle, a right angle drawn a plain corner pile
// whatever its sides.
TEST_F(CurveCase, RulesForEverySelection) {
    std::string hatch;
    for (int i = 0; i < 20; ++i) hatch += line(0, i * 5, 10000, i * 5);
    // Three legs turning 4° each (under the swing, so no corner) within
    // 200 mm: one pile spans both turns.
    const double k = 4 * M_PI / 180;
    const std::string kinked = line(0, 0, 10000, 0) + line(10000, 0, 10000 + 200 * std::cos(k), 200 * std::sin(k)) +
                               line(10000 + 200 * std::cos(k), 200 * std::sin(k),
                                    10000 + 200 * std::cos(k) + 10000 * std::cos(2 * k),
                                    200 * std::sin(k) + 10000 * std::sin(2 * k));
    const std::string cofferdam = rectangle(0, 0, 10000, 6000);
    const struct {
        const char* what;
        std::string entities;
        bool laid;
        const char* says;  // in the count line where laid, else in the refusal
    } cases[] = {
        {"a branch 1 mm short of a cofferdam", cofferdam + line(-4000, 3000, -1, 3000), false, "壁どうしが近すぎます（0, 3000）"},
        {"a branch 399 mm short grows through it", cofferdam + line(-4000, 3000, -399, 3000), false, "壁どうしが近すぎます（0, 3000）"},
        {"two lines 100 mm apart", line(0, 0, 10000, 0) + line(0, 100, 10000, 100), false, "壁どうしが近すぎます（"},
        {"concentric circles 100 mm apart", "ci 0 0 10000\r\nci 0 0 10100\r\n", false, "壁どうしが近すぎます（"},
        {"nested rectangles", cofferdam + rectangle(100, 100, 9800, 5800), false, "壁どうしが近すぎます（"},
        {"a hatch of 20 lines 5 mm apart", hatch, false, "壁どうしが近すぎます（"},
        {"two walls apart, 15,000 piles each", line(0, 0, 6000000, 0) + line(0, 100000, 6000000, 100000), false,
         "上限（25000枚）を超えるため割付できません。壁の線の長さと本数を確認して下さい"},
        {"a cofferdam and a branch well clear", cofferdam + line(-4000, 3000, -1000, 3000), true, "（2 壁）"},
        {"a circle selected twice", "ci 0 0 10000\r\nci 0 0 10000\r\n", true, "158枚  延長 63.200 m  半径 10.059 m"},
        {"two short legs turning 4° each", kinked, false, "線が折れています（10000, 0）（継手の回転 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Plan p = lay(c.entities);
        EXPECT_EQ(p.laid(), c.laid) << u16ToUtf8(p.fault);
        const std::string said = u16ToUtf8(c.laid ? countText(p) : p.fault);
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
    // Every interlock's limit named with the kink.
    char swing[32];
    std::snprintf(swing, sizeof swing, "この型式は %.1f° まで", pileSections()[findSection(u"III")].swingDeg);
    EXPECT_NE(u16ToUtf8(lay(kinked).fault).find(swing), std::string::npos);

    // An arc too small drawn as the inner face: the face's radius and the
    // least one for the face (the joint line's less the face's reach).
    const std::string bend = line(0, 0, 5000, 0) + "ci 5000 1500 1500 270 360 1 0\r\n" + line(6500, 1500, 6500, 6500);
    Plan p = lay(bend, "25H", WallFace::Inner);
    const PileSection& h25 = outlines.pileSection();
    const double least = h25.widthMm / (2 * std::sin(h25.swingDeg * M_PI / 360));
    auto upMetres = [](double mm) { return u16ToUtf8(metresFromMm(static_cast<long long>(std::ceil(mm - 1e-9)))); };
    EXPECT_NE(u16ToUtf8(p.fault).find("（描いた面の半径 1.500 m）"), std::string::npos) << u16ToUtf8(p.fault);
    EXPECT_NE(u16ToUtf8(p.fault).find("沿える面の半径は " + upMetres(least - outlines.faceReach(true, 0)) + " m 以上です（継手線で " +
                                      upMetres(least) + " m）"),
              std::string::npos)
        << u16ToUtf8(p.fault);

    // A line meeting a semicircle at right angles: plain corner piles, on
    // the joint line or a face, though each plate turns to a chord.
    for (WallFace face : {WallFace::JointLine, WallFace::Inner, WallFace::Outer}) {
        SCOPED_TRACE(static_cast<int>(face));
        p = lay(line(-8000, 0, 8000, 0) + "ci 0 0 8000 0 180 1 0\r\n", "III", face);
        ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
        Choices c;
        c.pileLength = {LengthState::Valid, 10};
        const QuantityTable t = quantities(p, c);
        std::vector<std::pair<std::string, int32_t>> rows;
        for (const QuantityRow& r : t.rows)
            if (r.name != u"鋼矢板" && r.name != u"調整矢板") rows.push_back({u16ToUtf8(r.name), r.count});
        EXPECT_EQ(rows, (std::vector<std::pair<std::string, int32_t>>{{"コーナー矢板", 2}}));
    }
}

// Each wall's steel as laid: the plate from a leg's start to its first
// pile, and every pile's axis.
std::vector<WallSegment> steelOf(const Plan& p, int32_t wall) {
    std::vector<WallSegment> steel;
    size_t at = 0;
    for (const WallLeg& l : p.layout.legs) {
        const size_t first = at;
        at += static_cast<size_t>(l.pieces);
        if (l.wall != wall || l.pieces == 0) continue;
        const WallPiece& f = p.layout.pieces[first];
        steel.push_back({l.x1, l.y1, f.x, f.y});
        for (size_t i = first; i < at; ++i) {
            const WallPiece& q = p.layout.pieces[i];
            const Rotation u = q.along();
            steel.push_back({q.x, q.y, q.x + u.c * q.width, q.y + u.s * q.width});
        }
    }
    return steel;
}

// The nearest two segments of two sets come: none where they cross.
double nearest(const std::vector<WallSegment>& a, const std::vector<WallSegment>& b) {
    double best = INFINITY;
    for (const WallSegment& p : a)
        for (const WallSegment& q : b) {
            auto side = [](const WallSegment& s, double x, double y) {
                return (s.x2 - s.x1) * (y - s.y1) - (s.y2 - s.y1) * (x - s.x1);
            };
            if (side(p, q.x1, q.y1) * side(p, q.x2, q.y2) < 0 && side(q, p.x1, p.y1) * side(q, p.x2, p.y2) < 0) return 0;
            best = std::min({best, segmentDistance(p.x1, p.y1, q), segmentDistance(p.x2, p.y2, q),
                             segmentDistance(q.x1, q.y1, p), segmentDistance(q.x2, q.y2, p)});
        }
    return best;
}

// Two rectangles side by side, one inside the other or anywhere: laid
// together exactly when each laid alone keeps its steel twice the depth
// from the other's, and where laid no pile of one comes that near a pile of
// the other.
TEST_F(CurveCase, WallsLaidTogetherOnlyWhereTheirPilesStayApart) {
    std::mt19937 rng(11);
    auto mm = [&](double lo, double hi) { return std::round(std::uniform_real_distribution<double>(lo, hi)(rng)); };
    int laid = 0, refused = 0;
    for (int i = 0; i < 300; ++i) {
        const double w = mm(2000, 12000), h = mm(2000, 12000);
        double x = 0, y = 0, bw = mm(2000, 12000), bh = mm(2000, 12000);
        switch (i % 4) {
        case 0: x = w + mm(-100, 1200), y = mm(-h, h); break;  // beside, its legs grown towards it
        case 1: x = mm(-w, w), y = h + mm(-100, 1200); break;
        case 2: {                                               // inside, some margin all round
            const double m = mm(1, 1200);
            x = m, y = mm(1, 1200), bw = std::max(1000.0, w - m - mm(1, 1200)), bh = std::max(1000.0, h - y - mm(1, 1200));
            break;
        }
        default: x = mm(-20000, 20000), y = mm(-20000, 20000);
        }
        SCOPED_TRACE(testing::Message() << w << " x " << h << " and " << bw << " x " << bh << " at " << x << ", " << y);
        const Plan a = lay(rectangle(0, 0, w, h)), b = lay(rectangle(x, y, bw, bh));
        ASSERT_TRUE(a.laid() && b.laid());
        const Plan both = lay(rectangle(0, 0, w, h) + rectangle(x, y, bw, bh));
        if (both.refusal == Refusal::Input) continue;  // the lines drawn touch
        const double apart = nearest(steelOf(a, 0), steelOf(b, 0)), reach = 2 * outlines.depth;
        if (std::fabs(apart - reach) < 1e-6) continue;
        EXPECT_EQ(both.laid(), apart >= reach) << apart << ": " << u16ToUtf8(both.fault);
        (both.laid() ? laid : refused) += 1;
        if (!both.laid()) continue;
        const double piles = nearest(steelOf(both, 0), steelOf(both, 1));
        EXPECT_GE(piles, reach);
    }
    EXPECT_GT(laid, 50);
    EXPECT_GT(refused, 50);
}

// Damaged circle and arc records: cut short, of no size, or from an angle
// to itself, each is an error rather than a record laid around.
TEST_F(CurveCase, DamagedArcRecordsAreErrors) {
    const std::string diameter = line(-10000, 0, 10000, 0);
    for (const char* cut : {"ci 0 0 10000 0 180 1\r\n", "ci 0 0\r\n", "ci 0 0 10000 0 180"})
        EXPECT_RAISES(lay(diameter + cut), ConvertError, "'' は浮動小数点数ではありません");
    const struct {
        const char* record;
        const char* fault;
    } semantic[] = {
        {"ci 0 0 0 0 180 1 0\r\n", "半径が 0.1 mm 未満の円・円弧があります（中心 0, 0）"},
        {"ci 5 5 -3\r\n", "半径が 0.1 mm 未満の円・円弧があります（中心 5, 5）"},
        {"ci 0 0 10000 90 90 1 0\r\n", "始点と終点の角度が同じ円弧があります（中心 0, 0）"},
    };
    for (const auto& c : semantic) {
        const Plan p = lay(diameter + c.record);
        EXPECT_FALSE(p.laid()) << c.record;
        EXPECT_EQ(u16ToUtf8(p.fault), c.fault);
    }
}

// Of two walls, 始点移動 and 逆方向 act on the one nearest the last press on
// the preview: the other's records stay as they were.
TEST(CurveSession, StartVerbsActOnTheWallPressedNearest) {
    test::TempDir dir;
    dir.linkOutlines();
    test::Platform pf(dir.path());
    test::RecordingCanvas canvas(kImageWidth, kImageHeight);
    dir.write("temp.txt", "hq\r\n#\r\n" + rectangle(0, 0, 10000, 6000) + rectangle(20000, 0, 10000, 6000));
    auto result = [&](auto&& change) {
        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s.setRunMode(RunMode::Selection);
        s.attachImage(canvas);
        EXPECT_TRUE(s.runShowSteps());
        change(s);
        s.ok();
        const std::string r = dir.read("jwc_temp.txt");
        size_t cut = r.find('\n') + 1;  // after the notice, the first wall's 80 piles and 4 plates
        for (int line = 0; line < 80 * 20 + 4 * 6; ++line) cut = r.find('\n', cut) + 1;
        return std::pair{r.substr(0, cut), r.substr(cut)};
    };
    const auto as = result([](Session&) {});
    // Before any press: the first wall.
    const auto first = result([](Session& s) { s.turnDirection(); });
    EXPECT_NE(first.first, as.first);
    EXPECT_EQ(first.second, as.second);
    // Pressed right of the middle, nearer the second.
    const auto second = result([](Session& s) {
        s.press(1, kImageWidth - 30, kImageHeight / 2);
        s.release(kImageWidth - 30, kImageHeight / 2);
        s.moveStart();
    });
    EXPECT_EQ(second.first, as.first);
    EXPECT_NE(second.second, as.second);
}

}  // namespace
}  // namespace ravo
