// A started runtime with the http and socket schemes registered, and small servers on 127.0.0.1:
// HTTP answers written out byte for byte, and peers for the socket tests. Port 80, which the
// HTTP client always uses, is mapped to the test server's port. At the end the runtime has
// collected every connection, so nothing of the network may still be held.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/net/connmgr.h"
#include "host/net/net.h"
#include "host/net/socket.h"
#include "platform/io/connector.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "platform/net/busy_indicator.h"
#include "platform/net/connections.h"
#include "platform/net/socket_client.h"
#include "tests/platform/io/files_fixture.h"
#include "tests/support/loopback_server.h"

namespace mrc::test {

using testsupport::LoopbackPeer;
using testsupport::LoopbackServer;

class NetTest : public FilesTest {
protected:
    void SetUp() override {
        m_socketsBefore = host::openSocketCount();
        m_connectionsBefore = host::heldConnectionCount();
        FilesTest::SetUp();
        net::registerConnectionSchemes();
    }
    void TearDown() override {
        javax_microedition_io_Connector::registerScheme("http", nullptr);
        javax_microedition_io_Connector::registerScheme("socket", nullptr);
        FilesTest::TearDown();
        host::clearPortRemaps();
        host::setDataConnectionAvailable(true);
        net::setBusySurface(nullptr);
        net::setBusyPause(net::kBusyPauseMs);
        EXPECT_EQ(host::openSocketCount(), m_socketsBefore) << "a socket outlived the runtime";
        EXPECT_EQ(host::heldConnectionCount(), m_connectionsBefore) << "a data connection outlived the runtime";
        EXPECT_EQ(net::WinSocketClient::liveCount(), 0);
    }

    // A server that reads one request head, records it, writes `response` and closes.
    static LoopbackServer::Handler answer(std::string response) {
        return [response](LoopbackPeer& peer) {
            peer.record(peer.readUntil("\r\n\r\n"));
            peer.write(response);
        };
    }

    // "http://127.0.0.1..." reaches `server` through port 80.
    static void routePort80(const LoopbackServer& server) { host::setPortRemap(80, server.port()); }

    static Object* open(std::string_view name, int32_t mode = javax_microedition_io_Connector::READ) {
        return javax_microedition_io_Connector::open(string(name), mode);
    }

    template <class Interface>
    static Interface* as(Object* connection, uint16_t interfaceId) {
        return isNull(connection) ? nullptr : static_cast<Interface*>(connection->getInterface(interfaceId));
    }

    // Every byte through read() until -1 (bounded).
    static std::string readAll(java_io_InputStream* in) {
        std::string out;
        for (int guard = 0; guard < (1 << 22); ++guard) {
            int32_t c = in->read();
            if (c < 0) break;
            out += static_cast<char>(c);
        }
        return out;
    }

private:
    int m_socketsBefore = 0;
    int m_connectionsBefore = 0;
};

}  // namespace mrc::test
