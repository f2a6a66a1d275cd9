// Pile outline files and the layout of the run between hp1 and hp2.
#pragma once
#include <cstdint>
#include <string>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"
#include "platform.h"

namespace ravo {

struct GinNumbers {
    int nGinResult = 0;
    int nGinNormal = 1;
    int nGinNormalMirror = 2;
    int nGinStart = 3;
    int nGinStartMirror = 4;
    int nGinEnd = 5;
    int nGinEndMirror = 6;
};

// The longest run the tool lays: 25,000 piles, 10 km at the 400 pitch.
// Beyond it the records would crowd the 32-bit address space; such a run
// is refused before anything is allocated.
inline constexpr int32_t kMaxPileCount = 25000;

struct LayoutState {
    double dPitch = 400.0;
    int32_t nPileCount = 0;
    double dAngle = 0;
    int32_t nReverse = 0;
    bool bStartCorner = false;
    bool bEndCorner = false;
};

inline constexpr const char16_t* kPileFileNormal = u"data\\pile_n.dat";
inline constexpr const char16_t* kPileFileStart = u"data\\pile_l.dat";
inline constexpr const char16_t* kPileFileEnd = u"data\\pile_r.dat";

// Appends one line record per segment line of the file. Raises IoError and
// ConvertError; the segments before a failing line stay.
void loadPileShape(GinStore& store, int nGin, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec);

// Number of piles for a run of `length`: length / pitch rounded up.
// Returns false (count untouched) when it is not finite or above the limit.
bool pileCountFor(double length, double pitch, int32_t& count);

class PileLayout {
public:
    PileLayout(LayoutState& state, const GinNumbers& gins, GinStore& store, const GaibuHeader& header,
               const FileSystem& fs, const NumberFormat& fmt, const AnsiCodec& codec, MessageSink& messages)
        : state_(state), gins_(gins), store_(store), header_(header), fs_(fs), fmt_(fmt), codec_(codec),
          messages_(messages) {}

    void preparePiles();
    void layoutPiles(int32_t orientation);
    void loadOutlines();

private:
    LayoutState& state_;
    const GinNumbers& gins_;
    GinStore& store_;
    const GaibuHeader& header_;
    const FileSystem& fs_;
    const NumberFormat& fmt_;
    const AnsiCodec& codec_;
    MessageSink& messages_;
};

std::u16string pileCountMessage();

}  // namespace ravo
