// Stage map and terrain.
#include "tactics/map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "story/hooks.h"
#include "tactics/map_view.h"

MapBuffer g_map{};
OccupancyGrid g_occupancy{};

uint8_t* g_tile_sheet_overlay = nullptr;
uint8_t* g_tile_sheet_base = nullptr;
int32_t g_tile_overlay_limit = 0;
int32_t g_zoom = -1;

int32_t g_map_tile_set = 0;
int32_t g_map_gfx_reload = 0;
Palette16 g_map_palette{};

const std::array<int32_t, 41> g_stage_tileset = {4, 0, 0, 1, 0, 5, 6, 6, 5, 0, 1, 0, 5, 0, 0, 0, 0, 5, 0, 5, 5,
                                                 6, 2, 2, 1, 0, 0, 3, 3, 0, 2, 3, 3, 5, 5, 4, 4, 4, 4, 7, 0};

const std::array<int32_t, MAP_TILE_SETS> g_tileset_colour_cycle = {1, 0, 0, 1, 0, 1, 0, 0};

const std::array<std::array<uint32_t, MAP_TILES>, MAP_TILE_SETS> g_tileset_terrain = {{
    {2, 1, 1, 1, 2, 2, 1, 1, 3, 3, 3, 6, 6, 1, 1, 5, 4, 1, 4, 3, 2, 2, 1, 1, 1, 1, 1, 1, 3, 3,
     3, 1, 1, 6, 6, 6, 7, 7, 7, 7, 1, 1, 1, 1, 8, 5, 0, 2, 2, 2, 2, 1, 6, 6, 1, 8, 2, 1, 1, 9,
     0, 0, 0, 0, 8, 8, 0, 6, 6, 6, 6, 6, 6, 2, 2, 6, 9, 8, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 8, 6, 2, 2, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 2, 2, 2, 2, 0, 2, 2, 0, 0, 2,
     0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 2, 2, 8, 8, 8, 8, 8, 8, 8, 8, 8, 2, 2, 0, 0, 0, 0, 0, 0, 0,
     2, 0, 0, 0, 8, 0, 0, 9, 2, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, 2, 0, 2, 0, 0,
     2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0, 4, 0, 0, 0},
    {10, 2,  10, 10, 2,  1,  1,  1,  8,  10, 10, 2,  10, 10, 0,  10, 0,  0,  10, 10, 10, 10, 10, 10,
     10, 1,  1,  1,  10, 10, 10, 10, 10, 3,  2,  2,  2,  2,  2,  2,  10, 10, 10, 10, 10, 2,  2,  10,
     2,  10, 4,  10, 10, 0,  10, 10, 2,  0,  0,  0,  10, 2,  10, 10, 10, 10, 10, 10, 1,  1,  1,  10,
     10, 2,  10, 10, 2,  2,  2,  2,  10, 10, 10, 10, 10, 10, 2,  10, 10, 2,  10, 10, 2,  10, 10, 10,
     2,  0,  0,  0,  10, 10, 10, 10, 10, 2,  2,  2,  2,  2,  2,  2,  2,  2,  10, 10, 2,  10, 10, 10},
    {2, 2, 2, 2, 7, 7, 2, 2, 2, 2, 0, 0, 0, 0, 0, 7, 7, 2, 2, 0, 0, 0, 0, 0, 0, 9, 9, 9, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     7, 7, 7, 2, 2, 2, 7, 2, 2, 0, 2, 2, 2, 9, 3, 7, 7, 7, 7, 7, 7, 7, 2, 2, 2, 2, 7, 0, 0, 0,
     0, 2, 2, 2, 3, 2, 2, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 2,  0,  3,  3,  3,  9,  9, 0, 0, 0, 10, 10, 10, 10, 10, 8, 8, 2, 0, 0, 2,  1,  8,  0,  9,  0,  0,
     0, 0, 0, 10, 10, 10, 10, 10, 8,  8, 2, 0, 0, 0,  3,  1,  9,  9,  0, 8, 9, 0, 0, 10, 10, 10, 0,  0,  0,  0,
     0, 0, 0, 10, 10, 1,  0,  10, 2,  0, 0, 0, 0, 0,  8,  8,  0,  0,  2, 0, 2, 2, 2, 2,  10, 5,  10, 10, 2,  0,
     0, 0, 0, 2,  2,  2,  2,  0,  10, 2, 0, 0, 0, 10, 2,  2,  10, 10, 2, 0, 0, 1, 2, 2,  2,  2,  2,  0,  10, 2},
    {2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 2, 1, 3, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0,  0, 0,
     1, 1, 1, 3, 3, 3, 2, 0, 0, 0, 2, 0, 2, 2, 0, 0, 9, 0, 0, 0, 0, 0, 2, 2, 2, 0, 0, 7,  7, 0,
     0, 0, 9, 9, 9, 0, 0, 0, 2, 2, 0, 2, 4, 2, 4, 0, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 9,
     0, 2, 0, 2, 4, 0, 7, 7, 7, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 2, 2, 4, 2, 7, 7,  7, 2},
    {2, 1, 1, 2, 2, 2, 1, 1, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 1, 1, 1, 1, 1, 1, 3, 3,
     0, 2, 0, 2, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 1,
     0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 4, 0, 0, 0, 0, 5, 1, 0, 0, 4, 0, 0, 0, 0, 0},
    {10, 10, 10, 10, 2,  10, 10, 0,  0,  0,  0,  10, 10, 10, 10, 10, 2,  10, 2,  2,  0,  10, 2,  2,
     10, 10, 10, 0,  10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 2,  2,  10, 2,  10, 10, 10, 10, 10, 0,
     2,  2,  2,  10, 10, 10, 10, 10, 10, 10, 2,  2,  10, 10, 10, 10, 10, 10, 10, 4,  4,  10, 10, 10,
     10, 10, 10, 10, 10, 10, 2,  10, 1,  1,  1,  1,  1,  1,  1,  4,  4,  10, 10, 10, 10, 10, 10, 10,
     8,  9,  2,  2,  1,  1,  1,  1,  1,  1,  1,  1,  1,  10, 10, 10, 10, 10, 10, 10, 0,  9,  1,  1},
}};

const uint32_t* g_terrain_class_of_tile = g_tileset_terrain[0].data();

const char* const g_terrain_names[MAP_TILE_SETS][TERRAIN_CLASSES] = {
    {"이동불가", "초원", "길 다리", "숲", "황무지", "거리마을", "얕은여울", "깊은 곳", "성 요새", "산", ""},
    {"이동불가", "", "바닥", "화물", "불탄자리", "", "", "", "의자", "계단", ""},
    {"이동불가", "초원", "산길", "숲", "바위터", "", "", "", "오두막", "", "공중"},
    {"이동불가", "", "통로", "사슬", "", "", "", "수로", "", "계단", ""},
    {"이동불가", "초원", "바닥", "숲", "초원", "마법진", "", "", "의자", "계단", "공중"},
    {"이동불가", "초원", "바닥", "숲", "기둥", "", "", "수로", "", "계단", "갓슬레이"},
    {"이동불가", "초원", "지면", "숲", "황무지", "거리마을", "", "", "", "", ""},
    {"이동불가", "옥좌", "지면", "", "나락", "마법진", "", "", "마법진", "계단", "공중"},
};

const std::array<int32_t, 10> g_terrain_defence = {90, 100, 70, 80, 60, 90, 100, 60, 70, 100};

namespace {

int16_t read_i16(const uint8_t* p) {
    int16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Colour table entries of a picture block (0 means 256).
uint32_t picture_colours(const uint8_t* picture) {
    DibInfoHeader h;
    std::memcpy(&h, picture, sizeof h);
    return (h.clr_used == 0 || h.clr_used > 256) ? 256 : h.clr_used;
}

}  // namespace

int32_t map_width() { return read_i16(g_map.header + 6); }
int32_t map_height() { return read_i16(g_map.header + 8); }

int32_t map_on_map(int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < map_width() && y < map_height() && x < MAP_SIDE && y < MAP_SIDE;
}

int32_t map_terrain_class_at(int32_t x, int32_t y) {
    if (!map_on_map(x, y)) return 0;
    const uint32_t tile = g_map.cells[y * MAP_SIDE + x] & MAP_TILE_MASK;
    return tile < static_cast<uint32_t>(MAP_TILES) ? static_cast<int32_t>(g_terrain_class_of_tile[tile]) : 0;
}

int32_t map_terrain_damage_percent(int32_t terrain) {
    if (terrain < 1 || terrain > 10) return 100;
    return g_terrain_defence[static_cast<size_t>(terrain - 1)];
}

int32_t map_terrain_heal_percent(int32_t terrain) {
    if (terrain == 5) return 30;
    if (terrain == 8) return 20;
    return 0;
}

int32_t map_load_stage_map(int32_t stage) {
    std::memset(&g_map, 0, sizeof g_map);
    char name[32];
    std::snprintf(name, sizeof name, "%c:stage%02d.map", static_cast<char>(file_data_drive_letter()),
                  (stage + 1) % 100);
    const HeapBlock block(file_load_data(name));
    if (!block) {
        util_memory_error();
        return 0;
    }
    const size_t size = g_loaded_file_size;
    std::memcpy(&g_map, block.get(), size < sizeof g_map ? size : sizeof g_map);

    // A header cut short or a size outside 1..60 cannot be laid out: the map
    // stays empty (all tile 0).
    const int32_t w = size >= 10 ? map_width() : 0;
    const int32_t h = size >= 10 ? map_height() : 0;
    if (w < 1 || w > MAP_SIDE || h < 1 || h > MAP_SIDE) {
        std::memset(&g_map, 0, sizeof g_map);
        util_memory_error();
        return 0;
    }

    // Rows come packed at the stage's width: move them to the 60-byte stride
    // from the last row up, so no row is overwritten before it has moved.
    uint8_t row[MAP_SIDE];
    for (int32_t r = h - 1; r >= 0; --r) {
        std::memcpy(row, g_map.cells + r * w, static_cast<size_t>(w));
        std::memcpy(g_map.cells + r * MAP_SIDE, row, static_cast<size_t>(w));
        std::memset(g_map.cells + r * MAP_SIDE + w, 0, static_cast<size_t>(MAP_SIDE - w));
    }
    std::memset(g_map.cells + h * MAP_SIDE, 0, static_cast<size_t>((MAP_SIDE - h) * MAP_SIDE));
    // Tile numbers 120..127 have no tile nor terrain: they read as tile 0.
    for (int32_t i = 0; i < h * MAP_SIDE; ++i)
        if ((g_map.cells[i] & MAP_TILE_MASK) >= MAP_TILES) g_map.cells[i] &= MAP_MARK;
    return 1;
}

void map_load_map_graphics(int32_t tile_set) {
    if (tile_set < 0 || tile_set >= MAP_TILE_SETS) tile_set = 0;
    g_map_tile_set = tile_set;
    g_terrain_class_of_tile = g_tileset_terrain[static_cast<size_t>(tile_set)].data();
    g_colour_cycle_on = g_tileset_colour_cycle[static_cast<size_t>(tile_set)];
    // A sheet still loaded is let go first, so a second load never leaks.
    map_free_map_graphics();

    // The unit sheet of the chapter module; module 0 (before a chapter has
    // run) shares module 2's sprite set, so it takes its sheet too.
    const int32_t module = map_sprite_module(g_module_index);
    char name[32];
    std::snprintf(name, sizeof name, "%c:mapchar%d.gem", static_cast<char>(file_data_drive_letter()), module - 1);
    g_tile_sheet_overlay = file_load_data(name);
    if (!g_tile_sheet_overlay) util_memory_error();
    map_select_sprite_list(module);
    if (g_tile_sheet_overlay && g_back_dib)
        std::memcpy(gfx_dib_colours(g_back_dib), g_tile_sheet_overlay + 40, picture_colours(g_tile_sheet_overlay) * 4);

    std::snprintf(name, sizeof name, "%c:map_%c.gem", static_cast<char>(file_data_drive_letter()),
                  static_cast<char>('a' + tile_set));
    g_tile_sheet_base = file_load_data(name);
    if (!g_tile_sheet_base) {
        util_memory_error();
    } else {
        const uint32_t n = picture_colours(g_tile_sheet_base) < 16 ? picture_colours(g_tile_sheet_base) : 16;
        if (g_back_dib) std::memcpy(gfx_dib_colours(g_back_dib), g_tile_sheet_base + 40, n * 4);
        gfx_get_palette16(g_tile_sheet_base, &g_default_palette);
        g_map_palette = g_default_palette;
        std::memcpy(g_map_palette.colour[14], g_map_palette.colour[6], 3);
    }

    if (!g_map_gfx_reload) {
        if (g_colour_cycle_on) {
            g_default_palette.colour[14][0] = 15;
            g_default_palette.colour[14][1] = 11;
            g_default_palette.colour[14][2] = 8;
        }
        gfx_clear_screen();
        const Palette16 base = g_default_palette;
        gfx_set_scene_palettes(&base, &g_white_palette, &g_scene_palette);
        gfx_set_palette16(&g_scene_palette);
    }
}

void map_free_map_graphics() {
    std::free(g_tile_sheet_overlay);
    std::free(g_tile_sheet_base);
    g_tile_sheet_overlay = nullptr;
    g_tile_sheet_base = nullptr;
}

HeapBlock map_load_walk_sheet(int32_t n) {
    HeapBlock sheet;
    if (n >= 0 && n <= 99) {
        char name[32];
        std::snprintf(name, sizeof name, "a:walk%02d.gem", n);
        sheet.reset(file_load_data(name));
    }
    if (!sheet) util_memory_error();
    return sheet;
}

MapWalkSheet::MapWalkSheet(int32_t n) : sheet_(map_load_walk_sheet(n)), kept_(g_cell32_sheet) {
    if (sheet_) g_cell32_sheet = sheet_.get();
}

MapWalkSheet::~MapWalkSheet() { g_cell32_sheet = kept_; }

int32_t map_step_dir(int32_t* x, int32_t* y, int32_t direction) {
    switch (direction) {
        case 0: --*y; break;
        case 1: ++*x; break;
        case 2: ++*y; break;
        case 3: --*x; break;
        default: break;
    }
    return *x >= 0 && *x < map_width() && *y >= 0 && *y < map_height();
}

int32_t map_manhattan_distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return std::abs(x1 - x2) + std::abs(y1 - y2);
}

void map_mark_all_cells(uint8_t* grid) {
    for (int32_t i = 0; i < MAP_CELLS; ++i) grid[i] |= MAP_MARK;
}

void map_unmark_all_cells(uint8_t* grid) {
    for (int32_t i = 0; i < MAP_CELLS; ++i) grid[i] &= static_cast<uint8_t>(~MAP_MARK);
}

void map_reset() {
    map_free_map_graphics();
    g_map = {};
    g_occupancy = {};
    g_tile_overlay_limit = 0;
    g_zoom = -1;
    g_map_tile_set = 0;
    g_map_gfx_reload = 0;
    g_map_palette = {};
    g_terrain_class_of_tile = g_tileset_terrain[0].data();
}
