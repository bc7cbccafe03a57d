#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>

#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/core/operand_stack.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::ExceptionHandler;
using mrc::test::RuntimeTest;

class PendingExceptions : public RuntimeTest {};

TEST_F(PendingExceptions, HandlerTablesMatchSiteAndClass) {
    const ExceptionHandler single[] = {{mrc::kClass_java_io_IOException, 0, 1}, {0, 0, 0}};

    mrc::raise(mrc::kClass_java_io_EOFException);
    EXPECT_EQ(app()->isExceptionPending(0), 1);
    EXPECT_EQ(app()->findExceptionHandler(single), 0);
    EXPECT_EQ(app()->getPendingException(), nullptr);

    mrc::raise(mrc::kClass_java_io_EOFException);
    EXPECT_EQ(app()->isExceptionPending(1), 1);
    EXPECT_EQ(app()->findExceptionHandler(single), -1);
    EXPECT_NE(app()->getPendingException(), nullptr);
    app()->clearPendingException();
}

TEST_F(PendingExceptions, InnerHandlerWinsAndInterfacesCatch) {
    // Nested ranges: the inner (first) entry covers site 2 for IOException, the outer catches all.
    const ExceptionHandler nested[] = {{mrc::kClass_java_io_IOException, 1, 3},
                                       {mrc::kClass_java_lang_Throwable, 0, 5},
                                       {mrc::kClass_java_lang_Runnable, 0, 5},
                                       {0, 0, 0}};
    struct Case {
        uint16_t thrown;
        int32_t site;
        int32_t expected;
    } cases[] = {
        {mrc::kClass_java_io_EOFException, 2, 0},
        {mrc::kClass_java_io_EOFException, 4, 1},
        {mrc::kClass_java_lang_ArithmeticException, 2, 1},
        {mrc::kClass_java_io_EOFException, 5, -1},
    };
    for (const auto& c : cases) {
        mrc::raise(c.thrown);
        app()->isExceptionPending(c.site);
        EXPECT_EQ(app()->findExceptionHandler(nested), c.expected) << c.thrown << "@" << c.site;
        app()->clearPendingException();
    }
}

TEST_F(PendingExceptions, NothingPendingLeavesTheCallSite) {
    mrc::raise(mrc::kClass_java_io_EOFException);
    app()->isExceptionPending(7);
    app()->clearPendingException();
    EXPECT_EQ(app()->isExceptionPending(9), 0);
    EXPECT_EQ(app()->callSiteSlot(), 7);
    const ExceptionHandler any[] = {{mrc::kClass_java_lang_Throwable, 0, 100}, {0, 0, 0}};
    EXPECT_EQ(app()->findExceptionHandler(any), -1);
}

TEST_F(PendingExceptions, StackTraceTextAndBound) {
    auto* t = mrc::newThrowable(mrc::kClass_java_lang_Exception);
    java_lang_Throwable::fillInStackTrace(t);
    ASSERT_NE(t->stackTrace, nullptr);
    EXPECT_EQ(t->stackTrace->count(), 12);  // "stacktrace:\n"
    EXPECT_EQ(app()->getPendingException(), t);
    app()->clearPendingException();

    static const std::string longName(100, 'm');
    for (int i = 0; i < 300; ++i) app()->pushMethodName(longName.c_str());
    EXPECT_EQ(app()->callDepth.load(), mrc::kCallNameDepth);
    char buffer[512];
    int n = app()->stackTraceText(buffer, sizeof buffer);
    EXPECT_EQ(n, 511);
    EXPECT_EQ(std::strlen(buffer), 511u);
    for (int i = 0; i < 300; ++i) app()->popMethodName();
    EXPECT_EQ(app()->callDepth.load(), 0);
}

TEST_F(PendingExceptions, AreKeptPerThread) {
    mrc::raise(mrc::kClass_java_lang_Exception);
    Object* seenByOtherThread = reinterpret_cast<Object*>(1);
    std::thread other([&] { seenByOtherThread = app()->getPendingException(); });
    other.join();
    // A thread without a slot of its own has the shared slot, which is empty.
    EXPECT_EQ(seenByOtherThread, nullptr);
    EXPECT_NE(app()->getPendingException(), nullptr);
    app()->clearPendingException();
}

// ---- operand stack ------------------------------------------------------------------------

class OperandStackTest : public RuntimeTest {};

TEST_F(OperandStackTest, TagsFollowValues) {
    mrc::OperandFrame<8> s;
    auto* o = mrc::newObject<Object>();
    s.pushRef(o);
    s.pushRef(nullptr);
    s.pushInt(5);
    s.pushLong(-2);
    EXPECT_EQ(s.depth(), 5);
    EXPECT_EQ(s.tagAt(4), mrc::kTagReference);
    EXPECT_EQ(s.tagAt(3), mrc::kTagPrimitive);  // null is untagged
    EXPECT_EQ(s.tagAt(1), mrc::kTagWide);
    EXPECT_EQ(s.tagAt(0), mrc::kTagWide);
    EXPECT_EQ(s.peekLong(1), -2);
    EXPECT_EQ(s.peekLong(3), 5);
    EXPECT_EQ(s.popLong(), -2);
    EXPECT_EQ(s.popInt(), 5);
}

TEST_F(OperandStackTest, Dup2RotateAndDups) {
    mrc::OperandFrame<8> s;
    s.pushInt(3);
    s.pushInt(2);
    s.pushInt(1);
    s.dup2Rotate();
    int expected[] = {1, 2, 3, 1, 2};
    for (int v : expected) EXPECT_EQ(s.popInt(), v);
    mrc::stackPushIntDup(s, 9);
    EXPECT_EQ(mrc::stackIfIcmpEq(s), 1);
}

TEST_F(OperandStackTest, FloatCompare) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float a, b;
        int expected;
    } cases[] = {{1, 1, 0}, {2, 1, 1}, {1, 2, -1}, {nan, 1, -1}, {1, nan, -1}, {0.0f, -0.0f, 0}};
    for (const auto& c : cases) {
        mrc::OperandFrame<4> s;
        s.pushFloat(c.a);
        s.pushFloat(c.b);
        mrc::stackFcmp(s);
        EXPECT_EQ(s.popInt(), c.expected) << c.a << " " << c.b;
    }
}

TEST_F(OperandStackTest, TypeTests) {
    mrc::OperandFrame<4> s;
    host::LogCapture log;
    s.pushRef(nullptr);
    s.instanceOf(0);
    EXPECT_EQ(s.popInt(), 0);
    s.pushRef(nullptr);
    s.checkCast(mrc::kClass_String);
    EXPECT_TRUE(log.lines().empty());
    s.pushRef(mrc::newObject<Object>());
    s.checkCast(mrc::kClass_String);
    EXPECT_TRUE(log.contains("check cast"));
    EXPECT_EQ(s.depth(), 2);
}

TEST_F(OperandStackTest, ArrayAccessIsCheckedAndSkipped) {
    auto* a = om()->newIntArray(3);
    mrc::OperandFrame<8> s;
    host::LogCapture log;

    s.pushRef(a);
    s.pushInt(2);
    s.pushInt(77);
    s.storeIntArray();
    EXPECT_EQ(static_cast<int32_t*>(a->data)[2], 77);
    EXPECT_EQ(app()->getPendingException(), nullptr);

    for (int32_t bad : {3, -1, 1 << 30}) {
        s.pushRef(a);
        s.pushInt(bad);
        s.pushInt(5);
        s.storeIntArray();
        Object* pending = app()->getPendingException();
        ASSERT_NE(pending, nullptr) << bad;
        EXPECT_EQ(pending->m_classId, mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
        app()->clearPendingException();
        s.pushRef(a);
        s.pushInt(bad);
        s.loadIntArray();
        EXPECT_EQ(s.popInt(), 0);
        app()->clearPendingException();
    }
    EXPECT_EQ(s.depth(), 0);

    s.pushRef(nullptr);
    s.pushInt(0);
    s.loadIntArray();
    EXPECT_EQ(s.popInt(), 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    s.pushRef(a);
    s.arrayLength();
    EXPECT_EQ(s.popInt(), 3);

    // A store through the wrong kind of array never writes past its buffer.
    auto* bytes = om()->newByteArray(1);
    log.clear();
    s.pushRef(bytes);
    s.pushInt(0);
    s.pushInt(0x7FFFFFFF);
    s.storeIntArray();
    EXPECT_TRUE(log.contains("array element size"));
    EXPECT_EQ(static_cast<int8_t*>(bytes->data)[0], 0);
}

TEST_F(OperandStackTest, FieldStoreThroughNullIsReportedAndSkipped) {
    mrc::OperandFrame<4> s;
    host::LogCapture log;
    Object* field = reinterpret_cast<Object*>(0x10);
    s.pushRef(nullptr);
    s.pushRef(mrc::newObject<Object>());
    s.popRefChecked(&field);
    EXPECT_EQ(field, reinterpret_cast<Object*>(0x10));
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(s.depth(), 0);
}

TEST_F(OperandStackTest, ThrowTopRaisesAndDumpNamesClasses) {
    mrc::OperandFrame<4> s;
    s.pushRef(mrc::newThrowable(mrc::kClass_java_lang_IllegalStateException));
    s.throwTop();
    ASSERT_NE(app()->getPendingException(), nullptr);
    app()->clearPendingException();

    host::LogCapture log;
    s.pushInt(7);
    s.pushRef(mrc::newString("x"));
    s.dump();
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "OperandStack dump:");
    EXPECT_EQ(lines[1].rfind("\t-1 value=0x", 0), 0u);
    EXPECT_NE(lines[1].find("class=String"), std::string::npos);
    EXPECT_EQ(lines[2], "\t-2 value=0x7 class=?");
}

}  // namespace
