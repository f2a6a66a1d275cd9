// A diagonal run with the shipped outlines, written exactly as the product
// writes it. The end-to-end test checks the Windows build against the same
// file, so both builds must agree to the byte.
#include <cstdlib>
#include <fstream>

#include "core/session.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

const std::string kGolden = std::string(RAVO_SOURCE_DIR) + "/tests/data/golden_diagonal.txt";

TEST(Golden, DiagonalRunWithCornerAndReverse) {
    test::Platform pf;
    test::TempDir dir;
    dir.write("temp.txt", "hq\r\nhp1 123.456 -78.9\r\nhp2 4567.891 3210.123\r\n");
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(RAVO_SOURCE_DIR);
    Session s(Services{pf.fs, pf.codec, pf.messages, NumberFormat{}});
    ASSERT_TRUE(s.runShowSteps(dir.upath()));
    std::filesystem::current_path(old);
    test::RecordingCanvas canvas(289, 229);
    s.attachImage(canvas);
    s.chkStartClick(true);
    s.btnReverseClick();
    s.writeRunResult();
    const std::string got = dir.read("jwc_temp.txt");
    ASSERT_GT(got.size(), 1000u);
    if (std::getenv("RAVO_UPDATE_GOLDEN")) std::ofstream(kGolden, std::ios::binary) << got;
    std::ifstream in(kGolden, std::ios::binary);
    const std::string want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace ravo
