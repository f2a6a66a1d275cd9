// POSIX implementations of the platform services, for the native tests,
// benchmarks and fuzz targets. Paths are UTF-16 with "\" or "/" separators.
#pragma once
#include <string>
#include <vector>

#include "../../core/platform.h"

namespace ravo {

class PosixFileSystem : public FileSystem {
public:
    // The program's folder: the running executable's, or the one given
    // (tests stand a program folder up where they like).
    PosixFileSystem();
    explicit PosixFileSystem(std::string programDir) : programDir_(std::move(programDir)) {}

    bool fileExists(const std::u16string& path) const override;
    void readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const override;
    void truncateFile(const std::u16string& path) const override;
    void replaceFile(const std::u16string& path, std::string_view data) const override;
    void removeLeftovers(const std::u16string& path) const override;
    std::u16string besideProgram(std::u16string_view name) const override;

    static std::string nativePath(const std::u16string& path);

private:
    std::string programDir_;
};

// Code page 932 through iconv.
class Cp932Codec : public AnsiCodec {
public:
    void decode(std::string_view bytes, std::u16string& out) const override;
    std::string encode(std::u16string_view text) const override;
};

// Keeps every message instead of showing it.
class RecordingMessages : public MessageSink {
public:
    void showMessage(std::u16string_view text) override { shown.emplace_back(text); }
    std::vector<std::u16string> shown;
};

// Windows error code for an errno value, as the file functions report them.
int windowsErrorFor(int err);

}  // namespace ravo
