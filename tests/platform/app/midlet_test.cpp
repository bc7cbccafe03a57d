// The MIDlet's application properties from "app.jad", and the system natives: clock, property
// query, folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/midlet/midlet.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"
#include "runtime/util/hashtable.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {
namespace {

using MIDlet = javax_microedition_midlet_MIDlet;

// Resources served from memory by name.
std::map<std::string, std::string> g_resources;

java_io_InputStream* openFromMemory(const char* name) {
    auto it = g_resources.find(name);
    if (it == g_resources.end()) return nullptr;
    ByteArray* bytes = ApplicationImpl::getApplication()->objectManager->newByteArray(int32_t(it->second.size()));
    if (!it->second.empty()) std::memcpy(bytes->elements(), it->second.data(), it->second.size());
    return java_io_ByteArrayInputStream::newInstance(bytes);
}

class MidletPropertiesTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        m_previous = StaticClass::resourceOpener();
        StaticClass::setResourceOpener(&openFromMemory);
        g_resources.clear();
    }
    void TearDown() override {
        StaticClass::setResourceOpener(m_previous);
        RuntimeTest::TearDown();
    }

    static MIDlet* midletOver(const std::string* jad) {
        if (jad) g_resources[MIDlet::kPropertiesResource] = *jad;
        auto* m = newObject<MIDlet>();
        m->MIDlet();
        return m;
    }
    static std::string property(MIDlet* m, const char* key) { return m->getAppProperty(newString(key))->toUtf8(); }

    host::LogCapture log;

private:
    StaticClass::ResourceOpener m_previous = nullptr;
};

TEST_F(MidletPropertiesTest, EachLineWithAColonGivesATrimmedEntry) {
    const struct {
        const char* jad;
        std::map<std::string, std::string> entries;
    } cases[] = {
        {"  MIDlet-Name :  Wrath Of Kelos \r\nMIDlet-Vendor:Gameloft\n",
         {{"MIDlet-Name", "Wrath Of Kelos"}, {"MIDlet-Vendor", "Gameloft"}}},
        // Only a line's first colon splits; the last line needs no line end.
        {"MIDlet-Info-URL: http://example.com:8080/x\nlast:value without line end",
         {{"MIDlet-Info-URL", "http://example.com:8080/x"}, {"last", "value without line end"}}},
        // Lines without a colon (blank ones too) are skipped, even when a later line has one.
        {"\n\r\nno colon here\nkey: value\n   \nnext line: has it\n", {{"key", "value"}, {"next line", "has it"}}},
        {"empty:\r\n: no key\n", {{"empty", ""}, {"", "no key"}}},
    };
    for (const auto& c : cases) {
        std::string jad = c.jad;
        MIDlet* m = midletOver(&jad);
        EXPECT_EQ(m->properties->size(), int32_t(c.entries.size())) << c.jad;
        for (const auto& [key, value] : c.entries) EXPECT_EQ(property(m, key.c_str()), value) << c.jad;
        EXPECT_EQ(MIDlet::statics.instance, m);
    }
}

TEST_F(MidletPropertiesTest, LinesWithoutColonAreTracedUnlessBlank) {
    std::string jad = "\n\r\nno colon here\nkey: value\n   \n";
    midletOver(&jad);
    EXPECT_TRUE(log.contains("MIDlet::loadJadProperties(): line 3 has no ':', skipped"));
    std::size_t traced = 0;
    for (const std::string& line : log.lines()) traced += line.find("has no ':'") != std::string::npos;
    EXPECT_EQ(traced, 1u);
}

TEST_F(MidletPropertiesTest, MissingKeysAndMissingResourceGiveTheEmptyValueText) {
    std::string jad = "a: 1\n";
    EXPECT_EQ(property(midletOver(&jad), "b"), "PROPERTY VALUE EMPTY");
    g_resources.clear();
    MIDlet* none = midletOver(nullptr);
    EXPECT_EQ(none->properties->size(), 0);
    EXPECT_EQ(property(none, "a"), "PROPERTY VALUE EMPTY");
    EXPECT_TRUE(log.contains("ApplicationImpl::getAppProperty(): no resource app.jad"));
    std::string empty;
    EXPECT_EQ(midletOver(&empty)->properties->size(), 0);
}

TEST_F(MidletPropertiesTest, ResourcesAreReadWholeAsLatin1) {
    std::string text(1300, 'x');
    text[0] = '\xE9';
    g_resources["big.txt"] = text;
    String* s = impl()->getAppProperty("big.txt");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->count(), 1300);
    EXPECT_EQ(s->charAt(0), u'\u00E9');
    EXPECT_EQ(impl()->getAppProperty("missing.txt"), nullptr);
}

using SystemNativesTest = RuntimeTest;

TEST_F(SystemNativesTest, PropertyQueryAnswersTheMediaVersionAndNeverNull) {
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"microedition.media.version", "1.0"},
        {"microedition.media", "PROPERTY VALUE EMPTY"},  // a prefix is not the key
        {"microedition.media.version.x", "PROPERTY VALUE EMPTY"},
        {"no.such.key", "PROPERTY VALUE EMPTY"},
        {"", "PROPERTY VALUE EMPTY"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(java_lang_System::getProperty(newString(c.key))->toUtf8(), c.value) << c.key;
    EXPECT_EQ(java_lang_System::getProperty(nullptr)->toUtf8(), "PROPERTY VALUE EMPTY");
}

TEST_F(SystemNativesTest, CurrentTimeIsTheTickCount) {
    host::ManualClock clock(5000);
    int64_t before = java_lang_System::currentTimeMillis();
    clock.advance(100);
    EXPECT_EQ(java_lang_System::currentTimeMillis() - before, 100);
    EXPECT_EQ(before, 5000);
    int64_t wall = java_lang_System::wallClockMillis();
    EXPECT_EQ(wall % 1000, 0);
    EXPECT_GT(wall, int64_t(1600000000) * 1000);
}

TEST_F(SystemNativesTest, FoldersAndMemoryFigures) {
    EXPECT_EQ(ApplicationImpl::getStorageRoot()->toUtf8(), "\\Program Files");
    EXPECT_EQ(ApplicationImpl::getInstallFolder()->toUtf8(), "\\Program Files\\Veltrano\\Wrath Of Kelos");
    EXPECT_GT(java_lang_Runtime::totalMemory(), 0);
    EXPECT_GT(java_lang_Runtime::freeMemory(), 0);
    EXPECT_LE(java_lang_Runtime::freeMemory(), java_lang_Runtime::totalMemory());
}

}  // namespace
}  // namespace mrc::test
