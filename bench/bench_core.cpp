// Core benchmarks: store appends, reading a large export, laying and
// writing a long run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/drawing.h"
#include "core/gaibu_reader.h"
#include "core/host_input.h"
#include "core/outlines.h"
#include "core/plan.h"
#include "core/result_writer.h"
#include "core/session.h"
#include "core/text.h"
#include "core/view.h"
#include "core/wall.h"
#include "core/x87.h"
#include "platform/posix/posix_platform.h"

namespace ravo {
namespace {

// One million number lines (four coordinates with 3 to 6 decimals, some
// leading blanks) plus attribute lines, as a host export.
const std::string& largeExport() {
    static const std::string data = [] {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> coord(-50000, 50000);
        std::uniform_int_distribution<int> dec(3, 6);
        // hp1 to hp2 is 2,000,000 long: a run of 5,000 piles.
        std::string out = "hq\r\nhp1 0 0\r\nhp2 1732050.8 999999\r\n";
        char buf[160];
        for (int i = 0; i < 1000000; ++i) {
            if (i % 1000 == 0) out += "lg1\r\nly2\r\nlc3\r\nlt1\r\n";
            int d = dec(rng);
            int n = std::snprintf(buf, sizeof buf, "%s%.*f %.*f %.*f %.*f\r\n", i % 7 == 0 ? "  " : "", d, coord(rng),
                                  d, coord(rng), d, coord(rng), d, coord(rng));
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }();
    return data;
}

void BM_StoreAppendMillion(benchmark::State& state) {
    for (auto _ : state) {
        RecordingMessages msgs;
        GinStore store(msgs);
        store.clearGin(0);
        for (int i = 0; i < 1000000; ++i) store.addLine(0, i, 0, i, 1);
        benchmark::DoNotOptimize(store.lastLineIndex(0));
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_StoreAppendMillion)->Unit(benchmark::kMillisecond);

void BM_ReadLargeExport(benchmark::State& state) {
    const std::string& data = largeExport();
    Cp932Codec codec;
    NumberFormat fmt;
    for (auto _ : state) {
        RecordingMessages msgs;
        const HostInput in = readHost(data, fmt, codec);
        benchmark::DoNotOptimize(in.records.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_ReadLargeExport)->Unit(benchmark::kMillisecond);

// Writes the export to a file, for peers measured on the same bytes.
void writeExportFile() {
    if (const char* path = std::getenv("RAVO_BENCH_EXPORT")) std::ofstream(path, std::ios::binary) << largeExport();
}

// A two-point run of `piles` piles at a slant, with the shipped outlines,
// planned, and put in the preview's store as the session does.
struct RunFixture {
    PosixFileSystem fs{RAVO_SOURCE_DIR};
    Cp932Codec codec;
    RecordingMessages msgs;
    GinStore store{msgs};
    HostInput input;
    Choices choices;
    Outlines outlines = loadOutlines(kDefaultSection, fs, NumberFormat{}, codec);
    Plan plan;
    explicit RunFixture(int piles) {
        input.header.hp[1] = {1000.5, -2000.25};
        input.header.hp[2] = {1000.5 + piles * 400.0 * 0.6, -2000.25 + piles * 400.0 * 0.8};
        plan = planRun(input, choices, outlines);
    }
    // A rectangle 2,999 m by 1,999 m selected: the longest wall, 24,988
    // pieces, near the cap.
    void selectLongestWall() {
        choices.mode = RunMode::Selection;
        input.header.hs[0] = 1;
        const double corners[][2] = {{0, 0}, {2999000, 0}, {2999000, 1999000}, {0, 1999000}};
        for (int i = 0; i < 4; ++i) {
            recLine r{};
            r.kind = kKindLine;
            r.X1 = corners[i][0], r.Y1 = corners[i][1], r.X2 = corners[(i + 1) % 4][0], r.Y2 = corners[(i + 1) % 4][1];
            input.records.push_back(r);
        }
    }
    void place() {
        store.clearGin(0);
        store.reserveLines(0, outlines.mostLinesPerPiece() * plan.layout.pieces.size());
        placePieces(plan, outlines, [&](double x1, double y1, double x2, double y2, PieceKind) { store.addLine(0, x1, y1, x2, y2); });
    }
};

void BM_LayoutTenThousandPiles(benchmark::State& state) {
    RunFixture f(10000);
    for (auto _ : state) {
        f.plan = planRun(f.input, f.choices, f.outlines);
        f.place();
        benchmark::DoNotOptimize(f.store.lastLineIndex(0));
    }
    state.counters["segments"] = f.store.lastLineIndex(0) + 1;
}
BENCHMARK(BM_LayoutTenThousandPiles)->Unit(benchmark::kMillisecond);

// A selection of 100,000 lines in random order and direction: a closed
// outline of 50,000 teeth (every vertex a corner), chained into one loop.
void BM_ChainHundredThousandLines(benchmark::State& state) {
    std::vector<WallPoint> v;
    for (int i = 0; i < 50000; ++i) {
        v.push_back({i * 1000.0, 0});
        v.push_back({i * 1000.0 + 500, 300});
    }
    v.push_back({50000 * 1000.0, -5000});
    v.push_back({0, -5000});
    std::vector<WallSegment> segs;
    for (size_t i = 0; i < v.size(); ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % v.size()];
        segs.push_back(i % 3 ? WallSegment{a.x, a.y, b.x, b.y} : WallSegment{b.x, b.y, a.x, a.y});
    }
    std::shuffle(segs.begin(), segs.end(), std::mt19937(5));
    for (auto _ : state) {
        const WallsResult r = chainWalls(segs);
        if (!r.ok() || r.paths.size() != 1) state.SkipWithError("the loop did not chain");
        benchmark::DoNotOptimize(r.paths.size());
    }
    state.counters["lines"] = static_cast<double>(segs.size());
}
BENCHMARK(BM_ChainHundredThousandLines)->Unit(benchmark::kMillisecond);

// What drafters select by mistake: a hatch of 100,000 parallel lines (10 m
// long, 5 mm apart), chained into that many paths; and a zigzag of 100,000
// legs 1 m wide, 10 mm a leg up, chained into one path. Both used to meet
// every other segment in the touch search.
void BM_ChainHatchAndZigzag(benchmark::State& state) {
    std::vector<WallSegment> segs;
    const bool zigzag = state.range(0) == 1;
    for (int i = 0; i < 100000; ++i) {
        if (zigzag) segs.push_back({(i % 2) * 1000.0, i * 10.0, ((i + 1) % 2) * 1000.0, (i + 1) * 10.0});
        else segs.push_back({0, i * 5.0, 10000, i * 5.0});
    }
    for (auto _ : state) {
        const WallsResult r = chainWalls(segs);
        if (!r.ok() || r.paths.size() != (zigzag ? 1u : segs.size()))
            state.SkipWithError(zigzag ? "the zigzag did not chain" : "the hatch did not make a path a line");
        benchmark::DoNotOptimize(r.paths.size());
    }
    state.SetLabel(zigzag ? "zigzag" : "hatch");
    state.counters["lines"] = static_cast<double>(segs.size());
}
BENCHMARK(BM_ChainHatchAndZigzag)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The longest wall: a closed rectangle of 25,000 pieces (near the cap),
// selected, planned and its pieces' outlines put in the preview's store.
void BM_LayLongestWall(benchmark::State& state) {
    RunFixture f(2);
    f.selectLongestWall();
    for (auto _ : state) {
        f.plan = planRun(f.input, f.choices, f.outlines);
        if (!f.plan.laid()) state.SkipWithError("the wall was refused");
        f.place();
        benchmark::DoNotOptimize(f.store.lastLineIndex(0));
    }
    state.counters["pieces"] = static_cast<double>(f.plan.layout.pieces.size());
    state.counters["segments"] = f.store.lastLineIndex(0) + 1;
}
BENCHMARK(BM_LayLongestWall)->Unit(benchmark::kMillisecond);

// A circle of 1 km radius, 15,708 piles: the export read, the circle
// chained, walked and laid (0), and its result formatted too (1).
void BM_CircleOfAKilometre(benchmark::State& state) {
    const std::string temp = "hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\nci 0 0 1000000\r\n";
    RunFixture f(2);
    f.choices.mode = RunMode::Selection;
    size_t bytes = 0;
    for (auto _ : state) {
        f.input = readHost(temp, NumberFormat{}, f.codec);
        f.plan = planRun(f.input, f.choices, f.outlines);
        if (!f.plan.laid()) state.SkipWithError("the circle was refused");
        if (state.range(0) == 0) continue;
        std::string s = resultBytes(drawingOf(f.plan, f.input, f.outlines, f.choices), NumberFormat{}, f.codec);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.counters["pieces"] = static_cast<double>(f.plan.layout.pieces.size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_CircleOfAKilometre)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a whole plan selected by mistake gives: a hatch of 100,000 lines
// 10 m long and 5 mm apart, read and refused (the walls are laid only up
// to the piece cap); and a circle of 1.4 km radius drawn as 100,000 arcs,
// read, chained and laid (21,991 piles, each arc walked).
std::string hatchExport() {
    std::string out = "hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n";
    for (int i = 0; i < 100000; ++i) out += "0 " + std::to_string(i * 5) + " 10000 " + std::to_string(i * 5) + "\r\n";
    return out;
}
std::string arcsExport() {
    std::string out = "hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n";
    char buf[96];
    for (int i = 0; i < 100000; ++i) {
        const int n = std::snprintf(buf, sizeof buf, "ci 0 0 1400000 %.4f %.4f 1 0\r\n", i * 0.0036, (i + 1) * 0.0036);
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}
void BM_SelectedByMistake(benchmark::State& state) {
    const bool arcs = state.range(0) == 1;
    const std::string temp = arcs ? arcsExport() : hatchExport();
    RunFixture f(2);
    f.choices.mode = RunMode::Selection;
    for (auto _ : state) {
        f.input = readHost(temp, NumberFormat{}, f.codec);
        f.plan = planRun(f.input, f.choices, f.outlines);
        if (f.plan.laid() != arcs) state.SkipWithError(arcs ? "the arcs were refused" : "the hatch was laid");
        benchmark::DoNotOptimize(f.plan.layout.pieces.size());
    }
    state.SetLabel(arcs ? "100,000 arcs" : "hatch");
    state.counters["pieces"] = static_cast<double>(f.plan.layout.pieces.size());
}
BENCHMARK(BM_SelectedByMistake)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One sine and cosine of an angle the curve walk meets (a few radians, not
// near a multiple of π/2), per call.
void BM_SineAndCosine(benchmark::State& state) {
    long double t = 0.3L, s = 0, c = 0;
    for (auto _ : state) {
        x87::sinCos(t, s, c);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(c);
        t += 0.0037L;
        if (t > 6.0L) t = 0.3L;
    }
}
BENCHMARK(BM_SineAndCosine)->Unit(benchmark::kNanosecond);

// The longest wall (a rectangle of 24,988 pieces) written with its sheet:
// the notice, a number every 5th pile and the developed elevation (0: the
// wall alone, 1: with them).
void BM_SheetOfTheLongestWall(benchmark::State& state) {
    RunFixture f(2);
    f.selectLongestWall();
    f.choices.pileLength = parsePileLength(u"10.0");
    f.choices.headLevel = 0.5;
    f.choices.numbers = f.choices.elevation = state.range(0) == 1;
    f.plan = planRun(f.input, f.choices, f.outlines);
    size_t bytes = 0;
    for (auto _ : state) {
        std::string s = resultBytes(drawingOf(f.plan, f.input, f.outlines, f.choices), NumberFormat{}, f.codec);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.counters["pieces"] = static_cast<double>(f.plan.layout.pieces.size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SheetOfTheLongestWall)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteTenThousandPiles(benchmark::State& state) {
    RunFixture f(10000);
    const std::u16string out = utf8ToU16((std::filesystem::temp_directory_path() / "ravo-bench-result.txt").string());
    size_t bytes = 0;
    for (auto _ : state) {
        writeResultBytes(out, f.fs, resultBytes(drawingOf(f.plan, f.input, f.outlines, f.choices), NumberFormat{}, f.codec));
        bytes = std::filesystem::file_size(PosixFileSystem::nativePath(out));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteTenThousandPiles)->Unit(benchmark::kMillisecond);

void BM_FormatTenThousandPiles(benchmark::State& state) {
    RunFixture f(10000);
    size_t bytes = 0;
    for (auto _ : state) {
        std::string s = resultBytes(drawingOf(f.plan, f.input, f.outlines, f.choices), NumberFormat{}, f.codec);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FormatTenThousandPiles)->Unit(benchmark::kMillisecond);

// The whole job on the large export: the session reads it beside the
// program, lays the 5,000-pile run and writes it moved onto hp1 (the awk
// peer does the same).
void BM_ReadLayWrite(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ravo-bench-program";
    std::filesystem::create_directories(folder);
    std::error_code ec;
    std::filesystem::create_directory_symlink(std::filesystem::path(RAVO_SOURCE_DIR) / "data", folder / "data", ec);
    std::ofstream(folder / "temp.txt", std::ios::binary) << largeExport();
    PosixFileSystem fs(folder.string());
    Cp932Codec codec;
    for (auto _ : state) {
        RecordingMessages msgs;
        Session s(Services{fs, codec, msgs, NumberFormat{}});
        if (!s.runShowSteps()) state.SkipWithError("no export beside the program");
        s.ok();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largeExport().size()));
}
BENCHMARK(BM_ReadLayWrite)->Unit(benchmark::kMillisecond);

// A canvas that only counts: what the core's own repaint costs.
class CountingCanvas : public Canvas {
public:
    int imageWidth() const override { return kImageWidth; }
    int imageHeight() const override { return kImageHeight; }
    void clearPicture() override { surface_ = false; }
    bool hasSurface() const override { return surface_; }
    void newSurface() override { surface_ = true; }
    void setPen(PenStyle, uint32_t, bool) override {}
    void line(int x1, int, int, int) override {
        sum += x1;
        ++lines;
    }
    void ellipse(int, int, int, int) override {}
    void setFont(int, int) override {}
    void textExtent(const std::u16string&, int& w, int& h) override { w = h = 0; }
    void textOut(int, int, const std::u16string&, uint32_t, uint32_t) override {}
    void present() override {}
    long sum = 0;
    long lines = 0;

private:
    bool surface_ = false;
};

void BM_RepaintRecording(benchmark::State& state) {
    RunFixture f(5000);
    f.place();
    CountingCanvas canvas;
    View view(f.store, f.msgs);
    view.initView(canvas);
    view.fitGin(0, 1.0);
    for (int i = 0; i < state.range(0); ++i) view.zoomIn(0);
    for (auto _ : state) {
        canvas.lines = 0;
        view.redrawGin(0);
        benchmark::DoNotOptimize(canvas.sum);
    }
    state.counters["segments"] = f.store.lastLineIndex(0) + 1;
    state.counters["drawn"] = static_cast<double>(canvas.lines);  // what reaches GDI
}
BENCHMARK(BM_RepaintRecording)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond);

// The supports of a cofferdam a kilometre round (300 m by 200 m: 59 and 39
// struts, 2,301 king posts) planned with the wall, then drawn and written
// with the table.
void BM_SupportsOfAKilometre(benchmark::State& state) {
    RunFixture f(2);
    f.choices.mode = RunMode::Selection;
    const double corners[][2] = {{0, 0}, {300000, 0}, {300000, 200000}, {0, 200000}};
    for (int i = 0; i < 4; ++i) {
        recLine r{};
        r.kind = kKindLine;
        r.X1 = corners[i][0], r.Y1 = corners[i][1], r.X2 = corners[(i + 1) % 4][0], r.Y2 = corners[(i + 1) % 4][1];
        f.input.records.push_back(r);
    }
    f.choices.pileLength = parsePileLength(u"10.0");
    f.choices.table = true;
    SupportTyped typed;
    typed.on = true;
    typed.levels = u"1.0 4.0";
    const HSections members = parseHSections(f.fs.readFile(f.fs.besideProgram(kHSectionsFile)));
    f.choices.supports = readSupports(typed, members.list);
    size_t bytes = 0;
    for (auto _ : state) {
        f.plan = planRun(f.input, f.choices, f.outlines);
        std::string s = resultBytes(drawingOf(f.plan, f.input, f.outlines, f.choices), NumberFormat{}, f.codec);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.counters["members"] = static_cast<double>(f.plan.supports.members.size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SupportsOfAKilometre)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ravo

int main(int argc, char** argv) {
    ravo::writeExportFile();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
