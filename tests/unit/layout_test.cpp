#include "core/pile_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/functions.h"
#include "core/result_writer.h"
#include "core/session.h"
#include "core/transforms.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

TEST(Transforms, RotateScaleMoveCopy) {
    RecordingMessages msgs;
    GinStore store(msgs);
    store.addLine(1, 1, 0, 2, 0);
    store.addCircle(1, 3, 4, 5);
    rotateGin(store, 1, 90);
    LineData l = store.getLine(1, 0);
    EXPECT_GT(l.X1, 1e-15);  // cos 90 with the short pi
    EXPECT_LT(l.X1, 2e-15);
    EXPECT_EQ(l.Y1, 1);
    EXPECT_EQ(l.Y2, 2);
    LineData c = store.getLine(1, 1);
    EXPECT_EQ(c.X1, 3);  // circles are not turned
    EXPECT_EQ(c.R, 5);

    store.clearGin(2);
    store.addLine(2, 1, 2, 3, 4);
    store.addCircle(2, 1, 1, 5);
    scaleGin(store, 2, 1.0, -1.0);
    EXPECT_EQ(store.getLine(2, 0).Y1, -2);
    EXPECT_EQ(store.getLine(2, 0).Y2, -4);
    EXPECT_EQ(store.getLine(2, 1).Y1, -1);
    EXPECT_EQ(store.getLine(2, 1).R, 5);
    moveGin(store, 2, 10, 20);
    EXPECT_EQ(store.getLine(2, 1).X1, 11);
    EXPECT_EQ(store.getLine(2, 1).X2, 11);
    EXPECT_EQ(store.getLine(2, 1).Y2, 19);
    EXPECT_EQ(store.getLine(2, 1).R, 5);

    // Copies are fresh lines with the current attributes; circles stay behind.
    store.curCL = 42;
    store.clearGin(3);
    copyGinOffset(store, 2, 3, 1, 1);
    ASSERT_EQ(store.lastLineIndex(3), 0);
    EXPECT_EQ(store.lineRec(3, 0).CL, 42);
    EXPECT_EQ(store.lineRec(3, 0).X1, 12);
    EXPECT_EQ(store.lastLineIndex(2), 1);  // the source is unchanged
    // Onto itself: exactly one copy of what it held.
    copyGinOffset(store, 3, 3, 100, 0);
    ASSERT_EQ(store.lastLineIndex(3), 1);
    EXPECT_EQ(store.getLine(3, 1).X1, 112);
    // Nothing to do on an empty gin.
    rotateGin(store, 9, 30);
    moveGin(store, 9, 1, 1);
    copyGinOffset(store, 9, 10, 1, 1);
    EXPECT_EQ(store.lastLineIndex(10), -1);
}

// Sums and products are rounded to extended precision first, then to a
// double: where the exact value needs more than 64 bits the two roundings
// differ from one rounding in double.
TEST(Transforms, ExtendedIntermediatesRoundTwice) {
    RecordingMessages msgs;
    GinStore store(msgs);
    const double tiny = 0x1.0000000000001p-53;  // 1 + tiny: a double rounds up, extended then double to 1
    const double a = 0x1.27365a6456ba5p+0, b = 0x1.63fdaf7759a4fp+0;  // a product that rounds twice differently
    store.addLine(1, 1.0, 1.0, 1.0, 1.0);
    moveGin(store, 1, tiny, tiny);
    EXPECT_EQ(store.getLine(1, 0).X1, 1.0);
    EXPECT_EQ(store.getLine(1, 0).Y2, 1.0);
    copyGinOffset(store, 1, 2, tiny, tiny);
    EXPECT_EQ(store.getLine(2, 0).X2, 1.0);
    store.addLine(3, a, a, a, a);
    scaleGin(store, 3, b, b);
    EXPECT_EQ(store.getLine(3, 0).X1, static_cast<double>(static_cast<long double>(a) * b));
    EXPECT_NE(store.getLine(3, 0).X1, a * b);
}

TEST(Transforms, FailedAppendDoesNotStopTheCopy) {
    RecordingMessages msgs;
    GinStore store(msgs, 320 * sizeof(recLine));
    for (int i = 0; i < 120; ++i) store.addLine(1, i, 0, 0, 0);
    ASSERT_TRUE(msgs.shown.empty());
    copyGinOffset(store, 1, 2, 0, 0);
    // 99 copies fit the first 100 slots; each of the other 21 is tried and reported.
    EXPECT_EQ(store.lastLineIndex(2), 98);
    EXPECT_EQ(msgs.shown.size(), 21u);
    EXPECT_EQ(store.lastLineIndex(1), 119);
}

struct OutlineTest : ::testing::Test {
    test::Platform pf;
    GinStore store{pf.messages};
    NumberFormat fmt;
    test::TempDir dir;

    void load(const std::string& bytes) {
        dir.write("p.dat", bytes);
        loadPileShape(store, 1, dir.upath("p.dat"), pf.fs, fmt, pf.codec);
    }
};

TEST_F(OutlineTest, FileRules) {
    load("\r\n   \r\n1 2 3 4 5\r\n\"10.5\" -3 20 -3\n" + std::string(300, ' ') + "\n7 8 9 1e1\r\x1A" "99 99 99 99\r\n");
    ASSERT_EQ(store.lastLineIndex(1), 2);
    EXPECT_EQ(store.getLine(1, 0).X2, 3);
    EXPECT_EQ(store.getLine(1, 0).Y2, 4);
    EXPECT_EQ(store.getLine(1, 1).X1, 10.5);
    EXPECT_EQ(store.getLine(1, 2).Y2, 10);
}

TEST_F(OutlineTest, BlankFileGivesEmptyOutline) {
    load("\r\n \t \r\n");
    EXPECT_EQ(store.lastLineIndex(1), -1);
}

TEST_F(OutlineTest, FailuresKeepEarlierSegments) {
    EXPECT_RAISES(load("1 2 3 4\r\n1 2 3\r\n5 6 7 8\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    EXPECT_EQ(store.lastLineIndex(1), 0);
    EXPECT_RAISES(load("1,5 2 3 4\r\n"), ConvertError, "'1,5' は浮動小数点数ではありません");
    EXPECT_RAISES(load("1 2 3 1e999\r\n"), ConvertError, "'1e999' は浮動小数点数ではありません");
    EXPECT_RAISES(load("\" 1\" 2 3 4\r\n"), ConvertError, "' 1' は浮動小数点数ではありません");
    // The fourth number starting after byte 255 is cut off.
    EXPECT_RAISES(load("1 2 3" + std::string(260, ' ') + "4\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    fmt.decimalSeparator = u',';
    store.clearGin(1);
    load("1,5 2 3 4\r\n");
    EXPECT_EQ(store.getLine(1, 0).X1, 1.5);
    try {
        loadPileShape(store, 1, dir.upath("none.dat"), pf.fs, fmt, pf.codec);
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

// A session over outline files whose segments tell the outlines apart:
// each outline is one segment from (0, tag) to (1, tag).
struct LayoutTest : ::testing::Test {
    test::Platform pf;
    test::TempDir dir;
    test::RecordingCanvas canvas{289, 229};
    std::unique_ptr<Session> s;
    std::string oldCwd;

    void SetUp() override {
        dir.write("data/pile_n.dat", "0 1 1 1\r\n");
        dir.write("data/pile_l.dat", "0 3 1 3\r\n");
        dir.write("data/pile_r.dat", "0 5 1 5\r\n");
        oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());  // outlines resolve against it
        s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s->attachImage(canvas);
    }
    void TearDown() override { std::filesystem::current_path(oldCwd); }

    void lay(double x1, double y1, double x2, double y2) {
        s->header().hp[1] = {x1, y1};
        s->header().hp[2] = {x2, y2};
        s->layouter().preparePiles();
        s->layouter().layoutPiles(s->layout().nReverse);
    }
    // The tag (y of the first point before turning) of every pile.
    std::vector<int> tags() const {
        std::vector<int> t;
        for (int i = 0; i <= s->store().lastLineIndex(0); ++i) t.push_back(static_cast<int>(std::lround(s->store().getLine(0, i).Y1)));
        return t;
    }
};

using Tags = std::vector<int>;

TEST_F(LayoutTest, CountsOffsetsAndVariants) {
    lay(0, 0, 1000, 0);
    EXPECT_EQ(s->layout().nPileCount, 3);
    EXPECT_EQ(s->layout().dAngle, 0);
    EXPECT_EQ(tags(), (Tags{1, -1, 1}));
    EXPECT_EQ(s->store().getLine(0, 1).X1, 400);
    EXPECT_EQ(s->store().getLine(0, 2).X2, 801);
    s->layout().nReverse = 1;
    s->layouter().layoutPiles(1);
    EXPECT_EQ(tags(), (Tags{-1, 1, -1}));
    lay(0, 0, 800, 0);
    EXPECT_EQ(s->layout().nPileCount, 2);
    lay(5, 5, 5, 5);
    EXPECT_EQ(s->layout().nPileCount, 0);
    EXPECT_EQ(s->store().lastLineIndex(0), -1);
}

TEST_F(LayoutTest, CornersReplaceTheOrdinaryOutline) {
    lay(0, 0, 800, 0);
    s->chkStartClick(true);
    s->chkEndClick(true);
    EXPECT_EQ(tags(), (Tags{3, -5}));  // start corner variant 0, end corner variant 1
    lay(0, 0, 300, 0);
    EXPECT_EQ(tags(), (Tags{3, 5}));   // one pile: both corners, start first, no ordinary
    s->chkStartClick(false);
    EXPECT_EQ(tags(), (Tags{5}));
}

TEST_F(LayoutTest, ClicksBeforeTheViewIsReadyDoNothing) {
    s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});  // no image yet
    lay(0, 0, 800, 0);
    s->chkStartClick(true);
    s->chkEndClick(true);
    EXPECT_FALSE(s->layout().bStartCorner);
    EXPECT_FALSE(s->layout().bEndCorner);
    EXPECT_EQ(tags(), (Tags{1, -1}));
}

TEST_F(LayoutTest, ReverseTwiceIsBitForBitTheSame) {
    lay(12.5, -3, 4012.7, 1999.1);
    std::vector<recLine> before(s->store().lineData(0), s->store().lineData(0) + s->store().lastLineIndex(0) + 1);
    s->btnReverseClick();
    s->btnReverseClick();
    ASSERT_EQ(s->store().lastLineIndex(0) + 1, static_cast<int>(before.size()));
    EXPECT_EQ(std::memcmp(before.data(), s->store().lineData(0), before.size() * sizeof(recLine)), 0);
}

TEST_F(LayoutTest, AnglesInExtendedPrecision) {
    lay(0, 0, 480, 640);
    EXPECT_EQ(s->layout().nPileCount, 2);
    EXPECT_NEAR(s->layout().dAngle, 53.13010235415598, 1e-12);
    LineData second = s->store().getLine(0, 1);  // from (400, -1) before turning
    double x, y;
    rotatePoint(s->layout().dAngle, 400, 0, x, y);
    EXPECT_NEAR(x, 240, 1e-9);
    EXPECT_NEAR(y, 320, 1e-9);
    EXPECT_NE(second.X1, 400);

    lay(0, 0, 0, 800);
    EXPECT_LT(s->layout().dAngle, 90);
    EXPECT_GT(s->layout().dAngle, 89.9999999999);
    rotatePoint(s->layout().dAngle, 400, 0, x, y);
    EXPECT_GT(x, 1e-13);  // about 1.3e-12, not on the axis
    EXPECT_LT(x, 1e-11);
    EXPECT_NEAR(y, 400, 1e-9);
    lay(0, 0, -800, 0);
    EXPECT_LT(s->layout().dAngle, 180);
    EXPECT_GT(s->layout().dAngle, 179.9999999999);
    lay(0, 0, 0, -800);
    EXPECT_LT(s->layout().dAngle, 270);
    EXPECT_GT(s->layout().dAngle, 269.9999999999);
    lay(0, 0, 800, 0);
    EXPECT_EQ(s->layout().dAngle, 0);
}

TEST_F(LayoutTest, HugeRunIsRefusedBeforeAnyAllocation) {
    lay(-1e308, 0, 1e308, 0);
    ASSERT_EQ(pf.messages.shown.size(), 1u);
    EXPECT_EQ(pf.messages.shown[0], pileCountMessage());
    EXPECT_EQ(s->layout().nPileCount, 0);
    EXPECT_EQ(s->store().lastLineIndex(0), -1);
    EXPECT_EQ(s->store().lastLineIndex(1), 0);  // the outlines are still loaded
    lay(0, 0, 400.0 * kMaxPileCount + 1, 0);
    EXPECT_EQ(pf.messages.shown.size(), 2u);
    lay(1e15, -1e15, 1e15 + 800, -1e15);  // far out but short: laid
    EXPECT_EQ(s->layout().nPileCount, 2);
}

// An outline that does not load leaves no run: not one laid from half the
// outlines, and no count for it.
TEST_F(LayoutTest, MissingStartCornerFileLaysNothing) {
    std::filesystem::remove(dir.path("data/pile_l.dat"));
    s->header().hp[1] = {0, 0};
    s->header().hp[2] = {1200, 0};
    EXPECT_RAISES(s->layouter().preparePiles(), IoError, "指定されたファイルが見つかりません");
    EXPECT_EQ(s->layout().nPileCount, 0);
    EXPECT_EQ(u16ToUtf8(s->countText()), "0枚");
    EXPECT_EQ(s->store().lastLineIndex(1), 0);
    EXPECT_EQ(s->store().lastLineIndex(2), 0);
    EXPECT_EQ(s->store().lastLineIndex(3), -1);
    EXPECT_EQ(s->store().lastLineIndex(6), -1);
    EXPECT_EQ(s->store().lastLineIndex(0), -1);
    s->chkStartClick(true);
    EXPECT_EQ(tags(), Tags{});
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
        {"failed OK, then 起点", 1, [](Session& x) { x.chkStartClick(true); }, "100 203 101 203\r\n500 199 501 199\r\n"},
        {"failed OK, then 終点", 1, [](Session& x) { x.chkEndClick(true); }, "100 201 101 201\r\n500 195 501 195\r\n"},
        {"failed OK, then 反転", 1, [](Session& x) { x.btnReverseClick(); }, "100 199 101 199\r\n500 201 501 201\r\n"},
        {"two failed OKs around 反転 twice", 2, [](Session& x) { x.btnReverseClick(); x.btnReverseClick(); }, plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s = std::make_unique<Session>(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s->attachImage(canvas);
        dir.write("temp.txt", "hp1 100 200\r\nhp2 900 200\r\n");
        ASSERT_TRUE(s->runShowSteps(dir.upath()));
        std::filesystem::remove(dir.path("jwc_temp.txt"));
        std::filesystem::create_directory(dir.path("jwc_temp.txt"));  // the write cannot replace a folder
        for (int k = 0; k < c.failures; ++k) {
            EXPECT_THROW(s->writeRunResult(), IoError);
            if (k == 0) c.change(*s);
        }
        std::filesystem::remove(dir.path("jwc_temp.txt"));
        s->writeRunResult();
        EXPECT_EQ(dir.read("jwc_temp.txt"), c.want);
    }
}

TEST_F(LayoutTest, ShowStepsWithoutHostFile) {
    dir.write("jwc_temp.txt", "old\r\n");
    EXPECT_FALSE(s->runShowSteps(dir.upath()));
    EXPECT_EQ(dir.read("jwc_temp.txt"), "");
    std::filesystem::remove(dir.path("jwc_temp.txt"));
    EXPECT_FALSE(s->runShowSteps(dir.upath()));
    EXPECT_FALSE(dir.exists("jwc_temp.txt"));
}

TEST_F(LayoutTest, FailedReadHandsTheHostNothingOfItsOwn) {
    dir.write("temp.txt", "hp1 100 200\r\nhp2 900 200\r\n0 0 10 10\r\n5 x 1 1\r\n");
    EXPECT_THROW(s->runShowSteps(dir.upath()), ConvertError);
    EXPECT_EQ(s->store().lastLineIndex(0), -1);
    s->cmbTypeChange(kDefaultSection);  // nothing to lay after a failed read
    EXPECT_EQ(s->store().lastLineIndex(0), -1);
    s->writeRunResult();
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

    test::Platform pf;
    const std::string oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(root);  // the outline paths are opened from the current directory
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

            GinStore store(pf.messages);
            loadPileShape(store, 1, outlineFile(pileSections()[k], kind), pf.fs, NumberFormat{}, pf.codec);
            ASSERT_GT(store.lastLineIndex(1), 10) << file;
            bool startsOnAxis = false, endsOnAxis = false;
            double minX = 1e9, maxX = -1e9, maxY = -1e9;
            for (int i = 0; i <= store.lastLineIndex(1); ++i) {
                LineData d = store.getLine(1, i);
                for (double v : {d.X1, d.Y1, d.X2, d.Y2}) ASSERT_TRUE(std::isfinite(v)) << file;
                for (auto [x, y] : {std::pair{d.X1, d.Y1}, std::pair{d.X2, d.Y2}}) {
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
                for (int i = 0; i <= store.lastLineIndex(1); ++i) {
                    const LineData d = store.getLine(1, i);
                    if (d.X1 == d.X2 && std::min(d.Y1, d.Y2) == -200) plateX = std::max(plateX, d.X1);
                    if (d.Y1 == d.Y2 && d.Y1 < 0 && d.Y1 > -50 && d.X2 < want.width / 2 && d.Y1 <= clawY) {
                        if (d.Y1 < clawY) clawRight = -1;
                        clawY = d.Y1;
                        clawRight = std::max({clawRight, d.X1, d.X2});
                    }
                }
                EXPECT_GT(clawRight, plateX) << file;
            }
        }

        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s.chooseSection(k);
        EXPECT_EQ(s.layout().dPitch, want.width);
        int perPile = 0;
        for (int piles : {1, 2, 7}) {
            s.header().hp[2] = {want.width * piles, 0};
            s.layouter().preparePiles();
            s.layouter().layoutPiles(0);
            perPile = s.store().lastLineIndex(1) + 1;
            EXPECT_EQ(s.layout().nPileCount, piles);
            s.header().hp[2] = {want.width * piles + 0.0011, 0};
            s.layouter().preparePiles();
            s.layouter().layoutPiles(0);
            EXPECT_EQ(s.layout().nPileCount, piles + 1);
        }
        s.header().hp[2] = {want.width * 3, 0};
        s.layout().bStartCorner = s.layout().bEndCorner = true;
        s.layouter().preparePiles();
        s.layouter().layoutPiles(0);
        std::set<std::array<double, 4>> seen;
        bool endClosed = false;
        for (int i = 0; i <= s.store().lastLineIndex(0); ++i) {
            LineData d = s.store().getLine(0, i);
            if (std::pair{d.X1, d.Y1} > std::pair{d.X2, d.Y2}) std::swap(d.X1, d.X2), std::swap(d.Y1, d.Y2);
            EXPECT_TRUE(seen.insert({d.X1, d.Y1, d.X2, d.Y2}).second) << d.X1 << " " << d.Y1 << " " << d.X2 << " " << d.Y2;
            endClosed |= d.X1 == 3 * want.width && d.X2 == 3 * want.width && d.Y1 == 0 && d.Y2 > 0;
        }
        EXPECT_TRUE(endClosed);
        s.layout().bStartCorner = s.layout().bEndCorner = false;
        s.header().hp[2] = {want.width * 2, 0};
        s.layouter().preparePiles();
        s.layouter().layoutPiles(0);
        // The second pile is the first one a pitch on, mirrored or not.
        const LineData first = s.store().getLine(0, 0), second = s.store().getLine(0, perPile);
        EXPECT_EQ(second.X1, first.X1 + want.width);
        EXPECT_EQ(second.Y2, want.alternates ? -first.Y2 : first.Y2);
        EXPECT_NE(first.Y2, 0);
    }
    std::filesystem::current_path(oldCwd);

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
    dir.write("temp.txt", "hp1 0 0\r\nhp2 1000 0\r\n");
    ASSERT_TRUE(s->runShowSteps(dir.upath()));
    const auto before = tags();
    EXPECT_THROW(s->cmbTypeChange(findSection(u"25H")), IoError);
    EXPECT_EQ(s->layout().nSection, kDefaultSection);
    EXPECT_EQ(s->layout().dPitch, 400);
    EXPECT_EQ(s->layout().nPileCount, 3);
    EXPECT_EQ(tags(), before);
    EXPECT_EQ(u16ToUtf8(s->countText()), "3枚  延長 1.200 m（指示 1.000 m）");
}

}  // namespace
}  // namespace ravo
