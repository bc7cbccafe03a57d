#include "runtime/core/static_class.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/object.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/lang_statics.h"
#include "runtime/lang/string.h"

namespace mrc {

namespace {

// Process-wide: the blocks are globals of their classes, registered once, reused by every run.
std::vector<StaticBlock>& registeredBlocks() {
    static std::vector<StaticBlock> blocks;
    return blocks;
}

StaticClass::Initialiser g_initialisers[kStaticInitCount];
StaticClass::ResourceOpener g_resourceOpener = nullptr;
StaticClass* g_live = nullptr;

}  // namespace

StaticClass::StaticClass() {
    registerRuntimeStatics();
    std::memset(m_records, 0, sizeof m_records);
    std::memset(m_refMaps, 0, sizeof m_refMaps);
    m_refMaps[kClass_ObjectArray] = 1;
    for (StaticBlock& b : registeredBlocks()) b.reset(b.address);
    initClassNames();
    rebuildRoots();
    g_live = this;
}

StaticClass::~StaticClass() {
    freeClassBuffers();
    // The objects the statics pointed at are gone with this run.
    for (StaticBlock& b : registeredBlocks()) b.reset(b.address);
    if (g_live == this) g_live = nullptr;
}

void StaticClass::initialize() {
    loadConstants();
    runStaticInitialisers();
}

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
    for (int i = 0; i < kClassCount; ++i)
        if (i != kClass_ObjectArray) m_refMaps[i] = 0;
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
    if (!r || count <= 0) return;
    // The first instances of a class may be made on two threads at once: one of them fills the
    // record, and the offsets are published last (allocation reads them without the lock).
    static std::mutex lock;
    std::lock_guard guard(lock);
    if (__atomic_load_n(&r->refOffsets, __ATOMIC_ACQUIRE)) return;
    auto* copy = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * static_cast<std::size_t>(count)));
    if (!copy) return;
    std::memcpy(copy, offsets, sizeof(int32_t) * static_cast<std::size_t>(count));
    r->refCount = count;
    uint64_t map = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (offsets[i] % 8 != 0 || offsets[i] < 8 || offsets[i] >= 512) {
            map = 1;
            break;
        }
        map |= uint64_t{1} << (offsets[i] / 8);
    }
    m_refMaps[r->classId] = map;
    __atomic_store_n(&r->refOffsets, copy, __ATOMIC_RELEASE);
}

// ---- blocks and roots ---------------------------------------------------------------------

void StaticClass::registerBlock(const char* name, void* block, std::size_t size, void (*reset)(void*),
                                std::vector<Object**> roots) {
    std::vector<StaticBlock>& blocks = registeredBlocks();
    StaticBlock entry{name, block, size, reset, std::move(roots)};
    bool replaced = false;
    for (StaticBlock& b : blocks) {
        if (b.address == block) {
            b = std::move(entry);
            replaced = true;
            break;
        }
    }
    if (!replaced) blocks.push_back(std::move(entry));
    if (g_live) g_live->rebuildRoots();
}

const std::vector<StaticBlock>& StaticClass::blocks() { return registeredBlocks(); }

void StaticClass::rebuildRoots() {
    m_roots.clear();
    for (const StaticBlock& b : registeredBlocks()) m_roots.insert(m_roots.end(), b.roots.begin(), b.roots.end());
    m_roots.insert(m_roots.end(), m_extraRoots.begin(), m_extraRoots.end());
}

void StaticClass::addRoot(Object** field) {
    m_extraRoots.push_back(field);
    m_roots.push_back(field);
}

int32_t StaticClass::checkRoots() const {
    ObjectManager* om = ApplicationImpl::getApplication()->objectManager;
    if (!om) return 0;
    int32_t missing = 0;
    for (const StaticBlock& b : registeredBlocks()) {
        auto* bytes = static_cast<char*>(b.address);
        for (std::size_t at = 0; at + sizeof(uintptr_t) <= b.size; at += alignof(Object*)) {
            uintptr_t word;
            std::memcpy(&word, bytes + at, sizeof word);
            if (!word || !om->findObjectContaining(word)) continue;
            auto* field = reinterpret_cast<Object**>(bytes + at);
            bool listed = false;
            for (Object** root : b.roots) listed = listed || root == field;
            if (listed) continue;
            mrc_log("StaticClass: %s+%d holds a reference but is no root", b.name, static_cast<int>(at));
            ++missing;
        }
    }
    return missing;
}

// ---- static initialisers ------------------------------------------------------------------

StaticClass::Initialiser StaticClass::setInitialiser(StaticInit slot, Initialiser initialiser) {
    auto i = static_cast<int>(slot);
    if (i < 0 || i >= kStaticInitCount) return nullptr;
    Initialiser previous = g_initialisers[i];
    g_initialisers[i] = initialiser;
    return previous;
}

void StaticClass::runStaticInitialisers() {
    static const char* const kNames[kStaticInitCount] = {
        "java_lang_System", "QXLibPathFinding", "QXLibConfig", "java_lang_Boolean", "ASprite", "CObject",
        "Game",             "IGP",              "QXLib",       "WM_JSound_SND",     "QXLibPlayer", "java_lang_Runtime"};
    Application* app = ApplicationImpl::getApplication();
    for (int i = 0; i < kStaticInitCount; ++i) {
        if (!g_initialisers[i]) continue;
        g_initialisers[i]();
        // An exception escaping an initialiser would be caught by whatever handler of the game
        // happens to test first; it ends here instead.
        if (Object* pending = app->getPendingException()) {
            mrc_log("StaticClass: the initialiser of %s left %s pending", kNames[i],
                    pending->m_classId < kClassCount ? kClassNames[pending->m_classId] : "?");
            app->clearPendingException();
        }
    }
}

void StaticClass::setResourceOpener(ResourceOpener opener) { g_resourceOpener = opener; }

StaticClass::ResourceOpener StaticClass::resourceOpener() { return g_resourceOpener; }

// ---- string constants ---------------------------------------------------------------------

bool StaticClass::loadConstants() {
    java_io_InputStream* stream = g_resourceOpener ? g_resourceOpener(kConstantsResource) : nullptr;
    if (!stream) {
        mrc_log("StaticClass: no resource %s; the string constants stay missing", kConstantsResource);
        return false;
    }
    return loadConstants(stream);
}

String* StaticClass::getStringConstant(int32_t n) {
    auto* array = reinterpret_cast<JArray*>(stringConstants);
    if (isNull(array)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return nullptr;
    }
    return stringConstantOrNull(n);
}

String* StaticClass::stringConstantOrNull(int32_t n) const {
    auto* array = reinterpret_cast<JArray*>(stringConstants);
    if (isNull(array) || n < 0 || n >= array->length || !array->data) return nullptr;
    return static_cast<String*>(static_cast<Object**>(array->data)[n]);
}

int32_t StaticClass::constantCount() const {
    auto* array = reinterpret_cast<JArray*>(stringConstants);
    return isNull(array) ? 0 : array->length;
}

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
