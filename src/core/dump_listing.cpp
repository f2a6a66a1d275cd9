#include "dump_listing.h"

#include "functions.h"
#include "text.h"

namespace ravo {

namespace {

std::u16string D(int v) { return asciiToU16(std::to_string(v)); }
std::u16string P3(int v) { return padInt(v, 3); }

const char16_t* anchorName(int nBase) {
    static const char16_t* const names[9] = {u"左下", u"中下", u"右下", u"左中", u"中中",
                                             u"右中", u"左上", u"中上", u"右上"};
    return nBase >= 0 && nBase <= 8 ? names[nBase] : u"";
}

const char16_t* kindWord(int32_t kind) {
    switch (kind) {
    case kKindLine: return u"LINE    ";
    case kKindCircle: return u"CIRCLE  ";
    case kKindContinue: return u"CONTINUE";
    default: return u"-------";
    }
}

}  // namespace

std::u16string dumpLineText(const GinStore& store, int nGin, int i, const NumberFormat& fmt) {
    const recLine& r = store.lineRec(nGin, i);
    auto PF = [&](double x) { return padFloat(8, x, fmt); };
    std::u16string s = P3(i) + u":" + kindWord(r.kind) + (r.p ? u" p" : u"  ") + u" ";
    s += u" X1 =" + PF(r.X1) + u" ,Y1 =" + PF(r.Y1) + u" ,X2 =" + PF(r.X2) + u" ,Y2 =" + PF(r.Y2);
    if (r.kind == kKindLine) s += u" ,L =" + PF(distance2D(r.X1, r.Y1, r.X2, r.Y2));
    if (r.kind == kKindCircle) s += u" ,R =" + PF(r.R);
    s += u" ";
    s += u" : n =" + P3(r.n) + u" : LT =" + P3(r.LT) + u" : LG =" + P3(r.LG) + u" : LY =" + P3(r.LY) +
         u" : CL = " + P3(r.CL);
    return s;
}

std::u16string dumpMojiText(const GinStore& store, int nGin, int i, const NumberFormat& fmt) {
    const recMoji& m = store.mojiRec(nGin, i);
    auto PF = [&](double x) { return padFloat(8, x, fmt); };
    std::u16string s = P3(i) + u":" + u"TEXT      " + u" ";
    s += u" X1 =" + PF(m.X1) + u" ,Y1 =" + PF(m.Y1) + u" ,X2 =" + PF(m.X2) + u" ,Y2 =" + PF(m.Y2);
    s += u" ";
    s += u" W = " + PF(m.W) + u" ,H =" + PF(m.H);
    s += u" : LG =" + P3(m.LG) + u" : LY =" + P3(m.LY) + u" : CL = " + P3(m.CL);
    s += u" [" + std::u16string(m.text) + u"] ";
    s += anchorName(m.nBase);
    return s;
}

std::vector<std::u16string> dumpGin(const GinStore& store, const GaibuHeader& h, int nGin,
                                    const NumberFormat& fmt) {
    std::vector<std::u16string> out;
    auto G = [&](double x) { return formatGeneral(x, fmt); };
    if (nGin == 0) {
        out.push_back(u"Common==============================");
        out.push_back(u"レイヤグループ（1～F）毎の縮尺:hs----------------------------");
        for (int i = 1; i <= kLayerGroups; ++i) out.push_back(u"[" + D(i) + u"]:" + G(h.hs[i]));
        out.push_back(u"文字 幅 寸法:hcw----------------------------");
        for (int i = 1; i <= kTextTypes; ++i) out.push_back(u"[" + D(i) + u"]:" + G(h.hcw[i]));
        out.push_back(u"文字 高 寸法:hch----------------------------");
        for (int i = 1; i <= kTextTypes; ++i) out.push_back(u"[" + D(i) + u"]:" + G(h.hch[i]));
        out.push_back(u"文字間隔寸法:hcd----------------------------");
        for (int i = 1; i <= kTextTypes; ++i) out.push_back(u"[" + D(i) + u"]:" + G(h.hcd[i]));
        out.push_back(u"文字間隔寸法:hcc----------------------------");
        for (int i = 1; i <= kTextTypes; ++i) out.push_back(u"[" + D(i) + u"]:" + D(h.hcc[i]));
        out.push_back(u"選択範囲:hn----------------------------");
        out.push_back(u" x1 = " + G(h.hn.x1) + u",y1 = " + G(h.hn.y1) + u",x2 = " + G(h.hn.x2) +
                      u",y2 = " + G(h.hn.y2));
        out.push_back(u"指示点:hp----------------------------");
        for (int i = 0; i <= 99; ++i)
            out.push_back(u"[" + D(i) + u"]:" + u" x = " + G(h.hp[i].x) + u",y = " + G(h.hp[i].y));
    }
    out.push_back(u"データ==============================");
    if (GinStore::validGin(nGin)) {
        for (int i = 0; i <= store.lastLineIndex(nGin); ++i)
            if (!store.isLineSkipped(nGin, i)) out.push_back(dumpLineText(store, nGin, i, fmt));
        for (int i = 0; i <= store.lastMojiIndex(nGin); ++i) out.push_back(dumpMojiText(store, nGin, i, fmt));
    }
    out.push_back(u"レイヤグループ名---------");
    for (int g = 0; g < kLayerGroups; ++g)
        for (int l = 0; l < kLayerGroups; ++l)
            out.push_back(u"[" + h.strLayerGroupName[g] + u"][" + h.strLayerName[g][l] + u"]");
    return out;
}

}  // namespace ravo
