// The sample data of the objects' own painters: the interaction marker and the goal arrow (HUD
// sprite 16), the region frames under objects (sprite 22), the effect bursts of the ten effect
// instances (sprite 35), the arrow's area (layout 6 element 11) and object sprites of the kinds
// with painters of their own (pack 5). Our own procedural pictures.
#pragma once

#include <vector>

#include "tools/formats/archive_file.h"
#include "tools/formats/definitions_file.h"
#include "tools/formats/sprite_file.h"

namespace sample_data {

// Sprite 16: animations 0 and 1 the marker over the faced object (0 for object types 1 and 3;
// the HUD markers of entries 5 and 15 show it too), frame 68 the arrow on its goal (whose size
// shifts the arrow in from the corners), animations 12-19 the arrow at the edges (up, down, left,
// right, up-left, up-right, down-right, down-left) and 20 on the goal.
inline constexpr int kUseMarkerAnim = 0, kLookMarkerAnim = 1;
inline constexpr int kArrowFrame = 68, kFirstArrowAnim = 12, kOnGoalAnim = 20;
inline constexpr uint32_t kMarkerColour = 0xFF40E0FFu, kArrowColour = 0xFFFF7A1Au;
// Adds the marker's and the arrow's frames and animations to the HUD target sprite.
void addGoalArrowArt(formats::SpriteData& s);

// Sprite 22 (pack 21 entry 2): the region frames painted under objects, frame 0 for type-1
// objects, 1 for the player, 4n + 2..5 for type-5 objects of kind n (0-3) facing up, down, left
// and right.
inline constexpr int kRegionEntry = 2, kRegionFrames = 18;
formats::SpriteData regionSprite();
// Sprite 35 (pack 21 entry 4): the bursts the effect instances play once, animation 4r + d for
// variant r (0-3) and direction d (0 down, 1 up, 2 right, 3 left).
inline constexpr int kEffectEntry = 4, kEffectAnims = 16;
formats::SpriteData effectSprite();

// Layout 6 with element 11, the area the arrow is kept in: 16 px inside the screen, and below the
// pause button in the top right corner.
inline constexpr int kArrowAreaInset = 16, kArrowAreaTop = 72;
std::vector<formats::DefinitionRecord> hudLayoutWithArrowArea();

// Pack 5 (sprite ids 30-35): object sprites of the kinds with their own painters.
inline constexpr int kObjectSpritePack = 5;
enum ObjectSprite {
    kTileLayerSprite,     // type 50: 32 x 32 tiles 0-5, palette 0 stone, 1 moss
    kChargeSprite,        // type 61: animation 0 fills over frames 0-7, animation 1 the full glow
    kPromptObjectSprite,  // type 69: a tablet; animations 36-38 with two marker places each,
                          // frames 146-149 the marks put on them
    kTemplateSprite,      // types 80-88: a gate; animations 74 and 75 the template sides
    kPoolSprite,          // types 300-306: an orb, palettes 0 blue, 1 red, 2 green
    kPropSprite,          // plain objects: animations 0-4 a crate, chest, fence post, lever, signpost
    kObjectSpriteCount
};
inline constexpr int kChargeFrames = 8, kFirstMarkFrame = 146, kMarkFrames = 4;
inline constexpr int kTemplateSideAnim = 74;
// The props' colours that the end-to-end runs probe.
inline constexpr uint32_t kCrateColour = 0xFF9A6A3Au, kPostColour = 0xFFC8B890u;
formats::SpriteData objectSprite(ObjectSprite which);

// Puts sprites 22 and 35, layout 6's arrow area and pack 5 into the archive (after the HUD's
// data is added).
void addObjectPaintData(formats::ArchiveWriter& archive);

}  // namespace sample_data
