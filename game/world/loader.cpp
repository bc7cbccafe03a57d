// The level loader: the interpreter of loading scripts, the forward-only pack rule, text packs,
// the release lists, sprite loading and the touch-control images.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/pending.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kTopLeft = 20;
constexpr int32_t kSubScript = 14;
constexpr int32_t kGameAction = 18;
constexpr int32_t kWaitForKey = 16;
constexpr int32_t kLoadLayouts = 12;
constexpr int32_t kLevelSprites = 15;
constexpr int32_t kStartCue = 0, kAngleTable = 3, kMainMenu = 6, kInterfaceSprite = 11;
constexpr int32_t kKeepRawData = ASprite::kKeepPixelData;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
mrc::ObjectManager* om() { return app()->objectManager; }
String* constant(int32_t n) { return app()->staticClass->getStringConstant(n); }

IntArray* commandAt(ObjectArray* script, int32_t i) {
    if (isNull(script) || i < 0 || i >= script->length) return nullptr;
    auto* command = static_cast<IntArray*>(script->elements()[i]);
    return isNull(command) ? nullptr : command;
}

// Word i of the command; -1 past its end.
int32_t word(IntArray* command, int32_t i) {
    return command != nullptr && i < command->length ? command->elements()[i] : -1;
}

Object* slotOf(ObjectArray* array, int32_t i) {
    if (isNull(array) || i < 0 || i >= array->length) return nullptr;
    Object* o = array->elements()[i];
    return isNull(o) ? nullptr : o;
}

bool storeIn(ObjectArray* array, int32_t i, Object* value) {
    if (isNull(array) || i < 0 || i >= array->length) return false;
    array->elements()[i] = value;
    return true;
}

ObjectArray* presetScript(int32_t n) { return static_cast<ObjectArray*>(slotOf(GameOverlay::overlayStatics.eventActions, n)); }

// A sprite counts as loaded while its raw module data is present.
bool isLoaded(ASprite* sprite) { return !isNull(sprite) && !isNull(sprite->pixelData); }

void endScript() {
    Game::flowStatics.s_loadPack = -1;
    Game::stateStatics.loadScript = nullptr;
    Game::closePack();
}

// Releases the sprite in slot i of the array and empties the slot.
void releaseSpriteSlot(ObjectArray* sprites, int32_t i) {
    auto* sprite = static_cast<ASprite*>(slotOf(sprites, i));
    if (sprite == nullptr) return;
    sprite->unload();
    storeIn(sprites, i, nullptr);
}

}  // namespace

void Game::openLoaderPack(int32_t pack) {
    String* name = static_cast<String*>(slotOf(flowStatics.s_packNames, pack));
    String* prefix = constant(kPackPathText);
    if (name != nullptr && !isNull(prefix)) name = prefix->concat(name);
    loadResourceFile(name);
    flowStatics.s_loadPack = pack;
}

ByteArray* Game::readLoaderEntry(int32_t pack, int32_t entry) {
    if (flowStatics.s_loadPack != pack || entry <= flowStatics.s_loadPackEntry) openLoaderPack(pack);
    ByteArray* data = readPackEntry(entry);
    flowStatics.s_loadPackEntry = entry;
    return data;
}

ByteArray* Game::loadTextPack(int32_t slot, ByteArray* data) {
    TextStatics& t = textStatics;
    if (isNull(data) || data->length < 4 || slot < 0 || slot >= kTextPacks) return data;
    const uint8_t* b = reinterpret_cast<const uint8_t*>(data->elements());
    auto u32 = [&](int32_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    const uint32_t count = u32(0);
    if (count == 0 || count > uint32_t(data->length - 4) / 4) {
        mrc_log("Game::loadTextPack: slot %d: a table of %u ends outside its %d bytes", slot, count, data->length);
        return data;
    }
    const int32_t n = static_cast<int32_t>(count);
    const int32_t textStart = 4 + 4 * n;
    const uint32_t textLength = u32(4 + 4 * (n - 1));
    if (textLength > uint32_t(data->length - textStart)) {
        mrc_log("Game::loadTextPack: slot %d: %u text bytes, %d present", slot, textLength, data->length - textStart);
        return data;
    }
    ShortArray* ends = om()->newShortArray(n);
    ByteArray* text = om()->newByteArray(static_cast<int32_t>(textLength));
    if (ends == nullptr || text == nullptr) return data;
    // Element pointers only after both allocations.
    b = reinterpret_cast<const uint8_t*>(data->elements());
    for (int32_t i = 0; i < n; ++i) ends->elements()[i] = static_cast<int16_t>(u32(4 + 4 * i));
    for (uint32_t i = 0; i < textLength; ++i) text->elements()[i] = static_cast<int8_t>(b[textStart + i]);
    storeIn(t.textPackOffsets, slot, ends);
    storeIn(t.textPackData, slot, text);
    resetTextCache();
    return text;
}

void Game::runEventActions(int32_t list) {
    ObjectArray* script = presetScript(list);
    if (script == nullptr) return;
    StateStatics& s = stateStatics;
    for (int32_t i = 0; i < script->length; ++i) {
        IntArray* c = commandAt(script, i);
        switch (word(c, 0)) {
            case 0: unloadTextTable(word(c, 1)); break;
            case 2: releaseSpriteSlot(s.fonts, word(c, 3)); break;
            case 3: releaseSpriteSlot(s.sprites, word(c, 3)); break;
            case 4: {
                const int32_t slot = word(c, 1);
                auto* instance = static_cast<ASpriteInstance*>(slotOf(s.hudInstances, slot));
                if (instance == nullptr) break;
                if (!isNull(instance->sprite)) instance->sprite->unload();
                instance->sprite = nullptr;
                storeIn(s.hudInstances, slot, nullptr);
                break;
            }
            default: break;
        }
    }
}

ASprite* Game::loadSprite(ASprite* sprite, int32_t pack, int32_t entry, int32_t palette, int32_t flags, bool openPack) {
    if (isNull(sprite)) {
        sprite = mrc::newObject<ASprite>();
        if (sprite == nullptr) return nullptr;
    }
    if (!isLoaded(sprite)) {
        if (openPack) openLoaderPack(pack);
        if (!isLoaded(sprite)) {
            ByteArray* data = readPackEntry(entry);
            if (isNull(data)) mrc_log("Game::loadSprite: pack %d has no entry %d", pack, entry);
            else sprite->load(data, 0);
        }
        if (openPack) {
            closePack();
            flowStatics.s_loadPack = -1;  // closed: the next read opens it again
        }
    }
    const int32_t mode = flags & ~kKeepRawData;
    const int32_t first = palette >= 0 ? palette : 0;
    const int32_t last = palette >= 0 ? palette : sprite->paletteCount - 1;
    for (int32_t p = first; p <= last && p < sprite->paletteCount; ++p)
        if (!sprite->hasCachedPalette(p)) sprite->buildModuleCache(p, 0, -1, -1, -1, mode);
    if ((flags & kKeepRawData) == 0) sprite->releasePixelData();
    return sprite;
}

ASprite* Game::getSprite(int32_t pack, int32_t slot, int32_t entry, int32_t palette, int32_t flags,
                         ObjectArray* sprites) {
    if (isNull(sprites) || slot < 0 || slot >= sprites->length) {
        mrc_log("Game::getSprite: no slot %d", slot);
        return nullptr;
    }
    auto* sprite = static_cast<ASprite*>(slotOf(sprites, slot));
    const bool readable = flowStatics.s_loadPack == pack && entry > flowStatics.s_loadPackEntry;
    if (!readable && !isLoaded(sprite)) openLoaderPack(pack);
    sprite = loadSprite(sprite, pack, entry, palette, flags, false);
    storeIn(sprites, slot, sprite);
    flowStatics.s_loadPackEntry = entry;
    return sprite;
}

void Game::openDataStreams() {
    StateStatics& s = stateStatics;
    if (isNull(s.hudImages)) {
        s.hudImages = om()->newObjectArray(mrc::kClass_javax_microedition_lcdui_Image, kControlImageCount);
        if (s.hudImages == nullptr) return;
    }
    for (int32_t i = 0; i < kControlImageCount; ++i) {
        if (slotOf(s.hudImages, i) != nullptr) continue;
        javax_microedition_lcdui_Image* image = loadImage(constant(kControlImagesText + i));
        if (isNull(image)) {
            dbgPrintln(constant(kControlImageFailText));
            return;
        }
        storeIn(s.hudImages, i, image);
    }
}

namespace {

// Game action 16: the tap point. Paints the prompt into the background buffer on the first
// wait after a script start; runs again until the confirm key is pressed.
void waitForConfirmKey() {
    Game::StateStatics& s = Game::stateStatics;
    if (s.loadActive != 0) {
        s.redraw = 1;
        s.loadWaitTap = 1;
        if (!isNull(s.bufferGraphics)) {
            Game::paintBossGauge(s.bufferGraphics);
            if (Game::isElementVisible(16, 2)) {
                Game::drawButtonDefault(s.bufferGraphics, 16, 3, 0, s.currentLevel + 29);
                s.bufferGraphics->setClip(0, 0, Game::kScreenWidth, Game::kScreenHeight);
            }
        }
        s.loadActive = 0;
    }
    if ((Game::inputStatics.keysPressed & Game::kConfirmMask) != 0) {
        Game::resetKeys(1);
        Game::Graphics* target = !isNull(s.graphics) ? s.graphics : nullptr;
        if (target != nullptr && !isNull(s.bufferImage)) target->drawImage(s.bufferImage, 0, 0, kTopLeft);
    } else {
        --s.loadIndex;
    }
}

}  // namespace

namespace {

// One command; commands that later features build count as run.
void runCommand(IntArray* c, int32_t& status) {
    Game::StateStatics& s = Game::stateStatics;
    switch (word(c, 0)) {
        case 0: {
            ByteArray* data = Game::readLoaderEntry(0, word(c, 2));
            Game::loadTextPack(word(c, 1), data);
            break;
        }
        case 1: {
            ByteArray* data = Game::readLoaderEntry(word(c, 1), word(c, 2));
            Game::textStatics.glyphTable = data;
            break;
        }
        case 2: {
            ASprite* sprite = Game::getSprite(word(c, 1), word(c, 3), word(c, 2), word(c, 4), word(c, 5), s.fonts);
            if (sprite != nullptr) sprite->setLineSpacing(4);
            break;
        }
        case 3:
            if (word(c, 3) != -1) Game::getSprite(word(c, 1), word(c, 3), word(c, 2), word(c, 4), word(c, 5), s.sprites);
            else Game::indexOfKindKey(word(c, 2) >> 1);  // kind sprites come with the object tables
            break;
        case 4: {
            auto* sprite = static_cast<ASprite*>(slotOf(s.sprites, word(c, 2)));
            auto* parent = word(c, 5) == -1 ? nullptr : static_cast<ASpriteInstance*>(slotOf(s.hudInstances, word(c, 5)));
            ASpriteInstance* instance = mrc::newObject<ASpriteInstance>();
            if (instance == nullptr) break;
            instance->init(sprite, word(c, 3), word(c, 4), parent);
            storeIn(s.hudInstances, word(c, 1), instance);
            break;
        }
        case 5: Game::startSoundSet(word(c, 1), word(c, 2)); break;
        case 6:
            if (word(c, 2) == -1) Game::setStateOnly(word(c, 1));
            else Game::setState(word(c, 1), word(c, 2));
            endScript();
            break;
        case 7:
            Game::setMenu(word(c, 1), 1, -1);
            endScript();
            break;
        case 8: Game::runEventActions(word(c, 1)); break;
        case 13: {
            // Its own pack rule: the pack opens only when another is open, the entry is read as is.
            if (Game::flowStatics.s_loadPack != word(c, 1)) Game::openLoaderPack(word(c, 1));
            ByteArray* data = Game::readPackEntry(word(c, 2));
            if (isNull(data)) break;
            Game::clearCinematicActors();
            Game::gatherCinematicActors();
            Game::loadCinematicTracks(data);
            break;
        }
        case kGameAction:
            switch (word(c, 1)) {
                case kWaitForKey:
                    waitForConfirmKey();
                    status |= Game::kLoadWaitKey;
                    break;
                case kLoadLayouts:
                    Game::loadAllLayouts();
                    Game::refreshUpgradeTableValues();
                    break;
                case kLevelSprites: Game::loadLevelTileSprites(); break;
                case kStartCue: Game::runStartCue(); break;
                case kAngleTable:
                    Game::loadTable181();
                    Game::flowStatics.s_loadPack = -1;  // the table's pack replaced the loader's
                    break;
                case kMainMenu:
                    // The promotion screen would be entered here when one were pending; nothing
                    // marks one, so the main menu opens with its music.
                    Game::setMenu(0, 1, -1);
                    Game::playMusic(5, 1);
                    break;
                case kInterfaceSprite: Game::rebuildInterfaceSprite(); break;
                default: break;
            }
            break;
        default: GAME_NOT_BUILT_YET("Game::loadStep (commands 9-12, 15-17, game actions)"); break;
    }
}

}  // namespace

int32_t Game::loadStep() {
    StateStatics& s = stateStatics;
    if (isNull(s.loadScript) || s.loadIndex >= s.loadScript->length) {
        flowStatics.s_loadPack = -1;
        closePack();
        collectAndWait();
        return kLoadFinished;
    }
    const int32_t state = overlayStatics.gameState;
    int32_t status = 0;
    int32_t count = 1;
    ObjectArray* outerScript = nullptr;
    int32_t outerIndex = 0;
    bool sub = false;
    if (word(commandAt(s.loadScript, s.loadIndex), 0) == kSubScript) {
        sub = true;
        outerScript = s.loadScript;
        outerIndex = s.loadIndex;
        s.loadIndex = 0;
        s.loadScript = presetScript(word(commandAt(outerScript, outerIndex), 1));
        count = isNull(s.loadScript) ? 0 : s.loadScript->length;
    }
    if (count == 1) {
        const int32_t length = isNull(s.loadScript) ? 0 : s.loadScript->length;
        if (s.loadIndex == length / 2) status |= kLoadBreak;
        IntArray* next = commandAt(s.loadScript, s.loadIndex + 1);
        if (word(next, 0) == kGameAction && word(next, 1) == kWaitForKey) status |= kLoadBreak;
    }
    for (int32_t i = 0; i < count; ++i) {
        IntArray* c = commandAt(s.loadScript, s.loadIndex);
        if (word(c, 0) != kSubScript) runCommand(c, status);
        ++s.loadIndex;
        if (isNull(s.loadScript)) break;  // the script ended itself
    }
    if (overlayStatics.gameState != state) {
        flowStatics.s_loadPack = -1;
        closePack();
        collectAndWait();
    }
    if (sub && !isNull(s.loadScript)) {
        s.loadIndex = outerIndex + 1;
        s.loadScript = outerScript;
    }
    return status;
}
