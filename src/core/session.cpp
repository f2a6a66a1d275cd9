#include "session.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "drawing.h"
#include "dump_listing.h"
#include "errors.h"
#include "functions.h"
#include "result_writer.h"
#include "text.h"

namespace ravo {

namespace {

// The preview's gins beside the laid run: the section's outlines as loaded
// (for the dump), and what the preview shows under a wall and never hands
// back.
constexpr int kGinOutlines = 1;  // 1 to 6: each outline, then its mirror
constexpr int kGinOverlay = kGinOutlines + 2 * static_cast<int>(kOutlineKinds);
static_assert(kGinOverlay < kGinCount);

// The preview's marks (0x00BBGGRR): corner and closing piles told apart by
// colour (the result hands back coordinates only); under a wall, the drawn
// line, the start, each leg's count.
constexpr int32_t kCornerColour = 0xC06000;
constexpr int32_t kClosingColour = 0x0000D0;
constexpr int32_t kOverlayLineColour = 0xA0A0A0;
constexpr int32_t kStartMarkColour = 0x0000E0;
constexpr int32_t kOverlayTextColour = 0x404040;

}  // namespace

Session::Session(const Services& services) : sv_(services), store_(told_) { view_.setUnderlay(kGinOverlay); }

void Session::attachImage(Canvas& image) {
    if (viewReady_) return;
    view_.initView(image);
    viewReady_ = true;
}

void Session::resizeImage() {
    if (viewReady_) view_.FormResize();
}

void Session::zoomAt(int notches, int32_t x, int32_t y) {
    // An image shrunk to nothing has no fraction to zoom about.
    if (!viewReady_ || notches == 0 || viewState_.nDevWidth == 0 || viewState_.nDevHeight == 0) return;
    preview_.zoomAt(notches, static_cast<double>(x) / viewState_.nDevWidth,
                    static_cast<double>(y) / viewState_.nDevHeight);
}

RunMode runModeFromCommandLine(std::u16string_view line) {
    // The program's own name first, quoted or not.
    size_t at = 0;
    if (!line.empty() && line[0] == u'"') {
        const size_t close = line.find(u'"', 1);
        at = close == std::u16string_view::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != u' ' && line[at] != u'\t') ++at;
    }
    RunMode mode = RunMode::TwoPoints;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == u' ' || line[at] == u'\t')) ++at;
        size_t end = at;
        while (end < line.size() && line[end] != u' ' && line[end] != u'\t') ++end;
        const std::u16string word = asciiLower(line.substr(at, end - at));
        if (word == u"/points") mode = RunMode::Points;
        if (word == u"/select") mode = RunMode::Selection;
        at = end;
    }
    return mode;
}

bool Session::runShowSteps() {
    bool fromHost = true;
    attempt([&] { fromHost = showSteps(); });
    return fromHost;
}

bool Session::showSteps() {
    const std::u16string inFile = sv_.fs.besideProgram(u"temp.txt");
    outFile_ = sv_.fs.besideProgram(u"jwc_temp.txt");
    sv_.fs.removeLeftovers(outFile_);  // of a write killed half way, last time
    if (sv_.fs.fileExists(outFile_)) truncateFile(sv_.fs, outFile_);
    if (!sv_.fs.fileExists(inFile)) return false;
    // A failed read keeps nothing of the host's: an OK after it hands back
    // only why nothing was drawn.
    // A read that stops keeps what came before the bad line, for the dump;
    // no run is laid from it.
    readHostFile(input_, sv_.fs, inFile, sv_.fmt, sv_.codec);
    inputRead_ = true;
    store_.curLG = input_.last.layerGroup;
    store_.curLY = input_.last.layer;
    store_.curCL = input_.last.colour;
    store_.curLT = input_.last.lineType;
    choices_.starts.clear();
    outlines_ = loadOutlines(choices_.section, sv_.fs, sv_.fmt, sv_.codec);
    drawOutlines();
    replan(Cause::Read);
    fitRun();
    return true;
}

template <class Attempt>
void Session::attempt(Attempt&& lay) {
    told_.last.clear();
    try {
        lay();
    } catch (const RaisedError& e) {
        why_ = plan_.laid() ? std::u16string() : withFullStop(e.message());
        throw;
    } catch (const std::bad_alloc&) {
        // Whatever was half made is dropped; the host hears why.
        plan_ = Plan{};
        plan_.section = choices_.section;
        why_ = withFullStop(kOutOfMemoryText);
        throw;
    }
    // Nothing laid again without a new word (a corner box ticked on a run
    // that was refused) keeps the reason already given.
    if (plan_.laid()) why_.clear();
    else if (!told_.last.empty()) why_ = told_.last;
}

void Session::replan(Cause cause) {
    if (inputRead_ && outlines_) {
        plan_ = planRun(input_, choices_, *outlines_);
    } else {
        plan_ = Plan{};
        plan_.section = choices_.section;
    }
    const bool tell = plan_.refusal == Refusal::Lay || (plan_.refusal == Refusal::Count && cause != Cause::Choice) ||
                      (plan_.refusal == Refusal::Input && cause == Cause::Read);
    if (tell) told_.showMessage(plan_.fault);
    drawPlan();
}

template <class Change>
void Session::choose(Change&& change) {
    change(choices_);
    attempt([&] { replan(Cause::Choice); });
    view_.redrawGin(kGinResult);
}

void Session::setStartCorner(bool on) {
    if (viewReady_) choose([&](Choices& c) { c.startCorner = on; });
}

void Session::setEndCorner(bool on) {
    if (viewReady_) choose([&](Choices& c) { c.endCorner = on; });
}

void Session::turnPilesOver() {
    choose([](Choices& c) { c.orientation = 1 - c.orientation; });
}

void Session::press(int button, int32_t x, int32_t y) {
    if (viewReady_) {
        WallPoint at;
        view_.DTOL(x, y, at.x, at.y);
        pressed_ = at;
    }
    preview_.imgGinMouseDown(button, x, y);
}

size_t Session::activeWall() const {
    const auto& walls = plan_.drawn;
    if (!pressed_ || walls.size() < 2) return 0;
    size_t best = 0;
    double nearest = INFINITY;
    for (size_t k = 0; k < walls.size(); ++k)
        for (const WallSegment& s : pathOutline(walls[k])) {
            const double d = segmentDistance(pressed_->x, pressed_->y, s);
            if (d < nearest) nearest = d, best = k;
        }
    return best;
}

void Session::moveStart() {
    if (!plan_.wall || plan_.drawn.empty()) return;
    const size_t k = activeWall();
    const WallPath& wall = plan_.drawn[k];
    const size_t n = startCount(wall, pileSections()[choices_.section].swingDeg);
    // The other end of an open path is the other way round.
    choose([&](Choices& c) {
        if (c.starts.size() <= k) c.starts.resize(k + 1);
        if (wall.closed) c.starts[k].start = (c.starts[k].start + 1) % n;
        else c.starts[k].reversed = !c.starts[k].reversed;
    });
}

void Session::turnDirection() {
    if (!plan_.wall || plan_.drawn.empty()) return;
    const size_t k = activeWall();
    choose([&](Choices& c) {
        if (c.starts.size() <= k) c.starts.resize(k + 1);
        c.starts[k].reversed = !c.starts[k].reversed;
    });
}

void Session::setNumbers(bool on, int32_t step) {
    const bool known = std::find(std::begin(kNumberSteps), std::end(kNumberSteps), step) != std::end(kNumberSteps);
    choices_.numbers = on;
    choices_.numberStep = known ? step : kNumberSteps[1];
    if (viewReady_) {
        drawOverlay();
        view_.redrawGin(kGinResult);
    }
}

std::u16string Session::elevationText() const {
    if (!choices_.elevation) return {};
    if (choices_.pileLength.state != LengthState::Valid) return u"展開図には矢板長 L が要ります";
    if (!choices_.headLevel) return u"展開図: 天端の高さ（m）を数で入れてください";
    return {};
}

void Session::setFace(WallFace face) {
    if (face == choices_.face) return;
    if (!viewReady_) {
        choices_.face = face;
        return;
    }
    choose([&](Choices& c) { c.face = face; });
}

void Session::setSection(size_t index) {
    attempt([&] { changeSection(index < pileSections().size() ? index : kDefaultSection); });
}

void Session::changeSection(size_t index) {
    if (!inputRead_) {
        // No run to lay yet (or the host file failed): the choice waits.
        choices_.section = index;
        return;
    }
    // Raises before anything changes: the section before stays, and its run.
    Outlines next = loadOutlines(index, sv_.fs, sv_.fmt, sv_.codec);
    choices_.section = index;
    outlines_ = std::move(next);
    drawOutlines();
    replan(Cause::Section);
    // Another width makes another wall: show the whole of it.
    fitRun();
}

std::u16string Session::countText() const {
    std::u16string text = ravo::countText(plan_);
    const bool annotated = choices_.labels || choices_.numbers || choices_.elevation || choices_.table;
    if (annotated && plan_.laid() && !currentTextStyle(input_.header).fits()) {
        text += u"  ※文字の大きさが図面に収まらないため注記を省きます";
    } else if (annotated && outlines_ && plan_.laid()) {
        const std::u16string leftOut = leftOutText(drawingOf(plan_, input_, *outlines_, choices_).leftOut);
        if (!leftOut.empty()) text += u"  " + leftOut;
    }
    return text;
}

std::u16string Session::massText() const { return massLine(quantities(), choices_.pileLength); }

void Session::fitRun() {
    // With nothing laid, what was selected or indicated is shown; a wall
    // leaves room round it for the counts beside its legs.
    const bool wall = plan_.wall;
    view_.fitGin(plan_.laid() || !wall ? kGinResult : kGinOverlay, wall ? 0.9 : 1.0);
}

void Session::drawOutlines() {
    for (OutlineKind kind : {OutlineKind::Normal, OutlineKind::StartCorner, OutlineKind::EndCorner})
        for (bool mirrored : {false, true}) {
            const int gin = kGinOutlines + 2 * static_cast<int>(kind) + (mirrored ? 1 : 0);
            store_.clearGin(gin);
            for (const WallSegment& s : outlines_->outline(kind, mirrored)) store_.addLine(gin, s.x1, s.y1, s.x2, s.y2);
        }
}

void Session::drawPlan() {
    store_.clearGin(kGinResult);
    if (outlines_ && plan_.laid()) {
        const DrawnPieces drawn = drawnPieces(plan_, *outlines_);
        store_.reserveLines(kGinResult, drawn.lines.size());
        // Corner and closing piles in their own colours (the two-point run's
        // corners are piles with a corner's outline: the host's colour).
        const int32_t colour = store_.curCL;
        for (const DrawingLine& l : drawn.lines) {
            const int32_t cl = l.kind == PieceKind::Corner    ? kCornerColour
                               : l.kind == PieceKind::Closing ? kClosingColour
                                                              : colour;
            store_.addLineRec(kGinResult, kKindLine, store_.curLG, store_.curLY, cl, store_.curLT, l.x1, l.y1, l.x2, l.y2,
                              0.0);
        }
    }
    drawOverlay();
}

void Session::addOverlayLine(double x1, double y1, double x2, double y2, int32_t colour) {
    store_.addLineRec(kGinOverlay, kKindLine, 0, 0, colour, kSolidLineType, x1, y1, x2, y2, 0.0);
}

void Session::drawOverlay() {
    store_.clearGin(kGinOverlay);
    if (!plan_.wall) {
        drawNumbers(kImageWidth);
        return;
    }
    // What was given, thin, so the user sees what a refusal speaks of.
    if (plan_.refusal == Refusal::Input) {
        for (const WallSegment& sg : plan_.given) addOverlayLine(sg.x1, sg.y1, sg.x2, sg.y2, kOverlayLineColour);
        return;
    }
    for (const WallPath& drawn : plan_.drawn)
        for (const WallSegment& sg : pathOutline(drawn)) addOverlayLine(sg.x1, sg.y1, sg.x2, sg.y2, kOverlayLineColour);
    const std::vector<WallLeg>& legs = plan_.layout.legs;
    if (legs.empty()) return;
    // Sizes from the wall's extent as it is fitted to the image: texts some
    // 12 pixels high, the start's ring a little smaller.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const WallLeg& l : legs)
        for (auto [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    for (const WallPiece& p : plan_.layout.pieces) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    const double width = viewState_.nDevWidth > 0 ? viewState_.nDevWidth : kImageWidth;
    const double height = viewState_.nDevHeight > 0 ? viewState_.nDevHeight : kImageHeight;
    const double perPixel = std::max({(maxX - minX) * 1.1 / width, (maxY - minY) * 1.1 / height, 1e-6});
    const double textHeight = 12 * perPixel, h = textHeight * 72 / 96 / 50;
    const double away = pileSections()[plan_.section].widthMm * 0.5 + textHeight * 1.5;
    for (size_t k = 0; k < plan_.drawn.size(); ++k) {
        const WallPath& drawn = plan_.drawn[k];
        const WallPoint& start = drawn.vertices[0];
        store_.addLineRec(kGinOverlay, kKindCircle, 0, 0, kStartMarkColour, kSolidLineType, start.x, start.y, start.x,
                          start.y, 5 * perPixel);
        // Each leg's count beside its middle: inside a loop, where the fitted
        // view always has room, and left of an open path.
        const double side = drawn.closed && !counterClockwise(drawn) ? -1 : 1;  // +1: to the left
        for (const WallLeg& l : labelLegs(plan_, static_cast<int32_t>(k))) {
            const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, len = distance2D(l.x1, l.y1, l.x2, l.y2);
            if (!(len > 0)) continue;
            const double nx = -dy / len * side, ny = dx / len * side;
            const double mx = (l.x1 + l.x2) / 2 + nx * away, my = (l.y1 + l.y2) / 2 + ny * away;
            store_.addMoji_NB(kGinOverlay, 0, 0, kOverlayTextColour, mx, my, 1, 0, h, h, 4,
                              asciiToU16(std::to_string(l.pieces)) + u"枚");
        }
    }
    drawNumbers(width);
}

void Session::drawNumbers(double imageWidth) {
    if (!choices_.numbers || !plan_.laid()) return;
    // Some 10 pixels high, outside the wall as the result has them; the
    // two-point run as the preview holds it, at the origin.
    double minX = INFINITY, maxX = -INFINITY;
    for (const WallPiece& p : plan_.layout.pieces) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    const double span = std::max(maxX - minX, static_cast<double>(pileSections()[plan_.section].widthMm));
    const double perPixel = span * 1.1 / imageWidth;
    const double h = 10 * perPixel * 72 / 96 / 50, away = outlines_ ? outlines_->depth + 12 * perPixel : 12 * perPixel;
    for (const PileNumber& n : pileNumbers(plan_, choices_.numberStep)) {
        const WallPiece& piece = plan_.layout.pieces[n.piece];
        PiecePlace at = piecePlace(plan_, piece);
        if (!plan_.wall) at.x -= plan_.hp1.x, at.y -= plan_.hp1.y;
        const size_t leg = static_cast<size_t>(piece.leg);
        const int32_t wall = plan_.wall && leg < plan_.layout.legs.size() ? plan_.layout.legs[leg].wall : 0;
        const WallPath* drawn = plan_.wall ? &plan_.drawn[static_cast<size_t>(wall)] : nullptr;
        const double side = drawn && drawn->closed && counterClockwise(*drawn) ? -1 : 1;  // +1: to the left
        const double mx = at.x + at.ux * at.width / 2 - at.uy * away * side;
        const double my = at.y + at.uy * at.width / 2 + at.ux * away * side;
        store_.addMoji_NB(kGinOverlay, 0, 0, kOverlayTextColour, mx, my, 1, 0, h, h, 4, n.text);
    }
}

std::string Session::refusalRecord() const {
    // One line: the host shows the text of its first "he" record.
    std::u16string line = u"he";
    for (char16_t c : why_) line += (c == u'\r' || c == u'\n') ? u' ' : c;
    return sv_.codec.encode(line + u"\r\n");
}

void Session::ok() {
    if (!why_.empty()) {
        sv_.fs.replaceFile(outFile_, refusalRecord());
        return;
    }
    std::string bytes;
    try {
        if (outlines_ && plan_.laid()) bytes = resultBytes(drawingOf(plan_, input_, *outlines_, choices_), sv_.fmt, sv_.codec);
    } catch (const std::bad_alloc&) {
        // Never a result cut short, nor an empty one the host draws as
        // nothing without a word: the refusal, and the message once.
        why_ = withFullStop(kOutOfMemoryText);
        sv_.fs.replaceFile(outFile_, refusalRecord());
        throw;
    }
    writeResultBytes(outFile_, sv_.fs, bytes);
}

void Session::cancel() {
    if (!why_.empty()) sv_.fs.replaceFile(outFile_, refusalRecord());
}

std::vector<std::u16string> Session::dumpListing(int nGin) const { return dumpGin(store_, input_.header, nGin, sv_.fmt); }

std::u16string startFromHostMessage() {
    return std::u16string(u"このプログラムはJWW外部変形用実行ファイルです。") + u"\n\r" +
           u"JWWの外部変形から[" + kAppTitle + u".bat]ファイルを実行して下さい。";
}

}  // namespace ravo
