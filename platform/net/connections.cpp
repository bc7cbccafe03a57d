#include "platform/net/connections.h"

#include "platform/io/connector.h"
#include "platform/net/http_connection.h"
#include "platform/net/socket_connection.h"
#include "runtime/core/application.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"

using namespace mrc;

namespace {

// First index of `c` in url[from, end), or -1. No allocation, so safe between allocations.
int32_t findChar(String* url, char16_t c, int32_t from, int32_t end) {
    for (int32_t i = from; i < end; ++i)
        if (url->chars[i] == c) return i;
    return -1;
}

int32_t findSchemeEnd(String* url) {
    int32_t n = url->count();
    for (int32_t i = 0; i + 3 <= n; ++i)
        if (url->chars[i] == ':' && url->chars[i + 1] == '/' && url->chars[i + 2] == '/') return i;
    return -1;
}

}  // namespace

void ParseConnectionURL(String* url, String*& scheme, String*& host, int32_t& port, String*& path, String*& query,
                        String*& fragment) {
    Application* app = ApplicationImpl::getApplication();
    if (isNull(url)) {
        app->reportError("ParseConnectionURL");
        return;
    }
    int32_t s = findSchemeEnd(url);
    if (s < 0) {
        app->reportError("ParseConnectionURL");
        return;
    }
    // Indices only from here on: the characters may move at every allocation below.
    int32_t length = url->count();
    int32_t slash = findChar(url, '/', s + 3, length);
    if (slash < 0) slash = length;
    int32_t colon = findChar(url, ':', s + 3, slash);
    int32_t hostEnd = colon >= 0 ? colon : slash;
    int32_t q = findChar(url, '?', slash, length);
    int32_t pathEnd = q >= 0 ? q : length;

    scheme = url->substring(0, s);
    host = url->substring(s + 3, hostEnd);
    port = colon >= 0 ? StringToInt(url->substring(colon + 1, slash)) : 0;
    path = url->substring(slash, pathEnd);
    query = q >= 0 ? url->substringFrom(q) : nullptr;
    fragment = nullptr;
}

void UrlConnection::initUrl(String* name, int32_t openMode, bool withTimeouts) {
    url = name;
    mode = openMode;
    timeouts = withTimeouts ? 1 : 0;
    reserved1 = 0;
    reserved2 = 0;
    ParseConnectionURL(name, scheme, host, port, path, query, fragment);
}

namespace mrc::net {

std::u16string units(String* s) {
    if (isNull(s)) return {};
    return std::u16string(s->chars, static_cast<std::size_t>(s->count()));
}

std::string bytesOf(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += c <= 0xFF ? static_cast<char>(c) : '?';
    return out;
}

void registerConnectionSchemes() {
    javax_microedition_io_Connector::registerScheme("http", &UrlConnection::open<HttpConnectionImpl>);
    javax_microedition_io_Connector::registerScheme("socket", &UrlConnection::open<SocketConnectionImpl>);
}

}  // namespace mrc::net
