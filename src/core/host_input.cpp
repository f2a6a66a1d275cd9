#include "host_input.h"

#include "errors.h"

namespace ravo {

namespace {

// The reading store's own word on a full store goes nowhere: the read stops
// there with a LimitError, which the user is shown once.
struct Quiet : MessageSink {
    void showMessage(std::u16string_view) override {}
};

}  // namespace

void readHostInto(HostInput& in, std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec) {
    in = HostInput{};
    // The reader fills a store of its own; its line records are taken over
    // whole. Texts and the rest are not the tool's concern, and cost no store.
    Quiet quiet;
    GinStore read(quiet);
    GaibuReader reader(in.header, read, fmt, codec);
    reader.collectArcs(&in.arcs);
    reader.skipTexts();
    auto takeOver = [&] {
        in.records = read.takeLines(kGinResult);
        in.last = {read.curLG, read.curLY, read.curCL, read.curLT};
    };
    try {
        reader.readBytes(bytes);
    } catch (const RaisedError&) {
        takeOver();  // what came before the bad line, for the dump to list
        throw;
    }
    takeOver();
}

HostInput readHost(std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec) {
    HostInput in;
    readHostInto(in, bytes, fmt, codec);
    return in;
}

}  // namespace ravo
