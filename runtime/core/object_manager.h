// The registry of every Java object, the allocation entry points, and the stop-the-world
// mark-and-sweep collector.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/core/owner_gate.h"
#include "host/core/sync.h"
#include "runtime/heap/memory_manager.h"

class Object;
class ObjectArray;
class BoolArray;
class ByteArray;
class CharArray;
class ShortArray;
class IntArray;
class Long64Array;
class FloatArray;
class DoubleArray;

namespace mrc {

class Application;
struct SpilledRegisters;

// Collection flags.
enum GcFlags : uint32_t {
    kGcForced = 1,
    kGcShutdown = 2,
    kGcRequested = 4,
    kGcKeepNewest = 8,
};

// A data buffer and the slot that owns it (null until registered), for the stack scan's interior
// pointers.
struct DataBlock {
    uintptr_t start;
    uintptr_t end;
    void** owner;
};

class ObjectManager {
public:
    ObjectManager(Application* application, MemoryManager* objectHeap, MemoryManager* dataHeap);
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    // kind 0: zeroed, registered object-heap block (null when exhausted even after collecting);
    // kind 1: zeroed data-heap block, process heap when the data heap is full; not registered.
    void* allocObject(std::size_t size, int kind);
    // Zeroed buffer: data heap first, process heap second. Never null for size > 0 unless the
    // process itself is out of memory.
    void* allocData(std::size_t size);
    // Element buffer of an array object: length × element size, null for a length below 1 or
    // a byte size that overflows (treated as exhausted memory).
    void* allocArrayData(int32_t length, int32_t elementSize);
    // Records `slot` as the owner slot of the data buffer its value points at: the data heap's
    // compaction rewrites it, and a pointer into the buffer keeps the object holding the slot.
    void registerMovable(Object* owner, void** slot);
    // Returns a buffer to whichever heap holds it (data heap, object heap, process heap).
    void releaseBuffer(void* p);
    // The data buffers that fell back to the process heap, in address order; read under
    // fallbackLock().
    const std::vector<DataBlock>& fallbackBuffers() const { return m_fallback; }
    host::CriticalSection& fallbackLock() const { return m_fallbackLock; }

    // Arrays with zeroed elements (runtime/core/arrays.cpp); null when the object heap is
    // exhausted or the elements' byte size overflows. An ObjectArray does not keep its element
    // class. A negative length is reported and yields an array of that length without elements.
    ObjectArray* newObjectArray(int32_t elementClass, int32_t length);
    BoolArray* newBoolArray(int32_t length);
    ByteArray* newByteArray(int32_t length);
    CharArray* newCharArray(int32_t length);
    ShortArray* newShortArray(int32_t length);
    IntArray* newIntArray(int32_t length);
    Long64Array* newLongArray(int32_t length);
    FloatArray* newFloatArray(int32_t length);
    DoubleArray* newDoubleArray(int32_t length);

    // Object-heap storage without registration; the caller registers once the header is set.
    void* allocObjectStorage(std::size_t size);
    // The same, not zeroed: for a caller that zeroes a size it knows at compile time.
    void* allocObjectBlock(std::size_t size);
    void registerObject(Object* object);

    // One collection; see GcFlags. Flags 0 run at most once per 200 ms.
    void gc(uint32_t flags);
    // Stops every other Java thread and leaves them stopped (the runtime's shutdown): in the
    // collector's own order, its lock before the world, so that none is stopped holding the lock
    // while it waits for the world.
    void haltOtherThreads();
    void markFrom(Object* object);
    void scanStackRange(const void* from, const void* to);
    // The registered object whose storage contains `address` (interior pointers included).
    Object* findObjectContaining(uintptr_t address) const;

    void printStatistics();
    bool dumpHeap(const char* path = "memdump.dat");

    // Monitors (synchronized entry and exit).
    void monitorEnter(Object* object);
    void monitorExit(Object* object);

    // While collecting: the collecting thread's registers at the collector's entry, and the
    // lowest address of its frames at that entry (its own stack roots begin there).
    const SpilledRegisters* callerRegisters() const { return m_callerRegisters; }
    uintptr_t callerFrames() const { return m_callerFrames; }

    int32_t objectCount() const;
    // Unlocked: for a caller no other thread can race (the world stopped, or the only thread left).
    Object* objectAt(int32_t index) const { return m_objects[index]; }
    uint64_t collections() const { return m_collections.load(std::memory_order_relaxed); }

    MemoryManager* objectHeap() const { return m_objectHeap; }
    MemoryManager* dataHeap() const { return m_dataHeap; }

private:
    class RegistryLock;
    void registerLocked(Object* object);
    void growRegistry();
    DataBlock* fallbackAt(const void* p);  // the listed buffer starting at p; m_fallbackLock held
    void clearMarks();
    void markRoots(uint32_t flags);
    void sweep();
    void destroySwept();
    bool reserveCollectionSpace(bool check);
    static void collectorHook(void* self);

    // Registry (object pointers), its capacity and count.
    Object** m_objects = nullptr;
    int32_t m_capacity = 0;
    int32_t m_count = 0;
    int32_t m_marksClearedBelow = 0;  // registry entries below this index have clear marks
    // The object heap's bounds, for the start bits.
    uintptr_t m_heapLo = 0;
    uintptr_t m_heapHi = 0;
    bool m_stress = false;  // MRC_GC_STRESS: collect (and compact the data heap) at every allocation
    Application* m_application;
    MemoryManager* m_objectHeap;
    MemoryManager* m_dataHeap;
    // Mark stack of objects still to scan: grows instead of stopping at a fixed depth.
    std::vector<Object*> m_markStack;
    // One bit per 8 bytes of the object heap: set at each registered object's start, so that the
    // conservative scan can map an interior pointer to its object.
    std::vector<uint64_t> m_startBits;
    // The sweep's dead objects in the object heap: their storage is returned in address order
    // once every destructor has run, the heap reading (and clearing) the map.
    MemoryManager::BlockMap m_dead;
    // The sweep's dead objects in the order their destructors run. A stopped thread may hold the
    // process heap's lock, so nothing that may reach it (a destructor, a free, a growing vector)
    // runs while the world is stopped: this is sized before the stop like the mark stack, and
    // the destructors run once the world goes on. Only the collector (under its lock) touches it.
    std::vector<Object*> m_swept;  // its size is its room; m_sweptCount entries are used
    std::size_t m_sweptCount = 0;
    std::vector<DataBlock> m_fallback;
    mutable host::CriticalSection m_fallbackLock;
    mutable host::CriticalSection m_registryLock;
    // The first thread to register an object registers without the lock while it is the only
    // user of the registry; the collector's own locked access ends that before it stops the world.
    host::OwnerGate m_gate;
    host::CriticalSection m_collectorLock;
    std::atomic<uint64_t> m_collections{0};
    const SpilledRegisters* m_callerRegisters = nullptr;
    uintptr_t m_callerFrames = 0;
};

// The process's out-of-store handler: logs and throws std::bad_alloc.
void mrc_onOutOfStore();

}  // namespace mrc
