#include "host_input.h"

namespace ravo {

HostInput readHost(std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec, MessageSink& messages) {
    HostInput in;
    // The reader fills a store of its own; its line records are taken over
    // whole, texts and the rest are not the tool's concern.
    GinStore read(messages);
    GaibuReader reader(in.header, read, fmt, codec);
    reader.collectArcs(&in.arcs);
    reader.readBytes(bytes);
    in.records = read.takeLines(kGinResult);
    in.last = {read.curLG, read.curLY, read.curCL, read.curLT};
    return in;
}

}  // namespace ravo
