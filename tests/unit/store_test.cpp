#include "core/gin_store.h"

#include <chrono>

#include "test_support.h"

namespace ravo {
namespace {



TEST(GinStore, UntouchedAndClearedGinsAreEmpty) {
    RecordingMessages msgs;
    GinStore store(msgs);
    EXPECT_EQ(store.lastLineIndex(3), -1);
    EXPECT_EQ(store.lastMojiIndex(3), -1);
    EXPECT_EQ(store.lineCapacity(3), 0);
    store.clearGin(3);
    EXPECT_EQ(store.lastLineIndex(3), -1);
    EXPECT_EQ(store.lastMojiIndex(3), -1);
    EXPECT_EQ(store.lineCapacity(3), 100);
    const recLine& slot0 = store.lineRec(3, 0);
    EXPECT_EQ(slot0.kind, kKindEmpty);
    EXPECT_EQ(slot0.p + slot0.selected + slot0.skip, 0);
}

TEST(GinStore, AppendsStampCurrentAttributes) {
    RecordingMessages msgs;
    GinStore store(msgs);
    store.clearGin(0);
    store.curLG = 2;
    store.curLY = 5;
    store.curCL = 7;
    store.curLT = 103;
    EXPECT_EQ(store.addLine(0, 1, 2, 3, 4), 0);
    const recLine& r = store.lineRec(0, 0);
    EXPECT_EQ(r.kind, kKindLine);
    EXPECT_EQ(r.n, 1);
    EXPECT_EQ(r.LG, 2);
    EXPECT_EQ(r.LY, 5);
    EXPECT_EQ(r.CL, 7);
    EXPECT_EQ(r.LT, 103);
    EXPECT_EQ(r.R, 0.0);
    EXPECT_EQ(r.p + r.selected + r.skip, 0);

    EXPECT_EQ(store.addCircle(0, 10, 20, 5), 1);
    recLine c = store.lineRec(0, 1);
    EXPECT_EQ(c.kind, kKindCircle);
    EXPECT_EQ(c.X1, 10);
    EXPECT_EQ(c.X2, 10);
    EXPECT_EQ(c.Y1, 20);
    EXPECT_EQ(c.Y2, 20);
    EXPECT_EQ(c.R, 5);

    EXPECT_EQ(store.addMoji(0, 4, 1, 2, 1, 0, 3, 4, u"abc"), 0);
    const recMoji& m = store.mojiRec(0, 0);
    EXPECT_EQ(m.LG, 2);
    EXPECT_EQ(m.LY, 5);
    EXPECT_EQ(m.CL, 7);
    EXPECT_EQ(m.nBase, 4);
    EXPECT_EQ(std::u16string(m.text), u"abc");
    EXPECT_TRUE(msgs.shown.empty());
}

TEST(GinStore, CapacityStepsAndIndicesSurviveGrowth) {
    RecordingMessages msgs;
    GinStore store(msgs);
    store.clearGin(1);
    for (int i = 0; i < 98; ++i) store.addLine(1, i, 0, 0, 0);
    store.addLine(1, 98, 0, 0, 0);
    EXPECT_EQ(store.lineCapacity(1), 100);
    store.addLine(1, 99, 0, 0, 0);  // finds 99 records: 100 <= 99 + 1
    EXPECT_EQ(store.lineCapacity(1), 200);
    for (int i = 100; i < 1000; ++i) store.addLine(1, i, 0, 0, 0);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(store.lineRec(1, i).X1, i);

    // A text list that was never cleared grows by one record every append.
    for (int i = 0; i < 5; ++i) store.addMoji(2, 0, 0, 0, 1, 0, 1, 1, u"t");
    EXPECT_EQ(store.mojiCapacity(2), 5);
    store.clearGin(2);
    EXPECT_EQ(store.lastMojiIndex(2), -1);
    EXPECT_EQ(store.mojiCapacity(2), 5);  // the text storage is kept
}

TEST(GinStore, AnchorAboveNineIsReportedButStored) {
    RecordingMessages msgs;
    GinStore store(msgs);
    EXPECT_EQ(store.addMoji(0, 9, 0, 0, 1, 0, 1, 1, u"a"), 0);
    EXPECT_TRUE(msgs.shown.empty());
    EXPECT_EQ(store.addMoji(0, 10, 0, 0, 1, 0, 1, 1, u"b"), 1);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0], u"addMoji_NB:nBaseが不正です");
    EXPECT_EQ(store.mojiRec(0, 1).nBase, 10);
    store.addMoji(0, -3, 0, 0, 1, 0, 1, 1, u"c");
    EXPECT_EQ(msgs.shown.size(), 1u);
}

TEST(GinStore, TextOf503CharactersIsKeptWholeAndLongerIsCut) {
    RecordingMessages msgs;
    GinStore store(msgs);
    std::u16string t503(503, u'鋼');
    store.addMoji(0, 0, 0, 0, 1, 0, 1, 1, t503);
    EXPECT_EQ(std::u16string(store.mojiRec(0, 0).text), t503);
    store.addMoji(0, 0, 0, 0, 1, 0, 1, 1, std::u16string(600, u'x'));
    EXPECT_EQ(std::u16string(store.mojiRec(0, 1).text).size(), 503u);
}

TEST(GinStore, SkippedRecords) {
    RecordingMessages msgs;
    GinStore store(msgs);
    store.addLineRec(0, kKindVoid, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    store.addLine(0, 0, 0, 1, 1);
    store.addCircle(0, 0, 0, 1);
    EXPECT_TRUE(store.isLineSkipped(0, 0));
    EXPECT_FALSE(store.isLineSkipped(0, 1));
    EXPECT_FALSE(store.isLineSkipped(0, 2));
}

TEST(GinStore, FailedAllocationShowsMessageAndLosesNothing) {
    RecordingMessages msgs;
    // Room for a little over 300 line records.
    GinStore store(msgs, 320 * sizeof(recLine));
    store.clearGin(0);
    int last = 0;
    int i = 0;
    for (; i < 1000; ++i) {
        last = store.addLine(0, i, i, 0, 0);
        if (last < 0) break;
    }
    EXPECT_EQ(last, -1);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0], u"メモリが確保できませんでした。終了して下さい");
    const int kept = store.lastLineIndex(0) + 1;
    EXPECT_EQ(kept, i);
    for (int k = 0; k < kept; ++k) ASSERT_EQ(store.lineRec(0, k).X1, k);

    // Texts hit the same wall, and the store keeps working for what fits.
    GinStore small(msgs, sizeof(recMoji) * 2 + 16);
    EXPECT_EQ(small.addMoji(4, 0, 0, 0, 1, 0, 1, 1, u"a"), 0);
    EXPECT_EQ(small.addMoji(4, 0, 0, 0, 1, 0, 1, 1, u"b"), 1);
    EXPECT_EQ(small.addMoji(4, 0, 0, 0, 1, 0, 1, 1, u"c"), -1);
    EXPECT_EQ(small.lastMojiIndex(4), 1);
    EXPECT_EQ(std::u16string(small.mojiRec(4, 1).text), u"b");
}

// Up to the byte limit the records move a logarithmic number of times, not
// once per 100-record step; past it the append fails at once.
TEST(GinStore, GrowthStaysAmortisedUpToTheByteLimit) {
    RecordingMessages msgs;
    GinStore store(msgs, 100000 * sizeof(recLine) + 5000);
    store.clearGin(0);
    int moves = 0, i = 0;
    const recLine* at = store.lineData(0);
    for (;; ++i) {
        if (store.addLine(0, i, 0, 0, 0) < 0) break;
        if (store.lineData(0) != at) ++moves, at = store.lineData(0);
    }
    EXPECT_GT(i, 99000);  // nearly the whole budget is used
    EXPECT_LE(moves, 14);
    EXPECT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(store.addLine(0, 0, 0, 0, 0), -1);
    EXPECT_EQ(store.lastLineIndex(0), i - 1);
}

TEST(GinStore, MillionAppendsAreLinear) {
    RecordingMessages msgs;
    GinStore store(msgs);
    store.clearGin(0);
    for (int i = 0; i < 1000000; ++i) ASSERT_EQ(store.addLine(0, i, 0, 0, 0), i);
    EXPECT_EQ(store.lineCapacity(0), 1000100);
    EXPECT_EQ(store.lineRec(0, 999999).X1, 999999);
}

}  // namespace
}  // namespace ravo
