#include "runtime/core/static_class.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/object.h"
#include "runtime/lang/string.h"

namespace mrc {

StaticClass::StaticClass() {
    std::memset(m_records, 0, sizeof m_records);
    initClassNames();
}

StaticClass::~StaticClass() { freeClassBuffers(); }

void StaticClass::initClassNames() {
    for (int i = 0; i < kClassCount; ++i) {
        m_records[i].name = kClassNames[i];
        m_records[i].classId = i;
        m_records[i].superclassId = kSuperclassIds[i];
    }
}

void StaticClass::freeClassBuffers() {
    for (auto& r : m_records) {
        std::free(r.refOffsets);
        r.refOffsets = nullptr;
        r.refCount = 0;
    }
}

ClassRecord* StaticClass::findClassRecord(const Object* object) {
    return object ? findClassById(object->m_classId) : nullptr;
}

ClassRecord* StaticClass::findClassById(int32_t classId) {
    return classId >= 0 && classId < kClassCount ? &m_records[classId] : nullptr;
}

bool StaticClass::isSubclassOf(const ClassRecord* record, int32_t target) {
    for (int32_t id = record ? record->classId : kNoSuperclass; id >= 0 && id < kClassCount; id = kSuperclassIds[id])
        if (id == target) return true;
    return false;
}

void StaticClass::setClassRefOffsets(const Object* object, const int32_t* offsets, int32_t count) {
    ClassRecord* r = findClassRecord(object);
    if (!r || r->refOffsets || count <= 0) return;
    auto* copy = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * static_cast<std::size_t>(count)));
    if (!copy) return;
    std::memcpy(copy, offsets, sizeof(int32_t) * static_cast<std::size_t>(count));
    r->refCount = count;
    r->refOffsets = copy;
}

void StaticClass::addRoot(Object** field) { m_roots.push_back(field); }

}  // namespace mrc

mrc::ClassRecord* Class::forName(const char* name) {
    std::string wanted = name ? name : "";
    for (char& c : wanted)
        if (c == '.') c = '_';
    mrc::StaticClass* sc = mrc::ApplicationImpl::getApplication()->staticClass;
    for (int i = 0; i < mrc::kClassCount; ++i) {
        mrc::ClassRecord* r = sc->findClassById(i);
        if (std::strncmp(r->name, wanted.c_str(), wanted.size()) == 0) return r;
    }
    return nullptr;
}

mrc::ClassRecord* Class::forName(String* name) {
    if (isNull(name)) return nullptr;
    std::string text;
    for (int32_t i = 0; i < name->count(); ++i) text.push_back(static_cast<char>(name->chars[i] & 0xFF));
    return forName(text.c_str());
}

namespace mrc {

String* StaticClass::getStringConstant(int32_t n) {
    auto* array = reinterpret_cast<JArray*>(stringConstants);
    if (isNull(array)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return nullptr;
    }
    if (n < 0 || n >= array->length || !array->data) return nullptr;
    return static_cast<String*>(static_cast<Object**>(array->data)[n]);
}

}  // namespace mrc
