// The natives of java.lang.System that belong to the array and memory family.
#pragma once

#include <cstdint>

class Object;

class java_lang_System {
public:
    // Copies `length` elements, overlapping ranges of one array included. As the API says: a null
    // array is reported ("NullPointer"); arrays of different types, or an object that is no
    // array, raise java_lang_ArrayStoreException; a range outside either array raises
    // java_lang_ArrayIndexOutOfBoundsException. In each of these cases nothing is copied.
    static void arraycopy(Object* source, int32_t sourcePosition, Object* destination, int32_t destinationPosition,
                          int32_t length);
    // A collection unless one ran within the last 200 ms.
    static void gc();
};
