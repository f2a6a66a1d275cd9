// What the host's export says, as one value: the header's state (points
// given, scales, text types, the write group) and the entity records
// selected, each with the layer group it was drawn in.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"
#include "platform.h"

namespace ravo {

// The attributes current at the export's end: what the tool's own entities
// are stamped with where the preview and the dump list them.
struct HostAttributes {
    int32_t layerGroup = 0, layer = 0, colour = 0, lineType = 0;
};

struct HostInput {
    GaibuHeader header;
    std::vector<recLine> records;  // the line and circle records, in the export's order
    std::vector<HostArc> arcs;     // the arc records, in the export's order
    HostAttributes last;
};

// Reads the export's bytes. Raises ConvertError on a line that does not
// convert, LimitError at the first record past the store's memory limit
// (texts are read but not kept).
HostInput readHost(std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec);
// The same into `in`, which on either error keeps what came before the bad
// line: the header so far and the records read.
void readHostInto(HostInput& in, std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec);
// The same from the file at `path`, read in pieces (never held whole). An
// IoError leaves `in` as it was.
void readHostFile(HostInput& in, const FileSystem& fs, const std::u16string& path, const NumberFormat& fmt,
                  const AnsiCodec& codec);

}  // namespace ravo
