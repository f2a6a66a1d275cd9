#include "annotations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "functions.h"
#include "gaibu_reader.h"
#include "number_text.h"
#include "result_writer.h"
#include "text.h"

namespace ravo {

namespace {

// Half-width: ASCII and the half-width katakana.
bool isHalfWidth(char16_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F); }

}  // namespace

bool TextStyle::fits() const {
    for (double v : {width, height, spacing})
        if (!std::isfinite(v) || v > kLargestText) return false;
    return true;
}

TextStyle currentTextStyle(const GaibuHeader& h) {
    TextStyle s;
    s.type = h.nTextType;
    const int32_t group = h.nWriteLG;
    double scale = group >= 0 && group < kLayerGroups ? h.hs[group] : 0;
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    double w = 0, ht = 0, d = 0;
    if (s.type >= 1 && s.type <= kTextTypes) {
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
    // Each character its width and the spacing after it, but the last; a
    // half-width character half of both.
    double n = 0;
    for (char16_t c : text) n += isHalfWidth(c) ? 0.5 : 1.0;
    if (n <= 0) return 0;
    const double last = isHalfWidth(text.back()) ? 0.5 : 1.0;
    return style.width * n + style.spacing * (n - last);
}

bool readsUpright(double bx, double by) {
    // A leg drawn straight up comes out of the sines a hair either side of
    // vertical: within this it counts as vertical, and reads upwards.
    constexpr double kVertical = 1e-9;
    return bx > kVertical || (bx >= -kVertical && by > 0);
}

TextBox centredBox(double cx, double cy, double bx, double by, double length, double height) {
    const double ux = -by, uy = bx;
    return {cx - bx * length / 2 - ux * height / 2, cy - by * length / 2 - uy * height / 2, bx, by, length, ux, uy,
            height};
}

bool overlap(const TextBox& a, const TextBox& b) {
    // Separating axes: each box's baseline and up.
    auto corners = [](const TextBox& l) {
        return std::array<std::pair<double, double>, 4>{
            std::pair{l.x, l.y}, {l.x + l.bx * l.length, l.y + l.by * l.length},
            {l.x + l.ux * l.height, l.y + l.uy * l.height},
            {l.x + l.bx * l.length + l.ux * l.height, l.y + l.by * l.length + l.uy * l.height}};
    };
    const auto ca = corners(a), cb = corners(b);
    for (const TextBox* box : {&a, &b})
        for (auto [ax, ay] : {std::pair{box->bx, box->by}, std::pair{box->ux, box->uy}}) {
            double loA = INFINITY, hiA = -INFINITY, loB = INFINITY, hiB = -INFINITY;
            for (auto [x, y] : ca) loA = std::min(loA, x * ax + y * ay), hiA = std::max(hiA, x * ax + y * ay);
            for (auto [x, y] : cb) loB = std::min(loB, x * ax + y * ay), hiB = std::max(hiB, x * ax + y * ay);
            if (hiA <= loB || hiB <= loA) return false;
        }
    return true;
}

HostText textIn(const TextBox& b, std::u16string text) {
    return {b.x, b.y, b.bx * b.length, b.by * b.length, std::move(text)};
}

BoxSet::BoxSet(double cell) : cell_(cell > 0 && std::isfinite(cell) ? cell : 1) {}

bool BoxSet::cells(const TextBox& b, int64_t& x0, int64_t& y0, int64_t& x1, int64_t& y1) const {
    // A box spanning more squares than this is checked against every box
    // instead; so is one beyond the grid's reach.
    constexpr double kMostCells = 4096, kFarthestCell = 1e9;
    double lx = INFINITY, ly = INFINITY, hx = -INFINITY, hy = -INFINITY;
    for (double s : {0.0, 1.0})
        for (double t : {0.0, 1.0}) {
            const double x = b.x + b.bx * b.length * s + b.ux * b.height * t;
            const double y = b.y + b.by * b.length * s + b.uy * b.height * t;
            lx = std::min(lx, x), hx = std::max(hx, x), ly = std::min(ly, y), hy = std::max(hy, y);
        }
    lx = std::floor(lx / cell_), ly = std::floor(ly / cell_), hx = std::floor(hx / cell_), hy = std::floor(hy / cell_);
    for (double v : {lx, ly, hx, hy})
        if (!(std::fabs(v) < kFarthestCell)) return false;
    if ((hx - lx + 1) * (hy - ly + 1) > kMostCells) return false;
    x0 = static_cast<int64_t>(lx), y0 = static_cast<int64_t>(ly), x1 = static_cast<int64_t>(hx), y1 = static_cast<int64_t>(hy);
    return true;
}

namespace {
uint64_t cellKey(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(x) << 32) ^ (static_cast<uint64_t>(y) & 0xFFFFFFFFu);
}
}  // namespace

void BoxSet::add(const TextBox& box) {
    const size_t index = boxes_.size();
    boxes_.push_back(box);
    int64_t x0, y0, x1, y1;
    if (!cells(box, x0, y0, x1, y1)) {
        everywhere_.push_back(index);
        return;
    }
    for (int64_t x = x0; x <= x1; ++x)
        for (int64_t y = y0; y <= y1; ++y) grid_[cellKey(x, y)].push_back(index);
}

bool BoxSet::overlaps(const TextBox& box) const {
    for (size_t i : everywhere_)
        if (overlap(box, boxes_[i])) return true;
    int64_t x0, y0, x1, y1;
    if (!cells(box, x0, y0, x1, y1))
        return std::any_of(boxes_.begin(), boxes_.end(), [&](const TextBox& b) { return overlap(box, b); });
    for (int64_t x = x0; x <= x1; ++x)
        for (int64_t y = y0; y <= y1; ++y) {
            const auto at = grid_.find(cellKey(x, y));
            if (at == grid_.end()) continue;
            for (size_t i : at->second)
                if (overlap(box, boxes_[i])) return true;
        }
    return false;
}

// Squares of a few text heights, and not smaller than a piece: a number or
// a pile in one or two of them, however small the text is drawn.
SheetRoom::SheetRoom(double textHeight, double pieceWidth)
    : gap(textHeight / 8), steel(std::max(4 * textHeight, pieceWidth)), texts(std::max(4 * textHeight, pieceWidth)) {}

bool SheetRoom::fits(const TextBox& b) const {
    const TextBox grown{b.x - (b.bx + b.ux) * gap, b.y - (b.by + b.uy) * gap, b.bx, b.by, b.length + 2 * gap,
                        b.ux, b.uy, b.height + 2 * gap};
    return !texts.overlaps(grown) && !steel.overlaps(grown);
}

void SheetRoom::set(Annotations& out, const TextBox& box, std::u16string text) {
    texts.add(box);
    out.texts.push_back(textIn(box, std::move(text)));
}

int32_t addLegLabels(Annotations& out, SheetRoom& room, const std::vector<WallLeg>& legs, bool closed,
                     bool counterClockwise, double offset, const PileSection& section, const PileLength& length,
                     const TextStyle& style) {
    const double h = style.height;
    // Outward a label's height and as much again at a time, this many times
    // at most; along its leg half a height at a time.
    constexpr int kTiers = 8;
    const double rise = 2 * h, step = h / 2;
    int32_t leftOut = 0;
    for (const WallLeg& leg : legs) {
        const double ax = leg.x2 - leg.x1, ay = leg.y2 - leg.y1, len = distance2D(leg.x1, leg.y1, leg.x2, leg.y2);
        if (!(len > 0)) continue;
        const double dx = ax / len, dy = ay / len;
        const bool right = outsideIsRight(closed, counterClockwise);
        const double nx = right ? dy : -dy, ny = right ? -dx : dx;
        const auto [bx, by] = uprightBaseline(dx, dy);
        const double ux = -by, uy = bx;  // the text's up
        std::u16string text = gradeOf(section);
        if (length.state == LengthState::Valid) text += kWordGap + (u"L=" + metresText(length.metres) + u"m");
        text += kWordGap + asciiToU16(std::to_string(leg.pieces)) + u"枚";
        const double tl = textLength(text, style);
        // The text lies outside: its baseline nearer the wall when it reads
        // away from it, a text height further out when it reads towards it.
        const double away = ux * nx + uy * ny > 0 ? offset : offset + h;
        const double mx = (leg.x1 + leg.x2) / 2 + nx * away, my = (leg.y1 + leg.y2) / 2 + ny * away;
        const TextBox middle{mx - bx * tl / 2, my - by * tl / 2, bx, by, tl, ux, uy, h};
        bool set = false;
        for (int tier = 0; tier <= kTiers && !set; ++tier) {
            const double outward = rise * tier;
            bool reachable = false;
            // Nearest the middle first, on from the leg's start before back.
            for (int k = 0; !set; ++k) {
                const double slide = step * ((k + 1) / 2) * (k % 2 ? 1 : -1);
                if (std::fabs(slide) > len / 2) break;
                TextBox at = middle;
                at.x += nx * outward + dx * slide, at.y += ny * outward + dy * slide;
                const double cx = at.x + bx * tl / 2 + ux * h / 2, cy = at.y + by * tl / 2 + uy * h / 2;
                const TextBox way = centredBox(cx - nx * outward / 2, cy - ny * outward / 2, bx, by, tl, h + outward);
                if (tier > 0 && !room.clearOfSteel(way)) continue;
                reachable = true;
                if (!room.fits(at)) continue;
                room.set(out, at, std::move(text));
                set = true;
            }
            if (!reachable) break;  // further out lies across the wall
        }
        if (!set) ++leftOut;
    }
    return leftOut;
}

std::vector<std::vector<std::u16string>> quantityCells(const QuantityTable& table, const PileLength& length,
                                                        bool grouped) {
    const bool weighed = length.state == LengthState::Valid;
    // With the supports' rows, whose quantities count levels and members,
    // each row names its unit; the piles' table alone keeps its heading.
    const bool units = !table.supports.empty();
    auto mass = [&](double kg) {
        std::u16string t = massText(kg);
        if (!grouped) std::erase(t, u',');
        return t;
    };
    auto decimals = [](double v, const char* format) {
        char buf[40];
        std::snprintf(buf, sizeof buf, format, v);
        return asciiToU16(buf);
    };
    auto row = [&](std::u16string name, std::u16string grade, std::u16string metres, std::u16string count,
                   const char16_t* unit, std::u16string unitMass, std::u16string kg) {
        std::vector<std::u16string> r{std::move(name), std::move(grade), std::move(metres), std::move(count)};
        if (units) r.push_back(unit);
        r.push_back(std::move(unitMass)), r.push_back(std::move(kg));
        return r;
    };
    auto number = [](int32_t n) { return asciiToU16(std::to_string(n)); };
    std::vector<std::vector<std::u16string>> cells;
    cells.push_back(row(u"部材名", u"規格", u"長さ(m)", units ? u"数量" : u"数量(枚)", u"単位", u"単位質量(kg/m)",
                        u"質量(kg)"));
    for (const QuantityRow& r : table.rows) {
        // The unit mass to one decimal, not grouped.
        const std::u16string metres = r.lengthM > 0 ? metresText(r.lengthM) : u"-";
        cells.push_back(row(r.name, r.grade, metres, number(r.count), r.unit, decimals(r.unitMass, "%.1f"),
                            weighed ? mass(r.mass) : u"-"));
    }
    // Each wall's subtotal above the total, only where there are several.
    for (const QuantityRow& w : table.walls)
        if (table.walls.size() > 1)
            cells.push_back(row(w.name, u"", u"", number(w.count), u"枚", u"", weighed ? mass(w.mass) : u"-"));
    cells.push_back(row(u"計", u"", u"", number(table.count), u"枚", u"", weighed ? mass(table.mass) : u"-"));
    // The supports' lengths to the millimetre, whatever the piles'.
    for (const QuantityRow& r : table.supports) {
        const bool known = r.lengthM > 0;
        cells.push_back(row(r.name, r.grade, known ? decimals(r.lengthM, "%.3f") : u"-", number(r.count), r.unit,
                            decimals(r.unitMass, "%.1f"), known ? mass(r.mass) : u"-"));
    }
    if (!table.supports.empty())
        cells.push_back(row(u"支保工計", u"", u"", u"", u"", u"", table.supportsWeighed ? mass(table.supportsMass) : u"-"));
    return cells;
}

std::u16string quantityTabText(const QuantityTable& table, const PileLength& length) {
    std::u16string text;
    for (const auto& r : quantityCells(table, length, false)) {
        for (size_t c = 0; c < r.size(); ++c) text += (c ? u"\t" : u"") + r[c];
        text += u"\r\n";
    }
    return text;
}

void addQuantityTable(Annotations& out, const QuantityTable& table, const PileLength& length, double right,
                      double top, const TextStyle& style) {
    const std::vector<std::vector<std::u16string>> cells = quantityCells(table, length, true);
    // The unit's column, where there is one, reads from the left.
    const size_t unitColumn = table.supports.empty() ? SIZE_MAX : 4;
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
                const bool figure = r > 0 && c >= 2 && c != unitColumn;
                const double tx = figure ? left + widths[c] - pad - tl : left + pad;
                out.texts.push_back({tx, baseline, tl, 0, text});
            }
            left += widths[c];
        }
    }
}

std::string formatAnnotations(const Annotations& a, const TextStyle& style, const NumberFormat& fmt,
                              const AnsiCodec& codec) {
    // The ruling and the elevation's lines as the piles' are written (an
    // elevation is tens of thousands of them); the texts through the code
    // page.
    std::string lines;
    lines.reserve(a.lines.size() * 48);
    for (const WallSegment& l : a.lines) appendLineRecord(lines, l.x1, l.y1, l.x2, l.y2, fmt, codec);
    std::u16string text;
    auto number = [&](double v) { text += formatGeneral(v, fmt); };
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
    return lines + codec.encode(text);
}

}  // namespace ravo
