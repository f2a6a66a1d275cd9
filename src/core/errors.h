// Raised errors and the text shown for them.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ravo {

// Base of every error the core raises on purpose. The message is the final
// text the default error handler shows (before its full-stop rule).
class RaisedError : public std::exception {
public:
    explicit RaisedError(std::u16string message) : message_(std::move(message)) {}
    const std::u16string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return "ravo::RaisedError"; }

private:
    std::u16string message_;
};

// A file step failed; `code` is the Windows error code (or the runtime's
// own codes 100..106). `path`, where the step knows it, names the file in
// the message of code 3.
class IoError : public RaisedError {
public:
    explicit IoError(int code, std::u16string_view path = {});
    int code() const noexcept { return code_; }

private:
    int code_;
};

// A token that is not a number.
class ConvertError : public RaisedError {
public:
    using RaisedError::RaisedError;
};

// A limit the tool keeps (the memory it may take) reached: the work stops
// at the first record past it, and the user is told once.
class LimitError : public RaisedError {
public:
    using RaisedError::RaisedError;
};

// I/O codes the runtime uses itself, beside the system's.
enum IoCode : int {
    kIoFileNotFound = 2,
    kIoPathNotFound = 3,
    kIoTooManyOpen = 4,
    kIoAccessDenied = 5,
    kIoReadPastEnd = 100,
    kIoDiskFull = 101,
    kIoFileNotOpen = 103,
    kIoBadNumber = 106,
};

// The text of an I/O error; code 3's "%s" stands for the file's path where
// it is known (a bare "%s" tells the user nothing to restore).
std::u16string ioErrorMessage(int code, std::u16string_view path = {});

// What the default error handler shows: a full stop is added when the last
// character's code is greater than that of ".".
std::u16string withFullStop(std::u16string text);

// What the user is told when memory runs out, wherever it does.
inline constexpr char16_t kOutOfMemoryText[] = u"メモリが確保できませんでした。終了して下さい";

}  // namespace ravo
