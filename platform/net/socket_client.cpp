#include "platform/net/socket_client.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "host/core/log.h"
#include "host/net/net.h"

namespace mrc::net {
namespace {

// Clients are made and destroyed on whatever threads open and collect connections.
std::mutex g_libraryLock;
int32_t g_liveClients = 0;

}  // namespace

int32_t WinSocketClient::liveCount() {
    std::lock_guard lock(g_libraryLock);
    return g_liveClients;
}

WinSocketClient::WinSocketClient() {
    std::lock_guard lock(g_libraryLock);
    if (++g_liveClients == 1) host::socketLibraryStartup(kLibraryVersion);
}

WinSocketClient::~WinSocketClient() {
    Close();
    std::lock_guard lock(g_libraryLock);
    if (--g_liveClients == 0) host::socketLibraryCleanup();
}

bool WinSocketClient::Create() {
    Close();
    m_socket = host::socketCreate();
    if (m_socket == host::kInvalidSocket) {
        if (m_diagnostics) mrc_log("WinSocketClient::Create Failed");
        return false;
    }
    return true;
}

bool WinSocketClient::Connect(const char* host, int32_t port) {
    uint32_t address = 0;
    if (!host::lookupHost(host, address)) {
        address = host::parseAddress(host);
        if (address == host::kAddressNone) {
            if (m_diagnostics) mrc_log("WinSocketClient::Connect-> Invalid address");
            return false;
        }
    }
    // The device kept the low 16 bits, which names some other port.
    bool connected = false;
    if (port < 1 || port > 0xFFFF) {
        host::setNetLastError(host::kSockErrAddressNotAvailable);
    } else {
        connected = host::socketConnect(m_socket, address, static_cast<uint16_t>(port)) != host::kSocketError;
    }
    if (!connected) {
        uint32_t error = host::netLastError();
        if (m_diagnostics) mrc_log("WinSocketClient::Connect: Unable to connect: %X / %d", error, static_cast<int>(error));
        return false;
    }
    return true;
}

bool WinSocketClient::Bind(uint16_t port) { return host::socketBind(m_socket, port) != host::kSocketError; }

bool WinSocketClient::Accept(WinSocketClient* other) {
    if (other == nullptr) return false;
    other->Close();
    other->m_socket = host::socketAccept(m_socket);
    return other->m_socket != host::kInvalidSocket;
}

bool WinSocketClient::Listen(int32_t backlog) { return host::socketListen(m_socket, backlog) != host::kSocketError; }

int32_t WinSocketClient::Send(const void* buffer, int32_t length, int32_t flags) {
    return host::socketSend(m_socket, buffer, length, flags);
}

int32_t WinSocketClient::SendString(const char* text) {
    if (text == nullptr) return 0;
    return Send(text, static_cast<int32_t>(std::strlen(text)), 0);
}

int32_t WinSocketClient::Recv(void* buffer, int32_t length, int32_t flags) {
    return host::socketRecv(m_socket, buffer, length, flags);
}

int32_t WinSocketClient::ReadLine(char* buffer, int32_t max, bool echo) {
    if (buffer == nullptr || max < 2) {
        if (buffer != nullptr && max == 1) buffer[0] = 0;
        host::setNetLastError(host::kSockErrInvalidArgument);
        return host::kSocketError;
    }
    int32_t stored = 0;
    int32_t result = 0;
    while (stored < max - 1) {
        char c = 0;
        result = Recv(&c, 1, 0);
        if (result <= 0) break;
        if (c != '\r' && c != '\n') buffer[stored++] = c;
        if (echo) Send(&c, 1, 0);
        if (c == '\n') break;
    }
    buffer[stored] = 0;
    if (result <= 0) return result < 0 ? host::kSocketError : 0;
    return stored > 0 ? stored : result;
}

bool WinSocketClient::Shutdown(int32_t how) { return host::socketShutdown(m_socket, how) != host::kSocketError; }

bool WinSocketClient::Close() {
    if (m_socket == host::kInvalidSocket) return false;
    int rc = host::socketClose(m_socket);
    m_socket = host::kInvalidSocket;
    return rc != host::kSocketError;
}

}  // namespace mrc::net
