#include <gtest/gtest.h>

#include <functional>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::test::RuntimeTest;

class SystemNatives : public RuntimeTest {
protected:
    static int pending() {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        return e ? e->m_classId : 0;
    }
};

TEST_F(SystemNatives, ArraycopyShiftsWithinOneArray) {
    IntArray* a = static_cast<IntArray*>(JArray::fillInts(om()->newIntArray(5), {1, 2, 3, 4, 5}));
    java_lang_System::arraycopy(a, 0, a, 1, 3);
    EXPECT_EQ(std::vector<int32_t>(a->elements(), a->elements() + 5), (std::vector<int32_t>{1, 1, 2, 3, 5}));
    java_lang_System::arraycopy(a, 2, a, 0, 3);
    EXPECT_EQ(std::vector<int32_t>(a->elements(), a->elements() + 5), (std::vector<int32_t>{2, 3, 5, 3, 5}));
    EXPECT_EQ(pending(), 0);
}

TEST_F(SystemNatives, ArraycopyUsesEachClassesElementSize) {
    struct Kind {
        std::function<JArray*(int32_t)> make;
    };
    const Kind kinds[] = {
        {[](int32_t n) { return om()->newBoolArray(n); }},
        {[](int32_t n) { return om()->newByteArray(n); }},      {[](int32_t n) { return om()->newCharArray(n); }},
        {[](int32_t n) { return om()->newShortArray(n); }},     {[](int32_t n) { return om()->newIntArray(n); }},
        {[](int32_t n) { return om()->newLongArray(n); }},      {[](int32_t n) { return om()->newFloatArray(n); }},
        {[](int32_t n) { return om()->newDoubleArray(n); }},
    };
    for (const Kind& k : kinds) {
        JArray* from = k.make(4);
        JArray* to = k.make(4);
        int32_t size = from->elementSize();
        auto* bytes = static_cast<unsigned char*>(from->data);
        for (int32_t i = 0; i < 4 * size; ++i) bytes[i] = static_cast<unsigned char>(i + 1);
        java_lang_System::arraycopy(from, 1, to, 2, 2);
        const auto* out = static_cast<const unsigned char*>(to->data);
        for (int32_t i = 0; i < 4 * size; ++i) {
            int expected = i >= 2 * size ? i - size + 1 : 0;
            ASSERT_EQ(out[i], expected) << from->m_classId << " byte " << i;
        }
    }
    // References are pointer-sized.
    ObjectArray* from = om()->newObjectArray(0, 3);
    ObjectArray* to = om()->newObjectArray(0, 3);
    for (int32_t i = 0; i < 3; ++i) JArray::setRef(from, i, String::valueOfInt(i));
    java_lang_System::arraycopy(from, 1, to, 0, 2);
    EXPECT_EQ(JArray::getRef(to, 0), JArray::getRef(from, 1));
    EXPECT_EQ(JArray::getRef(to, 1), JArray::getRef(from, 2));
    EXPECT_EQ(JArray::getRef(to, 2), nullptr);
    EXPECT_EQ(pending(), 0);
}

TEST_F(SystemNatives, ArraycopyRefusalsCopyNothing) {
    host::LogCapture log;
    IntArray* ints = static_cast<IntArray*>(JArray::fillInts(om()->newIntArray(3), {1, 2, 3}));
    IntArray* target = om()->newIntArray(3);
    FloatArray* floats = om()->newFloatArray(3);

    java_lang_System::arraycopy(nullptr, 0, target, 0, 1);
    java_lang_System::arraycopy(ints, 0, nullptr, 0, 1);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(pending(), 0);

    java_lang_System::arraycopy(ints, 0, floats, 0, 1);
    EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayStoreException);
    java_lang_System::arraycopy(mrc::newString("abc"), 0, mrc::newString("xyz"), 0, 1);
    EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayStoreException);

    const int32_t ranges[][3] = {{0, 0, 4}, {1, 0, 3}, {0, 1, 3}, {-1, 0, 1}, {0, -1, 1}, {0, 0, -1},
                                 {INT32_MAX, 0, 1}, {0, INT32_MAX, 2}, {4, 0, 0}};
    for (const auto& r : ranges) {
        java_lang_System::arraycopy(ints, r[0], target, r[1], r[2]);
        EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayIndexOutOfBoundsException) << r[0] << " " << r[1] << " " << r[2];
    }
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(target->elements()[i], 0);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(JArray::getFloat(floats, i), 0.0f);

    java_lang_System::arraycopy(ints, 3, target, 3, 0);  // an empty range at the end is fine
    EXPECT_EQ(pending(), 0);
}

TEST_F(SystemNatives, GcIsPacedLikeUnforcedCollections) {
    host::ManualClock clock(5000);
    om()->gc(mrc::kGcForced);
    uint64_t before = om()->collections();
    clock.advance(150);
    java_lang_System::gc();
    EXPECT_EQ(om()->collections(), before);  // within 200 ms of the last one
    clock.advance(100);
    java_lang_System::gc();
    EXPECT_EQ(om()->collections(), before + 1);
}

}  // namespace
