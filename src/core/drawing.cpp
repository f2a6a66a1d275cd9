#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "result_writer.h"
#include "sheet.h"
#include "text.h"

namespace ravo {

namespace {

// The box of what is drawn so far: the table stands right of it, the
// elevation below.
struct Box {
    double left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;

    void add(double x, double y) {
        left = std::min(left, x), right = std::max(right, x);
        bottom = std::min(bottom, y), top = std::max(top, y);
    }
    // The texts from `from` on, each as the rectangle it fills.
    void addTexts(const Annotations& a, size_t from, double height) {
        for (size_t i = from; i < a.texts.size(); ++i) {
            const HostText& t = a.texts[i];
            const double len = distance2D(0, 0, t.dx, t.dy);
            if (!(len > 0)) continue;
            const double ux = -t.dy / len * height, uy = t.dx / len * height;  // the text's up
            for (auto [x, y] : {std::pair{t.x, t.y}, {t.x + t.dx, t.y + t.dy}, {t.x + ux, t.y + uy},
                                {t.x + t.dx + ux, t.y + t.dy + uy}})
                add(x, y);
        }
    }
};

// put(x1, y1, x2, y2) for the piece lines [from, to) in the host's place:
// moved onto the origin in extended precision (a small coordinate plus a
// large offset can round differently in double), where there is one.
template <class Put>
void forEachPlaced(const Drawing& d, Put&& put, size_t from = 0, size_t to = SIZE_MAX) {
    const auto& lines = d.pieces.lines;
    to = std::min(to, lines.size());
    if (d.origin.x == 0 && d.origin.y == 0) {
        for (size_t i = from; i < to; ++i) put(lines[i].x1, lines[i].y1, lines[i].x2, lines[i].y2);
        return;
    }
    const double ox = d.origin.x, oy = d.origin.y;
    for (size_t i = from; i < to; ++i)
        put(detail::addX(lines[i].x1, ox), detail::addX(lines[i].y1, oy), detail::addX(lines[i].x2, ox),
            detail::addX(lines[i].y2, oy));
}

// The labels, numbers, table and elevation the choices ask for, about the
// box of the drawing's pieces; how many of the labels, numbers and marks
// found no room.
int32_t addSheet(Annotations& a, const Plan& plan, const Outlines& outlines, const Choices& choices,
                 const QuantityTable& table, const TextStyle& style, const Drawing& d) {
    int32_t leftOut = 0;
    const bool elevation = choices.elevation && choices.headLevel && choices.pileLength.state == LengthState::Valid;
    const bool supports = plan.supports.drawn();
    if (!choices.labels && !choices.table && !choices.numbers && !elevation && !supports) return 0;
    if (!style.fits()) return 0;  // never a text at an infinite place; the count line says so
    Box box;
    forEachPlaced(d, [&](double x1, double y1, double x2, double y2) { box.add(x1, y1), box.add(x2, y2); });
    const double h = style.height;
    const PileSection& section = outlines.pileSection();
    SheetRoom room(h, section.widthMm);
    addSteel(room, plan, outlines.depth, outlines.reach);
    if (choices.labels) {
        // Clear of the wall: its depth from the axis and one text height;
        // each wall's legs by themselves.
        const double away = outlines.depth + h;
        for (size_t k = 0; k < plan.drawn.size(); ++k) {
            const WallPath& drawn = plan.drawn[k];
            leftOut += addLegLabels(a, room, labelLegs(plan, static_cast<int32_t>(k)), drawn.closed,
                                    counterClockwise(drawn), away, section, choices.pileLength, style);
        }
    }
    const std::vector<PileNumber> numbers =
        choices.numbers ? pileNumbers(plan, choices.numberStep) : std::vector<PileNumber>();
    // Beyond the labels where there are any.
    leftOut += addPileNumbers(a, room, plan, numbers, outlines.depth + (choices.labels ? 3 * h : h), style);
    if (supports) {
        // Inside each cofferdam, wherever its members are.
        const std::u16string label =
            supportsLabel(plan.supports, choices.elevation ? choices.headLevel : std::nullopt);
        const double length = textLength(label, style);
        for (const Supports::Label& at : plan.supports.labels) {
            // Taken from the room, so the table and the elevation keep clear.
            const bool inBay = length <= at.room;
            room.set(a, centredBox(inBay ? at.x : at.cx, inBay ? at.y : at.cy, at.ux, at.uy, length, h), label);
        }
    }
    box.addTexts(a, 0, h);
    if (choices.table) {
        // Right of the wall, its labels and numbers: their box's right and top.
        const size_t texts = a.texts.size(), lines = a.lines.size();
        addQuantityTable(a, table, choices.pileLength, box.right, box.top, style);
        for (size_t i = lines; i < a.lines.size(); ++i) box.add(a.lines[i].x1, a.lines[i].y1), box.add(a.lines[i].x2, a.lines[i].y2);
        box.addTexts(a, texts, h);
    }
    if (elevation)
        leftOut += addElevation(a, plan, outlines.reach, numbers, choices.pileLength.metres, *choices.headLevel,
                                box.left, box.bottom, style);
    return leftOut;
}

// "ly3": the write layer the host takes from here on, in its hex digit.
std::string layerRecord(int32_t layer) {
    static constexpr char kHex[] = "0123456789abcdef";
    static_assert(sizeof kHex - 1 == kLayerCount);
    return std::string("ly") + kHex[layer & (kLayerCount - 1)] + "\r\n";
}

}  // namespace

namespace {

DrawnPieces drawnPieces(const Plan& plan, const Outlines& outlines) {
    DrawnPieces d;
    d.lines.reserve(plan.layout.pieces.size() * outlines.mostLinesPerPiece());
    d.firstOf.reserve(plan.layout.pieces.size());
    placePieces(
        plan, outlines,
        [&](double x1, double y1, double x2, double y2, PieceKind kind) { d.lines.push_back({x1, y1, x2, y2, kind}); },
        [&](size_t) { d.firstOf.push_back(static_cast<uint32_t>(d.lines.size())); });
    // The supports after the piles, each member a piece of its own.
    for (const SupportMember& m : plan.supports.members) {
        d.firstOf.push_back(static_cast<uint32_t>(d.lines.size()));
        for (const WallSegment& s : m.lines) d.lines.push_back({s.x1, s.y1, s.x2, s.y2, m.kind});
    }
    return d;
}

}  // namespace

Drawing drawingOf(const Plan& plan, const HostInput& input, const Outlines& outlines, const Choices& choices) {
    Drawing d;
    if (!plan.laid()) return d;
    // Counted once, for the notice and the table.
    const QuantityTable table = quantities(plan, choices);
    // A wall's summary first: the host shows it.
    if (plan.wall) d.notice = summaryText(plan, table, choices.pileLength);
    d.pieces = drawnPieces(plan, outlines);
    d.origin = plan.origin;
    d.grouped = choices.groupPieces;
    if (d.pieces.lines.empty()) return d;
    d.style = currentTextStyle(input.header);
    d.leftOut = addSheet(d.marks, plan, outlines, choices, table, d.style, d);
    d.marksLayer = choices.annotationLayer;
    d.writeLayer = input.header.nWriteLY;
    return d;
}

std::u16string leftOutText(int32_t count) {
    if (count <= 0) return {};
    return u"※注記 " + asciiToU16(std::to_string(count)) + u" 件は置く場所がないため省きました";
}

std::string resultBytes(const Drawing& d, const NumberFormat& fmt, const AnsiCodec& codec) {
    std::string out;
    // A notice between line records would break them: before them all.
    if (!d.notice.empty()) out += codec.encode(u"h#" + d.notice + u"\r\n");
    const auto& lines = d.pieces.lines;
    const bool marked = !lines.empty() && !(d.marks.texts.empty() && d.marks.lines.empty());
    const std::string marks = marked ? formatAnnotations(d.marks, d.style, fmt, codec) : std::string();
    // Room for the longest lines a drawing has (four numbers of up to 21
    // characters) and the marks, so that the result is never copied as it
    // grows.
    constexpr size_t kMostLineBytes = 4 * 21 + 5;
    out.reserve(out.size() + lines.size() * kMostLineBytes + d.pieces.firstOf.size() * 8 + marks.size() + 8);
    auto put = [&](double x1, double y1, double x2, double y2) { appendLineRecord(out, x1, y1, x2, y2, fmt, codec); };
    if (d.grouped) {
        // Each piece one curve object in the host: one click picks one pile.
        const auto& first = d.pieces.firstOf;
        for (size_t k = 0; k < first.size(); ++k) {
            out += "pl\r\n";
            const size_t end = k + 1 < first.size() ? first[k + 1] : lines.size();
            forEachPlaced(d, put, first[k], end);
            out += "#\r\n";
        }
    } else {
        forEachPlaced(d, put);
    }
    if (marks.empty()) return out;
    // On a layer of their own, and the user's write layer back after them.
    const bool ownLayer = d.marksLayer >= 0 && d.marksLayer != d.writeLayer;
    if (ownLayer) out += layerRecord(d.marksLayer);
    out += marks;
    if (ownLayer) out += layerRecord(d.writeLayer);
    return out;
}

}  // namespace ravo
