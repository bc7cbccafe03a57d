// The runtime's collector next to the Boehm collector on the same heap shapes of the same objects:
// a linked list, a binary tree, wide object arrays, and a mix where 70 % of the objects are
// garbage; heaps of about 1 MB and 3 MB of objects. Each iteration builds the shape and collects
// once, on both sides: Boehm sweeps lazily inside its allocations, so a collection alone would
// flatter it. Apart, the mark against a plain walk of the same graph. The ratios are printed after
// the table.
#include <benchmark/benchmark.h>
#include <gc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bench/ratio_report.h"

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

// ---- the shapes, on either side -----------------------------------------------------------

// The two sides' objects, in the same layout (class pointer, header, references, payload), so
// that both collectors are asked for the same bytes: ours from the runtime, registered; Boehm's on
// its storage, which neither registers them nor runs their destructors.
struct Ours {
    static Node* node() { return mrc::newObject<Node>(); }
    static Refs* refs(int32_t n) {
        auto* a = mrc::newObject<Refs>();
        auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
        a->length = n;
        a->data = om->allocArrayData(n, sizeof(Object*));
        om->registerMovable(a, &a->data);
        return a;
    }
};

struct OnBoehm {
    static Node* node() {
        auto* n = new (GC_MALLOC(sizeof(Node))) Node();
        n->stampHeader(Node::kClassId);
        return n;
    }
    // The array object and its element buffer apart, as on our side.
    static Refs* refs(int32_t n) {
        auto* a = new (GC_MALLOC(sizeof(Refs))) Refs();
        a->stampHeader(Refs::kClassId);
        a->length = n;
        a->data = GC_MALLOC(static_cast<std::size_t>(n) * sizeof(Object*));
        return a;
    }
};

template <class Side>
Object* tree(int depth) {
    if (depth == 0) return nullptr;
    Node* n = Side::node();
    n->left = tree<Side>(depth - 1);
    n->right = tree<Side>(depth - 1);
    return n;
}

int treeDepthFor(std::size_t objects) {
    int depth = 1;
    while ((std::size_t{1} << (depth + 1)) - 1 <= objects) ++depth;
    return depth;
}

// Builds the shape from `root`, a root of the side's collector (one the collector scans).
template <class Side>
void buildShape(Shape shape, std::size_t bytes, Object*& root) {
    std::size_t objects = bytes / kNodeBytes;
    root = nullptr;
    switch (shape) {
    case kList:
        for (std::size_t i = 0; i < objects; ++i) {
            Node* n = Side::node();
            n->left = root;
            root = n;
        }
        break;
    case kTree:
        root = tree<Side>(treeDepthFor(objects));
        break;
    case kWide: {
        constexpr int32_t kWidth = 1000;
        std::size_t arrays = objects / kWidth + 1;
        Refs* outer = Side::refs(static_cast<int32_t>(arrays));
        root = outer;
        for (std::size_t a = 0; a < arrays; ++a) {
            Refs* inner = Side::refs(kWidth);
            static_cast<Object**>(outer->data)[a] = inner;
            for (int32_t i = 0; i < kWidth; ++i) static_cast<Object**>(inner->data)[i] = Side::node();
        }
        break;
    }
    case kMix:
        for (std::size_t i = 0; i < objects; ++i) {
            Node* n = Side::node();
            if (i % 10 < 3) {
                n->left = root;
                root = n;
            }
        }
        break;
    }
}

// ---- the runtime's collector --------------------------------------------------------------

Object* g_root = nullptr;

struct Runtime {
    Runtime() {
        // Room for a 3 MB shape and the next one built beside it: a round collects once, as on
        // Boehm's side (6 MB made the wide shape, a little over 3 MB, collect inside its build).
        mrc::ApplicationImpl::getInstance()->initRuntime(false, 8u << 20, 8u << 20);
        mrc::ApplicationImpl::getApplication()->staticClass->addRoot(&g_root);
    }
    ~Runtime() {
        g_root = nullptr;
        mrc::ApplicationImpl::getInstance()->shutdownRuntime();
    }
};

void buildOurs(Shape shape, std::size_t bytes) { buildShape<Ours>(shape, bytes, g_root); }

// The timed rounds of build + collect, the two steps also timed apart (microseconds per round in
// the counters `build` and `collect`): where one side wins is then plain in every run. The
// counter `gcs` is the side's collections a round (`collections` reads its total), which must be 1
// for both sides to do the same work.
// Two rounds run untimed first, so that no timed round pays for what only the first ones do:
// mapping in the pages of a new runtime's heap (a round builds while the last round's shape still
// holds its storage: the second maps what the first did not), growing the registry or Boehm's heap.
template <class Build, class Collect, class Collections>
void rounds(benchmark::State& state, Build build, Collect collect, Collections collections) {
    for (int warm = 0; warm < 2; ++warm) {
        build();
        collect();
    }
    const auto before = collections();
    using Clock = std::chrono::steady_clock;
    Clock::duration building{}, collecting{};
    for (auto _ : state) {
        const auto start = Clock::now();
        build();
        const auto built = Clock::now();
        collect();
        collecting += Clock::now() - built;
        building += built - start;
    }
    const auto perRound = [&](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / static_cast<double>(state.iterations());
    };
    state.counters["build"] = perRound(building);
    state.counters["collect"] = perRound(collecting);
    state.counters["gcs"] = static_cast<double>(collections() - before) / static_cast<double>(state.iterations());
}

void BM_BuildCollect_Runtime(benchmark::State& state) {
    Runtime runtime;
    auto shape = static_cast<Shape>(state.range(0));
    auto bytes = static_cast<std::size_t>(state.range(1));
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    // What the last round built is garbage now.
    rounds(state, [&] { buildOurs(shape, bytes); }, [&] { om->gc(mrc::kGcForced); },
           [&] { return om->collections(); });
    state.counters["objects"] = static_cast<double>(om->objectCount());
}

// The mark of the collector from the shape's root, against a plain walk of the same graph that
// knows its two kinds of objects; both start from clear marks (cleared untimed) and set them.
void clearMarks(mrc::ObjectManager* om) {
    for (int32_t i = 0, n = om->objectCount(); i < n; ++i) om->objectAt(i)->m_mark = 0;
}

void walk(Object* root, std::vector<Object*>& stack) {
    stack.clear();
    auto visit = [&](Object* o) {
        if (o && !o->m_mark) {
            o->m_mark = 1;
            stack.push_back(o);
        }
    };
    visit(root);
    while (!stack.empty()) {
        Object* o = stack.back();
        stack.pop_back();
        if (o->m_classId == mrc::kClass_ObjectArray) {
            auto* a = static_cast<Refs*>(o);
            auto** elements = static_cast<Object**>(a->data);
            for (int32_t i = 0; i < a->length; ++i) visit(elements[i]);
        } else {
            auto* n = static_cast<Node*>(o);
            visit(n->left);
            visit(n->right);
        }
    }
}

void BM_Mark_Runtime(benchmark::State& state) {
    Runtime runtime;
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    buildOurs(static_cast<Shape>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        clearMarks(om);
        state.ResumeTiming();
        om->markFrom(g_root);
    }
    clearMarks(om);
}

void BM_Mark_Walk(benchmark::State& state) {
    Runtime runtime;
    auto* om = mrc::ApplicationImpl::getApplication()->objectManager;
    buildOurs(static_cast<Shape>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::vector<Object*> stack;
    stack.reserve(static_cast<std::size_t>(om->objectCount()));
    for (auto _ : state) {
        state.PauseTiming();
        clearMarks(om);
        state.ResumeTiming();
        walk(g_root, stack);
    }
    clearMarks(om);
}

// ---- Boehm on the same shapes ---------------------------------------------------------------

Object* g_gcRoot = nullptr;  // in the data segment, which Boehm scans

void BM_BuildCollect_Boehm(benchmark::State& state) {
    auto shape = static_cast<Shape>(state.range(0));
    auto bytes = static_cast<std::size_t>(state.range(1));
    // One collection a round, as on our side: left to itself, Boehm also collects inside a build
    // whenever its heap is small for the shape, which its history decides (one run of the 3 MB
    // mix at 0.7 ms, the next at 1.3 ms with two collections a round). Without those it is at its
    // fastest, and each run measures the same work.
    auto build = [&] {
        GC_disable();
        buildShape<OnBoehm>(shape, bytes, g_gcRoot);
        GC_enable();
    };
    GC_gcollect();
    rounds(state, build, [] { GC_gcollect(); }, [] { return static_cast<uint64_t>(GC_get_gc_no()); });
    g_gcRoot = nullptr;
    GC_gcollect();
}

void shapes(benchmark::internal::Benchmark* b) {
    for (int64_t bytes : {int64_t{1} << 20, int64_t{3} << 20})
        for (int shape : {kList, kTree, kWide, kMix}) b->Args({shape, bytes});
    b->ArgNames({"shape", "bytes"})->Unit(benchmark::kMicrosecond)->MinTime(0.2);
}

BENCHMARK(BM_BuildCollect_Runtime)->Apply(shapes);
BENCHMARK(BM_BuildCollect_Boehm)->Apply(shapes);
BENCHMARK(BM_Mark_Runtime)->Apply(shapes);
BENCHMARK(BM_Mark_Walk)->Apply(shapes);

}  // namespace

int main(int argc, char** argv) {
    GC_INIT();
    // Real (wall) time: the ratios are of elapsed time.
    bench::RatioReporter reporter;
    if (!bench::runBenchmarks(argc, argv, reporter)) return 1;
    constexpr bench::Clock kReal = bench::Clock::Real;
    const char* names[] = {"list", "tree", "wide", "mix"};
    for (int64_t bytes : {int64_t{1} << 20, int64_t{3} << 20}) {
        for (int shape : {kList, kTree, kWide, kMix}) {
            std::string args = "/shape:" + std::to_string(shape) + "/bytes:" + std::to_string(bytes);
            double ours = reporter.time("BM_BuildCollect_Runtime" + args, kReal);
            double boehm = reporter.time("BM_BuildCollect_Boehm" + args, kReal);
            double mark = reporter.time("BM_Mark_Runtime" + args, kReal);
            double plain = reporter.time("BM_Mark_Walk" + args, kReal);
            if (ours > 0 && boehm > 0) {
                std::printf("build+collect %s %lld KB: runtime / Boehm = %.2f", names[shape],
                            static_cast<long long>(bytes >> 10), ours / boehm);
                // The two steps apart; Boehm sweeps inside its allocations, so its build holds its sweep.
                for (const char* step : {"build", "collect"}) {
                    double a = reporter.counter("BM_BuildCollect_Runtime" + args, step);
                    double b = reporter.counter("BM_BuildCollect_Boehm" + args, step);
                    if (a > 0 && b > 0) std::printf(", %s %.2f", step, a / b);
                }
                std::printf("\n");
            }
            if (mark > 0 && plain > 0)
                std::printf("mark %s %lld KB: runtime / plain walk = %.2f\n", names[shape],
                            static_cast<long long>(bytes >> 10), mark / plain);
        }
    }
    return 0;
}
