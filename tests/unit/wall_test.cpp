#include "core/wall.h"

#include <cmath>
#include <array>
#include <filesystem>
#include <random>
#include <set>

#include <atomic>
#include <cstdlib>
#include <new>

#include "core/errors.h"
#include "core/session.h"
#include "recording_canvas.h"
#include "test_support.h"

// Allocations larger than this fail, as on a machine out of memory: the
// unit tests' own allocator, for the case that needs it.
static std::atomic<size_t> gLargestAllocation{SIZE_MAX};

// Allocated and freed by malloc and free alike, whatever the compiler sees.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (size > gLargestAllocation.load()) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace ravo {
namespace {

std::vector<WallSegment> segmentsOf(std::initializer_list<WallPoint> pts, bool closed) {
    std::vector<WallPoint> v(pts);
    std::vector<WallSegment> out;
    for (size_t i = 0; i + 1 < v.size(); ++i) out.push_back({v[i].x, v[i].y, v[i + 1].x, v[i + 1].y});
    if (closed) out.push_back({v.back().x, v.back().y, v.front().x, v.front().y});
    return out;
}

std::vector<int32_t> legPieces(const WallLayout& w) {
    std::vector<int32_t> n;
    for (const WallLeg& l : w.legs) n.push_back(l.pieces - l.closing);
    return n;
}

// The acceptance cases: rectangles in three sections, an open path with one
// corner, an L-shaped loop closed by two closing piles.
TEST(Wall, AcceptanceCases) {
    const auto rect = segmentsOf({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}}, true);
    const struct {
        double width;
        bool alternates;
        std::vector<int32_t> legs;
        double x, y;  // the laid axis's far corner
    } rects[] = {
        {400, true, {25, 15, 25, 15}, 10200, 6200},
        {600, true, {17, 10, 17, 10}, 10400, 6200},
        {900, false, {11, 7, 11, 7}, 10100, 6500},
    };
    for (const auto& r : rects) {
        SCOPED_TRACE(r.width);
        const PathResult p = test::oneChain(rect);
        ASSERT_TRUE(p.ok()) << u16ToUtf8(p.fault);
        ASSERT_TRUE(p.path.closed);
        const WallLayout w = layWall(p.path, {r.width, 200, r.alternates, 0, false, false});
        ASSERT_TRUE(w.ok()) << u16ToUtf8(w.fault);
        EXPECT_EQ(legPieces(w), r.legs);
        EXPECT_EQ(w.corners, 4);
        EXPECT_EQ(w.closings, 0);
        EXPECT_EQ(w.legs[1].x2, r.x);
        EXPECT_EQ(w.legs[1].y2, r.y);
        EXPECT_EQ(w.legs[3].x2, 0);  // back at the start vertex
        EXPECT_EQ(w.legs[3].y2, 0);
        bool mirroredSeen = false;
        for (const WallPiece& piece : w.pieces) mirroredSeen |= piece.mirrored;
        EXPECT_EQ(mirroredSeen, r.alternates);
    }
    const WallLayout w2 = layWall(test::oneChain(rect).path, {400, 200, true, 0, false, false});
    EXPECT_EQ(u16ToUtf8(wallCountText(w2)), "80枚（コーナー4）  延長 32.800 m");

    // Open: 20 + 10, one corner, the wall ends 200 past the drawn end.
    const PathResult open = pathFromPoints(std::vector<WallPoint>{{0, 0}, {8000, 0}, {8000, 4000}});
    ASSERT_TRUE(open.ok());
    const WallLayout w5 = layWall(open.path, {400, 200, true, 0, false, false});
    EXPECT_EQ(legPieces(w5), (std::vector<int32_t>{20, 10}));
    EXPECT_EQ(w5.corners, 1);
    EXPECT_EQ(w5.legs[1].x2, 8000);
    EXPECT_EQ(w5.legs[1].y2, 4200);
    EXPECT_EQ(w5.pieces[19].kind, PieceKind::Corner);
    EXPECT_EQ(w5.pieces[19].turn, 90);
    EXPECT_EQ(w5.pieces[20].x, 8000);
    EXPECT_EQ(w5.pieces[20].y, 200);

    // The L: the leg into the reflex corner stops at the drawn line rather
    // than pass it (which would move the next leg into the loop): 25/10/10/9
    // whole piles, then the last two legs fitted with 200 closing piles, one
    // and then three, so that the count is even.
    const PathResult l = test::oneChain(
        segmentsOf({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}}, true));
    ASSERT_TRUE(l.ok());
    const WallLayout w6 = layWall(l.path, {400, 200, true, 0, false, false, 0, 0, 0, 200});
    ASSERT_TRUE(w6.ok()) << u16ToUtf8(w6.fault);
    EXPECT_EQ(legPieces(w6), (std::vector<int32_t>{25, 10, 10, 9, 14, 18}));
    EXPECT_EQ(w6.legs[2].x2, 6000);
    EXPECT_EQ(w6.corners, 6);
    EXPECT_EQ(w6.closings, 4);
    for (const WallPiece& piece : w6.pieces)
        if (piece.kind == PieceKind::Closing) {
            EXPECT_NEAR(piece.width, 200, 1e-9);
        }
    EXPECT_EQ(u16ToUtf8(wallCountText(w6)), "90枚（コーナー6・調整4）  延長 36.400 m");
}

// What is chained: the default start and direction, whatever order and
// direction the records come in; ends within 0.1 joined, short pieces and
// duplicates dropped, straight runs of many segments one leg.
TEST(Wall, ChainingNormalises) {
    std::vector<WallSegment> segs = {
        {0, 6000, 0, 0},             // clockwise, out of order
        {10000, 6000, 0.05, 6000},   // an end 0.05 off
        {10000, 0, 10000, 3000}, {10000, 3000, 10000, 6000},  // one leg in two segments
        {10000, 0, 0, 0},   {0, 0, 10000, 0},  // the same line twice
        {5000, 6000, 5000.05, 6000.05},        // too short to count
    };
    const PathResult p = test::oneChain(segs);
    ASSERT_TRUE(p.ok()) << u16ToUtf8(p.fault);
    ASSERT_EQ(p.path.vertices.size(), 4u);
    EXPECT_TRUE(p.path.closed);
    EXPECT_EQ(p.path.vertices[0].x, 0);  // lowest, leftmost
    EXPECT_EQ(p.path.vertices[1].x, 10000);  // counter-clockwise
    EXPECT_EQ(p.path.vertices[1].y, 0);
    // An open path starts at its left end.
    const PathResult o = test::oneChain(std::vector<WallSegment>{{8000, 4000, 8000, 0}, {8000, 0, 0, 0}});
    ASSERT_TRUE(o.ok());
    EXPECT_FALSE(o.path.closed);
    EXPECT_EQ(o.path.vertices.front().x, 0);
    // Restarting: another vertex, the other way.
    const WallPath r = restartPath(p.path, 2, true);
    EXPECT_EQ(r.vertices[0].x, 10000);
    EXPECT_EQ(r.vertices[0].y, 6000);
    EXPECT_EQ(r.vertices[1].x, 10000);
    EXPECT_EQ(r.vertices[1].y, 0);
    // A circle of 3,600 segments becomes legs, not one drift.
    std::vector<WallSegment> circle;
    for (int i = 0; i < 3600; ++i) {
        const double a = i * 2 * M_PI / 3600, b = (i + 1) * 2 * M_PI / 3600;
        circle.push_back({50000 * std::cos(a), 50000 * std::sin(a), 50000 * std::cos(b), 50000 * std::sin(b)});
    }
    const PathResult c = test::oneChain(circle);
    ASSERT_TRUE(c.ok()) << u16ToUtf8(c.fault);
    EXPECT_GT(c.path.vertices.size(), 100u);
    EXPECT_LE(c.path.vertices.size(), 3600u);
    // Ends within the tolerance of each other join whichever side of a
    // 0.1 mm cell border they fall: squares whose corners sit on borders,
    // each segment's end moved by up to 0.035 either way.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-0.035, 0.035);
    for (int k = 0; k < 2000; ++k) {
        const double x0 = (rng() % 20000) * 0.1, y0 = (rng() % 20000) * 0.1;
        const WallPoint corners[] = {{x0, y0}, {x0 + 5000.05, y0}, {x0 + 5000.05, y0 + 3000.1}, {x0, y0 + 3000.1}};
        std::vector<WallSegment> sq;
        for (int i = 0; i < 4; ++i) {
            const WallPoint &a = corners[i], &b = corners[(i + 1) % 4];
            sq.push_back({a.x + jitter(rng), a.y + jitter(rng), b.x + jitter(rng), b.y + jitter(rng)});
        }
        const PathResult r = test::oneChain(sq);
        ASSERT_TRUE(r.ok() && r.path.closed && r.path.vertices.size() == 4) << k << ": " << u16ToUtf8(r.fault);
    }
}

// Faults name what and where; nothing is laid.
TEST(Wall, FaultsNameWhatAndWhere) {
    const struct {
        std::vector<WallSegment> segs;
        const char* fault;
    } cases[] = {
        {{{0, 0, 500, 0}, {500, 0, 1000, 0}, {500, 0, 500, 500}}, "線が分岐しています（500, 0）"},
        {{{0, 0, 1000, 0}, {500, 0, 500, 500}}, "線が分岐または接触しています（500, 0）"},
        {{}, "割り付ける線がありません"},
        {{{0, 0, 0.05, 0}}, "割り付ける線がありません"},
        {{{0, 0, 1000, 0}, {1000, 0, 0, 0.5}}, "線が折り返しています（1000, 0）"},
        {{{0, 0, 1000, 0}, {1000, 0, 1000, 1000}, {1000, 1000, 500, -500}}, "線が交差または接触しています"},
    };
    for (const auto& c : cases) {
        const PathResult p = test::oneChain(c.segs);
        EXPECT_NE(u16ToUtf8(p.fault).find(c.fault), std::string::npos) << u16ToUtf8(p.fault) << " for " << c.fault;
    }
    // A loop whose second-to-last leg has no room for a pile once the legs
    // before it have grown to whole piles.
    const PathResult tiny =
        pathFromPoints(std::vector<WallPoint>{{0, 0}, {10000, 0}, {10000, 6000}, {9700, 6000}, {0, 0}});
    ASSERT_TRUE(tiny.ok());
    const WallLayout t = layWall(tiny.path, {400, 200, true, 0, false, false});
    EXPECT_EQ(u16ToUtf8(t.fault).rfind("閉合できません（", 0), 0u) << u16ToUtf8(t.fault);
    EXPECT_TRUE(t.pieces.empty());
}

// Points in order: a repeated point dropped, the last on the first closes
// the loop, the user's direction kept; two points are a straight run.
TEST(Wall, PointsInOrder) {
    const PathResult p = pathFromPoints(
        std::vector<WallPoint>{{0, 0}, {0, 0.05}, {0, 6000}, {10000, 6000}, {10000, 0}, {0.05, 0}});
    ASSERT_TRUE(p.ok()) << u16ToUtf8(p.fault);
    EXPECT_TRUE(p.path.closed);
    ASSERT_EQ(p.path.vertices.size(), 4u);
    EXPECT_EQ(p.path.vertices[1].y, 6000);  // clockwise, as indicated
    const WallLayout w = layWall(p.path, {400, 200, true, 0, false, false});
    ASSERT_TRUE(w.ok());
    EXPECT_EQ(w.pieces.size(), 80u);
    EXPECT_EQ(w.pieces[14].kind, PieceKind::Corner);  // 6000 up first: 15 piles
    EXPECT_EQ(w.pieces[14].turn, -90);                // right turns
    const PathResult two = pathFromPoints(std::vector<WallPoint>{{100, 200}, {900, 200}});
    ASSERT_TRUE(two.ok());
    EXPECT_FALSE(two.path.closed);
    EXPECT_EQ(pathFromPoints(std::vector<WallPoint>{{1, 1}, {1.05, 1}}).ok(), false);
}

TEST(Wall, CornerNames) {
    EXPECT_EQ(u16ToUtf8(cornerName(90)), "コーナー矢板");
    EXPECT_EQ(u16ToUtf8(cornerName(-90.4)), "コーナー矢板");
    EXPECT_EQ(u16ToUtf8(cornerName(45)), "異形コーナー矢板　135°");
    EXPECT_EQ(u16ToUtf8(cornerName(-60.25)), "異形コーナー矢板　119.8°");
}

TEST(Wall, RunModeFromTheCommandLine) {
    EXPECT_EQ(runModeFromCommandLine(u"\"C:\\jww\\Ravo鋼矢板.exe\""), RunMode::TwoPoints);
    EXPECT_EQ(runModeFromCommandLine(u"\"C:\\a b\\Ravo鋼矢板.exe\" /select"), RunMode::Selection);
    EXPECT_EQ(runModeFromCommandLine(u"Ravo.exe  /POINTS "), RunMode::Points);
    EXPECT_EQ(runModeFromCommandLine(u"Ravo.exe /selection"), RunMode::TwoPoints);
    EXPECT_EQ(runModeFromCommandLine(u""), RunMode::TwoPoints);
}

// The session with the shipped outlines: a selection and points in order,
// from the host file to the result.
struct WallSession : ::testing::Test {
    test::TempDir dir;
    test::Platform pf{dir.path()};
    test::RecordingCanvas canvas{kImageWidth, kImageHeight};

    void SetUp() override { dir.linkOutlines(); }

    std::unique_ptr<Session> run(RunMode mode, const std::string& temp) {
        dir.write("temp.txt", temp);
        auto s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s->setRunMode(mode);
        s->attachImage(canvas);
        EXPECT_TRUE(s->runShowSteps());
        return s;
    }
    std::string ok(Session& s) {
        s.ok();
        return dir.read("jwc_temp.txt");
    }
    // The plan itself, laid from the same export through the core's stages.
    struct Laid {
        HostInput input;
        Outlines outlines;
        Plan plan;
    };
    Laid lay(RunMode mode, const std::string& temp, const char* section = "III", size_t start = 0) {
        Laid l{readHost(temp, NumberFormat{}, pf.codec),
               loadOutlines(findSection(utf8ToU16(section)), pf.fs, NumberFormat{}, pf.codec), {}};
        Choices c;
        c.mode = mode;
        c.section = l.outlines.section;
        c.starts = {{start, false}};
        l.plan = planRun(l.input, c, l.outlines);
        return l;
    }
    // What the host reads when nothing was drawn: why, as the user was told.
    std::string told() const { return pf.codec.encode(u"he" + pf.messages.shown.back() + u"\r\n"); }
};

TEST_F(WallSession, TwoPointsInOrderAreTheTwoPointRun) {
    auto two = run(RunMode::TwoPoints, "hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    two->setStartCorner(true);
    const std::string want = ok(*two);
    auto points = run(RunMode::Points, "hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    EXPECT_FALSE(points->wallMode());
    points->setStartCorner(true);
    EXPECT_EQ(ok(*points), want);
}

TEST_F(WallSession, SelectedRectangleInPlace) {
    auto s = run(RunMode::Selection,
                 "hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n"
                 " 10000 6000 0 6000\r\n 0 6000 0 0\r\n");
    ASSERT_TRUE(s->wallMode());
    EXPECT_TRUE(s->closedLoop());
    EXPECT_EQ(u16ToUtf8(s->countText()), "80枚（コーナー4）  延長 32.800 m");
    EXPECT_TRUE(pf.messages.shown.empty()) << (pf.messages.shown.empty() ? "" : u16ToUtf8(pf.messages.shown[0]));
    const std::string result = ok(*s);
    const size_t lines = static_cast<size_t>(std::count(result.begin(), result.end(), '\n'));
    const Laid laid = lay(RunMode::Selection, dir.read("temp.txt"));
    size_t placed = 0;
    placePieces(laid.plan, laid.outlines, [&](double, double, double, double, PieceKind) { ++placed; });
    EXPECT_EQ(lines, placed + 1);  // the notice first
    EXPECT_EQ(result.rfind(pf.codec.encode(u"h#SP-III 80枚（コーナー4） 延長 32.800 m\r\n"), 0), 0u);
    EXPECT_GT(lines, 80u * 20u);  // every pile's outline and 4 plates
    EXPECT_EQ(result.find(" hd"), std::string::npos);
    // The next vertex as start: the short side first.
    s->moveStart();
    EXPECT_EQ(lay(RunMode::Selection, dir.read("temp.txt"), "III", 1).plan.layout.legs[0].pieces, 15);
    EXPECT_EQ(u16ToUtf8(s->countText()), "80枚（コーナー4）  延長 32.800 m");
}

TEST_F(WallSession, FaultsLeaveNothingToHandBack) {
    auto s = run(RunMode::Selection, "hq\r\n#\r\n 0 0 500 0\r\n 500 0 1000 0\r\n 500 0 500 500\r\n");
    ASSERT_EQ(pf.messages.shown.size(), 1u);
    EXPECT_EQ(u16ToUtf8(pf.messages.shown[0]).rfind("線が分岐しています（500, 0）", 0), 0u);
    EXPECT_EQ(u16ToUtf8(s->countText()), "0枚");
    EXPECT_EQ(ok(*s), told());
    // Layer groups of different scales.
    auto m = run(RunMode::Selection,
                 "hq\r\nhs 100 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\nlg0\r\n 0 0 1000 0\r\nlg1\r\n 1000 0 1000 1000\r\n");
    ASSERT_EQ(pf.messages.shown.size(), 2u);
    EXPECT_EQ(u16ToUtf8(pf.messages.shown[1]).rfind("縮尺の異なるレイヤグループ", 0), 0u);
    EXPECT_EQ(ok(*m), told());
    // Lines at another scale than the write group, and an export without
    // "#": its layer group at the end is the write group.
    for (const char* temp : {"hq\r\nhs 100 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\nlg0\r\n#\r\nlg1\r\n 0 0 1000 0\r\n"
                             " 1000 0 1000 1000\r\n 1000 1000 0 0\r\n",
                             "hq\r\nhs 100 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\nlg1\r\n 0 0 5000 0\r\n"
                             " 5000 0 5000 5000\r\n 5000 5000 0 0\r\nlg0\r\n"}) {
        auto g = run(RunMode::Selection, temp);
        EXPECT_EQ(u16ToUtf8(pf.messages.shown.back()),
                  "壁の線のレイヤグループ（1/50）と書込レイヤグループ（1/100）の縮尺が異なります。"
                  "壁の線のレイヤグループを書込レイヤグループにしてください");
        EXPECT_EQ(ok(*g), told());
        g->cancel();
        EXPECT_EQ(dir.read("jwc_temp.txt"), told());
    }
}

// Memory running out while OK writes the result: the host is told why,
// never handed an empty or a cut result, and the error goes on to the
// window's barrier, which shows it once; Cancel after it tells the same.
TEST_F(WallSession, OutOfMemoryAtOkTellsTheHost) {
    auto s = run(RunMode::Selection, "hq\r\n#\r\n 0 0 100000 0\r\n 100000 0 100000 60000\r\n 100000 60000 0 60000\r\n"
                                     " 0 60000 0 0\r\n");
    ASSERT_TRUE(s->wallMode());
    gLargestAllocation = 512 * 1024;  // below the result's, above everything else OK needs
    EXPECT_THROW(s->ok(), std::bad_alloc);
    gLargestAllocation = SIZE_MAX;
    const std::string told = pf.codec.encode(u"he" + withFullStop(kOutOfMemoryText) + u"\r\n");
    EXPECT_EQ(dir.read("jwc_temp.txt"), told);
    s->cancel();
    EXPECT_EQ(dir.read("jwc_temp.txt"), told);
}

// A read that stops at a bad number on the fourth line: the dump lists the
// points the export gave before it, and no run is laid.
TEST_F(WallSession, DumpAfterAStoppedReadListsWhatCameBefore) {
    dir.write("temp.txt", "hq\r\nhp1 1 2\r\nhp2 5 6\r\nhp3 7 x\r\n");
    Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    s.attachImage(canvas);
    EXPECT_THROW(s.runShowSteps(), ConvertError);
    const std::vector<std::u16string> dump = s.dumpListing(0);
    EXPECT_NE(std::find(dump.begin(), dump.end(), u"[2]: x = 5,y = 6"), dump.end());
    EXPECT_EQ(u16ToUtf8(s.countText()), "0枚");
}

TEST_F(WallSession, PointsInOrderCloseTheLoop) {
    auto s = run(RunMode::Points,
                 "hq\r\nhp1 0 0\r\nhp2 10000 0\r\nhp3 10000 4000\r\nhp4 6000 4000\r\nhp5 6000 8000\r\n"
                 "hp6 0 8000\r\nhp7 0 0\r\n");
    ASSERT_TRUE(s->closedLoop());
    EXPECT_EQ(u16ToUtf8(s->countText()),
              "90枚（コーナー6・調整4）  延長 36.400 m");
    // Another section lays it again; the choice of start stays.
    s->setSection(findSection(u"IIw"));
    const Laid iiw = lay(RunMode::Points, dir.read("temp.txt"), "IIw");
    EXPECT_EQ(iiw.plan.layout.legs[0].pieces, 17);
    EXPECT_EQ(s->countText(), countText(iiw.plan));
    EXPECT_FALSE(ok(*s).empty());
}

}  // namespace
}  // namespace ravo

namespace ravo {
namespace {

// A loop's records, as the host exports a selection of it.
std::string selectionOf(std::initializer_list<WallPoint> pts) {
    std::vector<WallPoint> v(pts);
    std::string out = "hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n";
    for (size_t i = 0; i < v.size(); ++i) {
        const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
        out += " " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " +
               std::to_string(b.y) + "\r\n";
    }
    return out;
}

// What the laid wall is made of, per section: closing piles narrowed so
// both interlocks stay on the axis, hat corners without a doubled edge, the
// sharpest corner each section takes.
TEST_F(WallSession, ClosingPilesCornersAndAnglesPerSection) {
    const auto lShape = selectionOf({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}});
    const struct {
        const char* name;
        double angle;  // about where the corner pile and the next pile cross
    } sections[] = {{"III", 40}, {"IIw", 35}, {"25H", 66}, {"50H", 80}};
    for (const auto& sec : sections) {
        SCOPED_TRACE(sec.name);
        const Laid laid = lay(RunMode::Selection, lShape, sec.name);
        EXPECT_NEAR(laid.outlines.leastCornerAngle(), sec.angle, 3);
        const WallLayout& w = laid.plan.layout;
        ASSERT_TRUE(w.ok()) << u16ToUtf8(w.fault);
        struct Placed {
            WallSegment s;
            PieceKind kind;
        };
        std::vector<Placed> placed;
        placePieces(laid.plan, laid.outlines, [&](double x1, double y1, double x2, double y2, PieceKind kind) {
            placed.push_back({{x1, y1, x2, y2}, kind});
        });
        // Every piece's interlocks: where it starts and where the next one
        // starts. A closing piece's segments reach both within the play.
        for (size_t i = 0; i + 1 < w.pieces.size(); ++i) {
            const WallPiece& p = w.pieces[i];
            if (p.kind != PieceKind::Closing) continue;
            const WallPiece& next = w.pieces[i + 1];
            double nearStart = INFINITY, nearEnd = INFINITY;
            for (const Placed& r : placed) {
                if (r.kind != PieceKind::Closing) continue;
                for (auto [x, y] : {std::pair{r.s.x1, r.s.y1}, std::pair{r.s.x2, r.s.y2}}) {
                    nearStart = std::min(nearStart, std::hypot(x - p.x, y - p.y));
                    nearEnd = std::min(nearEnd, std::hypot(x - next.x, y - next.y));
                }
            }
            EXPECT_LT(nearStart, 1e-6);
            EXPECT_LT(nearEnd, 1e-6) << "the closing pile leaves the wall open by " << nearEnd << " mm";
        }
        // No segment is written twice.
        std::set<std::array<long long, 4>> seen;
        int doubled = 0;
        for (const Placed& r : placed) {
            std::array<long long, 4> key{std::llround(r.s.x1 * 1000), std::llround(r.s.y1 * 1000),
                                         std::llround(r.s.x2 * 1000), std::llround(r.s.y2 * 1000)};
            if (std::pair{key[0], key[1]} > std::pair{key[2], key[3]}) std::swap(key[0], key[2]), std::swap(key[1], key[3]);
            doubled += !seen.insert(key).second;
        }
        EXPECT_EQ(doubled, 0);
    }
    // A corner sharper than the section takes is refused with its place and
    // its angle; nothing is laid.
    auto sharp = run(RunMode::Points, "hq\r\nhp1 0 0\r\nhp2 10000 0\r\nhp3 0 3640\r\n");  // about 20°
    ASSERT_FALSE(pf.messages.shown.empty());
    EXPECT_EQ(u16ToUtf8(pf.messages.shown.back()).rfind("角が鋭すぎます（10000, 0）（内角 20.0°）", 0), 0u)
        << u16ToUtf8(pf.messages.shown.back());
    EXPECT_EQ(u16ToUtf8(sharp->countText()), "0枚");
    EXPECT_EQ(ok(*sharp), told());
}

// Closing widths: below 1 mm none, within 1 mm of the width a whole pile;
// the loop still closes within that millimetre. A sweep of the top left
// corner of a quadrilateral gives every remainder.
TEST(Wall, ClosingWidthsBelowAMillimetreOrWithinOneOfTheWidth) {
    int withClosing = 0;
    for (int tenths = 0; tenths <= 4000; ++tenths) {
        const double s = tenths / 10.0;
        const PathResult p = pathFromPoints(std::vector<WallPoint>{{0, 0}, {10000, 0}, {10000, 6000}, {s, 6000}, {0, 0}});
        ASSERT_TRUE(p.ok());
        const WallLayout w = layWall(p.path, {400, 200, true, 0, false, false});
        ASSERT_TRUE(w.ok()) << s << ": " << u16ToUtf8(w.fault);
        withClosing += w.closings > 0;
        for (const WallPiece& piece : w.pieces)
            if (piece.kind == PieceKind::Closing) {
                ASSERT_GE(piece.width, kLeastClosingWidth) << s;
                ASSERT_LE(piece.width, 400 - kLeastClosingWidth) << s;
            }
        ASSERT_LT(std::hypot(w.legs.back().x2, w.legs.back().y2), kLeastClosingWidth) << s;
    }
    EXPECT_GT(withClosing, 3000);
}

// The laid wall: legs that grow into each other are refused with the place;
// end corner piles count as corners; a crossing is named where it crosses,
// with advice for the way the line was given; an open wall whose ends nearly
// meet says so.
TEST(Wall, LaidWallFaultsAndCounts) {
    WallPlan plan{400, 200, true, 0, false, false, 125, 40};
    const PathResult hook =
        pathFromPoints(std::vector<WallPoint>{{0, 0}, {10000, 0}, {10000, 1000}, {300, 1000}, {300, 100}});
    ASSERT_TRUE(hook.ok()) << u16ToUtf8(hook.fault);
    const WallLayout h = layWall(hook.path, plan);
    EXPECT_EQ(u16ToUtf8(h.fault).rfind("割り付けた矢板どうしが重なります（", 0), 0u) << u16ToUtf8(h.fault);
    EXPECT_TRUE(h.pieces.empty());

    plan.startCorner = plan.endCorner = true;
    const WallLayout straight = layWall(pathFromPoints(std::vector<WallPoint>{{0, 0}, {1000, 0}, {2000, 0}}).path, plan);
    EXPECT_EQ(straight.corners, 2);
    EXPECT_EQ(u16ToUtf8(wallCountText(straight)), "5枚（コーナー2）  延長 2.000 m");
    const QuantityTable q = quantitiesFor(straight.pieces, pileSections()[kDefaultSection], 10);
    ASSERT_EQ(q.rows.size(), 2u);
    EXPECT_EQ(u16ToUtf8(q.rows[1].name), "コーナー矢板");
    EXPECT_EQ(q.rows[1].count, 2);
    const WallLayout one = layWall(pathFromPoints(std::vector<WallPoint>{{0, 0}, {300, 0}}).path, plan);
    EXPECT_EQ(one.corners, 1);
    // A first leg one pile long: its corner pile is the 起点 too, counted
    // once, whether the wall goes on straight or along an arc.
    WallPath hooked = pathFromPoints(std::vector<WallPoint>{{0, 0}, {400, 0}, {10400, 10000}}).path;
    plan.swing = 6;
    for (const bool arc : {false, true}) {
        SCOPED_TRACE(arc);
        if (arc) hooked.arcs = {{}, {10400, 0, 10000, false}};  // up from the corner, bending right
        const WallLayout w = layWall(hooked, plan);
        ASSERT_TRUE(w.ok()) << u16ToUtf8(w.fault);
        ASSERT_EQ(w.pieces.front().kind, PieceKind::Corner);
        int32_t laid = 0;
        for (const WallPiece& p : w.pieces) laid += p.kind == PieceKind::Corner || p.outline != PieceOutline::Normal;
        EXPECT_EQ(laid, 2);
        EXPECT_EQ(w.corners, laid);
    }

    const auto bowTie = segmentsOf({{0, 0}, {10000, 6000}, {10000, 0}, {0, 6000}}, true);
    EXPECT_EQ(u16ToUtf8(test::oneChain(bowTie).fault), "線が交差または接触しています（5000, 3000）。一筆書きの線を選択してください");
    EXPECT_EQ(u16ToUtf8(pathFromPoints(std::vector<WallPoint>{{0, 0}, {10000, 6000}, {10000, 0}, {0, 6000}, {0, 0}}).fault),
              "線が交差または接触しています（5000, 3000）。線が交差しない順に点を指示してください");

    plan.startCorner = plan.endCorner = false;
    const PathResult nearlyClosed = test::oneChain(std::vector<WallSegment>{
        {0, 0, 10000, 0}, {10000, 0, 10000, 6000}, {10000, 6000, 0, 6000}, {0, 6000, 0, 0.101}});
    ASSERT_TRUE(nearlyClosed.ok());
    EXPECT_FALSE(nearlyClosed.path.closed);
    EXPECT_EQ(u16ToUtf8(layWall(nearlyClosed.path, plan).fault),
              "割り付けた矢板どうしが重なります（0, 0）。線の始点と終点が 0.101 mm 離れていて、閉じた壁になっていません");
    plan.depth = 0;  // where the ends' piles clear each other, the count line says it
    EXPECT_NE(u16ToUtf8(wallCountText(layWall(nearlyClosed.path, plan))).find("※始点と終点が 0.101 mm 離れた開いた壁です"),
              std::string::npos);
}

}  // namespace
}  // namespace ravo
