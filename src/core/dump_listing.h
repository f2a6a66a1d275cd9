// The diagnostic listing of one gin (and, for gin 0, the header state).
#pragma once
#include <string>
#include <vector>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"

namespace ravo {

std::u16string dumpLineText(const GinStore& store, int nGin, int i, const NumberFormat& fmt);
std::u16string dumpMojiText(const GinStore& store, int nGin, int i, const NumberFormat& fmt);

// The listing, one entry per memo line. A gin number outside 0..10 lists
// the sections with no records (the store is never read past its gins).
std::vector<std::u16string> dumpGin(const GinStore& store, const GaibuHeader& header, int nGin,
                                    const NumberFormat& fmt);

}  // namespace ravo
