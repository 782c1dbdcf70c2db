// Stage map and terrain, map view state.
#pragma once

#include <cstdint>

// Tile sheets of the current tile set (pictures), the first overlay tile
// number past the base tiles, and the view's zoom.
extern uint8_t* g_tile_sheet_overlay;
extern uint8_t* g_tile_sheet_base;
extern int32_t g_tile_overlay_limit;
extern int32_t g_zoom;
