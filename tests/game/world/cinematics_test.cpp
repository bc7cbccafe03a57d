// The cinematic player over blocks written by the format writer: loading (and its damaged
// blocks), starting, stepping by frames, looping, the actor list and the release of a waiting track.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/pending.h"
#include "game/world/level_data_seams.h"
#include "host/core/log.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/cinematic_block.h"

namespace {

using namespace formats;

std::vector<int32_t> g_scripts;       // event scripts run, in order
std::vector<std::string> g_pending;  // stand-ins called

class CinematicsTest : public mrc::test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        auto texts = mrc::test::saveConstants();
        texts[455] = "cinematic actors full";
        texts[456] = "no actor <";
        texts[457] = ">";
        mrc::test::installConstants(texts);
        mrc::registerCinematicStatics();
        Game::cinematics = CinematicStatics{};
        Game::cinematics.s_cineActors = om()->newObjectArray(mrc::kClass_CObject, 8);
        Game::stateStatics.frameTime = 100;
        captured = java_io_ByteArrayOutputStream::newInstance(1024);
        mrc::systemStatics.out = java_io_PrintStream::newInstance(captured);
        // Script ids 0-39 map to themselves.
        ObjectArray* tables = om()->newObjectArray(mrc::kClass_ObjectArray, 3);
        c.s_levelKeyTables = tables;
        ObjectArray* ids = om()->newObjectArray(mrc::kClass_IntArray, 40);
        JArray::setRef(tables, 1, ids);
        for (int32_t i = 0; i < 40; ++i) JArray::setRef(ids, i, JArray::fillInts(om()->newIntArray(2), {i, i}));
        Game::overlayStatics.gameState = 7;
        Game::overlayStatics.gameSubState = 0;
        g_scripts.clear();
        g_pending.clear();
        game_pending::observer = [](const char* name) { g_pending.emplace_back(name); };
        mrc::levelDataSeams().runEventScript = [](int32_t n, bool) {
            g_scripts.push_back(n);
            return true;
        };
    }
    void TearDown() override {
        mrc::levelDataSeams() = {};
        game_pending::observer = nullptr;
        WorldTest::TearDown();
    }

    static void load(const std::vector<CinematicGroup>& groups) { Game::loadCinematicTracks(bytes(cinematicBlock(groups))); }
    static void frames(int n) {
        for (int i = 0; i < n; ++i) Game::updateCinematics();
    }
    // A type-1 object with the id, listed as an actor.
    static CObject* actor(int32_t id, int32_t x = 0, int32_t y = 0) {
        CObject* o = object(id, 1, {}, 50, x, y);
        Game::addCinematicActor(o);
        return o;
    }
    static int count(const std::string& name) { return static_cast<int>(std::count(g_pending.begin(), g_pending.end(), name)); }
    int32_t le16(int32_t at) const {
        return int16_t((JArray::getByte(c.s_cineData, at) & 0xFF) | JArray::getByte(c.s_cineData, at + 1) << 8);
    }
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), data->length);
    }
    static int32_t track(IntArray* table, int32_t t) { return JArray::getInt(table, t); }
    CinematicStatics& c = Game::cinematics;
    java_io_ByteArrayOutputStream* captured = nullptr;
};

CinematicCommand place(int16_t x, int16_t y) { return cineCommand(21, {x, y}); }
CinematicCommand script(int16_t n) { return cineCommand(37, {n}); }

TEST_F(CinematicsTest, LoadsGroupsAndTheirTracks) {
    CinematicTrack a{0, 1, 0, {{0, {script(1)}}}};
    CinematicTrack b{2, 0x3, 7, {{0, {place(1, 2), {13, {1, 2, 3, 4, 5}}, {42, {6}}}}, {4, {}}}};
    load({{40, {a, b}}, {-3, {a}}, {12, {}}});
    EXPECT_EQ(c.s_cineGroupCount, 3);
    EXPECT_EQ(c.s_cineTrackCount, 3);
    EXPECT_EQ(Game::findCinematicGroup(-3), 1);
    EXPECT_EQ(Game::findCinematicGroup(12), 2);
    EXPECT_EQ(Game::findCinematicGroup(5), -1);
    EXPECT_EQ(Game::getFirstTrackOfGroup(0), 0);
    EXPECT_EQ(Game::getFirstTrackOfGroup(1), 2);
    EXPECT_EQ(Game::getFirstTrackOfGroup(2), 3);
    EXPECT_EQ(Game::getFirstTrackOfGroup(3), -1);
    EXPECT_EQ(Game::getFirstTrackOfGroup(-1), -1);
    // After the 10-byte group table: track a (header 4, one key of 3 + 3) and track b (header 6,
    // keys of 3 + 5 + 6 + 2 and 3 bytes), then group 1's copy of a.
    const std::vector<std::pair<int32_t, int32_t>> spans = {{10, 10}, {20, 25}, {45, 10}};
    for (int32_t t = 0; t < 3; ++t) {
        EXPECT_EQ(JArray::getShort(c.s_cineTrackStart, t), spans[t].first) << t;
        EXPECT_EQ(JArray::getShort(c.s_cineTrackLength, t), spans[t].second) << t;
    }
    EXPECT_EQ(JArray::getByte(c.s_cineTrackKind, 1), 2);
    EXPECT_EQ(track(c.s_cineTrackFlags, 1), 0x3);
    EXPECT_EQ(track(c.s_cineTrackPos, 2), -1);
}

TEST_F(CinematicsTest, DamagedBlocksLoadWhatIsWhole) {
    host::LogCapture log;
    Game::loadCinematicTracks(nullptr);
    EXPECT_EQ(c.s_cineData, nullptr);

    // The group count is a signed byte: 0x80 loads no group.
    std::vector<uint8_t> negative = cinematicBlock({{1, {{0, 0, 0, {}}}}});
    negative[0] = 0x80;
    Game::loadCinematicTracks(bytes(negative));
    EXPECT_EQ(c.s_cineGroupCount, 0);
    EXPECT_EQ(c.s_cineTrackCount, 0);
    EXPECT_FALSE(Game::startCinematicGroup(0));
    EXPECT_TRUE(log.contains("a group count of -128"));

    // The second track's last command runs past the block: only the first can start.
    std::vector<uint8_t> cut = cinematicBlock({{1, {{0, 0, 0, {{0, {}}}}, {0, 0, 0, {{0, {place(1, 1)}}}}}}});
    cut.pop_back();
    Game::loadCinematicTracks(bytes(cut));
    EXPECT_EQ(c.s_cineGroupCount, 1);
    EXPECT_EQ(c.s_cineTrackCount, 1);
    EXPECT_TRUE(log.contains("track 1 of 2 runs past"));
    actor(1);
    EXPECT_TRUE(Game::startCinematicGroup(0));
    EXPECT_FALSE(JArray::getByte(c.s_cineTrackActive, 1));

    // A key count beyond the data, and a group table beyond it.
    Game::loadCinematicTracks(bytes({1, 1, 0, 1, 0, 0, 9, 0}));
    EXPECT_EQ(c.s_cineTrackCount, 0);
    Game::loadCinematicTracks(bytes({3, 1, 0, 1}));
    EXPECT_EQ(c.s_cineGroupCount, 0);
}

TEST_F(CinematicsTest, ScriptIdsAreRemappedInPlaceThroughTheLevelIdTable) {
    // Element 1 of the id tables: {id, index} rows.
    ObjectArray* tables = om()->newObjectArray(mrc::kClass_ObjectArray, 3);
    c.s_levelKeyTables = tables;
    ObjectArray* ids = om()->newObjectArray(mrc::kClass_IntArray, 2);
    JArray::setRef(tables, 1, ids);
    JArray::setRef(ids, 0, JArray::fillInts(om()->newIntArray(2), {500, 3}));
    JArray::setRef(ids, 1, JArray::fillInts(om()->newIntArray(2), {600, 9}));
    load({{1, {{0, 1, 0, {{0, {script(600), script(500), script(77)}}}}}}});
    const int32_t args = 1 + 3 + 2 + 2 + 3 + 1;  // header, track header, key header, opcode
    EXPECT_EQ(le16(args), 9);
    EXPECT_EQ(le16(args + 3), 3);
    EXPECT_EQ(le16(args + 6), -1);  // unknown id
    actor(1);
    Game::startCinematicGroup(0);
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{9, 3, -1}));
}

TEST_F(CinematicsTest, KeyFramesRunWhenDueAndInOrder) {
    actor(1);
    // Track 0: a key at 0 runs within the start; track 1: two keys due in the same frame.
    load({{1, {{0, 1, 0, {{0, {script(10)}}, {5, {script(11)}}}}, {0, 1, 0, {{2, {script(20)}}, {2, {script(21)}}}}}}});
    ASSERT_TRUE(Game::startCinematicGroup(0));
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{10}));
    EXPECT_FALSE(Game::isCinematicGroupDone(0));
    frames(1);  // 200 ms: track 1's two keys at 152 ms
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{10, 20, 21}));
    EXPECT_EQ(track(c.s_cineTrackPos, 1), -1);
    frames(2);  // 400 ms: track 0's key at 380 ms
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{10, 20, 21, 11}));
    EXPECT_TRUE(Game::isCinematicGroupDone(0));
    EXPECT_TRUE(Game::isCinematicGroupDone(-1));
    EXPECT_TRUE(Game::isCinematicGroupDone(4));
}

TEST_F(CinematicsTest, AKindTwoActorMovedByPlacementsLandsOnThePixel) {
    CObject* o = actor(7, 3, 4);
    load({{1, {{2, 1, 7, {{0, {place(10, 20)}}, {10, {place(86, 58)}}}}}}});
    Game::startCinematicGroup(0);
    EXPECT_EQ(o->param(16), 0) << "the track is recorded on its object";
    int32_t lastX = o->m_sprite->x;
    for (int frame = 1; frame <= 7; ++frame) {  // up to 700 ms of 760
        EXPECT_GT(o->m_sprite->x, 10 << 14);
        EXPECT_LT(o->m_sprite->x, 86 << 14);
        EXPECT_LT(o->m_sprite->y, 58 << 14);
        frames(1);
        EXPECT_GT(o->m_sprite->x, lastX);
        lastX = o->m_sprite->x;
    }
    frames(1);
    EXPECT_EQ(o->m_sprite->x, 86 << 14);
    EXPECT_EQ(o->m_sprite->y, 58 << 14);
    EXPECT_TRUE(Game::isCinematicGroupDone(0));
}

TEST_F(CinematicsTest, WithoutTheRunningClockOnlyKeysWithinAFrameOfTheLastKeyRun) {
    CObject* o = actor(7);
    load({{1, {{2, 0, 7, {{0, {place(10, 20)}}, {1, {place(30, 30)}}, {2, {place(50, 50)}}, {5, {place(70, 70)}}}}}}});
    Game::startCinematicGroup(0);  // 100 ms: the keys at 0 and 76 ms
    EXPECT_EQ(o->m_sprite->x, 30 << 14);
    frames(1);  // from 76 ms: the key at 152 ms
    EXPECT_EQ(o->m_sprite->x, 50 << 14);
    frames(3);  // the clock stays at 152 ms, so the key at 380 ms is never due
    EXPECT_EQ(o->m_sprite->x, 50 << 14);
    EXPECT_EQ(track(c.s_cineTrackClock, 0), 152);
    EXPECT_FALSE(Game::isCinematicGroupDone(0));
}

TEST_F(CinematicsTest, ALoopingTrackRestartsAndRunsItsFirstKeyAtTheNextStep) {
    actor(1);
    // Every key at time 0: as written it would restart for ever within one step.
    load({{1, {{0, 0x3, 0, {{0, {script(1)}}, {0, {script(2)}}}}}}, {2, {{0, 1, 0, {{0, {cineCommand(50)}}}}}}});
    Game::startCinematicGroup(0);
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(Game::isCinematicGroupDone(0)) << "a looping track holds no group back";
    EXPECT_TRUE(JArray::getByte(c.s_cineTrackActive, 0));
    frames(1);
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{1, 2, 1, 2}));
    // Opcode 50 makes its track loop; started without the flag, the group is done once it runs.
    Game::startCinematicGroup(1);
    EXPECT_NE(track(c.s_cineTrackFlags, 1) & 0x2, 0);
    EXPECT_TRUE(Game::isCinematicGroupDone(1));
    Game::stopCinematicGroup(0);
    EXPECT_FALSE(JArray::getByte(c.s_cineTrackActive, 0));
    frames(1);
    EXPECT_EQ(g_scripts.size(), 4u);
}

TEST_F(CinematicsTest, ActorsAreFoundByIdOrMadeAndAFullListLeavesTheTrackWithout) {
    host::LogCapture log;
    c.s_cineActors = om()->newObjectArray(mrc::kClass_CObject, 2);
    c.s_cineSprites = om()->newObjectArray(mrc::kClass_ObjectArray, 1);
    actor(4);
    load({{1, {{3, 1, 0, {{0, {cineCommand(41, {30, 40})}}}}, {3, 1, 0, {{0, {cineCommand(41, {1, 1})}}}},
               {2, 1, 99, {{0, {script(3)}}}}}}});
    Game::startCinematicGroup(0);
    EXPECT_EQ(c.s_cineActorCount, 2);
    EXPECT_EQ(track(c.s_cineTrackActor, 0), 1);
    auto* made = static_cast<CObject*>(c.s_cineActors->elements()[1]);
    EXPECT_EQ(made->m_id, -1);
    EXPECT_EQ(made->m_type, -1);
    EXPECT_EQ(made->m_sprite->x, 30 << 14);
    EXPECT_EQ(track(c.s_cineTrackActor, 1), -1) << "dropped from the full list";
    EXPECT_NE(printed().find("cinematic actors full"), std::string::npos);
    EXPECT_EQ(track(c.s_cineTrackActor, 2), -1);
    EXPECT_NE(printed().find("no actor <99>"), std::string::npos);
    EXPECT_TRUE(g_scripts.empty()) << "a track without actor is not stepped";
    frames(2);
    EXPECT_TRUE(g_scripts.empty());
}

TEST_F(CinematicsTest, GatheringOrderFixesTheActorIndices) {
    GameObjectStatics& g = Game::objects;
    g.s_type1Objects = list({object(1, 1), nullptr});
    g.s_templates = list({object(2, 80)});
    g.s_attachedObjects = list({object(3, 10, {{6, 1}}), object(30, 10)});
    g.s_type15Objects = list({object(4, 15, {{13, 1}}), object(40, 15)});
    g.s_type5Objects = list({object(5, 5, {{10, 1}}), object(50, 5)});
    g.s_player = object(6, 0);
    Game::gatherCinematicActors();
    ASSERT_EQ(c.s_cineActorCount, 6);
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(static_cast<CObject*>(c.s_cineActors->elements()[i])->m_id, i + 1);
    Game::clearCinematicActors();
    EXPECT_EQ(c.s_cineActorCount, 0);
    EXPECT_EQ(c.s_cineActors->elements()[0], nullptr);
}

TEST_F(CinematicsTest, AWaitingTrackRunsOnceReleased) {
    CObject* o = actor(7);
    load({{1, {{2, 0x4 | 0x1, 7, {{0, {script(1)}}, {2, {script(2)}}}}}}});
    JArray::setInt(c.s_cineTrackFlags, 0, track(c.s_cineTrackFlags, 0) | 5 << 16);
    Game::startCinematicGroup(0);  // the start steps it once
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{1}));
    frames(3);
    EXPECT_EQ(g_scripts.size(), 1u) << "skipped while waiting";
    Game::activateMarkedEntry(0);
    EXPECT_EQ(track(c.s_cineTrackFlags, 0) & 0x4, 0);
    EXPECT_EQ(o->m_sprite->anim, 5);
    frames(2);
    EXPECT_EQ(g_scripts, (std::vector<int32_t>{1, 2}));
    Game::activateMarkedEntry(-1);
    Game::activateMarkedEntry(9);
}

TEST_F(CinematicsTest, ScriptsOfACinematicKeepTheRunningScriptAndReturnToTheScene) {
    LayoutStatics& l = Game::layouts;
    l.s_scriptIndex = 4;
    l.s_scriptPos = 40;
    l.s_scriptLeft = 2;
    mrc::levelDataSeams().runEventScript = [](int32_t n, bool) {
        g_scripts.push_back(n);
        Game::layouts.s_scriptIndex = n;
        Game::layouts.s_scriptPos = 0;
        Game::overlayStatics.gameSubState = 5;
        return true;
    };
    Game::overlayStatics.gameSubState = 1;
    Game::runCinematicScript(8);
    EXPECT_EQ(l.s_scriptIndex, 4);
    EXPECT_EQ(l.s_scriptPos, 40);
    EXPECT_EQ(l.s_scriptLeft, 2);
    EXPECT_EQ(Game::overlayStatics.gameState, 7);
    EXPECT_EQ(Game::overlayStatics.gameSubState, 1);
    EXPECT_EQ(count("Game::resumeTimersOfType23Objects"), 1);

    Game::overlayStatics.gameSubState = 0;  // outside a cinematic: the script just runs
    Game::runCinematicScript(9);
    EXPECT_EQ(l.s_scriptIndex, 9);
    EXPECT_EQ(Game::overlayStatics.gameSubState, 5);
}

}  // namespace

namespace {

TEST_F(CinematicsTest, KeyFramesSetActorAnimationsAndAPlayerOverlayIsPaintedOnce) {
    CObject* o = actor(7);
    CObject* player = object(9, 0);
    Game::addCinematicActor(player);
    load({{1, {{2, 1, 7, {{0, {cineCommand(22, {3})}}, {2, {{42, {2}}}}}}, {2, 1, 9, {{0, {cineCommand(50)}}}}}}});
    Game::stateStatics.overlayOnce = 0;
    CObject::statics.s_cinematicAnim = -1;
    Game::startCinematicGroup(0);
    EXPECT_EQ(o->m_sprite->anim, 3);
    EXPECT_EQ(Game::stateStatics.overlayOnce, 0) << "no player overlay pending";
    frames(1);
    EXPECT_EQ(o->m_sprite->anim, 2);
    CObject::statics.s_cinematicAnim = 4;
    Game::updateCinematicTrack(1);
    EXPECT_EQ(Game::stateStatics.overlayOnce, 1);
}

}  // namespace
