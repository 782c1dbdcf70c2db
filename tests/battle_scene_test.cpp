// The animated battle scene: backdrop kinds and the band, sheet names, actor
// numbering, the renderer's layers and sort, the camera, reach tests,
// companions, the jolt, the scene's failures and tear-down, the wizard's
// moves, and one sweep of every class's moves on both sides, plain and
// animated.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "battle/battle.h"
#include "battle/classes/classes.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "tactics/items.h"
#include "tactics/units.h"
#include "tests/picture.h"
#include "tests/scene_fixture.h"

namespace {

// --- backdrop ------------------------------------------------------------------

TEST_F(SceneTest, BackdropKindByStageTerrainAndTheScenesRules) {
    struct Case {
        int stage, defender, attacker, right_class, kind;
    };
    const Case cases[] = {
        {0, 1, 1, 13, 4},                       // a fixed kind
        {1, 3, 1, 13, 1},                       // by terrain: 3 -> B
        {1, 5, 1, 13, 10},                      // 5 -> K
        {1, 6, 1, 13, 2},                       // water -> C
        {1, 7, 7, 13, 17},                      // 7 -> R when the attacker stands on 7 too
        {1, 7, 1, 13, 2},                       // ... else the water backdrop
        {31, 7, 1, 13, 7},                      // stages 31 and 32 turn it into H
        {32, 1, 1, 13, 7}, {6, 3, 1, 13, 12},   // entry 5: 3 -> M, else F
        {6, 1, 1, 13, 5},  {39, 1, 1, 46, 24},  // the first form: Y
        {3, 1, 1, 46, 24}, {3, 7, 1, 46, 2},    // except by the water rule
    };
    for (const Case& c : cases) {
        const int kind = btl_scene_backdrop_kind(btl_choose_backdrop_kind(c.stage, c.defender), c.stage, c.defender,
                                                 c.attacker, c.right_class);
        EXPECT_EQ(kind, c.kind) << "stage " << c.stage << " terrain " << c.defender << "/" << c.attacker;
    }
}

TEST_F(SceneTest, SheetNamesByClassVariantAndDrive) {
    char pic[32], spz[32];
    btl_sheet_names(99, 3, pic, spz);
    EXPECT_STREQ(pic, "a:CHAR_99.gem");
    EXPECT_STREQ(spz, "A:CHAR_99.SPZ");
    btl_sheet_names(27, 1, pic, spz);
    EXPECT_STREQ(pic, "a:CHAR_27B.gem");
    EXPECT_STREQ(spz, "B:CHAR_27B.SPZ");
    btl_sheet_names(13, 0, pic, spz);
    EXPECT_STREQ(spz, "A:CHAR_13A.SPZ");
    g_stage_index = 13;
    btl_sheet_names(27, 1, pic, spz);
    EXPECT_STREQ(spz, "C:CHAR_27B.SPZ");
}

TEST_F(SceneTest, TheBandShowsColumnsByScrollAndSkipsWhatItCannotDraw) {
    // Tile n is filled with colour n mod 16 (tile 0 with 0); the grid shows
    // column c as tile c + 1, row 3 as none, and tile 999 (past the sheet)
    // at column 79 of row 5.
    const std::vector<uint8_t> sheet = make_picture(
        640, 48, 16, [](int x, int line) { return static_cast<uint8_t>(((line / 16) * 40 + x / 16) % 16); });
    g_btl_bmap_image.reset(static_cast<uint8_t*>(std::malloc(sheet.size())));
    std::memcpy(g_btl_bmap_image.get(), sheet.data(), sheet.size());
    TempDir data;
    std::filesystem::create_directories(data.path / "dat");
    auto write_grid = [&](size_t size) {
        std::vector<uint8_t> f(size, 0);
        for (int r = 0; r < BMAP_ROWS; ++r)
            for (int c = 0; c < BMAP_COLS; ++c) {
                int v = r == 3 ? -1 : c + 1;
                if (r == 5 && c == 79) v = 999;
                const size_t at = BMAP_HEADER_SIZE + 2 * static_cast<size_t>(r * BMAP_COLS + c);
                if (at + 1 < f.size()) {
                    f[at] = static_cast<uint8_t>(v & 0xFF);
                    f[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
                }
            }
        std::ofstream(data.path / "dat" / "BMAP_E.MPZ", std::ios::binary)
            .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
    };
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s/dat/", data.str().c_str());
    write_grid(BMAP_FILE_SIZE - 1);
    btl_alloc_background();
    btl_load_bmap_grid(4);
    EXPECT_EQ(btl_bmap_tile(0, 0), -1) << "a short grid is refused";
    write_grid(BMAP_FILE_SIZE);
    btl_load_bmap_grid(4);
    ASSERT_EQ(btl_bmap_tile(0, 0), 1);

    gfx_fill_rect(0, 0, 639, 415, 15);
    auto pixel = [](int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y); };
    btl_draw_bmap_rows(80);
    // Screen column c shows grid column 40 + c, tile 41 + c.
    for (int c : {0, 1, 20, 39}) EXPECT_EQ(pixel(16 * c + 8, 40), (41 + c) % 16) << "column " << c;
    EXPECT_EQ(pixel(8, 32 + 3 * 16 + 8), 15) << "a negative tile draws nothing";
    EXPECT_EQ(pixel(39 * 16 + 8, 32 + 5 * 16 + 8), 0) << "a tile past the sheet is drawn black";
    btl_draw_bmap_rows(0);
    EXPECT_EQ(pixel(8, 40), 1);
    EXPECT_EQ(pixel(639, 271), 40 % 16);
    EXPECT_EQ(pixel(8, 272), 15) << "the band ends at line 271";
}

// A grid too short to use, or one whose every tile lies past the sheet: the
// band is black every frame, so a fighter drawn in one frame leaves nothing
// of itself over the map picture in the next.
TEST_F(SceneTest, ABandWithoutUsableTilesLeavesNoTrailOfTheFighters) {
    struct Case {
        const char* what;
        size_t size;
        int16_t tile;
    };
    const Case cases[] = {{"a short grid", BMAP_FILE_SIZE - 2, 1},
                          {"every tile past the sheet", BMAP_FILE_SIZE, 30000}};
    const std::string kit_dat = g_dat_dir;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s", kit_dat.c_str());
        begin(true);
        TempDir grid;
        std::filesystem::create_directories(grid.path / "dat");
        std::vector<uint8_t> f(k.size, 0);
        for (size_t at = BMAP_HEADER_SIZE; at + 1 < f.size(); at += 2) std::memcpy(&f[at], &k.tile, 2);
        char name[16];
        std::snprintf(name, sizeof name, "BMAP_%c.MPZ", 'A' + g_btl_backdrop_kind);
        std::ofstream(grid.path / "dat" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
        std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s/dat/", grid.str().c_str());
        btl_alloc_background();
        btl_load_bmap_grid(g_btl_backdrop_kind);

        gfx_fill_rect(0, 0, 639, 415, 15);  // the map picture
        auto band = [] {
            std::set<int> colours;
            for (int y = 32; y < 272; ++y)
                for (int x = 0; x < 640; ++x) colours.insert(*gfx_screen_pixel(g_back_dib, x, y));
            return colours;
        };
        btl_draw_actors_and_flip(0);
        ASSERT_GT(band().size(), 1u) << "the fighters were drawn";
        for (BattleActor& a : g_btl_actor) a.present[0] = a.present[1] = BTL_ABSENT;
        btl_draw_actors_and_flip(0);
        EXPECT_EQ(band(), std::set<int>{0});
        EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 320, 300), 15) << "below the band the picture stays";
        btl_free_scene();
    }
}

// --- set-up, numbering and the renderer -----------------------------------------------

TEST_F(SceneTest, SetUpNumbersTheActorsTheSameInBothScenes) {
    for (bool animated : {false, true}) {
        begin(animated);
        EXPECT_EQ(g_btl_actor[0].slot, 0);
        EXPECT_EQ(g_btl_actor[1].slot, 1);
        EXPECT_EQ(g_btl_spark_actor, 2);
        EXPECT_EQ(g_btl_actor[COMMON_SHEET_ACTOR].slot, 2);
        EXPECT_EQ(g_btl_actor[0].companion, 3);
        EXPECT_EQ(g_btl_actor[1].companion, 4);
        EXPECT_EQ(g_btl_ghost_first, 5);
        EXPECT_EQ(g_btl_next_actor, 8);
        EXPECT_EQ(g_btl_sheet_count, 3);
        EXPECT_EQ(btl_slot_drawable(0) != 0, animated);
        EXPECT_EQ(g_btl_actor[0].x, 20);
        EXPECT_EQ(g_btl_actor[1].x, 60);
        EXPECT_EQ(g_btl_actor[0].flags, 1);
        btl_free_scene();
    }
    // An absent fighter takes no number and no companion; the spark still
    // never takes a fighter's number.
    a.char_id = CHAR_NONE;
    begin(true);
    EXPECT_TRUE(!btl_actor_present(0, 0) && !btl_actor_present(0, 1));
    EXPECT_EQ(g_btl_actor[1].slot, 0);
    EXPECT_EQ(g_btl_spark_actor, 2);
    EXPECT_EQ(g_btl_actor[1].companion, 3);
    EXPECT_EQ(g_btl_next_actor, 7);
}

TEST_F(SceneTest, LayersSortTiesAndTheActorCounter) {
    g_btl_actor = {};
    g_btl_next_actor = 10;
    g_btl_page = 0;  // parity 1 is drawn
    auto put = [](int i, int layer, int y) {
        g_btl_actor[static_cast<size_t>(i)].layer = static_cast<int16_t>(layer);
        g_btl_actor[static_cast<size_t>(i)].y = static_cast<int16_t>(y);
        btl_actor_set_present(i, true);
    };
    put(2, 1, 240);
    put(5, 1, 200);
    put(7, 1, 240);
    put(3, 0, 100);   // layer 0: never drawn
    put(12, 1, 100);  // past the counter
    put(4, 1, 150);
    btl_actor_set_present(4, false);
    const int n = btl_collect_layer_sorted(1);
    const std::vector<int> order(g_btl_draw_list.begin(), g_btl_draw_list.begin() + n);
    // y rising; of 2 and 7 at one y, 7 is drawn first and 2 lies on top.
    EXPECT_EQ(order, (std::vector<int>{5, 7, 2}));
    EXPECT_EQ(g_btl_actor[2].present[1], 1);
    EXPECT_EQ(g_btl_actor[2].present[0], 0);
    EXPECT_EQ(btl_collect_layer_sorted(0), 0);
}

TEST_F(SceneTest, PansClampAndReachTestsMirrorBySide) {
    btl_set_view_scroll(-5);
    EXPECT_EQ(g_btl_view_scroll, 0);
    btl_pan_view_slow(1);
    EXPECT_EQ(g_btl_view_scroll, 0);
    for (int i = 0; i < 9; ++i) btl_pan_view_fast(0);
    EXPECT_EQ(g_btl_view_scroll, 80);
    btl_pan_view_slow(1);
    EXPECT_EQ(g_btl_view_scroll, 76);

    g_btl_combatant[0] = &a;
    g_btl_combatant[1] = &d;
    BattleActor& me = g_btl_actor[0];
    BattleActor& op = g_btl_actor[1];
    me = {};
    op = {};
    me.x = 20, me.y = 240, op.x = 24, op.y = 240;
    EXPECT_EQ(btl_opponent_in_reach(0, 0, -48, 5, 32), 1);
    op.x = 26;
    EXPECT_EQ(btl_opponent_in_reach(0, 0, -48, 5, 32), 0);
    // Side 1 mirrors both axes: the box lies to its left and below.
    me.x = 60, op.x = 56;
    EXPECT_EQ(btl_opponent_in_reach(1, 0, -48, 5, 32), 0) << "the opponent is fighter 0";
    g_btl_actor[0].x = 56;
    g_btl_actor[1].x = 60;
    EXPECT_EQ(btl_opponent_in_reach(1, 0, -48, 5, 32), 1);
    g_btl_actor[0].y = 200;  // 40 above: outside -32..48 below
    EXPECT_EQ(btl_opponent_in_reach(1, 0, -48, 5, 32), 0);
    g_btl_actor[0].y = 280;
    EXPECT_EQ(btl_opponent_in_reach(1, 0, -48, 5, 32), 1);
    a.hp = 0;
    EXPECT_EQ(btl_opponent_in_reach(1, 0, -48, 5, 32), 0) << "a beaten opponent is never in reach";
    a.hp = 10;

    // The hit box: corners inside either box; a cross with no corner inside misses.
    g_btl_actor[0].x = 40, g_btl_actor[0].y = 240;
    g_btl_actor[5].x = 40, g_btl_actor[5].y = 200;
    EXPECT_EQ(btl_hitbox_hits_opponent(5, -1, -1, 1, 1, 1), 1);
    EXPECT_EQ(btl_hitbox_hits_opponent(5, -10, -1, 10, 1, 1), 0) << "a bar across the body without a corner in it";
    EXPECT_EQ(btl_hitbox_hits_opponent(5, -10, -100, 10, 100, 1), 1) << "the body's corners lie inside";
}

TEST_F(SceneTest, CompanionsShadowOnGroundAndSplashOnWater) {
    g_btl_combatant[0] = &a;
    g_btl_combatant[1] = &d;
    BattleActor& f = g_btl_actor[0];
    BattleActor& c = g_btl_actor[3];
    f = {};
    c = {};
    f.companion = 3;
    f.follow = 0;
    f.x = 30;
    f.y = 233;
    f.ground_y = 240;
    struct Case {
        int kind, pose, frame, layer, y, flags;
    };
    const Case cases[] = {
        {0, 2, 1, 2, 232, 0},   // the shadow, y made even
        {0, 7, 15, 2, 240, 0},  // on the ground line
        {2, 2, 3, 3, 248, 1},   // water: the splash in front, 16 lower
        {2, 1, 2, 1, 248, 1},  {2, 6, 11, 2, 256, 1},
    };
    for (const Case& k : cases) {
        g_btl_backdrop_kind = k.kind;
        c.state = static_cast<int16_t>(k.pose);
        c.flags = 0;
        btl_actor_update_companion(0);
        EXPECT_EQ(c.frame, k.frame) << "kind " << k.kind << " pose " << k.pose;
        EXPECT_EQ(c.layer, k.layer);
        EXPECT_EQ(c.y, k.y);
        EXPECT_EQ(c.flags, k.flags);
        EXPECT_EQ(c.x, 30);
    }
    // Pose 3 on water alternates its two frames.
    g_btl_backdrop_kind = 2;
    c.state = 3;
    btl_actor_update_companion(0);
    const int first = c.frame;
    btl_actor_update_companion(0);
    EXPECT_EQ(first + c.frame, 4 + 5);
    // A fight against the last enemy (its first or last form): every
    // companion in pose 0.
    d.class_id = CLASS_LAST_FORM;
    c.state = 2;
    btl_actor_update_companion(0);
    EXPECT_EQ(c.frame, 17);
}

TEST_F(SceneTest, TheJoltShowsOneFrameTwoLinesLowerWithBlackAbove) {
    Palette16 colours{};
    for (int i = 0; i < 16; ++i)
        colours.colour[i][0] = colours.colour[i][1] = colours.colour[i][2] = static_cast<uint8_t>(i);
    gfx_set_palette16(&colours);
    gfx_fill_rect(0, 0, 639, 415, 9);
    gfx_fill_rect(0, 100, 639, 100, 3);
    int w = 0, h = 0;
    auto at = [&](int x, int line) {
        const uint32_t* f = sys_headless_frame(&w, &h);
        return f[static_cast<size_t>(line + g_view_offset.y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    };
    gfx_present_view(wnd);
    const uint32_t line_colour = at(320, 100);
    g_btl_jolt = 1280;
    gfx_present_view(wnd);
    EXPECT_EQ(g_btl_jolt, 0);
    EXPECT_EQ(at(320, 102), line_colour);
    EXPECT_NE(at(320, 100), line_colour);
    EXPECT_EQ(at(320, 0) & 0xFFFFFF, 0u) << "the uncovered line is black";
    gfx_present_view(wnd);
    EXPECT_EQ(at(320, 100), line_colour);
}

// --- a fight from the map ---------------------------------------------------------------

TEST_F(SceneTest, TheAttackPlaysTheSceneTheSettingOrTheBossModeAsks) {
    set_map_size(20, 20);
    g_map_tile_set = 0;
    g_terrain_class_of_tile = g_tileset_terrain[0].data();
    g_chapter = 2;
    struct Case {
        int setting, mode;
        bool animated;
    };
    const Case cases[] = {{1, AI_MODE_HOLD, true},
                          {0, AI_MODE_HOLD, false},
                          {0, AI_MODE_BOSS_UNMET, true},
                          {0, AI_MODE_BOSS, true},
                          {0, AI_MODE_SUMMONER_BOSS, true}};
    int n = 0;
    for (const Case& c : cases) {
        g_units = {};
        g_occupancy = {};
        UnitStats sa = MapTest::stats(10, 13, 0, 60), sd = MapTest::stats(11, 13, c.mode, 60);
        sa.level = sd.level = 60;  // no experience window
        UnitRecord* att = unit_place_new(5, 5 + n, &sa);
        UnitRecord* tgt = unit_place_new(6, 5 + n, &sd);
        ASSERT_TRUE(att && tgt);
        ++n;
        g_opt_battle_real = c.setting;
        bool seen_scene = false, seen_band = false;
        start_polling([&] {
            seen_scene |= g_btl_animated == 1 && g_btl_bmap_grid != nullptr;
            seen_band |= g_btl_animated == 1 && btl_bmap_tile(0, 0) >= 0;
        });
        btl_attack_command(att, tgt);
        polling = false;
        EXPECT_EQ(seen_scene, c.animated) << "setting " << c.setting << " mode " << c.mode;
        EXPECT_EQ(seen_band, c.animated) << "the backdrop's grid was read";
        EXPECT_LT(tgt->stats.hp, 60) << "the wizard's move struck";
        EXPECT_FALSE(g_btl_bmap_image) << "the scene was torn down";
    }
}

// --- failures and tear-down --------------------------------------------------------------

TEST_F(SceneTest, MissingSheetsShowBoxesAndTheBattleGoesOnUndrawn) {
    TempDir data;
    std::filesystem::create_directories(data.path / "dat");
    std::filesystem::create_directories(data.path / "bmp");
    // A picture whose sprite file is missing.
    std::filesystem::copy_file(std::filesystem::path(ROWEN_KIT_DIR) / "bmp" / "CHAR_99.BMP",
                               data.path / "bmp" / "CHAR_13A.BMP");
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s/dat/", data.str().c_str());
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s/bmp/", data.str().c_str());
    keep_clicking();
    const int16_t terrain[2] = {1, 1};
    btl_animated_battle(terrain, 0, 0, &a, &d);
    polling = false;
    EXPECT_LT(d.hp, 60) << "the battle was fought";
    bool memory_error = false, quit_posted = false;
    for (const auto& l : sys_log_lines()) {
        memory_error |= l.find("Memory Error") != std::string::npos;
        quit_posted |= l.find("quit") != std::string::npos && l.find("post") != std::string::npos;
    }
    EXPECT_TRUE(memory_error);
    EXPECT_FALSE(quit_posted) << "a missing battle picture does not end the game";
    EXPECT_EQ(g_picture_missing_quits, 1);
    // Tear-down found every slot empty or freed it.
    for (int i = 0; i < BTL_ACTORS; ++i) {
        EXPECT_FALSE(g_btl_sprite_image[static_cast<size_t>(i)]);
        EXPECT_FALSE(g_btl_sprite_frames[static_cast<size_t>(i)]);
    }
    EXPECT_FALSE(g_btl_bmap_grid);
    // A slot with a picture and no sprite file is not drawable.
    g_btl_sprite_image[5].reset(static_cast<uint8_t*>(std::malloc(64)));
    g_btl_sprite_loaded[5] = 1;
    EXPECT_EQ(btl_slot_drawable(5), 0);
    btl_free_slot(5);
    EXPECT_FALSE(g_btl_sprite_image[5]);
    EXPECT_EQ(btl_slot_drawable(-1) + btl_slot_drawable(42), 0);
}

TEST(BattleQuitTest, AQuitInsideABattleUnwindsAndFreesTheScene) {
    GameRun g;
    bool unwound = false;
    g.call_at(300, [&] {
        // From inside the title's first wait: a battle that a quit ends in
        // its middle.
        static UnitStats a{}, d{};
        for (UnitStats* u : {&a, &d}) {
            u->class_id = 13;
            u->level = 1;
            u->hp = u->max_hp = 60;
            u->weapon = 38;
        }
        a.char_id = 1;
        d.char_id = 10;
        d.ai_mode = 3;
        static int16_t status = 100;
        g_btl_target_status_ptr = &status;
        const int16_t terrain[2] = {1, 1};
        try {
            btl_animated_battle(terrain, 0, 0, &a, &d);
        } catch (...) {
            unwound = true;
            EXPECT_EQ(g_btl_msgbox_store, nullptr);
            EXPECT_FALSE(g_btl_bmap_grid);
            for (const HeapBlock& b : g_btl_sprite_image) EXPECT_FALSE(b);
            throw;
        }
    });
    g.call_at(900, [] { sys_post_message(g_hwnd_main, MSG_SCENE_QUIT, 0, 0); });
    g.run();
    EXPECT_TRUE(unwound);
}

// --- the wizard ------------------------------------------------------------------------

TEST_F(SceneTest, WizardVolleyAndShowerHitCountsAndReactionOrders) {
    d.hp = d.max_hp = 150;
    for (bool animated : {false, true}) {
        begin(animated);
        const auto volley = reactions_during(1, [&] { run_move(0, 12); });
        EXPECT_EQ(volley, (std::vector<int>{6, 5, 2})) << "animated " << animated;
        EXPECT_EQ(g_btl_actor[1].hit_count, 3);
        begin(animated, 1);
        const auto shower = reactions_during(0, [&] { run_move(1, 13); });
        EXPECT_LE(shower.size(), 3u);
        const std::vector<int> order = {1, 2, 1};
        for (size_t i = 0; i < shower.size(); ++i) EXPECT_EQ(shower[i], order[i]);
        EXPECT_GE(shower.size(), 1u);
        btl_free_scene();
    }
}

TEST_F(SceneTest, WizardWalkerStopsAtItsColumnWhateverTheOpponent) {
    d.hp = d.max_hp = a.hp = a.max_hp = 150;
    for (int side : {0, 1})
        for (int opp_x : {40, 60 - 40 * side, 52 - 24 * side}) {
            begin(false, side);
            g_btl_actor[static_cast<size_t>(1 - side)].x = static_cast<int16_t>(opp_x);
            // The last column the walker is seen at before it parks.
            int last = -100;
            poll_period = 4;
            start_polling([&] {
                const BattleActor& me = g_btl_actor[static_cast<size_t>(side)];
                if (me.state != 14 || me.step != 2) return;
                const int x = g_btl_actor[static_cast<size_t>(btl_effect_index(me.first_effect, 0))].x;
                if (x != -10) last = x;
            });
            const int hp = g_btl_combatant[1 - side]->hp;
            run_move(side, 14);
            polling = false;
            // It parks on reaching 58 (side 0) or 20 (side 1), two columns on.
            EXPECT_EQ(last, side == 0 ? 56 : 22) << "side " << side << " opponent at " << opp_x;
            EXPECT_LT(g_btl_combatant[1 - side]->hp, hp) << "the blaze's one hit";
            EXPECT_EQ(g_btl_actor[static_cast<size_t>(1 - side)].hit_count, 1);
        }
}

// --- every class, every move -----------------------------------------------------------

class ClassSweep : public SceneTest, public ::testing::WithParamInterface<int> {};

TEST_P(ClassSweep, EveryMoveEndsOnBothSidesInBothScenesWithTheSceneRestored) {
    const int cls = GetParam();
    for (int move = 12; move <= 15; ++move)
        for (int side : {0, 1}) {
            std::map<bool, int> frames;
            for (bool animated : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "class " << cls << " move " << move << " side " << side
                                                  << (animated ? " animated" : " plain"));
                // The opponent of side 0 is sturdy; that of side 1 falls.
                a = MapTest::stats(10, cls, 0, 80);
                d = MapTest::stats(11, 13, 3, 80);
                if (side == 1) std::swap(a, d), a.class_id = 13, d.class_id = static_cast<int16_t>(cls);
                UnitStats& opp = side == 0 ? d : a;
                opp.hp = side == 0 ? 80 : 1;
                util_random_reset();
                begin(animated, side);
                const int before = g_btl_next_actor;
                const int own_slot = g_btl_actor[static_cast<size_t>(side)].slot;
                frames[animated] = run_move(side, move);
                EXPECT_LT(frames[animated], BTL_MOVE_FRAME_LIMIT);
                EXPECT_EQ(g_btl_next_actor, before) << "the effect actors are given back";
                EXPECT_EQ(g_btl_hit_phase[side], 0);
                if (cls != CLASS_LAST_FORM) {
                    EXPECT_EQ(g_btl_hit_phase[1 - side], 0);
                }
                // Class 19's leaping strike skips its clean-up when its blow
                // beats the opponent: the knight stays drawn from the move
                // sheet, which the scene frees at its end.
                const bool sheet_kept = cls == 19 && move == 14 && opp.hp == 0;
                if (sheet_kept) {
                    EXPECT_NE(g_btl_actor[static_cast<size_t>(side)].slot, own_slot);
                    btl_free_scene();
                } else {
                    EXPECT_EQ(g_btl_actor[static_cast<size_t>(side)].slot, own_slot);
                }
                for (const UnitStats* u : {&a, &d}) {
                    EXPECT_GE(u->hp, 0);
                    EXPECT_LE(u->hp, u->max_hp);
                }
                for (int s = 3; s < BTL_ACTORS; ++s)
                    EXPECT_FALSE(g_btl_sprite_image[static_cast<size_t>(s)] ||
                                 g_btl_sprite_frames[static_cast<size_t>(s)])
                        << "slot " << s << " still holds a move sheet";
                btl_free_scene();
            }
            EXPECT_EQ(frames[false], frames[true]) << "class " << cls << " move " << move << " side " << side;
        }
}

// Stage 1's escort is of class 53, which has no script of its own: it fights
// as the soldier, in both entries and from either side, whether it strikes
// or is struck; its own class's sheets are never asked for.
TEST_P(ClassSweep, FightsTheEscortInBothEntriesFromEitherSide) {
    const int cls = GetParam();
    const int16_t terrain[2] = {1, 1};
    const bool reaches = (item_get(38).flags & ITEM_DIRECT) != 0;
    // The last enemy's forms fight on the right only; class 47's one move is
    // a transformation that strikes nothing, and it is never attacked.
    const bool right_only = cls >= CLASS_FIRST_FORM, fighter_strikes = cls != CLASS_RISING_FORM;
    for (bool animated : {false, true})
        for (int escort_side : {0, 1})
            for (bool escort_attacks : {false, true}) {
                if ((right_only && escort_side == 1) || (!fighter_strikes && escort_attacks)) continue;
                SCOPED_TRACE(::testing::Message()
                             << "class " << cls << (animated ? " animated" : " plain") << " escort on side "
                             << escort_side << (escort_attacks ? " attacks" : " is attacked"));
                UnitStats fighter = MapTest::stats(10, cls, 0, 150);
                UnitStats escort = MapTest::stats(CHAR_PAUL, CLASS_BUTLER, 3, 150);
                fighter.level = escort.level = 60;  // no experience window
                UnitStats* sides[2] = {&fighter, &fighter};
                sides[escort_side] = &escort;
                // One strike of the escort, as the damage rules reckon it.
                uint32_t strike = 0;
                btl_forecast(terrain, &strike, 0, &escort, &fighter);
                ASSERT_GT(strike, 0u);
                status = 100;
                util_random_reset();
                sys_log_clear();
                const int attacker = escort_attacks ? escort_side : 1 - escort_side;
                testing::internal::CaptureStderr();
                if (animated)
                    btl_animated_battle(terrain, attacker, 0, sides[0], sides[1]);
                else
                    btl_plain_battle(terrain, attacker, 0, sides[0], sides[1]);
                const std::string stopped = testing::internal::GetCapturedStderr();
                EXPECT_EQ(stopped, "") << "no move reached the frame cap";
                for (const auto& l : sys_log_lines()) EXPECT_NE(l.rfind("msgbox", 0), 0u) << l;
                for (int i = 0; i < g_btl_sheet_count; ++i)
                    EXPECT_NE(g_btl_sheet_list[static_cast<size_t>(i)][0], CLASS_BUTLER);
                EXPECT_FALSE(g_btl_bmap_image) << "the scene ended";
                EXPECT_EQ(escort.class_id, CLASS_BUTLER);
                // The escort's strike, or its counter, lowers HP by the rules.
                if (escort_attacks || (reaches && fighter_strikes && escort.hp > 0)) {
                    EXPECT_EQ(fighter.hp, 150 - static_cast<int>(strike));
                }
                if (fighter_strikes && (!escort_attacks || reaches)) {
                    EXPECT_LT(escort.hp, 150);
                }
            }
}

INSTANTIATE_TEST_SUITE_P(AllClasses, ClassSweep, ::testing::Range(0, BTL_CLASSES));

}  // namespace
