// java.lang.String, implemented natively: UTF-16 characters, short strings inline, longer ones in
// a data-heap buffer whose owner slot is `chars`. `length` counts the characters plus the
// terminating 0 character.
//
// Every operation that allocates may move the characters of every String and array on the data
// heap: the code here re-reads `chars` and `data` after each allocation, and callers must too.
// Bad positions never reach outside the characters: where the Java API would throw, the call is
// reported with a tag and the stack trace ("charAt OOB", "substring OOB", ...) and its range is
// cut to the characters there are.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/object.h"

class ByteArray;
class CharArray;
class StringBuffer;

class String : public Object {
public:
    MRC_CLASS(String, Object);
    static constexpr int kInlineChars = 16;

    ~String() override;
    bool equals(Object* other) override;
    String* toString() override { return this; }
    int32_t hashCode() override;

    // ---- construction: each fills a freshly created String (mrc::newObject<String>()) ----
    void initEmpty();
    // A NUL-terminated byte string, ISO-8859-1.
    void initFromCString(const char* text);
    // `count` UTF-16 units, which must not lie on the data heap (the allocation may move them).
    void initFromUnits(const char16_t* units, int32_t count);
    // A 0-terminated UTF-16 string off the data heap.
    void initFromWide(const char16_t* text);
    // String(char[], int, int) and String(char[]).
    void initFromChars(CharArray* chars, int32_t offset, int32_t count);
    void initFromChars(CharArray* chars);
    // The copy constructor: always a buffer of its own.
    void initFromString(String* other);
    // The buffer's `length` characters.
    void initFromStringBuffer(StringBuffer* buffer);
    // ISO-8859-1: each byte is the character of the same value.
    void initFromBytes(ByteArray* bytes, int32_t offset, int32_t length);
    void initFromBytes(ByteArray* bytes);
    // A named encoding: null is ISO-8859-1; otherwise the name is matched (as a prefix, see
    // equalsCString) against "UTF-8" and "UTF8" ignoring ASCII case, then "ISO-8859-1" and "SJIS".
    // An unknown name is reported and gives the empty string.
    void initFromEncoded(ByteArray* bytes, int32_t offset, int32_t length, String* encoding);
    void initFromEncoded(ByteArray* bytes, String* encoding);
    // UTF-8 bytes off the data heap (resource texts of the natives).
    void initFromUtf8(const char* bytes, int32_t length);
    // The bytes of the range up to its first zero byte, ISO-8859-1.
    void initFromCBytes(ByteArray* bytes, int32_t offset, int32_t length);

    // ---- String.valueOf ----
    static String* valueOfChar(char16_t c);
    static String* valueOfInt(int32_t i);                // "%d"
    static String* valueOfLong(int64_t l);               // decimal
    static String* valueOfBoolean(bool b);               // "true" / "false"
    static String* valueOfFloat(float f);                // "%f"
    static String* valueOfDouble(double d);              // "%f"
    static String* valueOfObject(Object* object);        // its toString(), "null" for null
    static String* valueOfChars(CharArray* chars, int32_t offset, int32_t count);

    // ---- characters ----
    int32_t count() const { return length > 0 ? length - 1 : 0; }
    char16_t charAtUnchecked(int32_t i) const { return chars[i]; }
    // 0 and a "charAt OOB" report outside the characters.
    char16_t charAt(int32_t i);

    // ---- conversions ----
    // Each character's low 8 bits.
    ByteArray* getBytes();
    // "UTF-8"/"UTF8": modified UTF-8 (0 and 0x80-0x7FF in two bytes, the rest of the units in
    // three). Null (and a report) for any other name, the decoders' ISO-8859-1 and SJIS
    // included: only UTF-8 is written.
    ByteArray* getBytes(String* encoding);
    ByteArray* getBytes(const char* encoding);
    // count + 1 bytes: the characters' low bytes and a final 0, for natives that want a C string.
    ByteArray* toCString();
    CharArray* toCharArray();
    // Characters srcBegin to srcEnd − 1 into the array from destBegin on.
    void getChars(int32_t srcBegin, int32_t srcEnd, CharArray* destination, int32_t destBegin);
    // For the runtime's own use (paths, names, log lines): no Java allocation.
    std::string toStdString() const;  // low bytes
    std::string toUtf8() const;       // standard UTF-8, surrogate pairs joined

    // ---- comparison and search ----
    int32_t compareTo(String* other);
    bool equalsIgnoreCase(String* other);  // ASCII letters fold
    int32_t indexOf(int32_t ch, int32_t from = 0);
    int32_t lastIndexOf(int32_t ch);
    int32_t lastIndexOf(int32_t ch, int32_t from);
    int32_t indexOfString(String* other, int32_t from = 0);
    bool startsWith(String* prefix, int32_t offset = 0);
    bool endsWith(String* suffix);
    bool regionMatches(bool ignoreCase, int32_t offset, String* other, int32_t otherOffset, int32_t len);
    // Comparisons with C text used by the runtime: true when every character equals the text's
    // byte at its place, so a String that begins a longer text matches it ("UTF" matches
    // "UTF-8") and the empty String matches any text; false when the text ends first.
    bool equalsCString(const char* text) const;
    bool equalsIgnoreCaseCString(const char* text) const;
    bool equalsIgnoreCaseWide(const char16_t* text) const;

    // ---- new strings ----
    String* substring(int32_t begin, int32_t end);
    String* substringFrom(int32_t begin);
    String* concat(String* other);                      // this when other is empty
    String* replace(char16_t oldChar, char16_t newChar);  // this when nothing changes
    String* toLowerCase();                              // always new; 'A'-'Z' only
    String* toUpperCase();                              // always new; 'a'-'z' only
    String* trim();                                     // this when nothing is cut
    String* intern() { return this; }

    // Points `chars` of a fresh String at zeroed storage for count + 1 units (inline or data
    // heap); false, with length 0, when there is no storage.
    bool allocChars(int32_t count);

    char16_t inlineBuffer[kInlineChars];
    char16_t* chars;
    int32_t length;

private:
    // Fills from bytes through the shared decode buffer; `decode` turns bytes into units.
    using Decoder = int32_t (*)(const uint8_t* in, int32_t count, char16_t* out);
    void initDecoded(ByteArray* array, const char* raw, int32_t offset, int32_t count, Decoder decode);
};

namespace mrc {
// A new String of a C string's bytes (ISO-8859-1); null when the object heap is exhausted.
String* newString(const char* text);
// A new String of UTF-16 units off the data heap.
String* newString(const char16_t* units, int32_t count);
// A new String of `count` characters, all 0, to be filled by the caller before it allocates again.
String* newStringOfCount(int32_t count);
}  // namespace mrc
