#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "platform/net/socket_client.h"
#include "platform/net/socket_connection.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/output_stream.h"
#include "tests/platform/net/net_fixture.h"

namespace mrc::test {
namespace {

using Socket = javax_microedition_io_SocketConnection;
using Output = javax_microedition_io_OutputConnection;

// Writes `bytes`, then closes.
LoopbackServer::Handler sendAndClose(std::string bytes) {
    return [bytes](LoopbackPeer& peer) { peer.write(bytes); };
}

// Everything until the client closes.
std::string receiveAll(LoopbackPeer& peer) {
    std::string all;
    for (std::string got; !(got = peer.readSome()).empty();) all += got;
    return all;
}

class SocketConnectionTest : public NetTest {
protected:
    Object* connect(const LoopbackServer& server) {
        return open("socket://127.0.0.1:" + std::to_string(server.port()), javax_microedition_io_Connector::READ_WRITE);
    }
};

TEST_F(SocketConnectionTest, ReadGivesTheBytesThenMinusOneWhenThePeerCloses) {
    LoopbackServer server(sendAndClose("abc"));
    Object* connection = connect(server);
    auto* socket = as<Socket>(connection, kClass_javax_microedition_io_SocketConnection);
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(socket->getPort(), server.port());
    EXPECT_EQ(socket->getLocalAddress(), nullptr);
    EXPECT_EQ(socket->getSocketOption(1), 0);
    java_io_InputStream* in = socket->openInputStream();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->classId(), kClass_java_io_ByteArrayInputStream);
    EXPECT_EQ(in->read(array(Bytes(4))), -1);  // nothing buffered yet, and this read never receives
    std::vector<int32_t> got;
    for (int i = 0; i < 5; ++i) got.push_back(in->read());
    EXPECT_EQ(got, (std::vector<int32_t>{97, 98, 99, -1, -1}));
    EXPECT_EQ(takePending(), 0);
}

TEST_F(SocketConnectionTest, DataStreamReadsWhatArrived) {
    LoopbackServer server(sendAndClose(std::string("\x01\x02\x03\x04\xFF", 5)));
    auto* socket = as<Socket>(connect(server), kClass_javax_microedition_io_SocketConnection);
    ASSERT_NE(socket, nullptr);
    java_io_DataInputStream* data = socket->openDataInputStream();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->readInt(), 0x01020304);
    EXPECT_EQ(data->readByte(), -1);
    EXPECT_EQ(takePending(), 0);
    data->readByte();
    EXPECT_EQ(takePending(), kClass_java_io_EOFException);
}

TEST_F(SocketConnectionTest, WritesSendTheirRangeOnly) {
    std::promise<std::string> received;
    LoopbackServer server([&received](LoopbackPeer& peer) { received.set_value(receiveAll(peer)); });
    Object* connection = connect(server);
    auto* out = as<Output>(connection, kClass_javax_microedition_io_OutputConnection);
    ASSERT_NE(out, nullptr);
    java_io_OutputStream* stream = out->openOutputStream();
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->classId(), kClass_java_io_ByteArrayOutputStream);
    ByteArray* hello = array(bytesOf("hello"));
    stream->write('X');  // sends nothing
    stream->write(hello);
    stream->write(hello, 1, 2);
    stream->write(hello, 5, 0);
    EXPECT_EQ(takePending(), 0);
    for (auto [off, len] : {std::pair{4, 2}, {-1, 1}, {0, -1}, {6, 0}}) {
        stream->write(hello, off, len);
        EXPECT_EQ(takePending(), kClass_java_lang_IndexOutOfBoundsException) << off << "," << len;
    }
    {
        host::LogCapture log;
        stream->write(static_cast<ByteArray*>(nullptr));
        EXPECT_TRUE(log.contains("NullPointer"));
    }
    auto* data = out->openDataOutputStream();
    ASSERT_NE(data, nullptr);
    data->write(array(bytesOf("!?")), 0, 1);
    out->close();
    EXPECT_EQ(takePending(), 0);
    auto result = received.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), "helloel!");

    stream->write(hello);  // after close
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
}

TEST_F(SocketConnectionTest, FailedConnectsAreLoggedAndTheStreamsFail) {
    struct Case {
        std::string url;
        const char* log;
    };
    const std::string refusedPort = std::to_string(testsupport::unusedLoopbackPort());
    char refused[64];
    std::snprintf(refused, sizeof refused, "WinSocketClient::Connect: Unable to connect: %X / %d",
                  host::kSockErrConnectionRefused, static_cast<int>(host::kSockErrConnectionRefused));
    const std::vector<Case> cases = {
        {"socket://127.0.0.1:" + refusedPort, refused},
        {"socket://:5000", "WinSocketClient::Connect-> Invalid address"},
        {"socket://" + std::string(300, 'h') + ":5000", "WinSocketClient::Connect-> Invalid address"},
        {"socket://127.0.0.1:70000", "Unable to connect"},
        {"socket://127.0.0.1", "Unable to connect"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        host::LogCapture log;
        Object* connection = open(c.url);
        ASSERT_NE(connection, nullptr);
        EXPECT_TRUE(log.contains(c.log));
        auto* socket = as<Socket>(connection, kClass_javax_microedition_io_SocketConnection);
        EXPECT_EQ(socket->openInputStream()->read(), -1);
        EXPECT_EQ(takePending(), kClass_java_io_IOException);
        auto* out = as<Output>(connection, kClass_javax_microedition_io_OutputConnection);
        out->openOutputStream()->write(array(bytesOf("x")));
        EXPECT_EQ(takePending(), kClass_java_io_IOException);
    }
}

TEST_F(SocketConnectionTest, CloseEndsTheStreamsButCollectionOfTheConnectionDoesNot) {
    LoopbackServer server([](LoopbackPeer& peer) {
        peer.write("first");
        peer.readUntil("go");
        peer.write("second");
    });
    // The shortcut keeps only the stream: the connection object is garbage at once.
    java_io_InputStream* in = javax_microedition_io_Connector::openInputStream(
        string("socket://127.0.0.1:" + std::to_string(server.port())));
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->read(), 'f');
    om()->gc(0);
    om()->gc(0);
    auto* data = static_cast<java_io_DataInputStream*>(in);
    auto* socketIn = static_cast<SocketInputStream*>(data->in);
    ASSERT_NE(socketIn->m_client, nullptr);
    EXPECT_EQ(socketIn->m_client->Send("go", 2, 0), 2);
    EXPECT_EQ(readAll(in), "irstsecond");
    EXPECT_EQ(takePending(), 0);

    LoopbackServer second(sendAndClose("never read"));
    Object* connection = connect(second);
    auto* socket = as<Socket>(connection, kClass_javax_microedition_io_SocketConnection);
    java_io_InputStream* stream = socket->openInputStream();
    socket->close();
    EXPECT_EQ(stream->read(), -1);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
}

// ---- the client on its own ----------------------------------------------------------------------

class SocketClientTest : public NetTest {
protected:
    static void connect(net::WinSocketClient& client, const LoopbackServer& server) {
        ASSERT_TRUE(client.Create());
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    }
};

TEST_F(SocketClientTest, ReadLineSplitsAtLineFeedsAndDropsCarriageReturns) {
    LoopbackServer server(sendAndClose("ab\r\ncd\n\r\nabcdefgh\nlast"));
    net::WinSocketClient client;
    connect(client, server);
    struct Step {
        int32_t max;
        int32_t result;
        const char* text;
    };
    const std::vector<Step> steps = {
        {10, 2, "ab"}, {10, 2, "cd"}, {10, 1, ""}, {4, 3, "abc"}, {10, 5, "defgh"}, {10, 0, "last"}, {10, 0, ""},
    };
    for (const Step& s : steps) {
        char line[16];
        std::memset(line, '#', sizeof line);
        EXPECT_EQ(client.ReadLine(line, s.max, false), s.result) << s.text;
        EXPECT_STREQ(line, s.text);
    }
    char line[4] = "##";
    EXPECT_EQ(client.ReadLine(line, 1, false), host::kSocketError);
    EXPECT_EQ(line[0], 0);
    EXPECT_EQ(client.ReadLine(nullptr, 10, false), host::kSocketError);
    EXPECT_TRUE(client.Close());
    EXPECT_FALSE(client.Close());
    EXPECT_EQ(client.ReadLine(line, 4, false), host::kSocketError);
}

TEST_F(SocketClientTest, ReadLineEchoesAndClientsShareTheLibrary) {
    std::promise<std::string> echoed;
    LoopbackServer server([&echoed](LoopbackPeer& peer) {
        peer.write("hi\r\n");
        echoed.set_value(peer.readUntil("\n"));
    });
    net::WinSocketClient client;
    EXPECT_EQ(net::WinSocketClient::liveCount(), 1);
    {
        net::WinSocketClient other;
        EXPECT_EQ(net::WinSocketClient::liveCount(), 2);
    }
    EXPECT_EQ(net::WinSocketClient::liveCount(), 1);
    connect(client, server);
    char line[8];
    EXPECT_EQ(client.ReadLine(line, sizeof line, true), 2);
    auto result = echoed.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), "hi\r\n");
    EXPECT_EQ(client.SendString("bye"), 3);
    EXPECT_EQ(client.SendString(nullptr), 0);
}

TEST_F(SocketClientTest, ListensAndAcceptsAnotherClient) {
    net::WinSocketClient listener, accepted, caller;
    ASSERT_TRUE(listener.Create());
    ASSERT_TRUE(listener.Bind(0));
    ASSERT_TRUE(listener.Listen(1));
    uint16_t port = host::socketLocalPort(listener.socket());
    ASSERT_TRUE(caller.Create());
    ASSERT_TRUE(caller.Connect("localhost", port));
    ASSERT_TRUE(accepted.Create());  // replaced by the accepted socket, not leaked
    ASSERT_TRUE(listener.Accept(&accepted));
    EXPECT_FALSE(listener.Accept(nullptr));
    EXPECT_EQ(caller.Send("ping", 4, 0), 4);
    char got[5] = {};
    EXPECT_EQ(accepted.Recv(got, 4, 0), 4);
    EXPECT_STREQ(got, "ping");
    EXPECT_TRUE(caller.Shutdown(host::kShutdownSend));
    EXPECT_EQ(accepted.Recv(got, 4, 0), 0);
    EXPECT_FALSE(caller.Shutdown(7));
}

}  // namespace
}  // namespace mrc::test
