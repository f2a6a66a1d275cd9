#include "gin_store.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "errors.h"

namespace ravo {

namespace {

constexpr int kLineStep = 100;
constexpr int kMojiStep = 1;

}  // namespace

GinStore::GinStore(MessageSink& messages, size_t byteLimit) : messages_(messages), byteLimit_(byteLimit) {}

size_t GinStore::bytesInUse() const {
    size_t total = 0;
    for (const Gin& g : gins_)
        total += g.lines.capacity() * sizeof(recLine) + g.mojis.capacity() * sizeof(recMoji);
    return total;
}

void GinStore::outOfMemory() { messages_.showMessage(kOutOfMemoryText); }

// The capacity to grow to for `needed` slots: double, but never past the
// byte limit, so that the last step before the limit takes all that is left
// and growth stays amortised right up to it. 0: the limit does not allow it.
template <class Rec>
size_t GinStore::grownCapacity(size_t cap, size_t needed) const {
    const size_t inUse = bytesInUse();
    const size_t room = inUse < byteLimit_ ? (byteLimit_ - inUse) / sizeof(Rec) : 0;
    if (needed - cap > room) return 0;
    return std::max(needed, cap + std::min(cap, room));
}

// Gives `v` `needed` slots. Its capacity grows geometrically underneath the
// 100-record accounting, so N appends cost O(N) in all; growth past the byte
// limit, or an allocation that fails, leaves it as it was.
template <class Rec>
bool GinStore::growTo(std::vector<Rec>& v, size_t needed) {
    if (v.size() >= needed) return true;
    const size_t cap = v.capacity();
    if (cap < needed) {
        const size_t newCap = grownCapacity<Rec>(cap, needed);
        if (newCap == 0) return false;
        try {
            v.reserve(newCap);
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
    }
    v.resize(needed);
    return true;
}

void GinStore::clearGin(int nGin) {
    Gin& g = gin(nGin);
    ++g.lineChanges;
    g.lineCount = 0;
    g.mojiCount = 0;
    g.lineCapacity = 0;
    // The records are gone; the memory under them is kept, so laying a run
    // again (every click on the run's controls) touches no fresh pages.
    g.lines.clear();
    if (!growTo(g.lines, kLineStep)) {
        outOfMemory();
        return;
    }
    g.lineCapacity = kLineStep;
    g.lines[0] = recLine{};
    g.lines[0].kind = kKindEmpty;
}

bool GinStore::reserveLines(int nGin, size_t extra) {
    Gin& g = gin(nGin);
    // The slot count the 100-record steps will reach for that many records.
    size_t want = (static_cast<size_t>(g.lineCount) + extra + 2 + kLineStep - 1) / kLineStep * kLineStep;
    if (g.lines.capacity() >= want) return true;
    // Geometric, so that many bulk copies into one gin stay linear.
    const size_t newCap = grownCapacity<recLine>(g.lines.capacity(), want);
    if (newCap == 0) return false;
    try {
        g.lines.reserve(newCap);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

std::vector<recLine> GinStore::takeLines(int nGin) {
    Gin& g = gin(nGin);
    std::vector<recLine> out = std::move(g.lines);
    out.resize(static_cast<size_t>(g.lineCount));
    g.lines = {};
    g.lineCount = 0;
    g.lineCapacity = 0;
    ++g.lineChanges;
    return out;
}

int GinStore::addLineRec(int nGin, int32_t kind, int32_t LG, int32_t LY, int32_t CL, int32_t LT, double X1,
                         double Y1, double X2, double Y2, double R) {
    Gin& g = gin(nGin);
    if (g.lineCapacity <= g.lineCount + 1) {
        if (g.lineCapacity > INT32_MAX - kLineStep ||
            !growTo(g.lines, static_cast<size_t>(g.lineCapacity) + kLineStep)) {
            outOfMemory();
            return -1;
        }
        g.lineCapacity += kLineStep;
    }
    ++g.lineChanges;
    recLine& slot = g.lines[static_cast<size_t>(g.lineCount)];
    slot = recLine{};
    slot.kind = kKindEmpty;
    ++g.lineCount;
    slot.kind = kind;
    slot.n = 1;
    slot.LG = LG;
    slot.LY = LY;
    slot.CL = CL;
    slot.LT = LT;
    slot.X1 = X1;
    slot.Y1 = Y1;
    slot.X2 = X2;
    slot.Y2 = Y2;
    slot.R = R;
    return g.lineCount - 1;
}

int GinStore::addMoji_NB(int nGin, int32_t LG, int32_t LY, int32_t CL, double X1, double Y1, double X2,
                         double Y2, double W, double H, int32_t nBase, std::u16string_view text) {
    if (nBase > 9) messages_.showMessage(u"addMoji_NB:nBaseが不正です");
    Gin& g = gin(nGin);
    if (g.mojiCapacity <= g.mojiCount + 1) {
        if (!growTo(g.mojis, static_cast<size_t>(g.mojiCapacity) + kMojiStep)) {
            outOfMemory();
            return -1;
        }
        g.mojiCapacity += kMojiStep;
    }
    ++g.mojiCount;
    recMoji& m = g.mojis[static_cast<size_t>(g.mojiCount - 1)];
    m.X1 = X1;
    m.Y1 = Y1;
    m.X2 = X2;
    m.Y2 = Y2;
    m.LG = LG;
    m.LY = LY;
    m.CL = CL;
    m.W = W;
    m.H = H;
    m.nBase = nBase;
    // Longer texts are cut to what the buffer holds (no caller passes one).
    size_t n = std::min(text.size(), static_cast<size_t>(kMojiTextUnits - 1));
    std::copy_n(text.data(), n, m.text);
    m.text[n] = u'\0';
    return g.mojiCount - 1;
}

}  // namespace ravo
