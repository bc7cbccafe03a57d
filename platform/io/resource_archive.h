// The data archive "data.bar" as translated code reads it: the index held in statics (loaded
// once per run), entries served as streams limited to their bytes, and the resource opener
// (Class::getResourceAsStream) that sends every name but a loose ".bar" file here.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"
#include "runtime/io/input_stream.h"

class String;
class javax_microedition_io_File;

// An input stream limited to one entry of the archive (class id 77) over a file stream of its
// own, positioned at the entry's first byte. Past the entry's end read() gives -1 and
// read(b, off, len) raises java_io_EOFException, so readers never see the next entry's bytes.
class javax_microedition_io_ResourceInputStream : public java_io_InputStream {
public:
    MRC_CLASS(javax_microedition_io_ResourceInputStream, java_io_InputStream);
    MRC_REF_FIELDS(&javax_microedition_io_ResourceInputStream::in);

    static javax_microedition_io_ResourceInputStream* newInstance(java_io_InputStream* in, int32_t size);
    // The constructor: the underlying stream at the entry's start, the entry's size, position 0.
    void ResourceInputStream(java_io_InputStream* in, int32_t size);

    // Up to what is left of the entry; a range outside `b` raises
    // java_lang_IndexOutOfBoundsException.
    int32_t read(ByteArray* b, int32_t off, int32_t len) override;
    int32_t read(ByteArray* b) override;
    int32_t read() override;
    // Up to the entry's end; nothing for n of 0 or less.
    int64_t skip(int64_t n) override;
    int32_t available() override;  // size - position
    void close() override;
    // The underlying stream's mark and reset; the position goes back with it (to the entry's
    // start when nothing was marked).
    void mark(int32_t readlimit) override;
    void reset() override;
    bool markSupported() override;

    java_io_InputStream* in;
    int32_t size;
    int32_t position;
    int32_t markedPosition;
};

class ResourceArchive {
public:
    struct Statics {
        javax_microedition_io_File* archive;  // null until the first lookup
        ObjectArray* names;                   // String[]
        IntArray* offsets;
        IntArray* sizes;
        MRC_REF_FIELDS(&Statics::archive, &Statics::names, &Statics::offsets, &Statics::sizes);
    };
    static Statics statics;
    // Registers the statics with StaticClass; idempotent.
    static void registerStatics();

    // Reads the index once: the archive File is set first, so a missing or damaged archive is
    // not read again. A missing archive leaves no entries; an index cut short ends at its last
    // complete record.
    static void loadIndex();
    // The first entry whose name matches (one leading '/' of `name` dropped, same length, the
    // letters A-Z in either case) as a new stream, or null. An entry whose offset or size is
    // negative is refused, and one running past the end of the archive is cut to what it holds;
    // both are traced.
    static javax_microedition_io_ResourceInputStream* open(String* name);
};
