#include "runtime/core/operand_stack.h"

#include <cmath>
#include <cstring>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/object.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/throwable.h"

namespace mrc {

namespace {

Application* app() { return ApplicationImpl::getApplication(); }

uint32_t floatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

float bitsFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

}  // namespace

bool arrayAccessOk(JArray* array, int32_t index) {
    if (isNull(array)) {
        app()->reportError("NullPointer");
        return false;
    }
    if (index < 0 || index >= array->length || !array->data) {
        raise(kClass_java_lang_ArrayIndexOutOfBoundsException);
        return false;
    }
    return true;
}

void OperandStack::init(uintptr_t* base, uint8_t* tags, int capacity) {
    m_base = m_valueTop = base;
    m_tagBase = m_tagTop = tags;
    m_capacity = capacity;
}

bool OperandStack::hasRoom(int slots) const { return depth() + slots <= m_capacity; }

void OperandStack::push(uintptr_t value, uint8_t tag) {
    if (!hasRoom(1)) {
        // The translator sizes every frame for its method's deepest stack; never write past it.
        mrc_log("OperandStack overflow");
        return;
    }
    *m_valueTop++ = value;
    *m_tagTop++ = tag;
}

uintptr_t OperandStack::pop() {
    if (m_valueTop == m_base) {
        mrc_log("OperandStack underflow");
        return 0;
    }
    --m_tagTop;
    return *--m_valueTop;
}

void OperandStack::pushRef(Object* reference) {
    push(reinterpret_cast<uintptr_t>(reference), reference ? kTagReference : kTagPrimitive);
}

void OperandStack::pushInt(int32_t value) { push(static_cast<uint32_t>(value), kTagPrimitive); }

void OperandStack::pushFloat(float value) { push(floatBits(value), kTagPrimitive); }

void OperandStack::pushLong(int64_t value) {
    auto u = static_cast<uint64_t>(value);
    push(static_cast<uint32_t>(u), kTagWide);
    push(static_cast<uint32_t>(u >> 32), kTagWide);
}

void OperandStack::pushDouble(double value) {
    int64_t bits;
    std::memcpy(&bits, &value, 8);
    pushLong(bits);
}

void OperandStack::pushStringConst(int32_t n) {
    pushRef(reinterpret_cast<Object*>(app()->staticClass->getStringConstant(n)));
}

void OperandStack::pushNew(int32_t classId) { pushRef(NewInstanceFactory::newInstance(classId)); }

Object* OperandStack::popRef() { return reinterpret_cast<Object*>(pop()); }
int32_t OperandStack::popInt() { return static_cast<int32_t>(static_cast<uint32_t>(pop())); }
float OperandStack::popFloat() { return bitsFloat(static_cast<uint32_t>(pop())); }

int64_t OperandStack::popLong() {
    uint64_t high = static_cast<uint32_t>(pop());
    uint64_t low = static_cast<uint32_t>(pop());
    return static_cast<int64_t>(high << 32 | low);
}

double OperandStack::popDouble() {
    int64_t bits = popLong();
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

Object* OperandStack::peekRef(int d) const {
    if (d < 0 || d >= depth()) return nullptr;
    return reinterpret_cast<Object*>(m_valueTop[-1 - d]);
}

int64_t OperandStack::peekLong(int d) const {
    // `d` slots below the top: the slot at depth d - 1 counted from the top.
    int index = depth() - d;
    if (d < 1 || index < 0) return 0;
    if (m_tagBase[index] == kTagWide && index >= 1) {
        uint64_t low = static_cast<uint32_t>(m_base[index - 1]);
        uint64_t high = static_cast<uint32_t>(m_base[index]);
        return static_cast<int64_t>(high << 32 | low);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(m_base[index]));
}

void OperandStack::dup2Rotate() {
    if (depth() < 3 || !hasRoom(2)) {
        mrc_log("OperandStack dup2_x1 out of range");
        return;
    }
    uintptr_t v1 = m_valueTop[-1], v2 = m_valueTop[-2], v3 = m_valueTop[-3];
    uint8_t t1 = m_tagTop[-1], t2 = m_tagTop[-2], t3 = m_tagTop[-3];
    m_valueTop[-3] = v2, m_tagTop[-3] = t2;
    m_valueTop[-2] = v1, m_tagTop[-2] = t1;
    m_valueTop[-1] = v3, m_tagTop[-1] = t3;
    push(v2, t2);
    push(v1, t1);
}

// ---- arrays ------------------------------------------------------------------------------

// The array accessors check the array, the index and the element width, so a store through the
// wrong kind of array is reported and never reaches past the buffer.
void OperandStack::storeIntArray() {
    int32_t value = popInt();
    int32_t index = popInt();
    JArray::setInt(reinterpret_cast<JArray*>(popRef()), index, value);
}

void OperandStack::storeShortArray() {
    int32_t value = popInt();
    int32_t index = popInt();
    JArray::setShort(reinterpret_cast<JArray*>(popRef()), index, value);
}

void OperandStack::storeByteArray() {
    int32_t value = popInt();
    int32_t index = popInt();
    JArray::setByte(reinterpret_cast<JArray*>(popRef()), index, value);
}

void OperandStack::loadRefArray() {
    int32_t index = popInt();
    pushRef(JArray::getRef(reinterpret_cast<JArray*>(popRef()), index));
}

void OperandStack::loadIntArray() {
    int32_t index = popInt();
    pushInt(JArray::getInt(reinterpret_cast<JArray*>(popRef()), index));
}

void OperandStack::loadShortArray() {
    int32_t index = popInt();
    pushInt(JArray::getShort(reinterpret_cast<JArray*>(popRef()), index));
}

void OperandStack::loadByteArray() {
    int32_t index = popInt();
    pushInt(JArray::getByte(reinterpret_cast<JArray*>(popRef()), index));
}

void OperandStack::arrayLength() {
    auto* array = reinterpret_cast<JArray*>(popRef());
    if (isNull(array)) {
        app()->reportError("NullPointer");
        pushInt(0);
        return;
    }
    pushInt(array->length);
}

// ---- field stores -------------------------------------------------------------------------

void OperandStack::popRefChecked(Object** out) {
    if (isNull(peekRef(1))) {
        app()->reportError("NullPointer");
        pop();
        pop();
        return;
    }
    Object* value = popRef();
    pop();
    if (out) *out = value;
}

void OperandStack::popBoolChecked(uint8_t* out) {
    if (isNull(peekRef(1))) {
        app()->reportError("NullPointer");
        pop();
        pop();
        return;
    }
    int32_t value = popInt();
    pop();
    if (out) *out = value != 0 ? 1 : 0;
}

void OperandStack::popBool(uint8_t* out) {
    int32_t value = popInt();
    if (out) *out = value != 0 ? 1 : 0;
}

// ---- type tests and throws ------------------------------------------------------------------

void OperandStack::instanceOf(int32_t classId) {
    Object* o = popRef();
    pushInt(Object::instanceOf(o, classId) ? 1 : 0);
}

void OperandStack::checkCast(int32_t classId) {
    Object* o = peekRef(0);
    if (o && !Object::instanceOf(o, classId)) app()->reportError("check cast");
}

void OperandStack::throwTop() {
    auto* t = reinterpret_cast<java_lang_Throwable*>(popRef());
    if (isNull(t)) {
        app()->reportError("NullPointer");
        return;
    }
    java_lang_Throwable::fillInStackTrace(t);
}

void OperandStack::dump() const {
    mrc_log("OperandStack dump:");
    for (int d = 0; d < depth(); ++d) {
        uintptr_t value = m_valueTop[-1 - d];
        const char* className = "?";
        if (m_tagTop[-1 - d] == kTagReference && value) {
            auto* o = reinterpret_cast<Object*>(value);
            if (o->m_classId < kClassCount) className = kClassNames[o->m_classId];
        }
        mrc_log("\t%d value=0x%x class=%s", -1 - d, static_cast<unsigned>(value), className);
    }
}

// ---- free helpers -------------------------------------------------------------------------

void stackPushRefDup(OperandStack& stack, Object* reference) {
    stack.pushRef(reference);
    stack.pushRef(reference);
}

void stackPushIntDup(OperandStack& stack, int32_t value) {
    stack.pushInt(value);
    stack.pushInt(value);
}

int stackIfIcmpEq(OperandStack& stack) {
    int32_t b = stack.popInt();
    int32_t a = stack.popInt();
    return a == b ? 1 : 0;
}

void stackFcmp(OperandStack& stack) {
    float b = stack.popFloat();
    float a = stack.popFloat();
    float diff = a - b;
    stack.pushInt(diff == 0.0f ? 0 : diff > 0.0f ? 1 : -1);
}

}  // namespace mrc
