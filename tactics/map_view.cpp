// Map view.
#include "tactics/map_view.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/pick.h"
#include "tactics/units.h"

int32_t g_view_x = 0, g_view_y = 0;
int32_t g_view_cols = 19, g_view_rows = 12;
int32_t g_cell_w8 = 4, g_cell_h = 32;
int32_t g_walk_frame_counter = 0;

// Set by the weapon exchange while a partner is picked: cells marked 0x80
// are then framed in colour 9 and no HP bars are drawn.
int32_t g_exchange_marking = 0;

const std::array<std::array<int16_t, SPRITE_LIST_SIZE>, SPRITE_MODULES> g_sprite_class_lists = {{
    // Module 0 before a chapter runs: module 2's set.
    {0,  2,  4,  6, 8,  17, 20, 25, 29, 15, 31, 32, 33, 35, 37, 36,
     44, 12, 42, 0, 54, 21, 27, 50, 49, 60, 61, 64, 55, 56, 58, -1},
    {0, 2, 4, 6, 8, 25, 29, 37, 32, 53, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 27, 28, 63, -1},
    {0,  2,  4,  6, 8,  17, 20, 25, 29, 15, 31, 32, 33, 35, 37, 36,
     44, 12, 42, 0, 54, 21, 27, 50, 49, 60, 61, 64, 55, 56, 58, -1},
    {0,  2,  3,  4,  6,  8, 12, 13, 10, 14, 15, 16, 17, 18, 21, 25, 26, 29, 31, 32,
     33, 35, 37, 40, 45, 0, 0,  0,  0,  0,  28, 27, 50, 49, 61, 57, 58, 59, 62, -1},
    {0,  1,  3,  4,  5,  6,  7,  8,  9,  10, 11, 13, 14, 15, 16, 17, 18, 19,
     40, 21, 26, 33, 34, 35, 38, 41, 42, 43, 45, 53, 56, 51, 65, 52, -1},
    {0,  1,  3,  4,  5,  6,  7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 27, 23,
     24, 28, 19, 39, 40, 36, 0, 0, 0, 0,  0,  50, 49, 66, 46, 47, 48, -1},
}};

const int16_t* g_sprite_class_list = g_sprite_class_lists[2].data();
const std::array<int32_t, 4> g_walk_dir_base = {3, 2, 0, 1};

namespace {

constexpr int32_t VIEW_LEFT = 16;
constexpr int32_t VIEW_BOTTOM = 384;  // lines 384..415 are the margin below the view
constexpr int32_t SCROLL_PIXELS = 32;
constexpr int32_t WALK_FRAMES = 16;
const int32_t WALK_STEPS[4] = {0, 1, 2, 1};

// Chest icon for a map cell: the first chest record there that is found (2)
// or opened (3) gives icon 2 or 4; -1 none (hidden chests are not drawn).
int32_t chest_icon_at(int32_t x, int32_t y) {
    for (const ChestRecord& c : g_chests)
        if (c.x == x && c.y == y && (c.state == 2 || c.state == 3)) return c.state == 2 ? 2 : 4;
    return -1;
}

int32_t list_length(const int16_t* list) {
    int32_t n = 0;
    while (n < SPRITE_LIST_SIZE && list[n] >= 0) ++n;
    return n;
}

// Bounds an origin to 0..limit - size, never below 0.
int32_t clamp_origin(int32_t v, int32_t size, int32_t limit) {
    if (v > limit - size) v = limit - size;
    if (v < 0) v = 0;
    return v;
}

uint8_t* back_line(int32_t y) { return gfx_screen_pixel(g_back_dib, 0, y); }

// Turns the 416 lines of the back image by n lines: n > 0 moves the picture
// down (the margin below the view comes in at the top), n < 0 up.
void rotate_lines(int32_t n) {
    if (!g_back_dib) return;
    uint8_t* bits = gfx_dib_pixels(g_back_dib);
    const size_t line = SCREEN_W;
    // Memory rows are bottom-up: moving the picture down is moving rows to
    // lower memory rows.
    const size_t k = static_cast<size_t>(std::abs(n)) * line;
    uint8_t tmp[SCROLL_PIXELS * SCREEN_W];
    if (n > 0) {
        std::memcpy(tmp, bits, k);
        std::memmove(bits, bits + k, SCREEN_IMAGE_SIZE - k);
        std::memcpy(bits + SCREEN_IMAGE_SIZE - k, tmp, k);
    } else if (n < 0) {
        std::memcpy(tmp, bits + SCREEN_IMAGE_SIZE - k, k);
        std::memmove(bits + k, bits, SCREEN_IMAGE_SIZE - k);
        std::memcpy(bits, tmp, k);
    }
}

// Moves the picture of the view 32 pixels sideways: dx > 0 to the right.
void shift_columns(int32_t dx) {
    if (!g_back_dib) return;
    for (int32_t y = 0; y < VIEW_BOTTOM; ++y) {
        uint8_t* row = back_line(y);
        if (dx > 0)
            std::memmove(row + VIEW_LEFT + dx, row + VIEW_LEFT, static_cast<size_t>(SCREEN_W - 2 * VIEW_LEFT - dx));
        else
            std::memmove(row + VIEW_LEFT, row + VIEW_LEFT - dx, static_cast<size_t>(SCREEN_W - 2 * VIEW_LEFT + dx));
    }
}

// Waits for the next frame tick (bounded, since the tick counter stands still
// outside a chapter) and then n wait units.
void wait_tick_and_units(int32_t n) {
    const int32_t start = g_tick_counter;
    for (int32_t i = 0; i < 8 && g_tick_counter == start; ++i) win_wait_units(1);
    win_wait_units(n);
}

void set_view_sizes() {
    const int32_t z = g_zoom == 2 ? 2 : 1;
    g_view_cols = 19 * z;
    g_view_rows = 12 * z;
    g_cell_w8 = 4 / z;
    g_cell_h = 32 / z;
}

// The 32 x 32 pixels under the walking figure.
struct WalkUnder {
    int32_t x = 0, y = 0;
    bool saved = false;
    uint8_t px[32][32];
};

void walk_save(WalkUnder& w, int32_t x, int32_t y) {
    w.x = x;
    w.y = y;
    w.saved = true;
    for (int32_t k = 0; k < 32; ++k)
        for (int32_t i = 0; i < 32; ++i) {
            const int32_t px = x + i, py = y + k;
            w.px[k][i] =
                (px >= 0 && px < SCREEN_W && py >= 0 && py < SCREEN_H) ? *gfx_screen_pixel(g_back_dib, px, py) : 0;
        }
}

void walk_restore(WalkUnder& w) {
    if (!w.saved) return;
    for (int32_t k = 0; k < 32; ++k)
        for (int32_t i = 0; i < 32; ++i) {
            const int32_t px = w.x + i, py = w.y + k;
            if (px >= 0 && px < SCREEN_W && py >= 0 && py < SCREEN_H)
                *gfx_screen_pixel(g_back_dib, px, py) = w.px[k][i];
        }
    w.saved = false;
}

void wait_one_ms() {
    g_wait_ms = 1;
    win_wait_ms();
    g_wait_ms = 16;
}

}  // namespace

int32_t map_sprite_module(int32_t module) {
    if (module < 1 || module >= SPRITE_MODULES) return 2;
    return module;
}

void map_select_sprite_list(int32_t module) {
    if (module < 0 || module >= SPRITE_MODULES) module = 2;
    g_sprite_class_list = g_sprite_class_lists[static_cast<size_t>(module)].data();
    g_tile_overlay_limit = list_length(g_sprite_class_list);
}

int32_t map_unit_sprite_index(UnitRecord* unit) {
    if (!unit) return 0;
    if ((g_debug_flags & 0x2) && unit->number < 12) {
        unit->stats.max_hp = 150;
        unit->stats.hp = 150;
        unit->stats.attack = 200;
        unit->stats.defence = 200;
    }
    const int32_t len = list_length(g_sprite_class_list);
    int32_t p = 0;
    while (p < len && g_sprite_class_list[p] != unit->stats.class_id) ++p;
    if (ai_mode_is_computer(unit->stats.ai_mode) && unit->stats.class_id != CLASS_BUTLER) return p;
    if (unit->acted == 0 && unit->stats.hp > 0) return p;
    return p + len;
}

int32_t map_cell_to_screen(int32_t vx, int32_t vy, int32_t* col, int32_t* y) {
    *col = vx * g_cell_w8 + 2;
    *y = vy * g_cell_h;
    return *col >= 0 && *col <= 79 && *y >= 0 && *y <= 383;
}

void map_pixel_to_cell(int32_t x, int32_t y, int32_t* vx, int32_t* vy) {
    *vx = (x - VIEW_LEFT) / (g_cell_w8 * 8);
    *vy = y / g_cell_h;
}

void map_draw_cell(int32_t vx, int32_t vy) {
    const int32_t x = g_view_x + vx, y = g_view_y + vy;
    const int32_t col = vx * g_cell_w8 + 2;
    int32_t py = vy * g_cell_h;
    const int32_t zoom2 = g_zoom == 2 ? 1 : 0;
    // Cells off the stage (a map smaller than the view) are plain tile 0.
    if (!map_on_map(x, y)) {
        gfx_draw_map_tile_base(col, py, 0);
        return;
    }
    const int32_t i = y * MAP_SIDE + x;
    gfx_draw_map_tile_base(col, py, g_map.cells[i]);

    const int32_t chest = chest_icon_at(x, y);
    if (chest >= 0) gfx_draw_icon(col, py, chest + zoom2);

    UnitRecord* u = unit_at_cell(x, y);
    if (!u || u->stats.ai_mode == AI_MODE_DORMANT) return;
    const bool no_figure = u->stats.char_id == CHAR_LAST_ENEMY;
    if (!no_figure) gfx_draw_map_tile_overlay(col, py, map_unit_sprite_index(u));
    if (u->stats.ai_mode == AI_MODE_WALK_ON) return;

    int32_t kind = -1;
    int32_t colour = u->stats.ai_mode == AI_MODE_PLAYER ? 6 : 10;
    if (g_opt_side_marks && !no_figure) {
        if (map_terrain_class_at(x, y) == 5 && g_map_tile_set != 4 && g_map_tile_set != 7)
            gfx_draw_icon(col, py, 6 + zoom2);
        if (u->number - 1 < UNIT_PARTY_SLOTS) {
            kind = 4;
            if (u->stats.hp == 0) {
                kind = 5;
                colour = 9;
            }
            if (u->status < 0) {
                kind = 6;
                colour = 6;
            }
        } else {
            kind = 3;
        }
    }
    const uint8_t marks = g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B);
    bool highlighted = false;
    if (marks == (OCC_MARK_A | OCC_MARK_B)) {
        kind = 2;
    } else if (marks == OCC_MARK_A) {
        kind = 1;
        colour = u->stats.ai_mode == AI_MODE_PLAYER ? 6 : 10;
        highlighted = true;
    } else if (marks == OCC_MARK_B) {
        kind = 0;
        if (g_exchange_marking) colour = 9;
        highlighted = true;
    }
    if (kind >= 0) gfx_draw_icon32_silhouette(col, py, 4, 32, colour, kind * 2 + zoom2);

    if (highlighted && !zoom2 && !g_exchange_marking) {
        // One pixel per 5 HP.
        const int32_t x0 = col * 8;
        py = py < 0 ? py + SCREEN_H : py;  // a row drawn into the margin below the view
        const int32_t full = (u->stats.max_hp - 1) / 5;
        gfx_fill_rect(x0, py + 24, x0 + full + 2, py + 31, 0);
        gfx_fill_rect(x0 + 1, py + 25, x0 + 1 + full, py + 30, 10);
        if (u->stats.hp > 0) gfx_fill_rect(x0 + 1, py + 25, x0 + 1 + (u->stats.hp - 1) / 5, py + 30, 6);
    }
}

void map_redraw_cell_view(int32_t vx, int32_t vy) {
    int32_t col, y;
    if (map_cell_to_screen(vx, vy, &col, &y)) map_draw_cell(vx, vy);
}

void map_draw_cell_abs(int32_t x, int32_t y) { map_draw_cell(x - g_view_x, y - g_view_y); }

void map_redraw_cell_abs(int32_t x, int32_t y) { map_redraw_cell_view(x - g_view_x, y - g_view_y); }

void map_copy_to_background() {
    if (g_back_dib && g_background_dib) std::memcpy(g_background_dib, g_back_dib, SCREEN_DIB_SIZE);
}

int32_t map_view_available() { return g_tile_sheet_base || g_tile_sheet_overlay ? 1 : 0; }

void map_redraw_view() {
    gfx_clear_screen();
    for (int32_t vy = 0; vy < g_view_rows; ++vy)
        for (int32_t vx = 0; vx < g_view_cols; ++vx) map_draw_cell(vx, vy);
    sys_invalidate(g_hwnd_game);
    map_copy_to_background();
}

void map_center_view_on(int32_t x, int32_t y) {
    g_view_x = clamp_origin(x - g_view_cols / 2, g_view_cols, map_width());
    g_view_y = clamp_origin(y - g_view_rows / 2, g_view_rows, map_height());
    if (g_zoom == 2) {
        g_view_x &= ~1;
        g_view_y &= ~1;
    }
}

void map_set_zoom(int32_t z) {
    if (z == g_zoom || (z != 1 && z != 2)) return;
    if (z == 1 && g_zoom == 2) {
        int32_t dx, dy;
        if (!map_pick_zoom_frame(&dx, &dy, 1)) return;
        g_view_x = clamp_origin(g_view_x + dx, 19, map_width());
        g_view_y = clamp_origin(g_view_y + dy, 12, map_height());
    } else if (z == 2 && g_zoom == 1) {
        // From the first set-up (-1) the origin is kept as it is.
        g_view_x = clamp_origin(((g_view_x - 9) / 4) * 4, 38, map_width());
        int32_t v = g_view_y - 6;
        v = v < 0 ? -((-v) & ~1) : (v & ~1);
        g_view_y = clamp_origin(v, 24, map_height());
    }
    g_zoom = z;
    set_view_sizes();
}

int32_t map_scroll_up(int32_t speed) {
    if (g_view_y <= 0) return 0;
    if (g_view_y < g_zoom) {
        // An odd origin at zoom 2: a step would pass the edge.
        g_view_y = 0;
        map_redraw_view();
        return 1;
    }
    // The new rows go into the margin below the view (their lines wrap by
    // 416), which the turn of the picture brings in at the top.
    for (int32_t k = 1; k <= g_zoom; ++k)
        for (int32_t vx = 0; vx < g_view_cols; ++vx) map_draw_cell(vx, -k);
    if (speed > 0) {
        for (int32_t s = 0; s < 8; ++s) {
            rotate_lines(4);
            win_wait_units(speed);
        }
    } else {
        wait_tick_and_units(8);
        rotate_lines(SCROLL_PIXELS);
    }
    g_view_y -= g_zoom;
    sys_invalidate(g_hwnd_game);
    map_copy_to_background();
    return 1;
}

int32_t map_scroll_down(int32_t speed) {
    if (g_view_y + g_view_rows >= map_height()) return 0;
    for (int32_t k = 0; k < g_zoom; ++k)
        for (int32_t vx = 0; vx < g_view_cols; ++vx) map_draw_cell(vx, g_view_rows + k);
    if (speed > 0) {
        for (int32_t s = 0; s < 8; ++s) {
            rotate_lines(-4);
            win_wait_units(speed);
        }
    } else {
        wait_tick_and_units(8);
        rotate_lines(-SCROLL_PIXELS);
    }
    g_view_y += g_zoom;
    sys_invalidate(g_hwnd_game);
    map_copy_to_background();
    return 1;
}

int32_t map_scroll_left() {
    if (g_view_x <= 0) return 0;
    if (g_view_x < g_zoom) {
        g_view_x = 0;
        map_redraw_view();
        return 1;
    }
    wait_tick_and_units(8);
    // The view has no margin at its sides: shift first, then draw the new
    // columns in their place.
    shift_columns(SCROLL_PIXELS);
    g_view_x -= g_zoom;
    for (int32_t vx = 0; vx < g_zoom; ++vx)
        for (int32_t vy = 0; vy < g_view_rows; ++vy) map_draw_cell(vx, vy);
    sys_invalidate(g_hwnd_game);
    map_copy_to_background();
    return 1;
}

int32_t map_scroll_right() {
    if (g_view_x + g_view_cols >= map_width()) return 0;
    wait_tick_and_units(8);
    shift_columns(-SCROLL_PIXELS);
    g_view_x += g_zoom;
    for (int32_t vx = g_view_cols - g_zoom; vx < g_view_cols; ++vx)
        for (int32_t vy = 0; vy < g_view_rows; ++vy) map_draw_cell(vx, vy);
    sys_invalidate(g_hwnd_game);
    map_copy_to_background();
    return 1;
}

void map_move_unit_step(UnitRecord* unit, int32_t direction) {
    if (!unit || unit->number <= 0) return;
    const uint8_t number = static_cast<uint8_t>(unit->number);
    const int32_t ox = unit->x, oy = unit->y;
    int32_t nx = ox, ny = oy;
    if (direction >= 0 && direction <= 3 && !map_step_dir(&nx, &ny, direction)) return;  // would leave the map
    if (ox < 0 || ox >= MAP_SIDE || oy < 0 || oy >= MAP_SIDE) {
        if (direction == 6) unit->number = 0;
        return;
    }
    uint8_t* old_cell = &g_occupancy.cells[oy * MAP_SIDE + ox];

    // Only a cell that holds the unit is emptied: a walk that passed through
    // another unit's cell, or a stale position under one, leaves that unit.
    const bool holds_it = (*old_cell & OCC_UNIT_MASK) == number;
    if (unit->status > 0 && holds_it) *old_cell = 0;
    if (direction == 6) {
        if (holds_it) *old_cell = 0;
        map_redraw_cell_abs(ox, oy);
        unit->number = 0;
        // As after every other change of the view: a restore of the map
        // (the end of a message, a closed menu) must not bring the unit back.
        map_copy_to_background();
        return;
    }
    unit->x = static_cast<int16_t>(nx);
    unit->y = static_cast<int16_t>(ny);
    uint8_t* new_cell = &g_occupancy.cells[ny * MAP_SIDE + nx];

    int32_t ocol, oy_px, ncol, ny_px;
    const bool old_visible = map_cell_to_screen(ox - g_view_x, oy - g_view_y, &ocol, &oy_px);
    const bool new_visible = map_cell_to_screen(nx - g_view_x, ny - g_view_y, &ncol, &ny_px);
    const bool walking = direction >= 0 && direction <= 3 && g_opt_move_anim && g_zoom == 1 && g_cell32_sheet;
    bool drew = false;
    if (walking && old_visible && new_visible) {
        // The old cell without the unit, then the figure slides over 16 frames.
        uint8_t keep = 0;
        if ((*old_cell & OCC_UNIT_MASK) == number) {
            keep = *old_cell;
            *old_cell = 0;
        }
        map_draw_cell_abs(ox, oy);
        if (keep) *old_cell = keep;
        WalkUnder under;
        const int32_t x0 = ocol * 8, y0 = oy_px, x1 = ncol * 8, y1 = ny_px;
        const int32_t base = g_walk_dir_base[static_cast<size_t>(direction)] * 3;
        for (int32_t f = 1; f <= WALK_FRAMES; ++f) {
            walk_restore(under);
            const int32_t fx = x0 + (x1 - x0) * f / WALK_FRAMES;
            const int32_t fy = y0 + (y1 - y0) * f / WALK_FRAMES;
            walk_save(under, fx, fy);
            gfx_draw_cell32_sheet(fx, fy, base + WALK_STEPS[(g_walk_frame_counter / 4) % 4]);
            g_walk_frame_counter = (g_walk_frame_counter + 1) % WALK_FRAMES;
            sys_invalidate(g_hwnd_game);
            wait_one_ms();
        }
        drew = true;
    } else if (walking && new_visible) {
        static const int32_t facing[4] = {10, 7, 1, 4};
        gfx_draw_cell32_sheet(ncol * 8, ny_px, facing[direction]);
        drew = true;
    } else {
        map_redraw_cell_abs(ox, oy);
    }
    // A step onto a cell another unit holds passes through it: that unit
    // keeps its cell and is drawn again once the walker has gone on.
    if (direction == 5 || (unit->status > 0 && (*new_cell & OCC_UNIT_MASK) == 0)) *new_cell = number;
    if (!drew) {
        const uint8_t keep = *new_cell;
        *new_cell = number;
        map_redraw_cell_abs(nx, ny);
        *new_cell = keep;
        win_wait_units(4);
    }
    map_copy_to_background();
}

void map_patch_class_sprite(int32_t class_id, int32_t slot) {
    if (g_zoom == 2 || !g_tile_sheet_overlay || !g_cell32_sheet || slot < 0) return;
    const int32_t len = list_length(g_sprite_class_list);
    int32_t p = 0;
    // A class missing from the list has the frame every such class shows:
    // the one at the list's length.
    while (p < len && g_sprite_class_list[p] != class_id) ++p;
    int32_t dw, dh, sw, sh;
    uint8_t* dst = const_cast<uint8_t*>(gfx_picture_bits(g_tile_sheet_overlay, &dw, &dh));
    const uint8_t* src = gfx_picture_bits(g_cell32_sheet, &sw, &sh);
    if (!dst || !src) return;
    const int32_t dx = (p % 20) * 32, dline = (p / 20) * 32;
    const int32_t sx = (slot / 3) * 32, sline = (slot % 3) * 32;
    if (dx + 32 > dw || dline + 32 > dh || sx + 32 > sw || sline + 32 > sh) return;
    for (int32_t k = 0; k < 32; ++k)
        std::memcpy(dst + static_cast<size_t>(dh - 1 - (dline + k)) * dw + dx,
                    src + static_cast<size_t>(sh - 1 - (sline + k)) * sw + sx, 32);
}

void map_apply_walk_sprite(int32_t n, int32_t slot) {
    const MapWalkSheet sheet(n);
    if (sheet) map_patch_class_sprite(n, slot);
}

void map_view_reset() {
    g_view_x = g_view_y = 0;
    g_view_cols = 19;
    g_view_rows = 12;
    g_cell_w8 = 4;
    g_cell_h = 32;
    g_walk_frame_counter = 0;
    g_exchange_marking = 0;
    g_sprite_class_list = g_sprite_class_lists[2].data();
}
