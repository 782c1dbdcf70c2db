// Stage map and terrain: the map record with its cell bytes, the occupancy
// grid, the stage map file reader, the tile sets with their terrain tables,
// the map graphics (unit sheet and tile sheet) and small grid operations.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/heap.h"
#include "platform/palette.h"

static_assert(std::endian::native == std::endian::little, "records are laid out little-endian");

constexpr int32_t MAP_SIDE = 60;  // cells per row and rows, whatever the stage size
constexpr int32_t MAP_HEADER_SIZE = 48;
constexpr int32_t MAP_CELLS = MAP_SIDE * MAP_SIDE;  // 3,600
constexpr int32_t MAP_TILES = 120;                  // tile numbers 0..119
constexpr int32_t MAP_TILE_SETS = 8;
constexpr int32_t TERRAIN_CLASSES = 11;  // 0..10; 0 is impassable
constexpr uint8_t MAP_MARK = 0x80;       // cell byte bit 7
constexpr uint8_t MAP_TILE_MASK = 0x7F;
constexpr uint8_t OCC_UNIT_MASK = 0x3F;  // occupancy bits 0..5: unit number
constexpr uint8_t OCC_MARK_A = 0x40;     // occupancy highlight marks
constexpr uint8_t OCC_MARK_B = 0x80;

// The map record, saved whole in save files: the map file's 48-byte header
// (width at byte 6, height at byte 8, i16) and 60 x 60 cell bytes, row y at
// cells[y * 60]. Cell byte: tile number in bits 0..6, the mark in bit 7.
struct MapBuffer {
    uint8_t header[MAP_HEADER_SIZE];
    uint8_t cells[MAP_CELLS];
};
static_assert(sizeof(MapBuffer) == 3648);
static_assert(offsetof(MapBuffer, cells) == 48);

// Which unit stands on each cell: unit number (slot + 1) in bits 0..5, two
// highlight marks in bits 6 and 7; row y at cells[y * 60].
struct OccupancyGrid {
    uint8_t cells[MAP_CELLS];
};
static_assert(sizeof(OccupancyGrid) == 3600);

extern MapBuffer g_map;
extern OccupancyGrid g_occupancy;

// Tile sheets of the current tile set (pictures), the first overlay tile
// number past the unit frames of the sprite-set list, and the view's zoom
// (1 or 2; -1 before the first set-up).
extern uint8_t* g_tile_sheet_overlay;
extern uint8_t* g_tile_sheet_base;
extern int32_t g_tile_overlay_limit;
extern int32_t g_zoom;

// Terrain class of every tile number in the current tile set (points into
// g_tileset_terrain; never null).
extern const uint32_t* g_terrain_class_of_tile;
extern const std::array<std::array<uint32_t, MAP_TILES>, MAP_TILE_SETS> g_tileset_terrain;
extern const std::array<int32_t, 41> g_stage_tileset;
extern const std::array<int32_t, MAP_TILE_SETS> g_tileset_colour_cycle;
// Names by tile set and terrain class; "" where a class has no name.
extern const char* const g_terrain_names[MAP_TILE_SETS][TERRAIN_CLASSES];
// Per cent of damage taken by a unit standing on terrain classes 1..10
// (index class - 1).
extern const std::array<int32_t, 10> g_terrain_defence;

// The tile set whose graphics and terrain table are loaded (0..7).
extern int32_t g_map_tile_set;
// Set by the reload after an animated battle: the loader then leaves the
// palettes and the back image alone.
extern int32_t g_map_gfx_reload;
// The tile sheet's colours with colour 14 replaced by colour 6.
extern Palette16 g_map_palette;

// Width and height of the stage in cells (the header's i16 at 6 and 8).
int32_t map_width();
int32_t map_height();
// 1 when (x, y) lies on the stage's width and height.
int32_t map_on_map(int32_t x, int32_t y);
// Terrain class of the tile on cell (x, y); 0 off the map.
int32_t map_terrain_class_at(int32_t x, int32_t y);
// Per cent of damage taken on a terrain class (100 outside 0..10), and the
// per cent of max HP healed per phase (30 on class 5, 20 on class 8).
int32_t map_terrain_damage_percent(int32_t terrain);
int32_t map_terrain_heal_percent(int32_t terrain);

// Fills g_map from the stage's map file "?:stage??.map" (?? = stage + 1).
// 1 when a map was read; 0 leaves the map all 0 after "Memory Error".
int32_t map_load_stage_map(int32_t stage);
// Selects the tile set's terrain table and colour cycling, loads the unit
// sheet of the current chapter module and the tile sheet, and sets the
// scene palettes.
void map_load_map_graphics(int32_t tile_set);
void map_free_map_graphics();
// "a:walk??.gem" (?? = n), or null after "Memory Error".
HeapBlock map_load_walk_sheet(int32_t n);

// Walk sheet n as the cell sheet (g_cell32_sheet) for as long as this lives;
// nothing changes when it cannot be loaded. The sheet before it comes back
// at the end, also when a quit unwinds the scene.
class MapWalkSheet {
public:
    explicit MapWalkSheet(int32_t n);
    ~MapWalkSheet();
    MapWalkSheet(const MapWalkSheet&) = delete;
    MapWalkSheet& operator=(const MapWalkSheet&) = delete;
    explicit operator bool() const { return sheet_ != nullptr; }

private:
    HeapBlock sheet_;
    uint8_t* kept_;
};

// Steps (x, y) one cell: 0 up, 1 right, 2 down, 3 left, anything else no
// step. 1 when the result lies on the map, else 0 (moved either way).
int32_t map_step_dir(int32_t* x, int32_t* y, int32_t direction);
int32_t map_manhattan_distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Set or clear bit 7 of all 3,600 bytes of a grid.
void map_mark_all_cells(uint8_t* grid);
void map_unmark_all_cells(uint8_t* grid);

// Resets this module's state to its values at program start (tests).
void map_reset();
