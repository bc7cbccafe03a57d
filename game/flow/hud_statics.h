// The in-game HUD's statics and those of the script waits and timed screen pieces: the panels'
// styles, the health flash, the energy mode, the two banners' shared fields, the chain counter,
// the confirm prompt, the gauge refills, the overlay sequence and the blinking rectangle.
// `Game::hudStatics` holds the one block; no references. (The flash step is the gauges' own
// `Game::hudGauges`; the saved best chain is `stateStatics.savedCounters`[0]; the prompt's state
// and first value, the scrolling text and the layout result are the layouts', the menus' and the
// overlay's.)
#pragma once

#include <cstdint>

struct HudStatics {
    static constexpr int32_t kGauges = 3;  // refills: 0 health, 1 points, 2 energy

    int32_t s_healthPanelStyle = 0, s_energyPanelStyle = 0;
    int32_t s_healthFlashLevel = 0;  // 14 fraction bits, percent
    int32_t s_barColour = 0, s_barOpacity = 0;
    int32_t s_energyMode = 0;  // 0 drain or refill, 1 fill
    int32_t s_targetSignFrame = -1;
    // Banner A: shown, first number, follows player parameter 5 when 0, second number, text
    // table, text id, width (pixels), x (14 fraction bits).
    int32_t s_sidePanel[8] = {};
    int32_t s_chainCount = 0;
    int32_t s_chainState = 0;  // 0 ended, 1 sliding in, 2 shown, 3 sliding out
    int32_t s_chainTimer = -1, s_chainTimerB = -1, s_chainTimerC = -1;
    int32_t s_chainBannerTimer = -1, s_chainBannerShown = 0, s_chainBannerTime = 0, s_chainBannerText = 0;

    // Gauge refills (14 fraction bits).
    int32_t s_refillPending[kGauges] = {}, s_refillRate[kGauges] = {}, s_refillStep = 0;
    // The overlay sequence on HUD instance 22.
    int32_t s_overlayAnimActive = 0, s_overlayAnimTimer = -1, s_overlayAnimPhase = -1, s_overlayAnimDuration = 0;
    // The blinking rectangle of the bar boxes.
    int32_t s_blinkValue = 0, s_blinkTarget = 0, s_blinkColour = 0, s_blinkTimer = -1, s_blinkCount = 0,
            s_blinkLimit = 0, s_blinkPeriod = 0;
    bool s_energyUpgradeOn = false;
    int32_t s_savedEnergy = 0;
};
