#include "platform/net/http_connection.h"

#include <string>
#include <vector>

#include "platform/net/busy_indicator.h"
#include "platform/net/connections.h"
#include "platform/net/http_client.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;
using mrc::net::units;
using mrc::net::WinInetHttpClient;

HttpConnectionImpl::HttpConnectionImpl() = default;

HttpConnectionImpl::~HttpConnectionImpl() { close(); }

void HttpConnectionImpl::init(String* name, int32_t openMode, bool withTimeouts) {
    initUrl(name, openMode, withTimeouts);
    requestMethod = newString("GET");
    requestSent = 0;
    m_client = std::make_unique<WinInetHttpClient>();
    m_client->Connect(units(url));
}

void* HttpConnectionImpl::getInterface(int32_t interfaceId) {
    auto* http = static_cast<javax_microedition_io_HttpConnection*>(this);
    switch (interfaceId) {
        case kClass_javax_microedition_io_Connection: return static_cast<javax_microedition_io_Connection*>(http);
        case kClass_javax_microedition_io_ContentConnection:
            return static_cast<javax_microedition_io_ContentConnection*>(http);
        case kClass_javax_microedition_io_HttpConnection: return http;
        case kClass_javax_microedition_io_InputConnection:
            return static_cast<javax_microedition_io_InputConnection*>(http);
        case kClass_javax_microedition_io_OutputConnection:
            return static_cast<javax_microedition_io_OutputConnection*>(this);
        default: return Object::getInterface(interfaceId);
    }
}

void HttpConnectionImpl::sendRequest() {
    if (requestSent) return;
    if (isNull(requestMethod) || requestMethod->count() != 3 || !requestMethod->equalsIgnoreCaseCString("GET")) return;
    // Native copies: the request blocks, and the characters may move meanwhile.
    std::u16string object = units(path);
    std::u16string arguments = units(query);
    {
        net::BusyIndicator busy;
        m_client->SendByGet(object, arguments);
    }
    requestSent = 1;
}

void HttpConnectionImpl::close() {
    if (m_client) m_client->Close();
}

java_io_InputStream* HttpConnectionImpl::openInputStream() {
    sendRequest();
    if (m_client->GetStatusCode() != 200) {
        raise(kClass_java_io_IOException);
        return nullptr;
    }
    int32_t n = m_client->GetContentLength();
    ByteArray* bytes = n > 0 ? ApplicationImpl::getApplication()->objectManager->newByteArray(n) : nullptr;
    if (isNull(bytes) || !m_client->GetContent(reinterpret_cast<uint8_t*>(bytes->elements()), uint32_t(n))) {
        raise(kClass_java_io_IOException);
        return nullptr;
    }
    return java_io_ByteArrayInputStream::newInstance(bytes);
}

java_io_DataInputStream* HttpConnectionImpl::openDataInputStream() {
    java_io_InputStream* in = openInputStream();
    if (lib::exceptionPending()) return nullptr;
    return java_io_DataInputStream::newInstance(in);
}

java_io_DataOutputStream* HttpConnectionImpl::openDataOutputStream() {
    return java_io_DataOutputStream::newInstance(openOutputStream());
}

String* HttpConnectionImpl::getProtocol() { return newString("http"); }

void HttpConnectionImpl::setRequestMethod(String* method) {
    requestMethod = method;
    requestSent = 0;
}

void HttpConnectionImpl::setRequestProperty(String* key, String* value) {
    requestSent = 0;
    m_client->SetRequestHeader(units(key), units(value));
}

int32_t HttpConnectionImpl::getResponseCode() {
    sendRequest();
    return m_client->GetStatusCode();
}

int64_t HttpConnectionImpl::getLength() {
    sendRequest();
    return m_client->GetContentLength();
}

String* HttpConnectionImpl::getResponseMessage() {
    sendRequest();
    std::vector<char16_t> buffer(kStatusTextChars);
    uint32_t size = kStatusTextChars;
    if (!m_client->GetStatusText(buffer.data(), size)) {
        raise(kClass_java_io_IOException);
        return nullptr;
    }
    return newString(buffer.data(), static_cast<int32_t>(size));
}

String* HttpConnectionImpl::getType() { return headerField(u"content-type"); }

String* HttpConnectionImpl::getHeaderField(String* name) { return headerField(units(name)); }

String* HttpConnectionImpl::headerField(std::u16string_view name) {
    std::u16string key(name);
    sendRequest();
    std::vector<char16_t> buffer(kHeaderValueChars);
    uint32_t size = kHeaderValueChars;
    bool found = m_client->GetResponseHeader(key, buffer.data(), size);
    if (!found && size > buffer.size()) {
        // A value longer than the buffer: one of its size rather than an overrun.
        buffer.resize(size);
        found = m_client->GetResponseHeader(key, buffer.data(), size);
    }
    if (!found) {
        raise(kClass_java_io_IOException);
        return nullptr;
    }
    return newString(buffer.data(), static_cast<int32_t>(size));
}
