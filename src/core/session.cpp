#include "session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "functions.h"
#include "errors.h"
#include "result_writer.h"
#include "text.h"
#include "transforms.h"

namespace ravo {

namespace {

// The preview's marks under a wall (0x00BBGGRR): the drawn line, the start,
// each leg's count.
constexpr int32_t kOverlayLineColour = 0xA0A0A0;
constexpr int32_t kStartMarkColour = 0x0000E0;
constexpr int32_t kOverlayTextColour = 0x404040;
constexpr int32_t kSolidLineType = 101;

// Points in order: hp1 to hp99, as the host's directives number them.
constexpr int kMostPoints = 99;

// The host's layer groups, 0 to F.
constexpr int kLayerGroups = 16;

// "100", "12.5": a scale's denominator as the user sets it.
std::u16string scaleText(double denominator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", denominator);
    return asciiToU16(buf);
}

}  // namespace

Session::Session(const Services& services)
    : sv_(services),
      store_(told_),
      layouter_(layout_, gins_, store_, header_, sv_.fs, sv_.fmt, sv_.codec, told_) {
    view_.setUnderlay(gins_.nGinOverlay);
}

void Session::attachImage(Canvas& image) {
    if (bViewReady_) return;
    view_.initView(image);
    bViewReady_ = true;
}

void Session::imageResized() {
    if (bViewReady_) view_.FormResize();
}

void Session::wheel(int32_t wparam, int32_t x, int32_t y) {
    // An image shrunk to nothing has no fraction to zoom about.
    if (!bViewReady_ || viewState_.nDevWidth == 0 || viewState_.nDevHeight == 0) return;
    preview_.mouseWheel(wparam, static_cast<double>(x) / viewState_.nDevWidth,
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
        std::u16string word(line.substr(at, end - at));
        for (char16_t& c : word)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (word == u"/points") mode = RunMode::Points;
        if (word == u"/select") mode = RunMode::Selection;
        at = end;
    }
    return mode;
}

bool Session::runShowSteps(const std::u16string& exeDir) {
    bool fromHost = true;
    attempt([&] { fromHost = showSteps(exeDir); });
    return fromHost;
}

bool Session::showSteps(const std::u16string& exeDir) {
    strExeDir_ = exeDir;
    if (!strExeDir_.empty() && strExeDir_.back() != u'\\' && strExeDir_.back() != u'/') strExeDir_.push_back(u'\\');
    strInFile_ = strExeDir_ + u"temp.txt";
    strOutFile_ = strExeDir_ + u"jwc_temp.txt";
    if (sv_.fs.fileExists(strOutFile_)) truncateFile(sv_.fs, strOutFile_);
    if (!sv_.fs.fileExists(strInFile_)) return false;
    try {
        GaibuReader(header_, store_, sv_.fmt, sv_.codec, gins_.nGinResult).readGaibuFile(sv_.fs, strInFile_);
    } catch (...) {
        // The host's own entities are never handed back: an OK after a
        // failed read must not return the user's drawing shifted by hp1.
        store_.clearGin(gins_.nGinResult);
        throw;
    }
    headerRead_ = true;
    int given = 0;
    while (given < kMostPoints && header_.hpGiven[given + 1]) ++given;
    // Points in order that are only two are the two-point run itself.
    if (mode_ == RunMode::Selection || (mode_ == RunMode::Points && given != 2)) {
        wallMode_ = true;
        takePath();
        layouter_.prepareOutlines();
        layWallRun();
        fitRun();
        return true;
    }
    layouter_.preparePiles();
    layouter_.layoutPiles(layout_.nReverse);
    view_.fitGin(gins_.nGinResult, 1.0);
    return true;
}

template <class Attempt>
void Session::attempt(Attempt&& lay) {
    told_.last.clear();
    try {
        lay();
    } catch (const RaisedError& e) {
        why_ = store_.lastLineIndex(gins_.nGinResult) < 0 ? withFullStop(e.message()) : std::u16string();
        throw;
    }
    // Nothing laid again without a new word (a corner box ticked on a run
    // that was refused) keeps the reason already given.
    if (store_.lastLineIndex(gins_.nGinResult) >= 0) why_.clear();
    else if (!told_.last.empty()) why_ = told_.last;
}

std::string Session::refusalRecord() const {
    // One line: the host shows the text of its first "he" record.
    std::u16string line = u"he";
    for (char16_t c : why_) line += (c == u'\r' || c == u'\n') ? u' ' : c;
    return sv_.codec.encode(line + u"\r\n");
}

void Session::cancelRun() {
    if (!why_.empty()) sv_.fs.replaceFile(strOutFile_, refusalRecord());
}

void Session::fitRun() {
    // With nothing laid, what was selected or indicated is shown.
    const bool laid = store_.lastLineIndex(gins_.nGinResult) >= 0;
    // A wall leaves room round it for the counts beside its legs.
    view_.fitGin(laid || !wallMode_ ? gins_.nGinResult : gins_.nGinOverlay, wallMode_ ? 0.9 : 1.0);
}

void Session::takePath() {
    PathResult r;
    std::vector<WallSegment> segs;
    if (mode_ == RunMode::Points) {
        std::vector<WallPoint> points;
        for (int i = 1; i <= kMostPoints && header_.hpGiven[i]; ++i) points.push_back({header_.hp[i].x, header_.hp[i].y});
        for (size_t i = 0; i + 1 < points.size(); ++i)
            segs.push_back({points[i].x, points[i].y, points[i + 1].x, points[i + 1].y});
        r = pathFromPoints(points);
    } else {
        // The selected line records; circles, texts and points play no part.
        // Each layer group has its own scale, and the host reads the result
        // back at the write group's: a selection over groups of different
        // scales, or at another scale than the write group, is refused.
        const int32_t wg = header_.nWriteLG;
        const double writeScale = wg >= 0 && wg < kLayerGroups ? header_.hs[wg] : 0;
        double scale = 0;
        bool mixed = false;
        for (int i = 0; i <= store_.lastLineIndex(gins_.nGinResult); ++i) {
            const recLine& rec = store_.lineRec(gins_.nGinResult, i);
            if (rec.kind != kKindLine) continue;
            segs.push_back({rec.X1, rec.Y1, rec.X2, rec.Y2});
            const double s = rec.LG >= 0 && rec.LG < kLayerGroups ? header_.hs[rec.LG] : 0;
            if (s > 0 && scale > 0 && s != scale) mixed = true;
            if (s > 0) scale = s;
        }
        if (mixed)
            r.fault = u"縮尺の異なるレイヤグループにまたがって選択されています。同じ縮尺のレイヤグループの線だけを選択してください";
        else if (scale > 0 && writeScale > 0 && scale != writeScale)
            r.fault = u"壁の線のレイヤグループ（1/" + scaleText(scale) + u"）と書込レイヤグループ（1/" +
                      scaleText(writeScale) + u"）の縮尺が異なります。壁の線のレイヤグループを書込レイヤグループにしてください";
        else
            r = chainSegments(segs);
    }
    // The host's entities are never handed back.
    store_.clearGin(gins_.nGinResult);
    start_ = 0;
    reversed_ = false;
    if (r.ok()) {
        path_ = std::move(r.path);
        return;
    }
    path_ = {};
    // What was given, thin, so the user sees what the message speaks of.
    store_.clearGin(gins_.nGinOverlay);
    for (const WallSegment& sg : segs) addOverlayLine(sg.x1, sg.y1, sg.x2, sg.y2, kOverlayLineColour);
    told_.showMessage(r.fault);
}

void Session::addOverlayLine(double x1, double y1, double x2, double y2, int32_t colour) {
    store_.addLineRec(gins_.nGinOverlay, kKindLine, 0, 0, colour, kSolidLineType, x1, y1, x2, y2, 0.0);
}

void Session::layWallRun() {
    if (path_.vertices.empty() || !layouter_.outlinesReady()) {
        wall_ = {};
        store_.clearGin(gins_.nGinResult);
        layout_.nPileCount = 0;
        return;
    }
    const WallPath drawn = restartPath(path_, start_, reversed_);
    const PileSection& section = layouter_.section();
    WallPlan plan;
    plan.width = section.widthMm;
    plan.reach = layouter_.cornerReach();
    plan.alternates = section.alternates();
    plan.orientation = layout_.nReverse;
    plan.startCorner = !drawn.closed && layout_.bStartCorner;
    plan.endCorner = !drawn.closed && layout_.bEndCorner;
    plan.depth = layouter_.outlineDepth();
    plan.leastAngle = layouter_.leastCornerAngle();
    wall_ = layWall(drawn, plan);
    if (!wall_.ok()) told_.showMessage(wall_.fault);
    layouter_.layWallPieces(wall_);
    drawOverlay(drawn);
}

void Session::drawOverlay(const WallPath& drawn) {
    store_.clearGin(gins_.nGinOverlay);
    const auto& v = drawn.vertices;
    for (size_t i = 0; i < drawn.legCount(); ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % v.size()];
        addOverlayLine(a.x, a.y, b.x, b.y, kOverlayLineColour);
    }
    if (wall_.legs.empty()) return;
    // Sizes from the wall's extent as it is fitted to the image: texts some
    // 12 pixels high, the start's ring a little smaller.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const WallLeg& l : wall_.legs)
        for (auto [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    const double width = viewState_.nDevWidth > 0 ? viewState_.nDevWidth : 289;
    const double height = viewState_.nDevHeight > 0 ? viewState_.nDevHeight : 229;
    const double perPixel = std::max({(maxX - minX) * 1.1 / width, (maxY - minY) * 1.1 / height, 1e-6});
    store_.addLineRec(gins_.nGinOverlay, kKindCircle, 0, 0, kStartMarkColour, kSolidLineType, v[0].x, v[0].y, v[0].x,
                     v[0].y, 5 * perPixel);
    // Each leg's count beside its middle: inside a loop, where the fitted
    // view always has room, and left of an open path.
    const double side = drawn.closed && !counterClockwise(drawn) ? -1 : 1;  // +1: to the left
    const double textHeight = 12 * perPixel, h = textHeight * 72 / 96 / 50;
    const double away = layouter_.section().widthMm * 0.5 + textHeight * 1.5;
    for (const WallLeg& l : wall_.legs) {
        const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, len = distance2D(l.x1, l.y1, l.x2, l.y2);
        if (!(len > 0)) continue;
        const double nx = -dy / len * side, ny = dx / len * side;
        const double mx = (l.x1 + l.x2) / 2 + nx * away, my = (l.y1 + l.y2) / 2 + ny * away;
        store_.addMoji_NB(gins_.nGinOverlay, 0, 0, kOverlayTextColour, mx, my, 1, 0, h, h, 4,
                         asciiToU16(std::to_string(l.pieces)) + u"枚");
    }
}

void Session::prepare() {
    if (wallMode_) layouter_.prepareOutlines();
    else layouter_.preparePiles();
}

void Session::cmbTypeChange(size_t index) {
    attempt([&] { changeSection(index); });
}

void Session::changeSection(size_t index) {
    if (!headerRead_) {
        // No points to lay between (the host file failed): the choice waits.
        layouter_.setSection(index);
        return;
    }
    const size_t before = layout_.nSection;
    layouter_.setSection(index);
    try {
        prepare();
    } catch (...) {
        // Back to the section whose files loaded before; the failure itself
        // is what the user is told.
        layouter_.setSection(before);
        try {
            prepare();
            layAgain();
        } catch (...) {
            // Its files went too: no run rather than one from half an outline.
            layout_.nPileCount = 0;
            wall_ = {};
            store_.clearGin(gins_.nGinResult);
            moved_ = false;
            view_.redrawGin(gins_.nGinResult);
        }
        throw;
    }
    if (wallMode_) layWallRun();
    else layouter_.layoutPiles(layout_.nReverse);
    moved_ = false;
    // Another width makes another wall: show the whole of it.
    fitRun();
}

std::u16string Session::countText() const {
    if (wallMode_) return wallCountText(wall_);
    return pileCountText(layout_.nPileCount, layouter_.section().widthMm, layouter_.indicatedLength());
}

void Session::chkStartClick(bool checked) {
    if (!bViewReady_) return;
    layout_.bStartCorner = checked;
    layAgain();
}

void Session::chkEndClick(bool checked) {
    if (!bViewReady_) return;
    layout_.bEndCorner = checked;
    layAgain();
}

void Session::btnReverseClick() {
    layout_.nReverse = 1 - layout_.nReverse;
    layAgain();
}

void Session::btnStartClick() {
    if (!wallMode_ || path_.vertices.empty()) return;
    if (path_.closed) start_ = (start_ + 1) % path_.vertices.size();
    else reversed_ = !reversed_;  // the other end is the other way
    layAgain();
}

void Session::btnDirectionClick() {
    if (!wallMode_ || path_.vertices.empty()) return;
    reversed_ = !reversed_;
    layAgain();
}

void Session::layAgain() {
    // The run is rebuilt at the origin: whatever a failed OK moved is gone,
    // so the next OK must move it onto hp1 again. A wall is laid in place.
    attempt([&] {
        if (wallMode_) layWallRun();
        else layouter_.layoutPiles(layout_.nReverse);
    });
    moved_ = false;
    view_.redrawGin(gins_.nGinResult);
}

void Session::writeRunResult() {
    if (!why_.empty()) {
        sv_.fs.replaceFile(strOutFile_, refusalRecord());
        return;
    }
    // A failed write leaves the run moved; moving it again on the next OK
    // would hand the host a run shifted twice.
    if (!moved_ && !wallMode_) {
        moveGin(store_, gins_.nGinResult, header_.hp[1].x, header_.hp[1].y);
        moved_ = true;
    }
    writeResult(store_, gins_.nGinResult, strOutFile_, sv_.fs, sv_.fmt, sv_.codec, annotationRecords());
}

QuantityTable Session::quantities() const {
    const double metres = pileLength_.state == LengthState::Valid ? pileLength_.metres : 0;
    if (wallMode_) return quantitiesFor(wall_.pieces, layouter_.section(), metres);
    return quantitiesFor(straightRunPieces(layout_.nPileCount, layout_.bStartCorner, layout_.bEndCorner),
                         layouter_.section(), metres);
}

std::string Session::annotationRecords() const {
    const int result = gins_.nGinResult;
    if ((!bLabels_ && !bTable_) || store_.lastLineIndex(result) < 0) return {};
    const TextStyle style = currentTextStyle(header_);
    const PileSection& section = layouter_.section();
    Annotations a;
    if (bLabels_) {
        std::vector<WallLeg> legs = wall_.legs;
        bool closed = false, ccw = false;
        if (wallMode_) {
            const WallPath drawn = restartPath(path_, start_, reversed_);
            closed = drawn.closed;
            ccw = counterClockwise(drawn);
        } else {
            // The straight run, as moved onto hp1: one leg.
            const Rotation along(layout_.dAngle);
            const double laid = static_cast<double>(layout_.nPileCount) * section.widthMm;
            WallLeg leg;
            leg.x1 = header_.hp[1].x, leg.y1 = header_.hp[1].y;
            leg.x2 = leg.x1 + along.c * laid, leg.y2 = leg.y1 + along.s * laid;
            leg.pieces = layout_.nPileCount;
            legs = {leg};
        }
        // Clear of the wall: its depth from the axis and one text height.
        addLegLabels(a, legs, closed, ccw, layouter_.outlineDepth() + style.height, section, pileLength_, style);
    }
    if (bTable_) {
        // Right of the wall and its labels: their box's right and top.
        double right = -INFINITY, top = -INFINITY;
        for (int i = 0; i <= store_.lastLineIndex(result); ++i) {
            const LineData d = store_.getLine(result, i);
            right = std::max({right, d.X1, d.X2});
            top = std::max({top, d.Y1, d.Y2});
        }
        for (const HostText& t : a.texts) {
            const double len = distance2D(0, 0, t.dx, t.dy);
            if (!(len > 0)) continue;
            const double ux = -t.dy / len * style.height, uy = t.dx / len * style.height;  // the text's up
            for (auto [x, y] : {std::pair{t.x, t.y}, {t.x + t.dx, t.y + t.dy}, {t.x + ux, t.y + uy},
                                {t.x + t.dx + ux, t.y + t.dy + uy}})
                right = std::max(right, x), top = std::max(top, y);
        }
        addQuantityTable(a, quantities(), section, pileLength_, right, top, style);
    }
    return formatAnnotations(a, style, sv_.fmt, sv_.codec);
}

std::u16string startFromHostMessage() {
    return std::u16string(u"このプログラムはJWW外部変形用実行ファイルです。") + u"\n\r" +
           u"JWWの外部変形から[" + kAppTitle + u".bat]ファイルを実行して下さい。";
}

}  // namespace ravo
