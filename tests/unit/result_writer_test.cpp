#include "core/result_writer.h"

#include <sys/stat.h>

#include <array>
#include <initializer_list>

#include "test_support.h"

namespace ravo {
namespace {

using test::TempDir;

struct WriterTest : ::testing::Test {
    test::Platform pf;
    NumberFormat fmt;
    TempDir dir;

    // The line records OK writes for these lines.
    std::string records(std::initializer_list<std::array<double, 4>> lines, const NumberFormat& f) const {
        std::string out;
        for (const auto& l : lines) appendLineRecord(out, l[0], l[1], l[2], l[3], f, pf.codec);
        return out;
    }
};

TEST_F(WriterTest, LineRecordsInTheResultsFormat) {
    writeResultBytes(dir.upath("jwc_temp.txt"), pf.fs, records({{0, -0.5, 1e-5, 1e15}, {12.5, -0.0, 100, 1.0 / 3}}, fmt));
    EXPECT_EQ(dir.read("jwc_temp.txt"), "0 -0.5 1E-5 1E15\r\n12.5 0 100 0.333333333333333\r\n");
    EXPECT_FALSE(dir.exists("jwc_temp.txt.new"));
}

TEST_F(WriterTest, NothingToWriteGivesZeroBytes) {
    dir.write("jwc_temp.txt", "old content\r\n");
    writeResultBytes(dir.upath("jwc_temp.txt"), pf.fs, "");
    EXPECT_TRUE(dir.exists("jwc_temp.txt"));
    EXPECT_EQ(dir.read("jwc_temp.txt"), "");
}

TEST_F(WriterTest, RegionalSeparator) {
    writeResultBytes(dir.upath("r.txt"), pf.fs, records({{1.5, 2, -0.25, 3}}, NumberFormat{u','}));
    EXPECT_EQ(dir.read("r.txt"), "1,5 2 -0,25 3\r\n");
}

TEST_F(WriterTest, MissingFolderRaises103OnlyWhenThereIsALine) {
    const std::u16string path = dir.upath("gone/jwc_temp.txt");
    writeResultBytes(path, pf.fs, "");  // nothing to write: unnoticed
    EXPECT_RAISES(writeResultBytes(path, pf.fs, records({{1, 2, 3, 4}}, fmt)), IoError, "I/O エラー 103");
}

TEST_F(WriterTest, ReadOnlyFileKeepsItsContent) {
    dir.write("jwc_temp.txt", "");
    chmod(dir.path("jwc_temp.txt").c_str(), 0444);
    EXPECT_RAISES(writeResultBytes(dir.upath("jwc_temp.txt"), pf.fs, records({{1, 2, 3, 4}}, fmt)), IoError,
                  "I/O エラー 103");
    EXPECT_EQ(dir.read("jwc_temp.txt"), "");
    EXPECT_FALSE(dir.exists("jwc_temp.txt.new"));
}

TEST_F(WriterTest, TruncateFile) {
    dir.write("jwc_temp.txt", "1 2 3 4\r\n");
    truncateFile(pf.fs, dir.upath("jwc_temp.txt"));
    EXPECT_EQ(dir.read("jwc_temp.txt"), "");
    truncateFile(pf.fs, dir.upath("new.txt"));
    EXPECT_TRUE(dir.exists("new.txt"));
    try {
        truncateFile(pf.fs, dir.upath("gone/x.txt"));
        ADD_FAILURE() << "expected an I/O error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.code(), 3);
        EXPECT_EQ(e.message(), u"不正なファイル名 - " + dir.upath("gone/x.txt"));
    }
    EXPECT_RAISES(truncateFile(pf.fs, std::u16string(300, u'a')), IoError,
                  "不正なファイル名 - " + std::string(300, 'a'));
    EXPECT_EQ(u16ToUtf8(IoError(3).message()), "不正なファイル名 - %s");  // no path known
}

TEST_F(WriterTest, TruncateReadOnlyFileIsRefused) {
    // Root writes whatever the mode says: nothing to check then, and the
    // run says it skipped.
    if (!test::permissionsApply()) GTEST_SKIP() << "permissions do not apply to root";
    dir.write("ro.txt", "x");
    chmod(dir.path("ro.txt").c_str(), 0444);
    EXPECT_RAISES(truncateFile(pf.fs, dir.upath("ro.txt")), IoError, "ファイルへのアクセスが拒否されました");
}

TEST(IoErrorText, MessagesByCode) {
    EXPECT_EQ(u16ToUtf8(IoError(2).message()), "指定されたファイルが見つかりません");
    EXPECT_EQ(u16ToUtf8(IoError(4).message()), "開かれたファイルが多すぎます。");
    EXPECT_EQ(u16ToUtf8(IoError(100).message()), "ファイルの末尾以降を読み取りました");
    EXPECT_EQ(u16ToUtf8(IoError(101).message()), "ディスクがいっぱいです");
    EXPECT_EQ(u16ToUtf8(IoError(106).message()), "入力値が数値ではありません");
    EXPECT_EQ(u16ToUtf8(IoError(32).message()), "I/O エラー 32");
    // The full-stop rule: added after a character above '.', not after "。" ... which is above too.
    EXPECT_EQ(u16ToUtf8(withFullStop(u"abc")), "abc.");
    EXPECT_EQ(u16ToUtf8(withFullStop(u"abc.")), "abc.");
    EXPECT_EQ(u16ToUtf8(withFullStop(u"I/O エラー 103")), "I/O エラー 103.");
    EXPECT_EQ(u16ToUtf8(withFullStop(u"abc-")), "abc-");
    EXPECT_EQ(u16ToUtf8(withFullStop(u"")), "");
}

}  // namespace
}  // namespace ravo
