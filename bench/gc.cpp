// Mark-and-sweep time of the runtime's collector next to the Boehm collector (GC_gcollect) on the
// same heap shapes: a linked list, a binary tree, wide object arrays, and a mix where 70 % of the
// objects are garbage. Heaps of about 1 MB and 3 MB of objects.
#include <benchmark/benchmark.h>
#include <gc.h>

#include <cstring>
#include <vector>

#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

// The shapes' node: two references and a payload, like a small game object.
class Node : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Hashtable_Entry;
    MRC_REF_FIELDS(&Node::left, &Node::right);
    Object* left;
    Object* right;
    int32_t payload[2];
};

class Refs : public JArray {
public:
    using Base = JArray;
    static constexpr uint16_t kClassId = mrc::kClass_ObjectArray;
    ~Refs() override { mrc::ApplicationImpl::getApplication()->objectManager->releaseBuffer(data); }
    int32_t elementSize() override { return sizeof(Object*); }
};

enum Shape { kList, kTree, kWide, kMix };
constexpr std::size_t kNodeBytes = sizeof(Node) + 8;  // with the heap's block header

// ---- the runtime's collector --------------------------------------------------------------

Object* g_root = nullptr;

struct Runtime {
    Runtime() {
        mrc::ApplicationImpl::getInstance()->initRuntime(false, 6u << 20, 8u << 20);
        mrc::ApplicationImpl::getApplication()->staticClass->addRoot(&g_root);
    }
    ~Runtime() {
        g_root = nullptr;
        mrc::ApplicationImpl::getInstance()->shutdownRuntime();
    }
};

Node* node() { return mrc::newObject<Node>(); }

Refs* refs(int32_t n) {
    auto* a = mrc::newObject<Refs>();
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    a->length = n;
    a->data = om->allocArrayData(n, sizeof(Object*));
    om->registerMovable(a, &a->data);
    return a;
}

Object* tree(int depth) {
    if (depth == 0) return nullptr;
    Node* n = node();
    n->left = tree(depth - 1);
    n->right = tree(depth - 1);
    return n;
}

int treeDepthFor(std::size_t objects) {
    int depth = 1;
    while ((std::size_t{1} << (depth + 1)) - 1 <= objects) ++depth;
    return depth;
}

void buildOurs(Shape shape, std::size_t bytes) {
    std::size_t objects = bytes / kNodeBytes;
    g_root = nullptr;
    switch (shape) {
    case kList:
        for (std::size_t i = 0; i < objects; ++i) {
            Node* n = node();
            n->left = g_root;
            g_root = n;
        }
        break;
    case kTree:
        g_root = tree(treeDepthFor(objects));
        break;
    case kWide: {
        constexpr int32_t kWidth = 1000;
        std::size_t arrays = objects / kWidth + 1;
        Refs* outer = refs(static_cast<int32_t>(arrays));
        g_root = outer;
        for (std::size_t a = 0; a < arrays; ++a) {
            Refs* inner = refs(kWidth);
            static_cast<Object**>(outer->data)[a] = inner;
            for (int32_t i = 0; i < kWidth; ++i) static_cast<Object**>(inner->data)[i] = node();
        }
        break;
    }
    case kMix:
        for (std::size_t i = 0; i < objects; ++i) {
            Node* n = node();
            if (i % 10 < 3) {
                n->left = g_root;
                g_root = n;
            }
        }
        break;
    }
}

void BM_Runtime(benchmark::State& state) {
    Runtime runtime;
    auto shape = static_cast<Shape>(state.range(0));
    auto bytes = static_cast<std::size_t>(state.range(1));
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    buildOurs(shape, bytes);
    for (auto _ : state) {
        if (shape == kMix) {
            state.PauseTiming();
            buildOurs(shape, bytes);
            state.ResumeTiming();
        }
        om->gc(mrc::kGcForced);
    }
    state.counters["objects"] = static_cast<double>(om->objectCount());
}

// ---- Boehm on the same shapes ---------------------------------------------------------------

struct GcNode {
    GcNode* left;
    GcNode* right;
    int32_t payload[2];
};

void* volatile g_gcRoot = nullptr;

GcNode* gcNode() { return static_cast<GcNode*>(GC_MALLOC(sizeof(GcNode))); }

GcNode* gcTree(int depth) {
    if (depth == 0) return nullptr;
    GcNode* n = gcNode();
    n->left = gcTree(depth - 1);
    n->right = gcTree(depth - 1);
    return n;
}

void buildBoehm(Shape shape, std::size_t bytes) {
    std::size_t objects = bytes / kNodeBytes;
    g_gcRoot = nullptr;
    switch (shape) {
    case kList: {
        GcNode* head = nullptr;
        for (std::size_t i = 0; i < objects; ++i) {
            GcNode* n = gcNode();
            n->left = head;
            head = n;
        }
        g_gcRoot = head;
        break;
    }
    case kTree:
        g_gcRoot = gcTree(treeDepthFor(objects));
        break;
    case kWide: {
        constexpr std::size_t kWidth = 1000;
        std::size_t arrays = objects / kWidth + 1;
        auto** outer = static_cast<void**>(GC_MALLOC(arrays * sizeof(void*)));
        g_gcRoot = outer;
        for (std::size_t a = 0; a < arrays; ++a) {
            auto** inner = static_cast<void**>(GC_MALLOC(kWidth * sizeof(void*)));
            outer[a] = inner;
            for (std::size_t i = 0; i < kWidth; ++i) inner[i] = gcNode();
        }
        break;
    }
    case kMix: {
        GcNode* head = nullptr;
        for (std::size_t i = 0; i < objects; ++i) {
            GcNode* n = gcNode();
            if (i % 10 < 3) {
                n->left = head;
                head = n;
            }
        }
        g_gcRoot = head;
        break;
    }
    }
}

void BM_Boehm(benchmark::State& state) {
    auto shape = static_cast<Shape>(state.range(0));
    auto bytes = static_cast<std::size_t>(state.range(1));
    buildBoehm(shape, bytes);
    GC_gcollect();
    for (auto _ : state) {
        if (shape == kMix) {
            state.PauseTiming();
            buildBoehm(shape, bytes);
            state.ResumeTiming();
        }
        GC_gcollect();
    }
    g_gcRoot = nullptr;
    GC_gcollect();
}

void shapes(benchmark::internal::Benchmark* b) {
    for (int64_t bytes : {int64_t{1} << 20, int64_t{3} << 20})
        for (int shape : {kList, kTree, kWide, kMix}) b->Args({shape, bytes});
    // The mix rebuilds its heap, untimed, before every collection, and best-fit allocation into a
    // heap of holes is slow: a short timed budget keeps the whole run to a minute or two.
    b->ArgNames({"shape", "bytes"})->Unit(benchmark::kMicrosecond)->MinTime(0.1);
}

BENCHMARK(BM_Runtime)->Apply(shapes);
BENCHMARK(BM_Boehm)->Apply(shapes);

}  // namespace

int main(int argc, char** argv) {
    GC_INIT();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
