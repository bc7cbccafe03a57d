// The level loader over a real data archive: the forward-only pack rule, break points and
// sub-scripts, the commands that load texts, glyphs, sprites and instances, release lists, state
// changes and the tap point.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/static_class.h"
#include "tests/game/archive_game_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"

namespace {

using namespace mrc;
using Script = std::vector<std::vector<int32_t>>;

// A sprite of one 2 x 2 image module, frames 0 and 1 showing it, one animation of two frames.
formats::SpriteData smallSprite(uint32_t colour) {
    formats::SpriteData s;
    s.modules.push_back({formats::ModuleKind::Image, 2, 2, 0, 0, 0, {0, 0, 0, 0}, {}});
    s.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
    s.frames.push_back({{{0, 2, 0, 0}}, {}, {}});
    s.animations.push_back({{0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}});
    s.palettes = {{colour | 0xFF000000u}};
    return s;
}

std::vector<uint8_t> entryBytes(int tag, std::size_t size) {
    std::vector<uint8_t> b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = uint8_t(tag * 16 + i);
    return b;
}

class LoaderTest : public test::ArchiveGameTest {
protected:
    LoaderTest() : ArchiveGameTest("veltrano-loader") {}

    // Pack i is "/pk/p<i>": pack 0 texts, pack 1 twelve plain entries, pack 2 sprites.
    void saveData() override {
        std::vector<std::string> constants = packConstants();
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        formats::PackWriter texts;
        texts.add(formats::textPack({"zero", "one"}));
        texts.add(formats::textPack({"Hello", "there", "!"}));
        archive.add("pk/p0", texts.build());
        formats::PackWriter plain;
        for (int i = 0; i < 12; ++i) plain.add(entryBytes(i, 3 + i));
        archive.add("pk/p1", plain.build());
        formats::PackWriter sprites;
        sprites.add(formats::spriteFile(smallSprite(0xFF0000)));
        sprites.add(formats::spriteFile(smallSprite(0x00FF00)));
        archive.add("pk/p2", sprites.build());
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }

    void start(const Script& commands) { Game::startSequence(script(commands), false, 0, 100); }
    static std::vector<uint8_t> bytesOf(ByteArray* b) {
        if (isNull(b)) return {};
        auto* p = reinterpret_cast<const uint8_t*>(b->elements());
        return {p, p + b->length};
    }
    static Object* openPackName() { return GameBase::statics.packName; }
};

TEST_F(LoaderTest, APackIsOpenedAgainOnlyForAnEntryNotAheadOfTheLastOneRead) {
    start({{1, 1, 3}, {1, 1, 5}, {1, 1, 9}, {1, 1, 4}, {1, 1, 4}, {1, 1, 11}});
    const struct {
        int32_t entry;
        bool reopened;
    } steps[] = {{3, true}, {5, false}, {9, false}, {4, true}, {4, true}, {11, false}};
    for (const auto& s : steps) {
        Object* before = openPackName();
        Game::loadStep();
        EXPECT_EQ(openPackName() != before, s.reopened) << "entry " << s.entry;
        EXPECT_EQ(bytesOf(Game::textStatics.glyphTable), entryBytes(s.entry, std::size_t(3 + s.entry))) << s.entry;
        EXPECT_EQ(GameStatics::flowStatics.s_loadPack, 1);
        EXPECT_EQ(GameStatics::flowStatics.s_loadPackEntry, s.entry);
    }
    EXPECT_EQ(Game::loadStep(), Game::kLoadFinished);
    EXPECT_EQ(GameStatics::flowStatics.s_loadPack, -1);
    EXPECT_EQ(openPackName(), nullptr) << "the finished script closed the pack";
}

TEST_F(LoaderTest, BreakPointsAtTheMiddleAndBeforeTheTapPoint) {
    const struct {
        Script commands;
        std::vector<int32_t> statuses;
    } cases[] = {
        {{{10}, {10}, {10}, {10}}, {0, 0, 4, 0, 1}},
        {{{10}, {10}, {10}, {10}, {10}}, {0, 0, 4, 0, 0, 1}},
        {{{10}, {10}, {10}, {10}, {10}, {10}, {18, 16}}, {0, 0, 0, 4, 0, 4}},
        {{{10}}, {4, 1}},
    };
    for (const auto& c : cases) {
        start(c.commands);
        std::vector<int32_t> statuses;
        for (std::size_t i = 0; i < c.statuses.size(); ++i) statuses.push_back(Game::loadStep());
        EXPECT_EQ(statuses, c.statuses) << c.commands.size() << " commands";
    }
}

TEST_F(LoaderTest, ASubScriptRunsWholeInOneStepAndDoesNotNest) {
    preset(19, script({{1, 1, 2}, {14, 18}, {1, 1, 6}}));
    preset(18, script({{6, 12, 0}}));
    start({{14, 19}, {1, 1, 7}});
    state(2, 0);
    EXPECT_EQ(Game::loadStep(), 0) << "a three-command sub-script has no break point of its own";
    EXPECT_EQ(bytesOf(Game::textStatics.glyphTable), entryBytes(6, 9)) << "the sub-script ran to its end";
    EXPECT_EQ(ov.gameState, 2) << "the nested command 14 did nothing";
    EXPECT_EQ(st.loadIndex, 1) << "the outer script resumes after the command 14";
    EXPECT_EQ(Game::loadStep(), Game::kLoadBreak) << "index 1 of 2 is the middle";
    EXPECT_EQ(bytesOf(Game::textStatics.glyphTable), entryBytes(7, 10));
    // A one-command sub-script always breaks.
    preset(17, script({{10}}));
    start({{14, 17}, {10}, {10}, {10}});
    EXPECT_EQ(Game::loadStep(), Game::kLoadBreak);
    EXPECT_EQ(st.loadIndex, 1);
}

TEST_F(LoaderTest, StateChangeEndsTheScriptAndClosesThePack) {
    for (int32_t sub : {4, -1}) {
        state(1, 2);
        start({{1, 1, 0}, {6, 3, sub}, {1, 1, 1}});
        Game::loadStep();
        const int32_t index = ov.stateHistoryIndex;
        EXPECT_NE(Game::loadStep() & 7, 0) << "the state changed: " << Game::loadStep();
        EXPECT_EQ(ov.gameState, 3);
        EXPECT_EQ(ov.gameSubState, sub == -1 ? 0 : sub);
        EXPECT_NE(ov.stateHistoryIndex, index) << "the history is written also with sub-state -1";
        EXPECT_TRUE(isNull(st.loadScript));
        EXPECT_EQ(GameStatics::flowStatics.s_loadPack, -1);
        EXPECT_EQ(Game::loadStep(), Game::kLoadFinished);
        EXPECT_EQ(bytesOf(Game::textStatics.glyphTable), entryBytes(0, 3)) << "nothing ran after the change";
    }
}

TEST_F(LoaderTest, TextTablesSpritesAndInstancesLoadAndReleaseByList) {
    start({{0, 4, 1}, {3, 2, 0, 5, -1, 2}, {3, 2, 1, 6, 0, 10}, {2, 2, 1, 0, 0, 2}, {4, 3, 5, 400, 240, -1},
           {4, 4, 6, 10, 20, 3}});
    while ((Game::loadStep() & Game::kLoadFinished) == 0) {
    }
    // Text table 4: its strings through the text engine's table.
    EXPECT_EQ(Game::getTextLength(4, 0, Game::getTextStart(4, 0)), 5);
    EXPECT_EQ(Game::getTextStart(4, 2), 10);
    auto sprite = [&](ObjectArray* a, int i) { return static_cast<ASprite*>(a->elements()[i]); };
    ASSERT_FALSE(isNull(sprite(st.sprites, 5)));
    ASSERT_FALSE(isNull(sprite(st.sprites, 6)));
    EXPECT_TRUE(isNull(sprite(st.sprites, 5)->pixelData)) << "loaded without flag 8: raw data dropped";
    EXPECT_FALSE(isNull(sprite(st.sprites, 6)->pixelData)) << "flag 8 keeps it";
    EXPECT_EQ(sprite(st.fonts, 0)->getLineSpacing(), 4);
    auto instance = [&](int i) { return static_cast<ASpriteInstance*>(st.hudInstances->elements()[i]); };
    ASSERT_FALSE(isNull(instance(3)));
    EXPECT_EQ(instance(3)->sprite, sprite(st.sprites, 5));
    EXPECT_EQ(instance(3)->getX(), 400);
    EXPECT_EQ(instance(4)->parent, instance(3));
    // The list's own release: texts, sprites and instances it loaded.
    preset(19, script({{0, 4, 1}, {3, 2, 0, 5, -1, 2}, {2, 2, 1, 0, 0, 2}, {4, 3, 5, 400, 240, -1}, {1, 1, 1}}));
    Game::runEventActions(19);
    EXPECT_EQ(Game::getTextStart(4, 0), -1);
    EXPECT_TRUE(isNull(sprite(st.sprites, 5)));
    EXPECT_FALSE(isNull(sprite(st.sprites, 6))) << "not in the list";
    EXPECT_TRUE(isNull(sprite(st.fonts, 0)));
    EXPECT_TRUE(isNull(instance(3)));
    EXPECT_FALSE(isNull(instance(4)));
}

TEST_F(LoaderTest, ASpriteWithoutItsRawDataIsReadAgain) {
    ObjectArray* sprites = st.sprites;
    ASprite* first = Game::getSprite(2, 7, 0, -1, 2, sprites);
    Object* opened = openPackName();
    ASprite* again = Game::getSprite(2, 7, 0, -1, 2, sprites);
    EXPECT_EQ(again, first) << "the same sprite object is reloaded";
    EXPECT_NE(openPackName(), opened) << "entry 0 is not ahead of the last read: the pack opened again";
    ASprite* kept = Game::getSprite(2, 8, 1, -1, 10, sprites);
    opened = openPackName();
    Game::getSprite(2, 8, 1, -1, 10, sprites);
    EXPECT_EQ(openPackName(), opened) << "a sprite that kept its data is loaded: nothing is read";
    EXPECT_TRUE(kept->hasCachedPalette(0));
}

TEST_F(LoaderTest, ASpriteLoadedWithItsOwnPackLeavesNoPackOpen) {
    ASprite* sprite = Game::loadSprite(nullptr, 2, 1, -1, ASprite::kCacheImages, true);
    ASSERT_NE(sprite, nullptr);
    EXPECT_GT(sprite->moduleCount, 0);
    EXPECT_TRUE(sprite->hasCachedPalette(0));
    EXPECT_EQ(openPackName(), nullptr);
    EXPECT_EQ(GameStatics::flowStatics.s_loadPack, -1);
    // The loader's next read of that pack (in a script that was running) opens it again.
    st.loadScript = script({{1, 2, 0}});
    st.loadIndex = 0;
    Game::loadStep();
    EXPECT_EQ(bytesOf(Game::textStatics.glyphTable).size(), formats::spriteFile(smallSprite(0xFF0000)).size());
}

TEST_F(LoaderTest, TextPacksThatDoNotHoldTheirTablesLoadNothing) {
    const struct {
        std::vector<uint8_t> bytes;
        bool loads;
    } cases[] = {
        {formats::textPack({"ab", "c"}), true},
        {{1, 0, 0, 0, 2, 0, 0, 0, 'x'}, false},      // the text ends early
        {{0xFF, 0xFF, 0, 0, 1, 0, 0, 0}, false},     // a count beyond the bytes
        {{0, 0, 0, 0}, false},                       // no strings
        {{1, 0}, false},
    };
    for (const auto& c : cases) {
        Game::unloadTextTable(6);
        Game::loadTextPack(6, bytes(c.bytes));
        EXPECT_EQ(Game::getTextStart(6, 0) >= 0, c.loads) << c.bytes.size();
    }
}

TEST_F(LoaderTest, TheTapPointWaitsForTheConfirmKey) {
    state(2, 0);
    Game::Graphics* screen = javax_microedition_lcdui_Image::createBlankImage(800, 480)->getGraphics();
    st.graphics = screen;
    start({{10}, {18, 16}, {10}});
    EXPECT_EQ(Game::loadStep(), Game::kLoadBreak);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(Game::loadStep() & Game::kLoadWaitKey, Game::kLoadWaitKey);
        EXPECT_EQ(st.loadIndex, 1) << "the same step runs again";
        EXPECT_EQ(st.loadActive, 0);
        EXPECT_EQ(st.loadWaitTap, 1);
    }
    in.keysPressed = Game::kConfirmMask & 0x800;
    EXPECT_EQ(Game::loadStep() & Game::kLoadWaitKey, Game::kLoadWaitKey);
    EXPECT_EQ(st.loadIndex, 2);
    EXPECT_EQ(in.keyLockFrames.load(), 1) << "the keys were reset";
}

}  // namespace
