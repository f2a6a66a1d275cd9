#include "host_input.h"

#include "errors.h"

namespace ravo {

void readHostInto(HostInput& in, std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec,
                  MessageSink& messages) {
    in = HostInput{};
    // The reader fills a store of its own; its line records are taken over
    // whole, texts and the rest are not the tool's concern.
    GinStore read(messages);
    GaibuReader reader(in.header, read, fmt, codec);
    reader.collectArcs(&in.arcs);
    auto takeOver = [&] {
        in.records = read.takeLines(kGinResult);
        in.last = {read.curLG, read.curLY, read.curCL, read.curLT};
    };
    try {
        reader.readBytes(bytes);
    } catch (const ConvertError&) {
        takeOver();  // what came before the bad line, for the dump to list
        throw;
    }
    takeOver();
}

HostInput readHost(std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec, MessageSink& messages) {
    HostInput in;
    readHostInto(in, bytes, fmt, codec, messages);
    return in;
}

}  // namespace ravo
