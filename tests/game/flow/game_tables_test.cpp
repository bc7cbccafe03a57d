#include <gtest/gtest.h>

#include "runtime/lang/construct.h"
#include "tests/game/world_fixture.h"

namespace {

using Ints = std::vector<int32_t>;

class GameTablesTest : public mrc::test::WorldTest {
protected:
    static Ints progress(int32_t from, int32_t to) {
        ByteArray* p = Game::flowStatics.s_levelProgress;
        return Ints(p->elements() + from, p->elements() + to);
    }
};

TEST_F(GameTablesTest, PackedRecordsReadUnsignedOrSigned) {
    GameTableStatics& t = Game::tables;
    t.s_summaryTable = om()->newShortArray(8);
    t.s_summaryIndex = om()->newShortArray(2);
    t.s_summaryIndex->elements()[1] = 3;
    t.s_summaryTable->elements()[5] = static_cast<int16_t>(0xFFFF);
    t.s_summaryTable->elements()[3] = 0x1234;
    EXPECT_EQ(Game::getPackedShort(1, 2), 65535);
    EXPECT_EQ(Game::getPackedSigned(1, 2), -1);
    EXPECT_EQ(Game::getPackedShort(1, 0), 0x1234);
    EXPECT_EQ(Game::getPackedSigned(0, 3), 0x1234);

    ShortArray* bigIndex = om()->newShortArray(1);
    bigIndex->elements()[0] = static_cast<int16_t>(0x8000);  // offsets are unsigned
    t.s_summaryIndex = bigIndex;
    t.s_summaryTable = om()->newShortArray(0x8001);
    t.s_summaryTable->elements()[0x8000] = 7;
    EXPECT_EQ(Game::getPackedShort(0, 0), 7);
}

TEST_F(GameTablesTest, UpgradeTableColumnsAndResets) {
    Game::initSlots3440();
    Game::setUpgradeShort(4, 1, 3);
    Game::setUpgradeShortAt2(4, 1, 5);
    Game::setUpgradeShortAt4(4, 1, -2);
    EXPECT_EQ(Game::getUpgradeShort(4, 1), 3);
    EXPECT_EQ(Game::getUpgradeShortAt2(4, 1), 5);
    auto* row = static_cast<ShortArray*>(Game::tables.s_upgradeTable->elements()[4]);
    EXPECT_EQ(Ints(row->elements(), row->elements() + 6), (Ints{0, 3, 0, 5, 0, -2}));
    Game::initSlots3440();
    EXPECT_EQ(Game::getUpgradeShort(4, 1), 0);
    EXPECT_EQ(Game::tables.s_upgradeTable->length, 5);
}

TEST_F(GameTablesTest, FlagListBitsBelow32Only) {
    Game::tables.s_counterA = 3;
    Game::initList40();
    EXPECT_EQ(Game::tables.s_counterA, 0);
    EXPECT_EQ(Game::tables.s_flagList->length, 40);
    Game::tables.s_flagList->elements()[7] = static_cast<int32_t>(0x80000001);
    EXPECT_TRUE(Game::testFlagListBit(7, 31));
    EXPECT_TRUE(Game::testFlagListBit(7, 0));
    EXPECT_FALSE(Game::testFlagListBit(7, 1));
    EXPECT_FALSE(Game::testFlagListBit(7, 40));
    EXPECT_FALSE(Game::testFlagListBit(7, 32));
    EXPECT_TRUE(Game::testFlagListBit(7, 256 + 31));  // the low byte counts
}

TEST_F(GameTablesTest, LevelProgressClearsUpToTheFirstUnsetByte) {
    Game::clearByteTable();
    EXPECT_EQ(progress(0, 1280), Ints(1280, -1));
    ByteArray* p = Game::flowStatics.s_levelProgress;
    for (int32_t i = 0; i < 1280; ++i) p->elements()[i] = static_cast<int8_t>(i % 100);
    p->elements()[67] = -1;
    Game::clearLevelProgress(1);
    EXPECT_EQ(progress(64, 68), Ints(4, -1));
    EXPECT_EQ(progress(68, 70), (Ints{68, 69}));
    EXPECT_EQ(progress(60, 64), (Ints{60, 61, 62, 63}));
    Game::clearLevelProgress(19);
    EXPECT_EQ(progress(1216, 1280), Ints(64, -1));
    Game::clearLevelProgress(20);  // past the table: nothing
    EXPECT_EQ(progress(0, 1), Ints{0});
}

TEST_F(GameTablesTest, SceneEffectMapLocationsAndSmallTests) {
    GameTableStatics& t = Game::tables;
    IntArray* effect = Game::paintStatics.s_sceneEffect;
    effect->elements()[3] = 30 << 14;
    EXPECT_EQ(Game::percentOfMax(), 140);
    effect->elements()[11] = 1;
    EXPECT_EQ(Game::percentOfMax(), 30);
    effect->elements()[9] = 8;
    Game::copyParam9To10();
    EXPECT_EQ((Ints{effect->elements()[9], effect->elements()[10]}), (Ints{0, 8}));

    t.s_mapLocations = om()->newObjectArray(mrc::kClass_IntArray, 3);
    t.s_mapLocations->elements()[2] = params(4, {{1, 120}, {2, -40}, {3, -1}});
    t.s_infoInstance = mrc::newConstructed<ASpriteInstance>(static_cast<ASprite*>(nullptr), 0, 0,
                                                            static_cast<ASpriteInstance*>(nullptr));
    Game::selectMapLocation(2);
    EXPECT_EQ(t.s_mapLocation, 2);
    EXPECT_EQ(t.s_infoInstance->x, 120 << 14);
    EXPECT_EQ(t.s_infoInstance->y, -40 << 14);

    t.s_hasSavedGame = 1;
    EXPECT_TRUE(Game::isModeOne());
    t.s_hasSavedGame = 2;
    EXPECT_FALSE(Game::isModeOne());
    EXPECT_FALSE(Game::isHeldObjectActive());  // no player
    Game::objects.s_player = object(0, 0, {{14, 1}});
    EXPECT_TRUE(Game::isHeldObjectActive());

    t.s_rangeEntries = om()->newObjectArray(mrc::kClass_ShortArray, 1);
    ShortArray* range = om()->newShortArray(3);
    range->elements()[2] = -300;
    t.s_rangeEntries->elements()[0] = range;
    EXPECT_EQ(Game::getShortAt(0, 2), -300);

    Game::flowStatics.s_doneObjectBits->elements()[9] = 3;
    Game::flowStatics.s_type29Values->elements()[39] = 4;
    Game::clearSavedObjectBytes();
    EXPECT_EQ(Game::flowStatics.s_doneObjectBits->elements()[9], 0);
    EXPECT_EQ(Game::flowStatics.s_type29Values->elements()[39], 0);
}

}  // namespace
