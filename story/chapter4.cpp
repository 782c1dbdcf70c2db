// Chapter 4 (stages 22 to 33): the stage scenes and where the party starts,
// the party's walk into the cave of stage 26, the turn-start events, the
// goal cells (stage 33 opens its gate), the bosses and their ends.
#include "story/chapter4.h"

#include <cstdint>
#include <utility>

#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/chapters.h"
#include "story/scene_steps.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

constexpr int32_t SCENE_MAP_HALL = 59;
constexpr int32_t SCENE_MAP_FORT = 60;
constexpr int32_t SCENE_TILESET = 1;
constexpr int32_t OPEN_TILE = 38;
constexpr int32_t HOLE_TILE = 41;
constexpr int32_t STAIRS_TILE = 82;
constexpr int32_t WRAITH_MUSIC = 5;

UnitRecord* member(int32_t char_id) { return unit_find_by_char_id(char_id); }

const char* class_name(int32_t class_id) { return g_class_names[static_cast<size_t>(class_id)]; }

// --- placement lists -----------------------------------------------------------------

const PlacementEntry STAGE_22[] = {{1, 5, 21}, {2, 6, 21}, {3, 5, 24}, {4, 6, 22}, {5, 6, 23},
                                   {6, 5, 22}, {7, 5, 23}, {8, 6, 24}, {-1, 0, 0}};
const PlacementEntry STAGE_23_SCENE[] = {{1, 9, 8}, {2, 8, 8},  {3, 10, 8},  {4, 9, 9}, {5, 10, 9},
                                         {6, 8, 9}, {7, 9, 10}, {8, 10, 10}, {-1, 0, 0}};
// Stages 23 and 24 start on the same cells.
const PlacementEntry STAGE_23[] = {{1, 36, 14}, {2, 36, 15}, {3, 37, 15}, {4, 36, 13}, {5, 37, 13},
                                   {6, 36, 16}, {7, 37, 14}, {8, 37, 16}, {-1, 0, 0}};
const PlacementEntry STAGE_25[] = {{1, 20, 26}, {2, 21, 26}, {3, 19, 27}, {4, 19, 26}, {5, 18, 26},
                                   {6, 18, 27}, {7, 20, 27}, {8, 21, 27}, {-1, 0, 0}};
const PlacementEntry STAGE_26_SCENE[] = {{1, 11, 6}, {2, 10, 6}, {3, 13, 7}, {4, 11, 8}, {5, 12, 8},
                                         {6, 12, 6}, {7, 13, 6}, {8, 10, 7}, {-1, 0, 0}};
const PlacementEntry STAGE_26[] = {{1, 12, 6}, {2, 13, 6}, {4, 11, 6}, {5, 10, 6}, {6, 13, 5},
                                   {3, 12, 5}, {7, 11, 5}, {8, 10, 5}, {-1, 0, 0}};
const PlacementEntry STAGE_27_SCENE[] = {{1, 4, 8}, {2, 5, 8}, {3, 6, 10}, {4, 4, 10}, {5, 5, 10},
                                         {6, 6, 8}, {7, 3, 8}, {8, 3, 10}, {-1, 0, 0}};
const PlacementEntry STAGE_27[] = {{1, 35, 28}, {2, 36, 28}, {3, 37, 28}, {4, 35, 29}, {5, 36, 29},
                                   {6, 37, 29}, {7, 36, 30}, {8, 37, 30}, {-1, 0, 0}};
// Stage 28 starts, and stage 29's scene stands, on these cells.
const PlacementEntry STAGE_28[] = {{1, 17, 3}, {2, 18, 3}, {3, 17, 4}, {4, 19, 3}, {5, 20, 3},
                                   {6, 18, 4}, {7, 20, 4}, {8, 19, 4}, {-1, 0, 0}};
const PlacementEntry STAGE_29[] = {{1, 19, 3}, {2, 20, 3}, {3, 19, 4}, {4, 21, 3}, {5, 22, 3},
                                   {6, 20, 4}, {7, 22, 4}, {8, 21, 4}, {-1, 0, 0}};
const PlacementEntry STAGE_30[] = {{1, 16, 16}, {2, 16, 15}, {3, 17, 15}, {4, 16, 17}, {5, 16, 18},
                                   {6, 17, 16}, {7, 17, 17}, {8, 17, 18}, {-1, 0, 0}};
const PlacementEntry STAGE_31_SCENE[] = {{1, 9, 15},  {2, 10, 16}, {3, 10, 13}, {4, 8, 13}, {5, 9, 13},
                                         {6, 10, 12}, {7, 8, 12},  {8, 9, 12},  {-1, 0, 0}};
const PlacementEntry STAGE_31[] = {{1, 3, 29}, {2, 3, 28}, {3, 2, 31}, {4, 3, 30}, {5, 3, 31},
                                   {6, 2, 30}, {7, 2, 28}, {8, 2, 29}, {-1, 0, 0}};
const PlacementEntry STAGE_32_SCENE[] = {{1, 11, 8}, {2, 11, 9}, {3, 15, 2}, {4, 12, 4}, {5, 11, 4},
                                         {6, 3, 8},  {7, 15, 8}, {8, 6, 10}, {-1, 0, 0}};
const PlacementEntry STAGE_32[] = {{1, 4, 23}, {2, 5, 23}, {3, 7, 24}, {4, 6, 23}, {5, 7, 23},
                                   {6, 4, 24}, {7, 5, 24}, {8, 6, 24}, {-1, 0, 0}};
const PlacementEntry STAGE_33[] = {{1, 32, 22}, {2, 33, 22}, {3, 35, 23}, {4, 34, 22}, {5, 35, 22},
                                   {6, 32, 23}, {7, 33, 23}, {8, 34, 23}, {-1, 0, 0}};
const PlacementEntry STAGE_33_GATE[] = {{1, 9, 1},  {2, 10, 1}, {3, 7, 2}, {4, 8, 1}, {5, 7, 1},
                                        {6, 10, 2}, {7, 9, 2},  {8, 8, 2}, {-1, 0, 0}};
const PlacementEntry NOBODY[] = {{-1, 0, 0}};

// --- scene helpers --------------------------------------------------------------------

uint8_t tile_at(int32_t x, int32_t y) { return static_cast<uint8_t>(g_map.cells[y * MAP_SIDE + x] & ~MAP_MARK); }

// One step in a direction, then the class shows a frame of its sheet.
void step_and_pose(UnitRecord* unit, int32_t direction, int32_t frame) {
    if (!scn_in_use(unit)) return;
    scn_walk(unit, direction, 1);
    scn_pose(unit->stats.class_id, frame);
}

void fade_in_no_wait() { gfx_fade_to(&g_default_palette, 2); }

void place_fresh(const PlacementEntry* list) {
    scn_clear_occupancy();
    scn_place_list(list);
    map_redraw_view();
}

// --- stage scenes ---------------------------------------------------------------------

void stage23() {
    scn_scene_map(SCENE_MAP_HALL, SCENE_TILESET, STAGE_23_SCENE);
    scn_pose_party(10);
    scn_fade_in(2);
    snd_play_music(8);
    scn_message(97);
    scn_set_tile(8, 0, tile_at(9, 0));
    scn_set_tile(8, 1, tile_at(9, 1));
    scn_set_tile(9, 0, tile_at(10, 0));
    scn_set_tile(9, 1, OPEN_TILE);
    snd_play_effect(SFX_THUD);
    scn_wait(30);
    scn_extra(56, 9, 1);
    scn_wait(30);
    snd_play_music(10);
    scn_message(98);
    for (int32_t i = 0; i < 40; ++i) scn_wait(2);
    scn_message(99);
    scn_scene_close(STAGE_23);
}

void stage24() {
    scn_stage_map(g_stage_index, NOBODY);
    unit_load_stage_units(g_stage_index, 1);
    map_redraw_view();
    scn_centre_on_char(CHAR_JIROKICHI);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_scene_close(STAGE_23);
}

}  // namespace

void scn_ch4_walk_in_party() {
    static const int32_t ORDER[] = {2, 4, 1, 6, 5, 3, 8, 7, -1};
    for (int32_t i = 0; ORDER[i] >= 0; ++i) {
        UnitRecord* u = member(ORDER[i]);
        if (!scn_in_use(u)) continue;
        if (ORDER[i] == 3) scn_walk(u, 2, 1);
        scn_walk_while(u, 3, [](const UnitRecord& r) { return r.x >= 7; });
        scn_walk_while(u, 2, [](const UnitRecord& r) { return r.y < 10; });
        map_move_unit_step(u, 5);
        scn_message(97 + i);
        scn_walk(u, 2, 2);
    }
}

namespace {

void stage26() {
    // The hall: a hole opens and its keeper leads the party down.
    scn_scene_map(SCENE_MAP_HALL, SCENE_TILESET, STAGE_26_SCENE);
    scn_pose_char(CHAR_BACCHUS, 10);
    scn_pose_char(CHAR_LAPAR, 10);
    scn_pose_char(CHAR_WINIA, 4);
    scn_pose_char(CHAR_SUMMONER, 7);
    g_view_x = 0;
    g_view_y = 0;
    map_redraw_view();
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_set_tile(6, 11, HOLE_TILE);
    scn_pose_party(4);
    UnitRecord* keeper = scn_extra(51, 6, 11);
    snd_play_effect(SFX_THUD);
    step_and_pose(keeper, 0, 7);
    scn_message(49);
    scn_walk(keeper, 3, 1);
    snd_play_music(2);
    scn_ch4_walk_in_party();
    step_and_pose(keeper, 1, 1);
    scn_wait(60);
    scn_message(122);
    scn_fade_out(2);

    // Stage 24's map: a rider leaves by the top row.
    constexpr int32_t ROAD = 23;
    map_load_stage_map(ROAD);
    map_load_map_graphics(g_stage_tileset[ROAD]);
    scn_clear_occupancy();
    UnitRecord* rider = scn_extra(52, 10, 8);
    if (rider) map_center_view_on(rider->x, rider->y);
    map_redraw_view();
    fade_in_no_wait();
    scn_walk_while(rider, 0, [](const UnitRecord& r) { return r.y > 0; });
    scn_leave(rider);
    scn_fade_out(2);

    // The stage's own map: the rider arrives and the ground shakes.
    scn_stage_map(g_stage_index, NOBODY);
    gfx_clear_screen();
    gfx_fade_start(&g_default_palette, 0);
    scn_message(50);
    scn_fade_out(2);
    map_center_view_on(30, 4);
    rider = scn_extra(52, 39, 6);
    map_redraw_view();
    fade_in_no_wait();
    scn_walk(rider, 3, 14);
    gfx_fade_to(nullptr, 2);
    for (int32_t n = 0; n < SCN_LOOP_BOUND && g_fade_running; ++n) {
        const int32_t x = scn_in_use(rider) ? rider->x : 0;
        if (scn_in_use(rider)) scn_walk(rider, 3, 1);
        if (!scn_in_use(rider) || rider->x == x) win_wait_units(1);
    }
    gfx_fade_start(&g_default_palette, 0);
    gfx_shake_start(2);
    scn_message(51);
    scn_fade_out(8);
    snd_play_music(-1);
    gfx_shake_stop();
    scn_wait(60);
    place_fresh(STAGE_26);
    scn_message(52);
    scn_fade_out(2);
    scn_centre_on_char(CHAR_LEADER);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(53);
    scn_scene_close(STAGE_26);
}

void stage27() {
    scn_scene_map(SCENE_MAP_FORT, SCENE_TILESET, STAGE_27_SCENE);
    for (int32_t c : {4, 5, 3, 8}) scn_pose_char(c, 10);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_scene_close(STAGE_27);
}

void stage29() {
    scn_stage_map(g_stage_index, STAGE_28);
    unit_load_stage_units(g_stage_index, 1);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_play_stage_music();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_scroll_view(SCN_SCROLL_DOWN, MAP_SIDE);
    scn_wait(60);
    scn_message(49);
    scn_scene_close(STAGE_29);
}

void stage30() {
    scn_stage_map(g_stage_index, STAGE_30);
    g_view_x = 7;
    g_view_y = 11;
    scn_pose_party(4);
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    UnitRecord* stranger = scn_extra(53, 6, 16);
    scn_walk(stranger, 1, 8);
    scn_wait(60);
    scn_message(98);
    // It changes shape, ending as class 19.
    for (int32_t n = 20; n >= 0; --n) {
        if (scn_in_use(stranger)) {
            stranger->stats.class_id = static_cast<int16_t>(n % 2 ? 53 : 19);
            map_redraw_cell_abs(stranger->x, stranger->y);
        }
        scn_wait(n / 2);
    }
    scn_play_stage_music();
    scn_message(99);
    scn_scene_close(STAGE_30);
}

void stage31() {
    const int32_t prev = g_stage_index - 1;
    scn_scene_map(prev, g_stage_tileset[static_cast<size_t>(prev)], STAGE_31_SCENE);
    scn_pose_char(CHAR_SECOND_LEADER, 4);
    UnitRecord* spirit = scn_extra(65, 9, 16);
    if (spirit) map_center_view_on(spirit->x, spirit->y);
    map_redraw_view();
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    scn_blink_out(spirit);
    scn_wait(60);
    scn_message(98);
    scn_scene_close(STAGE_31);
    snd_play_music(-1);
}

void stage32() {
    scn_scene_map(SCENE_MAP_FORT, SCENE_TILESET, STAGE_32_SCENE);
    scn_pose_char(CHAR_SECOND_LEADER, 10);
    scn_pose_char(CHAR_SUMMONER, 10);
    scn_pose_char(CHAR_NOS, 4);
    g_view_x = 0;
    g_view_y = 0;
    map_redraw_view();
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    scn_pose_char(CHAR_LEADER, 7);
    scn_pose_char(CHAR_SECOND_LEADER, 7);
    map_redraw_view();
    UnitRecord* seventh = member(CHAR_NOS);
    scn_walk(seventh, 3, 3);
    scn_message(98);
    scn_walk(seventh, 1, 1);
    scn_walk(member(CHAR_BACCHUS), 2, 3);
    scn_wait(30);
    scn_message(99);
    scn_set_tile(12, 8, OPEN_TILE);
    snd_play_effect(SFX_THUD);
    scn_wait(30);
    scn_message(100);
    scn_scene_close(STAGE_32);
}

// Stage 33's gate: the party gathers and the stairs open.
int32_t stage33_gate() {
    scn_fade_out(2);
    scn_cutscene_begin();
    place_fresh(STAGE_33_GATE);
    for (int32_t s = 0; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0) map_apply_walk_sprite(u.stats.class_id, 10);
    }
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(49);
    scn_wait(30);
    for (const auto& [x, y] : {std::pair{8, 0}, {9, 0}, {8, 1}, {9, 1}}) scn_set_tile(x, y, STAIRS_TILE);
    snd_play_effect(SFX_THUD);
    scn_wait(60);
    scn_message(50);
    g_stage_end = 1;
    scn_fade_out(2);
    scn_cutscene_end();
    return 1;
}

}  // namespace

void scn_ch4_stage_start() {
    static constexpr StageScene stages[] = {
        {22, nullptr, STAGE_22}, {23, stage23, nullptr}, {24, stage24, nullptr},  {25, nullptr, STAGE_25},
        {26, stage26, nullptr},  {27, stage27, nullptr}, {28, nullptr, STAGE_28}, {29, stage29, nullptr},
        {30, stage30, nullptr},  {31, stage31, nullptr}, {32, stage32, nullptr},  {33, nullptr, STAGE_33},
    };
    scn_stage_start(stages);
}

void scn_ch4_turn_start() {
    if (g_turn != 0) return;
    switch (scn_stage_no()) {
        case 22:
        case 23:
        case 28:
        case 31:
        case 32:
        case 33: scn_message(48); break;
        case 25:
            scn_message(48, class_name(CLASS_MINOTAUR));
            scn_message(49);
            break;
        case 26: scn_message(54); break;
        case 27: scn_message(49); break;
        default: break;
    }
}

int32_t scn_ch4_unit_moved(UnitRecord* unit, int32_t, int32_t) {
    if (!unit) return 0;
    switch (scn_stage_no()) {
        case 22: return scn_goal_reached(unit, 24, 0, 24, 0, 49);
        case 23:
            if (unit->x != 4 || unit->y != 6) return 0;
            scn_message(49);
            scn_wait(60);
            scn_message(50);
            g_stage_end = 1;
            return 1;
        case 26: return scn_goal_reached(unit, 29, 26, 29, 26, 55);
        case 31: return scn_goal_reached(unit, 36, 8, 36, 8, 49);
        case 32: return scn_goal_reached(unit, 31, 4, 31, 4, 49);
        case 33:
            if (unit->y != 1 || unit->x < 8 || unit->x > 9) return 0;
            return stage33_gate();
        default: return 0;
    }
}

int32_t scn_ch4_before_battle(UnitRecord*, UnitRecord* second) {
    if (!second) return 0;
    switch (scn_stage_no()) {
        case 25:
            if (second->stats.ai_mode == AI_MODE_BOSS_UNMET) scn_message(50, class_name(CLASS_MINOTAUR));
            return scn_boss_first_contact(second, 51, nullptr);
        case 27: return scn_boss_first_contact(second, 50, "수비대장");
        case 28: return scn_boss_first_contact(second, 49, nullptr);
        case 29: return scn_boss_first_contact(second, 50, nullptr);
        default: scn_boss_music(second); return 0;
    }
}

void scn_ch4_after_battle(UnitRecord*, UnitRecord* second) {
    if (scn_stage_no() == 24) {
        if (unit_count_live_enemies() != 0) return;
        scn_message(49);
        scn_wait(60);
        scn_message(50);
        scn_wait(60);
        scn_message(51);
        g_stage_end = 1;
        return;
    }
    if (!scn_boss_beaten(second)) return;
    switch (scn_stage_no()) {
        case 25: scn_boss_aftermath(WRAITH_MUSIC, 52, nullptr); break;
        case 27:
        case 29: scn_boss_aftermath(SCN_MUSIC_STAGE, 51, nullptr); break;
        case 28:
        case 30:
            unit_remove_enemies();
            map_redraw_view();
            g_stage_end = 1;
            break;
        default: break;
    }
}
