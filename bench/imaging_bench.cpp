// Imaging speed on a 1920x1080 photograph-like picture: the palette mapping with error
// diffusion against the plain linear closest-index scan, the capture path's halftone file,
// and the octree palette against its earlier tree walk. Each comparison ends in one line
// "ratio NAME VALUE target TARGET met|NOT met": both sides in this run, taking turns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/octree_reference.h"

#include "imaging/colour_reduce_dib.h"
#include "imaging/dib_section.h"
#include "imaging/dib_section_save.h"
#include "imaging/palette.h"

namespace img = veilora::imaging;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Soft waves of colour with grain: many distinct colours, neighbours alike.
const img::DibSection& picture() {
    static const img::DibSection dib = [] {
        img::DibSection d;
        d.create(kWidth, kHeight);
        std::mt19937 random(11);
        std::normal_distribution<double> grain(0, 6);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                auto channel = [&](double v) {
                    return static_cast<std::uint8_t>(std::clamp(v + grain(random), 0.0, 255.0));
                };
                std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
                p[2] = channel(128 + 90 * std::sin(x / 211.0 + y / 97.0) + 30 * std::sin(x / 23.0));
                p[1] = channel(120 + 80 * std::sin(y / 153.0 - x / 301.0) + 25 * std::cos(y / 17.0));
                p[0] = channel(110 + 70 * std::cos((x + y) / 187.0) + 40 * std::sin(x * y / 9e4));
            }
        }
        return d;
    }();
    return dib;
}

const img::Palette& optimalPalette() {
    static const img::Palette palette = [] {
        img::Palette p;
        p.createOptimal(picture(), 236, 6);
        return p;
    }();
    return palette;
}

// A ratio's two sides take turns (in a random order), seven times each, and each side counts
// by its mean over them: the machine's speed drifts (other work, frequency), and one run of
// each, minutes apart, can differ by a fifth for that alone.
void paired(benchmark::internal::Benchmark* b) {
    b->Repetitions(7)->DisplayAggregatesOnly(true);
}

void applyPaletteDiffused(benchmark::State& state, img::ColourReduceDib::Search search) {
    img::ColourReduceDib reducer;
    reducer.setSearch(search);
    img::DibSection to;
    to.create(kWidth, kHeight);
    for (auto _ : state) {
        state.PauseTiming();
        img::DibSection from = picture();  // the diffusion changes its source
        state.ResumeTiming();
        reducer.applyPalette(from, to, optimalPalette(), true);
        benchmark::DoNotOptimize(to.dibSectionBitsPtr());
    }
    state.counters["colours"] = optimalPalette().count();
}

void BM_ApplyPalette236Diffused_Indexed(benchmark::State& state) {
    applyPaletteDiffused(state, img::ColourReduceDib::Search::Indexed);
}
void BM_ApplyPalette236Diffused_LinearReference(benchmark::State& state) {
    applyPaletteDiffused(state, img::ColourReduceDib::Search::Linear);
}
BENCHMARK(BM_ApplyPalette236Diffused_Indexed)->Unit(benchmark::kMillisecond)->Apply(paired);
BENCHMARK(BM_ApplyPalette236Diffused_LinearReference)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Apply(paired);

// The capture path: 8 bits, nearest halftone colour, colours copied back, file written.
void BM_SaveHalfTone8Bit(benchmark::State& state) {
    const auto file = std::filesystem::temp_directory_path() / "veilora-bench-halftone.bmp";
    img::DibSectionSave saver;
    for (auto _ : state) {
        state.PauseTiming();
        img::DibSection dib = picture();
        state.ResumeTiming();
        saver.save(file, dib, img::OutputColourDepth::Colour256,
                   img::ColourReductionMethod::None);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveHalfTone8Bit)->Unit(benchmark::kMillisecond);

void BM_SaveTrueColour(benchmark::State& state) {
    const auto file = std::filesystem::temp_directory_path() / "veilora-bench-24.bmp";
    for (auto _ : state) picture().savePicture(file);
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveTrueColour)->Unit(benchmark::kMillisecond);

void BM_CreateOptimal236Depth6(benchmark::State& state) {
    img::Palette palette;
    for (auto _ : state) palette.createOptimal(picture(), 236, 6);
    state.counters["colours"] = palette.count();
}
BENCHMARK(BM_CreateOptimal236Depth6)->Unit(benchmark::kMillisecond)->Apply(paired);

void BM_CreateOptimal236Depth6_Reference(benchmark::State& state) {
    veilora::test::ReferenceOctree reference;
    img::Palette palette;
    for (auto _ : state) palette = reference.createOptimal(picture(), 236, 6);
    state.counters["colours"] = palette.count();
}
BENCHMARK(BM_CreateOptimal236Depth6_Reference)->Unit(benchmark::kMillisecond)->Apply(paired);

// The console table as usual, with each benchmark's processor time kept for the ratios: the
// mean of its repetitions, or its one run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
                cpu_[run.run_name.str()] = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                cpu_[run.run_name.str()] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // How many times faster `fast` ran than `slow`, when both ran.
    void ratio(const char* name, const std::string& fast, const std::string& slow,
               double target) const {
        const auto f = find(fast), s = find(slow);
        if (!f || !s) return;
        std::printf("ratio %s %.1f target %g %s\n", name, *s / *f, target,
                    *s / *f >= target ? "met" : "NOT met");
    }

  private:
    // By name, ignoring a suffix such as "/iterations:1".
    std::optional<double> find(const std::string& name) const {
        for (const auto& [runName, cpu] : cpu_) {
            if (runName == name || runName.starts_with(name + "/")) return cpu;
        }
        return std::nullopt;
    }
    std::map<std::string, double> cpu_;
};

}  // namespace

int main(int argc, char** argv) {
    // The benchmark is only worth its figures when the faster palette is the same palette.
    const auto reference = veilora::test::ReferenceOctree().createOptimal(picture(), 236, 6);
    if (!std::ranges::equal(reference.entries(), optimalPalette().entries())) {
        std::fprintf(stderr, "the octree palette differs from the reference's\n");
        return 1;
    }
    // The repetitions of different benchmarks take turns unless the command line says
    // otherwise.
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The table's last colour reset may still stand at the start of the line: the ratios
    // begin lines of their own, for scripts.
    std::printf("\n");
    reporter.ratio("apply_palette_236_diffused_vs_linear", "BM_ApplyPalette236Diffused_Indexed",
                   "BM_ApplyPalette236Diffused_LinearReference", 20);
    reporter.ratio("create_optimal_236_depth6_vs_tree_walk", "BM_CreateOptimal236Depth6",
                   "BM_CreateOptimal236Depth6_Reference", 2);
    return 0;
}
