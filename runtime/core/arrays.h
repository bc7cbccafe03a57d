// The nine array classes. Each is a JArray whose element buffer (length × element size bytes)
// lives on the movable data heap, or on the process heap when the data heap is full; `data` is
// the buffer's owner slot. Create them through ObjectManager::new*Array.
#pragma once

#include <cstdint>

#include "runtime/core/array_base.h"

class String;

namespace mrc {

// Element size of an array class id (4-12), 0 for any other id. References are pointer-sized.
int32_t arrayElementSize(uint16_t classId);
bool isArrayClass(uint16_t classId);

// The array constructor: stores the length and gives a positive length its zeroed buffer. A
// negative length is reported ("length of array should be >= 0") and leaves the array without a
// buffer. False when the buffer's byte size overflows (treated as exhausted memory).
bool initArray(JArray* array, int32_t length);
// The destructor's part: returns the buffer to whichever heap holds it.
void releaseArrayData(JArray* array);

template <class E, uint16_t Id>
class TypedArray : public JArray {
public:
    using Base = JArray;
    using Element = E;
    static constexpr uint16_t kClassId = Id;

    ~TypedArray() override { releaseArrayData(this); }
    int32_t elementSize() override { return static_cast<int32_t>(sizeof(E)); }

    bool init(int32_t n) { return initArray(this, n); }
    // The buffer as it is now; compaction may move it at any allocation.
    E* elements() { return static_cast<E*>(data); }
};

}  // namespace mrc

class ObjectArray : public mrc::TypedArray<Object*, mrc::kClass_ObjectArray> {};
class BoolArray : public mrc::TypedArray<uint8_t, mrc::kClass_BoolArray> {};
class ByteArray : public mrc::TypedArray<int8_t, mrc::kClass_ByteArray> {};
class ShortArray : public mrc::TypedArray<int16_t, mrc::kClass_ShortArray> {};
class IntArray : public mrc::TypedArray<int32_t, mrc::kClass_IntArray> {};
class Long64Array : public mrc::TypedArray<int64_t, mrc::kClass_Long64Array> {};
class FloatArray : public mrc::TypedArray<float, mrc::kClass_FloatArray> {};
class DoubleArray : public mrc::TypedArray<double, mrc::kClass_DoubleArray> {};

class CharArray : public mrc::TypedArray<char16_t, mrc::kClass_CharArray> {
public:
    // The characters up to the first 0 character (all of them when there is none).
    String* toString() override;
};

namespace mrc {

// Element i of a reference array as T, or null when the array is null, i lies outside it or the
// element is null; never reported. For readers of optional tables, where a miss is an answer.
template <class T>
T* elementOrNull(ObjectArray* a, int32_t i) {
    if (isNull(a) || i < 0 || i >= a->length) return nullptr;
    auto* e = static_cast<T*>(a->elements()[i]);
    return isNull(e) ? nullptr : e;
}

}  // namespace mrc
