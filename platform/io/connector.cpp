#include "platform/io/connector.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/lang/string.h"
#include "runtime/util/library_support.h"

using namespace mrc;
using Connector = javax_microedition_io_Connector;

namespace {

struct Scheme {
    const char* prefix;
    Connector::Factory factory;
};

std::mutex g_schemesLock;

std::vector<Scheme>& schemes() {
    static std::vector<Scheme> table;
    return table;
}

// String.startsWith against a literal, case-sensitive.
bool beginsWith(String* name, const char* prefix) {
    auto n = static_cast<int32_t>(std::strlen(prefix));
    if (name->count() < n) return false;
    for (int32_t i = 0; i < n; ++i)
        if (name->chars[i] != static_cast<unsigned char>(prefix[i])) return false;
    return true;
}

template <class Interface>
Interface* connectionInterface(String* name, int32_t mode, uint16_t interfaceId) {
    Object* connection = Connector::open(name, mode);
    if (lib::exceptionPending() || isNull(connection)) return nullptr;
    return static_cast<Interface*>(connection->getInterface(interfaceId));
}

}  // namespace

void Connector::registerScheme(const char* prefix, Factory factory) {
    std::lock_guard lock(g_schemesLock);
    auto& table = schemes();
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (std::strcmp(it->prefix, prefix) != 0) continue;
        if (factory) {
            it->factory = factory;
        } else {
            table.erase(it);
        }
        return;
    }
    if (factory) table.push_back({prefix, factory});
}

Object* Connector::open(String* name, int32_t mode, bool timeouts) {
    if (lib::isNullReported(name)) return nullptr;
    Factory factory = nullptr;
    {
        std::lock_guard lock(g_schemesLock);
        for (const Scheme& s : schemes()) {
            if (beginsWith(name, s.prefix)) {
                factory = s.factory;
                break;
            }
        }
    }
    return factory ? factory(name, mode, timeouts) : nullptr;
}

Object* Connector::open(String* name, int32_t mode) { return open(name, mode, false); }

Object* Connector::open(String* name) { return open(name, READ_WRITE); }

java_io_DataInputStream* Connector::openDataInputStream(String* name) {
    auto* in = connectionInterface<javax_microedition_io_InputConnection>(name, READ,
                                                                          kClass_javax_microedition_io_InputConnection);
    return in ? in->openDataInputStream() : nullptr;
}

java_io_InputStream* Connector::openInputStream(String* name) { return openDataInputStream(name); }

java_io_DataOutputStream* Connector::openDataOutputStream(String* name) {
    auto* out = connectionInterface<javax_microedition_io_OutputConnection>(
        name, WRITE, kClass_javax_microedition_io_OutputConnection);
    return out ? out->openDataOutputStream() : nullptr;
}

java_io_OutputStream* Connector::openOutputStream(String* name) { return openDataOutputStream(name); }
