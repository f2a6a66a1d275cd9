#include "core/dump_listing.h"

#include "test_support.h"

namespace ravo {
namespace {

struct DumpTest : ::testing::Test {
    RecordingMessages msgs;
    GinStore store{msgs};
    GaibuHeader header;
    NumberFormat fmt;
};

TEST_F(DumpTest, HeaderSectionOnlyForGinZero) {
    header.hs[0] = 5;
    header.hs[1] = 100;
    header.hs[16] = 7;
    header.hcw[1] = 2.5;
    header.hcc[10] = -3;
    header.hn = {1, 2, 3, 0.5};
    header.hp[1] = {100, 200};
    header.hp[100] = {9, 9};
    auto lines = dumpGin(store, header, 0, fmt);
    ASSERT_EQ(lines.size(), 165u + 1 + 257);
    EXPECT_EQ(lines[0], u"Common==============================");
    EXPECT_EQ(lines[1], u"レイヤグループ（1～F）毎の縮尺:hs----------------------------");
    EXPECT_EQ(lines[2], u"[1]:100");     // index 1, not 0
    EXPECT_EQ(lines[17], u"[16]:7");
    EXPECT_EQ(lines[18], u"文字 幅 寸法:hcw----------------------------");
    EXPECT_EQ(lines[19], u"[1]:2.5");
    EXPECT_EQ(lines[29], u"文字 高 寸法:hch----------------------------");
    EXPECT_EQ(lines[40], u"文字間隔寸法:hcd----------------------------");
    EXPECT_EQ(lines[51], u"文字間隔寸法:hcc----------------------------");
    EXPECT_EQ(lines[61], u"[10]:-3");
    EXPECT_EQ(lines[62], u"選択範囲:hn----------------------------");
    EXPECT_EQ(lines[63], u" x1 = 1,y1 = 2,x2 = 3,y2 = 0.5");
    EXPECT_EQ(lines[64], u"指示点:hp----------------------------");
    EXPECT_EQ(lines[65], u"[0]: x = 0,y = 0");
    EXPECT_EQ(lines[66], u"[1]: x = 100,y = 200");
    EXPECT_EQ(lines[164], u"[99]: x = 0,y = 0");  // index 100 is not listed
    EXPECT_EQ(lines[165], u"データ==============================");
    EXPECT_EQ(lines[166], u"レイヤグループ名---------");
    EXPECT_EQ(lines[167], u"[][]");

    auto other = dumpGin(store, header, 3, fmt);
    ASSERT_EQ(other.size(), 1u + 257);
    EXPECT_EQ(other[0], u"データ==============================");
}

TEST_F(DumpTest, RecordLines) {
    store.curLT = 1;
    store.curLG = 2;
    store.curLY = 3;
    store.curCL = 4;
    store.addLine(5, 0, 0, 300, 400);
    store.addLineRec(5, kKindVoid, 0, 0, 0, 0, 0, 0, 0, 0, 0);  // skipped: its index stays a gap
    store.addCircle(5, 1.25, -2, 10);
    store.addLineRec(5, kKindContinue, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    store.addLineRec(5, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    store.addMoji(5, 8, 10, 20, 1, 0, 2.5, 3, u"鋼矢板");
    store.addMoji(5, 9, 0, 0, 1, 0, 1, 1, u"x");
    auto lines = dumpGin(store, header, 5, fmt);
    ASSERT_EQ(lines.size(), 1u + 4 + 2 + 257);
    EXPECT_EQ(lines[1], u"  0:" u"LINE    " u"  " u" "
                        u" X1 =     0.0 ,Y1 =     0.0 ,X2 =   300.0 ,Y2 =   400.0 ,L =   500.0 "
                        u" : n =  1 : LT =  1 : LG =  2 : LY =  3 : CL =   4");
    EXPECT_EQ(lines[2], u"  2:" u"CIRCLE  " u"  " u" "
                        u" X1 =     1.3 ,Y1 =    -2.0 ,X2 =     1.3 ,Y2 =    -2.0 ,R =    10.0 "
                        u" : n =  1 : LT =  1 : LG =  2 : LY =  3 : CL =   4");
    EXPECT_EQ(lines[3].substr(0, 13), u"  3:CONTINUE ");
    EXPECT_EQ(lines[4].substr(0, 17), u"  4:" u"-------" u"  " u" " u" X1");
    EXPECT_EQ(lines[5], u"  0:" u"TEXT      " u" " u" X1 =    10.0 ,Y1 =    20.0 ,X2 =     1.0 ,Y2 =     0.0 "
                        u" W =      2.5 ,H =     3.0 : LG =  2 : LY =  3 : CL =   4 [鋼矢板] 右上");
    EXPECT_EQ(lines[6].substr(lines[6].size() - 4), u"[x] ");  // anchor 9 has no name
}

TEST_F(DumpTest, NameSectionShowsNames) {
    header.strLayerGroupName[2] = u"A";
    header.strLayerName[2][5] = u"B";
    auto lines = dumpGin(store, header, 1, fmt);
    const size_t base = 2;  // the data title, the names title
    EXPECT_EQ(lines[base + 2 * 16 + 5], u"[A][B]");
    EXPECT_EQ(lines[base + 2 * 16 + 4], u"[A][]");
    EXPECT_EQ(lines.back(), u"[][]");
}

TEST_F(DumpTest, GinOutsideTheStoreListsNoRecords) {
    for (int g : {-1, 11, 1000000}) {
        auto lines = dumpGin(store, header, g, fmt);
        EXPECT_EQ(lines.size(), 1u + 257) << g;
    }
}

}  // namespace
}  // namespace ravo
