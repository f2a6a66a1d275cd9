// The whole session on any export and any choice of the window's controls:
// the export read (in pieces of any size), the run or the walls laid, the
// sheet's options chosen, OK. What the host is handed always holds: lines
// ended by CR LF, none of them blank; a "he" record alone; no number that
// is not finite; never more pieces than the tool lays; nothing at all only
// where no pile was laid and nothing went wrong. The supports inside a
// cofferdam are asked for too. The first six bytes are
// the choices, the rest the export.
#include <cstdlib>
#include <optional>
#include <string>

#include "core/errors.h"
#include "core/pile_sections.h"
#include "core/session.h"
#include "platform/posix/posix_platform.h"

namespace {

using namespace ravo;

// The host's exchange files in memory, the tool's data from the source tree.
class ExchangeInMemory : public FileSystem {
public:
    ExchangeInMemory(std::string_view temp, size_t pieceBytes) : temp_(temp), pieceBytes_(pieceBytes) {}
    mutable std::optional<std::string> result;  // written through the const interface

    bool fileExists(const std::u16string& path) const override {
        if (path == kTemp) return true;
        if (path == kResult) return result.has_value();
        return disk_.fileExists(path);
    }
    void readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const override {
        if (path != kTemp) return disk_.readFileInPieces(path, onPiece);
        for (size_t at = 0; at < temp_.size(); at += pieceBytes_)
            onPiece(std::string_view(temp_).substr(at, pieceBytes_), temp_.size());
    }
    void truncateFile(const std::u16string& path) const override {
        if (path != kResult) std::abort();  // the tool writes nothing else
        result.emplace();
    }
    void replaceFile(const std::u16string& path, std::string_view data) const override {
        if (path != kResult) std::abort();
        result.emplace(data);
    }
    void removeLeftovers(const std::u16string&) const override {}
    std::u16string besideProgram(std::u16string_view name) const override {
        if (name == u"temp.txt") return kTemp;
        if (name == u"jwc_temp.txt") return kResult;
        return disk_.besideProgram(name);
    }

private:
    static inline const std::u16string kTemp = u"\u0001temp", kResult = u"\u0001result";
    PosixFileSystem disk_{RAVO_SOURCE_DIR};
    std::string temp_;
    size_t pieceBytes_;
};

bool notFinite(std::string_view t) {
    return t == "NAN" || t == "INF" || t == "-INF" || t == "nan" || t == "inf" || t == "-inf";
}

void checkResult(const std::string& r) {
    if (r.size() < 2 || r.compare(r.size() - 2, 2, "\r\n") != 0) std::abort();
    size_t lines = 0;
    bool he = false;
    for (size_t at = 0; at < r.size();) {
        const size_t cr = r.find('\r', at);
        if (cr == std::string::npos || cr + 1 >= r.size() || r[cr + 1] != '\n') std::abort();
        const std::string_view line(r.data() + at, cr - at);
        if (line.empty() || line.find('\n') != std::string_view::npos) std::abort();
        if (line.substr(0, 2) == "he") he = true;
        for (size_t t = 0; t < line.size();) {
            const size_t sp = line.find(' ', t);
            const size_t end = sp == std::string_view::npos ? line.size() : sp;
            if (notFinite(line.substr(t, end - t))) std::abort();
            t = end + 1;
        }
        ++lines;
        at = cr + 2;
    }
    if (he && lines != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kChoiceBytes = 6;
    if (size < kChoiceBytes) return 0;
    const uint8_t* c = data;
    const std::string_view temp(reinterpret_cast<const char*>(data + kChoiceBytes), size - kChoiceBytes);
    ExchangeInMemory fs(temp, 1 + c[5] % 97);
    Cp932Codec codec;
    RecordingMessages msgs;
    const NumberFormat fmt{c[0] & 0x80 ? u',' : u'.'};
    Session s(Services{fs, codec, msgs, fmt});
    // The session raises what the window's barrier shows; the window stays.
    auto act = [](auto&& verb) {
        try {
            verb();
        } catch (const RaisedError&) {
        }
    };
    s.setRunMode(static_cast<RunMode>(c[0] % 3));
    act([&] { s.setSection(c[1] % (pileSections().size() + 1)); });  // one past the end: the default
    act([&] {
        if (!s.runShowSteps()) std::abort();  // the export is there
    });
    const uint8_t b = c[2];
    act([&] { s.setStartCorner(b & 1); });
    act([&] { s.setEndCorner(b & 2); });
    if (b & 4) act([&] { s.turnPilesOver(); });
    for (int k = 0; k < (c[3] & 3); ++k) act([&] { s.moveStart(); });
    if (b & 8) act([&] { s.turnDirection(); });
    act([&] { s.setFace(static_cast<WallFace>((c[3] >> 2) % 3)); });
    s.setPileLength(c[4] & 0x80 ? u"12.5" : u"");
    s.setLabels(b & 16);
    s.setTable(b & 32);
    s.setNumbers(b & 64, kNumberSteps[c[4] % 3]);
    s.setElevation(b & 128, c[4] & 0x40 ? u"-1.5" : u"x");
    s.setAnnotationLayer((c[3] >> 4) % 17 - 1);
    s.setGroupPieces(c[3] & 0x80);
    // The supports, from bits the other choices share.
    SupportTyped supports;
    supports.on = c[5] & 0x80;
    supports.levels = c[4] & 0x20 ? u"1.0 4.0" : u"０．５，9";
    supports.member = c[5] % 6;  // one past the end: the default
    supports.spacing = c[4] & 0x10 ? u"2.5" : u"5";
    supports.brace = c[4] & 0x08 ? u"0" : u"1.5";
    act([&] { s.setSupports(supports); });
    if (s.quantities().count > kMaxPileCount) std::abort();
    act([&] { s.ok(); });
    if (!fs.result) std::abort();  // the host is always told something
    // Nothing at all only for a run of no pile and no fault (two points in
    // one place), as the host's empty gin is written.
    if (fs.result->empty() && s.quantities().count == 0 && s.countText().rfind(u"0", 0) == 0) return 0;
    checkResult(*fs.result);
    return 0;
}
