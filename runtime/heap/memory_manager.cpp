#include "runtime/heap/memory_manager.h"

#include <algorithm>
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

}  // namespace

MemoryManager::MemoryManager(uint32_t size, bool movable)
    : m_movable(movable), m_headerSize(movable ? 16 : 8) {
    uint32_t rounded = std::min(size, kMaxHeapSize) & ~uint32_t(kAlign - 1);
    rounded = std::max(rounded, kMinBlock);
    if (size < kMinBlock || size > kMaxHeapSize) {
        mrc_log("MemoryManager: heap size %u adjusted to %u", size, rounded);
    }
    // malloc aligns to at least 16 bytes, so every block and its data stay 8-byte aligned.
    m_base = static_cast<uint8_t*>(std::malloc(rounded));
    if (!m_base) throw std::bad_alloc();
    m_size = rounded;
    reset();
}

MemoryManager::~MemoryManager() { destroy(); }

void MemoryManager::reset() {
    m_freeStarts.assign((m_size / kAlign + 63) / 64, 0);
    m_freeStartWords.assign((m_freeStarts.size() + 63) / 64, 0);
    Block* b = blockAt(m_base);
    setFreeStart(b, true);
    b->size = m_size;
    b->prev = nullptr;
    b->next = nullptr;
    m_freeHead = m_freeTail = b;
    m_bySize.clear();
    indexAdd(b);
    m_blockCount = 1;
    m_freeCount = 1;
    m_used = 0;
    m_peak = 0;
}

void MemoryManager::destroy() {
    host::CriticalSectionLock lock(m_lock);
    std::free(m_base);
    m_base = nullptr;
    m_size = 0;
    m_freeHead = m_freeTail = nullptr;
    m_bySize.clear();
    m_blockCount = m_freeCount = 0;
    m_used = 0;
}

bool MemoryManager::contains(const void* p) const {
    auto a = reinterpret_cast<uintptr_t>(p);
    auto b = reinterpret_cast<uintptr_t>(m_base);
    return m_base && a >= b && a - b < m_size;
}

int32_t MemoryManager::used() const {
    host::CriticalSectionLock lock(m_lock);
    return m_used;
}

int32_t MemoryManager::peak() const {
    host::CriticalSectionLock lock(m_lock);
    return m_peak;
}

int32_t MemoryManager::blockCount() const {
    host::CriticalSectionLock lock(m_lock);
    return m_blockCount;
}

int32_t MemoryManager::freeCount() const {
    host::CriticalSectionLock lock(m_lock);
    return m_freeCount;
}

void MemoryManager::setCollectorHook(CollectorHook hook, void* context) {
    host::CriticalSectionLock lock(m_lock);
    m_collectorHook = hook;
    m_collectorContext = context;
}

void MemoryManager::setCompactionHooks(WorldHook before, WorldHook after, void* context) {
    host::CriticalSectionLock lock(m_lock);
    m_beforeCompaction = before;
    m_afterCompaction = after;
    m_worldContext = context;
}

void MemoryManager::setLinearSearch(bool on) {
    host::CriticalSectionLock lock(m_lock);
    m_linearSearch = on;
}

void MemoryManager::setStressMode(bool on) {
    host::CriticalSectionLock lock(m_lock);
    m_stress = on;
}

// The used block whose data starts at `data`, or null when the bytes there are not one: a pointer
// into a header or into the middle of a block, or one freed already.
MemoryManager::Block* MemoryManager::usedBlockOf(const void* data) const {
    if (!contains(data)) return nullptr;
    uint64_t offset = static_cast<const uint8_t*>(data) - m_base;
    if (offset < m_headerSize || offset % kAlign != 0) return nullptr;
    Block* b = blockAt(m_base + offset - m_headerSize);
    if (b->size >= 0) return nullptr;
    uint64_t size = uint64_t(-b->size);
    if (size < kMinBlock || size % kAlign != 0 || size > uint64_t(end() - bytes(b))) return nullptr;
    return b;
}

uint32_t MemoryManager::blockSize(const void* data) const {
    host::CriticalSectionLock lock(m_lock);
    Block* b = usedBlockOf(data);
    return b ? static_cast<uint32_t>(-b->size - m_headerSize) : 0;
}

void MemoryManager::registerOwner(void* data, void** slot) {
    host::CriticalSectionLock lock(m_lock);
    // Buffers that fell back to the process heap come here too; they never move.
    if (!m_movable || !contains(data)) return;
    Block* b = usedBlockOf(data);
    if (!b) {
        mrc_log("MemoryManager::registerOwner: %p is not the data of a used block", data);
        return;
    }
    b->owner = slot;
}

// Smallest free block of at least `needed` bytes, the lowest address among equal sizes. `skip1`
// and `skip2` are passed over (compaction's own blocks).
MemoryManager::Block* MemoryManager::bestFit(uint64_t needed, const Block* skip1, const Block* skip2) const {
    if (m_linearSearch) return bestFitLinear(needed, skip1, skip2);
    for (auto it = m_bySize.lower_bound({needed, nullptr}); it != m_bySize.end(); ++it)
        if (it->second != skip1 && it->second != skip2) return it->second;
    return nullptr;
}

// The same choice by walking the address-ordered list: the first of equal sizes; an exact fit
// ends the walk.
MemoryManager::Block* MemoryManager::bestFitLinear(uint64_t needed, const Block* skip1, const Block* skip2) const {
    Block* best = nullptr;
    for (Block* b = m_freeHead; b; b = b->next) {
        if (b->size == 0) break;
        if (b == skip1 || b == skip2 || uint64_t(b->size) < needed) continue;
        if (uint64_t(b->size) == needed) return b;
        if (!best || b->size < best->size) best = b;
    }
    return best;
}

// Marks the first `needed` bytes of free block `b` used, or all of it when the remainder would be
// too small to be worth keeping. Returns the bytes taken; peak is the caller's business.
uint64_t MemoryManager::take(Block* b, uint64_t needed) {
    int64_t remainder = b->size - int64_t(needed);
    int64_t taken;
    indexRemove(b);
    setFreeStart(b, false);
    if (remainder <= int64_t(m_headerSize) + kSplitSlack) {
        taken = b->size;
        if (b->prev) b->prev->next = b->next;
        else m_freeHead = b->next;
        if (b->next) b->next->prev = b->prev;
        else m_freeTail = b->prev;
        --m_freeCount;
    } else {
        taken = int64_t(needed);
        Block* rest = blockAt(bytes(b) + needed);
        rest->size = remainder;
        setFreeStart(rest, true);
        indexAdd(rest);
        rest->prev = b->prev;
        rest->next = b->next;
        if (rest->prev) rest->prev->next = rest;
        else m_freeHead = rest;
        if (rest->next) rest->next->prev = rest;
        else m_freeTail = rest;
        ++m_blockCount;
    }
    b->size = -taken;
    if (m_movable) b->owner = nullptr;
    m_used += int32_t(taken);
    return uint64_t(taken);
}

// The last free block below `b`, or null when `b` lies below the head. Walks from both ends at
// once, so that a block freed next to either end of the list (the common case) is placed at once.
MemoryManager::Block* MemoryManager::lastFreeBelow(const Block* b) const {
    if (!m_freeHead || b <= m_freeHead) return nullptr;
    if (b > m_freeTail) return m_freeTail;
    // The highest free-block start below b's granule: in b's own word, else in the highest
    // non-empty word below it, which the summary finds in a few steps even across a long run of
    // used blocks.
    std::size_t bit = static_cast<std::size_t>(bytes(const_cast<Block*>(b)) - m_base) / kAlign;
    std::size_t word = bit / 64;
    uint64_t bits = bit % 64 ? m_freeStarts[word] & (~uint64_t{0} >> (64 - bit % 64)) : 0;
    if (!bits) {
        std::size_t group = word / 64;
        uint64_t words = word % 64 ? m_freeStartWords[group] & (~uint64_t{0} >> (64 - word % 64)) : 0;
        while (!words) words = m_freeStartWords[--group];  // the head lies below, so this ends
        word = group * 64 + (63 - static_cast<std::size_t>(__builtin_clzll(words)));
        bits = m_freeStarts[word];
    }
    std::size_t found = word * 64 + (63 - static_cast<std::size_t>(__builtin_clzll(bits)));
    return blockAt(m_base + found * kAlign);
}

void MemoryManager::setFreeStart(const Block* b, bool on) {
    std::size_t bit = static_cast<std::size_t>(reinterpret_cast<const uint8_t*>(b) - m_base) / kAlign;
    std::size_t word = bit / 64;
    uint64_t mask = uint64_t{1} << (bit % 64);
    if (on)
        m_freeStarts[word] |= mask;
    else
        m_freeStarts[word] &= ~mask;
    uint64_t wordMask = uint64_t{1} << (word % 64);
    if (m_freeStarts[word])
        m_freeStartWords[word / 64] |= wordMask;
    else
        m_freeStartWords[word / 64] &= ~wordMask;
}

void MemoryManager::insertFree(Block* b, Block* below) {
    setFreeStart(b, true);
    indexAdd(b);
    b->prev = below;
    b->next = below ? below->next : m_freeHead;
    if (b->prev) b->prev->next = b;
    else m_freeHead = b;
    if (b->next) b->next->prev = b;
    else m_freeTail = b;
}

// Frees used block `b`, whose lower free neighbour in the list is `below`, and merges it with the
// free blocks it touches. Returns the resulting free block.
MemoryManager::Block* MemoryManager::releaseBlock(Block* b, Block* below) {
    int64_t size = -b->size;
    b->size = size;
    insertFree(b, below);
    ++m_freeCount;
    m_used -= int32_t(size);
    if (m_stress && size > int64_t(sizeof(Block))) {
        std::memset(bytes(b) + sizeof(Block), kPoison, size - sizeof(Block));
    }
    Block* prev = b->prev;
    if (prev && bytes(prev) + prev->size == bytes(b)) {
        setFreeStart(b, false);
        indexRemove(b);
        indexRemove(prev);
        prev->size += b->size;
        indexAdd(prev);
        prev->next = b->next;
        if (b->next) b->next->prev = prev;
        else m_freeTail = prev;
        --m_blockCount;
        --m_freeCount;
        b = prev;
    }
    Block* next = b->next;
    if (next && bytes(b) + b->size == bytes(next)) {
        setFreeStart(next, false);
        indexRemove(next);
        indexRemove(b);
        b->size += next->size;
        indexAdd(b);
        b->next = next->next;
        if (next->next) next->next->prev = b;
        else m_freeTail = b;
        --m_blockCount;
        --m_freeCount;
    }
    return b;
}

int MemoryManager::free(void* p) {
    host::CriticalSectionLock lock(m_lock);
    if (!contains(p)) return 0;
    Block* b = usedBlockOf(p);
    if (!b) {
        // Claimed all the same: the caller would otherwise hand it to the process heap's free.
        mrc_log("MemoryManager::free: %p is not the data of a used block", p);
        return 1;
    }
    releaseBlock(b, lastFreeBelow(b));
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

void* MemoryManager::alloc(uint32_t size) {
    host::CriticalSectionLock lock(m_lock);
    if (!m_base) {
        mrc_log("MemoryManager::alloc: the heap is destroyed");
        return nullptr;
    }
    const uint64_t needed = std::max<uint64_t>(roundUp(size) + m_headerSize, kMinBlock);
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
            b = compactGaps(needed);
            if (!b) b = compactSliding(needed);
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
        for (Block* f = m_freeHead; f && f->next; f = f->next) {
            Block* n = f->next;
            int64_t gapLength = bytes(n) - (bytes(f) + f->size);
            gaps.push_back({f->size + n->size - gapLength, f});
        }
        Block* merged = nullptr;
        auto tryGap = [&](const Gap& gap) {
            Block* f = gap.first;
            Block* n = f->next;
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
        for (Block* f = m_freeHead; f; f = f->next) {
            if (f != m_freeHead && uint64_t(end() - bytes(f)) <= needed) break;
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
    m_freeHead = m_freeTail = nullptr;
    m_freeCount = 0;
    m_bySize.clear();
    std::fill(m_freeStarts.begin(), m_freeStarts.end(), 0);
    std::fill(m_freeStartWords.begin(), m_freeStartWords.end(), 0);
    if (freeStart < freeEnd) {
        Block* f = blockAt(freeStart);
        setFreeStart(f, true);
        f->size = freeEnd - freeStart;
        f->prev = f->next = nullptr;
        m_freeHead = m_freeTail = f;
        m_freeCount = 1;
        indexAdd(f);
        if (m_stress && f->size > int64_t(sizeof(Block))) {
            std::memset(freeStart + sizeof(Block), kPoison, f->size - sizeof(Block));
        }
    }
    m_blockCount = usedBlocks + m_freeCount;
    return moved;
}

bool MemoryManager::compactAll() {
    host::CriticalSectionLock lock(m_lock);
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
    host::CriticalSectionLock lock(m_lock);
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
        if (m_freeHead || m_freeTail || m_blockCount || m_freeCount || m_used) {
            return fail("destroyed heap keeps blocks");
        }
        return true;
    }
    int32_t blocks = 0;
    int32_t frees = 0;
    int64_t usedBytes = 0;
    Block* expectedFree = m_freeHead;  // the free list must meet the free blocks in address order
    Block* lastFree = nullptr;
    bool previousFree = false;
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
            if (b != expectedFree) return fail("free block at +%" PRIu64 " is not next in the free list", offset);
            if (b->prev != lastFree) return fail("free block at +%" PRIu64 " links back wrongly", offset);
            if (!(m_freeStarts[offset / kAlign / 64] >> (offset / kAlign % 64) & 1)) {
                return fail("free block at +%" PRIu64 " is missing from the free-start map", offset);
            }
            ++frees;
            lastFree = b;
            expectedFree = b->next;
            previousFree = true;
        }
        p += size;
    }
    if (expectedFree) return fail("free list holds a block that is not a free block of the heap");
    if (m_freeTail != lastFree) return fail("free tail is not the last free block");
    if (blocks != m_blockCount) return fail("block count %d, counted %d", m_blockCount, blocks);
    if (frees != m_freeCount) return fail("free count %d, counted %d", m_freeCount, frees);
    if (usedBytes != m_used) return fail("used %d, counted %" PRId64, m_used, usedBytes);
    if (m_peak < m_used) return fail("peak %d below used %d", m_peak, m_used);
    if (m_bySize.size() != std::size_t(frees)) return fail("size index holds %zu blocks, the heap has %d free", m_bySize.size(), frees);
    for (Block* b = m_freeHead; b; b = b->next) {
        if (!m_bySize.count({uint64_t(b->size), b})) return fail("free block at +%td is missing from the size index", bytes(b) - m_base);
    }
    int64_t starts = 0;
    for (uint64_t word : m_freeStarts) starts += __builtin_popcountll(word);
    if (starts != frees) return fail("free-start map marks %" PRId64 " blocks, the heap has %d", starts, frees);
    return true;
}

}  // namespace mrc
