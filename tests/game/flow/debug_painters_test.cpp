// The layer objects' cell outlines and the debug overlay of rings, crosshairs and printed lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/flow/pending_seams.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

class DebugPaintersTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        Game::grids = CellGridStatics{};
        Game::operations = ObjectOperationStatics{};
        Game::layouts.s_scriptOffsets = nullptr;
        Game::layouts.s_scriptCommandCounts = nullptr;
        Game::layouts.s_scriptTimers = nullptr;
        Game::layouts.s_scriptIndex = -1;
        Game::objects.s_player = nullptr;
        Game::objects.s_type5Objects = nullptr;
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        test::installConstants({{154, "/"},
                          {432, "ring "},
                          {433, ": "},
                          {434, "view "},
                          {435, ","},
                          {436, "object "},
                          {437, "running script "},
                          {438, "script "},
                          {439, " at "},
                          {440, " commands "},
                          {441, " wait "},
                          {442, "timed modifiers "},
                          {443, "modifier table "},
                          {444, " entry "},
                          {445, " amount "}});
        captured = java_io_ByteArrayOutputStream::newInstance(256);
        savedOut = systemStatics.out;
        systemStatics.out = java_io_PrintStream::newInstance(captured);
    }
    void TearDown() override {
        systemStatics.out = savedOut;
        gamePendingSeams() = {};
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        Game::grids = CellGridStatics{};
        Game::operations = ObjectOperationStatics{};
        WorldTest::TearDown();
    }

    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), std::size_t(data->length));
    }
    static Image* white(int32_t colour = 0xFFFFFF) {
        Image* image = Image::createBlankImage(Game::kScreenWidth, Game::kScreenHeight);
        Graphics* g = image->getGraphics();
        g->setColor(colour);
        g->fillRect(0, 0, Game::kScreenWidth, Game::kScreenHeight);
        return image;
    }
    static uint16_t at(Image* image, int32_t x, int32_t y) { return image->pixels16()[y * (image->stride / 2) + x]; }
    static uint16_t rgb(uint32_t c) { return gfx::argbToRgb565(0xFF000000u | c); }
    // Pixels of the colour inside the rectangle.
    static int32_t count(Image* image, uint32_t colour, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        int32_t n = 0;
        for (int32_t y = std::max(0, y0); y < std::min(image->height, y1); ++y)
            for (int32_t x = std::max(0, x0); x < std::min(image->width, x1); ++x) n += at(image, x, y) == rgb(colour);
        return n;
    }
    static ObjectArray* grid(int32_t columns, int32_t rows) {
        ObjectArray* g = om()->newObjectArray(kClass_ShortArray, columns);
        for (int32_t c = 0; c < columns; ++c) g->elements()[c] = om()->newShortArray(rows);
        return g;
    }
    static int16_t& cell(ObjectArray* g, int32_t c, int32_t r) {
        return static_cast<ShortArray*>(g->elements()[c])->elements()[r];
    }
    static ObjectArray* byteTable(std::initializer_list<std::initializer_list<int32_t>> rows) {
        ObjectArray* t = om()->newObjectArray(kClass_ByteArray, static_cast<int32_t>(rows.size()));
        int32_t i = 0;
        for (const auto& row : rows) {
            ByteArray* b = om()->newByteArray(10);
            int32_t j = 0;
            for (int32_t v : row) b->elements()[j++] = static_cast<int8_t>(v);
            t->elements()[i++] = b;
        }
        return t;
    }

    java_io_ByteArrayOutputStream* captured = nullptr;
    java_io_PrintStream* savedOut = nullptr;
};

// The world-to-screen placement as the level code does it for plain kinds: the camera taken off,
// and given back; every call recorded.
std::string g_placements;
void place(ASpriteInstance* i, int32_t kind, int32_t, IntArray*) {
    i->x -= GameMath::mathStatics.cameraX & ~0x3FFF;
    i->y -= GameMath::mathStatics.cameraY & ~0x3FFF;
    g_placements.append("+").append(std::to_string(kind));
}
void unplace(ASpriteInstance* i, int32_t kind, int32_t, IntArray*) {
    i->x += GameMath::mathStatics.cameraX & ~0x3FFF;
    i->y += GameMath::mathStatics.cameraY & ~0x3FFF;
    g_placements.append("-").append(std::to_string(kind));
}

TEST_F(DebugPaintersTest, LayerObjectCellsAreOutlinedFromTheirScreenPlaceAndThePlaceIsUndone) {
    gamePendingSeams().computeLayerOffset = place;
    gamePendingSeams().computeLayerOffsetAlt = unplace;
    g_placements.clear();
    Game::grids.s_layerGrids = om()->newObjectArray(kClass_ObjectArray, 2);
    ObjectArray* layer = grid(30, 3);
    Game::grids.s_layerGrids->elements()[1] = layer;
    cell(layer, 0, 0) = 0x2;    // red, at the object's screen place
    cell(layer, 1, 1) = 0x100;  // no coloured flag: black
    cell(layer, 2, 0) = 0x4;    // green
    CObject* room = object(7, 50, {{19, 1}}, 50, 1100, 50);
    CObject* noGrid = object(8, 50, {{19, 5}}, 50, 1100, 50);  // past the grid table: placed and put back
    Game::grids.s_viewObjects = list({room, noGrid, nullptr});
    Game::grids.s_viewObjectCount = 3;
    GameMath::mathStatics.cameraX = 1000 << 14;

    Image* image = white();
    Game::paintFrameObjectOutlines(image->getGraphics());
    EXPECT_EQ(at(image, 100, 50), rgb(0xFF0000));
    EXPECT_EQ(at(image, 131, 81), rgb(0xFF0000)) << "a 32 x 32 outline";
    EXPECT_EQ(at(image, 115, 65), rgb(0xFFFFFF)) << "outline only";
    EXPECT_EQ(at(image, 132, 82), rgb(0x000000)) << "a cell without colour flags is black";
    EXPECT_EQ(at(image, 164, 50), rgb(0x00FF00));
    EXPECT_EQ(count(image, 0x000000, 0, 0, 100, 480), 0) << "nothing left of the grid";
    EXPECT_GT(count(image, 0x000000, 768, 50, 800, 146), 0) << "the cells reaching the right edge";
    EXPECT_EQ(g_placements, "+50-50+50-50");
    EXPECT_EQ(room->m_sprite->getX(), 1100);
    EXPECT_EQ(noGrid->m_sprite->getX(), 1100);

    // Only the counted entries of the view list.
    Game::grids.s_viewObjectCount = 0;
    g_placements.clear();
    Game::paintFrameObjectOutlines(white()->getGraphics());
    EXPECT_EQ(g_placements, "");
}

TEST_F(DebugPaintersTest, RingsGrowByEachEntrysWidthAroundThePlayer) {
    ObjectOperationStatics& t = Game::operations;
    t.s_interactionCounts = om()->newByteArray(2);
    t.s_interactionCounts->elements()[0] = 2;
    t.s_interactionCounts->elements()[1] = 0;
    t.s_areaBytesA = byteTable({{30, 200}, {50}});
    t.s_interactionLoad = byteTable({{3, 4}, {0}});
    t.s_interactionCapacity = byteTable({{10, 20}, {0}});
    Game::objects.s_player = object(0, 0, {}, 50, 400, 300);

    Image* image = white();
    Game::paintDebugOverlay(image->getGraphics(), false);
    EXPECT_GT(count(image, 0x0080FF, 428, 297, 433, 304), 0) << "ring 0 at 30 pixels";
    EXPECT_GT(count(image, 0x0080FF, 168, 297, 173, 304), 0) << "ring 1 at 230 (an unsigned width)";
    EXPECT_EQ(count(image, 0x0080FF, 434, 297, 445, 304), 0) << "between the rings";
    EXPECT_GT(count(image, 0x0080FF, 380, 250, 420, 270), 0) << "ring 0's label above it";

    // Group 1 has no entries in use: its width table is never read.
    t.s_interactionCounts->elements()[1] = 1;
    Image* again = white();
    Game::paintDebugOverlay(again->getGraphics(), false);
    EXPECT_GT(count(again, 0x0080FF, 448, 297, 453, 304), 0) << "group 1's ring at 50";
    EXPECT_GT(count(again, 0x0080FF, 380, 350, 420, 380), 0) << "its label below it";
}

TEST_F(DebugPaintersTest, CrosshairsMarkTheViewCentreAndEveryType5ObjectWithLabels) {
    GameMath::mathStatics.cameraX = 100 << 14;
    Game::objects.s_type5Objects = list({object(3, 5, {}, 50, 200, 100), nullptr});
    Image* image = white(0x808080);
    Game::paintDebugOverlay(image->getGraphics(), false);
    for (auto [x, y] : {std::pair{400, 240}, std::pair{100, 100}}) {
        EXPECT_EQ(at(image, x - 5, y), rgb(0xFFFFFF)) << x;
        EXPECT_EQ(at(image, x, y + 5), rgb(0xFFFFFF)) << x;
        EXPECT_EQ(at(image, x + 7, y), rgb(0x808080)) << "arms of 5 pixels";
    }
    EXPECT_GT(count(image, 0x000000, 340, 200, 460, 234), 50) << "the view label's box above the centre";
    EXPECT_GT(count(image, 0x000000, 60, 60, 140, 94), 50) << "the object's label box";
    EXPECT_EQ(printed(), "") << "nothing printed without the flag";
}

TEST_F(DebugPaintersTest, TheListsArePrintedOnlyWithTheFlag) {
    LayoutStatics& l = Game::layouts;
    l.s_scriptOffsets = params(2, {{0, 0}, {1, 12}});
    l.s_scriptCommandCounts = om()->newByteArray(2);
    l.s_scriptCommandCounts->elements()[1] = static_cast<int8_t>(200);
    l.s_scriptTimers = om()->newLongArray(1);
    l.s_scriptTimers->elements()[0] = 1500;
    l.s_scriptIndex = 1;
    ObjectOperationStatics& t = Game::operations;
    t.s_timedModifiers = om()->newByteArray(120);
    std::fill_n(t.s_timedModifiers->elements(), 120, static_cast<int8_t>(-1));
    const int8_t record[] = {1, 4, -3, 9};
    std::copy_n(record, 4, t.s_timedModifiers->elements() + 8);
    t.s_timedModifierCount = 1;

    Game::paintDebugOverlay(white()->getGraphics(), true);
    EXPECT_EQ(printed(),
              "running script 1\n"
              "script 0 at 0 commands 0 wait 1500\n"
              "script 1 at 12 commands 200 wait -1\n"
              "timed modifiers 1\n"
              "modifier table 1 entry 4 amount -3\n");
}

TEST_F(DebugPaintersTest, BeforeALevelLoadsTheOverlayDrawsOnlyTheViewCrosshair) {
    Game::objects.s_player = object(0, 0, {}, 50, 400, 300);
    Image* image = white(0x808080);
    Game::paintDebugOverlay(image->getGraphics(), true);
    EXPECT_EQ(count(image, 0x0080FF, 0, 0, 800, 480), 0) << "no interaction tables, no rings";
    EXPECT_EQ(at(image, 395, 240), rgb(0xFFFFFF));
    EXPECT_EQ(printed(), "running script -1\ntimed modifiers 0\n");
    Game::paintDebugOverlay(nullptr, true);  // reported, nothing drawn or printed
    EXPECT_EQ(printed(), "running script -1\ntimed modifiers 0\n");
}

}  // namespace
