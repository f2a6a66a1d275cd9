// Shared helpers of the native unit tests.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "core/errors.h"
#include "core/text.h"
#include "core/wall.h"
#include "platform/posix/posix_platform.h"

namespace ravo::test {

// The one path the lines chain into; a fault where they make none or several.
inline PathResult oneChain(std::span<const WallSegment> segments) {
    WallsResult walls = chainWalls(segments);
    PathResult out;
    out.fault = std::move(walls.fault);
    if (out.ok() && walls.paths.size() != 1) out.fault = u"several chains";
    else if (out.ok()) out.path = std::move(walls.paths.front());
    return out;
}

inline std::u16string U(const char* utf8) { return utf8ToU16(utf8); }

// Expects `stmt` to raise an error of type E whose message is `text`.
#define EXPECT_RAISES(stmt, E, text)                                                 \
    do {                                                                             \
        try {                                                                        \
            stmt;                                                                    \
            ADD_FAILURE() << "expected " #E " with message " << (text);              \
        } catch (const E& e_) {                                                      \
            EXPECT_EQ(::ravo::u16ToUtf8(e_.message()), std::string(text));           \
        }                                                                            \
    } while (0)

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/ravo-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string path(const std::string& name = "") const { return name.empty() ? path_ : path_ + "/" + name; }
    std::u16string upath(const std::string& name = "") const { return utf8ToU16(path(name)); }
    void write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
    // The shipped outlines beside a program standing in this folder.
    void linkOutlines() const { std::filesystem::create_directory_symlink(std::string(RAVO_SOURCE_DIR) + "/data", path("data")); }

private:
    std::string path_;
};

// Root ignores permission bits; tests of access denial need a real user.
inline bool permissionsApply() { return geteuid() != 0; }

// The services, the program's folder where the test puts it (the source
// tree, with the shipped outlines, unless told).
struct Platform {
    explicit Platform(std::string programDir = RAVO_SOURCE_DIR) : fs(std::move(programDir)) {}
    PosixFileSystem fs;
    Cp932Codec codec;
    RecordingMessages messages;
};

}  // namespace ravo::test
