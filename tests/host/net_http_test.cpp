#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/net/connmgr.h"
#include "host/net/http.h"
#include "host/net/net.h"
#include "tests/support/loopback_server.h"

using namespace std::string_literals;
using testsupport::LoopbackPeer;
using testsupport::LoopbackServer;

namespace {

// The flags the device's HTTP client opens every request with.
constexpr uint32_t kClientFlags = 0x04403100;

// A server that reads one request head, records it, then writes the given pieces and closes.
LoopbackServer::Handler answer(std::vector<std::string> pieces) {
    return [pieces](LoopbackPeer& peer) {
        peer.record(peer.readUntil("\r\n\r\n"));
        for (const auto& p : pieces) {
            if (!peer.write(p)) return;
        }
    };
}

struct Response {
    bool sent = false;
    uint32_t sendError = 0;
    int status = -1;
    std::string statusText;
    std::string raw;
    int64_t contentLength = -2;
    std::string body;
    bool readFailed = false;
    uint32_t readError = 0;
};

class HttpClient : public ::testing::Test {
protected:
    void TearDown() override { host::clearPortRemaps(); }

    // Opens, sends and drains a request the way the device's client does: ask what is
    // available, read that much, stop at a read of 0.
    std::unique_ptr<host::HttpRequest> open(uint16_t serverPort, const std::string& object,
                                            const std::vector<std::string>& accept = {}) {
        host::setPortRemap(80, serverPort);
        m_session = host::InternetSession::open("CeHttp");
        m_session->setTimeouts(m_timeouts);
        m_connection = m_session->connect("127.0.0.1", 80);
        return m_connection->openRequest("GET", object, "HTTP/1.0", accept, kClientFlags);
    }

    Response fetch(uint16_t serverPort, const std::string& object = "/", const std::string& headers = "",
                   const std::vector<std::string>& accept = {}) {
        Response r;
        auto request = open(serverPort, object, accept);
        r.sent = request->send(headers);
        if (!r.sent) {
            r.sendError = host::netLastError();
            return r;
        }
        r.status = request->statusCode();
        r.statusText = request->statusText();
        r.raw = request->rawHeaders();
        r.contentLength = request->contentLength();
        uint32_t available = 0;
        for (int guard = 0; guard < 100000 && request->queryDataAvailable(available); ++guard) {
            std::string chunk(available, '\0');
            uint32_t got = 0;
            if (!request->readFile(chunk.data(), available, got)) {
                r.readFailed = true;
                r.readError = host::netLastError();
                break;
            }
            if (got == 0) break;
            r.body.append(chunk, 0, got);
        }
        return r;
    }

    host::LogCapture m_log;
    host::HttpTimeouts m_timeouts{2000, 2000};
    std::unique_ptr<host::InternetSession> m_session;
    std::unique_ptr<host::InternetConnection> m_connection;
};

std::vector<std::string> headerLines(const std::string& head) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos) break;
        lines.push_back(head.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

TEST_F(HttpClient, RequestGoesToPort80ThroughTheRemapWithAgentAcceptAndHeaderBlock) {
    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}));

    Response r = fetch(server.port(), "/a/b?x=1", "k:v;k2:v2;", {"text/plain"});
    ASSERT_TRUE(r.sent);
    EXPECT_EQ(r.body, "ok");

    auto lines = headerLines(server.records().at(0));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "GET /a/b?x=1 HTTP/1.0");
    std::vector<std::string> rest(lines.begin() + 1, lines.end());
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"Accept: text/plain", "Connection: Keep-Alive", "Host: 127.0.0.1",
                                              "Pragma: no-cache", "User-Agent: CeHttp", "k:v;k2:v2;"}));
}

TEST_F(HttpClient, RequestLineCarriesTheObjectSafely) {
    struct Case {
        std::string object;
        std::string requestLine;
    } cases[] = {
        {"", "GET / HTTP/1.0"},
        {"?q=1", "GET /?q=1 HTTP/1.0"},
        {"/a b#c", "GET /a%20b%23c HTTP/1.0"},
        {"/x\r\nEvil: 1\x01\xC3\xA9\0"s, "GET /x%0D%0AEvil:%201%01%C3%A9%00 HTTP/1.0"},
    };
    for (const auto& c : cases) {
        LoopbackServer server(answer({"HTTP/1.0 204 No Content\r\n\r\n"}));
        Response r = fetch(server.port(), c.object);
        ASSERT_TRUE(r.sent) << c.object;
        auto lines = headerLines(server.records().at(0));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], c.requestLine);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Accept", 0) == 0; }), 0)
            << "no accept types, no Accept header";
    }
}

TEST_F(HttpClient, ResponsesGiveStatusRawHeadersAndBody) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        int status;
        std::string statusText;
        std::string raw;
        int64_t contentLength;
        std::string body;
    } cases[] = {
        {"200 with the body in pieces",
         {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 11\r\n\r\nhel", "lo ", "world"},
         200, "OK", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 11\r\n\r\n", 11, "hello world"},
        {"404 keeps its body",
         {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope"},
         404, "Not Found", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\n", 4, "nope"},
        {"no Content-Length: the body runs to the close",
         {"HTTP/1.0 200 OK\r\nServer: t\r\n\r\n", "abc", "def"},
         200, "OK", "HTTP/1.0 200 OK\r\nServer: t\r\n\r\n", -1, "abcdef"},
        {"bare line feeds come out as CRLF",
         {"HTTP/1.0 200 OK\nX-A: 1\nContent-Length: 1\n\nz"},
         200, "OK", "HTTP/1.0 200 OK\r\nX-A: 1\r\nContent-Length: 1\r\n\r\n", 1, "z"},
        {"an interim response is not reported",
         {"HTTP/1.1 100 Continue\r\nX-Early: 1\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n"},
         201, "Created", "HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n", 0, ""},
        {"an interim response whose code follows two spaces",
         {"HTTP/1.1  100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"},
         200, "OK", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n", 2, "ok"},
        {"Content-Length twice, the same",
         {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\ncontent-length:  2\r\n\r\nok"},
         200, "OK", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\ncontent-length:  2\r\n\r\n", 2, "ok"},
        {"stray control bytes in a value",
         {"HTTP/1.0 200 OK\r\nX-B: a\x07" "b\x1b\tc\r\nContent-Length: 0\r\n\r\n"},
         200, "OK", "HTTP/1.0 200 OK\r\nX-B: a b \tc\r\nContent-Length: 0\r\n\r\n", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(answer(c.pieces));
        Response r = fetch(server.port());
        ASSERT_TRUE(r.sent) << r.sendError;
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.statusText, c.statusText);
        EXPECT_EQ(r.raw, c.raw);
        EXPECT_EQ(r.contentLength, c.contentLength);
        EXPECT_EQ(r.body, c.body);
        EXPECT_FALSE(r.readFailed);
    }
}

TEST_F(HttpClient, RawHeadersCopyOutWithTheSizeProtocol) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
    LoopbackServer server(answer({head}));
    auto request = open(server.port(), "/");
    ASSERT_TRUE(request->send());

    uint32_t length = 0;
    EXPECT_FALSE(request->queryRawHeaders(nullptr, length));
    EXPECT_EQ(host::netLastError(), host::kErrInsufficientBuffer);
    EXPECT_EQ(length, head.size() + 1);

    std::vector<char> small(head.size(), 'x');
    length = static_cast<uint32_t>(small.size());
    EXPECT_FALSE(request->queryRawHeaders(small.data(), length));
    EXPECT_EQ(length, head.size() + 1);
    EXPECT_EQ(small[0], 'x') << "nothing written into a short buffer";

    std::vector<char> fits(length);
    ASSERT_TRUE(request->queryRawHeaders(fits.data(), length));
    EXPECT_EQ(length, head.size());
    EXPECT_EQ(std::string(fits.data()), head);
}

TEST_F(HttpClient, LargeBodyStreamsThroughABoundedBuffer) {
    std::string body(8 * 1024 * 1024, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 2654435761u) >> 13);
    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n", body}));

    auto request = open(server.port(), "/big");
    ASSERT_TRUE(request->send());
    EXPECT_EQ(request->contentLength(), static_cast<int64_t>(body.size()));
    std::string got;
    uint32_t available = 0, most = 0;
    std::vector<char> chunk(100000);
    for (int guard = 0; guard < 100000 && request->queryDataAvailable(available) && available > 0; ++guard) {
        most = std::max(most, available);
        uint32_t n = 0;
        ASSERT_TRUE(request->readFile(chunk.data(), static_cast<uint32_t>(chunk.size()), n));
        got.append(chunk.data(), n);
    }
    EXPECT_EQ(got.size(), body.size());
    EXPECT_TRUE(got == body);
    EXPECT_LE(most, host::kHttpBodyBufferBytes + 16384);
}

TEST_F(HttpClient, BodyBytesArriveBeforeTheBodyIsComplete) {
    std::promise<void> readFirst;
    auto firstRead = readFirst.get_future();
    std::atomic<bool> serverWaitedInVain{false};
    LoopbackServer server([&](LoopbackPeer& peer) {
        peer.readUntil("\r\n\r\n");
        peer.write("HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nfirst");
        if (firstRead.wait_for(std::chrono::seconds(5)) != std::future_status::ready) serverWaitedInVain = true;
        peer.write("end");
    });
    auto request = open(server.port(), "/");
    ASSERT_TRUE(request->send());
    char buf[16] = {};
    uint32_t available = 0, n = 0;
    ASSERT_TRUE(request->queryDataAvailable(available));
    ASSERT_GT(available, 0u);
    ASSERT_TRUE(request->readFile(buf, available, n));
    std::string got(buf, n);
    readFirst.set_value();
    while (request->readFile(buf, sizeof buf, n) && n > 0) got.append(buf, n);
    EXPECT_EQ(got, "firstend");
    EXPECT_FALSE(serverWaitedInVain);
}

TEST_F(HttpClient, ReadFileFillsTheBufferAcrossPieces) {
    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\n\r\n", "ab", "cd", "ef"}));
    auto request = open(server.port(), "/");
    ASSERT_TRUE(request->send());
    char buf[5];
    uint32_t n = 0;
    ASSERT_TRUE(request->readFile(buf, 5, n));
    EXPECT_EQ(std::string(buf, n), "abcde");
    ASSERT_TRUE(request->readFile(buf, 5, n));
    EXPECT_EQ(std::string(buf, n), "f");
    ASSERT_TRUE(request->readFile(buf, 5, n));
    EXPECT_EQ(n, 0u);
}

TEST_F(HttpClient, NetworkWaitsCountAsParked) {
    static std::atomic<int> entered{0};
    static std::atomic<int> left{0};
    entered = 0;
    left = 0;
    host::setBlockingHooks({[] { ++entered; }, [] { ++left; }});
    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\n\r\n", "body"}));
    Response r = fetch(server.port());
    host::setBlockingHooks({});
    EXPECT_EQ(r.body, "body");
    EXPECT_GE(entered.load(), 2) << "the send and the body reads wait";
    EXPECT_EQ(entered.load(), left.load());
}

TEST_F(HttpClient, MalformedOrOversizedResponsesFailTheSend) {
    struct Case {
        const char* name;
        std::string response;
        uint32_t error;
    } cases[] = {
        {"no status line", "HELLO\r\n\r\n", host::kErrHttpInvalidServerResponse},
        {"a status code that is no number", "HTTP/1.0 abc OK\r\n\r\n", host::kErrHttpInvalidServerResponse},
        {"nothing at all", "", host::kErrHttpInvalidServerResponse},
        {"one header line over the limit",
         "HTTP/1.0 200 OK\r\nX-Big: " + std::string(70000, 'a') + "\r\n\r\n", host::kErrHttpInvalidServerResponse},
        {"many lines over the limit",
         [] {
             std::string s = "HTTP/1.0 200 OK\r\n";
             for (int i = 0; i < 2000; ++i) s += "X-Line-" + std::to_string(i) + ": " + std::string(40, 'b') + "\r\n";
             return s + "\r\n";
         }(),
         host::kErrHttpInvalidServerResponse},
        {"a header line without colon", "HTTP/1.0 200 OK\r\nno colon here\r\n\r\n", host::kErrHttpInvalidServerResponse},
        {"a NUL byte in a header", "HTTP/1.0 200 OK\r\nX-A: a\0b\r\n\r\n"s, host::kErrHttpInvalidServerResponse},
        {"headers cut off", "HTTP/1.0 200 OK\r\nContent-Len", host::kErrHttpInvalidServerResponse},
        {"Content-Length fields that disagree", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\nContent-Length: 2\r\n\r\nok",
         host::kErrHttpInvalidServerResponse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(answer({c.response}));
        Response r = fetch(server.port());
        EXPECT_FALSE(r.sent);
        EXPECT_EQ(r.sendError, c.error);
    }
    EXPECT_TRUE(m_log.contains("http: failed GET http://127.0.0.1:80/"));
    EXPECT_TRUE(m_log.contains("Content-Length fields disagree"));
}

TEST_F(HttpClient, ABodyThatBreaksOffFailsAfterTheBytesThatCame) {
    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabcd"}));
    Response r = fetch(server.port());
    ASSERT_TRUE(r.sent);
    EXPECT_EQ(r.body, "abcd");
    EXPECT_TRUE(r.readFailed);
    EXPECT_EQ(r.readError, host::kErrInternetConnectionAborted);
}

TEST_F(HttpClient, StalledServerTimesOut) {
    m_timeouts = {2000, 150};
    for (bool headersFirst : {false, true}) {
        SCOPED_TRACE(headersFirst ? "stalls in the body" : "stalls before the headers");
        LoopbackServer server([&](LoopbackPeer& peer) {
            peer.readUntil("\r\n\r\n");
            if (headersFirst) peer.write("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nab");
            peer.readSome(5000);  // until the client gives up and closes
        });
        Response r = fetch(server.port());
        if (headersFirst) {
            ASSERT_TRUE(r.sent);
            EXPECT_EQ(r.body, "ab");
            EXPECT_EQ(r.readError, host::kErrInternetTimeout);
        } else {
            EXPECT_FALSE(r.sent);
            EXPECT_EQ(r.sendError, host::kErrInternetTimeout);
        }
    }
}

// The runtime's end aborts a transfer that waits on a silent server, and every later one, long
// before any timeout; cleared, requests work again.
TEST_F(HttpClient, AbortedTransfersFailAtOnceUntilCleared) {
    m_timeouts = {20000, 20000};
    std::atomic<bool> requested{false};
    LoopbackServer silent([&](LoopbackPeer& peer) {
        peer.readUntil("\r\n\r\n");
        requested = true;
        peer.readSome(10000);  // until the client gives up and closes
    });
    auto waiting = std::async(std::launch::async, [&] { return fetch(silent.port()); });
    for (int i = 0; i < 1000 && !requested.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(requested.load());
    host::abortHttpTransfers(true);
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    Response r = waiting.get();
    EXPECT_FALSE(r.sent);
    EXPECT_EQ(r.sendError, host::kErrInternetConnectionAborted);
    LoopbackServer ok(answer({"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}));
    r = fetch(ok.port());
    EXPECT_FALSE(r.sent);
    EXPECT_EQ(r.sendError, host::kErrInternetConnectionAborted);
    host::abortHttpTransfers(false);
    LoopbackServer again(answer({"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}));
    r = fetch(again.port());
    ASSERT_TRUE(r.sent);
    EXPECT_EQ(r.body, "ok");
}

TEST_F(HttpClient, RefusedConnectionFailsTheSend) {
    Response r = fetch(testsupport::unusedLoopbackPort());
    EXPECT_FALSE(r.sent);
    EXPECT_EQ(r.sendError, host::kErrInternetCannotConnect);
    EXPECT_EQ(r.status, -1);
}

TEST_F(HttpClient, BadArgumentsAndMisuseAreRefused) {
    auto session = host::InternetSession::open("CeHttp");
    EXPECT_EQ(host::InternetSession::open("Ce\r\nHttp"), nullptr);
    for (const char* hostName : {"", "a b", "x/y", "h:80", "user@h", "[::1"}) {
        EXPECT_EQ(session->connect(hostName, 80), nullptr) << hostName;
    }
    EXPECT_EQ(session->connect("h", 0), nullptr);
    auto connection = session->connect("127.0.0.1", 80);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->openRequest("GE T", "/", "HTTP/1.0", {}, 0), nullptr);
    EXPECT_EQ(connection->openRequest("GET", "/", "HTTP/2", {}, 0), nullptr);
    EXPECT_EQ(connection->openRequest("GET", "/", "HTTP/1.0", {"a\r\nb"}, 0), nullptr);

    auto request = connection->openRequest("GET", "/", "HTTP/1.0", {}, 0);
    ASSERT_NE(request, nullptr);
    uint32_t n = 7;
    char buf[4];
    EXPECT_FALSE(request->readFile(buf, sizeof buf, n));
    EXPECT_EQ(host::netLastError(), host::kErrInternetIncorrectHandleState);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(request->queryDataAvailable(n));
    EXPECT_EQ(request->statusCode(), -1);
    EXPECT_EQ(request->rawHeaders(), "");

    LoopbackServer server(answer({"HTTP/1.0 200 OK\r\n\r\n"}));
    auto sent = open(server.port(), "/");
    ASSERT_TRUE(sent->send("no colon\r\nX-Ok: 1"));
    EXPECT_FALSE(sent->send());
    EXPECT_EQ(host::netLastError(), host::kErrInternetIncorrectHandleState);
    EXPECT_TRUE(m_log.contains("dropped request header line \"no colon\""));
    EXPECT_NE(server.records().at(0).find("\r\nX-Ok: 1\r\n"), std::string::npos);
}

TEST(CrackUrl, SplitsUrlsAndRefusesBrokenOnes) {
    struct Case {
        const char* url;
        bool ok;
        const char* scheme;
        const char* host;
        uint16_t port;
        const char* path;
        const char* extra;
    } cases[] = {
        {"http://server:8080/a/b?x=1", true, "http", "server", 8080, "/a/b", "?x=1"},
        {"http://host", true, "http", "host", 80, "", ""},
        {"https://u:p@host/p#f", true, "https", "host", 443, "/p", "#f"},
        {"socket://host:5000", true, "socket", "host", 5000, "", ""},
        {"http://host/a:b", true, "http", "host", 80, "/a:b", ""},
        {"http://[::1]:81/", true, "http", "[::1]", 81, "/", ""},
        {"http://host:/x", true, "http", "host", 80, "/x", ""},
        {"host/x", false, "", "", 0, "", ""},
        {"http://", false, "", "", 0, "", ""},
        {"http://host:99999/", false, "", "", 0, "", ""},
        {"http://host:8x/", false, "", "", 0, "", ""},
        {"http://bad host/", false, "", "", 0, "", ""},
    };
    host::LogCapture log;
    for (const auto& c : cases) {
        host::UrlParts parts;
        ASSERT_EQ(host::crackUrl(c.url, parts), c.ok) << c.url;
        if (!c.ok) {
            EXPECT_EQ(host::netLastError(), host::kErrInternetInvalidUrl);
            continue;
        }
        EXPECT_EQ(parts.scheme, c.scheme) << c.url;
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.path, c.path) << c.url;
        EXPECT_EQ(parts.extra, c.extra) << c.url;
    }
}

TEST(ConnectionManager, EstablishesMapsAndReleases) {
    host::LogCapture log;
    int before = host::heldConnectionCount();
    host::ConnectionHandle handle = host::kNoConnection;
    uint32_t status = 0;
    ASSERT_TRUE(host::establishConnectionSync({}, 10000, handle, status));
    EXPECT_EQ(status, host::kConnStatusConnected);
    EXPECT_NE(handle, host::kNoConnection);
    EXPECT_EQ(host::heldConnectionCount(), before + 1);

    host::NetDestination destination = host::NetDestination::Work;
    EXPECT_TRUE(host::mapUrlToDestination("http://www.example.com/", destination));
    EXPECT_EQ(destination, host::NetDestination::Internet);
    EXPECT_FALSE(host::mapUrlToDestination("", destination));
    EXPECT_FALSE(host::mapUrlToDestination("no url", destination));

    EXPECT_TRUE(host::releaseConnection(handle, 30));
    EXPECT_FALSE(host::releaseConnection(handle, 30));
    EXPECT_TRUE(log.contains("release of unknown connection"));
    EXPECT_EQ(host::heldConnectionCount(), before);

    host::ConnectionRequest disabled;
    disabled.disabled = true;
    EXPECT_FALSE(host::establishConnectionSync(disabled, 10000, handle, status));
    EXPECT_EQ(status, host::kConnStatusDisabled);

    host::setDataConnectionAvailable(false);
    EXPECT_FALSE(host::establishConnectionSync({}, 10000, handle, status));
    host::setDataConnectionAvailable(true);
    EXPECT_EQ(status, host::kConnStatusFailed);
    EXPECT_EQ(handle, host::kNoConnection);
    EXPECT_EQ(host::netLastError(), host::kErrInternetCannotConnect);
}

}  // namespace
