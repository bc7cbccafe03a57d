#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::test::RuntimeTest;
using mrc::test::scrubStack;

std::vector<uint16_t> g_destroyed;

// A node with two reference fields, borrowing a class id of the table for the test.
class Node : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Hashtable_Entry;
    MRC_REF_FIELDS(&Node::next, &Node::other);
    ~Node() override { g_destroyed.push_back(m_classId); }

    Object* next;
    int32_t value;
    Object* other;
};

// A subclass adds a reference field after its parent's.
class DerivedNode : public Node {
public:
    using Base = Node;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_HashtableEntry;
    MRC_REF_FIELDS(&DerivedNode::extra);
    Object* extra;
};

// An interface and a class that implements it; the interface sub-object is an interior pointer.
class Greeter {
public:
    virtual int32_t greet() = 0;
};

class Friendly : public Object, public Greeter {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Random;
    static constexpr int32_t kGreeterId = mrc::kClass_java_lang_Runnable;
    void* getInterface(int32_t id) override { return id == kGreeterId ? static_cast<Greeter*>(this) : nullptr; }
    int32_t greet() override { return value; }
    int32_t value;
};

// A reference past the first 512 bytes, beyond the collector's word map of a class: read from the
// class record instead.
class FarNode : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_TaskQueue;
    MRC_REF_FIELDS(&FarNode::near, &FarNode::far);
    Object* near;
    int32_t payload[160];
    Object* far;
};

// One reference field: a chain of them is the collector's shortest step.
class Link : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Calendar;
    MRC_REF_FIELDS(&Link::next);
    int32_t value;
    Object* next;
};

// Its constructor sets nothing (and, being user-provided, leaves the members uninitialised): its
// fields are zero only because object creation clears the storage.
class Uninitialised : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_Object;
    Uninitialised() {}
    int32_t values[6];
};

ObjectArray* newObjectArray(int32_t length) {
    return mrc::ApplicationImpl::getApplication()->objectManager->newObjectArray(0, length);
}

bool registered(Object* o) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    for (int32_t i = 0; i < om->objectCount(); ++i)
        if (om->objectAt(i) == o) return true;
    return false;
}

// Built on a thread of its own, whose stack is gone before the collection, so no stale copy of
// a reference can keep the cycle (a thread without a slot is not scanned).
void makeCycle() {
    std::thread([] {
        auto* a = mrc::newObject<Node>();
        auto* b = mrc::newObject<Node>();
        a->next = b;
        b->next = a;
    }).join();
}

class Collector : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        g_destroyed.clear();
        root = nullptr;
        statics()->addRoot(&root);
    }
    Object* root = nullptr;
};

TEST_F(Collector, ReferenceOffsetsIncludeInheritedFields) {
    auto* d = mrc::newObject<DerivedNode>();
    ASSERT_NE(d, nullptr);
    const mrc::ClassRecord& r = statics()->records()[DerivedNode::kClassId];
    ASSERT_EQ(r.refCount, 3);
    auto* base = reinterpret_cast<char*>(d);
    EXPECT_EQ(base + r.refOffsets[0], reinterpret_cast<char*>(&d->next));
    EXPECT_EQ(base + r.refOffsets[1], reinterpret_cast<char*>(&d->other));
    EXPECT_EQ(base + r.refOffsets[2], reinterpret_cast<char*>(&d->extra));
}

TEST_F(Collector, UnreachableCycleIsSweptWithDestructors) {
    makeCycle();
    scrubStack();
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(g_destroyed.size(), 2u);
    EXPECT_EQ(om()->objectCount(), 0);
}

TEST_F(Collector, ReachableGraphSurvivesThroughFieldsAndArrays) {
    auto* array = newObjectArray(3);
    root = array;
    auto* n = mrc::newObject<Node>();
    static_cast<Object**>(array->data)[1] = n;
    n->other = mrc::newString("kept");
    n = nullptr;
    array = nullptr;
    om()->gc(mrc::kGcForced);
    EXPECT_TRUE(g_destroyed.empty());
    auto* kept = static_cast<Object**>(static_cast<JArray*>(root)->data)[1];
    auto* s = static_cast<String*>(static_cast<Node*>(kept)->other);
    EXPECT_EQ(s->count(), 4);
}

// Kept out of line so the only reference lives in this frame's registers or stack slots.
__attribute__((noinline)) int32_t holdThroughCollection(bool viaInterface) {
    auto* f = mrc::newObject<Friendly>();
    f->value = 1234;
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    if (viaInterface) {
        auto* g = static_cast<Greeter*>(f->getInterface(Friendly::kGreeterId));
        f = nullptr;
        asm volatile("" ::: "memory");
        om->gc(mrc::kGcForced);
        return g->greet();
    }
    om->gc(mrc::kGcForced);
    return registered(f) ? f->greet() : -1;
}

TEST_F(Collector, LocalReferencesSurviveIncludingInteriorPointers) {
    for (bool viaInterface : {false, true}) {
        EXPECT_EQ(holdThroughCollection(viaInterface), 1234) << "viaInterface=" << viaInterface;
    }
}

class LargeHeapCollector : public Collector {
protected:
    uint32_t objectHeapSize() const override { return 8u << 20; }
};

TEST_F(LargeHeapCollector, LongChainIsMarkedWithoutOverflow) {
    constexpr int kChain = 100000;
    Node* head = nullptr;
    for (int i = 0; i < kChain; ++i) {
        auto* n = mrc::newObject<Node>();
        ASSERT_NE(n, nullptr) << i;
        n->next = head;
        n->value = i;
        head = n;
        root = head;
    }
    head = nullptr;
    om()->gc(mrc::kGcForced);
    EXPECT_TRUE(g_destroyed.empty());
    int count = 0;
    for (auto* n = static_cast<Node*>(root); n; n = static_cast<Node*>(n->next)) ++count;
    EXPECT_EQ(count, kChain);
}

// Random graphs of nodes (two references, often one), links (one), derived nodes (three), far
// nodes and object arrays, with chains that run through several classes, shared objects and
// cycles: exactly what a plain walk from the root reaches survives.
TEST_F(LargeHeapCollector, SurvivorsAreExactlyWhatTheRootReaches) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        constexpr int kObjects = 3000;
        std::vector<Object*> objects(kObjects);
        std::vector<std::vector<int>> edges(kObjects);
        std::vector<bool> reached(kObjects);
        // Built on a thread of its own: no stale copy of a reference stays on a scanned stack.
        std::thread([&] {
            std::mt19937 random(seed);
            auto pick = [&](int limit) { return static_cast<int>(random() % static_cast<uint32_t>(limit)); };
            for (auto& o : objects) {
                int kind = pick(10);
                if (kind < 4) o = mrc::newObject<Node>();
                else if (kind < 5) o = mrc::newObject<Link>();
                else if (kind < 6) o = mrc::newObject<DerivedNode>();
                else if (kind < 8) o = mrc::newObject<FarNode>();
                else o = newObjectArray(pick(6));
                ASSERT_NE(o, nullptr);
            }
            // Mostly to a near neighbour (chains), sometimes anywhere; a third of the slots stay null.
            auto target = [&](int from) {
                if (pick(3) == 0) return -1;
                return pick(4) ? (from + 1 + pick(3)) % kObjects : pick(kObjects);
            };
            for (int i = 0; i < kObjects; ++i) {
                auto set = [&](Object** slot) {
                    int t = target(i);
                    if (t < 0) return;
                    *slot = objects[static_cast<std::size_t>(t)];
                    edges[static_cast<std::size_t>(i)].push_back(t);
                };
                Object* o = objects[static_cast<std::size_t>(i)];
                if (o->m_classId == Node::kClassId || o->m_classId == DerivedNode::kClassId) {
                    set(&static_cast<Node*>(o)->next);
                    if (pick(2)) set(&static_cast<Node*>(o)->other);
                    if (o->m_classId == DerivedNode::kClassId) set(&static_cast<DerivedNode*>(o)->extra);
                } else if (o->m_classId == Link::kClassId) {
                    set(&static_cast<Link*>(o)->next);
                } else if (o->m_classId == FarNode::kClassId) {
                    set(&static_cast<FarNode*>(o)->near);
                    set(&static_cast<FarNode*>(o)->far);
                } else {
                    auto* a = static_cast<JArray*>(o);
                    for (int32_t e = 0; e < a->length; ++e) set(&static_cast<Object**>(a->data)[e]);
                }
            }
            root = objects[static_cast<std::size_t>(pick(kObjects))];
            std::vector<int> todo{static_cast<int>(std::find(objects.begin(), objects.end(), root) - objects.begin())};
            while (!todo.empty()) {
                int i = todo.back();
                todo.pop_back();
                if (reached[static_cast<std::size_t>(i)]) continue;
                reached[static_cast<std::size_t>(i)] = true;
                for (int t : edges[static_cast<std::size_t>(i)]) todo.push_back(t);
            }
        }).join();
        scrubStack();
        om()->gc(mrc::kGcForced);
        std::set<Object*> survivors;
        for (int32_t i = 0; i < om()->objectCount(); ++i) survivors.insert(om()->objectAt(i));
        for (std::size_t i = 0; i < objects.size(); ++i)
            ASSERT_EQ(survivors.count(objects[i]), reached[i] ? 1u : 0u) << "object " << i;
        root = nullptr;
        om()->gc(mrc::kGcForced);
    }
}

// The test's thread registers first, and so owns the registry until the others arrive: none of
// anyone's objects is lost or registered twice across that handover.
TEST_F(Collector, ObjectsOfSeveralThreadsAreEachRegisteredOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 1500;
    const int32_t before = om()->objectCount();
    std::vector<std::vector<Object*>> made(kThreads + 1);
    std::vector<Object*>& own = made[kThreads];
    for (int i = 0; i < 100; ++i) own.push_back(mrc::newObject<Node>());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&list = made[static_cast<std::size_t>(t)]] {
            for (int i = 0; i < kEach; ++i) list.push_back(mrc::newObject<Node>());
        });
    for (int i = 0; i < kEach; ++i) own.push_back(mrc::newObject<Node>());
    for (auto& thread : threads) thread.join();
    std::set<Object*> registry;
    for (int32_t i = 0; i < om()->objectCount(); ++i) registry.insert(om()->objectAt(i));
    EXPECT_EQ(om()->objectCount(), before + kThreads * kEach + kEach + 100);
    EXPECT_EQ(registry.size(), static_cast<std::size_t>(om()->objectCount()));
    for (const auto& list : made)
        for (Object* o : list) {
            ASSERT_NE(o, nullptr);
            EXPECT_EQ(registry.count(o), 1u);
        }
}

// Storage that held dead objects' values comes back cleared for the new objects made there.
TEST_F(Collector, NewObjectsStartZeroedWhereDeadOnesWere) {
    constexpr int kObjects = 2000;
    std::thread([] {
        for (int i = 0; i < kObjects; ++i) {
            auto* o = mrc::newObject<Uninitialised>();
            ASSERT_NE(o, nullptr);
            std::fill(std::begin(o->values), std::end(o->values), -1);
        }
    }).join();
    scrubStack();
    om()->gc(mrc::kGcForced);
    ASSERT_EQ(om()->objectCount(), 0);
    int dirty = 0;
    for (int i = 0; i < kObjects; ++i) {
        auto* o = mrc::newObject<Uninitialised>();
        ASSERT_NE(o, nullptr);
        for (int32_t v : o->values) dirty += v != 0;
    }
    EXPECT_EQ(dirty, 0);
}

TEST_F(Collector, UnforcedCollectionsArePacedBy200ms) {
    host::ManualClock clock(1000);
    impl()->lastCollectionTick = 0;
    auto before = om()->collections();
    om()->gc(0);
    clock.advance(50);
    om()->gc(0);
    EXPECT_EQ(om()->collections(), before + 1);
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(om()->collections(), before + 2);
    clock.advance(250);
    om()->gc(0);
    EXPECT_EQ(om()->collections(), before + 3);
}

TEST_F(Collector, ShutdownCollectsEverythingEvenRoots) {
    root = mrc::newObject<Node>();
    auto* thread = mrc::newObject<Object>(mrc::kClass_java_lang_Thread);
    EXPECT_EQ(thread->m_collectable, 0);
    om()->gc(mrc::kGcShutdown);
    EXPECT_EQ(om()->objectCount(), 0);
    EXPECT_EQ(g_destroyed.size(), 1u);
    root = nullptr;
}

TEST_F(Collector, UnfinishedThreadObjectIsNeverSwept) {
    mrc::newObject<Object>(mrc::kClass_java_lang_Thread);
    scrubStack();
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(om()->objectCount(), 1);
}

TEST_F(Collector, PendingExceptionSurvivesUntilCaught) {
    mrc::raise(mrc::kClass_java_io_EOFException, "eof");
    scrubStack();
    om()->gc(mrc::kGcForced);
    Object* pending = app()->getPendingException();
    ASSERT_NE(pending, nullptr);
    ASSERT_TRUE(registered(pending));
    EXPECT_EQ(pending->m_classId, mrc::kClass_java_io_EOFException);
    auto* message = static_cast<java_lang_Throwable*>(pending)->message;
    ASSERT_TRUE(registered(message));
    EXPECT_EQ(message->count(), 3);
    app()->clearPendingException();
}

TEST_F(Collector, DataBuffersMoveWithCompaction) {
    // Fragment the data heap, then compact: every owner slot follows its buffer.
    auto* keep = newObjectArray(64);
    root = keep;
    for (int i = 0; i < 64; ++i) {
        auto* a = newObjectArray(8 + i);
        static_cast<Object**>(keep->data)[i] = (i % 2) ? a : nullptr;
        if (i % 2) static_cast<Object**>(a->data)[0] = a;  // a recognisable element
    }
    om()->gc(mrc::kGcForced);
    ASSERT_TRUE(app()->dataHeap->compactAll());
    for (int i = 1; i < 64; i += 2) {
        auto* a = static_cast<JArray*>(static_cast<Object**>(static_cast<JArray*>(root)->data)[i]);
        ASSERT_TRUE(app()->dataHeap->contains(a->data));
        EXPECT_EQ(static_cast<Object**>(a->data)[0], a) << i;
    }
    std::string why;
    EXPECT_TRUE(app()->dataHeap->checkInvariants(&why)) << why;
}

TEST_F(Collector, InteriorAddressesMapToTheirObject) {
    auto* n = mrc::newObject<Node>();
    auto base = reinterpret_cast<uintptr_t>(n);
    EXPECT_EQ(om()->findObjectContaining(base), n);
    EXPECT_EQ(om()->findObjectContaining(reinterpret_cast<uintptr_t>(&n->other)), n);
    EXPECT_EQ(om()->findObjectContaining(reinterpret_cast<uintptr_t>(app()->objectHeap->base())), nullptr);
}

TEST_F(Collector, HeapDumpHasItsSections) {
    root = mrc::newString("a string long enough for the data heap");
    std::string path = ::testing::TempDir() + "memdump.dat";
    ASSERT_TRUE(om()->dumpHeap(path.c_str()));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char head[8];
    ASSERT_EQ(std::fread(head, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(head[0], 1);
    EXPECT_EQ(head[4] << 24 | head[5] << 16 | head[6] << 8 | head[7], 126);
}

TEST_F(Collector, StatisticsListClassesAndTotal) {
    root = mrc::newString("x");
    host::LogCapture log;
    om()->printStatistics();
    EXPECT_TRUE(log.contains("Memory allocation:"));
    EXPECT_TRUE(log.contains("\tString: "));
    EXPECT_TRUE(log.contains("\tTOTAL: "));
}

}  // namespace
