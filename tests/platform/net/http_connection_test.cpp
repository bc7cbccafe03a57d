#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net/http_client.h"
#include "platform/net/http_connection.h"
#include "runtime/io/input_stream.h"
#include "tests/platform/net/net_fixture.h"

namespace mrc::test {
namespace {

using Http = javax_microedition_io_HttpConnection;

class HttpConnectionTest : public NetTest {
protected:
    // A connection to the server through port 80, whatever port the URL names.
    Http* connect(const LoopbackServer& server, std::string_view url = "http://127.0.0.1:8080/a/b?x=1") {
        routePort80(server);
        return as<Http>(open(url), kClass_javax_microedition_io_HttpConnection);
    }
};

TEST_F(HttpConnectionTest, GetOf200ServesTheBodyAndSendsOneRequest) {
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 5\r\ncontent-type: text/plain\r\n"
                                 "X-Empty:\r\n\r\nhello"));
    Http* http = connect(server);
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(server.accepted(), 0);  // connecting names the server, no request yet

    EXPECT_EQ(http->getResponseCode(), 200);
    EXPECT_EQ(http->getResponseCode(), 200);
    EXPECT_EQ(text(http->getResponseMessage()), "OK");
    EXPECT_EQ(http->getLength(), 5);
    EXPECT_EQ(text(http->getType()), "text/plain");
    EXPECT_EQ(text(http->getHeaderField(string("X-Empty"))), "");
    java_io_InputStream* in = http->openInputStream();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(readAll(in), "hello");
    java_io_DataInputStream* data = http->openDataInputStream();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(readAll(data), "hello");
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(server.accepted(), 1);

    ASSERT_EQ(server.records().size(), 1u);
    const std::string request = server.records()[0];
    EXPECT_EQ(request.rfind("GET /a/b?x=1 HTTP/1.0\r\n", 0), 0u) << request;
    for (const char* line : {"\r\nHost: 127.0.0.1\r\n", "\r\nUser-Agent: CeHttp\r\n", "\r\nPragma: no-cache\r\n"})
        EXPECT_NE(request.find(line), std::string::npos) << line << " in " << request;
    EXPECT_EQ(request.find("Accept:"), std::string::npos) << request;
}

TEST_F(HttpConnectionTest, AccessorsGiveTheParsedUrl) {
    LoopbackServer server(answer("HTTP/1.0 204 No Content\r\n\r\n"));
    Http* http = connect(server, "http://127.0.0.1:8080/a/b?x=1");
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(text(http->getURL()), "http://127.0.0.1:8080/a/b?x=1");
    EXPECT_EQ(text(http->getProtocol()), "http");
    EXPECT_EQ(text(http->getHost()), "127.0.0.1");
    EXPECT_EQ(http->getPort(), 8080);
    EXPECT_EQ(text(http->getFile()), "/a/b");
    EXPECT_EQ(text(http->getQuery()), "?x=1");
    EXPECT_EQ(http->getRef(), nullptr);
    EXPECT_EQ(text(http->getRequestMethod()), "GET");
    EXPECT_EQ(http->getEncoding(), nullptr);
    EXPECT_EQ(http->getRequestProperty(string("Accept")), nullptr);
    EXPECT_EQ(http->getHeaderField(0), nullptr);
    EXPECT_EQ(http->getHeaderFieldKey(0), nullptr);
    EXPECT_EQ(http->getHeaderFieldInt(string("x"), 7), 0);
    EXPECT_EQ(http->getDate(), 0);
    EXPECT_EQ(server.accepted(), 0);  // none of these sends
}

// What openInputStream makes of answers, good and malformed.
TEST_F(HttpConnectionTest, ResponsesDecideTheStream) {
    struct Case {
        const char* what;
        std::string response;
        int32_t status;
        const char* body;  // null: java_io_IOException
    };
    const std::vector<Case> cases = {
        {"200 with a body", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", 200, "ok"},
        {"404", "HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nnop", 404, nullptr},
        {"no Content-Length", "HTTP/1.0 200 OK\r\n\r\nbody", 200, nullptr},
        {"Content-Length 0", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", 200, nullptr},
        {"negative Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nbody", -1, nullptr},
        {"Content-Length not a number", "HTTP/1.0 200 OK\r\nContent-Length: many\r\n\r\nbody", -1, nullptr},
        {"header without value", "HTTP/1.0 200 OK\r\nX-A:\r\nX-B: \r\nContent-Length: 2\r\n\r\nhi", 200, "hi"},
        // The transfer itself refuses these; the parser would take them (HttpHeaderParser below).
        {"header line without ':'", "HTTP/1.0 200 OK\r\nno colon here\r\nContent-Length: 2\r\n\r\nhi", -1, nullptr},
        {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 3\n\nabc", 200, "abc"},
        {"status line of one word", "HTTP/1.0\r\nContent-Length: 1\r\n\r\nx", -1, nullptr},
        {"nothing at all", "", -1, nullptr},
        {"body shorter than announced", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nshort", -1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer server(answer(c.response));
        Http* http = connect(server);
        ASSERT_NE(http, nullptr);
        java_io_InputStream* in = http->openInputStream();
        if (c.body) {
            ASSERT_NE(in, nullptr);
            EXPECT_EQ(readAll(in), c.body);
            EXPECT_EQ(takePending(), 0);
        } else {
            EXPECT_EQ(in, nullptr);
            EXPECT_EQ(takePending(), kClass_java_io_IOException);
        }
        EXPECT_EQ(http->getResponseCode(), c.status);
        EXPECT_EQ(server.accepted(), 1);
    }
}

TEST_F(HttpConnectionTest, HeaderNamesAreExactAndLongValuesComeWhole) {
    const std::string longValue(20000, 'v');
    LoopbackServer server(answer("HTTP/1.0 200 Fine By Me\r\nContent-Type: text/html\r\nX-Long: " + longValue +
                                 "\r\nX-Twice: first\r\nX-Twice: second\r\nContent-Length: 1\r\n\r\n!"));
    Http* http = connect(server);
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(text(http->getResponseMessage()), "Fine By Me");
    EXPECT_EQ(text(http->getHeaderField(string("X-Long"))), longValue);
    EXPECT_EQ(text(http->getHeaderField(string("X-Twice"))), "first");
    EXPECT_EQ(text(http->getHeaderField(string("Content-Type"))), "text/html");
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(http->getType(), nullptr);  // asks "content-type"
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    EXPECT_EQ(http->getHeaderField(string("x-long")), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    EXPECT_EQ(server.accepted(), 1);
}

TEST_F(HttpConnectionTest, OnlyGetIsSentAndMethodChangesSendAgain) {
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nz"));
    Http* http = connect(server);
    ASSERT_NE(http, nullptr);
    http->setRequestMethod(string("POST"));
    EXPECT_EQ(http->openInputStream(), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    EXPECT_EQ(http->getResponseCode(), -1);
    http->setRequestMethod(nullptr);
    EXPECT_EQ(http->getResponseCode(), -1);
    EXPECT_EQ(server.accepted(), 0);

    http->setRequestMethod(string("get"));
    EXPECT_EQ(http->getResponseCode(), 200);
    EXPECT_EQ(server.accepted(), 1);
    http->setRequestMethod(string("GET"));  // a new request on the same connection
    ASSERT_NE(http->openInputStream(), nullptr);
    EXPECT_EQ(server.accepted(), 2);
}

TEST_F(HttpConnectionTest, RequestPropertiesFormOneHeaderBlock) {
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nz"));
    Http* http = connect(server);
    ASSERT_NE(http, nullptr);
    http->setRequestProperty(string("Accept"), string("text/x-level"));
    http->setRequestProperty(string("X-B"), string("2"));
    http->setRequestProperty(string("X-A"), string("1"));
    http->setRequestProperty(string("X-A"), string("9"));  // the first value stays
    http->setRequestProperty(string("X-Evil"), string("a\r\nInjected: 1"));
    http->setRequestProperty(string("X-None"), string(""));
    http->setRequestProperty(nullptr, string("v"));
    EXPECT_EQ(http->getResponseCode(), 200);
    http->setRequestProperty(string("X-L"), string(std::string(300, 'l')));
    EXPECT_EQ(http->getResponseCode(), 200);

    auto requests = server.records();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find("\r\nAccept: text/x-level\r\n"), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find("\r\nX-A:1;X-B:2;\r\n"), std::string::npos) << requests[0];
    EXPECT_EQ(requests[0].find("Injected"), std::string::npos);
    EXPECT_EQ(requests[0].find("X-None"), std::string::npos);
    // Accept went into the first request only; the block is cut at 255 characters.
    EXPECT_EQ(requests[1].find("Accept:"), std::string::npos) << requests[1];
    const std::string block = "X-A:1;X-B:2;X-L:" + std::string(255 - 16, 'l');
    EXPECT_NE(requests[1].find("\r\n" + block + "\r\n"), std::string::npos) << requests[1];
}

TEST_F(HttpConnectionTest, LargeBodyArrivesWholeWithProgress) {
    struct Progress : net::HttpProgressListener {
        void progress(int32_t received, int32_t expected) override {
            EXPECT_GE(received, last);
            EXPECT_GE(expected, received);
            last = received;
            ++calls;
        }
        int32_t last = 0;
        int calls = 0;
    } progress;
    std::string body(300000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 300000\r\n\r\n" + body));
    Http* http = connect(server);
    ASSERT_NE(http, nullptr);
    static_cast<HttpConnectionImpl*>(http)->client()->setListener(&progress);
    java_io_InputStream* in = http->openInputStream();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->available(), 300000);
    EXPECT_EQ(readAll(in), body);
    EXPECT_GT(progress.calls, 0);
    EXPECT_EQ(progress.last, 300000);
}

TEST_F(HttpConnectionTest, NoDataConnectionOrNoServerFailsTheRequest) {
    {
        LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nz"));
        host::setDataConnectionAvailable(false);
        Http* http = connect(server);
        host::setDataConnectionAvailable(true);
        ASSERT_NE(http, nullptr);
        EXPECT_EQ(http->openInputStream(), nullptr);
        EXPECT_EQ(takePending(), kClass_java_io_IOException);
        EXPECT_EQ(http->getResponseCode(), -1);
        EXPECT_EQ(http->getResponseMessage(), nullptr);
        EXPECT_EQ(takePending(), kClass_java_io_IOException);
        EXPECT_EQ(server.accepted(), 0);
    }
    host::setPortRemap(80, testsupport::unusedLoopbackPort());
    Http* refused = as<Http>(open("http://127.0.0.1/"), kClass_javax_microedition_io_HttpConnection);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->openDataInputStream(), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
    EXPECT_EQ(refused->getLength(), 0);
}

// The error of a failed request stays readable after the client has closed for it, until the
// next request.
TEST_F(HttpConnectionTest, AFailedRequestKeepsItsErrorUntilTheNext) {
    host::setPortRemap(80, testsupport::unusedLoopbackPort());
    net::WinInetHttpClient client;
    ASSERT_TRUE(client.Connect(u"http://127.0.0.1/"));
    EXPECT_EQ(client.SendByGet(u"/", u""), -1);
    EXPECT_NE(client.lastError(), 0u);
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    routePort80(server);
    ASSERT_TRUE(client.Connect(u"http://127.0.0.1/"));
    EXPECT_EQ(client.lastError(), 0u);
    EXPECT_EQ(client.SendByGet(u"/", u""), 200);
    EXPECT_EQ(client.lastError(), 0u);
}

TEST_F(HttpConnectionTest, ConnectionKeepsItsStringsAcrossCollections) {
    LoopbackServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    routePort80(server);
    Object* connection = open("https://127.0.0.1:99/p/q?r=s");
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->classId(), kClass_javax_microedition_io_HttpConnection);
    for (uint16_t id : {kClass_Object, kClass_javax_microedition_io_Connection,
                        kClass_javax_microedition_io_ContentConnection, kClass_javax_microedition_io_HttpConnection,
                        kClass_javax_microedition_io_InputConnection, kClass_javax_microedition_io_OutputConnection})
        EXPECT_TRUE(Object::instanceOf(connection, id)) << id;
    EXPECT_FALSE(Object::instanceOf(connection, kClass_javax_microedition_io_SocketConnection));
    EXPECT_EQ(connection->getInterface(kClass_javax_microedition_io_StreamConnection), nullptr);

    om()->gc(0);
    om()->gc(0);
    auto* http = as<Http>(connection, kClass_javax_microedition_io_HttpConnection);
    EXPECT_EQ(text(http->getURL()), "https://127.0.0.1:99/p/q?r=s");
    EXPECT_EQ(text(http->getHost()), "127.0.0.1");
    EXPECT_EQ(text(http->getFile()), "/p/q");
    EXPECT_EQ(text(http->getQuery()), "?r=s");
    EXPECT_EQ(text(http->getRequestMethod()), "GET");
    EXPECT_EQ(readAll(http->openInputStream()), "ok");  // https still goes as plain HTTP to port 80

    auto* out = as<javax_microedition_io_OutputConnection>(connection, kClass_javax_microedition_io_OutputConnection);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->openOutputStream(), nullptr);
    EXPECT_NE(out->openDataOutputStream(), nullptr);
    out->close();
    EXPECT_EQ(http->getResponseCode(), -1);  // closing dropped the response, and sends nothing new
    EXPECT_EQ(server.accepted(), 1);
}

// ---- the header parser and the client's buffers -------------------------------------------------

TEST(HttpHeaderParser, AcceptsWhatServersSend) {
    struct Case {
        const char16_t* raw;
        int32_t status;
        const char16_t* text;
        std::vector<std::pair<std::u16string, std::u16string>> headers;
    };
    const std::vector<Case> cases = {
        {u"HTTP/1.0 200 OK\r\nA: 1\r\nB:2\r\n\r\n", 200, u"OK", {{u"A", u"1"}, {u"B", u"2"}}},
        {u"HTTP/1.1 404  Not   Found\r\n\r\n", 404, u"Not Found", {}},
        {u"HTTP/1.0 200\r\n", 200, u"", {}},
        {u"HTTP/1.0\r\n", -1, u"", {}},
        {u"HTTP/1.0 abc Odd\r\n", -1, u"Odd", {}},
        {u"", -1, u"", {}},
        {u"HTTP/1.0 301 Moved\nLocation:  /x\nNoColon\n:\nEmpty:\nK: v: w\r\nK: later\n", 301, u"Moved",
         {{u"", u""}, {u"Empty", u""}, {u"K", u"v: w"}, {u"Location", u" /x"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.raw, c.raw + std::char_traits<char16_t>::length(c.raw)));
        net::ParsedResponseHeader parsed = net::parseResponseHeader(c.raw);
        EXPECT_EQ(parsed.status, c.status);
        EXPECT_TRUE(parsed.statusText == c.text);
        EXPECT_EQ(parsed.hasStatusLine, c.raw[0] != 0);
        net::HttpHeaderMap expected(c.headers.begin(), c.headers.end());
        EXPECT_TRUE(parsed.headers == expected);
    }
}

TEST(HttpHeaderParser, NumbersReadLikeTheLibraryDoes) {
    const std::vector<std::pair<const char16_t*, int32_t>> cases = {
        {u"5", 5},   {u"  42abc", 42}, {u"-5", -5},       {u"+7", 7}, {u"", 0}, {u"x1", 0},
        {u"99999999999", 2147483647},  {u"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(net::headerNumber(text), value);
}

TEST(HttpClientBuffers, CopiesOnlyWhatFits) {
    net::WinInetHttpClient client;
    EXPECT_TRUE(client.SetRequestHeader(u"Key", u"value"));
    EXPECT_FALSE(client.SetRequestHeader(u"Key", u"other"));
    EXPECT_FALSE(client.SetRequestHeader(u"", u"v"));
    EXPECT_FALSE(client.SetRequestHeader(u"K:ey", u"v"));
    char16_t buffer[6] = {u'#', u'#', u'#', u'#', u'#', u'#'};
    uint32_t size = 5;
    EXPECT_FALSE(client.GetRequestHeader(u"Key", buffer, size));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[0], u'#');
    size = 6;
    EXPECT_TRUE(client.GetRequestHeader(u"Key", buffer, size));
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::u16string(buffer), u"value");
    size = 6;
    EXPECT_FALSE(client.GetRequestHeader(u"key", buffer, size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(client.GetStatusText(buffer, size));
    EXPECT_FALSE(client.GetRawHeaders(buffer, size));
    uint8_t bytes[4];
    EXPECT_FALSE(client.GetContent(bytes, sizeof bytes));
    EXPECT_EQ(client.GetStatusCode(), -1);
    EXPECT_EQ(client.SendByGet(u"/", u""), -1);  // never connected
}

}  // namespace
}  // namespace mrc::test
