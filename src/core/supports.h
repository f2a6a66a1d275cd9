// The supports inside a cofferdam (支保工): the wales along the piles' inner
// face at each level, the struts across between them, the corner braces and
// the king posts where struts cross; the H-sections they are made of, and
// the user's choices of them as typed.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quantities.h"
#include "wall.h"

namespace ravo {

// A rolled H-section as its data file gives it (mm, kg/m) and where its
// figures come from.
struct HSection {
    double h = 0, b = 0, t1 = 0, t2 = 0, r = 0, kgPerM = 0;
    std::u16string source;
};
// "H-300×300×10×15": the section as the table and the label name it.
std::u16string memberName(const HSection& s);

// The sections' file, beside the outlines: a line a section,
// "H B t1 t2 r kg/m source…", "#" for a comment.
inline constexpr const char16_t* kHSectionsFile = u"data\\h_sections.dat";
struct HSections {
    std::vector<HSection> list;
    std::u16string fault;  // why the file gives none, with the line
};
HSections parseHSections(std::string_view bytes);
// The section taken where none is chosen, and the least the guide asks for
// (by depth H, mm).
inline constexpr double kDefaultMemberDepth = 300;
inline constexpr double kLeastMemberDepth = 300;
size_t defaultMember(const std::vector<HSection>& list);

// What the support window holds, as typed.
struct SupportTyped {
    bool on = false;
    std::u16string levels = u"1.0";  // depths below the head (m), parted by blanks or commas
    size_t member = SIZE_MAX;       // index into the sections; past the end: the default
    std::u16string spacing = u"5.0";  // the longest bay of a wale (m)
    std::u16string brace = u"1.5";    // a corner brace's leg along the wales (m); 0: none
};

// What the plan lays the supports from: the depths (m, shallowest first),
// the section, the longest bay and the brace's leg (mm). `fault` says why
// the typed text makes none.
struct SupportOptions {
    bool on = false;
    std::vector<double> levels;
    HSection member;
    double spacing = 5000, brace = 1500;
    std::u16string fault;
};
// The typed choices read: half- or full-width digits; depths above 0 and
// no deeper than the longest pile, none twice; a bay above 0; a leg of 0 or
// more. Any other text is the fault, in the user's words.
SupportOptions readSupports(const SupportTyped& typed, const std::vector<HSection>& members);

// One member of one level (the levels stand one above another): the lines
// it is drawn with, in the plan's frame, and its length for the table (a
// wale's centre line, a strut's clear length, a brace's length between the
// wales' inner faces; a king post's is the pile's).
struct SupportMember {
    PieceKind kind = PieceKind::Wale;
    std::vector<WallSegment> lines;
    double length = 0;  // mm
};

struct Supports {
    std::vector<SupportMember> members;
    std::vector<double> levels;  // m below the head
    HSection section;
    // Where the label stands, by cofferdam: the middle of its first bay
    // where the label is no longer than `room`, else its middle; the
    // direction it reads along.
    struct Label {
        double x = 0, y = 0, room = 0, cx = 0, cy = 0, ux = 1, uy = 0;
    };
    std::vector<Label> labels;
    // Why none were drawn (or some walls took none), for the count line;
    // empty where they were all drawn or none were asked for.
    std::u16string why;
    std::vector<int32_t> walls;  // the walls that hold them
    bool drawn() const { return !members.empty(); }
};

// The most members the supports of one plan may have, as many as its
// pieces: a cofferdam kilometres wide has struts by the hundred each way,
// and king posts by the ten thousand.
inline constexpr int64_t kMostSupportMembers = kMaxPileCount;

// The longest bay on a centre line of `length` between braces `brace` from
// each end: how many struts stand along it, equally spaced.
int32_t strutsAlong(double length, double spacing, double brace);

// The supports of a laid wall: for each closed wall whose laid joint line is
// a rectangle, its wales, struts, braces and king posts; for a full circle,
// a ring wale; for any other, none (and why). The wales stand on the piles'
// inner face: the joint line moved in by the outlines' reach to that side.
struct Plan;
struct Outlines;
Supports planSupports(const Plan& plan, const SupportOptions& options, const Outlines& outlines, int32_t orientation);

// The members as the quantity table lists them, after the piles: 腹起し
// (a level's centre line, by the levels), 切ばり by clear length, 隅火打ち,
// 中間杭 at the pile length (0: none typed), each multiplying out as
// printed.
std::vector<QuantityRow> supportRows(const Supports& s, double pileLengthM);

// The label: "腹起し・切ばり H-300×300×10×15　1段目 －1.00　2段目 －4.00" (the
// levels' heights where the head level is given).
std::u16string supportsLabel(const Supports& s, std::optional<double> headLevel);

// The window's note: the guide's defaults, a section below the guide's
// least, and why the typed text draws none.
std::u16string supportsNote(const SupportOptions& options);

}  // namespace ravo
