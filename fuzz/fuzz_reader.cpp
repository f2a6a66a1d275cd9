// The host reader on arbitrary file bytes: it raises its own errors, nothing
// else, never touches memory it does not own, and its short way for number
// lines changes nothing: with it and without it, under "." and ",", the
// store, the header and the error are the same.
#include <cstdlib>
#include <cstring>

#include "core/dump_listing.h"
#include "core/errors.h"
#include "core/gaibu_reader.h"
#include "platform/posix/posix_platform.h"

namespace {

struct Outcome {
    std::vector<std::u16string> listing;
    std::vector<ravo::recLine> lines;
    int32_t attrs[4];
    bool raised = false;
    std::u16string error;
};

Outcome read(std::string_view bytes, const ravo::NumberFormat& fmt, bool shortWay) {
    static ravo::Cp932Codec codec;
    ravo::RecordingMessages msgs;
    ravo::GinStore store(msgs, size_t{64} << 20);
    ravo::GaibuHeader header;
    Outcome o;
    try {
        ravo::GaibuReader reader(header, store, fmt, codec);
        reader.setShortWay(shortWay);
        reader.readBytes(bytes);
    } catch (const ravo::RaisedError& e) {
        o.raised = true;
        o.error = e.message();
    }
    o.listing = ravo::dumpGin(store, header, 0, fmt);
    for (int i = 0; i <= store.lastLineIndex(0); ++i) o.lines.push_back(store.lineRec(0, i));
    o.attrs[0] = store.curLG;
    o.attrs[1] = store.curLY;
    o.attrs[2] = store.curCL;
    o.attrs[3] = store.curLT;
    return o;
}

bool same(const Outcome& a, const Outcome& b) {
    if (a.raised != b.raised || a.error != b.error || a.listing != b.listing || a.lines.size() != b.lines.size() ||
        std::memcmp(a.attrs, b.attrs, sizeof a.attrs) != 0)
        return false;
    for (size_t i = 0; i < a.lines.size(); ++i) {
        const ravo::recLine &x = a.lines[i], &y = b.lines[i];
        const double px[] = {x.X1, x.Y1, x.X2, x.Y2, x.R}, py[] = {y.X1, y.Y1, y.X2, y.Y2, y.R};
        if (x.kind != y.kind || std::memcmp(px, py, sizeof px) != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (char16_t sep : {u'.', u','}) {
        const ravo::NumberFormat fmt{sep};
        if (!same(read(bytes, fmt, true), read(bytes, fmt, false))) std::abort();
    }
    return 0;
}
