// The paint of gameplay: the level between the letterbox bars (parallax background, the second
// map layer over it, the animated cells while a region is shown, the world), then over the
// whole screen the touch controls lit by the pointer handling.
#include <algorithm>
#include <cstdlib>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "framework/tiles/game_tiles.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kTopLeft = 20;
constexpr int32_t kInterfaceSprite = 3, kPauseFrame = 161, kPauseLitFrame = 162;
constexpr int32_t kPromptSprite = 4, kSoftKeySprite = 17, kPadSprite = 36, kPadFrameOverlay = 9;
constexpr int32_t kPadX = 0, kPadY = 260, kKey5X = 620, kKey5Y = 380, kKey0X = 700, kKey0Y = 320;
constexpr int32_t kPromptCommandA = 171, kPromptCommandB = 178;
constexpr int32_t kSkipPromptBars = 58, kSkipPromptText = 15;
constexpr int32_t kNextItemInstance = 11, kNextItemLayout = 6;
constexpr int32_t kLayer1PaletteByte = 10;

// The touch-control images in the order they are loaded.
enum ControlImage { kPad, kKey5, kKey5Pressed, kKey0, kKey0Pressed, kKey5Off, kKey0Off };

using Graphics = Game::Graphics;
using Image = javax_microedition_lcdui_Image;

ASprite* sprite(int32_t slot) { return Game::spriteIn(Game::stateStatics.sprites, slot); }

void drawControl(Graphics* g, int32_t which, int32_t x, int32_t y) {
    auto* image = static_cast<Image*>(JArray::getRef(Game::stateStatics.hudImages, which));
    if (!isNull(image)) g->drawImage(image, x, y, kTopLeft);
}

void paintFrame(Graphics* g, int32_t slot, int32_t frame, int32_t x, int32_t y) {
    ASprite* s = sprite(slot);
    if (s == nullptr) return;
    ASprite::setGraphics(g);
    s->paintFrame(frame, x, y, 0);
}

int32_t frameHeight(int32_t slot, int32_t frame) {
    ASprite* s = sprite(slot);
    if (s == nullptr) return 0;
    IntArray* r = Game::getFrameRectTemp(s, frame, 0, 0, 0);
    return isNull(r) || r->length < 4 ? 0 : r->elements()[3] - r->elements()[1];
}

int32_t headerByte(int32_t i) {
    ByteArray* h = Game::levelView.s_levelHeader;
    return isNull(h) || i >= h->length ? 0 : h->elements()[i];
}

// The prompt box's height while a cinematic's script stands on a prompt command, else 0.
int32_t promptBand() {
    if (GameOverlay::overlayStatics.gameSubState != 1 || Game::layouts.s_scriptIndex < 0) return 0;
    ByteArray* code = Game::layouts.s_scriptBytes;
    const int32_t pos = Game::layouts.s_scriptPos;
    if (isNull(code) || pos < 0 || pos >= code->length) return 0;
    const int32_t command = code->elements()[pos] & 0xFF;
    if (command != kPromptCommandA && command != kPromptCommandB) return 0;
    ASprite* softKeys = sprite(kSoftKeySprite);
    const int32_t edge = softKeys == nullptr ? 0 : std::abs(softKeys->getFrameDataShort(4, 0));
    return edge + 1 + frameHeight(kPromptSprite, 0) + Game::prompts.s_promptHeight + 18;
}

// The background at the parallax percentages; with two or more layers and a parallax, only layer
// 0 comes from the buffer and layer 1 is painted over it at the camera, in its own palette.
void paintLevelBackground(Graphics* g, int32_t cx, int32_t cy) {
    GameTiles::TileStatics& t = GameTiles::tileStatics;
    const int32_t px = headerByte(6), py = headerByte(7);
    const int32_t layers = t.mapLayerCount;
    const bool parallax = layers >= 2 && (px != 100 || py != 100);
    if (parallax) t.mapLayerCount = 1;
    Game::drawWrappedBackground(g, cx * px / 100, cy * py / 100, 0, 0);
    t.mapLayerCount = layers;
    if (!parallax) return;
    ASprite* layerSprite = sprite(JArray::getByte(t.mapLayerSprite, 1) & 0xFF);
    if (layerSprite == nullptr) return;
    const int32_t palette = headerByte(kLayer1PaletteByte);
    if (palette >= 0 && palette < layerSprite->paletteCount) layerSprite->setPalette(palette);
    auto* layer1 = static_cast<ObjectArray*>(JArray::getRef(Game::levelView.s_mapLayers, 1));
    if (isNull(layer1)) return;
    GameTiles::paintTileLayerB(g, layer1, layerSprite, 0, cx, cy, 0, 0, Game::kScreenWidth, Game::kScreenHeight);
}

// The image of an action button: dimmed while the pad is held, pressed while its key is.
int32_t buttonImage(bool keyHeld, int32_t normal, int32_t pressed, int32_t off) {
    return Game::stateStatics.padHeld != 0 ? off : keyHeld ? pressed : normal;
}

void paintControls(Graphics* g) {
    Game::StateStatics& s = Game::stateStatics;
    const int32_t sub = GameOverlay::overlayStatics.gameSubState;
    paintFrame(g, kInterfaceSprite, s.pauseButtonLit != 0 ? kPauseLitFrame : kPauseFrame, Game::kScreenWidth, 0);
    if (s.touchIsAction == 0) {
        if (s.padShown != 0 && sub != 1) {
            drawControl(g, kPad, kPadX, kPadY);
            const int32_t key = Game::inputStatics.currentKeyCode.load();
            if (key >= '1' && key <= '9') paintFrame(g, kPadSprite, key - '1', kPadX, kPadY);
            paintFrame(g, kPadSprite, kPadFrameOverlay, kPadX, kPadY);
            drawControl(g, buttonImage(s.padKey5Held != 0, kKey5, kKey5Pressed, kKey5Off), kKey5X, kKey5Y);
        }
        const int32_t item = Game::objects.s_currentItem;
        if (Game::paintStatics.s_letterbox == 0 && sub != 2 && item >= 0 && item <= 4)
            drawControl(g, buttonImage(s.padKey0Held != 0, kKey0, kKey0Pressed, kKey0Off), kKey0X, kKey0Y);
    }
    if (Game::paintStatics.s_letterbox >= kSkipPromptBars && sub == 1 && Game::paintStatics.s_skipPromptShown != 0)
        Game::drawSoftKeyLabel(g, kSkipPromptText, 4);
    if (sub == 0) {
        const int32_t action = Game::playerAction();
        auto* hint = static_cast<ASpriteInstance*>(JArray::getRef(s.hudInstances, kNextItemInstance));
        if ((action == 0 || action == 3) && Game::objects.s_nextItem >= 0 && !isNull(hint) && hint->isAnimEnded())
            Game::paintLayoutFrame(g, kNextItemLayout, 8);
    }
}

}  // namespace

void Game::paintGameplay(Graphics* g) {
    if (noGraphics(g)) return;
    const int32_t sub = overlayStatics.gameSubState;
    const int32_t bars = paintStatics.s_letterbox;
    const int32_t top = std::max(bars, 0), bottom = std::max(bars, promptBand());
    const int32_t windowHeight = kScreenHeight - top - bottom;
    g->setClip(0, top, kScreenWidth, windowHeight);
    if ((sub == 4 || stateStatics.playMode == 2) && popupActive(g))
        g->clipRect(0, regionViewTop(), kScreenWidth, regionViewRows());
    const int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    paintLevelBackground(g, cx, cy);
    if (sub == 4 && operations.s_meterHold == 0)
        GameTiles::paintTileLayerC(g, levelView.s_mapLayers, stateStatics.sprites, percentOfMax(), cx, cy, 0, 0,
                                   kScreenWidth, kScreenHeight);
    g->setClip(0, top, kScreenWidth, windowHeight);
    paintWorld(g);
    const int32_t clipX = g->getClipX(), clipY = g->getClipY();
    const int32_t clipW = g->getClipWidth(), clipH = g->getClipHeight();
    g->setClip(0, 0, kScreenWidth, kScreenHeight);
    if (overlayStatics.gameState == kStateGameplay) paintControls(g);
    g->setClip(clipX, clipY, clipW, clipH);
    if (JArray::getByte(flowStatics.s_settings, 1) == 2) paintSceneWithText(g);
}
