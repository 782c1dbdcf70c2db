// Test fixtures for battle scenes: two fighters of the wizard's class, a
// scene set up as the entries set it up, one move run as the exchange runs
// it, and the reaction states a fighter takes while something runs; and
// fighters put on a map for the attack command.
#pragma once

#include <vector>

#include "battle/battle.h"
#include "tactics/units.h"
#include "tests/loop_fixture.h"

class SceneTest : public LoopTest {
protected:
    UnitStats a{}, d{};
    int16_t status = 100;

    void SetUp() override {
        LoopTest::SetUp();
        btl_reset();
        g_stage_index = 1;
        g_opt_battle_speed = 0;
        a = MapTest::stats(10, 13, 0, 60);
        d = MapTest::stats(11, 13, 3, 60);
        g_btl_target_status_ptr = &status;
    }
    void TearDown() override {
        btl_reset();
        LoopTest::TearDown();
    }

    // The scene as the entries set it up, up to the first move's entry.
    void begin(bool animated, int side = 0) {
        btl_reset();
        g_btl_target_status_ptr = &status;
        g_btl_combatant[0] = &a;
        g_btl_combatant[1] = &d;
        g_btl_terrain[0] = g_btl_terrain[1] = 0;
        g_btl_attacker_side = static_cast<uint16_t>(side);
        g_btl_animated = animated ? 1 : 0;
        if (animated) {
            g_btl_backdrop_kind = btl_choose_backdrop_kind(g_stage_index, 1);
            btl_alloc_background();
        }
        btl_scene_init(side);
        btl_scene_begin();
        btl_scene_enter(side);
    }

    // Runs move `move` of the fighter on `side` as the exchange does.
    int run_move(int side, int move) {
        g_btl_move[0] = static_cast<uint16_t>(move);
        g_btl_counter_flag = 0;
        g_btl_ghost_step = 0;
        g_btl_pending_heal = 0;
        g_btl_hp_before = static_cast<uint16_t>(g_btl_combatant[1 - side]->hp);
        btl_run_move(side, 0);
        return btl_last_move_frames();
    }

    // The reaction states the opponent takes, in order, while f runs.
    template <class F>
    std::vector<int> reactions_during(int struck, F f) {
        std::vector<int> seen;
        int last = 0;
        poll_period = 4;
        start_polling([&] {
            const int s = g_btl_actor[static_cast<size_t>(struck)].state;
            const bool reacting = s == 1 || s == 2 || s == 5 || s == 6;
            const int hits = g_btl_actor[static_cast<size_t>(struck)].hit_count;
            if (reacting && hits != last) seen.push_back(s);
            last = hits;
        });
        f();
        polling = false;
        return seen;
    }
};

// Fighters put on a 20 x 20 map of tile set 0, their battles played plain
// and at once: targeting and the attack command.
class BattleMapTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        btl_reset();
        set_map_size(20, 20);
        g_map_tile_set = 0;
        g_terrain_class_of_tile = g_tileset_terrain[0].data();
        g_opt_battle_real = 0;
        g_opt_battle_speed = 0;
    }
    void TearDown() override {
        btl_reset();
        LoopTest::TearDown();
    }
    static UnitRecord* put(int x, int y, int ch, int cls, int mode, int weapon = 38, int hp = 20) {
        UnitStats s = MapTest::stats(ch, cls, mode, hp);
        s.weapon = static_cast<int16_t>(weapon);
        UnitRecord* u = unit_place_new(x, y, &s);
        EXPECT_NE(u, nullptr);
        return u;
    }
};
