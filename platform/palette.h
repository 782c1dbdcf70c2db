// Palettes, fades and colour cycling.
#pragma once

#include <cstdint>

#include "sys/sys.h"

constexpr int32_t FADE_STEADY = 100;
constexpr int32_t FADE_RUNNING = -2;

extern int32_t g_fade_state;
extern int32_t g_fade_running;

// The painter's two palette steps: in FADE_STEADY the colour-14 cycle step
// (before presenting); in FADE_RUNNING the fade step, which presents.
void gfx_colour_cycle_step();
void gfx_fade_paint_step(SysWnd window);
