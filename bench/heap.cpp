// Throughput of the managed heap on a game's allocation pattern, next to the process's malloc on
// the same sequence, and the cost of compacting a fragmented data heap. The ratios are printed
// after the table.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "host/core/log.h"
#include "runtime/heap/memory_manager.h"

namespace {

constexpr uint32_t kObjectHeapSize = 0x300000;
constexpr uint32_t kDataHeapSize = 0xE00000;

// One step of a recorded sequence: allocate `size` bytes into `slot`, or free `slot` when size is 0.
struct Op {
    uint32_t slot;
    uint32_t size;
};

struct Trace {
    std::vector<Op> ops;
    uint32_t slots = 0;
};

// Objects of 16 to 200 bytes; 70 % die within a few dozen allocations, the rest live for thousands.
const Trace& gameTrace() {
    static const Trace trace = [] {
        constexpr int kAllocations = 100000;
        Trace t;
        std::mt19937 rng(20240611);
        std::uniform_int_distribution<uint32_t> size(16, 200);
        std::uniform_int_distribution<uint32_t> percent(0, 99);
        std::uniform_int_distribution<int> shortLife(1, 48);
        std::uniform_int_distribution<int> longLife(1000, 12000);
        using Death = std::pair<int, uint32_t>;  // (allocation index at which it dies, slot)
        std::priority_queue<Death, std::vector<Death>, std::greater<>> deaths;
        std::vector<uint32_t> spare;
        for (int now = 0; now < kAllocations; ++now) {
            while (!deaths.empty() && deaths.top().first <= now) {
                t.ops.push_back({deaths.top().second, 0});
                spare.push_back(deaths.top().second);
                deaths.pop();
            }
            uint32_t slot;
            if (spare.empty()) {
                slot = t.slots++;
            } else {
                slot = spare.back();
                spare.pop_back();
            }
            t.ops.push_back({slot, size(rng)});
            deaths.push({now + (percent(rng) < 70 ? shortLife(rng) : longLife(rng)), slot});
        }
        while (!deaths.empty()) {
            t.ops.push_back({deaths.top().second, 0});
            deaths.pop();
        }
        return t;
    }();
    return trace;
}

template <class Alloc, class Free>
void replay(benchmark::State& state, Alloc alloc, Free release) {
    const Trace& trace = gameTrace();
    std::vector<void*> slots(trace.slots);
    int64_t failed = 0;
    for (auto _ : state) {
        for (const Op& op : trace.ops) {
            if (op.size) {
                void* p = alloc(op.size);
                if (p) *static_cast<uint8_t*>(p) = uint8_t(op.slot);
                else ++failed;
                slots[op.slot] = p;
            } else {
                release(slots[op.slot]);
            }
        }
        benchmark::DoNotOptimize(slots.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(trace.ops.size()));
    state.counters["failed"] = double(failed);
}

void BM_GameMix_MemoryManager(benchmark::State& state) {
    bool movable = state.range(0) != 0;
    mrc::MemoryManager heap(movable ? kDataHeapSize : kObjectHeapSize, movable);
    replay(state, [&](uint32_t n) { return heap.alloc(n); }, [&](void* p) { heap.free(p); });
    state.counters["peakKB"] = heap.peak() / 1024.0;
}
BENCHMARK(BM_GameMix_MemoryManager)->ArgName("dataHeap")->Arg(0)->Arg(1)->MinTime(0.3)->Unit(benchmark::kMillisecond);

void BM_GameMix_Malloc(benchmark::State& state) {
    replay(state, [](uint32_t n) { return std::malloc(n); }, [](void* p) { std::free(p); });
}
BENCHMARK(BM_GameMix_Malloc)->MinTime(0.3)->Unit(benchmark::kMillisecond);

// The floor of the heap's side: the addresses it chooses, recorded once, handed out again with
// no bookkeeping at all. What remains is the replay loop and the memory traffic of those very
// blocks (their headers read and written as a heap would): the rest of the heap's time is its
// own work, not the coldness of the blocks its choices give.
void BM_GameMix_Floor(benchmark::State& state) {
    const Trace& trace = gameTrace();
    std::vector<void*> chosen;
    {
        mrc::MemoryManager heap(kObjectHeapSize, false);
        std::vector<void*> slots(trace.slots);
        for (const Op& op : trace.ops) {
            if (op.size) chosen.push_back(slots[op.slot] = heap.alloc(op.size));
            else heap.free(slots[op.slot]);
        }
        // The floor is replayed in a block of the process heap: the heap's own is gone by then.
    }
    auto* base = static_cast<uint8_t*>(std::malloc(kObjectHeapSize + 8));
    const uint8_t* recorded = nullptr;
    for (void* p : chosen) {
        if (p && (!recorded || p < recorded)) recorded = static_cast<uint8_t*>(p);
    }
    std::size_t next = 0;
    replay(
        state,
        [&](uint32_t n) -> void* {
            void* p = chosen[next];
            next = next + 1 == chosen.size() ? 0 : next + 1;
            if (!p) return nullptr;
            auto* block = base + (static_cast<uint8_t*>(p) - recorded) + 8;
            std::memcpy(block - 8, &n, sizeof n);
            return block;
        },
        [](void* p) {
            uint32_t n;
            std::memcpy(&n, static_cast<uint8_t*>(p) - 8, sizeof n);
            uint32_t after;  // the next block's header, as a free that coalesces reads it
            std::memcpy(&after, static_cast<uint8_t*>(p) + ((n + 7) & ~7u), sizeof after);
            benchmark::DoNotOptimize(after);
        });
    std::free(base);
}
BENCHMARK(BM_GameMix_Floor)->MinTime(0.3)->Unit(benchmark::kMillisecond);

// A 14 MB data heap filled with buffers of the game mix, every owner registered, then every other
// buffer on average freed: tens of thousands of small holes and no large free block.
struct FragmentedHeap {
    std::unique_ptr<mrc::MemoryManager> heap;
    std::vector<void*> owners;

    FragmentedHeap() : heap(new mrc::MemoryManager(kDataHeapSize, true)) {
        std::mt19937 rng(77);
        std::uniform_int_distribution<uint32_t> size(16, 200);
        owners.reserve(kDataHeapSize / 32);
        while (heap->used() + 1024 < int32_t(kDataHeapSize)) {
            void* p = heap->alloc(size(rng));
            owners.push_back(p);
            heap->registerOwner(p, &owners.back());
        }
        // In address order, so that every free finds its place next to the previous one.
        std::bernoulli_distribution drop(0.5);
        for (void*& p : owners) {
            if (drop(rng)) {
                heap->free(p);
                p = nullptr;
            }
        }
        before = owners;
    }

    int64_t moved() const {
        int64_t n = 0;
        for (size_t i = 0; i < owners.size(); ++i) n += owners[i] != before[i];
        return n;
    }

    std::vector<void*> before;
};

// Building the heap takes longer than compacting it, so the iterations are fixed.
constexpr int kCompactionIterations = 20;

void BM_Compaction_CompactAll(benchmark::State& state) {
    int64_t holes = 0;
    int64_t moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FragmentedHeap f;
        holes = f.heap->freeCount();
        state.ResumeTiming();
        f.heap->compactAll();
        state.PauseTiming();
        moved = f.moved();
        f.heap.reset();
        state.ResumeTiming();
    }
    state.counters["freeBlocks"] = double(holes);
    state.counters["moved"] = double(moved);
}
BENCHMARK(BM_Compaction_CompactAll)->Iterations(kCompactionIterations)->Unit(benchmark::kMillisecond);

// A request larger than any hole: the gap strategy, then the sliding one, assemble the block.
void BM_Compaction_Alloc(benchmark::State& state) {
    const uint32_t request = uint32_t(state.range(0));
    int64_t served = 0;
    int64_t moved = 0;
    host::LogCapture quiet;
    for (auto _ : state) {
        state.PauseTiming();
        FragmentedHeap f;
        state.ResumeTiming();
        served += f.heap->alloc(request) != nullptr;
        state.PauseTiming();
        moved = f.moved();
        f.heap.reset();
        state.ResumeTiming();
    }
    state.counters["served"] = benchmark::Counter(double(served), benchmark::Counter::kAvgIterations);
    state.counters["moved"] = double(moved);
}
BENCHMARK(BM_Compaction_Alloc)
    ->ArgName("bytes")
    ->Arg(4096)
    ->Arg(65536)
    ->Iterations(kCompactionIterations)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Real (wall) time: the ratios are of elapsed time.
    bench::RatioReporter reporter;
    if (!bench::runBenchmarks(argc, argv, reporter)) return 1;
    double malloc = 0;
    for (const std::string& name : reporter.names()) {
        if (name.starts_with("BM_GameMix_Malloc")) malloc = reporter.time(name, bench::Clock::Real);
    }
    for (const std::string& name : reporter.names()) {
        if (malloc > 0 && (name.starts_with("BM_GameMix_MemoryManager") || name.starts_with("BM_GameMix_Floor"))) {
            double time = reporter.time(name, bench::Clock::Real);
            std::printf("time of %s / time of malloc: %.2f\n", name.c_str(), time / malloc);
        }
    }
    return 0;
}
