#include "win32_platform.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string_view>
#include <vector>

#include "core/errors.h"

namespace ravo {

namespace {

// A handle closed on every path out.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& o) noexcept : h_(o.h_) { o.h_ = INVALID_HANDLE_VALUE; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool close() {
        if (!valid()) return true;
        BOOL ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE h_;
};

// A full disk is reported with the runtime's own code and text.
int ioCodeFor(DWORD err) {
    if (err == ERROR_DISK_FULL || err == ERROR_HANDLE_DISK_FULL) return kIoDiskFull;
    return static_cast<int>(err);
}

// A new file beside `path`, for writing it whole before it replaces `path`.
// Its name is no longer than "jwc_temp.txt" ("jwc" and five hex digits, then
// ".tmp"), so it fits wherever the result's own name fits, and it is made
// with CREATE_NEW under the next name when a stale file or a folder holds
// one: a leftover can never stop the write.
std::u16string folderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// "jwc" and five hex digits, then ".tmp", in any case: the temporary's name.
bool temporaryName(std::wstring_view name) {
    constexpr std::wstring_view kStem = L"jwc", kExt = L".tmp";
    constexpr size_t kDigits = 5;
    if (name.size() != kStem.size() + kDigits + kExt.size()) return false;
    auto same = [](std::wstring_view a, std::wstring_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
            return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
        });
    };
    if (!same(name.substr(0, kStem.size()), kStem) || !same(name.substr(kStem.size() + kDigits), kExt)) return false;
    return std::all_of(name.begin() + kStem.size(), name.begin() + kStem.size() + kDigits,
                       [](wchar_t c) { return std::iswxdigit(static_cast<wint_t>(c)) != 0; });
}

FileHandle createTemporaryBeside(const std::u16string& path, std::u16string& tmp) {
    const std::u16string dir = folderOf(path);
    DWORD seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    for (int attempt = 0; attempt < 64; ++attempt) {
        const DWORD n = (seed + static_cast<DWORD>(attempt) * 40503u) & 0xFFFFFu;
        char16_t name[] = u"jwc00000.tmp";
        for (int k = 0; k < 5; ++k) name[3 + k] = u"0123456789abcdef"[(n >> (4 * (4 - k))) & 0xF];
        tmp = dir + name;
        FileHandle f(CreateFileW(wide(tmp), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f.valid()) return f;
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS && err != ERROR_ACCESS_DENIED) break;
    }
    return FileHandle(INVALID_HANDLE_VALUE);
}

}  // namespace

void Win32FileSystem::removeLeftovers(const std::u16string& path) const {
    const std::u16string dir = folderOf(path);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(wide(dir + u"jwc?????.tmp"), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!temporaryName(found.cFileName)) continue;
        const std::u16string name(found.cFileName, found.cFileName + wcslen(found.cFileName));
        DeleteFileW(wide(dir + name));
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

std::u16string Win32FileSystem::besideProgram(std::u16string_view name) const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return fromWide(path.substr(0, slash == std::wstring::npos ? 0 : slash + 1)) + std::u16string(name);
}

bool Win32FileSystem::fileExists(const std::u16string& path) const {
    DWORD attr = GetFileAttributesW(wide(path));
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void Win32FileSystem::readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const {
    FileHandle f(CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f.valid()) throw IoError(ioCodeFor(GetLastError()), path);
    LARGE_INTEGER size;
    const uint64_t fileSize = GetFileSizeEx(f.get(), &size) && size.QuadPart > 0 ? static_cast<uint64_t>(size.QuadPart) : 0;
    std::vector<char> buf(kPieceBytes);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr))
            throw IoError(ioCodeFor(GetLastError()));
        if (got == 0) break;
        onPiece(std::string_view(buf.data(), got), fileSize);
    }
}

void Win32FileSystem::truncateFile(const std::u16string& path) const {
    FileHandle f(CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) throw IoError(ioCodeFor(GetLastError()), path);
    if (!f.close()) throw IoError(ioCodeFor(GetLastError()));
}

void Win32FileSystem::replaceFile(const std::u16string& path, std::string_view data) const {
    // A read-only result is not replaced, as writing it in place would fail.
    DWORD attr = GetFileAttributesW(wide(path));
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw IoError(kIoFileNotOpen);
    std::u16string tmp;
    {
        FileHandle f = createTemporaryBeside(path, tmp);
        if (!f.valid()) throw IoError(kIoFileNotOpen);
        size_t done = 0;
        while (done < data.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 20));
            DWORD put = 0;
            if (!WriteFile(f.get(), data.data() + done, chunk, &put, nullptr) || put == 0) {
                int code = put == 0 && GetLastError() == ERROR_SUCCESS ? kIoDiskFull : ioCodeFor(GetLastError());
                f.close();
                DeleteFileW(wide(tmp));
                throw IoError(code);
            }
            done += put;
        }
        if (!FlushFileBuffers(f.get()) || !f.close()) {
            int code = ioCodeFor(GetLastError());
            DeleteFileW(wide(tmp));
            throw IoError(code);
        }
    }
    // One rename: a reader sees the old file or the whole new one.
    if (!MoveFileExW(wide(tmp), wide(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(wide(tmp));
        throw IoError(kIoFileNotOpen);
    }
}

void Win32AnsiCodec::decode(std::string_view bytes, std::u16string& out) const {
    if (bytes.empty()) {
        out.clear();
        return;
    }
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
}

std::string Win32AnsiCodec::encode(std::u16string_view text) const {
    if (text.empty()) return {};
    auto src = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

char16_t regionalDecimalSeparator() {
    wchar_t buf[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 0 && buf[0]) return static_cast<char16_t>(buf[0]);
    return u'.';
}

void useExtendedPrecision() {
    unsigned short cw = 0x037F;
    __asm__ volatile("fldcw %0" : : "m"(cw));
}

}  // namespace ravo
