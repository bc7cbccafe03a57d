// The root of every Java object of the translated code.
//
// Layout: the C++ virtual-table pointer, then the 16-bit class id, the collectable byte and the
// mark byte; the fields follow. Virtual slots 0-5 are Object's (destructor, equals, clone,
// toString, hashCode, getInterface); a class appends its own virtual methods after them.
// A Java interface is an abstract C++ class that does not derive from Object; implementing it is
// inheriting it, so the interface sub-object is the "interface word" and getInterface(id) returns
// its address. References are raw pointers to the Object, never to an interface sub-object,
// except transiently at an interface call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "runtime/core/class_ids.h"

class String;
namespace mrc {
struct ClassRecord;
}

class Object {
public:
    static constexpr uint16_t kClassId = mrc::kClass_Object;

    Object() : m_classId(kClassId), m_collectable(1), m_mark(1) {}
    virtual ~Object();                                   // slot 0
    virtual bool equals(Object* other);                  // slot 1: identity
    virtual Object* clone();                             // slot 2: logs "clone", null
    virtual String* toString();                          // slot 3: "Object_id=%d @0x%x"
    virtual int32_t hashCode();                          // slot 4: the address
    virtual void* getInterface(int32_t interfaceId);     // slot 5: interface sub-object or null

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    uint16_t classId() const { return m_classId; }
    bool isSwept() const { return m_classId == mrc::kSweptClassId; }

    // `instanceof` and `checkcast`: false for null (and swept objects).
    static bool instanceOf(Object* object, int32_t classId);

    // Object.wait: `timeout` in milliseconds, 0 without limit; the caller holds the monitor.
    static void wait(Object* object, int64_t timeout);
    // notify (count 1) and notifyAll (count -1): wakes up to `count` waiters.
    static void notify(Object* object, int32_t count);

    // A new String of the name of the record's class (null for no record).
    static String* getClass(const mrc::ClassRecord* record);

    // Header fields; public because the collector, the dumps and the thread natives use them.
    uint16_t m_classId;
    uint8_t m_collectable;
    uint8_t m_mark;

    // The header initializer: class id, collectable (0 for java_lang_Thread, whose run must
    // finish before it can be freed) and mark 1. Object creation stamps the most-derived id,
    // so C++ constructors need not.
    void stampHeader(uint16_t classId) {
        m_classId = classId;
        m_collectable = classId == mrc::kClass_java_lang_Thread ? 0 : 1;
        m_mark = 1;
    }
};

// Null or swept: what the runtime treats as no object.
inline bool isNull(const Object* o) { return o == nullptr || o->m_classId == mrc::kSweptClassId; }

namespace mrc {

// ---------------------------------------------------------------------------------------------
// Declaring a class's reference fields for the collector.
//
// Each translated class with reference fields names them once:
//     MRC_REF_FIELDS(&java_util_Vector::elementData);
// and every class names its Java superclass as `Base` (MRC_CLASS does both the id and the base).
// The first instance of a class registers the byte offsets of all its reference fields, the
// inherited ones included, in its class record (StaticClass::setClassRefOffsets).
// ---------------------------------------------------------------------------------------------

#define MRC_CLASS(Self, Parent)                                  \
    using Base = Parent;                                         \
    static constexpr uint16_t kClassId = ::mrc::kClass_##Self

// A function, not a constant: member pointers need the complete class.
#define MRC_REF_FIELDS(...) \
    static constexpr auto refFields() { return std::make_tuple(__VA_ARGS__); }

template <class M>
struct MemberClass;
template <class C, class T>
struct MemberClass<T C::*> {
    using type = C;
};

template <class T>
concept HasOwnRefFields = requires { T::refFields(); } && [] {
    if constexpr (requires { T::refFields(); }) {
        using First = std::remove_cvref_t<decltype(std::get<0>(T::refFields()))>;
        return std::is_same_v<typename MemberClass<First>::type, T>;
    } else {
        return false;
    }
}();

// Appends the offsets of T's reference fields (and its ancestors') to `out`; returns the count.
template <class T>
int collectRefOffsets(T* object, int32_t* out, int count) {
    if constexpr (!std::is_same_v<T, Object>) {
        count = collectRefOffsets<typename T::Base>(object, out, count);
    }
    if constexpr (HasOwnRefFields<T>) {
        std::apply(
            [&](auto... member) {
                ((out[count++] = static_cast<int32_t>(reinterpret_cast<char*>(&(object->*member)) -
                                                      reinterpret_cast<char*>(object))),
                 ...);
            },
            T::refFields());
    }
    return count;
}

template <class T>
constexpr int refFieldCount() {
    int n = 0;
    if constexpr (!std::is_same_v<T, Object>) n = refFieldCount<typename T::Base>();
    if constexpr (HasOwnRefFields<T>) n += static_cast<int>(std::tuple_size_v<decltype(T::refFields())>);
    return n;
}

// Registers T's reference-field offsets under the object's class id.
void setClassRefOffsets(Object* object, const int32_t* offsets, int count);

template <class T>
void registerRefFields(Object* object) {
    constexpr int n = refFieldCount<T>();
    int32_t offsets[n];
    collectRefOffsets<T>(static_cast<T*>(object), offsets, 0);
    setClassRefOffsets(object, offsets, n);
}

using RefFieldsRegistrar = void (*)(Object* object);

// T's registrar, or null for a class without reference fields.
template <class T>
constexpr RefFieldsRegistrar refFieldsRegistrar() {
    if constexpr (refFieldCount<T>() > 0)
        return &registerRefFields<T>;
    else
        return nullptr;
}

// Storage on the object heap, not zeroed and not yet registered; null when exhausted (after
// collecting).
void* allocObjectBlock(std::size_t size);
// The same, zeroed; inline, so that a size known at compile time is cleared without a call.
inline void* allocObjectStorage(std::size_t size) {
    void* p = allocObjectBlock(size);
    if (!p) return nullptr;
    std::memset(p, 0, size);
    // The zeros must outlive the placement new that follows: to the compiler, the storage of an
    // object whose lifetime begins holds nothing, and the clearing would be dropped as dead.
    asm volatile("" : : "r"(p) : "memory");
    return p;
}
// Makes a freshly constructed object known to the collector; `refFields` runs first when the
// object's class record does not hold its reference fields yet (its first instance).
void registerObject(Object* object, RefFieldsRegistrar refFields = nullptr);

// Object creation, the four steps in one: allocate on the object heap, construct the header
// (the C++ constructor, which takes no Java arguments), register the reference fields, and
// leave the Java constructor to the caller (a named method). Null when the heap is exhausted.
// Fields start zeroed (the storage is), so members need no initialisers.
// `classId` lets one C++ class serve several class ids (the exception classes share one).
template <class T>
T* newObject(uint16_t classId = T::kClassId) {
    static_assert(std::is_base_of_v<Object, T>);
    void* storage = allocObjectStorage(sizeof(T));
    if (!storage) return nullptr;
    T* object = new (storage) T();
    object->stampHeader(classId);
    registerObject(object, refFieldsRegistrar<T>());
    return object;
}

// new by a class id known only at run time: higher layers register a factory per class.
class NewInstanceFactory {
public:
    using Factory = Object* (*)();
    // A new object of the class, header set, no constructor run; null for a class that is not
    // created by id (or whose layer has not registered it) and when the heap is full.
    static Object* newInstance(int32_t classId);
    // Refused (traced) for a class that is not created by id.
    static void setFactory(int32_t classId, Factory factory);
    static bool isListed(int32_t classId);
    template <class T>
    static void add() {
        setFactory(T::kClassId, [] { return static_cast<Object*>(newObject<T>()); });
    }
};

}  // namespace mrc
