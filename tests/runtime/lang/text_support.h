// Small helpers of the text tests: Java strings from and to C++ text.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"

namespace mrc::test {

inline String* str(std::u16string_view u) { return mrc::newString(u.data(), static_cast<int32_t>(u.size())); }

inline std::u16string units(String* s) {
    if (!s) return u"<null>";
    return s->chars ? std::u16string(s->chars, static_cast<std::size_t>(s->count())) : std::u16string();
}

inline std::string narrow(String* s) { return s ? s->toStdString() : "<null>"; }

inline std::u16string wide(std::string_view text) {
    std::u16string out;
    for (unsigned char c : text) out.push_back(c);
    return out;
}

// The units as four hex digits each, "_" for none.
inline std::string hexUnits(std::u16string_view u) {
    std::string out;
    for (char16_t c : u) {
        char b[5];
        std::snprintf(b, sizeof b, "%04x", static_cast<unsigned>(c));
        out += b;
    }
    return out.empty() ? "_" : out;
}

inline ByteArray* byteArray(std::string_view raw) {
    ByteArray* bytes = ApplicationImpl::getApplication()->objectManager->newByteArray(static_cast<int32_t>(raw.size()));
    for (std::size_t i = 0; i < raw.size(); ++i) bytes->elements()[i] = static_cast<int8_t>(raw[i]);
    return bytes;
}

inline String* fromEncoded(std::string_view raw, const char* encoding) {
    ByteArray* bytes = byteArray(raw);
    String* name = encoding ? mrc::newString(encoding) : nullptr;
    String* s = mrc::newObject<String>();
    s->initFromEncoded(bytes, name);
    return s;
}

inline String* fromUtf8Bytes(std::string_view raw) { return fromEncoded(raw, "UTF-8"); }

inline StringBuffer* buffer(std::u16string_view u) {
    String* s = str(u);
    StringBuffer* b = mrc::newObject<StringBuffer>();
    b->initFromString(s);
    return b;
}

}  // namespace mrc::test
