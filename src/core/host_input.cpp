#include "host_input.h"

#include <cstdint>
#include <cstring>
#include <functional>

#include "errors.h"
#include "line_cutter.h"

namespace ravo {

namespace {

// About as many lines as a file of `total` bytes holds, judged by its first
// bytes and a tenth more, for lines that run shorter further on.
size_t linesExpected(std::string_view head, uint64_t total) {
    size_t ends = 1;
    for (const char *p = head.data(), *end = p + head.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr; ++p)
        ++ends;
    if (total <= head.size()) return ends;
    const double expected = static_cast<double>(ends) * 1.1 * (static_cast<double>(total) / static_cast<double>(head.size()));
    return expected < static_cast<double>(SIZE_MAX / 2) ? static_cast<size_t>(expected) : SIZE_MAX / 2;
}

// A record a line at most: room for them at once spares the store its
// copies as it grows (past the estimate it grows as it reads, and so it does
// where the limit refuses the room).
void reserveFor(GinStore& store, std::string_view head, uint64_t total) {
    store.reserveLines(kGinResult, linesExpected(head, total));
}

// The reading store's own word on a full store goes nowhere: the read stops
// there with a LimitError, which the user is shown once.
struct Quiet : MessageSink {
    void showMessage(std::u16string_view) override {}
};

// Reads into `in` what feed(reader, store) hands the reader. On a
// ConvertError or LimitError `in` keeps what came before the bad line.
void readWith(HostInput& in, const NumberFormat& fmt, const AnsiCodec& codec,
              const std::function<void(GaibuReader&, GinStore&)>& feed) {
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
        feed(reader, read);
    } catch (const RaisedError&) {
        takeOver();  // what came before the bad line, for the dump to list
        throw;
    }
    takeOver();
}

}  // namespace

void readHostInto(HostInput& in, std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec) {
    readWith(in, fmt, codec, [&](GaibuReader& reader, GinStore& store) {
        reserveFor(store, bytes.substr(0, FileSystem::kPieceBytes), bytes.size());
        reader.readBytes(bytes);
    });
}

void readHostFile(HostInput& in, const FileSystem& fs, const std::u16string& path, const NumberFormat& fmt,
                  const AnsiCodec& codec) {
    HostInput fresh;
    try {
        readWith(fresh, fmt, codec, [&](GaibuReader& reader, GinStore& store) {
            bool first = true;
            reader.resetGaibuState();
            PieceLines lines([&](std::string_view line) { reader.processLine(line); });
            fs.readFileInPieces(path, [&](std::string_view piece, uint64_t fileSize) {
                if (first) reserveFor(store, piece, fileSize);
                first = false;
                lines.piece(piece);
            });
            lines.end();
            reader.endOfFile();
        });
    } catch (const IoError&) {
        throw;  // a file that could not be read leaves nothing of it behind
    } catch (const RaisedError&) {
        in = std::move(fresh);
        throw;
    }
    in = std::move(fresh);
}

HostInput readHost(std::string_view bytes, const NumberFormat& fmt, const AnsiCodec& codec) {
    HostInput in;
    readHostInto(in, bytes, fmt, codec);
    return in;
}

}  // namespace ravo
