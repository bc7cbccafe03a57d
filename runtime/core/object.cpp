#include "runtime/core/object.h"

#include <cinttypes>
#include <cstdio>

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
}

Object* NewInstanceFactory::newInstance(int32_t classId) {
    if (classId < 0 || classId >= kClassCount || !g_factories[classId]) return nullptr;
    return g_factories[classId]();
}

void NewInstanceFactory::setFactory(int32_t classId, Factory factory) {
    if (classId >= 0 && classId < kClassCount) g_factories[classId] = factory;
}

bool classRefOffsetsKnown(uint16_t classId) {
    StaticClass* sc = ApplicationImpl::getApplication()->staticClass;
    return classId < kClassCount && sc->records()[classId].refOffsets != nullptr;
}

void setClassRefOffsets(Object* object, const int32_t* offsets, int count) {
    ApplicationImpl::getApplication()->staticClass->setClassRefOffsets(object, offsets, count);
}

void* allocObjectStorage(std::size_t size) {
    return ApplicationImpl::getApplication()->objectManager->allocObjectStorage(size);
}

void registerObject(Object* object) { ApplicationImpl::getApplication()->objectManager->registerObject(object); }

}  // namespace mrc
