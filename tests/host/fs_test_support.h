// A data folder and a save folder of their own for each file-system test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/fs/file.h"
#include "host/fs/paths.h"
#include "tests/support/temp_folder.h"

namespace fs_test {

inline const std::string kInstall = std::string(host::fs::kInstallFolder) + "\\";

class FsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = host::fs::folders();
        std::filesystem::create_directories(dataDir());
        host::fs::setFolders({dataDir(), saveDir()});
        host::fs::clearFaults();
    }
    void TearDown() override {
        host::fs::clearFaults();
        host::fs::setFolders(m_previous);
    }

    std::filesystem::path dataDir() const { return m_root / "data"; }
    std::filesystem::path saveDir() const { return m_root / "save"; }
    // A device path inside the install folder.
    static std::string device(std::string_view name) { return kInstall + std::string(name); }

    test_support::TempFolder m_root{"veltrano-fs"};

private:
    host::fs::Folders m_previous;
};

}  // namespace fs_test
