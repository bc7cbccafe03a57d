// Start-up and loading states: the resources of start-up, the emblem, the start-up notice and the
// loading screen with its gauge.
#include <algorithm>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/thread.h"

namespace {

constexpr int32_t kTopLeft = 20;
constexpr int32_t kTapCommand = 18;
constexpr int32_t kTapAction = 16;

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

ASpriteInstance* emblem() {
    ObjectArray* instances = Game::stateStatics.hudInstances;
    if (isNull(instances) || instances->length == 0) return nullptr;
    auto* instance = static_cast<ASpriteInstance*>(instances->elements()[0]);
    return isNull(instance) ? nullptr : instance;
}

bool isTapPoint(Object* step) {
    auto* command = static_cast<IntArray*>(step);
    return !isNull(command) && command->length >= 2 && command->elements()[0] == kTapCommand &&
           command->elements()[1] == kTapAction;
}

// A list run within one frame; a wait for a key could never end here (the keys are read between
// frames), so it ends the run instead of hanging the game.
void runToCompletion() {
    for (;;) {
        const int32_t status = Game::loadStep();
        if ((status & Game::kLoadFinished) != 0) return;
        if ((status & Game::kLoadWaitKey) != 0) {
            mrc_log("Game::updateStartup: a start-up list waits for a key; it is left there");
            return;
        }
    }
}

}  // namespace

ASprite* Game::spriteIn(ObjectArray* sprites, int32_t slot) {
    if (isNull(sprites) || slot < 0 || slot >= sprites->length) return nullptr;
    auto* s = static_cast<ASprite*>(sprites->elements()[slot]);
    return isNull(s) ? nullptr : s;
}

void Game::initResources() {
    StateStatics& s = stateStatics;
    // 1.
    s.sprites = om()->newObjectArray(mrc::kClass_ASprite, kSpriteSlots);
    s.fonts = om()->newObjectArray(mrc::kClass_ASprite, kFontSlots);
    s.hudInstances = om()->newObjectArray(mrc::kClass_ASpriteInstance, kInstanceSlots);
    // 2.
    javax_microedition_lcdui_Image* buffer = javax_microedition_lcdui_Image::createBlankImage(kScreenWidth, kScreenHeight);
    s.bufferImage = buffer;
    s.bufferGraphics = isNull(buffer) ? nullptr : buffer->getGraphics();
    if (!isNull(s.bufferGraphics)) {
        s.bufferGraphics->setColor(0xFFFFFF);
        s.bufferGraphics->fillRect(0, 0, kScreenWidth, kScreenHeight);
    }
    s.dirtyRects = om()->newLongArray(kDirtyRectSlots);
    s.dirtyRect = om()->newIntArray(4);
    s.dirtyCount = 0;
    // 3.
    initList40();
    initSlots3440();
    // 4. The saved progress: the store (created with its records at the first start), then the
    // progress bytes.
    initSaveData();
    loadRecordProgress();
    // 5.
    createOverlayBuffer();
    // 6. (popup records, level objects)
    initPopups();
    initHud();
    initPaintEffects();
    allocSpriteSlotTables();  // each level makes fresh ones as it is placed
    // 7.
    s.kindCounts = om()->newByteArray(15);
    s.kindIndex = om()->newShortArray(15);
    s.savedCounters = om()->newByteArray(11);
    // 8.
    if (overlayStatics.altPaletteFlag) applyAltPaletteToEventActions();
    // 9. The platform flags keep their start value.
}

void Game::startSequence(ObjectArray* script, bool enterLoading, int32_t progressFrom, int32_t progressTo) {
    StateStatics& s = stateStatics;
    s.loadActive = 1;
    s.loadWaitTap = 0;
    flowStatics.s_loadPack = -1;
    flowStatics.s_loadPackEntry = -1;
    s.loadScript = script;
    s.loadIndex = 0;
    const int32_t length = isNull(script) ? 0 : script->length;
    int32_t steps = 1;
    if (length > 1) {
        int32_t tap = length;
        for (int32_t i = 0; i < length; ++i)
            if (isTapPoint(script->elements()[i])) {
                tap = i;
                break;
            }
        steps = tap - 1;
    }
    const int32_t range = progressTo - progressFrom;
    if (range == 100 || range == 0) {
        s.loadProgressBase = 0;
        s.loadProgressTotal = steps;
    } else {
        s.loadProgressTotal = steps * 100 / range;
        s.loadProgressBase = s.loadProgressTotal * progressFrom / 100;
    }
    if (enterLoading) setState(kStateLoading, 0);
}

void Game::startLoadingStep(int32_t list, bool enterLoading) {
    ObjectArray* lists = overlayStatics.eventActions;
    ObjectArray* script = nullptr;
    if (!isNull(lists) && list >= 0 && list < lists->length) script = static_cast<ObjectArray*>(lists->elements()[list]);
    startSequence(script, enterLoading, 0, 100);
}

void Game::updateStartup() {
    StateStatics& s = stateStatics;
    switch (overlayStatics.gameSubState) {
        case 1:
            initResources();
            startLoadingStep(0, false);
            setSubstate(2);
            break;
        case 2:
            runToCompletion();
            if (ASpriteInstance* logo = emblem()) logo->setAnimLoop(0, 0);
            break;
        case 3: {
            ASpriteInstance* logo = emblem();
            if (logo == nullptr || logo->isAnimEnded()) {
                if (Graphics* b = s.bufferGraphics; !isNull(b)) {
                    b->setColor(0xFFFFFF);
                    b->fillRect(0, 0, kScreenWidth, kScreenHeight);
                    if (logo != nullptr) logo->paint(b);
                }
                setSubstate(4);
            } else {
                logo->updateAnim();
            }
            break;
        }
        case 4:
            startLoadingStep(1, false);
            runToCompletion();
            if (Graphics* b = s.bufferGraphics; !isNull(b)) {
                b->setColor(0x000000);
                b->fillRect(0, 0, kScreenWidth, kScreenHeight);
                drawString(b, s.fonts, 0, 4, 0, 0, 0, 50, 700, kScreenHeight, 0, kTop | kHCenter);
                if (ASprite* sprite = spriteIn(s.sprites, kStartupSprite)) {
                    ASprite::setGraphics(b);
                    sprite->paintFrame(kStartupSpriteFrame, 0, 0, 0);
                }
            }
            setSubstate(5);
            break;
        case 5: {
            s.startupNoticeTicks = host::tickCount64();
            startLoadingStep(2, false);
            runToCompletion();
            startLoadingStep(3, true);
            const int64_t remaining = kStartupNoticeMs - (host::tickCount64() - s.startupNoticeTicks);
            if (remaining > 0) java_lang_Thread::sleep(remaining);
            break;
        }
        default:
            break;
    }
}

void Game::updateLoading() {
    const int64_t start = host::tickCount64();
    int32_t status;
    do {
        status = loadStep();
    } while ((status & (kLoadFinished | kLoadWaitKey | kLoadBreak)) == 0 &&
             host::tickCount64() - start < kLoadBudgetMs);
}

void Game::paintLoading(Graphics* g) {
    StateStatics& s = stateStatics;
    if (!isNull(s.bufferImage)) g->drawImage(s.bufferImage, 0, 0, kTopLeft);
    if (s.loadActive != 0) {
        paintBossGauge(g);
    } else if (s.loadWaitTap != 0) {
        if (isElementVisible(16, 2)) paintGlow(g);
        if (s.stateTicks % 4 < 2) paintLayoutElement(g, 16, 4);
    }
}

void Game::paintBackground(Graphics* g) {
    StateStatics& s = stateStatics;
    const int32_t sub = overlayStatics.gameSubState;
    if (sub != 3 && sub != 5) {
        g->setColor(0x000000);
        g->fillRect(0, 0, kScreenWidth, kScreenHeight);
        return;
    }
    if (!isNull(s.bufferImage)) g->drawImage(s.bufferImage, 0, 0, kTopLeft);
    if (sub != 3) return;
    s.backgroundPending = 0;
    repaintDirtyRects(g);
    if (ASpriteInstance* logo = emblem()) {
        logo->paint(g);
        markInstanceDirty(logo);
    }
}

void Game::paintBossGauge(Graphics* g) {
    StateStatics& s = stateStatics;
    const int32_t max = s.loadProgressTotal;
    const int32_t value = s.loadProgressBase + s.loadIndex;
    if (ASprite* sprite = spriteIn(s.sprites, kGaugeSprite); sprite != nullptr && sprite->moduleCount > 0) {
        drawGauge(g, sprite, 0, kScreenHeight, kScreenWidth, max, value);
        return;
    }
    g->setColor(0xFFFFFF);
    g->fillRect(0, 420, kScreenWidth, 5);
    g->setColor(0xFF0000);
    const int32_t filled = max > 0 ? (kScreenWidth - 2) * std::min(value, max) / max : 0;
    if (filled > 0) g->fillRect(1, 421, filled, 3);
}

void Game::drawGauge(Graphics* g, ASprite* sprite, int32_t x, int32_t bottom, int32_t w, int32_t max, int32_t value) {
    if (isNull(sprite)) return;
    IntArray* bounds = getFrameRectTemp(sprite, 0, 0, 0, 0);
    if (isNull(bounds) || bounds->length < 4) return;
    const int32_t frameLeft = bounds->elements()[0], frameTop = bounds->elements()[1];
    const int32_t top = bottom - (bounds->elements()[3] - frameTop);
    ASprite::setGraphics(g);
    sprite->paintFrame(0, x - frameLeft, top - frameTop, 0);
    if (max <= 0 || value <= 0) return;
    bounds = getFrameRectTemp(sprite, 1, 0, 0, 0);
    if (isNull(bounds) || bounds->length < 4) return;
    const int32_t tileLeft = bounds->elements()[0], tileTop = bounds->elements()[1];
    const int32_t tileWidth = bounds->elements()[2] - tileLeft;
    if (tileWidth <= 0) return;
    const int32_t filled = static_cast<int32_t>(int64_t(w) * std::min(value, max) / max);
    g->setClip(x, top, filled, bottom - top);
    ASprite::setGraphics(g);
    for (int32_t tx = x; tx < x + filled; tx += tileWidth) sprite->paintFrame(1, tx - tileLeft, top - tileTop, 0);
    g->setClip(0, 0, kScreenWidth, kScreenHeight);
}

void Game::markInstanceDirty(ASpriteInstance* instance) {
    if (isNull(instance)) return;
    IntArray* r = instance->getRect();
    if (isNull(r) || r->length < 4) return;
    const int32_t* e = r->elements();
    addDirtyRect(e[0], e[1], e[2] - e[0], e[3] - e[1]);
}
