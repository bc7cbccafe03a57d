// An "http" connection of the Connector: a MIDP HttpConnection that supports GET only. It
// connects at once, sends its request the first time a result is asked for (a busy indicator
// runs meanwhile), keeps the whole response and serves the body as a byte-array stream when the
// status is 200. setRequestMethod and setRequestProperty make the next result query send again.
//
// Failures raise java_io_IOException as the pending exception: a status other than 200 (or no
// response) for openInputStream, a header name the response lacks (exact case) for
// getHeaderField, no status line for getResponseMessage.
//
// The object is stamped with the class id of the HttpConnection interface: the collector keeps
// reference offsets per class id, and id 0 belongs to Object, whose instances have no fields.
// No object of an interface id exists otherwise, and instanceof answers as for id 0 plus the
// interfaces getInterface gives.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/io/connector.h"
#include "platform/net/connections.h"
#include "runtime/core/object.h"

namespace mrc::net {
class WinInetHttpClient;
}

// Interface id 72.
class javax_microedition_io_ContentConnection : public javax_microedition_io_InputConnection {
public:
    virtual String* getType() = 0;      // slot 3
    virtual String* getEncoding() = 0;  // slot 4
    virtual int64_t getLength() = 0;    // slot 5

protected:
    ~javax_microedition_io_ContentConnection() = default;
};

// Interface id 74.
class javax_microedition_io_HttpConnection : public javax_microedition_io_ContentConnection {
public:
    virtual String* getURL() = 0;                                  // slot 6
    virtual String* getProtocol() = 0;                             // 7
    virtual String* getHost() = 0;                                 // 8
    virtual String* getFile() = 0;                                 // 9
    virtual String* getRef() = 0;                                  // 10
    virtual String* getQuery() = 0;                                // 11
    virtual int32_t getPort() = 0;                                 // 12
    virtual String* getRequestMethod() = 0;                        // 13
    virtual void setRequestMethod(String* method) = 0;             // 14
    virtual String* getRequestProperty(String* key) = 0;           // 15
    virtual void setRequestProperty(String* key, String* value) = 0;  // 16
    virtual int32_t getResponseCode() = 0;                         // 17
    virtual String* getResponseMessage() = 0;                      // 18
    virtual int64_t getExpiration() = 0;                           // 19
    virtual int64_t getDate() = 0;                                 // 20
    virtual int64_t getLastModified() = 0;                         // 21
    virtual String* getHeaderField(int32_t n) = 0;                 // 22
    virtual String* getHeaderField(String* name) = 0;              // 23
    virtual int32_t getHeaderFieldInt(String* name, int32_t def) = 0;  // 24
    virtual int64_t getHeaderFieldDate(String* name, int64_t def) = 0;  // 25
    virtual String* getHeaderFieldKey(int32_t n) = 0;              // 26

protected:
    ~javax_microedition_io_HttpConnection() = default;
};

class HttpConnectionImpl : public UrlConnection,
                           public javax_microedition_io_HttpConnection,
                           public javax_microedition_io_OutputConnection {
public:
    using Base = UrlConnection;
    static constexpr uint16_t kClassId = mrc::kClass_javax_microedition_io_HttpConnection;
    MRC_REF_FIELDS(&HttpConnectionImpl::requestMethod);

    // The status text must fit its buffer; a header value longer than its buffer gets one of
    // its own size.
    static constexpr uint32_t kStatusTextChars = 1024;
    static constexpr uint32_t kHeaderValueChars = 8192;

    HttpConnectionImpl();
    ~HttpConnectionImpl() override;  // close, the client deleted
    void* getInterface(int32_t interfaceId) override;
    // Slot 6. Sends the GET once (any other method sends nothing), with the busy indicator.
    virtual void sendRequest();

    // The Java constructor: stores and parses the URL, method "GET", connects the client (its
    // result shows later as a failed request).
    void init(String* name, int32_t mode, bool timeouts);

    // Connection, InputConnection
    void close() override;
    java_io_InputStream* openInputStream() override;
    java_io_DataInputStream* openDataInputStream() override;
    // ContentConnection
    String* getType() override;
    String* getEncoding() override { return nullptr; }
    int64_t getLength() override;
    // HttpConnection
    String* getURL() override { return url; }
    String* getProtocol() override;
    String* getHost() override { return host; }
    String* getFile() override { return path; }
    String* getRef() override { return fragment; }
    String* getQuery() override { return query; }
    int32_t getPort() override { return port; }
    String* getRequestMethod() override { return requestMethod; }
    void setRequestMethod(String* method) override;
    String* getRequestProperty(String*) override { return nullptr; }
    void setRequestProperty(String* key, String* value) override;
    int32_t getResponseCode() override;
    String* getResponseMessage() override;
    int64_t getExpiration() override { return 0; }
    int64_t getDate() override { return 0; }
    int64_t getLastModified() override { return 0; }
    String* getHeaderField(int32_t) override { return nullptr; }
    String* getHeaderField(String* name) override;
    int32_t getHeaderFieldInt(String*, int32_t) override { return 0; }
    int64_t getHeaderFieldDate(String*, int64_t) override { return 0; }
    String* getHeaderFieldKey(int32_t) override { return nullptr; }
    // OutputConnection: no request body is ever sent.
    java_io_OutputStream* openOutputStream() override { return nullptr; }
    java_io_DataOutputStream* openDataOutputStream() override;

    mrc::net::WinInetHttpClient* client() const { return m_client.get(); }

    std::unique_ptr<mrc::net::WinInetHttpClient> m_client;
    String* requestMethod;
    uint8_t requestSent;

private:
    // getHeaderField's work: sends if not sent; the value, or java_io_IOException.
    String* headerField(std::u16string_view name);
};
