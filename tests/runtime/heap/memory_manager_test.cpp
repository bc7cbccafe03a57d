#include "runtime/heap/memory_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "host/core/log.h"

namespace mrc {
namespace {

constexpr bool kObjectHeap = false;
constexpr bool kDataHeap = true;

struct BlockInfo {
    uint32_t offset;
    uint32_t size;
    bool used;
    void** owner;
};

std::vector<BlockInfo> blocksOf(const MemoryManager& heap) {
    std::vector<BlockInfo> out;
    heap.forEachBlock([&](void* block, uint32_t size, bool used, void** owner) {
        out.push_back({uint32_t(static_cast<uint8_t*>(block) - heap.base()), size, used, owner});
    });
    return out;
}

void expectSound(const MemoryManager& heap) {
    std::string why;
    EXPECT_TRUE(heap.checkInvariants(&why)) << why;
}

uint32_t offsetOf(const MemoryManager& heap, const void* p) {
    return uint32_t(static_cast<const uint8_t*>(p) - heap.base());
}

// Collector and compaction hooks that count their calls.
struct HookCounts {
    int collector = 0;
    int before = 0;
    int after = 0;
};

void countCollector(void* c) { ++static_cast<HookCounts*>(c)->collector; }
void countBefore(void* c) { ++static_cast<HookCounts*>(c)->before; }
void countAfter(void* c) { ++static_cast<HookCounts*>(c)->after; }

void installCounters(MemoryManager& heap, HookCounts& counts) {
    heap.setCollectorHook(countCollector, &counts);
    heap.setCompactionHooks(countBefore, countAfter, &counts);
}

// Lays out blocks of the given sizes from the base (the last one takes the rest of the heap) and
// frees those marked free. Returns the data pointers, null for the freed ones.
std::vector<void*> layOut(MemoryManager& heap, const std::vector<std::pair<uint32_t, bool>>& blocks) {
    std::vector<void*> data;
    for (auto [size, used] : blocks) {
        void* p = heap.alloc(size - heap.headerSize());
        EXPECT_NE(p, nullptr);
        data.push_back(p);
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!blocks[i].second) {
            heap.free(data[i]);
            data[i] = nullptr;
        }
    }
    expectSound(heap);
    return data;
}

TEST(MemoryManager, NewHeapIsOneFreeBlock) {
    for (bool movable : {kObjectHeap, kDataHeap}) {
        MemoryManager heap(4096, movable);
        EXPECT_EQ(heap.size(), 4096u);
        EXPECT_EQ(heap.movable(), movable);
        EXPECT_EQ(heap.headerSize(), movable ? 16u : 8u);
        EXPECT_EQ(heap.blockCount(), 1);
        EXPECT_EQ(heap.freeCount(), 1);
        EXPECT_EQ(heap.used(), 0);
        auto blocks = blocksOf(heap);
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].size, 4096u);
        EXPECT_FALSE(blocks[0].used);
        expectSound(heap);
    }
}

TEST(MemoryManager, RequestsRoundToEightPlusHeaderAndAtLeastTheMinimumBlock) {
    struct Case {
        bool movable;
        uint32_t request;
        uint32_t block;
    };
    const Case cases[] = {
        {kObjectHeap, 0, 24},  {kObjectHeap, 1, 24},  {kObjectHeap, 16, 24}, {kObjectHeap, 17, 32},
        {kObjectHeap, 100, 112}, {kDataHeap, 0, 24},  {kDataHeap, 5, 24},    {kDataHeap, 8, 24},
        {kDataHeap, 9, 32},    {kDataHeap, 100, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "movable " << c.movable << " request " << c.request);
        MemoryManager heap(4096, c.movable);
        void* p = heap.alloc(c.request);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
        EXPECT_EQ(offsetOf(heap, p), heap.headerSize());
        EXPECT_EQ(blocksOf(heap)[0].size, c.block);
        EXPECT_EQ(heap.used(), int32_t(c.block));
        EXPECT_EQ(heap.blockSize(p), c.block - heap.headerSize());
        expectSound(heap);
    }
}

TEST(MemoryManager, FreeBlockIsHandedOutWholeUnlessMoreThanHeaderPlus32Remain) {
    struct Case {
        bool movable;
        uint32_t extra;  // free bytes beyond the 24 that alloc(8) needs
        bool split;
    };
    const Case cases[] = {
        {kObjectHeap, 40, false}, {kObjectHeap, 48, true},
        {kDataHeap, 48, false},   {kDataHeap, 56, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "movable " << c.movable << " extra " << c.extra);
        MemoryManager heap(24 + c.extra, c.movable);
        void* p = heap.alloc(8);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(heap.blockCount(), c.split ? 2 : 1);
        EXPECT_EQ(heap.freeCount(), c.split ? 1 : 0);
        EXPECT_EQ(heap.used(), int32_t(c.split ? 24 : 24 + c.extra));
        EXPECT_EQ(heap.blockSize(p), (c.split ? 24 : 24 + c.extra) - heap.headerSize());
        expectSound(heap);
    }
}

TEST(MemoryManager, FreedNeighboursCoalesceInEveryOrder) {
    const int orders[][3] = {{1, 0, 2}, {0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& order : orders) {
        SCOPED_TRACE(testing::Message() << order[0] << order[1] << order[2]);
        // Three blocks tiling the heap; the last is the largest since a 24-byte rest is never split off.
        MemoryManager heap(96, kObjectHeap);
        void* p[3] = {heap.alloc(16), heap.alloc(16), heap.alloc(40)};
        EXPECT_EQ(heap.blockCount(), 3);
        EXPECT_EQ(heap.freeCount(), 0);
        for (int i : order) {
            EXPECT_EQ(heap.free(p[i]), 1);
            expectSound(heap);
        }
        EXPECT_EQ(heap.blockCount(), 1);
        EXPECT_EQ(heap.freeCount(), 1);
        EXPECT_EQ(heap.used(), 0);
        EXPECT_EQ(heap.peak(), 96);
    }
}

TEST(MemoryManager, DataThatLooksLikeAFreeBlocksEndTagDoesNotMerge) {
    // free(48) used(48) used(48) free(rest): the middle block's last four bytes are its data, and
    // each value below would name a start for a free block that ends where the third block starts.
    struct Case {
        const char* what;
        uint32_t tag;
        bool forgeSize;  // the data where it points holds the tag as a free block's size word
    };
    const Case cases[] = {
        {"a free block of another size", 96, false},
        {"a used block", 48, false},
        {"the data of a used block, forged as a free block", 32, true},
        {"below the heap", 200, false},
        {"not a multiple of 8", 52, false},
        {"smaller than a block", 8, false},
    };
    for (bool movable : {kObjectHeap, kDataHeap}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (movable ? ", data heap" : ", object heap"));
            MemoryManager heap(1024, movable);
            auto data = layOut(heap, {{48, false}, {48, true}, {48, true}});
            std::memcpy(heap.base() + 96 - sizeof c.tag, &c.tag, sizeof c.tag);
            if (c.forgeSize) {
                int64_t size = c.tag;
                std::memcpy(heap.base() + 96 - c.tag, &size, sizeof size);
            }
            EXPECT_EQ(heap.free(data[2]), 1);
            expectSound(heap);
            auto blocks = blocksOf(heap);
            ASSERT_EQ(blocks.size(), 3u);
            EXPECT_EQ(blocks[0].size, 48u);
            EXPECT_TRUE(blocks[1].used);
            EXPECT_EQ(heap.freeCount(), 2);
        }
    }
}

TEST(MemoryManager, BestFitTakesTheSmallestSufficientFreeBlockFirstOfEqualSizes) {
    MemoryManager heap(64 + 24 + 56 + 24 + 56 + 24 + 40 + 48, kObjectHeap);
    layOut(heap, {{64, false}, {24, true}, {56, false}, {24, true}, {56, false}, {24, true}, {40, false}, {48, true}});
    // 48 bytes needed: 56 beats 64, and the first 56 (at +88) wins; 8 left over is taken too.
    void* a = heap.alloc(40);
    EXPECT_EQ(offsetOf(heap, a), 88u + 8);
    EXPECT_EQ(heap.blockSize(a), 48u);
    // An exact fit (40 at +248) is taken even though larger blocks come first.
    void* b = heap.alloc(32);
    EXPECT_EQ(offsetOf(heap, b), 248u + 8);
    expectSound(heap);
}

TEST(MemoryManager, FreeClaimsOnlyItsOwnPointers) {
    MemoryManager heap(4096, kDataHeap);
    void* mine = heap.alloc(32);
    int onStack = 0;
    void* fromMalloc = std::malloc(16);
    EXPECT_EQ(heap.free(&onStack), 0);
    EXPECT_EQ(heap.free(fromMalloc), 0);
    EXPECT_EQ(heap.free(nullptr), 0);
    EXPECT_EQ(heap.free(heap.base() + heap.size()), 0);
    EXPECT_EQ(heap.free(heap.base() - 1), 0);
    EXPECT_FALSE(heap.contains(fromMalloc));
    EXPECT_FALSE(heap.contains(heap.base() + heap.size()));
    EXPECT_TRUE(heap.contains(heap.base()));
    EXPECT_TRUE(heap.contains(heap.base() + heap.size() - 1));
    EXPECT_EQ(heap.blockSize(fromMalloc), 0u);
    EXPECT_EQ(heap.blockSize(&onStack), 0u);
    EXPECT_EQ(heap.used(), 48);
    EXPECT_EQ(heap.free(mine), 1);
    EXPECT_EQ(heap.used(), 0);
    std::free(fromMalloc);
    expectSound(heap);
}

TEST(MemoryManager, BadPointersInsideTheHeapAreClaimedAndReportedButChangeNothing) {
    MemoryManager heap(4096, kDataHeap);
    char* a = static_cast<char*>(heap.alloc(64));
    char* b = static_cast<char*>(heap.alloc(64));
    ASSERT_EQ(heap.free(a), 1);
    // Read as the size word of a block whose data starts 16 bytes on: a word without a positive
    // negation.
    const int64_t mostNegative = std::numeric_limits<int64_t>::min();
    std::memcpy(b, &mostNegative, sizeof mostNegative);
    host::LogCapture log;
    const void* bad[] = {a, b + 8, b + 3, b + 16, heap.base()};
    for (const void* p : bad) {
        EXPECT_EQ(heap.free(const_cast<void*>(p)), 1);
        EXPECT_EQ(heap.blockSize(p), 0u);
    }
    EXPECT_EQ(log.lines().size(), std::size(bad));
    EXPECT_TRUE(log.contains("is not the data of a used block"));
    EXPECT_EQ(heap.used(), 80);
    expectSound(heap);
}

TEST(MemoryManager, CollectorHookRunsWithTheLockReleasedAndItsFreedMemoryIsUsed) {
    MemoryManager heap(240, kObjectHeap);
    struct Context {
        MemoryManager* heap;
        void* victim;
        int calls = 0;
    } context{&heap, nullptr};
    // Eight blocks of 24 and one of 48 fill the heap.
    std::vector<std::pair<uint32_t, bool>> layout(8, {24, true});
    layout.push_back({48, true});
    auto blocks = layOut(heap, layout);
    context.victim = blocks[3];
    heap.setCollectorHook(
        [](void* c) {
            auto* ctx = static_cast<Context*>(c);
            ++ctx->calls;
            // Another thread can only get in if the allocating thread left the lock.
            std::thread([ctx] { ctx->heap->free(ctx->victim); }).join();
        },
        &context);
    void* p = heap.alloc(16);
    EXPECT_EQ(context.calls, 1);
    EXPECT_EQ(p, blocks[3]);
    expectSound(heap);
}

TEST(MemoryManager, FailedRequestLogsTheLineAfterTheCollectorAndReturnsNull) {
    struct Case {
        const char* what;
        bool movable;
        std::vector<std::pair<uint32_t, bool>> layout;
        uint32_t request;
        int compactions;
        const char* line;
    };
    const Case cases[] = {
        {"object heap: two holes of 24, 32 needed, never compacted", kObjectHeap,
         {{24, true}, {24, true}, {24, false}, {24, true}, {24, true}, {24, false}, {24, true}, {24, true}, {48, true}},
         24, 0, "totalFragmentSizeNeeded=32 m_heapUsed=192 m_heapSize=240"},
        {"data heap: used 200 + 48 needed reach the size 248, no compaction", kDataHeap,
         {{24, true}, {24, true}, {24, false}, {24, true}, {24, true}, {24, false}, {24, true}, {24, true}, {56, true}},
         32, 0, "totalFragmentSizeNeeded=48 m_heapUsed=200 m_heapSize=248"},
        {"data heap: B(32) U(64) T(32) S(56), U has nowhere to go", kDataHeap,
         {{32, false}, {64, true}, {32, false}, {56, true}},
         32, 1, "totalFragmentSizeNeeded=48 m_heapUsed=120 m_heapSize=184"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t size = 0;
        for (auto [blockSize, used] : c.layout) size += blockSize;
        MemoryManager heap(size, c.movable);
        HookCounts counts;
        installCounters(heap, counts);
        layOut(heap, c.layout);
        host::LogCapture log;
        EXPECT_EQ(heap.alloc(c.request), nullptr);
        EXPECT_EQ(counts.collector, 1);
        EXPECT_EQ(counts.before, c.compactions);
        EXPECT_EQ(counts.after, c.compactions);
        EXPECT_EQ(log.lines(), std::vector<std::string>{c.line});
        expectSound(heap);
    }
}

TEST(MemoryManager, CompactionServesARequestThatStaysBelowTheHeapSize) {
    // Used 200 of 248, two holes of 24; 40 needed: block 3 moves into the second hole.
    MemoryManager heap(248, kDataHeap);
    HookCounts counts;
    installCounters(heap, counts);
    auto blocks = layOut(heap, {{24, true}, {24, true}, {24, false}, {24, true}, {24, true}, {24, false},
                                {24, true}, {24, true}, {56, true}});
    void* moved = blocks[3];
    heap.registerOwner(moved, &moved);
    void* p = heap.alloc(24);
    EXPECT_EQ(offsetOf(heap, p), 48u + 16);
    EXPECT_EQ(offsetOf(heap, moved), 120u + 16);
    EXPECT_EQ(counts.collector, 1);
    EXPECT_EQ(counts.before, 1);
    EXPECT_EQ(counts.after, 1);
    expectSound(heap);
}

TEST(MemoryManager, GapStrategyMovesTheRunBetweenTheBestPairIntoAThirdFreeBlock) {
    // F(48) G(24) N(48) S(24) T(32) S(64): F+N-G scores 72, N+T-S 56; G moves into T.
    MemoryManager heap(240, kDataHeap);
    HookCounts counts;
    installCounters(heap, counts);
    auto data = layOut(heap, {{48, false}, {24, true}, {48, false}, {24, true}, {32, false}, {64, true}});
    void* g = data[1];
    void* s1 = data[3];
    void* gOwner = g;
    heap.registerOwner(g, &gOwner);
    std::memcpy(g, "gapblock", 8);

    void* p = heap.alloc(104);  // needs 120 = F + G + N
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(offsetOf(heap, p), 16u);
    EXPECT_EQ(counts.collector, 1);
    EXPECT_EQ(counts.before, 1);
    EXPECT_EQ(counts.after, 1);
    EXPECT_EQ(offsetOf(heap, gOwner), 144u + 16);
    EXPECT_EQ(std::memcmp(gOwner, "gapblock", 8), 0);
    EXPECT_EQ(heap.blockSize(gOwner), 16u);  // absorbed T's 8 spare bytes
    EXPECT_EQ(offsetOf(heap, s1), 120u + 16);  // untouched
    EXPECT_EQ(heap.freeCount(), 0);
    EXPECT_EQ(heap.blockCount(), 4);
    expectSound(heap);
}

TEST(MemoryManager, GapStrategyPassesOverAPairWhoseRunHasNowhereToGo) {
    // F(96) G1(64) N(96) G2(24) T(32) S(64): F+N-G1 scores 128 but only T (too small) could take
    // G1; N+T-G2 scores 104 and G2 goes into F, whose rest stays free.
    MemoryManager heap(376, kDataHeap);
    auto data = layOut(heap, {{96, false}, {64, true}, {96, false}, {24, true}, {32, false}, {64, true}});
    void* g2 = data[3];
    heap.registerOwner(g2, &g2);
    void* p = heap.alloc(104);  // needs 120 of N + G2 + T = 152
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(offsetOf(heap, p), 160u + 16);
    EXPECT_EQ(offsetOf(heap, g2), 16u);
    EXPECT_EQ(heap.blockSize(g2), 8u);
    EXPECT_EQ(heap.blockSize(p), 136u);  // 32 left over is too little to keep
    EXPECT_EQ(heap.freeCount(), 1);
    expectSound(heap);
}

TEST(MemoryManager, SlidingStrategyPushesUsedBlocksOutOfTheLargestFreeBlocksWay) {
    // B(64) U(24) W(24) T(48) S(56): the only pair (B, T) has no third block to take U+W,
    // so the larger B grows by moving U into T.
    MemoryManager heap(216, kDataHeap);
    HookCounts counts;
    installCounters(heap, counts);
    auto data = layOut(heap, {{64, false}, {24, true}, {24, true}, {48, false}, {56, true}});
    void* uOwner = data[1];
    void* wOwner = data[2];
    heap.registerOwner(data[1], &uOwner);
    heap.registerOwner(data[2], &wOwner);
    std::memcpy(uOwner, "slideU..", 8);

    void* p = heap.alloc(72);  // needs 88 = B + U
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(offsetOf(heap, p), 16u);
    EXPECT_EQ(heap.blockSize(p), 72u);
    EXPECT_EQ(offsetOf(heap, uOwner), 112u + 16);
    EXPECT_EQ(std::memcmp(uOwner, "slideU..", 8), 0);
    EXPECT_EQ(heap.blockSize(uOwner), 32u);  // absorbed T's 24 spare bytes
    EXPECT_EQ(offsetOf(heap, wOwner), 88u + 16);
    EXPECT_EQ(counts.before, 1);
    EXPECT_EQ(counts.after, 1);
    expectSound(heap);
}

TEST(MemoryManager, CompactAllSlidesEveryUsedBlockDownAndRewritesOwners) {
    MemoryManager heap(8192, kDataHeap);
    HookCounts counts;
    installCounters(heap, counts);
    std::vector<void*> blocks;
    for (int i = 0; i < 60; ++i) blocks.push_back(heap.alloc(8 + (i * 37) % 90));
    std::vector<void*> owners;
    for (int i = 0; i < 60; i += 2) heap.free(blocks[i]);
    for (int i = 1; i < 60; i += 2) owners.push_back(blocks[i]);
    for (size_t i = 0; i < owners.size(); ++i) {
        heap.registerOwner(owners[i], &owners[i]);
        std::memset(owners[i], int(i), heap.blockSize(owners[i]));
    }
    int32_t usedBefore = heap.used();
    EXPECT_TRUE(heap.compactAll());
    EXPECT_EQ(counts.before, 1);
    EXPECT_EQ(counts.after, 1);
    expectSound(heap);
    EXPECT_EQ(heap.used(), usedBefore);
    EXPECT_EQ(heap.freeCount(), 1);
    EXPECT_EQ(heap.blockCount(), int32_t(owners.size()) + 1);
    auto blocks2 = blocksOf(heap);
    EXPECT_EQ(blocks2.back().offset, uint32_t(usedBefore));
    for (size_t i = 0; i < owners.size(); ++i) {
        auto* bytes = static_cast<uint8_t*>(owners[i]);
        uint32_t n = heap.blockSize(bytes);
        EXPECT_TRUE(std::all_of(bytes, bytes + n, [&](uint8_t v) { return v == uint8_t(i); })) << i;
    }
    EXPECT_FALSE(heap.compactAll());  // nothing left to move
}

TEST(MemoryManager, OwnerRegistrationIgnoresForeignBuffersAndTheObjectHeap) {
    MemoryManager data(1024, kDataHeap);
    MemoryManager objects(1024, kObjectHeap);
    void* foreign = std::malloc(32);
    void* slot = foreign;
    data.registerOwner(foreign, &slot);  // process-heap fallback buffer: nothing to record
    void* object = objects.alloc(32);
    objects.registerOwner(object, &slot);
    host::LogCapture log;
    EXPECT_FALSE(objects.compactAll());
    EXPECT_TRUE(log.contains("does not move"));
    expectSound(data);
    expectSound(objects);
    std::free(foreign);
}

TEST(MemoryManager, StressModeMovesEveryBlockAtEachDataAllocation) {
    MemoryManager heap(4096, kDataHeap);
    HookCounts counts;
    installCounters(heap, counts);
    void* owned = heap.alloc(40);
    heap.registerOwner(owned, &owned);
    std::memcpy(owned, "stress!", 8);
    void* hole = heap.alloc(40);
    heap.free(hole);
    heap.setStressMode(true);
    for (int i = 0; i < 4; ++i) {
        void* before = owned;
        void* fresh = heap.alloc(8);
        ASSERT_NE(fresh, nullptr);
        EXPECT_NE(owned, before) << "allocation " << i;
        EXPECT_STREQ(static_cast<char*>(owned), "stress!");
        // The stale address now reads poison or other data, never the old contents in place.
        EXPECT_NE(std::memcmp(before, "stress!", 8), 0);
        heap.free(fresh);
        expectSound(heap);
    }
    EXPECT_EQ(counts.collector, 4);
    EXPECT_EQ(counts.before, 4);
    EXPECT_EQ(counts.after, 4);
}

TEST(MemoryManager, CompactionHooksRunWithTheLockReleased) {
    MemoryManager heap(1024, kDataHeap);
    struct Context {
        MemoryManager* heap;
        int32_t seen = -1;
    } context{&heap};
    heap.setCompactionHooks(
        [](void* c) {
            auto* ctx = static_cast<Context*>(c);
            std::thread([ctx] { ctx->seen = ctx->heap->blockCount(); }).join();
        },
        nullptr, &context);
    heap.alloc(100);
    heap.compactAll();
    EXPECT_EQ(context.seen, 2);
}

TEST(MemoryManager, DestroyIsIdempotentAndLeavesAHeapThatClaimsNothing) {
    MemoryManager heap(1024, kDataHeap);
    void* p = heap.alloc(16);
    heap.destroy();
    heap.destroy();
    EXPECT_FALSE(heap.contains(p));
    EXPECT_EQ(heap.free(p), 0);
    EXPECT_EQ(heap.blockSize(p), 0u);
    host::LogCapture log;
    EXPECT_EQ(heap.alloc(16), nullptr);
    EXPECT_FALSE(log.lines().empty());
    EXPECT_EQ(heap.blockCount(), 0);
    expectSound(heap);
}

TEST(MemoryManager, HugeRequestsFailCleanly) {
    for (bool movable : {kObjectHeap, kDataHeap}) {
        MemoryManager heap(1024, movable);
        host::LogCapture log;
        for (uint32_t size : {1024u, 0x7FFFFFFFu, 0xFFFFFFF9u, 0xFFFFFFFFu}) {
            EXPECT_EQ(heap.alloc(size), nullptr) << size;
        }
        EXPECT_EQ(log.lines().size(), 4u);
        EXPECT_EQ(heap.used(), 0);
        expectSound(heap);
    }
}

TEST(MemoryManager, InvariantCheckerNamesEachKindOfDamage) {
    // Each case damages one word of a heap laid out as used(48) free(48) used(48) free(rest) and
    // expects the checker to say so; the word is restored afterwards. The rest is large enough
    // for a bin of many sizes.
    struct Case {
        const char* what;
        int block;      // index in address order
        int word;       // 8-byte word of its header
        int64_t value;  // written there; kOwnerElsewhere: a slot that points elsewhere
        const char* expected;
    };
    constexpr int64_t kOwnerElsewhere = 1;
    const Case cases[] = {
        {"used block grown past its neighbour", 0, 0, -56, "has size"},
        {"used block shrunk below the minimum", 0, 0, -16, "has size"},
        {"used block marked free", 0, 0, 48, "ends in the tag"},
        {"free block given a parent in the size index", 3, 2, 5, "root has a parent"},
        {"free block of one size marked outside its slot", 1, 1, 5, "slot holds a block"},
        {"free block's index child inside a used block", 3, 1, 2, "child links back wrongly"},
        {"owner slot pointing elsewhere", 2, 1, kOwnerElsewhere, "owner slot"},
        {"free block's end tag overwritten", 1, 5, 0, "ends in the tag"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryManager heap(4096, kDataHeap);
        auto data = layOut(heap, {{48, true}, {48, false}, {48, true}});
        // The rest was kept aside from the index by the allocations; a call that reads the index
        // files it there, links and all, for the cases to damage.
        heap.setLinearSearch(false);
        // Where block 0 would keep its end tag if it were free: no accidental match.
        std::memset(data[0], 0, 48 - heap.headerSize());
        void* owner = data[2];
        heap.registerOwner(data[2], &owner);
        void* elsewhere = data[0];
        auto blocks = blocksOf(heap);
        ASSERT_EQ(blocks.size(), 4u);
        auto* word = reinterpret_cast<int64_t*>(heap.base() + blocks[c.block].offset) + c.word;
        int64_t saved = *word;
        *word = c.value == kOwnerElsewhere ? reinterpret_cast<int64_t>(&elsewhere) : c.value;
        std::string why;
        EXPECT_FALSE(heap.checkInvariants(&why));
        EXPECT_NE(why.find(c.expected), std::string::npos) << why;
        *word = saved;
        expectSound(heap);
    }
}

// The remainder of a split is kept out of the index for the owner's next request; a request of
// another thread, which takes the lock and ends the owner's path, must find it all the same.
TEST(MemoryManager, ARemainderKeptAsideIsHandedToAnotherThread) {
    for (bool movable : {kObjectHeap, kDataHeap}) {
        SCOPED_TRACE(movable ? "data heap" : "object heap");
        MemoryManager heap(4096, movable);
        void* hole = heap.alloc(200);
        void* fence = heap.alloc(200);  // keeps the hole from merging with the rest
        ASSERT_TRUE(hole && fence);
        heap.free(hole);
        void* first = heap.alloc(40);  // the hole, the best fit; the rest of it is kept aside
        EXPECT_EQ(first, hole);
        const uint32_t step = 40 + heap.headerSize();
        void* second = nullptr;
        std::thread([&] { second = heap.alloc(40); }).join();
        EXPECT_EQ(second, static_cast<uint8_t*>(first) + step);
        // Back on the first thread, now through the lock: the next piece of the same hole.
        void* third = heap.alloc(40);
        EXPECT_EQ(third, static_cast<uint8_t*>(second) + step);
        std::thread([&] {
            for (void* p : {first, second, third, fence}) EXPECT_EQ(heap.free(p), 1);
        }).join();
        expectSound(heap);
        EXPECT_EQ(heap.blockCount(), 1);
    }
}

TEST(MemoryManager, ConcurrentAllocationAndFreeKeepTheHeapSound) {
    MemoryManager heap(1 << 20, kDataHeap);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&heap, t] {
            std::vector<void*> mine;
            uint32_t x = 12345u + t;
            for (int i = 0; i < 5000; ++i) {
                x = x * 1103515245u + 12345u;
                if (mine.size() < 64 && (x >> 16) % 3 != 0) {
                    if (void* p = heap.alloc(16 + (x >> 20) % 200)) mine.push_back(p);
                } else if (!mine.empty()) {
                    size_t k = (x >> 8) % mine.size();
                    EXPECT_EQ(heap.free(mine[k]), 1);
                    mine[k] = mine.back();
                    mine.pop_back();
                }
            }
            for (void* p : mine) heap.free(p);
        });
    }
    for (auto& t : threads) t.join();
    expectSound(heap);
    EXPECT_EQ(heap.used(), 0);
    EXPECT_EQ(heap.blockCount(), 1);
}

}  // namespace
}  // namespace mrc
