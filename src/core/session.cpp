#include "session.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "annotations.h"
#include "drawing.h"
#include "dump_listing.h"
#include "preview_picture.h"
#include "errors.h"
#include "functions.h"
#include "result_writer.h"
#include "text.h"

namespace ravo {


Session::Session(const Services& services) : sv_(services) { view_.setUnderlay(kGinOverlay); }

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
    if (!viewReady_ || notches == 0 || view_.state().nDevWidth == 0 || view_.state().nDevHeight == 0) return;
    preview_.zoomAt(notches, static_cast<double>(x) / view_.state().nDevWidth,
                    static_cast<double>(y) / view_.state().nDevHeight);
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
    drawOutlineGins(store_, *outlines_);
    replan(Cause::Read);
    fitRun();
    return true;
}

template <class Attempt>
void Session::attempt(Attempt&& lay) {
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
    // The host hears the plan's own refusal, whatever else was shown on the
    // way; nothing laid without a refusal (a run of no length) keeps the
    // reason already given, if any.
    if (plan_.laid()) why_.clear();
    else if (!plan_.fault.empty()) why_ = plan_.fault;
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
    if (tell) sv_.messages.showMessage(plan_.fault);
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
    choices_.numberStep = known ? step : kDefaultNumberStep;
    if (viewReady_) {
        drawOverlay(store_, plan_, outlines_ ? &*outlines_ : nullptr, choices_, view_);
        view_.redrawGin(kGinResult);
    }
}

std::u16string Session::elevationText() const {
    if (!choices_.elevation) return {};
    if (choices_.pileLength.state != LengthState::Valid) return u"展開図には矢板長 L が要ります";
    if (!choices_.headLevel) return u"展開図: 天端の高さ（m）を数で入れてください";
    return {};
}

const HSections& Session::hSections() const {
    if (hSections_) return *hSections_;
    const std::u16string path = sv_.fs.besideProgram(kHSectionsFile);
    HSections read;
    try {
        if (sv_.fs.fileExists(path)) read = parseHSections(sv_.fs.readFile(path));
        else read.fault = u"部材データ " + std::u16string(kHSectionsFile) + u" がありません";
    } catch (const RaisedError&) {
        read.fault = u"部材データ " + std::u16string(kHSectionsFile) + u" を読めません";
    }
    return *(hSections_ = std::move(read));
}

void Session::setSupports(const SupportTyped& typed) {
    SupportOptions options = readSupports(typed, members());
    if (members().empty()) options.fault = u"支保工: " + hSections().fault;
    if (!viewReady_) {
        choices_.supports = std::move(options);
        return;
    }
    choose([&](Choices& c) { c.supports = std::move(options); });
}

std::u16string Session::supportsNote() const { return ravo::supportsNote(choices_.supports); }

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
    drawOutlineGins(store_, *outlines_);
    replan(Cause::Section);
    // Another width makes another wall: show the whole of it.
    fitRun();
}

std::u16string Session::countText() const {
    std::u16string text = ravo::countText(plan_);
    const bool annotated =
        choices_.labels || choices_.numbers || choices_.elevation || choices_.table || plan_.supports.drawn();
    if (annotated && plan_.laid() && !currentTextStyle(input_.header).fits()) {
        text += u"  ※文字の大きさが図面に収まらないため注記を省きます";
    } else if (annotated && outlines_ && plan_.laid()) {
        const std::u16string leftOut = leftOutText(drawingOf(plan_, input_, *outlines_, choices_).leftOut);
        if (!leftOut.empty()) text += u"  " + leftOut;
    }
    return text;
}

std::u16string Session::massText() const { return massLine(quantities(), choices_.pileLength); }

void Session::fitRun() { fitPicture(view_, plan_); }

void Session::drawPlan() { drawPicture(store_, plan_, outlines_ ? &*outlines_ : nullptr, choices_, view_); }

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
