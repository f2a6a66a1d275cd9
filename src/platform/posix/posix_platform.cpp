#include "posix_platform.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "../../core/errors.h"
#include "../../core/text.h"

namespace ravo {

int windowsErrorFor(int err) {
    switch (err) {
    case ENOENT: return 2;         // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;        // ERROR_PATH_NOT_FOUND
    case EMFILE: return 4;         // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return 5;          // ERROR_ACCESS_DENIED
    case ENOSPC:
    case EDQUOT: return kIoDiskFull;
    default: return 29;            // ERROR_WRITE_FAULT
    }
}

std::string PosixFileSystem::nativePath(const std::u16string& path) {
    std::string p = u16ToUtf8(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

namespace {

// ENOENT for a missing folder is ERROR_PATH_NOT_FOUND on Windows.
int openErrorFor(const std::string& path, int err) {
    if (err == ENOENT) {
        auto slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            struct stat st;
            if (stat(path.substr(0, slash).c_str(), &st) != 0) return kIoPathNotFound;
        }
    }
    return windowsErrorFor(err);
}

}  // namespace

PosixFileSystem::PosixFileSystem() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    programDir_ = ec ? std::string(".") : exe.parent_path().string();
}

std::u16string PosixFileSystem::besideProgram(std::u16string_view name) const {
    return utf8ToU16(programDir_) + u"/" + std::u16string(name);
}

bool PosixFileSystem::fileExists(const std::u16string& path) const {
    struct stat st;
    return stat(nativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void PosixFileSystem::readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const {
    const std::string p = nativePath(path);
    struct File {
        int fd;
        ~File() {
            if (fd >= 0) ::close(fd);
        }
    } f{::open(p.c_str(), O_RDONLY)};
    if (f.fd < 0) throw IoError(openErrorFor(p, errno), path);
    struct stat st;
    const uint64_t size = ::fstat(f.fd, &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    std::vector<char> buf(kPieceBytes);
    for (;;) {
        const ssize_t n = ::read(f.fd, buf.data(), buf.size());
        if (n < 0) throw IoError(windowsErrorFor(errno));
        if (n == 0) break;
        onPiece(std::string_view(buf.data(), static_cast<size_t>(n)), size);
    }
}

void PosixFileSystem::truncateFile(const std::u16string& path) const {
    const std::string p = nativePath(path);
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw IoError(openErrorFor(p, errno), path);
    if (::close(fd) != 0) throw IoError(windowsErrorFor(errno));
}

void PosixFileSystem::replaceFile(const std::u16string& path, std::string_view data) const {
    const std::string p = nativePath(path);
    const std::string tmp = p + ".new";
    // A read-only file cannot be replaced on Windows, whoever asks.
    struct stat st;
    if (::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) throw IoError(kIoFileNotOpen);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw IoError(kIoFileNotOpen);
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) {
            int e = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(tmp.c_str());
            throw IoError(windowsErrorFor(e));
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw IoError(windowsErrorFor(e));
    }
    if (::rename(tmp.c_str(), p.c_str()) != 0) {
        ::unlink(tmp.c_str());
        throw IoError(kIoFileNotOpen);
    }
}

void PosixFileSystem::removeLeftovers(const std::u16string& path) const {
    const std::string tmp = nativePath(path) + ".new";
    struct stat st;
    if (::lstat(tmp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(tmp.c_str());
}

namespace {

std::string convert(const char* to, const char* from, const char* in, size_t inLen) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(inLen * 4 + 16, '\0');
    char* src = const_cast<char*>(in);
    size_t srcLeft = inLen;
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;
        // An invalid or cut byte: skip it the way a lone lead byte is lost.
        ++src;
        --srcLeft;
        if (dstLeft >= 2 && std::strcmp(to, "UTF-16LE") == 0) {
            *dst++ = '\xFD';
            *dst++ = '\xFF';
            dstLeft -= 2;
        } else if (dstLeft >= 1) {
            *dst++ = '?';
            --dstLeft;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

void Cp932Codec::decode(std::string_view bytes, std::u16string& out) const {
    std::string u = convert("UTF-16LE", "CP932", bytes.data(), bytes.size());
    out.resize(u.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(u[2 * i]) |
                                       (static_cast<unsigned char>(u[2 * i + 1]) << 8));
}

std::string Cp932Codec::encode(std::u16string_view text) const {
    std::string in(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return convert("CP932", "UTF-16LE", in.data(), in.size());
}

}  // namespace ravo
