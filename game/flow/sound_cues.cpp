// Sound cues: game events mapped onto the sound bank, each entry point gated by its switch.
#include "framework/sound/sound_manager.h"
#include "game/flow/game.h"
#include "game/objects/action_seams.h"

namespace {
// Sound index by event code 0..22; -1 plays nothing.
constexpr int8_t kEventSounds[] = {-1, -1, -1, -1, -1, 0, 1, 2, -1, -1, 3, 3, 3, 5, 5, 9, 10, 4, 8, -1, 6, 7, 11};
}  // namespace

int32_t Game::soundForEvent(int32_t event) {
    if (event < 0 || event >= static_cast<int32_t>(sizeof kEventSounds)) return -1;
    return kEventSounds[event];
}

namespace mrc {
ActionSeams& actionSeams() {
    static ActionSeams seams;
    return seams;
}
}  // namespace mrc

void Game::playSoundForEvent(int32_t event) {
    if (auto seam = mrc::actionSeams().playSoundForEvent) seam(event);
    const int32_t sound = soundForEvent(event);
    if (menuStatics.soundEffectsOn && sound >= 0) requestSound(sound);
}

void Game::playMusic(int32_t event, int32_t) {
    const int32_t sound = soundForEvent(event);
    if (menuStatics.musicOn && sound >= 0) requestSound(sound);
}

void Game::requestEffectSound(int32_t sound) {
    if (auto seam = mrc::actionSeams().requestEffectSound) seam(sound);
    if (menuStatics.soundEffectsOn && sound >= 0) requestSound(sound);
}

void Game::requestSound(int32_t index) {
    WM_JSound* sound = flowStatics.sound;
    if (!isNull(sound)) sound->playRequest(0, index, 1, 100);
}

void Game::stopAllSounds() {
    WM_JSound* sound = flowStatics.sound;
    if (!isNull(sound)) sound->forEachSound();
}
