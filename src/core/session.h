// The state of one run of the tool and the steps the main window drives:
// the show sequence, the run's controls, OK.
#pragma once
#include <string>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"
#include "pile_layout.h"
#include "platform.h"
#include "preview.h"
#include "view.h"

namespace ravo {

struct Services {
    const FileSystem& fs;
    const AnsiCodec& codec;
    MessageSink& messages;
    NumberFormat fmt;
};

class Session {
public:
    explicit Session(const Services& services);

private:
    Services sv_;  // first: the members below use it

public:
    const Services& services() const { return sv_; }
    const NumberFormat& fmt() const { return sv_.fmt; }

    GinStore store;
    GaibuHeader header;
    GinNumbers gins;
    LayoutState layout;
    ViewState viewState;
    View view{viewState, store, sv_.messages};
    GestureState gestures;
    Preview preview{view, gestures, gins.nGinResult};

    bool bViewReady = false;
    std::u16string strExeDir, strInFile, strOutFile;

    // Steps 3 to 5 of the first show: paths, empty the result, read the
    // host file, lay the run, fit the view to it. Returns false when there is
    // no host file.
    // Raises IoError and ConvertError; the steps after the failing one are
    // skipped.
    bool runShowSteps(const std::u16string& exeDir);

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

    // Moves the run onto hp1 (once per laying of the run, however often OK
    // is pressed) and writes it. Raises IoError; the run then stays moved for
    // the next attempt, until a corner box or "反転" lays it again.
    void writeRunResult();
    bool movedToHp1() const { return moved_; }

    PileLayout& layouter() { return layouter_; }

private:
    void layAgain();  // lays the run afresh at the origin and repaints it

    PileLayout layouter_;
    bool moved_ = false;
    bool headerRead_ = false;  // the host file was read whole
};

// The start-from-host message.
std::u16string startFromHostMessage();
inline constexpr const char16_t* kAppTitle = u"Ravo鋼矢板";
inline constexpr const char16_t* kCaption = u"Ravo鋼矢板\u3000ver1.00";

}  // namespace ravo
