// The batch file the host runs: its bytes and its directives.
#include <algorithm>
#include <fstream>

#include "test_support.h"

namespace ravo {
namespace {

// The three batch files: two points, a selection, points in order.
const struct {
    const char* variant;
    std::vector<std::string> directives;
    const char* call;  // how the exe is called
} kBats[] = {
    {"two-point", {"#jww", "#cd", "#h0", "#1", "#2", "#e"}, "\"%~dp0Ravo\x8d\x7c\x96\xee\x94\xc2.exe\""},
    {"select", {"#jww", "#cd", "#h1", "#hc", "#g1", "#ht10", "#ht30", "#ht40", "#e"},
     "\"%~dp0Ravo\x8d\x7c\x96\xee\x94\xc2.exe\" /select"},
    {"points", {"#jww", "#cd", "#h0", "#1-", "#2-", "#99#", "#e"}, "\"%~dp0Ravo\x8d\x7c\x96\xee\x94\xc2.exe\" /points"},
};

std::string batBytes(const char* variant) {
    std::ifstream in(std::string(RAVO_BAT_DIR) + "/" + variant + ".bat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> batLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t b = 0;
    for (size_t e; (e = bytes.find("\r\n", b)) != std::string::npos; b = e + 2) lines.push_back(bytes.substr(b, e - b));
    return lines;
}

TEST(BatchFile, CodePage932WithCrLfAndNoBom) {
  for (const auto& bat : kBats) {
    SCOPED_TRACE(bat.variant);
    const std::string bytes = batBytes(bat.variant);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    // Every LF belongs to a CR LF.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    // It decodes as code page 932 and holds the exe's name in it.
    Cp932Codec codec;
    std::u16string text;
    codec.decode(bytes, text);
    EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_NE(text.find(u"Ravo鋼矢板.exe"), std::u16string::npos);
    EXPECT_EQ(codec.encode(text), bytes);
  }
}

TEST(BatchFile, DirectivesTheHostReads) {
  for (const auto& bat : kBats) {
    SCOPED_TRACE(bat.variant);
    const auto lines = batLines(batBytes(bat.variant));
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0].substr(0, 4), "@REM");  // the memo the host shows
    std::vector<std::string> directives;
    for (const std::string& l : lines) {
        if (l.rfind("REM #", 0) != 0) continue;
        EXPECT_LT(l.find('#'), 10u) << l;
        directives.push_back(l.substr(4, l.find(' ', 5) == std::string::npos ? std::string::npos : l.find(' ', 5) - 4));
    }
    EXPECT_EQ(directives, bat.directives);
    // No remark (the memo, the prompts, the notes) holds a double-byte
    // character whose second byte the command processor would take as an
    // operator.
    for (const std::string& l : lines) {
        if (l.rfind("REM", 0) != 0 && l.rfind("@REM", 0) != 0) continue;
        for (size_t i = 0; i + 1 < l.size(); ++i) {
                unsigned char c = static_cast<unsigned char>(l[i]);
                if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
                    char trail = l[i + 1];
                    EXPECT_EQ(std::string("|^&<>%").find(trail), std::string::npos) << l;
                    ++i;
                }
            }
    }
    // The exe is called quoted (the second byte of 鋼 in code page 932 is
    // '|'), with the variant's argument.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(bat.call)), 1) << bat.call;
  }
}

}  // namespace
}  // namespace ravo
