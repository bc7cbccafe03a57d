// The synchronized library operations from several Java threads at once: no update is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "runtime/io/byte_array_output_stream.h"
#include "runtime/lang/string.h"
#include "runtime/util/hashtable.h"
#include "runtime/util/random.h"
#include "runtime/util/vector.h"
#include "tests/runtime/core/java_threads.h"

namespace {

using namespace mrc::test;

class LibraryThreads : public BothModesTest {};

TEST_P(LibraryThreads, SynchronizedOperationsLoseNoUpdate) {
    constexpr int kThreads = 3;
    constexpr int kEach = 300;
    auto* vector = java_util_Vector::newInstance();
    auto* table = java_util_Hashtable::newInstance();
    auto* bytes = java_io_ByteArrayOutputStream::newInstance(1);
    auto* random = java_util_Random::newInstance(99);
    std::atomic<int> done{0};
    auto work = [&](int id) {
        for (int i = 0; i < kEach; ++i) {
            String* key = mrc::newString((std::to_string(id) + ":" + std::to_string(i)).c_str());
            vector->addElement(key);
            table->put(key, key);
            bytes->write(id);
            random->next(31);
        }
        done.fetch_add(1);
    };
    auto w0 = [&] { work(0); };
    auto w1 = [&] { work(1); };
    auto w2 = [&] { work(2); };
    java_lang_Thread* threads[] = {startJavaThread(w0), startJavaThread(w1), startJavaThread(w2)};
    ASSERT_TRUE(waitUntil([&] { return done.load() == kThreads; }));
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));

    EXPECT_EQ(vector->size(), kThreads * kEach);
    EXPECT_EQ(table->size(), kThreads * kEach);
    EXPECT_EQ(bytes->size(), kThreads * kEach);
    for (int id = 0; id < kThreads; ++id)
        for (int i = 0; i < kEach; i += 37) {
            String* key = mrc::newString((std::to_string(id) + ":" + std::to_string(i)).c_str());
            EXPECT_TRUE(table->containsKey(key)) << id << ":" << i;
            EXPECT_GE(vector->indexOfObject(key), 0) << id << ":" << i;
        }
    auto* twin = java_util_Random::newInstance(99);
    for (int i = 0; i < kThreads * kEach; ++i) twin->next(31);
    EXPECT_EQ(random->seedLow, twin->seedLow);
    EXPECT_EQ(random->seedHigh, twin->seedHigh);
}

INSTANTIATE_TEST_SUITE_P(Modes, LibraryThreads, ::testing::Bool(), modeName);

}  // namespace
