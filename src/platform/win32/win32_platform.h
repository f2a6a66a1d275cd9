// Win32 implementations of the platform services.
#pragma once
#include <windows.h>

#include <string>

#include "core/platform.h"

namespace ravo {

inline const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string fromWide(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline std::u16string fromWide(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

class Win32FileSystem : public FileSystem {
public:
    bool fileExists(const std::u16string& path) const override;
    void readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const override;
    void truncateFile(const std::u16string& path) const override;
    void replaceFile(const std::u16string& path, std::string_view data) const override;
    void removeLeftovers(const std::u16string& path) const override;
    std::u16string besideProgram(std::u16string_view name) const override;
};

class Win32AnsiCodec : public AnsiCodec {
public:
    void decode(std::string_view bytes, std::u16string& out) const override;
    std::string encode(std::u16string_view text) const override;
};

// The user's decimal separator, read once at start-up.
char16_t regionalDecimalSeparator();

// The x87 unit in extended precision, round to nearest, exceptions masked:
// the layout arithmetic is defined in 80-bit intermediates.
void useExtendedPrecision();

}  // namespace ravo
