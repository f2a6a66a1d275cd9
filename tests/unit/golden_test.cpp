// A diagonal run with the shipped outlines, written exactly as the product
// writes it. The end-to-end test checks the Windows build against the same
// file, so both builds must agree to the byte.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/session.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

const std::string kGolden = std::string(RAVO_SOURCE_DIR) + "/tests/data/golden_diagonal.txt";

TEST(Golden, DiagonalRunWithCornerAndReverse) {
    test::TempDir dir;
    dir.linkOutlines();
    test::Platform pf(dir.path());
    dir.write("temp.txt", "hq\r\nhp1 123.456 -78.9\r\nhp2 4567.891 3210.123\r\n");
    Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    ASSERT_TRUE(s.runShowSteps());
    test::RecordingCanvas canvas(kImageWidth, kImageHeight);
    s.attachImage(canvas);
    s.setStartCorner(true);
    s.turnPilesOver();
    s.ok();
    const std::string got = dir.read("jwc_temp.txt");
    ASSERT_GT(got.size(), 1000u);
    if (std::getenv("RAVO_UPDATE_GOLDEN")) std::ofstream(kGolden, std::ios::binary) << got;
    std::ifstream in(kGolden, std::ios::binary);
    const std::string want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want);
}

// Selected walls labelled and tabled at L = 10.0 m: a cofferdam with a
// slanted side (angle corners, closing piles); a half circle closed by a
// line, drawn as the inner face, beside a rectangle. The texts and the
// curves are placed with the core's own roots, sines and cosines, so every
// build writes the same bytes.
TEST(Golden, LabelledWallsWithTheirTables) {
    const struct {
        const char* temp;
        const char* golden;
        WallFace face;
        const char* count;
    } cases[] = {
        {"cofferdam_temp.txt", "golden_cofferdam.txt", WallFace::JointLine, "100枚（コーナー5・調整6）  延長 39.969 m"},
        {"rounded_temp.txt", "golden_rounded.txt", WallFace::Inner,
         "190枚（コーナー6・調整5）  延長 76.459 m（2 壁）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.temp);
        const std::string golden = std::string(RAVO_SOURCE_DIR) + "/tests/data/" + c.golden;
        test::TempDir dir;
        dir.linkOutlines();
        test::Platform pf(dir.path());
        std::ifstream exported(std::string(RAVO_SOURCE_DIR) + "/tests/data/" + c.temp, std::ios::binary);
        dir.write("temp.txt", std::string((std::istreambuf_iterator<char>(exported)), {}));
        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s.setRunMode(RunMode::Selection);
        s.setFace(c.face);
        test::RecordingCanvas canvas(kImageWidth, kImageHeight);
        s.attachImage(canvas);
        ASSERT_TRUE(s.runShowSteps());
        EXPECT_TRUE(pf.messages.shown.empty());
        EXPECT_EQ(u16ToUtf8(s.countText()), c.count);
        s.setPileLength(u"10.0");
        s.setLabels(true);
        s.setTable(true);
        s.ok();
        const std::string got = dir.read("jwc_temp.txt");
        ASSERT_NE(got.find("\r\ncn3\r\nch "), std::string::npos);
        if (std::getenv("RAVO_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << got;
        std::ifstream in(golden, std::ios::binary);
        const std::string want((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(got, want);
    }
}

// What the preview draws, op by op, for a two-point run far from the origin
// (its pile numbers ticked, zoomed in about a point and dragged) and for a
// cofferdam with its counts and numbers: the picture must not move a pixel
// when the code that draws it does.
TEST(Golden, PreviewPictures) {
    std::string got;
    auto record = [&](const test::RecordingCanvas& canvas) {
        for (const test::Op& o : canvas.ops) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "%d %d %d %d %d %d %u %u %d ", static_cast<int>(o.kind), o.a, o.b, o.c, o.d,
                          static_cast<int>(o.style), o.colour, o.back, o.copy ? 1 : 0);
            got += buf + u16ToUtf8(o.text) + "\n";
        }
        got += "--\n";
    };
    {
        test::TempDir dir;
        dir.linkOutlines();
        test::Platform pf(dir.path());
        dir.write("temp.txt", "hq\r\nhp1 123456.789 -78901.234\r\nhp2 131456.789 -72901.234\r\n");
        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        test::RecordingCanvas canvas(kImageWidth, kImageHeight);
        s.attachImage(canvas);
        ASSERT_TRUE(s.runShowSteps());
        s.setNumbers(true, 5);
        s.setStartCorner(true);
        s.zoomAt(3, 100, 80);
        s.press(1, 120, 90);
        s.drag(140, 70);
        s.release(140, 70);
        record(canvas);
    }
    {
        test::TempDir dir;
        dir.linkOutlines();
        test::Platform pf(dir.path());
        std::ifstream exported(std::string(RAVO_SOURCE_DIR) + "/tests/data/cofferdam_temp.txt", std::ios::binary);
        dir.write("temp.txt", std::string((std::istreambuf_iterator<char>(exported)), {}));
        Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
        s.setRunMode(RunMode::Selection);
        test::RecordingCanvas canvas(kImageWidth, kImageHeight);
        s.attachImage(canvas);
        ASSERT_TRUE(s.runShowSteps());
        s.setNumbers(true, 1);
        s.zoomAt(-2, 60, 60);
        record(canvas);
    }
    const std::string golden = std::string(RAVO_SOURCE_DIR) + "/tests/data/golden_preview.txt";
    if (std::getenv("RAVO_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << got;
    std::ifstream in(golden, std::ios::binary);
    const std::string want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace ravo
