// The sheet handed over: pile numbers, the developed elevation, the notice,
// the annotations' layer and a pile as one object, read back through the
// host-format reader.
#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "core/drawing.h"
#include "core/gaibu_reader.h"
#include "core/plan.h"
#include "core/sheet.h"
#include "test_support.h"

namespace ravo {
namespace {

const char* kRectangle =
    "hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
    "hcw 2 2.5 3 3.5 4 5 6 7 8 10\r\nhch 2 2.5 3 3.5 4 5 6 7 8 10\r\nhcd 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5\r\n"
    "lg0\r\nly5\r\ncn3\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";

struct Sheet : ::testing::Test {
    test::Platform pf;
    HostInput input = readHost(kRectangle, NumberFormat{}, pf.codec);
    Outlines outlines = loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec);

    Choices base() const {
        Choices c;
        c.mode = RunMode::Selection;
        c.pileLength = parsePileLength(u"10.0");
        c.headLevel = parseLevel(u"+0.50");
        return c;
    }
    std::string result(const Choices& c) const {
        return resultBytes(drawingOf(planRun(input, c, outlines), input, outlines, c), NumberFormat{}, pf.codec);
    }
    // The result as the host reads it: lines and texts.
    struct ReadBack {
        GaibuHeader header;
        std::vector<recLine> lines;
        std::vector<std::string> texts;
        std::vector<std::array<double, 4>> at;  // each text's start and its baseline's vector
    };
    ReadBack readBack(const std::string& bytes) {
        ReadBack r;
        GinStore store(pf.messages);
        GaibuReader(r.header, store, NumberFormat{}, pf.codec).readBytes(bytes);
        for (int i = 0; i <= store.lastLineIndex(0); ++i) r.lines.push_back(store.lineRec(0, i));
        for (int i = 0; i <= store.lastMojiIndex(0); ++i) {
            const recMoji& m = store.mojiRec(0, i);
            r.texts.push_back(u16ToUtf8(m.text));
            r.at.push_back({m.X1, m.Y1, m.X2, m.Y2});
        }
        return r;
    }
};

size_t countOf(const std::vector<std::string>& v, const std::string& prefix) {
    return std::count_if(v.begin(), v.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
}

size_t occurrences(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

TEST_F(Sheet, RectangleFigures) {
    // The notice first, then the piles.
    Choices c = base();
    const std::string plain = result(c);
    EXPECT_EQ(plain.rfind(pf.codec.encode(u"h#SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t\r\n"), 0), 0u);

    // Numbers every 5th pile, and the first and last.
    c.numbers = true;
    ReadBack r = readBack(result(c));
    std::vector<std::string> numbers = r.texts;
    EXPECT_EQ(numbers.size(), 17u);
    EXPECT_EQ(numbers.front(), "No.1");
    EXPECT_EQ(numbers[1], "No.5");
    EXPECT_EQ(numbers.back(), "No.80");

    // The elevation: head and toe lines 32.8 m long, 10 m apart, a vertical
    // at every joint, the corners marked, the levels at the left.
    c.numbers = false;
    c.elevation = true;
    r = readBack(result(c));
    std::vector<double> rails;
    size_t verticals = 0;
    for (const recLine& l : r.lines) {
        if (l.Y1 == l.Y2 && std::fabs(l.X2 - l.X1 - 32800) < 1e-6) rails.push_back(l.Y1);
        if (l.X1 == l.X2 && std::fabs(std::fabs(l.Y2 - l.Y1) - 10000) < 1e-6) ++verticals;
    }
    ASSERT_EQ(rails.size(), 2u);
    EXPECT_NEAR(rails[0] - rails[1], 10000, 1e-6);
    EXPECT_LT(rails[0], -125);  // below the wall
    EXPECT_EQ(verticals, 81u);
    EXPECT_EQ(countOf(r.texts, "C"), 4u);
    EXPECT_EQ(countOf(r.texts, "天端　+0.50"), 1u);
    EXPECT_EQ(countOf(r.texts, "先端　－9.50"), 1u);
    EXPECT_EQ(countOf(r.texts, "展開図"), 1u);

    // The annotations on layer 3; the export's write layer 5 back last.
    c = base();
    c.labels = true;
    c.annotationLayer = 3;
    const std::string layered = result(c);
    EXPECT_LT(layered.find("\r\nly3\r\n"), layered.find("\r\nch "));
    EXPECT_EQ(layered.substr(layered.size() - 5), "ly5\r\n");
    c.annotationLayer = 5;  // the write layer itself: nothing to switch
    EXPECT_EQ(occurrences(result(c), "\r\nly"), 0u);

    // Each piece one curve object, its line records as they were.
    c = base();
    c.groupPieces = true;
    const std::string grouped = result(c);
    EXPECT_EQ(occurrences(grouped, "\r\npl\r\n"), 80u);
    EXPECT_EQ(occurrences(grouped, "\r\n#\r\n"), 80u);
    std::string unwrapped = grouped;
    for (const char* mark : {"pl\r\n", "#\r\n"})
        for (size_t at; (at = unwrapped.find(std::string("\r\n") + mark)) != std::string::npos;)
            unwrapped.erase(at + 2, std::string(mark).size());
    EXPECT_EQ(unwrapped, plain);
    EXPECT_EQ(readBack(grouped).lines.size(), readBack(plain).lines.size());
}

// Two walls: each numbered from 1 after its letter, each its elevation.
TEST_F(Sheet, SeveralWalls) {
    const std::string header(kRectangle, std::string_view(kRectangle).find("#\r\n") + 3);
    Choices c = base();
    c.numbers = c.elevation = true;
    input = readHost(header + " 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n"
                              " 20000 0 30000 0\r\n 30000 0 30000 6000\r\n 30000 6000 20000 6000\r\n 20000 6000 20000 0\r\n",
                     NumberFormat{}, pf.codec);
    ReadBack r = readBack(result(c));
    EXPECT_EQ(countOf(r.texts, "A-"), 34u);  // 17 beside the piles, 17 under them
    EXPECT_EQ(countOf(r.texts, "B-80"), 2u);
    EXPECT_EQ(countOf(r.texts, "展開図　A"), 1u);
    EXPECT_EQ(countOf(r.texts, "展開図　B"), 1u);
}

// A wall longer than a row: rows of one length but for a pile, none over
// kLongestElevationRow, and each leg's count once, the count of its label,
// however the rows cut it.
TEST_F(Sheet, LongWallsInEqualRowsWithEachLegCountedOnce) {
    const std::string header(kRectangle, std::string_view(kRectangle).find("#\r\n") + 3);
    const struct {
        const char* lines;
        size_t rows;
    } cases[] = {
        {" 0 0 300000 0\r\n", 2},
        {" 0 0 100000 0\r\n 100000 0 100000 150000\r\n 100000 150000 200000 150000\r\n", 2},
        {" 0 0 120000 0\r\n 120000 0 120000 90000\r\n 120000 90000 0 90000\r\n 0 90000 0 0\r\n", 3},
        {" 0 0 250000 0\r\n 250000 0 250000 50000\r\n 250000 50000 200000 50000\r\n", 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.lines);
        input = readHost(header + k.lines, NumberFormat{}, pf.codec);
        Choices c = base();
        c.elevation = true;
        c.startCorner = c.endCorner = true;
        const Plan plan = planRun(input, c, outlines);
        ReadBack r = readBack(result(c));
        std::vector<double> rails;  // the head and the toe line of each row
        for (const recLine& l : r.lines)
            if (l.Y1 == l.Y2 && l.X2 - l.X1 > 10000) rails.push_back(l.X2 - l.X1);
        ASSERT_EQ(rails.size(), 2 * k.rows);
        const auto [shortest, longest] = std::minmax_element(rails.begin(), rails.end());
        EXPECT_LE(*longest, kLongestElevationRow);
        EXPECT_LE(*longest - *shortest, pileSections()[kDefaultSection].widthMm + outlines.reach);
        std::vector<std::string> counts, labels;
        for (const std::string& t : r.texts)
            if (t.size() > 3 && t.substr(t.size() - 3) == "枚") counts.push_back(t);
        for (const WallLeg& leg : plan.layout.legs) labels.push_back(std::to_string(leg.pieces) + "枚");
        std::sort(counts.begin(), counts.end());
        std::sort(labels.begin(), labels.end());
        EXPECT_EQ(counts, labels);
        EXPECT_EQ(countOf(r.texts, "C"), static_cast<size_t>(plan.layout.corners));
    }
}

// Walls of many shapes and text sizes, numbered at every step with labels
// and the elevation: no two texts of the sheet overlap, none reads upside
// down, every corner piece the count line counts is marked C, and what is
// not written is what the sheet says it left out.
TEST_F(Sheet, AnnotationsStandApartOnAnyWall) {
    const std::string header(kRectangle, std::string_view(kRectangle).find("cn3"));
    std::mt19937 random(20240611);
    auto mm = [&](int lo, int hi) { return std::to_string(std::uniform_int_distribution<int>(lo, hi)(random) * 100); };
    std::vector<std::pair<std::string, bool>> walls;  // lines, and whether the wall is open
    for (int k = 0; k < 3; ++k) {
        const std::string w = mm(30, 300), h = mm(30, 200);
        walls.push_back({" 0 0 " + w + " 0\r\n " + w + " 0 " + w + " " + h + "\r\n " + w + " " + h + " 0 " + h +
                             "\r\n 0 " + h + " 0 0\r\n",
                         false});
    }
    for (int k = 0; k < 2; ++k) {
        const std::string r = mm(30, 150);
        walls.push_back({" -" + r + " 0 " + r + " 0\r\nci 0 0 " + r + " 0 180 1 0\r\n", false});
    }
    walls.push_back({"ci 0 0 " + mm(40, 120) + "\r\n", false});
    for (int k = 0; k < 2; ++k) {
        const std::string a = mm(30, 200), b = mm(20, 100);
        walls.push_back({" 0 0 " + a + " 0\r\n " + a + " 0 " + a + " " + b + "\r\n", true});
        walls.push_back({" 0 0 " + a + " 0\r\n " + a + " 0 " + std::to_string(std::stoi(a) + std::stoi(b)) + " " + b +
                             "\r\n",
                         true});
    }
    // A cofferdam with a notch 1.2 m wide and 3 m deep in its bottom side.
    walls.push_back({" 0 0 9400 0\r\n 9400 0 9400 3000\r\n 9400 3000 10600 3000\r\n 10600 3000 10600 0\r\n"
                     " 10600 0 20000 0\r\n 20000 0 20000 10000\r\n 20000 10000 0 10000\r\n 0 10000 0 0\r\n",
                     false});
    for (const auto& [lines, open] : walls)
        for (const int32_t step : kNumberSteps) {
            const std::string type = std::to_string(std::uniform_int_distribution<int>(2, 5)(random));
            SCOPED_TRACE(lines + " step " + std::to_string(step) + " cn" + type);
            input = readHost(header + "cn" + type + "\r\n#\r\n" + lines, NumberFormat{}, pf.codec);
            Choices c = base();
            c.labels = c.numbers = c.elevation = true;
            c.numberStep = step;
            c.startCorner = c.endCorner = open && random() % 2;
            const Plan plan = planRun(input, c, outlines);
            ASSERT_TRUE(plan.laid());
            const ReadBack r = readBack(result(c));
            const double h = currentTextStyle(input.header).height;
            // Each text's rectangle as corners, its up a quarter turn left of its baseline.
            std::vector<std::array<std::pair<double, double>, 4>> boxes;
            size_t numbers = 0, labels = 0, marks = 0;
            for (size_t i = 0; i < r.texts.size(); ++i) {
                const auto [x, y, dx, dy] = r.at[i];
                const double len = std::hypot(dx, dy), ux = -dy / len * h, uy = dx / len * h;
                EXPECT_TRUE(dx > 1e-9 * len || (std::fabs(dx) <= 1e-9 * len && dy > 0)) << r.texts[i] << " upside down";
                boxes.push_back({std::pair{x, y}, {x + dx, y + dy}, {x + ux, y + uy}, {x + dx + ux, y + dy + uy}});
                numbers += r.texts[i].rfind("No.", 0) == 0;
                labels += r.texts[i].rfind("SP-", 0) == 0;
                marks += r.texts[i] == "C" || r.texts[i] == "調";
            }
            // Apart when some edge's normal separates them (both are rectangles).
            auto apart = [](const auto& a, const auto& b) {
                for (const auto* box : {&a, &b})
                    for (int e = 0; e < 2; ++e) {
                        const double ax = (*box)[e + 1].first - (*box)[0].first, ay = (*box)[e + 1].second - (*box)[0].second;
                        double loA = INFINITY, hiA = -INFINITY, loB = INFINITY, hiB = -INFINITY;
                        for (auto [px, py] : a) loA = std::min(loA, px * ax + py * ay), hiA = std::max(hiA, px * ax + py * ay);
                        for (auto [px, py] : b) loB = std::min(loB, px * ax + py * ay), hiB = std::max(hiB, px * ax + py * ay);
                        const double slack = 1e-9 * (std::fabs(hiA) + std::fabs(hiB) + 1);
                        if (hiA <= loB + slack || hiB <= loA + slack) return true;
                    }
                return false;
            };
            for (size_t i = 0; i < boxes.size(); ++i)
                for (size_t j = i + 1; j < boxes.size(); ++j)
                    EXPECT_TRUE(apart(boxes[i], boxes[j])) << r.texts[i] << " meets " << r.texts[j];
            EXPECT_EQ(countOf(r.texts, "C"), static_cast<size_t>(plan.layout.corners));
            size_t special = 0;
            for (const WallPiece& p : plan.layout.pieces) special += p.kind != PieceKind::Pile || p.outline != PieceOutline::Normal;
            const size_t wanted = 2 * pileNumbers(plan, step).size() + plan.layout.legs.size() + special;
            EXPECT_EQ(numbers + labels + marks + static_cast<size_t>(drawingOf(plan, input, outlines, c).leftOut), wanted);
        }
}

TEST(SheetText, HeadLevels) {
    EXPECT_EQ(parseLevel(u"+0.50"), 0.5);
    EXPECT_EQ(parseLevel(u"－１．２"), -1.2);
    EXPECT_EQ(parseLevel(u" 3 "), 3.0);
    EXPECT_FALSE(parseLevel(u"1.2.3"));
    EXPECT_FALSE(parseLevel(u"+"));
    EXPECT_FALSE(parseLevel(u"1+2"));
    EXPECT_EQ(u16ToUtf8(levelText(-9.5)), "－9.50");
    EXPECT_EQ(u16ToUtf8(levelText(0)), "+0.00");
}

// Headers whose sizes and scale overflow: no record carries a number that
// is not finite; the texts are left out (the lines stay), whatever is ticked.
TEST_F(Sheet, OverflowingHeadersWriteNoInfiniteNumber) {
    const char* headers[] = {
        "hq\r\nhs 1e300 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\nhch 1e10 2 3 4 5 6 7 8 9 10\r\nhcw 1e10 2 3 4 5 6 7 8 9 10\r\ncn1\r\n#\r\n",
        "hq\r\nhch 1e308 1e308 1e308 1e308 1e308 1e308 1e308 1e308 1e308 1e308\r\ncn3\r\n#\r\n",
        "hq\r\nhs 1e300 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\ncn0 1e300 1e300 1 1\r\n#\r\n",
    };
    Choices c = base();
    c.labels = c.table = c.numbers = c.elevation = true;
    for (const char* h : headers) {
        input = readHost(std::string(h) + " 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n",
                         NumberFormat{}, pf.codec);
        std::string r = result(c);
        for (char& ch : r) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(r.find("inf"), std::string::npos) << h;
        EXPECT_EQ(r.find("nan"), std::string::npos) << h;
        EXPECT_EQ(occurrences(r, "\nch "), 0u) << h;
        EXPECT_GT(occurrences(r, "\r\n"), 80u * 20u) << h;
    }
}

}  // namespace
}  // namespace ravo
