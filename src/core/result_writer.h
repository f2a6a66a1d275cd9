// The result file the host reads back: one "X1 Y1 X2 Y2" line per line
// entity, CR LF, ANSI.
#pragma once
#include <string>
#include <string_view>

#include "gin_store.h"
#include "number_text.h"
#include "platform.h"

namespace ravo {

// Create or empty the file. Raises IoError.
void truncateFile(const FileSystem& fs, const std::u16string& fileName);

// The same with a separator outside ASCII, through the code page.
void appendLineRecordEncoded(std::string& out, double x1, double y1, double x2, double y2, const NumberFormat& fmt,
                             const AnsiCodec& codec);

// One "X1 Y1 X2 Y2" line, CR LF, appended in the result's format (inline:
// the result is a run's every line).
inline void appendLineRecord(std::string& out, double x1, double y1, double x2, double y2, const NumberFormat& fmt,
                             const AnsiCodec& codec) {
    if (fmt.decimalSeparator >= 0x80) {
        appendLineRecordEncoded(out, x1, y1, x2, y2, fmt, codec);
        return;
    }
    const char sep = static_cast<char>(fmt.decimalSeparator);
    char line[4 * 40 + 8];
    char* p = formatGeneral(line, x1, sep);
    *p++ = ' ';
    p = formatGeneral(p, y1, sep);
    *p++ = ' ';
    p = formatGeneral(p, x2, sep);
    *p++ = ' ';
    p = formatGeneral(p, y2, sep);
    *p++ = '\r';
    *p++ = '\n';
    out.append(line, p);
}

// The bytes writeResult puts into the file.
std::string formatResult(const GinStore& store, int nGin, const NumberFormat& fmt, const AnsiCodec& codec);

// Write the gin's line entities to the file, and `after` them (records
// already in the file's encoding). The content goes beside the file and
// replaces it in one step: the host sees the whole run or nothing.
void writeResult(const GinStore& store, int nGin, const std::u16string& fileName, const FileSystem& fs,
                 const NumberFormat& fmt, const AnsiCodec& codec, std::string_view after = {});
// The same for the result's bytes as they are.
void writeResultBytes(const std::u16string& fileName, const FileSystem& fs, std::string_view data);

}  // namespace ravo
