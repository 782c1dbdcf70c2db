// Palettes, fades and colour cycling.
#include "platform/palette.h"

#include <algorithm>
#include <cstring>

#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"

Palette16 g_scene_palette = {};
Palette16 g_default_palette = {};
Palette16 g_scene_base_palette = {};
Palette16 g_scene_second_palette = {};
// The battle palette: the battle backdrop (battle/backdrop.cpp) takes it
// from the backdrop's picture, and gfx_set_scene_palettes copies the base
// palette into it, so it lives with the scene palettes.
Palette16 g_btl_palette = {};

std::array<uint8_t, 64> g_fade_target = {};
FadeSteps g_fade_steps = {};
int32_t g_fade_delay = 0;
int32_t g_fade_state = 0;
int32_t g_fade_running = 0;
int32_t g_fade_paint_count = 0;
int32_t g_fade_step = 0;

int32_t g_colour_cycle_on = 0;
uint8_t g_colour_cycle_block = 0;
int32_t g_cycle_counter = 0;
int32_t g_cycle_index = 0;
int32_t g_cycle_direction = 0;
const int32_t g_cycle_period = 4;

const std::array<int32_t, 20> g_fade_easing = {0,  16, 27, 37, 44, 51, 56, 61, 66, 70,
                                               74, 77, 80, 83, 86, 88, 91, 93, 95, 98};

const std::array<ColourEntry, 6> g_cycle_colours = {{
    {0xff, 0xbb, 0x88, 0},
    {0xfb, 0x97, 0x72, 0},
    {0xf6, 0x6f, 0x59, 0},
    {0xf3, 0x57, 0x4a, 0},
    {0xf0, 0x40, 0x3b, 0},
    {0xee, 0x33, 0x33, 0},
}};

const std::array<ColourEntry, 14> g_cycle_reference = {{
    {0x00, 0x00, 0x00, 0},
    {0x88, 0xcc, 0xff, 0},
    {0x55, 0x99, 0xdd, 0},
    {0x33, 0x33, 0x33, 0},
    {0x33, 0x44, 0x88, 0},
    {0x11, 0x77, 0x55, 0},
    {0x33, 0xcc, 0xaa, 0},
    {0x77, 0xdd, 0xff, 0},
    {0xee, 0x33, 0x33, 0},
    {0x00, 0xaa, 0xff, 0},
    {0x00, 0x44, 0xff, 0},
    {0x88, 0x22, 0x00, 0},
    {0x66, 0x77, 0x88, 0},
    {0xaa, 0xbb, 0xcc, 0},
}};

const std::array<ColourEntry, 16> g_fixed_colours = {{
    {0x00, 0x00, 0x00, 0},
    {0x88, 0xcc, 0xff, 0},
    {0x55, 0x99, 0xff, 0},
    {0x33, 0x33, 0xff, 0},
    {0x33, 0x44, 0xff, 0},
    {0x11, 0x77, 0xff, 0},
    {0x33, 0xcc, 0xff, 0},
    {0x77, 0xdd, 0xff, 0},
    {0xee, 0x33, 0xff, 0},
    {0x00, 0xaa, 0xff, 0},
    {0x00, 0x44, 0xff, 0},
    {0x88, 0x22, 0xff, 0},
    {0x66, 0x77, 0xff, 0},
    {0xaa, 0xbb, 0xff, 0},
    {0x33, 0x33, 0xff, 0},
    {0xff, 0xff, 0xff, 0},
}};

namespace {

constexpr size_t COLOURS16 = 64;  // 16 colour-table entries
// The easing entries a fade takes for its steps 0..3: 0, 44, 66 and 83 per
// cent of the distance that remains.
constexpr std::array<size_t, 4> FADE_EASING_USED = {0, 4, 8, 13};
constexpr size_t SHADOW_FADE_BLACK = 16 * 4;
constexpr size_t SHADOW_FADE_SECOND = 96 * 4;
constexpr size_t SHADOW_CYCLE = 176 * 4;
constexpr size_t SHADOW_FIXED = 182 * 4;
// A fade step carries the back image's header and colours 0..235 over to
// the background image.
constexpr size_t FADE_CARRY_BYTES = 40 + 236 * 4;

// 16 colour-table entries from a palette: each 4-bit value times 17.
void expand(const Palette16& p, uint8_t* out) {
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) out[i * 4 + c] = static_cast<uint8_t>((p.colour[i][c] & 0x0F) * 17);
        out[i * 4 + 3] = 0;
    }
}

const Palette16& or_black(const Palette16* p) {
    static const Palette16 black = {};
    return p ? *p : black;
}

}  // namespace

void gfx_fade_steps(const uint8_t* from, const uint8_t* to, FadeSteps* out) {
    uint8_t current[COLOURS16];
    std::memcpy(current, from, COLOURS16);
    for (int s = 0; s < 4; ++s) {
        const int32_t p = g_fade_easing[FADE_EASING_USED[static_cast<size_t>(s)]];
        for (size_t e = 0; e < 16; ++e) {
            for (size_t c = 0; c < 3; ++c) {
                const int32_t cur = current[e * 4 + c];
                const int32_t dst = to[e * 4 + c];
                current[e * 4 + c] = static_cast<uint8_t>(cur + (dst - cur) * p / 100);
            }
        }
        std::memcpy(out->step[s], current, COLOURS16);
    }
    std::memcpy(out->step[4], to, COLOURS16);
}

void gfx_set_scene_palettes(const Palette16* base, const Palette16* second, const Palette16* shown) {
    if (!g_back_dib || !g_shadow_dib) return;
    std::memcpy(g_shadow_dib, g_back_dib, 40);

    uint8_t* back = gfx_dib_colours(g_back_dib);
    std::memset(back, 0, 1024);
    expand(or_black(shown), back);

    g_btl_palette = g_scene_base_palette = g_default_palette = or_black(base);
    g_scene_second_palette = or_black(second);

    uint8_t* shadow = gfx_dib_colours(g_shadow_dib);
    std::memset(shadow, 0, 1024);
    uint8_t base17[COLOURS16];
    expand(or_black(base), base17);
    static const uint8_t black[COLOURS16] = {};
    FadeSteps steps;
    gfx_fade_steps(base17, black, &steps);
    std::memcpy(shadow + SHADOW_FADE_BLACK, &steps, sizeof steps);
    if (second) {
        uint8_t second17[COLOURS16];
        expand(*second, second17);
        gfx_fade_steps(shadow + SHADOW_FADE_BLACK, second17, &steps);
        std::memcpy(shadow + SHADOW_FADE_SECOND, &steps, sizeof steps);
    }
    std::memcpy(shadow + SHADOW_CYCLE, g_cycle_colours.data(), sizeof g_cycle_colours);
    for (size_t k = 0; k < 3; ++k)
        std::memcpy(shadow + SHADOW_FIXED + k * sizeof g_fixed_colours, g_fixed_colours.data(), sizeof g_fixed_colours);

    // The next paint makes the logical palette from the new table.
    g_gdi_palette = 0;
    sys_invalidate(g_hwnd_game);
    win_wait_units(1);
}

void gfx_get_palette16(const uint8_t* image, Palette16* out) {
    if (!image || !out) return;
    // Only the entries the picture has: a small colour table ends early.
    const uint32_t offset = 40;
    uint32_t colours;
    std::memcpy(&colours, image + 32, sizeof colours);
    colours &= 0xFFFF;
    if (colours == 0 || colours > 256) colours = 256;
    *out = {};
    for (uint32_t i = 0; i < 16 && i < colours; ++i)
        for (int c = 0; c < 3; ++c) out->colour[i][c] = image[offset + i * 4 + c] & 0x0F;
}

void gfx_set_palette16(const Palette16* p) {
    if (!p) p = &g_default_palette;
    if (g_back_dib) expand(*p, gfx_dib_colours(g_back_dib));
    if (g_background_dib) expand(*p, gfx_dib_colours(g_background_dib));
    sys_invalidate(g_hwnd_game);
}

int32_t gfx_fade_start(const Palette16* p, int32_t delay) {
    if (!p) p = &g_default_palette;
    if (delay == 0) {
        gfx_set_palette16(p);
        // The colours are final: a fade still running must not step on
        // through its old colours.
        if (g_fade_state == FADE_RUNNING) {
            g_fade_state = FADE_STEADY;
            g_fade_step = 0;
            g_fade_paint_count = 0;
        }
    }
    g_fade_delay = delay;
    expand(*p, g_fade_target.data());
    if (!g_back_dib) return 1;
    const uint8_t* back = gfx_dib_colours(g_back_dib);
    if (std::memcmp(g_fade_target.data(), back, COLOURS16) == 0) return 1;
    gfx_fade_steps(back, g_fade_target.data(), &g_fade_steps);
    g_fade_state = FADE_RUNNING;
    g_fade_running = 1;
    sys_invalidate(g_hwnd_game);
    return 0;
}

int32_t gfx_fade_to(const Palette16* p, int32_t delay) { return gfx_fade_start(p ? p : &g_scene_palette, delay); }

void gfx_fade_to_wait(const Palette16* p, int32_t delay) {
    gfx_fade_start(p ? p : &g_scene_palette, delay);
    while (g_fade_running) win_wait_units(1);
}

void gfx_fade_to_scene_wait(int32_t delay) { gfx_fade_to_wait(&g_scene_palette, delay); }

void gfx_fade_paint_step(SysWnd window) {
    if (!g_back_dib || !g_background_dib) return;
    g_fade_paint_count += 1;
    if (g_fade_paint_count < g_fade_delay) {
        gfx_present_view(window);
        return;
    }
    g_fade_paint_count = 0;
    g_paint_busy = 1;
    const int32_t s = std::clamp<int32_t>(g_fade_step, 0, 4);
    std::memcpy(gfx_dib_colours(g_back_dib), g_fade_steps.step[s], COLOURS16);
    gfx_present_view(window);
    std::memcpy(g_background_dib, g_back_dib, FADE_CARRY_BYTES);
    g_fade_step = s + 1;
    if (g_fade_step >= 5) {
        std::memcpy(gfx_dib_colours(g_back_dib), g_fade_target.data(), COLOURS16);
        std::memcpy(gfx_dib_colours(g_background_dib), g_fade_target.data(), COLOURS16);
        g_fade_state = FADE_STEADY;
        g_fade_step = 0;
    }
    g_paint_busy = 0;
}

void gfx_colour_cycle_step() {
    if (g_fade_running != 0 || g_colour_cycle_on != 1 || g_colour_cycle_block != 0 || !g_back_dib) return;
    uint8_t* colours = gfx_dib_colours(g_back_dib);
    if (std::memcmp(colours, g_cycle_reference.data(), sizeof g_cycle_reference) != 0) return;
    g_cycle_counter += 1;
    if (g_cycle_counter < g_cycle_period) return;
    g_cycle_counter = 0;
    const int32_t i = std::clamp<int32_t>(g_cycle_index, 0, 5);
    std::memcpy(colours + 14 * 4, g_cycle_colours[static_cast<size_t>(i)].data(), 4);
    if (g_cycle_direction == 0) {
        g_cycle_index = i + 1;
        if (g_cycle_index > 5) {
            g_cycle_index = 5;
            g_cycle_direction = 1;
        }
    } else {
        g_cycle_index = i - 1;
        if (g_cycle_index < 0) {
            g_cycle_index = 0;
            g_cycle_direction = 0;
        }
    }
}

void gfx_palette_reset() {
    g_scene_palette = g_default_palette = g_scene_base_palette = g_scene_second_palette = g_btl_palette = {};
    g_fade_target = {};
    g_fade_steps = {};
    g_fade_delay = 0;
    g_fade_state = 0;
    g_fade_running = 0;
    g_fade_paint_count = 0;
    g_fade_step = 0;
    g_colour_cycle_on = 0;
    g_colour_cycle_block = 0;
    g_cycle_counter = 0;
    g_cycle_index = 0;
    g_cycle_direction = 0;
}
