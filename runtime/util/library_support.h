// Small shared steps of the java.io and java.util classes: the pending-exception test after a
// call that may throw, null reports, raising with a string-constant message, and range checks.
#pragma once

#include <cstdint>

class JArray;
class Object;
class String;

namespace mrc::lib {

// The calling thread has a pending exception: the test a caller makes after each call of a
// method that may throw.
bool exceptionPending();
// Drops the pending exception when it is one of `classId` (or a subclass); true when it did.
bool dropPending(uint16_t classId);

// A null reference met by library code: reported ("NullPointer"), nothing raised. True for null
// (and swept) objects, so callers write `if (lib::isNullReported(x)) return ...;`.
bool isNullReported(const Object* object);

// String constant n, or null while the constants are not loaded.
String* constant(int32_t n);
// Raises `classId` with string constant n as its message.
void raiseWithConstant(uint16_t classId, int32_t n);
// Raises `classId` whose message is string constant n followed by `value` in decimal.
void raiseWithConstantAndValue(uint16_t classId, int32_t n, int32_t value);
// java_lang_ArrayIndexOutOfBoundsException(index): its message is a constant and the index.
void raiseArrayIndex(int32_t index);

// A range [offset, offset + length) of an array: null is reported; a range outside it raises
// java_lang_IndexOutOfBoundsException. False in both cases.
bool rangeOk(JArray* array, int32_t offset, int32_t length);

}  // namespace mrc::lib
