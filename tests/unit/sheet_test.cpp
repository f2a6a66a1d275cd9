// The sheet handed over: pile numbers, the developed elevation, the notice,
// the annotations' layer and a pile as one object, read back through the
// host-format reader.
#include <algorithm>
#include <cmath>
#include <string>

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
    HostInput input = readHost(kRectangle, NumberFormat{}, pf.codec, pf.messages);
    Outlines outlines = loadOutlines(kDefaultSection, pf.fs, NumberFormat{}, pf.codec);

    Choices base() const {
        Choices c;
        c.mode = RunMode::Selection;
        c.pileLength = parsePileLength(u"10.0");
        c.headLevel = parseLevel(u"+0.50");
        return c;
    }
    std::string result(const Choices& c) const {
        return resultBytes(planRun(input, c, outlines), input, outlines, c, NumberFormat{}, pf.codec);
    }
    // The result as the host reads it: lines and texts.
    struct ReadBack {
        GaibuHeader header;
        std::vector<LineData> lines;
        std::vector<std::string> texts;
    };
    ReadBack readBack(const std::string& bytes) {
        ReadBack r;
        GinStore store(pf.messages);
        GaibuReader(r.header, store, NumberFormat{}, pf.codec).readBytes(bytes);
        for (int i = 0; i <= store.lastLineIndex(0); ++i) r.lines.push_back(store.getLine(0, i));
        for (int i = 0; i <= store.lastMojiIndex(0); ++i) r.texts.push_back(u16ToUtf8(store.mojiRec(0, i).text));
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
    for (const LineData& l : r.lines) {
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

// Two walls: each numbered from 1 after its letter, each its elevation; a
// wall of 300 m: its elevation in rows of at most 100 m.
TEST_F(Sheet, SeveralWallsAndLongRows) {
    const std::string header(kRectangle, std::string_view(kRectangle).find("#\r\n") + 3);
    Choices c = base();
    c.numbers = c.elevation = true;
    input = readHost(header + " 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n"
                              " 20000 0 30000 0\r\n 30000 0 30000 6000\r\n 30000 6000 20000 6000\r\n 20000 6000 20000 0\r\n",
                     NumberFormat{}, pf.codec, pf.messages);
    ReadBack r = readBack(result(c));
    EXPECT_EQ(countOf(r.texts, "A-"), 34u);  // 17 beside the piles, 17 under them
    EXPECT_EQ(countOf(r.texts, "B-80"), 2u);
    EXPECT_EQ(countOf(r.texts, "展開図　A"), 1u);
    EXPECT_EQ(countOf(r.texts, "展開図　B"), 1u);

    input = readHost(header + " 0 0 300000 0\r\n", NumberFormat{}, pf.codec, pf.messages);
    c.numbers = false;
    r = readBack(result(c));
    std::vector<double> heads;  // the head and toe lines: horizontal, their left end at the elevation's left
    for (const LineData& l : r.lines)
        if (l.Y1 == l.Y2 && l.X1 == 0 && l.X2 > 50000) heads.push_back(l.X2 - l.X1);
    EXPECT_EQ(heads, (std::vector<double>{100000, 100000, 100000, 100000, 100000, 100000}));
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

}  // namespace
}  // namespace ravo
