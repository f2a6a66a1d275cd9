#include "settings.h"

#include <windows.h>

namespace ravo {

namespace {
constexpr const wchar_t* kGroup = L"Settings";
}  // namespace

Settings::Settings(std::wstring path) : path_(std::move(path)) {}

std::wstring Settings::value(const wchar_t* key) const {
    // A long list of levels is read whole: the call says it cut the value
    // by filling all but the last place, so the room doubles until it fits.
    std::wstring value(64, L'\0');
    for (;;) {
        const DWORD got = GetPrivateProfileStringW(kGroup, key, L"", value.data(), static_cast<DWORD>(value.size()),
                                                   path_.c_str());
        if (got + 1 < value.size() || value.size() >= 32768) {
            value.resize(got);
            return value;
        }
        value.resize(value.size() * 2);
    }
}

void Settings::setValue(const wchar_t* key, const std::wstring& value) const {
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
    WritePrivateProfileStringW(kGroup, key, value.c_str(), path_.c_str());
}

}  // namespace ravo
