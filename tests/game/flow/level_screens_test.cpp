// The level screens on a stepped clock: the summary's completion, best value, continuations and
// offer; the story's confirm and the end of the game; the fades, the title card's growth, the
// death veils and the information page's neighbours, with pixel probes where the paint matters.
#include <gtest/gtest.h>

#include <vector>

#include "framework/sprite/sprite_instance.h"
#include "game/objects/cobject.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"
#include "tools/formats/dot_font.h"
#include "tools/formats/text_pack.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;

class LevelScreensTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initResources();
        Game::initTimers(0);
        Game::timerStatics.gameTime = 10000;
        Game::objects.s_levelTimer = -1;
        Game::saves.s_saveEnabled = false;
        Game::promoHooks = Game::PromoHooks{};
        screen = Image::createBlankImage(800, 480);
        Game::initStateTables();
    }
    void TearDown() override {
        Game::promoHooks = Game::PromoHooks{};
        GameTest::TearDown();
    }
    void step(int32_t ms, int32_t keys = 0) {
        Game::timerStatics.gameTime += ms;
        in.keysPressed = keys;
        Game::stateUpdates[ov.gameState](nullptr);
    }
    // Counts of the kinds present (the others stay absent) and the level's total.
    void tally(const std::vector<int>& counts, int total) {
        Game::resetKindTallies();
        for (std::size_t k = 0; k < counts.size(); ++k) JArray::setByte(st.kindCounts, int32_t(k), counts[k]);
        JArray::setByte(st.savedCounters, 1, int32_t(counts.size()));
        JArray::setByte(st.savedCounters, 2, total);
    }
    static void fill(Image* image, int32_t colour) {
        Game::Graphics* g = image->getGraphics();
        g->setColor(colour);
        g->fillRect(0, 0, image->width, image->height);
    }
    // The green channel (0-255) of a pixel of the screen.
    int green(int x, int y) { return (gfx::rgb565ToArgb(pixelsOf(screen)[std::size_t(y * 800 + x)]) >> 8) & 0xFF; }
    int best(int level) { return JArray::getByte(Game::flowStatics.s_bestCompletion, level) & 0xFF; }

    Image* screen = nullptr;
};

TEST_F(LevelScreensTest, CompletionCountsUnsignedBytesCapsAt100AndOnlyRaisesTheBest) {
    struct Case {
        std::vector<int> counts;
        int total, bestBefore, completion, bestAfter;
    };
    const Case cases[] = {
        {{5, 7}, 0, 30, 0, 30},       // nothing to find: 0 %, the best stays
        {{150}, 120, 0, 100, 100},    // 150 counts as 150, not as the 99 shown
        {{30, 20}, 100, 0, 50, 50},
        {{30, 20}, 100, 60, 50, 60},  // below the best
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        st.currentLevel = 4;
        JArray::setByte(Game::flowStatics.s_bestCompletion, 4, c.bestBefore);
        tally(c.counts, c.total);
        EXPECT_EQ(Game::recordCompletion(), c.completion);
        EXPECT_EQ(Game::lookupByte(5), c.completion);
        EXPECT_EQ(best(4), c.bestAfter);
    }
}

TEST_F(LevelScreensTest, AFoundCountAbove99IsShownAs99) {
    // Layout 15 with one row label (element 20, 100 x 40) and text 88 showing its argument.
    ASprite* font = newSprite(formats::dotMatrixFont(2, {0xFFFFFF}));
    font->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    st.fonts->elements()[0] = font;
    Game::textStatics.glyphTable = bytes(formats::dotFontGlyphTable());
    std::vector<std::string> texts(89, "");
    texts[88] = "%n";
    Game::loadTextPack(0, bytes(formats::textPack(texts)));
    Game::layouts.s_layouts = om()->newObjectArray(kClass_Object, Game::kLayoutCount);
    ObjectArray* set = om()->newObjectArray(kClass_ShortArray, 21);
    ShortArray* row = om()->newShortArray(16);
    const int16_t fields[] = {1, 300, 200, 100, 40, 1, 1, 0, 0, 0, 0, 0, 0, 0, -1, 0};
    for (int i = 0; i < 16; ++i) row->elements()[i] = fields[i];
    set->elements()[20] = row;
    Game::layouts.s_layouts->elements()[15] = set;
    auto rowPixels = [&](int found) {
        tally({found}, 200);
        fill(st.bufferImage, 0);
        Game::enterLevelSummary();
        const std::vector<uint16_t> all = pixelsOf(st.bufferImage);
        std::vector<uint16_t> box;
        for (int y = 200; y < 240; ++y)
            for (int x = 300; x < 400; ++x) box.push_back(all[std::size_t(y * 800 + x)]);
        return box;
    };
    const std::vector<uint16_t> shown99 = rowPixels(99);
    EXPECT_NE(shown99, std::vector<uint16_t>(shown99.size(), 0)) << "the count is drawn";
    EXPECT_EQ(rowPixels(150), shown99);
    EXPECT_EQ(Game::lookupByte(5), 75) << "150 of 200 counted";
    EXPECT_NE(rowPixels(98), shown99);
}

TEST_F(LevelScreensTest, TheOfferNeedsSavingEightyPercentAndAMissingAbility) {
    struct Case {
        bool saving;
        int completion, flags;
        bool holds;
    };
    const Case cases[] = {
        {true, 80, 0x180, true}, {true, 79, 0, false}, {false, 100, 0, false}, {true, 100, 0x380, false},
        {true, 100, 0x300, true},
    };
    for (const Case& c : cases) {
        Game::saves.s_saveEnabled = c.saving;
        JArray::setByte(st.savedCounters, 5, c.completion);
        Game::objects.s_playerFlags = c.flags;
        EXPECT_EQ(Game::summaryOfferHolds(), c.holds) << c.completion << " " << c.flags;
    }
}

TEST_F(LevelScreensTest, TheSummarySavesWherePlayGoesOnAndItsConfirmTakesTheContinuation) {
    struct Case {
        int choice;
        bool offer;
        int savedLevel;  // -1: nothing saved
        int restarts;
        bool offerMenu;
    };
    const Case cases[] = {
        {0, false, 6, 1, false},
        {1, false, 6, 1, false},
        {1, true, -1, 0, true},
        {2, false, 13, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice * 10 + c.offer);
        test::g_pendingCalls.clear();
        Game::saves.s_gameRecord = nullptr;
        Game::saves.s_summaryChoice = c.choice;
        Game::saves.s_nextLevel = 6;
        st.currentLevel = 5;
        tally({c.offer ? 9 : 1}, 10);
        Game::saves.s_saveEnabled = c.offer;
        Game::objects.s_playerFlags = 0;
        Game::layouts.s_menu = 0;
        Game::enterLevelSummary();
        EXPECT_EQ(ov.gameState, Game::kStateLevelSummary);
        EXPECT_EQ(st.currentLevel, 5);
        if (c.savedLevel < 0) EXPECT_TRUE(isNull(Game::saves.s_gameRecord));
        else EXPECT_EQ(JArray::getByte(Game::saves.s_gameRecord, 0), c.savedLevel);
        step(16);
        EXPECT_EQ(count("Game::restartAtLevel"), 0);
        step(16, 0x800);
        EXPECT_EQ(count("Game::restartAtLevel"), c.restarts);
        EXPECT_EQ(Game::layouts.s_menu == 11, c.offerMenu);
    }
}

TEST_F(LevelScreensTest, TheStoryIgnoresAnEarlyConfirmAndEndsTheGameOnceWithTheEndMessage) {
    Game::saves.s_nextLevel = 99;
    JArray::setByte(Game::flowStatics.s_settings, 0, 0);
    Game::tables.s_hasSavedGame = 1;
    tally({}, 0);
    Game::enterFullScreenText();
    ASSERT_EQ(ov.gameState, Game::kStateStoryText);
    step(999, 0x800);
    EXPECT_EQ(ov.gameSubState, 0);
    step(1);
    EXPECT_EQ(ov.gameSubState, 1);
    EXPECT_EQ(Game::objects.s_levelTimer, -1);
    step(16);
    EXPECT_EQ(ov.gameState, Game::kStateStoryText);
    step(16, 0x20);
    EXPECT_EQ(ov.gameState, Game::kStateGameEnd);
    EXPECT_EQ(JArray::getByte(Game::flowStatics.s_settings, 0), 2);
    EXPECT_EQ(Game::tables.s_hasSavedGame, 0);

    // A later finish skips the message: to the offer when the promotion screen has pages, else a reset.
    Game::promoHooks.countLoaded = [] { return 2; };
    Game::setState(Game::kStateStoryText, 1);
    step(16, 0x800);
    EXPECT_EQ(ov.gameState, Game::kStatePromoOffer);
    Game::promoHooks.countLoaded = nullptr;
    Game::setState(Game::kStateStoryText, 1);
    step(16, 0x800);
    EXPECT_EQ(ov.gameState, Game::kStateStoryText);
    EXPECT_EQ(count("Game::resetLevel"), 1);
}

TEST_F(LevelScreensTest, TheStoryWithLevelsLeftGoesToTheSummary) {
    Game::saves.s_nextLevel = 3;
    tally({2}, 4);
    Game::enterFullScreenText();
    step(1000);
    step(16, 0x800);
    EXPECT_EQ(ov.gameState, Game::kStateLevelSummary);
}

TEST_F(LevelScreensTest, TheLevelEndWaitsHalfASecondForTheSummary) {
    tally({1}, 2);
    Game::enterLevelEnd();
    EXPECT_EQ(count("Game::repaintBackgroundBuffer"), 1);
    step(499);
    EXPECT_EQ(ov.gameState, Game::kStateLevelEnd);
    step(1);
    EXPECT_EQ(ov.gameState, Game::kStateLevelSummary);
    EXPECT_EQ(Game::objects.s_levelTimer, -1) << "the timer is let go";
}

TEST_F(LevelScreensTest, TheTitleCardFadesInThePlayThenShowsTheTitleOverTheRunningWorld) {
    for (bool titled : {false, true}) {
        SCOPED_TRACE(titled);
        // Layout 16's element 2 (the title art) shown or hidden.
        Game::layouts.s_layouts = om()->newObjectArray(kClass_Object, Game::kLayoutCount);
        ObjectArray* set = om()->newObjectArray(kClass_ShortArray, 3);
        ShortArray* art = om()->newShortArray(11);
        art->elements()[6] = titled ? 1 : 0;
        set->elements()[2] = art;
        Game::layouts.s_layouts->elements()[16] = set;
        test::g_pendingCalls.clear();
        Game::setState(Game::kStateGameplay, 0);
        Game::startLevelTimer();
        Game::setState(Game::kStateLevelIntro, 0);
        step(999);
        EXPECT_EQ(ov.gameState, Game::kStateLevelIntro);
        step(1);
        EXPECT_EQ(ov.gameState, titled ? Game::kStateLevelIntro : Game::kStateGameplay);
        if (!titled) continue;
        EXPECT_EQ(ov.gameSubState, 1);
        step(500);
        EXPECT_EQ(count("Game::updateAllObjectLists"), 1);
        step(500);
        EXPECT_EQ(ov.gameState, Game::kStateGameplay);
        EXPECT_EQ(count("Game::updateTemplateObjects"), 2);
    }
}

TEST_F(LevelScreensTest, FadesRunTheGamePictureOutOverASecond) {
    // The game picture (white) over the buffer (black): alpha 255 x (1 - f).
    fill(st.overlayImage, 0xFFFFFF);
    Game::startLevelTimer();
    state(Game::kStateStoryText, 0);
    fill(st.bufferImage, 0x000000);
    const std::pair<int, int> cases[] = {{0, 255}, {250, 191}, {500, 127}, {1000, 0}, {1500, 0}};
    int64_t start = Game::timerStatics.gameTime;
    for (auto [t, level] : cases) {
        Game::timerStatics.gameTime = start + t;
        Game::paintStoryText(screen->getGraphics());
        EXPECT_NEAR(green(400, 240), level, 6) << t;
        state(Game::kStateLevelIntro, 0);
        Game::paintLevelIntro(screen->getGraphics());
        EXPECT_NEAR(green(10, 10), level, 6) << t;
        state(Game::kStateStoryText, 0);
    }
}

TEST_F(LevelScreensTest, TheTitleGrowsFromItsSizeToThreeTimesAboutItsCentreAndIsRestored) {
    // Layout 16 with its title button (element 3) 200 x 40 at (300, 100).
    Game::layouts.s_layouts = om()->newObjectArray(kClass_Object, Game::kLayoutCount);
    ObjectArray* set = om()->newObjectArray(kClass_ShortArray, 4);
    ShortArray* button = om()->newShortArray(12);
    const int16_t fields[] = {2, 300, 100, 200, 40};
    for (int i = 0; i < 5; ++i) button->elements()[i] = fields[i];
    set->elements()[3] = button;
    Game::layouts.s_layouts->elements()[16] = set;
    Game::startLevelTimer();
    state(Game::kStateLevelIntro, 1);
    const int64_t start = Game::timerStatics.gameTime;
    const std::pair<int, int> cases[] = {{0, 100}, {500, 200}, {1000, 300}, {2000, 300}};
    for (auto [t, percent] : cases) {
        Game::timerStatics.gameTime = start + t;
        const Game::TitleCardBox box = Game::titleCardBox(button);
        EXPECT_EQ(box.w, 200 * percent / 100) << t;
        EXPECT_EQ(box.h, 40 * percent / 100) << t;
        EXPECT_EQ(box.x + box.w / 2, 400) << t;
        EXPECT_EQ(box.y + box.h / 2, 120) << t;
        Game::paintLevelIntro(screen->getGraphics());
        EXPECT_EQ(button->elements()[1], 300);
        EXPECT_EQ(button->elements()[3], 200);
        EXPECT_EQ(GameBase::statics.paintEffectFlags & 1, 0);
    }
}

TEST_F(LevelScreensTest, DeathVeilsByKindOnTheManualClock) {
    struct Case {
        int kind, t, level;
    };
    // White under the veil; kinds 0 and 1 reach 127 over the death animation (none here: at
    // once); the others run from 128 to 255 over a second.
    const Case cases[] = {{0, 0, 128}, {1, 300, 128}, {3, 0, 127}, {3, 500, 64}, {9, 1000, 0}, {9, 4000, 0}};
    state(Game::kStateDeath, 0);
    Game::objects.s_player = nullptr;
    for (const Case& c : cases) {
        fill(st.bufferImage, 0xFFFFFF);
        Game::objects.s_levelTimer = -1;
        Game::startLevelTimer();
        Game::timerStatics.gameTime += c.t;
        CObject::statics.s_playerStateParam = c.kind;
        Game::paintDeath(screen->getGraphics());
        EXPECT_NEAR(green(700, 400), c.level, 6) << c.kind << " at " << c.t;
    }
    // Kind 2 draws only the player, by its kind.
    fill(st.bufferImage, 0xFFFFFF);
    CObject::statics.s_playerStateParam = 2;
    Game::paintDeath(screen->getGraphics());
    EXPECT_EQ(green(700, 400), 255);
}

TEST_F(LevelScreensTest, TheDeathSequenceGoesOnUnderTheDeathMenuOnly) {
    Game::objects.s_player = nullptr;
    CObject::statics.s_playerStateParam = 9;  // a veil that is opaque after a second
    Game::startLevelTimer();
    Game::timerStatics.gameTime += 4000;
    struct Case {
        int32_t menu;
        bool death;
    } cases[] = {{1, false}, {8, true}};
    for (const Case& c : cases) {
        state(Game::kStateMenu, 1);
        Game::layouts.s_menu = c.menu;
        const int before = count("Game::updateDeath");
        Game::stateUpdates[Game::kStateMenu](nullptr);
        EXPECT_EQ(count("Game::updateDeath") - before, c.death ? 1 : 0) << c.menu;
        fill(screen, 0xFFFFFF);
        Game::statePaints[Game::kStateMenu](nullptr, screen->getGraphics());
        // The menu's own picture leaves the screen's corner alone; the death veil covers it.
        EXPECT_EQ(green(799, 479), c.death ? 0 : 255) << c.menu;
    }
}

TEST_F(LevelScreensTest, TheInformationPageBrowsesToItsNeighboursOnTheMapOnly) {
    // Locations: 0 -> 1 -> 2, each record {id, x, y, next, previous, target}.
    const int records[3][6] = {{0, 10, 20, 1, -1, 0}, {1, 30, 40, 2, 0, 1}, {2, 50, 60, -1, 1, -1}};
    Game::tables.s_mapLocations = om()->newObjectArray(kClass_IntArray, 3);
    for (int i = 0; i < 3; ++i) {
        IntArray* r = om()->newIntArray(10);
        for (int k = 0; k < 6; ++k) r->elements()[k] = records[i][k];
        Game::tables.s_mapLocations->elements()[i] = r;
    }
    ASpriteInstance* marker = newObject<ASpriteInstance>();
    marker->init(nullptr, 0, 0, nullptr);
    Game::tables.s_infoInstance = marker;
    Game::tables.s_infoMode = 1;
    Game::selectMapLocation(0);
    state(Game::kStateInfoPage, 0);
    const std::pair<int, int> moves[] = {{0x408, 0}, {0x1010, 1}, {0x1010, 2}, {0x1010, 2}, {0x408, 1}};
    for (auto [key, at] : moves) {
        step(16, key);
        EXPECT_EQ(Game::tables.s_mapLocation, at);
    }
    EXPECT_EQ(marker->x, 30 << 14);
    // Each move builds the page into the buffer; the screen shows the buffer.
    Game::paintInfoPage(screen->getGraphics());
    EXPECT_EQ(pixelsOf(screen)[800 * 240 + 400], gfx::argbToRgb565(0xFF57E0F5u));
    Game::tables.s_infoMode = 0;
    step(16, 0x1010);
    EXPECT_EQ(Game::tables.s_mapLocation, 1);
    // Location 2 leads to no level: confirm stays; location 1 starts its level's set-up.
    Game::tables.s_infoMode = 1;
    step(16, 0x1010);
    step(16, 0x800);
    EXPECT_EQ(ov.gameState, Game::kStateInfoPage);
    step(16, 0x408);
    step(16, 0x40000);
    EXPECT_EQ(ov.gameState, 5);
    EXPECT_EQ(st.currentLevel, 1);
    EXPECT_TRUE(isNull(Game::tables.s_infoInstance));
}

}  // namespace
