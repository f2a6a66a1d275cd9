// The repaint's double mapping against the extended one it stands for:
// wherever the doubles vouch for a result, it is the extended integer.
#include "core/fast_map.h"

#include <random>

#include "core/functions.h"
#include "core/view.h"
#include "open_view.h"
#include "test_support.h"

namespace ravo {
namespace {

class Quiet : public MessageSink {
public:
    void showMessage(std::u16string_view) override {}
};

TEST(FastMap, SameIntegersAsTheExtendedPathIncludingAtTheHalves) {
    Quiet quiet;
    GinStore store(quiet);
    test::OpenView view(store, quiet);
    ViewState& vs = view.state();
    std::mt19937_64 rng(20261209);
    std::uniform_real_distribution<double> unit(-1, 1);
    auto logUniform = [&](double lo, double hi) { return std::exp(std::log(lo) + (unit(rng) + 1) / 2 * (std::log(hi) - std::log(lo))); };

    long compared = 0, vouched = 0;
    for (int v = 0; v < 2000; ++v) {
        vs.nDevWidth = kImageWidth;
        vs.nDevHeight = 100 + static_cast<int>(rng() % 400);
        vs.dScale = logUniform(1e-4, 1e5);
        vs.dOrgX = unit(rng) * logUniform(1, 1e9);
        vs.dOrgY = unit(rng) * logUniform(1, 1e9);
        const fastmap::PixelMap map(vs.dOrgX, vs.dOrgY, vs.dScale, vs.nDevHeight);
        for (int i = 0; i < 1000; ++i) {
            // Points on and around the image, some exactly at a pixel half,
            // and drawing values at and next to a half of the fifth decimal.
            double x, y;
            switch (i % 4) {
            case 0:
                x = vs.dOrgX + unit(rng) * vs.dScale * 600;
                y = vs.dOrgY + unit(rng) * vs.dScale * 600;
                break;
            case 1:
                x = vs.dOrgX + (std::floor(unit(rng) * 500) + 0.5) * vs.dScale;
                y = vs.dOrgY + (std::floor(unit(rng) * 500) + 0.5) * vs.dScale;
                break;
            case 2:
                x = (std::floor(unit(rng) * 1e9) + 0.5) / 100000.0;
                y = (std::floor(unit(rng) * 1e12) + 0.5) / 100000.0;
                break;
            default:
                x = unit(rng) * logUniform(1e-6, 1e12);
                y = unit(rng) * logUniform(1e-6, 1e12);
                break;
            }
            for (int step = -2; step <= 2; ++step) {
                double xs = x, ys = y;
                for (int k = 0; k < std::abs(step); ++k) {
                    xs = std::nextafter(xs, step > 0 ? INFINITY : -INFINITY);
                    ys = std::nextafter(ys, step > 0 ? -INFINITY : INFINITY);
                }
                int32_t px, py, fx, fy;
                if (!view.LTOD(round5(xs), round5(ys), px, py)) continue;
                ++compared;
                if (map.toPixel(xs, ys, fx, fy)) {
                    ++vouched;
                    ASSERT_EQ(fx, px) << std::hexfloat << xs << " " << vs.dOrgX << " " << vs.dScale;
                    ASSERT_EQ(fy, py) << std::hexfloat << ys << " " << vs.dOrgY << " " << vs.dScale;
                }
            }
        }
    }
    // Millions compared; the extended path is the exception even here,
    // where half of the values sit on a half.
    EXPECT_GT(compared, 9'000'000);
    EXPECT_GT(vouched, compared / 2);
    std::printf("%ld of %ld pixels by doubles\n", vouched, compared);
}

}  // namespace
}  // namespace ravo
