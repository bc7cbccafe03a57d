// The two records that hold the running system together.
//
// `Application` is the per-run record that translated code reaches: the five root references,
// the StaticClass store, the ObjectManager, the two heaps, the call-name stack and the pending
// exception. `ApplicationImpl` is the single native runtime context: the thread table, the
// monitor table, the collector's stop-the-world state, and (defined by the platform layer) the
// display, the window flags and the main loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/core/sync.h"
#include "host/core/thread.h"
#include "runtime/core/monitor.h"
#include "runtime/core/native_stack.h"
#include "runtime/core/object_manager.h"

class Object;
class String;
namespace host {
class Window;
}
class java_lang_Thread;

namespace mrc {

class Display;
class MemoryManager;
class ObjectManager;
class StaticClass;

inline constexpr int kThreadSlots = 8;
inline constexpr int kCallNameDepth = 256;
inline constexpr uint32_t kObjectHeapSize = 0x300000;
inline constexpr uint32_t kDataHeapSize = 0xE00000;

// ThreadSlot::parked: how far a thread is stopped. At a safe point it holds no pointer into
// movable data; waiting for a runtime lock it may hold one (the lock's callers work on data), so
// it holds still for a collection but not for compaction.
inline constexpr uint8_t kRunning = 0;
inline constexpr uint8_t kParkedAtSafePoint = 1;
inline constexpr uint8_t kParkedInLockWait = 2;

// ApplicationImpl::stopTheWorld: no stop, a stop for a collection, a stop for moving data.
inline constexpr uint8_t kNoStop = 0;
inline constexpr uint8_t kStopForCollection = 1;
inline constexpr uint8_t kStopForMoving = 2;

// One Java thread known to the runtime. Slot 0 is the UI thread.
struct ThreadSlot {
    Object* thread = nullptr;                        // the java_lang_Thread; null = free slot
    std::shared_ptr<host::ThreadHandle> handle;      // the native thread; null until it is created
    std::atomic<host::ThreadId> id{0};
    uintptr_t stackBase = 0;                         // highest address the collector scans
    std::atomic<uintptr_t> savedStackPointer{0};     // taken when the thread parks
    // Set (kParkedAtSafePoint, kParkedInLockWait) while the thread cannot touch the heap:
    // parked at a safe point, inside a blocking call or waiting for a lock. The thread clears it
    // itself before it goes on.
    std::atomic<uint8_t> parked{0};
    // The stop the thread has suspended itself for (cooperative mode), 0 when none: the collector
    // resumes it when that stop ends.
    std::atomic<uint32_t> parkedForStop{0};
    // Set while the thread waits to stop the world itself; it may then hold the collector lock,
    // which no stop needs.
    std::atomic<uint8_t> waitingForWorld{0};
    // The thread's lock record, read by the collector while the thread is suspended.
    std::atomic<const host::HeldLocks*> heldLocks{nullptr};
    // Registers spilled when the thread parked (blocking calls) or was suspended; scanned with
    // the stack, since the thread's own copies may lie below its saved stack pointer.
    SpilledRegisters spilled{};
    host::ThreadContext suspendedContext{};
    // The thrown, not yet caught exception of this thread and the call site that met it.
    // Kept per thread: an exception left by a UI callback must not end the game thread's frame.
    Object* pendingException = nullptr;
    int32_t callSite = 0;

    void clear();
};

// Handler table of a translated method: triples {catch class id, first site, end site},
// ended by a catch class id of 0.
struct ExceptionHandler {
    int32_t catchClassId;
    int32_t firstSite;
    int32_t endSite;
};

class Application {
public:
    // The collector's root references, in this order; keep them first.
    Object* midlet = nullptr;
    Object* current = nullptr;
    Object* screenImage = nullptr;
    Object* screenGraphics = nullptr;
    Object* decodeBuffer = nullptr;
    static constexpr int kRootCount = 5;

    StaticClass* staticClass = nullptr;
    ObjectManager* objectManager = nullptr;
    MemoryManager* objectHeap = nullptr;
    MemoryManager* dataHeap = nullptr;
    // Shared by all threads, as the device had it; atomic entries keep concurrent pushes defined.
    std::atomic<const char*> callNames[kCallNameDepth] = {};
    std::atomic<int32_t> callDepth{0};
    std::atomic<uint8_t> gcRequested{0};
    std::atomic<uint8_t> paused{0};
    // Pending exception of threads without a thread slot.
    Object* pendingException = nullptr;
    int32_t callSite = 0;

    Application() = default;
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Heaps, ObjectManager and StaticClass (the static initialisation of all classes included).
    // Sizes are the device's unless a test asks for smaller heaps.
    bool init(uint32_t objectHeapSize = kObjectHeapSize, uint32_t dataHeapSize = kDataHeapSize);
    // Releases the StaticClass, collects everything, deletes the ObjectManager and the heaps.
    void releaseRuntime();

    StaticClass* getStaticClass() const { return staticClass; }
    ObjectManager* getObjectManager() const { return objectManager; }
    Object** roots() { return &midlet; }

    // Call-name stack (diagnostic; a push past the bound is dropped).
    void pushMethodName(const char* name);
    void popMethodName();

    // Pending exceptions.
    int isExceptionPending(int32_t site);
    Object* getPendingException();
    void setPendingException(Object* throwable);
    void clearPendingException();
    int32_t findExceptionHandler(const ExceptionHandler* table);
    // Pending exception and call site of the calling thread.
    Object*& pendingSlot();
    int32_t& callSiteSlot();

    // "stacktrace:\n" and one "%s\n" line per call name, newest first; bounded at 512 bytes.
    int stackTraceText(char* buffer, int size) const;
    void logStackTrace() const;
    void printStackTrace() const { logStackTrace(); }
    // Reports a null reference or a failed argument check: the tag, then the stack trace.
    void reportError(const char* tag) const;

    // Defined by the platform layer.
    void close();
    void startApp();
    void pauseApp();
    void resumeApp();
    void paintCurrent();
    void keyPressed(int32_t code);
    void keyReleased(int32_t code);
    void setCurrentDisplayable(Object* displayable);
    void setScreenGraphics(Object* image);
    String* stackTraceString() const;
    static String* newString(const char* text);
};

class ApplicationImpl {
public:
    // Inline: every allocation and safe point asks for it.
    static ApplicationImpl* getInstance() {
        ApplicationImpl* current = s_current;
        return current ? current : firstInstance();
    }
    static Application* getApplication() { return getInstance()->application; }

    ApplicationImpl();
    ~ApplicationImpl();
    ApplicationImpl(const ApplicationImpl&) = delete;
    ApplicationImpl& operator=(const ApplicationImpl&) = delete;

    std::atomic<uint8_t> orientationChange{0};
    Application* application = nullptr;
    Display* display = nullptr;
    // Held while the display opens, closes or presents, and by the busy indicator's thread, which
    // runs beside the painters, while it draws a row on the screen. No Java code runs under it.
    host::CriticalSection displayLock;
    uint8_t pocketPC = 0;
    std::atomic<uint8_t> windowActive{0};
    std::atomic<uint8_t> running{1};
    uint16_t* frameBuffer = nullptr;
    uint32_t volume = 0;
    ThreadSlot threads[kThreadSlots];
    host::CriticalSection threadLock;
    host::CriticalSection monitorLock;
    // kStopForCollection or kStopForMoving while a thread stops the world; the others park when
    // they see it at a safe point.
    std::atomic<uint8_t> stopTheWorld{0};
    MonitorTable monitors{monitorLock};
    std::atomic<uint32_t> lastCollectionTick{0};

    // The runtime part of start-up: thread table with the calling thread as the UI thread in
    // slot 0, then the Application (heaps, ObjectManager, StaticClass). `suspendMode` selects
    // how the collector stops the other threads: suspended from outside wherever they are, or
    // (cooperative) parking at their safe points.
    bool initRuntime(bool suspendMode, uint32_t objectHeapSize = kObjectHeapSize,
                     uint32_t dataHeapSize = kDataHeapSize);
    // Collects everything and frees the Application (the runtime part of shutdown).
    void shutdownRuntime();

    // Thread table (under threadLock).
    int addThreadSlot(Object* thread);
    int findThreadSlot(Object* thread);
    int findThreadSlotById(host::ThreadId id);
    void freeThreadSlot(int slot);
    int activeThreadCount();
    // The calling thread's slot, or null for a thread the runtime did not start.
    ThreadSlot* currentSlot();
    void bindCurrentThread(int slot);
    // A started thread's first and last steps: it takes its slot (-1 when it has none), and it
    // gives it up, its Thread object collectable from then on.
    int attachCurrentThread(Object* thread);
    void detachCurrentThread();

    // Monitor table: see MonitorTable::getMonitor.
    int getMonitor(Object* object, bool create) { return monitors.getMonitor(object, create); }

    // Collector support. suspendOtherThreads returns once every other Java thread is stopped
    // outside any runtime lock: in the suspend mode wherever it is, otherwise at a safe point.
    // Data may move only while every other thread is at a safe point (a stopped thread may hold
    // a pointer to the data of an array in a register), so compaction stops the world with
    // suspendOtherThreadsAtSafePoints, in both modes. One thread stops the world at a time; the
    // calls nest, and resumeOtherThreads ends each.
    void suspendOtherThreads();
    void suspendOtherThreadsAtSafePoints();
    void resumeOtherThreads();
    void scanThreadStacks(ObjectManager* objectManager);
    // Makes room for a stack scan over `blocks` data blocks, or says whether there is room; the
    // room is made while the world goes on (see ObjectManager::gc).
    void reserveScanSpace(std::size_t blocks) { m_dataBlocks.reserve(blocks); }
    bool hasScanSpace(std::size_t blocks) const { return m_dataBlocks.capacity() >= blocks; }
    bool worldStoppedByCurrentThread() const;
    uint32_t stopCount() const { return m_stopGeneration.load(std::memory_order_relaxed); }

    // Safe point: while another thread stops the world, park here until it is done. A thread
    // holding a runtime lock does not park (it is waited for until it reaches the next one).
    void safePoint() {
        if (stopTheWorld.load(std::memory_order_acquire) != kNoStop) parkAtSafePoint();
    }
    // Parks the calling thread (cooperative mode) until no stop is in progress. Only for a
    // thread that canPark(): one that holds no runtime lock and is not stopping the world itself.
    void parkCurrentThread(ThreadSlot& slot);
    bool canPark() const;
    // Enters `lock` with its wait a safe point: for the collector lock, whose waiters hold no
    // pointer into movable data.
    void enterAtSafePoint(host::CriticalSection& lock);

    // Defined by the platform layer.
    bool init();
    void run();
    void stop();
    void shutdown();
    void flushScreen();
    void idleHook() {}
    void volumeUp();
    void volumeDown();
    bool platformRequest(const char* url);
    // A resource read whole into a String (ISO-8859-1), or null when there is none.
    String* getAppProperty(const char* resource);
    // The device's Program Files folder, and the game's install folder in it.
    static String* getStorageRoot();
    static String* getInstallFolder();
    // The display back end by type, "GDI", "DDRAW" or "AUTO" (DirectDraw, else GDI), opened on
    // the main window after closing any earlier one; closeDisplay closes and deletes it.
    bool openDisplay(const char16_t* type, host::Window& window);
    void closeDisplay();

    // Blocking host calls count as parked (installed as the host's blocking hooks).
    static void enterBlocking();
    static void leaveBlocking();
    static void enterBlockingTaking();
    static bool leaveBlockingTaking();

private:
    // The first instance made (the process's own when none was made before the first call).
    inline static ApplicationImpl* s_current = nullptr;
    static ApplicationImpl* firstInstance();
    void parkAtSafePoint();
    bool mustHoldStill(uint8_t level) const;
    void waitWhileStopped(ThreadSlot& slot, uint8_t level);
    void wakeParked(int index);
    void stopOtherThreads(bool anywhere, bool forMoving);
    void acquireWorld(ThreadSlot* self);
    void releaseWorld();
    bool waitForParking(int index, const host::ThreadHandle& handle, bool atSafePoint);
    // Suspends the thread outside any runtime lock; false when it held one at every try.
    bool suspendThread(int index, const std::shared_ptr<host::ThreadHandle>& handle);

    std::shared_ptr<host::ThreadHandle> m_uiHandle;
    java_lang_Thread* m_uiThreadObject = nullptr;
    // The world's owner (the thread stopping it), its nesting depth, and a futex word that moves
    // whenever it is given up.
    std::atomic<host::ThreadId> m_worldOwner{0};
    int m_worldDepth = 0;
    std::atomic<uint32_t> m_worldReleases{0};
    std::atomic<uint32_t> m_stopGeneration{0};
    // What the current stop did to each slot's thread: suspended it (suspend mode; resumed when
    // the stop ends, its context scanned) or saw it park (cooperative mode; its saved stack
    // pointer and spilled registers scanned).
    struct Stopped {
        std::shared_ptr<host::ThreadHandle> suspended;
        bool parked = false;
    };
    Stopped m_stopped[kThreadSlots];
    std::vector<DataBlock> m_dataBlocks;  // reserved before each stop: a stopped world never allocates
};

}  // namespace mrc
