#include "platform/io/file.h"

#include <climits>
#include <string_view>

#include "host/fs/file.h"
#include "host/fs/paths.h"
#include "platform/io/device_path.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/lang/string.h"
#include "runtime/util/library_support.h"
#include "runtime/util/vector.h"

using namespace mrc;
using host::fs::File;

namespace {

constexpr int32_t kReadChunk = 512;

int32_t clampToInt(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

}  // namespace

// ---- javax_microedition_io_File ---------------------------------------------------------------

javax_microedition_io_File* javax_microedition_io_File::newInstance(String* path) {
    auto* file = newObject<javax_microedition_io_File>();
    if (file) file->File(path);
    return file;
}

void javax_microedition_io_File::File() { path = nullptr; }

void javax_microedition_io_File::File(String* text) {
    if (lib::isNullReported(text)) return;
    path = text->toLowerCase();
}

bool javax_microedition_io_File::devicePath(std::string& out) {
    if (lib::isNullReported(path)) return false;
    out = io::devicePathOf(std::u16string_view(path->chars, static_cast<std::size_t>(path->count())));
    return true;
}

java_io_InputStream* javax_microedition_io_File::openInputStream() {
    std::string device;
    if (!devicePath(device)) return nullptr;
    auto file = File::open(device, File::Mode::Read);
    return file ? FileInputStreamImpl::newInstance(std::move(file)) : nullptr;
}

java_io_OutputStream* javax_microedition_io_File::openOutputStream() {
    std::string device;
    if (!devicePath(device)) return nullptr;
    auto file = File::open(device, File::Mode::Write);
    return file ? FileOutputStreamImpl::newInstance(std::move(file)) : nullptr;
}

bool javax_microedition_io_File::exists() {
    std::string device;
    return devicePath(device) && host::fs::exists(device);
}

int32_t javax_microedition_io_File::length() {
    std::string device;
    if (!devicePath(device)) return 0;
    return clampToInt(host::fs::length(device).value_or(0));
}

bool javax_microedition_io_File::create() {
    std::string device;
    return devicePath(device) && host::fs::createEmpty(device);
}

java_util_Vector* javax_microedition_io_File::list() { return java_util_Vector::newInstance(); }

ByteArray* javax_microedition_io_File::readAll() {
    java_io_InputStream* in = openInputStream();
    if (!in) return nullptr;
    ByteArray* bytes = readAllBytes(in);
    // The file is done with whatever the read gave; its handle need not wait for the collector.
    in->close();
    return bytes;
}

// ---- FileInputStreamImpl ----------------------------------------------------------------------

FileInputStreamImpl* FileInputStreamImpl::newInstance(std::unique_ptr<File> file) {
    if (!file) return nullptr;
    auto* stream = newObject<FileInputStreamImpl>();
    if (!stream) return nullptr;
    stream->markedPosition = 0;
    stream->size = clampToInt(file->size());
    file->seek(0, File::Origin::Begin);
    stream->handle = file.release();
    return stream;
}

FileInputStreamImpl::~FileInputStreamImpl() { close(); }

int32_t FileInputStreamImpl::read(ByteArray* b, int32_t off, int32_t len) {
    if (len < 1) return 0;
    if (!lib::rangeOk(b, off, len) || !handle) return 0;
    // No allocation between here and the copy: the elements stay where they are.
    return static_cast<int32_t>(handle->read(b->elements() + off, static_cast<std::size_t>(len)));
}

int32_t FileInputStreamImpl::read(ByteArray* b) {
    if (lib::isNullReported(b)) return 0;
    return read(b, 0, b->length);
}

int32_t FileInputStreamImpl::read() { return handle ? handle->readByte() : -1; }

int64_t FileInputStreamImpl::skip(int64_t n) {
    if (n <= 0) return n;
    if (!handle) return 0;
    // Forward by the low 32 bits, as the device's C runtime takes its offset.
    handle->seek(static_cast<uint32_t>(n), File::Origin::Current);
    return n;
}

int32_t FileInputStreamImpl::available() { return handle ? size - clampToInt(handle->position()) : 0; }

void FileInputStreamImpl::close() {
    delete handle;
    handle = nullptr;
}

void FileInputStreamImpl::mark(int32_t) {
    if (handle) markedPosition = clampToInt(handle->position());
}

void FileInputStreamImpl::reset() {
    if (handle) handle->seek(markedPosition, File::Origin::Begin);
}

// ---- FileOutputStreamImpl ---------------------------------------------------------------------

FileOutputStreamImpl* FileOutputStreamImpl::newInstance(std::unique_ptr<File> file) {
    if (!file) return nullptr;
    auto* stream = newObject<FileOutputStreamImpl>();
    if (stream) stream->handle = file.release();
    return stream;
}

FileOutputStreamImpl::~FileOutputStreamImpl() { close(); }

void FileOutputStreamImpl::close() {
    delete handle;
    handle = nullptr;
}

void FileOutputStreamImpl::write(int32_t b) {
    auto byte = static_cast<uint8_t>(b);
    if (handle) handle->write(&byte, 1);
}

void FileOutputStreamImpl::write(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::rangeOk(b, off, len) || !handle || len == 0) return;
    handle->write(b->elements() + off, static_cast<std::size_t>(len));
}

void FileOutputStreamImpl::write(ByteArray* b) {
    if (lib::isNullReported(b)) return;
    write(b, 0, b->length);
}

// ---- runtime functions ------------------------------------------------------------------------

namespace mrc {

ByteArray* readAllBytes(java_io_InputStream* in) {
    if (isNull(in)) return nullptr;
    ObjectManager* om = ApplicationImpl::getApplication()->objectManager;
    java_io_ByteArrayOutputStream* out = java_io_ByteArrayOutputStream::newInstance();
    ByteArray* buffer = om->newByteArray(kReadChunk);
    if (!out || !buffer) return nullptr;
    while (in->available() > 0) {
        if (lib::exceptionPending()) return nullptr;
        int32_t n = in->read(buffer);
        if (lib::exceptionPending()) return nullptr;
        if (n <= 0) break;
        out->write(buffer, 0, n);
        if (lib::exceptionPending()) return nullptr;
    }
    if (lib::exceptionPending()) return nullptr;
    return out->toByteArray();
}

String* getDataArchivePath() {
    std::string path = std::string(host::fs::kInstallFolder) + "\\data.bar";
    return newString(path.c_str());
}

}  // namespace mrc
