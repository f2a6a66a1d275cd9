#include "core/plan.h"
#include "core/annotations.h"
#include "core/quantities.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/gaibu_reader.h"
#include "test_support.h"

namespace ravo {
namespace {

TEST(PileLengthInput, HalfAndFullWidth) {
    const struct {
        const char16_t* typed;
        LengthState state;
        double metres;
    } cases[] = {
        {u"10.5", LengthState::Valid, 10.5},   {u"１０．５", LengthState::Valid, 10.5},
        {u"１0.５", LengthState::Valid, 10.5}, {u" 7 ", LengthState::Valid, 7},
        {u"\u3000１２\u3000", LengthState::Valid, 12}, {u"100", LengthState::Valid, 100},
        {u".5", LengthState::Valid, 0.5},      {u"5.", LengthState::Valid, 5},
        {u"", LengthState::Empty, 0},          {u"   ", LengthState::Empty, 0},
        {u"0", LengthState::Invalid, 0},       {u"0.000", LengthState::Invalid, 0},
        {u"-1", LengthState::Invalid, 0},      {u"100.0001", LengthState::Invalid, 0},
        {u"1e2", LengthState::Invalid, 0},     {u"1,5", LengthState::Invalid, 0},
        {u"1..5", LengthState::Invalid, 0},    {u".", LengthState::Invalid, 0},
        {u"10m", LengthState::Invalid, 0},     {u"１ ２", LengthState::Invalid, 0},
    };
    for (const auto& c : cases) {
        const PileLength l = parsePileLength(c.typed);
        EXPECT_EQ(l.state, c.state) << u16ToUtf8(c.typed);
        EXPECT_EQ(l.metres, c.metres) << u16ToUtf8(c.typed);
    }
    EXPECT_EQ(u16ToUtf8(metresText(10)), "10.0");
    EXPECT_EQ(u16ToUtf8(metresText(10.25)), "10.25");
    EXPECT_EQ(u16ToUtf8(massText(48000)), "48,000.0");
    EXPECT_EQ(u16ToUtf8(massText(1234567.25)), "1,234,567.3");
}

std::vector<WallSegment> loop(std::initializer_list<WallPoint> pts) {
    std::vector<WallPoint> v(pts);
    std::vector<WallSegment> out;
    for (size_t i = 0; i < v.size(); ++i) out.push_back({v[i].x, v[i].y, v[(i + 1) % v.size()].x, v[(i + 1) % v.size()].y});
    return out;
}

// The figures of the wall cases at L = 10.0 m: count and mass by kind, the
// corner plates not weighed, a closing pile by its share of the width.
TEST(Quantities, WallCasesAtTenMetres) {
    const auto rect = test::oneChain(loop({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}})).path;
    const auto lshape =
        test::oneChain(loop({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}})).path;
    const auto open = pathFromPoints(std::vector<WallPoint>{{0, 0}, {8000, 0}, {8000, 4000}}).path;
    const struct {
        const WallPath* path;
        const char16_t* section;
        int32_t count, corners, closings;
        const char* mass;
        const char* cornerMass;
    } cases[] = {
        {&rect, u"III", 80, 4, 0, "48,000.0", "2,400.0"},   {&rect, u"IIw", 54, 4, 0, "33,372.0", "2,472.0"},
        {&rect, u"25H", 36, 4, 0, "40,680.0", "4,520.0"},   {&open, u"III", 30, 1, 0, "18,000.0", "600.0"},
        {&lshape, u"III", 90, 6, 4, "52,800.0", "3,600.0"},
    };
    for (const auto& c : cases) {
        const PileSection& s = pileSections()[findSection(c.section)];
        SCOPED_TRACE(u16ToUtf8(c.section));
        WallPlan plan{static_cast<double>(s.widthMm), 200, s.alternates(), 0, false, false};
        plan.leastClosing = s.leastClosingMm;
        const WallLayout w = layWall(*c.path, plan);
        ASSERT_TRUE(w.ok());
        const QuantityTable t = quantitiesFor(w.pieces, s, 10.0);
        EXPECT_EQ(t.count, c.count);
        EXPECT_EQ(u16ToUtf8(massText(t.mass)), c.mass);
        ASSERT_GE(t.rows.size(), 2u);
        EXPECT_EQ(u16ToUtf8(t.rows[0].name), "鋼矢板");
        EXPECT_EQ(t.rows[0].count, c.count - c.corners - c.closings);
        EXPECT_EQ(u16ToUtf8(t.rows[1].name), "コーナー矢板");
        EXPECT_EQ(t.rows[1].count, c.corners);
        EXPECT_EQ(u16ToUtf8(massText(t.rows[1].mass)), c.cornerMass);
        if (c.closings) {
            EXPECT_EQ(u16ToUtf8(t.rows[2].name), "調整矢板");
            EXPECT_EQ(u16ToUtf8(t.rows[2].grade), "SP-III　W=200");
            EXPECT_EQ(u16ToUtf8(massText(t.rows[2].mass)), "1,200.0");  // four halves of 600 kg
        }
    }
    // A 135° corner is named by its angle; the straight run's corners are right angles.
    const auto bent = pathFromPoints(std::vector<WallPoint>{{0, 0}, {4000, 0}, {8000, 4000}}).path;
    const QuantityTable b = quantitiesFor(layWall(bent, {}).pieces, pileSections()[1], 10.0);
    EXPECT_EQ(u16ToUtf8(b.rows[1].name), "異形コーナー矢板　135°");
    HostInput run;
    run.header.hp[2] = {2000, 0};
    Choices startCorner;
    startCorner.startCorner = true;
    startCorner.pileLength = {LengthState::Valid, 2.5};
    const Plan straightRun = planRun(run, startCorner, Outlines{});
    const QuantityTable straight = quantities(straightRun, startCorner);
    EXPECT_EQ(straight.rows[0].count, 4);
    EXPECT_EQ(straight.rows[1].count, 1);
    EXPECT_EQ(u16ToUtf8(massLine(straight, {LengthState::Valid, 2.5})), "質量 750.0 kg（L=2.5 m、コーナー板を除く）");
}

// The labels and the table as the host reads them back: the ruling as line
// records, the user's text type once, each text whole in code page 932.
TEST(Quantities, RecordsReadBackAsWritten) {
    GaibuHeader h;
    h.hs[2] = 100;  // 1:100
    h.nWriteLG = 2;
    h.nTextType = 3;
    h.hcw[3] = 4, h.hch[3] = 4, h.hcd[3] = 1;
    const TextStyle style = currentTextStyle(h);
    EXPECT_EQ(style.height, 400);
    EXPECT_EQ(textLength(u"SP-III", style), 400 * 3 + 50 * 5);  // six half-width: three whole
    EXPECT_EQ(textLength(u"鋼矢板", style), 400 * 3 + 100 * 2);
    EXPECT_EQ(textLength(u"L=鋼", style), 400 * 2 + 50 * 2);  // the spacing after a half-width is half too

    const auto rect = test::oneChain(loop({{0, 0}, {10000, 0}, {10000, 6000}, {0, 6000}})).path;
    const WallLayout w = layWall(rect, {});
    const PileLength ten{LengthState::Valid, 10};
    Annotations a;
    SheetRoom room(style.height);
    addLegLabels(a, room, w.legs, true, true, 125 + 400, pileSections()[1], ten, style);
    addQuantityTable(a, quantitiesFor(w.pieces, pileSections()[1], 10), ten, 10325, 6325, style);
    ASSERT_EQ(a.texts.size(), 4u + 6 * 3 + 3);  // 4 labels; header, 鋼矢板, コーナー矢板; 計 has 3
    EXPECT_EQ(u16ToUtf8(a.texts[0].text), "SP-III　L=10.0m　25枚");
    // The bottom leg's label below the wall, reading to the right; the top
    // one above it, turned to read to the right as well.
    EXPECT_LT(a.texts[0].y, -125 - 400);
    EXPECT_GT(a.texts[0].dx, 0);
    EXPECT_GE(a.texts[2].y, 6200 + 125 + 400);
    EXPECT_GT(a.texts[2].dx, 0);
    EXPECT_EQ(a.texts[2].dy, 0);
    EXPECT_EQ(u16ToUtf8(a.texts.back().text), "48,000.0");

    test::Platform pf;
    const std::string bytes = formatAnnotations(a, style, NumberFormat{}, pf.codec);
    EXPECT_NE(bytes.find("\r\ncn3\r\nch "), std::string::npos);
    RecordingMessages msgs;
    GinStore store(msgs);
    GaibuHeader back;
    GaibuReader(back, store, NumberFormat{}, pf.codec).readBytes(bytes);
    EXPECT_EQ(back.nTextType, 3);
    ASSERT_EQ(store.lastMojiIndex(0) + 1, static_cast<int>(a.texts.size()));
    for (size_t i = 0; i < a.texts.size(); ++i) {
        const recMoji& m = store.mojiRec(0, static_cast<int>(i));
        EXPECT_EQ(std::u16string(m.text), a.texts[i].text);
        EXPECT_EQ(m.X1, a.texts[i].x);
        EXPECT_EQ(m.Y1, a.texts[i].y);
    }
    EXPECT_EQ(store.lastLineIndex(0) + 1, static_cast<int>(a.lines.size()));
}

// The table multiplies out as printed: a closing row carries its share of
// the unit mass and its width to 0.1 mm, rows of one printed width are one,
// 計 is the sum of the rows. The labels of the legs at the L's inner corner
// stand apart.
TEST(Quantities, TableMultipliesOutAndLabelsStandApart) {
    const PileSection& iii = pileSections()[kDefaultSection];
    std::vector<WallPiece> pieces(10);
    for (double w : {123.44, 123.36, 250.0}) {
        WallPiece p;
        p.kind = PieceKind::Closing;
        p.width = w;
        pieces.push_back(p);
    }
    const QuantityTable t = quantitiesFor(pieces, iii, 7.5);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(u16ToUtf8(t.rows[1].grade), "SP-III　W=123.4");
    EXPECT_EQ(t.rows[1].count, 2);
    EXPECT_EQ(t.rows[1].unitMass, 18.5);  // 60.0 × 123.4 / 400, to 0.1
    EXPECT_EQ(u16ToUtf8(t.rows[2].grade), "SP-III　W=250");
    EXPECT_EQ(t.rows[2].unitMass, 37.5);
    double sum = 0;
    for (const QuantityRow& r : t.rows) {
        EXPECT_DOUBLE_EQ(r.mass, r.unitMass * 7.5 * r.count);
        std::string printed = u16ToUtf8(massText(r.mass));
        std::erase(printed, ',');
        sum += std::stod(printed);
    }
    EXPECT_EQ(massText(t.mass), massText(sum));

    GaibuHeader h;
    h.hs[0] = 100;
    h.nWriteLG = 0;
    h.nTextType = 5;
    h.hcw[5] = h.hch[5] = 5;
    const TextStyle style = currentTextStyle(h);
    const auto l = test::oneChain(loop({{0, 0}, {10000, 0}, {10000, 4000}, {6000, 4000}, {6000, 8000}, {0, 8000}})).path;
    const WallLayout w = layWall(l, {});
    Annotations a;
    SheetRoom room(style.height);
    addLegLabels(a, room, w.legs, true, true, 125 + 500, iii, {LengthState::Valid, 10}, style);
    ASSERT_EQ(a.texts.size(), 6u);
    // Each label's box, and whether two of them share any point.
    auto boxOf = [&](const HostText& t) {
        const double len = std::hypot(t.dx, t.dy), ux = -t.dy / len * style.height, uy = t.dx / len * style.height;
        return std::array<double, 4>{std::min({t.x, t.x + t.dx, t.x + ux, t.x + t.dx + ux}),
                                     std::min({t.y, t.y + t.dy, t.y + uy, t.y + t.dy + uy}),
                                     std::max({t.x, t.x + t.dx, t.x + ux, t.x + t.dx + ux}),
                                     std::max({t.y, t.y + t.dy, t.y + uy, t.y + t.dy + uy})};
    };
    for (size_t i = 0; i < a.texts.size(); ++i)
        for (size_t j = i + 1; j < a.texts.size(); ++j) {
            const auto p = boxOf(a.texts[i]), q = boxOf(a.texts[j]);  // the labels are axis-aligned here
            EXPECT_TRUE(p[2] <= q[0] || q[2] <= p[0] || p[3] <= q[1] || q[3] <= p[1]) << i << " and " << j << " overlap";
        }
}

}  // namespace
}  // namespace ravo
