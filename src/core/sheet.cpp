#include "sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "pile_sections.h"
#include "text.h"

namespace ravo {

namespace {

// Which wall a piece belongs to.
int32_t wallOf(const Plan& plan, const WallPiece& p) {
    if (!plan.wall) return 0;
    const auto leg = static_cast<size_t>(p.leg);
    return leg < plan.layout.legs.size() ? plan.layout.legs[leg].wall : 0;
}

// Outside a loop (right of a counter-clockwise one), left of anything else.
bool outsideIsRight(const Plan& plan, int32_t wall) {
    if (!plan.wall || wall < 0 || static_cast<size_t>(wall) >= plan.drawn.size()) return false;
    const WallPath& p = plan.drawn[static_cast<size_t>(wall)];
    return p.closed && counterClockwise(p);
}

// "A", "B" … "Z", "AA": a wall's letter.
std::u16string wallLetter(int32_t wall) {
    std::u16string s;
    for (int32_t k = wall + 1; k > 0; k = (k - 1) / 26) s.insert(s.begin(), static_cast<char16_t>(u'A' + (k - 1) % 26));
    return s;
}

// A horizontal text centred on x, its baseline at y.
HostText centred(double x, double y, std::u16string text, const TextStyle& style) {
    const double length = textLength(text, style);
    return {x - length / 2, y, length, 0, std::move(text)};
}

// A horizontal text ending at x.
HostText endingAt(double x, double y, std::u16string text, const TextStyle& style) {
    const double length = textLength(text, style);
    return {x - length, y, length, 0, std::move(text)};
}

}  // namespace

std::vector<PileNumber> pileNumbers(const Plan& plan, int32_t step) {
    std::vector<PileNumber> out;
    const auto& pieces = plan.layout.pieces;
    const int32_t walls = plan.wall ? static_cast<int32_t>(plan.drawn.size()) : 1;
    if (step < 1) step = 1;
    size_t first = 0;
    while (first < pieces.size()) {
        const int32_t wall = wallOf(plan, pieces[first]);
        size_t end = first;
        while (end < pieces.size() && wallOf(plan, pieces[end]) == wall) ++end;
        const size_t count = end - first;
        for (size_t k = 1; k <= count; ++k) {
            if (k != 1 && k != count && k % static_cast<size_t>(step) != 0) continue;
            const std::u16string text = walls > 1 ? wallLetter(wall) + u"-" : std::u16string(u"No.");
            out.push_back({first + k - 1, text + asciiToU16(std::to_string(k))});
        }
        first = end;
    }
    return out;
}

PiecePlace piecePlace(const Plan& plan, const WallPiece& p) {
    if (plan.wall) {
        const Rotation along = p.along();
        return {p.x, p.y, along.c, along.s, p.width};
    }
    // The two-point run: laid along +x from the origin, turned, moved onto hp1.
    const Rotation along(plan.angle);
    return {plan.hp1.x + along.c * p.x, plan.hp1.y + along.s * p.x, along.c, along.s, p.width};
}

void addPileNumbers(Annotations& out, const Plan& plan, const std::vector<PileNumber>& numbers, double offset,
                    const TextStyle& style) {
    const double h = style.height;
    for (const PileNumber& n : numbers) {
        const WallPiece& piece = plan.layout.pieces[n.piece];
        const PiecePlace at = piecePlace(plan, piece);
        const double mx = at.x + at.ux * at.width / 2, my = at.y + at.uy * at.width / 2;
        const bool right = outsideIsRight(plan, wallOf(plan, piece));
        const double nx = right ? at.uy : -at.uy, ny = right ? -at.ux : at.ux;
        // Readable: the baseline runs rightwards (or straight up); nearer
        // the wall when the text reads away from it.
        const bool flip = at.ux < 0 || (at.ux == 0 && at.uy < 0);
        const double bx = flip ? -at.ux : at.ux, by = flip ? -at.uy : at.uy;
        const double away = -by * nx + bx * ny > 0 ? offset : offset + h;
        const double tl = textLength(n.text, style);
        out.texts.push_back({mx + nx * away - bx * tl / 2, my + ny * away - by * tl / 2, bx * tl, by * tl, n.text});
    }
}

std::optional<double> parseLevel(std::u16string_view typed) {
    std::string ascii;
    for (char16_t c : typed) {
        if (c == u' ' || c == u'\t' || c == u'\u3000') continue;
        if (c >= u'０' && c <= u'９') c = static_cast<char16_t>(u'0' + (c - u'０'));
        if (c == u'．') c = u'.';
        if (c == u'＋') c = u'+';
        if (c == u'－' || c == u'−') c = u'-';
        if (!((c >= u'0' && c <= u'9') || c == u'.' || ((c == u'+' || c == u'-') && ascii.empty()))) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    const bool negative = !ascii.empty() && ascii[0] == '-';
    const size_t from = !ascii.empty() && (ascii[0] == '+' || ascii[0] == '-') ? 1 : 0;
    double v = 0;
    const char *b = ascii.data() + from, *e = ascii.data() + ascii.size();
    if (b == e || std::count(b, e, '.') > 1 || std::none_of(b, e, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto [end, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || end != e || !(v <= kLongestPile * 10)) return std::nullopt;
    return negative ? -v : v;
}

std::u16string levelText(double metres) {
    const long long hundredths = std::llround(metres * 100);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld.%02lld", std::llabs(hundredths) / 100, std::llabs(hundredths) % 100);
    // The minus sign of code page 932 (0x817C), which the host reads back.
    return (hundredths < 0 ? u"\uFF0D" : u"+") + asciiToU16(buf);
}

void addElevation(Annotations& out, const Plan& plan, double plateReach, const std::vector<PileNumber>& numbers,
                  double pileMetres, double headMetres, double left, double top, const TextStyle& style) {
    const auto& pieces = plan.layout.pieces;
    const double h = style.height, depth = pileMetres * 1000;
    const int32_t walls = plan.wall ? static_cast<int32_t>(plan.drawn.size()) : 1;
    const std::u16string head = u"天端" + (kWordGap + levelText(headMetres));
    const std::u16string toe = u"先端" + (kWordGap + levelText(headMetres - pileMetres));
    // The pieces as the elevation unrolls them: a corner pile takes its
    // plate's reach too, so one joint follows the next.
    auto developed = [&](const WallPiece& p) { return p.width + (p.kind == PieceKind::Corner ? plateReach : 0); };
    std::vector<const std::u16string*> numberOf(pieces.size(), nullptr);
    for (const PileNumber& n : numbers) numberOf[n.piece] = &n.text;
    double y = top - 2 * h;  // two text heights clear of what is above
    size_t first = 0;
    while (first < pieces.size()) {
        const int32_t wall = wallOf(plan, pieces[first]);
        size_t end = first;
        double total = 0;
        while (end < pieces.size() && wallOf(plan, pieces[end]) == wall) total += developed(pieces[end++]);
        const double most = total > kLongestElevationRow ? kElevationRow : total;
        for (size_t rowStart = first; rowStart < end;) {
            // A row: whole pieces up to its length.
            size_t rowEnd = rowStart;
            double length = 0;
            while (rowEnd < end && (rowEnd == rowStart || length + developed(pieces[rowEnd]) <= most + 1e-6))
                length += developed(pieces[rowEnd++]);
            const double headY = y - 1.5 * h, toeY = headY - depth;
            if (rowStart == first) {
                std::u16string title = u"展開図";
                if (walls > 1) title += kWordGap + wallLetter(wall);
                const double tl = textLength(title, style);
                out.texts.push_back({left, headY + h / 2, tl, 0, std::move(title)});
            }
            out.lines.push_back({left, headY, left + length, headY});
            out.lines.push_back({left, toeY, left + length, toeY});
            out.texts.push_back(endingAt(left - h, headY - h / 2, head, style));
            out.texts.push_back(endingAt(left - h, toeY - h / 2, toe, style));
            double x = left;
            size_t legFirst = rowStart;
            auto legCount = [&](size_t from, size_t to, double x1, double x2) {
                out.texts.push_back(centred((x1 + x2) / 2, toeY - 3.7 * h,
                                            asciiToU16(std::to_string(to - from)) + u"枚", style));
            };
            double legX = x;
            for (size_t i = rowStart; i < rowEnd; ++i) {
                const WallPiece& p = pieces[i];
                if (i > rowStart && p.leg != pieces[i - 1].leg) {
                    legCount(legFirst, i, legX, x);
                    legFirst = i, legX = x;
                }
                if (i == rowStart || p.leg != pieces[i - 1].leg) out.lines.push_back({x, toeY, x, toeY - h});
                out.lines.push_back({x, headY, x, toeY});
                const double w = developed(p);
                if (p.kind != PieceKind::Pile)
                    out.texts.push_back(centred(x + w / 2, (headY + toeY) / 2 - h / 2,
                                                p.kind == PieceKind::Corner ? u"C" : u"調", style));
                if (numberOf[i]) out.texts.push_back(centred(x + p.width / 2, toeY - 2.2 * h, *numberOf[i], style));
                x += w;
            }
            legCount(legFirst, rowEnd, legX, x);
            out.lines.push_back({x, headY, x, toeY});
            out.lines.push_back({x, toeY, x, toeY - h});
            y = toeY - 3.7 * h - 2 * h;
            rowStart = rowEnd;
        }
        first = end;
    }
}

std::u16string summaryText(const Plan& plan, const QuantityTable& table, const PileLength& length) {
    const WallLayout& w = plan.layout;
    std::u16string text = gradeOf(pileSections()[plan.section]) + u" " + asciiToU16(std::to_string(w.pieces.size())) + u"枚";
    text += specialPieces(w);
    text += u" 延長 " + metresFromMm(std::llround(w.length)) + u" m";
    if (w.walls > 1) text += u"（" + asciiToU16(std::to_string(w.walls)) + u" 壁）";
    // Tonnes to three decimals: the kilograms rounded, as metres from mm.
    if (length.state == LengthState::Valid) text += u" 質量 " + metresFromMm(std::llround(table.mass)) + u" t";
    return text;
}

}  // namespace ravo
