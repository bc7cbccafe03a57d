#include "platform/io/resource_archive.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "host/core/log.h"
#include "platform/io/archive_index.h"
#include "platform/io/file.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;
using ResourceStream = javax_microedition_io_ResourceInputStream;

namespace {

std::u16string_view unitsOf(String* s) { return {s->chars, static_cast<std::size_t>(s->count())}; }

}  // namespace

// ---- javax_microedition_io_ResourceInputStream ------------------------------------------------

ResourceStream* ResourceStream::newInstance(java_io_InputStream* in, int32_t size) {
    auto* stream = newObject<ResourceStream>();
    if (stream) stream->ResourceInputStream(in, size);
    return stream;
}

void ResourceStream::ResourceInputStream(java_io_InputStream* underlying, int32_t entrySize) {
    in = underlying;
    size = entrySize;
    position = 0;
    markedPosition = 0;
}

int32_t ResourceStream::read(ByteArray* b, int32_t off, int32_t len) {
    if (int64_t(position) + 1 > size) {
        raise(kClass_java_io_EOFException);
        return -1;
    }
    if (!lib::rangeOk(b, off, len) || lib::isNullReported(in)) return -1;
    int32_t count = in->read(b, off, std::min(len, size - position));
    if (count > 0) position += count;
    return count;
}

int32_t ResourceStream::read(ByteArray* b) {
    if (lib::isNullReported(b)) return -1;
    return read(b, 0, b->length);
}

int32_t ResourceStream::read() {
    if (int64_t(position) + 1 > size || lib::isNullReported(in)) return -1;
    ++position;
    return in->read();
}

int64_t ResourceStream::skip(int64_t n) {
    // A negative count would move the position back while the file stays: the end-of-entry
    // test would then let the next entry's bytes through.
    if (n <= 0 || lib::isNullReported(in)) return 0;
    if (position + n > size) n = size - position;
    int64_t skipped = in->skip(n);
    if (skipped > 0) position += static_cast<int32_t>(skipped);
    return skipped;
}

int32_t ResourceStream::available() { return size - position; }

void ResourceStream::close() {
    if (!lib::isNullReported(in)) in->close();
}

void ResourceStream::mark(int32_t readlimit) {
    if (lib::isNullReported(in)) return;
    in->mark(readlimit);
    markedPosition = position;
}

void ResourceStream::reset() {
    if (lib::isNullReported(in)) return;
    in->reset();
    position = markedPosition;
}

bool ResourceStream::markSupported() { return !lib::isNullReported(in) && in->markSupported(); }

// ---- ResourceArchive --------------------------------------------------------------------------

ResourceArchive::Statics ResourceArchive::statics{};

void ResourceArchive::registerStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("ResourceArchive", &statics);
}

void ResourceArchive::loadIndex() {
    registerStatics();
    statics.archive = javax_microedition_io_File::newInstance(getDataArchivePath());
    std::string device;
    if (!statics.archive || !statics.archive->devicePath(device)) return;
    io::ArchiveIndex index = io::ArchiveIndex::load(device);
    const auto& entries = index.entries();
    auto n = static_cast<int32_t>(entries.size());
    ObjectManager* om = ApplicationImpl::getApplication()->objectManager;
    // Each array is a root as soon as it exists.
    statics.names = om->newObjectArray(kClass_String, n);
    statics.offsets = om->newIntArray(n);
    statics.sizes = om->newIntArray(n);
    if (!statics.names || !statics.offsets || !statics.sizes) {
        mrc_log("data archive: no room for an index of %d entries", n);
        statics.names = nullptr;
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        const io::ArchiveEntry& e = entries[static_cast<std::size_t>(i)];
        String* name = newString(e.name.data(), static_cast<int32_t>(e.name.size()));
        // The allocation may have moved every array's elements: index them afresh.
        statics.names->elements()[i] = name;
        statics.offsets->elements()[i] = e.offset;
        statics.sizes->elements()[i] = e.size;
    }
}

ResourceStream* ResourceArchive::open(String* name) {
    if (lib::isNullReported(name)) return nullptr;
    if (!statics.archive) loadIndex();
    if (!statics.names || statics.names->length < 1) return nullptr;
    int32_t found = -1;
    for (int32_t i = 0; i < statics.names->length && found < 0; ++i) {
        auto* stored = static_cast<String*>(statics.names->elements()[i]);
        if (stored && io::archiveNameMatches(unitsOf(stored), unitsOf(name))) found = i;
    }
    if (found < 0) return nullptr;
    int32_t offset = statics.offsets->elements()[found];
    int32_t size = statics.sizes->elements()[found];
    if (offset < 0 || size < 0) {
        mrc_log("data archive: entry %s has offset %d and size %d", name->toUtf8().c_str(), offset, size);
        return nullptr;
    }
    auto* file = static_cast<FileInputStreamImpl*>(statics.archive->openInputStream());
    if (!file) return nullptr;
    if (int64_t(offset) + size > file->size) {
        int32_t held = file->size > offset ? file->size - offset : 0;
        mrc_log("data archive: entry %s runs past the end of the archive: %d of %d bytes", name->toUtf8().c_str(),
                held, size);
        size = held;
    }
    file->skip(offset);
    // Reset without a mark returns to the entry's start, not to the archive's.
    file->mark(0);
    return ResourceStream::newInstance(file, size);
}

// ---- resources --------------------------------------------------------------------------------

java_io_InputStream* Class::getResourceAsStream(String* name) {
    if (lib::isNullReported(name)) return nullptr;
    if (unitsOf(name).ends_with(u".bar")) {
        javax_microedition_io_File* loose = javax_microedition_io_File::newInstance(name);
        if (java_io_InputStream* stream = loose ? loose->openInputStream() : nullptr) return stream;
    }
    return ResourceArchive::open(name);
}
