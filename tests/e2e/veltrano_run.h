// The fixture of the end-to-end runs: each run is a child process of veltrano or one of its
// stand-ins, with its own data, save and runtime folders, a built data.bar and scripted input; its
// exit code and log lines are kept.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tests/support/temp_folder.h"

namespace e2e {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using Lines = std::vector<std::string>;

constexpr auto kRunTimeout = 60s;

struct RunResult {
    std::optional<int> exitCode;
    Lines lines;
    std::string output;
    std::string errors;  // standard error, when it was kept apart

    std::size_t count(const std::string& needle) const {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(needle) != std::string::npos; });
    }
    // The stand-in's lines without the prefix, those starting with `prefix` only.
    Lines standIn(const std::string& prefix = "") const {
        Lines out;
        for (const std::string& l : lines)
            if (l.rfind("StandIn " + prefix, 0) == 0) out.push_back(l.substr(8));
        return out;
    }
    // Whether `wanted` appear in this order (other lines between them).
    bool inOrder(const Lines& wanted) const {
        auto at = lines.begin();
        for (const std::string& w : wanted) {
            at = std::find_if(at, lines.end(), [&](const std::string& l) { return l.find(w) != std::string::npos; });
            if (at == lines.end()) return false;
            ++at;
        }
        return true;
    }
};

class VeltranoRun : public ::testing::Test {
protected:
    void SetUp() override {
        formats::ArchiveWriter archive;
        archive.addText("app.jad", "MIDlet-Name: Stand In\r\nMIDlet-Vendor: Tests\n");
        std::vector<std::string> constants;
        for (int i = 0; i < 600; ++i) constants.push_back("constant " + std::to_string(i));
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        std::filesystem::create_directories(m_dir / "data");
        ASSERT_TRUE(archive.save(m_dir / "data" / formats::kArchiveFileName));
        std::filesystem::create_directories(m_dir / "runtime");
    }

    e2e::EnvChanges env() const {
        return {{"XDG_RUNTIME_DIR", (m_dir / "runtime").string()},
                {"DISPLAY", std::nullopt},
                {"WAYLAND_DISPLAY", std::nullopt}};
    }

    std::vector<std::string> args(const std::string& script, std::vector<std::string> more = {}) {
        std::vector<std::string> a = {"--data", (m_dir / "data").string(), "--save-dir", (m_dir / "save").string()};
        if (!script.empty()) {
            std::filesystem::path path = m_dir / ("script" + std::to_string(++m_scripts) + ".txt");
            test_support::writeText(path, script);
            a.insert(a.end(), {"--input", path.string()});
        }
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }

    std::filesystem::path output() { return m_dir / ("out" + std::to_string(++m_outputs) + ".txt"); }

    RunResult run(const char* executable, const std::vector<std::string>& arguments, const e2e::EnvChanges& changes) {
        return finish(e2e::ChildProcess(executable, arguments, changes, output()));
    }
    // A run with standard error apart (in `errors`), started in `workingDir` ("" for the test's own).
    RunResult runSplit(const char* executable, const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingDir = {}) {
        return finish(e2e::ChildProcess(executable, arguments, env(), output(), output(), workingDir));
    }
    static RunResult finish(e2e::ChildProcess&& child) {
        EXPECT_TRUE(child.started());
        RunResult r;
        r.exitCode = child.wait(kRunTimeout);
        r.output = child.output();
        r.errors = child.errors();
        r.lines = child.lines();
        return r;
    }

    RunResult standIn(const std::string& script, std::vector<std::string> more = {"--headless"}) {
        return run(VELTRANO_STAND_IN, args(script, std::move(more)), env());
    }

    test_support::TempFolder m_dir{"veltrano-e2e"};
    int m_scripts = 0;
    int m_outputs = 0;
};

// A PNG screenshot read back; 0 by 0 when it cannot be read.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 8-bit RGB, row by row

    explicit Screenshot(const std::filesystem::path& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) return;
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return;
        width = static_cast<int>(image.width);
        height = static_cast<int>(image.height);
    }
    // The pixel as 0xRRGGBB.
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

}  // namespace e2e
