// Loading starters: the sound set of the loading scripts, the angle table, the interface sprite
// rebuilt for a level and the level selection's own loading script; and the backlight refresh.
#include "framework/core/game_math.h"
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

constexpr int32_t kAngleCount = 181;
constexpr int64_t kBacklightPeriod = 1000;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
String* constant(int32_t n) { return app()->staticClass->getStringConstant(n); }

}  // namespace

void Game::startSoundSet(int32_t pack, int32_t entry) {
    if (flowStatics.s_loadPack != pack || entry <= flowStatics.s_loadPackEntry) openLoaderPack(pack);
    WM_JSound* sound = flowStatics.sound;
    if (!stateStatics.soundStarted) {
        stateStatics.soundStarted = 1;
        dbgPrintln(constant(kSoundStartText));
        if (!isNull(sound)) sound->init(constant(kSoundPackText));
    }
    if (!isNull(sound)) sound->enabled = true;
    flowStatics.s_loadPackEntry = entry;
}

void Game::loadTable181() {
    loadResourceFile(constant(kAngleTablePackText));
    ByteArray* data = readPackEntry(0);
    if (isNull(data) || data->length < 2 * kAngleCount) {
        mrc_log("Game::loadTable181: the angle table has %d bytes, %d wanted", isNull(data) ? 0 : data->length,
                2 * kAngleCount);
        return;
    }
    ShortArray* table = app()->objectManager->newShortArray(kAngleCount);
    if (table == nullptr) return;
    const auto* b = reinterpret_cast<const uint8_t*>(data->elements());
    for (int32_t i = 0; i < kAngleCount; ++i)
        table->elements()[i] = static_cast<int16_t>(b[2 * i] | b[2 * i + 1] << 8);
    mathStatics.angleTable = table;
}

void Game::openLevelSelect(int32_t mode, bool back) {
    pushMenuItemHistory();
    tables.s_infoMode = mode;
    Graphics* buffer = stateStatics.bufferGraphics;
    if (!isNull(buffer)) {
        buffer->setColor(0);
        buffer->fillRect(0, 0, kScreenWidth, kScreenHeight);
    }
    stopAllSounds();
    startSequence(static_cast<ObjectArray*>(JArray::getRef(overlayStatics.eventActions, kLevelSelectScript)), true, 0,
                  100);
    tables.s_levelSelectBack = back;
}

void Game::refreshBacklight() {
    MenuStatics& m = menuStatics;
    if (!m.backlightKeepAlive) return;
    const int64_t now = host::tickCount64();
    if (now - m.lastBacklightTicks <= kBacklightPeriod) return;
    Display* display = Display::getDisplay(canvasStatics.midlet);
    if (!isNull(display)) display->flashBacklight(1);
    m.lastBacklightTicks = now;
}
