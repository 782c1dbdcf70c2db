// Chapter 1: the prologue on stage 1, the gate row, the butler-class units'
// goal and the finale.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/chapters.h"
#include "story/hooks.h"
#include "story/scene_steps.h"
#include "tactics/ai.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/turn.h"
#include "tactics/units.h"

// --- chapter 1 ---------------------------------------------------------------------

namespace {

constexpr int32_t PROLOGUE_MAP = 50;
constexpr int32_t PROLOGUE_TILESET = 4;
constexpr int32_t STAGE_1 = 0;
constexpr uint32_t DEBUG_SKIP_FINALE = 0x400;

const PlacementEntry FINALE_PARTY[] = {{1, 19, 1}, {2, 20, 1}, {12, 19, 2}, {-1, 0, 0}};

void set_view(int32_t x, int32_t y) {
    g_view_x = x;
    g_view_y = y;
    map_redraw_view();
}

// The four cells of the gate, left to right, top row first.
void set_gate(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t tiles[4] = {a, b, c, d};
    const int32_t cells[4][2] = {{19, 0}, {20, 0}, {19, 1}, {20, 1}};
    for (int32_t i = 0; i < 4; ++i) {
        uint8_t& cell = g_map.cells[cells[i][1] * MAP_SIDE + cells[i][0]];
        cell = static_cast<uint8_t>((cell & MAP_MARK) | tiles[i]);
        map_redraw_cell_abs(cells[i][0], cells[i][1]);
    }
}

void prologue() {
    // The throne room.
    map_load_stage_map(PROLOGUE_MAP);
    map_load_map_graphics(PROLOGUE_TILESET);
    set_view(0, 24);
    scn_extra(27, 9, 29);
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(120);
    UnitRecord* guard = scn_extra(0, 9, 36);
    scn_walk(guard, 0, 6);
    scn_message(121);
    scn_walk(guard, 2, 6);
    scn_leave(guard);
    scn_wait(60);
    scn_message(122);
    scn_fade_out(4);
    snd_play_music(-1);  // music off

    // The hall.
    set_view(0, 0);
    UnitRecord* hero = scn_extra(0, 9, 2);
    UnitRecord* escort = scn_extra(CLASS_BUTLER, 9, 4);
    scn_pose(CLASS_BUTLER, 10);
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    UnitRecord* envoy = scn_extra(28, 9, 12);
    scn_walk(envoy, 0, 4);
    scn_pose(28, 10);
    scn_wait(30);
    scn_message(49);
    scn_walk(envoy, 2, 4);
    scn_leave(envoy);
    scn_wait(30);
    scn_pose(CLASS_BUTLER, 10);
    scn_message(50);
    scn_walk(escort, 2, 8);
    scn_wait(60);
    scn_message(51);
    scn_walk(hero, 2, 1);
    scn_walk(hero, 3, 9);
    scn_leave(hero);

    // The maid.
    UnitRecord* maid = scn_extra(63, 9, 4);
    scn_fade_in(2);
    scn_walk(escort, 0, 6);
    for (int32_t frame : {4, 7, 10}) {
        scn_wait(20);
        scn_pose(CLASS_BUTLER, frame);
    }
    scn_message(52, "시녀");
    scn_fade_out(2);

    // The courtyard.
    scn_leave(maid);
    set_view(0, 12);
    hero = scn_extra(0, 3, 22);
    scn_fade_in(2);
    scn_message(53);
    scn_walk(hero, 1, 3);
    scn_pose(0, 4);
    UnitRecord* friend_ = scn_extra(2, 1, 22);
    scn_walk(friend_, 1, 3);
    scn_pose(2, 7);
    scn_message(54);
    snd_play_effect(SFX_FLASH);
    for (int32_t i = 0; i < 40; ++i) scn_wait(2);
    scn_wait(30);
    scn_message(55);
    scn_put_at(escort, 19, 22);
    scn_walk(escort, 3, 10);
    scn_pose(CLASS_BUTLER, 4);
    snd_play_music(-1);  // music off
    scn_message(56);
    scn_pose(0, 7);
    scn_wait(20);
    scn_walk(hero, 3, 1);
    scn_wait(20);
    scn_message(57);
    scn_walk(hero, 1, 3);
    scn_message(97);
    scn_fade_out(2);

    map_free_map_graphics();
    scn_clear_occupancy();
}

// The escort and the party leave through the gate, the army gathers.
void finale() {
    if (g_debug_flags & DEBUG_SKIP_FINALE) {
        g_stage_end = 1;
        return;
    }
    scn_cutscene_begin();
    for (int32_t cls : {0, 2, 53, 25}) map_apply_walk_sprite(cls, 10);
    map_apply_walk_sprite(37, 7);
    map_apply_walk_sprite(29, 4);
    scn_fade_out(2);
    unit_remove_enemies();
    scn_clear_occupancy();
    scn_place_list(FINALE_PARTY);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(30);
    scn_message(100);
    set_gate(23, 40, 40, 40);
    snd_play_effect(SFX_THUD);
    scn_message(101, "병사");

    UnitRecord* leader = unit_find_by_char_id(CHAR_LEADER);
    UnitRecord* escort = unit_find_by_char_id(CHAR_PAUL);
    UnitRecord* second = unit_find_by_char_id(CHAR_SECOND_LEADER);
    scn_step_quietly(leader, 0);
    scn_off_grid(leader);
    const HeapBlock escort_sheet = map_load_walk_sheet(CLASS_BUTLER);
    scn_message(102);
    scn_walk(escort, 1, 1);
    if (scn_in_use(escort)) map_move_unit_step(escort, 5);
    scn_step_quietly(second, 0);
    scn_off_grid(second);
    scn_message(103);
    scn_walk(escort, 0, 1);
    set_gate(57, 58, 20, 20);
    if (escort_sheet && scn_in_use(escort)) {
        uint8_t* kept = g_cell32_sheet;
        g_cell32_sheet = escort_sheet.get();
        map_patch_class_sprite(escort->stats.class_id, 1);
        g_cell32_sheet = kept;
        map_redraw_view();
    }
    snd_play_effect(SFX_THUD);
    snd_play_music(8);
    scn_message(104);
    for (int32_t y = 3; y <= 8; ++y) scn_extra(37, 13, y);
    for (int32_t y = 3; y <= 8; ++y) scn_extra(29, 26, y);
    for (int32_t x = 16; x <= 23; ++x) scn_extra(25, x, 11);
    map_redraw_view();
    scn_message(105);
    gfx_fade_to_wait(&g_white_palette, 4);
    scn_cutscene_end();
    map_free_map_graphics();
    scn_fade_out(4);
    g_stage_end = 1;
}

}  // namespace

void scn_ch1_stage_start() {
    scn_stage_start_prologue();
    if (g_stage_index < 0) g_stage_index = 0;
    if (g_stage_index == STAGE_1) {
        // A new game: nobody, nothing in the bag, no gold, then the
        // provisions.
        g_units = {};
        g_bag = {};
        g_gold = 0;
        for (int32_t i = 0; i < 4; ++i) item_give(nullptr, 1);
        for (int32_t i = 0; i < 2; ++i) item_give(nullptr, 5);
        prologue();
    }
    scn_cutscene_end();
}

void scn_ch1_turn_start() {
    if (g_stage_index != STAGE_1) return;
    // The escort may act in every phase.
    if (UnitRecord* escort = unit_find_by_char_id(CHAR_PAUL)) escort->acted = 0;
    if (g_turn == 0) scn_message(98);
}

int32_t scn_ch1_unit_moved(UnitRecord* unit, int32_t, int32_t) {
    if (g_stage_index != STAGE_1 || !unit || unit->y != 1 || (unit->x != 19 && unit->x != 20)) return 0;
    const UnitRecord* escort = unit_find_by_char_id(CHAR_PAUL);
    if (escort && map_manhattan_distance(unit->x, unit->y, escort->x, escort->y) < 6) {
        finale();
        return 1;
    }
    if (g_stage_flags[0] == 0) {
        scn_message(99);
        g_stage_flags[0] = 1;
    }
    return 1;
}

void scn_ch1_enemy_act(UnitRecord* unit) {
    if (!unit) return;
    if (unit->stats.class_id != CLASS_BUTLER) {
        ai_unit_act(unit, -1, -1);
        return;
    }
    if (unit->acted) return;
    const UnitRecord* leader = unit_find_by_char_id(CHAR_LEADER);
    if (leader)
        ai_unit_act(unit, leader->x, leader->y);
    else
        ai_unit_act(unit, -1, -1);
    if (scn_in_use(unit) && map_manhattan_distance(unit->x, unit->y, 18, 1) < 5) {
        win_cursor_flag_off();
        finale();
        win_cursor_flag_on();
    }
}

int32_t scn_ch1_before_battle(UnitRecord*, UnitRecord* second) {
    scn_boss_music(second);
    return 0;
}
