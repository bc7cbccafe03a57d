// java.lang.String, implemented natively: UTF-16 characters, short strings inline, longer ones in
// a data-heap buffer whose owner slot is `chars`. `length` counts the characters plus the
// terminating 0 character.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String : public Object {
public:
    MRC_CLASS(String, Object);
    static constexpr int kInlineChars = 16;

    ~String() override;
    bool equals(Object* other) override;
    String* toString() override { return this; }
    int32_t hashCode() override;

    // Fills a freshly created String from a NUL-terminated byte string (ISO-8859-1).
    void initFromCString(const char* text);
    // Fills a freshly created String from `count` UTF-16 units.
    void initFromUnits(const char16_t* units, int32_t count);

    int32_t count() const { return length > 0 ? length - 1 : 0; }
    char16_t charAtUnchecked(int32_t i) const { return chars[i]; }

    char16_t inlineBuffer[kInlineChars];
    char16_t* chars;
    int32_t length;

private:
    // Points `chars` at storage for count + 1 units (inline or data heap), zeroed.
    bool allocChars(int32_t count);
};

namespace mrc {
// A new String of a C string's bytes (ISO-8859-1); null when the object heap is exhausted.
String* newString(const char* text);
String* newString(const char16_t* units, int32_t count);
}  // namespace mrc
