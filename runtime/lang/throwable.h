// java.lang.Throwable and the whole tree of exception classes. Every exception class shares
// Throwable's virtual table and adds no fields, so one C++ class serves them all, stamped with
// the class id of the exception it is; instanceof works on the class ids.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;

class java_lang_Throwable : public Object {
public:
    MRC_CLASS(java_lang_Throwable, Object);
    MRC_REF_FIELDS(&java_lang_Throwable::message, &java_lang_Throwable::stackTrace);

    // String constants of the messages.
    static constexpr int32_t kDefaultMessageConstant = 1;
    static constexpr int32_t kIndexMessageConstant = 583;

    // The constructors. Without arguments the message is string constant 1 (null while the
    // constants are not loaded); java_util_EmptyStackException, java_io_EOFException and
    // java_io_UTFDataFormatException have only this one.
    void init();
    void init(String* text);
    // java_lang_ArrayIndexOutOfBoundsException(int index): string constant 583, then the index.
    void initIndex(int32_t index);

    // toString() of an exception is its message alone, as is getMessage().
    String* toString() override { return message; }
    String* getMessage() { return message; }
    // The stack-trace field printed on System.err without a line end (System.err discards it).
    void printStackTrace();

    // Stores the stack-trace text and makes the throwable the pending exception. Every throw
    // goes through here.
    static void fillInStackTrace(java_lang_Throwable* throwable);

    String* message;
    String* stackTrace;
};

namespace mrc {

// A new exception object of `classId` with `message` (may be null), no constructor run; null
// when the heap is full.
java_lang_Throwable* newThrowable(uint16_t classId, String* message = nullptr);
// `new E()`: the default message.
java_lang_Throwable* newException(uint16_t classId);
// Creates the exception and raises it as the calling thread's pending exception: without a
// message through the constructor without arguments, otherwise with the message given.
void raise(uint16_t classId);
void raise(uint16_t classId, String* message);
void raise(uint16_t classId, const char* message);

}  // namespace mrc
