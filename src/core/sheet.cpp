#include "sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "pile_sections.h"
#include "text.h"

namespace ravo {

namespace {

// Which wall a piece belongs to.
int32_t wallOf(const Plan& plan, const WallPiece& p) {
    const auto leg = static_cast<size_t>(p.leg);
    return leg < plan.layout.legs.size() ? plan.layout.legs[leg].wall : 0;
}

// Whether a wall's outside is its right.
bool outsideIsRight(const Plan& plan, int32_t wall) {
    if (wall < 0 || static_cast<size_t>(wall) >= plan.drawn.size()) return false;
    const WallPath& p = plan.drawn[static_cast<size_t>(wall)];
    return ravo::outsideIsRight(p.closed, p.closed && counterClockwise(p));
}

// A horizontal text's box, its baseline from (x, y).
TextBox level(double x, double y, double length, const TextStyle& style) {
    return {x, y, 1, 0, length, 0, 1, style.height};
}

// How many times a text moves on before it is left out: on a sheet of
// sensible sizes one or two suffice.
constexpr int kTiers = 8;

}  // namespace

std::vector<PileNumber> pileNumbers(const Plan& plan, int32_t step) {
    std::vector<PileNumber> out;
    const auto& pieces = plan.layout.pieces;
    const int32_t walls = static_cast<int32_t>(plan.drawn.size());
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

NumberPlace numberPlace(const Plan& plan, const WallPiece& piece, WallPoint origin) {
    PiecePlace at = piecePlace(plan, piece);
    at.x -= origin.x, at.y -= origin.y;
    const bool right = outsideIsRight(plan, wallOf(plan, piece));
    return {at.x + at.ux * at.width / 2, at.y + at.uy * at.width / 2, right ? at.uy : -at.uy, right ? -at.ux : at.ux};
}

void addSteel(SheetRoom& room, const Plan& plan, double depth, double plateReach) {
    for (const WallPiece& p : plan.layout.pieces) {
        const PiecePlace at = piecePlace(plan, p);
        room.steel.add(centredBox(at.x + at.ux * at.width / 2, at.y + at.uy * at.width / 2, at.ux, at.uy, at.width,
                                  2 * depth));
        if (p.kind != PieceKind::Corner) continue;
        // The plate: from the pile's end interlock along the next leg.
        const Rotation turn(p.turn);
        const double px = turn.c * at.ux - turn.s * at.uy, py = turn.s * at.ux + turn.c * at.uy;
        const double ex = at.x + at.ux * at.width, ey = at.y + at.uy * at.width;
        room.steel.add(centredBox(ex + px * plateReach / 2, ey + py * plateReach / 2, px, py, plateReach, 2 * depth));
    }
}

int32_t addPileNumbers(Annotations& out, SheetRoom& room, const Plan& plan, const std::vector<PileNumber>& numbers,
                       double offset, const TextStyle& style) {
    const double h = style.height;
    double longest = 0;
    for (const PileNumber& n : numbers) longest = std::max(longest, textLength(n.text, style));
    int32_t leftOut = 0;
    for (const PileNumber& n : numbers) {
        const WallPiece& piece = plan.layout.pieces[n.piece];
        const PiecePlace at = piecePlace(plan, piece);
        const NumberPlace place = numberPlace(plan, piece);
        const double mx = place.x, my = place.y, nx = place.nx, ny = place.ny;
        const double tl = textLength(n.text, style);
        // A box `from` outside the axis and `deep` across the wall, `wide`
        // along it: set there if it fits and nothing of the wall lies
        // between. Whether the way was clear, and whether it was set.
        auto tryAt = [&](double from, double deep, double wide, double bx, double by, bool& set) {
            const TextBox way = centredBox(mx + nx * (offset + from + deep) / 2, my + ny * (offset + from + deep) / 2,
                                           nx, ny, from + deep - offset, wide);
            if (from > offset && !room.clearOfSteel(way)) return false;
            const TextBox box = centredBox(mx + nx * (from + deep / 2), my + ny * (from + deep / 2), bx, by, tl, h);
            if (room.fits(box)) room.set(out, box, n.text), set = true;
            return true;
        };
        bool set = false;
        // Across, reading outward (inward where that would be upside down),
        // further out by the longest number at a time.
        const auto [ax, ay] = uprightBaseline(nx, ny);
        for (int k = 0; k <= kTiers && !set && tryAt(offset + k * (longest + h / 2), tl, h, ax, ay, set);) ++k;
        // Along the pile, as a label lies, where there is no room across.
        const auto [lx, ly] = uprightBaseline(at.ux, at.uy);
        for (int k = 0; k <= kTiers && !set && tryAt(offset + k * 1.5 * h, h, tl, lx, ly, set);) ++k;
        if (!set) ++leftOut;
    }
    return leftOut;
}

std::optional<double> parseLevel(std::u16string_view typed) {
    std::string ascii;
    for (char16_t typedChar : typed) {
        if (isTypedBlank(typedChar)) continue;
        const char16_t c = typedAscii(typedChar);
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

std::vector<size_t> elevationRowEnds(const std::vector<double>& widths) {
    if (widths.empty()) return {};
    std::vector<double> upTo(widths.size() + 1, 0);  // the developed length before each piece
    for (size_t i = 0; i < widths.size(); ++i) upTo[i + 1] = upTo[i] + widths[i];
    const size_t n = widths.size();
    const double total = upTo.back(), tolerance = 1e-6;
    size_t rows = total > kLongestElevationRow ? static_cast<size_t>(std::ceil(total / kLongestElevationRow)) : 1;
    for (rows = std::min(rows, n);; ++rows) {
        // Each cut at the joint nearest its share of the length, every row
        // at least one piece.
        std::vector<size_t> ends;
        bool fits = true;
        size_t prev = 0;
        for (size_t k = 1; k <= rows; ++k) {
            size_t end = n;
            if (k < rows) {
                const double target = total * static_cast<double>(k) / static_cast<double>(rows);
                end = static_cast<size_t>(std::lower_bound(upTo.begin(), upTo.end(), target) - upTo.begin());
                if (end > 0 && target - upTo[end - 1] < upTo[end] - target) --end;
                end = std::clamp(end, prev + 1, n - (rows - k));
            }
            fits = fits && upTo[end] - upTo[prev] <= kLongestElevationRow + tolerance;
            ends.push_back(end);
            prev = end;
        }
        if (fits || rows >= n) return ends;
    }
}

bool marksCorner(const WallPiece& p) { return p.kind == PieceKind::Corner || p.outline != PieceOutline::Normal; }

int32_t addElevation(Annotations& out, const Plan& plan, double plateReach, const std::vector<PileNumber>& numbers,
                     double pileMetres, double headMetres, double left, double top, const TextStyle& style) {
    const auto& pieces = plan.layout.pieces;
    const auto& legs = plan.layout.legs;
    const double h = style.height, depth = pileMetres * 1000;
    const int32_t walls = static_cast<int32_t>(plan.drawn.size());
    const std::u16string head = u"天端" + (kWordGap + levelText(headMetres));
    const std::u16string toe = u"先端" + (kWordGap + levelText(headMetres - pileMetres));
    // The pieces as the elevation unrolls them: a corner pile takes its
    // plate's reach too, so one joint follows the next.
    auto developed = [&](const WallPiece& p) { return p.width + (p.kind == PieceKind::Corner ? plateReach : 0); };
    std::vector<const std::u16string*> numberOf(pieces.size(), nullptr);
    double longest = 0;
    for (const PileNumber& n : numbers) numberOf[n.piece] = &n.text, longest = std::max(longest, textLength(n.text, style));
    SheetRoom room(h);
    int32_t leftOut = 0;
    double y = top - 2 * h;  // two text heights clear of what is above
    size_t first = 0;
    while (first < pieces.size()) {
        const int32_t wall = wallOf(plan, pieces[first]);
        size_t end = first;
        std::vector<double> widths;
        std::map<int32_t, int32_t> legPieces;  // as counted here, for a leg the layout does not list
        for (; end < pieces.size() && wallOf(plan, pieces[end]) == wall; ++end)
            widths.push_back(developed(pieces[end])), ++legPieces[pieces[end].leg];
        const std::vector<size_t> rowEnds = elevationRowEnds(widths);
        // A leg's count stands once, under its largest part in any row: the
        // part's first piece.
        std::map<int32_t, std::pair<double, size_t>> largest;
        for (size_t r = 0, rowStart = 0; r < rowEnds.size(); rowStart = rowEnds[r++])
            for (size_t i = rowStart, j; i < rowEnds[r]; i = j) {
                double part = 0;
                for (j = i; j < rowEnds[r] && pieces[first + j].leg == pieces[first + i].leg;) part += widths[j++];
                auto [at, fresh] = largest.try_emplace(pieces[first + i].leg, part, first + i);
                if (!fresh && part > at->second.first) at->second = {part, first + i};
            }
        size_t rowStart = first;
        for (const size_t rowEndInWall : rowEnds) {
            const size_t rowEnd = first + rowEndInWall;
            double length = 0;
            for (size_t i = rowStart; i < rowEnd; ++i) length += widths[i - first];
            const double headY = y - 1.5 * h, toeY = headY - depth;
            if (rowStart == first) {
                std::u16string title = u"展開図";
                if (walls > 1) title += kWordGap + wallLetter(wall);
                const TextBox box = level(left, headY + h / 2, textLength(title, style), style);
                room.set(out, box, std::move(title));
            }
            out.lines.push_back({left, headY, left + length, headY});
            out.lines.push_back({left, toeY, left + length, toeY});
            const double headLength = textLength(head, style), toeLength = textLength(toe, style);
            room.set(out, level(left - h - headLength, headY - h / 2, headLength, style), head);
            room.set(out, level(left - h - toeLength, toeY - h / 2, toeLength, style), toe);
            // The support levels across the row, where the wall holds them,
            // each named at the left as the head and toe are.
            const auto& held = plan.supports.walls;
            if (std::find(held.begin(), held.end(), wall) != held.end())
                for (size_t k = 0; k < plan.supports.levels.size(); ++k) {
                    const double ly = headY - plan.supports.levels[k] * 1000;
                    if (!(ly > toeY)) continue;
                    out.lines.push_back({left, ly, left + length, ly});
                    std::u16string name = (k == 0 ? u"腹起し " : u"") + asciiToU16(std::to_string(k + 1)) + u"段目";
                    const double nl = textLength(name, style);
                    const TextBox box = level(left - h - nl, ly - h / 2, nl, style);
                    if (room.fits(box)) room.set(out, box, std::move(name));
                    else ++leftOut;
                }
            // How far down the row's texts under the toe line reach.
            double lowest = toeY - h;  // the legs' ticks
            struct Part {
                size_t first;
                double x1, x2;
            };
            std::vector<Part> parts;
            double x = left;
            for (size_t i = rowStart; i < rowEnd; ++i) {
                const WallPiece& p = pieces[i];
                if (i == rowStart || p.leg != pieces[i - 1].leg) {
                    if (!parts.empty()) parts.back().x2 = x;
                    parts.push_back({i, x, x});
                    out.lines.push_back({x, toeY, x, toeY - h});
                }
                out.lines.push_back({x, headY, x, toeY});
                const double w = developed(p);
                if (p.kind != PieceKind::Pile || p.outline != PieceOutline::Normal) {
                    // Mid-height, or a text height and a half up or down
                    // from there where the mark beside it is in the way
                    // (a narrow piece by a corner), then above the head line.
                    std::u16string mark = marksCorner(p) ? u"C" : u"調";
                    const double ml = textLength(mark, style), mid = (headY + toeY) / 2;
                    std::vector<double> centres;
                    for (int k = 0; k <= 2 * kTiers; ++k) {
                        const double c = mid + 1.5 * h * ((k + 1) / 2) * (k % 2 ? -1 : 1);
                        if (c - h / 2 > toeY && c + h / 2 < headY) centres.push_back(c);
                    }
                    centres.insert(centres.end(), {headY + h, headY + 2.5 * h});
                    const auto free = std::find_if(centres.begin(), centres.end(), [&](double c) {
                        return room.fits(centredBox(x + w / 2, c, 1, 0, ml, h));
                    });
                    if (free == centres.end()) ++leftOut;
                    else room.set(out, centredBox(x + w / 2, *free, 1, 0, ml, h), std::move(mark));
                }
                if (numberOf[i]) {
                    // Standing, reading upwards: a text height of the row each.
                    const double nl = textLength(*numberOf[i], style);
                    bool set = false;
                    for (int k = 0; k <= kTiers && !set; ++k) {
                        const double from = toeY - 1.2 * h - k * (longest + h / 2);
                        const TextBox box = centredBox(x + p.width / 2, from - nl / 2, 0, 1, nl, h);
                        if (!room.fits(box)) continue;
                        room.set(out, box, *numberOf[i]);
                        lowest = std::min(lowest, from - nl);
                        set = true;
                    }
                    if (!set) ++leftOut;
                }
                x += w;
            }
            parts.back().x2 = x;
            out.lines.push_back({x, headY, x, toeY});
            out.lines.push_back({x, toeY, x, toeY - h});
            // The legs' counts below the numbers, as their labels give them.
            const double countLine = std::min(toeY - 3.7 * h, lowest - 1.5 * h);
            double bottom = countLine;
            for (const Part& part : parts) {
                const int32_t leg = pieces[part.first].leg;
                if (largest.at(leg).second != part.first) continue;
                const bool listed = leg >= 0 && static_cast<size_t>(leg) < legs.size();
                std::u16string count = asciiToU16(std::to_string(listed ? legs[static_cast<size_t>(leg)].pieces
                                                                        : legPieces.at(leg))) + u"枚";
                const double cl = textLength(count, style);
                bool set = false;
                for (int k = 0; k <= kTiers && !set; ++k) {
                    const double baseline = countLine - k * 1.5 * h;
                    const TextBox box = level((part.x1 + part.x2) / 2 - cl / 2, baseline, cl, style);
                    if (!room.fits(box)) continue;
                    room.set(out, box, std::move(count));
                    bottom = std::min(bottom, baseline);
                    set = true;
                }
                if (!set) ++leftOut;
            }
            y = bottom - 2 * h;
            rowStart = rowEnd;
        }
        first = end;
    }
    return leftOut;
}

std::u16string summaryText(const Plan& plan, const QuantityTable& table, const PileLength& length) {
    const WallLayout& w = plan.layout;
    std::u16string text = gradeOf(pileSections()[plan.section]) + u" " + asciiToU16(std::to_string(w.pieces.size())) + u"枚";
    text += specialPieces(w);
    text += u" " + wallLengthText(std::llround(w.length));
    if (w.walls > 1) text += u"（" + asciiToU16(std::to_string(w.walls)) + u" 壁）";
    // Tonnes to three decimals: the kilograms rounded, as metres from mm.
    if (length.state == LengthState::Valid) text += u" 質量 " + metresFromMm(std::llround(table.mass)) + u" t";
    if (!table.supports.empty() && table.supportsWeighed)
        text += u" 支保工 " + metresFromMm(std::llround(table.supportsMass)) + u" t";
    return text;
}

}  // namespace ravo
