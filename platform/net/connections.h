// The Connector's two connection schemes, "http" and "socket", and the URL fields both keep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/core/object.h"

class String;

// The name a connection was opened with, split (ParseConnectionURL). Both connection classes
// derive from it; its String fields are reference fields of theirs.
class UrlConnection : public Object {
public:
    using Base = Object;
    MRC_REF_FIELDS(&UrlConnection::url, &UrlConnection::scheme, &UrlConnection::host, &UrlConnection::path,
                   &UrlConnection::query, &UrlConnection::fragment);

    // The Connector's factory over a connection class with init(name, mode, timeouts): a new
    // connection, its Java constructor run; null when the heap is exhausted.
    template <class Connection>
    static Object* open(String* name, int32_t mode, bool timeouts) {
        auto* connection = mrc::newObject<Connection>();
        if (connection) connection->init(name, mode, timeouts);
        return connection;
    }

protected:
    // The first part of the Java constructors: stores the arguments and splits the name.
    void initUrl(String* name, int32_t mode, bool timeouts);

public:
    String* url;
    int32_t mode;
    uint8_t timeouts;
    int32_t reserved1;
    int32_t reserved2;
    String* scheme;
    String* host;
    int32_t port;
    String* path;
    String* query;
    String* fragment;
};

namespace mrc::net {

// Registers HttpConnectionImpl for names beginning with "http" (https included) and then
// SocketConnectionImpl for "socket". Idempotent.
void registerConnectionSchemes();

// A native copy of a String's characters (empty for null), for calls that block or allocate.
std::u16string units(String* s);
// Each character's byte, or '?' for one above 0xFF (which no host name or header takes, where the
// low byte alone would name something else).
std::string bytesOf(std::u16string_view text);

}  // namespace mrc::net

// Splits "scheme://host[:port][/path][?query]". Each String is stored through its out parameter
// as soon as it is made, so that reference fields of a reachable object keep it alive while the
// next one is allocated. A null url, or one without "://", is reported with the tag
// "ParseConnectionURL" and leaves every out parameter as it was. The port is the number between
// the first ':' after the host's start and the path's '/' (Integer.parseInt), else 0; the path
// runs from that '/' to '?' (empty without one); the query from '?' to the end (null without one);
// the fragment is always null.
void ParseConnectionURL(String* url, String*& scheme, String*& host, int32_t& port, String*& path, String*& query,
                        String*& fragment);
