#include "platform/net/http_client.h"

#include <algorithm>
#include <climits>

#include "host/core/log.h"
#include "host/net/http.h"
#include "host/net/net.h"
#include "platform/net/connections.h"

namespace mrc::net {
namespace {

std::u16string widen(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(b));
    return out;
}

// The request's object: UTF-8, which the host percent-encodes where it must.
std::string utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool hasLineBreak(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

std::vector<std::u16string_view> words(std::u16string_view line) {
    std::vector<std::u16string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == u' ') ++i;
        std::size_t end = std::min(line.find(u' ', i), line.size());
        if (end > i) out.push_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

}  // namespace

int32_t headerNumber(std::u16string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) negative = value[i++] == u'-';
    int64_t n = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        n = std::min<int64_t>(n * 10 + (value[i] - u'0'), int64_t{INT32_MAX} + 1);
    }
    if (negative) return static_cast<int32_t>(-n);
    return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

ParsedResponseHeader parseResponseHeader(std::u16string_view raw) {
    ParsedResponseHeader out;
    bool first = true;
    while (!raw.empty()) {
        std::size_t end = std::min(raw.find(u'\n'), raw.size());
        std::u16string_view line = raw.substr(0, end);
        raw.remove_prefix(std::min(end + 1, raw.size()));
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (first) {
            first = false;
            out.hasStatusLine = true;
            std::vector<std::u16string_view> w = words(line);
            if (w.size() > 1 && !w[1].empty() && w[1][0] >= u'0' && w[1][0] <= u'9') out.status = headerNumber(w[1]);
            for (std::size_t i = 2; i < w.size(); ++i) {
                if (i > 2) out.statusText += u' ';
                out.statusText += w[i];
            }
            continue;
        }
        std::size_t colon = line.find(u':');
        if (colon == std::u16string_view::npos) continue;
        std::u16string_view value = line.substr(colon + 1);
        if (!value.empty() && value.front() == u' ') value.remove_prefix(1);
        out.headers.emplace(std::u16string(line.substr(0, colon)), std::u16string(value));
    }
    return out;
}

// ---- WinInetHttpClient --------------------------------------------------------------------------

WinInetHttpClient::WinInetHttpClient() = default;

WinInetHttpClient::~WinInetHttpClient() { Close(); }

void WinInetHttpClient::fail() { m_lastError = host::netLastError(); }

bool WinInetHttpClient::OpenConnMgr() {
    if (m_connMgr != host::kNoConnection) return true;
    host::ConnectionRequest request;  // the Internet, user-interactive, shared
    uint32_t status = host::kConnStatusUnknown;
    auto establish = [&] {
        if (host::establishConnectionSync(request, kConnMgrTimeoutMs, m_connMgr, status) &&
            status == host::kConnStatusConnected)
            return true;
        if (m_connMgr != host::kNoConnection) host::releaseConnection(m_connMgr, 0);
        m_connMgr = host::kNoConnection;
        return false;
    };
    if (establish()) return true;
    host::NetDestination destination;
    if (host::mapUrlToDestination(kProbeUrl, destination)) {
        request.destination = destination;
        if (establish()) return true;
    }
    fail();
    mrc_log("WinInetHttpClient::OpenConnMgr: no data connection (error %u)", m_lastError);
    return false;
}

bool WinInetHttpClient::Connect(std::u16string_view url) {
    Close();
    m_lastError = 0;
    host::UrlParts parts;
    if (host::crackUrl(bytesOf(url), parts)) m_hostName = parts.host;
    if (!OpenConnMgr()) return false;
    m_port = kPort;
    m_session = host::InternetSession::open("CeHttp");
    if (!m_session) {
        fail();
        Close();
        return false;
    }
    m_connection = m_session->connect(m_hostName, m_port);
    if (!m_connection) {
        fail();
        Close();
        return false;
    }
    return true;
}

void WinInetHttpClient::Reset() {
    m_lastError = 0;
    m_requestHeaders.clear();
    ResetResponse();
}

void WinInetHttpClient::ResetResponse() {
    m_responseHeaders.clear();
    m_rawHeaders.clear();
    m_statusText.clear();
    m_hasStatusText = false;
    m_body.clear();
    m_body.shrink_to_fit();
    m_hasBody = false;
    m_responseContentBufferSize = 0;
    m_statusCode = -1;
}

void WinInetHttpClient::Close() {
    uint32_t error = m_lastError;  // the failure that made SendByGet or Connect close stays readable
    Reset();
    m_lastError = error;
    m_hostName.clear();
    m_request.reset();
    m_connection.reset();
    m_session.reset();
    if (m_connMgr != host::kNoConnection) host::releaseConnection(m_connMgr, kConnMgrCacheSeconds);
    m_connMgr = host::kNoConnection;
    clearListener();
}

int32_t WinInetHttpClient::SendByGet(std::u16string_view path, std::u16string_view query) {
    ResetResponse();
    m_lastError = 0;
    std::vector<std::string> accept;
    if (auto it = m_requestHeaders.find(u"Accept"); it != m_requestHeaders.end()) {
        accept.push_back(bytesOf(it->second));
        m_requestHeaders.erase(it);
    }
    std::u16string object(path);
    object += query;
    if (m_connection) {
        m_request = m_connection->openRequest("GET", utf8(object), "HTTP/1.0", accept, kRequestFlags);
    } else {
        host::setNetLastError(host::kErrInvalidHandle);
    }
    if (!m_request) {
        fail();
        Close();
        return -1;
    }

    std::u16string block;
    for (const auto& [key, value] : m_requestHeaders) block += key + u":" + value + u";";
    if (block.size() > kMaxHeaderBlock) block.resize(kMaxHeaderBlock);
    if (!m_request->send(bytesOf(block))) {
        fail();
        Close();
        return -1;
    }
    if (!ReadResponseHeader()) {
        Close();
        return -1;
    }
    ParsedResponseHeader parsed = parseResponseHeader(m_rawHeaders);
    m_statusCode = parsed.status;
    m_statusText = std::move(parsed.statusText);
    m_hasStatusText = parsed.hasStatusLine;
    m_responseHeaders = std::move(parsed.headers);
    if (!ReadResponseContent()) {
        Close();
        return -1;
    }
    m_request.reset();
    return m_statusCode;
}

bool WinInetHttpClient::ReadResponseHeader() {
    uint32_t size = 0;
    if (m_request->queryRawHeaders(nullptr, size) || host::netLastError() != host::kErrInsufficientBuffer) {
        fail();
        return false;
    }
    std::vector<char> buffer(std::size_t(size) + 1);
    uint32_t length = static_cast<uint32_t>(buffer.size());
    while (!m_request->queryRawHeaders(buffer.data(), length)) {
        if (host::netLastError() != host::kErrInsufficientBuffer) {
            fail();
            return false;
        }
        // The text grew since it was measured: room for what it needs now, at least a quarter more.
        std::size_t grown = std::max<std::size_t>(length, buffer.size() + buffer.size() / 4 + 1);
        buffer.resize(grown);
        length = static_cast<uint32_t>(buffer.size());
    }
    m_rawHeaders = widen(std::string_view(buffer.data(), length));
    return true;
}

bool WinInetHttpClient::ReadResponseContent() {
    auto announced = m_responseHeaders.find(u"Content-Length");
    int32_t size = announced == m_responseHeaders.end() ? 0 : headerNumber(announced->second);
    // A negative length would size the buffer below zero.
    m_responseContentBufferSize = std::max(size, 0);
    if (m_responseContentBufferSize == 0) return true;

    int64_t expected = m_responseContentBufferSize;
    int64_t received = 0;
    m_hasBody = true;
    m_body.clear();
    std::vector<uint8_t> chunk;
    uint32_t available = 0;
    while (m_request->queryDataAvailable(available)) {
        chunk.resize(available);
        uint32_t got = 0;
        bool ok = m_request->readFile(chunk.data(), available, got);
        if (ok && received + got > kMaxBody) {
            mrc_log("WinInetHttpClient::ReadResponseContent: body over %lld bytes", static_cast<long long>(kMaxBody));
            host::setNetLastError(host::kErrHttpInvalidServerResponse);
            ok = false;
        }
        if (!ok) {
            fail();
            m_body.clear();
            m_body.shrink_to_fit();
            m_hasBody = false;
            return false;
        }
        if (got == 0) break;
        if (received + got > expected) expected = expected * 3 + received + got;
        m_body.insert(m_body.end(), chunk.begin(), chunk.begin() + got);
        received += got;
        if (m_listener) {
            m_listener->progress(static_cast<int32_t>(received),
                                 static_cast<int32_t>(std::min<int64_t>(expected, INT32_MAX)));
        }
    }
    m_responseContentBufferSize = static_cast<int32_t>(received);
    return m_hasBody;
}

bool WinInetHttpClient::copyOut(const std::u16string* text, char16_t* buffer, uint32_t& size) {
    if (text == nullptr) {
        size = 0;
        return false;
    }
    if (buffer == nullptr || size <= text->size()) {
        size = static_cast<uint32_t>(std::min<std::size_t>(text->size() + 1, UINT32_MAX));
        return false;
    }
    std::copy(text->begin(), text->end(), buffer);
    buffer[text->size()] = 0;
    size = static_cast<uint32_t>(text->size());
    return true;
}

bool WinInetHttpClient::SetRequestHeader(std::u16string_view key, std::u16string_view value) {
    if (key.empty() || value.empty()) return false;
    if (hasLineBreak(key) || hasLineBreak(value) || key.find(u':') != std::u16string_view::npos) {
        mrc_log("WinInetHttpClient::SetRequestHeader: refused \"%s\"", bytesOf(key.substr(0, 100)).c_str());
        return false;
    }
    return m_requestHeaders.emplace(key, value).second;
}

bool WinInetHttpClient::copyValue(const HttpHeaderMap& headers, std::u16string_view key, char16_t* buffer,
                                  uint32_t& size) {
    auto it = headers.find(std::u16string(key));
    return copyOut(it == headers.end() ? nullptr : &it->second, buffer, size);
}

bool WinInetHttpClient::GetRequestHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) {
    return copyValue(m_requestHeaders, key, buffer, size);
}

bool WinInetHttpClient::GetResponseHeader(std::u16string_view key, char16_t* buffer, uint32_t& size) {
    return copyValue(m_responseHeaders, key, buffer, size);
}

bool WinInetHttpClient::GetStatusText(char16_t* buffer, uint32_t& size) {
    return copyOut(m_hasStatusText ? &m_statusText : nullptr, buffer, size);
}

bool WinInetHttpClient::GetRawHeaders(char16_t* buffer, uint32_t& size) {
    return copyOut(m_rawHeaders.empty() ? nullptr : &m_rawHeaders, buffer, size);
}

bool WinInetHttpClient::GetContent(uint8_t* buffer, uint32_t size) {
    if (!m_hasBody || buffer == nullptr || size == 0 || size < m_body.size()) return false;
    std::copy(m_body.begin(), m_body.end(), buffer);
    return true;
}

}  // namespace mrc::net
