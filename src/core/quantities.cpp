#include "quantities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "number_text.h"
#include "text.h"

namespace ravo {

namespace {

// Blanks around a typed number, the ideographic space included.
bool isTypedBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

// Half-width: ASCII and the half-width katakana.
bool isHalfWidth(char16_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F); }

std::u16string withGroups(long long whole) {
    std::string digits = std::to_string(whole < 0 ? -whole : whole);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return asciiToU16((whole < 0 ? "-" : "") + out);
}

std::u16string gradeOf(const PileSection& s) { return u"SP-" + std::u16string(s.name); }

// Between the words of a text written back: the ideographic space. The host
// shows it as a space; a reader that splits "ch" records at blanks (this
// tool's own among them) keeps the text whole.
constexpr const char16_t* kWordGap = u"\u3000";

}  // namespace

PileLength parsePileLength(std::u16string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && isTypedBlank(text[b])) ++b;
    while (e > b && isTypedBlank(text[e - 1])) --e;
    if (b == e) return {};
    std::string ascii;
    int points = 0, digits = 0;
    for (size_t i = b; i < e; ++i) {
        char16_t c = text[i];
        if (c >= u'０' && c <= u'９') c = static_cast<char16_t>(u'0' + (c - u'０'));
        if (c == u'．') c = u'.';
        if (c >= u'0' && c <= u'9') ++digits;
        else if (c == u'.') ++points;
        else return {LengthState::Invalid, 0};
        ascii += static_cast<char>(c);
    }
    if (digits == 0 || points > 1) return {LengthState::Invalid, 0};
    double v = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !(v > 0) || v > kLongestPile)
        return {LengthState::Invalid, 0};
    return {LengthState::Valid, v};
}

std::u16string metresText(double metres) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", metres);
    std::string s = buf;
    while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
    return asciiToU16(s);
}

std::u16string massText(double kg) {
    const long long tenths = std::llround(kg * 10);
    const long long whole = tenths / 10, tenth = std::llabs(tenths % 10);
    return withGroups(whole) + u"." + asciiToU16(std::to_string(tenth));
}

QuantityTable quantitiesFor(const std::vector<WallPiece>& pieces, const PileSection& section, double lengthM) {
    QuantityTable t;
    t.rows.push_back({u"鋼矢板", gradeOf(section), 0, section.massKgPerM, 0});
    const double perPile = section.massKgPerM * lengthM;
    auto rowFor = [&](const std::u16string& name, const std::u16string& grade) -> QuantityRow& {
        for (QuantityRow& r : t.rows)
            if (r.name == name && r.grade == grade) return r;
        t.rows.push_back({name, grade, 0, section.massKgPerM, 0});
        return t.rows.back();
    };
    for (const WallPiece& p : pieces) {
        QuantityRow* row = &t.rows.front();
        double share = 1;
        if (p.kind == PieceKind::Corner) {
            row = &rowFor(cornerName(p.turn), gradeOf(section));
        } else if (p.kind == PieceKind::Closing) {
            row = &rowFor(u"調整矢板", gradeOf(section) + kWordGap + u"W=" + asciiToU16(std::to_string(std::llround(p.width))));
            share = p.width / section.widthMm;  // a cut pile weighs its share
        }
        ++row->count;
        row->mass += perPile * share;
    }
    for (const QuantityRow& r : t.rows) {
        t.count += r.count;
        t.mass += r.mass;
    }
    return t;
}

std::vector<WallPiece> straightRunPieces(int32_t count, bool startCorner, bool endCorner) {
    std::vector<WallPiece> pieces(static_cast<size_t>(std::max(count, 0)));
    if (!pieces.empty() && startCorner) pieces.front().kind = PieceKind::Corner, pieces.front().turn = 90;
    if (!pieces.empty() && endCorner) pieces.back().kind = PieceKind::Corner, pieces.back().turn = 90;
    return pieces;
}

std::u16string massLine(const QuantityTable& table, const PileLength& length) {
    switch (length.state) {
    case LengthState::Empty: return u"質量: 矢板長 L（m）を入れると計算します";
    case LengthState::Invalid: return u"質量は計算できません: L は 0 より大きく 100 m 以下の数で入れてください";
    case LengthState::Valid: break;
    }
    if (table.count == 0) return u"質量 0.0 kg";
    return u"質量 " + massText(table.mass) + u" kg（L=" + metresText(length.metres) + u" m、コーナー板を除く）";
}

TextStyle currentTextStyle(const GaibuHeader& h) {
    TextStyle s;
    s.type = h.nTextType;
    const int32_t group = h.nWriteLG;
    double scale = group >= 0 && group < 16 ? h.hs[group] : 0;
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    double w = 0, ht = 0, d = 0;
    if (s.type >= 1 && s.type <= 10) {
        w = h.hcw[s.type], ht = h.hch[s.type], d = h.hcd[s.type];
    } else if (s.type == 0) {
        w = h.dMojiW, ht = h.dMojiH, d = h.dMojiD;
        s.freeWidth = w, s.freeHeight = ht, s.freeSpacing = d, s.freeColour = h.nMojiColour;
    } else {
        w = h.hcw[1], ht = h.hch[1], d = h.hcd[1];  // no type named: the host's first
    }
    // A header without sizes: the common 3.5 mm text.
    if (!(ht > 0) || !std::isfinite(ht)) ht = 3.5;
    if (!(w > 0) || !std::isfinite(w)) w = ht;
    if (!(d >= 0) || !std::isfinite(d)) d = 0;
    s.width = w * scale, s.height = ht * scale, s.spacing = d * scale;
    return s;
}

double textLength(std::u16string_view text, const TextStyle& style) {
    double n = 0;
    for (char16_t c : text) n += isHalfWidth(c) ? 0.5 : 1.0;
    if (n <= 0) return 0;
    return style.width * n + style.spacing * std::max(0.0, n - 1);
}

void addLegLabels(Annotations& out, const std::vector<WallLeg>& legs, bool closed, bool counterClockwise,
                  double offset, const PileSection& section, const PileLength& length, const TextStyle& style) {
    const double h = style.height;
    for (const WallLeg& leg : legs) {
        const double ax = leg.x2 - leg.x1, ay = leg.y2 - leg.y1, len = std::hypot(ax, ay);
        if (!(len > 0)) continue;
        const double dx = ax / len, dy = ay / len;
        // Outside: right of a counter-clockwise loop, left of anything else.
        const bool right = closed && counterClockwise;
        const double nx = right ? dy : -dy, ny = right ? -dx : dx;
        // Readable: the baseline runs rightwards (or straight up).
        const bool flip = dx < 0 || (dx == 0 && dy < 0);
        const double bx = flip ? -dx : dx, by = flip ? -dy : dy;
        const double ux = -by, uy = bx;  // the text's up
        std::u16string text = gradeOf(section);
        if (length.state == LengthState::Valid) text += kWordGap + (u"L=" + metresText(length.metres) + u"m");
        text += kWordGap + asciiToU16(std::to_string(leg.pieces)) + u"枚";
        const double tl = textLength(text, style);
        // The text lies outside: its baseline nearer the wall when it reads
        // away from it, a text height further out when it reads towards it.
        const double away = ux * nx + uy * ny > 0 ? offset : offset + h;
        const double mx = (leg.x1 + leg.x2) / 2 + nx * away, my = (leg.y1 + leg.y2) / 2 + ny * away;
        out.texts.push_back({mx - bx * tl / 2, my - by * tl / 2, bx * tl, by * tl, text});
    }
}

void addQuantityTable(Annotations& out, const QuantityTable& table, const PileSection& section,
                      const PileLength& length, double right, double top, const TextStyle& style) {
    const bool weighed = length.state == LengthState::Valid;
    std::vector<std::vector<std::u16string>> cells;
    cells.push_back({u"部材名", u"規格", u"長さ(m)", u"数量(枚)", u"単位質量(kg/m)", u"質量(kg)"});
    const std::u16string metres = weighed ? metresText(length.metres) : u"-";
    // The unit mass as the section table gives it (one decimal), not grouped.
    char unit[32];
    std::snprintf(unit, sizeof unit, "%.1f", section.massKgPerM);
    for (const QuantityRow& r : table.rows)
        cells.push_back({r.name, r.grade, metres, asciiToU16(std::to_string(r.count)), asciiToU16(unit),
                         weighed ? massText(r.mass) : u"-"});
    cells.push_back({u"計", u"", u"", asciiToU16(std::to_string(table.count)), u"", weighed ? massText(table.mass) : u"-"});
    const double h = style.height, pad = style.width / 2, rowHeight = 2 * h;
    const size_t columns = cells.front().size();
    std::vector<double> widths(columns, 0);
    for (const auto& row : cells)
        for (size_t c = 0; c < columns; ++c) widths[c] = std::max(widths[c], textLength(row[c], style) + 2 * pad);
    const double x0 = right + 2 * h;
    double total = 0;
    for (double w : widths) total += w;
    const double bottom = top - rowHeight * static_cast<double>(cells.size());
    for (size_t r = 0; r <= cells.size(); ++r) {
        const double y = top - rowHeight * static_cast<double>(r);
        out.lines.push_back({x0, y, x0 + total, y});
    }
    double x = x0;
    for (size_t c = 0; c <= columns; ++c) {
        out.lines.push_back({x, top, x, bottom});
        if (c < columns) x += widths[c];
    }
    for (size_t r = 0; r < cells.size(); ++r) {
        const double baseline = top - rowHeight * static_cast<double>(r + 1) + h / 2;
        double left = x0;
        for (size_t c = 0; c < columns; ++c) {
            const std::u16string& text = cells[r][c];
            if (!text.empty()) {
                const double tl = textLength(text, style);
                // Names read from the left, figures line up on the right.
                const bool figure = r > 0 && c >= 2;
                const double tx = figure ? left + widths[c] - pad - tl : left + pad;
                out.texts.push_back({tx, baseline, tl, 0, text});
            }
            left += widths[c];
        }
    }
}

std::string formatAnnotations(const Annotations& a, const TextStyle& style, const NumberFormat& fmt,
                              const AnsiCodec& codec) {
    std::u16string text;
    auto number = [&](double v) { text += formatGeneral(v, fmt); };
    for (const WallSegment& l : a.lines) {
        number(l.x1), text += u' ', number(l.y1), text += u' ', number(l.x2), text += u' ', number(l.y2);
        text += u"\r\n";
    }
    if (!a.texts.empty()) {
        // The user's own text type, so writing it changes nothing.
        if (style.type >= 1) {
            text += u"cn" + asciiToU16(std::to_string(style.type)) + u"\r\n";
        } else if (style.type == 0) {
            text += u"cn0 ";
            number(style.freeWidth), text += u' ', number(style.freeHeight), text += u' ', number(style.freeSpacing);
            text += u" " + asciiToU16(std::to_string(style.freeColour)) + u"\r\n";
        }
        for (const HostText& t : a.texts) {
            text += u"ch ";
            number(t.x), text += u' ', number(t.y), text += u' ', number(t.dx), text += u' ', number(t.dy);
            // The text runs to the line's end: no closing quote, and no line
            // end inside it.
            text += u" \"";
            for (char16_t c : t.text) text += (c == u'\r' || c == u'\n') ? u' ' : c;
            text += u"\r\n";
        }
    }
    return codec.encode(text);
}

}  // namespace ravo
