#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/core/operand_stack.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::test::RuntimeTest;
using mrc::test::scrubStack;

class Arrays : public RuntimeTest {
protected:
    // The class of the pending exception (and clears it), or 0 when none is pending.
    static int pending() {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        return e ? e->m_classId : 0;
    }

    // "I3" for an int[3], "O2(I3,null)" for an Object[] holding an int[3] and null.
    static std::string shape(Object* o) {
        if (!o) return "null";
        static const char kLetters[] = "OZBCSIJFD";
        auto* a = static_cast<JArray*>(o);
        std::string s = std::string(1, kLetters[o->m_classId - mrc::kClass_ObjectArray]) + std::to_string(a->length);
        if (o->m_classId != mrc::kClass_ObjectArray || a->length <= 0) return s;
        s += "(";
        for (int32_t i = 0; i < a->length; ++i) s += (i ? "," : "") + shape(JArray::getRef(a, i));
        return s + ")";
    }
};

TEST_F(Arrays, EachClassHasItsIdAndElementSize) {
    struct Kind {
        std::function<JArray*(int32_t)> make;
        uint16_t classId;
        int32_t size;
    };
    const Kind kinds[] = {
        {[](int32_t n) { return om()->newObjectArray(mrc::kClass_String, n); }, mrc::kClass_ObjectArray, 8},
        {[](int32_t n) { return om()->newBoolArray(n); }, mrc::kClass_BoolArray, 1},
        {[](int32_t n) { return om()->newByteArray(n); }, mrc::kClass_ByteArray, 1},
        {[](int32_t n) { return om()->newCharArray(n); }, mrc::kClass_CharArray, 2},
        {[](int32_t n) { return om()->newShortArray(n); }, mrc::kClass_ShortArray, 2},
        {[](int32_t n) { return om()->newIntArray(n); }, mrc::kClass_IntArray, 4},
        {[](int32_t n) { return om()->newLongArray(n); }, mrc::kClass_Long64Array, 8},
        {[](int32_t n) { return om()->newFloatArray(n); }, mrc::kClass_FloatArray, 4},
        {[](int32_t n) { return om()->newDoubleArray(n); }, mrc::kClass_DoubleArray, 8},
    };
    for (const Kind& k : kinds) {
        JArray* a = k.make(5);
        ASSERT_NE(a, nullptr) << k.classId;
        EXPECT_EQ(a->m_classId, k.classId);
        EXPECT_EQ(a->elementSize(), k.size);
        EXPECT_EQ(mrc::arrayElementSize(k.classId), k.size);
        EXPECT_EQ(a->length, 5);
        ASSERT_NE(a->data, nullptr);
        EXPECT_TRUE(app()->dataHeap->contains(a->data));
        const auto* bytes = static_cast<const unsigned char*>(a->data);
        for (int32_t i = 0; i < 5 * k.size; ++i) ASSERT_EQ(bytes[i], 0) << k.classId;

        JArray* empty = k.make(0);
        EXPECT_EQ(empty->length, 0);
        EXPECT_EQ(empty->data, nullptr);
    }
    EXPECT_EQ(mrc::arrayElementSize(mrc::kClass_String), 0);
}

TEST_F(Arrays, NegativeLengthIsReportedAndLeavesNoBuffer) {
    host::LogCapture log;
    IntArray* a = om()->newIntArray(-1);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(log.contains("length of array should be >= 0"));
    EXPECT_EQ(a->length, -1);
    EXPECT_EQ(a->data, nullptr);
    for (int32_t i : {-1, 0}) {
        EXPECT_EQ(JArray::getInt(a, i), 0);
        EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
    }
}

TEST_F(Arrays, ByteSizeBeyondTheAddressableIsExhaustedMemory) {
    host::LogCapture log;
    EXPECT_EQ(om()->newLongArray(0x20000000), nullptr);
    EXPECT_EQ(om()->newObjectArray(0, 0x20000000), nullptr);
    EXPECT_EQ(om()->newDoubleArray(INT32_MAX), nullptr);
    EXPECT_TRUE(log.contains("ERROR: Operator new failed: out of store."));
}

TEST_F(Arrays, AccessorsExtendTruncateAndKeepWords) {
    ByteArray* b = om()->newByteArray(2);
    JArray::setByte(b, 1, 200);
    EXPECT_EQ(JArray::getByte(b, 1), -56);
    BoolArray* z = om()->newBoolArray(1);
    JArray::setByte(z, 0, 1);
    EXPECT_EQ(JArray::getByte(z, 0), 1);

    ShortArray* s = om()->newShortArray(2);
    JArray::setShort(s, 0, 0x18000);
    EXPECT_EQ(JArray::getShort(s, 0), -32768);
    CharArray* c = om()->newCharArray(2);
    JArray::setChar(c, 1, -1);
    EXPECT_EQ(JArray::getChar(c, 1), 0xFFFF);

    IntArray* i = om()->newIntArray(2);
    JArray::setInt(i, 1, -7);
    EXPECT_EQ(JArray::getInt(i, 1), -7);
    FloatArray* f = om()->newFloatArray(1);
    JArray::setFloat(f, 0, 1.5f);
    EXPECT_EQ(JArray::getFloat(f, 0), 1.5f);
    EXPECT_EQ(JArray::getInt(f, 0), 0x3FC00000);  // the 4-byte accessors serve float arrays too

    Long64Array* l = om()->newLongArray(2);
    JArray::setLong(l, 1, INT64_C(0x123456789ABCDEF0));
    EXPECT_EQ(JArray::getLong(l, 1), INT64_C(0x123456789ABCDEF0));
    EXPECT_EQ(static_cast<uint32_t*>(l->data)[2], 0x9ABCDEF0u);  // low word first
    DoubleArray* d = om()->newDoubleArray(1);
    JArray::setDouble(d, 0, -2.25);
    EXPECT_EQ(JArray::getDouble(d, 0), -2.25);

    ObjectArray* o = om()->newObjectArray(0, 2);
    JArray::setRef(o, 0, b);
    EXPECT_EQ(JArray::getRef(o, 0), b);
    EXPECT_EQ(JArray::getRef(o, 1), nullptr);
    EXPECT_EQ(pending(), 0);
}

TEST_F(Arrays, CheckedAccessTouchesNothingOutside) {
    host::LogCapture log;
    EXPECT_EQ(JArray::getInt(nullptr, 0), 0);
    JArray::setInt(nullptr, 0, 1);
    int reports = 0;
    for (const std::string& line : log.lines()) reports += line == "NullPointer";
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(pending(), 0);

    IntArray* a = om()->newIntArray(3);
    for (int32_t bad : {3, -1, INT32_MAX, INT32_MIN}) {
        JArray::setInt(a, bad, 9);
        EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayIndexOutOfBoundsException) << bad;
        EXPECT_EQ(JArray::getInt(a, bad), 0);
        EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayIndexOutOfBoundsException) << bad;
    }
    for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(a->elements()[k], 0);

    // An accessor wider than the elements would reach past the buffer: reported, skipped.
    ByteArray* b = om()->newByteArray(4);
    log.clear();
    JArray::setInt(b, 3, -1);
    EXPECT_EQ(JArray::getLong(b, 0), 0);
    EXPECT_EQ(JArray::getRef(a, 0), nullptr);
    EXPECT_TRUE(log.contains("array element size"));
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(b->elements()[k], 0);
}

TEST_F(Arrays, LiteralFillsStoreTruncatedValues) {
    JArray* path = JArray::fillInts(om()->newIntArray(16), {0, -1, 0, 1, -1, 0, 1, 0, -1, -1, 1, -1, -1, 1, 1, 1});
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(JArray::getInt(path, 1), -1);
    EXPECT_EQ(JArray::getInt(path, 15), 1);

    JArray* bytes = JArray::fillBytes(om()->newByteArray(3), {1, 200, -129});
    EXPECT_EQ(JArray::getByte(bytes, 1), -56);
    EXPECT_EQ(JArray::getByte(bytes, 2), 127);
    JArray* shorts = JArray::fillShorts(om()->newShortArray(2), {70000, -1});
    EXPECT_EQ(JArray::getShort(shorts, 0), 4464);
    EXPECT_EQ(JArray::getShort(shorts, 1), -1);
    EXPECT_EQ(pending(), 0);

    JArray* small = JArray::fillInts(om()->newIntArray(2), {7, 8, 9});
    EXPECT_EQ(JArray::getInt(small, 1), 8);
    EXPECT_EQ(pending(), mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
}

TEST_F(Arrays, MultiArraysFollowTheDescriptor) {
    struct Case {
        const char* descriptor;
        std::vector<int32_t> counts;
        const char* shape;
    } cases[] = {
        {"[[I", {2, 3}, "O2(I3,I3)"},
        {"[[I", {2}, "O2(null,null)"},
        {"[[[B", {2, 1, 2}, "O2(O1(B2),O1(B2))"},
        {"[[[Z", {1, 2}, "O1(O2(null,null))"},
        {"[[Ljava/lang/String;", {2, 1}, "O2(O1(null),O1(null))"},
        {"[[C", {1, 2}, "O1(C2)"},
        {"[[S", {1, 1}, "O1(S1)"},
        {"[[J", {1, 1}, "O1(J1)"},
        {"[[F", {1, 1}, "O1(F1)"},
        {"[[D", {2, 0}, "O2(D0,D0)"},
        {"[I", {4}, "I4"},
        {"[[I", {0, 5}, "O0"},
    };
    for (const Case& c : cases) {
        mrc::OperandFrame<8> stack;
        stack.pushInt(99);  // below the counts: untouched
        for (int32_t n : c.counts) stack.pushInt(n);
        stack.newMultiArray(c.descriptor, static_cast<int>(c.counts.size()));
        ASSERT_EQ(stack.depth(), 2) << c.descriptor;
        EXPECT_EQ(shape(stack.popRef()), c.shape) << c.descriptor;
        EXPECT_EQ(stack.popInt(), 99);
    }
    int32_t total = 0;
    mrc::OperandFrame<4> stack;
    stack.pushInt(2);
    stack.pushInt(3);
    stack.newMultiArray("[[I", 2);
    auto* outer = static_cast<JArray*>(stack.popRef());
    for (int32_t i = 0; i < 2; ++i)
        for (int32_t j = 0; j < 3; ++j) total += JArray::getInt(static_cast<JArray*>(JArray::getRef(outer, i)), j);
    EXPECT_EQ(total, 0);

    host::LogCapture log;
    stack.pushInt(-1);
    stack.pushInt(2);
    stack.newMultiArray("[[I", 2);
    EXPECT_EQ(shape(stack.popRef()), "O-1");
    EXPECT_TRUE(log.contains("length of array should be >= 0"));
    stack.pushInt(1);
    stack.newMultiArray("I", 1);
    EXPECT_EQ(stack.popRef(), nullptr);
    EXPECT_EQ(stack.depth(), 0);
}

// Only the callee's frame, scrubbed afterwards, ever holds the garbage's address.
__attribute__((noinline)) void setToGarbage(Object** root) {
    *root = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(100);
}

TEST_F(Arrays, BuffersFollowCompaction) {
    // Garbage below the kept array, alive through a root until the kept one exists.
    Object* root = nullptr;
    statics()->addRoot(&root);
    setToGarbage(&root);
    IntArray* kept = om()->newIntArray(50);
    for (int32_t i = 0; i < 50; ++i) kept->elements()[i] = i * i;
    void* before = kept->data;
    root = nullptr;
    scrubStack();
    om()->gc(mrc::kGcForced);
    app()->dataHeap->compactAll();
    EXPECT_NE(kept->data, before);
    EXPECT_TRUE(app()->dataHeap->contains(kept->data));
    for (int32_t i = 0; i < 50; ++i) ASSERT_EQ(JArray::getInt(kept, i), i * i);
    std::string why;
    EXPECT_TRUE(app()->dataHeap->checkInvariants(&why)) << why;
}

TEST_F(Arrays, ObjectArrayElementsStayReachable) {
    ObjectArray* a = om()->newObjectArray(mrc::kClass_String, 3);
    JArray::setRef(a, 1, mrc::newString("kept"));
    scrubStack();
    om()->gc(mrc::kGcForced);
    auto* s = static_cast<String*>(JArray::getRef(a, 1));
    ASSERT_FALSE(isNull(s));
    EXPECT_EQ(s->toStdString(), "kept");
}

TEST_F(Arrays, CharArrayTextStopsAtTheFirstZero) {
    CharArray* c = om()->newCharArray(5);
    for (int32_t i = 0; i < 5; ++i) JArray::setChar(c, i, "ab\0cd"[i]);
    EXPECT_EQ(c->toString()->toStdString(), "ab");
    CharArray* full = om()->newCharArray(2);
    JArray::setChar(full, 0, 'x');
    JArray::setChar(full, 1, 0x20AC);
    String* s = full->toString();
    ASSERT_EQ(s->count(), 2);
    EXPECT_EQ(s->chars[1], 0x20AC);
    EXPECT_EQ(om()->newCharArray(0)->toString()->count(), 0);
    // Other arrays keep Object's text.
    EXPECT_EQ(om()->newIntArray(1)->toString()->toStdString().rfind("Object_id=9 @0x", 0), 0u);
}

}  // namespace
