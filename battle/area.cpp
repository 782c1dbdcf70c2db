// Map-screen area attacks: a charged area weapon strikes every enemy in its
// three rings at once, with the weapon's story message and full-screen
// animation, bouncing damage numbers over the targets, experience for the
// sum and the after-battle hook for each target.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "story/message.h"
#include "tactics/items.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

std::array<uint32_t, AREA_DAMAGE_MAX> g_area_damage{};
int32_t g_area_target_count = 0;

namespace {

constexpr int32_t FRAME_SIDE = 96;     // one eruption frame
constexpr int32_t ERUPTION_ROW = 320;  // top line of the frames in the picture
constexpr int32_t ANGEL_W = 216, ANGEL_H = 168, ANGEL_ROW = 248, ANGEL_X = 212;

// The angel's light strokes: start offset from the centre, then 8 steps.
constexpr int8_t STROKES[6][18] = {
    {-57, 34, 1, -1, 1, -1, 0, -1, 1, -1, 0, -1, 1, -1, 0, -1, 0, 0},
    {-1, -64, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0},
    {56, 34, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0},
    {-56, -34, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0},
    {57, -34, -1, 1, -1, 1, 0, 1, -1, 1, 0, 1, -1, 1, 0, 1, 0, 0},
    {1, 64, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, -1, -1, 0, 0},
};

// Memory row of the bottom line of an h-line rectangle whose top is line y.
int32_t memory_row(int32_t y, int32_t h) { return SCREEN_H - y - h; }

void wait_ticks(int32_t n) {
    while (g_tick_counter < n) win_pump_one();
    g_tick_counter = 0;
}

// Pacing of the drawn animations: a frame that took 16 ms or more only
// lets the messages through, a quicker one waits one wait unit.
void pace(uint32_t start) {
    if (sys_tick_count() - start >= 16)
        win_pump_one();
    else
        win_wait_units(1);
}

uint8_t* back_colour(int32_t i) { return gfx_dib_colours(g_back_dib) + i * 4; }

// Puts a picture of at least min_w x 416 into the shadow image; 0 (after
// "Memory Error") when it cannot be read or is too small.
int32_t load_to_shadow(const char* name, int32_t min_w) {
    const HeapBlock picture(file_load_data(name));
    int32_t w = 0, h = 0;
    const uint8_t* bits = picture ? gfx_picture_bits(picture.get(), &w, &h) : nullptr;
    if (!bits || w < min_w || h < SCREEN_H || !g_shadow_dib) {
        util_memory_error();
        return 0;
    }
    const int32_t n = std::min(w, SCREEN_W);
    for (int32_t y = 0; y < SCREEN_H; ++y)
        std::memcpy(gfx_screen_pixel(g_shadow_dib, 0, y), bits + static_cast<size_t>(h - 1 - y) * w, n);
    return 1;
}

void save_background() { std::memcpy(g_background_dib, g_back_dib, SCREEN_DIB_SIZE); }

// The centre of the attacker's cell in pixels.
void cell_centre(int32_t col, int32_t y, int32_t* cx, int32_t* cy) {
    *cx = (col + g_cell_w8 / 2) * 8;
    *cy = y + g_cell_h / 2;
}

// Midpoint circle of radius r: the points (x, y) of one octant, x from 0.
int32_t octant(int32_t r, int32_t (*pts)[2], int32_t max) {
    int32_t x = 0, y = r, d = 1 - r, n = 0;
    while (x <= y && n < max) {
        pts[n][0] = x;
        pts[n][1] = y;
        ++n;
        if (d < 0) {
            d += 2 * x + 3;
        } else {
            d += 2 * (x - y) + 5;
            --y;
        }
        ++x;
    }
    return n;
}

// Spans of a disc of radius r: the upper half when asked, and the lower
// half, squashed to half its height (rows cy + k / 2) when asked.
void disc_spans(int32_t cx, int32_t cy, int32_t r, bool upper, bool squashed, int32_t colour) {
    int32_t pts[400][2];
    const int32_t n = octant(r, pts, 400);
    const int32_t lower = squashed ? 2 : 1;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t a = pts[i][0], b = pts[i][1];
        if (upper) {
            gfx_fill_span(cx - b, cy - a, cx + b, colour);
            gfx_fill_span(cx - a, cy - b, cx + a, colour);
        }
        gfx_fill_span(cx - b, cy + a / lower, cx + b, colour);
        gfx_fill_span(cx - a, cy + b / lower, cx + a, colour);
    }
}

int32_t raise_of(int32_t t) { return t <= 20 ? (100 - (t - 10) * (t - 10)) / 3 : (100 - (t - 30) * (t - 30)) / 4; }

}  // namespace

void btl_plot_if_onscreen(int32_t x, int32_t y) {
    if (x >= 0 && x < SCREEN_W && y >= 0 && y < SCREEN_SHOWN_LINES) gfx_put_pixel(x, y, 16);
}

void btl_map_damage_popup(int32_t c, int32_t y) {
    c = std::max(c, 12);
    y = std::max(y, 131);
    g_tick_counter = 0;
    SavedArea saved(gfx_save_rect(c - 12, y - 131, 29, 256));
    if (!saved) {
        util_memory_error();
        return;
    }
    for (int32_t t = 0; t <= 40; ++t) {
        gfx_restore_rect(-1, 0, saved.get());
        for (int32_t i = 0; i < g_area_target_count; ++i) {
            const uint32_t d = g_area_damage[static_cast<size_t>(i)];
            if (d == 0) continue;
            const UnitRecord* u = g_unit_target_list[static_cast<size_t>(i)];
            int32_t col = 0, py = 0;
            map_cell_to_screen(u->x - g_view_x, u->y - g_view_y, &col, &py);
            txt_set_cursor(col, py - raise_of(t));
            txt_draw_string(-1, 0, txt_format_uint(d, 4), t % 2 ? 10 : 15);
        }
        wait_ticks(2);
    }
    win_wait_click_blink();
    gfx_restore_rect_free(saved.release());
}

void btl_spell_flash_anim(int32_t col, int32_t y) {
    int32_t cx = 0, cy = 0;
    cell_centre(col, y, &cx, &cy);
    g_colour_cycle_block = 1;
    for (int32_t r = 12; r <= 318; r += 2) {
        const uint32_t start = sys_tick_count();
        disc_spans(cx, cy, r, true, true, 15);
        if (r < 200) {
            const bool story = (r / 2) % 4 == 0;
            for (int32_t i = 0; i < 16; ++i)
                back_colour(i)[0] = story ? static_cast<uint8_t>(g_story_palette.colour[i][0] * 17) : 255;
        } else if (r == 200) {
            for (int32_t i = 0; i < 16; ++i) back_colour(i)[0] = 255;
            gfx_fade_start(&g_white_palette, 4);
        }
        pace(start);
    }
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 2);
    g_colour_cycle_block = 0;
}

void btl_spell_volcano_anim(int32_t, int32_t) {
    g_colour_cycle_block = 1;
    if (!load_to_shadow("a:volcano.gem", 6 * FRAME_SIDE)) {
        g_colour_cycle_block = 0;
        return;
    }
    Palette16 red = g_default_palette;
    for (auto& c : red.colour) c[2] = 15;
    gfx_fade_to_wait(&red, 2);
    save_background();
    struct Slot {
        int32_t counter, x, y;
        bool active;
    } slots[8];
    for (int32_t i = 0; i < 8; ++i) slots[i] = {-2 * i, 0, 0, false};
    g_tick_counter = 0;
    for (int32_t f = 0; f < 120; ++f) {
        for (const Slot& s : slots)
            if (s.active)
                gfx_copy_rect(g_back_dib, s.x, memory_row(s.y, FRAME_SIDE), g_background_dib, s.x,
                              memory_row(s.y, FRAME_SIDE), FRAME_SIDE, FRAME_SIDE);
        for (Slot& s : slots) {
            if (s.counter == 7) {
                s.active = false;
                if (f < 100) s.counter = -2;
            }
            if (s.counter == 0) {
                s.x = util_random() % 544;
                s.y = 320 - util_random() % 304;
                s.active = true;
            }
            if (s.counter >= 0 && s.counter <= 5)
                gfx_copy_rect_keyed(g_back_dib, s.x, memory_row(s.y, FRAME_SIDE), g_shadow_dib, s.counter * FRAME_SIDE,
                                    memory_row(ERUPTION_ROW, FRAME_SIDE), FRAME_SIDE, FRAME_SIDE, GFX_KEY_COLOUR);
            ++s.counter;
        }
        wait_ticks(2);
    }
    gfx_fade_to_wait(&g_default_palette, 4);
    g_colour_cycle_block = 0;
}

void btl_spell_angel_anim(int32_t col, int32_t y) {
    int32_t cx = 0, cy = 0;
    cell_centre(col, y, &cx, &cy);
    g_colour_cycle_block = 1;
    std::memcpy(back_colour(16), back_colour(15), 4);
    if (!load_to_shadow("f:angel.gem", ANGEL_W)) {
        g_colour_cycle_block = 0;
        return;
    }
    bool bright = true;
    auto shown = [&](uint32_t start) {
        bright = !bright;
        std::memcpy(back_colour(16), back_colour(bright ? 15 : 8), 4);
        pace(start);
    };
    for (const auto& s : STROKES) {
        int32_t x = cx + s[0], py = cy + s[1];
        for (int32_t f = 0; f < 14; ++f) {
            const uint32_t start = sys_tick_count();
            for (int32_t k = 0; k < 8; ++k) {
                x += s[2 + 2 * k];
                py += s[3 + 2 * k];
                btl_plot_if_onscreen(x, py);
            }
            shown(start);
        }
    }
    int32_t pts[50][2];
    const int32_t n = octant(64, pts, 50);
    uint32_t start = sys_tick_count();
    int32_t plotted = 0;
    for (int32_t pass = 0; pass < 8; ++pass)
        for (int32_t i = 0; i < n; ++i) {
            const int32_t* p = pts[pass % 2 ? n - 1 - i : i];
            // Pass k mirrors the octant into the k-th eighth, clockwise.
            int32_t a = p[0], b = p[1];
            if (pass % 2) std::swap(a, b);
            const int32_t q = pass / 2;
            const int32_t dx = q == 0 ? a : q == 1 ? b : q == 2 ? -a : -b;
            const int32_t dy = q == 0 ? -b : q == 1 ? a : q == 2 ? b : -a;
            btl_plot_if_onscreen(cx + dx, cy + dy);
            if (++plotted % 7 == 0) {
                shown(start);
                start = sys_tick_count();
            }
        }
    for (int32_t r = 4; r <= 63; ++r) {
        start = sys_tick_count();
        // The column stands on a lower half-disc of the full radius.
        gfx_fill_rect(cx - r, 0, cx + r, cy, 15);
        disc_spans(cx, cy, r, false, false, 15);
        if (r == 60) {
            std::memcpy(back_colour(16), back_colour(15), 4);
            gfx_fade_start(&g_white_palette, 1);
        } else {
            shown(start);
            continue;
        }
        pace(start);
    }
    while (g_fade_running) win_wait_units(1);
    map_redraw_view();
    gfx_fade_start(&g_default_palette, 8);
    save_background();
    g_tick_counter = 0;
    for (int32_t f = 0; f < 60; ++f) {
        const int32_t top = 238 - f;
        gfx_copy_rect(g_back_dib, ANGEL_X, 0, g_background_dib, ANGEL_X, 0, ANGEL_W, memory_row(top, 0));
        gfx_copy_rect_keyed(g_back_dib, ANGEL_X, memory_row(top, ANGEL_H), g_shadow_dib, 0,
                            memory_row(ANGEL_ROW, ANGEL_H), ANGEL_W, ANGEL_H, 0);
        wait_ticks(3);
    }
    win_wait_units(60);
    gfx_fade_start(&g_white_palette, 0);
    gfx_fade_to_wait(&g_default_palette, 2);
    win_wait_units(10);
    gfx_fade_start(&g_white_palette, 0);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 2);
    g_colour_cycle_block = 0;
}

void btl_map_spell(const int16_t terrain[2], UnitRecord* a, UnitRecord** target) {
    int32_t col = 0, y = 0;
    map_cell_to_screen(a->x - g_view_x, a->y - g_view_y, &col, &y);
    g_area_damage = {};
    int32_t n = btl_find_targets(a->x, a->y, a, 2);
    *target = nullptr;
    // A unit that fills several cells is struck once.
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        UnitRecord* u = g_unit_target_list[static_cast<size_t>(i)];
        if (u->stats.char_id == CHAR_LAST_ENEMY) {
            if (*target) continue;
            *target = u;
        }
        g_unit_target_list[static_cast<size_t>(kept++)] = u;
    }
    n = kept;
    g_area_target_count = n;
    for (int32_t i = 0; i < n; ++i) {
        UnitRecord* u = g_unit_target_list[static_cast<size_t>(i)];
        if (ai_mode_is_computer(u->stats.ai_mode) && scn_before_battle(a, u) != 0) return;
    }
    switch (a->stats.weapon) {
        case 30:
            txt_show_message(609);
            btl_spell_flash_anim(col, y);
            break;
        case 54:
            txt_show_message(611);
            btl_spell_volcano_anim(col, y);
            break;
        case 57:
            txt_show_message(610);
            btl_spell_angel_anim(col, y);
            break;
        default: break;
    }
    g_area_damage = {};
    uint32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        UnitRecord* u = g_unit_target_list[static_cast<size_t>(i)];
        if (!ai_mode_is_computer(u->stats.ai_mode)) continue;
        uint32_t d = 0;
        btl_forecast(terrain, &d, 0, &a->stats, &u->stats);
        g_area_damage[static_cast<size_t>(i)] = d;
        sum += d;
    }
    btl_map_damage_popup(col, y);
    btl_gain_exp(static_cast<int32_t>(sum), &a->stats, n > 0 ? &g_unit_target_list[0]->stats : &a->stats);
    for (int32_t i = 0; i < n; ++i) {
        UnitRecord* u = g_unit_target_list[static_cast<size_t>(i)];
        const int32_t hp = u->stats.hp - static_cast<int32_t>(g_area_damage[static_cast<size_t>(i)]);
        u->stats.hp = static_cast<int16_t>(std::max(hp, 0));
        if (u->stats.hp == 0 && u->stats.char_id != CHAR_LAST_ENEMY) map_move_unit_step(u, 6);
    }
    for (int32_t i = 0; i < n; ++i) {
        scn_after_battle(a, g_unit_target_list[static_cast<size_t>(i)]);
        if (g_stage_end) break;
    }
}
