// Movement range costs: a full fill and a trace for a unit in the middle of
// a 60 x 60 map of mixed terrain with 40 units on it, half of each side.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "tactics/map.h"
#include "tactics/move.h"
#include "tactics/units.h"

namespace {

void set_up_field() {
    std::memset(&g_map, 0, sizeof g_map);
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    const int16_t side = MAP_SIDE;
    std::memcpy(g_map.header + 6, &side, 2);
    std::memcpy(g_map.header + 8, &side, 2);
    g_terrain_class_of_tile = g_tileset_terrain[0].data();
    // Tiles chosen by a fixed pattern from the tile set's grass-like and
    // rough classes, so that the fill meets several costs.
    int32_t tiles[3] = {-1, -1, -1};
    const uint32_t wanted[3] = {5, 2, 1};
    for (int k = 0; k < 3; ++k)
        for (int t = 0; t < MAP_TILES && tiles[k] < 0; ++t)
            if (g_terrain_class_of_tile[t] == wanted[k]) tiles[k] = t;
    for (int y = 0; y < MAP_SIDE; ++y)
        for (int x = 0; x < MAP_SIDE; ++x) {
            const int k = (x * 7 + y * 13) % 11 == 0 ? 2 : ((x + y) % 5 == 0 ? 1 : 0);
            g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(tiles[k] < 0 ? 1 : tiles[k]);
        }
    g_units = {};
    for (int i = 0; i < 40; ++i) {
        const int slot = i < 20 ? i : 18 + (i - 20);
        UnitRecord& u = g_units[static_cast<size_t>(slot)];
        u.number = static_cast<int16_t>(slot + 1);
        // The mover in the middle, the others spread around it.
        u.x = static_cast<int16_t>(i == 0 ? 30 : (i * 17) % 60);
        u.y = static_cast<int16_t>(i == 0 ? 30 : (i * 29 + 7) % 60);
        if (i != 0 && std::abs(u.x - 30) + std::abs(u.y - 30) < 3) u.x = static_cast<int16_t>((u.x + 5) % 60);
        u.stats.class_id = 12;  // the cheapest mover: the widest fill
        u.stats.hp = u.stats.max_hp = 30;
        u.stats.ai_mode = static_cast<int16_t>(i < 20 ? 0 : 2);
        g_occupancy.cells[u.y * MAP_SIDE + u.x] = static_cast<uint8_t>(slot + 1);
    }
}

void BM_MoveFloodAndTrace(benchmark::State& state) {
    set_up_field();
    if (!map_alloc_move_range()) {
        state.SkipWithError("no grid");
        return;
    }
    UnitRecord* u = &g_units[0];
    MovePath path{};
    int32_t steps = 0;
    for (auto _ : state) {
        map_mark_all_cells(g_map.cells);
        map_prepare_move_range(u);
        // The farthest reachable cell of the column through the unit.
        int32_t ty = u->y;
        for (int32_t y = 0; y < MAP_SIDE; ++y)
            if (!(g_map.cells[y * MAP_SIDE + u->x] & MAP_MARK) && y > ty) ty = y;
        steps = map_trace_move_path(u, u->x, ty, path);
        benchmark::DoNotOptimize(steps);
        g_occupancy.cells[u->y * MAP_SIDE + u->x] &= OCC_UNIT_MASK;
    }
    state.counters["steps"] = steps;
    map_free_move_range();
}
BENCHMARK(BM_MoveFloodAndTrace);

}  // namespace
