#include "result_writer.h"

#include "errors.h"

namespace ravo {

void truncateFile(const FileSystem& fs, const std::u16string& fileName) {
    if (fileName.size() > 259) throw IoError(kIoPathNotFound, fileName);
    fs.truncateFile(fileName);
}

std::string formatResult(const GinStore& store, int nGin, const NumberFormat& fmt, const AnsiCodec& codec) {
    std::string out;
    const int last = store.lastLineIndex(nGin);
    if (last < 0) return out;
    const bool asciiSep = fmt.decimalSeparator < 0x80;
    const char sep = asciiSep ? static_cast<char>(fmt.decimalSeparator) : '.';
    const recLine* recs = store.lineData(nGin);
    out.reserve(static_cast<size_t>(last + 1) * 64);
    char line[4 * 40 + 8];
    for (int i = 0; i <= last; ++i) {
        const recLine& r = recs[i];
        if (r.kind != kKindLine) continue;
        char* p = line;
        p = formatGeneral(p, r.X1, sep);
        *p++ = ' ';
        p = formatGeneral(p, r.Y1, sep);
        *p++ = ' ';
        p = formatGeneral(p, r.X2, sep);
        *p++ = ' ';
        p = formatGeneral(p, r.Y2, sep);
        *p++ = '\r';
        *p++ = '\n';
        if (asciiSep) {
            out.append(line, p);
        } else {
            std::u16string wide(line, p);
            for (auto& c : wide)
                if (c == u'.') c = fmt.decimalSeparator;
            out += codec.encode(wide);
        }
    }
    return out;
}

void writeResult(const GinStore& store, int nGin, const std::u16string& fileName, const FileSystem& fs,
                 const NumberFormat& fmt, const AnsiCodec& codec, std::string_view after) {
    std::string data = formatResult(store, nGin, fmt, codec);
    data += after;
    try {
        fs.replaceFile(fileName, data);
    } catch (const IoError& e) {
        // With no line to write, a file that could not be created goes
        // unnoticed: the check that would find it follows the first line.
        if (data.empty() && e.code() == kIoFileNotOpen) return;
        throw;
    }
}

}  // namespace ravo
