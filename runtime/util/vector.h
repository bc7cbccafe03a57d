// java.util.Vector, the growable array of references, and java.util.Stack on top of it.
//
// The operations marked synchronized in the API hold the vector's monitor; failures are raised
// as the pending exception (java_lang_ArrayIndexOutOfBoundsException for an index outside the
// elements, and so on) and leave the vector unchanged. Slots at and above elementCount are null.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ObjectArray;

class java_util_Vector : public Object {
public:
    MRC_CLASS(java_util_Vector, Object);
    MRC_REF_FIELDS(&java_util_Vector::elementData);
    static constexpr int32_t kDefaultCapacity = 10;
    // Message of the negative-capacity java_lang_IllegalArgumentException ("Illegal Capacity: ").
    static constexpr int32_t kIllegalCapacityConstant = 593;

    // A new, empty vector of the default capacity; null when the object heap is exhausted.
    static java_util_Vector* newInstance();

    // The constructors. A negative capacity raises java_lang_IllegalArgumentException and leaves
    // elementData null.
    void Vector(int32_t initialCapacity, int32_t capacityIncrement);
    void VectorWithCapacity(int32_t initialCapacity);
    void VectorDefault();
    // Capacity = the source's size, then its elements appended in order.
    void VectorCopy(java_util_Vector* source);

    // Slots 6-9.
    virtual int32_t size();
    virtual bool isEmpty();
    virtual bool contains(Object* o);
    virtual void removeAll();  // removeAllElements

    // Copies the elements to the same indices of `target`, which must hold them all: a null
    // target is reported, a shorter one or one of another type raises without copying.
    void copyInto(ObjectArray* target);
    void trimToSize();
    void ensureCapacity(int32_t minCapacity);
    // Grows with null slots or cuts (nulling the slots let go). A negative size raises
    // java_lang_ArrayIndexOutOfBoundsException.
    void setSize(int32_t newSize);
    int32_t capacity();

    int32_t indexOfObject(Object* o);
    // The first index from `start` whose element equals `o` (o.equals(element); == for null), or
    // -1. A negative start raises java_lang_ArrayIndexOutOfBoundsException.
    int32_t indexOf(Object* o, int32_t start);
    // Scans down from `start`: start >= size raises java_lang_IndexOutOfBoundsException (its
    // message the index), a negative start gives -1.
    int32_t lastIndexOf(Object* o, int32_t start);
    Object* elementAt(int32_t index);
    Object* elementAtUnlocked(int32_t index);
    Object* firstElement();  // null when empty
    Object* lastElement();   // null when empty
    void setElementAt(Object* obj, int32_t index);
    void putAtIndexLocked(int32_t index, Object* obj);
    void removeElementAt(int32_t index);
    void insertElementAt(Object* obj, int32_t index);  // index == size appends
    void addElement(Object* obj);
    void addElementLocked(Object* obj);
    bool removeElement(Object* obj);
    void removeAllElements();

    ObjectArray* elementData;
    int32_t elementCount;
    int32_t capacityIncrement;

protected:
    // Grows to capacity + capacityIncrement (doubling without one), at least to `minCapacity`;
    // false (traced) when memory runs out. The caller holds the monitor.
    bool ensureCapacityHelper(int32_t minCapacity);
    // The length of elementData; a missing array is reported and counts as 0.
    int32_t capacityOf();
};

class java_util_Stack : public java_util_Vector {
public:
    MRC_CLASS(java_util_Stack, java_util_Vector);

    static java_util_Stack* newInstance();

    void Stack();  // Vector(10, 0)
    Object* push(Object* item);
    // The top element; java_util_EmptyStackException (and null) when empty.
    Object* peek();
    Object* pop();
    bool empty();
    // 1 for the top element, counting down; -1 when absent.
    int32_t search(Object* o);
};
