// String, StringBuffer, number text and arraycopy results compared with the JDK's over tables of
// cases, wherever this runtime means to give the API's answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/core/arrays.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/system.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/java_oracle.h"

namespace {

using namespace mrc::test;

class TextVsJdk : public RuntimeTest {};

using Case = test_support::OracleCase;

std::string dec(int64_t v) { return std::to_string(v); }
std::string yes(bool b) { return b ? "true" : "false"; }

std::string hexBytes(ByteArray* bytes) {
    std::string out;
    for (int32_t i = 0; i < bytes->length; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", static_cast<uint8_t>(bytes->elements()[i]));
        out += b;
    }
    return out.empty() ? "_" : out;
}

std::string hexOf(const std::string& raw) {
    std::string out;
    for (unsigned char c : raw) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out.empty() ? "_" : out;
}

// Texts for the operations on one string, and a smaller set for those on pairs.
const std::vector<std::u16string> kTexts = {
    u"", u"a", u"abc", u"abcd", u"ABC", u"Hello, World", u"  a b  ", u"\t\nx\r ", u"aaa", u"abcabc",
    u"\u00e9t\u00e9", u"\u20ac1", u"x\U0001F600y", std::u16string(u"a\0b", 3), u"zz\uffff", u"\u0100\u00ff",
};
const std::vector<std::u16string> kPairTexts = {u"", u"a", u"abc", u"abcd", u"ABC", u"bc", u"abcabc", u"\u00e9t\u00e9"};

bool asciiOnly(const std::u16string& s) {
    for (char16_t c : s)
        if (c > 0x7F) return false;
    return true;
}

void addStringCases(std::vector<Case>& cases) {
    auto add = [&](std::string line, std::string ours) { cases.push_back({std::move(line), std::move(ours)}); };
    const int32_t chars[] = {'a', 'b', 0xE9, 0, 0xD83D, 'z'};
    for (const auto& t : kTexts) {
        const std::string h = hexUnits(t);
        add("hash " + h, dec(str(t)->hashCode()));
        for (int32_t ch : chars) {
            for (int32_t from : {-5, 0, 1, 3, 100})
                add("idx " + h + " " + dec(ch) + " " + dec(from), dec(str(t)->indexOf(ch, from)));
            for (int32_t from : {-1, 0, 2, 100})
                add("lidx " + h + " " + dec(ch) + " " + dec(from), dec(str(t)->lastIndexOf(ch, from)));
            add("lidx1 " + h + " " + dec(ch), dec(str(t)->lastIndexOf(ch)));
        }
        for (int32_t b = 0; b <= static_cast<int32_t>(t.size()); ++b)
            for (int32_t e = b; e <= static_cast<int32_t>(t.size()); e += 2)
                add("sub " + h + " " + dec(b) + " " + dec(e), hexUnits(units(str(t)->substring(b, e))));
        add("trim " + h, hexUnits(units(str(t)->trim())));
        if (asciiOnly(t)) {
            add("upper " + h, hexUnits(units(str(t)->toUpperCase())));
            add("lower " + h, hexUnits(units(str(t)->toLowerCase())));
        }
        for (auto [from, to] : {std::pair<int, int>{'a', 'z'}, {'b', 'b'}, {'x', 'y'}, {0xE9, 'e'}})
            add("replace " + h + " " + dec(from) + " " + dec(to),
                hexUnits(units(str(t)->replace(static_cast<char16_t>(from), static_cast<char16_t>(to)))));
        add("rev " + h, hexUnits(units(buffer(t)->reverse()->toString())));
    }
    for (const auto& a : kPairTexts) {
        for (const auto& b : kPairTexts) {
            const std::string ab = hexUnits(a) + " " + hexUnits(b);
            add("cmp " + ab, dec(str(a)->compareTo(str(b))));
            add("eqic " + ab, yes(str(a)->equalsIgnoreCase(str(b))));
            add("ew " + ab, yes(str(a)->endsWith(str(b))));
            add("concat " + ab, hexUnits(units(str(a)->concat(str(b)))));
            for (int32_t from : {-1, 0, 2, 50})
                add("sidx " + ab + " " + dec(from), dec(str(a)->indexOfString(str(b), from)));
            for (int32_t off : {-1, 0, 1, 3})
                add("sw " + ab + " " + dec(off), yes(str(a)->startsWith(str(b), off)));
            const int32_t regions[][3] = {{0, 0, 0}, {0, 0, 2}, {1, 0, 2}, {0, 1, 3}, {-1, 0, 1}, {2, 2, -1}, {0, 0, 100}};
            for (bool ic : {false, true})
                for (const auto& r : regions)
                    add("rm " + hexUnits(a) + " " + (ic ? "1 " : "0 ") + dec(r[0]) + " " + hexUnits(b) + " " +
                            dec(r[1]) + " " + dec(r[2]),
                        yes(str(a)->regionMatches(ic, r[0], str(b), r[1], r[2])));
        }
    }
    // Modified UTF-8 (DataOutputStream.writeUTF without its length) is what getBytes("UTF-8") writes.
    std::vector<std::u16string> encoded = kTexts;
    for (std::u16string extra : {std::u16string(1, u'\0'), std::u16string(u"\u007f\u0080\u07ff\u0800\uffff"),
                                 std::u16string(1, u'\xD800'), std::u16string(u"\xDC00z")})
        encoded.push_back(extra);
    for (const auto& t : encoded) add("mutf " + hexUnits(t), hexBytes(str(t)->getBytes("UTF-8")));
    // Well-formed standard UTF-8 reads as the JDK reads it.
    for (const auto& t : kTexts) {
        std::string utf8 = str(t)->toUtf8();
        add("dec " + hexOf(utf8), hexUnits(units(fromUtf8Bytes(utf8))));
    }
}

void addNumberCases(std::vector<Case>& cases) {
    auto add = [&](std::string line, std::string ours) { cases.push_back({std::move(line), std::move(ours)}); };
    for (int32_t v : {0, 1, -1, 5, 10, 255, 256, 65535, -65536, 123456789, INT32_MAX, INT32_MIN}) {
        add("itos " + dec(v), narrow(java_lang_Integer::toString(v)));
        add("hex " + dec(v), narrow(java_lang_Integer::toHexString(v)));
        add("bin " + dec(v), narrow(java_lang_Integer::toBinaryString(v)));
    }
    for (int64_t v : {int64_t{0}, int64_t{-1}, int64_t{4294967296}, INT64_MAX, INT64_MIN, int64_t{-123456789012345}})
        add("ltos " + dec(v), narrow(java_lang_Long::toString(v)));
    for (const char* text : {"0", "123", "-45", "+7", "2147483647", "-2147483648", "007", "-0"})
        add("pint " + hexUnits(wide(text)), dec(java_lang_Integer::parseInt(mrc::newString(text))));
    for (const char* text : {"9223372036854775807", "-9223372036854775808", "4294967296", "-1"})
        add("plong " + hexUnits(wide(text)), dec(java_lang_Long::parseLong(mrc::newString(text))));
}

std::string ourArraycopy(int32_t n, int32_t sp, int32_t dn, int32_t dp, int32_t len, bool same) {
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    IntArray* src = om->newIntArray(n);
    for (int32_t k = 0; k < n; ++k) src->elements()[k] = k + 1;
    IntArray* dst = same ? src : om->newIntArray(dn);
    java_lang_System::arraycopy(src, sp, dst, dp, len);
    auto* app = mrc::ApplicationImpl::getApplication();
    if (Object* e = app->getPendingException()) {
        app->clearPendingException();
        std::string name = mrc::kClassNames[e->m_classId];
        return name.substr(name.rfind('_') + 1);
    }
    std::string out;
    for (int32_t k = 0; k < dst->length; ++k) out += dec(dst->elements()[k]) + ",";
    return out;
}

void addArraycopyCases(std::vector<Case>& cases) {
    const int32_t table[][6] = {
        {5, 0, 5, 0, 5, 0}, {5, 1, 4, 0, 3, 0}, {5, 0, 5, 1, 3, 1}, {5, 1, 5, 0, 4, 1}, {5, 0, 5, 0, 0, 0},
        {5, 5, 5, 5, 0, 0}, {5, 6, 5, 0, 0, 0}, {5, 0, 5, 6, 0, 0}, {5, 4, 5, 0, 2, 0}, {5, 0, 3, 2, 2, 0},
        {5, -1, 5, 0, 1, 0}, {5, 0, 5, -1, 1, 0}, {5, 0, 5, 0, -1, 0}, {5, 2, 5, 2, 3, 1}, {0, 0, 0, 0, 0, 0},
        {5, 0, 5, 2147483647, 1, 0}, {5, 2147483647, 5, 0, 2, 0},
    };
    for (const auto& r : table) {
        std::string line = "acopy";
        for (int32_t v : r) line += " " + dec(v);
        cases.push_back({line, ourArraycopy(r[0], r[1], r[2], r[3], r[4], r[5] != 0)});
    }
}

TEST_F(TextVsJdk, StringsNumbersAndArraycopyAgree) {
    std::vector<Case> cases;
    addStringCases(cases);
    addNumberCases(cases);
    addArraycopyCases(cases);
    EXPECT_EQ(app()->getPendingException(), nullptr);

    JAVA_ORACLE_RUN(run, test_support::testSource("runtime/oracle/TextOracle.java"), test_support::oracleInput(cases));
    EXPECT_EQ(test_support::oracleMismatches(cases, run.lines()), "") << run.err;
}

}  // namespace
