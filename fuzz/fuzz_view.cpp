// The view on arbitrary windows, lines, circles and texts: every position
// handed to the canvas stays where GDI draws it exactly, and nothing in the
// mapping or the culling is undefined (the target runs under UBSan).
#include <cstdlib>
#include <cstring>

#include "core/view.h"
#include "platform/posix/posix_platform.h"
#include "../tests/unit/open_view.h"
#include "../tests/unit/recording_canvas.h"

namespace {

double take(const uint8_t*& p, const uint8_t* end) {
    double v = 0;
    if (end - p >= 8) {
        std::memcpy(&v, p, 8);
        p += 8;
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ravo;
    RecordingMessages msgs;
    GinStore store(msgs, size_t{16} << 20);
    test::OpenView view(store, msgs);
    ViewState& vs = view.state();
    test::RecordingCanvas canvas(64, 48);
    view.setTargetImage(canvas);
    const uint8_t *p = data, *end = data + size;
    vs.dOrgX = take(p, end);
    vs.dOrgY = take(p, end);
    vs.dScale = take(p, end);
    while (end - p >= 33) {
        const uint8_t kind = *p++;
        const double a = take(p, end), b = take(p, end), c = take(p, end), d = take(p, end);
        if (kind % 3 == 0) store.addLine(0, a, b, c, d);
        else if (kind % 3 == 1) store.addCircle(0, a, b, c);
        else store.addMoji(0, kind % 10, a, b, c, d, 1, 2.5, u"矢板");
    }
    view.redrawGin(0);
    for (const test::Op& o : canvas.ops) {
        if (o.kind == test::Op::Line)
            for (int v : {o.a, o.b, o.c, o.d})
                if (std::abs(static_cast<long long>(v)) > 8192 + 64) std::abort();
        if (o.kind == test::Op::Text && (std::abs(static_cast<long long>(o.a)) > (1 << 21) ||
                                         std::abs(static_cast<long long>(o.b)) > (1 << 21)))
            std::abort();
    }
    return 0;
}
