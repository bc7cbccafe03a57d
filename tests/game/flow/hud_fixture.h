// A game over a small archive with the HUD's pieces in place: an interface sprite (slot 3) whose
// frames carry the HUD's rectangles, the chain geometry (slot 7), layout 6's elements, a player
// with its gauges, a white 800 x 480 picture to paint into, and the timers on a stepped clock.
#pragma once

#include <map>
#include <vector>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/objects/cobject.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/archive_game_fixture.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/sprite_file.h"

namespace mrc::test {

using Image = javax_microedition_lcdui_Image;

class HudTest : public ArchiveGameTest {
protected:
    static constexpr uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kRed = 0xFFFF0000u;
    static constexpr int32_t kPanelX = 100, kPanelY = 50, kGaugeX = 300, kGaugeY = 50, kPopupX = 200,
                             kPopupY = 300;

    HudTest() : ArchiveGameTest("veltrano-hud") {}

    void saveData() override {
        std::vector<std::string> constants(538);
        constants[Game::kPackPathText] = "/pk/";
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }

    void SetUp() override {
        ArchiveGameTest::SetUp();
        Game::initTimers(0);
        Game::timerStatics.gameTime = 10000;
        Game::initHud();
        Game::hudGauges = {};
        st.frameTime = 0;
        st.sprites->elements()[3] = sprite(interfaceSprite());
        st.sprites->elements()[7] = sprite(chainSprite());
        installLayout6();
        player = CObject::create(1, 0, 0, 0, om()->newIntArray(30));
        Game::objects.s_player = player;
        setGauges({{13, 1000}, {17, 1000}, {15, 100}, {18, 100}, {14, 0}, {16, 0}, {19, 100}});
        image = Image::createBlankImage(800, 480);
        g = image->getGraphics();
        clear();
    }
    void TearDown() override {
        Game::objects.s_player = nullptr;
        ArchiveGameTest::TearDown();
    }

    // Whole units; the player keeps them with 14 fraction bits.
    void setGauges(const std::map<int32_t, int32_t>& values) {
        for (const auto& [i, v] : values) player->setParam(i, v << 14);
    }
    void clear() {
        g->setClip(0, 0, 800, 480);
        g->setColor(int32_t(kWhite));
        g->fillRect(0, 0, 800, 480);
    }
    uint16_t pixel(int32_t x, int32_t y) { return image->pixels16()[y * 800 + x]; }
    bool is(int32_t x, int32_t y, uint32_t argb) { return pixel(x, y) == gfx::argbToRgb565(argb); }
    void step(int32_t ms) {
        Game::timerStatics.gameTime += ms;
        st.frameTime = ms;
    }
    // A still instance showing frame `frame` of the interface sprite at (x, y).
    ASpriteInstance* instance(int32_t slot, int32_t frame, int32_t x, int32_t y) {
        auto* i = newObject<ASpriteInstance>();
        i->init(Game::spriteSlot(3), x, y, nullptr);
        ASpriteInstance::showFrame(i, frame);
        st.hudInstances->elements()[slot] = i;
        return i;
    }

    // Frame 1: an 8 x 40 red block (the points gauge's picture); frame 2: a 4 x 4 red block.
    // Rectangles: 33 {0, 0, 8, 40} and {20, 0, 30, 12}; 66 {10, 5, 100, 10}; 73 {10, 20, 100, 6};
    // 98 {0, 0, 120, 20} and {10, 30, 60, 8}.
    static formats::SpriteData interfaceSprite() {
        formats::SpriteData s;
        s.rectSection = true;
        s.modules.push_back({formats::ModuleKind::Filled, 8, 40, 0, 0, kRed, {}, {}});
        s.modules.push_back({formats::ModuleKind::Filled, 4, 4, 0, 0, kRed, {}, {}});
        s.frames.resize(100);
        s.frames[1].modules = {{0, 0, 0, 0}};
        s.frames[2].modules = {{1, 0, 0, 0}};
        s.frames[33].rects = {{0, 0, 8, 40}, {20, 0, 30, 12}};
        s.frames[66].rects = {{10, 5, 100, 10}};
        s.frames[73].rects = {{10, 20, 100, 6}};
        s.frames[98].rects = {{0, 0, 120, 20}, {10, 30, 60, 8}};
        s.animations.push_back({{2, 1, 0, 0, 0}});
        s.palettes = {{kRed}};
        return s;
    }
    // Frame 0's rectangles: number, label, banner, and the slide distance W = 100.
    static formats::SpriteData chainSprite() {
        formats::SpriteData s;
        s.rectSection = true;
        s.modules.push_back({formats::ModuleKind::Filled, 4, 4, 0, 0, kRed, {}, {}});
        s.frames.resize(1);
        s.frames[0].rects = {{0, 0, 40, 20}, {0, 0, 40, 20}, {0, 0, 60, 20}, {0, 0, 100, 1}};
        s.palettes = {{kRed}};
        return s;
    }
    static ASprite* sprite(const formats::SpriteData& d) {
        auto* s = newObject<ASprite>();
        std::vector<uint8_t> bytes = formats::spriteFile(d);
        ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(data->elements()));
        s->load(data, 0);
        s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        return s;
    }
    // Layout 6: elements 0-12 empty sprite elements; 4 the panels, 5 the points gauge's picture
    // (frame 1), 12 the popups'.
    static void installLayout6() {
        constexpr int32_t kElements = 13;
        if (isNull(Game::layouts.s_layouts))
            Game::layouts.s_layouts = om()->newObjectArray(kClass_Object, Game::kLayoutCount);
        ObjectArray* set = om()->newObjectArray(kClass_ShortArray, kElements);
        Game::layouts.s_layouts->elements()[6] = set;
        for (int32_t i = 0; i < kElements; ++i) {
            ShortArray* r = om()->newShortArray(16);
            set->elements()[i] = r;
            r->elements()[3] = 3;
            r->elements()[4] = -1;
            r->elements()[5] = -1;  // a still frame
        }
        auto place = [&](int32_t e, int32_t x, int32_t y, int32_t frame) {
            ShortArray* r = static_cast<ShortArray*>(set->elements()[e]);
            r->elements()[1] = int16_t(x);
            r->elements()[2] = int16_t(y);
            r->elements()[4] = int16_t(frame);
        };
        place(4, kPanelX, kPanelY, -1);
        place(5, kGaugeX, kGaugeY, 1);
        place(12, kPopupX, kPopupY, -1);
    }

    CObject* player = nullptr;
    Image* image = nullptr;
    Game::Graphics* g = nullptr;
};

}  // namespace mrc::test
