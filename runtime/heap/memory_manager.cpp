#include "runtime/heap/memory_manager.h"

#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "host/core/log.h"

namespace mrc {
namespace {

constexpr uint64_t kAlign = 8;
// A free block keeps its remainder only when more than header + this would be left over.
constexpr int64_t kSplitSlack = 32;
constexpr int kCompactionPasses = 20;
// The largest heap whose byte counts fit the signed 32-bit counters.
constexpr uint32_t kMaxHeapSize = 0x7FFFFFF8u;
// Written over free space in stress mode, so that reads through stale pointers stand out.
constexpr uint8_t kPoison = 0xDB;

uint64_t roundUp(uint64_t n) { return (n + kAlign - 1) & ~(kAlign - 1); }

int32_t clampToInt(uint64_t n) {
    return static_cast<int32_t>(std::min<uint64_t>(n, std::numeric_limits<int32_t>::max()));
}

// Leaves a critical section for a scope; the caller holds it exactly once.
class Unlocked {
public:
    explicit Unlocked(host::CriticalSection& cs) : m_cs(cs) { m_cs.leave(); }
    ~Unlocked() { m_cs.enter(); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;

private:
    host::CriticalSection& m_cs;
};

// A bin's eight slots as two vectors of four lanes. The slots change in lanes, without loops
// whose exits depend on the addresses (they mispredict about once a call), and are stored whole:
// a vector load of slots just stored lane by lane waits until the stores are done, one of slots
// stored whole is served from the store.
struct SlotLanes {
    using Lanes = int32_t __attribute__((vector_size(16)));  // granules fit in 31 bits
    static constexpr Lanes kFirst = {-1, 0, 0, 0};
    static constexpr Lanes kLast = {0, 0, 0, -1};
    static constexpr Lanes kIndexLo = {0, 1, 2, 3};
    static constexpr Lanes kIndexHi = {4, 5, 6, 7};
    Lanes lo, hi;  // slots 0-3, 4-7

    explicit SlotLanes(const uint32_t* slots) {
        std::memcpy(&lo, slots, sizeof lo);
        std::memcpy(&hi, slots + 4, sizeof hi);
    }
    SlotLanes(Lanes l, Lanes h) : lo(l), hi(h) {}
    void store(uint32_t* slots) const {
        std::memcpy(slots, &lo, sizeof lo);
        std::memcpy(slots + 4, &hi, sizeof hi);
    }
    static Lanes all(uint32_t v) { return Lanes{} + int32_t(v); }
    // Each lane from the one before it (the first: zero), or from the one after it (the last: zero).
    SlotLanes up() const {
        return {__builtin_shufflevector(lo, lo, 0, 0, 1, 2) & ~kFirst,
                (__builtin_shufflevector(hi, hi, 0, 0, 1, 2) & ~kFirst) | (__builtin_shufflevector(lo, lo, 3, 3, 3, 3) & kFirst)};
    }
    SlotLanes down() const {
        return {(__builtin_shufflevector(lo, lo, 1, 2, 3, 3) & ~kLast) | (__builtin_shufflevector(hi, hi, 0, 0, 0, 0) & kLast),
                __builtin_shufflevector(hi, hi, 1, 2, 3, 3) & ~kLast};
    }
    // The lanes whose index is below `n`, or is `n`.
    static SlotLanes below(uint32_t n) { return {kIndexLo < all(n), kIndexHi < all(n)}; }
    static SlotLanes at(uint32_t n) { return {kIndexLo == all(n), kIndexHi == all(n)}; }
    // Where `mask` is set, `a`'s lanes, elsewhere this one's.
    SlotLanes select(const SlotLanes& mask, const SlotLanes& a) const {
        return {(lo & ~mask.lo) | (a.lo & mask.lo), (hi & ~mask.hi) | (a.hi & mask.hi)};
    }
};

}  // namespace

MemoryManager::MemoryManager(uint32_t size, bool movable)
    : m_movable(movable), m_headerSize(movable ? 16 : 8) {
    uint32_t rounded = std::min(size, kMaxHeapSize) & ~uint32_t(kAlign - 1);
    rounded = std::max(rounded, kMinBlock);
    if (size < kMinBlock || size > kMaxHeapSize) {
        mrc_log("MemoryManager: heap size %u adjusted to %u", size, rounded);
    }
    // malloc aligns to at least 16 bytes, so every block and its data stay 8-byte aligned. A size
    // word past the end says "used", so that a free looks at the block after it unchecked.
    m_base = static_cast<uint8_t*>(std::malloc(rounded + sizeof(int64_t)));
    if (!m_base) throw std::bad_alloc();
    const int64_t sentinel = -int64_t(kMinBlock);
    std::memcpy(m_base + rounded, &sentinel, sizeof sentinel);
    m_size = rounded;
    reset();
}

MemoryManager::~MemoryManager() { destroy(); }

void MemoryManager::clearIndex() {
    std::fill(std::begin(m_binRoot), std::end(m_binRoot), 0);
    std::fill(std::begin(m_binFirst), std::end(m_binFirst), 0);
    std::fill(std::begin(m_binBits), std::end(m_binBits), 0);
    m_binWords = 0;
    std::fill(std::begin(m_slotCount), std::end(m_slotCount), 0);
    std::fill(std::begin(m_runFirst), std::end(m_runFirst), 0);
    std::fill(std::begin(m_runLast), std::end(m_runLast), 0);
    std::fill(std::begin(m_runAppends), std::end(m_runAppends), 0);
    m_spare = 0;
}

void MemoryManager::reset() {
    // A bit for every granule boundary, the heap's end included.
    m_freeEnds.assign((m_size / kAlign + 1 + 63) / 64, 0);
    clearIndex();
    Block* b = blockAt(m_base);
    setFreeSize(b, m_size);
    insertFree(b);
    m_blockCount = 1;
    m_freeCount = 1;
    m_used = 0;
    m_peak = 0;
}

void MemoryManager::destroy() {
    Locked lock(*this);
    std::free(m_base);
    m_base = nullptr;
    m_size = 0;
    m_freeEnds.clear();
    clearIndex();
    m_blockCount = m_freeCount = 0;
    m_used = 0;
}

bool MemoryManager::contains(const void* p) const {
    // A destroyed heap has size 0; below the base the difference wraps round.
    return reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(m_base) < m_size;
}

int32_t MemoryManager::used() const {
    Locked lock(*this);
    return m_used;
}

int32_t MemoryManager::peak() const {
    Locked lock(*this);
    return m_peak;
}

int32_t MemoryManager::blockCount() const {
    Locked lock(*this);
    return m_blockCount;
}

int32_t MemoryManager::freeCount() const {
    Locked lock(*this);
    return m_freeCount;
}

void MemoryManager::setCollectorHook(CollectorHook hook, void* context) {
    Locked lock(*this);
    m_collectorHook = hook;
    m_collectorContext = context;
}

void MemoryManager::setCompactionHooks(WorldHook before, WorldHook after, void* context) {
    Locked lock(*this);
    m_beforeCompaction = before;
    m_afterCompaction = after;
    m_worldContext = context;
}

void MemoryManager::setLinearSearch(bool on) {
    Locked lock(*this);
    settleSpare();
    m_linearSearch = on;
    m_fastLimit = m_linearSearch || m_stress ? 0 : kExactLimit;
}

void MemoryManager::setStressMode(bool on) {
    Locked lock(*this);
    settleSpare();
    m_stress = on;
    m_fastLimit = m_linearSearch || m_stress ? 0 : kExactLimit;
}

uint32_t MemoryManager::blockSize(const void* data) const {
    Locked lock(*this);
    Block* b = usedBlockOf(data);
    return b ? static_cast<uint32_t>(-b->size - m_headerSize) : 0;
}

void MemoryManager::registerOwner(void* data, void** slot) {
    Locked lock(*this);
    // Buffers that fell back to the process heap come here too; they never move.
    if (!m_movable || !contains(data)) return;
    Block* b = usedBlockOf(data);
    if (!b) {
        mrc_log("MemoryManager::registerOwner: %p is not the data of a used block", data);
        return;
    }
    b->owner = slot;
}

inline uint32_t MemoryManager::binOf(uint64_t size) {
    if (size < kExactLimit) return uint32_t(size / 8);
    uint32_t log = 63 - uint32_t(__builtin_clzll(size));
    return kExactBins + (log - 10) * 8 + uint32_t(size >> (log - 3) & 7);
}

// A bin of many sizes: the smallest it holds.
constexpr uint64_t MemoryManager::smallestOfBin(uint32_t bin) {
    const uint32_t k = bin - kExactBins;
    return uint64_t(8 + k % 8) << (7 + k / 8);
}

constinit const std::array<uint64_t, MemoryManager::kBins + 1> MemoryManager::kLeastOfBin = [] {
    std::array<uint64_t, kBins + 1> least{};
    for (uint32_t bin = 0; bin < kBins; ++bin) least[bin] = bin < kExactBins ? uint64_t(bin) * 8 : smallestOfBin(bin);
    least[kBins] = UINT64_MAX;
    return least;
}();

namespace {

// The treap's priorities: a fixed mix of the block's granule, so that the same frees and
// allocations always build the same trees.
inline uint32_t priority(uint32_t ref) {
    ref ^= ref >> 16;
    ref *= 0x7FEB352Du;
    ref ^= ref >> 15;
    ref *= 0x846CA68Bu;
    ref ^= ref >> 16;
    return ref;
}

}  // namespace

// The first non-empty bin from `bin` on, kBins when there is none: in the bin's own word, else in
// the first non-empty word after it.
inline uint32_t MemoryManager::nonEmptyBinFrom(uint32_t bin) const {
    const uint32_t word = bin / 64;
    if (word >= kBinWords) return kBins;
    if (uint64_t bits = m_binBits[word] & (~uint64_t{0} << (bin % 64))) return word * 64 + uint32_t(__builtin_ctzll(bits));
    const uint64_t words = m_binWords & (~uint64_t{1} << word);
    if (!words) return kBins;
    const uint32_t next = uint32_t(__builtin_ctzll(words));
    return next * 64 + uint32_t(__builtin_ctzll(m_binBits[next]));
}

inline void MemoryManager::markBin(uint32_t bin) {
    m_binBits[bin / 64] |= uint64_t{1} << (bin % 64);
    m_binWords |= uint64_t{1} << (bin / 64);
}

inline void MemoryManager::unmarkBin(uint32_t bin) {
    if (!(m_binBits[bin / 64] &= ~(uint64_t{1} << (bin % 64)))) m_binWords &= ~(uint64_t{1} << (bin / 64));
}

// unmarkBin() when `empty`, without a branch: whether a take empties its bin goes either way, and
// a mispredicted branch costs more than the stores.
inline void MemoryManager::unmarkBinWhen(uint32_t bin, bool empty) {
    const uint64_t bits = m_binBits[bin / 64] & ~(uint64_t(empty) << (bin % 64));
    m_binBits[bin / 64] = bits;
    m_binWords &= ~(uint64_t(bits == 0) << (bin / 64));
}

MemoryManager::Block* MemoryManager::firstInBinsFrom(uint32_t bin) const {
    bin = nonEmptyBinFrom(bin);
    return bin < kBins ? blockOf(firstOf(bin)) : nullptr;
}

// The lowest block of the heap below `ref` other than the two passed over: only their children
// can come next.
MemoryManager::Block* MemoryManager::lowestExcept(uint32_t ref, const Block* skip1, const Block* skip2) const {
    Block* b = blockOf(ref);
    if (b != skip1 && b != skip2) return b;
    Block* lowest = nullptr;
    for (uint32_t c = b->heap.child; c; c = blockOf(c)->heap.next) {
        Block* candidate = lowestExcept(c, skip1, skip2);
        if (candidate && (!lowest || candidate < lowest)) lowest = candidate;
    }
    return lowest;
}

// The lowest block of bin `bin`, one of one size, other than the two passed over.
MemoryManager::Block* MemoryManager::lowestInBinExcept(uint32_t bin, const Block* skip1, const Block* skip2) const {
    Block* lowest = nullptr;
    auto consider = [&](Block* b) {
        if (b && (!lowest || b < lowest)) lowest = b;
    };
    auto skipped = [&](const Block* b) { return b == skip1 || b == skip2; };
    for (uint32_t i = m_slotCount[bin]; i--;) {
        if (!skipped(blockOf(m_slots[bin][i]))) {
            consider(blockOf(m_slots[bin][i]));
            break;
        }
    }
    for (uint32_t r = m_runFirst[bin]; r; r = blockOf(r)->heap.next) {
        if (!skipped(blockOf(r))) {
            consider(blockOf(r));
            break;
        }
    }
    if (m_binRoot[bin]) consider(lowestExcept(m_binRoot[bin], skip1, skip2));
    return lowest;
}

// The next block in the index's order, across bins; for blocks in the bins of many sizes.
MemoryManager::Block* MemoryManager::successor(const Block* b) const {
    if (b->link.right) {
        Block* n = blockOf(b->link.right);
        while (n->link.left) n = blockOf(n->link.left);
        return n;
    }
    uint32_t from = refOf(b);
    for (uint32_t up = b->link.parent; up; up = blockOf(up)->link.parent) {
        if (blockOf(up)->link.left == from) return blockOf(up);
        from = up;
    }
    return firstInBinsFrom(binOf(uint64_t(b->size)) + 1);
}

// Smallest free block of at least `needed` bytes, the lowest address among equal sizes. `skip1`
// and `skip2` are passed over (compaction's own blocks).
MemoryManager::Block* MemoryManager::bestFit(uint64_t needed, const Block* skip1, const Block* skip2) const {
    if (m_linearSearch) return bestFitLinear(needed, skip1, skip2);
    uint32_t bin = binOf(needed);
    if (bin >= kBins) return nullptr;  // larger than any heap
    Block* found = nullptr;
    if (bin < kExactBins) {
        // Every block of such a bin has exactly its size.
        for (bin = nonEmptyBinFrom(bin); bin < kExactBins; bin = nonEmptyBinFrom(bin + 1)) {
            Block* first = blockOf(firstOf(bin));
            if (first != skip1 && first != skip2) return first;
            if (Block* b = lowestInBinExcept(bin, skip1, skip2)) return b;
        }
        if (bin == kBins) return nullptr;
        found = blockOf(m_binFirst[bin]);
    } else {
        for (uint32_t r = m_binRoot[bin]; r;) {
            Block* n = blockOf(r);
            if (uint64_t(n->size) >= needed) {
                found = n;
                r = n->link.left;
            } else {
                r = n->link.right;
            }
        }
        if (!found) found = firstInBinsFrom(bin + 1);
    }
    while (found && (found == skip1 || found == skip2)) found = successor(found);
    return found;
}

// The same choice by walking the free blocks in address order: the first of equal sizes; an
// exact fit ends the walk.
MemoryManager::Block* MemoryManager::bestFitLinear(uint64_t needed, const Block* skip1, const Block* skip2) const {
    Block* best = nullptr;
    for (Block* b = firstFree(); b; b = nextFree(b)) {
        if (b == skip1 || b == skip2 || uint64_t(b->size) < needed) continue;
        if (uint64_t(b->size) == needed) return b;
        if (!best || b->size < best->size) best = b;
    }
    return best;
}

void MemoryManager::replaceChild(Block* parent, uint32_t oldRef, uint32_t newRef, uint32_t bin) {
    if (!parent) m_binRoot[bin] = newRef;
    else if (parent->link.left == oldRef) parent->link.left = newRef;
    else parent->link.right = newRef;
}

// Lifts `x` above its parent, keeping the order.
void MemoryManager::rotateUp(Block* x, uint32_t bin) {
    uint32_t xr = refOf(x);
    uint32_t pr = x->link.parent;
    Block* p = blockOf(pr);
    uint32_t gr = p->link.parent;
    if (p->link.left == xr) {
        p->link.left = x->link.right;
        if (x->link.right) blockOf(x->link.right)->link.parent = pr;
        x->link.right = pr;
    } else {
        p->link.right = x->link.left;
        if (x->link.left) blockOf(x->link.left)->link.parent = pr;
        x->link.left = pr;
    }
    p->link.parent = xr;
    x->link.parent = gr;
    replaceChild(gr ? blockOf(gr) : nullptr, pr, xr, bin);
}

// Makes the higher of two heap roots the first child of the lower; returns the lower.
inline uint32_t MemoryManager::meld(uint32_t a, uint32_t b) {
    if (b < a) std::swap(a, b);
    Block* top = blockOf(a);
    Block* below = blockOf(b);
    below->heap.next = top->heap.child;
    if (top->heap.child) blockOf(top->heap.child)->heap.prev = b;
    below->heap.prev = a;
    top->heap.child = b;
    return a;
}

// Melds a list of siblings into one heap: neighbours pairwise from the front, then the pairs from
// the back. Returns the root, with no siblings.
uint32_t MemoryManager::mergePairs(uint32_t first) {
    if (!first) return 0;
    uint32_t pairs = 0;  // melded pairs, last first, linked through `next`
    for (uint32_t a = first; a;) {
        uint32_t b = blockOf(a)->heap.next;
        uint32_t rest = b ? blockOf(b)->heap.next : 0;
        uint32_t m = b ? meld(a, b) : a;
        blockOf(m)->heap.next = pairs;
        pairs = m;
        a = rest;
    }
    uint32_t root = pairs;
    for (uint32_t p = blockOf(root)->heap.next; p;) {
        uint32_t n = blockOf(p)->heap.next;
        root = meld(root, p);
        p = n;
    }
    blockOf(root)->heap.next = 0;
    blockOf(root)->heap.prev = 0;
    return root;
}

// Bin `bin`, one of one size, has just used its last slot: the lowest blocks of the run and the
// pairing heap move into the slots, else the bin is empty.
void MemoryManager::refill(uint32_t bin) {
    uint32_t pulled[kSlots];
    uint32_t n = 0;
    for (; n < kSlots; ++n) {
        uint32_t run = m_runFirst[bin];
        uint32_t root = m_binRoot[bin];
        uint32_t r;
        if (run && (!root || run < root)) {
            r = run;
            const Block* b = blockOf(run);
            uint32_t next = b->heap.next;
            // The run is a chain, each block a wait on memory: the blocks of the next refill are
            // fetched now, side by side, with the end tags that their splits rewrite.
            if (hasAhead(bin) && b->heap.ahead) {
                const uint8_t* ahead = bytes(blockOf(b->heap.ahead));
                __builtin_prefetch(ahead, 1);
                __builtin_prefetch(ahead + uint64_t(bin) * 8 - 4, 1);
            }
            m_runFirst[bin] = next;
            if (!next) m_runLast[bin] = 0;
            m_runAppends[bin] = 0;
        } else if (root) {
            r = root;
            uint32_t child = blockOf(root)->heap.child;
            m_binRoot[bin] = child ? mergePairs(child) : 0;
        } else {
            break;
        }
        blockOf(r)->heap.child = kInSlots;
        pulled[n] = r;
    }
    for (uint32_t i = 0; i < n; ++i) m_slots[bin][i] = pulled[n - 1 - i];
    m_slotCount[bin] = uint8_t(n);
    if (!n) unmarkBin(bin);
}

// Into the run when it lies above the run's last block, else into the pairing heap.
void MemoryManager::overflowAdd(uint32_t ref, uint32_t bin) {
    Block* b = blockOf(ref);
    uint32_t last = m_runLast[bin];
    if (ref > last) {
        b->heap.child = kInRun;
        b->heap.next = 0;
        b->heap.prev = last;
        if (last) blockOf(last)->heap.next = ref;
        else m_runFirst[bin] = ref;
        m_runLast[bin] = ref;
        if (hasAhead(bin)) {
            b->heap.ahead = 0;
            const uint32_t appends = m_runAppends[bin]++;
            uint32_t& tail = m_runTail[bin][appends % kSlots];
            if (appends >= kSlots) blockOf(tail)->heap.ahead = ref;
            tail = ref;
        }
        return;
    }
    b->heap.child = b->heap.next = b->heap.prev = 0;
    uint32_t root = m_binRoot[bin];
    m_binRoot[bin] = root ? meld(root, ref) : ref;
}

// Into a slot of bin `bin`, one of one size, which has `count` (fewer than kSlots) taken; the
// caller has made sure that the block lies below the run and the pairing heap.
[[gnu::always_inline]] inline void MemoryManager::slotAdd(Block* b, uint32_t ref, uint32_t bin, uint32_t count) {
    // Every slot below `ref` moves up one lane, and `ref` takes the lane of the highest of them
    // (the first free lane when there is none).
    static_assert(kSlots == 8, "SlotLanes holds eight slots");
    const SlotLanes slots(m_slots[bin]);
    const SlotLanes::Lanes refs = SlotLanes::all(ref);
    const SlotLanes taken = SlotLanes::below(count);
    const SlotLanes lower{(slots.lo < refs) & taken.lo, (slots.hi < refs) & taken.hi};
    const SlotLanes moved = lower.up();
    const SlotLanes vacant = SlotLanes::at(count);
    const SlotLanes into{(lower.lo | vacant.lo) & ~moved.lo, (lower.hi | vacant.hi) & ~moved.hi};
    slots.select(moved, slots.up()).select(into, SlotLanes{refs, refs}).store(m_slots[bin]);
    m_slotCount[bin] = uint8_t(count + 1);
    b->heap.child = kInSlots;
    markBin(bin);  // set already unless the bin was empty
}

void MemoryManager::sizeBinAdd(Block* b, uint32_t bin) {
    uint32_t r = refOf(b);
    uint32_t count = m_slotCount[bin];
    uint32_t* slots = m_slots[bin];
    // Above the highest slot, with blocks beyond the slots already: among those.
    if (count && r > slots[0] && (count == kSlots || overflowing(bin))) {
        overflowAdd(r, bin);
        return;
    }
    if (count == kSlots) {
        // The highest slot makes room; it still lies below every block beyond the slots.
        uint32_t highest = slots[0];
        SlotLanes(slots).down().store(slots);
        count = kSlots - 1;
        overflowAdd(highest, bin);
    }
    slotAdd(b, r, bin, count);
}

void MemoryManager::sizeBinRemove(Block* b, uint32_t bin) {
    uint32_t r = refOf(b);
    uint32_t where = b->heap.child;
    if (where == kInSlots) {
        uint32_t* slots = m_slots[bin];
        uint32_t count = m_slotCount[bin];
        // The slots descend: the block's lane and those after it hold it or lower blocks, and
        // take the lane after them.
        const SlotLanes lanes(slots);
        const SlotLanes::Lanes refs = SlotLanes::all(r);
        lanes.select(SlotLanes{lanes.lo <= refs, lanes.hi <= refs}, lanes.down()).store(slots);
        m_slotCount[bin] = uint8_t(count - 1);
        if (count == 1) refill(bin);
    } else if (where == kInRun) {
        m_runAppends[bin] = 0;
        uint32_t next = b->heap.next;
        if (m_runFirst[bin] == r) {
            m_runFirst[bin] = next;
        } else {
            blockOf(b->heap.prev)->heap.next = next;
        }
        if (next) blockOf(next)->heap.prev = b->heap.prev;
        else m_runLast[bin] = m_runFirst[bin] ? b->heap.prev : 0;
    } else if (r == m_binRoot[bin]) {
        m_binRoot[bin] = mergePairs(b->heap.child);
    } else {
        Block* prev = blockOf(b->heap.prev);
        if (prev->heap.child == r) prev->heap.child = b->heap.next;
        else prev->heap.next = b->heap.next;
        if (b->heap.next) blockOf(b->heap.next)->heap.prev = b->heap.prev;
        if (uint32_t below = mergePairs(b->heap.child)) m_binRoot[bin] = meld(m_binRoot[bin], below);
    }
}

void MemoryManager::indexAdd(Block* b) {
    uint32_t bin = binOf(uint64_t(b->size));
    if (bin < kExactBins) return sizeBinAdd(b, bin);
    uint32_t r = refOf(b);
    b->link.left = b->link.right = 0;
    uint32_t parent = 0;
    uint32_t* link = &m_binRoot[bin];
    bool first = true;
    while (*link) {
        parent = *link;
        Block* p = blockOf(parent);
        if (before(b, p)) {
            link = &p->link.left;
        } else {
            link = &p->link.right;
            first = false;
        }
    }
    *link = r;
    b->link.parent = parent;
    if (first) m_binFirst[bin] = r;
    markBin(bin);
    uint32_t pr = b->link.priority = priority(r);
    while (b->link.parent && pr < blockOf(b->link.parent)->link.priority) rotateUp(b, bin);
}

void MemoryManager::indexRemove(Block* b) {
    uint32_t bin = binOf(uint64_t(b->size));
    if (bin < kExactBins) return sizeBinRemove(b, bin);
    uint32_t r = refOf(b);
    if (m_binFirst[bin] == r) {
        // The first block has no left child: next comes its right subtree's first, else its parent.
        uint32_t next = b->link.right;
        if (next) {
            while (blockOf(next)->link.left) next = blockOf(next)->link.left;
        } else {
            next = b->link.parent;
        }
        m_binFirst[bin] = next;
    }
    // Sink it below its children until at most one is left, then splice it out.
    while (b->link.left && b->link.right) {
        uint32_t l = b->link.left;
        uint32_t rr = b->link.right;
        rotateUp(blockOf(blockOf(l)->link.priority < blockOf(rr)->link.priority ? l : rr), bin);
    }
    uint32_t child = b->link.left ? b->link.left : b->link.right;
    if (child) blockOf(child)->link.parent = b->link.parent;
    replaceChild(b->link.parent ? blockOf(b->link.parent) : nullptr, r, child, bin);
    if (!m_binRoot[bin]) unmarkBin(bin);
}

// Whether `b` comes last in its bin, one of many sizes.
bool MemoryManager::lastInBin(const Block* b) const {
    if (b->link.right) return false;
    uint32_t from = refOf(b);
    for (uint32_t up = b->link.parent; up; up = blockOf(up)->link.parent) {
        if (blockOf(up)->link.left == from) return false;
        from = up;
    }
    return true;
}

// Puts `now` where `old` is in bin `bin`'s treap (one of many sizes); the caller has made sure the order holds. The
// priority moves along, as if `now` had always been there.
void MemoryManager::indexReplace(Block* old, Block* now, uint32_t bin) {
    uint32_t oldRef = refOf(old);
    uint32_t nowRef = refOf(now);
    auto link = old->link;
    now->link = link;
    if (link.left) blockOf(link.left)->link.parent = nowRef;
    if (link.right) blockOf(link.right)->link.parent = nowRef;
    replaceChild(link.parent ? blockOf(link.parent) : nullptr, oldRef, nowRef, bin);
    if (m_binFirst[bin] == oldRef) m_binFirst[bin] = nowRef;
}

// Gives free block `b` a larger size, in place in the index when it stays last of its bin.
void MemoryManager::grow(Block* b, int64_t size) {
    if (binOf(uint64_t(size)) == binOf(uint64_t(b->size)) && lastInBin(b)) {
        setFreeSize(b, size);
        return;
    }
    indexRemove(b);
    setFreeSize(b, size);
    indexAdd(b);
}

// Marks the first `needed` bytes of free block `b` used, or all of it when the remainder would be
// too small to be worth keeping. Returns the bytes taken; peak is the caller's business.
uint64_t MemoryManager::take(Block* b, uint64_t needed) {
    int64_t remainder = b->size - int64_t(needed);
    int64_t taken;
    setFreeStart(b, false);
    if (remainder <= int64_t(m_headerSize) + kSplitSlack) {
        indexRemove(b);
        taken = b->size;
        setFreeEnd(bytes(b) + taken, false);
        --m_freeCount;
    } else {
        taken = int64_t(needed);
        Block* rest = blockAt(bytes(b) + needed);
        setFreeSize(rest, remainder);
        uint32_t bin = binOf(uint64_t(b->size));
        // The remainder sorts before the block, so where that came first it can take its place.
        if (binOf(uint64_t(remainder)) == bin && m_binFirst[bin] == refOf(b)) {
            indexReplace(b, rest, bin);
        } else {
            indexRemove(b);
            indexAdd(rest);
        }
        setFreeStart(rest, true);
        ++m_blockCount;
    }
    b->size = -taken;
    if (m_movable) b->owner = nullptr;
    m_used += int32_t(taken);
    return uint64_t(taken);
}

// The free block that ends where `b` starts, or null: the free-end map says whether there is one,
// and its end tag where it starts. Only then are the bytes below `b` read: below a used block they
// are another thread's data.
inline MemoryManager::Block* MemoryManager::freeBlockBelow(const Block* b) const {
    std::size_t offset = static_cast<std::size_t>(reinterpret_cast<const uint8_t*>(b) - m_base);
    std::size_t bit = offset / kAlign;
    if (!(m_freeEnds[bit / 64] >> (bit % 64) & 1)) return nullptr;
    uint32_t size;
    std::memcpy(&size, m_base + offset - sizeof size, sizeof size);
    return blockAt(m_base + offset - size);
}

// The first free block from `p` on, or null: from the free-start map while compaction keeps it,
// else by walking the block headers from `p`, a block's start (the reference search and the
// diagnostics).
MemoryManager::Block* MemoryManager::firstFreeFrom(const uint8_t* p) const {
    if (m_freeStartsKept) {
        std::size_t bit = static_cast<std::size_t>(p - m_base) / kAlign;
        std::size_t word = bit / 64;
        const std::size_t words = m_freeStarts.size();
        if (word >= words) return nullptr;
        uint64_t bits = m_freeStarts[word] & (~uint64_t{0} << (bit % 64));
        while (!bits) {
            if (++word >= words) return nullptr;
            bits = m_freeStarts[word];
        }
        std::size_t found = word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
        return blockAt(m_base + found * kAlign);
    }
    for (const uint8_t* const stop = end(); p < stop;) {
        const int64_t size = reinterpret_cast<const Block*>(p)->size;
        if (size > 0) return blockAt(const_cast<uint8_t*>(p));
        if (size == 0) return nullptr;  // corrupt; checkInvariants says why
        p += -size;
    }
    return nullptr;
}

// Keeps the free-start map while compaction runs; the inline paths, which never run then, skip
// it.
inline void MemoryManager::setFreeStart(const Block* b, bool on) {
    if (!m_freeStartsKept) return;
    std::size_t bit = static_cast<std::size_t>(reinterpret_cast<const uint8_t*>(b) - m_base) / kAlign;
    uint64_t mask = uint64_t{1} << (bit % 64);
    if (on) m_freeStarts[bit / 64] |= mask;
    else m_freeStarts[bit / 64] &= ~mask;
}

// Builds the free-start map and keeps it up to date, or drops it. Each free block's start is
// found from its end (the free-end map) and its end tag, without a walk over the used blocks.
void MemoryManager::keepFreeStarts(bool on) {
    m_freeStartsKept = false;
    if (!on) return;
    m_freeStarts.assign(m_freeEnds.size(), 0);
    for (std::size_t w = 0; w < m_freeEnds.size(); ++w) {
        for (uint64_t bits = m_freeEnds[w]; bits; bits &= bits - 1) {
            const std::size_t blockEnd = (w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))) * kAlign;
            uint32_t size;
            std::memcpy(&size, m_base + blockEnd - sizeof size, sizeof size);
            const std::size_t bit = (blockEnd - size) / kAlign;
            m_freeStarts[bit / 64] |= uint64_t{1} << (bit % 64);
        }
    }
    m_freeStartsKept = true;
}

inline void MemoryManager::setFreeSize(Block* b, int64_t size) {
    b->size = size;
    uint32_t tag = uint32_t(size);
    std::memcpy(bytes(b) + size - sizeof tag, &tag, sizeof tag);
    setFreeEnd(bytes(b) + size, true);
}

// Marks or clears `blockEnd` as the end of a free block.
inline void MemoryManager::setFreeEnd(const uint8_t* blockEnd, bool on) {
    std::size_t bit = static_cast<std::size_t>(blockEnd - m_base) / kAlign;
    uint64_t mask = uint64_t{1} << (bit % 64);
    if (on) m_freeEnds[bit / 64] |= mask;
    else m_freeEnds[bit / 64] &= ~mask;
}

void MemoryManager::insertFree(Block* b) {
    setFreeStart(b, true);
    indexAdd(b);
}

// Frees used block `b`, whose nearest free block below is `below`, and merges it with the free
// blocks it touches. Returns the resulting free block.
MemoryManager::Block* MemoryManager::releaseBlock(Block* b, Block* below) {
    settleSpare();
    int64_t size = -b->size;
    m_used -= int32_t(size);
    if (m_stress && size > int64_t(sizeof(Block))) {
        std::memset(bytes(b) + sizeof(Block), kPoison, size - sizeof(Block));
    }
    uint8_t* after = bytes(b) + size;
    Block* next = after != end() && blockAt(after)->size > 0 ? blockAt(after) : nullptr;
    bool belowTouches = below && bytes(below) + below->size == bytes(b);
    if (belowTouches) {
        setFreeEnd(bytes(b), false);
        if (next) {
            setFreeStart(next, false);
            indexRemove(next);
            size += next->size;
            --m_blockCount;
            --m_freeCount;
        }
        grow(below, below->size + size);
        --m_blockCount;
        return below;
    }
    ++m_freeCount;
    if (next) {
        setFreeStart(next, false);
        size += next->size;
        uint32_t bin = binOf(uint64_t(next->size));
        // Larger than the block it absorbs: where that came last, the merged block takes its place.
        if (binOf(uint64_t(size)) == bin && lastInBin(next)) {
            setFreeSize(b, size);
            indexReplace(next, b, bin);
        } else {
            indexRemove(next);
            setFreeSize(b, size);
            indexAdd(b);
        }
        setFreeStart(b, true);
        --m_blockCount;
        --m_freeCount;
        return b;
    }
    setFreeSize(b, size);
    insertFree(b);
    return b;
}

// The run's helpers. The free block just below `b`, out of the index and its end no longer
// marked, or null when none touches it.
MemoryManager::Block* MemoryManager::takeBelow(Block* b) {
    Block* below = freeBlockBelow(b);
    if (!below || bytes(below) + below->size != bytes(b)) return nullptr;
    setFreeEnd(bytes(b), false);
    indexRemove(below);
    return below;
}

// Moves `*runEnd` past the free block that starts there, out of the index; false when none does.
bool MemoryManager::takeAbove(uint8_t** runEnd) {
    if (*runEnd == end() || blockAt(*runEnd)->size <= 0) return false;
    Block* next = blockAt(*runEnd);
    setFreeStart(next, false);
    indexRemove(next);
    *runEnd += next->size;
    setFreeEnd(*runEnd, false);  // set again by endRun() if the run ends here
    return true;
}

// Freed space in stress mode, past the size and links of the block at `from`.
void MemoryManager::poison(uint8_t* from, uint8_t* to) {
    const int64_t size = to - from;
    if (size > int64_t(sizeof(Block))) std::memset(from + sizeof(Block), kPoison, std::size_t(size) - sizeof(Block));
}

// The run from `start` (`first`, its first freed block, or the free block below that) to `runEnd`
// becomes one indexed free block.
void MemoryManager::endRun(Block* start, Block* first, uint8_t* runEnd, int32_t mergedBlocks, int32_t mergedFrees) {
    m_blockCount -= mergedBlocks;
    m_freeCount += 1 - mergedFrees;
    setFreeSize(start, runEnd - bytes(start));
    if (start == first) setFreeStart(first, true);
    indexAdd(start);
}

// Each run of blocks to free, with the free blocks before, between and after them, becomes one
// free block; the index sees only the result.
void MemoryManager::releaseAscending(void* const* data, std::size_t count) {
    settleSpare();
    std::size_t i = 0;
    while (i < count) {
        Block* b = usedBlockOf(data[i]);
        if (!b) {
            mrc_log("MemoryManager::free: %p is not the data of a used block", data[i]);
            ++i;
            continue;
        }
        Block* start = b;
        int32_t mergedBlocks = 0;  // blocks that end up inside the run's free block, less one
        int32_t mergedFrees = 0;   // free blocks among them
        if (Block* below = takeBelow(b)) {
            start = below;
            ++mergedBlocks;
            ++mergedFrees;
        }
        uint8_t* runEnd = bytes(b);
        for (;;) {
            const int64_t size = -blockAt(runEnd)->size;
            m_used -= int32_t(size);
            if (m_stress) poison(runEnd, runEnd + size);
            runEnd += size;
            ++i;
            if (takeAbove(&runEnd)) {
                ++mergedBlocks;
                ++mergedFrees;
            }
            // runEnd is a block's start, so a used block there is the one the data belongs to.
            if (i == count || runEnd == end() || data[i] != runEnd + m_headerSize || blockAt(runEnd)->size >= 0) break;
            ++mergedBlocks;
        }
        endRun(start, b, runEnd, mergedBlocks, mergedFrees);
    }
}

// The same from a map: a run of noted neighbours ends at the first noted end that no noted
// block starts at, so the blocks inside it are counted from the bits, not read.
// Cloned for processors with a popcount instruction: the run lengths count bits in every word.
// Not under ThreadSanitizer: the loader runs the clones' resolver before its runtime is set up.
#if defined(__SANITIZE_THREAD__)
#define MRC_POPCOUNT_CLONES
#else
#define MRC_POPCOUNT_CLONES __attribute__((target_clones("popcnt", "default")))
#endif
MRC_POPCOUNT_CLONES void MemoryManager::releaseMapped(BlockMap& map) {
    settleSpare();
    uint64_t* const starts = map.starts.data();
    uint64_t* const ends = map.ends.data();
    const std::size_t lastWord = map.last;
    const auto granuleOf = [&](const uint8_t* p) { return std::size_t(p - m_base) / kMapGranule; };
    const auto noted = [&](std::size_t g) { return g / 64 <= lastWord && (starts[g / 64] >> (g % 64) & 1); };
    // The first noted start from granule `g` on, or SIZE_MAX.
    const auto nextStart = [&](std::size_t g) {
        for (std::size_t w = g / 64; w <= lastWord; ++w) {
            uint64_t bits = starts[w] & (w == g / 64 ? ~uint64_t{0} << (g % 64) : ~uint64_t{0});
            if (bits) return w * 64 + std::size_t(__builtin_ctzll(bits));
        }
        return SIZE_MAX;
    };
    // From the noted start `g`: the granule where its run of noted neighbours ends, and how many
    // blocks it holds; {SIZE_MAX, 0} when the map has no end for it.
    const auto runFrom = [&](std::size_t g) -> std::pair<std::size_t, int32_t> {
        int32_t blocks = 0;
        uint64_t above = ~uint64_t{0} << (g % 64);
        for (std::size_t w = g / 64; w <= lastWord; ++w, above = ~uint64_t{0}) {
            const uint64_t stop = ends[w] & ~starts[w] & above;
            if (stop) {
                const uint64_t before = (stop & -stop) - 1;
                blocks += __builtin_popcountll(starts[w] & above & before);
                return {w * 64 + std::size_t(__builtin_ctzll(stop)), blocks};
            }
            blocks += __builtin_popcountll(starts[w] & above);
        }
        return {SIZE_MAX, 0};
    };

    for (std::size_t g = nextStart(map.first * 64); g != SIZE_MAX; g = nextStart(g)) {
        Block* b = usedBlockOf(m_base + g * kMapGranule);
        if (!b) {
            mrc_log("MemoryManager::free: %p is not the data of a used block", m_base + g * kMapGranule);
            ++g;
            continue;
        }
        Block* start = b;
        int32_t mergedBlocks = -1;  // as in releaseAscending(), the first block not counted
        int32_t mergedFrees = 0;
        if (Block* below = takeBelow(b)) {
            start = below;
            ++mergedBlocks;
            ++mergedFrees;
        }
        uint8_t* runEnd;
        for (;;) {
            const auto [endGranule, blocks] = runFrom(g);
            if (endGranule == SIZE_MAX) {
                // Not from note(): nothing is freed rather than something wrongly.
                mrc_log("MemoryManager::freeMapped: the block at %p has no end in the map", m_base + g * kMapGranule);
                clearMap(map);
                return;
            }
            uint8_t* const from = m_base + g * kMapGranule - m_headerSize;
            runEnd = m_base + endGranule * kMapGranule - m_headerSize;
#ifndef NDEBUG
            for (uint8_t* p = from; p != runEnd; p -= blockAt(p)->size) assert(blockAt(p)->size < 0 && p < runEnd);
#endif
            m_used -= int32_t(runEnd - from);
            mergedBlocks += blocks;
            if (m_stress) poison(from, runEnd);
            if (takeAbove(&runEnd)) {
                ++mergedBlocks;
                ++mergedFrees;
            }
            g = granuleOf(runEnd) + m_headerSize / kMapGranule;
            // Past a free block the next noted block may follow.
            if (runEnd == end() || !noted(g) || blockAt(runEnd)->size >= 0) break;
        }
        endRun(start, b, runEnd, mergedBlocks, mergedFrees);
    }
    clearMap(map);
}

void MemoryManager::freeAscending(void* const* data, std::size_t count) {
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        releaseAscending(data, count);
        m_gate.leave(self);
        return;
    }
    Locked lock(*this);
    releaseAscending(data, count);
}

MemoryManager::BlockMap MemoryManager::blockMap() const {
    BlockMap map;
    // An end may lie one header past the heap's last byte.
    const std::size_t words = (std::size_t(m_size) + m_headerSize) / kMapGranule / 64 + 1;
    map.starts.assign(words, 0);
    map.ends.assign(words, 0);
    return map;
}

void MemoryManager::clearMap(BlockMap& map) {
    for (std::size_t w = map.first; w <= map.last; ++w) map.starts[w] = map.ends[w] = 0;
    map.first = SIZE_MAX;
    map.last = 0;
}

void MemoryManager::freeMapped(BlockMap& map) {
    if (map.first > map.last) return;
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        releaseMapped(map);
        m_gate.leave(self);
        return;
    }
    Locked lock(*this);
    releaseMapped(map);
}

// Frees used block `b` and merges it with the free blocks it touches.
void MemoryManager::release(Block* b) {
    if (!releaseFast(b)) releaseBlock(b, freeBlockBelow(b));
}

// The common free, with no call: a small block between used ones, whose bin takes it into a slot.
// False, with nothing changed, otherwise. The heap's fields are read into locals first: the build
// lets every store alias them.
[[gnu::always_inline]] inline bool MemoryManager::releaseFast(Block* b) {
    uint8_t* const base = m_base;
    uint64_t* const ends = m_freeEnds.data();
    const uint64_t size = uint64_t(-b->size);
    const std::size_t granule = std::size_t(bytes(b) - base) / kAlign;
    const bool belowFree = ends[granule / 64] >> (granule % 64) & 1;
    uint8_t* after = bytes(b) + size;
    // Past the last block lies a size word that says "used".
    if (belowFree | (size >= m_fastLimit) | (blockAt(after)->size > 0)) return false;
    const uint32_t bin = uint32_t(size / 8);
    const uint32_t count = m_slotCount[bin];
    const uint32_t ref = uint32_t(granule + 1);
    if ((count == kSlots) | ((count != 0) & (ref > m_slots[bin][0]) & overflowing(bin))) return false;
    m_used -= int32_t(size);
    ++m_freeCount;
    b->size = int64_t(size);
    uint32_t tag = uint32_t(size);
    std::memcpy(after - sizeof tag, &tag, sizeof tag);
    const std::size_t endBit = granule + std::size_t(size) / kAlign;
    ends[endBit / 64] |= uint64_t{1} << (endBit % 64);
    slotAdd(b, ref, bin, count);
    return true;
}

int MemoryManager::free(void* p) {
    uint8_t* const base = m_base;
    const uint64_t heapSize = m_size;
    const uint64_t offset = reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(base);
    if (offset >= heapSize) return 0;
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        Block* b = usedBlockAt(base, heapSize, offset);
        const bool done = b && releaseFast(b);
        m_gate.leave(self);
        if (done) return 1;
    }
    return freeSlow(p);
}

// Everything free() leaves to others, out of line so that its own path needs no frame. On the
// owner's path the inline free has already turned the block down, and nobody else ran since.
int MemoryManager::freeSlow(void* p) {
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        Block* b = usedBlockOf(p);
        if (b) releaseBlock(b, freeBlockBelow(b));
        m_gate.leave(self);
        if (b) return 1;
    }
    return freeLocked(p);
}

// Out of line, so that the owner path needs no frame for the lock.
int MemoryManager::freeLocked(void* p) {
    Locked lock(*this);
    Block* b = usedBlockOf(p);
    if (!b) {
        // Claimed all the same: the caller would otherwise hand it to the process heap's free.
        mrc_log("MemoryManager::free: %p is not the data of a used block", p);
        return 1;
    }
    release(b);
    return 1;
}

void MemoryManager::runCollector() {
    if (!m_collectorHook) return;
    CollectorHook hook = m_collectorHook;
    void* context = m_collectorContext;
    Unlocked unlocked(m_lock);
    hook(context);
}

void MemoryManager::worldHook(WorldHook hook) {
    if (!hook) return;
    void* context = m_worldContext;
    Unlocked unlocked(m_lock);
    hook(context);
}

// take() for the first block `b` of bin `bin`, one of many sizes, when its remainder stays in the
// bin: smaller than every other block there, the remainder takes the block's place in the treap,
// its priority included, and the end tag and free-end bit stay where they are. False when take()
// must do it. The heap's fields are read into locals, as in release().
[[gnu::always_inline]] inline bool MemoryManager::splitFirstInPlace(Block* b, uint32_t bin, uint64_t needed) {
    const int64_t size = b->size;
    const int64_t remainder = size - int64_t(needed);
    // The remainder is smaller than the block: it stays in the bin when it reaches the bin's
    // smallest size, which is far above the split's limit.
    if (uint64_t(remainder) < smallestOfBin(bin)) return false;
    const uint32_t ref = refOf(b);
    const uint32_t restRef = ref + uint32_t(needed / kAlign);
    Block* rest = blockAt(bytes(b) + needed);
    const auto link = b->link;
    rest->size = remainder;
    rest->link = link;
    uint32_t tag = uint32_t(remainder);
    std::memcpy(bytes(b) + size - sizeof tag, &tag, sizeof tag);
    if (link.right) blockOf(link.right)->link.parent = restRef;  // the first has no left child
    if (link.parent) {
        Block* parent = blockOf(link.parent);
        if (parent->link.left == ref) parent->link.left = restRef;
        else parent->link.right = restRef;
    } else {
        m_binRoot[bin] = restRef;
    }
    m_binFirst[bin] = restRef;
    b->size = -int64_t(needed);
    if (m_movable) b->owner = nullptr;
    m_used += int32_t(needed);
    ++m_blockCount;
    return true;
}

// take() for the first block of bin `bin`, one of one size, its last slot: a remainder ends where
// the block ended, so its free-end bit stays.
void MemoryManager::takeFirstOfSizeBin(uint32_t bin, uint64_t needed) {
    const uint32_t count = m_slotCount[bin];
    Block* b = blockOf(m_slots[bin][count - 1]);
    m_slotCount[bin] = uint8_t(count - 1);
    if (count == 1) refill(bin);
    setFreeStart(b, false);
    const int64_t size = int64_t(bin) * 8;
    const int64_t remainder = size - int64_t(needed);
    int64_t taken = size;
    if (remainder > int64_t(m_headerSize) + kSplitSlack) {
        taken = int64_t(needed);
        Block* rest = blockAt(bytes(b) + needed);
        rest->size = remainder;
        uint32_t tag = uint32_t(remainder);
        std::memcpy(bytes(b) + size - sizeof tag, &tag, sizeof tag);
        setFreeStart(rest, true);
        sizeBinAdd(rest, uint32_t(remainder / 8));
        ++m_blockCount;
    } else {
        setFreeEnd(bytes(b) + size, false);
        --m_freeCount;
    }
    b->size = -taken;
    if (m_movable) b->owner = nullptr;
    m_used += int32_t(taken);
}

// The spare joins the index.
void MemoryManager::indexSpare() {
    Block* s = blockOf(m_spare);
    m_spare = 0;
    indexAdd(s);
}

// The common allocation, with no call: the spare when no indexed block is smaller (none of its
// bin: those of its own size may lie lower), else the first block of the first non-empty bin from
// `needed` on. In a bin of one size that is its last slot; in a bin of many sizes the block alone
// there (the heap's one large free block after a collection of nearly everything), and in both
// a remainder worth keeping becomes the spare. A bin of many sizes with other blocks splits its
// first in place when the remainder stays there. Null, with nothing changed but the spare
// indexed, otherwise: the slow path refills the slots. The heap's fields are read into locals,
// as in releaseFast().
[[gnu::always_inline]] inline MemoryManager::Block* MemoryManager::takeFast(uint64_t needed) {
    if (needed >= m_fastLimit) return nullptr;
    // The bin bits find the request's own bin as readily as a larger one: no branch on whether a
    // block of the very size is free. Conditions that go either way are combined without
    // short cuts, into one branch that is rarely taken.
    uint32_t bin = nonEmptyBinFrom(uint32_t(needed / 8));
    uint32_t ref = m_spare;
    uint64_t size = 0;
    if (ref) {
        size = uint64_t(blockOf(ref)->size);
        // The spare is the best fit while its bin lies below the first non-empty one: while it is
        // smaller than the least that bin holds.
        if ((needed > size) | (size >= kLeastOfBin[bin])) {
            indexSpare();
            bin = nonEmptyBinFrom(uint32_t(needed / 8));
            ref = 0;
        }
    }
    if (!ref) {
        if (bin >= kExactBins) {
            if (bin == kBins) return nullptr;
            ref = m_binFirst[bin];
            Block* b = blockOf(ref);
            // The first has no left child: alone when it is the root and has no right one.
            if ((m_binRoot[bin] != ref) | (b->link.right != 0)) {
                if (!splitFirstInPlace(b, bin, needed)) return nullptr;
                const int32_t used = m_used;
                if (used > m_peak) m_peak = used;
                return b;
            }
            m_binRoot[bin] = m_binFirst[bin] = 0;
            unmarkBin(bin);
            size = uint64_t(b->size);
        } else {
            const uint32_t count = m_slotCount[bin];
            if ((count == 1) & overflowing(bin)) return nullptr;
            ref = m_slots[bin][count - 1];
            size = uint64_t(bin) * 8;  // every block of the bin has its size
            m_slotCount[bin] = uint8_t(count - 1);
            unmarkBinWhen(bin, count == 1);
        }
    }
    Block* b = blockOf(ref);
    const uint64_t remainder = size - needed;
    uint64_t taken = size;
    if (remainder > m_headerSize + uint64_t(kSplitSlack)) {
        // The remainder ends where the block ended: its end tag changes only in value, its
        // free-end bit not at all.
        taken = needed;
        Block* rest = blockAt(bytes(b) + needed);
        rest->size = int64_t(remainder);
        uint32_t tag = uint32_t(remainder);
        std::memcpy(bytes(b) + size - sizeof tag, &tag, sizeof tag);
        m_spare = ref + uint32_t(needed / kAlign);
        ++m_blockCount;
    } else {
        const std::size_t endBit = ref - 1 + std::size_t(size) / kAlign;
        m_freeEnds.data()[endBit / 64] &= ~(uint64_t{1} << (endBit % 64));
        --m_freeCount;
        m_spare = 0;
    }
    b->size = -int64_t(taken);
    if (m_movable) b->owner = nullptr;
    const int32_t used = m_used + int32_t(taken);
    m_used = used;
    if (used > m_peak) m_peak = used;
    return b;
}

void* MemoryManager::alloc(uint32_t size) {
    const uint64_t needed = std::max<uint64_t>(roundUp(size) + m_headerSize, kMinBlock);
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        // A destroyed heap has empty bins.
        Block* b = takeFast(needed);
        m_gate.leave(self);
        if (b) return bytes(b) + m_headerSize;
    }
    return allocSlow(needed);
}

// Everything alloc() leaves to others, out of line so that its own path needs no frame: on the
// owner's path a block that fits at once, else the locked path with the collector and compaction.
void* MemoryManager::allocSlow(uint64_t needed) {
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        settleSpare();
        Block* b = nullptr;
        if (needed < m_fastLimit) {
            // Every block from the first non-empty bin on fits; that bin's first is the best.
            b = firstInBinsFrom(uint32_t(needed / 8));
        } else if (!m_stress) {
            b = bestFit(needed, nullptr, nullptr);
        }
        if (b) {
            const uint32_t bin = binOf(uint64_t(b->size));
            if (bin < kExactBins) {
                if (refOf(b) == firstOf(bin)) takeFirstOfSizeBin(bin, needed);
                else take(b, needed);
            } else if (m_binFirst[bin] != refOf(b) || !splitFirstInPlace(b, bin, needed)) {
                // A bin of many sizes splits its first block in place when the remainder stays there.
                take(b, needed);
            }
            m_peak = std::max(m_peak, m_used);
        }
        m_gate.leave(self);
        if (b) return bytes(b) + m_headerSize;
    }
    return allocLocked(needed);
}

void* MemoryManager::allocLocked(uint64_t needed) {
    Locked lock(*this);
    if (!m_base) {
        mrc_log("MemoryManager::alloc: the heap is destroyed");
        return nullptr;
    }
    settleSpare();
    auto worthCompacting = [&] { return uint64_t(m_used) + needed < m_size; };

    if (m_movable && m_stress) {
        runCollector();
        worldHook(m_beforeCompaction);
        slideAll(m_stressTowardsEnd);
        m_stressTowardsEnd = !m_stressTowardsEnd;
        worldHook(m_afterCompaction);
    }

    Block* b = bestFit(needed, nullptr, nullptr);
    if (!b) {
        runCollector();
        b = bestFit(needed, nullptr, nullptr);
    }
    bool compacting = false;
    if (!b && m_movable && worthCompacting()) {
        compacting = true;
        if (m_beforeCompaction) {
            worldHook(m_beforeCompaction);
            // Other threads ran while the lock was out.
            b = bestFit(needed, nullptr, nullptr);
        }
        if (!b && worthCompacting()) {
            // Their passes walk the free blocks in address order again and again.
            keepFreeStarts(true);
            b = compactGaps(needed);
            if (!b) b = compactSliding(needed);
            keepFreeStarts(false);
        }
    }

    void* result = nullptr;
    if (b) {
        take(b, needed);
        m_peak = std::max(m_peak, m_used);
        result = bytes(b) + m_headerSize;
    } else {
        mrc_log("totalFragmentSizeNeeded=%d m_heapUsed=%d m_heapSize=%d", clampToInt(needed), m_used,
                clampToInt(m_size));
    }
    if (compacting) worldHook(m_afterCompaction);
    return result;
}

// Copies the used blocks in [run, run + length) into free block `target`, rewrites their owner
// slots, and frees their old place; `below` is the last free block below the run. The last moved
// block absorbs whatever the target had beyond `length` and was too small to stay free.
void MemoryManager::moveRun(uint8_t* run, uint64_t length, Block* target, Block* below) {
    uint64_t taken = take(target, length);
    uint8_t* dst = bytes(target);
    std::memcpy(dst, run, length);
    Block* last = nullptr;
    for (uint8_t* p = dst; p < dst + length; p += -blockAt(p)->size) {
        last = blockAt(p);
        if (last->owner) *last->owner = p + m_headerSize;
    }
    last->size -= int64_t(taken - length);
    Block* old = blockAt(run);
    old->size = -int64_t(length);
    releaseBlock(old, below);
    m_peak = std::max(m_peak, m_used);  // the absorbed slack counts as used
}

// Repeatedly empties the run of used blocks between two neighbouring free blocks that gains most
// (both free blocks less the run), moving the run into the best-fitting third free block.
MemoryManager::Block* MemoryManager::compactGaps(uint64_t needed) {
    struct Gap {
        int64_t score;
        Block* first;
    };
    std::vector<Gap> gaps;
    for (int pass = 0; pass < kCompactionPasses; ++pass) {
        gaps.clear();
        for (Block* f = firstFree(), *n = f ? nextFree(f) : nullptr; n; f = n, n = nextFree(n)) {
            int64_t gapLength = bytes(n) - (bytes(f) + f->size);
            gaps.push_back({f->size + n->size - gapLength, f});
        }
        Block* merged = nullptr;
        auto tryGap = [&](const Gap& gap) {
            Block* f = gap.first;
            Block* n = nextFree(f);
            uint8_t* run = bytes(f) + f->size;
            uint64_t length = bytes(n) - run;
            Block* target = bestFit(length, f, n);
            if (!target) return false;
            moveRun(run, length, target, f);
            merged = f;
            return true;
        };
        // Highest score first, address order among equals. The best pair usually has a target,
        // so the full ordering is only needed when it has none.
        auto byScore = [](const Gap& a, const Gap& b) { return a.score > b.score; };
        auto best = std::min_element(gaps.begin(), gaps.end(), byScore);
        if (best != gaps.end() && !tryGap(*best)) {
            std::stable_sort(gaps.begin(), gaps.end(), byScore);
            for (const Gap& gap : gaps) {
                if (tryGap(gap)) break;
            }
        }
        if (!merged) return nullptr;
        if (uint64_t(merged->size) >= needed) return merged;
    }
    return nullptr;
}

// Grows the largest free block (not one too close to the heap's end to matter) by moving the used
// blocks after it, one at a time, into other free blocks.
MemoryManager::Block* MemoryManager::compactSliding(uint64_t needed) {
    for (int pass = 0; pass < kCompactionPasses; ++pass) {
        Block* grown = nullptr;
        Block* head = firstFree();
        for (Block* f = head; f; f = nextFree(f)) {
            if (f != head && uint64_t(end() - bytes(f)) <= needed) break;
            if (!grown || f->size > grown->size) grown = f;
        }
        if (!grown) return nullptr;
        for (;;) {
            uint8_t* u = bytes(grown) + grown->size;
            if (u >= end() || blockAt(u)->size >= 0) break;
            uint64_t length = uint64_t(-blockAt(u)->size);
            Block* target = bestFit(length, grown, nullptr);
            if (!target) break;
            moveRun(u, length, target, grown);
            if (uint64_t(grown->size) >= needed) return grown;
        }
    }
    return nullptr;
}

// Packs every used block against one end of the heap and leaves one free block at the other.
bool MemoryManager::slideAll(bool towardsEnd) {
    if (!m_base) return false;
    bool moved = false;
    int32_t usedBlocks = 0;
    auto place = [&](uint8_t* from, uint8_t* to, uint64_t size) {
        ++usedBlocks;
        if (from == to) return;
        std::memmove(to, from, size);
        moved = true;
        if (void** owner = blockAt(to)->owner) *owner = to + m_headerSize;
    };
    uint8_t* freeStart;
    uint8_t* freeEnd;
    if (!towardsEnd) {
        uint8_t* dst = m_base;
        for (uint8_t* p = m_base; p < end();) {
            int64_t size = blockAt(p)->size;
            if (size < 0) {
                place(p, dst, uint64_t(-size));
                dst += -size;
                p += -size;
            } else {
                p += size;
            }
        }
        freeStart = dst;
        freeEnd = end();
    } else {
        std::vector<uint8_t*> usedList;
        for (uint8_t* p = m_base; p < end();) {
            int64_t size = blockAt(p)->size;
            if (size < 0) usedList.push_back(p);
            p += size < 0 ? -size : size;
        }
        uint8_t* dst = end();
        for (auto it = usedList.rbegin(); it != usedList.rend(); ++it) {
            uint64_t size = uint64_t(-blockAt(*it)->size);
            dst -= size;
            place(*it, dst, size);
        }
        freeStart = m_base;
        freeEnd = dst;
    }
    m_freeCount = 0;
    std::fill(m_freeEnds.begin(), m_freeEnds.end(), 0);
    clearIndex();
    if (freeStart < freeEnd) {
        if (m_stress && freeEnd - freeStart > int64_t(sizeof(Block))) {
            std::memset(freeStart + sizeof(Block), kPoison, freeEnd - freeStart - sizeof(Block));
        }
        Block* f = blockAt(freeStart);
        setFreeSize(f, freeEnd - freeStart);
        insertFree(f);
        m_freeCount = 1;
    }
    m_blockCount = usedBlocks + m_freeCount;
    return moved;
}

bool MemoryManager::compactAll() {
    Locked lock(*this);
    if (!m_movable) {
        mrc_log("MemoryManager::compactAll: the object heap does not move its blocks");
        return false;
    }
    worldHook(m_beforeCompaction);
    bool moved = slideAll(false);
    worldHook(m_afterCompaction);
    return moved;
}

bool MemoryManager::checkInvariants(std::string* whyNot) const {
    Locked lock(*this);
    auto fail = [whyNot](const char* format, auto... args) {
        if (!whyNot) return false;
        if constexpr (sizeof...(args) == 0) {
            *whyNot = format;
        } else {
            char line[256];
            std::snprintf(line, sizeof line, format, args...);
            *whyNot = line;
        }
        return false;
    };
    if (!m_base) {
        if (m_blockCount || m_freeCount || m_used) {
            return fail("destroyed heap keeps blocks");
        }
        return true;
    }
    int32_t blocks = 0;
    int32_t frees = 0;
    int64_t usedBytes = 0;
    bool previousFree = false;
    bool spareSeen = false;
    for (uint8_t* p = m_base; p != end();) {
        uint64_t offset = p - m_base;
        Block* b = blockAt(p);
        bool used = b->size < 0;
        uint64_t size = used ? uint64_t(-b->size) : uint64_t(b->size);
        if (size < kMinBlock || size % kAlign != 0 || size > uint64_t(end() - p)) {
            return fail("block at +%" PRIu64 " has size %" PRId64, offset, b->size);
        }
        ++blocks;
        if (used) {
            usedBytes += int64_t(size);
            if (m_movable && b->owner && *b->owner != p + m_headerSize) {
                return fail("owner slot of block at +%" PRIu64 " points at %p, not its data", offset, *b->owner);
            }
            previousFree = false;
        } else {
            if (previousFree) return fail("free block at +%" PRIu64 " follows another free block", offset);
            uint32_t tag;
            std::memcpy(&tag, p + size - sizeof tag, sizeof tag);
            if (tag != size) return fail("free block at +%" PRIu64 " ends in the tag %u", offset, tag);
            uint64_t endBit = (offset + size) / kAlign;
            if (!(m_freeEnds[endBit / 64] >> (endBit % 64) & 1)) {
                return fail("free block at +%" PRIu64 " is missing from the free-end map", offset);
            }
            // A heap bin is checked as a whole below: its blocks, all distinct free blocks of its
            // size, must add up to the free blocks.
            uint32_t bin = binOf(size);
            bool inBin = bin < kExactBins;
            for (uint32_t r = inBin ? 0 : m_binRoot[bin]; r && !inBin;) {
                Block* n = blockOf(r);
                inBin = n == b;
                r = before(b, n) ? n->link.left : n->link.right;
            }
            if (refOf(b) == m_spare) {
                if (inBin && bin >= kExactBins) return fail("the spare at +%" PRIu64 " is in the size index", offset);
                spareSeen = true;
            } else if (!inBin) {
                return fail("free block at +%" PRIu64 " is missing from the size index", offset);
            }
            ++frees;
            previousFree = true;
        }
        p += size;
    }
    if (m_spare && !spareSeen) return fail("the spare %u is not a free block", m_spare);
    if (blocks != m_blockCount) return fail("block count %d, counted %d", m_blockCount, blocks);
    if (frees != m_freeCount) return fail("free count %d, counted %d", m_freeCount, frees);
    if (usedBytes != m_used) return fail("used %d, counted %" PRId64, m_used, usedBytes);
    if (m_peak < m_used) return fail("peak %d below used %d", m_peak, m_used);
    int32_t indexed = 0;
    for (uint32_t bin = 0; bin < kBins; ++bin) {
        if (!checkBin(bin, &indexed, whyNot)) return false;
    }
    if (indexed + int32_t(spareSeen) != frees) {
        return fail("size index holds %d blocks and %d spare, the heap has %d free", indexed, int(spareSeen), frees);
    }
    for (uint32_t word = 0; word < kBinWords; ++word) {
        if (bool(m_binWords >> word & 1) != (m_binBits[word] != 0)) return fail("bin word %u is marked wrongly", word);
    }
    int64_t ends = 0;
    for (uint64_t word : m_freeEnds) ends += __builtin_popcountll(word);
    if (ends != frees) return fail("free-end map marks %" PRId64 " blocks, the heap has %d", ends, frees);
    return true;
}

// One bin's treap: links agree both ways, the order and the priorities hold, every block is free
// and belongs in the bin, and the bin's first block and bit are right. Adds its blocks to `count`.
bool MemoryManager::checkBin(uint32_t bin, int32_t* count, std::string* whyNot) const {
    if (bin < kExactBins) return checkSizeBin(bin, count, whyNot);
    auto fail = [&](const char* what) {
        if (whyNot) {
            char line[160];
            std::snprintf(line, sizeof line, "size bin %u: %s", bin, what);
            *whyNot = line;
        }
        return false;
    };
    bool bit = m_binBits[bin / 64] >> (bin % 64) & 1;
    if (bit != (m_binRoot[bin] != 0)) return fail("non-empty bit is wrong");
    if (!m_binRoot[bin]) return m_binFirst[bin] == 0 || fail("empty bin has a first block");
    if (blockOf(m_binRoot[bin])->link.parent) return fail("root has a parent");
    // In order: each block must follow the one before.
    std::vector<uint32_t> stack;
    const Block* first = nullptr;
    const Block* previous = nullptr;
    int32_t blocks = 0;
    for (uint32_t r = m_binRoot[bin]; r || !stack.empty();) {
        while (r) {
            if (uint64_t(r - 1) * 8 >= m_size || ++blocks > m_freeCount) return fail("link leads outside the free blocks");
            const Block* n = blockOf(r);
            if (n->size <= 0 || binOf(uint64_t(n->size)) != bin) return fail("holds a block that is not a free block of its sizes");
            for (uint32_t c : {n->link.left, n->link.right}) {
                if (c && uint64_t(c - 1) * 8 < m_size && blockOf(c)->link.parent != r) return fail("child links back wrongly");
                if (c && uint64_t(c - 1) * 8 < m_size && blockOf(c)->link.priority < n->link.priority) {
                    return fail("child outranks its parent");
                }
            }
            stack.push_back(r);
            r = n->link.left;
        }
        const Block* n = blockOf(stack.back());
        stack.pop_back();
        if (previous && !before(previous, n)) return fail("blocks are out of order");
        if (!first) first = n;
        previous = n;
        r = n->link.right;
    }
    if (m_binFirst[bin] != refOf(first)) return fail("first block is not the first");
    *count += blocks;
    return true;
}

// One bin of one size: the slots descend, the run ascends with its links agreeing, the pairing
// heap's links agree both ways with every child above its parent; every block is free, of the
// bin's size and marked where it is; the first block and the bit are right. Adds its blocks to
// `count`.
bool MemoryManager::checkSizeBin(uint32_t bin, int32_t* count, std::string* whyNot) const {
    auto fail = [&](const char* what) {
        if (whyNot) {
            char line[160];
            std::snprintf(line, sizeof line, "size bin %u: %s", bin, what);
            *whyNot = line;
        }
        return false;
    };
    auto inside = [&](uint32_t r) { return r && uint64_t(r - 1) * 8 < m_size; };
    auto ofBin = [&](const Block* n) { return n->size > 0 && binOf(uint64_t(n->size)) == bin; };
    int32_t blocks = 0;
    uint32_t lowest = 0;
    auto note = [&](uint32_t r) {
        if (!lowest || r < lowest) lowest = r;
        return ++blocks <= m_freeCount;
    };

    if (m_slotCount[bin] > kSlots) return fail("more slots used than there are");
    for (uint32_t i = 0; i < m_slotCount[bin]; ++i) {
        uint32_t r = m_slots[bin][i];
        if (!inside(r)) return fail("slot leads outside the heap");
        if (i && r >= m_slots[bin][i - 1]) return fail("slots are out of order");
        if (!ofBin(blockOf(r)) || blockOf(r)->heap.child != kInSlots) return fail("slot holds a block that is not a free block of its size");
        if (!note(r)) return fail("holds more blocks than are free");
    }

    // Every block beyond the slots lies above them, and the slots are empty only with the bin.
    const uint32_t highestSlot = m_slotCount[bin] ? m_slots[bin][0] : 0;
    if (!highestSlot && overflowing(bin)) return fail("slots are empty while the run or heap is not");
    uint32_t previous = 0;
    uint32_t newest[kSlots] = {};  // the run's last blocks, as a ring
    uint32_t length = 0;
    for (uint32_t r = m_runFirst[bin]; r; previous = r, r = blockOf(r)->heap.next) {
        if (!inside(r)) return fail("run leads outside the heap");
        if (r < highestSlot) return fail("run holds a block below a slot");
        const Block* n = blockOf(r);
        if (!ofBin(n) || n->heap.child != kInRun) return fail("run holds a block that is not a free block of its size");
        if (previous && (r <= previous || n->heap.prev != previous)) return fail("run is out of order or links back wrongly");
        if (hasAhead(bin) && n->heap.ahead && !inside(n->heap.ahead)) return fail("run's hint leads outside the heap");
        if (!note(r)) return fail("holds more blocks than are free");
        newest[length++ % kSlots] = r;
    }
    if (m_runLast[bin] != previous) return fail("run's last block is not its last");
    // The blocks whose hints appends still set are the run's newest: a hint is never written
    // into a block that has left the run.
    if (hasAhead(bin)) {
        const uint32_t appends = m_runAppends[bin];
        if (appends > length) return fail("counts more appends than the run holds");
        for (uint32_t k = 1; k <= std::min(appends, kSlots); ++k) {
            if (m_runTail[bin][(appends - k) % kSlots] != newest[(length - k) % kSlots])
                return fail("lists a block as the run's newest that is not");
        }
    }

    if (uint32_t root = m_binRoot[bin]) {
        if (!inside(root)) return fail("link leads outside the heap");
        if (blockOf(root)->heap.prev || blockOf(root)->heap.next) return fail("root has a parent or siblings");
        std::vector<uint32_t> stack{root};
        while (!stack.empty()) {
            uint32_t r = stack.back();
            stack.pop_back();
            const Block* n = blockOf(r);
            if (!note(r)) return fail("link leads outside the free blocks");
            if (!ofBin(n)) return fail("holds a block that is not a free block of its size");
            if (r < highestSlot) return fail("pairing heap holds a block below a slot");
            uint32_t prev = r;
            for (uint32_t c = n->heap.child; c; prev = c, c = blockOf(c)->heap.next) {
                if (!inside(c)) return fail("link leads outside the heap");
                if (blockOf(c)->heap.prev != prev) return fail("child links back wrongly");
                if (c < r) return fail("child lies below its parent");
                if (stack.size() > std::size_t(m_freeCount)) return fail("link leads outside the free blocks");
                stack.push_back(c);
            }
        }
    }
    bool bit = m_binBits[bin / 64] >> (bin % 64) & 1;
    if (bit != (blocks != 0)) return fail("non-empty bit is wrong");
    if (m_binFirst[bin]) return fail("keeps a first block of the bins of many sizes");
    if (firstOf(bin) != lowest) return fail("first block is not the lowest");
    *count += blocks;
    return true;
}

}  // namespace mrc
