// The batch file the host runs: its bytes and its directives.
#include <fstream>

#include "test_support.h"

namespace ravo {
namespace {

std::string batBytes() {
    std::ifstream in(RAVO_BAT_PATH, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> batLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t b = 0;
    for (size_t e; (e = bytes.find("\r\n", b)) != std::string::npos; b = e + 2) lines.push_back(bytes.substr(b, e - b));
    return lines;
}

TEST(BatchFile, CodePage932WithCrLfAndNoBom) {
    const std::string bytes = batBytes();
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

TEST(BatchFile, DirectivesTheHostReads) {
    const auto lines = batLines(batBytes());
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0].substr(0, 4), "@REM");  // the memo the host shows
    std::vector<std::string> directives;
    for (const std::string& l : lines) {
        if (l.rfind("REM #", 0) != 0) continue;
        EXPECT_LT(l.find('#'), 10u) << l;
        directives.push_back(l.substr(4, l.find(' ', 5) == std::string::npos ? std::string::npos : l.find(' ', 5) - 4));
    }
    const std::vector<std::string> expected = {"#jww", "#cd", "#h0", "#1", "#2", "#e"};
    EXPECT_EQ(directives, expected);
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
    // The exe is called quoted: the second byte of 鋼 in code page 932 is '|'.
    bool quotedCall = false;
    for (const std::string& l : lines)
        if (l.find("Ravo") != std::string::npos && l.find(".exe\"") != std::string::npos && l[0] == '"') quotedCall = true;
    EXPECT_TRUE(quotedCall);
}

}  // namespace
}  // namespace ravo
