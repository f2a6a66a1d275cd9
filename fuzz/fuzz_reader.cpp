// The host reader on arbitrary file bytes: it may raise its own errors,
// nothing else, and never touches memory it does not own.
#include "core/errors.h"
#include "core/gaibu_reader.h"
#include "platform/posix/posix_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ravo::Cp932Codec codec;
    ravo::RecordingMessages msgs;
    ravo::GinStore store(msgs, size_t{64} << 20);
    ravo::GaibuHeader header;
    ravo::NumberFormat fmt{size % 2 ? u',' : u'.'};
    try {
        ravo::GaibuReader(header, store, fmt, codec).readBytes(
            std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ravo::RaisedError&) {
    }
    return 0;
}
