// The store of statics: blocks zeroed at every start, their listed reference fields as the
// collector's roots, the static initialisers in their fixed order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "runtime/core/static_class.h"
#include "runtime/core/array_base.h"
#include "runtime/lang/boolean.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system_class.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::StaticClass;
using mrc::StaticInit;
using mrc::test::RuntimeTest;
using mrc::test::scrubStack;

struct SampleStatics {
    Object* first;
    int32_t counter;
    String* second;
    int64_t wide;
    MRC_REF_FIELDS(&SampleStatics::first, &SampleStatics::second);
};
SampleStatics g_sample;

// A block that forgets one of its reference fields.
struct ForgetfulStatics {
    Object* listed;
    Object* forgotten;
    MRC_REF_FIELDS(&ForgetfulStatics::listed);
};
ForgetfulStatics g_forgetful;

// A block without references adds no roots.
struct PlainStatics {
    int32_t a;
    bool b;
};
PlainStatics g_plain;

class StaticStore : public RuntimeTest {
protected:
    void SetUp() override {
        StaticClass::registerStatics("Sample", &g_sample);
        StaticClass::registerStatics("Plain", &g_plain);
        RuntimeTest::SetUp();
    }
    // A new run: everything collected, a new store.
    void restart() {
        impl()->shutdownRuntime();
        ASSERT_TRUE(impl()->initRuntime(suspendMode(), objectHeapSize(), dataHeapSize()));
    }
    static bool isRoot(const void* field) {
        const auto& roots = statics()->roots();
        return std::find(roots.begin(), roots.end(), reinterpret_cast<Object* const*>(field)) != roots.end();
    }
};

TEST_F(StaticStore, ListedFieldsAreRootsAndTheCountFollowsFromTheBlocks) {
    EXPECT_TRUE(isRoot(&g_sample.first));
    EXPECT_TRUE(isRoot(&g_sample.second));
    EXPECT_FALSE(isRoot(&g_sample.counter));
    EXPECT_TRUE(isRoot(&mrc::systemStatics.out));
    EXPECT_TRUE(isRoot(&mrc::systemStatics.err));
    EXPECT_TRUE(isRoot(&mrc::systemStatics.properties));
    EXPECT_TRUE(isRoot(&java_lang_Boolean::statics.TRUE_));
    EXPECT_TRUE(isRoot(&java_lang_Boolean::statics.FALSE_));
    EXPECT_TRUE(isRoot(&java_lang_Runtime::statics.currentRuntime));

    std::size_t listed = 0;
    for (const mrc::StaticBlock& b : StaticClass::blocks()) listed += b.roots.size();
    EXPECT_EQ(static_cast<std::size_t>(statics()->rootCount()), listed);
    // Each root once.
    std::vector<Object**> roots = statics()->roots();
    std::sort(roots.begin(), roots.end());
    EXPECT_EQ(std::adjacent_find(roots.begin(), roots.end()), roots.end());
}

TEST_F(StaticStore, BlocksStartZeroedInEveryRun) {
    g_sample.first = mrc::newString("x");
    g_sample.counter = 7;
    g_sample.wide = -1;
    g_plain = {3, true};
    restart();
    EXPECT_EQ(g_sample.first, nullptr);
    EXPECT_EQ(g_sample.counter, 0);
    EXPECT_EQ(g_sample.second, nullptr);
    EXPECT_EQ(g_sample.wide, 0);
    EXPECT_EQ(g_plain.a, 0);
    EXPECT_FALSE(g_plain.b);
    // Until its initialiser runs, every static reference is null.
    for (Object** root : statics()->roots()) EXPECT_EQ(*root, nullptr);
}

// Counts its destructions; borrows a class id of the table.
int g_probesFreed = 0;
class Probe : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Date;
    MRC_REF_FIELDS(&Probe::next);
    ~Probe() override { ++g_probesFreed; }
    Object* next;
};

// Made on a thread of its own, whose stack is gone before the collection, so that only the
// statics hold the probes.
void makeProbes() {
    std::thread maker([] {
        auto* head = mrc::newObject<Probe>();
        head->next = mrc::newObject<Probe>();
        g_sample.first = head;
    });
    // Parked meanwhile: an allocation of the maker may stop the world.
    host::BlockingRegion blocking;
    maker.join();
}

TEST_F(StaticStore, ObjectsHeldByStaticsSurviveCollection) {
    g_probesFreed = 0;
    makeProbes();
    scrubStack();
    om()->gc(mrc::kGcForced);
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(g_probesFreed, 0);
    auto* head = static_cast<Probe*>(g_sample.first);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->m_classId, Probe::kClassId);
    ASSERT_NE(head->next, nullptr);
    EXPECT_EQ(head->next->m_classId, Probe::kClassId);
}

TEST_F(StaticStore, AReferenceMissingFromItsBlocksListIsFound) {
    StaticClass::registerStatics("Forgetful", &g_forgetful);
    EXPECT_TRUE(isRoot(&g_forgetful.listed));  // joins the live store
    g_forgetful.listed = mrc::newString("a");
    EXPECT_EQ(statics()->checkRoots(), 0);
    g_forgetful.forgotten = mrc::newString("b");
    host::LogCapture log;
    EXPECT_EQ(statics()->checkRoots(), 1);
    EXPECT_TRUE(log.contains("Forgetful+8 holds a reference but is no root")) << log.lines().size();
    g_forgetful = {};
}

// Records the order in which the initialisers ran.
std::vector<int> g_ran;
template <int N>
void record() {
    g_ran.push_back(N);
}

TEST_F(StaticStore, InitialisersRunInTheirFixedOrderAndEmptySlotsDoNothing) {
    // The game's slots filled, the runtime's kept: all of them in order.
    const StaticInit gameSlots[] = {StaticInit::QXLibConfig, StaticInit::ASprite, StaticInit::CObject,
                                    StaticInit::Game,        StaticInit::IGP,     StaticInit::QXLib,
                                    StaticInit::WMJSoundSND, StaticInit::QXLibPlayer};
    const StaticClass::Initialiser recorders[] = {record<2>, record<4>, record<5>, record<6>,
                                                  record<7>, record<8>, record<9>, record<10>};
    StaticClass::Initialiser runtimeSlots[4];
    runtimeSlots[0] = StaticClass::setInitialiser(StaticInit::System, record<0>);
    runtimeSlots[1] = StaticClass::setInitialiser(StaticInit::Boolean, record<3>);
    runtimeSlots[2] = StaticClass::setInitialiser(StaticInit::Runtime, record<11>);
    runtimeSlots[3] = StaticClass::setInitialiser(StaticInit::PathFindingNeighbours, record<1>);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(StaticClass::setInitialiser(gameSlots[i], recorders[i]), nullptr);

    g_ran.clear();
    statics()->runStaticInitialisers();
    EXPECT_EQ(g_ran, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    for (StaticInit slot : gameSlots) StaticClass::setInitialiser(slot, nullptr);
    StaticClass::setInitialiser(StaticInit::System, runtimeSlots[0]);
    StaticClass::setInitialiser(StaticInit::Boolean, runtimeSlots[1]);
    StaticClass::setInitialiser(StaticInit::Runtime, runtimeSlots[2]);
    StaticClass::setInitialiser(StaticInit::PathFindingNeighbours, runtimeSlots[3]);
    g_ran.clear();
    statics()->runStaticInitialisers();
    EXPECT_TRUE(g_ran.empty());
}

void raising() { mrc::raise(mrc::kClass_java_lang_IllegalStateException); }

TEST_F(StaticStore, AnExceptionLeftByAnInitialiserEndsThere) {
    StaticClass::Initialiser previous = StaticClass::setInitialiser(StaticInit::CObject, raising);
    host::LogCapture log;
    statics()->runStaticInitialisers();
    StaticClass::setInitialiser(StaticInit::CObject, previous);
    EXPECT_EQ(app()->getPendingException(), nullptr);
    EXPECT_TRUE(log.contains("the initialiser of CObject left java_lang_IllegalStateException pending"));
    EXPECT_NE(java_lang_Runtime::getRuntime(), nullptr);  // the later ones still ran
}

TEST_F(StaticStore, RuntimeInitialisersFillTheirStatics) {
    EXPECT_EQ(java_lang_Boolean::statics.TRUE_, nullptr);
    EXPECT_EQ(java_lang_Runtime::getRuntime(), nullptr);
    statics()->runStaticInitialisers();
    ASSERT_NE(java_lang_Boolean::statics.TRUE_, nullptr);
    ASSERT_NE(java_lang_Boolean::statics.FALSE_, nullptr);
    EXPECT_TRUE(java_lang_Boolean::statics.TRUE_->booleanValue());
    EXPECT_FALSE(java_lang_Boolean::statics.FALSE_->booleanValue());
    ASSERT_NE(java_lang_Runtime::getRuntime(), nullptr);
    EXPECT_EQ(java_lang_Runtime::getRuntime()->m_classId, mrc::kClass_java_lang_Runtime);
    EXPECT_EQ(statics()->checkRoots(), 0);
    scrubStack();
    om()->gc(mrc::kGcForced);
    EXPECT_NE(om()->findObjectContaining(reinterpret_cast<uintptr_t>(java_lang_Runtime::getRuntime())), nullptr);
    EXPECT_EQ(java_lang_Boolean::statics.TRUE_->hashCode(), 1);
}

}  // namespace
