// java.lang.StringBuffer, implemented natively: a UTF-16 buffer on the data heap (owner slot
// `chars`), its capacity and the characters in use. Whenever the capacity exceeds the length,
// the character after the last one is 0. Every append and insert goes through one insertion
// routine; append is insert at the current length.
//
// Positions the Java API would reject are reported with a tag and the stack trace
// ("insert OOB", "delete OOB", ...) and change nothing.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class CharArray;
class String;

class StringBuffer : public Object {
public:
    MRC_CLASS(StringBuffer, Object);
    static constexpr int32_t kDefaultCapacity = 16;  // the buffers of string concatenations

    ~StringBuffer() override;
    // A new String of the `length` characters.
    String* toString() override;

    // StringBuffer(int): no buffer for a capacity of 0 or less.
    void init(int32_t capacity = kDefaultCapacity);
    // StringBuffer(String): capacity count + 1, the characters copied.
    void initFromString(String* text);

    // Grows to max(minimum, 2 × capacity) when the capacity is below `minimum`.
    void ensureCapacity(int32_t minimum);
    // Cuts, or grows with 0 characters.
    void setLength(int32_t n);
    char16_t charAt(int32_t i);
    void setCharAt(int32_t i, char16_t c);

    // Inserts `count` units, which must not lie on the data heap (growing may move them).
    StringBuffer* insertChars(int32_t offset, const char16_t* units, int32_t count);

    // Text forms: null String and null Object as "null"; booleans "true"/"false"; int "%d";
    // long in decimal; float and double "%f" (six decimals); C strings as their bytes.
    StringBuffer* appendString(String* s);
    StringBuffer* appendObject(Object* o);
    StringBuffer* appendBool(bool b);
    StringBuffer* appendChar(char16_t c);
    StringBuffer* appendInt(int32_t i);
    StringBuffer* appendLong(int64_t l);
    StringBuffer* appendFloat(float f);
    StringBuffer* appendDouble(double d);
    StringBuffer* appendCString(const char* text);
    StringBuffer* appendChars(CharArray* chars);
    StringBuffer* appendChars(CharArray* chars, int32_t offset, int32_t count);

    StringBuffer* insertString(int32_t offset, String* s);
    StringBuffer* insertObject(int32_t offset, Object* o);
    StringBuffer* insertBool(int32_t offset, bool b);
    StringBuffer* insertChar(int32_t offset, char16_t c);
    StringBuffer* insertInt(int32_t offset, int32_t i);
    StringBuffer* insertLong(int32_t offset, int64_t l);
    StringBuffer* insertFloat(int32_t offset, float f);
    StringBuffer* insertDouble(int32_t offset, double d);
    StringBuffer* insertCString(int32_t offset, const char* text);
    StringBuffer* insertChars(int32_t offset, CharArray* chars);

    // delete(start, end): end is cut to the length; nothing happens unless end > start.
    StringBuffer* deleteRange(int32_t start, int32_t end);
    StringBuffer* deleteCharAt(int32_t i);
    // Reverses in place; a surrogate pair stays one character.
    StringBuffer* reverse();
    void getChars(int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin);

    char16_t* chars;
    int32_t capacity;
    int32_t length;

private:
    // Opens a gap of `count` characters at `offset` (growing when needed) and returns it, or null
    // when the offset is bad. Valid until the next allocation.
    char16_t* makeRoom(int32_t offset, int32_t count);
    StringBuffer* insertAscii(int32_t offset, const char* text);
    StringBuffer* insertCharRange(int32_t offset, CharArray* chars, int32_t from, int32_t count);
};

namespace mrc {
// A new StringBuffer of the given capacity; null when the object heap is exhausted.
StringBuffer* newStringBuffer(int32_t capacity = StringBuffer::kDefaultCapacity);

// Writes `value` in a Java text form into `out` (at least 400 bytes); returns the length.
int formatFloat(char* out, double value);  // "%f"

// Checks a copy of characters srcBegin..srcEnd − 1 of a text of `count` characters into a
// CharArray from destBegin on: "NullPointer" for a null destination, `tag` for a bad source range,
// java_lang_ArrayIndexOutOfBoundsException for a destination range outside the array.
bool charCopyOk(int32_t count, int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin,
                const char* tag);
}  // namespace mrc
