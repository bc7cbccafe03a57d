#include "runtime/lang/string.h"

#include <cstring>

#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

String::~String() {
    if (chars && chars != inlineBuffer) mrc::ApplicationImpl::getApplication()->objectManager->releaseBuffer(chars);
    chars = nullptr;
}

bool String::allocChars(int32_t n) {
    if (n + 1 < kInlineChars) {
        chars = inlineBuffer;
    } else {
        auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
        chars = static_cast<char16_t*>(om->allocArrayData(n + 1, sizeof(char16_t)));
        if (!chars) return false;
        om->registerMovable(this, reinterpret_cast<void**>(&chars));
    }
    length = n + 1;
    return true;
}

void String::initFromCString(const char* text) {
    int32_t n = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (!allocChars(n)) return;
    for (int32_t i = 0; i < n; ++i) chars[i] = static_cast<unsigned char>(text[i]);
    chars[n] = 0;
}

void String::initFromUnits(const char16_t* units, int32_t n) {
    if (n < 0) n = 0;
    if (!allocChars(n)) return;
    if (n) std::memcpy(chars, units, static_cast<std::size_t>(n) * sizeof(char16_t));
    chars[n] = 0;
}

bool String::equals(Object* other) {
    if (isNull(other) || other->m_classId != mrc::kClass_String) return false;
    if (other == this) return true;
    auto* o = static_cast<String*>(other);
    if (o->count() != count()) return false;
    return count() == 0 || std::memcmp(chars, o->chars, static_cast<std::size_t>(count()) * sizeof(char16_t)) == 0;
}

int32_t String::hashCode() {
    int32_t h = 0;
    for (int32_t i = 0, n = count(); i < n; ++i) h = 31 * h + chars[i];
    return h;
}

namespace mrc {

String* newString(const char* text) {
    String* s = newObject<String>();
    if (s) s->initFromCString(text);
    return s;
}

String* newString(const char16_t* units, int32_t count) {
    String* s = newObject<String>();
    if (s) s->initFromUnits(units, count);
    return s;
}

}  // namespace mrc
