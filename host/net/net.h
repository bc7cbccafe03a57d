// What the network services share: the per-thread last error (the device's GetLastError and
// WSAGetLastError are one value) with the device's error numbers, and the outgoing port remap.
#pragma once

#include <cstdint>

namespace host {

// Error numbers as the device reports them, so that traces and callers that print them match.
inline constexpr uint32_t kErrInvalidHandle = 6;
inline constexpr uint32_t kErrInvalidParameter = 87;
inline constexpr uint32_t kErrInsufficientBuffer = 122;

inline constexpr uint32_t kErrInternetTimeout = 12002;
inline constexpr uint32_t kErrInternetInternal = 12004;
inline constexpr uint32_t kErrInternetInvalidUrl = 12005;
inline constexpr uint32_t kErrInternetNameNotResolved = 12007;
inline constexpr uint32_t kErrInternetIncorrectHandleState = 12019;
inline constexpr uint32_t kErrInternetCannotConnect = 12029;
inline constexpr uint32_t kErrInternetConnectionAborted = 12030;
inline constexpr uint32_t kErrInternetConnectionReset = 12031;
inline constexpr uint32_t kErrHttpInvalidServerResponse = 12152;

inline constexpr uint32_t kSockErrInterrupted = 10004;
inline constexpr uint32_t kSockErrBadHandle = 10009;
inline constexpr uint32_t kSockErrAccess = 10013;
inline constexpr uint32_t kSockErrFault = 10014;
inline constexpr uint32_t kSockErrInvalidArgument = 10022;
inline constexpr uint32_t kSockErrTooManySockets = 10024;
inline constexpr uint32_t kSockErrWouldBlock = 10035;
inline constexpr uint32_t kSockErrInProgress = 10036;
inline constexpr uint32_t kSockErrAlready = 10037;
inline constexpr uint32_t kSockErrNotSocket = 10038;
inline constexpr uint32_t kSockErrMessageSize = 10040;
inline constexpr uint32_t kSockErrOperationNotSupported = 10045;
inline constexpr uint32_t kSockErrAddressFamily = 10047;
inline constexpr uint32_t kSockErrAddressInUse = 10048;
inline constexpr uint32_t kSockErrAddressNotAvailable = 10049;
inline constexpr uint32_t kSockErrNetworkDown = 10050;
inline constexpr uint32_t kSockErrNetworkUnreachable = 10051;
inline constexpr uint32_t kSockErrConnectionAborted = 10053;
inline constexpr uint32_t kSockErrConnectionReset = 10054;
inline constexpr uint32_t kSockErrNoBuffers = 10055;
inline constexpr uint32_t kSockErrAlreadyConnected = 10056;
inline constexpr uint32_t kSockErrNotConnected = 10057;
inline constexpr uint32_t kSockErrShutdown = 10058;
inline constexpr uint32_t kSockErrTimedOut = 10060;
inline constexpr uint32_t kSockErrConnectionRefused = 10061;
inline constexpr uint32_t kSockErrHostUnreachable = 10065;
inline constexpr uint32_t kSockErrHostNotFound = 11001;
inline constexpr uint32_t kSockErrTryAgain = 11002;

// The calling thread's last network error; 0 after a call that succeeded is not guaranteed,
// as on the device: read it only right after a call reported failure.
uint32_t netLastError();
void setNetLastError(uint32_t error);

// Outgoing connections (HTTP and sockets) to port `from` go to port `to` instead; the request
// itself (Host header, URL) still names `from`. This is how tests reach a loopback server on
// an ephemeral port while the caller insists on port 80. `to` equal to `from` or 0 removes it.
void setPortRemap(uint16_t from, uint16_t to);
void clearPortRemaps();
uint16_t remappedPort(uint16_t port);

}  // namespace host
