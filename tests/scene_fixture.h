// Test fixtures for battle scenes: two fighters of the wizard's class, a
// scene set up as the entries set it up, one move run as the exchange runs
// it, and the reaction states a fighter takes while something runs; and
// fighters put on a map for the attack command.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "battle/battle.h"
#include "platform/palette.h"
#include "tactics/map_view.h"
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

// --- the map on the screen, around the windows shown over it -------------------------

// A rectangle of the back image in pixels, edges included.
struct ScreenArea {
    int x0, y0, x1, y1;
};

// What a toolkit window of w columns by h rows at text cell (col, row)
// covers, its frame included.
inline ScreenArea window_area(int col, int row, int w, int h) {
    return {(col - 2) * 8, (row - 1) * 20, (col + w + 2) * 8 - 1, (row + h + 1) * 20 - 1};
}

// The pixels of a fresh map_redraw_view now, drawn into a copy: the back and
// background images are left as they were.
inline std::vector<uint8_t> fresh_map() {
    std::vector<uint8_t> back(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
    std::vector<uint8_t> background(g_background_dib, g_background_dib + SCREEN_DIB_SIZE);
    map_redraw_view();
    std::vector<uint8_t> map(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    std::memcpy(g_back_dib, back.data(), SCREEN_DIB_SIZE);
    std::memcpy(g_background_dib, background.data(), SCREEN_DIB_SIZE);
    return map;
}

// A fight on the map and the picture left on the screen: a fresh draw of the
// map to hold the back image against, outside the windows that may stand
// over it.
class MapScreenTest : public LoopTest {
protected:
    // Pixels of the shown view (x 16..623, y 0..383) outside the areas
    // given in which two pictures differ.
    static int pixels_differing(const uint8_t* a, const uint8_t* b, const std::vector<ScreenArea>& except = {}) {
        int n = 0;
        uint8_t covered[SCREEN_W];
        for (int y = 0; y < 384; ++y) {
            const size_t row = static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W;
            if (std::memcmp(a + row + 16, b + row + 16, 608) == 0) continue;
            std::memset(covered, 0, sizeof covered);
            for (const ScreenArea& r : except)
                if (y >= r.y0 && y <= r.y1 && r.x1 >= r.x0)
                    std::memset(covered + std::max(r.x0, 0), 1,
                                static_cast<size_t>(std::min(r.x1, SCREEN_W - 1) - std::max(r.x0, 0) + 1));
            for (int x = 16; x < 624; ++x) n += a[row + x] != b[row + x] && !covered[x];
        }
        return n;
    }
    // 1 when the back image shows the map's colours, the default palette;
    // colour 14 aside, which the map's colour cycling moves.
    static bool map_colours_shown() {
        const uint8_t* c = gfx_dib_colours(g_back_dib);
        for (int i = 0; i < 16; ++i)
            for (int k = 0; k < 3; ++k)
                if (i != 14 && c[i * 4 + k] != g_default_palette.colour[i][k] * 17) return false;
        return true;
    }
};
