// Record codes of the host's exchange format and the line classifier.
#pragma once
#include <string>
#include <string_view>

namespace ravo {

enum RecordCode : int {
    kRecNone = -1,
    kRecComment = 11,        // "#"
    kRecHq = 101,
    kRecFile = 102,
    kRecHk = 103,
    kRecHs = 104,
    kRecHcw = 105,
    kRecHch = 106,
    kRecHcd = 107,
    kRecHcc = 108,
    kRecHn = 109,
    kRecHp = 110,
    kRecLayerGroup3 = 111,   // "lgX" as the whole line
    kRecLayer3 = 112,        // "lyX" as the whole line
    kRecColour = 113,
    kRecLineType = 114,
    kRecCn0 = 115,
    kRecCnFont = 116,
    kRecCnType = 117,        // "cn1" .. "cn10": a text type by its number
    kRecLg = 201,
    kRecLy = 202,
    kRecLc = 203,
    kRecLt = 204,
    kRecZ = 207,
    kRecNumbers = 301,
    kRecCircle = 302,
    kRecText = 305,
    kRecTextBase = 306,
    kRecPoint = 307,
    kRecPolyline = 308,
    kRecMsg = 401,
    kRecBlock = 402,
    kRecSl = 405,
    kRecSc = 406,
    kRecSe = 407,
    kRecSolid = 408,
    kRecDimensionValue = 409,  // "cs": a dimension figure's value
    kRecLayerGroup = 502,
    kRecLayerGroupName = 503,
    kRecLayer = 504,
    kRecLayerName = 505,
    kRecHd = 601,
    kRecHe = 602,
    kRecHr = 603,
    kRecH = 604,
    kRecHHash = 605,
};

inline constexpr int kTokenSlots = 101;  // slots 0..100

// Cuts `line` into `slots` (n + 1 of them) and gives its record code.
int classifyLine(std::u16string_view line, std::u16string* slots, int n, int& count);

}  // namespace ravo
