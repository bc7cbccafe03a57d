// A started runtime over the pumped headless audio sink whose resources come from a data
// archive holding the sound packs under test.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/core/framework_statics.h"
#include "framework/sound/sound_manager.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "runtime/core/static_class.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/sound_pack.h"
#include "tests/platform/media/media_fixture.h"
#include "tests/support/temp_folder.h"

namespace mrc::test {

inline constexpr const char* kPackName = "/snd.pack";

// Not a sound file of any kind the players know.
inline const std::vector<uint8_t>& unknownSound() {
    static const std::vector<uint8_t> bytes = {'X', 'Y', 'Z', 'W', 1, 2, 3, 4, 5, 6, 7, 8};
    return bytes;
}

class SoundTest : public MediaTest {
protected:
    void SetUp() override {
        registerFrameworkStatics();
        m_previous = host::fs::folders();
        std::filesystem::create_directories(m_root.path() / "data");
        platform::initFiles(m_root.path() / "data", m_root.path() / "save");
        MediaTest::SetUp();
        if (isNull(WM_JSound_SND::statics.rebuildIds)) WM_JSound_SND::clinit();
    }
    void TearDown() override {
        MediaTest::TearDown();
        host::fs::setFolders(m_previous);
        StaticClass::setResourceOpener(nullptr);
    }

    // The pack's parts saved in data.bar as kPackName, kPackName + "_1", ...
    void savePack(const formats::SoundPackWriter& writer) {
        formats::ArchiveWriter archive;
        std::vector<std::vector<uint8_t>> parts = writer.build();
        for (std::size_t k = 0; k < parts.size(); ++k) {
            std::string name = std::string(kPackName + 1) + (k ? "_" + std::to_string(k) : std::string());
            archive.add(name, parts[k]);
        }
        ASSERT_TRUE(archive.save(m_root.path() / "data" / "data.bar"));
    }

    static std::vector<uint8_t> bytesOf(ByteArray* a) {
        if (!a) return {};
        auto* p = reinterpret_cast<const uint8_t*>(a->elements());
        return std::vector<uint8_t>(p, p + a->length);
    }

    test_support::TempFolder m_root{"veltrano-sound"};
    host::fs::Folders m_previous;
};

}  // namespace mrc::test
