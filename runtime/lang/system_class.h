// The static state of java.lang.System (its natives are in system.h): System.out and System.err,
// one PrintStream over the console stream, which discards what it is given, and the system
// property table that the property query reads.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;
class java_io_PrintStream;
class java_util_Hashtable;

namespace mrc {

struct SystemStatics {
    java_io_PrintStream* out;
    java_io_PrintStream* err;
    java_util_Hashtable* properties;
    MRC_REF_FIELDS(&SystemStatics::out, &SystemStatics::err, &SystemStatics::properties);
};
extern SystemStatics systemStatics;

// The one entry of the property table: key and value string constants.
inline constexpr int32_t kSystemPropertyKeyConstant = 586;
inline constexpr int32_t kSystemPropertyValueConstant = 587;
inline constexpr int32_t kSystemPropertyCapacity = 11;

// The static initialiser of java.lang.System, the first of all.
void initSystemStatics();
// print(text) on System.err; an IOException of the stream is dropped.
void printOnSystemErr(String* text);

}  // namespace mrc
