// Map view costs: a full redraw of the view (clear, every cell with its tile
// and the units on it, the copy to the background image) at zoom 1 and 2.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"

namespace {

// The kit's stage 1 with its units and a sheet of each kind loaded.
bool set_up_stage() {
    gfx_screens_alloc();
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s/dat/", ROWEN_KIT_DIR);
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s/bmp/", ROWEN_KIT_DIR);
    g_module_index = 1;
    g_map_gfx_reload = 1;  // no palette set-up, which would wait for a window
    if (!map_load_stage_map(0)) return false;
    map_load_map_graphics(g_stage_tileset[0]);
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    unit_load_stage_units(0, 1);
    return g_tile_sheet_base && g_tile_sheet_overlay;
}

void tear_down() {
    map_free_map_graphics();
    g_map_gfx_reload = 0;
    gfx_screens_free();
}

void redraw_at_zoom(benchmark::State& state, int zoom) {
    if (!set_up_stage()) {
        state.SkipWithError("the sample kit is missing");
        tear_down();
        return;
    }
    g_zoom = -1;
    map_set_zoom(zoom);
    map_center_view_on(19, 30);
    for (auto _ : state) {
        map_redraw_view();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * g_view_cols * g_view_rows);
    tear_down();
}

}  // namespace

static void BM_MapRedrawZoom1(benchmark::State& state) { redraw_at_zoom(state, 1); }
BENCHMARK(BM_MapRedrawZoom1)->Unit(benchmark::kMicrosecond);

static void BM_MapRedrawZoom2(benchmark::State& state) { redraw_at_zoom(state, 2); }
BENCHMARK(BM_MapRedrawZoom2)->Unit(benchmark::kMicrosecond);
