#include "core/plan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <sstream>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/functions.h"
#include "core/result_writer.h"
#include "core/session.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

struct OutlineTest : ::testing::Test {
    test::Platform pf;
    std::vector<WallSegment> segs;
    NumberFormat fmt;
    test::TempDir dir;

    void load(const std::string& bytes) {
        dir.write("p.dat", bytes);
        loadPileShape(segs, dir.upath("p.dat"), pf.fs, fmt, pf.codec);
    }
};

TEST_F(OutlineTest, FileRules) {
    load("\r\n   \r\n1 2 3 4 5\r\n\"10.5\" -3 20 -3\n" + std::string(300, ' ') + "\n7 8 9 1e1\r\x1A" "99 99 99 99\r\n");
    ASSERT_EQ(segs.size(), 3u);
    EXPECT_EQ(segs[0].x2, 3);
    EXPECT_EQ(segs[0].y2, 4);
    EXPECT_EQ(segs[1].x1, 10.5);
    EXPECT_EQ(segs[2].y2, 10);
}

TEST_F(OutlineTest, BlankFileGivesEmptyOutline) {
    load("\r\n \t \r\n");
    EXPECT_TRUE(segs.empty());
}

TEST_F(OutlineTest, FailuresKeepEarlierSegments) {
    EXPECT_RAISES(load("1 2 3 4\r\n1 2 3\r\n5 6 7 8\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    EXPECT_EQ(segs.size(), 1u);
    EXPECT_RAISES(load("1,5 2 3 4\r\n"), ConvertError, "'1,5' は浮動小数点数ではありません");
    EXPECT_RAISES(load("1 2 3 1e999\r\n"), ConvertError, "'1e999' は浮動小数点数ではありません");
    EXPECT_RAISES(load("\" 1\" 2 3 4\r\n"), ConvertError, "' 1' は浮動小数点数ではありません");
    // The fourth number starting after byte 255 is cut off.
    EXPECT_RAISES(load("1 2 3" + std::string(260, ' ') + "4\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    fmt.decimalSeparator = u',';
    segs.clear();
    load("1,5 2 3 4\r\n");
    EXPECT_EQ(segs[0].x1, 1.5);
    try {
        loadPileShape(segs, dir.upath("none.dat"), pf.fs, fmt, pf.codec);
        ADD_FAILURE() << "expected an I/O error";
    } catch (const IoError& e) {
        EXPECT_EQ(u16ToUtf8(withFullStop(e.message())), "指定されたファイルが見つかりません.");
    }
}

TEST(PileCount, RoundsUp) {
    int32_t n = -1;
    EXPECT_TRUE(pileCountFor(0, 400, n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(pileCountFor(800, 400, n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(pileCountFor(800.001, 400, n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(pileCountFor(800.0011, 400, n));
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(pileCountFor(799.999, 400, n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(pileCountFor(0.0009, 400, n));  // no whole pile near: one pile
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(pileCountFor(1e-300, 400, n));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(pileCountFor(400.0 * kMaxPileCount, 400, n));
    EXPECT_EQ(n, kMaxPileCount);
    n = 7;
    EXPECT_FALSE(pileCountFor(400.0 * kMaxPileCount + 1, 400, n));
    EXPECT_FALSE(pileCountFor(1e308, 400, n));
    EXPECT_FALSE(pileCountFor(INFINITY, 400, n));
    EXPECT_FALSE(pileCountFor(NAN, 400, n));
    EXPECT_EQ(n, 7);
}

// Points typed or snapped with decimals: a run of exactly k widths counts k
// piles, whatever the binary rounding of its ends; a centimetre more counts
// one more (0.01 mm or more). Fixed cases, then a seeded sweep over every width.
TEST(PileCount, DecimalRunsOfWholeWidths) {
    auto countOf = [](const char* x1, const char* y1, const char* x2, const char* y2, double width) {
        int32_t n = -1;
        EXPECT_TRUE(pileCountFor(distance2D(std::strtod(x1, nullptr), std::strtod(y1, nullptr),
                                            std::strtod(x2, nullptr), std::strtod(y2, nullptr)),
                                 width, n));
        return n;
    };
    EXPECT_EQ(countOf("1696.1", "0", "4096.1", "0", 400), 6);
    EXPECT_EQ(countOf("1234.56", "7.7", "4834.56", "7.7", 900), 4);
    EXPECT_EQ(countOf("0.3", "0.4", "2400.3", "3200.4", 500), 8);  // 3-4-5: 4000 long
    EXPECT_EQ(countOf("-0.001", "5.005", "-0.001", "-594.995", 600), 1);
    EXPECT_EQ(countOf("1696.1", "0", "4097.1", "0", 400), 7);

    uint64_t seed = 0x9e3779b97f4a7c15u;
    auto next = [&](uint64_t n) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return seed % n;
    };
    int wrong = 0;
    char a[40], b[40];
    for (double width : {400.0, 500.0, 600.0, 900.0}) {
        for (int i = 0; i < 5000; ++i) {
            const int decimals = 1 + static_cast<int>(next(3));
            const double unit = decimals == 1 ? 10 : decimals == 2 ? 100 : 1000;
            const long long start = static_cast<long long>(next(20000000)) - 10000000;
            const long long k = 1 + static_cast<long long>(next(300));
            const long long end = start + static_cast<long long>(k * width * unit);
            std::snprintf(a, sizeof a, "%.*f", decimals, start / unit);
            std::snprintf(b, sizeof b, "%.*f", decimals, end / unit);
            const bool alongX = next(2) == 0;
            const int32_t n = alongX ? countOf(a, "12.5", b, "12.5", width) : countOf("-3.25", a, "-3.25", b, width);
            if (n != k) ++wrong;
            std::snprintf(b, sizeof b, "%.*f", decimals, (end + std::max(1LL, static_cast<long long>(unit / 100))) / unit);
            if ((alongX ? countOf(a, "0", b, "0", width) : countOf("0", a, "0", b, width)) != k + 1) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Outline files whose segments tell the outlines apart: each outline is one
// segment from (0, tag) to (1, tag). The plan laid straight from them, and a
// session over them in the folder of a program.
struct LayoutTest : ::testing::Test {
    test::TempDir dir;
    test::Platform pf{dir.path()};
    test::RecordingCanvas canvas{kImageWidth, kImageHeight};
    std::unique_ptr<Session> s;
    Choices choices;

    void SetUp() override {
        dir.write("data/pile_n.dat", "0 1 1 1\r\n");
        dir.write("data/pile_l.dat", "0 3 1 3\r\n");
        dir.write("data/pile_r.dat", "0 5 1 5\r\n");
    }
    Plan lay(double x1, double y1, double x2, double y2) {
        HostInput in;
        in.header.hp[1] = {x1, y1};
        in.header.hp[2] = {x2, y2};
        return planRun(in, choices, loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec));
    }
    // The tag of every pile as laid (the y of its first point before turning).
    std::vector<int> tags(const Plan& p) const {
        std::vector<int> t;
        placePieces(p, loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec),
                    [&](double, double y1, double, double, PieceKind) { t.push_back(static_cast<int>(std::lround(y1))); });
        return t;
    }
    // A session shown over the export.
    void show(const std::string& temp) {
        dir.write("temp.txt", temp);
        s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s->attachImage(canvas);
        ASSERT_TRUE(s->runShowSteps());
    }
    // The tags of what OK hands the host, less hp1's y.
    std::vector<int> handedBack(double hp1y = 0) {
        s->ok();
        std::vector<int> t;
        std::istringstream in(dir.read("jwc_temp.txt"));
        double x1, y1, x2, y2;
        while (in >> x1 >> y1 >> x2 >> y2) t.push_back(static_cast<int>(std::lround(y1 - hp1y)));
        return t;
    }
};

using Tags = std::vector<int>;

TEST_F(LayoutTest, CountsOffsetsAndVariants) {
    Plan p = lay(0, 0, 1000, 0);
    EXPECT_EQ(p.count(), 3);
    EXPECT_EQ(p.angle, 0);
    EXPECT_EQ(tags(p), (Tags{1, -1, 1}));
    EXPECT_EQ(p.layout.pieces[1].x, 400);
    choices.orientation = 1;
    EXPECT_EQ(tags(lay(0, 0, 1000, 0)), (Tags{-1, 1, -1}));
    EXPECT_EQ(lay(0, 0, 800, 0).count(), 2);
    p = lay(5, 5, 5, 5);
    EXPECT_EQ(p.count(), 0);
    EXPECT_TRUE(tags(p).empty());
}

TEST_F(LayoutTest, CornersReplaceTheOrdinaryOutline) {
    show("hp1 0 0\r\nhp2 800 0\r\n");
    s->setStartCorner(true);
    s->setEndCorner(true);
    EXPECT_EQ(handedBack(), (Tags{3, -5}));  // start corner variant 0, end corner variant 1
    show("hp1 0 0\r\nhp2 300 0\r\n");
    s->setStartCorner(true);
    s->setEndCorner(true);
    EXPECT_EQ(handedBack(), (Tags{3, 5}));   // one pile: both corners, start first, no ordinary
    EXPECT_EQ(s->quantities().count, 1);
    s->setStartCorner(false);
    EXPECT_EQ(handedBack(), (Tags{5}));
}

TEST_F(LayoutTest, ClicksBeforeTheViewIsReadyDoNothing) {
    dir.write("temp.txt", "hp1 0 0\r\nhp2 800 0\r\n");
    s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});  // no image yet
    ASSERT_TRUE(s->runShowSteps());
    s->setStartCorner(true);
    s->setEndCorner(true);
    EXPECT_EQ(handedBack(), (Tags{1, -1}));
}

TEST_F(LayoutTest, ReverseTwiceIsBitForBitTheSame) {
    show("hp1 12.5 -3\r\nhp2 4012.7 1999.1\r\n");
    s->ok();
    const std::string before = dir.read("jwc_temp.txt");
    s->turnPilesOver();
    s->ok();
    EXPECT_NE(dir.read("jwc_temp.txt"), before);
    s->turnPilesOver();
    s->ok();
    EXPECT_EQ(dir.read("jwc_temp.txt"), before);
}

TEST_F(LayoutTest, AnglesInExtendedPrecision) {
    Plan p = lay(0, 0, 480, 640);
    EXPECT_EQ(p.count(), 2);
    EXPECT_NEAR(p.angle, 53.13010235415598, 1e-12);
    std::vector<WallSegment> placed;
    placePieces(p, loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec),
                [&](double x1, double y1, double x2, double y2, PieceKind) { placed.push_back({x1, y1, x2, y2}); });
    double x, y;
    Rotation(p.angle).apply(400, 0, x, y);  // the second pile's start, (400, -1) before turning
    EXPECT_NEAR(x, 240, 1e-9);
    EXPECT_NEAR(y, 320, 1e-9);
    EXPECT_NE(placed[1].x1, 400);

    p = lay(0, 0, 0, 800);
    EXPECT_LT(p.angle, 90);
    EXPECT_GT(p.angle, 89.9999999999);
    Rotation(p.angle).apply(400, 0, x, y);
    EXPECT_GT(x, 1e-13);  // about 1.3e-12, not on the axis
    EXPECT_LT(x, 1e-11);
    EXPECT_NEAR(y, 400, 1e-9);
    p = lay(0, 0, -800, 0);
    EXPECT_LT(p.angle, 180);
    EXPECT_GT(p.angle, 179.9999999999);
    p = lay(0, 0, 0, -800);
    EXPECT_LT(p.angle, 270);
    EXPECT_GT(p.angle, 269.9999999999);
    EXPECT_EQ(lay(0, 0, 800, 0).angle, 0);
}

TEST_F(LayoutTest, HugeRunIsRefusedBeforeAnyAllocation) {
    Plan p = lay(-1e308, 0, 1e308, 0);
    EXPECT_EQ(p.refusal, Refusal::Count);
    EXPECT_EQ(p.fault, pileCountMessage());
    EXPECT_EQ(p.count(), 0);
    EXPECT_EQ(lay(0, 0, 400.0 * kMaxPileCount + 1, 0).refusal, Refusal::Count);
    EXPECT_EQ(lay(1e15, -1e15, 1e15 + 800, -1e15).count(), 2);  // far out but short: laid
    // The user is told once, not again for a box ticked.
    show("hp1 0 0\r\nhp2 1e12 0\r\n");
    ASSERT_EQ(pf.messages.shown.size(), 1u);
    EXPECT_EQ(pf.messages.shown[0], pileCountMessage());
    s->setStartCorner(true);
    EXPECT_EQ(pf.messages.shown.size(), 1u);
}

// An outline that does not load leaves no run: not one laid from half the
// outlines, and no count for it.
TEST_F(LayoutTest, MissingStartCornerFileLaysNothing) {
    std::filesystem::remove(dir.path("data/pile_l.dat"));
    EXPECT_RAISES(loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec), IoError, "指定されたファイルが見つかりません");
    dir.write("temp.txt", "hp1 0 0\r\nhp2 1200 0\r\n");
    s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    s->attachImage(canvas);
    EXPECT_THROW(s->runShowSteps(), IoError);
    EXPECT_EQ(u16ToUtf8(s->countText()), "0枚");
    s->setStartCorner(true);
    s->ok();
    EXPECT_EQ(dir.read("jwc_temp.txt"), pf.codec.encode(u"he指定されたファイルが見つかりません.\r\n"));
}

// Whatever failed OKs and changes of the run came before, the host gets the
// run as laid at that moment, moved onto hp1 exactly once.
TEST_F(LayoutTest, OkAfterFailedWritesMovesTheRunAsLaidOnce) {
    const std::string plain = "100 201 101 201\r\n500 199 501 199\r\n";
    const struct {
        const char* name;
        int failures;
        void (*change)(Session&);
        std::string want;
    } cases[] = {
        {"two failed OKs, no change", 2, [](Session&) {}, plain},
        {"failed OK, then 起点", 1, [](Session& x) { x.setStartCorner(true); }, "100 203 101 203\r\n500 199 501 199\r\n"},
        {"failed OK, then 終点", 1, [](Session& x) { x.setEndCorner(true); }, "100 201 101 201\r\n500 195 501 195\r\n"},
        {"failed OK, then 反転", 1, [](Session& x) { x.turnPilesOver(); }, "100 199 101 199\r\n500 201 501 201\r\n"},
        {"two failed OKs around 反転 twice", 2, [](Session& x) { x.turnPilesOver(); x.turnPilesOver(); }, plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        show("hp1 100 200\r\nhp2 900 200\r\n");
        std::filesystem::remove(dir.path("jwc_temp.txt"));
        std::filesystem::create_directory(dir.path("jwc_temp.txt"));  // the write cannot replace a folder
        for (int k = 0; k < c.failures; ++k) {
            EXPECT_THROW(s->ok(), IoError);
            if (k == 0) c.change(*s);
        }
        std::filesystem::remove(dir.path("jwc_temp.txt"));
        s->ok();
        EXPECT_EQ(dir.read("jwc_temp.txt"), c.want);
    }
}

TEST_F(LayoutTest, ShowStepsWithoutHostFile) {
    s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    dir.write("jwc_temp.txt", "old\r\n");
    EXPECT_FALSE(s->runShowSteps());
    EXPECT_EQ(dir.read("jwc_temp.txt"), "");
    std::filesystem::remove(dir.path("jwc_temp.txt"));
    EXPECT_FALSE(s->runShowSteps());
    EXPECT_FALSE(dir.exists("jwc_temp.txt"));
}

TEST_F(LayoutTest, FailedReadHandsTheHostNothingOfItsOwn) {
    dir.write("temp.txt", "hp1 100 200\r\nhp2 900 200\r\n0 0 10 10\r\n5 x 1 1\r\n");
    s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    s->attachImage(canvas);
    EXPECT_THROW(s->runShowSteps(), ConvertError);
    s->setSection(kDefaultSection);  // nothing to lay after a failed read
    EXPECT_EQ(u16ToUtf8(s->countText()), "0枚");
    s->ok();
    // None of the host's own entities, only why nothing was drawn.
    EXPECT_EQ(dir.read("jwc_temp.txt"), pf.codec.encode(u"he'x' は浮動小数点数ではありません.\r\n"));
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every section as shipped: the generator still gives the committed files;
// each outline loads, is finite, meets the axis at 0 and at the width and
// reaches the height at the flange; the start corner's plate leaves the
// start claw visible; the run has ceil(length / width) piles at that pitch,
// U piles alternate while hat piles do not, and no segment of a run with
// both corners is drawn twice while every joint, the last one too, is closed.
TEST(Sections, EverySectionAsShipped) {
    const struct {
        const char* name;
        double width, height;
        bool alternates;
    } table[] = {
        {"II", 400, 100, true},   {"III", 400, 125, true},  {"IV", 400, 170, true},   {"VL", 500, 200, true},
        {"VIL", 500, 225, true},  {"IIw", 600, 130, true},  {"IIIw", 600, 180, true}, {"IVw", 600, 210, true},
        {"10H", 900, 230, false}, {"25H", 900, 300, false}, {"45H", 900, 368, false}, {"50H", 900, 370, false},
    };
    ASSERT_EQ(pileSections().size(), std::size(table));
    EXPECT_EQ(u16ToUtf8(pileSections()[kDefaultSection].name), "III");

    test::TempDir generated;
    const std::string root = RAVO_SOURCE_DIR;
    ASSERT_EQ(std::system(("python3 " + root + "/tools/outlines/make-outlines.py " + generated.path()).c_str()), 0);

    test::Platform pf;  // the program's folder: the source tree, with the shipped outlines
    for (size_t k = 0; k < std::size(table); ++k) {
        const auto& want = table[k];
        SCOPED_TRACE(want.name);
        ASSERT_EQ(findSection(utf8ToU16(want.name)), k);
        std::string lower = want.name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(findSection(utf8ToU16(lower)), k);
        for (OutlineKind kind : {OutlineKind::Normal, OutlineKind::StartCorner, OutlineKind::EndCorner}) {
            std::string file = u16ToUtf8(outlineFile(pileSections()[k], kind));
            std::replace(file.begin(), file.end(), '\\', '/');
            EXPECT_EQ(readAll(root + "/" + file), generated.read(file.substr(5))) << file;  // past "data/"

            std::vector<WallSegment> outline;
            loadPileShape(outline, pf.fs.besideProgram(outlineFile(pileSections()[k], kind)), pf.fs, NumberFormat{}, pf.codec);
            ASSERT_GT(outline.size(), 11u) << file;
            bool startsOnAxis = false, endsOnAxis = false;
            double minX = 1e9, maxX = -1e9, maxY = -1e9;
            for (const WallSegment& d : outline) {
                for (double v : {d.x1, d.y1, d.x2, d.y2}) ASSERT_TRUE(std::isfinite(v)) << file;
                for (auto [x, y] : {std::pair{d.x1, d.y1}, std::pair{d.x2, d.y2}}) {
                    startsOnAxis |= x == 0 && y == 0;
                    endsOnAxis |= x == want.width && y == 0;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    maxY = std::max(maxY, y);
                }
            }
            EXPECT_TRUE(startsOnAxis && endsOnAxis) << file;
            EXPECT_EQ(minX, 0) << file;
            EXPECT_EQ(maxX, want.width) << file;
            EXPECT_EQ(maxY, want.height) << file;
            if (kind == OutlineKind::StartCorner) {
                // The plate's inner face: the farther of its faces down to the foot. The
                // claw's bottom: the lowest horizontal segment near the axis at the start.
                double plateX = 0, clawY = 0, clawRight = -1;
                for (const WallSegment& d : outline) {
                    if (d.x1 == d.x2 && std::min(d.y1, d.y2) == -200) plateX = std::max(plateX, d.x1);
                    if (d.y1 == d.y2 && d.y1 < 0 && d.y1 > -50 && d.x2 < want.width / 2 && d.y1 <= clawY) {
                        if (d.y1 < clawY) clawRight = -1;
                        clawY = d.y1;
                        clawRight = std::max({clawRight, d.x1, d.x2});
                    }
                }
                EXPECT_GT(clawRight, plateX) << file;
            }
        }

        const Outlines o = loadOutlines(k, pf.fs, NumberFormat{}, pf.codec);
        Choices c;
        c.section = k;
        HostInput in;
        auto placed = [&](double length) {
            in.header.hp[2] = {length, 0};
            const Plan p = planRun(in, c, o);
            std::vector<WallSegment> out;
            placePieces(p, o, [&](double x1, double y1, double x2, double y2, PieceKind) { out.push_back({x1, y1, x2, y2}); });
            return std::pair{p, out};
        };
        for (int piles : {1, 2, 7}) {
            EXPECT_EQ(placed(want.width * piles).first.count(), piles);
            EXPECT_EQ(placed(want.width * piles + 0.0011).first.count(), piles + 1);
        }
        c.startCorner = c.endCorner = true;
        std::set<std::array<double, 4>> seen;
        bool endClosed = false;
        for (WallSegment d : placed(want.width * 3).second) {
            if (std::pair{d.x1, d.y1} > std::pair{d.x2, d.y2}) std::swap(d.x1, d.x2), std::swap(d.y1, d.y2);
            EXPECT_TRUE(seen.insert({d.x1, d.y1, d.x2, d.y2}).second) << d.x1 << " " << d.y1 << " " << d.x2 << " " << d.y2;
            endClosed |= d.x1 == 3 * want.width && d.x2 == 3 * want.width && d.y1 == 0 && d.y2 > 0;
        }
        EXPECT_TRUE(endClosed);
        c.startCorner = c.endCorner = false;
        // The second pile is the first one a pitch on, mirrored or not.
        const auto two = placed(want.width * 2).second;
        const size_t perPile = o.outline(OutlineKind::Normal, false).size();
        const WallSegment first = two[0], second = two[perPile];
        EXPECT_EQ(second.x1, first.x1 + want.width);
        EXPECT_EQ(second.y2, want.alternates ? -first.y2 : first.y2);
        EXPECT_NE(first.y2, 0);
    }

    // The laid length, and the indicated one where they differ to the millimetre.
    EXPECT_EQ(u16ToUtf8(pileCountText(2, 400, 800)), "2枚  延長 0.800 m");
    EXPECT_EQ(u16ToUtf8(pileCountText(2, 400, 800.4999)), "2枚  延長 0.800 m");
    EXPECT_EQ(u16ToUtf8(pileCountText(7, 400, 2401)), "7枚  延長 2.800 m（指示 2.401 m）");
    EXPECT_EQ(u16ToUtf8(pileCountText(2, 400, 799.5)), "2枚  延長 0.800 m");
    EXPECT_EQ(u16ToUtf8(pileCountText(2, 400, 799.49)), "2枚  延長 0.800 m（指示 0.799 m）");
    EXPECT_EQ(u16ToUtf8(pileCountText(1, 400, 1e-300)), "1枚  延長 0.400 m（指示 0.000 m）");
    EXPECT_EQ(u16ToUtf8(pileCountText(0, 400, 0)), "0枚");
    EXPECT_EQ(u16ToUtf8(pileCountText(0, 900, 3600)), "0枚");  // nothing laid: nothing promised
    EXPECT_EQ(u16ToUtf8(pileCountText(kMaxPileCount, 900, 22500000)), "25000枚  延長 22500.000 m");
    EXPECT_EQ(u16ToUtf8(pileCountText(3, 600, 1800)), "3枚  延長 1.800 m");
}

// A section whose files are missing is reported, and the run, its count and
// the section stay as they were.
TEST_F(LayoutTest, MissingSectionKeepsThePreviousRun) {
    show("hp1 0 0\r\nhp2 1000 0\r\n");
    const auto before = handedBack();
    EXPECT_THROW(s->setSection(findSection(u"25H")), IoError);
    EXPECT_EQ(s->section(), kDefaultSection);
    EXPECT_EQ(handedBack(), before);
    EXPECT_EQ(u16ToUtf8(s->countText()), "3枚  延長 1.200 m（指示 1.000 m）");
}

}  // namespace
}  // namespace ravo
