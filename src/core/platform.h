// Services the core needs from the system, behind small interfaces. The
// product implements them with Win32, the native tests with POSIX.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ravo {

// Modal message with an OK button (the store's message routine).
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(std::u16string_view text) = 0;
};

// The system's ANSI code page (932 on a Japanese system).
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    virtual void decode(std::string_view bytes, std::u16string& out) const = 0;
    virtual std::string encode(std::u16string_view text) const = 0;
};

// File access. Failures raise IoError with the Windows error code.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool fileExists(const std::u16string& path) const = 0;
    // The content in pieces, in order, each handed over as it is read, with
    // the file's size when it was opened: a large file is never held whole.
    // Other processes may read the file meanwhile. A piece's handler may
    // raise; the file is closed and the read ends there.
    using PieceSink = std::function<void(std::string_view piece, uint64_t fileSize)>;
    static constexpr size_t kPieceBytes = size_t{256} << 10;  // at most; small enough to stay in the cache
    virtual void readFileInPieces(const std::u16string& path, const PieceSink& onPiece) const = 0;
    // Whole content.
    std::string readFile(const std::u16string& path) const {
        std::string data;
        readFileInPieces(path, [&](std::string_view piece, uint64_t fileSize) {
            if (data.empty() && fileSize < (uint64_t{1} << 30)) data.reserve(static_cast<size_t>(fileSize));
            data.append(piece);
        });
        return data;
    }
    // Create or empty the file.
    virtual void truncateFile(const std::u16string& path) const = 0;
    // Write `data` beside `path` and move it into place in one step, so a
    // reader never sees a partial file. Raises IoError(kIoFileNotOpen) when
    // the file cannot be created or put in place, the system's code when a
    // write fails; the target is then left as it was.
    virtual void replaceFile(const std::u16string& path, std::string_view data) const = 0;
    // Removes what a replaceFile of `path` killed half way left beside it:
    // files of its temporary's own name, and nothing else. What cannot be
    // removed (another write's, still open) stays, without a word.
    virtual void removeLeftovers(const std::u16string& path) const = 0;
    // The path of a file named `name` (relative, "\\" between folders) in
    // the program's folder: the host's exchange files, the outlines, the
    // settings.
    virtual std::u16string besideProgram(std::u16string_view name) const = 0;
};

}  // namespace ravo
