// The state of one run of the tool and the steps the main window drives:
// the show sequence, the run's controls, OK.
#pragma once
#include <string>
#include <string_view>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"
#include "pile_layout.h"
#include "platform.h"
#include "preview.h"
#include "quantities.h"
#include "view.h"

namespace ravo {

// What the batch file asked for: two points (the default), points in order,
// or the wall line selected in the host.
enum class RunMode { TwoPoints, Points, Selection };

// The mode named on the command line ("/points", "/select"); anything else
// is the two-point run.
RunMode runModeFromCommandLine(std::u16string_view commandLine);

struct Services {
    const FileSystem& fs;
    const AnsiCodec& codec;
    MessageSink& messages;
    NumberFormat fmt;
};

// The one door of the core for the main window: one verb per thing the
// user does, and what the window shows. The state is its own.
class Session {
public:
    explicit Session(const Services& services);

    const Services& services() const { return sv_; }
    const NumberFormat& fmt() const { return sv_.fmt; }

    // The preview's image: the view draws on it from now on.
    void attachImage(Canvas& image);
    bool viewReady() const { return bViewReady_; }

    // Steps 3 to 5 of the first show: paths, empty the result, read the
    // host file, lay the run, fit the view to it. Returns false when there is
    // no host file.
    // Raises IoError and ConvertError; the steps after the failing one are
    // skipped.
    bool runShowSteps(const std::u16string& exeDir);

    void setRunMode(RunMode mode) { mode_ = mode; }
    // A wall along a path (points in order or a selection) rather than the
    // two-point run.
    bool wallMode() const { return wallMode_; }
    bool closedLoop() const { return wallMode_ && path_.closed; }
    // The wall's start moves on to the next vertex of a loop, or to the other
    // end of an open path; the direction turns round. Each lays it again.
    void btnStartClick();
    void btnDirectionClick();
    // "H": the whole run (a wall with room round it for its counts).
    void btnHomeClick() { fitRun(); }
    const WallLayout& wall() const { return wall_; }

    // The section to lay; before the first show, or through cmbTypeChange.
    void chooseSection(size_t index) { layouter_.setSection(index); }
    // Lays the run again with another section, keeping the corners and the
    // orientation. Raises IoError and ConvertError when its outlines do not
    // load; the previous section is then back in place.
    void cmbTypeChange(size_t index);
    // The count line under the preview for the run as laid.
    std::u16string countText() const;

    void chkStartClick(bool checked);
    void chkEndClick(bool checked);
    void btnReverseClick();
    size_t sectionIndex() const { return layout_.nSection; }

    // The preview: the image resized; the wheel (its message's first
    // parameter) with the cursor at pixel (x, y) from the image's panel
    // corner; the mouse on the image; "+" and "-".
    void imageResized();
    void wheel(int32_t wparam, int32_t x, int32_t y);
    void mouseDown(int button, int32_t x, int32_t y) { preview_.imgGinMouseDown(button, x, y); }
    void mouseMove(int32_t x, int32_t y) { preview_.imgGinMouseMove(x, y); }
    void mouseUp(int32_t x, int32_t y) { preview_.imgGinMouseUp(x, y); }
    void captureLost() { preview_.cancelGestures(); }
    void btnZoomUpClick() { preview_.btnZoomUpClick(); }
    void btnZoomDownClick() { preview_.btnZoomDownClick(); }

    // The pile length as typed, and whether OK adds a label per leg and the
    // quantity table to the drawing. None of them changes the run.
    void setPileLength(std::u16string_view typed) { pileLength_ = parsePileLength(typed); }
    void chkLabelClick(bool checked) { bLabels_ = checked; }
    void chkTableClick(bool checked) { bTable_ = checked; }
    const PileLength& pileLength() const { return pileLength_; }
    // The pieces laid, counted and weighed at the pile length.
    QuantityTable quantities() const;
    // The line under the count: the mass, or why there is none.
    std::u16string massText() const { return massLine(quantities(), pileLength_); }

    // Moves the run onto hp1 (once per laying of the run, however often OK
    // is pressed) and writes it. Raises IoError; the run then stays moved for
    // the next attempt, until a corner box or "反転" lays it again.
    void writeRunResult();
    bool movedToHp1() const { return moved_; }

    // The state itself, for the dump window and for tests.
    const GinStore& store() const { return store_; }
    GinStore& store() { return store_; }
    const GaibuHeader& header() const { return header_; }
    GaibuHeader& header() { return header_; }
    const LayoutState& layout() const { return layout_; }
    LayoutState& layout() { return layout_; }
    const ViewState& viewState() const { return viewState_; }
    View& view() { return view_; }
    // Where OK writes: the show sequence sets it beside the exe.
    const std::u16string& outFile() const { return strOutFile_; }
    void setOutFile(const std::u16string& path) { strOutFile_ = path; }
    PileLayout& layouter() { return layouter_; }

    // Cancel: where nothing could be laid, the host is told why, as at OK.
    // Raises IoError.
    void cancelRun();

private:
    // Passes every message on and keeps the last: what the user was told
    // about an attempt that laid nothing is what the host is told.
    struct Told : MessageSink {
        explicit Told(MessageSink& to) : to(to) {}
        void showMessage(std::u16string_view text) override {
            last = text;
            to.showMessage(text);
        }
        MessageSink& to;
        std::u16string last;
    };

    Services sv_;  // first: the members below use it
    Told told_{sv_.messages};
    GinStore store_;
    GaibuHeader header_;
    GinNumbers gins_;
    LayoutState layout_;
    ViewState viewState_;
    View view_{viewState_, store_, told_};
    GestureState gestures_;
    Preview preview_{view_, gestures_, gins_.nGinResult};
    bool bViewReady_ = false;
    std::u16string strExeDir_, strInFile_, strOutFile_;

    void layAgain();  // lays the run afresh at the origin and repaints it
    bool showSteps(const std::u16string& exeDir);
    void changeSection(size_t index);
    // The path from the points or the selection read; a fault is shown and
    // leaves no path.
    void takePath();
    // Lays the wall along the path from its start and direction, and what
    // the preview shows under it.
    void layWallRun();
    void drawOverlay(const WallPath& drawn);
    void addOverlayLine(double x1, double y1, double x2, double y2, int32_t colour);
    void prepare();  // the outlines of the section, for the run or the wall
    void fitRun();   // the view fitted to the run, or to what was given
    // The labels and the table for the run as it stands at OK, in the
    // result's encoding.
    std::string annotationRecords() const;
    PileLayout layouter_;
    RunMode mode_ = RunMode::TwoPoints;
    bool wallMode_ = false;
    WallPath path_;  // empty when the input gave none
    size_t start_ = 0;
    bool reversed_ = false;
    WallLayout wall_;
    PileLength pileLength_;
    bool bLabels_ = false, bTable_ = false;
    bool moved_ = false;
    bool headerRead_ = false;  // the host file was read whole
    std::u16string why_;       // why nothing is laid, as the user was told
    // Runs one attempt to lay (or read and lay) and notes why it laid
    // nothing: the error it raised, or the last message it showed.
    template <class Attempt>
    void attempt(Attempt&& lay);
    // The "he" record for a refusal, in the result's encoding.
    std::string refusalRecord() const;
};

// The start-from-host message.
std::u16string startFromHostMessage();
inline constexpr const char16_t* kAppTitle = u"Ravo鋼矢板";
inline constexpr const char16_t* kCaption = u"Ravo鋼矢板\u3000ver1.00";

}  // namespace ravo
