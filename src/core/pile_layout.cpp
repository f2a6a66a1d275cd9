#include "pile_layout.h"

#include <algorithm>
#include <cmath>

#include "classifier.h"
#include "functions.h"
#include "line_cutter.h"
#include "text.h"
#include "transforms.h"

namespace ravo {

namespace {

double outlineNumber(const std::u16string& token, const NumberFormat& fmt) {
    // Outline numbers allow no blanks around them (a quoted " 5" is no
    // number), unlike the host file's reals.
    double v;
    if (token.empty() || token.front() == u' ' || token.back() == u' ' ||
        !tryStrToFloat(token, fmt.decimalSeparator, v))
        raiseNotFloat(token);
    return v;
}

}  // namespace

void loadPileShape(GinStore& store, int nGin, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec) {
    const std::string data = fs.readFile(path);
    std::u16string slots[kTokenSlots];
    std::u16string wide;
    forEachLine(data, [&](std::string_view bytes) {
        codec.decode(bytes, wide);
        int count = splitText(slots, kTokenSlots - 1, trimControl(wide));
        if (count <= 0) return;
        double x1 = outlineNumber(slots[0], fmt);
        double y1 = outlineNumber(slots[1], fmt);
        double x2 = outlineNumber(slots[2], fmt);
        double y2 = outlineNumber(slots[3], fmt);
        store.addLine(nGin, x1, y1, x2, y2);
    });
}

bool pileCountFor(double length, double pitch, int32_t& count) {
    const double q = static_cast<double>(static_cast<long double>(length) / pitch);
    if (!(q >= 0 && q <= kMaxPileCount + 1.0)) return false;  // NaN and infinity fail too
    double n = std::ceil(q);
    // A length read from decimal text is a whole number of widths only to
    // within its binary rounding (1696.1 to 4096.1 is 2400 and some 1e-12):
    // close enough to k widths counts k piles, not one more.
    const double k = std::round(q);
    if (k >= 1 && std::fabs(static_cast<long double>(length) - static_cast<long double>(k) * pitch) <=
                      kWholePileTolerance)
        n = k;
    if (n > kMaxPileCount) return false;
    count = static_cast<int32_t>(n);
    return true;
}

std::u16string pileCountMessage() {
    return u"鋼矢板の枚数が上限（" + asciiToU16(std::to_string(kMaxPileCount)) +
           u"枚）を超えるため割付できません。始点と終点を確認して下さい";
}

void PileLayout::setSection(size_t index) {
    if (index >= pileSections().size()) index = kDefaultSection;
    state_.nSection = index;
    state_.dPitch = pileSections()[index].widthMm;
}

void PileLayout::preparePiles() {
    const double x1 = header_.hp[1].x, y1 = header_.hp[1].y;
    const double x2 = header_.hp[2].x, y2 = header_.hp[2].y;
    const double length = distance2D(x1, y1, x2, y2);
    state_.dLength = length;
    int32_t count = 0;
    if (!pileCountFor(length, state_.dPitch, count)) {
        messages_.showMessage(pileCountMessage());
        count = 0;
    }
    state_.nPileCount = count;
    // The differences are formed in extended precision and rounded to doubles.
    const double dx = static_cast<double>(static_cast<long double>(x2) - x1);
    const double dy = static_cast<double>(static_cast<long double>(y2) - y1);
    state_.dAngle = static_cast<double>(static_cast<long double>(vecAngle(dx, dy)) * 180.0L / kPiFull);

    for (int g : {gins_.nGinResult, gins_.nGinNormal, gins_.nGinNormalMirror, gins_.nGinStart,
                  gins_.nGinStartMirror, gins_.nGinEnd, gins_.nGinEndMirror})
        store_.clearGin(g);
    try {
        loadOutlines();
    } catch (...) {
        state_.nPileCount = 0;  // the count line must not promise a run that is not there
        throw;
    }
}

void PileLayout::loadOutlines() {
    const struct {
        OutlineKind kind;
        int gin, mirror;
    } sets[] = {
        {OutlineKind::Normal, gins_.nGinNormal, gins_.nGinNormalMirror},
        {OutlineKind::StartCorner, gins_.nGinStart, gins_.nGinStartMirror},
        {OutlineKind::EndCorner, gins_.nGinEnd, gins_.nGinEndMirror},
    };
    for (const auto& s : sets) {
        loadPileShape(store_, s.gin, outlineFile(section(), s.kind), fs_, fmt_, codec_);
        copyGinOffset(store_, s.gin, s.mirror, 0, 0);
        scaleGin(store_, s.mirror, 1.0, -1.0);
    }
}

void PileLayout::closeLastJoint(int nGinOutline) {
    // Piles that all face one way share each joint's edge, so their outlines
    // draw only the start edge (the one on x = 0): the run's last pile takes
    // its end edge here, the same edge a whole run further on.
    const double end = static_cast<double>(static_cast<long double>(state_.nPileCount) * state_.dPitch);
    const int last = store_.lastLineIndex(nGinOutline);
    for (int i = 0; i <= last; ++i) {
        const LineData d = store_.getLine(nGinOutline, i);
        if (d.kind == kKindLine && d.X1 == 0 && d.X2 == 0)
            store_.addLine(gins_.nGinResult, end, d.Y1, end, d.Y2);
    }
}

void PileLayout::layoutPiles(int32_t orientation) {
    const int result = gins_.nGinResult;
    store_.clearGin(result);
    const int variants[3][2] = {
        {gins_.nGinNormal, gins_.nGinNormalMirror},
        {gins_.nGinStart, gins_.nGinStartMirror},
        {gins_.nGinEnd, gins_.nGinEndMirror},
    };
    int v = orientation == 0 ? 0 : 1;
    const bool alternate = section().alternates();
    const int last = state_.nPileCount - 1;
    // One allocation for the whole run: at most the largest outline per pile
    // and both corners on top.
    size_t most = 0;
    for (const auto& pair : variants)
        for (int g : pair) most = std::max(most, static_cast<size_t>(store_.lastLineIndex(g) + 1));
    store_.reserveLines(result, most * static_cast<size_t>(state_.nPileCount) + 2 * most);
    for (int i = 0; i <= last; ++i) {
        const double offset = static_cast<double>(static_cast<long double>(i) * state_.dPitch);
        bool placed = false;
        if (i == 0 && state_.bStartCorner) {
            copyGinOffset(store_, variants[1][v], result, offset, 0);
            placed = true;
        }
        if (i == last && state_.bEndCorner) {
            copyGinOffset(store_, variants[2][v], result, offset, 0);
            placed = true;
        }
        if (!placed) copyGinOffset(store_, variants[0][v], result, offset, 0);
        if (alternate) v = 1 - v;
    }
    if (!alternate && state_.nPileCount > 0) closeLastJoint(variants[0][v]);
    rotateGin(store_, result, state_.dAngle);
}

}  // namespace ravo
