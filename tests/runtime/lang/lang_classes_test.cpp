// The java.lang classes: case rules, wrappers, Runtime and the exception constructors.
#include <gtest/gtest.h>

#include <string>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/lang/boolean.h"
#include "runtime/lang/case_converter.h"
#include "runtime/lang/character.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system_class.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/hashtable.h"
#include "tests/runtime/lang/constants_support.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using CaseConverter = com_sun_cldc_i18n_uclc_DefaultCaseConverter;
using mrc::test::narrow;
using mrc::test::RuntimeTest;

class LangClasses : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        mrc::test::installConstants(mrc::test::libraryConstants());
    }
};

TEST(CaseRules, RangesAreKeptAsTheyStand) {
    struct Case {
        char16_t c;
        bool lower, upper, digit;
        char16_t toLower, toUpper;
    } cases[] = {
        {'a', true, false, false, 'a', 'A'},        {'z', true, false, false, 'z', 'Z'},
        {'A', false, true, false, 'a', 'A'},        {'Z', false, true, false, 'z', 'Z'},
        {'0', false, false, true, '0', '0'},        {'9', false, false, true, '9', '9'},
        {'@', false, false, false, '@', '@'},       {'[', false, false, false, '[', '['},
        {'`', false, false, false, '`', '`'},       {'{', false, false, false, '{', '{'},
        {192, false, true, false, 224, 192},        {214, false, true, false, 246, 214},
        {215, false, false, false, 215, 215},       {216, false, true, false, 248, 216},
        {222, false, true, false, 254, 222},        {223, true, false, false, 223, 191},
        {246, true, false, false, 246, 214},        {247, false, false, false, 247, 247},
        {248, true, false, false, 248, 216},        {255, true, false, false, 255, 223},
        {256, false, false, false, 256, 256},       {0x0430, false, false, false, 0x0430, 0x0430},
        {0, false, false, false, 0, 0},             {0xFFFF, false, false, false, 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(CaseConverter::isLowerCase(c.c), c.lower);
        EXPECT_EQ(CaseConverter::isUpperCase(c.c), c.upper);
        EXPECT_EQ(CaseConverter::isDigit(c.c), c.digit);
        EXPECT_EQ(CaseConverter::toLowerCase(c.c), c.toLower);
        EXPECT_EQ(CaseConverter::toUpperCase(c.c), c.toUpper);
        EXPECT_EQ(java_lang_Character::toUpperCase(c.c), c.toUpper);
        EXPECT_EQ(java_lang_Character::isLowerCase(c.c), c.lower);
    }
}

TEST(CaseRules, DigitValuesByRadix) {
    struct Case {
        char16_t c;
        int32_t radix;
        int32_t value;
    } cases[] = {
        {'f', 16, 15}, {'F', 16, 15}, {'g', 16, -1}, {'7', 8, 7},  {'8', 8, -1},  {'5', 1, -1},
        {'5', 37, -1}, {'0', 2, 0},   {'1', 2, 1},   {'2', 2, -1}, {'z', 36, 35}, {'Z', 36, 35},
        {192, 16, 9},  {223, 36, -1}, {255, 36, -1}, {'a', 10, -1}, {'9', 10, 9}, {' ', 36, -1},
        {215, 36, -1}, {'5', -3, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CaseConverter::digit(c.c, c.radix), c.value) << static_cast<int>(c.c) << " radix " << c.radix;
        EXPECT_EQ(java_lang_Character::digit(c.c, c.radix), c.value);
    }
}

TEST_F(LangClasses, BooleansCompareByValueAndPrintTheirConstants) {
    java_lang_Boolean* yes = mrc::newBoolean(true);
    java_lang_Boolean* yes2 = mrc::newBoolean(true);
    java_lang_Boolean* no = mrc::newBoolean(false);
    EXPECT_TRUE(yes->booleanValue());
    EXPECT_FALSE(no->booleanValue());
    EXPECT_EQ(yes->value, 1);
    EXPECT_EQ(no->value, 0);
    EXPECT_TRUE(yes->equals(yes2));
    EXPECT_FALSE(yes->equals(no));
    EXPECT_FALSE(yes->equals(nullptr));
    EXPECT_FALSE(no->equals(mrc::newCharacter(0)));  // same value, other class
    EXPECT_EQ(yes->hashCode(), 1);
    EXPECT_EQ(no->hashCode(), 0);
    EXPECT_EQ(narrow(yes->toString()), "true");
    EXPECT_EQ(narrow(no->toString()), "false");

    java_lang_Boolean::clinit();
    EXPECT_EQ(java_lang_Boolean::statics.TRUE_->hashCode(), 1);
    EXPECT_TRUE(java_lang_Boolean::statics.TRUE_->equals(yes));
    EXPECT_TRUE(java_lang_Boolean::statics.FALSE_->equals(no));
}

TEST_F(LangClasses, CharactersCompareByValueAndPrintThemselves) {
    java_lang_Character* c = mrc::newCharacter(u'\u00e9');
    EXPECT_EQ(c->charValue(), u'\u00e9');
    EXPECT_TRUE(c->equals(mrc::newCharacter(u'\u00e9')));
    EXPECT_FALSE(c->equals(mrc::newCharacter('e')));
    EXPECT_FALSE(c->equals(mrc::newString("\xe9")));
    String* s = c->toString();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->count(), 1);
    EXPECT_EQ(s->chars[0], u'\u00e9');
}

TEST_F(LangClasses, RuntimeIsOneInstanceWhoseMethodsDoNothing) {
    java_lang_Runtime::clinit();
    java_lang_Runtime* r = java_lang_Runtime::getRuntime();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(java_lang_Runtime::getRuntime(), r);
    r->exit(3);
    r->gc();
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(LangClasses, ExceptionMessages) {
    // Without arguments: string constant 1, for every class of the tree.
    for (uint16_t id : {mrc::kClass_java_lang_Exception, mrc::kClass_java_util_EmptyStackException,
                        mrc::kClass_java_io_EOFException, mrc::kClass_javax_microedition_rms_RecordStoreException}) {
        java_lang_Throwable* e = mrc::newException(id);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->m_classId, id);
        EXPECT_EQ(e->getMessage(), statics()->getStringConstant(1));
        EXPECT_EQ(e->toString(), e->getMessage());
    }
    // With a message: the message alone, without the class name.
    auto* e = mrc::newObject<java_lang_Throwable>(mrc::kClass_java_lang_IllegalStateException);
    e->init(mrc::newString("closed"));
    EXPECT_EQ(narrow(e->toString()), "closed");
    EXPECT_EQ(narrow(e->getMessage()), "closed");
    e->init(nullptr);
    EXPECT_EQ(e->toString(), nullptr);

    // An index: constant 583, then the index in decimal.
    for (int32_t index : {-1, 0, 7, 2147483647, -2147483647 - 1}) {
        auto* oob = mrc::newObject<java_lang_Throwable>(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
        oob->initIndex(index);
        EXPECT_EQ(narrow(oob->toString()), "Array index out of range: " + std::to_string(index));
    }
}

TEST_F(LangClasses, RaisedWithoutMessageCarriesTheDefaultOne) {
    mrc::raise(mrc::kClass_java_lang_IllegalArgumentException);
    auto* e = static_cast<java_lang_Throwable*>(app()->getPendingException());
    ASSERT_NE(e, nullptr);
    app()->clearPendingException();
    EXPECT_EQ(e->m_classId, mrc::kClass_java_lang_IllegalArgumentException);
    EXPECT_EQ(e->message, statics()->getStringConstant(1));
    EXPECT_EQ(narrow(e->stackTrace), "stacktrace:\n");
}

TEST_F(LangClasses, PropertyTableHoldsItsOneEntry) {
    mrc::initSystemStatics();
    java_util_Hashtable* table = mrc::systemStatics.properties;
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->size(), 1);
    EXPECT_EQ(table->table->length, mrc::kSystemPropertyCapacity);
    EXPECT_EQ(narrow(static_cast<String*>(table->get(mrc::newString("microedition.encoding")))), "ISO-8859-1");
    EXPECT_EQ(table->get(mrc::newString("microedition.platform")), nullptr);
}

TEST_F(LangClasses, ConsoleStreamsTakeEverythingAndShowNothing) {
    EXPECT_EQ(mrc::systemStatics.out, nullptr);
    mrc::initSystemStatics();
    java_io_PrintStream* out = mrc::systemStatics.out;
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(mrc::systemStatics.err, out);
    EXPECT_EQ(out->out->m_classId, mrc::kClass_java_io_ConsoleOutputStream);
    host::LogCapture log;
    out->print(mrc::newString("hello"));
    out->println(int32_t{42});
    out->print(true);
    out->print(static_cast<String*>(nullptr));
    mrc::systemStatics.err->println(static_cast<Object*>(mrc::newBoolean(false)));
    mrc::raise(mrc::kClass_java_lang_Exception);
    auto* e = static_cast<java_lang_Throwable*>(app()->getPendingException());
    app()->clearPendingException();
    e->printStackTrace();
    EXPECT_EQ(app()->getPendingException(), nullptr);
    EXPECT_TRUE(log.lines().empty()) << log.lines()[0];
}


class WithoutConstants : public RuntimeTest {};

TEST_F(WithoutConstants, DefaultMessagesStayNullQuietlyWhileLookupsReport) {
    host::LogCapture log;
    java_lang_Throwable* e = mrc::newException(mrc::kClass_java_lang_Exception);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->message, nullptr);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(statics()->getStringConstant(1), nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"NullPointer", "stacktrace:"}));
}

}  // namespace
