// Seeded random sequences of allocations, frees, collector runs and compactions on small heaps,
// with the invariant checker after every step and the contents of every live block checked
// whenever anything may have moved.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/heap/memory_manager.h"

namespace mrc {
namespace {

struct Entry {
    void* data = nullptr;  // the owner slot on the data heap
    uint32_t size = 0;
    uint8_t seed = 0;
};

class RandomRun {
public:
    RandomRun(bool movable, uint32_t seed) : m_heap(64 * 1024, movable), m_rng(seed) {
        m_heap.setCollectorHook(&RandomRun::collect, this);
        m_heap.setCompactionHooks(&RandomRun::before, &RandomRun::after, this);
    }

    void run(int steps) {
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE(testing::Message() << "step " << step);
            int movesBefore = m_compactions;
            uint32_t dice = pick(100);
            if (dice < 55) {
                allocate();
            } else if (dice < 93) {
                freeSome(1);
            } else if (dice < 95 && m_heap.movable()) {
                m_heap.compactAll();
            } else if (dice < 97) {
                m_heap.setStressMode(!m_stress);
                m_stress = !m_stress;
            } else {
                freeSome(8);
            }
            std::string why;
            ASSERT_TRUE(m_heap.checkInvariants(&why)) << why;
            ASSERT_EQ(m_inCompaction, false);
            if (m_compactions != movesBefore || step % 64 == 0) {
                ASSERT_NO_FATAL_FAILURE(verifyAll());
            }
        }
        ASSERT_NO_FATAL_FAILURE(verifyAll());
        for (Entry& e : m_entries) release(e);
        EXPECT_EQ(m_heap.used(), 0);
        EXPECT_EQ(m_heap.blockCount(), 1);
    }

    int compactions() const { return m_compactions; }
    int failures() const { return m_failures; }
    int collections() const { return m_collections; }

private:
    uint32_t pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_rng); }

    uint32_t requestSize() {
        uint32_t kind = pick(100);
        if (kind < 80) return pick(201);
        if (kind < 97) return 200 + pick(1800);
        return 4000 + pick(12000);
    }

    void allocate() {
        Entry* e = nullptr;
        for (int tries = 0; tries < 8 && !e; ++tries) {
            Entry& candidate = m_entries[pick(m_entries.size())];
            if (!candidate.data) e = &candidate;
        }
        if (!e) return;
        uint32_t size = requestSize();
        void* p = m_heap.alloc(size);
        if (!p) {
            ++m_failures;
            return;
        }
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
        ASSERT_GE(m_heap.blockSize(p), size);
        e->data = p;
        e->size = size;
        e->seed = uint8_t(pick(256));
        if (m_heap.movable()) m_heap.registerOwner(p, &e->data);
        fill(*e);
    }

    static void fill(const Entry& e) {
        auto* bytes = static_cast<uint8_t*>(e.data);
        for (uint32_t i = 0; i < e.size; ++i) bytes[i] = uint8_t(e.seed + i * 7);
    }

    static bool intact(const Entry& e) {
        auto* bytes = static_cast<const uint8_t*>(e.data);
        for (uint32_t i = 0; i < e.size; ++i) {
            if (bytes[i] != uint8_t(e.seed + i * 7)) return false;
        }
        return true;
    }

    void verifyAll() {
        for (const Entry& e : m_entries) {
            if (!e.data) continue;
            ASSERT_TRUE(m_heap.contains(e.data));
            ASSERT_TRUE(intact(e)) << "block of " << e.size << " bytes at " << e.data;
        }
    }

    void release(Entry& e) {
        if (!e.data) return;
        ASSERT_TRUE(intact(e));
        ASSERT_EQ(m_heap.free(e.data), 1);
        e.data = nullptr;
    }

    void freeSome(int n) {
        for (int i = 0; i < n; ++i) release(m_entries[pick(m_entries.size())]);
    }

    // Stands in for the collector: drops a few blocks, through the heap's public entry points.
    static void collect(void* self) {
        auto* run = static_cast<RandomRun*>(self);
        ++run->m_collections;
        run->freeSome(1 + int(run->pick(4)));
    }
    static void before(void* self) {
        auto* run = static_cast<RandomRun*>(self);
        EXPECT_FALSE(run->m_inCompaction);
        run->m_inCompaction = true;
        ++run->m_compactions;
    }
    static void after(void* self) {
        auto* run = static_cast<RandomRun*>(self);
        EXPECT_TRUE(run->m_inCompaction);
        run->m_inCompaction = false;
    }

    MemoryManager m_heap;
    std::mt19937 m_rng;
    std::array<Entry, 1024> m_entries{};
    bool m_stress = false;
    bool m_inCompaction = false;
    int m_compactions = 0;
    int m_failures = 0;
    int m_collections = 0;
};

class MemoryManagerRandom : public testing::TestWithParam<std::tuple<bool, uint32_t>> {};

TEST_P(MemoryManagerRandom, InvariantsHoldAfterEveryStep) {
    auto [movable, seed] = GetParam();
    host::LogCapture quiet;  // failed requests log a line each
    RandomRun run(movable, seed);
    ASSERT_NO_FATAL_FAILURE(run.run(6000));
    // The sequence must have reached the interesting paths.
    EXPECT_GT(run.failures(), 0);
    EXPECT_GT(run.collections(), 0);
    if (movable) {
        EXPECT_GT(run.compactions(), 50);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MemoryManagerRandom,
                         testing::Combine(testing::Values(false, true), testing::Values(1u, 2u, 3u)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "DataHeap" : "ObjectHeap") + "Seed" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace mrc
