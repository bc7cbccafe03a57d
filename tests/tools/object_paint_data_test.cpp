// The object painters' sample data: where its sprites land, and the pictures' shapes the painters
// rely on (the arrow's frame size, every edge animation drawn, the marks' frames, the template sides).
#include <gtest/gtest.h>

#include "tests/tools/archive_packs.h"
#include "tools/formats/definitions_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/sample_data/hud_data.h"
#include "tools/sample_data/object_paint_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using tools_test::Entries;
using tools_test::packOf;
using namespace sample_data;

TEST(ObjectPaintData, TheArchiveCarriesTheSpritesWhereTheLoadingListsAndTheObjectSpriteIdsReadThem) {
    formats::ArchiveWriter archive = buildArchive();
    const Entries interface = packOf(archive, kInterfacePack);
    ASSERT_EQ(interface.size(), 6u);
    EXPECT_EQ(interface[0], formats::spriteFile(targetSignSprite())) << "sprite slot 16";
    EXPECT_EQ(interface[std::size_t(kRegionEntry)], formats::spriteFile(regionSprite())) << "sprite slot 22";
    EXPECT_EQ(interface[std::size_t(kEffectEntry)], formats::spriteFile(effectSprite())) << "sprite slot 35";
    const Entries objects = packOf(archive, kObjectSpritePack);
    ASSERT_EQ(objects.size(), std::size_t(kObjectSpriteCount)) << "sprite ids 30 and on";
    for (int k = 0; k < kObjectSpriteCount; ++k)
        EXPECT_EQ(objects[std::size_t(k)], formats::spriteFile(objectSprite(ObjectSprite(k)))) << "object sprite " << k;
    const Entries definitions = packOf(archive, kDefinitionsPack);
    ASSERT_GT(definitions.size(), 16u);
    EXPECT_EQ(definitions[16], formats::definitionSet(hudLayoutWithArrowArea())) << "layout 6";
}

TEST(ObjectPaintData, TheArrowAndTheMarkersDrawEveryAnimationTheyShow) {
    const formats::SpriteData s = targetSignSprite();
    ASSERT_GT(s.frames.size(), std::size_t(kArrowFrame));
    EXPECT_FALSE(s.frames[kArrowFrame].modules.empty()) << "the arrow's size is measured on frame 68";
    ASSERT_GT(s.animations.size(), std::size_t(kOnGoalAnim));
    for (int a : {kUseMarkerAnim, kLookMarkerAnim, 12, 13, 14, 15, 16, 17, 18, 19, kOnGoalAnim})
        for (const auto& f : s.animations[std::size_t(a)]) {
            ASSERT_LT(std::size_t(f.frame), s.frames.size()) << "animation " << a;
            const auto& modules = s.frames[std::size_t(f.frame)].modules;
            ASSERT_FALSE(modules.empty()) << "animation " << a;
            EXPECT_NE(modules[0].index, 0) << "animation " << a << " shows more than the blank pixel";
        }
    EXPECT_EQ(s.animations[12].at(0).frame + 1, s.animations[13].at(0).frame) << "one picture per edge";
    EXPECT_NE(s.frames[0].modules.at(0).index, 0) << "the target sign is kept";

    const std::vector<formats::DefinitionRecord> layout = hudLayoutWithArrowArea();
    ASSERT_GT(layout.size(), 12u);
    EXPECT_EQ(layout[11].kind, 2);
    EXPECT_EQ(layout[11].x + layout[11].values.at(0), 800 - kArrowAreaInset) << "the arrow stays on screen";
    EXPECT_EQ(layout[11].y + layout[11].values.at(1), 480 - kArrowAreaInset);
    EXPECT_GE(layout[11].y - 16, 54) << "an arrow at the top stays below the pause button";
    EXPECT_EQ(layout[12].values, hudLayout()[12].values) << "the popups' place is kept";
}

TEST(ObjectPaintData, TheKindSpritesHaveTheFramesAndAnimationsTheirPaintersIndex) {
    const formats::SpriteData region = regionSprite(), effects = effectSprite();
    EXPECT_EQ(region.frames.size(), std::size_t(kRegionFrames)) << "type 5 of kinds 0-3 in four facings";
    ASSERT_EQ(effects.animations.size(), std::size_t(kEffectAnims));
    for (const auto& a : effects.animations) EXPECT_GT(a.size(), 1u) << "a burst plays through before it ends";

    const formats::SpriteData charge = objectSprite(kChargeSprite);
    EXPECT_EQ(charge.animations.at(0).size(), std::size_t(kChargeFrames));
    const formats::SpriteData tablet = objectSprite(kPromptObjectSprite);
    ASSERT_EQ(tablet.frames.size(), std::size_t(kFirstMarkFrame + kMarkFrames));
    ASSERT_EQ(tablet.animations.size(), 39u);
    for (int a = 36; a <= 38; ++a)
        EXPECT_EQ(tablet.frames.at(std::size_t(tablet.animations[std::size_t(a)].at(0).frame)).rects.size(), 2u)
            << "animation " << a << ": two marked places";
    for (int k = 0; k < kMarkFrames; ++k) EXPECT_FALSE(tablet.frames[std::size_t(kFirstMarkFrame + k)].modules.empty());
    const formats::SpriteData gate = objectSprite(kTemplateSprite);
    ASSERT_EQ(gate.animations.size(), std::size_t(kTemplateSideAnim + 2));
    EXPECT_EQ(gate.animations[kTemplateSideAnim].size(), 2u);
    EXPECT_EQ(gate.frames[0].rects.size(), 2u) << "the top beam, then the lock's place";
    EXPECT_EQ(objectSprite(kPoolSprite).palettes.size(), 3u);
    EXPECT_EQ(objectSprite(kTileLayerSprite).palettes.size(), 2u);
}

}  // namespace
