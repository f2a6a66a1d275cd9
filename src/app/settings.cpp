#include "settings.h"

#include <windows.h>

namespace ravo {

namespace {
constexpr const wchar_t* kGroup = L"Settings";
constexpr const wchar_t* kPileSectionKey = L"Type";
}  // namespace

Settings::Settings(const std::wstring& exeDir) : path_(exeDir + L"Ravo鋼矢板.ini") {}

std::wstring Settings::pileSection() const {
    wchar_t value[64] = {};
    GetPrivateProfileStringW(kGroup, kPileSectionKey, L"", value, static_cast<DWORD>(std::size(value)),
                             path_.c_str());
    return value;
}

void Settings::setPileSection(const std::wstring& name) const {
    // A file the user made read-only is left as it is, whoever runs us.
    const DWORD attributes = GetFileAttributesW(path_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return;
    // The profile functions write UTF-16 only into a file that starts with
    // its byte-order mark, so a new file gets one first.
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        const unsigned char bom[] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(h, bom, sizeof bom, &written, nullptr);
        CloseHandle(h);
    }
    WritePrivateProfileStringW(kGroup, kPileSectionKey, name.c_str(), path_.c_str());
}

}  // namespace ravo
