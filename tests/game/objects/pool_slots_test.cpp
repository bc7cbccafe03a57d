#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/sprite/sprite_instance.h"
#include "game/objects/cobject.h"
#include "game/objects/factory_seams.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "runtime/core/static_class.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/game/game_fixture.h"
#include "tests/game/world_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/pack_file.h"

namespace {

using namespace mrc;
using Ints = std::vector<int32_t>;

// The entries themselves are not kept here (no root): their length, and whether the call reused
// the entry of the call before.
struct GridCall {
    ObjectArray* templ;  // rooted by the layer maps
    int32_t entryLength;
    bool sameEntry;
};
ByteArray* g_lastEntry = nullptr;
std::vector<GridCall> g_gridCalls;
std::vector<int32_t> g_templateReads;  // the first entry's length per template built
int32_t g_upgradeLevel = 0;

constexpr int32_t kTemplatePack = 3, kGridPack = 4;

// Objects, groups, layer members and level parts over a data archive whose packs 3 and 4 have
// 16 entries, entry e holding e + 1 bytes; the debug texts go to a captured System.out.
class PoolSlotsTest : public test::GameTest {
protected:
    void SetUp() override {
        m_previous = host::fs::folders();
        std::filesystem::create_directories(m_root.path() / "data");
        platform::initFiles(m_root.path() / "data", m_root.path() / "save");
        GameTest::SetUp();
        saveData();
        app()->staticClass->loadConstants();
        GameStatics::clinit();
        Game::levelSetup = {};
        captured = java_io_ByteArrayOutputStream::newInstance(1024);
        systemStatics.out = java_io_PrintStream::newInstance(captured);
        g_gridCalls.clear();
        g_templateReads.clear();
        g_upgradeLevel = 0;
        g_lastEntry = nullptr;
        app()->staticClass->addRoot(&g_lastEntry);
        auto& seams = levelPartSeams();
        seams.buildShortTable3 = [](ByteArray* a, ByteArray*) {
            g_templateReads.push_back(a->length);
            ObjectArray* table = om()->newObjectArray(kClass_ObjectArray, 1);
            table->elements()[0] = om()->newObjectArray(kClass_ShortArray, a->length);
            return table;
        };
        seams.buildShortTable = [](ObjectArray* templ, ByteArray* entry) {
            g_gridCalls.push_back({templ, entry->length, entry == g_lastEntry});
            g_lastEntry = entry;
            return om()->newObjectArray(kClass_ShortArray, entry->length);
        };
        seams.getUpgradeLevel = [](int32_t) { return g_upgradeLevel; };
    }
    void TearDown() override {
        levelPartSeams() = {};
        GameTest::TearDown();
        host::fs::setFolders(m_previous);
    }

    void saveData() {
        std::vector<std::string> constants(538);
        constants[Game::kPackPathText] = "/pk/";
        for (int i = 0; i < 28; ++i) constants[std::size_t(510 + i)] = "p" + std::to_string(i);
        for (int n : {149, 150, 151, 152, 155, 156, 157, 158, 159, 160, 161, 164})
            constants[std::size_t(n)] = "<" + std::to_string(n) + ">";
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        for (int pack : {kTemplatePack, kGridPack}) {
            formats::PackWriter entries;
            for (int e = 0; e < 16; ++e) entries.add(std::vector<uint8_t>(std::size_t(e + 1), uint8_t(e)));
            archive.add("pk/p" + std::to_string(pack), entries.build());
        }
        ASSERT_TRUE(archive.save(m_root.path() / "data" / "data.bar"));
    }
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), data->length);
    }
    int occurrences(const std::string& text) {
        const std::string all = printed();
        int n = 0;
        for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
        return n;
    }

    static IntArray* params(int32_t length, std::map<int32_t, int32_t> values = {}) {
        IntArray* a = om()->newIntArray(length);
        for (const auto& [i, v] : values) a->elements()[i] = v;
        return a;
    }
    static CObject* object(int32_t id, int32_t type, std::map<int32_t, int32_t> values = {}, int32_t x = 0,
                           int32_t y = 0) {
        return CObject::create(id, type, x, y, params(60, values));
    }
    static ObjectArray* row(ObjectArray* table, int32_t r) { return static_cast<ObjectArray*>(table->elements()[r]); }

    java_io_ByteArrayOutputStream* captured = nullptr;
    test_support::TempFolder m_root{"veltrano-pool-slots"};

private:
    host::fs::Folders m_previous;
};

TEST_F(PoolSlotsTest, PoolFindersTakeTheLowestFreeEntryOrReportAFullPool) {
    struct Pool {
        ObjectArray*& slot;
        ObjectArray* (*make)();
        int32_t (*find)();
        const char* full;
    };
    const Pool pools[] = {
        {Game::objects.s_directionalPool, [] { return Game::createObjectPoolB(1); }, &Game::findFreeDirectionalSlot, "<151>"},
        {Game::objects.s_tableObjects, &Game::createObjectPool10, &Game::findFreeTableSlot, "<159>"},
        {Game::objects.s_projectiles, &Game::createObjectPool20, &Game::findFreeProjectileSlot, "<164>"},
        {Game::objects.s_tileObjects, &Game::createObjectPool20, &Game::findFreeTileSlot, "<152>"},
    };
    for (const Pool& p : pools) {
        p.slot = p.make();
        EXPECT_EQ(p.find(), 0) << p.full;
        const int32_t n = p.slot->length;
        for (int32_t i = 0; i < n - 1; ++i) static_cast<CObject*>(p.slot->elements()[i])->setParam(0, 1);
        EXPECT_EQ(p.find(), n - 1) << p.full;
        EXPECT_EQ(occurrences(p.full), 0);
        static_cast<CObject*>(p.slot->elements()[n - 1])->setParam(0, 2);
        EXPECT_EQ(p.find(), -1) << p.full;
        EXPECT_EQ(occurrences(p.full), 1) << p.full;
    }
}

TEST_F(PoolSlotsTest, GroupSlotsFillFromTheEnd) {
    CObject::statics.s_kindCount = 2;
    CObject::allocTypeLists();
    CObject* owner = object(1, 20, {{12, 1}});
    for (int32_t i = 0; i < 30; ++i) EXPECT_EQ(CObject::addToGroupSlot(object(100 + i, 20), owner), 1);
    ObjectArray* kinds = row(CObject::statics.s_kindTables, 1);
    EXPECT_EQ(static_cast<CObject*>(kinds->elements()[29])->m_id, 100);
    EXPECT_EQ(static_cast<CObject*>(kinds->elements()[0])->m_id, 129);
    CObject* extra = object(200, 20);
    EXPECT_EQ(CObject::addToGroupSlot(extra, owner), 1);  // full: traced, nothing overwritten
    EXPECT_EQ(occurrences("<149>"), 1);
    for (int32_t i = 0; i < 30; ++i) EXPECT_NE(kinds->elements()[i], extra);
    // A type-5 object marked in params[17] is not stored.
    CObject* other = object(2, 20, {{12, 0}});
    EXPECT_EQ(CObject::addToGroupSlot(object(300, 5, {{17, 1}}), other), 0);
    EXPECT_EQ(row(CObject::statics.s_kindTables, 0)->elements()[29], nullptr);

    // The hit table refuses a second object of the same id, and anything but type 5.
    ObjectArray* hits = row(CObject::statics.s_kindHitTables, 0);
    EXPECT_EQ(CObject::addToGroupUnique(object(7, 5), other), 1);
    EXPECT_EQ(CObject::addToGroupUnique(object(7, 5), other), 0);
    EXPECT_EQ(CObject::addToGroupUnique(object(8, 20), other), 0);
    EXPECT_EQ(CObject::addToGroupUnique(object(9, 5), other), 1);
    EXPECT_EQ(static_cast<CObject*>(hits->elements()[29])->m_id, 7);
    EXPECT_EQ(static_cast<CObject*>(hits->elements()[28])->m_id, 9);
    EXPECT_EQ(hits->elements()[27], nullptr);

    // Layer members likewise, from slot 24.
    CObject::statics.s_layerMembers = om()->newObjectArray(kClass_ObjectArray, 1);
    CObject::statics.s_layerMembers->elements()[0] = om()->newObjectArray(kClass_CObject, 25);
    ObjectArray* members = row(CObject::statics.s_layerMembers, 0);
    for (int32_t i = 0; i < 25; ++i) EXPECT_EQ(Game::addLayerMember(object(i, 15), 0), 1);
    EXPECT_EQ(static_cast<CObject*>(members->elements()[24])->m_id, 0);
    EXPECT_EQ(Game::addLayerMember(object(99, 15), 0), 0);
    EXPECT_EQ(occurrences("<158>"), 1);
}

TEST_F(PoolSlotsTest, StrengthTestUsesTheStrongerActionAndTheUpgrade) {
    // Kind 4's packed record: field 36 names action record 1.
    Game::tables.s_summaryIndex = om()->newShortArray(5);
    Game::tables.s_summaryTable = om()->newShortArray(40);
    Game::tables.s_summaryIndex->elements()[4] = 2;
    Game::tables.s_summaryTable->elements()[2 + 36] = 1;
    Game::objects.s_itemSequenceTable = om()->newObjectArray(kClass_ObjectArray, 3);
    ObjectArray* records = om()->newObjectArray(kClass_ShortArray, 2);
    Game::objects.s_itemSequenceTable->elements()[2] = records;
    for (int32_t r = 0; r < 2; ++r) {
        ShortArray* record = om()->newShortArray(6);
        record->elements()[5] = static_cast<int16_t>(r == 0 ? 10 : 30);
        records->elements()[r] = record;
    }
    Game::objects.s_currentItem = 2;
    CObject::statics.s_itemSequence = 0;
    struct Case {
        int32_t strength, state, level;
        bool finished;
    };
    const Case cases[] = {
        {30, 0, 0, true},   // max(10, 30) = 30
        {31, 0, 0, false},
        {0, 0, 0, false},   // no strength left
        {20, 5, 0, false},  // states 5, 6 and 11 are never finished
        {20, 11, 0, false},
        {42, 0, 2, true},   // (2 + 5) x 30 x 2 / 10 = 42
        {43, 0, 2, false},
    };
    for (const Case& c : cases) {
        g_upgradeLevel = c.level;
        CObject* o = object(1, 5, {{3, 4}, {14, c.state}, {37, c.strength}});
        EXPECT_EQ(CObject::isFinishedByAction(o), c.finished) << c.strength << " " << c.state << " " << c.level;
    }
    // The group's last finishable member, only while the group has one member.
    g_upgradeLevel = 0;
    CObject::statics.s_kindCount = 1;
    CObject::allocTypeLists();
    ObjectArray* group = row(CObject::statics.s_kindTables, 0);
    CObject* member = object(5, 5, {{3, 4}, {37, 30}});
    group->elements()[12] = member;
    EXPECT_EQ(CObject::findLastFinishable(member), member);
    member->setParam(37, 31);
    EXPECT_EQ(CObject::findLastFinishable(member), nullptr);
    member->setParam(37, 30);
    group->elements()[3] = object(6, 20);
    EXPECT_EQ(CObject::findLastFinishable(member), nullptr);

    Game::tables.s_summaryTable->elements()[2 + 36] = -1;
    EXPECT_FALSE(CObject::isFinishedByAction(object(1, 5, {{3, 4}, {37, 1}})));
}

TEST_F(PoolSlotsTest, ReadyMembersAreWeakenedAndFlaggedOnceTheGroupHasTwo) {
    Game::tables.s_summaryIndex = om()->newShortArray(5);
    Game::tables.s_summaryTable = om()->newShortArray(40);
    Game::tables.s_summaryTable->elements()[12] = -1;  // kind 0: no hold record
    CObject::statics.s_kindCount = 1;
    CObject::allocTypeLists();
    ObjectArray* group = row(CObject::statics.s_kindTables, 0);
    CObject* weak = object(1, 5, {{37, 4}, {38, 2}, {32, 10}});
    CObject* strong = object(2, 5, {{37, 12}, {38, 2}, {32, 10}, {11, 1}});
    group->elements()[20] = weak;
    EXPECT_EQ(CObject::findReadyGroupMember(weak), weak);
    group->elements()[25] = strong;
    EXPECT_EQ(CObject::findReadyGroupMember(weak), nullptr) << "two members: params[11] must be 1";
    weak->setParam(11, 1);
    EXPECT_EQ(CObject::findReadyGroupMember(weak), weak);
    strong->setParam(37, 3);
    EXPECT_EQ(CObject::findReadyGroupMember(weak), strong) << "scanned from the end";
}

TEST_F(PoolSlotsTest, LevelPartsAreReadInKeyOrderAndDuplicateKeysShareATemplate) {
    // Slots 0 and 2 hold key 7, slot 1 key 3, slot 3 an unshared object's slot.
    CObject::statics.s_layerSlotKinds = om()->newByteArray(4);
    const int8_t keys[] = {7, 3, 7, static_cast<int8_t>(255)};
    for (int32_t i = 0; i < 4; ++i) CObject::statics.s_layerSlotKinds->elements()[i] = keys[i];
    CObject::statics.s_layerMaps = om()->newObjectArray(kClass_Object, 4);
    Game::grids.s_layerGrids = om()->newObjectArray(kClass_Object, 4);
    ObjectArray* layers = test::objectList({
        object(1, 50, {{0, 4}, {3, 7}, {12, 1}, {16, 2}}),   // takes key 7's template
        object(2, 50, {{0, 21}, {3, 50}, {12, 1}, {16, 3}}),  // key 50 is missing; group 21 never picked
        object(3, 50, {{0, 2}, {3, 7}, {16, 0}}),
        object(4, 50, {{0, 4}, {3, 3}, {16, 1}}),
    });
    Game::loadLevelPart(layers, kTemplatePack, kGridPack);

    EXPECT_EQ(g_templateReads, (Ints{7, 15}));  // entries 6 and 14: keys 3, then 7
    ObjectArray* maps = CObject::statics.s_layerMaps;
    ASSERT_NE(maps->elements()[0], nullptr);
    EXPECT_EQ(static_cast<JArray*>(maps->elements()[0])->length, 15);
    EXPECT_EQ(static_cast<JArray*>(maps->elements()[1])->length, 7);
    EXPECT_EQ(maps->elements()[2], maps->elements()[0]);
    EXPECT_EQ(maps->elements()[3], nullptr);
    EXPECT_EQ(occurrences("<155>"), 2);  // two rounds without a key left
    EXPECT_EQ(occurrences("<156>"), 1);

    // Grids: group 2 (entry 5), then group 4 twice (entry 9, read once; the later object first).
    ASSERT_EQ(g_gridCalls.size(), 3u);
    EXPECT_EQ(g_gridCalls[0].entryLength, 6);
    EXPECT_EQ(g_gridCalls[0].templ, maps->elements()[0]);
    EXPECT_EQ(g_gridCalls[1].entryLength, 10);
    EXPECT_FALSE(g_gridCalls[1].sameEntry);
    EXPECT_EQ(g_gridCalls[1].templ, maps->elements()[1]);
    EXPECT_TRUE(g_gridCalls[2].sameEntry);
    EXPECT_EQ(g_gridCalls[2].templ, maps->elements()[2]);
    ObjectArray* grids = Game::grids.s_layerGrids;
    EXPECT_EQ(static_cast<JArray*>(grids->elements()[0])->length, 6);
    EXPECT_EQ(static_cast<JArray*>(grids->elements()[1])->length, 10);
    EXPECT_EQ(static_cast<JArray*>(grids->elements()[2])->length, 10);
    EXPECT_EQ(grids->elements()[3], nullptr);
    EXPECT_EQ(occurrences("<157>"), 1);
    EXPECT_EQ(GameStatics::flowStatics.s_loadPack, -1) << "the pack is closed";

    // A set-up that keeps its tables loads nothing.
    g_templateReads.clear();
    Game::levelSetup.s_levelSetupKind = 4;
    Game::loadLevelPart(layers, kTemplatePack, kGridPack);
    EXPECT_TRUE(g_templateReads.empty());
}

TEST_F(PoolSlotsTest, AreasAlignToTheCellsAndReadTheirRecord) {
    ByteArray* data = om()->newByteArray(20);
    const uint8_t record[] = {9, 28, 0, 0, 0x34, 0x12, 5, 0, 2, 7, 0, 0, 1};  // at 1: a, b, n = 2, values
    for (size_t i = 0; i < sizeof record; ++i) data->elements()[i] = static_cast<int8_t>(record[i]);

    struct Case {
        int32_t roomX, roomY;  // -1: no layer object
        Ints area;             // [11..14] after
    };
    const Case cases[] = {
        {-1, -1, {32, 64, 64, 32}},
        {100, 50, {36, 50, 64, 64}},
    };
    for (const Case& c : cases) {
        Game::overlayStatics.currentRoom = c.roomX < 0 ? nullptr : object(5, 50, {}, c.roomX, c.roomY);
        CObject* o = object(8, 25, {{2, 40}, {3, 32}, {11, 40}, {12, 70}, {13, 50}, {14, 20}}, 70, 100);
        EXPECT_EQ(Game::alignObjectToTile(data, 1, o), 13);
        EXPECT_EQ(o->m_sprite->getX(), 64);
        EXPECT_EQ(o->m_sprite->getY(), 96);
        EXPECT_EQ(o->param(2), 64);
        EXPECT_EQ(o->param(3), 64);
        ASSERT_EQ(o->m_params->length, 64);
        EXPECT_EQ((Ints{o->param(60), o->param(61), o->param(62), o->param(63)}), (Ints{0x1234, 5, 7, 256}));
        EXPECT_EQ((Ints{o->param(11), o->param(12), o->param(13), o->param(14)}), c.area);
    }
    Game::overlayStatics.currentRoom = nullptr;

    // An area already on the cells still reaches one cell further; another tag reads nothing.
    CObject* aligned = object(9, 25, {{2, 32}, {3, 64}}, 64, 96);
    EXPECT_EQ(Game::alignObjectToTile(data, 0, aligned), 0);
    EXPECT_EQ(aligned->param(2), 64);
    EXPECT_EQ(aligned->param(3), 96);
    EXPECT_EQ(aligned->m_params->length, 60);
    EXPECT_EQ(occurrences("<160>9<161>"), 1);
}

TEST_F(PoolSlotsTest, ReleasingAListDropsInstancesAndParams) {
    ObjectArray* list = test::objectList({object(1, 20), nullptr, object(2, 62, {{20, -1}})});
    Game::releaseObjectList(list, true);
    for (int32_t i : {0, 2}) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        EXPECT_EQ(o->m_sprite, nullptr);
        EXPECT_EQ(o->m_params, nullptr);
    }
}

}  // namespace
