// Integer and Long text and the constants file compared with the JDK, in one oracle run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"
#include "tools/formats/constants_file.h"
#include "tests/runtime/lang/constants_support.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/java_oracle.h"

namespace {

using Case = test_support::OracleCase;
using mrc::test::RuntimeTest;

class LangVsJdk : public RuntimeTest {};

constexpr int32_t kRealConstantCount = 600;

// The same strings as LangOracle.generated.
std::u16string generated(int i) {
    static const char16_t units[] = {'a',   'Z',   '0',    ' ',    '~',    0,      0x7F,   0x80,
                                     0xE9,  0x7FF, 0x800,  0x20AC, 0xD83D, 0xDE00, 0xFFFF, '\n'};
    int length = i % 100 == 99 ? 700 : i % 23;
    std::u16string s;
    for (int k = 0; k < length; ++k) s.push_back(units[(i * 7 + k * 13) % 16]);
    return s;
}

std::string yes(bool b) { return b ? "true" : "false"; }

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        char h[3];
        std::snprintf(h, sizeof h, "%02x", b);
        out += h;
    }
    return out;
}

std::vector<uint8_t> unhex(const std::string& text) {
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

void addIntegerCases(std::vector<Case>& cases) {
    const int32_t values[] = {0,     1,      -1,     127,    128,     -128,     -129,        255,
                              256,   32767,  32768,  -32768, -32769,  65535,    65536,       1000000,
                              -999,  123456789, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
    for (int32_t v : values) {
        java_lang_Integer* o = mrc::newInteger(v);
        std::string ours = o->toString()->toStdString() + " " + std::to_string(o->byteValue()) + " " +
                           std::to_string(o->shortValue()) + " " + std::to_string(o->longValue()) + " " +
                           std::to_string(o->hashCode()) + " " + yes(o->equals(mrc::newInteger(v))) + " " +
                           yes(o->equals(mrc::newLong(v)));
        cases.push_back({"int " + std::to_string(v), ours});
    }
    const int64_t longs[] = {0,          1,          -1,         2147483647LL, 2147483648LL, -2147483649LL,
                             4294967296LL, 1234567890123LL, std::numeric_limits<int64_t>::max(),
                             std::numeric_limits<int64_t>::min()};
    for (int64_t v : longs) {
        java_lang_Long* o = mrc::newLong(v);
        std::string ours = o->toString()->toStdString() + " " + std::to_string(o->longValue()) + " " +
                           yes(o->equals(mrc::newLong(v))) + " " +
                           yes(o->equals(mrc::newInteger(static_cast<int32_t>(v))));
        cases.push_back({"long " + std::to_string(v), ours});
    }
}

TEST_F(LangVsJdk, IntegerAndLongTextAndARealSizeConstantsFile) {
    std::vector<Case> cases;
    addIntegerCases(cases);
    std::vector<std::u16string> strings;
    for (int i = 0; i < kRealConstantCount; ++i) strings.push_back(generated(i));
    // Our fixture writer must write the JDK's bytes.
    cases.push_back({"constants " + std::to_string(kRealConstantCount), hex(formats::writeConstantsFile(strings))});
    EXPECT_EQ(app()->getPendingException(), nullptr);

    JAVA_ORACLE_RUN(run, test_support::testSource("runtime/oracle/LangOracle.java"), test_support::oracleInput(cases));
    std::vector<std::string> lines = run.lines();
    EXPECT_EQ(test_support::oracleMismatches(cases, lines), "") << run.err;
    ASSERT_EQ(lines.size(), cases.size());

    // The file the JDK wrote, loaded by the store.
    ASSERT_TRUE(mrc::test::loadConstantsFile(unhex(lines.back())));
    ASSERT_EQ(statics()->constantCount(), kRealConstantCount);
    for (int32_t i = 0; i < kRealConstantCount; ++i) {
        String* s = statics()->getStringConstant(i);
        ASSERT_NE(s, nullptr) << i;
        ASSERT_EQ(std::u16string(s->chars, static_cast<std::size_t>(s->count())), strings[static_cast<std::size_t>(i)])
            << "constant " << i;
    }
}

}  // namespace
