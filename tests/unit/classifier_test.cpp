#include "core/classifier.h"

#include "test_support.h"

namespace ravo {
namespace {

struct Classified {
    int code;
    int count;
    std::u16string slots[kTokenSlots];
};

Classified classify(std::u16string_view line) {
    Classified c;
    c.code = classifyLine(line, c.slots, kTokenSlots - 1, c.count);
    return c;
}

TEST(Classifier, CodeTable) {
    const struct {
        const char16_t* line;
        int code;
    } table[] = {
        {u"lg5", 111},  {u"lgA", 111},     {u"lg5 x", 502}, {u"lg10", 502},   {u"lgnName", 503},
        {u"lgn", -1},   {u"lg", 201},      {u"lg 3", 502},  {u"ly", 202},     {u"ly3", 112},
        {u"lynWALL", 505}, {u"ly3 x", 504}, {u"lc", 203},   {u"lc7", 113},    {u"lt12", 114},
        {u"lt", 204},   {u"cc3", 306},     {u"cc", -1},     {u"cc12", -1},    {u"hp1", 110},
        {u"hp12-", 110}, {u"hp", 110},     {u"cn0", 115},   {u"cn1", 117},    {u"cn10", 117},   {u"cn11", -1},    {u"cn01", -1},    {u"cn\"MS", 116},
        {u"sl", 405},   {u"sc", 406},      {u"se", 407},    {u"so", 408},     {u"sg", 408},
        {u"BL", 402},   {u"bl", -1},       {u"CH", -1},     {u"Hs", -1},      {u"12.5 0 100 0", 301},
        {u"#", 11},     {u"hq", 101},      {u"file=x", -1}, {u"file", 102},   {u"hk 0", 103},
        {u"hs 1", 104}, {u"hcw", 105},     {u"hch", 106},   {u"hcd", 107},    {u"hcc", 108},
        {u"hn 0 0 1 1", 109}, {u"z", 207}, {u"ci 0 0 5", 302}, {u"pt", 307},  {u"pl", 308},
        {u"msg", 401},  {u"hd", 601},      {u"he", 602},    {u"hr", 603},     {u"h", 604},
        {u"h#", 605},   {u"ch 0 0 1 0 a", 305}, {u"cv 0 0 1 0 a", 305}, {u"", -1}, {u"   \t ", -1},
        {u"\"\" 1 2 3", 301}, {u"  -5 6 7 8", 301},
    };
    for (const auto& row : table) EXPECT_EQ(classify(row.line).code, row.code) << u16ToUtf8(row.line);
}

TEST(Classifier, CountsAndTextLines) {
    EXPECT_EQ(classify(u"12.5 0 100 0").count, 4);
    EXPECT_EQ(classify(u"").count, 0);
    // A "ch" line loses its quotes and is split again; "cv" keeps the group.
    Classified ch = classify(u"ch 1 2 1 0 \"ab cd\"");
    EXPECT_EQ(ch.code, 305);
    EXPECT_EQ(ch.count, 7);
    EXPECT_EQ(ch.slots[5], u"ab");
    EXPECT_EQ(ch.slots[6], u"cd");
    Classified cv = classify(u"cv 1 2 1 0 \"ab cd\"");
    EXPECT_EQ(cv.count, 6);
    EXPECT_EQ(cv.slots[5], u"ab cd");
    Classified open = classify(u"ch 1 2 1 0 \"ab cd");
    EXPECT_EQ(open.count, 7);
    EXPECT_EQ(open.slots[6], u"cd");
    // Leading and trailing control characters do not count toward the
    // 3-character rule.
    EXPECT_EQ(classify(u"\tlg5\r").code, 111);
}

}  // namespace
}  // namespace ravo
