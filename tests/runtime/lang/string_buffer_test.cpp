#include <gtest/gtest.h>

#include <string>

#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using namespace mrc::test;

class StringBuffers : public RuntimeTest {
protected:
    static std::u16string text(StringBuffer* b) { return units(b->toString()); }
    // The terminating 0 whenever the capacity exceeds the length.
    static void expectTerminated(StringBuffer* b) {
        if (b->capacity > b->length) {
            EXPECT_EQ(b->chars[b->length], 0);
        }
    }
};

TEST_F(StringBuffers, GrowthFollowsTheCapacityRules) {
    StringBuffer* b = mrc::newStringBuffer();
    EXPECT_EQ(b->capacity, 16);
    b->setLength(16);  // full: no room for the terminator
    EXPECT_EQ(b->capacity, 16);
    b->appendChar('!');
    EXPECT_EQ(b->capacity, 32);  // max(18, 32)
    EXPECT_EQ(b->length, 17);
    expectTerminated(b);
    StringBuffer* sixteen = mrc::newStringBuffer();
    sixteen->appendCString("0123456789abcdef");  // 16 characters and their terminator
    EXPECT_EQ(sixteen->capacity, 32);

    StringBuffer* none = mrc::newStringBuffer(0);
    EXPECT_EQ(none->chars, nullptr);
    none->appendCString("ab");
    EXPECT_EQ(none->capacity, 3);
    EXPECT_EQ(text(none), u"ab");
    EXPECT_TRUE(app()->dataHeap->contains(none->chars));

    StringBuffer* fromString = buffer(u"seed");
    EXPECT_EQ(fromString->capacity, 5);
    EXPECT_EQ(fromString->length, 4);
    fromString->ensureCapacity(6);
    EXPECT_EQ(fromString->capacity, 10);
    fromString->ensureCapacity(40);
    EXPECT_EQ(fromString->capacity, 40);
    EXPECT_EQ(text(fromString), u"seed");
    EXPECT_EQ(mrc::newStringBuffer(-3)->capacity, 0);
}

TEST_F(StringBuffers, TextFormsOfAppendedValues) {
    StringBuffer* b = mrc::newStringBuffer();
    b->appendString(nullptr)->appendChar(' ')->appendObject(nullptr)->appendChar(' ');
    b->appendBool(true)->appendBool(false)->appendChar(' ')->appendInt(INT32_MIN)->appendChar(' ');
    b->appendLong(INT64_C(4294967296))->appendChar(' ')->appendFloat(1.5f)->appendChar(' ')->appendDouble(-2.0);
    b->appendChar(' ')->appendCString("c\xe9")->appendString(str(u" \u20ac"))->appendObject(mrc::newString("!"));
    EXPECT_EQ(text(b), u"null null truefalse -2147483648 4294967296 1.500000 -2.000000 c\u00e9 \u20ac!");

    CharArray* chars = om()->newCharArray(3);
    for (int32_t i = 0; i < 3; ++i) JArray::setChar(chars, i, "xyz"[i]);
    StringBuffer* c = mrc::newStringBuffer();
    c->appendChars(chars)->appendChars(chars, 1, 2);
    EXPECT_EQ(text(c), u"xyzyz");
}

TEST_F(StringBuffers, InsertDeleteAndReverse) {
    StringBuffer* b = buffer(u"held");
    b->insertString(0, mrc::newString("up"))->insertChar(2, '-')->insertInt(b->length, 42);
    EXPECT_EQ(text(b), u"up-held42");
    b->deleteRange(2, 3);
    EXPECT_EQ(text(b), u"upheld42");
    b->deleteRange(6, 100);  // the end is cut to the length
    EXPECT_EQ(text(b), u"upheld");
    b->deleteRange(4, 2);    // nothing unless end > start
    b->deleteCharAt(0);
    EXPECT_EQ(text(b), u"pheld");
    expectTerminated(b);

    StringBuffer* r = buffer(u"a\u00e9b\U0001F600c");
    r->reverse();
    EXPECT_EQ(text(r), u"c\U0001F600b\u00e9a");
    EXPECT_EQ(text(buffer(u"")->reverse()), u"");
}

TEST_F(StringBuffers, BadPositionsChangeNothing) {
    host::LogCapture log;
    StringBuffer* b = buffer(u"abc");
    b->insertString(4, mrc::newString("x"));
    b->insertChar(-1, 'x');
    EXPECT_TRUE(log.contains("insert OOB"));
    log.clear();
    b->insertCString(-2, "");  // nothing to insert, at a place that is not there
    EXPECT_TRUE(log.contains("insert OOB"));
    b->deleteRange(-1, 2);
    b->deleteCharAt(3);
    EXPECT_TRUE(log.contains("delete OOB"));
    b->setLength(-1);
    EXPECT_TRUE(log.contains("setLength OOB"));
    EXPECT_EQ(b->charAt(3), 0);
    b->setCharAt(-1, 'q');
    EXPECT_TRUE(log.contains("charAt OOB"));
    b->appendChars(om()->newCharArray(2), 1, 5);
    EXPECT_EQ(text(b), u"abc");

    CharArray* into = om()->newCharArray(2);
    b->getChars(0, 3, into, 0);
    EXPECT_EQ(app()->getPendingException()->m_classId, mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
    app()->clearPendingException();
    b->getChars(0, 3, nullptr, 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    b->getChars(1, 3, into, 0);
    EXPECT_EQ(JArray::getChar(into, 1), 'c');
}

// Growing with setLength clears every new character, not only the one at the old end.
TEST_F(StringBuffers, SetLengthThatGrowsClearsTheWholeNewRange) {
    StringBuffer* b = buffer(u"");
    b->appendCString("abcdefgh");
    b->setLength(2);
    EXPECT_EQ(text(b), u"ab");
    b->setLength(6);  // within the capacity: the old "cdef" must not come back
    EXPECT_EQ(hexUnits(text(b)), hexUnits(std::u16string(u"ab\0\0\0\0", 6)));
    expectTerminated(b);
    b->deleteRange(0, 6)->appendCString("xyz");
    b->setLength(1);
    b->setLength(b->capacity);  // up to the capacity exactly: no terminator, still cleared
    for (int32_t i = 1; i < b->length; ++i) ASSERT_EQ(b->chars[i], 0) << i;
    b->setLength(b->capacity + 5);
    EXPECT_EQ(b->chars[b->length - 1], 0);
    expectTerminated(b);
}

TEST_F(StringBuffers, ConcatenationSurvivesCompactionOfItsParts) {
    String* part = mrc::newString("a part longer than the inline buffer");
    StringBuffer* b = mrc::newStringBuffer();
    for (int i = 0; i < 5; ++i) {
        b->appendString(part)->appendInt(i);
        om()->gc(mrc::kGcForced);
        app()->dataHeap->compactAll();
    }
    String* s = b->toString();
    EXPECT_EQ(s->count(), 5 * 37);
    EXPECT_EQ(narrow(s).substr(0, 38), "a part longer than the inline buffer0a");
    std::string why;
    EXPECT_TRUE(app()->dataHeap->checkInvariants(&why)) << why;
}

}  // namespace
