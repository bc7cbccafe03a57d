#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/heap/memory_manager.h"
#include "tests/runtime/core/java_threads.h"

namespace {

using namespace mrc::test;

// Ends the test program when a test hangs, naming the test, instead of waiting for the harness.
class Watchdog {
public:
    explicit Watchdog(int seconds) : m_thread([this, seconds] {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; })) {
            std::fprintf(stderr, "deadlock: %s did not finish within %d s\n",
                         ::testing::UnitTest::GetInstance()->current_test_info()->name(), seconds);
            std::abort();
        }
    }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread;
};

class StopWorld : public BothModesTest {};

TEST_P(StopWorld, StopHoldsEveryOtherThreadAndItsEndReleasesThem) {
    Watchdog watchdog(30);
    std::atomic<bool> done{false};
    std::atomic<bool> go{false};
    std::atomic<int64_t> progress[3] = {};
    auto body = [&](int i) {
        // All three are started before any churns the heap: a start allocates too, and could
        // find the heap filled again by a running worker between its collection and its retry.
        while (!go) java_lang_Thread::yield();
        while (!done) {
            mrc::newObject<Object>();  // allocation: a safe point
            ++progress[i];
        }
    };
    auto b0 = [&] { body(0); };
    auto b1 = [&] { body(1); };
    auto b2 = [&] { body(2); };
    java_lang_Thread* threads[] = {startJavaThread(b0), startJavaThread(b1), startJavaThread(b2)};
    go = true;
    ASSERT_TRUE(waitUntil([&] { return progress[0] > 0 && progress[1] > 0 && progress[2] > 0; }));

    for (int round = 0; round < 5; ++round) {
        impl()->suspendOtherThreads();
        int64_t before[3] = {progress[0], progress[1], progress[2]};
        host::sleepMs(10);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(progress[i].load(), before[i]) << "thread " << i;
        impl()->resumeOtherThreads();
        ASSERT_TRUE(waitUntil([&] { return progress[0] > before[0] && progress[1] > before[1] && progress[2] > before[2]; }));
    }
    done = true;
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));
}

TEST_P(StopWorld, ThreadInABlockingCallCountsAsParkedAndStaysWhenItReturns) {
    Watchdog watchdog(30);
    host::Event event;
    std::atomic<bool> entered{false};
    std::atomic<bool> returned{false};
    auto body = [&] {
        entered = true;
        event.wait();
        returned = true;
    };
    java_lang_Thread* thread = startJavaThread(body);
    int slot = impl()->findThreadSlot(thread);
    ASSERT_TRUE(waitUntil([&] { return entered && impl()->threads[slot].parked.load() != 0; }));

    impl()->suspendOtherThreadsAtSafePoints();  // would wait for ever if it did not count
    event.set();
    host::sleepMs(30);
    EXPECT_FALSE(returned.load());
    impl()->resumeOtherThreads();
    ASSERT_TRUE(joinJavaThread(thread));
    EXPECT_TRUE(returned.load());
}

TEST_P(StopWorld, NoThreadIsStoppedInsideARuntimeLock) {
    Watchdog watchdog(30);
    host::CriticalSection lock;
    host::LogCapture log;
    std::atomic<bool> done{false};
    std::atomic<bool> inside{false};
    std::atomic<int64_t> rounds{0};
    std::atomic<bool> go{false};
    const bool cooperative = !suspendMode();
    auto body = [&] {
        // Both are started first: a start allocates, and under collection stress an allocation
        // moves data, which waits for safe points that the suspend mode's loop has none of.
        while (!go) java_lang_Thread::yield();
        while (!done) {
            {
                host::CriticalSectionLock hold(lock);
                inside = true;
                inside = false;
            }
            mrc_log("a line under the log's lock");
            ++rounds;
            if (cooperative) impl()->safePoint();  // the suspend mode needs none
        }
    };
    java_lang_Thread* threads[] = {startJavaThread(body), startJavaThread(body)};
    go = true;
    ASSERT_TRUE(waitUntil([&] { return rounds > 0; }));
    for (int i = 0; i < 100; ++i) {
        impl()->suspendOtherThreads();
        // A thread counted as parked in its wait for the lock may take it just then; it gives it
        // back at once without running (the collector may need it), so entering waits at most for
        // that. A thread stopped inside the lock would hang here until the watchdog fires.
        lock.enter();
        EXPECT_FALSE(inside.load());
        lock.leave();
        mrc_log("the collector logs while the others stand still");
        impl()->resumeOtherThreads();
    }
    done = true;
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));
}

TEST_P(StopWorld, RapidStopsNeverLeaveAThreadSuspended) {
    Watchdog watchdog(30);
    constexpr int kRounds = 2000;
    constexpr int kStops = 300;
    Object* shared = mrc::newObject<Object>();
    std::atomic<int> finished{0};
    std::atomic<int> stopsMade{0};
    // The workers go on until the stops have been made: fast workers cannot finish first.
    auto body = [&] {
        for (int i = 0; i < kRounds || stopsMade.load() < kStops; ++i) {
            switch (i % 5) {
            case 0: impl()->safePoint(); break;
            case 1: java_lang_Thread::yield(); break;
            case 2: mrc::newObject<Object>(); break;
            case 3: java_lang_Thread::sleep(0); break;
            case 4:
                om()->monitorEnter(shared);
                om()->monitorExit(shared);
                break;
            }
        }
        ++finished;
    };
    std::vector<java_lang_Thread*> threads;
    for (int i = 0; i < 3; ++i) threads.push_back(startJavaThread(body));
    int stops = 0;
    while (finished.load() < 3) {
        if (stops % 2) {
            impl()->suspendOtherThreads();
        } else {
            impl()->suspendOtherThreadsAtSafePoints();
        }
        impl()->resumeOtherThreads();
        stopsMade = ++stops;
        // A stop the moment the last one ended would find a suspended thread still inside its
        // signal handler, and queue one more signal for it every time.
        host::yieldThread();
    }
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));
    EXPECT_GE(stops, kStops);
}

// A thread that runs without reaching a safe point: a collection waits for it in the cooperative
// mode only; moving data waits for it in both.
TEST_P(StopWorld, ThreadAwayFromSafePointsHoldsUpOnlyTheStopsThatNeedThem) {
    Watchdog watchdog(60);
    struct Case {
        const char* what;
        bool compaction;
    };
    for (Case c : {Case{"collection", false}, Case{"compaction", true}}) {
        SCOPED_TRACE(c.what);
        constexpr int kSpinMs = 150;
        std::atomic<int64_t> spins{0};
        std::atomic<int64_t> spinEnd{-1};
        std::atomic<bool> spinning{false};
        std::atomic<bool> done{false};
        auto origin = Clock::now();
        auto body = [&] {
            spinning = true;
            auto until = Clock::now() + std::chrono::milliseconds(kSpinMs);
            while (Clock::now() < until) spins.fetch_add(1);
            spinEnd = millisSince(origin);
            while (!done) impl()->safePoint();
        };
        java_lang_Thread* thread = startJavaThread(body);
        ASSERT_TRUE(waitUntil([&] { return spinning.load(); }));

        // The stop comes from a thread outside the runtime; this one waits in a blocking call.
        host::Event finished;
        std::atomic<int64_t> stoppedAt{-1};
        std::atomic<bool> frozen{false};
        std::thread stopper([&] {
            if (c.compaction) {
                app()->dataHeap->compactAll();  // stops the world around the moves
                stoppedAt = millisSince(origin);
            } else {
                impl()->suspendOtherThreads();
                stoppedAt = millisSince(origin);
                int64_t before = spins.load();
                host::sleepMs(5);
                frozen = spins.load() == before;
                impl()->resumeOtherThreads();
            }
            finished.set();
        });
        finished.wait();
        stopper.join();
        done = true;
        ASSERT_TRUE(joinJavaThread(thread));

        bool waited = stoppedAt.load() >= spinEnd.load();
        if (c.compaction || !suspendMode()) {
            EXPECT_TRUE(waited) << "stopped at " << stoppedAt << " ms, spin ended at " << spinEnd << " ms";
        } else {
            EXPECT_FALSE(waited) << "stopped at " << stoppedAt << " ms, spin ended at " << spinEnd << " ms";
            EXPECT_TRUE(frozen.load());
        }
    }
}

// A thread that holds nothing but a pointer into an object's movable data keeps the object.
class Payload : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Date;
    ~Payload() override {
        ++destroyed;
        mrc::ApplicationImpl::getApplication()->objectManager->releaseBuffer(data);
    }
    static inline std::atomic<int> destroyed{0};
    void* data;
};

constexpr uintptr_t kDisguise = 0x5A5A5A5A5A5A5A5Aull;

// The object's address leaves only disguised: the stack scan must find it through the data.
__attribute__((noinline)) uintptr_t makePayload(uint8_t** data) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    auto* p = mrc::newObject<Payload>();
    p->data = om->allocData(64);
    om->registerMovable(p, &p->data);
    std::memset(p->data, 0x3C, 64);
    *data = static_cast<uint8_t*>(p->data) + 17;  // inside the block, not at its start
    return reinterpret_cast<uintptr_t>(p) ^ kDisguise;
}

TEST_P(StopWorld, PointerIntoDataKeepsItsOwner) {
    Watchdog watchdog(30);
    Payload::destroyed = 0;
    std::atomic<bool> holding{false};
    std::atomic<bool> collected{false};
    std::atomic<bool> intact{false};
    auto body = [&] {
        uint8_t* volatile data = nullptr;
        uint8_t* out = nullptr;
        volatile uintptr_t hidden = makePayload(&out);
        data = out;
        out = nullptr;
        holding = true;
        while (!collected) impl()->safePoint();
        intact = data[0] == 0x3C && data[46] == 0x3C;
        auto* p = reinterpret_cast<Payload*>(hidden ^ kDisguise);
        intact = intact && p->m_classId == Payload::kClassId && p->data == data - 17;
    };
    java_lang_Thread* thread = startJavaThread(body);
    ASSERT_TRUE(waitUntil([&] { return holding.load(); }));
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(Payload::destroyed.load(), 0);
    collected = true;
    ASSERT_TRUE(joinJavaThread(thread));
    EXPECT_TRUE(intact.load());
}

// ---- data buffers on the process heap (the data heap full) -------------------------------------

class FullDataHeap : public BothModesTest {
protected:
    uint32_t dataHeapSize() const override { return 64u << 10; }

    // Takes every byte of the data heap with blocks nobody owns (they are never freed), so that
    // every data buffer from here on falls back to the process heap. Each failed allocation is
    // traced: the caller captures the log.
    void fillDataHeap() {
        om()->gc(mrc::kGcForced);  // what earlier garbage held is free now, and taken below
        for (uint32_t size : {4096u, 256u, 8u})
            while (app()->dataHeap->alloc(size)) {
            }
    }
};

// The array's address leaves only disguised: the stack scan must find it through its elements.
__attribute__((noinline)) uintptr_t makeIntArray(int32_t length, int32_t** elements) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    IntArray* a = om->newIntArray(length);
    auto* data = static_cast<int32_t*>(static_cast<JArray*>(a)->data);
    for (int32_t i = 0; i < length; ++i) data[i] = i * 7 + 1;
    *elements = data + 3;  // inside the buffer, not at its start
    return reinterpret_cast<uintptr_t>(a) ^ kDisguise;
}

// A thread holding nothing but a pointer into an int[]'s elements keeps the array, whichever heap
// holds them: parked in a contended monitor (cooperative mode) or stopped while it spins (suspend
// mode).
TEST_P(FullDataHeap, PointerIntoElementsKeepsTheArrayOnEitherHeap) {
    Watchdog watchdog(30);
    Object* gate = nullptr;  // a static root for the whole test
    statics()->addRoot(&gate);
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "process heap" : "data heap");
        host::LogCapture quiet;
        if (full) fillDataHeap();
        constexpr int32_t kLength = 300;
        gate = mrc::newObject<Object>();
        om()->monitorEnter(gate);
        std::atomic<bool> holding{false};
        std::atomic<bool> collected{false};
        std::atomic<bool> onDataHeap{false};
        std::atomic<bool> intact{false};
        auto body = [&] {
            int32_t* out = nullptr;
            volatile uintptr_t hidden = makeIntArray(kLength, &out);
            int32_t* volatile elements = out;
            out = nullptr;
            onDataHeap = app()->dataHeap->contains(elements);
            holding = true;
            if (suspendMode()) {
                while (!collected.load()) {
                }
            } else {
                om()->monitorEnter(gate);  // parks: the test thread holds it
                om()->monitorExit(gate);
            }
            bool ok = true;
            for (int32_t i = 0; i < kLength - 3; ++i) ok = ok && elements[i] == (i + 3) * 7 + 1;
            auto* a = reinterpret_cast<JArray*>(hidden ^ kDisguise);
            intact = ok && a->m_classId == mrc::kClass_IntArray && a->data == elements - 3;
        };
        java_lang_Thread* thread = startJavaThread(body);
        ASSERT_TRUE(waitUntil([&] {
            int slot = impl()->findThreadSlot(thread);
            return holding.load() && (suspendMode() || (slot >= 0 && impl()->threads[slot].parked.load() != 0));
        }));
        EXPECT_EQ(onDataHeap.load(), !full);
        for (int i = 0; i < 3; ++i) om()->gc(mrc::kGcForced);
        collected = true;
        om()->monitorExit(gate);
        ASSERT_TRUE(joinJavaThread(thread));
        EXPECT_TRUE(intact.load());
        gate = nullptr;
    }
}

// Collections that free process-heap buffers while another thread spends its time inside the
// process heap's allocator: in the suspend mode it is stopped there, holding the allocator's lock,
// and the collection must not need that lock until the world goes on.
TEST_P(FullDataHeap, CollectionsFreeProcessHeapBuffersWhileAThreadIsInsideMalloc) {
    Watchdog watchdog(60);
    host::LogCapture quiet;  // each failed data-heap allocation is traced
    fillDataHeap();
    std::atomic<bool> done{false};
    std::atomic<int64_t> made{0};
    auto body = [&] {
        while (!done.load()) {
            // Garbage whose elements live on the process heap, in this thread's arena; sizes
            // above the allocator's per-thread caches, so that freeing them takes the arena lock.
            om()->newIntArray(2048 + static_cast<int32_t>(made.load() % 512));
            ++made;
            // Mostly inside malloc and free: each array costs a collection (the data heap is full).
            for (int i = 0; i < 2000; ++i) {
                void* p = std::malloc(4096 + static_cast<std::size_t>(i) * 64);
                static_cast<volatile char*>(p)[0] = 1;
                std::free(p);
            }
        }
    };
    java_lang_Thread* threads[] = {startJavaThread(body), startJavaThread(body)};
    // Collects without sleeping between: the workers' own collections (one per array) stop
    // this thread so often that a sleep would hardly ever end.
    for (int i = 0; i < 300 || made.load() < 100; ++i) om()->gc(mrc::kGcForced);
    done = true;
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));
    om()->gc(mrc::kGcForced);
    // Every buffer of the garbage went back: only what the fill took is left on the data heap,
    // and no process-heap buffer is listed any more.
    std::vector<mrc::DataBlock> listed;
    {
        host::CriticalSectionLock lock(om()->fallbackLock());
        listed = om()->fallbackBuffers();
    }
    EXPECT_LE(listed.size(), 2u);  // what a conservative scan may still keep
}

// One thread records the owner slots of its process-heap buffers again and again while another
// takes and gives back buffers of its own, moving the list's entries: a record must not meet that
// move (the thread sanitizer's build checks it), and each lands on its own buffer.
TEST_P(FullDataHeap, OwnerSlotsAreRecordedWhileAnotherThreadChangesTheList) {
    Watchdog watchdog(60);
    host::LogCapture quiet;
    fillDataHeap();
    std::atomic<bool> recording{false};
    std::atomic<bool> done{false};
    std::atomic<int> misplaced{0};
    auto ownerOf = [&](void* buffer) -> void** {
        host::CriticalSectionLock lock(om()->fallbackLock());
        for (const mrc::DataBlock& b : om()->fallbackBuffers())
            if (b.start == reinterpret_cast<uintptr_t>(buffer)) return b.owner;
        return nullptr;
    };
    auto recorder = [&] {
        void* buffers[8];
        for (void*& b : buffers) b = om()->allocData(512);
        recording = true;
        while (!done.load()) {
            for (void*& b : buffers) om()->registerMovable(nullptr, &b);
            impl()->safePoint();
        }
        for (void*& b : buffers) {
            if (ownerOf(b) != &b) ++misplaced;
            om()->releaseBuffer(b);
        }
    };
    auto changer = [&] {
        while (!recording.load()) impl()->safePoint();  // the recorder's buffers cost collections
        for (int i = 0; i < 100; ++i) {
            void* buffer = om()->allocData(512 + static_cast<std::size_t>(i % 7) * 64);
            om()->registerMovable(nullptr, &buffer);
            if (ownerOf(buffer) != &buffer) ++misplaced;
            om()->releaseBuffer(buffer);
        }
        done = true;
    };
    java_lang_Thread* threads[] = {startJavaThread(recorder), startJavaThread(changer)};
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t, 50000));
    EXPECT_EQ(misplaced.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, FullDataHeap, ::testing::Bool(), modeName);

// ---- stress: four Java threads, shared structures under monitors, collections, compactions ---

constexpr int32_t kMagic = 0x5A17C0DE;

// A payload on the movable data heap.
class Blob : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Random;
    ~Blob() override { mrc::ApplicationImpl::getApplication()->objectManager->releaseBuffer(data); }

    static uint8_t byteAt(uint32_t seed, int32_t i) { return static_cast<uint8_t>(seed * 31u + static_cast<uint32_t>(i) * 7u); }

    static Blob* make(int32_t length, uint32_t seed) {
        auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
        auto* b = mrc::newObject<Blob>();
        if (!b) return nullptr;
        b->magic = kMagic;
        b->length = length;
        b->seed = seed;
        b->data = om->allocData(static_cast<std::size_t>(length));
        om->registerMovable(b, &b->data);
        auto* bytes = static_cast<uint8_t*>(b->data);  // no allocation until the last use
        for (int32_t i = 0; i < length; ++i) bytes[i] = byteAt(seed, i);
        return b;
    }

    bool intact() const {
        if (m_classId != kClassId || magic != kMagic || !data) return false;
        auto* bytes = static_cast<const uint8_t*>(data);
        for (int32_t i = 0; i < length; ++i)
            if (bytes[i] != byteAt(seed, i)) return false;
        return true;
    }

    void* data;
    int32_t length;
    uint32_t seed;
    int32_t magic;
};

class BlobNode : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Hashtable_Entry;
    MRC_REF_FIELDS(&BlobNode::next, &BlobNode::blob);

    bool intact() const {
        return m_classId == kClassId && magic == kMagic && !isNull(blob) && static_cast<Blob*>(blob)->intact();
    }

    Object* next;
    Object* blob;
    int32_t id;
    int32_t magic;
};

// The shared structures: a queue guarded by the graph's own monitor, and a list guarded by the
// monitor of `listLock`.
class Graph : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Vector;
    MRC_REF_FIELDS(&Graph::queue, &Graph::list, &Graph::listLock);

    Object* queue;
    Object* list;
    Object* listLock;
    int32_t producersDone;
};

class Stress : public BothModesTest {
protected:
    uint32_t objectHeapSize() const override { return 2u << 20; }
    uint32_t dataHeapSize() const override { return 4u << 20; }
    void SetUp() override {
        BothModesTest::SetUp();
        root = nullptr;
        statics()->addRoot(&root);
    }
    Object* root = nullptr;
};

struct Shared {
    Graph* graph;
    std::atomic<int32_t> nextId{0};
    std::atomic<int32_t> linked{0};
    std::atomic<int> damaged{0};  // nodes found broken by a consumer
    Clock::time_point deadline;
    static constexpr int32_t kMaxNodes = 3000;
};

// Garbage of varied sizes, collections and compactions, from every thread now and then.
void churn(uint32_t& seed, int i) {
    seed = seed * 1103515245u + 12345u;
    mrc::newObject<BlobNode>();
    Blob::make(static_cast<int32_t>(16 + seed % 700), seed);
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    if (i % 97 == 0) om->gc(mrc::kGcForced);
    if (i % 131 == 0) mrc::ApplicationImpl::getApplication()->dataHeap->compactAll();
    if (i % 7 == 0) java_lang_Thread::yield();
}

void produce(Shared& s, uint32_t seed) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    for (int i = 0; Clock::now() < s.deadline; ++i) {
        churn(seed, i);
        if (s.nextId.load() >= Shared::kMaxNodes) continue;  // enough kept: garbage only
        int32_t id = s.nextId.fetch_add(1);
        auto* node = mrc::newObject<BlobNode>();
        node->id = id;
        node->magic = kMagic;
        node->blob = Blob::make(static_cast<int32_t>(16 + (seed >> 8) % 500), seed ^ static_cast<uint32_t>(id));
        om->monitorEnter(s.graph);
        node->next = s.graph->queue;
        s.graph->queue = node;
        Object::notify(s.graph, 1);
        om->monitorExit(s.graph);
    }
}

void consume(Shared& s, uint32_t seed) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    for (int i = 0;; ++i) {
        churn(seed, i);
        om->monitorEnter(s.graph);
        while (!s.graph->queue && !s.graph->producersDone) Object::wait(s.graph, 10);
        auto* node = static_cast<BlobNode*>(s.graph->queue);
        if (node) s.graph->queue = node->next;
        om->monitorExit(s.graph);
        if (!node) return;
        if (!node->intact()) ++s.damaged;
        om->monitorEnter(s.graph->listLock);
        node->next = s.graph->list;
        s.graph->list = node;
        ++s.linked;
        om->monitorExit(s.graph->listLock);
    }
}

TEST_P(Stress, FourThreadsShareStructuresUnderMonitorsWhileCollectingAndCompacting) {
    Watchdog watchdog(120);
    host::LogCapture quiet;
    Shared s;
    s.graph = mrc::newObject<Graph>();
    root = s.graph;
    s.graph->listLock = mrc::newObject<Object>();
    s.deadline = Clock::now() + std::chrono::milliseconds(700);

    auto p1 = [&] { produce(s, 11); };
    auto p2 = [&] { produce(s, 23); };
    auto c1 = [&] { consume(s, 37); };
    auto c2 = [&] { consume(s, 41); };
    java_lang_Thread* producers[] = {startJavaThread(p1), startJavaThread(p2)};
    java_lang_Thread* consumers[] = {startJavaThread(c1), startJavaThread(c2)};

    // This thread collects and compacts too, parking in its sleeps.
    uint64_t collectionsBefore = om()->collections();
    for (int i = 0; java_lang_Thread::isAlive(producers[0]) || java_lang_Thread::isAlive(producers[1]); ++i) {
        java_lang_Thread::sleep(2);
        if (i % 5 == 0) om()->gc(mrc::kGcForced);
        if (i % 7 == 0) app()->dataHeap->compactAll();
    }
    om()->monitorEnter(s.graph);
    s.graph->producersDone = 1;
    Object::notify(s.graph, -1);
    om()->monitorExit(s.graph);
    for (auto* t : consumers) ASSERT_TRUE(joinJavaThread(t, 60000));

    om()->gc(mrc::kGcForced);
    app()->dataHeap->compactAll();
    EXPECT_GT(om()->collections(), collectionsBefore + 10);

    // Every node made is on the list once, intact, and still a registered object.
    std::unordered_set<Object*> registered;
    for (int32_t i = 0; i < om()->objectCount(); ++i) registered.insert(om()->objectAt(i));
    auto* graph = static_cast<Graph*>(root);
    EXPECT_EQ(graph->queue, nullptr);
    std::vector<bool> seen(static_cast<std::size_t>(s.nextId.load()), false);
    int32_t count = 0;
    for (auto* n = static_cast<BlobNode*>(graph->list); n && count <= s.nextId.load(); n = static_cast<BlobNode*>(n->next)) {
        ASSERT_TRUE(registered.count(n)) << "node " << count << " was swept";
        ASSERT_TRUE(registered.count(n->blob)) << "blob of node " << n->id << " was swept";
        ASSERT_TRUE(n->intact()) << "node " << n->id;
        ASSERT_GE(n->id, 0);
        ASSERT_LT(n->id, s.nextId.load());
        EXPECT_FALSE(seen[static_cast<std::size_t>(n->id)]) << "node " << n->id << " twice";
        seen[static_cast<std::size_t>(n->id)] = true;
        ++count;
    }
    EXPECT_GT(count, 100);
    EXPECT_EQ(count, s.nextId.load());
    EXPECT_EQ(count, s.linked.load());
    EXPECT_EQ(s.damaged.load(), 0);
    std::string why;
    EXPECT_TRUE(app()->dataHeap->checkInvariants(&why)) << why;
    EXPECT_TRUE(app()->objectHeap->checkInvariants(&why)) << why;
}

INSTANTIATE_TEST_SUITE_P(Modes, StopWorld, ::testing::Bool(), modeName);
INSTANTIATE_TEST_SUITE_P(Modes, Stress, ::testing::Bool(), modeName);

}  // namespace
