#include "host/net/connmgr.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

#include "host/core/log.h"
#include "host/net/net.h"

namespace host {
namespace {

std::atomic<bool> g_available{true};
std::mutex g_mutex;
std::unordered_set<ConnectionHandle> g_held;
ConnectionHandle g_nextHandle = 1;

}  // namespace

bool establishConnectionSync(const ConnectionRequest& request, uint32_t /*timeoutMs*/,
                             ConnectionHandle& handle, uint32_t& status) {
    handle = kNoConnection;
    if (request.disabled) {
        status = kConnStatusDisabled;
        setNetLastError(kErrInternetCannotConnect);
        return false;
    }
    if (!g_available.load()) {
        status = kConnStatusFailed;
        setNetLastError(kErrInternetCannotConnect);
        return false;
    }
    std::lock_guard lock(g_mutex);
    handle = g_nextHandle++;
    if (g_nextHandle == kNoConnection) g_nextHandle = 1;
    g_held.insert(handle);
    status = kConnStatusConnected;
    return true;
}

bool mapUrlToDestination(std::string_view url, NetDestination& destination) {
    auto sep = url.find("://");
    if (sep == std::string_view::npos || sep == 0 || sep + 3 >= url.size() || url[sep + 3] == '/') {
        mrc_log("connection manager: no destination for URL \"%.*s\"",
                static_cast<int>(url.size() > 200 ? 200 : url.size()), url.data());
        setNetLastError(kErrInternetInvalidUrl);
        return false;
    }
    destination = NetDestination::Internet;
    return true;
}

bool releaseConnection(ConnectionHandle handle, int32_t /*cacheSeconds*/) {
    std::lock_guard lock(g_mutex);
    if (g_held.erase(handle) == 0) {
        mrc_log("connection manager: release of unknown connection %u", handle);
        setNetLastError(kErrInvalidHandle);
        return false;
    }
    return true;
}

void setDataConnectionAvailable(bool available) { g_available.store(available); }

int heldConnectionCount() {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_held.size());
}

}  // namespace host
