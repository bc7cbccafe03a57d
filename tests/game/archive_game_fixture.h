// A game started over a data archive that the test writes (saveData) into a temporary data
// folder: the folders are set before the runtime starts and put back after it; the constants are
// read from that archive, then the Game initialiser and initResources run and a canvas is made.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "runtime/core/static_class.h"
#include "tests/game/game_fixture.h"
#include "tests/support/temp_folder.h"

namespace mrc::test {

class ArchiveGameTest : public GameTest {
protected:
    explicit ArchiveGameTest(std::string_view tag) : m_root(tag) {}

    // Writes m_root / "data" / "data.bar".
    virtual void saveData() = 0;

    // The constants a test archive starts from: 538 strings, pack i named "/pk/p<i>" (0-27).
    static std::vector<std::string> packConstants() {
        std::vector<std::string> constants(538);
        constants[Game::kPackPathText] = "/pk/";
        for (int i = 0; i < 28; ++i) constants[std::size_t(510 + i)] = "p" + std::to_string(i);
        return constants;
    }

    void SetUp() override {
        m_previous = host::fs::folders();
        std::filesystem::create_directories(m_root / "data");
        platform::initFiles(m_root / "data", m_root / "save");
        GameTest::SetUp();
        saveData();
        app()->staticClass->loadConstants();
        GameStatics::clinit();  // the pack names come from the constants
        Game::initResources();
        game = newGame();
    }
    void TearDown() override {
        GameTest::TearDown();
        host::fs::setFolders(m_previous);
    }

    Game* game = nullptr;
    test_support::TempFolder m_root;

private:
    host::fs::Folders m_previous;
};

}  // namespace mrc::test
