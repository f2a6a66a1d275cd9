// The supports inside a cofferdam: the choices as typed, the demo's
// figures in the table, the notice and the result, and the rules every
// rectangle keeps.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "core/annotations.h"
#include "core/drawing.h"
#include "core/plan.h"
#include "core/session.h"
#include "core/supports.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

const HSections& members() {
    static const HSections s = [] {
        test::Platform pf;
        return parseHSections(pf.fs.readFile(pf.fs.besideProgram(kHSectionsFile)));
    }();
    return s;
}

std::string line(double x1, double y1, double x2, double y2) {
    char buf[160];
    std::snprintf(buf, sizeof buf, " %.6f %.6f %.6f %.6f\r\n", x1, y1, x2, y2);
    return buf;
}

std::string polygon(std::initializer_list<WallPoint> pts) {
    const std::vector<WallPoint> v(pts);
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += line(v[i].x, v[i].y, v[(i + 1) % v.size()].x, v[(i + 1) % v.size()].y);
    return s;
}

const char* kHeader =
    "hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
    "hcw 2 2.5 3 3.5 4 5 6 7 8 10\r\nhch 2 2.5 3 3.5 4 5 6 7 8 10\r\nhcd 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5\r\n"
    "lg0\r\nly5\r\ncn3\r\n#\r\n";

struct SupportCase : ::testing::Test {
    test::Platform pf;
    HostInput input;
    Outlines outlines = loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec);

    Choices choices(SupportTyped typed) const {
        Choices c;
        c.mode = RunMode::Selection;
        c.pileLength = parsePileLength(u"10.0");
        typed.on = true;
        c.supports = readSupports(typed, members().list);
        return c;
    }
    Plan lay(const std::string& entities, const Choices& c) {
        input = readHost(kHeader + entities, NumberFormat{}, pf.codec);
        return planRun(input, c, outlines);
    }
    std::string result(const Plan& p, const Choices& c) const {
        return resultBytes(drawingOf(p, input, outlines, c), NumberFormat{}, pf.codec);
    }
};

TEST(SupportChoices, AsTyped) {
    ASSERT_TRUE(members().fault.empty());
    ASSERT_EQ(members().list.size(), 5u);
    EXPECT_EQ(u16ToUtf8(memberName(members().list[defaultMember(members().list)])), "H-300×300×10×15");
    EXPECT_EQ(members().list[defaultMember(members().list)].kgPerM, 93.0);
    EXPECT_EQ(members().list.back().r, 22);
    const struct {
        const char16_t *levels, *spacing, *brace;
        std::vector<double> depths;  // none: a fault
    } cases[] = {
        {u"1.0 4.0", u"5.0", u"1.5", {1.0, 4.0}},
        {u"１．０，４", u"５", u"0", {1.0, 4.0}},
        {u"4,1\u30007", u"5", u"1.5", {1.0, 4.0, 7.0}},
        {u" 2.5 ", u"3", u"1", {2.5}},
        {u"", u"5", u"1.5", {}},
        {u"1 1", u"5", u"1.5", {}},
        {u"0 3", u"5", u"1.5", {}},
        {u"-1", u"5", u"1.5", {}},
        {u"1m", u"5", u"1.5", {}},
        {u"1 200", u"5", u"1.5", {}},
        {u"1", u"0", u"1.5", {}},
        {u"1", u"5", u"-1", {}},
        {u"1", u"5", u"x", {}},
    };
    for (const auto& k : cases) {
        SupportTyped t;
        t.levels = k.levels, t.spacing = k.spacing, t.brace = k.brace;
        const SupportOptions s = readSupports(t, members().list);
        EXPECT_EQ(s.levels, k.depths) << u16ToUtf8(k.levels);
        EXPECT_EQ(s.fault.empty(), !k.depths.empty()) << u16ToUtf8(k.levels) << u16ToUtf8(s.fault);
    }
    // A section below the guide's least is noted, not refused.
    SupportTyped small;
    small.member = 0;
    const SupportOptions s = readSupports(small, members().list);
    EXPECT_TRUE(s.fault.empty());
    EXPECT_NE(u16ToUtf8(supportsNote(s)).find("H-200×200×8×12 は"), std::string::npos);
    // A damaged file names its line.
    EXPECT_EQ(u16ToUtf8(parseHSections("# c\r\n300 300 10 15 13 93\r\n300 x\r\n").fault),
              "部材データ data\\h_sections.dat の 3 行目が読めません");
}

// Without the sections' file the supports are none, and the count line,
// the window's note and an OK say no more than that: the piles as ever.
TEST(SupportChoices, SectionsFileMissing) {
    std::string results[2];
    for (int missing = 0; missing < 2; ++missing) {
        test::TempDir dir;
        dir.write("temp.txt", std::string(kHeader) + polygon({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}}));
        for (const char* f : {"pile_n.dat", "pile_l.dat", "pile_r.dat", "h_sections.dat"})
            if (!(missing && std::string(f) == "h_sections.dat"))
                std::filesystem::create_directories(dir.path("data")),
                    std::filesystem::create_symlink(std::string(RAVO_SOURCE_DIR) + "/data/" + f, dir.path("data/") + f);
        test::Platform pf(dir.path());
        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        test::RecordingCanvas canvas(kImageWidth, kImageHeight);
        s.attachImage(canvas);
        s.setRunMode(RunMode::Selection);
        // The file present: supports off, for the piles' bytes.
        SupportTyped on;
        on.on = missing == 1;
        s.setSupports(on);
        EXPECT_EQ(s.members().empty(), missing == 1);
        ASSERT_TRUE(s.runShowSteps());
        if (missing) {
            EXPECT_NE(u16ToUtf8(s.countText()).find("支保工: 部材データ data\\h_sections.dat がありません"),
                      std::string::npos)
                << u16ToUtf8(s.countText());
            EXPECT_NE(u16ToUtf8(s.supportsNote()).find("がありません"), std::string::npos);
        }
        s.ok();
        results[missing] = dir.read("jwc_temp.txt");
        EXPECT_TRUE(pf.messages.shown.empty()) << u16ToUtf8(pf.messages.shown.at(0));
    }
    EXPECT_EQ(results[1], results[0]);
    EXPECT_NE(results[0].find("\r\n"), std::string::npos);
}

// The demo's cofferdam: drawn 10 × 6 m, III, levels 1.0 and 4.0, H-300,
// bays of 5.0 m, braces of 1.5 m.
TEST_F(SupportCase, DemoCofferdamFigures) {
    SupportTyped typed;
    typed.levels = u"1.0 4.0";
    Choices c = choices(typed);
    const Plan p = lay(polygon({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}}), c);
    ASSERT_TRUE(p.supports.drawn()) << u16ToUtf8(p.supports.why);
    const QuantityTable t = quantities(p, c);
    const struct {
        const char* name;
        double length;
        int32_t count;
        const char16_t* unit;
        double mass;
    } rows[] = {{"腹起し", 30.6, 2, u"段", 5691.6}, {"切ばり", 5.35, 2, u"本", 995.1}, {"隅火打ち", 1.697, 8, u"本", 1262.6}};
    ASSERT_EQ(t.supports.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(u16ToUtf8(t.supports[i].name), rows[i].name);
        EXPECT_EQ(u16ToUtf8(t.supports[i].grade), "H-300×300×10×15");
        EXPECT_NEAR(t.supports[i].lengthM, rows[i].length, 1e-9) << rows[i].name;
        EXPECT_EQ(t.supports[i].count, rows[i].count) << rows[i].name;
        EXPECT_EQ(std::u16string(t.supports[i].unit), rows[i].unit);
        EXPECT_EQ(tenthRounded(t.supports[i].mass), rows[i].mass) << rows[i].name;
    }
    EXPECT_NEAR(t.supportsMass, 7949.3, 1e-9);
    // The table as copied, the notice, the label; each member one object.
    const std::string copied = u16ToUtf8(quantityTabText(t, c.pileLength));
    EXPECT_NE(copied.find("腹起し\tH-300×300×10×15\t30.600\t2\t段\t93.0\t5691.6\r\n"), std::string::npos) << copied;
    EXPECT_NE(copied.find("支保工計\t\t\t\t\t\t7949.3\r\n"), std::string::npos);
    EXPECT_NE(copied.find("鋼矢板\tSP-III\t10.0\t76\t枚\t60.0\t45600.0\r\n"), std::string::npos) << copied;
    c.groupPieces = true;
    const std::string bytes = result(p, c);
    EXPECT_EQ(bytes.rfind(pf.codec.encode(
                  u"h#SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t 支保工 7.949 t\r\n"), 0), 0u);
    size_t groups = 0;
    for (size_t at = bytes.find("\r\npl\r\n"); at != std::string::npos; at = bytes.find("\r\npl\r\n", at + 1)) ++groups;
    EXPECT_EQ(groups, 80u + 1 + 1 + 4);  // the piles, the wale, the strut, the braces
    EXPECT_NE(bytes.find(pf.codec.encode(u"\"腹起し・切ばり H-300×300×10×15　1段目 －1.00　2段目 －4.00\r\n")),
              std::string::npos);
    c.elevation = true;
    c.headLevel = 0.5;
    std::u16string decoded;
    pf.codec.decode(result(p, c), decoded);
    const std::string levelled = u16ToUtf8(decoded);
    EXPECT_NE(levelled.find("1段目 －0.50　2段目 －3.50"), std::string::npos);
    EXPECT_NE(levelled.find("\"腹起し 1段目\r\n"), std::string::npos);
    EXPECT_NE(levelled.find("\"2段目\r\n"), std::string::npos);

    // Off, or asked for where they cannot stand: the piles' bytes as they
    // were, and the count line says why.
    Choices off = c;
    off.supports.on = false;
    const Plan lShape = lay(polygon({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}}), c);
    EXPECT_FALSE(lShape.supports.drawn());
    EXPECT_EQ(result(lShape, c), result(lay(polygon({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000},
                                                    {0, 8000}}),
                                            off),
                                        off));
    EXPECT_NE(u16ToUtf8(countText(lShape)).find("支保工は長方形と円形の締切に作図します"), std::string::npos);
    SupportTyped bad = typed;
    bad.levels = u"1 x";
    const Plan refused = lay(polygon({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}}), choices(bad));
    EXPECT_FALSE(refused.supports.drawn());
    EXPECT_NE(u16ToUtf8(countText(refused)).find("支保工: 段は"), std::string::npos);

    // Struts by the hundred each way: more members than the plan takes.
    const Plan huge = lay(polygon({{0, 0}, {2000000, 0}, {2000000, 1000000}, {0, 1000000}}), c);
    ASSERT_TRUE(huge.laid());
    EXPECT_FALSE(huge.supports.drawn());
    EXPECT_NE(u16ToUtf8(huge.supports.why).find("25,000 本を超えるため作図しません"), std::string::npos);

    // A full circle: a ring wale on the inner face, nothing across it.
    const Plan ring = lay("ci 0 0 8000\r\n", c);
    ASSERT_TRUE(ring.supports.drawn()) << u16ToUtf8(ring.supports.why);
    ASSERT_EQ(ring.supports.members.size(), 1u);
    const double rc = ring.layout.circles.at(0).joints - outlines.faceReach(true, 0) - 150;
    EXPECT_NEAR(ring.supports.members[0].length, 2 * M_PI * rc, 1e-6);
    for (const WallSegment& s : ring.supports.members[0].lines) {
        const double r = std::hypot(s.x1, s.y1);
        EXPECT_TRUE(std::fabs(r - (rc + 150)) < 1e-6 || std::fabs(r - (rc - 150)) < 1e-6) << r;
    }
}

// Random rectangles, turned, of every section, member and spacing: every
// bay of a wale no longer than the spacing, every member inside the piles'
// inner face, the struts square to their wales and equally spaced, a king
// post at every crossing of struts.
TEST_F(SupportCase, EveryRectangleKeepsTheRules) {
    std::mt19937 rng(20261211);
    std::uniform_real_distribution<double> unit(0, 1);
    int drawn = 0, posts = 0;
    for (int n = 0; n < 60; ++n) {
        const size_t section = n % pileSections().size();
        outlines = loadOutlines(section, pf.fs, NumberFormat{}, pf.codec);
        const double a = 4000 + unit(rng) * 30000, b = 4000 + unit(rng) * 20000, turn = unit(rng) * 2 * M_PI;
        const double ox = unit(rng) * 1e5 - 5e4, oy = unit(rng) * 1e5 - 5e4;
        auto at = [&](double x, double y) {
            return WallPoint{ox + x * std::cos(turn) - y * std::sin(turn), oy + x * std::sin(turn) + y * std::cos(turn)};
        };
        SupportTyped typed;
        typed.member = static_cast<size_t>(n) % members().list.size();
        const double s = 2 + unit(rng) * 6, c = n % 4 == 0 ? 0 : 0.8 + unit(rng) * 1.5;
        typed.spacing = utf8ToU16(std::to_string(s)), typed.brace = utf8ToU16(std::to_string(c));
        Choices ch = choices(typed);
        ch.section = section;
        ch.orientation = n % 3 == 0;
        const Plan p = lay(polygon({at(0, 0), at(a, 0), at(a, b), at(0, b)}), ch);
        ASSERT_TRUE(p.laid()) << u16ToUtf8(p.fault);
        if (!p.supports.drawn()) {
            EXPECT_FALSE(p.supports.why.empty());
            continue;
        }
        ++drawn;
        const double H = ch.supports.member.h, spacing = ch.supports.spacing, brace = ch.supports.brace;
        // The piles' inner face: how far their lines reach into the loop
        // from the joint line of their leg.
        const auto& legs = p.layout.legs;
        ASSERT_EQ(legs.size(), 4u);
        auto inward = [&](const WallLeg& l, double x, double y) {
            const double len = std::hypot(l.x2 - l.x1, l.y2 - l.y1);
            return ((l.x2 - l.x1) * (y - l.y1) - (l.y2 - l.y1) * (x - l.x1)) / len;  // left: in (counter-clockwise)
        };
        std::vector<double> face(4, 0);
        const DrawnPieces lines = drawingOf(p, input, outlines, ch).pieces;
        for (size_t i = 0; i < p.layout.pieces.size(); ++i) {
            const WallPiece& piece = p.layout.pieces[i];
            if (piece.kind == PieceKind::Corner) continue;
            const size_t end = i + 1 < p.layout.pieces.size() ? lines.firstOf[i + 1] : lines.lines.size();
            for (size_t k = lines.firstOf[i]; k < end; ++k)
                for (auto [x, y] : {std::pair{lines.lines[k].x1, lines.lines[k].y1}, {lines.lines[k].x2, lines.lines[k].y2}})
                    face[static_cast<size_t>(piece.leg)] =
                        std::max(face[static_cast<size_t>(piece.leg)], inward(legs[static_cast<size_t>(piece.leg)], x, y));
        }
        // The corners are exported to the micrometre, so the drawn rectangle
        // is square only to about that.
        constexpr double kPlay = 1e-4;
        for (const SupportMember& m : p.supports.members)
            for (const WallSegment& l : m.lines)
                for (size_t k = 0; k < 4; ++k) {
                    EXPECT_GE(inward(legs[k], l.x1, l.y1), face[k] - kPlay) << n;
                    EXPECT_GE(inward(legs[k], l.x2, l.y2), face[k] - kPlay) << n;
                }
        // The wale's centre lines, from its outer box, in leg 0's frame.
        const double ux = (legs[0].x2 - legs[0].x1) / std::hypot(legs[0].x2 - legs[0].x1, legs[0].y2 - legs[0].y1);
        const double uy = (legs[0].y2 - legs[0].y1) / std::hypot(legs[0].x2 - legs[0].x1, legs[0].y2 - legs[0].y1);
        auto along = [&](double x, double y) { return x * ux + y * uy; };
        auto across = [&](double x, double y) { return -x * uy + y * ux; };
        double s0 = INFINITY, s1 = -INFINITY, t0 = INFINITY, t1 = -INFINITY;
        for (const WallSegment& l : p.supports.members.at(0).lines)
            for (auto [x, y] : {std::pair{l.x1, l.y1}, {l.x2, l.y2}}) {
                s0 = std::min(s0, along(x, y)), s1 = std::max(s1, along(x, y));
                t0 = std::min(t0, across(x, y)), t1 = std::max(t1, across(x, y));
            }
        s0 += H / 2, s1 -= H / 2, t0 += H / 2, t1 -= H / 2;
        std::vector<double> xs, ys;  // struts standing along each side, by their centre lines
        for (const SupportMember& m : p.supports.members) {
            if (m.kind != PieceKind::Strut) continue;
            ASSERT_EQ(m.lines.size(), 2u);
            const WallSegment& l = m.lines[0];
            const double da = along(l.x2, l.y2) - along(l.x1, l.y1), dc = across(l.x2, l.y2) - across(l.x1, l.y1);
            const bool spansAcross = std::fabs(da) < 1e-6;
            EXPECT_TRUE(spansAcross || std::fabs(dc) < 1e-6) << "square, " << n;
            const WallSegment& r = m.lines[1];
            const double mid = spansAcross ? (along(l.x1, l.y1) + along(r.x1, r.y1)) / 2
                                           : (across(l.x1, l.y1) + across(r.x1, r.y1)) / 2;
            (spansAcross ? xs : ys).push_back(mid);
        }
        for (auto [v, lo, hi] : {std::tuple{&xs, s0, s1}, {&ys, t0, t1}}) {
            std::sort(v->begin(), v->end());
            std::vector<double> stops{lo + brace};
            stops.insert(stops.end(), v->begin(), v->end());
            stops.push_back(hi - brace);
            for (size_t i = 1; i < stops.size(); ++i) EXPECT_LE(stops[i] - stops[i - 1], spacing + 1e-6) << n;
            for (size_t i = 1; i < v->size(); ++i)
                EXPECT_NEAR((*v)[i] - (*v)[i - 1], (hi - lo) / static_cast<double>(v->size() + 1), 1e-6) << n;
        }
        // King posts, one at each crossing.
        std::vector<std::pair<double, double>> crossings;
        for (const SupportMember& m : p.supports.members) {
            if (m.kind != PieceKind::Post) continue;
            double cs = 0, ct = 0;
            for (const WallSegment& l : m.lines) cs += along(l.x1, l.y1) / 4, ct += across(l.x1, l.y1) / 4;
            crossings.push_back({cs, ct});
        }
        EXPECT_EQ(crossings.size(), xs.size() * ys.size()) << n;
        posts += static_cast<int>(crossings.size());
        for (double x : xs)
            for (double y : ys)
                EXPECT_TRUE(std::any_of(crossings.begin(), crossings.end(), [&](const auto& k) {
                    return std::fabs(k.first - x) < 1e-6 && std::fabs(k.second - y) < 1e-6;
                })) << n;
    }
    EXPECT_GT(drawn, 40);
    EXPECT_GT(posts, 0);
}

}  // namespace
}  // namespace ravo
