// The heap's size index against the address-ordered walk it replaced, kept as the reference: the
// same seeded request streams through both heaps must give the same address at every step, through
// splits, coalescing, failed requests and compactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/heap/memory_manager.h"

namespace mrc {
namespace {

constexpr int kSlots = 1500;

struct Side {
    MemoryManager heap;
    std::vector<void*> slots;  // fixed size: the owner slots stay where they are
    Side(bool movable, bool linear) : heap(192 * 1024, movable), slots(kSlots, nullptr) { heap.setLinearSearch(linear); }
    int64_t offset(int i) const {
        return slots[i] ? static_cast<uint8_t*>(slots[i]) - heap.base() : -1;
    }
};

// Mostly small requests of many sizes, now and then a large one that may not fit.
uint32_t requestSize(std::mt19937& rng) {
    uint32_t dice = rng() % 100;
    if (dice < 70) return 1 + rng() % 120;
    if (dice < 95) return 120 + rng() % 900;
    return 4000 + rng() % 30000;
}

TEST(HeapIndex, ChoosesEveryBlockTheLinearSearchChooses) {
    host::LogCapture quiet;  // failed requests are traced
    for (bool movable : {false, true}) {
        for (uint32_t seed : {1u, 7u, 42u, 1234u}) {
            SCOPED_TRACE(testing::Message() << (movable ? "data heap" : "object heap") << ", seed " << seed);
            Side linear(movable, true);
            Side indexed(movable, false);
            std::mt19937 rng(seed);
            int failures = 0;
            for (int step = 0; step < 30000; ++step) {
                int i = static_cast<int>(rng() % kSlots);
                if (linear.slots[i]) {
                    linear.heap.free(linear.slots[i]);
                    indexed.heap.free(indexed.slots[i]);
                    linear.slots[i] = indexed.slots[i] = nullptr;
                } else {
                    uint32_t size = requestSize(rng);
                    for (Side* side : {&linear, &indexed}) {
                        side->slots[i] = side->heap.alloc(size);
                        if (movable && side->slots[i]) side->heap.registerOwner(side->slots[i], &side->slots[i]);
                    }
                    if (!linear.slots[i]) ++failures;
                    ASSERT_EQ(indexed.offset(i), linear.offset(i)) << "step " << step << ", " << size << " bytes";
                }
                if (movable && step % 5000 == 4999) {
                    linear.heap.compactAll();
                    indexed.heap.compactAll();
                }
                if (step % 1000 == 0 || (movable && step % 5000 == 4999)) {
                    for (int k = 0; k < kSlots; ++k) ASSERT_EQ(indexed.offset(k), linear.offset(k)) << "step " << step;
                    std::string why;
                    ASSERT_TRUE(indexed.heap.checkInvariants(&why)) << why;
                }
            }
            EXPECT_GT(failures, 0);  // the full heap's paths were taken too
            EXPECT_EQ(indexed.heap.freeCount(), linear.heap.freeCount());
            EXPECT_EQ(indexed.heap.used(), linear.heap.used());
        }
    }
}

// Freeing many blocks at once, in address order (the collector's sweep), from a list or from a
// map of where they start and end, leaves the same heap as freeing them one by one: the same
// blocks, and the same choices afterwards.
TEST(HeapIndex, FreeingInAddressOrderAtOnceEqualsFreeingEach) {
    for (bool movable : {false, true}) {
        for (uint32_t seed : {3u, 99u}) {
            SCOPED_TRACE(testing::Message() << (movable ? "data heap" : "object heap") << ", seed " << seed);
            Side each(movable, false);
            Side listed(movable, false);
            Side mapped(movable, false);
            MemoryManager::BlockMap map = mapped.heap.blockMap();
            std::mt19937 rng(seed);
            for (int round = 0; round < 20; ++round) {
                for (int i = 0; i < kSlots; ++i) {
                    if (each.slots[i] || rng() % 3 == 0) continue;
                    uint32_t size = 1 + rng() % 200;
                    for (Side* side : {&each, &listed, &mapped}) side->slots[i] = side->heap.alloc(size);
                    ASSERT_EQ(listed.offset(i), each.offset(i));
                    ASSERT_EQ(mapped.offset(i), each.offset(i));
                }
                // Runs of neighbours (dense) and scattered blocks (sparse), in address order.
                std::vector<int> order;
                for (int i = 0; i < kSlots; ++i)
                    if (each.slots[i] && rng() % 100 < (round % 2 ? 85u : 20u)) order.push_back(i);
                std::sort(order.begin(), order.end(), [&](int a, int b) { return each.slots[a] < each.slots[b]; });
                std::vector<void*> data;
                for (int i : order) {
                    each.heap.free(each.slots[i]);
                    data.push_back(listed.slots[i]);
                    ASSERT_TRUE(mapped.heap.note(map, mapped.slots[i]));
                    each.slots[i] = listed.slots[i] = mapped.slots[i] = nullptr;
                }
                listed.heap.freeAscending(data.data(), data.size());
                mapped.heap.freeMapped(map);
                auto zero = [](uint64_t w) { return w == 0; };
                EXPECT_TRUE(std::all_of(map.starts.begin(), map.starts.end(), zero));
                EXPECT_TRUE(std::all_of(map.ends.begin(), map.ends.end(), zero));
                for (Side* side : {&listed, &mapped}) {
                    std::string why;
                    ASSERT_TRUE(side->heap.checkInvariants(&why)) << why;
                    ASSERT_EQ(side->heap.freeCount(), each.heap.freeCount());
                    ASSERT_EQ(side->heap.blockCount(), each.heap.blockCount());
                    ASSERT_EQ(side->heap.used(), each.heap.used());
                }
            }
            for (int i = 0; i < kSlots; ++i) {
                ASSERT_EQ(listed.offset(i), each.offset(i));
                ASSERT_EQ(mapped.offset(i), each.offset(i));
            }
        }
    }
}

// A map of every block of a full heap: the last run ends at the heap's end, its end bit one
// header past the last byte, and all of it becomes one free block again; in stress mode the
// blocks inside the run, never read, are poisoned all the same.
TEST(HeapIndex, AMapOfAFullHeapFreesItWhole) {
    host::LogCapture quiet;  // the request that finds the heap full is traced
    for (bool movable : {false, true}) {
        SCOPED_TRACE(movable ? "data heap" : "object heap");
        MemoryManager heap(64 * 1024, movable);
        std::vector<void*> blocks;
        while (void* p = heap.alloc(32)) blocks.push_back(static_cast<uint8_t*>(std::memset(p, 0, 32)));
        ASSERT_EQ(heap.freeCount(), 0);
        ASSERT_GT(blocks.size(), 2u);
        MemoryManager::BlockMap map = heap.blockMap();
        for (void* p : blocks) ASSERT_TRUE(heap.note(map, p));
        heap.setStressMode(true);
        heap.freeMapped(map);
        EXPECT_EQ(static_cast<uint8_t*>(blocks[1])[0], 0xDB);
        EXPECT_EQ(static_cast<uint8_t*>(blocks[blocks.size() / 2])[8], 0xDB);
        heap.setStressMode(false);
        std::string why;
        ASSERT_TRUE(heap.checkInvariants(&why)) << why;
        EXPECT_EQ(heap.blockCount(), 1);
        EXPECT_EQ(heap.freeCount(), 1);
        EXPECT_EQ(heap.used(), 0);
        EXPECT_EQ(heap.alloc(heap.size() - heap.headerSize()), heap.base() + heap.headerSize());
    }
}

// After a sweep the heap is holes between survivors, and a run of allocations cuts each hole
// into pieces: the index keeps the piece left over aside and hands it out next while nothing
// indexed is smaller. Frees now and then land next to that piece, and requests of other sizes
// pass it over; every address must still be the linear search's.
TEST(HeapIndex, AllocationRunsAfterASweepChooseAsTheLinearSearch) {
    for (bool movable : {false, true}) {
        for (uint32_t seed : {5u, 77u}) {
            SCOPED_TRACE(testing::Message() << (movable ? "data heap" : "object heap") << ", seed " << seed);
            Side linear(movable, true);
            Side indexed(movable, false);
            std::mt19937 rng(seed);
            auto alloc = [&](int i, uint32_t size) {
                for (Side* side : {&linear, &indexed}) {
                    side->slots[i] = side->heap.alloc(size);
                    if (movable && side->slots[i]) side->heap.registerOwner(side->slots[i], &side->slots[i]);
                }
                ASSERT_EQ(indexed.offset(i), linear.offset(i)) << size << " bytes";
            };
            auto free = [&](int i) {
                linear.heap.free(linear.slots[i]);
                indexed.heap.free(indexed.slots[i]);
                linear.slots[i] = indexed.slots[i] = nullptr;
            };
            for (int round = 0; round < 12; ++round) {
                SCOPED_TRACE(testing::Message() << "round " << round);
                // Allocate every empty slot: one common size, now and then another.
                std::vector<int> fresh;
                for (int i = 0; i < kSlots; ++i) {
                    if (linear.slots[i]) continue;
                    uint32_t size = rng() % 8 ? 40 : 1 + rng() % 300;
                    ASSERT_NO_FATAL_FAILURE(alloc(i, size));
                    if (!linear.slots[i]) continue;
                    fresh.push_back(i);
                    // The block just made is the spare's neighbour: freeing it merges the two.
                    if (rng() % 16 == 0) free(i);
                }
                std::string why;
                ASSERT_TRUE(indexed.heap.checkInvariants(&why)) << why;
                // The sweep: most of the blocks die, freed in address order at once.
                std::vector<int> dead;
                for (int i = 0; i < kSlots; ++i)
                    if (linear.slots[i] && rng() % 10 < 7) dead.push_back(i);
                std::sort(dead.begin(), dead.end(), [&](int a, int b) { return linear.slots[a] < linear.slots[b]; });
                std::vector<void*> data;
                for (int i : dead) {
                    linear.heap.free(linear.slots[i]);
                    data.push_back(indexed.slots[i]);
                    linear.slots[i] = indexed.slots[i] = nullptr;
                }
                indexed.heap.freeAscending(data.data(), data.size());
                ASSERT_TRUE(indexed.heap.checkInvariants(&why)) << why;
                if (movable && round % 4 == 3) {
                    linear.heap.compactAll();
                    indexed.heap.compactAll();
                }
                for (int k = 0; k < kSlots; ++k) ASSERT_EQ(indexed.offset(k), linear.offset(k));
            }
            EXPECT_EQ(indexed.heap.freeCount(), linear.heap.freeCount());
            EXPECT_EQ(indexed.heap.blockCount(), linear.heap.blockCount());
            EXPECT_EQ(indexed.heap.used(), linear.heap.used());
        }
    }
}

}  // namespace
}  // namespace mrc
