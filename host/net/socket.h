// TCP sockets with the device's calling conventions over POSIX: handles that are not file
// descriptors (a stale or foreign handle is refused instead of reaching some other file),
// 0 / kSocketError results, the device's error numbers through netLastError(), and the
// outgoing port remap of host/net/net.h. Blocking calls count as parked for the collector, so
// their buffers must stay put while they block (native memory, not a managed array).
// Closing a socket that another thread is blocked on wakes that thread.
#pragma once

#include <cstdint>

namespace host {

using SocketHandle = uint32_t;
inline constexpr SocketHandle kInvalidSocket = 0xFFFFFFFFu;
inline constexpr int kSocketError = -1;

inline constexpr int kAddressFamilyInet = 2;
inline constexpr uint32_t kAddressNone = 0xFFFFFFFFu;

// Flags of socketSend and socketRecv, with the device's values.
inline constexpr int kSocketFlagOutOfBand = 0x1;
inline constexpr int kSocketFlagPeek = 0x2;
inline constexpr int kSocketFlagDontRoute = 0x4;

// socketShutdown's how.
inline constexpr int kShutdownReceive = 0;
inline constexpr int kShutdownSend = 1;
inline constexpr int kShutdownBoth = 2;

// The library's start and end, counted. Nothing needs starting here; versions below 1.1
// (0x0101, minor in the high byte) are refused as the device refuses them.
int socketLibraryStartup(uint16_t version);
int socketLibraryCleanup();

// A TCP stream socket for IPv4, or kInvalidSocket.
SocketHandle socketCreate();

// The first IPv4 address of a host name or dotted address, in network byte order; false with
// kSockErrHostNotFound (or kSockErrTryAgain) when it has none.
bool lookupHost(const char* name, uint32_t& address);
// A dotted IPv4 address in network byte order, or kAddressNone.
uint32_t parseAddress(const char* text);

// address in network byte order, port in host byte order.
int socketConnect(SocketHandle socket, uint32_t address, uint16_t port);
// Any local address; port 0 picks a free one (see socketLocalPort).
int socketBind(SocketHandle socket, uint16_t port);
int socketListen(SocketHandle socket, int backlog);
SocketHandle socketAccept(SocketHandle socket);
// Bytes sent or received, or kSocketError; socketRecv gives 0 when the peer closed.
int socketSend(SocketHandle socket, const void* buffer, int length, int flags);
int socketRecv(SocketHandle socket, void* buffer, int length, int flags);
int socketShutdown(SocketHandle socket, int how);
int socketClose(SocketHandle socket);
// Shuts every open socket down both ways: each call blocked on one returns, and later ones fail.
// The sockets stay open until their owners close them. For the runtime's end.
void shutdownAllSockets();

// The local port the socket is bound to (0 when unbound or unknown).
uint16_t socketLocalPort(SocketHandle socket);
// How many sockets are open right now: the test hook for leaks.
int openSocketCount();

}  // namespace host
