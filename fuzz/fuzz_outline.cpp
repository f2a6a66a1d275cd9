// The outline loader on arbitrary file bytes, through a real file.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "core/errors.h"
#include "core/outlines.h"
#include "core/text.h"
#include "platform/posix/posix_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ravo::PosixFileSystem fs;
    static ravo::Cp932Codec codec;
    static const std::string path = "/tmp/ravo-fuzz-outline-" + std::to_string(getpid()) + ".dat";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::vector<ravo::WallSegment> outline;
    try {
        ravo::loadPileShape(outline, ravo::utf8ToU16(path), fs, ravo::NumberFormat{}, codec);
    } catch (const ravo::RaisedError&) {
    }
    return 0;
}
