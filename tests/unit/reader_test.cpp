#include "core/gaibu_reader.h"

#include <cstring>
#include <random>

#include "core/host_input.h"
#include "core/line_cutter.h"
#include "test_support.h"

namespace ravo {
namespace {

struct ReaderTest : ::testing::Test {
    test::Platform pf;
    GinStore store{pf.messages};
    GaibuHeader header;
    NumberFormat fmt;
    test::TempDir dir;

    void read(const std::string& bytes) { GaibuReader(header, store, fmt, pf.codec).readBytes(bytes); }
};

TEST(LineCutter, LineRules) {
    auto cut = [](const std::string& data) {
        std::vector<std::string> lines;
        forEachLine(data, [&](std::string_view l) { lines.emplace_back(l); });
        return lines;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(cut(""), V{});
    EXPECT_EQ(cut("a\nb\r\nc"), (V{"a", "b", "c"}));
    EXPECT_EQ(cut("a\n"), V{"a"});              // no extra empty line at the end
    EXPECT_EQ(cut("a\n\nb\n"), (V{"a", "", "b"}));
    EXPECT_EQ(cut("a\rb\n"), V{"ab"});          // a lone CR is dropped
    EXPECT_EQ(cut("a\r\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(cut("a\nb\x1A" "c\nd"), (V{"a", "b"}));  // 0x1A ends the file
    EXPECT_EQ(cut("a\n\x1A\n"), V{"a"});
    EXPECT_EQ(cut("abcdefghij\rk\n"), V{"abcdefghijk"});  // past the first eight bytes too
    EXPECT_EQ(cut("abcdefghijkl\x1Amn\n"), V{"abcdefghijkl"});
    std::string longLine(300, 'x');
    auto lines = cut(longLine + "\nnext\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(255, 'x'));  // the other 45 bytes are skipped
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(cut(std::string(255, 'y') + "\r\n")[0].size(), 255u);
    // A file handed over in pieces gives the same lines wherever the pieces
    // end: two pieces cut at every place, and one byte a piece.
    const std::string file = "a\r\nbc\rd\n\n" + longLine + "\r\nef\x1Agh\nij";
    const V whole = cut(file);
    for (size_t step : {size_t{0}, size_t{1}}) {
        for (size_t at = 0; at <= file.size(); ++at) {
            V lines;
            PieceLines pieces([&](std::string_view l) { lines.emplace_back(l); });
            if (step == 0) {
                pieces.piece(std::string_view(file).substr(0, at));
                pieces.piece(std::string_view(file).substr(at));
            } else {
                for (char c : file) pieces.piece(std::string_view(&c, 1));
            }
            pieces.end();
            ASSERT_EQ(lines, whole) << "cut at " << at << ", step " << step;
            if (step == 1) break;
        }
    }
    V unended;
    PieceLines last([&](std::string_view l) { unended.emplace_back(l); });
    last.piece("x\ny");
    last.piece("z");
    last.end();
    EXPECT_EQ(unended, (V{"x", "yz"}));
}

TEST_F(ReaderTest, IndicatedPointsAndHeaderValues) {
    read("hq\r\nhp1 100 200\r\nhp2 900 200\r\nhp3-1 5 6\r\nhp12- 7 8\r\n"
         "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\nhcw 1 2 3 4 5 6 7 8 9 10\r\n"
         "hcc   1  2  3  4  5  6  7  8  9  10\r\nhn -1 -2 3 4\r\nhk 12.5\r\n");
    EXPECT_EQ(header.hp[1].x, 100);
    EXPECT_EQ(header.hp[1].y, 200);
    EXPECT_EQ(header.hp[2].x, 900);
    EXPECT_EQ(header.hp[3].x, 5);
    EXPECT_EQ(header.hp[12].y, 8);
    EXPECT_EQ(header.hs[0], 1);
    EXPECT_EQ(header.hs[15], 16);
    EXPECT_EQ(header.hs[16], 0);
    EXPECT_EQ(header.hcw[0], 0);
    EXPECT_EQ(header.hcw[1], 1);
    EXPECT_EQ(header.hcw[10], 10);
    EXPECT_EQ(header.hcc[10], 10);
    EXPECT_EQ(header.hn.x1, -1);
    EXPECT_EQ(header.hn.y2, 4);
    EXPECT_EQ(store.lastLineIndex(0), -1);
}

TEST_F(ReaderTest, AttributesNamesAndEntities) {
    read("lg2\r\nly5\r\nlc12\r\nlt103\r\nlgnWALL\r\nlynPILE\r\n"
         "0 0 1000 0\r\n  5 5 6 6 ignored\r\nci 1 2 3\r\nci 1 2 3 4 5 6 7\r\n"
         "cn0 2.5 3 0 1\r\ncc4\r\nch 1 2 1 0 \"ab cd\"\r\ncv 1 2 0 1 \"ab cd\"\r\nch 0 0 1 0\r\n");
    EXPECT_EQ(store.curLG, 2);
    EXPECT_EQ(store.curLY, 5);
    EXPECT_EQ(store.curCL, 12);
    EXPECT_EQ(store.curLT, 103);
    EXPECT_EQ(header.strLayerGroupName[2], u"WALL");
    EXPECT_EQ(header.strLayerName[2][5], u"PILE");
    ASSERT_EQ(store.lastLineIndex(0), 2);
    const recLine& l0 = store.lineRec(0, 0);
    EXPECT_EQ(l0.kind, kKindLine);
    EXPECT_EQ(l0.X2, 1000);
    EXPECT_EQ(l0.LG, 2);
    EXPECT_EQ(l0.CL, 12);
    EXPECT_EQ(l0.LT, 103);
    EXPECT_EQ(store.lineRec(0, 1).Y2, 6);
    EXPECT_EQ(store.lineRec(0, 2).kind, kKindCircle);
    EXPECT_EQ(store.lineRec(0, 2).R, 3);
    ASSERT_EQ(store.lastMojiIndex(0), 2);
    const recMoji& m0 = store.mojiRec(0, 0);
    EXPECT_EQ(std::u16string(m0.text), u"ab");
    EXPECT_EQ(m0.W, 2.5);
    EXPECT_EQ(m0.H, 3);
    EXPECT_EQ(m0.nBase, 4);
    EXPECT_EQ(m0.LY, 5);
    EXPECT_EQ(std::u16string(store.mojiRec(0, 1).text), u"ab cd");
    EXPECT_EQ(store.mojiRec(0, 1).Y2, 1);
    EXPECT_EQ(std::u16string(store.mojiRec(0, 2).text), u"");
}

TEST_F(ReaderTest, HexLayerDigitsAndEmptyName) {
    read("lgA\r\nlyf\r\nlgn WALL\r\n");
    EXPECT_EQ(store.curLG, 10);
    EXPECT_EQ(store.curLY, 15);
    EXPECT_EQ(header.strLayerGroupName[10], u"");
}

TEST_F(ReaderTest, JapaneseInCodePage932ArrivesIntact) {
    // 壁 (95C7), 鋼矢板 (8D7C 96EE 94C2), ｶﾅ half-width (B6 C5)
    read("lg1\r\nlgn\x95\xC7\r\nly3\r\nlyn\x8D\x7C\x96\xEE\x94\xC2\r\ncv 0 0 1 0 \"\x8D\x7C \xB6\xC5\"\r\n");
    EXPECT_EQ(header.strLayerGroupName[1], u"壁");
    EXPECT_EQ(header.strLayerName[1][3], u"鋼矢板");
    EXPECT_EQ(std::u16string(store.mojiRec(0, 0).text), u"鋼 ｶﾅ");
}

TEST_F(ReaderTest, LaterLinesOverwriteEarlierOnes) {
    read("hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\nhs 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2\r\nhp1 1 1\r\nhp1 3 4\r\n");
    EXPECT_EQ(header.hs[7], 2);
    EXPECT_EQ(header.hp[1].x, 3);
}

TEST_F(ReaderTest, ConversionFailuresStopWithWhatWasStoredBefore) {
    EXPECT_RAISES(read("hp1 1 2\r\nhs 9 8 7\r\nhp2 5 6\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    EXPECT_EQ(header.hp[1].x, 1);
    EXPECT_EQ(header.hs[0], 9);
    EXPECT_EQ(header.hs[2], 7);
    EXPECT_EQ(header.hp[2].x, 0);  // after the failing line: not read
}

TEST_F(ReaderTest, EachConversionMessage) {
    EXPECT_RAISES(read("hp 1 2\r\n"), ConvertError, "'' は整数ではありません");
    EXPECT_RAISES(read("lgG\r\n"), ConvertError, "'$G' は整数ではありません");
    EXPECT_RAISES(read("lg 3\r\n"), ConvertError, "'$' は整数ではありません");
    EXPECT_RAISES(read("cn0 1 2 3 1.5\r\n"), ConvertError, "'1.5' は整数ではありません");
    EXPECT_EQ(header.dMojiW, 1);  // stored before the failing fourth value
    EXPECT_RAISES(read("1 2 3\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    EXPECT_RAISES(read("1 2 x 4\r\n"), ConvertError, "'x' は浮動小数点数ではありません");
    EXPECT_RAISES(read("ch 1 2\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    EXPECT_RAISES(read("ccA\r\n"), ConvertError, "'A' は整数ではありません");
    EXPECT_RAISES(read("hcc 1 2 3 4 5 6 7 8 9 1.0\r\n"), ConvertError, "'1.0' は整数ではありません");
    EXPECT_RAISES(read("hk\r\n"), ConvertError, "'' は浮動小数点数ではありません");
    // Entity lines convert everything before they add: nothing was added.
    EXPECT_EQ(store.lastLineIndex(0), -1);
    EXPECT_EQ(store.lastMojiIndex(0), -1);
}

TEST_F(ReaderTest, PointNumbersOutsideTheTableAreIgnored) {
    read("hp101 5 5\r\nhp99999999 1 1\r\nhp100 7 8\r\nhp0 1 2\r\n");
    EXPECT_EQ(header.hp[100].x, 7);
    EXPECT_EQ(header.hp[0].y, 2);
}

TEST_F(ReaderTest, CommaSeparatorRegion) {
    fmt.decimalSeparator = u',';
    read("hp1 1,5 2\r\n");
    EXPECT_EQ(header.hp[1].x, 1.5);
    EXPECT_RAISES(read("hp2 1.5 2\r\n"), ConvertError, "'1.5' は浮動小数点数ではありません");
}

// Number lines take a short way; they must read as the classifier sees them.
TEST_F(ReaderTest, NumberLinesAsTheClassifierSeesThem) {
    // A NUL ends the tokens: the line has two numbers, not four.
    EXPECT_RAISES(read(std::string("1 2\0 3 4\r\n", 10)), ConvertError, "'' は浮動小数点数ではありません");
    read("\t+5 .5 5. -5e-1 extra\r\n");
    ASSERT_EQ(store.lastLineIndex(0), 0);
    EXPECT_EQ(store.lineRec(0, 0).X1, 5);
    EXPECT_EQ(store.lineRec(0, 0).Y2, -0.5);
    // With "," as the separator a decimal first token is no number to the
    // classifier (its test knows only "."): the line is ignored.
    // Decimals of every length and place of the point, read the short way
    // and the general way: the same bits.
    std::mt19937 rng(11);
    std::string lines;
    for (int i = 0; i < 20000; ++i) {
        for (int k = 0; k < 4; ++k) {
            const int digits = 1 + static_cast<int>(rng() % 18), point = static_cast<int>(rng() % (digits + 1));
            std::string tok = rng() % 2 ? "-" : "";
            for (int d = 0; d < digits; ++d) tok += (d == point && d > 0 ? "." : "") + std::to_string(rng() % 10);
            lines += tok + (k < 3 ? " " : "\r\n");
        }
    }
    std::vector<double> ways[2];
    for (bool shortWay : {true, false}) {
        GinStore st(pf.messages);
        GaibuHeader h;
        GaibuReader r(h, st, fmt, pf.codec);
        r.setShortWay(shortWay);
        r.readBytes(lines);
        for (int i = 0; i <= st.lastLineIndex(0); ++i) {
            const recLine l = st.lineRec(0, i);
            ways[shortWay].insert(ways[shortWay].end(), {l.X1, l.Y1, l.X2, l.Y2});
        }
    }
    ASSERT_EQ(ways[0].size(), 4 * 20000u);
    ASSERT_EQ(ways[1].size(), ways[0].size());
    EXPECT_EQ(std::memcmp(ways[0].data(), ways[1].data(), ways[0].size() * sizeof(double)), 0);
    fmt.decimalSeparator = u',';
    read("1,5 2 3 4\r\n7 8 9 1,5\r\n");
    ASSERT_EQ(store.lastLineIndex(0), 1);
    EXPECT_EQ(store.lineRec(0, 1).Y2, 1.5);
}

// The host file read as the tool reads it, in pieces: a file that cannot be
// opened leaves what was read before untouched; one that can is read whole.
TEST_F(ReaderTest, HostFileReadOrItsIoError) {
    HostInput in;
    in.header.hn.x1 = 9;
    try {
        readHostFile(in, pf.fs, dir.upath("missing.txt"), fmt, pf.codec);
        ADD_FAILURE() << "expected an I/O error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(u16ToUtf8(e.message()), "指定されたファイルが見つかりません");
    }
    EXPECT_EQ(in.header.hn.x1, 9);
    std::string lines = "hq\r\nhp1 1 2\r\n";
    for (int i = 0; i < 30000; ++i) lines += " " + std::to_string(i) + " 0 1 1\r\n";  // past a piece
    dir.write("temp.txt", lines);
    readHostFile(in, pf.fs, dir.upath("temp.txt"), fmt, pf.codec);
    EXPECT_EQ(in.header.hn.x1, 0);  // each read starts afresh
    EXPECT_EQ(in.header.hp[1].y, 2);
    ASSERT_EQ(in.records.size(), 30000u);
    EXPECT_EQ(in.records.back().X1, 29999);
}

TEST_F(ReaderTest, OddBytesNeverCrash) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    try {
        read(junk);
    } catch (const RaisedError&) {
        // a conversion error is a fine outcome; a crash is not
    }
    read("\x81\r\n\x82\xA0\xFF\r\nhp1 1 1\r\n");  // invalid and cut double-byte characters
    EXPECT_EQ(header.hp[1].x, 1);
}

// What a selection carries beside the user's lines: a dimension figure
// (its line and its value) and a block's records are passed over, a curve's
// lines are read, nested groups close in order; the text type and the layer
// group the user has are those at the header's "#", or at the end of an
// export without one. The short way for number lines agrees.
TEST_F(ReaderTest, FiguresBlocksAndTheUsersTextType) {
    const std::string temp =
        "hq\r\nlg2\r\ncn3\r\n#\r\n 1 1 2 2\r\nmsg\r\n 0 -1 9 -1\r\ncs 4 -1 1 0 \"9\r\n"
        "BL 0 0 \"b\r\n 5 5 6 6\r\nci 0 0 3\r\npl\r\n 7 7 8 8\r\n#\r\n 9 9 9 8\r\n#\r\n"
        "cn7\r\ncn0 9 9 1 2\r\nlg5\r\npl\r\n 3 3 4 4\r\n#\r\n 4 4 5 5\r\n";
    for (bool shortWay : {true, false}) {
        SCOPED_TRACE(shortWay);
        RecordingMessages msgs;
        GinStore st(msgs);
        GaibuHeader h;
        GaibuReader r(h, st, fmt, pf.codec);
        r.setShortWay(shortWay);
        r.readBytes(temp);
        ASSERT_EQ(st.lastLineIndex(0), 2);  // 1 1 2 2, the curve's 3 3 4 4, 4 4 5 5
        EXPECT_EQ(st.lineRec(0, 0).X1, 1);
        EXPECT_EQ(st.lineRec(0, 1).X1, 3);
        EXPECT_EQ(st.lineRec(0, 2).X1, 4);
        EXPECT_EQ(h.nTextType, 3);
        EXPECT_EQ(h.nWriteLG, 2);
    }
    read("hq\r\nlg4\r\ncn0 2 3 0.5 1\r\n 0 0 1 1\r\n");  // no "#"
    EXPECT_EQ(header.nWriteLG, 4);
    EXPECT_EQ(header.nTextType, 0);
    EXPECT_EQ(header.dMojiH, 3);
}

// The store's limit stops the read at the first record past it, with one
// error; the selection's texts, read for a run, cost no store at all: a
// rectangle among 300,000 texts is the rectangle.
TEST_F(ReaderTest, LimitsStopTheReadOnceAndTextsCostNothing) {
    std::string many = "hq\r\n#\r\n";
    for (int i = 0; i < 1000; ++i) many += " " + std::to_string(i) + " 0 1 1\r\n";
    RecordingMessages msgs;
    GinStore small(msgs, 320 * sizeof(recLine));
    GaibuHeader h;
    EXPECT_THROW(GaibuReader(h, small, fmt, pf.codec).readBytes(many), LimitError);
    EXPECT_GT(small.lastLineIndex(0), 200);
    EXPECT_LT(small.lastLineIndex(0), 320);
    EXPECT_EQ(msgs.shown.size(), 1u);  // the store's one word; the read went no further

    std::string texts = "hq\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    for (int i = 0; i < 300000; ++i) texts += "ch 0 0 1 0 \"note\r\n";
    const HostInput in = readHost(texts, fmt, pf.codec);
    EXPECT_EQ(in.records.size(), 4u);
}

}  // namespace
}  // namespace ravo
