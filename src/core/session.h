// The state of one run of the tool and what the main window asks of it: the
// host's input, the user's choices and the plan laid from them, shown in
// the preview and written at OK.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gin_store.h"
#include "host_input.h"
#include "number_text.h"
#include "outlines.h"
#include "plan.h"
#include "platform.h"
#include "preview.h"
#include "quantities.h"
#include "sheet.h"
#include "supports.h"
#include "view.h"

namespace ravo {

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
// user does, and what the window shows. Each choice lays the plan afresh
// from the input and shows it.
class Session {
public:
    explicit Session(const Services& services);

    // The preview's image: the view draws on it from now on.
    void attachImage(Canvas& image);

    // The first show: empties the result beside the program, reads the host
    // file there, lays the run and fits the view to it. Returns false when
    // there is no host file.
    // Raises IoError and ConvertError; the steps after the failing one are
    // skipped.
    bool runShowSteps();

    void setRunMode(RunMode mode) { choices_.mode = mode; }
    // A wall along a path (points in order or a selection) rather than the
    // two-point run.
    bool wallMode() const { return plan_.wall; }
    // Every wall a closed loop: 起点 and 終点 have no end to stand at.
    bool closedLoop() const { return plan_.closed(); }

    // The section to lay, keeping the corners and the orientation; before
    // the first show it waits for the run. Raises IoError and ConvertError
    // when its outlines do not load; the section before stays, and its run.
    void setSection(size_t index);
    size_t section() const { return choices_.section; }
    // 起点 and 終点 (only once the preview is there), 反転.
    void setStartCorner(bool on);
    void setEndCorner(bool on);
    void turnPilesOver();
    // A wall's start moves on to the next corner of a loop, or to the other
    // end of an open path; the direction turns round. Of several walls, the
    // one nearest the last press on the preview (the first before any).
    void moveStart();
    void turnDirection();
    // What the drawn line is: the joint line or a face of the wall.
    void setFace(WallFace face);

    // The count line under the preview (with the annotations OK leaves out
    // for want of room), and the line under it: the mass, or why there is
    // none.
    std::u16string countText() const;
    std::u16string massText() const;
    // The pieces laid, counted and weighed at the pile length.
    QuantityTable quantities() const { return ravo::quantities(plan_, choices_); }

    // The pile length as typed, and whether OK adds a label per leg and the
    // quantity table to the drawing. None of them lays the run again.
    void setPileLength(std::u16string_view typed) { choices_.pileLength = parsePileLength(typed); }
    void setLabels(bool on) { choices_.labels = on; }
    void setTable(bool on) { choices_.table = on; }
    // The sheet's extras, none of which lays anew: pile numbers (shown in
    // the preview too) every `step`-th pile; the developed elevation from
    // the head level as typed; the annotations' layer (-1: the write
    // layer); each piece as one curve object.
    void setNumbers(bool on, int32_t step);
    void setElevation(bool on, std::u16string_view headLevel) {
        choices_.elevation = on;
        choices_.headLevel = parseLevel(headLevel);
    }
    void setAnnotationLayer(int32_t layer) { choices_.annotationLayer = layer >= 0 && layer < kLayerCount ? layer : -1; }
    void setGroupPieces(bool on) { choices_.groupPieces = on; }
    // Why the elevation is left out, or nothing when it is drawn (or not
    // asked for).
    std::u16string elevationText() const;

    // The support window: the sections its list offers (none where their
    // file does not read; the note says why), its choices as typed (laid
    // at once, the preview included), and its note.
    const std::vector<HSection>& members() const { return hSections().list; }
    void setSupports(const SupportTyped& typed);
    std::u16string supportsNote() const;
    // The quantity table as printed, as tab-separated text for the clipboard.
    std::u16string tableText() const { return quantityTabText(quantities(), choices_.pileLength); }

    // The preview: the image resized; the wheel turned by `notches` (away
    // from the user: in) with the cursor at pixel (x, y) from the image's
    // panel corner; the mouse on the image; "+", "-" and "H" (the whole run,
    // a wall with room round it for its counts).
    void resizeImage();
    void zoomAt(int notches, int32_t x, int32_t y);
    void press(int button, int32_t x, int32_t y);
    void drag(int32_t x, int32_t y) { preview_.imgGinMouseMove(x, y); }
    void release(int32_t x, int32_t y) { preview_.imgGinMouseUp(x, y); }
    void loseMouse() { preview_.cancelGestures(); }
    void zoomIn() { preview_.btnZoomUpClick(); }
    void zoomOut() { preview_.btnZoomDownClick(); }
    void showWholeRun() { fitRun(); }

    // OK: writes the run as laid, or why nothing is. Raises IoError; the
    // window stays for another try.
    void ok();
    // Cancel: where nothing could be laid, the host is told why, as at OK.
    // Raises IoError.
    void cancel();

    // The dump window's listing of a gin of the preview.
    std::vector<std::u16string> dumpListing(int nGin) const;

private:
    // What made the plan be laid again: a refusal is told again only where
    // this could have caused it.
    enum class Cause : uint8_t { Read, Section, Choice };

    bool showSteps();
    void changeSection(size_t index);
    // Lays the plan from the input and the choices, tells its refusal and
    // puts it in the preview's gins.
    void replan(Cause cause);
    template <class Change>
    void choose(Change&& change);
    // The plan and the overlay in the preview's gins.
    void drawPlan();
    void fitRun();  // the view fitted to the run, or to what was given
    // Runs one attempt to lay (or read and lay) and notes why it laid
    // nothing: the error it raised, or the plan's refusal.
    template <class Attempt>
    void attempt(Attempt&& lay);
    // The wall the start and direction verbs act on.
    size_t activeWall() const;
    // The "he" record for a refusal, in the result's encoding.
    std::string refusalRecord() const;
    // The members' sections, read from their file when first asked for.
    const HSections& hSections() const;

    Services sv_;  // first: the members below use it
    GinStore store_{sv_.messages};
    View view_{store_, sv_.messages};
    GestureState gestures_;
    Preview preview_{view_, gestures_, kGinResult};
    bool viewReady_ = false;
    std::u16string outFile_;

    HostInput input_;
    bool inputRead_ = false;  // the host file was read whole
    Choices choices_;
    std::optional<Outlines> outlines_;  // the section's, once loaded
    Plan plan_;
    std::u16string why_;  // why nothing is laid, as the user was told
    std::optional<WallPoint> pressed_;  // where the preview was last pressed, in the drawing
    mutable std::optional<HSections> hSections_;
};

// The start-from-host message.
std::u16string startFromHostMessage();
inline constexpr const char16_t* kAppTitle = u"Ravo鋼矢板";
inline constexpr const char16_t* kCaption = u"Ravo鋼矢板\u3000ver1.00";

}  // namespace ravo
