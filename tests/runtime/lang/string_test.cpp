#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using namespace mrc::test;

class Strings : public RuntimeTest {
protected:
    static bool onDataHeap(const String* s) { return app()->dataHeap->contains(s->chars); }
    static String* fresh() { return mrc::newObject<String>(); }
};

TEST_F(Strings, ShortTextsAreInlineLongerOnTheDataHeap) {
    String* empty = mrc::newString("");
    EXPECT_EQ(empty->length, 1);
    EXPECT_EQ(empty->chars, empty->inlineBuffer);
    String* fourteen = mrc::newString("abcdefghijklmn");
    EXPECT_EQ(fourteen->chars, fourteen->inlineBuffer);
    EXPECT_EQ(fourteen->length, 15);
    String* fifteen = mrc::newString("abcdefghijklmno");
    EXPECT_TRUE(onDataHeap(fifteen));
    EXPECT_EQ(fifteen->chars[15], 0);
    // The copy has a buffer of its own.
    String* copy = fresh();
    copy->initFromString(fifteen);
    EXPECT_NE(copy->chars, fifteen->chars);
    EXPECT_TRUE(copy->equals(fifteen));
}

TEST_F(Strings, HashAndComparisonExamples) {
    EXPECT_EQ(mrc::newString("abc")->hashCode(), 96354);
    EXPECT_EQ(mrc::newString("abc")->compareTo(mrc::newString("abcd")), -1);
    EXPECT_TRUE(mrc::newString("abc")->equals(mrc::newString("abc")));
    EXPECT_FALSE(mrc::newString("abc")->equals(nullptr));
    EXPECT_FALSE(mrc::newString("abc")->equals(om()->newCharArray(3)));
}

TEST_F(Strings, ConstructorsFromCharsBytesAndBuffers) {
    CharArray* chars = om()->newCharArray(4);
    for (int32_t i = 0; i < 4; ++i) JArray::setChar(chars, i, u"w\u00e9xy"[i]);
    String* s = fresh();
    s->initFromChars(chars, 1, 2);
    EXPECT_EQ(units(s), u"\u00e9x");
    s = fresh();
    s->initFromChars(chars);
    EXPECT_EQ(units(s), u"w\u00e9xy");

    ByteArray* bytes = byteArray(std::string("a\xe9\0z", 4));
    s = fresh();
    s->initFromBytes(bytes);
    EXPECT_EQ(units(s), std::u16string(u"a\u00e9\0z", 4));
    s = fresh();
    s->initFromCBytes(bytes, 1, 3);
    EXPECT_EQ(units(s), u"\u00e9");

    s = fresh();
    s->initFromWide(u"wide \u20ac");
    EXPECT_EQ(units(s), u"wide \u20ac");
    s = fresh();
    s->initFromStringBuffer(buffer(u"from a buffer"));
    EXPECT_EQ(units(s), u"from a buffer");

    s = fresh();
    s->initFromUtf8("\xe2\x82\xac!", 4);
    EXPECT_EQ(units(s), u"\u20ac!");
}

TEST_F(Strings, BadArgumentsAreReportedAndStayInside) {
    host::LogCapture log;
    CharArray* chars = om()->newCharArray(3);
    String* s = fresh();
    s->initFromChars(nullptr, 0, 1);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(s->length, 1);
    s = fresh();
    s->initFromChars(chars, 2, 5);
    EXPECT_TRUE(log.contains("String OOB"));
    EXPECT_EQ(s->count(), 1);

    String* abc = mrc::newString("abc");
    EXPECT_EQ(abc->charAt(3), 0);
    EXPECT_TRUE(log.contains("charAt OOB"));
    EXPECT_EQ(units(abc->substring(-1, 9)), u"abc");
    EXPECT_EQ(units(abc->substring(2, 1)), u"");
    EXPECT_TRUE(log.contains("substring OOB"));

    CharArray* into = om()->newCharArray(2);
    abc->getChars(0, 3, into, 0);  // destination too short
    EXPECT_EQ(app()->getPendingException()->m_classId, mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
    app()->clearPendingException();
    abc->getChars(2, 1, into, 0);
    EXPECT_TRUE(log.contains("getChars OOB"));
    abc->getChars(1, 3, into, 0);
    EXPECT_EQ(JArray::getChar(into, 0), 'b');
    EXPECT_EQ(JArray::getChar(into, 1), 'c');
    abc->getChars(1, 1, om()->newCharArray(0), 0);  // an empty array has no storage at all
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

// Encoding names match as prefixes of the known names; UTF-8 names ignore ASCII case.
TEST_F(Strings, EncodingNamesAndTheirReadings) {
    struct Case {
        const char* encoding;  // null: none given
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {nullptr, "\x82\xa0", u"\u0082\u00a0"},
        {"ISO-8859-1", "\xe9t\xe9", u"\u00e9t\u00e9"},
        {"ISO", "\xff", u"\u00ff"},
        {"UTF-8", "\xe2\x82\xac", u"\u20ac"},
        {"utf8", "\xc3\xa9", u"\u00e9"},
        {"utf", "\xc3\xa9", u"\u00e9"},
        {"", "\xc3\xa9", u"\u00e9"},
        {"SJIS", "\x82\xa0", u"\x82a0"},
        {"SJIS", "a\xe0\x40\xa5\x9f", u"a\xe040\u00a5\u009f"},  // a lead byte at the end stands alone
        {"S", "\x82\xa0", u"\x82a0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hexUnits(units(fromEncoded(c.bytes, c.encoding))), hexUnits(c.expected))
            << (c.encoding ? c.encoding : "null");
}

TEST_F(Strings, UnknownEncodingGivesAValidEmptyString) {
    host::LogCapture log;
    for (const char* name : {"sjis", "UTF-16", "Cp1252"}) {
        String* s = fromEncoded("abc", name);
        EXPECT_EQ(s->length, 1) << name;
        ASSERT_NE(s->chars, nullptr);
        EXPECT_EQ(s->chars[0], 0);
        EXPECT_EQ(s->hashCode(), 0);
        EXPECT_TRUE(s->equals(mrc::newString("")));
    }
    EXPECT_TRUE(log.contains("unsupported encoding \"sjis\""));
    EXPECT_EQ(mrc::newString("x")->getBytes("Cp1252"), nullptr);
}

// The decoder reads only its range and moves on at every byte that starts no sequence.
TEST_F(Strings, Utf8DecoderNeverOverreadsAndAlwaysAdvances) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"\xc3", u"\xfffd"},
        {"\xe2\x82", u"\xfffd\xfffd"},
        {"\x80z", u"\xfffdz"},
        {"\xff\xfe", u"\xfffd\xfffd"},
        {"\xc0\x80", std::u16string(1, u'\0')},
        {"\xe2(\xa1", u"\xfffd(\xfffd"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
        {"\xf4\x90\x80\x80", u"\xfffd"},
        {"\xed\xa0\xbd\xed\xb8\x80", u"\U0001F600"},
    };
    for (const Case& c : cases) EXPECT_EQ(hexUnits(units(fromUtf8Bytes(c.bytes))), hexUnits(c.expected));

    // A range that ends inside a sequence: the bytes after it are never read.
    ByteArray* bytes = byteArray("xx\xe2\x82\xacyy");
    String* s = fresh();
    s->initFromEncoded(bytes, 2, 2, mrc::newString("UTF-8"));
    EXPECT_EQ(hexUnits(units(s)), hexUnits(u"\xfffd\xfffd"));
}

TEST_F(Strings, DecodeBufferIsSharedRootedAndNotKeptHuge) {
    EXPECT_EQ(app()->decodeBuffer, nullptr);
    fromUtf8Bytes("abc");
    auto* shared = static_cast<StringBuffer*>(app()->decodeBuffer);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->m_classId, mrc::kClass_StringBuffer);
    EXPECT_EQ(shared->capacity, 256);
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(app()->decodeBuffer, shared);
    EXPECT_FALSE(shared->isSwept());
    String* again = fromEncoded("\x82\xa0", "SJIS");
    EXPECT_EQ(app()->decodeBuffer, shared);
    EXPECT_EQ(units(again), u"\x82a0");

    String* big = fromUtf8Bytes(std::string(5000, 'q'));
    EXPECT_EQ(big->count(), 5000);
    EXPECT_EQ(app()->decodeBuffer, nullptr);
}

TEST_F(Strings, BytesAndCharsOut) {
    String* s = str(u"A\u00e9\u20ac");
    ByteArray* low = s->getBytes();
    ASSERT_EQ(low->length, 3);
    EXPECT_EQ(JArray::getByte(low, 1), -23);
    EXPECT_EQ(JArray::getByte(low, 2), static_cast<int8_t>(0xAC));

    ByteArray* c = s->toCString();
    ASSERT_EQ(c->length, 4);
    EXPECT_EQ(JArray::getByte(c, 3), 0);
    EXPECT_EQ(JArray::getByte(c, 0), 'A');

    CharArray* chars = s->toCharArray();
    ASSERT_EQ(chars->length, 3);
    EXPECT_EQ(JArray::getChar(chars, 2), 0x20AC);

    struct Case {
        std::u16string text;
        const char* encoding;
        std::string bytes;
    } cases[] = {
        {std::u16string(1, u'\0'), "UTF-8", "\xc0\x80"},
        {u"\u20ac", "utf-8", "\xe2\x82\xac"},
        {u"A\u20ac", "UTF8", "A\xe2\x82\xac"},
    };
    for (const Case& k : cases) {
        ByteArray* b = str(k.text)->getBytes(k.encoding);
        ASSERT_NE(b, nullptr) << k.encoding;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b->data), static_cast<std::size_t>(b->length)), k.bytes)
            << k.encoding;
    }
    // Only UTF-8 is written: any other name, even one the decoders read, gives null.
    host::LogCapture log;
    for (const char* name : {"ISO-8859-1", "SJIS", "UTF-16"}) EXPECT_EQ(str(u"\u20acA")->getBytes(name), nullptr) << name;
    EXPECT_EQ(str(u"A")->getBytes(mrc::newString("ISO-8859-1")), nullptr);
    EXPECT_TRUE(log.contains("unsupported encoding \"SJIS\""));
    EXPECT_EQ(str(u"x\u00e9\U0001F600")->toUtf8(), "x\xc3\xa9\xf0\x9f\x98\x80");
}

TEST_F(Strings, ComparisonsWithCTextAreByPrefix) {
    struct Case {
        const char* string;
        const char* text;
        bool exact;
        bool ignoringCase;
    } cases[] = {
        {"abc", "abc", true, true},      {"abc", "abcdef", true, true}, {"abcd", "abc", false, false},
        {"", "anything", true, true},    {"ABC", "abc", false, true},   {"audio", "audio/x-wav", true, true},
        {"abc", "", false, false},       {"a\xe9", "a\xe9", true, true},
    };
    for (const Case& c : cases) {
        String* s = mrc::newString(c.string);
        EXPECT_EQ(s->equalsCString(c.text), c.exact) << c.string << " / " << c.text;
        EXPECT_EQ(s->equalsIgnoreCaseCString(c.text), c.ignoringCase) << c.string << " / " << c.text;
        std::u16string wideText = wide(c.text);
        EXPECT_EQ(s->equalsIgnoreCaseWide(wideText.c_str()), c.ignoringCase) << c.string << " / " << c.text;
    }
}

// Where this runtime deliberately differs from the JDK: case rules for ASCII letters only.
TEST_F(Strings, CaseRulesCoverAsciiLettersOnly) {
    String* s = str(u"Stra\u00dfe \u00e9\u00c9 Zz");
    EXPECT_EQ(units(s->toUpperCase()), u"STRA\u00dfE \u00e9\u00c9 ZZ");
    EXPECT_EQ(units(s->toLowerCase()), u"stra\u00dfe \u00e9\u00c9 zz");
    EXPECT_FALSE(str(u"\u00e9")->equalsIgnoreCase(str(u"\u00c9")));
    EXPECT_TRUE(str(u"HeLLo")->regionMatches(true, 1, str(u"xELl"), 1, 3));
    String* upper = mrc::newString("UP");
    EXPECT_NE(upper->toUpperCase(), upper);  // always a new String
}

TEST_F(Strings, WhichOperationsReturnTheSameString) {
    String* s = mrc::newString("abc");
    EXPECT_EQ(s->concat(mrc::newString("")), s);
    EXPECT_EQ(s->replace('x', 'y'), s);
    EXPECT_EQ(s->replace('a', 'a'), s);
    EXPECT_EQ(s->trim(), s);
    EXPECT_EQ(s->toString(), s);
    EXPECT_NE(s->substring(0, 3), s);
    EXPECT_EQ(units(mrc::newString("  a b  ")->trim()), u"a b");
}

TEST_F(Strings, ValueOfForms) {
    EXPECT_EQ(narrow(String::valueOfInt(-12)), "-12");
    EXPECT_EQ(narrow(String::valueOfLong(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(narrow(String::valueOfBoolean(true)), "true");
    EXPECT_EQ(narrow(String::valueOfBoolean(false)), "false");
    EXPECT_EQ(units(String::valueOfChar(u'\u20ac')), u"\u20ac");
    EXPECT_EQ(narrow(String::valueOfFloat(1.5f)), "1.500000");
    EXPECT_EQ(narrow(String::valueOfDouble(-0.25)), "-0.250000");
    EXPECT_EQ(narrow(String::valueOfObject(nullptr)), "null");
    String* s = mrc::newString("self");
    EXPECT_EQ(String::valueOfObject(s), s);
    EXPECT_EQ(narrow(String::valueOfObject(om()->newIntArray(0))).rfind("Object_id=9", 0), 0u);
}

// Long strings built while every allocation may move the characters of the others.
TEST_F(Strings, LongTextsSurviveCollectionsBetweenOperations) {
    String* a = mrc::newString("The quick brown fox jumps over the lazy dog");
    String* b = a->toUpperCase();
    om()->gc(mrc::kGcForced);
    app()->dataHeap->compactAll();
    String* c = a->concat(b)->substring(4, 50)->replace('o', '0');
    EXPECT_EQ(narrow(c), "quick br0wn f0x jumps 0ver the lazy d0gTHE QUI");
    EXPECT_EQ(a->indexOfString(mrc::newString("lazy")), 35);
    EXPECT_EQ(narrow(b), "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG");
}

}  // namespace
