#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/window/instance_lock.h"

namespace {

using Result = host::InstanceLock::Result;

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ::testing::TempDir() + "veltrano-lock-" + std::to_string(::getpid());
        std::filesystem::remove_all(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

TEST_F(InstanceLockTest, SecondStartIsRefusedAndCallsTheFirstToTheFront) {
    host::Event called;
    Result result = Result::Failed;
    auto first = host::InstanceLock::acquire("veltrano", [&] { called.set(); }, &result, dir);
    ASSERT_TRUE(first);
    EXPECT_EQ(result, Result::Acquired);
    EXPECT_EQ(first->lockPath(), dir + "/veltrano.lock");

    host::LogCapture log;
    auto second = host::InstanceLock::acquire("veltrano", nullptr, &result, dir);
    EXPECT_FALSE(second);
    EXPECT_EQ(result, Result::AnotherRunning);
    EXPECT_TRUE(log.contains("another instance is running"));
    ASSERT_TRUE(called.wait(5000));
    EXPECT_EQ(first->frontRequests(), 1u);

    // Another name is another program.
    auto other = host::InstanceLock::acquire("other", nullptr, &result, dir);
    EXPECT_TRUE(other);

    first.reset();
    auto third = host::InstanceLock::acquire("veltrano", nullptr, &result, dir);
    EXPECT_TRUE(third);
    EXPECT_EQ(result, Result::Acquired);
}

TEST_F(InstanceLockTest, LeftoverSocketOfACrashedRunDoesNotStopANewOne) {
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    { std::FILE* f = std::fopen((dir + "/veltrano.sock").c_str(), "w"); std::fclose(f); }
    host::Event called;
    auto first = host::InstanceLock::acquire("veltrano", [&] { called.set(); }, nullptr, dir);
    ASSERT_TRUE(first);
    EXPECT_FALSE(host::InstanceLock::acquire("veltrano", nullptr, nullptr, dir));
    EXPECT_TRUE(called.wait(5000));
}

TEST_F(InstanceLockTest, UnusableFolderOrNameFailsWithATrace) {
    host::LogCapture log;
    Result result = Result::Acquired;
    std::string file = dir + "-file";
    { std::FILE* f = std::fopen(file.c_str(), "w"); std::fclose(f); }
    EXPECT_FALSE(host::InstanceLock::acquire("veltrano", nullptr, &result, file));
    EXPECT_EQ(result, Result::Failed);
    EXPECT_TRUE(log.contains("is not a folder of this user"));
    std::remove(file.c_str());

    EXPECT_FALSE(host::InstanceLock::acquire("../escape", nullptr, &result, dir));
    EXPECT_EQ(result, Result::Failed);
    EXPECT_TRUE(log.contains("bad name"));
}

TEST(InstanceLockFolder, RuntimeFolderComesFromTheEnvironmentWhenAbsolute) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string keep = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(host::defaultRuntimeDir(), "/run/user/4242");
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(host::defaultRuntimeDir(), "/tmp/veltrano-" + std::to_string(::getuid()));
    if (saved) ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
