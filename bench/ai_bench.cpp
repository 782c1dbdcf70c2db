// Enemy AI cost: one enemy phase of 20 enemies against 10 party units on a
// 40 x 40 map of mixed ground, plain battles, no walking animation.
#include <benchmark/benchmark.h>

#include <cstring>

#include "battle/battle.h"
#include "bench/bench_machine.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "sys/headless/headless.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

constexpr int BENCH_SIDE = 40;

int tile_of_class(uint32_t terrain) {
    for (int t = 0; t < MAP_TILES; ++t)
        if (g_tileset_terrain[0][static_cast<size_t>(t)] == terrain) return t;
    return 0;
}

void set_up_field() {
    std::memset(&g_map, 0, sizeof g_map);
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    const int16_t side = BENCH_SIDE;
    std::memcpy(g_map.header + 6, &side, 2);
    std::memcpy(g_map.header + 8, &side, 2);
    g_map_tile_set = 0;
    g_terrain_class_of_tile = g_tileset_terrain[0].data();
    const int tiles[3] = {tile_of_class(1), tile_of_class(2), tile_of_class(5)};
    for (int y = 0; y < BENCH_SIDE; ++y)
        for (int x = 0; x < BENCH_SIDE; ++x)
            g_map.cells[y * MAP_SIDE + x] =
                static_cast<uint8_t>(tiles[(x * 7 + y * 13) % 11 == 0 ? 2 : (x + y) % 5 == 0]);
    g_units = {};
    for (int i = 0; i < 10; ++i) {
        UnitStats s{};
        s.char_id = static_cast<int16_t>(i == 0 ? 1 : (i == 1 ? 2 : 10));
        s.class_id = 6;
        s.level = 60;  // no experience window waits for a click
        s.hp = s.max_hp = 30;
        s.weapon = 38;
        unit_place_new(4 + i * 3, 20 + (i % 3), &s);
    }
    for (int i = 0; i < 20; ++i) {
        UnitStats s{};
        s.char_id = 10;
        s.class_id = 35;
        s.hp = s.max_hp = 30;
        s.ai_mode = static_cast<int16_t>(i % 4 == 0 ? AI_MODE_CHASE_NEAR : AI_MODE_ADVANCE);
        s.weapon = i % 3 == 0 ? 41 : 38;
        unit_place_new(2 + (i % 10) * 4, i < 10 ? 13 + (i % 4) : 25 + (i % 4), &s);
    }
}

void BM_EnemyPhase20Enemies(benchmark::State& state) {
    // A headless machine: each unit step waits for frames in virtual time.
    bench_start_machine();
    int64_t virtual_ms = 0;
    g_zoom = -1;
    g_opt_move_anim = 0;
    g_opt_battle_real = 0;
    // The fighting shows in the party's HP: what it lost over the phase.
    int64_t party_hp_lost = 0;
    auto party_hp = [] {
        int64_t hp = 0;
        for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) hp += g_units[static_cast<size_t>(s)].stats.hp;
        return hp;
    };
    for (auto _ : state) {
        state.PauseTiming();
        set_up_field();
        const int64_t hp_before = party_hp();
        state.ResumeTiming();
        const uint32_t t0 = sys_headless_clock();
        g_enemy_phase = 1;
        turn_enemy_phase();
        g_enemy_phase = 0;
        virtual_ms += sys_headless_clock() - t0;
        party_hp_lost += hp_before - party_hp();
    }
    state.counters["party_hp_lost"] =
        benchmark::Counter(static_cast<double>(party_hp_lost) / static_cast<double>(state.iterations()));
    state.counters["virtual_ms"] =
        benchmark::Counter(static_cast<double>(virtual_ms), benchmark::Counter::kAvgIterations);
    gfx_screens_free();
    sys_shutdown();
}
BENCHMARK(BM_EnemyPhase20Enemies)->Unit(benchmark::kMicrosecond);

}  // namespace
