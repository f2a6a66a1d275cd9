#include "classifier.h"

#include <algorithm>

#include "functions.h"
#include "text.h"

namespace ravo {

namespace {

bool startsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// The third character of a text shorter than 3 is empty (0 here).
char16_t third(std::u16string_view s) { return s.size() >= 3 ? s[2] : u'\0'; }

}  // namespace

int classifyLine(std::u16string_view line, std::u16string* slots, int n, int& count) {
    std::u16string_view t = trimControl(line);
    count = splitText(slots, n, t);
    std::u16string unquoted;
    if (slots[0] == u"ch") {
        // Text lines are split again with every double quote removed, so a
        // quoted text arrives as its separate words.
        unquoted.reserve(t.size());
        for (char16_t c : t)
            if (c != u'"') unquoted.push_back(c);
        t = trimControl(unquoted);
        count = splitText(slots, n, t);
    }
    if (count <= 0) return kRecNone;

    const std::u16string_view t0 = slots[0];
    int code = kRecNone;
    // Every test runs in this order; a later match overrides an earlier one.
    // No keyword is numeric and the empty token starts with nothing, so a
    // numeric first token cannot be overridden by a later test.
    if (isNumeric(t0)) return kRecNumbers;
    if (t0 == u"#") code = kRecComment;
    if (t0 == u"hq") code = kRecHq;
    if (t0 == u"file") code = kRecFile;
    if (t0 == u"hk") code = kRecHk;
    if (t0 == u"hs") code = kRecHs;
    if (t0 == u"hcw") code = kRecHcw;
    if (t0 == u"hch") code = kRecHch;
    if (t0 == u"hcd") code = kRecHcd;
    if (t0 == u"hcc") code = kRecHcc;
    if (t0 == u"hn") code = kRecHn;
    if (startsWith(t0, u"hp")) code = kRecHp;
    const bool short3 = t.size() == 3 && third(t) != u'n';
    if (short3 && startsWith(t0, u"lg")) code = kRecLayerGroup3;
    if (short3 && startsWith(t0, u"ly")) code = kRecLayer3;
    if (startsWith(t0, u"lc")) code = kRecColour;
    if (startsWith(t0, u"lt")) code = kRecLineType;
    if (t0 == u"cn0") code = kRecCn0;
    if (t0.size() >= 3 && t0.size() <= 4 && startsWith(t0, u"cn") &&
        std::all_of(t0.begin() + 2, t0.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
        const int n = t0.size() == 3 ? t0[2] - u'0' : (t0[2] - u'0') * 10 + (t0[3] - u'0');
        if (n >= 1 && n <= 10 && t0[2] != u'0') code = kRecCnType;
    }
    if (startsWith(t0, u"cn\"")) code = kRecCnFont;
    if (t0 == u"lg") code = kRecLg;
    if (t0 == u"ly") code = kRecLy;
    if (t0 == u"lc") code = kRecLc;
    if (t0 == u"lt") code = kRecLt;
    if (t0 == u"z") code = kRecZ;
    if (t0 == u"ci") code = kRecCircle;
    if (t0 == u"ch") code = kRecText;
    if (t0 == u"cv") code = kRecText;
    if (startsWith(t0, u"cc") && t0.size() == 3) code = kRecTextBase;
    if (t0 == u"pt") code = kRecPoint;
    if (t0 == u"pl") code = kRecPolyline;
    if (t0 == u"msg") code = kRecMsg;
    if (t0 == u"BL") code = kRecBlock;
    if (t0 == u"sl") code = kRecSl;
    if (t0 == u"sc") code = kRecSc;
    if (t0 == u"se") code = kRecSe;
    if (t0 == u"so") code = kRecSolid;
    if (t0 == u"sg") code = kRecSolid;
    if (t0 == u"cs") code = kRecDimensionValue;
    if (t.size() > 3 && startsWith(t0, u"lg")) code = third(t0) == u'n' ? kRecLayerGroupName : kRecLayerGroup;
    else if (t.size() > 3 && startsWith(t0, u"ly")) code = third(t0) == u'n' ? kRecLayerName : kRecLayer;
    if (t0 == u"hd") code = kRecHd;
    if (t0 == u"he") code = kRecHe;
    if (t0 == u"hr") code = kRecHr;
    if (t0 == u"h") code = kRecH;
    if (t0 == u"h#") code = kRecHHash;
    return code;
}

}  // namespace ravo
