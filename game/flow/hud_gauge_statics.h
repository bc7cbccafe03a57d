// The HUD's gauge statics that the object gauges write: the gauge timer, the overflow mark, the
// health flash and the panel's slide. No references.
#pragma once

#include <cstdint>

struct HudGaugeStatics {
    int32_t s_gaugeTimer = -1;    // timer id, -1 none
    int32_t s_gaugeOverflow = 0;  // set when a kind-1 gauge overflows
    int32_t s_healthFlashStep = 0;
    int32_t s_gaugeTarget = -1;
    int32_t s_gaugeFillStep = 0;
    int32_t s_hudPanelX = 0, s_hudPanelHomeX = 0;
};
