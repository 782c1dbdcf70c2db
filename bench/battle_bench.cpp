// Battle scene cost: one animated frame (backdrop band, two fighters, their
// companions, the spark and four effect actors), and a whole animated battle
// of two wizards, attack and counter, on the headless back end.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "battle/battle.h"
#include "bench/bench_machine.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "sys/headless/headless.h"
#include "tactics/settings.h"
#include "tactics/units.h"

namespace {

void start_machine() {
    bench_start_machine();
    g_chapter = 2;
    g_stage_index = 1;
}

void stop_machine() {
    btl_reset();
    gfx_screens_free();
    sys_shutdown();
}

UnitStats wizard(int ch, int mode) {
    UnitStats s{};
    s.char_id = static_cast<int16_t>(ch);
    s.class_id = 13;
    s.level = 60;  // no experience window waits for a click
    s.hp = s.max_hp = 120;
    s.attack = 10;
    s.ai_mode = static_cast<int16_t>(mode);
    s.weapon = 38;
    return s;
}

void BM_AnimatedBattleFrame(benchmark::State& state) {
    start_machine();
    UnitStats a = wizard(1, 0), d = wizard(10, 3);
    int16_t status = 100;
    g_btl_target_status_ptr = &status;
    g_btl_combatant[0] = &a;
    g_btl_combatant[1] = &d;
    g_btl_animated = 1;
    g_btl_backdrop_kind = 0;
    btl_alloc_background();
    btl_scene_init(0);
    btl_scene_begin();
    // The spark and four effect actors from the move sheet, in view.
    btl_load_actor_sprite(MOVE_SHEET_ACTOR, 13, 1);
    BattleActor& spark = g_btl_actor[static_cast<size_t>(g_btl_spark_actor)];
    spark.x = 40, spark.y = 200, spark.layer = 3, spark.frame = 8;
    for (int i = 0; i < 4; ++i) {
        const int n = btl_take_actor();
        BattleActor& e = g_btl_actor[static_cast<size_t>(n)];
        btl_actor_set_present(n, true);
        e.slot = g_btl_actor[MOVE_SHEET_ACTOR].slot;
        e.layer = 3;
        e.x = static_cast<int16_t>(25 + 5 * i);
        e.y = 240;
        e.frame = static_cast<int16_t>(27 + i % 3);
    }
    btl_set_view_scroll(20);
    for (auto _ : state) btl_draw_actors_and_flip(0);
    stop_machine();
}
BENCHMARK(BM_AnimatedBattleFrame)->Unit(benchmark::kMicrosecond);

void BM_AnimatedWizardBattle(benchmark::State& state) {
    start_machine();
    g_opt_battle_speed = 3;
    int64_t virtual_ms = 0;
    for (auto _ : state) {
        UnitStats a = wizard(1, 0), d = wizard(10, 3);
        int16_t status = 100;
        g_btl_target_status_ptr = &status;
        const int16_t terrain[2] = {1, 1};
        const uint32_t t0 = sys_headless_clock();
        btl_animated_battle(terrain, 0, 0, &a, &d);
        virtual_ms += sys_headless_clock() - t0;
    }
    state.counters["virtual_ms"] =
        benchmark::Counter(static_cast<double>(virtual_ms), benchmark::Counter::kAvgIterations);
    stop_machine();
}
BENCHMARK(BM_AnimatedWizardBattle)->Unit(benchmark::kMillisecond);

// Classes 0 to 14: the priest's falling rocks (six effect actors) and the
// sword master's counter.
void BM_AnimatedPriestBattle(benchmark::State& state) {
    start_machine();
    g_opt_battle_speed = 3;
    for (auto _ : state) {
        UnitStats a = wizard(1, 0), d = wizard(10, 3);
        a.class_id = 11;
        d.class_id = 7;
        int16_t status = 100;
        g_btl_target_status_ptr = &status;
        const int16_t terrain[2] = {1, 1};
        btl_animated_battle(terrain, 0, 0, &a, &d);
    }
    stop_machine();
}
BENCHMARK(BM_AnimatedPriestBattle)->Unit(benchmark::kMillisecond);

}  // namespace
