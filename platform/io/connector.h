// javax.microedition.io.Connector, the factory of the Generic Connection Framework, and the
// connection interfaces its stream shortcuts use.
//
// A connection is a runtime object whose interface words answer the javax_microedition_io_
// interface ids through getInterface. The factory picks the connection class by the name's
// scheme: each connection class registers the prefix it serves, in the order the factory tests
// them (case-sensitive). A name no class serves gives null; so does every shortcut over it.
#pragma once

#include <cstdint>

class Object;
class String;
class java_io_InputStream;
class java_io_OutputStream;
class java_io_DataInputStream;
class java_io_DataOutputStream;

// Interface id 69.
class javax_microedition_io_Connection {
public:
    virtual void close() = 0;  // slot 0

protected:
    ~javax_microedition_io_Connection() = default;
};

// Interface id 75.
class javax_microedition_io_InputConnection : public javax_microedition_io_Connection {
public:
    virtual java_io_InputStream* openInputStream() = 0;          // slot 1
    virtual java_io_DataInputStream* openDataInputStream() = 0;  // slot 2

protected:
    ~javax_microedition_io_InputConnection() = default;
};

// Interface id 76.
class javax_microedition_io_OutputConnection : public javax_microedition_io_Connection {
public:
    virtual java_io_OutputStream* openOutputStream() = 0;          // slot 1
    virtual java_io_DataOutputStream* openDataOutputStream() = 0;  // slot 2

protected:
    ~javax_microedition_io_OutputConnection() = default;
};

class javax_microedition_io_Connector {
public:
    static constexpr int32_t READ = 1;
    static constexpr int32_t WRITE = 2;
    static constexpr int32_t READ_WRITE = 3;

    // Makes the connection object of a scheme (its constructor connects at once); exceptions it
    // raises are left pending.
    using Factory = Object* (*)(String* name, int32_t mode, bool timeouts);
    // Serves names that begin with `prefix` (a literal that outlives the program); the first
    // registered prefix that matches wins. A null factory removes the prefix.
    static void registerScheme(const char* prefix, Factory factory);

    // The factory: the connection of the first registered scheme `name` begins with, or null.
    static Object* open(String* name, int32_t mode, bool timeouts);
    static Object* open(String* name, int32_t mode);  // timeouts false
    static Object* open(String* name);                // READ_WRITE

    // The stream shortcuts: the connection opened for reading (writing), its InputConnection
    // (OutputConnection) interface, then that interface's data stream. The connection stays
    // open; null when no connection or no such interface is there, or an exception is pending.
    static java_io_DataInputStream* openDataInputStream(String* name);
    static java_io_InputStream* openInputStream(String* name);
    static java_io_DataOutputStream* openDataOutputStream(String* name);
    static java_io_OutputStream* openOutputStream(String* name);
};
