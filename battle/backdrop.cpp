// The battle backdrop: a band of 80 x 15 tiles of 16 x 16 pixels behind the
// fighters, of which the 40 columns under the camera show from line 32 to
// line 271. A kind (0..25, the letters A..Z) names a tile picture, whose first
// 16 colours are the battle colours, and a grid of tile numbers.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sprite.h"
#include "tactics/map.h"

int32_t g_btl_backdrop_kind = 0;
const std::array<uint8_t, 40> g_btl_stage_backdrop = {4, 0, 0, 15, 0,  9, 5, 8, 9, 0, 15, 0, 9, 1, 0, 0, 0, 9, 0, 9,
                                                      9, 5, 3, 3,  16, 0, 0, 7, 7, 0, 3,  7, 4, 4, 4, 4, 4, 4, 4, 25};
HeapBlock g_btl_bmap_image;
HeapBlock g_btl_bmap_grid;

namespace {

constexpr int32_t TERRAIN_WATER = 6;
constexpr int32_t TERRAIN_SEVEN = 7;
constexpr int32_t BAND_TOP = 32;

// Whether the block holds a grid read from a file (a block with no grid in it
// draws no tiles).
bool g_grid_filled = false;

char kind_letter(int32_t kind) { return static_cast<char>('A' + std::clamp(kind, 0, BTL_BACKDROP_KINDS - 1)); }

// Tiles the picture holds: whole 16-pixel rows of 40.
int32_t sheet_tiles() {
    int32_t w = 0, h = 0;
    if (!gfx_picture_bits(g_btl_bmap_image.get(), &w, &h) || w < 640) return 0;
    return (h / 16) * 40;
}

}  // namespace

int32_t btl_choose_backdrop_kind(int32_t stage, int32_t t) {
    const int32_t e = stage >= 0 && stage < 40 ? g_btl_stage_backdrop[static_cast<size_t>(stage)] : 0;
    if (e == 0) {
        switch (t) {
            case 3: return 1;
            case 5: return 10;
            case TERRAIN_WATER: return BTL_WATER;
            case TERRAIN_SEVEN: return 17;
            default: return 0;
        }
    }
    if (e == 5) return t == 3 ? 12 : 5;
    return e;
}

int32_t btl_scene_backdrop_kind(int32_t kind, int32_t stage, int32_t t, int32_t a, int32_t right_class) {
    const bool stage_31_32 = stage == 31 || stage == 32;
    if (t == TERRAIN_SEVEN && a != TERRAIN_SEVEN) return stage_31_32 ? 7 : BTL_WATER;
    if (stage_31_32) kind = 7;
    if (right_class == CLASS_FIRST_FORM) kind = 24;
    return kind;
}

void btl_load_bmap_image(int32_t kind) {
    char name[16];
    std::snprintf(name, sizeof name, "a:BMAP_%c.gem", kind_letter(kind));
    g_btl_bmap_image.reset(btl_load_picture(name));
    if (!g_btl_bmap_image) {
        util_memory_error();
        return;
    }
    gfx_get_palette16(g_btl_bmap_image.get(), &g_btl_palette);
}

void btl_load_bmap_grid(int32_t kind) {
    char name[16];
    std::snprintf(name, sizeof name, "%c:BMAP_%c.MPZ", g_stage_index == 13 ? 'C' : 'B', kind_letter(kind));
    HeapBlock file(file_load_data(name));
    if (!file) {
        util_memory_error();
        return;
    }
    // A grid shorter than the format's size, or with no block to take it,
    // gives no grid: no tiles are drawn.
    if (g_loaded_file_size < BMAP_FILE_SIZE || !g_btl_bmap_grid) return;
    std::memcpy(g_btl_bmap_grid.get(), file.get() + BMAP_HEADER_SIZE, BMAP_COLS * BMAP_ROWS * 2);
    g_grid_filled = true;
}

void btl_load_bmap(int32_t kind) {
    g_btl_backdrop_kind = kind;
    btl_load_bmap_image(kind);
    btl_load_bmap_grid(kind);
}

void btl_alloc_background() {
    g_btl_bmap_grid.reset(static_cast<uint8_t*>(std::calloc(1, BMAP_BLOCK_SIZE)));
    g_grid_filled = false;
    if (!g_btl_bmap_grid) util_memory_error();
}

int32_t btl_bmap_tile(int32_t r, int32_t c) {
    const uint8_t* g = g_btl_bmap_grid.get();
    if (!g || !g_grid_filled || r < 0 || r >= BMAP_ROWS || c < 0 || c >= BMAP_COLS) return -1;
    const uint8_t* p = g + 2 * static_cast<size_t>(r * BMAP_COLS + c);
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

void btl_draw_bmap_rows(int32_t scroll) {
    // Only a scene that made a grid block has a band (the plain battle has none).
    if (!g_btl_bmap_grid) return;
    // Without a grid the band is black: the fighters of the frame before
    // must not stay on the map picture under it.
    if (!g_grid_filled) {
        gfx_fill_rect(0, BAND_TOP, SCREEN_W - 1, BAND_TOP + 16 * BMAP_ROWS - 1, 0);
        return;
    }
    const int32_t tiles = sheet_tiles();
    const int32_t first = std::clamp(scroll, 0, BTL_SCROLL_MAX) / 2;
    for (int32_t r = 0; r < BMAP_ROWS; ++r)
        for (int32_t c = 0; c < 40; ++c) {
            const int32_t n = btl_bmap_tile(r, c + first);
            // Negative numbers draw nothing; a number past the sheet (or any
            // number when the sheet is missing) is a black tile.
            if (n < 0) continue;
            const int32_t y = BAND_TOP + 16 * r;
            if (n >= tiles)
                gfx_fill_rect(16 * c, y, 16 * c + 15, y + 15, 0);
            else
                gfx_draw_tile16(2 * c - 2, y, g_btl_bmap_image.get(), n);
        }
}

void btl_draw_bmap_rows_scrolled() { btl_draw_bmap_rows(g_btl_view_scroll); }
