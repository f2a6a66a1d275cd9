// The gin store: eleven numbered entity lists of line/circle records and
// text records, plus the current attributes stamped on new entities.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform.h"

namespace ravo {

inline constexpr int kGinCount = 11;
// The gin a store reads the host's export into (the reader's own store, whose
// records the run is planned from), and the gin the preview shows the laid
// pieces in and the dump lists. The result is formatted from the plan's
// drawing, not from a gin.
inline constexpr int kGinResult = 0;

enum LineKind : int32_t {
    kKindLine = 100,
    kKindCircle = 50,
    kKindEmpty = -1,
    kKindContinue = -2,
    kKindVoid = 0,
};

// The host's line type 1, solid, as the records carry it.
inline constexpr int32_t kSolidLineType = 101;

struct recLine {
    int32_t kind;
    int32_t n;
    int32_t LG, LY, CL, LT;
    double X1, Y1, X2, Y2, R;
    uint8_t p, selected, skip;
};

inline constexpr int kMojiTextUnits = 504;  // 503 characters and the null

struct recMoji {
    double X1, Y1, X2, Y2;
    int32_t LG, LY, CL;
    double W, H;
    int32_t nBase;
    char16_t text[kMojiTextUnits];
};


class GinStore {
public:
    // `byteLimit` bounds the storage of all gins together; growing past it
    // is treated like a failed allocation (the 32-bit product has a finite
    // address space and must say so rather than die).
    explicit GinStore(MessageSink& messages, size_t byteLimit = kDefaultByteLimit);

    static constexpr size_t kDefaultByteLimit = size_t{256} << 20;

    int32_t curLG = 0, curLY = 0, curCL = 0, curLT = 0;

    void clearGin(int nGin);
    int lastLineIndex(int nGin) const { return gin(nGin).lineCount - 1; }
    int lastMojiIndex(int nGin) const { return gin(nGin).mojiCount - 1; }

    int addLineRec(int nGin, int32_t kind, int32_t LG, int32_t LY, int32_t CL, int32_t LT, double X1,
                   double Y1, double X2, double Y2, double R);
    int addLine(int nGin, double X1, double Y1, double X2, double Y2) {
        return addLineRec(nGin, kKindLine, curLG, curLY, curCL, curLT, X1, Y1, X2, Y2, 0.0);
    }
    int addCircle(int nGin, double X, double Y, double R) {
        return addLineRec(nGin, kKindCircle, curLG, curLY, curCL, curLT, X, Y, X, Y, R);
    }
    int addMoji_NB(int nGin, int32_t LG, int32_t LY, int32_t CL, double X1, double Y1, double X2,
                   double Y2, double W, double H, int32_t nBase, std::u16string_view text);
    int addMoji(int nGin, int32_t nBase, double X1, double Y1, double X2, double Y2, double W, double H,
                std::u16string_view text) {
        return addMoji_NB(nGin, curLG, curLY, curCL, X1, Y1, X2, Y2, W, H, nBase, text);
    }

    bool isLineSkipped(int nGin, int i) const {
        const recLine& r = lineRec(nGin, i);
        return r.kind == kKindVoid || r.skip != 0;
    }

    // Read access to whole records (extents, text drawing, the dump).
    const recLine& lineRec(int nGin, int i) const { return gin(nGin).lines[static_cast<size_t>(i)]; }
    const recMoji& mojiRec(int nGin, int i) const { return gin(nGin).mojis[static_cast<size_t>(i)]; }
    // Contiguous view of the line records 0..lastLineIndex.
    const recLine* lineData(int nGin) const { return gin(nGin).lines.data(); }

    // The list capacities as the store accounts them (100-record steps for
    // lines, 1 for texts); the physical arrays grow geometrically.
    int lineCapacity(int nGin) const { return gin(nGin).lineCapacity; }
    int mojiCapacity(int nGin) const { return gin(nGin).mojiCapacity; }

    // Goes up whenever a line record of the gin is added, changed or
    // cleared: what is derived from the records is still good while it holds.
    uint64_t lineChangeCount(int nGin) const { return gin(nGin).lineChanges; }

    // The gin's line records, handed over whole; the gin is left empty.
    std::vector<recLine> takeLines(int nGin);

    // Make room for `extra` more line records in one step (bulk copies).
    bool reserveLines(int nGin, size_t extra);

    static bool validGin(int nGin) { return nGin >= 0 && nGin < kGinCount; }

private:
    struct Gin {
        std::vector<recLine> lines;  // size() is the physical slot count
        int lineCount = 0;
        uint64_t lineChanges = 0;
        int lineCapacity = 0;
        std::vector<recMoji> mojis;
        int mojiCount = 0;
        int mojiCapacity = 0;
    };

    const Gin& gin(int nGin) const { return gins_[static_cast<size_t>(nGin)]; }
    Gin& gin(int nGin) { return gins_[static_cast<size_t>(nGin)]; }
    template <class Rec>
    size_t grownCapacity(size_t cap, size_t needed) const;
    template <class Rec>
    bool growTo(std::vector<Rec>& v, size_t needed);
    size_t bytesInUse() const;
    void outOfMemory();

    MessageSink& messages_;
    size_t byteLimit_;
    Gin gins_[kGinCount];
};

}  // namespace ravo
