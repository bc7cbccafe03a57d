// Level data read from a written archive: the loader's cinematic command (its pack rule, the
// actor list gathered before the block is read, a missing entry) and the speaker table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/sprite/sprite_instance.h"
#include "game/objects/cobject.h"
#include "tests/game/archive_game_fixture.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/cinematic_block.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/pack_file.h"

namespace {

using namespace mrc;

std::vector<uint8_t> speakerTable() {
    // Three columns; each row a 2-byte header, then the values.
    std::vector<uint8_t> b;
    for (int16_t row : {0, 1}) {
        b.push_back(0x55);
        b.push_back(3);
        for (int16_t v : {int16_t(row * 10 + 1), int16_t(-2), int16_t(300)}) {
            b.push_back(uint8_t(v & 0xFF));
            b.push_back(uint8_t((v >> 8) & 0xFF));
        }
    }
    b.push_back(9);  // a partial row is not read
    return b;
}

class CinematicLoadingTest : public test::ArchiveGameTest {
protected:
    CinematicLoadingTest() : ArchiveGameTest("veltrano-cinematics") {}

    // Pack 0 ("/pk/p0"): entry 0 filler, entry 1 the speaker table, entry 2 a cinematic block.
    void saveData() override {
        std::vector<std::string> constants = packConstants();
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        formats::PackWriter pack;
        pack.add({1, 2, 3});
        pack.add(speakerTable());
        pack.add(formats::cinematicBlock({{70, {{2, 1, 5, {{0, {formats::cineCommand(21, {8, 9})}}}}}}}));
        archive.add("pk/p0", pack.build());
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }
    void SetUp() override {
        ArchiveGameTest::SetUp();
        Game::cinematics = CinematicStatics{};
        Game::cinematics.s_cineActors = om()->newObjectArray(kClass_CObject, 4);
    }
    static CObject* newObjectWithId(int32_t id, int32_t type) {
        return CObject::create(id, type, 0, 0, om()->newIntArray(20));
    }
};

TEST_F(CinematicLoadingTest, TheLoaderGathersTheActorsAndReadsTheBlock) {
    CinematicStatics& c = Game::cinematics;
    c.s_cineActors->elements()[0] = newObjectWithId(77, 1);  // an actor of the previous level
    c.s_cineActorCount = 1;
    CObject* player = newObjectWithId(5, 0);
    Game::objects.s_player = player;
    Game::startSequence(script({{13, 0, 7}, {13, 0, 2}}), false, 0, 100);
    Game::loadStep();  // entry 7 is missing: nothing changes
    EXPECT_EQ(c.s_cineActorCount, 1);
    EXPECT_EQ(c.s_cineData, nullptr);
    Game::startSequence(script({{13, 0, 2}}), false, 0, 100);
    Game::loadStep();
    ASSERT_EQ(c.s_cineActorCount, 1);
    EXPECT_EQ(c.s_cineActors->elements()[0], player) << "the list was cleared, then gathered";
    EXPECT_EQ(c.s_cineGroupCount, 1);
    EXPECT_EQ(c.s_cineTrackCount, 1);
    EXPECT_EQ(Game::findCinematicGroup(70), 0);
    ASSERT_TRUE(Game::startCinematicGroup(0));
    EXPECT_EQ(player->m_sprite->x, 8 << 14);
    EXPECT_EQ(player->m_sprite->y, 9 << 14);
}

TEST_F(CinematicLoadingTest, TheSpeakerTableHoldsTheRowsOfEntryOne) {
    Game::openLoaderPack(0);
    Game::buildGrid();
    auto* rows = Game::objects.s_speakers;
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->length, 2);
    for (int32_t r = 0; r < 2; ++r) {
        auto* row = static_cast<IntArray*>(rows->elements()[r]);
        ASSERT_EQ(row->length, 3);
        EXPECT_EQ(std::vector<int32_t>(row->elements(), row->elements() + 3), (std::vector<int32_t>{r * 10 + 1, -2, 300}));
    }
    Game::closePack();
    Game::buildGrid();  // no pack open: no table
    EXPECT_EQ(Game::objects.s_speakers, nullptr);
}

}  // namespace
