// The host's export file: the header state it carries and the reader that
// applies every line to it and to gin 0.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gin_store.h"
#include "number_text.h"
#include "platform.h"

namespace ravo {

struct GaibuPoint {
    double x = 0, y = 0;
};

struct GaibuRect {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

inline constexpr int kHeaderSlots = 21;   // 0..20
inline constexpr int kPointSlots = 101;   // 0..100
// The host's layer groups, 0 to F, each with its scale in "hs".
inline constexpr int kLayerGroups = 16;
// The host's text types 1 to 10, each with its size in "hcw", "hch", "hcd".
inline constexpr int kTextTypes = 10;

struct GaibuHeader {
    double hs[kHeaderSlots] = {};
    double hcw[kHeaderSlots] = {};
    double hch[kHeaderSlots] = {};
    double hcd[kHeaderSlots] = {};
    int32_t hcc[kHeaderSlots] = {};
    GaibuRect hn;
    GaibuPoint hp[kPointSlots];
    bool hpGiven[kPointSlots] = {};  // which points the file named
    std::u16string strLayerGroupName[kHeaderSlots];
    std::u16string strLayerName[kHeaderSlots][kHeaderSlots];
    double dMojiW = 0;
    double dMojiH = 0;
    double dMojiD = 0;        // cn0's spacing
    int32_t nMojiColour = 0;  // cn0's colour
    int32_t nMojiBase = 0;
    // The user's current text type ("cnN"; 0 after "cn0"; -1 when none was
    // named) and layer group as the header leaves them at its "#" line.
    int32_t nTextType = -1;
    int32_t nWriteLG = -1;
    int32_t nWriteLY = 0;  // the write layer at the "#" (0 where none was named)
    bool bHeaderEnded = false;
};

// An arc record ("ci x y r start end flatness tilt"): angles in degrees,
// counter-clockwise from start to end; flatness 1 is a circular arc.
struct HostArc {
    double x = 0, y = 0, r = 0, start = 0, end = 0, flatness = 1, tilt = 0;
    int32_t layerGroup = 0;
};

class GaibuReader {
public:
    GaibuReader(GaibuHeader& header, GinStore& store, const NumberFormat& fmt, const AnsiCodec& codec,
                int nGinResult = kGinResult)
        : header_(header), store_(store), fmt_(fmt), codec_(codec), nGin_(nGinResult) {}

    // Reads and applies every line of the file's bytes. Raises
    // ConvertError and LimitError; lines before the failing one have taken
    // effect.
    void readBytes(std::string_view data);
    // One line of bytes in the ANSI code page, without its line end.
    void processLine(std::string_view bytes);
    // After the last line of a file read line by line (resetGaibuState
    // before the first).
    void endOfFile() { endHeader(); }
    void applyLine(int code, const std::u16string* slots, int count);
    void resetGaibuState();
    // Off: every line goes the general way (for checking that the short way
    // for number lines gives the same).
    void setShortWay(bool on) { shortWay_ = on; }
    // Arc records are collected here (the store keeps lines and circles).
    void collectArcs(std::vector<HostArc>* arcs) { arcs_ = arcs; }
    // Texts are converted (a bad number in one is still an error) but not
    // kept: a reader for the run has no use for them.
    void skipTexts() { keepTexts_ = false; }

private:
    // Raises LimitError where the store took no record (index -1).
    void stored(int index) const;
    bool tryNumberLine(std::string_view bytes);
    // Whether an entity record belongs to a block or a dimension figure:
    // neither is a line the user drew, and the tool leaves both out.
    bool inFigure() const { return blocks_ > 0 || dimension_ != Dimension::None; }
    // The first "#" ends the header, or the file's end where there is none:
    // what is current there is the user's.
    void endHeader();
    double real(const std::u16string& token) const { return strToFloat(token, fmt_); }
    int32_t hexDigit(char16_t c) const;

    GaibuHeader& header_;
    GinStore& store_;
    const NumberFormat& fmt_;
    const AnsiCodec& codec_;
    int nGin_;
    bool shortWay_ = true;
    std::vector<HostArc>* arcs_ = nullptr;
    bool keepTexts_ = true;
    // The groups open at this line: a block ("BL" … "#") or a curve ("pl" …
    // "#"); each "#" closes the innermost. Blocks among them.
    std::u16string groups_;
    int blocks_ = 0;
    // A dimension figure: "msg", its line, its value ("cs").
    enum class Dimension : uint8_t { None, Line, Value } dimension_ = Dimension::None;
    // The text size the entity texts are read with; a "cn0" among the
    // entities changes it, not the user's text type in the header.
    double textW_ = 0, textH_ = 0;
    std::u16string slots_[101];
    std::u16string wide_;
};

}  // namespace ravo
