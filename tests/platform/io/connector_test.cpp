#include <gtest/gtest.h>

#include "platform/io/connector.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "tests/platform/io/files_fixture.h"

namespace mrc::test {
namespace {

using Connector = javax_microedition_io_Connector;

// A connection over fixed bytes that can hand out both stream interfaces, or only the input one.
class FakeConnection : public Object,
                       public javax_microedition_io_InputConnection,
                       public javax_microedition_io_OutputConnection {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = kClass_Object;

    void* getInterface(int32_t id) override {
        if (id == kClass_javax_microedition_io_InputConnection) return static_cast<javax_microedition_io_InputConnection*>(this);
        if (id == kClass_javax_microedition_io_OutputConnection && writable)
            return static_cast<javax_microedition_io_OutputConnection*>(this);
        return nullptr;
    }
    void close() override { closed = true; }
    java_io_InputStream* openInputStream() override {
        ByteArray* bytes = om()->newByteArray(3);
        bytes->elements()[0] = 0;
        bytes->elements()[1] = 0x2A;
        bytes->elements()[2] = 'z';
        return java_io_ByteArrayInputStream::newInstance(bytes);
    }
    java_io_DataInputStream* openDataInputStream() override {
        return java_io_DataInputStream::newInstance(openInputStream());
    }
    java_io_OutputStream* openOutputStream() override { return java_io_ByteArrayOutputStream::newInstance(); }
    java_io_DataOutputStream* openDataOutputStream() override {
        return java_io_DataOutputStream::newInstance(openOutputStream());
    }

    static ObjectManager* om() { return ApplicationImpl::getApplication()->objectManager; }

    bool writable;
    bool closed;
};

struct Opened {
    std::string name;
    int32_t mode;
    bool timeouts;
};
std::vector<Opened> g_opened;

Object* openFake(String* name, int32_t mode, bool timeouts) {
    g_opened.push_back({name->toUtf8(), mode, timeouts});
    auto* c = newObject<FakeConnection>();
    c->writable = name->toUtf8().find("readonly") == std::string::npos;
    return c;
}

Object* openFailing(String*, int32_t, bool) {
    raise(kClass_java_io_IOException);
    return nullptr;
}

class ConnectorTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        g_opened.clear();
    }
    void TearDown() override {
        Connector::registerScheme("fake", nullptr);
        Connector::registerScheme("fail", nullptr);
        Connector::registerScheme("fa", nullptr);
        FilesTest::TearDown();
    }
};

TEST_F(ConnectorTest, NamesNoSchemeServesGiveNull) {
    Connector::registerScheme("fake", openFake);
    for (const char* name : {"file://x", "http://host/", "FAKE://x", "fak", ""}) {
        EXPECT_EQ(Connector::open(string(name), Connector::READ), nullptr) << name;
        EXPECT_EQ(Connector::openDataInputStream(string(name)), nullptr) << name;
        EXPECT_EQ(Connector::openOutputStream(string(name)), nullptr) << name;
    }
    EXPECT_TRUE(g_opened.empty());
    host::LogCapture log;
    EXPECT_EQ(Connector::open(nullptr, 1), nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ConnectorTest, ShortcutsOpenTheConnectionAndTakeItsDataStreams) {
    Connector::registerScheme("fake", openFake);
    java_io_DataInputStream* in = Connector::openDataInputStream(string("fake://a"));
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->readShort(), 0x2A);
    EXPECT_EQ(in->readByte(), 'z');
    java_io_InputStream* plain = Connector::openInputStream(string("fake://b"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->classId(), kClass_java_io_DataInputStream);
    auto* out = static_cast<java_io_DataOutputStream*>(Connector::openOutputStream(string("fake://c")));
    ASSERT_NE(out, nullptr);
    out->writeInt(0x01020304);
    EXPECT_EQ(bytes(static_cast<java_io_ByteArrayOutputStream*>(out->out)->toByteArray()), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Connector::openDataOutputStream(string("fake://readonly")), nullptr);  // no OutputConnection
    auto* both = static_cast<FakeConnection*>(Connector::open(string("fake://d")));
    ASSERT_NE(both, nullptr);
    EXPECT_FALSE(both->closed);
    const std::vector<std::tuple<std::string, int32_t, bool>> expected = {
        {"fake://a", 1, false}, {"fake://b", 1, false}, {"fake://c", 2, false}, {"fake://readonly", 2, false},
        {"fake://d", 3, false}};
    ASSERT_EQ(g_opened.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::tie(g_opened[i].name, g_opened[i].mode, g_opened[i].timeouts), expected[i]);
    EXPECT_NE(Connector::open(string("fake://e"), 1, true), nullptr);
    EXPECT_TRUE(g_opened.back().timeouts);
}

TEST_F(ConnectorTest, FactoryExceptionsReachTheCaller) {
    Connector::registerScheme("fail", openFailing);
    EXPECT_EQ(Connector::openDataInputStream(string("fail://x")), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    EXPECT_EQ(Connector::openDataOutputStream(string("fail://x")), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
}

TEST_F(ConnectorTest, FirstRegisteredPrefixWinsAndRemovalForgetsIt) {
    Connector::registerScheme("fake", openFake);
    Connector::registerScheme("fa", openFailing);  // also a prefix of "fake://", but later
    EXPECT_NE(Connector::open(string("fake://x"), 1), nullptr);
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(Connector::open(string("fail://x"), 1), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    Connector::registerScheme("fake", nullptr);
    EXPECT_EQ(Connector::open(string("fake://x"), 1), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    Connector::registerScheme("fa", openFake);  // replaced in place
    EXPECT_NE(Connector::open(string("fake://x"), 1), nullptr);
    Connector::registerScheme("fa", nullptr);
    EXPECT_EQ(Connector::open(string("fake://x"), 1), nullptr);
    EXPECT_EQ(takePending(), 0);
}

}  // namespace
}  // namespace mrc::test
