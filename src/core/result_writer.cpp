#include "result_writer.h"

#include "errors.h"

namespace ravo {

void truncateFile(const FileSystem& fs, const std::u16string& fileName) {
    if (fileName.size() > 259) throw IoError(kIoPathNotFound, fileName);
    fs.truncateFile(fileName);
}

void appendLineRecordEncoded(std::string& out, double x1, double y1, double x2, double y2, const NumberFormat& fmt,
                             const AnsiCodec& codec) {
    char line[4 * 40 + 8];
    char* p = formatGeneral(line, x1, '.');
    *p++ = ' ';
    p = formatGeneral(p, y1, '.');
    *p++ = ' ';
    p = formatGeneral(p, x2, '.');
    *p++ = ' ';
    p = formatGeneral(p, y2, '.');
    *p++ = '\r';
    *p++ = '\n';
    std::u16string wide(line, p);
    for (auto& c : wide)
        if (c == u'.') c = fmt.decimalSeparator;
    out += codec.encode(wide);
}

void writeResultBytes(const std::u16string& fileName, const FileSystem& fs, std::string_view data) {
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
