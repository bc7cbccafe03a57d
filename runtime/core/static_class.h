// The one store of the static state of every translated class: the blocks of statics, their
// reference roots, the string constants, the class records and the static initialisers.
//
// Each class keeps its block of statics next to itself, as a plain struct that names its
// reference fields once with MRC_REF_FIELDS:
//     struct Statics { java_io_PrintStream* out; int32_t count; MRC_REF_FIELDS(&Statics::out); };
// and registers it (StaticClass::registerStatics) before the runtime starts; the runtime's own
// classes do so themselves, the higher layers are wired at start-up. The store gathers the
// blocks: it zeroes them, and their listed fields are the collector's static roots.
//
// Static initialisers run once, in a fixed order of named slots; a slot whose class is not
// built (or not wired) does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

#include "runtime/core/class_ids.h"

class Object;
class ObjectArray;
class String;
class java_io_InputStream;

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

// The static initialisers in the order they run.
enum class StaticInit : uint8_t {
    System,                 // System.out, System.err and the property table
    PathFindingNeighbours,  // QXLibPathFinding's neighbour table
    QXLibConfig,
    Boolean,                // Boolean.TRUE and Boolean.FALSE
    ASprite,
    CObject,
    Game,
    IGP,
    QXLib,
    WMJSoundSND,  // its first static
    QXLibPlayer,
    Runtime,  // the Runtime singleton
};
inline constexpr int kStaticInitCount = static_cast<int>(StaticInit::Runtime) + 1;

// A registered block of statics.
struct StaticBlock {
    const char* name;
    void* address;
    std::size_t size;
    void (*reset)(void* block);  // back to all zero (null, false)
    std::vector<Object**> roots;
};

class StaticClass {
public:
    static constexpr const char* kConstantsResource = "/constants.bin";
    // More constants than any real file holds; a larger count is cut to it (a corrupt count
    // must not claim the heaps).
    static constexpr int32_t kMaxConstants = 1 << 16;

    // Steps 1, 2 and 4 of start-up: the registered blocks zeroed, the class records filled, the
    // roots gathered. The store must be installed in the Application before initialize().
    StaticClass();
    ~StaticClass();
    StaticClass(const StaticClass&) = delete;
    StaticClass& operator=(const StaticClass&) = delete;

    // The rest of start-up: the string constants (through the resource opener), then every
    // static initialiser in order.
    void initialize();

    void initClassNames();
    void freeClassBuffers();

    ClassRecord* findClassRecord(const Object* object);
    ClassRecord* findClassById(int32_t classId);
    static bool isSubclassOf(const ClassRecord* record, int32_t target);
    ClassRecord* records() { return m_records; }
    // Per class id, the collector's summary of the record's reference fields: bit i set for a
    // reference at byte offset 8 × i; bit 0 (the vtable's word, never a reference) set when the
    // fields must be read from the record instead (an offset the word map cannot hold) and for
    // ObjectArray, whose references are its elements. 0: nothing to scan.
    const uint64_t* refMaps() const { return m_refMaps; }

    // Records the offsets on the class's first instance; does nothing afterwards.
    void setClassRefOffsets(const Object* object, const int32_t* offsets, int32_t count);

    // ---- blocks of statics and their roots ----

    // Registers a class's block (once per address; again replaces it). Before the runtime
    // starts; a block registered while a store is live joins that store's roots at once.
    static void registerBlock(const char* name, void* block, std::size_t size, void (*reset)(void*),
                              std::vector<Object**> roots);
    template <class Block>
    static void registerStatics(const char* name, Block* block) {
        static_assert(std::is_default_constructible_v<Block>);
        registerBlock(name, block, sizeof(Block), &resetBlock<Block>, rootsOf(block));
    }
    static const std::vector<StaticBlock>& blocks();

    // A root outside the blocks (tests, benchmarks); kept until the store is destroyed.
    void addRoot(Object** field);
    template <class T>
    void addRoot(T** field) {
        addRoot(reinterpret_cast<Object**>(field));
    }
    // The addresses of every static field that holds a reference.
    const std::vector<Object**>& roots() const { return m_roots; }
    int32_t rootCount() const { return static_cast<int32_t>(m_roots.size()); }
    // Words of the blocks that point into a live object yet are no root: a field missing from
    // its block's list. Each is logged; returns how many.
    int32_t checkRoots() const;

    // ---- static initialisers ----

    using Initialiser = void (*)();
    // Fills a slot; returns what it held.
    static Initialiser setInitialiser(StaticInit slot, Initialiser initialiser);
    void runStaticInitialisers();

    // ---- string constants ----

    // Opens a resource by name as an input stream, or null (installed by the platform layer).
    using ResourceOpener = java_io_InputStream* (*)(const char* name);
    static void setResourceOpener(ResourceOpener opener);
    static ResourceOpener resourceOpener();
    // Reads "/constants.bin" through the resource opener; false (and a trace) without it.
    bool loadConstants();
    // Reads the constants from `stream` (big-endian count, then as many readUTF strings), then
    // closes it. Constants the stream does not hold stay null.
    bool loadConstants(java_io_InputStream* stream);

    // The string-constant array (an ObjectArray of String); a root of its own.
    ObjectArray* stringConstants = nullptr;
    // Constant n; a missing array is reported ("NullPointer"), a number outside it gives null.
    String* getStringConstant(int32_t n);
    // The same without the report, for messages that may be built before the constants exist.
    String* stringConstantOrNull(int32_t n) const;
    int32_t constantCount() const;

private:
    template <class Block>
    static void resetBlock(void* p) {
        auto* block = static_cast<Block*>(p);
        std::destroy_at(block);
        ::new (p) Block();
    }
    template <class Block>
    static std::vector<Object**> rootsOf(Block* block) {
        std::vector<Object**> roots;
        if constexpr (requires { Block::refFields(); }) {
            std::apply(
                [&](auto... member) {
                    (
                        [&] {
                            using Field = std::remove_reference_t<decltype(block->*member)>;
                            static_assert(std::is_pointer_v<Field>, "a static root must be a reference field");
                            roots.push_back(reinterpret_cast<Object**>(&(block->*member)));
                        }(),
                        ...);
                },
                Block::refFields());
        }
        return roots;
    }
    void rebuildRoots();

    ClassRecord m_records[kClassCount];
    uint64_t m_refMaps[kClassCount];
    std::vector<Object**> m_roots;
    std::vector<Object**> m_extraRoots;
};

}  // namespace mrc

// The class-name services of java.lang.Class.
class Class {
public:
    // '.' becomes '_', then the first record in id order whose name begins with the result.
    static mrc::ClassRecord* forName(const char* name);
    static mrc::ClassRecord* forName(String* name);

    // The resource by name as an input stream, or null: a loose ".bar" file, else the entry of
    // the data archive. Defined by the platform layer, which also installs it as the
    // StaticClass resource opener.
    static java_io_InputStream* getResourceAsStream(String* name);
};
