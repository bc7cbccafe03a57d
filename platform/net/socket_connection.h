// A "socket" connection of the Connector: a TCP socket connected at once to the URL's host and
// port, with a byte input stream and a byte output stream over it.
//
// The input stream's read() receives when its buffer is used up (up to 1 MiB at a time, into
// native memory, then copied into a new Java array of what arrived); its other reads work on the
// buffer alone, as ByteArrayInputStream's, and never receive. The output stream sends what
// write(b, off, len) is given; write(int) sends nothing. Socket failures raise
// java_io_IOException.
//
// The socket client is shared by the connection and its streams and closes when the last of them
// is gone, or at the connection's close(): a stream taken through the Connector's shortcuts
// outlives the connection object it came from.
//
// The connection is stamped with the class id of the SocketConnection interface, for the reason
// given in http_connection.h.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/io/connector.h"
#include "platform/net/connections.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/byte_array_output_stream.h"

namespace mrc::net {
class WinSocketClient;
}

// Interface id 79 (the input half, as the connection's word has it).
class javax_microedition_io_StreamConnection : public javax_microedition_io_InputConnection {
protected:
    ~javax_microedition_io_StreamConnection() = default;
};

// Interface id 78.
class javax_microedition_io_SocketConnection : public javax_microedition_io_StreamConnection {
public:
    virtual void setSocketOption(int8_t option, int32_t value) = 0;  // slot 3
    virtual int32_t getSocketOption(int8_t option) = 0;              // 4
    virtual String* getLocalAddress() = 0;                           // 5
    virtual int32_t getLocalPort() = 0;                              // 6
    virtual String* getAddress() = 0;                                // 7
    virtual int32_t getPort() = 0;                                   // 8

protected:
    ~javax_microedition_io_SocketConnection() = default;
};

class SocketConnectionImpl : public UrlConnection,
                             public javax_microedition_io_SocketConnection,
                             public javax_microedition_io_OutputConnection {
public:
    using Base = UrlConnection;
    static constexpr uint16_t kClassId = mrc::kClass_javax_microedition_io_SocketConnection;

    SocketConnectionImpl();
    ~SocketConnectionImpl() override;  // gives up its share of the client
    void* getInterface(int32_t interfaceId) override;

    // The Java constructor: stores and parses the URL, creates the socket and connects it to
    // the host (its characters' low bytes) and port; failures are logged, not raised.
    void init(String* name, int32_t mode, bool timeouts);

    void close() override;  // closes the socket
    java_io_InputStream* openInputStream() override;
    java_io_DataInputStream* openDataInputStream() override;
    void setSocketOption(int8_t, int32_t) override {}
    int32_t getSocketOption(int8_t) override { return 0; }
    String* getLocalAddress() override { return nullptr; }
    int32_t getLocalPort() override { return 0; }
    String* getAddress() override { return nullptr; }
    int32_t getPort() override { return port; }
    java_io_OutputStream* openOutputStream() override;
    java_io_DataOutputStream* openDataOutputStream() override;

    mrc::net::WinSocketClient* client() const { return m_client.get(); }

    std::shared_ptr<mrc::net::WinSocketClient> m_client;
};

// A ByteArrayInputStream (class id 15) whose read() refills the buffer from the socket.
class SocketInputStream : public java_io_ByteArrayInputStream {
public:
    using Base = java_io_ByteArrayInputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_ByteArrayInputStream;
    static constexpr int32_t kReceiveSize = 1048576;

    static SocketInputStream* newInstance(std::shared_ptr<mrc::net::WinSocketClient> client);

    SocketInputStream();
    ~SocketInputStream() override;

    using java_io_ByteArrayInputStream::read;
    // The next buffered byte; with none left, one receive: -1 when the peer closed,
    // java_io_IOException on a failure.
    int32_t read() override;

    std::shared_ptr<mrc::net::WinSocketClient> m_client;

private:
    std::unique_ptr<uint8_t[]> m_received;  // native: the receive blocks
};

// A ByteArrayOutputStream (class id 16) whose writes go to the socket.
class SocketOutputStream : public java_io_ByteArrayOutputStream {
public:
    using Base = java_io_ByteArrayOutputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_ByteArrayOutputStream;

    static SocketOutputStream* newInstance(std::shared_ptr<mrc::net::WinSocketClient> client);

    SocketOutputStream();
    ~SocketOutputStream() override;

    using java_io_ByteArrayOutputStream::write;
    void write(int32_t) override {}
    // A null b is reported.
    void write(ByteArray* b) override;
    // A range outside b raises java_lang_IndexOutOfBoundsException and sends nothing; a send
    // that fails or stops short raises java_io_IOException.
    void write(ByteArray* b, int32_t off, int32_t len) override;

    std::shared_ptr<mrc::net::WinSocketClient> m_client;
};
