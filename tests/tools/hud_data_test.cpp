// The HUD's sample data: where its texts and sprites land, and the chain counter's places.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/archive_packs.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/hud_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using tools_test::Entries;
using tools_test::packOf;

TEST(HudData, TheArchiveCarriesTheHudTextsAndSpritesWhereTheLoadingListsReadThem) {
    formats::ArchiveWriter archive = sample_data::buildArchive();
    const Entries texts = packOf(archive, sample_data::kTextPack);
    ASSERT_EQ(texts.size(), 7u) << "no text group added or lost";
    EXPECT_EQ(texts[6], formats::textPack(sample_data::hudTexts())) << "group 6";
    const Entries chain = packOf(archive, 26), target = packOf(archive, 21), markers = packOf(archive, 22);
    ASSERT_EQ(chain.size(), 8u);
    ASSERT_EQ(target.size(), 6u);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(chain[5], formats::spriteFile(sample_data::chainSprite())) << "sprite slot 7";
    EXPECT_EQ(target[0], formats::spriteFile(sample_data::targetSignSprite())) << "sprite slot 16";
    EXPECT_EQ(markers[0], formats::spriteFile(sample_data::itemMarkerSprite())) << "sprite slot 21";

    const Entries level = packOf(archive, sample_data::kTilePack);
    ASSERT_EQ(level.size(), 2u);
    for (int kind : {0, 1})
        EXPECT_EQ(level[std::size_t(kind)], formats::spriteFile(sample_data::playerSprite(kind))) << "sprite slot " << 10 + kind;
    EXPECT_GE(sample_data::playerSprite(0).modules.size(), 8u) << "the module mappings swap modules 0-7";

    const std::vector<std::string> hud = sample_data::hudTexts();
    EXPECT_NE(hud[0].find("%n"), std::string::npos) << "the chain number";
    EXPECT_NE(hud[1].find("%n"), std::string::npos) << "the points panel's number";
    for (int i : {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}) EXPECT_FALSE(hud[std::size_t(i)].empty()) << "text " << i;
}

TEST(HudData, TheChainGeometryPlacesTheCounterOnScreenAndSlidesItOut) {
    const formats::SpriteData s = sample_data::chainSprite();
    ASSERT_TRUE(s.rectSection);
    ASSERT_EQ(s.frames.at(0).rects.size(), 4u);
    const auto& r = s.frames[0].rects;
    EXPECT_EQ(r[0].x + 130 + r[0].w, sample_data::kChainNumberRight) << "the number's box, right aligned";
    EXPECT_EQ(r[0].y + 510 + r[0].h, sample_data::kChainBaseline);
    EXPECT_EQ(r[1].y + 510 + r[1].h, sample_data::kChainBaseline);
    EXPECT_GT(r[1].x + 130, sample_data::kChainNumberRight) << "the label right of the number";
    EXPECT_LE(r[2].y + 480 + r[2].h, sample_data::kChainBaseline - 40) << "the banner above the counter";
    EXPECT_EQ(r[3].w, sample_data::kChainSlide);
    EXPECT_GT(r[3].w, sample_data::kChainNumberRight + 10) << "slid out, the number is off screen";

    const formats::SpriteData markers = sample_data::itemMarkerSprite();
    ASSERT_EQ(markers.frames.size(), 8u) << "three rings and five items";
    for (const auto& f : markers.frames) EXPECT_NE(f.modules.at(0).index, 0) << "module 0 is the blank pixel";
    const formats::SpriteData sign = sample_data::targetSignSprite();
    ASSERT_GE(sign.animations.size(), 23u) << "the HUD instances' animations 7, 8 and 22 exist";
    EXPECT_NE(sign.frames[0].modules.at(0).index, 0) << "the sign is drawn";
    // Other than the interaction marker's (0, 1), the goal arrow's (12-20) and the prompts' page
    // marker (2, 38), the animations of instances over sprite 16 show nothing.
    for (std::size_t a = 0; a < sign.animations.size(); ++a) {
        if (a <= 1 || (a >= 12 && a <= 20)) continue;
        EXPECT_EQ(sign.animations[a].at(0).frame, a == 2 || a == 38 ? 2 : 1) << "animation " << a;
    }
}

}  // namespace
