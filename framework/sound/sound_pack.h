// WM_JSound_IO: the sound-pack reader. A pack may be split over several resources (parts); the
// reader hides the split and serves any entry by number, reopening and skipping forward when an
// entry lies behind the current position.
//
// Layout (little-endian): u16 entry total, s16 part count, u16 first entry of each part, then
// part 0's table of s32 offsets (entries + 1) and its entry data. Part k > 0 is the resource
// "<name>_<k>", starting with its own offset table. Offsets count from the start of the part's
// own file; every entry begins with one kind byte.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"
#include "runtime/core/class_ids.h"
#include "runtime/core/object.h"

class String;
class java_io_InputStream;

class WM_JSound_IO : public Object {
public:
    MRC_CLASS(WM_JSound_IO, Object);
    MRC_REF_FIELDS(&WM_JSound_IO::name, &WM_JSound_IO::stream, &WM_JSound_IO::partOffsets);

    static constexpr const char* kPartSeparator = "_";

    struct Statics {
        ShortArray* partStarts;
        int32_t currentPart;
        MRC_REF_FIELDS(&Statics::partStarts);
    };
    static Statics statics;

    // Nothing when the pack of that name is open already.
    void open(String* packName);
    // Closes the part file and asks for a collection; the name is kept.
    void release();
    // Positions at entry n's payload; its size (entry size - 1), or the entry size when below 1;
    // -1 (traced) for an entry the pack does not have or cannot be reached.
    int32_t seekEntry(int32_t n);
    // The payload of entry n; null for an entry the pack does not have.
    ByteArray* readEntry(int32_t n);

    // 0-255, -1 at the end of the stream, 0 after a stream failure.
    int32_t readByte();
    int32_t readU16();
    int32_t readInt();
    // Bytes read; fewer than len when the stream ends, 0 after a stream failure.
    int32_t readBytes(ByteArray* b, int32_t off, int32_t len);
    void skip(int32_t n);
    void seek(int32_t pos);
    void readIntTable();
    static java_io_InputStream* openResource(String* resourceName);

    String* name;
    java_io_InputStream* stream;
    int32_t position;
    IntArray* partOffsets;
    int16_t entryTotal;
    int16_t partCount;
    int32_t entryKind;

private:
    int32_t entriesOfPart(int32_t part) const;
    // Opens the current part's file from its start, no table read.
    void reopenPart();
    String* partName(int32_t part) const;
};
