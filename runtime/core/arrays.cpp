#include "runtime/core/arrays.h"

#include <cstring>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/operand_stack.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

namespace mrc {

namespace {

constexpr int32_t kElementSizes[] = {
    static_cast<int32_t>(sizeof(Object*)),  // ObjectArray
    1, 1, 2, 2, 4, 8, 4, 8,                 // Bool, Byte, Char, Short, Int, Long64, Float, Double
};

constexpr int kMaxDimensions = 255;  // the class-file limit of multianewarray

Application* app() { return ApplicationImpl::getApplication(); }
ObjectManager* om() { return app()->objectManager; }

template <class A>
A* newArray(int32_t length) {
    A* array = newObject<A>();
    if (!array) return nullptr;
    // The half-built object is left to the collector.
    return array->init(length) ? array : nullptr;
}

// The element of a checked access, or null (reported or raised) when there is none. The width
// must be the array's element size, so a mismatched accessor can never reach past the buffer.
template <class T>
T* element(JArray* array, int32_t index) {
    if (!arrayAccessOk(array, index)) return nullptr;
    if (arrayElementSize(array->m_classId) != static_cast<int32_t>(sizeof(T))) {
        app()->reportError("array element size");
        return nullptr;
    }
    return static_cast<T*>(array->data) + index;
}

template <class T>
T load(JArray* array, int32_t index) {
    T* p = element<T>(array, index);
    return p ? *p : T{};
}

template <class T>
void store(JArray* array, int32_t index, T value) {
    if (T* p = element<T>(array, index)) *p = value;
}

template <class T>
JArray* fill(JArray* array, std::initializer_list<int32_t> values) {
    int32_t i = 0;
    for (int32_t v : values) {
        T* p = element<T>(array, i++);
        if (!p) break;
        *p = static_cast<T>(v);
    }
    return array;
}

JArray* newLeafArray(char letter, int32_t length) {
    switch (letter) {
    case 'B': return om()->newByteArray(length);
    case 'C': return om()->newCharArray(length);
    case 'D': return om()->newDoubleArray(length);
    case 'F': return om()->newFloatArray(length);
    case 'I': return om()->newIntArray(length);
    case 'J': return om()->newLongArray(length);
    case 'S': return om()->newShortArray(length);
    case 'Z': return om()->newBoolArray(length);
    default: return om()->newObjectArray(0, length);
    }
}

// The array of dimension `level`: descriptor[level] is its '['. The last array level of the
// descriptor gets the element type; levels beyond the given counts stay null.
JArray* newLevel(const char* descriptor, const int32_t* counts, int level, int dimensions) {
    char next = descriptor[level + 1];
    int32_t n = counts[level];
    if (next != '[') return newLeafArray(next, n);
    ObjectArray* array = om()->newObjectArray(0, n);
    if (!array || level + 1 >= dimensions) return array;
    for (int32_t i = 0; i < n; ++i) {
        JArray* inner = newLevel(descriptor, counts, level + 1, dimensions);
        // Re-read the buffer: creating the inner array may have moved it.
        array->elements()[i] = inner;
    }
    return array;
}

}  // namespace

int32_t arrayElementSize(uint16_t classId) {
    return isArrayClass(classId) ? kElementSizes[classId - kClass_ObjectArray] : 0;
}

bool isArrayClass(uint16_t classId) { return classId >= kClass_ObjectArray && classId <= kClass_DoubleArray; }

bool initArray(JArray* array, int32_t length) {
    array->length = length;
    array->data = nullptr;
    if (length < 0) {
        app()->reportError("length of array should be >= 0");
        return true;
    }
    if (length == 0) return true;
    void* data = om()->allocArrayData(length, array->elementSize());
    if (!data) {
        array->length = 0;
        return false;
    }
    array->data = data;
    om()->registerMovable(array, &array->data);
    return true;
}

void releaseArrayData(JArray* array) {
    if (array->data) om()->releaseBuffer(array->data);
    array->data = nullptr;
}

}  // namespace mrc

// ---- array classes ----------------------------------------------------------------------------

String* CharArray::toString() {
    int32_t n = 0;
    while (n < length && elements()[n] != 0) ++n;
    String* s = mrc::newObject<String>();
    if (s) s->initFromChars(this, 0, n);
    return s;
}

// ---- allocation -------------------------------------------------------------------------------

namespace mrc {

ObjectArray* ObjectManager::newObjectArray(int32_t, int32_t length) { return newArray<ObjectArray>(length); }
BoolArray* ObjectManager::newBoolArray(int32_t length) { return newArray<BoolArray>(length); }
ByteArray* ObjectManager::newByteArray(int32_t length) { return newArray<ByteArray>(length); }
CharArray* ObjectManager::newCharArray(int32_t length) { return newArray<CharArray>(length); }
ShortArray* ObjectManager::newShortArray(int32_t length) { return newArray<ShortArray>(length); }
IntArray* ObjectManager::newIntArray(int32_t length) { return newArray<IntArray>(length); }
Long64Array* ObjectManager::newLongArray(int32_t length) { return newArray<Long64Array>(length); }
FloatArray* ObjectManager::newFloatArray(int32_t length) { return newArray<FloatArray>(length); }
DoubleArray* ObjectManager::newDoubleArray(int32_t length) { return newArray<DoubleArray>(length); }

// multianewarray: the counts are on the stack, the first dimension deepest.
void OperandStack::newMultiArray(const char* descriptor, int dimensions) {
    if (dimensions < 1 || dimensions > kMaxDimensions || depth() < dimensions || !descriptor ||
        descriptor[0] != '[') {
        mrc_log("newMultiArray: bad descriptor or dimensions (%s, %d)", descriptor ? descriptor : "null",
                dimensions);
        for (int i = 0; i < dimensions && depth() > 0; ++i) popInt();
        pushRef(nullptr);
        return;
    }
    int32_t counts[kMaxDimensions];
    for (int i = dimensions - 1; i >= 0; --i) counts[i] = popInt();
    pushRef(newLevel(descriptor, counts, 0, dimensions));
}

}  // namespace mrc

// ---- accessors ----------------------------------------------------------------------------------

int32_t JArray::getInt(JArray* a, int32_t i) { return mrc::load<int32_t>(a, i); }
void JArray::setInt(JArray* a, int32_t i, int32_t v) { mrc::store<int32_t>(a, i, v); }
float JArray::getFloat(JArray* a, int32_t i) { return mrc::load<float>(a, i); }
void JArray::setFloat(JArray* a, int32_t i, float v) { mrc::store<float>(a, i, v); }
int32_t JArray::getByte(JArray* a, int32_t i) { return mrc::load<int8_t>(a, i); }
void JArray::setByte(JArray* a, int32_t i, int32_t v) { mrc::store<int8_t>(a, i, static_cast<int8_t>(v)); }
int32_t JArray::getShort(JArray* a, int32_t i) { return mrc::load<int16_t>(a, i); }
void JArray::setShort(JArray* a, int32_t i, int32_t v) { mrc::store<int16_t>(a, i, static_cast<int16_t>(v)); }
int32_t JArray::getChar(JArray* a, int32_t i) { return mrc::load<char16_t>(a, i); }
void JArray::setChar(JArray* a, int32_t i, int32_t v) { mrc::store<char16_t>(a, i, static_cast<char16_t>(v)); }
int64_t JArray::getLong(JArray* a, int32_t i) { return mrc::load<int64_t>(a, i); }
void JArray::setLong(JArray* a, int32_t i, int64_t v) { mrc::store<int64_t>(a, i, v); }
double JArray::getDouble(JArray* a, int32_t i) { return mrc::load<double>(a, i); }
void JArray::setDouble(JArray* a, int32_t i, double v) { mrc::store<double>(a, i, v); }
Object* JArray::getRef(JArray* a, int32_t i) { return mrc::load<Object*>(a, i); }
void JArray::setRef(JArray* a, int32_t i, Object* v) { mrc::store<Object*>(a, i, v); }

JArray* JArray::fillBytes(JArray* a, std::initializer_list<int32_t> v) { return mrc::fill<int8_t>(a, v); }
JArray* JArray::fillShorts(JArray* a, std::initializer_list<int32_t> v) { return mrc::fill<int16_t>(a, v); }
JArray* JArray::fillInts(JArray* a, std::initializer_list<int32_t> v) { return mrc::fill<int32_t>(a, v); }
