// The shadow operand stack of a translated method: value slots beside a stack of tags, in the
// method's own C++ frame, so the conservative stack scan sees every reference in it.
//
// Value slots are pointer-sized here (a reference takes one slot); a long or double still takes
// two slots, the low 32 bits first, so stack shapes (dup2 and friends) are those of the bytecode.
#pragma once

#include <cstdint>

class Object;
class JArray;

namespace mrc {

enum OperandTag : uint8_t {
    kTagPrimitive = 0,  // a 32-bit value, or a null reference
    kTagReference = 1,  // a non-null reference
    kTagWide = 2,       // each of the two slots of a long or double
};

class OperandStack {
public:
    void init(uintptr_t* base, uint8_t* tags, int capacity);

    // Pushes and pops.
    void pushRef(Object* reference);
    void pushInt(int32_t value);
    void pushFloat(float value);
    void pushLong(int64_t value);
    void pushDouble(double value);
    void pushStringConst(int32_t n);
    void pushNew(int32_t classId);
    Object* popRef();
    int32_t popInt();
    float popFloat();
    int64_t popLong();
    double popDouble();
    Object* peekRef(int depth = 0) const;   // depth 0 is the top
    int64_t peekLong(int depth) const;
    int depth() const { return static_cast<int>(m_valueTop - m_base); }
    uint8_t tagAt(int depth) const { return m_tagTop[-1 - depth]; }

    // dup2_x1: value3, value2, value1 -> value2, value1, value3, value2, value1.
    void dup2Rotate();

    // Array stores and loads (the array is null-checked and the index bounds-checked).
    void storeIntArray();
    void storeShortArray();
    void storeByteArray();
    void loadRefArray();
    void loadIntArray();
    void loadShortArray();
    void loadByteArray();
    void arrayLength();

    // Field stores through the stack: null-check the object below the top, pop the top into
    // `out`, then pop the object.
    void popRefChecked(Object** out);
    void popBoolChecked(uint8_t* out);
    void popBool(uint8_t* out);

    void instanceOf(int32_t classId);
    void checkCast(int32_t classId);
    void newMultiArray(const char* descriptor, int dimensions);
    void throwTop();
    void dump() const;

private:
    void push(uintptr_t value, uint8_t tag);
    uintptr_t pop();
    bool hasRoom(int slots) const;

    uintptr_t* m_base = nullptr;
    uintptr_t* m_valueTop = nullptr;
    uint8_t* m_tagTop = nullptr;
    uint8_t* m_tagBase = nullptr;
    int m_capacity = 0;
};

// A frame with room for `Depth` slots, ready to use.
template <int Depth>
class OperandFrame : public OperandStack {
public:
    OperandFrame() { init(m_values, m_tags, Depth); }

private:
    uintptr_t m_values[Depth];
    uint8_t m_tags[Depth];
};

// new followed by dup.
void stackPushRefDup(OperandStack& stack, Object* reference);
void stackPushIntDup(OperandStack& stack, int32_t value);
// Pops two ints; 1 when equal.
int stackIfIcmpEq(OperandStack& stack);
// Pops b then a; pushes 0 when a − b is 0, 1 when greater than 0, otherwise −1 (NaN gives −1).
void stackFcmp(OperandStack& stack);

}  // namespace mrc
