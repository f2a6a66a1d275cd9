#include "host_input.h"

#include <cstring>

#include "errors.h"

namespace ravo {

namespace {

// About as many lines as `bytes` holds, judged by its first 256 KiB and a
// tenth more, for lines that run shorter further on.
size_t linesExpected(std::string_view bytes) {
    constexpr size_t kSample = size_t{256} << 10;
    const std::string_view head = bytes.substr(0, kSample);
    size_t ends = 1;
    for (const char *p = head.data(), *end = p + head.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr; ++p)
        ++ends;
    if (bytes.size() <= kSample) return ends;
    return static_cast<size_t>(static_cast<double>(ends) * 1.1 * (static_cast<double>(bytes.size()) / kSample));
}

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
    // A record a line at most: room for them at once spares the store its
    // copies as it grows (past the estimate it grows as it reads, and so it
    // does where the limit refuses the room).
    read.reserveLines(kGinResult, linesExpected(bytes));
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
