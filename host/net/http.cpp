#include "host/net/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/net/net.h"

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

// Longest wait inside one poll, so that the receive timeout is checked often enough.
constexpr int kPollSliceMs = 100;

std::atomic<bool> g_transfersAborted{false};

void ensureCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool hasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

bool isAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isToken(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (!isAlnum(c) && !std::strchr("!#$%&'*+-.^_`|~", c)) return false;
    }
    return true;
}

bool isHostName(std::string_view h) {
    if (h.empty() || h.size() > 255) return false;
    if (h.front() == '[') {
        if (h.size() < 3 || h.back() != ']') return false;
        return std::all_of(h.begin() + 1, h.end() - 1, [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        });
    }
    return std::all_of(h.begin(), h.end(), [](char c) { return isAlnum(c) || c == '-' || c == '.' || c == '_'; });
}

// Printable in traces whatever the bytes are.
std::string traceText(std::string_view s) {
    std::string out;
    for (char c : s.substr(0, 200)) out += isControl(static_cast<unsigned char>(c)) ? '?' : c;
    return out;
}

std::string encodeObject(std::string_view object) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    if (object.empty() || object.front() != '/') out = "/";
    for (char ch : object) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

uint32_t errorFor(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_CONNECT: return kErrInternetCannotConnect;
        case CURLE_COULDNT_RESOLVE_HOST: return kErrInternetNameNotResolved;
        case CURLE_OPERATION_TIMEDOUT: return kErrInternetTimeout;
        case CURLE_URL_MALFORMAT: return kErrInternetInvalidUrl;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_GOT_NOTHING:
        case CURLE_OUT_OF_MEMORY:
        case CURLE_BAD_CONTENT_ENCODING:
            return kErrHttpInvalidServerResponse;
        case CURLE_PARTIAL_FILE:
        case CURLE_ABORTED_BY_CALLBACK:
            return kErrInternetConnectionAborted;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return kErrInternetConnectionReset;
        default: return kErrInternetInternal;
    }
}

}  // namespace

void abortHttpTransfers(bool on) { g_transfersAborted.store(on); }

bool crackUrl(std::string_view url, UrlParts& parts) {
    auto fail = [&] {
        mrc_log("http: cannot split URL \"%s\"", traceText(url).c_str());
        setNetLastError(kErrInternetInvalidUrl);
        return false;
    };
    auto sep = url.find("://");
    if (sep == std::string_view::npos || sep == 0) return fail();
    std::string_view scheme = url.substr(0, sep);
    if (!std::all_of(scheme.begin(), scheme.end(), [](char c) { return isAlnum(c) || c == '+' || c == '-' || c == '.'; })) {
        return fail();
    }
    std::string_view rest = url.substr(sep + 3);
    std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    if (auto at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);

    std::string_view hostPart = authority;
    std::string_view portPart;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        auto close = authority.find(']');
        if (close == std::string_view::npos) return fail();
        hostPart = authority.substr(0, close + 1);
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return fail();
            portPart = after.substr(1);
            hasPort = true;
        }
    } else if (auto colon = authority.find(':'); colon != std::string_view::npos) {
        hostPart = authority.substr(0, colon);
        portPart = authority.substr(colon + 1);
        hasPort = true;
    }
    if (!isHostName(hostPart)) return fail();

    std::string lowerScheme(scheme);
    for (char& c : lowerScheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    uint16_t port = lowerScheme == "http" ? 80 : lowerScheme == "https" ? 443 : 0;
    if (hasPort && !portPart.empty()) {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(portPart.data(), portPart.data() + portPart.size(), value);
        if (ec != std::errc() || end != portPart.data() + portPart.size() || value > 65535) return fail();
        port = static_cast<uint16_t>(value);
    }

    std::string_view tail = rest.substr(authorityEnd);
    std::size_t extraStart = std::min(tail.find_first_of("?#"), tail.size());
    parts.scheme = std::string(scheme);
    parts.host = std::string(hostPart);
    parts.port = port;
    parts.path = std::string(tail.substr(0, extraStart));
    parts.extra = std::string(tail.substr(extraStart));
    return true;
}

std::unique_ptr<InternetSession> InternetSession::open(std::string_view agent) {
    if (hasControl(agent)) {
        mrc_log("http: agent \"%s\" holds control characters", traceText(agent).c_str());
        setNetLastError(kErrInvalidParameter);
        return nullptr;
    }
    ensureCurl();
    return std::unique_ptr<InternetSession>(new InternetSession(std::string(agent)));
}

std::unique_ptr<InternetConnection> InternetSession::connect(std::string_view hostName, uint16_t port) {
    if (!isHostName(hostName) || port == 0) {
        mrc_log("http: cannot connect to \"%s\" port %u", traceText(hostName).c_str(), port);
        setNetLastError(kErrInternetInvalidUrl);
        return nullptr;
    }
    return std::unique_ptr<InternetConnection>(
        new InternetConnection(m_agent, m_timeouts, std::string(hostName), port));
}

struct HttpRequest::Impl {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headerList = nullptr;
    curl_slist* connectTo = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};

    std::string verb;
    std::string url;
    std::vector<std::string> fixedHeaders;
    HttpTimeouts timeouts;

    bool sent = false;
    bool attached = false;
    bool connected = false;
    bool expectStatusLine = true;
    bool headersDone = false;
    bool headerOverflow = false;
    bool lengthConflict = false;
    bool lengthSeen = false;
    std::string lengthValue;  // the response's first Content-Length value
    bool finished = false;
    bool paused = false;
    CURLcode result = CURLE_OK;
    Clock::time_point lastActivity;

    std::string raw;
    std::string statusText;
    int status = -1;
    int64_t contentLength = -1;

    std::string body;
    std::size_t bodyPos = 0;

    ~Impl() {
        if (attached) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_slist_free_all(headerList);
        curl_slist_free_all(connectTo);
    }

    std::size_t buffered() const { return body.size() - bodyPos; }

    void parseStatusLine(std::string_view line) {
        status = -1;
        statusText.clear();
        auto space = line.find(' ');
        if (space == std::string_view::npos) return;
        std::string_view rest = line.substr(space + 1);
        // curl takes "HTTP/1.1  100 ..." too; read the code it read, or an interim response
        // counts as the final one.
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        int code = 0;
        auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
        if (ec != std::errc()) return;
        status = code;
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        statusText = std::string(rest);
    }

    // Content-Length fields that disagree leave the body's length unknown: curl would go by the
    // last, the client's header map keeps the first, and a short body would pass as whole.
    bool conflictingLength(std::string_view line) {
        constexpr std::string_view kName = "content-length:";
        if (line.size() < kName.size()) return false;
        for (std::size_t i = 0; i < kName.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(line[i])) != kName[i]) return false;
        std::string_view value = line.substr(kName.size());
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
        if (!lengthSeen) {
            lengthSeen = true;
            lengthValue = std::string(value);
            return false;
        }
        return value != lengthValue;
    }

    // One header line of a response; false aborts the transfer.
    bool onHeaderLine(std::string_view line) {
        lastActivity = Clock::now();
        if (headersDone) return true;  // trailers belong to no header section we report
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (raw.size() + line.size() + 4 > kHttpMaxHeaderBytes) {
            headerOverflow = true;
            return false;
        }
        if (expectStatusLine) {
            raw.clear();
            lengthSeen = false;
            parseStatusLine(line);
            expectStatusLine = false;
        } else if (line.empty()) {
            raw += "\r\n";
            if (status >= 100 && status < 200) {
                expectStatusLine = true;  // an interim response; the final one follows
            } else {
                headersDone = true;
            }
            return true;
        } else if (conflictingLength(line)) {
            lengthConflict = true;
            return false;
        }
        // Stray controls would cut the text short for callers that treat it as a C string,
        // or split a line where the server meant none.
        for (char c : line) raw += (isControl(static_cast<unsigned char>(c)) && c != '\t') ? ' ' : c;
        raw += "\r\n";
        return true;
    }

    std::size_t onBody(const char* data, std::size_t size) {
        if (buffered() >= kHttpBodyBufferBytes) {
            paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (bodyPos > 0 && bodyPos >= body.size() / 2) {
            body.erase(0, bodyPos);
            bodyPos = 0;
        }
        body.append(data, size);
        lastActivity = Clock::now();
        return size;
    }

    std::size_t take(char* out, std::size_t size) {
        std::size_t n = std::min(size, buffered());
        std::memcpy(out, body.data() + bodyPos, n);
        bodyPos += n;
        if (bodyPos == body.size()) {
            body.clear();
            bodyPos = 0;
        }
        if (paused && buffered() < kHttpBodyBufferBytes) {
            paused = false;
            lastActivity = Clock::now();
            curl_easy_pause(easy, CURLPAUSE_CONT);  // may deliver the held-back chunk at once
        }
        return n;
    }

    void finish(CURLcode code) {
        finished = true;
        result = code;
    }

    // Drives the transfer until done() holds or it ends. Only our own buffers are written
    // meanwhile, so the thread counts as parked throughout.
    template <typename Done>
    void pump(Done done) {
        BlockingRegion blocking;
        while (!finished && !done()) {
            if (g_transfersAborted.load(std::memory_order_relaxed)) {
                std::snprintf(errorText, sizeof errorText, "the transfer was aborted: the runtime is ending");
                finish(CURLE_ABORTED_BY_CALLBACK);
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                finish(CURLE_RECV_ERROR);
                break;
            }
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
                if (msg->msg == CURLMSG_DONE) finish(msg->data.result);
            }
            if (finished || done()) break;
            if (connected && !paused &&
                Clock::now() - lastActivity > std::chrono::milliseconds(timeouts.receiveMs)) {
                std::snprintf(errorText, sizeof errorText, "no data for %u ms", timeouts.receiveMs);
                finish(CURLE_OPERATION_TIMEDOUT);
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kPollSliceMs, nullptr);
        }
    }

    uint32_t failure() const {
        return headerOverflow || lengthConflict ? kErrHttpInvalidServerResponse : errorFor(result);
    }

    void traceFailure(const char* what) const {
        const char* detail = headerOverflow   ? "response headers too large"
                             : lengthConflict ? "Content-Length fields disagree"
                             : errorText[0]   ? errorText
                                            : curl_easy_strerror(result);
        mrc_log("http: %s %s %s: %s (error %u)", what, verb.c_str(), url.c_str(), detail, failure());
    }

    bool ready() const {
        if (sent && headersDone) return true;
        setNetLastError(kErrInternetIncorrectHandleState);
        return false;
    }

    static size_t headerCallback(char* data, size_t size, size_t count, void* self) {
        bool keep = static_cast<Impl*>(self)->onHeaderLine(std::string_view(data, size * count));
        return keep ? size * count : 0;
    }
    static size_t writeCallback(char* data, size_t size, size_t count, void* self) {
        return static_cast<Impl*>(self)->onBody(data, size * count);
    }
    static int connectedCallback(void* self, char*, char*, int, int) {
        auto* impl = static_cast<Impl*>(self);
        impl->connected = true;
        impl->lastActivity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }
};

std::unique_ptr<HttpRequest> InternetConnection::openRequest(std::string_view verb, std::string_view object,
                                                             std::string_view version,
                                                             const std::vector<std::string>& acceptTypes,
                                                             uint32_t flags) {
    long httpVersion = 0;
    if (version == "HTTP/1.0") {
        httpVersion = CURL_HTTP_VERSION_1_0;
    } else if (version == "HTTP/1.1" || version.empty()) {
        httpVersion = CURL_HTTP_VERSION_1_1;
    }
    bool badAccept = std::any_of(acceptTypes.begin(), acceptTypes.end(), [](const std::string& t) { return hasControl(t); });
    if (!isToken(verb) || httpVersion == 0 || badAccept) {
        mrc_log("http: cannot open request \"%s\" \"%s\" on %s", traceText(verb).c_str(), traceText(version).c_str(),
                m_host.c_str());
        setNetLastError(kErrInvalidParameter);
        return nullptr;
    }

    auto impl = std::make_unique<HttpRequest::Impl>();
    impl->easy = curl_easy_init();
    impl->multi = curl_multi_init();
    if (!impl->easy || !impl->multi) {
        mrc_log("http: out of transfer handles");
        setNetLastError(kErrInternetInternal);
        return nullptr;
    }
    impl->verb = std::string(verb);
    impl->timeouts = m_timeouts;
    impl->url = "http://" + m_host + ":" + std::to_string(m_port) + encodeObject(object);

    std::string accept = "Accept:";  // with nothing after the colon: send no Accept at all
    for (std::size_t i = 0; i < acceptTypes.size(); ++i) accept += (i ? ", " : " ") + acceptTypes[i];
    impl->fixedHeaders.push_back(accept);
    if (flags & kHttpFlagPragmaNoCache) impl->fixedHeaders.emplace_back("Pragma: no-cache");
    if (flags & kHttpFlagKeepConnection) impl->fixedHeaders.emplace_back("Connection: Keep-Alive");

    CURL* e = impl->easy;
    curl_easy_setopt(e, CURLOPT_URL, impl->url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, httpVersion);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, impl->errorText);
    if (!m_agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, m_agent.c_str());
    if (verb == "GET") {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else if (verb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, impl->verb.c_str());
    }
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &HttpRequest::Impl::headerCallback);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, impl.get());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &HttpRequest::Impl::writeCallback);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, impl.get());
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &HttpRequest::Impl::connectedCallback);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, impl.get());

    uint16_t target = remappedPort(m_port);
    if (target != m_port) {
        // Any host on our port goes to the same host on the remapped port; the request itself
        // (Host header included) still names the original port.
        std::string rule = ":" + std::to_string(m_port) + "::" + std::to_string(target);
        impl->connectTo = curl_slist_append(nullptr, rule.c_str());
        curl_easy_setopt(e, CURLOPT_CONNECT_TO, impl->connectTo);
    }
    return std::unique_ptr<HttpRequest>(new HttpRequest(std::move(impl)));
}

HttpRequest::HttpRequest(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

HttpRequest::~HttpRequest() = default;

bool HttpRequest::send(std::string_view headers) {
    Impl& r = *m_impl;
    if (r.sent) {
        mrc_log("http: request %s %s sent twice", r.verb.c_str(), r.url.c_str());
        setNetLastError(kErrInternetIncorrectHandleState);
        return false;
    }
    r.sent = true;

    for (const auto& h : r.fixedHeaders) r.headerList = curl_slist_append(r.headerList, h.c_str());
    while (!headers.empty()) {
        std::size_t end = std::min(headers.find('\n'), headers.size());
        std::string_view line = headers.substr(0, end);
        headers.remove_prefix(std::min(end + 1, headers.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.find(':') == std::string_view::npos || hasControl(line)) {
            mrc_log("http: dropped request header line \"%s\"", traceText(line).c_str());
            continue;
        }
        r.headerList = curl_slist_append(r.headerList, std::string(line).c_str());
    }
    curl_easy_setopt(r.easy, CURLOPT_HTTPHEADER, r.headerList);

    if (curl_multi_add_handle(r.multi, r.easy) != CURLM_OK) {
        r.finish(CURLE_FAILED_INIT);
        r.traceFailure("cannot start");
        setNetLastError(kErrInternetInternal);
        return false;
    }
    r.attached = true;
    r.lastActivity = Clock::now();
    r.pump([&r] { return r.headersDone; });
    if (!r.headersDone) {
        if (r.finished && r.result == CURLE_OK) r.finish(CURLE_GOT_NOTHING);
        r.traceFailure("failed");
        setNetLastError(r.failure());
        return false;
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(r.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) {
        r.contentLength = length;
    }
    return true;
}

const std::string& HttpRequest::rawHeaders() const {
    static const std::string kEmpty;
    return m_impl->headersDone ? m_impl->raw : kEmpty;
}

bool HttpRequest::queryRawHeaders(char* buffer, uint32_t& length) const {
    const std::string& text = rawHeaders();
    if (!m_impl->headersDone) {
        setNetLastError(kErrInternetIncorrectHandleState);
        return false;
    }
    if (buffer == nullptr || length < text.size() + 1) {
        length = static_cast<uint32_t>(text.size() + 1);
        setNetLastError(kErrInsufficientBuffer);
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    length = static_cast<uint32_t>(text.size());
    return true;
}

int HttpRequest::statusCode() const { return m_impl->headersDone ? m_impl->status : -1; }

const std::string& HttpRequest::statusText() const { return m_impl->statusText; }

int64_t HttpRequest::contentLength() const { return m_impl->contentLength; }

bool HttpRequest::queryDataAvailable(uint32_t& bytes) {
    Impl& r = *m_impl;
    bytes = 0;
    if (!r.ready()) return false;
    if (r.buffered() == 0) r.pump([&r] { return r.buffered() > 0; });
    bytes = static_cast<uint32_t>(std::min<std::size_t>(r.buffered(), std::numeric_limits<uint32_t>::max()));
    return true;
}

bool HttpRequest::readFile(void* buffer, uint32_t size, uint32_t& bytesRead) {
    Impl& r = *m_impl;
    bytesRead = 0;
    if (!r.ready()) return false;
    if (buffer == nullptr && size > 0) {
        setNetLastError(kErrInvalidParameter);
        return false;
    }
    auto* out = static_cast<char*>(buffer);
    while (bytesRead < size) {
        bytesRead += static_cast<uint32_t>(r.take(out + bytesRead, size - bytesRead));
        if (bytesRead == size || r.finished) break;
        r.pump([&r] { return r.buffered() > 0; });
    }
    // Also for a read of 0 bytes: a caller that reads what queryDataAvailable() offered learns
    // here that the 0 at the end was a break, not the end of the body.
    if (bytesRead == 0 && r.finished && r.result != CURLE_OK && r.buffered() == 0) {
        r.traceFailure("broke off");
        setNetLastError(r.failure());
        return false;
    }
    return true;
}

}  // namespace host
