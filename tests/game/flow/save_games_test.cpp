#include <gtest/gtest.h>

#include <fstream>

#include "host/core/log.h"
#include "tests/game/world_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Ints = std::vector<int32_t>;

// The saves on the real record store in the fixture's save folder.
class SaveGamesTest : public mrc::test::WorldTest {
protected:
    static constexpr int32_t kSizes[] = {29, 1, 1, 1280, 1};

    std::filesystem::path recordFile(int32_t id) const {
        return saveDir() / ("rms_veltrano.dat_" + std::to_string(id) + ".dat");
    }
    Bytes record(int32_t id) const { return test_support::readBytes(recordFile(id)); }
    Bytes index() const { return test_support::readBytes(saveDir() / "rms_veltrano.dat"); }
    // Every file of the save folder, by name.
    std::map<std::string, Bytes> folder() const {
        std::map<std::string, Bytes> files;
        for (const auto& e : std::filesystem::directory_iterator(saveDir()))
            files[e.path().filename().string()] = test_support::readBytes(e.path());
        return files;
    }
    void firstStart() {
        Game::initSaveData();
        Game::loadRecordProgress();
    }
    static Ints bytesOf(ByteArray* a) { return isNull(a) ? Ints{} : Ints(a->elements(), a->elements() + a->length); }
    static int32_t le16(const Bytes& b, std::size_t at) { return static_cast<int16_t>(b[at] | b[at + 1] << 8); }

    // A level with a player, switchable objects and type-29 script objects.
    void makeLevel(int32_t switchables, int32_t type29s) {
        GameObjectStatics& g = Game::objects;
        // Each object goes into its list (a root) as soon as it is made.
        g.s_player = object(0, 0, {}, 30);
        g.s_type5Objects = om()->newObjectArray(mrc::kClass_CObject, switchables);
        for (int32_t i = 0; i < switchables; ++i) g.s_type5Objects->elements()[i] = object(100 + i, 5);
        Game::saves.s_switchableCount = switchables;
        g.s_scriptObjects = om()->newObjectArray(mrc::kClass_CObject, 2 * type29s);
        for (int32_t i = 0; i < type29s; ++i) {
            g.s_scriptObjects->elements()[2 * i] = object(200 + i, 29, {{18, 0}, {19, 0}});
            g.s_scriptObjects->elements()[2 * i + 1] = object(300 + i, 24);
        }
    }
    static CObject* switchable(int32_t i) {
        return static_cast<CObject*>(Game::objects.s_type5Objects->elements()[i]);
    }
    static CObject* type29(int32_t k) {
        return static_cast<CObject*>(Game::objects.s_scriptObjects->elements()[2 * k]);
    }

    host::LogCapture log;
};

TEST_F(SaveGamesTest, FirstStartLeavesFiveRecordsAndASecondReadsThem) {
    log.clear();
    firstStart();
    // Record 1 is missing from the new store: the read's failure is the only trace.
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("save: cannot read"), std::string::npos) << log.lines()[0];
    log.clear();
    for (int32_t id = 1; id <= 5; ++id) EXPECT_EQ(record(id).size(), std::size_t(kSizes[id - 1])) << id;
    EXPECT_EQ(record(4), Bytes(1280, 0xFF));
    EXPECT_EQ(record(1)[0], 0);  // no saved game
    EXPECT_EQ(record(1)[1], 0);  // level 0
    EXPECT_EQ(bytesOf(Game::flowStatics.s_levelProgress), Ints(1280, -1));

    // A second start reads record 1 and the progress, and creates nothing.
    const auto files = folder();
    Game::stateStatics.currentLevel = 9;
    Game::flowStatics.s_levelProgress->elements()[5] = 3;
    Game::saves.s_settingsRecord = nullptr;
    firstStart();
    EXPECT_EQ(Game::stateStatics.currentLevel, 0);
    EXPECT_EQ(Game::flowStatics.s_levelProgress->elements()[5], -1);
    EXPECT_EQ(folder(), files);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(SaveGamesTest, SettingsRecordRoundTrip) {
    firstStart();
    GameTableStatics& t = Game::tables;
    GameSaveStatics& s = Game::saves;
    t.s_hasSavedGame = 1;
    Game::stateStatics.currentLevel = 200;  // unsigned
    s.s_reservedByte = -3;
    Game::flowStatics.s_settings->elements()[0] = 2;
    t.s_mapLocation = 7;
    s.s_openLevelSelect = 1;
    s.s_firstRunDone = true;
    for (int32_t i = 0; i < 20; ++i) Game::flowStatics.s_bestCompletion->elements()[i] = static_cast<int8_t>(5 * i);
    Game::writeSettingsRecord();
    const Bytes written = record(1);
    ASSERT_EQ(written.size(), 29u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 8), (Bytes{1, 200, 0xFD, 2, 7, 1, 1, 0}));

    t.s_hasSavedGame = 0;
    Game::stateStatics.currentLevel = 0;
    s.s_reservedByte = 0;
    Game::flowStatics.s_settings->elements()[0] = 0;
    t.s_mapLocation = s.s_openLevelSelect = 0;
    s.s_firstRunDone = false;
    for (int32_t i = 0; i < 20; ++i) Game::flowStatics.s_bestCompletion->elements()[i] = 0;
    s.s_settingsRecord = nullptr;
    Game::initSaveData();
    EXPECT_EQ((Ints{t.s_hasSavedGame, Game::stateStatics.currentLevel, s.s_reservedByte,
                    Game::flowStatics.s_settings->elements()[0], t.s_mapLocation, s.s_openLevelSelect}),
              (Ints{1, 200, -3, 2, 7, 1}));
    EXPECT_TRUE(s.s_firstRunDone);
    EXPECT_EQ(Game::flowStatics.s_bestCompletion->elements()[19], 95);

    // The best completion alone, written also while saving is off.
    Game::flowStatics.s_bestCompletion->elements()[3] = 100;
    s.s_saveEnabled = false;
    Game::writeBestCompletion();
    EXPECT_EQ(record(1)[7 + 3], 100);
    Game::flowStatics.s_bestCompletion->elements()[3] = 0;
    Game::loadRecordOptions();
    EXPECT_EQ(Game::flowStatics.s_bestCompletion->elements()[3], 100);
}

TEST_F(SaveGamesTest, GameRecordRoundTripKeepsSignsAndObjects) {
    firstStart();
    makeLevel(12, 3);
    GameSaveStatics& s = Game::saves;
    Game::stateStatics.currentLevel = 4;
    s.s_resumeIndex = 250;
    Game::stateStatics.playMode = 2;
    s.s_nextLevel = 5;
    Game::overlayStatics.gameState = 9;
    Game::objects.s_currentItem = -1;
    CObject* p = Game::objects.s_player;
    p->m_sprite->x = -40 << 14;  // negative in pixels
    p->m_sprite->y = 1000 << 14;
    p->setParam(13, 30 << 14);
    p->setParam(19, 100 << 14);  // half of it, 50, wins
    switchable(1)->setParam(14, 5), switchable(1)->setParam(15, 2);
    switchable(9)->setParam(14, 5), switchable(9)->setParam(15, 2);
    switchable(10)->setParam(14, 5);  // dying, not done
    type29(0)->setParam(19, -7);
    type29(2)->setParam(19, 60);
    Game::stateStatics.kindCounts->elements()[3] = 4;
    Game::stateStatics.kindIndex->elements()[3] = -2;
    Game::stateStatics.savedCounters->elements()[10] = static_cast<int8_t>(250);
    Game::syncSaveData(true, false);

    const Bytes r = record(2);
    ASSERT_EQ(r.size(), 118u);
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 6), (Bytes{4, 250, 2, 5, 9, 0xFF}));
    EXPECT_EQ(le16(r, 6), -40);
    EXPECT_EQ(le16(r, 8), 1000);
    EXPECT_EQ(le16(r, 10), 50);
    EXPECT_EQ(r[12], 0x02);
    EXPECT_EQ(r[13], 0x02);
    EXPECT_EQ(r[14], 0);
    EXPECT_EQ((Bytes{r[22], r[23], r[24], r[25]}), (Bytes{0xF9, 0, 60, 0}));
    EXPECT_EQ(r[62 + 9], 4);
    EXPECT_EQ(le16(r, 62 + 10), -2);
    EXPECT_EQ(r[117], 250);
    EXPECT_EQ(Game::tables.s_hasSavedGame, 1);
    EXPECT_EQ(record(1)[0], 1);
    EXPECT_EQ(record(5).size(), 151u);  // the others follow

    // A new level: restore everything from the record.
    makeLevel(12, 3);
    Game::stateStatics.currentLevel = 0, s.s_resumeIndex = 0, Game::stateStatics.playMode = 0, s.s_nextLevel = 0;
    Game::objects.s_currentItem = 3;
    Game::stateStatics.kindCounts->elements()[3] = 0;
    Game::loadSavedGame(true);  // the header only
    EXPECT_EQ((Ints{Game::stateStatics.currentLevel, s.s_resumeIndex, Game::stateStatics.playMode, s.s_nextLevel,
                    s.s_savedState, Game::objects.s_currentItem}),
              (Ints{4, 250, 2, 5, 9, -1}));
    EXPECT_EQ(Game::objects.s_player->m_sprite->x, 0);
    EXPECT_EQ(Game::stateStatics.kindCounts->elements()[3], 0);

    CObject* q = Game::objects.s_player;
    q->setParam(19, 20 << 14);
    Game::loadSavedGame(false);
    EXPECT_EQ(q->m_sprite->x, -40 << 14);
    EXPECT_EQ(q->m_sprite->y, 1000 << 14);
    EXPECT_EQ(q->param(13), 50 << 14);
    for (int32_t i = 0; i < 12; ++i) {
        const bool done = i == 1 || i == 9;
        EXPECT_EQ(switchable(i)->param(14), done ? 5 : 0) << i;
        EXPECT_EQ(switchable(i)->param(15), done ? 2 : 0) << i;
    }
    EXPECT_EQ((Ints{type29(0)->param(18), type29(0)->param(19), type29(2)->param(18)}), (Ints{-7, -7, 60}));
    EXPECT_EQ(Game::stateStatics.kindCounts->elements()[3], 4);
    EXPECT_EQ(Game::stateStatics.kindIndex->elements()[3], -2);
    EXPECT_EQ(Game::stateStatics.savedCounters->elements()[10] & 0xFF, 250);
}

// The record holds 80 switchable objects and 40 type-29 objects: the others are neither saved
// nor restored, and nothing is written past the record.
TEST_F(SaveGamesTest, ObjectsBeyondTheRecordsRoomAreLeftAlone) {
    firstStart();
    makeLevel(90, 45);
    for (int32_t i : {79, 80, 85}) switchable(i)->setParam(14, 5), switchable(i)->setParam(15, 2);
    for (int32_t k = 0; k < 45; ++k) type29(k)->setParam(19, k + 1);
    Game::syncSaveData(true, false);
    const Bytes r = record(2);
    ASSERT_EQ(r.size(), 118u);
    EXPECT_EQ(r[21], 0x80);  // object 79
    EXPECT_EQ(r[61], 40);    // the 40th type-29 value
    EXPECT_EQ(r[62], Game::stateStatics.kindCounts->elements()[0] & 0xFF);

    makeLevel(90, 45);
    Game::loadSavedGame(false);
    EXPECT_EQ(switchable(79)->param(14), 5);
    EXPECT_EQ(switchable(80)->param(14), 0);
    EXPECT_EQ(type29(39)->param(19), 40);
    EXPECT_EQ(type29(40)->param(19), 0);
    EXPECT_EQ(mrc::ApplicationImpl::getApplication()->getPendingException(), nullptr);
}

TEST_F(SaveGamesTest, StatisticsRecordRoundTripSignExtendsFlagWords) {
    firstStart();
    makeLevel(0, 0);
    GameTableStatics& t = Game::tables;
    t.s_flagList->elements()[0] = 0x8001;
    t.s_flagList->elements()[39] = 0x12345;  // only the low 16 bits are kept
    t.s_counterA = 200, t.s_counterB = 3, t.s_counterC = 4;
    Game::objects.s_currentItem = 2, Game::objects.s_nextItem = -1;
    Game::objects.s_playerFlags = 0x901F;
    Game::setUpgradeShort(4, 1, -5);
    Game::setUpgradeShortAt4(0, 0, 300);
    Game::objects.s_player->setParam(16, 0x1010 << 14);
    Game::objects.s_player->setParam(20, 77);
    Game::saveGameState(true);
    const Bytes r = record(5);
    ASSERT_EQ(r.size(), 151u);
    EXPECT_EQ(le16(r, 147), 0x1010);
    EXPECT_EQ(le16(r, 149), 77);

    t.s_flagList->elements()[0] = 0;
    t.s_counterA = 0;
    Game::objects.s_playerFlags = 0;
    Game::initSlots3440();
    Game::objects.s_player->setParam(16, 0);
    Game::loadAndApplyProgressRecord();
    EXPECT_EQ(t.s_flagList->elements()[0], static_cast<int32_t>(0xFFFF8001));
    EXPECT_EQ(t.s_flagList->elements()[39], 0x2345);
    EXPECT_EQ((Ints{t.s_counterA, t.s_counterB, t.s_counterC, Game::objects.s_currentItem, Game::objects.s_nextItem}),
              (Ints{200, 3, 4, 2, -1}));
    EXPECT_EQ(Game::objects.s_playerFlags, static_cast<int32_t>(0xFFFF901F));
    EXPECT_EQ(Game::getUpgradeShort(4, 1), -5);
    EXPECT_EQ(Game::getUpgradeShort(0, 4), 300);
    EXPECT_EQ(Game::objects.s_player->param(16), 0x1010 << 14);
    EXPECT_EQ(Game::objects.s_player->param(20), 77);

    // Options 4, 5 and 6 change what is applied.
    Game::flowStatics.s_settings->elements()[5] = 2;
    Game::flowStatics.s_settings->elements()[6] = 2;
    Game::loadAndApplyProgressRecord();
    EXPECT_EQ(Game::objects.s_player->param(20), 99);
    EXPECT_EQ((Ints{t.s_counterA, t.s_counterB}), (Ints{20, 20}));
    EXPECT_EQ(Game::objects.s_playerFlags & 0x1F80, 0x380);  // pending bits applied

    // Without a player the last four bytes stay.
    Game::objects.s_player = nullptr;
    Game::saveGameState(false);
    EXPECT_EQ(le16(record(5), 147), 0x1010);
    EXPECT_EQ(le16(record(5), 149), 77);
}

TEST_F(SaveGamesTest, OneByteRecordsRestoreNothing) {
    firstStart();
    makeLevel(4, 1);
    Game::stateStatics.currentLevel = 6;
    Game::objects.s_currentItem = 3;
    Game::loadSavedGame(false);  // record 2 is the one byte it was created with
    EXPECT_EQ(Game::stateStatics.currentLevel, 6);
    EXPECT_EQ(Game::objects.s_currentItem, 3);
    EXPECT_EQ(record(2).size(), 1u);

    Game::tables.s_flagList->elements()[2] = 5;
    Game::objects.s_nextItem = 4;
    Game::loadAndApplyProgressRecord();  // record 5 too short: rewritten from the statics
    EXPECT_EQ(Game::tables.s_flagList->elements()[2], 5);
    EXPECT_EQ(Game::objects.s_nextItem, 4);
    const Bytes r = record(5);
    ASSERT_EQ(r.size(), 151u);
    EXPECT_EQ(r[4], 5);
    EXPECT_EQ(r[84], 4);

    // A cut record 1: nothing restored, and the writer starts a whole image.
    std::ofstream(recordFile(1), std::ios::binary | std::ios::trunc).put(1);
    Game::saves.s_settingsRecord = nullptr;
    Game::initSaveData();
    EXPECT_EQ(Game::stateStatics.currentLevel, 6);
    Game::writeSettingsRecord();
    EXPECT_EQ(record(1).size(), 29u);
    EXPECT_EQ(record(1)[1], 6);
}

TEST_F(SaveGamesTest, WithSavingOffOnlyTheImagesChange) {
    firstStart();
    makeLevel(3, 1);
    Game::syncSaveData(true, false);
    const auto files = folder();
    Game::tables.s_hasSavedGame = 0;
    Game::saves.s_saveEnabled = false;
    Game::stateStatics.currentLevel = 11;
    Game::syncSaveData(true, false);
    Game::writeSettingsRecord();
    Game::writeLevelProgress();
    Game::saveGameState(true);
    EXPECT_EQ(folder(), files);
    EXPECT_EQ(Game::tables.s_hasSavedGame, 0);
    EXPECT_EQ(Game::saves.s_gameRecord->elements()[0], 11);
    EXPECT_EQ(Game::saves.s_settingsRecord->elements()[1], 11);

    // Loading uses the images.
    Game::stateStatics.currentLevel = 0;
    Game::loadSavedGame(true);
    EXPECT_EQ(Game::stateStatics.currentLevel, 11);
}

TEST_F(SaveGamesTest, HeaderOnlyKeepsTheRestOfTheRecordAndTheOtherRecords) {
    firstStart();
    makeLevel(3, 1);
    Game::objects.s_player->m_sprite->x = 300 << 14;
    Game::syncSaveData(true, false);
    const Bytes before = record(2);
    const Bytes progress = record(4), stats = record(5);
    Game::stateStatics.currentLevel = 12;
    Game::objects.s_player->m_sprite->x = 5 << 14;
    Game::tables.s_flagList->elements()[0] = 9;
    Game::flowStatics.s_levelProgress->elements()[0] = 1;
    Game::syncSaveData(false, true);
    const Bytes after = record(2);
    EXPECT_EQ(after[0], 12);
    EXPECT_EQ(Bytes(after.begin() + 6, after.end()), Bytes(before.begin() + 6, before.end()));
    EXPECT_EQ(record(4), progress);
    EXPECT_EQ(record(5), stats);
    EXPECT_EQ(record(1)[1], 12);
}

TEST_F(SaveGamesTest, ANewGameResetsTheRecords) {
    firstStart();
    makeLevel(3, 1);
    Game::syncSaveData(true, false);
    Game::tables.s_mapLocation = 4;
    Game::flowStatics.s_bestCompletion->elements()[2] = 70;
    Game::flowStatics.s_levelProgress->elements()[64] = 3;
    Game::tables.s_flagList->elements()[1] = 6;
    Game::resetSaveData();
    EXPECT_EQ(record(1)[0], 0);
    EXPECT_EQ(record(1)[4], 0);
    EXPECT_EQ(record(1)[7 + 2], 0);
    EXPECT_EQ(record(4), Bytes(1280, 0xFF));
    EXPECT_EQ(record(5).size(), 151u);
    EXPECT_EQ(le16(record(5), 2), 0);
    EXPECT_EQ(Game::saves.s_gameRecord, nullptr);
    EXPECT_EQ(Game::flowStatics.s_levelProgress->elements()[64], -1);
}

TEST_F(SaveGamesTest, AnUnwritableFolderIsTracedAndTheGameGoesOn) {
    // The save folder lies under a regular file: nothing can be created there, not even by root.
    std::ofstream(m_root.path() / "blocker") << "x";
    host::fs::setFolders({m_root.path() / "data", m_root.path() / "blocker" / "save"});
    firstStart();
    EXPECT_TRUE(log.contains("save: cannot")) << (log.lines().empty() ? "" : log.lines().front());
    EXPECT_EQ(Game::saves.s_settingsRecord->length, 29);
    EXPECT_EQ(bytesOf(Game::flowStatics.s_levelProgress), Ints(1280, -1));
    makeLevel(2, 0);
    Game::stateStatics.currentLevel = 3;
    Game::syncSaveData(true, false);
    EXPECT_EQ(Game::saves.s_gameRecord->elements()[0], 3);
    Game::loadAndApplyProgressRecord();
    EXPECT_EQ(mrc::ApplicationImpl::getApplication()->getPendingException(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(m_root.path() / "blocker" / "save"));
}

}  // namespace
