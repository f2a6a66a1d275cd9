// The result file the host reads back: its line records ("X1 Y1 X2 Y2",
// CR LF, ANSI) and how the file is put in place.
#pragma once
#include <string>
#include <string_view>

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

// The result's bytes written beside the file and moved into its place in
// one step: the host sees the whole run or nothing.
void writeResultBytes(const std::u16string& fileName, const FileSystem& fs, std::string_view data);

}  // namespace ravo
