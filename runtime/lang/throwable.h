// java.lang.Throwable and the whole tree of exception classes. Every exception class shares
// Throwable's virtual table and adds no fields, so one C++ class serves them all, stamped with
// the class id of the exception it is; instanceof works on the class ids.
#pragma once

#include "runtime/core/object.h"

class String;

class java_lang_Throwable : public Object {
public:
    MRC_CLASS(java_lang_Throwable, Object);
    MRC_REF_FIELDS(&java_lang_Throwable::message, &java_lang_Throwable::stackTrace);

    // toString() of an exception is its message alone.
    String* toString() override { return message; }

    // Stores the stack-trace text and makes the throwable the pending exception. Every throw
    // goes through here.
    static void fillInStackTrace(java_lang_Throwable* throwable);

    String* message;
    String* stackTrace;
};

namespace mrc {

// A new exception object of `classId` with `message` (may be null); null when the heap is full.
java_lang_Throwable* newThrowable(uint16_t classId, String* message = nullptr);
// Creates the exception and raises it as the calling thread's pending exception.
void raise(uint16_t classId, String* message = nullptr);
void raise(uint16_t classId, const char* message);

}  // namespace mrc
