// javax.microedition.io.File and its two streams: the device's files as translated code sees
// them, over the host's files (device paths, see host/fs/paths.h).
//
// A File keeps its path with the letters A-Z lower-cased. None of its natives raises: a file that
// cannot be opened gives null or false. Each stream owns its own file handle, released by close()
// or, at the latest, by the collector through the destructor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/core/arrays.h"
#include "runtime/io/input_stream.h"
#include "runtime/io/output_stream.h"

class String;
class java_util_Vector;

namespace host::fs {
class File;
}

class javax_microedition_io_File : public Object {
public:
    MRC_CLASS(javax_microedition_io_File, Object);
    MRC_REF_FIELDS(&javax_microedition_io_File::path);
    // The free space the natives report; it is never measured.
    static constexpr int32_t kAvailableSize = 0x7FFFFFFF;

    // new File(path); null when the object heap is exhausted.
    static javax_microedition_io_File* newInstance(String* path);

    // The constructors: no path, or a lower-cased copy of `path`.
    void File();
    void File(String* path);

    // "rb": a new FileInputStreamImpl, or null.
    java_io_InputStream* openInputStream();
    // "wb+" (created, or truncated to length 0): a new FileOutputStreamImpl, or null.
    java_io_OutputStream* openOutputStream();
    bool exists();
    // The file's length; 0 for a missing file, 2147483647 for anything longer.
    int32_t length();
    // Creates an empty file or truncates the existing one; false when it cannot.
    bool create();
    int32_t availableSize() { return kAvailableSize; }
    // A new, empty vector: the folder is not read.
    java_util_Vector* list();
    // The whole file through readAllBytes; null when it cannot be opened.
    ByteArray* readAll();

    // The path as the host takes it (see devicePathOf); false (reported) without a path.
    bool devicePath(std::string& out);

    String* path;
};

// An input stream over a file handle (class id 21, a table of its own). read(b, off, len) gives
// 0 at the end of the file, never -1; skip moves relative to the position, even past the end.
class FileInputStreamImpl : public java_io_InputStream {
public:
    using Base = java_io_InputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_InputStream;

    // A stream over an open handle, the size measured once and the mark at 0; null (the handle
    // closed) when the object heap is exhausted.
    static FileInputStreamImpl* newInstance(std::unique_ptr<host::fs::File> file);

    ~FileInputStreamImpl() override;
    // A range outside `b` raises java_lang_IndexOutOfBoundsException and reads nothing.
    int32_t read(ByteArray* b, int32_t off, int32_t len) override;
    int32_t read(ByteArray* b) override;
    int32_t read() override;
    int64_t skip(int64_t n) override;
    int32_t available() override;
    void close() override;
    void mark(int32_t readlimit) override;
    void reset() override;
    bool markSupported() override { return true; }

    host::fs::File* handle;  // null after close
    int32_t markedPosition;
    int32_t size;
};

// An output stream over a file handle (class id 23, a table of its own).
class FileOutputStreamImpl : public java_io_OutputStream {
public:
    using Base = java_io_OutputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_OutputStream;

    static FileOutputStreamImpl* newInstance(std::unique_ptr<host::fs::File> file);

    ~FileOutputStreamImpl() override;
    void close() override;
    void flush() override {}
    void write(int32_t b) override;
    // A range outside `b` raises java_lang_IndexOutOfBoundsException and writes nothing.
    void write(ByteArray* b, int32_t off, int32_t len) override;
    void write(ByteArray* b) override;

    host::fs::File* handle;  // null after close
};

namespace mrc {

// The stream's bytes while available() promises more, in reads of up to 512 bytes; it also stops
// at a read that yields nothing, so a stream that promises more than it holds (an archive cut
// short) cannot hold it up. The stream stays open. Null for a null stream, and null with the
// exception pending when a read raises one.
ByteArray* readAllBytes(java_io_InputStream* in);

// The data archive's device path: the install folder, then "\data.bar".
String* getDataArchivePath();

}  // namespace mrc
