// The common shape of the nine array classes: the header, the length, and the element buffer,
// which lives on the movable data heap with this `data` field as its owner slot.
#pragma once

#include <initializer_list>

#include "runtime/core/object.h"

// Abstract: each array class has its own id. `data` is not a reference field for the collector;
// only ObjectArray's elements are, and the marker visits those itself.
class JArray : public Object {
public:
    using Base = Object;
    virtual int32_t elementSize() = 0;  // slot 6

    // Element access for translated code. A null array is reported ("NullPointer"), an index
    // outside the array raises java_lang_ArrayIndexOutOfBoundsException, and an accessor whose
    // width is not the array's element size is reported ("array element size"); in each case
    // nothing is touched and a getter yields 0. The 4-byte accessors serve int and float arrays
    // alike, the 8-byte ones long and double arrays, the byte ones byte and boolean arrays.
    static int32_t getInt(JArray* array, int32_t index);
    static void setInt(JArray* array, int32_t index, int32_t value);
    static float getFloat(JArray* array, int32_t index);
    static void setFloat(JArray* array, int32_t index, float value);
    static int32_t getByte(JArray* array, int32_t index);   // sign-extended
    static void setByte(JArray* array, int32_t index, int32_t value);
    static int32_t getShort(JArray* array, int32_t index);  // sign-extended
    static void setShort(JArray* array, int32_t index, int32_t value);
    static int32_t getChar(JArray* array, int32_t index);   // zero-extended
    static void setChar(JArray* array, int32_t index, int32_t value);
    static int64_t getLong(JArray* array, int32_t index);
    static void setLong(JArray* array, int32_t index, int64_t value);
    static double getDouble(JArray* array, int32_t index);
    static void setDouble(JArray* array, int32_t index, double value);
    static Object* getRef(JArray* array, int32_t index);
    static void setRef(JArray* array, int32_t index, Object* value);

    // Array literals of static initialisers: stores the values (bytes and shorts truncated) into
    // elements 0, 1, ... of a fresh array and returns it. Values beyond the array's length are
    // not stored (java_lang_ArrayIndexOutOfBoundsException).
    static JArray* fillBytes(JArray* array, std::initializer_list<int32_t> values);
    static JArray* fillShorts(JArray* array, std::initializer_list<int32_t> values);
    static JArray* fillInts(JArray* array, std::initializer_list<int32_t> values);

    int32_t length;
    void* data;
};

namespace mrc {

// Checked element access: a null (or swept) array is reported as "NullPointer"; an index outside
// the array raises java_lang_ArrayIndexOutOfBoundsException as the pending exception. Either way
// the caller skips the access.
bool arrayAccessOk(JArray* array, int32_t index);

template <class T>
T* arrayElements(JArray* array) {
    return static_cast<T*>(array->data);
}

}  // namespace mrc
