// Stage map and terrain, map view state.
#include "tactics/map.h"

// PENDING: the map file reader, terrain tables and map view (map issue).
uint8_t* g_tile_sheet_overlay = nullptr;
uint8_t* g_tile_sheet_base = nullptr;
int32_t g_tile_overlay_limit = 0;
int32_t g_zoom = 1;
