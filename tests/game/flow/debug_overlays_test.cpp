// Debug overlays: the debug rectangle follows the camera; labels only for objects in view.
#include <gtest/gtest.h>

#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;

class DebugOverlaysTest : public test::WorldTest {
protected:
    static int32_t inkIn(Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        int32_t n = 0;
        for (int32_t y = std::max(0, y0); y < std::min(image->height, y1); ++y)
            for (int32_t x = std::max(0, x0); x < std::min(image->width, x1); ++x)
                n += image->pixels16()[y * (image->stride / 2) + x] != 0xFFFF;
        return n;
    }
    static Image* white() {
        Image* image = Image::createBlankImage(Game::kScreenWidth, Game::kScreenHeight);
        javax_microedition_lcdui_Graphics* g = image->getGraphics();
        g->setColor(int32_t(0xFFFFFFFFu));
        g->fillRect(0, 0, Game::kScreenWidth, Game::kScreenHeight);
        return image;
    }
};

TEST_F(DebugOverlaysTest, TheDebugRectangleIsOutlinedRelativeToTheCamera) {
    CObject::statics.s_debugRect = params(4, {{0, 150}, {1, 120}, {2, 20}, {3, 10}});
    GameMath::mathStatics.cameraX = 100 << 14;
    GameMath::mathStatics.cameraY = 100 << 14;
    Image* image = white();
    Game::drawDebugRect(image->getGraphics(), 0x000000);
    EXPECT_EQ(inkIn(image, 50, 20, 51, 21), 1) << "top-left corner";
    EXPECT_EQ(inkIn(image, 70, 30, 71, 31), 1) << "bottom-right corner";
    EXPECT_EQ(inkIn(image, 51, 21, 70, 30), 0) << "outline only";
    GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
}

TEST_F(DebugOverlaysTest, LabelsOnlyForObjectsInView) {
    GameMath::mathStatics.cameraX = 1000 << 14;
    GameMath::mathStatics.cameraY = 0;
    ObjectArray* objects = list({object(12, 5, {}, 50, 1100, 100), object(13, 5, {}, 50, 500, 100),
                                 object(14, 5, {}, 50, 1700, 300)});
    Image* image = white();
    Game::paintWorldLabels(image->getGraphics(), objects);
    EXPECT_GT(inkIn(image, 80, 100, 120, 130), 0) << "the object at 1100 is labelled";
    EXPECT_GT(inkIn(image, 680, 300, 720, 330), 0);
    EXPECT_EQ(inkIn(image, 0, 0, 60, 480), 0) << "the object left of the view is not";
    GameMath::mathStatics.cameraX = 0;
}

}  // namespace
