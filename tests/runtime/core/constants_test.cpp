// The string constants: "/constants.bin" read through a DataInputStream into the store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/core/static_class.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/boolean.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system_class.h"
#include "tools/formats/constants_file.h"
#include "tests/runtime/lang/constants_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using mrc::StaticClass;
using mrc::test::loadConstantsFile;
using mrc::test::RuntimeTest;
using mrc::test::scrubStack;

std::string utf8(String* s) { return s ? s->toUtf8() : "<null>"; }

class Constants : public RuntimeTest {
protected:
    // The constants as texts, "<null>" for those missing.
    static std::vector<std::string> table() {
        std::vector<std::string> out;
        for (int32_t i = 0; i < statics()->constantCount(); ++i) out.push_back(utf8(statics()->getStringConstant(i)));
        return out;
    }
    static Object* pending() { return app()->getPendingException(); }
};

TEST_F(Constants, FilesOfEveryShape) {
    const std::vector<std::string> abc = {"a", "b\xc3\xa9", ""};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<std::string> expected;
        bool complete;
        const char* logged;  // nullptr: nothing
    } cases[] = {
        {"no strings", formats::writeConstantsFile(std::vector<std::string>{}), {}, true, nullptr},
        {"three", formats::writeConstantsFile(abc), abc, true, nullptr},
        {"count beyond the strings", formats::writeConstantsFile(abc, 6),
         {"a", "b\xc3\xa9", "", "<null>", "<null>", "<null>"}, false, "holds 3 of 6 constants"},
        {"no count", {}, {}, true, "has no count"},
        {"half a count", {0x00, 0x00}, {}, true, "has no count"},
        {"negative count", formats::writeConstantsFile(abc, -5), {}, true, "claims -5 constants"},
        {"damaged second string", {0, 0, 0, 3, 0, 1, 'x', 0, 2, 0xC3, 0x41, 0, 1, 'z'},
         {"x", "<null>", "<null>"}, false, "holds 1 of 3 constants"},
        {"cut inside a string", {0, 0, 0, 2, 0, 1, 'x', 0, 5, 'a', 'b'}, {"x", "<null>"}, false,
         "holds 1 of 2 constants"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host::LogCapture log;
        EXPECT_EQ(loadConstantsFile(c.bytes), c.complete);
        EXPECT_NE(statics()->stringConstants, nullptr);
        EXPECT_EQ(table(), c.expected);
        // Start-up leaves nothing pending for the game's first handler.
        EXPECT_EQ(pending(), nullptr);
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << (log.lines().empty() ? "" : log.lines()[0]);
        } else {
            EXPECT_TRUE(log.lines().empty()) << log.lines()[0];
        }
    }
}

TEST_F(Constants, AHugeCountIsCutAndTheRestStayNull) {
    host::LogCapture log;
    EXPECT_FALSE(loadConstantsFile(formats::writeConstantsFile(std::vector<std::string>{"only"}, 0x7FFFFFFF)));
    EXPECT_EQ(statics()->constantCount(), StaticClass::kMaxConstants);
    EXPECT_EQ(utf8(statics()->getStringConstant(0)), "only");
    EXPECT_EQ(statics()->getStringConstant(1), nullptr);
    EXPECT_EQ(statics()->getStringConstant(StaticClass::kMaxConstants - 1), nullptr);
    EXPECT_TRUE(log.contains("claims 2147483647 constants; reading at most 65536"));
}

TEST_F(Constants, LookupsOutsideTheTableGiveNull) {
    loadConstantsFile(formats::writeConstantsFile(std::vector<std::string>{"zero", "one"}));
    host::LogCapture log;
    EXPECT_EQ(utf8(statics()->getStringConstant(1)), "one");
    EXPECT_EQ(statics()->getStringConstant(2), nullptr);
    EXPECT_EQ(statics()->getStringConstant(-1), nullptr);
    EXPECT_EQ(statics()->stringConstantOrNull(0), statics()->getStringConstant(0));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(Constants, ConstantsAreNeverCollected) {
    std::vector<std::u16string> strings;
    for (int i = 0; i < 40; ++i) strings.push_back(u"constant number " + std::u16string(static_cast<std::size_t>(i), u'\u00e9'));
    ASSERT_TRUE(loadConstantsFile(formats::writeConstantsFile(strings)));
    for (int32_t i = 0; i < 40; ++i) EXPECT_EQ(statics()->getStringConstant(i)->m_collectable, 0);
    scrubStack();
    om()->gc(mrc::kGcForced);
    for (int32_t i = 0; i < 40; ++i) {
        String* s = statics()->getStringConstant(i);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(std::u16string(s->chars, static_cast<std::size_t>(s->count())), strings[static_cast<std::size_t>(i)]);
    }
}

// The resource the opener serves, and the names it was asked for.
std::vector<uint8_t> g_resource;
std::vector<std::string> g_asked;
java_io_InputStream* openResource(const char* name) {
    g_asked.push_back(name);
    return name == std::string("/constants.bin") ? mrc::test::streamOver(g_resource) : nullptr;
}

TEST_F(Constants, StartUpReadsTheResourceThroughTheOpener) {
    g_resource = formats::writeConstantsFile(std::vector<std::string>{"zero", "one", "two"});
    g_asked.clear();
    StaticClass::setResourceOpener(openResource);
    statics()->initialize();
    StaticClass::setResourceOpener(nullptr);
    EXPECT_EQ(g_asked, std::vector<std::string>{"/constants.bin"});
    EXPECT_EQ(table(), (std::vector<std::string>{"zero", "one", "two"}));
    EXPECT_EQ(pending(), nullptr);
    // Then the initialisers: every runtime static set, every reference among the roots.
    EXPECT_NE(mrc::systemStatics.out, nullptr);
    EXPECT_NE(mrc::systemStatics.properties, nullptr);
    EXPECT_NE(java_lang_Boolean::statics.TRUE_, nullptr);
    EXPECT_NE(java_lang_Runtime::getRuntime(), nullptr);
    EXPECT_EQ(statics()->checkRoots(), 0);
}

TEST_F(Constants, WithoutTheResourceTheTableStaysMissing) {
    host::LogCapture log;
    EXPECT_FALSE(statics()->loadConstants());
    EXPECT_EQ(statics()->stringConstants, nullptr);
    EXPECT_TRUE(log.contains("no resource /constants.bin"));
    log.clear();
    EXPECT_EQ(statics()->getStringConstant(0), nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"NullPointer", "stacktrace:"}));
}

}  // namespace
