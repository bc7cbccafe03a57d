#include "runtime/core/object.h"

#include <cinttypes>
#include <cstdio>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

// Frees the object's monitor, if it ever had one.
Object::~Object() { mrc::ApplicationImpl::getInstance()->monitors.release(this); }

bool Object::equals(Object* other) { return this == other; }

Object* Object::clone() {
    mrc::ApplicationImpl::getApplication()->reportError("clone");
    return nullptr;
}

String* Object::toString() {
    char text[48];
    // The address is printed in its low 32 bits, as the device's 32-bit pointers were.
    std::snprintf(text, sizeof text, "Object_id=%d @0x%x", m_classId,
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)));
    return mrc::newString(text);
}

int32_t Object::hashCode() { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(this)); }

void* Object::getInterface(int32_t) { return nullptr; }

bool Object::instanceOf(Object* object, int32_t classId) {
    if (isNull(object)) return false;
    if (object->getInterface(classId)) return true;
    for (int32_t id = object->m_classId; id >= 0 && id < mrc::kClassCount;) {
        if (id == classId) return true;
        id = mrc::kSuperclassIds[id];
    }
    return false;
}

String* Object::getClass(const mrc::ClassRecord* record) {
    if (!record || record->classId < 0 || record->classId >= mrc::kClassCount) return nullptr;
    return mrc::newString(mrc::kClassNames[record->classId]);
}

namespace mrc {

namespace {
NewInstanceFactory::Factory g_factories[kClassCount];

// The classes the translated code may create by id; interfaces, abstract and static-only
// classes, arrays and Class have none. The MIDlet's class is created by id as well, by the
// runtime's start (the class factory is how the runtime reaches the game's classes).
constexpr int16_t kListed[] = {0,   2,   3,   15,  16,  17,  18,  19,  20,  24,  25,  27,  29,  33,
                               35,  36,  37,  38,  42,  44,  45,  48,  49,  50,  52,  53,  56,  57,
                               58,  59,  60,  62,  65,  67,  68,  73,  77,  81,  83,  85,  87,  101,
                               104, 107, 108, 109, 110, 112, 113, 114, 115, 118, 120, 121, 122, 124, 125};
}  // namespace

bool NewInstanceFactory::isListed(int32_t classId) {
    for (int16_t id : kListed)
        if (id == classId) return true;
    return false;
}

Object* NewInstanceFactory::newInstance(int32_t classId) {
    if (classId < 0 || classId >= kClassCount || !g_factories[classId]) return nullptr;
    return g_factories[classId]();
}

void NewInstanceFactory::setFactory(int32_t classId, Factory factory) {
    if (!isListed(classId)) {
        mrc_log("NewInstanceFactory::setFactory(): class %d is not created by id", classId);
        return;
    }
    g_factories[classId] = factory;
}

void setClassRefOffsets(Object* object, const int32_t* offsets, int count) {
    ApplicationImpl::getApplication()->staticClass->setClassRefOffsets(object, offsets, count);
}

}  // namespace mrc
