#include "runtime/util/vector.h"

#include <algorithm>
#include <cstring>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {

ObjectArray* newSlots(int32_t n) { return ApplicationImpl::getApplication()->objectManager->newObjectArray(0, n); }

// o.equals(element), or identity with null for a null o.
bool matches(Object* o, Object* element) { return o == nullptr ? element == nullptr : o->equals(element); }

}  // namespace

java_util_Vector* java_util_Vector::newInstance() {
    auto* v = newObject<java_util_Vector>();
    if (v) v->VectorDefault();
    return v;
}

void java_util_Vector::Vector(int32_t initialCapacity, int32_t increment) {
    if (initialCapacity < 0) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kIllegalCapacityConstant);
        return;
    }
    elementData = newSlots(initialCapacity);
    capacityIncrement = increment;
}

void java_util_Vector::VectorWithCapacity(int32_t initialCapacity) { Vector(initialCapacity, 0); }

void java_util_Vector::VectorDefault() { Vector(kDefaultCapacity, 0); }

void java_util_Vector::VectorCopy(java_util_Vector* source) {
    if (lib::isNullReported(source)) return;
    Vector(source->size(), 0);
    for (int32_t i = 0; i < source->size(); ++i) {
        Object* element = source->elementAt(i);
        if (lib::exceptionPending()) return;
        addElement(element);
    }
}

int32_t java_util_Vector::capacityOf() { return lib::isNullReported(elementData) ? 0 : elementData->length; }

bool java_util_Vector::ensureCapacityHelper(int32_t minCapacity) {
    const int64_t old = capacityOf();
    int64_t grown = capacityIncrement > 0 ? old + capacityIncrement : old * 2;
    grown = std::min<int64_t>(std::max<int64_t>(grown, minCapacity), INT32_MAX);
    ObjectArray* slots = newSlots(static_cast<int32_t>(grown));
    if (isNull(slots)) {
        mrc_log("Vector: no memory for %lld elements", static_cast<long long>(grown));
        return false;
    }
    if (elementCount > 0)
        std::memcpy(slots->elements(), elementData->elements(), sizeof(Object*) * static_cast<std::size_t>(elementCount));
    elementData = slots;
    return true;
}

// ---- slots 6-9 ---------------------------------------------------------------------------

int32_t java_util_Vector::size() { return elementCount; }

bool java_util_Vector::isEmpty() { return elementCount == 0; }

bool java_util_Vector::contains(Object* o) { return indexOf(o, 0) >= 0; }

void java_util_Vector::removeAll() { removeAllElements(); }

// ---- capacity ----------------------------------------------------------------------------

void java_util_Vector::copyInto(ObjectArray* target) {
    Synchronized lock(this);
    java_lang_System::arraycopy(elementData, 0, target, 0, elementCount);
}

void java_util_Vector::trimToSize() {
    Synchronized lock(this);
    if (elementCount >= capacityOf()) return;
    ObjectArray* slots = newSlots(elementCount);
    if (isNull(slots)) return;
    if (elementCount > 0)
        std::memcpy(slots->elements(), elementData->elements(), sizeof(Object*) * static_cast<std::size_t>(elementCount));
    elementData = slots;
}

void java_util_Vector::ensureCapacity(int32_t minCapacity) {
    Synchronized lock(this);
    if (minCapacity > capacityOf()) ensureCapacityHelper(minCapacity);
}

void java_util_Vector::setSize(int32_t newSize) {
    Synchronized lock(this);
    if (newSize < 0) {
        lib::raiseArrayIndex(newSize);
        return;
    }
    if (newSize > elementCount && newSize > capacityOf()) {
        if (!ensureCapacityHelper(newSize)) return;
    } else {
        for (int32_t i = newSize; i < elementCount; ++i) elementData->elements()[i] = nullptr;
    }
    elementCount = newSize;
}

int32_t java_util_Vector::capacity() { return capacityOf(); }

// ---- search ------------------------------------------------------------------------------

int32_t java_util_Vector::indexOfObject(Object* o) { return indexOf(o, 0); }

int32_t java_util_Vector::indexOf(Object* o, int32_t start) {
    Synchronized lock(this);
    if (start < 0) {
        lib::raiseArrayIndex(start);
        return -1;
    }
    // equals may run any code: the count and the array are read afresh at each step.
    for (int32_t i = start; i < elementCount; ++i)
        if (matches(o, elementData->elements()[i])) return i;
    return -1;
}

int32_t java_util_Vector::lastIndexOf(Object* o, int32_t start) {
    Synchronized lock(this);
    if (start >= elementCount) {
        raise(kClass_java_lang_IndexOutOfBoundsException, String::valueOfInt(start));
        return -1;
    }
    for (int32_t i = start; i >= 0; --i)
        if (i < elementCount && matches(o, elementData->elements()[i])) return i;
    return -1;
}

// ---- element access ----------------------------------------------------------------------

Object* java_util_Vector::elementAt(int32_t index) {
    Synchronized lock(this);
    if (index < 0 || index >= elementCount) {
        lib::raiseArrayIndex(index);
        return nullptr;
    }
    return elementData->elements()[index];
}

Object* java_util_Vector::elementAtUnlocked(int32_t index) { return elementAt(index); }

Object* java_util_Vector::firstElement() {
    Synchronized lock(this);
    return elementCount == 0 ? nullptr : elementData->elements()[0];
}

Object* java_util_Vector::lastElement() {
    Synchronized lock(this);
    return elementCount == 0 ? nullptr : elementData->elements()[elementCount - 1];
}

void java_util_Vector::setElementAt(Object* obj, int32_t index) {
    Synchronized lock(this);
    if (index < 0 || index >= elementCount) {
        lib::raiseArrayIndex(index);
        return;
    }
    elementData->elements()[index] = obj;
}

void java_util_Vector::putAtIndexLocked(int32_t index, Object* obj) { setElementAt(obj, index); }

void java_util_Vector::removeElementAt(int32_t index) {
    Synchronized lock(this);
    if (index < 0 || index >= elementCount) {
        lib::raiseArrayIndex(index);
        return;
    }
    Object** slots = elementData->elements();
    const int32_t following = elementCount - index - 1;
    if (following > 0) std::memmove(slots + index, slots + index + 1, sizeof(Object*) * static_cast<std::size_t>(following));
    --elementCount;
    slots[elementCount] = nullptr;
}

void java_util_Vector::insertElementAt(Object* obj, int32_t index) {
    Synchronized lock(this);
    if (index < 0 || index > elementCount) {
        lib::raiseArrayIndex(index);
        return;
    }
    if (elementCount + 1 > capacityOf() && !ensureCapacityHelper(elementCount + 1)) return;
    Object** slots = elementData->elements();
    std::memmove(slots + index + 1, slots + index, sizeof(Object*) * static_cast<std::size_t>(elementCount - index));
    slots[index] = obj;
    ++elementCount;
}

void java_util_Vector::addElement(Object* obj) {
    Synchronized lock(this);
    if (elementCount + 1 > capacityOf() && !ensureCapacityHelper(elementCount + 1)) return;
    elementData->elements()[elementCount++] = obj;
}

void java_util_Vector::addElementLocked(Object* obj) {
    Synchronized lock(this);
    addElement(obj);
}

bool java_util_Vector::removeElement(Object* obj) {
    Synchronized lock(this);
    const int32_t i = indexOf(obj, 0);
    if (i < 0) return false;
    removeElementAt(i);
    return true;
}

void java_util_Vector::removeAllElements() {
    Synchronized lock(this);
    for (int32_t i = 0; i < elementCount; ++i) elementData->elements()[i] = nullptr;
    elementCount = 0;
}

// ---- Stack -------------------------------------------------------------------------------

java_util_Stack* java_util_Stack::newInstance() {
    auto* s = newObject<java_util_Stack>();
    if (s) s->Stack();
    return s;
}

void java_util_Stack::Stack() { Vector(kDefaultCapacity, 0); }

Object* java_util_Stack::push(Object* item) {
    addElement(item);
    return item;
}

Object* java_util_Stack::peek() {
    Synchronized lock(this);
    const int32_t n = size();
    if (n == 0) {
        raise(kClass_java_util_EmptyStackException);
        return nullptr;
    }
    return elementAt(n - 1);
}

Object* java_util_Stack::pop() {
    Synchronized lock(this);
    const int32_t n = size();
    Object* obj = peek();
    if (n == 0) return nullptr;
    removeElementAt(n - 1);
    return obj;
}

bool java_util_Stack::empty() { return size() == 0; }

int32_t java_util_Stack::search(Object* o) {
    Synchronized lock(this);
    const int32_t i = lastIndexOf(o, elementCount - 1);
    return i >= 0 ? size() - i : -1;
}
