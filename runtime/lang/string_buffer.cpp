#include "runtime/lang/string_buffer.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

namespace {

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
mrc::ObjectManager* om() { return app()->objectManager; }

void copyUnits(char16_t* to, const char16_t* from, int32_t n) {
    if (n > 0) std::memmove(to, from, static_cast<std::size_t>(n) * sizeof(char16_t));
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

StringBuffer::~StringBuffer() {
    if (chars) om()->releaseBuffer(chars);
    chars = nullptr;
}

String* StringBuffer::toString() {
    String* s = mrc::newObject<String>();
    if (s) s->initFromStringBuffer(this);
    return s;
}

void StringBuffer::init(int32_t n) {
    chars = nullptr;
    capacity = 0;
    length = 0;
    if (n > 0) ensureCapacity(n);
}

void StringBuffer::initFromString(String* text) {
    if (isNull(text)) {
        app()->reportError("NullPointer");
        init();
        return;
    }
    init(text->count() + 1);
    insertString(0, text);
}

void StringBuffer::ensureCapacity(int32_t minimum) {
    if (capacity >= minimum) return;
    int32_t grown = static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(minimum, 2 * int64_t{capacity}), INT32_MAX));
    auto* fresh = static_cast<char16_t*>(om()->allocArrayData(grown, sizeof(char16_t)));
    if (!fresh) return;
    // The old buffer is read only now: the allocation may have moved it.
    copyUnits(fresh, chars, std::min(length, capacity));
    if (chars) om()->releaseBuffer(chars);
    chars = fresh;
    capacity = grown;
    om()->registerMovable(this, reinterpret_cast<void**>(&chars));
}

void StringBuffer::setLength(int32_t n) {
    if (n < 0) {
        app()->reportError("setLength OOB");
        return;
    }
    if (capacity < n) ensureCapacity(n);
    if (capacity < n) return;
    // Characters past the old length may be left over from before a cut: clear the whole range.
    if (n > length) std::fill(chars + length, chars + n, u'\0');
    if (capacity > n) chars[n] = 0;
    length = n;
}

char16_t StringBuffer::charAt(int32_t i) {
    if (i < 0 || i >= length) {
        app()->reportError("charAt OOB");
        return 0;
    }
    return chars[i];
}

void StringBuffer::setCharAt(int32_t i, char16_t c) {
    if (i < 0 || i >= length) {
        app()->reportError("charAt OOB");
        return;
    }
    chars[i] = c;
}

char16_t* StringBuffer::makeRoom(int32_t offset, int32_t count) {
    if (offset < 0 || offset > length || count < 0) {
        app()->reportError("insert OOB");
        return nullptr;
    }
    int64_t needed = int64_t{length} + count + 1;
    if (needed > INT32_MAX) {
        mrc_log("ERROR: Operator new failed: out of store.");
        return nullptr;
    }
    if (capacity < needed) ensureCapacity(static_cast<int32_t>(needed));
    if (capacity < needed) return nullptr;
    copyUnits(chars + offset + count, chars + offset, length - offset);
    length += count;
    chars[length] = 0;
    return chars + offset;
}

StringBuffer* StringBuffer::insertChars(int32_t offset, const char16_t* units, int32_t count) {
    if (!units || count <= 0) {
        // Nothing to insert; an offset outside the buffer is reported all the same.
        if (offset < 0 || offset > length) app()->reportError("insert OOB");
        return this;
    }
    std::u16string keep;
    if (om()->dataHeap()->contains(units)) {
        keep.assign(units, static_cast<std::size_t>(count));
        units = keep.data();
    }
    if (char16_t* gap = makeRoom(offset, count)) copyUnits(gap, units, count);
    return this;
}

StringBuffer* StringBuffer::insertAscii(int32_t offset, const char* text) {
    char16_t units[400];
    int32_t n = 0;
    for (; text[n] && n < 400; ++n) units[n] = static_cast<unsigned char>(text[n]);
    return insertChars(offset, units, n);
}

StringBuffer* StringBuffer::insertString(int32_t offset, String* s) {
    if (isNull(s)) return insertAscii(offset, "null");
    int32_t n = s->count();
    // The gap first: growing may move the String's characters, so they are read afterwards.
    if (char16_t* gap = makeRoom(offset, n)) copyUnits(gap, s->chars, n);
    return this;
}

StringBuffer* StringBuffer::insertObject(int32_t offset, Object* o) {
    return insertString(offset, isNull(o) ? nullptr : o->toString());
}

StringBuffer* StringBuffer::insertBool(int32_t offset, bool b) { return insertAscii(offset, b ? "true" : "false"); }

StringBuffer* StringBuffer::insertChar(int32_t offset, char16_t c) { return insertChars(offset, &c, 1); }

StringBuffer* StringBuffer::insertInt(int32_t offset, int32_t i) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", i);
    return insertAscii(offset, text);
}

StringBuffer* StringBuffer::insertLong(int32_t offset, int64_t l) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, l);
    return insertAscii(offset, text);
}

StringBuffer* StringBuffer::insertFloat(int32_t offset, float f) { return insertDouble(offset, f); }

StringBuffer* StringBuffer::insertDouble(int32_t offset, double d) {
    char text[400];
    mrc::formatFloat(text, d);
    return insertAscii(offset, text);
}

StringBuffer* StringBuffer::insertCString(int32_t offset, const char* text) {
    if (!text) return insertAscii(offset, "null");
    std::u16string units;
    for (const char* p = text; *p; ++p) units.push_back(static_cast<unsigned char>(*p));
    return insertChars(offset, units.data(), static_cast<int32_t>(units.size()));
}

StringBuffer* StringBuffer::insertCharRange(int32_t offset, CharArray* array, int32_t from, int32_t count) {
    if (isNull(array)) {
        app()->reportError("NullPointer");
        return this;
    }
    if (from < 0 || count < 0 || int64_t{from} + count > std::max(array->length, 0)) {
        app()->reportError("insert OOB");
        return this;
    }
    if (char16_t* gap = makeRoom(offset, count)) copyUnits(gap, array->elements() + from, count);
    return this;
}

StringBuffer* StringBuffer::insertChars(int32_t offset, CharArray* array) {
    return insertCharRange(offset, array, 0, isNull(array) ? 0 : std::max(array->length, 0));
}

StringBuffer* StringBuffer::appendString(String* s) { return insertString(length, s); }
StringBuffer* StringBuffer::appendObject(Object* o) { return insertObject(length, o); }
StringBuffer* StringBuffer::appendBool(bool b) { return insertBool(length, b); }
StringBuffer* StringBuffer::appendChar(char16_t c) { return insertChar(length, c); }
StringBuffer* StringBuffer::appendInt(int32_t i) { return insertInt(length, i); }
StringBuffer* StringBuffer::appendLong(int64_t l) { return insertLong(length, l); }
StringBuffer* StringBuffer::appendFloat(float f) { return insertFloat(length, f); }
StringBuffer* StringBuffer::appendDouble(double d) { return insertDouble(length, d); }
StringBuffer* StringBuffer::appendCString(const char* text) { return insertCString(length, text); }
StringBuffer* StringBuffer::appendChars(CharArray* array) { return insertChars(length, array); }

StringBuffer* StringBuffer::appendChars(CharArray* array, int32_t offset, int32_t count) {
    return insertCharRange(length, array, offset, count);
}

StringBuffer* StringBuffer::deleteRange(int32_t start, int32_t end) {
    if (start < 0) {
        app()->reportError("delete OOB");
        return this;
    }
    end = std::min(end, length);
    if (end <= start) return this;
    copyUnits(chars + start, chars + end, length - end);
    length -= end - start;
    chars[length] = 0;
    return this;
}

StringBuffer* StringBuffer::deleteCharAt(int32_t i) {
    if (i < 0 || i >= length) {
        app()->reportError("delete OOB");
        return this;
    }
    return deleteRange(i, i + 1);
}

StringBuffer* StringBuffer::reverse() {
    if (length < 2) return this;
    std::reverse(chars, chars + length);
    // Reversing turned each surrogate pair around; put the pairs back in order.
    for (int32_t i = 0; i + 1 < length; ++i) {
        if (isLowSurrogate(chars[i]) && isHighSurrogate(chars[i + 1])) {
            std::swap(chars[i], chars[i + 1]);
            ++i;
        }
    }
    return this;
}

void StringBuffer::getChars(int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin) {
    if (!mrc::charCopyOk(length, srcBegin, srcEnd, destination, destBegin, "getChars OOB")) return;
    copyUnits(destination->elements() + destBegin, chars + srcBegin, srcEnd - srcBegin);
}

namespace mrc {

StringBuffer* newStringBuffer(int32_t capacity) {
    StringBuffer* buffer = newObject<StringBuffer>();
    if (buffer) buffer->init(capacity);
    return buffer;
}

int formatFloat(char* out, double value) {
    int n = std::snprintf(out, 400, "%f", value);
    return n < 0 ? 0 : std::min(n, 399);
}

bool charCopyOk(int32_t count, int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin,
                const char* tag) {
    Application* a = ApplicationImpl::getApplication();
    if (isNull(destination)) {
        a->reportError("NullPointer");
        return false;
    }
    if (srcBegin < 0 || srcEnd > count || srcBegin > srcEnd) {
        a->reportError(tag);
        return false;
    }
    if (destBegin < 0 || int64_t{destBegin} + (srcEnd - srcBegin) > std::max(destination->length, 0)) {
        raise(kClass_java_lang_ArrayIndexOutOfBoundsException);
        return false;
    }
    return true;
}

}  // namespace mrc
