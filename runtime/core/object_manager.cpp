#include "runtime/core/object_manager.h"

#include <cstdio>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/object.h"
#include "runtime/core/native_stack.h"
#include "runtime/core/static_class.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"

namespace mrc {

namespace {

constexpr uint32_t kCollectionInterval = 200;  // ms between collections asked with flags 0
constexpr int32_t kInitialRegistry = 512;
constexpr uintptr_t kStartGranule = 8;          // object starts are 8-byte aligned
constexpr int32_t kSweepAhead = 16;             // registry entries fetched ahead of their object's use

// The reference maps of a runtime without a StaticClass: only object arrays hold references.
constexpr auto kArraysOnly = [] {
    std::array<uint64_t, kClassCount> maps{};
    maps[kClass_ObjectArray] = 1;
    return maps;
}();

// Collect and compact at every allocation, so that stale pointers to moved data show up in tests.
bool stressMode() {
    static const bool on = [] {
        const char* v = std::getenv("MRC_GC_STRESS");
        return v && *v && *v != '0';
    }();
    return on;
}

// Bytes an object owns outside itself, as the statistics and the heap dump count them.
int64_t dataBytesOf(Object* o) {
    switch (o->m_classId) {
    case kClass_String: {
        auto* s = static_cast<String*>(o);
        return s->chars ? 2 * static_cast<int64_t>(s->count()) : 0;
    }
    case kClass_StringBuffer: {
        auto* b = static_cast<StringBuffer*>(o);
        return b->chars ? 2 * static_cast<int64_t>(b->length) : 0;
    }
    default:
        if (o->m_classId >= kClass_ObjectArray && o->m_classId <= kClass_DoubleArray) {
            auto* a = static_cast<JArray*>(o);
            return a->data && a->length > 0 ? static_cast<int64_t>(a->length) * a->elementSize() : 0;
        }
        return 0;
    }
}

struct CallName {
    Application* app;
    explicit CallName(Application* a, const char* name) : app(a) { app->pushMethodName(name); }
    ~CallName() { app->popMethodName(); }
};

}  // namespace

// The registry's lock, after the gate has let the calling thread in.
class ObjectManager::RegistryLock : host::GatedLock {
public:
    explicit RegistryLock(const ObjectManager& om) : GatedLock(om.m_gate, om.m_registryLock) {}
};

ObjectManager::ObjectManager(Application* application, MemoryManager* objectHeap, MemoryManager* dataHeap)
    : m_application(application), m_objectHeap(objectHeap), m_dataHeap(dataHeap) {
    m_heapLo = reinterpret_cast<uintptr_t>(objectHeap->base());
    m_heapHi = m_heapLo + objectHeap->size();
    m_stress = stressMode();
    m_startBits.assign((objectHeap->size() / kStartGranule + 63) / 64, 0);
    m_dead = objectHeap->blockMap();
    m_markStack.reserve(512);
    objectHeap->setCollectorHook(&ObjectManager::collectorHook, this);
    dataHeap->setCollectorHook(&ObjectManager::collectorHook, this);
    // Data moves only while the other Java threads are stopped at safe points.
    dataHeap->setCompactionHooks([](void*) { ApplicationImpl::getInstance()->suspendOtherThreadsAtSafePoints(); },
                                 [](void*) { ApplicationImpl::getInstance()->resumeOtherThreads(); }, nullptr);
}

ObjectManager::~ObjectManager() {
    m_objectHeap->setCollectorHook(nullptr, nullptr);
    m_dataHeap->setCollectorHook(nullptr, nullptr);
    m_dataHeap->setCompactionHooks(nullptr, nullptr, nullptr);
    std::free(m_objects);
}

void ObjectManager::collectorHook(void* self) { static_cast<ObjectManager*>(self)->gc(kGcForced | kGcKeepNewest); }

// ---- allocation ---------------------------------------------------------------------------

void* ObjectManager::allocObjectBlock(std::size_t size) {
    ApplicationImpl::getInstance()->safePoint();
    if (m_stress) [[unlikely]] {
        gc(kGcForced);
        m_dataHeap->compactAll();
    }
    if (size > UINT32_MAX) return nullptr;
    return m_objectHeap->alloc(static_cast<uint32_t>(size));
}

void* ObjectManager::allocObjectStorage(std::size_t size) {
    void* p = allocObjectBlock(size);
    if (p) std::memset(p, 0, size);
    return p;
}

void* ObjectManager::allocObject(std::size_t size, int kind) {
    if (kind != 0) return allocData(size);
    void* p = allocObjectStorage(size);
    if (p) registerObject(static_cast<Object*>(p));
    return p;
}

void* ObjectManager::allocData(std::size_t size) {
    ApplicationImpl::getInstance()->safePoint();
    if (m_stress) {
        gc(kGcForced);
        m_dataHeap->compactAll();
    }
    void* p = size <= UINT32_MAX ? m_dataHeap->alloc(static_cast<uint32_t>(size)) : nullptr;
    if (!p) {
        p = std::malloc(size ? size : 1);
        if (!p) {
            mrc_onOutOfStore();
            return nullptr;
        }
        // Listed, so that a pointer into it keeps its owner alive like one into the data heap.
        auto start = reinterpret_cast<uintptr_t>(p);
        host::CriticalSectionLock lock(m_fallbackLock);
        auto at = std::lower_bound(m_fallback.begin(), m_fallback.end(), start,
                                   [](const DataBlock& b, uintptr_t a) { return b.start < a; });
        m_fallback.insert(at, DataBlock{start, start + (size ? size : 1), nullptr});
    }
    std::memset(p, 0, size);
    return p;
}

void* ObjectManager::allocArrayData(int32_t length, int32_t elementSize) {
    if (length < 1 || elementSize < 1) return nullptr;
    uint64_t bytes = static_cast<uint64_t>(length) * static_cast<uint64_t>(elementSize);
    if (bytes > UINT32_MAX) {
        mrc_log("ERROR: Operator new failed: out of store.");
        return nullptr;
    }
    return allocData(static_cast<std::size_t>(bytes));
}

void ObjectManager::registerMovable(Object*, void** slot) {
    if (!slot || !*slot) return;
    if (m_dataHeap->contains(*slot)) {
        m_dataHeap->registerOwner(*slot, slot);
        return;
    }
    // Written under the lock: another thread adding or removing a buffer may move the entry.
    host::CriticalSectionLock lock(m_fallbackLock);
    if (DataBlock* b = fallbackAt(*slot)) b->owner = slot;
}

DataBlock* ObjectManager::fallbackAt(const void* p) {
    auto start = reinterpret_cast<uintptr_t>(p);
    auto at = std::lower_bound(m_fallback.begin(), m_fallback.end(), start,
                               [](const DataBlock& b, uintptr_t a) { return b.start < a; });
    return at != m_fallback.end() && at->start == start ? &*at : nullptr;
}

void ObjectManager::releaseBuffer(void* p) {
    if (!p) return;
    if (m_dataHeap->free(p)) return;
    if (m_objectHeap->free(p)) return;
    {
        host::CriticalSectionLock lock(m_fallbackLock);
        if (DataBlock* b = fallbackAt(p)) m_fallback.erase(m_fallback.begin() + (b - m_fallback.data()));
    }
    std::free(p);
}

// ---- registry -----------------------------------------------------------------------------

void ObjectManager::registerObject(Object* object) {
    host::HeldLocks& self = host::heldLocks();
    if (m_gate.enter(self)) {
        // Left on the way out, a growth that throws included.
        struct Leave {
            const ObjectManager* om;
            host::HeldLocks& self;
            ~Leave() { om->m_gate.leave(self); }
        } leave{this, self};
        registerLocked(object);
        return;
    }
    RegistryLock lock(*this);
    registerLocked(object);
}

[[gnu::always_inline]] inline void ObjectManager::registerLocked(Object* object) {
    if (m_count == m_capacity) [[unlikely]] {
        growRegistry();
        if (m_count == m_capacity) return;
    }
    // The previous newcomer's mark is cleared now, while its header is likely still cached: the
    // next collection's clearing pass is left with the newest alone.
    if (m_count > m_marksClearedBelow) {
        m_objects[m_count - 1]->m_mark = 0;
        m_marksClearedBelow = m_count;
    }
    m_objects[m_count++] = object;
    const auto address = reinterpret_cast<uintptr_t>(object);
    if (address >= m_heapLo && address < m_heapHi) [[likely]] {
        const uintptr_t bit = (address - m_heapLo) / kStartGranule;
        m_startBits[bit / 64] |= uint64_t{1} << (bit % 64);
    }
}

__attribute__((noinline)) void ObjectManager::growRegistry() {
    int32_t capacity = m_capacity ? m_capacity * 2 : kInitialRegistry;
    auto* grown = static_cast<Object**>(std::calloc(static_cast<std::size_t>(capacity), sizeof(Object*)));
    if (!grown) {
        mrc_onOutOfStore();
        return;
    }
    if (m_objects) std::memcpy(grown, m_objects, sizeof(Object*) * static_cast<std::size_t>(m_count));
    std::free(m_objects);
    m_objects = grown;
    m_capacity = capacity;
}

int32_t ObjectManager::objectCount() const {
    RegistryLock lock(*this);
    return m_count;
}

Object* ObjectManager::findObjectContaining(uintptr_t address) const {
    uintptr_t base = reinterpret_cast<uintptr_t>(m_objectHeap->base());
    if (address < base || address >= base + m_objectHeap->size()) return nullptr;
    uintptr_t bit = (address - base) / kStartGranule;
    // Nearest object start at or below the address.
    intptr_t word = static_cast<intptr_t>(bit / 64);
    uint64_t bits = m_startBits[static_cast<std::size_t>(word)] & (~uint64_t{0} >> (63 - bit % 64));
    while (!bits) {
        if (--word < 0) return nullptr;
        bits = m_startBits[static_cast<std::size_t>(word)];
    }
    uintptr_t startBit = static_cast<uintptr_t>(word) * 64 + (63 - static_cast<uintptr_t>(__builtin_clzll(bits)));
    uintptr_t start = base + startBit * kStartGranule;
    uint32_t size = m_objectHeap->blockSize(reinterpret_cast<void*>(start));
    return address < start + size ? reinterpret_cast<Object*>(start) : nullptr;
}

// The entry points of every object creation (newObject): here, so that the manager's own steps
// are inlined into them.
[[gnu::flatten]] void* allocObjectBlock(std::size_t size) {
    return ApplicationImpl::getApplication()->objectManager->allocObjectBlock(size);
}

[[gnu::flatten]] void registerObject(Object* object, RefFieldsRegistrar refFields) {
    Application* app = ApplicationImpl::getApplication();
    uint16_t id = object->m_classId;
    if (refFields && id < kClassCount) {
        int32_t* const* known = &app->staticClass->records()[id].refOffsets;
        if (!__atomic_load_n(known, __ATOMIC_ACQUIRE)) refFields(object);
    }
    app->objectManager->registerObject(object);
}

// ---- collection ---------------------------------------------------------------------------

__attribute__((noinline)) void ObjectManager::gc(uint32_t flags) {
    // The caller's registers and frames (this one included: its prologue saved the caller's
    // registers here) are roots. The collector's deeper frames are not: scanning them would find
    // stale copies of the pointers it walked (the registry, the marks).
    // Zeroed first: the capture leaves parts of the context unwritten, and stale words there
    // (left by earlier frames at this depth) would keep whatever they point at alive.
    SpilledRegisters callerRegisters{};
    callerRegisters.capture();
    uintptr_t callerFrames = currentStackPointer();
    CallName name(m_application, "ObjectManager::gc()");
    ApplicationImpl* impl = ApplicationImpl::getInstance();

    uint32_t now = host::tickCount();
    if (flags == 0 && now - impl->lastCollectionTick.load() < kCollectionInterval) return;
    impl->lastCollectionTick.store(now);

    // Waiting for the collector lock is a safe point: a collection on another thread scans us.
    impl->enterAtSafePoint(m_collectorLock);

    m_callerRegisters = &callerRegisters;
    m_callerFrames = callerFrames;
    // A thread stopped anywhere may hold the process heap's lock: whatever the stopped section
    // needs is reserved before, and checked once everyone stands still (others may have
    // allocated in between).
    for (;;) {
        reserveCollectionSpace(false);
        impl->suspendOtherThreads();
        if (reserveCollectionSpace(true)) break;
        impl->resumeOtherThreads();
    }
    {
        RegistryLock lock(*this);
        clearMarks();
        if (flags & kGcShutdown) {
            for (int32_t i = 0; i < m_count; ++i) m_objects[i]->m_collectable = 1;
        } else {
            markRoots(flags);
        }
        sweep();
    }
    m_callerRegisters = nullptr;
    m_callerFrames = 0;
    impl->resumeOtherThreads();
    // The dead are unreachable, so their destructors may run while the others go on; the
    // collector lock keeps the next collection waiting until their storage is back.
    destroySwept();
    m_collections.fetch_add(1, std::memory_order_relaxed);
    impl->lastCollectionTick.store(host::tickCount());
    m_collectorLock.leave();
}

// With `check` false, makes room for the mark stack and the stack scan's block table; with
// `check` true, says whether the room made suffices for the objects and blocks there are now.
bool ObjectManager::reserveCollectionSpace(bool check) {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    // Every object is pushed at most once; the threads outside the heap (the UI thread's) too.
    std::size_t objects = static_cast<std::size_t>(objectCount()) + kThreadSlots + 1;
    std::size_t blocks = static_cast<std::size_t>(m_dataHeap->blockCount());
    if (check) return m_markStack.capacity() >= objects && m_swept.size() >= objects && impl->hasScanSpace(blocks);
    // Headroom for what the others allocate before they stop.
    m_markStack.reserve(objects + objects / 4 + 64);
    if (m_swept.size() < objects) m_swept.resize(objects + objects / 4 + 64);
    impl->reserveScanSpace(blocks + blocks / 4 + 64);
    return true;
}

void ObjectManager::haltOtherThreads() {
    // A thread that wants the lock once it is free gives it back and parks: the world is stopped.
    m_collectorLock.enter();
    ApplicationImpl::getInstance()->suspendOtherThreads();
    m_collectorLock.leave();
}

void ObjectManager::clearMarks() {
    // The sweep leaves every survivor's mark clear, and nothing else removes objects; each
    // registration clears the one before it. Only the newest objects (born with mark 1) are left.
    Object** objects = m_objects;
    const int32_t count = m_count;
    for (int32_t i = std::min(m_marksClearedBelow, count); i < count; ++i) {
        if (i + kSweepAhead < count) __builtin_prefetch(objects[i + kSweepAhead], 1);
        objects[i]->m_mark = 0;
    }
    // Thread objects outside the heap (the UI thread's) are roots whose marks must be fresh too.
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    for (auto& slot : impl->threads)
        if (slot.thread) slot.thread->m_mark = 0;
}

void ObjectManager::markRoots(uint32_t flags) {
    StaticClass* sc = m_application->staticClass;
    if (sc) {
        for (Object** root : sc->roots()) markFrom(*root);
        markFrom(reinterpret_cast<Object*>(sc->stringConstants));
    }
    Object** roots = m_application->roots();
    for (int i = 0; i < Application::kRootCount; ++i) markFrom(roots[i]);
    // Pending exceptions must survive until they are caught.
    markFrom(m_application->pendingException);
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    for (auto& slot : impl->threads) {
        if (!slot.thread) continue;
        markFrom(slot.pendingException);
        // A started thread lives until its run returns, and so does what it references.
        markFrom(slot.thread);
    }
    impl->scanThreadStacks(this);
    if ((flags & kGcKeepNewest) && m_count > 0) markFrom(m_objects[m_count - 1]);
}

// Depth-first with an explicit, growing stack of objects still to scan. Each object is marked when
// it is first met and scanned once, whole; objects without references (strings, primitive arrays)
// are marked and never scanned. A reference found is prefetched and looked at only kAhead
// references later, when its header has had time to arrive: the walk waits on memory far less
// often. An object with a single non-null reference (a list's node) hands it on at once
// instead: waiting would win nothing on a chain, whose next load needs that header anyway.
void ObjectManager::markFrom(Object* root) {
    if (!root || root->m_mark || root->m_classId >= kClassCount) return;
    root->m_mark = 1;
    StaticClass* sc = m_application->staticClass;
    const uint64_t* maps = sc ? sc->refMaps() : kArraysOnly.data();
    const ClassRecord* records = sc ? sc->records() : nullptr;
    if (!maps[root->m_classId]) return;
    // Marks a reference met; true when it has references of its own to scan.
    auto claim = [maps](Object* e) {
        if (e->m_mark || e->m_classId >= kClassCount) return false;
        e->m_mark = 1;
        return maps[e->m_classId] != 0;
    };
    // Whether an object's mapped fields are all null: its header has just arrived with them, so
    // a leaf is finished here instead of waiting on the stack (and on memory again) for its scan.
    auto allNull = [maps](Object* e) {
        uint64_t map = maps[e->m_classId];
        if (map & 1) return false;
        auto* base = reinterpret_cast<char*>(e);
        uintptr_t any = 0;
        for (; map; map &= map - 1) any |= *reinterpret_cast<uintptr_t*>(base + 8 * __builtin_ctzll(map));
        return any == 0;
    };
    constexpr unsigned kAhead = 8;
    Object* ahead[kAhead] = {};
    unsigned slot = 0;
    unsigned waiting = 0;  // the references in `ahead`, the last `waiting` slots before `slot`
    auto defer = [&](Object* e) __attribute__((always_inline)) {
        __builtin_prefetch(e, 1);
        Object* due = ahead[slot];
        ahead[slot] = e;
        slot = (slot + 1) % kAhead;
        if (waiting < kAhead) ++waiting;
        else if (claim(due) && !allNull(due)) m_markStack.push_back(due);
    };
    // The current class, looked up again only when the class changes: a predicted branch, not a
    // load, while objects of one class follow each other. A class of at most two references in
    // the word map is read without a loop (`pair`): at two offsets, the same one twice for a class
    // of one reference.
    uint16_t lastId = kClassCount;
    uint64_t lastMap = 0;
    bool pair = false;
    bool singleRef = false;
    uint32_t firstOffset = 0, secondOffset = 0;
    m_markStack.clear();
    m_markStack.push_back(root);
    while (!m_markStack.empty()) {
        do {
            Object* current = m_markStack.back();
            m_markStack.pop_back();
            for (;;) {
                const uint16_t id = current->m_classId;
                if (id != lastId) {
                    lastId = id;
                    lastMap = maps[id];
                    const uint64_t m = lastMap;
                    pair = m && !(m & 1) && __builtin_popcountll(m) <= 2;
                    if (pair) {
                        const uint64_t rest = m & (m - 1);
                        singleRef = rest == 0;
                        firstOffset = 8 * __builtin_ctzll(m);
                        secondOffset = singleRef ? firstOffset : 8 * __builtin_ctzll(rest);
                    }
                }
                if (pair) {
                    // Few instructions per object matter most here: a chain (a list) waits on each
                    // header, and the more objects' loads the core holds in flight, the less; and
                    // only predicted branches, no arithmetic, between one object's reference and
                    // the next object's load. So this loop stays within the class, whose id then
                    // checks the next object's, and a class of one reference reads it twice.
                    const uint32_t one = firstOffset, two = secondOffset;
                    const bool single = singleRef;
                    Object* next;
                    for (;;) {
                        auto* fields = reinterpret_cast<char*>(current);
                        Object* a = *reinterpret_cast<Object**>(fields + one);
                        Object* b = *reinterpret_cast<Object**>(fields + two);
                        if (a) {
                            if (b && !single) {
                                defer(a);
                                defer(b);
                                next = nullptr;
                                break;
                            }
                            next = a;
                        } else if (b) {
                            next = b;
                        } else {
                            next = nullptr;
                            break;
                        }
                        if (next->m_mark) {
                            next = nullptr;
                            break;
                        }
                        if (next->m_classId != id) break;
                        next->m_mark = 1;
                        current = next;
                    }
                    // Another class: the next turn looks up its map, and stops there when it has
                    // no references.
                    if (!next || next->m_classId >= kClassCount) break;
                    next->m_mark = 1;
                    current = next;
                    continue;
                }
                Object* first = nullptr;  // the first non-null reference, held back while it is the only one
                bool several = false;
                auto meet = [&](Object* e) {
                    if (!e) return;
                    if (first) {
                        if (!several) defer(first);
                        several = true;
                        defer(e);
                    } else {
                        first = e;
                    }
                };
                const uint64_t map = lastMap;
                auto* base = reinterpret_cast<char*>(current);
                if (!(map & 1)) {
                    for (uint64_t m = map; m; m &= m - 1)
                        meet(*reinterpret_cast<Object**>(base + 8 * __builtin_ctzll(m)));
                } else if (id == kClass_ObjectArray) {
                    auto* array = static_cast<JArray*>(current);
                    auto** elements = static_cast<Object**>(array->data);
                    for (int32_t i = 0, n = elements ? array->length : 0; i < n; ++i) meet(elements[i]);
                } else {
                    const ClassRecord& record = records[id];
                    for (int32_t i = 0; i < record.refCount; ++i)
                        meet(*reinterpret_cast<Object**>(base + record.refOffsets[i]));
                }
                if (!first || several || !claim(first)) break;
                current = first;
            }
        } while (!m_markStack.empty());
        // Oldest first, until one of them has references to follow.
        while (waiting && m_markStack.empty()) {
            Object*& e = ahead[(slot + kAhead - waiting) % kAhead];
            if (claim(e)) m_markStack.push_back(e);
            e = nullptr;
            --waiting;
        }
    }
}

__attribute__((no_sanitize("address", "thread"))) void ObjectManager::scanStackRange(const void* from, const void* to) {
    auto lo = reinterpret_cast<uintptr_t>(from);
    auto hi = reinterpret_cast<uintptr_t>(to);
    if (lo > hi) std::swap(lo, hi);
    lo = (lo + sizeof(uintptr_t) - 1) & ~(sizeof(uintptr_t) - 1);
    uintptr_t heapLo = reinterpret_cast<uintptr_t>(m_objectHeap->base());
    uintptr_t heapHi = heapLo + m_objectHeap->size();
    for (uintptr_t p = lo; p + sizeof(uintptr_t) <= hi; p += sizeof(uintptr_t)) {
        uintptr_t word = *reinterpret_cast<const uintptr_t*>(p);
        if (word < heapLo || word >= heapHi) continue;
        Object* object = findObjectContaining(word);
        if (object && !object->m_mark) markFrom(object);
    }
}

// Unregisters every dead object, while the world is stopped; destroySwept ends them later.
// Locals throughout: a mark is a byte store, after which the compiler would reload any member.
void ObjectManager::sweep() {
    Object** objects = m_objects;
    Object** swept = m_swept.data();  // one slot per object, sized before the stop
    uint64_t* starts = m_startBits.data();
    const uintptr_t lo = m_heapLo;
    const uintptr_t hi = m_heapHi;
    int32_t count = m_count;
    std::size_t dead = 0;
    for (int32_t i = count - 1; i >= 0; --i) {
        // The registry is read in order, the objects it points at are not: fetch them ahead.
        if (i >= kSweepAhead) __builtin_prefetch(objects[i - kSweepAhead], 1);
        Object* object = objects[i];
        if (object->m_mark || object->m_collectable != 1) {
            object->m_mark = 0;  // ready for the next collection
            continue;
        }
        objects[i] = objects[--count];
        objects[count] = nullptr;
        const auto address = reinterpret_cast<uintptr_t>(object);
        if (address >= lo && address < hi) {
            const uintptr_t bit = (address - lo) / kStartGranule;
            starts[bit / 64] &= ~(uint64_t{1} << (bit % 64));
        }
        swept[dead++] = object;
    }
    m_count = count;
    m_sweptCount = dead;
    m_marksClearedBelow = m_count;
}

// Runs the dead objects' destructors in the sweep's order, then returns their storage.
void ObjectManager::destroySwept() {
    const uintptr_t base = m_heapLo;
    const uintptr_t end = m_heapHi;
    Object* const* swept = m_swept.data();
    const std::size_t dead = m_sweptCount;
    m_sweptCount = 0;
    for (std::size_t k = 0; k < dead; ++k) {
        if (k + kSweepAhead < dead) __builtin_prefetch(swept[k + kSweepAhead], 1);
        Object* object = swept[k];
        const auto address = reinterpret_cast<uintptr_t>(object);
        // The id is written through its address: after the destructor the storage is no longer
        // an Object (and the sanitizers' vptr check would rightly object to a member access).
        uint16_t* classId = &object->m_classId;
        object->~Object();
        *classId = kSweptClassId;
        if (address < base || address >= end) {
            releaseBuffer(object);
            continue;
        }
        // Noted while the block's header is likely still cached with the object.
        if (!m_objectHeap->note(m_dead, object))
            mrc_log("ObjectManager: %p is not the data of a used block", static_cast<void*>(object));
    }
    // The storage goes back at once and in address order: the heap merges each run of dead
    // neighbours before it indexes the result, and ends as if each had been freed alone.
    m_objectHeap->freeMapped(m_dead);
}

// ---- diagnostics --------------------------------------------------------------------------

void ObjectManager::printStatistics() {
    struct Sum {
        int64_t bytes;
        int32_t objects;
    };
    Sum sums[kClassCount] = {};
    int64_t total = 0;
    int32_t objects = 0;
    {
        RegistryLock lock(*this);
        for (int32_t i = 0; i < m_count; ++i) {
            Object* o = m_objects[i];
            if (o->m_classId >= kClassCount) continue;
            int64_t bytes = m_objectHeap->blockSize(o);
            // FloatArray and DoubleArray count only their block.
            if (o->m_classId != kClass_FloatArray && o->m_classId != kClass_DoubleArray) bytes += dataBytesOf(o);
            sums[o->m_classId].bytes += bytes;
            sums[o->m_classId].objects += 1;
        }
    }
    mrc_log("Memory allocation:");
    StaticClass* sc = m_application->staticClass;
    for (int id = 0; id < kClassCount; ++id) {
        if (!sums[id].objects) continue;
        mrc_log("\t%s: %d (%d)", kClassNames[id], static_cast<int>(sums[id].bytes), sums[id].objects);
        total += sums[id].bytes;
        objects += sums[id].objects;
    }
    int staticSize = sc ? static_cast<int>(sizeof(StaticClass)) : 0;
    mrc_log("\tStaticClass: %d", staticSize);
    mrc_log("\tTOTAL: %d (%d)", static_cast<int>(total + staticSize), objects);
}

// The heap dump: DataOutputStream values are big-endian, raw records native little-endian.
// Addresses are 64-bit here, so every address (and the words of a raw record) is written as a
// 64-bit word where the device wrote 32 bits.
bool ObjectManager::dumpHeap(const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        mrc_log("ObjectManager::dumpHeap: cannot open %s", path);
        return false;
    }
    auto be32 = [&](uint32_t v) {
        unsigned char b[4] = {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
        std::fwrite(b, 1, 4, f);
    };
    auto be16 = [&](uint16_t v) {
        unsigned char b[2] = {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
        std::fwrite(b, 1, 2, f);
    };
    auto raw = [&](uint64_t v) {
        unsigned char b[8];
        for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
        std::fwrite(b, 1, 8, f);
    };
    const unsigned char version[4] = {1, 0, 0, 0};
    std::fwrite(version, 1, 4, f);
    be32(kClassCount);
    for (int i = 0; i < kClassCount; ++i) {
        auto len = static_cast<uint16_t>(std::strlen(kClassNames[i]));
        be16(len);
        std::fwrite(kClassNames[i], 1, len, f);
    }
    {
        RegistryLock lock(*this);
        be32(static_cast<uint32_t>(m_count));
        for (int32_t i = 0; i < m_count; ++i) {
            Object* o = m_objects[i];
            void* data = nullptr;
            if (o->m_classId == kClass_String) data = static_cast<String*>(o)->chars;
            else if (o->m_classId == kClass_StringBuffer) data = static_cast<StringBuffer*>(o)->chars;
            else if (o->m_classId >= kClass_ObjectArray && o->m_classId <= kClass_DoubleArray)
                data = static_cast<JArray*>(o)->data;
            raw(o->m_classId);
            raw(reinterpret_cast<uintptr_t>(o));
            raw(m_objectHeap->blockSize(o) + m_objectHeap->headerSize());
            raw(0);
            raw(data ? 1 : 0);
            if (data) {
                raw(reinterpret_cast<uintptr_t>(data));
                raw(m_dataHeap->contains(data) ? m_dataHeap->blockSize(data) + m_dataHeap->headerSize()
                                               : static_cast<uint64_t>(-1));
                raw(static_cast<uint64_t>(dataBytesOf(o)));
            }
        }
    }
    for (MemoryManager* heap : {m_objectHeap, m_dataHeap}) {
        int32_t n = 0;
        heap->forEachFreeBlock([&](void*, uint32_t) { ++n; });
        be32(static_cast<uint32_t>(n));
        heap->forEachFreeBlock([&](void* block, uint32_t size) {
            raw(reinterpret_cast<uintptr_t>(block));
            raw(size);
        });
    }
    bool ok = std::fflush(f) == 0;
    std::fclose(f);
    return ok;
}

void mrc_onOutOfStore() {
    mrc_log("ERROR: Operator new failed: out of store.");
    throw std::bad_alloc();
}

}  // namespace mrc
