// The natives of java.lang.System: array copies, collection, the clocks and the property query.
#pragma once

#include <cstdint>

class Object;
class String;

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

    // The tick count: milliseconds since the device started, not the time of day.
    static int64_t currentTimeMillis();
    // The time of day in whole seconds since 1970, as milliseconds (the calendar classes' clock).
    static int64_t wallClockMillis();
    // "microedition.media.version" is "1.0"; any other key is looked up in the System class's
    // property table. A key not found gives "PROPERTY VALUE EMPTY", never null.
    static String* getProperty(String* key);
};
