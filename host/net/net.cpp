#include "host/net/net.h"

#include <mutex>
#include <unordered_map>

namespace host {
namespace {

thread_local uint32_t t_lastError = 0;

std::mutex g_remapMutex;
std::unordered_map<uint16_t, uint16_t> g_remaps;

}  // namespace

uint32_t netLastError() { return t_lastError; }

void setNetLastError(uint32_t error) { t_lastError = error; }

void setPortRemap(uint16_t from, uint16_t to) {
    std::lock_guard lock(g_remapMutex);
    if (to == 0 || to == from) {
        g_remaps.erase(from);
    } else {
        g_remaps[from] = to;
    }
}

void clearPortRemaps() {
    std::lock_guard lock(g_remapMutex);
    g_remaps.clear();
}

uint16_t remappedPort(uint16_t port) {
    std::lock_guard lock(g_remapMutex);
    auto it = g_remaps.find(port);
    return it == g_remaps.end() ? port : it->second;
}

}  // namespace host
