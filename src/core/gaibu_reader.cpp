#include "gaibu_reader.h"

#include "classifier.h"
#include "errors.h"
#include "line_cutter.h"
#include "text.h"

#include <cstring>

namespace ravo {

void GaibuReader::readBytes(std::string_view data) {
    resetGaibuState();
    forEachLine(data, [this](std::string_view line) { processLine(line); });
    endHeader();
}

void GaibuReader::resetGaibuState() {
    header_.hn = GaibuRect{};
    groups_.clear();
    blocks_ = 0;
    dimension_ = Dimension::None;
    textW_ = header_.dMojiW;
    textH_ = header_.dMojiH;
}

void GaibuReader::endHeader() {
    if (header_.bHeaderEnded) return;
    header_.bHeaderEnded = true;
    header_.nWriteLG = store_.curLG;
    header_.nWriteLY = store_.curLY;
}

namespace {

bool isBlankByte(char c) { return c >= 1 && c <= 32; }

// "ci x y r start end flatness tilt": an arc's record, its keyword counted.
constexpr int kArcTokens = 8;

// The powers of ten a double holds exactly.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// The most digits whose integer a double always holds exactly (10^15 < 2^53).
constexpr int kExactDigits = 15;
static_assert(kExactDigits < static_cast<int>(sizeof kExactPow10 / sizeof kExactPow10[0]));

// The digits leading the eight bytes at p (eight at most) appended to
// `digits`; their count. Eight bytes at a time (each byte's value, then
// pairs, fours and the eight combined by multiplication): some 6 % off the
// read of a large export against a digit at a time.
inline int eightDigits(const char* p, uint64_t& digits) {
    constexpr uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    uint64_t w;
    std::memcpy(&w, p, 8);  // p[0] in the lowest byte
    const uint64_t x = w ^ 0x3030303030303030ull;  // a digit's byte now holds its value, any other 10 or more
    const uint64_t notDigit = (((x & 0x7f7f7f7f7f7f7f7full) + 0x7676767676767676ull) | x) & 0x8080808080808080ull;
    const int n = notDigit ? __builtin_ctzll(notDigit) / 8 : 8;
    if (n == 0) return 0;
    uint64_t v = x << (8 * (8 - n));  // the n digits last, zeros (leading) before them
    v = (v * 10 + (v >> 8)) & 0x00ff00ff00ff00ffull;
    v = (v * 100 + (v >> 16)) & 0x0000ffff0000ffffull;
    v = (v * 10000 + (v >> 32)) & 0xffffffffull;
    digits = digits * kPow10[n] + v;
    return n;
}

// The commonest token, "-123.4567", read from p on: at most kExactDigits
// digits, a point between two of them at most, ended by a blank or the
// line's end. The integer of its digits and the power of ten are both exact
// doubles, so their quotient, rounded once, is the correctly rounded value
// any correct conversion gives (Clinger's fast path). False for every other
// token, which the general conversion takes; p is then left anywhere in it.
bool quickDecimal(const char*& p, const char* end, double& out) {
    const bool negative = *p == '-';
    if (negative) ++p;
    uint64_t digits = 0;  // wraps only past kExactDigits, refused below
    auto run = [&] {      // the digits from p on, added to `digits`; their count
        const char* const from = p;
        for (int n = 8; n == 8 && end - p >= 8; p += n) n = eightDigits(p, digits);
        for (unsigned d; p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++p)
            digits = digits * 10 + d;  // the last few, or after eight
        return static_cast<int>(p - from);
    };
    const int whole = run();
    int fraction = 0;
    if (whole > 0 && p < end && *p == '.') {
        ++p;
        fraction = run();
        if (fraction == 0) return false;
    }
    if (whole == 0 || whole + fraction > kExactDigits || (p < end && !isBlankByte(*p))) return false;
    const double v = static_cast<double>(digits) / kExactPow10[fraction];
    out = negative ? -v : v;
    return true;
}

}  // namespace

// A record the store could not take stops the read there: the store has
// reached its limit, and every record after it would fail the same way.
void GaibuReader::stored(int index) const {
    if (index < 0) throw LimitError(kOutOfMemoryText);
}

// The common line of an export, four ASCII numbers separated by blanks,
// taken without the code page, the tokenizer and the classifier. It gives
// what the general path gives; anything it is not sure of (quotes, other
// bytes, fewer than four numbers, a number that does not convert) goes the
// general way, which also raises the exact error.
bool GaibuReader::tryNumberLine(std::string_view bytes) {
    // The number test of the classifier knows only ".": with another
    // separator the general path decides what is a number line.
    if (fmt_.decimalSeparator != u'.') return false;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    double v[4];
    int k = 0;
    while (p < end) {
        while (p < end && isBlankByte(*p)) ++p;
        if (p == end) break;
        const char* const b = p;
        if (k < 4 && quickDecimal(p, end, v[k])) {
            ++k;
            continue;
        }
        p = b;
        while (p < end && !isBlankByte(*p)) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c == '"' || c == 0 || c >= 0x80) return false;
            ++p;
        }
        if (k < 4) {
            std::string_view tok(b, static_cast<size_t>(p - b));
            // Only lines whose first token is a number take this path.
            const char first = tok[0];
            if (k == 0 && !((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.')) return false;
            if (!tryStrToFloat(tok, '.', v[k])) return false;
        }
        ++k;
    }
    if (k < 4) return false;
    stored(store_.addLine(nGin_, v[0], v[1], v[2], v[3]));
    return true;
}

void GaibuReader::processLine(std::string_view bytes) {
    if (shortWay_ && !inFigure() && tryNumberLine(bytes)) return;
    // Pure ASCII lines (nearly all of them) need no code page conversion.
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    if (ascii) {
        wide_.assign(bytes.begin(), bytes.end());
    } else {
        codec_.decode(bytes, wide_);
    }
    int count = 0;
    int code = classifyLine(trimControl(wide_), slots_, kTokenSlots - 1, count);
    applyLine(code, slots_, count);
}

int32_t GaibuReader::hexDigit(char16_t c) const {
    std::u16string token = u"$";
    if (c) token.push_back(c);
    return strToInt(token);
}

void GaibuReader::applyLine(int code, const std::u16string* s, int count) {
    GaibuHeader& h = header_;
    // What lies inside a block or a dimension figure is not the user's line:
    // its entities are passed over (attribute lines still apply).
    switch (code) {
    case kRecNumbers:
        if (blocks_ > 0) return;
        if (dimension_ == Dimension::Line) {
            dimension_ = Dimension::Value;
            return;
        }
        dimension_ = Dimension::None;  // a figure without its line ends here
        break;
    case kRecDimensionValue:
        dimension_ = Dimension::None;
        return;
    case kRecCircle:
    case kRecText:
    case kRecPoint:
    case kRecSolid:
        if (blocks_ > 0) return;
        dimension_ = Dimension::None;
        break;
    case kRecMsg:
        if (blocks_ == 0) dimension_ = Dimension::Line;
        return;
    case kRecBlock:
        groups_.push_back(u'B');
        ++blocks_;
        dimension_ = Dimension::None;
        return;
    case kRecPolyline:
        groups_.push_back(u'P');
        dimension_ = Dimension::None;
        return;
    case kRecComment:
        if (!groups_.empty()) {
            if (groups_.back() == u'B') --blocks_;
            groups_.pop_back();
            return;
        }
        break;
    default:
        break;
    }
    switch (code) {
    case kRecNumbers: {
        double x1 = real(s[0]), y1 = real(s[1]), x2 = real(s[2]), y2 = real(s[3]);
        stored(store_.addLine(nGin_, x1, y1, x2, y2));
        break;
    }
    case kRecCircle:
        if (count == 4) {
            double x = real(s[1]), y = real(s[2]), r = real(s[3]);
            stored(store_.addCircle(nGin_, x, y, r));
        } else if (count < kArcTokens) {
            // A circle or an arc cut short: its first missing number is the
            // error, as for a cut line, rather than a record dropped unseen.
            real(s[static_cast<size_t>(count)]);
        } else if (arcs_) {
            arcs_->push_back({real(s[1]), real(s[2]), real(s[3]), real(s[4]), real(s[5]), real(s[6]), real(s[7]),
                              store_.curLG});
        }
        break;
    case kRecText: {
        double x1 = real(s[1]), y1 = real(s[2]), x2 = real(s[3]), y2 = real(s[4]);
        if (keepTexts_) stored(store_.addMoji(nGin_, h.nMojiBase, x1, y1, x2, y2, textW_, textH_, s[5]));
        break;
    }
    case kRecHs:
        for (int i = 0; i < kLayerGroups; ++i) h.hs[i] = real(s[i + 1]);
        break;
    case kRecHcw:
        for (int i = 1; i <= kTextTypes; ++i) h.hcw[i] = real(s[i]);
        break;
    case kRecHch:
        for (int i = 1; i <= kTextTypes; ++i) h.hch[i] = real(s[i]);
        break;
    case kRecHcd:
        for (int i = 1; i <= kTextTypes; ++i) h.hcd[i] = real(s[i]);
        break;
    case kRecHcc:
        for (int i = 1; i <= kTextTypes; ++i) h.hcc[i] = strToInt(s[i]);
        break;
    case kRecHn:
        h.hn.x1 = real(s[1]);
        h.hn.y1 = real(s[2]);
        h.hn.x2 = real(s[3]);
        h.hn.y2 = real(s[4]);
        break;
    case kRecHp: {
        std::u16string_view t0 = s[0];
        std::u16string_view num = t0.substr(2);
        size_t dash = num.find(u'-');
        if (dash != std::u16string_view::npos) num = num.substr(0, dash);
        int32_t index = strToInt(num);
        // A point number outside the table names no point: the line is
        // ignored rather than written past the table.
        if (index < 0 || index >= kPointSlots) break;
        h.hp[index].x = real(s[1]);
        h.hp[index].y = real(s[2]);
        h.hpGiven[index] = true;
        break;
    }
    case kRecLayerGroup3:
    case kRecLayerGroup:
        store_.curLG = hexDigit(s[0].size() >= 3 ? s[0][2] : u'\0');
        break;
    case kRecLayer3:
    case kRecLayer:
        store_.curLY = hexDigit(s[0].size() >= 3 ? s[0][2] : u'\0');
        break;
    case kRecColour:
        store_.curCL = strToInt(std::u16string_view(s[0]).substr(2));
        break;
    case kRecLineType:
        store_.curLT = strToInt(std::u16string_view(s[0]).substr(2));
        break;
    case kRecLayerGroupName:
        if (store_.curLG >= 0 && store_.curLG < kHeaderSlots)
            h.strLayerGroupName[store_.curLG] = std::u16string_view(s[0]).substr(3);
        break;
    case kRecLayerName:
        if (store_.curLG >= 0 && store_.curLG < kHeaderSlots && store_.curLY >= 0 && store_.curLY < kHeaderSlots)
            h.strLayerName[store_.curLG][store_.curLY] = std::u16string_view(s[0]).substr(3);
        break;
    case kRecCn0: {
        // Among the entities a text type is the selected texts' own: the
        // user's current one is what the header left. Each value is stored
        // as it converts.
        const bool user = !h.bHeaderEnded;
        textW_ = real(s[1]);
        if (user) h.dMojiW = textW_;
        textH_ = real(s[2]);
        if (user) h.dMojiH = textH_;
        const double spacing = real(s[3]);
        if (user) h.dMojiD = spacing;
        const int32_t colour = strToInt(s[4]);
        if (user) h.nMojiColour = colour, h.nTextType = 0;
        break;
    }
    case kRecCnType:
        if (!h.bHeaderEnded) h.nTextType = strToInt(std::u16string_view(s[0]).substr(2));
        break;
    case kRecComment:
        endHeader();
        break;
    case kRecTextBase:
        h.nMojiBase = strToInt(std::u16string_view(s[0]).substr(2, 1));
        break;
    case kRecHk:
        real(s[1]);
        break;
    default:
        // Comments, markers and entities the tool does not use.
        break;
    }
}

}  // namespace ravo
