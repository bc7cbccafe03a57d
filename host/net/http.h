// The device's HTTP client, over libcurl: a session (agent, timeouts), a connection (host and
// port; no traffic yet), and requests on it that connect when sent. A request is used by one
// thread at a time; different requests may run on different threads at once.
//
// What callers rely on, kept from the device's client:
// - the request line carries the version asked for ("HTTP/1.0"), the agent is the User-Agent,
//   the accept types form the only Accept header, extra headers go out as given;
// - send() returns once the response headers are in (any status counts as success);
// - the raw header text is the status line and header lines of the final response, each ending
//   in CRLF, followed by an empty CRLF line, whatever line ends the server used;
// - the body is streamed: queryDataAvailable() waits for some, readFile() fills the buffer or
//   stops at the end; both report 0 at the end of the body. A body that breaks off (reset,
//   shorter than its Content-Length, stalled past the receive timeout) makes readFile() fail.
// Redirects are not followed and no proxy is used.
//
// Buffers passed in must stay put while a call blocks (native memory, not a managed array).
// Failures return false (or null) and set netLastError() (host/net/net.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Request flags with the device's values; only the two that change what is sent act here
// (there is no cache, and the connection is plain HTTP, so the certificate flags are moot).
inline constexpr uint32_t kHttpFlagPragmaNoCache = 0x00000100;      // "Pragma: no-cache"
inline constexpr uint32_t kHttpFlagIgnoreCertNameInvalid = 0x00001000;
inline constexpr uint32_t kHttpFlagIgnoreCertDateInvalid = 0x00002000;
inline constexpr uint32_t kHttpFlagKeepConnection = 0x00400000;     // "Connection: Keep-Alive"
inline constexpr uint32_t kHttpFlagNoCacheWrite = 0x04000000;

struct HttpTimeouts {
    uint32_t connectMs = 30000;
    uint32_t receiveMs = 30000;  // longest wait for the next byte of the response
};

// Longest raw header text accepted; a larger header section fails the request.
inline constexpr std::size_t kHttpMaxHeaderBytes = 64 * 1024;
// How much body is held ahead of the reader before the transfer waits for it.
inline constexpr std::size_t kHttpBodyBufferBytes = 256 * 1024;

struct UrlParts {
    std::string scheme;
    std::string host;  // IPv6 literals keep their brackets
    uint16_t port = 0;  // the URL's port, else the scheme's default (http 80, https 443), else 0
    std::string path;   // from the first '/' up to '?' or '#'
    std::string extra;  // from '?' or '#' to the end
};

// Splits "scheme://[user[:password]@]host[:port][/path][?query][#fragment]". False
// (netLastError() = kErrInternetInvalidUrl) without "://", with an empty or unusable host, or
// with a port that is not a number up to 65535.
bool crackUrl(std::string_view url, UrlParts& parts);

// While set, every request's transfer ends at once (within a tenth of a second for one under
// way) and fails with kErrInternetConnectionAborted: the runtime sets it at its end, so that no
// thread is left inside a transfer whose request is being destroyed, and clears it as it starts.
void abortHttpTransfers(bool on);

class InternetConnection;
class HttpRequest;

class InternetSession {
public:
    // Null when the agent holds control characters.
    static std::unique_ptr<InternetSession> open(std::string_view agent);

    void setTimeouts(const HttpTimeouts& timeouts) { m_timeouts = timeouts; }
    const HttpTimeouts& timeouts() const { return m_timeouts; }
    const std::string& agent() const { return m_agent; }

    // Names the server; nothing goes over the network until a request is sent. Null for a
    // host name that cannot be one, or port 0.
    std::unique_ptr<InternetConnection> connect(std::string_view hostName, uint16_t port);

private:
    explicit InternetSession(std::string agent) : m_agent(std::move(agent)) {}
    std::string m_agent;
    HttpTimeouts m_timeouts;
};

class InternetConnection {
public:
    const std::string& hostName() const { return m_host; }
    uint16_t port() const { return m_port; }

    // verb: a token such as "GET" or "HEAD". object: path and query ("" means "/"); bytes that
    // may not stand in a request line (controls, space, '#', non-ASCII) are percent-encoded.
    // version: "HTTP/1.0", "HTTP/1.1" or "" (1.1). acceptTypes: empty sends no Accept header.
    // Null for a verb that is no token, an unknown version or a line break in an accept type.
    std::unique_ptr<HttpRequest> openRequest(std::string_view verb, std::string_view object,
                                             std::string_view version,
                                             const std::vector<std::string>& acceptTypes,
                                             uint32_t flags);

private:
    friend class InternetSession;
    InternetConnection(std::string agent, HttpTimeouts timeouts, std::string host, uint16_t port)
        : m_agent(std::move(agent)), m_timeouts(timeouts), m_host(std::move(host)), m_port(port) {}
    std::string m_agent;
    HttpTimeouts m_timeouts;
    std::string m_host;
    uint16_t m_port;
};

class HttpRequest {
public:
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Sends the request with extra header lines (separated by CRLF or LF; a line without ':' is
    // dropped with a trace) and waits for the response headers. Once per request.
    bool send(std::string_view headers = {});

    // The raw header text (empty before a successful send).
    const std::string& rawHeaders() const;
    // Copies the raw header text with a terminating NUL into buffer. When buffer is null or
    // length (in chars) is too small: false, kErrInsufficientBuffer, length = the size needed
    // (text + NUL). On success length = the text's length without the NUL.
    bool queryRawHeaders(char* buffer, uint32_t& length) const;
    // −1 before a response.
    int statusCode() const;
    // The status line after the code ("Not Found"), without the line end.
    const std::string& statusText() const;
    // The Content-Length the server announced, −1 when none (or not a number).
    int64_t contentLength() const;

    // Waits until body bytes are buffered or the body ended; bytes = how many can be read
    // without waiting (0 at the end). False only when used before a successful send.
    bool queryDataAvailable(uint32_t& bytes);
    // Reads until size bytes are read or the body ends; bytesRead 0 means the end. False when
    // the body broke off and nothing more was read by this call (bytes read before the break
    // are delivered first), or when used before a successful send.
    bool readFile(void* buffer, uint32_t size, uint32_t& bytesRead);

private:
    friend class InternetConnection;
    struct Impl;
    explicit HttpRequest(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace host
