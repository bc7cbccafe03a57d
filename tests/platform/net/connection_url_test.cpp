#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net/http_connection.h"
#include "platform/net/socket_connection.h"
#include "tests/platform/net/net_fixture.h"

namespace mrc::test {
namespace {

class ConnectionUrlTest : public NetTest {
protected:
    struct Parts {
        String* scheme = nullptr;
        String* host = nullptr;
        int32_t port = -7;
        String* path = nullptr;
        String* query = nullptr;
        String* fragment = nullptr;
    };
    static Parts parse(String* url) {
        Parts p;
        ParseConnectionURL(url, p.scheme, p.host, p.port, p.path, p.query, p.fragment);
        return p;
    }
};

TEST_F(ConnectionUrlTest, SplitsSchemeHostPortPathAndQuery) {
    struct Case {
        const char* url;
        const char* scheme;
        const char* host;
        int32_t port;
        const char* path;
        const char* query;  // "<null>" for none
    };
    const std::vector<Case> cases = {
        {"http://server:8080/a/b?x=1", "http", "server", 8080, "/a/b", "?x=1"},
        {"socket://host:5000", "socket", "host", 5000, "", "<null>"},
        {"http://host/a:b", "http", "host", 0, "/a:b", "<null>"},
        {"http://host", "http", "host", 0, "", "<null>"},
        {"http://h/?", "http", "h", 0, "/", "?"},
        {"http://h/p?q?r/s", "http", "h", 0, "/p", "?q?r/s"},
        {"http://h:/p", "http", "h", 0, "/p", "<null>"},
        {"http://h:12ab/p", "http", "h", 12, "/p", "<null>"},
        {"x://:7", "x", "", 7, "", "<null>"},
        {"://h", "", "h", 0, "", "<null>"},
        {"a://b://c/d", "a", "b", 0, "//c/d", "<null>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Parts p = parse(string(c.url));
        EXPECT_EQ(text(p.scheme), c.scheme);
        EXPECT_EQ(text(p.host), c.host);
        EXPECT_EQ(p.port, c.port);
        EXPECT_EQ(text(p.path), c.path);
        EXPECT_EQ(text(p.query), c.query);
        EXPECT_EQ(p.fragment, nullptr);
    }
}

TEST_F(ConnectionUrlTest, UrlWithoutSchemeSeparatorIsReportedAndParsesNothing) {
    for (String* url : {string("http:/host/a"), string("host"), static_cast<String*>(nullptr)}) {
        host::LogCapture log;
        Parts p = parse(url);
        EXPECT_TRUE(log.contains("ParseConnectionURL"));
        EXPECT_EQ(p.scheme, nullptr);
        EXPECT_EQ(p.host, nullptr);
        EXPECT_EQ(p.port, -7);
        EXPECT_EQ(p.path, nullptr);
    }
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ConnectionUrlTest, ConnectorPicksTheClassByCaseSensitivePrefix) {
    host::setDataConnectionAvailable(true);
    for (const char* name : {"HTTP://host/", "file://x", "Socket://h:1", "ftp://h/"})
        EXPECT_EQ(open(name), nullptr) << name;
    Object* http = open("httpx://127.0.0.1/");
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(http->classId(), kClass_javax_microedition_io_HttpConnection);
    host::LogCapture log;
    Object* socket = open("socket:no-separator");
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(socket->classId(), kClass_javax_microedition_io_SocketConnection);
    EXPECT_TRUE(log.contains("ParseConnectionURL"));
    EXPECT_TRUE(log.contains("WinSocketClient::Connect-> Invalid address"));
    EXPECT_EQ(takePending(), 0);
}

}  // namespace
}  // namespace mrc::test
