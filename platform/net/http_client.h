// The HTTP client behind HttpConnectionImpl: a data connection, a session and a connection to
// the URL's host on port 80, and GET requests over it (HTTP/1.0) whose whole response (status,
// headers, body) it keeps until the next request.
//
// Text is UTF-16 as the Java side has it; the raw header text arrives as bytes and is widened as
// Latin-1. Every getter that copies into a caller's buffer checks the room first: one too small
// gets nothing copied and learns the size it needs.
//
// A client is used by one thread at a time. SendByGet blocks (the thread counts as parked for the
// collector meanwhile), so it works on native copies only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/net/connmgr.h"

namespace host {
class InternetSession;
class InternetConnection;
class HttpRequest;
}  // namespace host

namespace mrc::net {

class HttpProgressListener {
public:
    virtual void progress(int32_t bytesReceived, int32_t bytesExpected) = 0;

protected:
    ~HttpProgressListener() = default;
};

// Ordered by key, exact comparison; a key keeps the first value given to it.
using HttpHeaderMap = std::map<std::u16string, std::u16string>;

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual void setListener(HttpProgressListener* listener) { m_listener = listener; }
    virtual void clearListener() { m_listener = nullptr; }

    // True when the client is ready to send; the URL's port is not used.
    virtual bool Connect(std::u16string_view url) = 0;
    // Releases everything held, the response included.
    virtual void Close() = 0;
    virtual void Reset() = 0;
    // The status code, or -1 when the request failed (and everything was closed).
    virtual int32_t SendByGet(std::u16string_view path, std::u16string_view query) = 0;
    virtual void ResetResponse() = 0;
    // Both non-empty, and without line breaks (which would smuggle in header lines of their own).
    virtual bool SetRequestHeader(std::u16string_view key, std::u16string_view value) = 0;
    // size in characters, the terminating 0 included. On a found key that does not fit: false,
    // size = the room needed. On a missing key: false, size = 0. On success: size = the length.
    virtual bool GetRequestHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) = 0;
    virtual int32_t GetStatusCode() = 0;
    // False without a status line (size 0) or without room (size = needed).
    virtual bool GetStatusText(char16_t* buffer, uint32_t& size) = 0;
    virtual bool GetRawHeaders(char16_t* buffer, uint32_t& size) = 0;
    virtual bool GetResponseHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) = 0;
    // The body's length in bytes.
    virtual int32_t GetContentLength() = 0;
    // Copies the body when there is one and size is at least its length.
    virtual bool GetContent(uint8_t* buffer, uint32_t size) = 0;

protected:
    HttpProgressListener* m_listener = nullptr;
};

// What the header parser makes of the raw header text: split at "\n", a '\r' before it dropped.
// The first line gives the status: the leading digits of its second word (-1 without one) and
// the words after it joined with single spaces. Every further line with a ':' gives a header:
// the text before the first ':', and after it without one leading space (a repeated key keeps
// its first value). Lines without ':' are skipped.
struct ParsedResponseHeader {
    int32_t status = -1;
    bool hasStatusLine = false;
    std::u16string statusText;
    HttpHeaderMap headers;
};
ParsedResponseHeader parseResponseHeader(std::u16string_view raw);

// The leading number of a header value: blanks, a sign, digits (saturated at the int range).
int32_t headerNumber(std::u16string_view value);

class WinInetHttpClient final : public HttpClient {
public:
    static constexpr uint16_t kPort = 80;
    static constexpr uint32_t kConnMgrTimeoutMs = 10000;
    static constexpr int32_t kConnMgrCacheSeconds = 30;
    static constexpr uint32_t kRequestFlags = 0x04403100;
    static constexpr std::size_t kMaxHeaderBlock = 255;
    // A host that maps to the Internet destination, for the second connection attempt.
    static constexpr std::string_view kProbeUrl = "http://www.example.com/";
    // The longest body kept: it must fit a Java byte array.
    static constexpr int64_t kMaxBody = 0x7FFFFFF0;

    WinInetHttpClient();
    ~WinInetHttpClient() override;

    bool Connect(std::u16string_view url) override;
    void Close() override;
    void Reset() override;
    int32_t SendByGet(std::u16string_view path, std::u16string_view query) override;
    void ResetResponse() override;
    bool SetRequestHeader(std::u16string_view key, std::u16string_view value) override;
    bool GetRequestHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) override;
    int32_t GetStatusCode() override { return m_statusCode; }
    bool GetStatusText(char16_t* buffer, uint32_t& size) override;
    bool GetRawHeaders(char16_t* buffer, uint32_t& size) override;
    bool GetResponseHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) override;
    int32_t GetContentLength() override { return m_responseContentBufferSize; }
    bool GetContent(uint8_t* buffer, uint32_t size) override;

    bool OpenConnMgr();
    bool ReadResponseHeader();
    bool ReadResponseContent();

    // Why the last Connect or SendByGet failed, kept through the closing it caused; 0 after
    // one that succeeded.
    uint32_t lastError() const { return m_lastError; }
    bool connected() const { return m_connection != nullptr; }

private:
    // Copies `text` and its terminating 0 when it fits; see GetRequestHeader (null: missing).
    static bool copyOut(const std::u16string* text, char16_t* buffer, uint32_t& size);
    static bool copyValue(const HttpHeaderMap& headers, std::u16string_view key, char16_t* buffer, uint32_t& size);
    void fail();  // m_lastError from the host's last error

    host::ConnectionHandle m_connMgr = host::kNoConnection;
    std::unique_ptr<host::InternetSession> m_session;
    std::unique_ptr<host::InternetConnection> m_connection;
    std::unique_ptr<host::HttpRequest> m_request;
    std::string m_hostName;
    uint16_t m_port = kPort;
    HttpHeaderMap m_requestHeaders;
    HttpHeaderMap m_responseHeaders;
    std::u16string m_rawHeaders;
    int32_t m_responseContentBufferSize = 0;
    std::vector<uint8_t> m_body;
    bool m_hasBody = false;
    std::u16string m_statusText;
    bool m_hasStatusText = false;
    int32_t m_statusCode = -1;
    uint32_t m_lastError = 0;
};

}  // namespace mrc::net
