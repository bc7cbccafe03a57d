// A small TCP client over the host's sockets: create, connect by name or dotted address, send,
// receive, read a line; it can also bind, listen and accept. Failures of create and connect are
// logged with the texts the device showed in message boxes (while the diagnostics flag is set).
//
// The socket library is started by the first live client and cleaned up after the last. Calls
// block on the calling thread (parked for the collector), so buffers handed in must be native
// memory, never a Java array's elements.
#pragma once

#include <cstdint>

#include "host/net/socket.h"

namespace mrc::net {

class WinSocketClient {
public:
    static constexpr uint16_t kLibraryVersion = 0x0101;

    WinSocketClient();
    ~WinSocketClient();  // closes the socket
    WinSocketClient(const WinSocketClient&) = delete;
    WinSocketClient& operator=(const WinSocketClient&) = delete;

    // A TCP socket; false ("WinSocketClient::Create Failed") when there is none.
    bool Create();
    // The host by name, else as a dotted address ("WinSocketClient::Connect-> Invalid address"
    // when it is neither); a refused or failed connect is logged with the error in hexadecimal
    // and decimal. A port outside 1-65535 fails like an unreachable address.
    bool Connect(const char* host, int32_t port);
    bool Bind(uint16_t port);
    // Accepts into `other`, whose earlier socket is closed first; false with a null other.
    bool Accept(WinSocketClient* other);
    bool Listen(int32_t backlog);
    // The host's results: bytes, 0 when the peer closed (Recv), or host::kSocketError.
    int32_t Send(const void* buffer, int32_t length, int32_t flags);
    int32_t SendString(const char* text);
    int32_t Recv(void* buffer, int32_t length, int32_t flags);
    // Receives a byte at a time until a '\n', storing all but '\r' and '\n', at most max - 1 of
    // them, then a 0; each byte received is sent back when `echo` is set. The count stored; when
    // nothing was stored, 0 if the peer closed, kSocketError on a failure, else 1 (an empty line).
    // What was stored is 0-terminated on every return. A null buffer, or max below 2 (no room for
    // a character), gives kSocketError.
    int32_t ReadLine(char* buffer, int32_t max, bool echo);
    bool Shutdown(int32_t how);
    bool Close();

    host::SocketHandle socket() const { return m_socket; }
    void setDiagnostics(bool on) { m_diagnostics = on; }

    // Clients alive now (tests).
    static int32_t liveCount();

private:
    host::SocketHandle m_socket = host::kInvalidSocket;
    bool m_diagnostics = true;
};

}  // namespace mrc::net
