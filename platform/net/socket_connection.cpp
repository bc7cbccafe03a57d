#include "platform/net/socket_connection.h"

#include <cstring>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "platform/net/connections.h"
#include "platform/net/socket_client.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;
using mrc::net::WinSocketClient;

namespace {

template <class Stream>
Stream* overClient(std::shared_ptr<WinSocketClient> client) {
    auto* stream = newObject<Stream>();
    if (stream) stream->m_client = std::move(client);
    return stream;
}

}  // namespace

// ---- SocketConnectionImpl ---------------------------------------------------------------------

SocketConnectionImpl::SocketConnectionImpl() = default;

SocketConnectionImpl::~SocketConnectionImpl() = default;

void SocketConnectionImpl::init(String* name, int32_t openMode, bool withTimeouts) {
    initUrl(name, openMode, withTimeouts);
    m_client = std::make_shared<WinSocketClient>();
    m_client->Create();
    // Native bytes: the lookup and the connect block.
    std::string hostBytes = net::bytesOf(net::units(host));
    m_client->Connect(hostBytes.c_str(), port);
}

void* SocketConnectionImpl::getInterface(int32_t interfaceId) {
    auto* socket = static_cast<javax_microedition_io_SocketConnection*>(this);
    switch (interfaceId) {
        case kClass_javax_microedition_io_Connection: return static_cast<javax_microedition_io_Connection*>(socket);
        case kClass_javax_microedition_io_InputConnection:
            return static_cast<javax_microedition_io_InputConnection*>(socket);
        case kClass_javax_microedition_io_SocketConnection: return socket;
        case kClass_javax_microedition_io_StreamConnection:
            return static_cast<javax_microedition_io_StreamConnection*>(socket);
        case kClass_javax_microedition_io_OutputConnection:
            return static_cast<javax_microedition_io_OutputConnection*>(this);
        default: return Object::getInterface(interfaceId);
    }
}

void SocketConnectionImpl::close() {
    if (m_client) m_client->Close();
}

java_io_InputStream* SocketConnectionImpl::openInputStream() { return SocketInputStream::newInstance(m_client); }

java_io_DataInputStream* SocketConnectionImpl::openDataInputStream() {
    java_io_InputStream* in = openInputStream();
    return in ? java_io_DataInputStream::newInstance(in) : nullptr;
}

java_io_OutputStream* SocketConnectionImpl::openOutputStream() { return SocketOutputStream::newInstance(m_client); }

java_io_DataOutputStream* SocketConnectionImpl::openDataOutputStream() {
    java_io_OutputStream* out = openOutputStream();
    return out ? java_io_DataOutputStream::newInstance(out) : nullptr;
}

// ---- SocketInputStream ------------------------------------------------------------------------

SocketInputStream* SocketInputStream::newInstance(std::shared_ptr<WinSocketClient> client) {
    return overClient<SocketInputStream>(std::move(client));
}

SocketInputStream::SocketInputStream() = default;

SocketInputStream::~SocketInputStream() = default;

int32_t SocketInputStream::read() {
    if (pos < count) return java_io_ByteArrayInputStream::read();
    if (!m_received) m_received = std::make_unique_for_overwrite<uint8_t[]>(kReceiveSize);
    int32_t n = m_client ? m_client->Recv(m_received.get(), kReceiveSize, 0) : host::kSocketError;
    if (n < 0) {
        raise(kClass_java_io_IOException);
        return -1;
    }
    if (n == 0) {
        pos = 0;
        count = 0;
        return -1;
    }
    ByteArray* bytes = ApplicationImpl::getApplication()->objectManager->newByteArray(n);
    if (isNull(bytes)) {
        mrc_log("SocketInputStream::read: no room for %d bytes received", n);
        raise(kClass_java_io_IOException);
        return -1;
    }
    std::memcpy(bytes->elements(), m_received.get(), static_cast<std::size_t>(n));
    buf = bytes;
    pos = 0;
    count = n;
    return java_io_ByteArrayInputStream::read();
}

// ---- SocketOutputStream -----------------------------------------------------------------------

SocketOutputStream* SocketOutputStream::newInstance(std::shared_ptr<WinSocketClient> client) {
    return overClient<SocketOutputStream>(std::move(client));
}

SocketOutputStream::SocketOutputStream() = default;

SocketOutputStream::~SocketOutputStream() = default;

void SocketOutputStream::write(ByteArray* b) {
    if (lib::isNullReported(b)) return;
    write(b, 0, b->length);
}

void SocketOutputStream::write(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::rangeOk(b, off, len)) return;
    if (len == 0) return;
    // A native copy: the send blocks, and the array may move meanwhile.
    std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(b->elements()) + off,
                               reinterpret_cast<const uint8_t*>(b->elements()) + off + len);
    int32_t sent = m_client ? m_client->Send(bytes.data(), len, 0) : host::kSocketError;
    if (sent != len) raise(kClass_java_io_IOException);
}
