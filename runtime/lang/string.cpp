#include "runtime/lang/string.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/string_buffer.h"

namespace {

using mrc::Application;
using mrc::ObjectManager;

Application* app() { return mrc::ApplicationImpl::getApplication(); }
ObjectManager* om() { return app()->objectManager; }

constexpr int32_t kDecodeCapacity = 256;
// A decode buffer grown past this for one long text is dropped afterwards, not kept as a root.
constexpr int32_t kDecodeKeepLimit = 4096;
constexpr char16_t kReplacement = 0xFFFD;

char16_t lowerAscii(char16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c; }
char16_t upperAscii(char16_t c) { return c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - 32) : c; }
bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Units the next allocation could move (they lie on the data heap) are copied aside first.
template <class C>
const C* stable(const C* p, std::size_t n, std::basic_string<C>& keep) {
    if (p && om()->dataHeap()->contains(p)) {
        keep.assign(p, n);
        return keep.data();
    }
    return p;
}

// A range of an array argument: "NullPointer" for a null array; a range outside it is reported
// with `tag` and cut to the elements there are.
bool rangeOk(JArray* array, int32_t& offset, int32_t& count, const char* tag) {
    if (isNull(array)) {
        app()->reportError("NullPointer");
        return false;
    }
    int64_t n = std::max(array->length, 0);
    if (offset < 0 || count < 0 || offset + static_cast<int64_t>(count) > n) {
        app()->reportError(tag);
        offset = static_cast<int32_t>(std::clamp<int64_t>(offset, 0, n));
        count = static_cast<int32_t>(std::clamp<int64_t>(count, 0, n - offset));
    }
    return true;
}

// UTF-8 as the strings of the game carry it: one to three bytes per unit (the two-byte 0 of
// modified UTF-8 included), four-byte sequences as surrogate pairs. A byte that starts no
// complete sequence yields U+FFFD and the decoder moves on by that one byte.
int32_t decodeUtf8(const uint8_t* in, int32_t n, char16_t* out) {
    int32_t i = 0, o = 0;
    while (i < n) {
        uint32_t b = in[i];
        auto cont = [&](int k) { return i + k < n && isContinuation(in[i + k]); };
        if (b < 0x80) {
            out[o++] = static_cast<char16_t>(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && cont(1)) {
            out[o++] = static_cast<char16_t>((b & 0x1F) << 6 | (in[i + 1] & 0x3F));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && cont(1) && cont(2)) {
            out[o++] = static_cast<char16_t>((b & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 | (in[i + 2] & 0x3F));
            i += 3;
        } else if ((b & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
            uint32_t cp = (b & 0x07) << 18 | (in[i + 1] & 0x3Fu) << 12 | (in[i + 2] & 0x3Fu) << 6 | (in[i + 3] & 0x3Fu);
            if (cp >= 0x10000 && cp <= 0x10FFFF) {
                cp -= 0x10000;
                out[o++] = static_cast<char16_t>(0xD800 | cp >> 10);
                out[o++] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
            } else {
                out[o++] = kReplacement;
            }
            i += 4;
        } else {
            out[o++] = kReplacement;
            i += 1;
        }
    }
    return o;
}

// Shift-JIS kept as raw double-byte codes: a lead byte (0x80-0x9F, 0xE0-0xFF) and its trail
// byte give lead × 256 + trail; a lead byte without a trail, and every other byte, stand alone.
int32_t decodeSjis(const uint8_t* in, int32_t n, char16_t* out) {
    int32_t i = 0, o = 0;
    while (i < n) {
        uint32_t b = in[i];
        bool lead = (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
        if (lead && i + 1 < n) {
            out[o++] = static_cast<char16_t>(b << 8 | in[i + 1]);
            i += 2;
        } else {
            out[o++] = static_cast<char16_t>(b);
            i += 1;
        }
    }
    return o;
}

enum class Encoding { kLatin1, kUtf8, kSjis, kUnknown };

// The runtime's comparison with C text: every unit equals the text's byte at its place; the
// text ending first is a mismatch, so a name that begins the text matches it.
template <class Text>
bool beginsText(const char16_t* units, int32_t n, const Text* text, bool ignoreCase) {
    if (!text) return n == 0;
    for (int32_t i = 0; i < n; ++i) {
        auto t = static_cast<char16_t>(static_cast<std::make_unsigned_t<Text>>(text[i]));
        if (t == 0) return false;
        char16_t c = units[i];
        if (ignoreCase ? lowerAscii(c) != lowerAscii(t) : c != t) return false;
    }
    return true;
}

Encoding encodingOf(const char16_t* name, int32_t n) {
    if (beginsText(name, n, "UTF-8", true) || beginsText(name, n, "UTF8", true)) return Encoding::kUtf8;
    if (beginsText(name, n, "ISO-8859-1", false)) return Encoding::kLatin1;
    if (beginsText(name, n, "SJIS", false)) return Encoding::kSjis;
    return Encoding::kUnknown;
}

Encoding encodingOf(const String* name) {
    return isNull(name) ? Encoding::kLatin1 : encodingOf(name->chars, name->count());
}

void logUnknownEncoding(const String* name) {
    mrc_log("String: unsupported encoding \"%s\"", name->toStdString().c_str());
}

// The shared decode buffer is taken by one decode at a time; a decode on another thread meanwhile
// uses a buffer of its own.
std::atomic<bool> g_decodeBufferBusy{false};

StringBuffer* claimDecodeBuffer(int32_t capacity, bool& shared) {
    bool expected = false;
    shared = g_decodeBufferBusy.compare_exchange_strong(expected, true);
    StringBuffer* buffer;
    if (shared) {
        buffer = static_cast<StringBuffer*>(app()->decodeBuffer);
        if (isNull(buffer)) {
            buffer = mrc::newStringBuffer(kDecodeCapacity);
            app()->decodeBuffer = buffer;
        }
    } else {
        buffer = mrc::newStringBuffer(0);
    }
    if (buffer) {
        buffer->setLength(0);
        buffer->ensureCapacity(capacity);
    }
    return buffer;
}

void releaseDecodeBuffer(StringBuffer* buffer, bool shared) {
    if (!shared) return;
    if (buffer && buffer->capacity > kDecodeKeepLimit) app()->decodeBuffer = nullptr;
    g_decodeBufferBusy.store(false);
}

int formatInto(char* out, std::size_t size, const char* format, auto value) {
    int n = std::snprintf(out, size, format, value);
    return n < 0 ? 0 : std::min(n, static_cast<int>(size) - 1);
}

}  // namespace

// ---- storage ------------------------------------------------------------------------------------

String::~String() {
    if (chars && chars != inlineBuffer) om()->releaseBuffer(chars);
    chars = nullptr;
}

bool String::allocChars(int32_t n) {
    if (n < 0) n = 0;
    if (n + 1 < kInlineChars) {
        chars = inlineBuffer;
    } else {
        if (n >= INT32_MAX - 1) {
            mrc_log("ERROR: Operator new failed: out of store.");
            chars = nullptr;
            length = 0;
            return false;
        }
        chars = static_cast<char16_t*>(om()->allocArrayData(n + 1, sizeof(char16_t)));
        if (!chars) {
            length = 0;
            return false;
        }
        om()->registerMovable(this, reinterpret_cast<void**>(&chars));
    }
    chars[n] = 0;
    length = n + 1;
    return true;
}

// ---- construction -------------------------------------------------------------------------------

void String::initEmpty() { allocChars(0); }

void String::initFromCString(const char* text) {
    std::size_t n = text ? std::strlen(text) : 0;
    std::string keep;
    text = stable(text, n, keep);
    if (!allocChars(static_cast<int32_t>(std::min<std::size_t>(n, INT32_MAX - 1)))) return;
    for (int32_t i = 0; i < count(); ++i) chars[i] = static_cast<unsigned char>(text[i]);
}

void String::initFromUnits(const char16_t* units, int32_t n) {
    if (n < 0 || !units) n = 0;
    std::u16string keep;
    units = stable(units, static_cast<std::size_t>(n), keep);
    if (!allocChars(n)) return;
    if (n) std::memcpy(chars, units, static_cast<std::size_t>(n) * sizeof(char16_t));
}

void String::initFromWide(const char16_t* text) {
    int32_t n = 0;
    if (text)
        while (text[n] && n < INT32_MAX - 1) ++n;
    initFromUnits(text, n);
}

void String::initFromChars(CharArray* array, int32_t offset, int32_t n) {
    if (!rangeOk(array, offset, n, "String OOB")) {
        initEmpty();
        return;
    }
    if (!allocChars(n)) return;
    if (n) std::memcpy(chars, array->elements() + offset, static_cast<std::size_t>(n) * sizeof(char16_t));
}

void String::initFromChars(CharArray* array) { initFromChars(array, 0, isNull(array) ? 0 : std::max(array->length, 0)); }

void String::initFromString(String* other) {
    if (isNull(other)) {
        app()->reportError("NullPointer");
        initEmpty();
        return;
    }
    int32_t n = other->count();
    if (!allocChars(n)) return;
    if (n) std::memcpy(chars, other->chars, static_cast<std::size_t>(n) * sizeof(char16_t));
}

void String::initFromStringBuffer(StringBuffer* buffer) {
    if (isNull(buffer)) {
        app()->reportError("NullPointer");
        initEmpty();
        return;
    }
    int32_t n = buffer->chars ? std::clamp(buffer->length, 0, buffer->capacity) : 0;
    if (!allocChars(n)) return;
    if (n) std::memcpy(chars, buffer->chars, static_cast<std::size_t>(n) * sizeof(char16_t));
}

void String::initFromBytes(ByteArray* array, int32_t offset, int32_t n) {
    if (!rangeOk(array, offset, n, "String OOB")) {
        initEmpty();
        return;
    }
    if (!allocChars(n)) return;
    const auto* in = reinterpret_cast<const uint8_t*>(array->elements()) + offset;
    for (int32_t i = 0; i < n; ++i) chars[i] = in[i];
}

void String::initFromBytes(ByteArray* array) { initFromBytes(array, 0, isNull(array) ? 0 : std::max(array->length, 0)); }

void String::initFromEncoded(ByteArray* array, int32_t offset, int32_t n, String* encoding) {
    switch (encodingOf(encoding)) {
    case Encoding::kLatin1:
        initFromBytes(array, offset, n);
        return;
    case Encoding::kUtf8:
        if (rangeOk(array, offset, n, "String OOB")) initDecoded(array, nullptr, offset, n, decodeUtf8);
        else initEmpty();
        return;
    case Encoding::kSjis:
        if (rangeOk(array, offset, n, "String OOB")) initDecoded(array, nullptr, offset, n, decodeSjis);
        else initEmpty();
        return;
    case Encoding::kUnknown:
        logUnknownEncoding(encoding);
        initEmpty();
        return;
    }
}

void String::initFromEncoded(ByteArray* array, String* encoding) {
    initFromEncoded(array, 0, isNull(array) ? 0 : std::max(array->length, 0), encoding);
}

void String::initFromUtf8(const char* bytes, int32_t n) {
    if (!bytes || n < 0) n = 0;
    std::string keep;
    bytes = stable(bytes, static_cast<std::size_t>(n), keep);
    initDecoded(nullptr, bytes, 0, n, decodeUtf8);
}

void String::initFromCBytes(ByteArray* array, int32_t offset, int32_t n) {
    if (!rangeOk(array, offset, n, "String OOB")) {
        initEmpty();
        return;
    }
    const auto* in = reinterpret_cast<const uint8_t*>(array->elements()) + offset;
    int32_t end = 0;
    while (end < n && in[end] != 0) ++end;
    initFromBytes(array, offset, end);
}

// Decoding never yields more units than bytes, so a buffer of count + 1 units takes any input
// without growing while the bytes are read.
void String::initDecoded(ByteArray* array, const char* raw, int32_t offset, int32_t n, Decoder decode) {
    if (n >= INT32_MAX - 1) {
        mrc_log("ERROR: Operator new failed: out of store.");
        initEmpty();
        return;
    }
    bool shared = false;
    StringBuffer* buffer = claimDecodeBuffer(n + 1, shared);
    if (!buffer || buffer->capacity < n + 1) {
        releaseDecodeBuffer(buffer, shared);
        initEmpty();
        return;
    }
    // Read the bytes only now: claiming the buffer may have moved them.
    const auto* in = array ? reinterpret_cast<const uint8_t*>(array->elements()) + offset
                           : reinterpret_cast<const uint8_t*>(raw) + offset;
    int32_t produced = n > 0 ? decode(in, n, buffer->chars) : 0;
    buffer->length = produced;
    buffer->chars[produced] = 0;
    initFromStringBuffer(buffer);
    releaseDecodeBuffer(buffer, shared);
}

// ---- valueOf ------------------------------------------------------------------------------------

String* String::valueOfChar(char16_t c) { return mrc::newString(&c, 1); }

String* String::valueOfInt(int32_t i) {
    char text[16];
    formatInto(text, sizeof text, "%d", i);
    return mrc::newString(text);
}

String* String::valueOfLong(int64_t l) {
    char text[24];
    formatInto(text, sizeof text, "%" PRId64, l);
    return mrc::newString(text);
}

String* String::valueOfBoolean(bool b) { return mrc::newString(b ? "true" : "false"); }

String* String::valueOfFloat(float f) { return valueOfDouble(f); }

String* String::valueOfDouble(double d) {
    char text[400];
    mrc::formatFloat(text, d);
    return mrc::newString(text);
}

String* String::valueOfObject(Object* object) {
    String* s = isNull(object) ? nullptr : object->toString();
    return isNull(s) ? mrc::newString("null") : s;
}

String* String::valueOfChars(CharArray* array, int32_t offset, int32_t n) {
    String* s = mrc::newObject<String>();
    if (s) s->initFromChars(array, offset, n);
    return s;
}

// ---- characters and conversions -----------------------------------------------------------------

char16_t String::charAt(int32_t i) {
    if (i < 0 || i >= count()) {
        app()->reportError("charAt OOB");
        return 0;
    }
    return chars[i];
}

ByteArray* String::getBytes() {
    ByteArray* bytes = om()->newByteArray(count());
    if (!bytes) return nullptr;
    for (int32_t i = 0, n = count(); i < n; ++i) bytes->elements()[i] = static_cast<int8_t>(chars[i]);
    return bytes;
}

ByteArray* String::getBytes(const char* encoding) {
    std::u16string name;
    if (encoding)
        for (const char* p = encoding; *p; ++p) name.push_back(static_cast<unsigned char>(*p));
    Encoding e = encoding ? encodingOf(name.data(), static_cast<int32_t>(name.size())) : Encoding::kUnknown;
    // Encoding writes UTF-8 only; no caller asks for another.
    if (e != Encoding::kUtf8) {
        mrc_log("String: unsupported encoding \"%s\"", encoding ? encoding : "(null)");
        return nullptr;
    }
    int64_t total = 0;
    for (int32_t i = 0, n = count(); i < n; ++i) {
        char16_t c = chars[i];
        if (e == Encoding::kSjis) total += c > 0xFF ? 2 : 1;
        else total += c == 0 ? 2 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
    if (total > INT32_MAX) {
        mrc_log("ERROR: Operator new failed: out of store.");
        return nullptr;
    }
    ByteArray* bytes = om()->newByteArray(static_cast<int32_t>(total));
    if (!bytes) return nullptr;
    auto* out = reinterpret_cast<uint8_t*>(bytes->elements());
    for (int32_t i = 0, n = count(); i < n; ++i) {
        char16_t c = chars[i];
        if (e == Encoding::kSjis) {
            if (c > 0xFF) *out++ = static_cast<uint8_t>(c >> 8);
            *out++ = static_cast<uint8_t>(c);
        } else if (c != 0 && c < 0x80) {
            *out++ = static_cast<uint8_t>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<uint8_t>(0xC0 | c >> 6);
            *out++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<uint8_t>(0xE0 | c >> 12);
            *out++ = static_cast<uint8_t>(0x80 | (c >> 6 & 0x3F));
            *out++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

ByteArray* String::getBytes(String* encoding) {
    if (isNull(encoding)) return getBytes();
    if (encodingOf(encoding) == Encoding::kUtf8) return getBytes("UTF-8");
    logUnknownEncoding(encoding);
    return nullptr;
}

ByteArray* String::toCString() {
    ByteArray* bytes = om()->newByteArray(count() + 1);
    if (!bytes) return nullptr;
    for (int32_t i = 0, n = count(); i < n; ++i) bytes->elements()[i] = static_cast<int8_t>(chars[i]);
    return bytes;
}

CharArray* String::toCharArray() {
    CharArray* array = om()->newCharArray(count());
    if (array && count()) std::memcpy(array->elements(), chars, static_cast<std::size_t>(count()) * sizeof(char16_t));
    return array;
}

void String::getChars(int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin) {
    if (!mrc::charCopyOk(count(), srcBegin, srcEnd, destination, destBegin, "getChars OOB")) return;
    // An empty range may meet an empty array, whose data is null: memcpy must not see it.
    if (srcEnd == srcBegin) return;
    std::memcpy(destination->elements() + destBegin, chars + srcBegin,
                static_cast<std::size_t>(srcEnd - srcBegin) * sizeof(char16_t));
}

std::string String::toStdString() const {
    std::string text(static_cast<std::size_t>(count()), '\0');
    for (int32_t i = 0; i < count(); ++i) text[static_cast<std::size_t>(i)] = static_cast<char>(chars[i]);
    return text;
}

std::string String::toUtf8() const {
    std::string text;
    for (int32_t i = 0, n = count(); i < n; ++i) {
        uint32_t c = chars[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && chars[i + 1] >= 0xDC00 && chars[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (chars[++i] - 0xDC00);
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            text.push_back(static_cast<char>(0xC0 | c >> 6));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            text.push_back(static_cast<char>(0xE0 | c >> 12));
            text.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            text.push_back(static_cast<char>(0xF0 | c >> 18));
            text.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

// ---- comparison and search ----------------------------------------------------------------------

bool String::equals(Object* other) {
    if (isNull(other) || other->m_classId != mrc::kClass_String) return false;
    if (other == this) return true;
    auto* o = static_cast<String*>(other);
    if (o->count() != count()) return false;
    return count() == 0 || std::memcmp(chars, o->chars, static_cast<std::size_t>(count()) * sizeof(char16_t)) == 0;
}

int32_t String::hashCode() {
    uint32_t h = 0;
    for (int32_t i = 0, n = count(); i < n; ++i) h = 31 * h + chars[i];
    return static_cast<int32_t>(h);
}

int32_t String::compareTo(String* other) {
    if (isNull(other)) {
        app()->reportError("NullPointer");
        return 0;
    }
    int32_t n = std::min(count(), other->count());
    for (int32_t i = 0; i < n; ++i)
        if (chars[i] != other->chars[i]) return chars[i] - other->chars[i];
    return count() - other->count();
}

bool String::equalsIgnoreCase(String* other) {
    if (isNull(other)) return false;
    return other == this || (other->count() == count() && regionMatches(true, 0, other, 0, count()));
}

int32_t String::indexOf(int32_t ch, int32_t from) {
    if (ch < 0 || ch > 0xFFFF) return -1;
    for (int32_t i = std::max(from, 0), n = count(); i < n; ++i)
        if (chars[i] == ch) return i;
    return -1;
}

int32_t String::lastIndexOf(int32_t ch) { return lastIndexOf(ch, count() - 1); }

int32_t String::lastIndexOf(int32_t ch, int32_t from) {
    if (ch < 0 || ch > 0xFFFF) return -1;
    for (int32_t i = std::min(from, count() - 1); i >= 0; --i)
        if (chars[i] == ch) return i;
    return -1;
}

int32_t String::indexOfString(String* other, int32_t from) {
    if (isNull(other)) {
        app()->reportError("NullPointer");
        return -1;
    }
    int32_t n = count(), m = other->count();
    if (from >= n) return m == 0 ? n : -1;
    from = std::max(from, 0);
    if (m == 0) return from;
    for (int32_t i = from; i <= n - m; ++i)
        if (std::memcmp(chars + i, other->chars, static_cast<std::size_t>(m) * sizeof(char16_t)) == 0) return i;
    return -1;
}

bool String::startsWith(String* prefix, int32_t offset) {
    if (isNull(prefix)) {
        app()->reportError("NullPointer");
        return false;
    }
    int32_t m = prefix->count();
    if (offset < 0 || offset > count() - m) return false;
    return m == 0 || std::memcmp(chars + offset, prefix->chars, static_cast<std::size_t>(m) * sizeof(char16_t)) == 0;
}

bool String::endsWith(String* suffix) {
    if (isNull(suffix)) {
        app()->reportError("NullPointer");
        return false;
    }
    return startsWith(suffix, count() - suffix->count());
}

bool String::regionMatches(bool ignoreCase, int32_t offset, String* other, int32_t otherOffset, int32_t len) {
    if (isNull(other)) {
        app()->reportError("NullPointer");
        return false;
    }
    if (otherOffset < 0 || offset < 0 || offset > static_cast<int64_t>(count()) - len ||
        otherOffset > static_cast<int64_t>(other->count()) - len)
        return false;
    for (int32_t i = 0; i < len; ++i) {
        char16_t a = chars[offset + i], b = other->chars[otherOffset + i];
        if (a != b && (!ignoreCase || lowerAscii(a) != lowerAscii(b))) return false;
    }
    return true;
}

bool String::equalsCString(const char* text) const { return beginsText(chars, count(), text, false); }
bool String::equalsIgnoreCaseCString(const char* text) const { return beginsText(chars, count(), text, true); }
bool String::equalsIgnoreCaseWide(const char16_t* text) const { return beginsText(chars, count(), text, true); }

// ---- new strings --------------------------------------------------------------------------------

String* String::substring(int32_t begin, int32_t end) {
    int32_t n = count();
    if (begin < 0 || end > n || begin > end) {
        app()->reportError("substring OOB");
        begin = std::clamp(begin, 0, n);
        end = std::clamp(end, begin, n);
    }
    String* s = mrc::newStringOfCount(end - begin);
    if (s && s->chars && end > begin)
        std::memcpy(s->chars, chars + begin, static_cast<std::size_t>(end - begin) * sizeof(char16_t));
    return s;
}

String* String::substringFrom(int32_t begin) { return substring(begin, count()); }

String* String::concat(String* other) {
    if (isNull(other)) {
        app()->reportError("NullPointer");
        return this;
    }
    int32_t m = other->count();
    if (m == 0) return this;
    if (static_cast<int64_t>(count()) + m >= INT32_MAX - 1) {
        mrc_log("ERROR: Operator new failed: out of store.");
        return this;
    }
    String* s = mrc::newStringOfCount(count() + m);
    if (!s || !s->chars) return s;
    std::memcpy(s->chars, chars, static_cast<std::size_t>(count()) * sizeof(char16_t));
    std::memcpy(s->chars + count(), other->chars, static_cast<std::size_t>(m) * sizeof(char16_t));
    return s;
}

String* String::replace(char16_t oldChar, char16_t newChar) {
    if (oldChar == newChar || indexOf(oldChar) < 0) return this;
    String* s = mrc::newStringOfCount(count());
    if (!s || !s->chars) return s;
    for (int32_t i = 0, n = count(); i < n; ++i) s->chars[i] = chars[i] == oldChar ? newChar : chars[i];
    return s;
}

String* String::toLowerCase() {
    String* s = mrc::newStringOfCount(count());
    if (!s || !s->chars) return s;
    for (int32_t i = 0, n = count(); i < n; ++i) s->chars[i] = lowerAscii(chars[i]);
    return s;
}

String* String::toUpperCase() {
    String* s = mrc::newStringOfCount(count());
    if (!s || !s->chars) return s;
    for (int32_t i = 0, n = count(); i < n; ++i) s->chars[i] = upperAscii(chars[i]);
    return s;
}

String* String::trim() {
    int32_t begin = 0, end = count();
    while (begin < end && chars[begin] <= 0x20) ++begin;
    while (end > begin && chars[end - 1] <= 0x20) --end;
    if (begin == 0 && end == count()) return this;
    return substring(begin, end);
}

namespace mrc {

String* newString(const char* text) {
    std::string keep;
    text = stable(text, text ? std::strlen(text) : 0, keep);
    String* s = newObject<String>();
    if (s) s->initFromCString(text);
    return s;
}

String* newString(const char16_t* units, int32_t count) {
    std::u16string keep;
    units = stable(units, units && count > 0 ? static_cast<std::size_t>(count) : 0, keep);
    String* s = newObject<String>();
    if (s) s->initFromUnits(units, count);
    return s;
}

String* newStringOfCount(int32_t count) {
    String* s = newObject<String>();
    if (s) s->allocChars(count);
    return s;
}

}  // namespace mrc
