#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "host/core/sync.h"
#include "host/net/net.h"
#include "host/net/socket.h"
#include "tests/support/loopback_server.h"

using testsupport::LoopbackPeer;
using testsupport::LoopbackServer;

namespace {

const uint32_t kLoopback = htonl(0x7F000001);

class Sockets : public ::testing::Test {
protected:
    void SetUp() override { m_openBefore = host::openSocketCount(); }
    void TearDown() override {
        host::clearPortRemaps();
        EXPECT_EQ(host::openSocketCount(), m_openBefore) << "a socket leaked";
    }

    // A connected client socket, or kInvalidSocket.
    host::SocketHandle connectTo(uint16_t port) {
        host::SocketHandle s = host::socketCreate();
        if (s == host::kInvalidSocket) return s;
        if (host::socketConnect(s, kLoopback, port) != 0) {
            host::socketClose(s);
            return host::kInvalidSocket;
        }
        return s;
    }

    // Receives until the peer closes (bounded); the last result tells how it ended.
    std::string recvAll(host::SocketHandle s, int& last) {
        std::string got;
        char buf[4096];
        for (int guard = 0; guard < 10000; ++guard) {
            last = host::socketRecv(s, buf, sizeof buf, 0);
            if (last <= 0) break;
            got.append(buf, static_cast<size_t>(last));
        }
        return got;
    }

    int m_openBefore = 0;
};

TEST_F(Sockets, EchoThroughTheRemappedPortAndPeerCloseGivesZero) {
    LoopbackServer server([](LoopbackPeer& peer) {
        for (std::string got; !(got = peer.readSome()).empty();) peer.write(got);
    });
    host::setPortRemap(5000, server.port());

    uint32_t address = 0;
    ASSERT_TRUE(host::lookupHost("localhost", address));
    EXPECT_EQ(address, kLoopback);
    host::SocketHandle s = host::socketCreate();
    ASSERT_NE(s, host::kInvalidSocket);
    ASSERT_EQ(host::socketConnect(s, address, 5000), 0);

    const std::string message = "hello, echo\n";
    ASSERT_EQ(host::socketSend(s, message.data(), static_cast<int>(message.size()), 0), static_cast<int>(message.size()));
    ASSERT_EQ(host::socketShutdown(s, host::kShutdownSend), 0);
    int last = 1;
    EXPECT_EQ(recvAll(s, last), message);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(host::socketClose(s), 0);
}

TEST_F(Sockets, BytesThenCloseReadAsBytesThenZero) {
    LoopbackServer server([](LoopbackPeer& peer) { peer.write("abc"); });
    host::SocketHandle s = connectTo(server.port());
    ASSERT_NE(s, host::kInvalidSocket);
    int last = 1;
    EXPECT_EQ(recvAll(s, last), "abc");
    EXPECT_EQ(last, 0);
    char c;
    EXPECT_EQ(host::socketRecv(s, &c, 1, 0), 0) << "stays at the end";
    host::socketClose(s);
}

TEST_F(Sockets, PeekLeavesTheBytesInPlace) {
    LoopbackServer server([](LoopbackPeer& peer) { peer.write("xy"); });
    host::SocketHandle s = connectTo(server.port());
    ASSERT_NE(s, host::kInvalidSocket);
    char buf[2] = {};
    ASSERT_EQ(host::socketRecv(s, buf, 1, host::kSocketFlagPeek), 1);
    EXPECT_EQ(buf[0], 'x');
    int last = 1;
    EXPECT_EQ(recvAll(s, last), "xy");
    host::socketClose(s);
}

TEST_F(Sockets, RefusedConnectReportsConnectionRefused) {
    host::SocketHandle s = host::socketCreate();
    ASSERT_NE(s, host::kInvalidSocket);
    EXPECT_EQ(host::socketConnect(s, kLoopback, testsupport::unusedLoopbackPort()), host::kSocketError);
    EXPECT_EQ(host::netLastError(), host::kSockErrConnectionRefused);
    host::socketClose(s);
}

TEST_F(Sockets, SendToAClosedPeerFailsWithoutKillingTheProcess) {
    LoopbackServer server([](LoopbackPeer&) {});
    host::SocketHandle s = connectTo(server.port());
    ASSERT_NE(s, host::kInvalidSocket);
    char c;
    ASSERT_EQ(host::socketRecv(s, &c, 1, 0), 0);  // the server has closed
    std::string block(65536, 'z');
    int result = 0;
    for (int i = 0; i < 100 && result != host::kSocketError; ++i) {
        result = host::socketSend(s, block.data(), static_cast<int>(block.size()), 0);
    }
    EXPECT_EQ(result, host::kSocketError);
    EXPECT_EQ(host::netLastError(), host::kSockErrConnectionReset);
    host::socketClose(s);
}

TEST_F(Sockets, ListenAcceptAndTalkBothWays) {
    host::SocketHandle listener = host::socketCreate();
    ASSERT_EQ(host::socketBind(listener, 0), 0);
    ASSERT_EQ(host::socketListen(listener, 4), 0);
    uint16_t port = host::socketLocalPort(listener);
    ASSERT_NE(port, 0);

    host::SocketHandle client = connectTo(port);
    ASSERT_NE(client, host::kInvalidSocket);
    host::SocketHandle served = host::socketAccept(listener);
    ASSERT_NE(served, host::kInvalidSocket);

    char buf[8] = {};
    ASSERT_EQ(host::socketSend(client, "ping", 4, 0), 4);
    ASSERT_EQ(host::socketRecv(served, buf, sizeof buf, 0), 4);
    EXPECT_EQ(std::string(buf, 4), "ping");
    ASSERT_EQ(host::socketSend(served, "pong", 4, 0), 4);
    ASSERT_EQ(host::socketRecv(client, buf, sizeof buf, 0), 4);
    EXPECT_EQ(std::string(buf, 4), "pong");

    for (auto s : {client, served, listener}) EXPECT_EQ(host::socketClose(s), 0);
}

// A thread blocked in recv counts as parked, and wakes when its socket is closed, or when every
// socket is shut down at the runtime's end; that leaves the socket open for its owner to close.
TEST_F(Sockets, CloseOrShuttingAllDownWakesAThreadBlockedInRecv) {
    static std::atomic<int> entered{0};
    static std::atomic<int> left{0};
    static host::Event blocked;
    for (bool closing : {true, false}) {
        SCOPED_TRACE(closing ? "closed" : "all shut down");
        entered = 0;
        left = 0;
        host::setBlockingHooks({[] { ++entered; blocked.set(); }, [] { ++left; }});
        LoopbackServer server([](LoopbackPeer& peer) { peer.readSome(5000); });
        host::SocketHandle s = connectTo(server.port());
        ASSERT_NE(s, host::kInvalidSocket);
        blocked.reset();
        auto reader = std::async(std::launch::async, [s] {
            char c;
            return host::socketRecv(s, &c, 1, 0);
        });
        ASSERT_TRUE(blocked.wait(5000));
        if (closing) EXPECT_EQ(host::socketClose(s), 0);
        else host::shutdownAllSockets();
        ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_LE(reader.get(), 0);
        host::setBlockingHooks({});
        EXPECT_GE(entered.load(), 2) << "connect and recv";
        EXPECT_EQ(entered.load(), left.load());
        if (!closing) {
            char c = 'x';
            EXPECT_EQ(host::socketSend(s, &c, 1, 0), host::kSocketError);
            EXPECT_EQ(host::socketClose(s), 0);
        }
    }
}

TEST_F(Sockets, StaleAndForeignHandlesAreRefused) {
    host::SocketHandle s = host::socketCreate();
    ASSERT_EQ(host::socketClose(s), 0);
    char buf[4];
    struct Call {
        const char* name;
        int result;
    } calls[] = {
        {"close twice", host::socketClose(s)},
        {"send", host::socketSend(s, "x", 1, 0)},
        {"recv", host::socketRecv(s, buf, 4, 0)},
        {"connect", host::socketConnect(s, kLoopback, 80)},
        {"invalid handle", host::socketShutdown(host::kInvalidSocket, host::kShutdownBoth)},
        {"descriptor number", host::socketClose(0)},
    };
    for (const auto& c : calls) EXPECT_EQ(c.result, host::kSocketError) << c.name;
    EXPECT_EQ(host::netLastError(), host::kSockErrNotSocket);
    EXPECT_EQ(host::socketAccept(s), host::kInvalidSocket);
}

TEST_F(Sockets, BadArgumentsGiveErrorsNotCrashes) {
    LoopbackServer server([](LoopbackPeer& peer) { peer.readSome(5000); });
    host::SocketHandle s = connectTo(server.port());
    ASSERT_NE(s, host::kInvalidSocket);
    char buf[4];
    struct Case {
        const char* name;
        std::function<int()> call;
        uint32_t error;
    } cases[] = {
        {"negative length", [&] { return host::socketSend(s, "x", -1, 0); }, host::kSockErrInvalidArgument},
        {"null buffer", [&] { return host::socketRecv(s, nullptr, 4, 0); }, host::kSockErrFault},
        {"unknown flag", [&] { return host::socketSend(s, "x", 1, 0x100); }, host::kSockErrOperationNotSupported},
        {"route flag on receive", [&] { return host::socketRecv(s, buf, 4, host::kSocketFlagDontRoute); },
         host::kSockErrOperationNotSupported},
        {"bad shutdown", [&] { return host::socketShutdown(s, 7); }, host::kSockErrInvalidArgument},
        {"connect twice", [&] { return host::socketConnect(s, kLoopback, server.port()); }, host::kSockErrAlreadyConnected},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(), host::kSocketError) << c.name;
        EXPECT_EQ(host::netLastError(), c.error) << c.name;
    }
    host::socketClose(s);
}

TEST(SocketNames, LookupAndDottedAddresses) {
    uint32_t address = 0;
    EXPECT_TRUE(host::lookupHost("127.0.0.1", address));
    EXPECT_EQ(address, htonl(0x7F000001));
    EXPECT_FALSE(host::lookupHost("", address));
    EXPECT_EQ(host::netLastError(), host::kSockErrHostNotFound);
    EXPECT_FALSE(host::lookupHost(std::string(300, 'a').c_str(), address));
    EXPECT_FALSE(host::lookupHost(nullptr, address));

    struct Case {
        const char* text;
        uint32_t address;
    } cases[] = {
        {"127.0.0.1", htonl(0x7F000001)},
        {"10.1.2.3", htonl(0x0A010203)},
        {"256.1.1.1", host::kAddressNone},
        {"host", host::kAddressNone},
        {"", host::kAddressNone},
    };
    for (const auto& c : cases) EXPECT_EQ(host::parseAddress(c.text), c.address) << c.text;
    EXPECT_EQ(host::parseAddress(nullptr), host::kAddressNone);
}

TEST(SocketLibrary, StartsFromVersionOneOneAndCountsItsUsers) {
    EXPECT_EQ(host::socketLibraryStartup(0x0101), 0);
    EXPECT_EQ(host::socketLibraryStartup(0x0202), 0);
    EXPECT_NE(host::socketLibraryStartup(0x0001), 0);
    EXPECT_EQ(host::socketLibraryCleanup(), 0);
    EXPECT_EQ(host::socketLibraryCleanup(), 0);
    EXPECT_EQ(host::socketLibraryCleanup(), host::kSocketError);
}

}  // namespace
