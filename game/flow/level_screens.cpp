// The full-screen states around a level: the death picture, the level end and its summary, the
// level's title card, the story text, the end of the game with the promotion offer, and the
// information page of the map locations. Most draw their picture once into the background
// buffer when entered and then blit it each frame with a small animated part.
#include <algorithm>

#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kKeyConfirm = 0x820, kKeyConfirmOrSoft = 0x40820, kKeyBack = 0x80000, kKeyLeft = 0x408, kKeyRight = 0x1010;
constexpr int32_t kTopLeft = 20;
constexpr int32_t kLabels = 0;      // text group of the screens' labels
constexpr int32_t kStoryTexts = 3;  // text group of the story
constexpr int32_t kStoryText = 21;
constexpr int32_t kPromptText = 3;
constexpr int32_t kLevelNameText = 29;  // + level: the level's title
constexpr int32_t kGameOver = 99;       // s_nextLevel at the end of the game
constexpr int32_t kFinalLevel = 13;
constexpr int32_t kFadeMs = 1000;
constexpr int32_t kLevelEndMs = 500;

// Layouts.
// The sub-id the screens' sprite elements carry (the painter has no wildcard).
constexpr int32_t kSubId = 0;
constexpr int32_t kDeathLayout = 8, kSummaryLayout = 15, kIntroLayout = 16, kInfoLayout = 20;

// The summary's elements.
constexpr int32_t kNameLine = 8, kRowsBlock = 10, kPromptElement = 33, kKindRow = 20, kKindIconFrame = 29;
constexpr int32_t kCountShown = 99;
constexpr int32_t kOfferAbilities = 0x80 | 0x100 | 0x200;
constexpr int32_t kOfferCompletion = 80;
constexpr int32_t kCompletionCounter = 5;
constexpr int32_t kSummarySound = 2;
constexpr int32_t kOfferMenu = 11;
constexpr int32_t kOfferShade = static_cast<int32_t>(0xC0000000u);

// The title card.
constexpr int32_t kIntroTitle = 2, kIntroTitleButton = 3, kIntroPrompt = 4;
constexpr int32_t kScaleEffect = 1;

// The information page.
constexpr int32_t kInfoColour = 0x57E0F5;
constexpr int32_t kLastLocation = 13;
constexpr int32_t kTitleIndex = 6;  // location record: its title text, -1 none
constexpr int32_t kNextLocation = 3, kPreviousLocation = 4, kTargetLevel = 5;

// Death veils.
constexpr int32_t kVeilHalf = 127;
constexpr int32_t kVeilFrom = 128;
constexpr int32_t kDeathInstance = 24, kSecondDeathInstance = 17;

using Graphics = Game::Graphics;

ASpriteInstance* hudInstance(int32_t n) {
    auto* i = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, n));
    return isNull(i) ? nullptr : i;
}

CObject* player() {
    CObject* p = Game::objects.s_player;
    return isNull(p) ? nullptr : p;
}

ASpriteInstance* playerInstance() {
    CObject* p = player();
    return p == nullptr || isNull(p->m_sprite) ? nullptr : p->m_sprite;
}

int32_t levelElapsed() { return CObject::getLevelTimerElapsed(); }

// 255 at the start of a fade, 0 once kFadeMs have passed.
int32_t fadeAlpha(int32_t elapsed) {
    const int32_t e = std::clamp(elapsed, 0, kFadeMs);
    return 255 * (kFadeMs - e) / kFadeMs;
}

// A black veil of the alpha over the whole screen.
void paintVeil(Graphics* g, int32_t alpha) {
    Game::fillOverlay(static_cast<int32_t>(uint32_t(alpha) << 24));
    Game::drawOverlayRect(g, 0, 0, Game::kScreenWidth, Game::kScreenHeight);
}

// 100 % at the start of the title card, 300 % once kFadeMs have passed.
int32_t titlePercent(int32_t elapsed) { return 100 + 200 * std::clamp(elapsed, 0, kFadeMs) / kFadeMs; }

void fillBufferBlack() { Game::fillScreen(0); }

int32_t kindCount(int32_t kind) { return JArray::getByte(Game::stateStatics.kindCounts, kind) & 0xFF; }

// The sprite a collectible kind is drawn with: that of the first object of the kind.
ASprite* kindSprite(int32_t kind) {
    const int32_t index = JArray::getShort(Game::stateStatics.kindIndex, kind) & 0xFFFF;
    ObjectArray* objects = Game::objects.s_type5Objects;
    if (isNull(objects) || index >= objects->length) return nullptr;
    auto* o = static_cast<CObject*>(objects->elements()[index]);
    if (isNull(o) || isNull(o->m_sprite) || isNull(o->m_sprite->sprite)) return nullptr;
    return o->m_sprite->sprite;
}

void label(Graphics* g, int32_t layout, int32_t element, int32_t text) {
    Game::drawButtonDefault(g, layout, element, kLabels, text);
}

void labelWith(Graphics* g, int32_t layout, int32_t element, int32_t text, int32_t a, int32_t b) {
    Game::setTextArg(0, a);
    Game::setTextArg(1, b);
    label(g, layout, element, text);
}

bool blinkOn() { return Game::stateStatics.stateTicks % 4 < 2; }

// The summary: rows, counts and completion, into the background buffer.
void buildLevelSummary() {
    Graphics* g = Game::stateStatics.bufferGraphics;
    if (isNull(g)) return;
    // The moves below are made from the default places, so that a second summary does not add to them.
    Game::startListAnim(kSummaryLayout);
    const bool named = Game::lookupByte(10) >= 1;
    Game::setElementVisible(kSummaryLayout, kNameLine, named);
    if (!named) {
        const int32_t h = Game::getLayoutElementHeight(kSummaryLayout, kNameLine);
        Game::moveLayoutElement(kSummaryLayout, kRowsBlock, 0, -h);
        Game::moveLayoutElement(kSummaryLayout, kPromptElement, 0, -h / 2);
    }
    Game::paintLayout(g, kSummaryLayout, 0, 0, true, -1, kSubId);
    label(g, kSummaryLayout, 11, 91);
    label(g, kSummaryLayout, 12, 87);
    const int32_t rows = JArray::getByte(Game::stateStatics.savedCounters, 1) & 0xFF;
    int32_t kind = Game::findNextPresentKind(0);
    for (int32_t row = 0; row < rows && kind >= 0; ++row) {
        const int32_t element = kKindRow + row;
        if (ASprite* sprite = kindSprite(kind)) {
            IntArray* r = Game::getFrameRectTemp(sprite, kKindIconFrame, 0, 0, 0);
            const int32_t centre = Game::getTableEntry1(kSummaryLayout, element) +
                                   Game::getTableEntry3(kSummaryLayout, element) / 2;
            const int32_t x = centre - (JArray::getInt(r, 0) + JArray::getInt(r, 2)) / 2;
            Game::paintFrameWithGraphics(sprite, g, kKindIconFrame, x, Game::getTableEntry2(kSummaryLayout, element), 0);
        }
        Game::setTextArg(0, std::min(kindCount(kind), kCountShown));
        label(g, kSummaryLayout, element, 88);
        kind = Game::findNextPresentKind(kind + 1);
    }
    const int32_t completion = Game::recordCompletion();
    Game::setTextArg(0, completion);
    label(g, kSummaryLayout, 25, 90);
    labelWith(g, kSummaryLayout, 26, 89, Game::lookupByte(3), Game::lookupByte(4));
    labelWith(g, kSummaryLayout, 27, 59, Game::lookupByte(6), Game::lookupByte(7));
    labelWith(g, kSummaryLayout, 28, 59, Game::lookupByte(8), Game::lookupByte(9));
    if (named) {
        Game::setElementVisible(kSummaryLayout, 31, true);
        Game::paintLayoutSprite(g, kSummaryLayout, 31, 0, 0, Game::isElementBuffered(kSummaryLayout, 31));
        label(g, kSummaryLayout, 32, 93);
        Game::setElementVisible(kSummaryLayout, 31, false);
    }
    Game::paintLayoutFrame(g, 2, 4);
    g->setClip(0, 0, Game::kScreenWidth, Game::kScreenHeight);
}

// Location record n; null outside the table.
IntArray* location(int32_t n) {
    ObjectArray* records = Game::tables.s_mapLocations;
    if (isNull(records) || n < 0 || n >= records->length) return nullptr;
    auto* r = static_cast<IntArray*>(records->elements()[n]);
    return isNull(r) ? nullptr : r;
}

int32_t locationField(int32_t n, int32_t i) {
    IntArray* r = location(n);
    return r == nullptr || i >= r->length ? -1 : r->elements()[i];
}

void releaseInfoPage() {
    Game::tables.s_infoInstance = nullptr;
    Game::releaseLayout(kInfoLayout);
}

}  // namespace

void Game::initLevelScreenStates() {
    stateUpdates[kStateDeath] = [](Game*) { updateDeath(objects.s_player); };
    statePaints[kStateDeath] = [](Game*, Graphics* g) { paintDeath(g); };
    stateUpdates[kStateLevelEnd] = [](Game*) { updateLevelEnd(); };
    statePaints[kStateLevelEnd] = [](Game*, Graphics* g) { paintDimmedBackground(g); };
    stateUpdates[kStateLevelIntro] = [](Game*) { updateLevelIntro(); };
    statePaints[kStateLevelIntro] = [](Game*, Graphics* g) { paintLevelIntro(g); };
    stateUpdates[kStateLevelSummary] = [](Game*) { updateLevelSummary(); };
    statePaints[kStateLevelSummary] = [](Game*, Graphics* g) { paintLevelSummary(g, true); };
    stateUpdates[kStateStoryText] = [](Game*) { updateStoryText(); };
    statePaints[kStateStoryText] = [](Game*, Graphics* g) { paintStoryText(g); };
    stateUpdates[kStateGameEnd] = [](Game*) {
        if (updateProgressFade()) finishGameEnd();
    };
    stateUpdates[kStateInfoPage] = [](Game*) { updateInfoPage(); };
    statePaints[kStateInfoPage] = [](Game*, Graphics* g) { paintInfoPage(g); };
    stateUpdates[kStatePromoOffer] = [](Game*) {
        if (!updateProgressFade()) return;
        resetLevel(1);
        stateStatics.restartPending = 1;
    };
    for (int32_t state : {kStateGameEnd, kStatePromoOffer})
        statePaints[state] = [](Game*, Graphics* g) {
            drawBufferImage(g);
            drawMenuFrame(g);
        };
}

void Game::startLevelTimer() {
    int32_t& timer = objects.s_levelTimer;
    if (timer < 0) timer = timerAlloc();
    else if (isTimerSet(timer)) restartTimer(timer);
}

// ---- death ----

void Game::paintDeath(Graphics* g) {
    if (noGraphics(g)) return;
    if (overlayStatics.gameState != kStateMenu) drawBufferImage(g);
    ASpriteInstance* self = playerInstance();
    CObject* p = player();
    const int32_t elapsed = std::max(levelElapsed(), 0);
    switch (const int32_t kind = CObject::statics.s_playerStateParam) {
        case 0:
        case 1: {
            // The veil follows the death animation; one of no length is at its full strength at once.
            const int64_t duration = self == nullptr ? 0 : int64_t(self->getAnimDuration()) * 1000 / 16;
            const int32_t alpha =
                duration <= 0 ? kVeilHalf : static_cast<int32_t>(std::min<int64_t>(elapsed, duration) * kVeilHalf / duration);
            paintVeil(g, alpha);
            if (kind == 0) {
                if (ASpriteInstance* i = hudInstance(kDeathInstance)) i->paint(g);
            } else if (p != nullptr) {
                p->drawByKind(g, false);
            }
            break;
        }
        case 2:
            if (p != nullptr) p->drawByKind(g, false);
            break;
        case 4:
            if (self != nullptr) self->paint(g);
            break;
        case 5: {
            if (self == nullptr) break;
            const int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
            g->clipRect(0, 0, kScreenWidth, getTableEntry2(kDeathLayout, 5));
            self->paint(g);
            g->setClip(cx, cy, cw, ch);
            break;
        }
        case 6:
        case 7:
            if (ASpriteInstance* i = hudInstance(kSecondDeathInstance)) i->paint(g);
            if (self != nullptr) self->paint(g);
            break;
        default:
            paintVeil(g, kVeilFrom + std::min(elapsed, kFadeMs) * (255 - kVeilFrom) / kFadeMs);
            break;
    }
}

// ---- level end and summary ----

void Game::enterLevelEnd() {
    repaintBackgroundBuffer();
    startLevelTimer();
    setState(kStateLevelEnd, 0);
}

void Game::updateLevelEnd() {
    if (levelElapsed() < kLevelEndMs) return;
    CObject::clearSlot();
    enterLevelSummary();
}

int32_t Game::recordCompletion() {
    int32_t found = 0;
    for (int32_t kind = findNextPresentKind(0); kind >= 0; kind = findNextPresentKind(kind + 1)) found += kindCount(kind);
    const int32_t total = lookupByte(2);
    const int32_t completion = total <= 0 ? 0 : std::min(found * 100 / total, 100);
    JArray::setByte(stateStatics.savedCounters, kCompletionCounter, completion);
    const int32_t level = stateStatics.currentLevel;
    ByteArray* best = flowStatics.s_bestCompletion;
    if (mrc::arrayAccessOk(best, level) && completion > (best->elements()[level] & 0xFF)) {
        best->elements()[level] = static_cast<int8_t>(completion);
        writeSettingsRecord();
    }
    return completion;
}

bool Game::summaryOfferHolds() {
    return saves.s_saveEnabled && lookupByte(kCompletionCounter) >= kOfferCompletion &&
           (objects.s_playerFlags & kOfferAbilities) != kOfferAbilities;
}

void Game::enterLevelSummary() {
    buildLevelSummary();
    setState(kStateLevelSummary, 0);
    // The progress is saved where play goes on: the level after this one, or the final one.
    const int32_t choice = saves.s_summaryChoice;
    if (choice == 0 || choice == 2 || (choice == 1 && !summaryOfferHolds())) {
        int32_t& level = stateStatics.currentLevel;
        const int32_t current = level;
        level = choice == 2 ? kFinalLevel : saves.s_nextLevel;
        syncSaveData(true, false);
        level = current;
    }
    if (menuStatics.soundEffectsOn && !isNull(flowStatics.sound)) flowStatics.sound->playRequest(0, kSummarySound, 1, 100);
}

void Game::updateLevelSummary() {
    updateAnimList(kSummaryLayout);
    if ((inputStatics.keysPressed & kKeyConfirm) == 0) return;
    switch (saves.s_summaryChoice) {
        case 0:
            fillBufferBlack();
            restartAtLevel(saves.s_nextLevel);
            break;
        case 1:
            if (!summaryOfferHolds()) {
                restartAtLevel(saves.s_nextLevel);
                break;
            }
            buildLevelSummary();
            fillOverlay(kOfferShade);
            drawOverlayRect(stateStatics.bufferGraphics, 0, 0, kScreenWidth, kScreenHeight);
            setMenu(kOfferMenu, 1, -1);
            break;
        case 2:
            fillBufferBlack();
            restartAtLevel(kFinalLevel);
            break;
        default: break;
    }
}

void Game::paintLevelSummary(Graphics* g, bool inBuffer) {
    if (noGraphics(g)) return;
    for (int32_t i = inBuffer ? 1 : 2; i > 0; --i) {
        drawBufferImage(g);
        paintGlow(g);
    }
    paintLayout(g, kSummaryLayout, 0, 0, false, -1, kSubId);
    label(g, kSummaryLayout, 14, 92);
    if (blinkOn()) label(g, kSummaryLayout, kPromptElement, kPromptText);
}

// ---- the level's title card ----

void Game::updateLevelIntro() {
    const int32_t t = levelElapsed();
    if (overlayStatics.gameSubState == 0) {
        if (t < kFadeMs) return;
        CObject::clearSlot();
        popState();
        stateStatics.redraw = 0;
        restoreBackground();
        if (isElementVisible(kIntroLayout, kIntroTitle)) {
            setState(kStateLevelIntro, 1);
            startLevelTimer();
        }
        return;
    }
    if (t >= kFadeMs) {
        CObject::clearSlot();
        popState();
    }
    updateAllObjectLists();
    updateTemplateObjects();
}

void Game::paintLevelIntro(Graphics* g) {
    if (noGraphics(g)) return;
    const int32_t level = stateStatics.currentLevel;
    if (overlayStatics.gameSubState == 0) {
        drawBufferImage(g);
        drawOverlayImageAlpha(g, fadeAlpha(levelElapsed()), 0);
        if (isElementVisible(kIntroLayout, kIntroTitle))
            drawButtonDefault(g, kIntroLayout, kIntroTitleButton, kLabels, kLevelNameText + level);
        return;
    }
    paintGameplay(g);
    // The title grows from its size to three times it about its centre while it fades out:
    // the scale effect scales each module and masks its alpha.
    ShortArray* e = layoutElement(kIntroLayout, kIntroTitleButton);
    if (isNull(e) || e->length < 5) return;
    int16_t* f = e->elements();
    const int16_t x = f[1], y = f[2], w = f[3], h = f[4];
    const TitleCardBox box = titleCardBox(e);
    f[1] = static_cast<int16_t>(box.x);
    f[2] = static_cast<int16_t>(box.y);
    f[3] = static_cast<int16_t>(box.w);
    f[4] = static_cast<int16_t>(box.h);
    setFlags(kScaleEffect);
    setTableInt(0, 0, titlePercent(levelElapsed()));
    setTableInt(0, 1, fadeAlpha(levelElapsed()));
    drawButtonDefault(g, kIntroLayout, kIntroTitleButton, kLabels, kLevelNameText + level);
    setTableInt(0, 0, 100);
    setTableInt(0, 1, -1);
    clearFlag(kScaleEffect);
    f[1] = x;
    f[2] = y;
    f[3] = w;
    f[4] = h;
}

Game::TitleCardBox Game::titleCardBox(ShortArray* element) {
    if (isNull(element) || element->length < 5) return {};
    const int16_t* f = element->elements();
    const int32_t percent = titlePercent(levelElapsed());
    const int32_t w = f[3] * percent / 100, h = f[4] * percent / 100;
    return {f[1] - (w - f[3]) / 2, f[2] - (h - f[4]) / 2, w, h};
}

// ---- story text and the end of the game ----

void Game::enterFullScreenText() {
    StateStatics& s = stateStatics;
    repaintBackgroundBuffer();
    if (!isNull(s.overlayGraphics) && !isNull(s.bufferImage)) s.overlayGraphics->drawImage(s.bufferImage, 0, 0, kTopLeft);
    startLevelTimer();
    setState(kStateStoryText, 0);
    fillBufferBlack();
    if (!isNull(s.bufferGraphics))
        drawString(s.bufferGraphics, s.fonts, 0, kStoryTexts, kStoryText, 0, 50, 0, 700, 450, 0, 3);
}

void Game::updateStoryText() {
    if (overlayStatics.gameSubState == 0) {
        if (levelElapsed() < kFadeMs) return;
        CObject::clearSlot();
        setSubstate(1);
        return;
    }
    if ((inputStatics.keysPressed & kKeyConfirm) == 0) return;
    recordCompletion();
    if (saves.s_nextLevel != kGameOver) {
        enterLevelSummary();
        return;
    }
    if (JArray::getByte(flowStatics.s_settings, 0) == 2) finishGameEnd();
    else enterGameEnd();
    JArray::setByte(flowStatics.s_settings, 0, 2);
    tables.s_hasSavedGame = 0;
    writeSettingsRecord();
}

void Game::paintStoryText(Graphics* g) {
    if (noGraphics(g)) return;
    drawBufferImage(g);
    if (overlayStatics.gameSubState == 0) drawOverlayImageAlpha(g, fadeAlpha(levelElapsed()), 0);
    else if (blinkOn()) drawButtonDefault(g, kIntroLayout, kIntroPrompt, kLabels, kPromptText);
}

void Game::enterGameEnd() {
    fillBufferBlack();
    layoutMenuItems(0, kLabels, 94, kScreenWidth / 2, kScreenHeight / 2, -1, false, false, kScreenHeight, 3);
    setState(kStateGameEnd, 0);
}

void Game::finishGameEnd() {
    fillBufferBlack();
    if (promoHooks.countLoaded && promoHooks.countLoaded() > 0) {
        layoutMenuItems(0, kLabels, 100, kScreenWidth / 2, kScreenHeight / 2, -1, false, false, kScreenHeight, 3);
        setState(kStatePromoOffer, 0);
    } else {
        resetLevel(1);
    }
}

// ---- information page ----

void Game::updateInfoPage() {
    updateAnimList(kInfoLayout);
    if (ASpriteInstance* i = tables.s_infoInstance; !isNull(i)) i->updateAnim();
    const int32_t keys = inputStatics.keysPressed;
    const int32_t here = tables.s_mapLocation;
    const bool map = tables.s_infoMode == 1;
    if (keys & kKeyConfirmOrSoft) {
        const int32_t target = locationField(here, kTargetLevel);
        if (target < 0) return;
        paintInfoPage(stateStatics.bufferGraphics);
        releaseInfoPage();
        runEventActions(19);
        stateStatics.currentLevel = target;
        if (map) {
            saves.s_openLevelSelect = 0;
            clearLevelProgress(target);
            saves.s_saveEnabled = false;
            writeLevelProgress();
            saveGameState(true);
            enterLevelSetup(2);
        } else {
            saves.s_resumeIndex = 0;
            enterLevelSetup(3);
        }
        return;
    }
    if (keys & kKeyBack) {
        releaseInfoPage();
        fillBufferBlack();
        startLoadingStep(4, true);
        if (tables.s_levelSelectBack) setMenuCursor(popMenuHistory());
        return;
    }
    if (!map || (keys & (kKeyLeft | kKeyRight)) == 0) return;
    const int32_t next = locationField(here, (keys & kKeyLeft) ? kPreviousLocation : kNextLocation);
    if (next < 0) return;
    setElementFrame(kInfoLayout, here + 1, 0);
    selectMapLocation(next);
    paintInfoPage(stateStatics.bufferGraphics);
}

void Game::paintInfoPage(Graphics* g) {
    if (noGraphics(g)) return;
    const int32_t here = tables.s_mapLocation;
    const bool map = tables.s_infoMode == 1;
    ASpriteInstance* picture = isNull(tables.s_infoInstance) ? nullptr : tables.s_infoInstance;
    if (g == stateStatics.bufferGraphics) {
        g->setColor(kInfoColour);
        g->fillRect(0, 0, kScreenWidth, kScreenHeight);
        paintLayout(g, kInfoLayout, 0, 0, true, -1, kSubId);
        paintLayoutFrame(g, 2, 4);
        paintLayoutFrame(g, 0, 8);
        g->setClip(0, 0, kScreenWidth, kScreenHeight);
        const int32_t title = locationField(here, kTitleIndex);
        if (title >= 0) label(g, kInfoLayout, 19, kLevelNameText + title);
        setLayoutElementX(kInfoLayout, 1, getTableEntry1(kInfoLayout, here + 1));
        setLayoutElementY(kInfoLayout, 1, getTableEntry2(kInfoLayout, here + 1));
        if (map && picture != nullptr && !isNull(picture->sprite))
            paintFrameWithGraphics(picture->sprite, g, 1, getTableEntry1(kInfoLayout, 0), getTableEntry2(kInfoLayout, 0), 0);
    } else {
        drawBufferImage(g);
        paintGlow(g);
        if (map) setElementFrame(kInfoLayout, here + 1, 2);
    }
    label(g, kInfoLayout, 21, 101);
    if (map && here != kLastLocation) label(g, kInfoLayout, 22, 102);
    paintLayout(g, kInfoLayout, 0, 0, false, -1, kSubId);
    if (picture != nullptr) picture->paint(g);
    if (blinkOn()) label(g, kInfoLayout, 20, 95);
}
