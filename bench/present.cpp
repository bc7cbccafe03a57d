// The headless present (the stretch presenter into the headless window's frame store, as the game's
// display presents) next to a plain copy of the same 800 × 480 RGB565 frame, the floor of keeping
// a frame at all; and the present while every frame is hashed (--frame-hashes). The ratios to the
// copy are printed after the table, also with --benchmark_report_aggregates_only (then from the
// medians).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/ratio_report.h"
#include "host/headless/headless_window.h"
#include "host/window/geometry.h"

namespace {

constexpr int kW = host::kScreenWidth;
constexpr int kH = host::kScreenHeight;

std::vector<uint16_t> screen() {
    std::vector<uint16_t> px(std::size_t(kW) * kH);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    return px;
}

void setFrames(benchmark::State& state) {
    state.counters["frames"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FrameCopy(benchmark::State& state) {
    const std::vector<uint16_t> source = screen();
    std::vector<uint16_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * 2);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    setFrames(state);
}

void presentFrames(benchmark::State& state, bool hashed) {
    host::WindowConfig config;
    config.backend = host::Backend::Headless;
    auto window = host::HeadlessWindow::open(config, nullptr);
    uint64_t last = 0;
    if (hashed) window->setFrameHashSink([&](uint64_t, uint64_t hash) { last = hash; });
    auto presenter = window->createStretchPresenter();
    const std::vector<uint16_t> frame = screen();
    for (auto _ : state) {
        presenter->present(frame.data(), kW, kH, kW * 2);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(last);
    setFrames(state);
    presenter.reset();
}

void BM_HeadlessPresent(benchmark::State& state) { presentFrames(state, false); }
void BM_HeadlessPresentHashed(benchmark::State& state) { presentFrames(state, true); }

BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeadlessPresent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeadlessPresentHashed)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Real (wall) time: the ratios are of elapsed time.
    bench::RatioReporter reporter;
    if (!bench::runBenchmarks(argc, argv, reporter)) return 1;
    const double copy = reporter.time("BM_FrameCopy", bench::Clock::Real);
    for (const char* name : {"BM_HeadlessPresent", "BM_HeadlessPresentHashed"}) {
        double time = reporter.time(name, bench::Clock::Real);
        if (copy > 0 && time > 0) std::printf("time of %s / time of a frame copy: %.2f\n", name, time / copy);
    }
    return 0;
}
