// The data-connection manager of the device. A Linux machine is either on the network or not,
// so establishing a connection answers "connected" at once; the handles are still tracked so
// that a caller which forgets to release one, or releases one twice, shows up in the trace.
// Tests can switch the data connection off to exercise the "no data connection" path.
#pragma once

#include <cstdint>
#include <string_view>

namespace host {

enum class NetDestination : uint8_t { Internet, Work };

// Status values of an establish request.
inline constexpr uint32_t kConnStatusUnknown = 0x00;
inline constexpr uint32_t kConnStatusConnected = 0x10;
inline constexpr uint32_t kConnStatusFailed = 0x21;
inline constexpr uint32_t kConnStatusDisabled = 0x23;

// Priority of a request the user waits for.
inline constexpr uint32_t kConnPriorityUserInteractive = 0x8000;

struct ConnectionRequest {
    NetDestination destination = NetDestination::Internet;
    uint32_t priority = kConnPriorityUserInteractive;
    bool exclusive = false;
    bool disabled = false;  // a disabled request is never connected
};

using ConnectionHandle = uint32_t;
inline constexpr ConnectionHandle kNoConnection = 0;

// Establishes a data connection and waits for it (at most timeoutMs). On success the handle
// is set and status is kConnStatusConnected; otherwise the handle stays kNoConnection, status
// tells why and netLastError() is set.
bool establishConnectionSync(const ConnectionRequest& request, uint32_t timeoutMs,
                             ConnectionHandle& handle, uint32_t& status);

// Which destination network serves the URL: every well-formed URL with a host is on the
// Internet. False (netLastError() set) for an empty URL or one without "://host".
bool mapUrlToDestination(std::string_view url, NetDestination& destination);

// Releases a handle from establishConnectionSync. The connection may be cached for
// cacheSeconds before it drops, which here changes nothing. False for an unknown handle.
bool releaseConnection(ConnectionHandle handle, int32_t cacheSeconds);

// Test hooks: whether a data connection can be established (on by default), and how many
// handles are held right now.
void setDataConnectionAvailable(bool available);
int heldConnectionCount();

}  // namespace host
