#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/core/log.h"
#include "runtime/io/io_classes.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/util_classes.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::test::narrow;
using mrc::test::RuntimeTest;

class ObjectModel : public RuntimeTest {};

TEST(ClassTable, IdsNamesAndSuperclasses) {
    struct Case {
        int id;
        const char* name;
        int32_t super;
    } cases[] = {
        {0, "Object", mrc::kNoSuperclass},
        {4, "ObjectArray", 0},
        {15, "java_io_ByteArrayInputStream", 21},
        {27, "java_lang_ArrayIndexOutOfBoundsException", 37},
        {48, "java_lang_Thread", 0},
        {55, "java_util_Hashtable_Entry", 0},
        {65, "java_util_TimerThread", 48},
        {68, "java_util_Vector", 0},
        {88, "javax_microedition_lcdui_game_GameCanvas", 80},
        {111, "javax_microedition_rms_RecordStoreNotOpenException", 108},
        {115, "Game", 116},
        {116, "QXLib", 80},
        {120, "KetraKRVD", 100},
        {125, "WM_JSound_SND", 0},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(mrc::kClassNames[c.id], c.name) << c.id;
        EXPECT_EQ(mrc::kSuperclassIds[c.id], c.super) << c.id;
    }
}

TEST_F(ObjectModel, InstanceOfWalksTheSuperclassChain) {
    auto* e = mrc::newThrowable(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
    for (int id : {27, 37, 45, 33, 49, 0}) EXPECT_TRUE(Object::instanceOf(e, id)) << id;
    for (int id : {26, 32, 22, 2}) EXPECT_FALSE(Object::instanceOf(e, id)) << id;
    EXPECT_FALSE(Object::instanceOf(nullptr, 0));
}

TEST_F(ObjectModel, NewInstanceYieldsNullForUnknownIds) {
    EXPECT_EQ(mrc::NewInstanceFactory::newInstance(126), nullptr);
    EXPECT_EQ(mrc::NewInstanceFactory::newInstance(-1), nullptr);
    EXPECT_EQ(mrc::NewInstanceFactory::newInstance(mrc::kClass_java_lang_Runnable), nullptr);
    mrc::NewInstanceFactory::add<String>();
    Object* s = mrc::NewInstanceFactory::newInstance(mrc::kClass_String);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_classId, mrc::kClass_String);
    EXPECT_EQ(s->m_collectable, 1);
    EXPECT_EQ(s->m_mark, 1);
    mrc::NewInstanceFactory::setFactory(mrc::kClass_String, nullptr);
}

// Every class of the runtime that translated code may create by id comes out with its id and a
// fresh header; no other id gives an object, and no factory can be set for one.
TEST_F(ObjectModel, NewInstanceCreatesEveryListedRuntimeClassAndNothingElse) {
    mrc::registerIoClasses();
    mrc::registerUtilClasses();
    const int runtimeIds[] = {0,  2,  3,  15, 16, 17, 18, 19, 20, 24, 25, 27, 29, 33, 35, 36, 37, 38, 42, 44,
                              45, 48, 49, 50, 52, 53, 56, 57, 58, 59, 60, 62, 65, 67, 68};
    for (int id : runtimeIds) {
        SCOPED_TRACE(mrc::kClassNames[id]);
        EXPECT_TRUE(mrc::NewInstanceFactory::isListed(id));
        Object* o = mrc::NewInstanceFactory::newInstance(id);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->m_classId, id);
        EXPECT_EQ(o->m_collectable, id == mrc::kClass_java_lang_Thread ? 0 : 1);  // a Thread until its run ends
        EXPECT_EQ(o->m_mark, 1);
        EXPECT_TRUE(Object::instanceOf(o, id));
    }
    host::LogCapture log;
    int listed = 0;
    for (int id = 0; id < mrc::kClassCount; ++id) {
        if (mrc::NewInstanceFactory::isListed(id)) {
            ++listed;
            continue;
        }
        mrc::NewInstanceFactory::add<Object>();  // refused for any id but Object's own
        mrc::NewInstanceFactory::setFactory(id, [] { return mrc::newObject<Object>(); });
        EXPECT_EQ(mrc::NewInstanceFactory::newInstance(id), nullptr) << mrc::kClassNames[id];
    }
    EXPECT_EQ(listed, 57);  // the listed classes and the MIDlet's
    EXPECT_TRUE(log.contains("NewInstanceFactory::setFactory(): class 43 is not created by id"));
}

TEST_F(ObjectModel, ClassForNameMatchesByPrefix) {
    struct Case {
        const char* name;
        int expected;
    } cases[] = {
        {"java.util.Vector", 68},
        {"java.util.Hashtable", 55},  // the first name that begins with it
        {"", 0},
        {"Game", 115},
        {"no.such.Class", -1},
    };
    for (const auto& c : cases) {
        mrc::ClassRecord* r = Class::forName(c.name);
        EXPECT_EQ(r ? r->classId : -1, c.expected) << c.name;
    }
    EXPECT_EQ(Class::forName(mrc::newString("java.util.Random"))->classId, 60);
    EXPECT_EQ(narrow(Object::getClass(statics()->findClassById(68))), "java_util_Vector");
    EXPECT_EQ(Object::getClass(nullptr), nullptr);
}

TEST_F(ObjectModel, ClassRecordsAndSubclassTest) {
    mrc::ClassRecord* r = statics()->findClassById(mrc::kClass_java_io_EOFException);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->name, "java_io_EOFException");
    EXPECT_EQ(r->superclassId, 22);
    EXPECT_TRUE(mrc::StaticClass::isSubclassOf(r, 33));
    EXPECT_FALSE(mrc::StaticClass::isSubclassOf(r, 45));
    EXPECT_EQ(statics()->findClassById(126), nullptr);
    auto* e = mrc::newThrowable(mrc::kClass_java_io_EOFException);
    EXPECT_EQ(statics()->findClassRecord(e), r);
}

TEST_F(ObjectModel, ObjectOperations) {
    auto* a = mrc::newObject<Object>();
    auto* b = mrc::newObject<Object>();
    EXPECT_TRUE(a->equals(a));
    EXPECT_FALSE(a->equals(b));
    EXPECT_EQ(a->hashCode(), static_cast<int32_t>(reinterpret_cast<uintptr_t>(a)));
    char expected[48];
    std::snprintf(expected, sizeof expected, "Object_id=0 @0x%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(a)));
    EXPECT_EQ(narrow(a->toString()), expected);
    EXPECT_EQ(a->getInterface(mrc::kClass_java_lang_Runnable), nullptr);

    host::LogCapture log;
    EXPECT_EQ(a->clone(), nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"clone", "stacktrace:"}));
}

TEST_F(ObjectModel, ThreadObjectsStartUncollectable) {
    auto* t = mrc::newObject<Object>(mrc::kClass_java_lang_Thread);
    EXPECT_EQ(t->m_collectable, 0);
    EXPECT_EQ(t->m_classId, mrc::kClass_java_lang_Thread);
}

}  // namespace
