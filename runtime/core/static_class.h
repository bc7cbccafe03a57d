// The one store of the static state of every translated class: the class records, the static
// reference roots, and the string constants.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/class_ids.h"

class Object;
class ObjectArray;
class String;

namespace mrc {

// One record per class id, in id order.
struct ClassRecord {
    void* header[2];
    const char* name;
    int32_t classId;
    int32_t superclassId;
    int32_t* refOffsets;  // byte offsets of the reference fields; null until the first instance
    int32_t refCount;
};

class StaticClass {
public:
    StaticClass();
    ~StaticClass();
    StaticClass(const StaticClass&) = delete;
    StaticClass& operator=(const StaticClass&) = delete;

    void initClassNames();
    void freeClassBuffers();

    ClassRecord* findClassRecord(const Object* object);
    ClassRecord* findClassById(int32_t classId);
    static bool isSubclassOf(const ClassRecord* record, int32_t target);
    ClassRecord* records() { return m_records; }

    // Records the offsets on the class's first instance; does nothing afterwards.
    void setClassRefOffsets(const Object* object, const int32_t* offsets, int32_t count);

    // Static reference roots: the addresses of every static field that holds a reference.
    void addRoot(Object** field);
    template <class T>
    void addRoot(T** field) {
        addRoot(reinterpret_cast<Object**>(field));
    }
    const std::vector<Object**>& roots() const { return m_roots; }

    // The string-constant array (an ObjectArray of String); a root of its own.
    ObjectArray* stringConstants = nullptr;
    String* getStringConstant(int32_t n);

private:
    ClassRecord m_records[kClassCount];
    std::vector<Object**> m_roots;
};

}  // namespace mrc

// The class-name services of java.lang.Class.
class Class {
public:
    // '.' becomes '_', then the first record in id order whose name begins with the result.
    static mrc::ClassRecord* forName(const char* name);
    static mrc::ClassRecord* forName(String* name);
};
