// Palettes, fades and colour cycling. The game draws with 16 colours; a
// scene sets a 16-colour palette, changes of scene fade to the new colours
// in five steps applied by the painter, and on map scenes colour 14 cycles
// through six shades of blue.
#pragma once

#include <array>
#include <cstdint>

#include "sys/sys.h"

// 16 game colours of 3 bytes: blue, green, red, each 0..15. A 4-bit value v
// is the 8-bit colour v x 17.
struct Palette16 {
    uint8_t colour[16][3];
};
static_assert(sizeof(Palette16) == 48);

// Colour-table entries of 4 bytes: blue, green, red, reserved.
using ColourEntry = std::array<uint8_t, 4>;
static_assert(sizeof(ColourEntry) == 4);

// The five steps of a fade, 16 colour-table entries each; step 4 is the target.
struct FadeSteps {
    uint8_t step[5][64];
};
static_assert(sizeof(FadeSteps) == 320);

constexpr int32_t FADE_STEADY = 100;
constexpr int32_t FADE_RUNNING = -2;

extern Palette16 g_scene_palette;
extern Palette16 g_default_palette;
extern Palette16 g_scene_base_palette;
extern Palette16 g_scene_second_palette;
extern Palette16 g_btl_palette;

extern std::array<uint8_t, 64> g_fade_target;
extern FadeSteps g_fade_steps;
extern int32_t g_fade_delay;
extern int32_t g_fade_state;
extern int32_t g_fade_running;
extern int32_t g_fade_paint_count;
extern int32_t g_fade_step;

extern int32_t g_colour_cycle_on;
extern uint8_t g_colour_cycle_block;
extern int32_t g_cycle_counter;
extern int32_t g_cycle_index;
extern int32_t g_cycle_direction;  // 0 rising, 1 falling
extern const int32_t g_cycle_period;

extern const std::array<int32_t, 20> g_fade_easing;
extern const std::array<ColourEntry, 6> g_cycle_colours;
extern const std::array<ColourEntry, 14> g_cycle_reference;
extern const std::array<ColourEntry, 16> g_fixed_colours;
static_assert(sizeof(std::array<ColourEntry, 14>) == 56);

// The scene's palettes: shown goes into the back image at once, base and
// second are kept and laid out with their fades in the display palette
// (the shadow image's colour table). second may be null.
void gfx_set_scene_palettes(const Palette16* base, const Palette16* second, const Palette16* shown);
// The first 16 colours of a picture, each byte reduced to its low 4 bits
// (entries the picture lacks are black); nothing for a null image.
void gfx_get_palette16(const uint8_t* image, Palette16* out);
// Colours 0..15 of the back and background images = p (null: the default palette).
void gfx_set_palette16(const Palette16* p);
// Starts a fade to p (null: the default palette), delay paints per step:
// 0, or 1 when the screen already shows p. Delay 0 sets the colours at once
// and ends any running fade.
int32_t gfx_fade_start(const Palette16* p, int32_t delay);
// As gfx_fade_start, null meaning the scene palette.
int32_t gfx_fade_to(const Palette16* p, int32_t delay);
// Starts the fade (null: the scene palette) and waits until it has finished.
void gfx_fade_to_wait(const Palette16* p, int32_t delay);
void gfx_fade_to_scene_wait(int32_t delay);
// The five steps from 16 colour-table entries to 16 others.
void gfx_fade_steps(const uint8_t* from, const uint8_t* to, FadeSteps* out);

// The painter's two palette steps: in FADE_STEADY the colour-14 cycle step
// (before presenting); in FADE_RUNNING the fade step, which presents.
void gfx_colour_cycle_step();
void gfx_fade_paint_step(SysWnd window);

// Resets this module's state to its values at program start (tests).
void gfx_palette_reset();
