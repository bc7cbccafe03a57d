// A best-fit heap carved out of one block of the process heap. The runtime keeps two: the object
// heap (blocks never move) and the movable data heap, whose blocks compaction may relocate; each
// data block records the one pointer that refers to it (its owner slot) so the pointer can follow.
//
// Layout. The heap was first laid out for 32-bit words (size word, then owner slot or free links;
// headers of 4 and 8 bytes, requests rounded to 4, 12-byte minimum block, a free block handed out
// whole when no more than header + 32 bytes would remain). Words are 8 bytes here and objects hold
// pointers, so data must be 8-byte aligned:
//   object heap header  8 bytes: size word
//   data heap header   16 bytes: size word, owner slot
//   free block         size word, previous, next: 24 bytes, which is also the smallest block
//   requests           rounded up to 8, plus the header, at least 24
//   split              a free block is handed out whole when at most header + 32 bytes would remain
//                      (object heap 40, data heap 48); otherwise the remainder stays free
// The size word is positive in a free block and negated in a used one; a free block's last four
// bytes repeat its size (its end tag), so that freeing the block above finds it at once. Blocks
// tile the heap and free blocks are kept coalesced, so no two touch. A bitmap marks where free
// blocks end; the free blocks themselves hold the size index's links, so that freeing and
// allocating allocate nothing. Only compaction and diagnostics need the free blocks in address
// order: compaction keeps a second bitmap of where they start while it runs, the rest walk the
// blocks' headers.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/core/owner_gate.h"
#include "host/core/sync.h"

namespace mrc {

class MemoryManager {
public:
    // One block from the process heap; throws std::bad_alloc if none. The size is rounded down to 8.
    MemoryManager(uint32_t size, bool movable);
    ~MemoryManager();
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    void destroy();  // frees the block; idempotent

    // At least `size` bytes, not zeroed; nullptr when nothing fits even after the collector hook and,
    // on the data heap, compaction. The failure is logged.
    void* alloc(uint32_t size);
    // 1 when `p` lies inside this heap (its block is freed), 0 otherwise.
    int free(void* p);
    // Frees the blocks whose data starts at `data[0..count)`, in ascending address order, all
    // inside this heap: the same as freeing each, but every run of neighbours enters the size
    // index once, merged.
    void freeAscending(void* const* data, std::size_t count);
    // A collector's dead, freed the same way without a list of their addresses and without a read
    // of the blocks inside a run: a map with a bit per 8 bytes (bit k of word w stands for
    // base() + (64 * w + k) * 8) where each noted block's data starts, and another where the data
    // after it would start, so that neighbours show where one's end meets the next one's start.
    static constexpr uint32_t kMapGranule = 8;
    struct BlockMap {
        std::vector<uint64_t> starts;
        std::vector<uint64_t> ends;
        std::size_t first = SIZE_MAX;  // the words with bits: [first, last], none when first > last
        std::size_t last = 0;
    };
    BlockMap blockMap() const;  // empty, sized for this heap
    // Notes the used block whose data is `data`; false, with nothing noted, when there is none.
    // Unlocked: the caller owns the block, which stays used until freeMapped().
    bool note(BlockMap& map, const void* data) const {
        const Block* b = usedBlockOf(data);
        if (!b) return false;
        const std::size_t start = std::size_t(static_cast<const uint8_t*>(data) - m_base) / kMapGranule;
        const std::size_t end = start + std::size_t(-b->size) / kMapGranule;
        map.starts[start / 64] |= uint64_t{1} << (start % 64);
        map.ends[end / 64] |= uint64_t{1} << (end % 64);
        if (start / 64 < map.first) map.first = start / 64;
        if (end / 64 > map.last) map.last = end / 64;
        return true;
    }
    // Frees every noted block, as freeAscending() would, and empties the map.
    void freeMapped(BlockMap& map);
    // Data heap: `slot` is the one pointer to the block whose data is `data`; compaction rewrites it.
    void registerOwner(void* data, void** slot);
    uint32_t blockSize(const void* data) const;  // usable size, 0 outside the heap
    bool contains(const void* p) const;

    // Run when an allocation finds nothing, with the heap's lock released.
    using CollectorHook = void (*)(void* context);
    void setCollectorHook(CollectorHook hook, void* context);
    // Run around every compaction, with the heap's lock released: the runtime stops the other
    // Java threads there, since data may only move while they are stopped. Both optional.
    using WorldHook = void (*)(void* context);
    void setCompactionHooks(WorldHook before, WorldHook after, void* context);
    // Before every allocation of the data heap, run the collector hook and move every used block,
    // so that a pointer to moved data not held in an owner slot shows up. Freed space is poisoned.
    void setStressMode(bool on);
    // Slides every used block towards the base, rewriting owner slots; true when anything moved.
    bool compactAll();

    uint8_t* base() const { return m_base; }
    uint32_t size() const { return m_size; }
    bool movable() const { return m_movable; }
    uint32_t headerSize() const { return m_headerSize; }
    int32_t used() const;
    int32_t peak() const;
    int32_t blockCount() const;
    int32_t freeCount() const;

    // The callbacks run under the heap's lock and must not allocate or free in this heap.
    template <class F>
    void forEachFreeBlock(F f) const;  // f(void* blockAddress, uint32_t blockSize)
    template <class F>
    void forEachBlock(F f) const;  // f(void* blockAddress, uint32_t size, bool used, void** ownerSlotOrNull)

    // Blocks tile the heap, free blocks are coalesced, end in their tags and are marked in the
    // free-end map, counts and used bytes agree, every owner slot points at its block's data, and
    // the size index holds every free block but the spare (below), each in its bin and in order.
    bool checkInvariants(std::string* whyNot = nullptr) const;

    // Finds blocks by walking the free blocks in address order, as the index must choose: the
    // reference of tests.
    void setLinearSearch(bool on);

    static constexpr uint32_t kMinBlock = 24;

private:
    // The lock, after the gate has let the calling thread in.
    class Locked : host::GatedLock {
    public:
        explicit Locked(const MemoryManager& heap) : GatedLock(heap.m_gate, heap.m_lock) {}
    };

    // A free block's index links are granule numbers plus one (0: none), so that they fit beside
    // the size word in the smallest block.
    struct Block {
        int64_t size;  // positive when free, negated when used; header included
        union {
            struct {
                uint32_t left;
                uint32_t right;
                uint32_t parent;
                uint32_t priority;  // the treap's, from the address it was indexed at
            } link;  // free, in a bin of many sizes
            struct {
                uint32_t child;  // the first; kInSlots or kInRun outside the pairing heap
                uint32_t next;   // sibling; in the run, the next block
                uint32_t prev;   // sibling, or the parent of a first child; in the run, the
                                 // block before (stale in the run's first block)
                uint32_t ahead;  // in the run, a hint: the block kSlots further on, or 0; not
                                 // kept in blocks of kMinBlock bytes, where it is the end tag
            } heap;        // free, in a bin of one size
            void** owner;  // used, data heap only
        };
    };

    // Exact-size bins below kExactLimit bytes, then eight bins per power of two.
    static constexpr uint32_t kExactLimit = 1024;
    static constexpr uint32_t kExactBins = kExactLimit / 8;
    static constexpr uint32_t kBins = kExactBins + 8 * (31 - 10);
    static constexpr uint32_t kBinWords = (kBins + 63) / 64;
    // A bin of one size keeps its lowest blocks in a few slots in the heap object itself (adding
    // or taking one touches no other block), and those above the slots in a run of blocks that
    // came in ascending address order (a sweep's frees), linked through the blocks and taken from
    // its front, or in a pairing heap. The slots are empty only when the bin is, so its lowest
    // block is the last slot. heap.child says where a block is.
    static constexpr uint32_t kSlots = 8;
    static constexpr uint32_t kInSlots = ~uint32_t{0};
    static constexpr uint32_t kInRun = ~uint32_t{0} - 1;
    static constexpr bool hasAhead(uint32_t bin) { return bin * 8 > kMinBlock; }

    static uint8_t* bytes(Block* b) { return reinterpret_cast<uint8_t*>(b); }
    static Block* blockAt(uint8_t* p) { return reinterpret_cast<Block*>(p); }
    uint8_t* end() const { return m_base + m_size; }
    uint32_t refOf(const Block* b) const {
        return uint32_t((reinterpret_cast<const uint8_t*>(b) - m_base) / 8) + 1;
    }
    Block* blockOf(uint32_t ref) const { return reinterpret_cast<Block*>(m_base + uint64_t(ref - 1) * 8); }
    static uint32_t binOf(uint64_t size);
    static constexpr uint64_t smallestOfBin(uint32_t bin);
    // The least size each bin holds, and past the last bin one that no block reaches.
    static const std::array<uint64_t, kBins + 1> kLeastOfBin;
    // The index's order: size, then address.
    static bool before(const Block* a, const Block* b) {
        return a->size < b->size || (a->size == b->size && a < b);
    }

    void reset();
    Block* usedBlockOf(const void* data) const;
    Block* usedBlockAt(uint8_t* base, uint64_t heapSize, uint64_t offset) const;
    Block* bestFit(uint64_t needed, const Block* skip1, const Block* skip2) const;
    Block* bestFitLinear(uint64_t needed, const Block* skip1, const Block* skip2) const;
    uint32_t nonEmptyBinFrom(uint32_t bin) const;
    void markBin(uint32_t bin);
    void unmarkBin(uint32_t bin);
    void unmarkBinWhen(uint32_t bin, bool empty);
    Block* firstInBinsFrom(uint32_t bin) const;
    Block* lowestExcept(uint32_t ref, const Block* skip1, const Block* skip2) const;
    Block* lowestInBinExcept(uint32_t bin, const Block* skip1, const Block* skip2) const;
    uint32_t meld(uint32_t a, uint32_t b);
    uint32_t mergePairs(uint32_t first);
    void refill(uint32_t bin);
    // A bin of one size: its lowest block, 0 when empty; whether it has blocks beyond the slots.
    uint32_t firstOf(uint32_t bin) const {
        if (bin >= kExactBins) return m_binFirst[bin];
        uint32_t count = m_slotCount[bin];
        return count ? m_slots[bin][count - 1] : 0;
    }
    bool overflowing(uint32_t bin) const { return (m_runFirst[bin] | m_binRoot[bin]) != 0; }
    void overflowAdd(uint32_t ref, uint32_t bin);
    void slotAdd(Block* b, uint32_t ref, uint32_t bin, uint32_t count);
    void sizeBinAdd(Block* b, uint32_t bin);
    void sizeBinRemove(Block* b, uint32_t bin);
    void clearIndex();
    bool checkSizeBin(uint32_t bin, int32_t* count, std::string* whyNot) const;
    Block* successor(const Block* b) const;
    void indexAdd(Block* b);
    void indexRemove(Block* b);
    void rotateUp(Block* x, uint32_t bin);
    bool lastInBin(const Block* b) const;
    void indexReplace(Block* old, Block* now, uint32_t bin);
    void grow(Block* b, int64_t size);
    void replaceChild(Block* parent, uint32_t oldRef, uint32_t newRef, uint32_t bin);
    bool checkBin(uint32_t bin, int32_t* count, std::string* whyNot) const;
    uint64_t take(Block* b, uint64_t needed);
    void takeFirstOfSizeBin(uint32_t bin, uint64_t needed);
    Block* takeFast(uint64_t needed);
    void settleSpare() {
        if (m_spare) indexSpare();
    }
    [[gnu::noinline]] void indexSpare();
    bool splitFirstInPlace(Block* b, uint32_t bin, uint64_t needed);
    void insertFree(Block* b);
    Block* releaseBlock(Block* b, Block* below);
    bool releaseFast(Block* b);
    void release(Block* b);
    void releaseAscending(void* const* data, std::size_t count);
    void releaseMapped(BlockMap& map);
    static void clearMap(BlockMap& map);
    Block* takeBelow(Block* b);
    bool takeAbove(uint8_t** runEnd);
    void poison(uint8_t* from, uint8_t* to);
    void endRun(Block* start, Block* first, uint8_t* runEnd, int32_t mergedBlocks, int32_t mergedFrees);
    Block* freeBlockBelow(const Block* b) const;
    void setFreeSize(Block* b, int64_t size);
    void setFreeEnd(const uint8_t* blockEnd, bool on);
    Block* firstFreeFrom(const uint8_t* p) const;
    // The free-start map needs no read of the block: compaction's walks overlap their misses.
    Block* nextFree(const Block* b) const {
        return firstFreeFrom(reinterpret_cast<const uint8_t*>(b) + (m_freeStartsKept ? 8 : uint64_t(b->size)));
    }
    Block* firstFree() const { return firstFreeFrom(m_base); }
    void setFreeStart(const Block* b, bool on);
    void keepFreeStarts(bool on);
    void moveRun(uint8_t* run, uint64_t length, Block* target, Block* below);
    Block* compactGaps(uint64_t needed);
    Block* compactSliding(uint64_t needed);
    bool slideAll(bool towardsEnd);
    void runCollector();
    [[gnu::noinline]] void* allocSlow(uint64_t needed);
    [[gnu::noinline]] void* allocLocked(uint64_t needed);
    [[gnu::noinline]] int freeSlow(void* p);
    [[gnu::noinline]] int freeLocked(void* p);
    void worldHook(WorldHook hook);

    uint8_t* m_base = nullptr;
    uint32_t m_size = 0;
    int32_t m_blockCount = 0;
    int32_t m_freeCount = 0;
    int32_t m_used = 0;
    int32_t m_peak = 0;
    bool m_movable;
    uint32_t m_headerSize;
    mutable host::CriticalSection m_lock;
    // The first thread to use the heap allocates and frees without the lock while it is the only
    // one.
    host::OwnerGate m_gate;

    CollectorHook m_collectorHook = nullptr;
    void* m_collectorContext = nullptr;
    WorldHook m_beforeCompaction = nullptr;
    WorldHook m_afterCompaction = nullptr;
    void* m_worldContext = nullptr;
    // One bit per granule boundary, set where a free block ends: whether a freed block has a free
    // block below, before anything reads that block's end tag. Bit 0 is never set.
    std::vector<uint64_t> m_freeEnds;
    // One bit per granule, set at the start of every free block: the free blocks in address order,
    // kept only while compaction runs.
    std::vector<uint64_t> m_freeStarts;
    bool m_freeStartsKept = false;
    // The size index: per bin its first block (the smallest, the lowest address among equals) and a
    // bit per non-empty bin, so that the best fit, as the address-ordered walk finds it, is the
    // first block of the first bin that has one. A bin of one size: slots, run and pairing heap
    // (above); a bin of many sizes is a treap ordered by size, then address (priorities hashed
    // from the address, so the shape is deterministic).
    uint32_t m_binRoot[kBins] = {};  // the treaps' roots; in a bin of one size, its pairing heap's
    uint32_t m_binFirst[kBins] = {};  // bins of many sizes; firstOf() for all
    uint64_t m_binBits[kBinWords] = {};
    uint64_t m_binWords = 0;  // a bit per non-empty word of m_binBits
    alignas(32) uint32_t m_slots[kExactBins][kSlots] = {};  // descending, the lowest last; one line a bin
    uint8_t m_slotCount[kExactBins] = {};
    uint32_t m_runFirst[kExactBins] = {};
    uint32_t m_runLast[kExactBins] = {};
    // The run's newest blocks, for their `ahead` hints: the block appended kSlots appends before
    // the newest learns of it. Appends since the run last lost a block, which forgets them, so that
    // every block listed is still in the run.
    uint32_t m_runTail[kExactBins][kSlots] = {};
    uint32_t m_runAppends[kExactBins] = {};
    // The remainder of the inline path's last split, a free block kept out of the index: a run of
    // allocations after a collection cuts hole after hole (or the one large free block) into
    // pieces, and each next piece comes from the remainder, which is the best fit as long as no
    // indexed block is smaller. Only the inline allocation splits it further; every other path
    // that reads or changes the index first puts it there (settleSpare). 0 when there is none.
    uint32_t m_spare = 0;
    bool m_linearSearch = false;
    bool m_stress = false;
    // Requests and blocks below it take the inline paths: none with either of the two.
    uint64_t m_fastLimit = kExactLimit;
    bool m_stressTowardsEnd = true;  // blocks start packed at the base
};

// The used block whose data starts at `data`, or null when the bytes there are not one: a pointer
// into a header or into the middle of a block, or one freed already.
inline MemoryManager::Block* MemoryManager::usedBlockOf(const void* data) const {
    uint64_t offset = reinterpret_cast<uintptr_t>(data) - reinterpret_cast<uintptr_t>(m_base);
    return offset < m_size ? usedBlockAt(m_base, m_size, offset) : nullptr;
}

// usedBlockOf() for data at `offset` (below `heapSize`) from `base`, the heap's own, read once by the
// caller. The size word of a free block, read as a used one's, gives 0 or more than any heap.
inline MemoryManager::Block* MemoryManager::usedBlockAt(uint8_t* base, uint64_t heapSize, uint64_t offset) const {
    const uint64_t start = offset - m_headerSize;  // wraps round when the offset lies in the first header
    if (start >= heapSize) return nullptr;
    // Read before the alignment is known (the size word past the end is still ours): as bytes.
    int64_t word;
    std::memcpy(&word, base + start, sizeof word);
    const uint64_t size = 0 - uint64_t(word);
    if (((offset | size) % kMapGranule) != 0 || size < kMinBlock || size > heapSize - start) return nullptr;
    return blockAt(base + start);
}

template <class F>
void MemoryManager::forEachFreeBlock(F f) const {
    Locked lock(*this);
    if (!m_base) return;
    for (Block* b = firstFree(); b; b = nextFree(b)) f(static_cast<void*>(b), static_cast<uint32_t>(b->size));
}

template <class F>
void MemoryManager::forEachBlock(F f) const {
    Locked lock(*this);
    if (!m_base) return;
    for (uint8_t* p = m_base; p < end();) {
        Block* b = blockAt(p);
        bool used = b->size < 0;
        uint64_t size = used ? uint64_t(-b->size) : uint64_t(b->size);
        if (size == 0) return;  // corrupt; checkInvariants says why
        f(static_cast<void*>(p), static_cast<uint32_t>(size), used, used && m_movable ? b->owner : nullptr);
        p += size;
    }
}

}  // namespace mrc
