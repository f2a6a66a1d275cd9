// Walls that follow curves, the drawn line as a face, several walls: the
// acceptance cases, through the core's stages from an export.
#include <cmath>
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
        input = readHost("hq\r\n#\r\n" + entities, NumberFormat{}, pf.codec, pf.messages);
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
